#include "delvsitr.h"

#include <QFile>
#include <QTime>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "common/catalogue.h"

namespace kuvo::change {

namespace {

enum TextId : qint16 {
    kCheckingAttributes = 135,
    kOpeningFile = 136,
    kFillingArrays = 137,
    kWritingValues = 138,
    kDeletingEntry = 139,
    kFinished = 140,
    kDone = 141,
    kError = 142,
    kAborted = 143,
    kNotRegular = 150,
    kNoThrowAwayName = 151,
};

constexpr int kOpenForWriting = O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;

QString describe(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

QString failure(const QString& path, const QString& reason)
{
    return QStringLiteral("%1: %2").arg(path, reason);
}

struct Entry {
    enum Kind { Missing, Regular, Link, Special } kind = Missing;
    dev_t dev = 0;
    ino_t ino = 0;
};

// The owner may write a file it could not before, so a read-only file is erased too.
void giveOwnerWrite(const QByteArray& path, const struct stat& seen)
{
    int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    bool viaProc = false;
    if (fd < 0 && errno == EACCES) {
        // Not even readable: an O_PATH descriptor still names the very file.
        fd = ::open(path.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
        viaProc = true;
    }
    if (fd < 0)
        return;
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_dev == seen.st_dev &&
        st.st_ino == seen.st_ino) {
        const mode_t mode = (st.st_mode & 07777) | S_IWUSR;
        if (viaProc) {
            char proc[64];
            std::snprintf(proc, sizeof proc, "/proc/self/fd/%d", fd);
            (void)::chmod(proc, mode);
        } else {
            (void)::fchmod(fd, mode);
        }
    }
    ::close(fd);
}

Entry inspect(const QByteArray& path)
{
    struct stat st;
    if (::lstat(path.constData(), &st) != 0)
        return {};
    if (S_ISLNK(st.st_mode))
        return {Entry::Link, st.st_dev, st.st_ino};
    if (!S_ISREG(st.st_mode))
        return {Entry::Special, st.st_dev, st.st_ino};
    if (!(st.st_mode & S_IWUSR))
        giveOwnerWrite(path, st);
    return {Entry::Regular, st.st_dev, st.st_ino};
}

// A rename that never replaces an existing file.
int renameNoReplace(const QByteArray& from, const QByteArray& to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return -1;
    // Filesystems without RENAME_NOREPLACE: a new hard link never replaces either.
    if (::link(from.constData(), to.constData()) != 0)
        return -1;
    if (::unlink(from.constData()) != 0) {
        const int err = errno;
        ::unlink(to.constData());
        errno = err;
        return -1;
    }
    return 0;
}

class Lights {
public:
    explicit Lights(EraseUi& ui) : m_ui(ui) {}
    void set(bool red, bool yellow, bool green)
    {
        if (m_known && red == m_red && yellow == m_yellow && green == m_green)
            return;
        m_known = true;
        m_red = red;
        m_yellow = yellow;
        m_green = green;
        m_ui.setLights(red, yellow, green);
    }
    void red(bool on) { set(on, m_yellow, m_green); }
    void yellow(bool on) { set(m_red, on, m_green); }
    void green(bool on) { set(m_red, m_yellow, on); }

private:
    EraseUi& m_ui;
    bool m_known = false;
    bool m_red = false, m_yellow = false, m_green = false;
};

class Run {
public:
    Run(int strength, EraseUi& ui, const EraseOptions& options)
        : m_strength(std::clamp(strength, 0, 3)), m_ui(ui), m_options(options),
          m_writer(options.writer ? *options.writer : m_defaultWriter), m_lights(ui),
          m_step(FileStep(ui.fileBarWidth(), m_strength))
    {
    }

    EraseReport exec(QStringList& list);

private:
    void advance()
    {
        m_bar += m_step;
        m_ui.setFileBar(m_bar);
    }
    bool overwrite(const QString& path, const QByteArray& native, const Entry& entry, QString* error);
    void remove(const QString& path, const QByteArray& native, int index, int count);
    qint64 now() const
    {
        if (m_options.msecsSinceMidnight)
            return m_options.msecsSinceMidnight();
        return QTime::currentTime().msecsSinceStartOfDay();
    }

    const int m_strength;
    EraseUi& m_ui;
    const EraseOptions& m_options;
    PassWriter m_defaultWriter;
    PassWriter& m_writer;
    Lights m_lights;
    const int m_step;
    int m_bar = 1;
    QString m_deletionError;
    EraseReport m_report;
};

bool Run::overwrite(const QString& path, const QByteArray& native, const Entry& entry, QString* error)
{
    m_ui.setStatus(LoadText(kOpeningFile));
    // Never created, never followed, and a pipe cannot block the open.
    const int fd = ::open(native.constData(), kOpenForWriting);
    if (fd < 0) {
        *error = failure(path, describe(errno));
        return false;
    }
    struct stat st;
    bool ok = ::fstat(fd, &st) == 0;
    if (!ok)
        *error = failure(path, describe(errno));
    else if (!S_ISREG(st.st_mode) || st.st_dev != entry.dev || st.st_ino != entry.ino) {
        *error = failure(path, QStringLiteral("the file was replaced while it was being opened"));
        ok = false;
    }
    if (!ok) {
        ::close(fd);
        return false;
    }
    const qint64 length = st.st_size;

    m_ui.setStatus(LoadText(kFillingArrays));
    m_ui.yield();
    advance();
    m_lights.yellow(true);
    m_ui.yield();
    if (m_strength >= Twice) {
        advance();
        m_ui.setStatus(LoadText(kWritingValues));
        m_ui.yield();
        m_lights.red(false);
    }

    const QList<unsigned char> patterns = passPatterns(m_strength);
    const auto yield = [this] { m_ui.yield(); };
    for (qsizetype k = 0; k < patterns.size(); ++k) {
        if (m_strength == Vsitr && k == 6) {
            m_lights.green(true);
            m_ui.yield();
        }
        QString reason;
        if (!m_writer.writePass(fd, length, patterns[k], yield, &reason)) {
            *error = failure(path, reason);
            ::close(fd);
            return false;
        }
        advance();
        if (k == 0 && m_strength != Vsitr)
            m_lights.green(true);
        m_ui.yield();
    }
    ::close(fd);
    return true;
}

void Run::remove(const QString& path, const QByteArray& native, int index, int count)
{
    const qint64 first = throwAwayNumber(now());
    QString target;
    bool renamed = false;
    int renameError = 0;
    for (int t = 0; t < std::max(1, m_options.nameTries); ++t) {
        target = throwAwayName(path, first + t);
        if (renameNoReplace(native, QFile::encodeName(target)) == 0) {
            renamed = true;
            break;
        }
        renameError = errno;
        if (renameError != EEXIST)
            break;
    }
    m_ui.yield();
    m_ui.setOverall(index + 1, count);
    if (renamed) {
        if (::unlink(QFile::encodeName(target).constData()) == 0)
            m_report.erased << path;
        else
            m_deletionError = failure(target, describe(errno));
    } else if (renameError == EEXIST) {
        // Every throw-away name is taken by files that are not ours: leave this one.
        m_report.noName << path;
    } else if (::unlink(native.constData()) == 0) {
        m_report.erased << path;
    } else {
        m_deletionError = failure(path, describe(errno));
    }
}

EraseReport Run::exec(QStringList& list)
{
    const int count = int(list.size());
    m_ui.setOverall(0, count);
    m_lights.set(true, false, false);
    m_ui.setCancelFlag(false);
    m_ui.setBusy(true);
    m_ui.yield();

    QString fatal;
    for (int i = 0; i < count; ++i) {
        m_bar = 1;
        m_ui.setFileBar(m_bar);
        m_lights.set(true, false, false);
        if (m_ui.cancelFlag())
            break;
        const QString path = list.at(i);
        const QByteArray native = QFile::encodeName(path);
        m_ui.setCurrentFile(path);
        m_ui.yield();

        m_ui.setStatus(LoadText(kCheckingAttributes));
        const Entry entry = inspect(native);
        if (entry.kind == Entry::Special) {
            // Pipes, devices, sockets and folders are neither written nor deleted.
            m_report.notRegular << path;
            m_ui.setOverall(i + 1, count);
            continue;
        }
        // A link is removed itself; what it points to is never opened.
        if (m_strength >= Once && entry.kind != Entry::Link && !overwrite(path, native, entry, &fatal))
            break;

        m_ui.setStatus(LoadText(kDeletingEntry));
        m_ui.yield();
        m_deletionError.clear();
        remove(path, native, i, count);
        m_lights.set(false, false, true);
    }
    m_ui.setCurrentFile(QString());

    if (!m_report.notRegular.isEmpty())
        m_ui.showMessage(LoadText(kNotRegular) + QLatin1Char('\n') +
                         m_report.notRegular.join(QLatin1Char('\n')));
    if (!m_report.noName.isEmpty()) {
        QStringList lines;
        for (const QString& p : m_report.noName)
            lines << LoadText(kNoThrowAwayName, p);
        m_ui.showMessage(lines.join(QLatin1Char('\n')));
    }
    // Only the last file's deletion error is still pending here.
    const QString error = fatal.isEmpty() ? m_deletionError : fatal;
    if (!error.isEmpty()) {
        m_ui.setCancelFlag(true);
        m_report.error = error;
        m_report.end = EraseReport::End::Failed;
        m_ui.showMessage(LoadText(kError) + QLatin1Char(' ') + error);
    }
    list.clear();
    m_ui.listEmptied();
    if (m_ui.cancelFlag()) {
        m_ui.setCancelFlag(false);
        if (m_report.end == EraseReport::End::Finished)
            m_report.end = EraseReport::End::Cancelled;
        m_ui.setStatus(LoadText(kAborted));
    } else {
        m_ui.setStatus(LoadText(kFinished));
        m_ui.showMessage(LoadText(kDone));
    }
    m_ui.yield();
    m_ui.setBusy(false);
    return m_report;
}

} // namespace

QList<unsigned char> passPatterns(int strength)
{
    switch (strength) {
    case Once:
        return {0x00};
    case Twice:
        return {0x00, 0xFF};
    case Vsitr:
        return {0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0xAA};
    default:
        return {};
    }
}

int stepsPerFile(int strength)
{
    switch (strength) {
    case Once:
        return 2;
    case Twice:
        return 4;
    case Vsitr:
        return 9;
    default:
        return 0;
    }
}

int FileStep(int barWidth, int strength)
{
    const int steps = stepsPerFile(strength);
    if (steps == 0)
        return 0;
    // lrint rounds halves to the even neighbour in the default rounding mode.
    return int(std::lrint(double(barWidth) / steps));
}

QString ShortenPath(const QString& path, int maxLength)
{
    if (path.size() <= maxLength)
        return path;
    const qsizetype a = path.lastIndexOf(QLatin1Char('/'));
    const qsizetype b = a > 0 ? path.lastIndexOf(QLatin1Char('/'), a - 1) : -1;
    if (b < 0)
        return path;
    const QString shortened = path.left(3) + QStringLiteral("...") + path.mid(b);
    return shortened.size() < path.size() ? shortened : path;
}

qint64 throwAwayNumber(qint64 msecsSinceMidnight)
{
    return msecsSinceMidnight / 100 / 2;
}

QString throwAwayName(const QString& path, qint64 number)
{
    return path.left(path.lastIndexOf(QLatin1Char('/')) + 1) + QStringLiteral("del.del") +
           QString::number(number);
}

bool PassWriter::writePass(int fd, qint64 length, unsigned char byte, const std::function<void()>& yield,
                           QString* error)
{
    const qint64 chunk = std::max<qint64>(1, chunkSize);
    // Runs off the window's thread, so a long write or sync never freezes it.
    const auto work = [fd, length, byte, chunk]() -> int {
        std::vector<unsigned char> buffer(size_t(std::clamp<qint64>(length, 1, chunk)), byte);
        qint64 done = 0;
        while (done < length) {
            const size_t n = size_t(std::min<qint64>(qint64(buffer.size()), length - done));
            const ssize_t written = ::pwrite(fd, buffer.data(), n, off_t(done));
            if (written < 0) {
                if (errno == EINTR)
                    continue;
                return errno;
            }
            if (written == 0)
                return EIO;
            done += written;
        }
        return ::fdatasync(fd) == 0 ? 0 : errno;
    };
    int result = 0;
    try {
        std::future<int> pending = std::async(std::launch::async, work);
        while (pending.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready) {
            if (yield)
                yield();
        }
        result = pending.get();
    } catch (const std::bad_alloc&) {
        result = ENOMEM;
    } catch (const std::system_error&) {
        result = work(); // no thread to be had: write here
    }
    if (result != 0 && error)
        *error = describe(result);
    return result == 0;
}

EraseReport DelVSITR(QStringList& list, int strength, EraseUi& ui, const EraseOptions& options)
{
    Run run(strength, ui, options);
    return run.exec(list);
}

} // namespace kuvo::change
