// kuvo encrypt / decrypt / list: the file operations of Crypt's window, with
// stderr and terminal prompts in place of the window's boxes.
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <unistd.h>

#include "cli.h"
#include "common/catalogue.h"
#include "common/lang.h"
#include "common/secure.h"
#include "crypt/core/decrypt_files.h"
#include "crypt/core/encrypt_files.h"
#include "crypt/core/input_list.h"
#include "passphrase.h"

namespace kuvo::cli {

namespace {

void useCryptTexts()
{
    setActiveCatalogue(Catalogue::fromResource(QStringLiteral(":/catalogue/crypt.tsv")));
    initLanguage();
}

void printMessage(const QString& text)
{
    err() << "kuvo: " << text << '\n';
    err().flush();
}

// Ctrl-C cancels the running operation as the window's Cancel does, so an
// unfinished container or restored file is removed.
std::atomic<std::atomic<bool>*> g_cancelFlag{nullptr};

extern "C" void cancelOnSignal(int)
{
    if (std::atomic<bool>* flag = g_cancelFlag.load())
        flag->store(true);
}

class CancelOnInterrupt {
public:
    explicit CancelOnInterrupt(CRijndael& cipher)
    {
        g_cancelFlag.store(&cipher.doCancel);
        struct sigaction sa {};
        sa.sa_handler = cancelOnSignal;
        ::sigaction(SIGINT, &sa, &m_previousInt);
        ::sigaction(SIGTERM, &sa, &m_previousTerm);
    }
    ~CancelOnInterrupt()
    {
        ::sigaction(SIGINT, &m_previousInt, nullptr);
        ::sigaction(SIGTERM, &m_previousTerm, nullptr);
        g_cancelFlag.store(nullptr);
    }

private:
    struct sigaction m_previousInt {};
    struct sigaction m_previousTerm {};
};

class CliUi : public FileOpsUi {
public:
    CliUi(bool overwrite) : m_overwrite(overwrite), m_progressLine(::isatty(STDERR_FILENO))
    {
        m_clock.start();
    }
    ~CliUi() override { clearLine(); }

    bool refused() const { return m_refused; }

    void overallProgress(int value, int maximum) override
    {
        m_done = value;
        m_total = maximum;
        draw(false);
    }
    void entryProgress(int value, int maximum) override
    {
        m_permille = maximum > 0 ? value * 1000 / maximum : 0;
        draw(false);
    }
    void lights(bool, bool, bool) override {}
    void showError(const QString& text) override
    {
        clearLine();
        printMessage(text);
    }
    OverwriteChoice askOverwrite(const QString& path, const QString& question) override
    {
        if (m_overwrite)
            return OverwriteChoice::Overwrite;
        if (!interactive()) {
            showError(LoadText(209, path));
            m_refused = true;
            return OverwriteChoice::Skip;
        }
        clearLine();
        return yes(question) ? OverwriteChoice::Overwrite : OverwriteChoice::OtherName;
    }
    QString askSaveAs(const QString& title, const QString&) override
    {
        clearLine();
        for (;;) {
            const QString path = askLine(title + QLatin1String(": "));
            if (path.isEmpty() || !QFileInfo::exists(path) || yes(LoadText(178, path)))
                return path;
        }
    }
    void yield() override { draw(false); }
    void entryStarted(int, const QString& path) override
    {
        m_name = path;
        m_permille = 0;
        draw(true);
    }

private:
    static bool yes(const QString& question)
    {
        const QString answer = askLine(question + QLatin1String(" [y/n] ")).trimmed().toLower();
        return answer.startsWith(QLatin1Char('y')) || answer.startsWith(QLatin1Char('j')) ||
               answer.startsWith(QLatin1Char('s'));
    }
    void draw(bool now)
    {
        if (!m_progressLine || (!now && m_clock.elapsed() - m_lastDraw < 100))
            return;
        m_lastDraw = m_clock.elapsed();
        QString name = m_name;
        if (name.size() > 50)
            name = QLatin1String("...") + name.right(47);
        err() << "\r\033[K[" << m_done << '/' << m_total << "] " << m_permille / 10 << "% " << name;
        err().flush();
        m_drawn = true;
    }
    void clearLine()
    {
        if (m_drawn) {
            err() << "\r\033[K";
            err().flush();
            m_drawn = false;
        }
    }

    bool m_overwrite;
    bool m_progressLine;
    bool m_refused = false;
    bool m_drawn = false;
    QElapsedTimer m_clock;
    qint64 m_lastDraw = -1000;
    int m_done = 0, m_total = 0, m_permille = 0;
    QString m_name;
};

struct Options {
    QString output;
    QString dir;
    QString outDir;
    QString passphraseFile;
    bool overwrite = false;
    QStringList positional;
};

// Parses the options a command allows (letters of "oDCpw"); false after a usage message.
bool parse(const QStringList& args, const QString& allowed, Options& o, int* exitCode)
{
    bool onlyPositional = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const auto value = [&](QChar key, QString& into) {
            if (!allowed.contains(key) || i + 1 >= args.size()) {
                *exitCode = usageError(QStringLiteral("option '%1' needs a value here").arg(a));
                return false;
            }
            into = args[++i];
            return true;
        };
        if (onlyPositional || !a.startsWith(QLatin1Char('-')) || a == QLatin1String("-")) {
            o.positional << a;
        } else if (a == QLatin1String("--")) {
            onlyPositional = true;
        } else if (a == QLatin1String("-o") || a == QLatin1String("--output")) {
            if (!value('o', o.output))
                return false;
        } else if (a == QLatin1String("--dir")) {
            if (!value('D', o.dir))
                return false;
        } else if (a == QLatin1String("-C")) {
            if (!value('C', o.outDir))
                return false;
        } else if (a == QLatin1String("--passphrase-file")) {
            if (!value('p', o.passphraseFile))
                return false;
        } else if (a == QLatin1String("--overwrite") && allowed.contains(QLatin1Char('w'))) {
            o.overwrite = true;
        } else {
            *exitCode = usageError(QStringLiteral("unknown option '%1'").arg(a));
            return false;
        }
    }
    return true;
}

// The container path a run may write: an existing file is replaced only
// when confirmed. Empty when refused (after its message).
QString confirmedContainer(QString path, bool overwrite)
{
    while (QFileInfo::exists(path) && !overwrite) {
        if (!interactive()) {
            printMessage(LoadText(209, path));
            return {};
        }
        const QString answer = askLine(LoadText(178, path) + QLatin1String(" [y/n] ")).trimmed().toLower();
        if (answer.startsWith(QLatin1Char('y')) || answer.startsWith(QLatin1Char('j')) ||
            answer.startsWith(QLatin1Char('s')))
            break;
        path = askLine(LoadText(110) + QLatin1String(": "));
        if (path.isEmpty())
            return {};
    }
    return path;
}

} // namespace

int runEncrypt(const QStringList& args)
{
    Options o;
    int code = Success;
    if (!parse(args, QStringLiteral("oDpw"), o, &code))
        return code;
    if (o.output.isEmpty())
        return usageError(QStringLiteral("encrypt: -o CONTAINER is required"));
    if (o.dir.isEmpty() == o.positional.isEmpty())
        return usageError(QStringLiteral("encrypt: give either FILE... or --dir FOLDER"));
    useCryptTexts();

    InputFileList list;
    if (!o.dir.isEmpty()) {
        if (!IsDirectory(o.dir)) {
            const int error = QFileInfo::exists(o.dir) ? ENOTDIR : ENOENT;
            printMessage(LoadText(103) + QLatin1Char(' ') + o.dir + QLatin1String(": ") +
                         QString::fromLocal8Bit(std::strerror(error)));
            return Failure;
        }
        AddDirectoryTree(list, o.dir);
        list.setTag(DirectoryModeTag(ReduceDoubledSeparators(o.dir)));
    } else {
        // A folder among the files is taken as a drop takes it: its files, flattened.
        for (const QString& item : o.positional) {
            if (IsDirectory(item))
                AddDirectoryTree(list, item);
            else
                list.AddUniqueFile(item);
        }
        list.setTag(FilesModeTag());
    }
    if (list.isEmpty()) {
        printMessage(LoadText(114));
        return Failure;
    }
    if (IsContainerAnInput(o.output, list.entries())) {
        printMessage(LoadText(204, o.output));
        return Failure;
    }
    const QString container = confirmedContainer(o.output, o.overwrite);
    if (container.isEmpty())
        return Failure;

    if (o.passphraseFile.isEmpty() && ::isatty(STDIN_FILENO))
        err() << LoadText(190) << '\n';
    std::optional<CipherKey> key = obtainKey(o.passphraseFile, true, &code);
    if (!key)
        return code;

    CRijndael cipher;
    CliUi ui(o.overwrite);
    EncryptResult result;
    {
        CancelOnInterrupt guard(cipher);
        result = EncryptFiles({list.entries(), list.tag(), container}, *key, cipher, ui);
    }
    secureZero(*key);
    switch (result.status) {
    case EncryptResult::Status::Done:
        // A container that lacks some files is written, but the run did not fully succeed.
        return result.notStored == 0 ? Success : Failure;
    case EncryptResult::Status::Cancelled:
        err() << "kuvo: cancelled\n";
        err().flush();
        return Failure;
    case EncryptResult::Status::Failed:
        break;
    }
    return Failure;
}

int runDecrypt(const QStringList& args)
{
    Options o;
    int code = Success;
    if (!parse(args, QStringLiteral("Cpw"), o, &code))
        return code;
    if (o.positional.size() != 1)
        return usageError(QStringLiteral("decrypt: give one CONTAINER"));
    useCryptTexts();
    const QString container = o.positional.first();
    QString outDir = o.outDir.isEmpty() ? DefaultOutputFolder(container) : o.outDir;
    if (outDir.isEmpty())
        outDir = QStringLiteral("./");

    std::optional<CipherKey> key = obtainKey(o.passphraseFile, false, &code);
    if (!key)
        return code;

    CRijndael cipher;
    CliUi ui(o.overwrite);
    DecryptResult result;
    {
        CancelOnInterrupt guard(cipher);
        // A missing -C folder is made, but only once the passphrase proved right.
        result = DecryptContainer({container, ValidatedOutputFolder(outDir, container), !o.outDir.isEmpty()},
                                  *key, cipher, ui);
    }
    secureZero(*key);
    if (result.status == DecryptResult::Status::Cancelled) {
        err() << "kuvo: cancelled\n";
        err().flush();
    }
    return result.status == DecryptResult::Status::Done && !ui.refused() ? Success : Failure;
}

int runList(const QStringList& args)
{
    Options o;
    int code = Success;
    if (!parse(args, QStringLiteral("p"), o, &code))
        return code;
    if (o.positional.size() != 1)
        return usageError(QStringLiteral("list: give one CONTAINER"));
    useCryptTexts();
    std::optional<CipherKey> key = obtainKey(o.passphraseFile, false, &code);
    if (!key)
        return code;
    CRijndael cipher;
    CliUi ui(false);
    ListResult result;
    {
        CancelOnInterrupt guard(cipher);
        result = ListContainer(o.positional.first(), *key, cipher, ui);
    }
    secureZero(*key);
    if (!result.ok)
        return Failure;
    for (const ListedEntry& e : result.entries) {
        if (e.stored)
            out() << e.size << '\t' << e.name << '\n';
    }
    out().flush();
    return Success;
}

} // namespace kuvo::cli
