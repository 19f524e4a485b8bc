#include "decrypt_files.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

#include "common/catalogue.h"
#include "container.h"
#include "input_list.h"
#include "ops_support.h"
#include "stored_name.h"

namespace kuvo {

using namespace fileops;

QString DefaultOutputFolder(const QString& container)
{
    return FolderOf(container);
}

QString ValidatedOutputFolder(const QString& text, const QString& container)
{
    QString folder = text.isEmpty() ? DefaultOutputFolder(container) : text;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

namespace {

struct Fd {
    int fd = -1;
    Fd() = default;
    explicit Fd(int f) : fd(f) {}
    Fd(Fd&& o) noexcept : fd(o.fd) { o.fd = -1; }
    Fd& operator=(Fd&& o) noexcept
    {
        std::swap(fd, o.fd);
        return *this;
    }
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

// Opens the stored name's folder levels below the output folder, creating the
// missing ones. Levels are never followed through symbolic links, so a stored
// name cannot lead outside the output folder.
bool openTargetFolder(const QString& outputFolder, bool create, const QStringList& levels, Fd& dir,
                      QString& failedPath, int& error)
{
    QString path = outputFolder;
    if (create && !QDir().mkpath(path)) {
        error = errno ? errno : EACCES;
        failedPath = path;
        return false;
    }
    dir = Fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.fd < 0) {
        error = errno;
        failedPath = path;
        return false;
    }
    for (qsizetype i = 0; i + 1 < levels.size(); ++i) {
        const QByteArray level = QFile::encodeName(levels[i]);
        path += levels[i] + QLatin1Char('/');
        if (::mkdirat(dir.fd, level.constData(), 0777) != 0 && errno != EEXIST) {
            error = errno;
            failedPath = path;
            return false;
        }
        Fd sub(::openat(dir.fd, level.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (sub.fd < 0) {
            error = errno;
            failedPath = path;
            return false;
        }
        dir = std::move(sub);
    }
    return true;
}

enum class Outcome { Ready, Restored, Skipped, Failed, Cancelled };

class Run {
public:
    Run(const CipherKey& key, CRijndael& cipher, FileOpsUi& ui) : m_key(key), m_cipher(cipher), m_ui(ui) {}

    // Opens the container and decodes its trailer; false after its message.
    bool open(const QString& path)
    {
        m_path = path;
        if (!m_cipher.EncryptPrepareKey(m_key)) {
            m_ui.showError(LoadText(114));
            return false;
        }
        int error = 0;
        if (!m_reader.open(path, &error)) {
            m_ui.showError(ErrorText(PathErrorText(path, error)));
            return false;
        }
        bool readFailed = false;
        errno = 0;
        m_trailer = m_reader.readTrailer(&readFailed);
        if (readFailed) {
            m_ui.showError(ErrorText(PathErrorText(path, errno ? errno : EIO)));
            return false;
        }
        if (m_trailer.status != container::TrailerStatus::Ok) {
            m_ui.showError(LoadText(108));
            return false;
        }
        m_offsets = m_trailer.entryOffsets();
        return true;
    }

    std::size_t entryCount() const { return m_trailer.entrySizes.size(); }
    std::uint32_t entrySize(std::size_t j) const { return m_trailer.entrySizes[j]; }

    std::unique_ptr<container::EntryReader> reader(std::size_t j)
    {
        return std::make_unique<container::EntryReader>(m_reader.fd(), m_offsets[j], m_trailer.entrySizes[j],
                                                        m_cipher, [this] { m_gate.yieldNow(); });
    }

    // Checks the start of an entry; Ready with the safe native levels of its name.
    Outcome beginEntry(container::EntryReader& entry, QStringList& levels)
    {
        using ES = container::EntryReader::Status;
        switch (entry.begin()) {
        case ES::Ok:
        case ES::End:
            break;
        case ES::Cancelled:
            return Outcome::Cancelled;
        case ES::ReadFailed:
            m_ui.showError(ErrorText(PathErrorText(m_path, entry.readError())));
            return Outcome::Failed;
        case ES::Damaged:
            showDamaged();
            return Outcome::Failed;
        }
        const QString name = DecodeStoredName(entry.nameBytes());
        const auto safe = SafeStoredLevels(name);
        if (!safe) {
            m_ui.showError(LoadText(203, name));
            return Outcome::Failed;
        }
        levels = *safe;
        return Outcome::Ready;
    }

    Outcome restore(std::size_t j, const QString& outputFolder, bool createFolder, DecryptResult& result)
    {
        using ES = container::EntryReader::Status;
        auto entry = reader(j);
        QStringList levels;
        if (const Outcome o = beginEntry(*entry, levels); o != Outcome::Ready)
            return o;

        Fd dir;
        QString failedPath;
        int error = 0;
        if (!openTargetFolder(outputFolder, createFolder, levels, dir, failedPath, error)) {
            m_ui.showError(ErrorText(PathErrorText(failedPath, error)));
            return Outcome::Failed;
        }
        QString shownPath = outputFolder + levels.join(QLatin1Char('/'));
        QByteArray finalName = QFile::encodeName(levels.last());
        bool replace = false;
        struct stat st;
        if (::fstatat(dir.fd, finalName.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
            switch (m_ui.askOverwrite(shownPath, LoadText(178, shownPath))) {
            case OverwriteChoice::Overwrite:
                replace = true;
                break;
            case OverwriteChoice::Skip:
                ++result.skipped;
                return Outcome::Skipped;
            case OverwriteChoice::OtherName: {
                const QString chosen = m_ui.askSaveAs(LoadText(110), LoadText(109));
                if (chosen.isEmpty()) {
                    ++result.skipped;
                    return Outcome::Skipped;
                }
                // The dialog asked before an existing file was chosen.
                const QString folder = FolderOf(chosen).isEmpty() ? QStringLiteral("./") : FolderOf(chosen);
                dir = Fd(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
                if (dir.fd < 0) {
                    m_ui.showError(ErrorText(PathErrorText(folder, errno)));
                    return Outcome::Failed;
                }
                shownPath = chosen;
                finalName = QFile::encodeName(chosen.mid(FolderOf(chosen).size()));
                replace = true;
                break;
            }
            }
        }

        m_ui.entryStarted(int(j), shownPath);
        container::OutputFile out;
        if (!out.create(dir.fd, finalName, &error)) {
            m_ui.showError(ErrorText(PathErrorText(shownPath, error)));
            return Outcome::Failed;
        }
        EntryProgress progress(m_ui);
        for (;;) {
            container::EntryReader::Chunk chunk;
            const ES status = entry->next(chunk);
            if (status == ES::End)
                break;
            if (status == ES::Cancelled)
                return Outcome::Cancelled;
            if (status == ES::ReadFailed) {
                m_ui.showError(ErrorText(PathErrorText(m_path, entry->readError())));
                return Outcome::Failed;
            }
            if (status == ES::Damaged) {
                showDamaged();
                return Outcome::Failed;
            }
            if (!writeAt(out.fd(), chunk, error)) {
                m_ui.showError(ErrorText(PathErrorText(shownPath, error)));
                return Outcome::Failed;
            }
            progress(entry->permille());
        }
        if (!out.commit(replace, false, &error)) {
            m_ui.showError(ErrorText(PathErrorText(shownPath, error)));
            return Outcome::Failed;
        }
        m_restoredAny = true;
        ++result.restored;
        result.restoredPaths << shownPath;
        return Outcome::Restored;
    }

private:
    static bool writeAt(int fd, const container::EntryReader::Chunk& chunk, int& error)
    {
        const std::uint8_t* data = chunk.data.data();
        std::size_t left = chunk.data.size();
        std::uint64_t at = chunk.offset;
        while (left > 0) {
            const ssize_t n = ::pwrite(fd, data, left, off_t(at));
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                error = errno;
                return false;
            }
            data += n;
            left -= std::size_t(n);
            at += std::uint64_t(n);
        }
        return true;
    }

    // Before anything was restored a wrong passphrase is the likely cause,
    // and the user learns that nothing was created.
    void showDamaged() { m_ui.showError(LoadText(m_restoredAny ? 114 : 207)); }

    const CipherKey& m_key;
    CRijndael& m_cipher;
    FileOpsUi& m_ui;
    YieldGate m_gate{m_ui, m_cipher};
    QString m_path;
    container::ContainerReader m_reader;
    container::Trailer m_trailer;
    std::vector<std::uint64_t> m_offsets;
    bool m_restoredAny = false;
};

} // namespace

DecryptResult DecryptContainer(const DecryptRequest& request, const CipherKey& key, CRijndael& cipher,
                               FileOpsUi& ui)
{
    using S = DecryptResult::Status;
    DecryptResult result;
    Lights lights(ui);
    lights.set(true, false, false);
    Run run(key, cipher, ui);
    if (!run.open(request.container))
        return result;
    const QString outputFolder = ValidatedOutputFolder(request.outputFolder, request.container);
    const qint64 m = qint64(run.entryCount()) - 1;
    ui.overallProgress(0, int(m + 1));
    bool cancelled = false;
    for (qint64 j = 0; j <= m; ++j) {
        ui.entryProgress(0, 1000);
        // An entry of size 0 was never stored: it takes no bytes of the records.
        if (run.entrySize(std::size_t(j)) > 0) {
            switch (run.restore(std::size_t(j), outputFolder, request.createOutputFolder, result)) {
            case Outcome::Failed:
                return result;
            case Outcome::Cancelled:
                cancelled = true;
                break;
            default:
                break;
            }
        }
        if (cancelled)
            break;
        ui.overallProgress(int(j + 1), int(m + 1));
        lights.afterItem(j, m, true);
        if (cipher.isCancelled()) {
            cancelled = true;
            break;
        }
    }
    lights.set(false, false, true);
    result.status = cancelled ? S::Cancelled : S::Done;
    return result;
}

ListResult ListContainer(const QString& container, const CipherKey& key, CRijndael& cipher, FileOpsUi& ui)
{
    ListResult result;
    Run run(key, cipher, ui);
    if (!run.open(container))
        return result;
    for (std::size_t j = 0; j < run.entryCount(); ++j) {
        ListedEntry listed;
        if (run.entrySize(j) == 0) {
            listed.stored = false;
            result.entries.push_back(listed);
            continue;
        }
        auto entry = run.reader(j);
        QStringList levels;
        if (run.beginEntry(*entry, levels) != Outcome::Ready)
            return result;
        const auto size = entry->claimedContentLength();
        if (!size) {
            ui.showError(LoadText(114));
            return result;
        }
        listed.name = levels.join(QLatin1Char('/'));
        listed.size = *size;
        result.entries.push_back(listed);
    }
    result.ok = true;
    return result;
}

} // namespace kuvo
