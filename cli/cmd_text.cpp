// kuvo encrypt-text / decrypt-text: the window's text encryption over standard
// input and output, producing and reading exactly the window's blocks.
#include <QFile>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <termios.h>
#include <unistd.h>

#include "cli.h"
#include "common/catalogue.h"
#include "common/lang.h"
#include "common/qtcodec.h"
#include "common/secure.h"
#include "crypt/core/text_crypt.h"

namespace kuvo::cli {

namespace {

namespace tc = kuvo::textcrypt;

int g_ttyFd = -1;
termios g_savedTty;
volatile sig_atomic_t g_echoOff = 0;

// A Ctrl-C at the prompt must not leave the terminal without echo.
extern "C" void restoreTtyAndStop(int sig)
{
    if (g_echoOff)
        ::tcsetattr(g_ttyFd, TCSANOW, &g_savedTty);
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

// The passphrase typed on the controlling terminal, so standard input stays free for the text.
std::optional<QString> promptOnTerminal()
{
    g_ttyFd = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (g_ttyFd < 0)
        return std::nullopt;
    const char prompt[] = "Passphrase: ";
    [[maybe_unused]] auto w = ::write(g_ttyFd, prompt, sizeof prompt - 1);
    struct sigaction previous {};
    if (::tcgetattr(g_ttyFd, &g_savedTty) == 0) {
        termios quiet = g_savedTty;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        struct sigaction sa {};
        sa.sa_handler = restoreTtyAndStop;
        ::sigaction(SIGINT, &sa, &previous);
        g_echoOff = 1;
        ::tcsetattr(g_ttyFd, TCSANOW, &quiet);
    }
    std::string line;
    for (char c; ::read(g_ttyFd, &c, 1) == 1 && c != '\n';)
        line += c;
    if (g_echoOff) {
        ::tcsetattr(g_ttyFd, TCSANOW, &g_savedTty);
        g_echoOff = 0;
        ::sigaction(SIGINT, &previous, nullptr);
        w = ::write(g_ttyFd, "\n", 1);
    }
    ::close(g_ttyFd);
    g_ttyFd = -1;
    QString text = QString::fromUtf8(line);
    secureZero(line);
    return text;
}

// Same reading as the other commands' --passphrase-file: UTF-8, or Windows-1252
// when the bytes are not valid UTF-8, without one trailing newline.
std::optional<QString> readPassphraseFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        err() << "kuvo: " << LoadText(103) << ' ' << path << ": " << f.errorString() << '\n';
        return std::nullopt;
    }
    QByteArray bytes = f.readAll();
    if (bytes.endsWith('\n'))
        bytes.chop(bytes.endsWith("\r\n") ? 2 : 1);
    QString text = QString::fromUtf8(bytes);
    if (text.toUtf8() != bytes)
        text = fromWin1252(bytes);
    secureZero(bytes.data(), std::size_t(bytes.size()));
    return text;
}

QString readStandardInput()
{
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(in.readAll());
}

int fail(int textId)
{
    err() << "kuvo: " << LoadText(qint16(textId)) << '\n';
    err().flush();
    return Failure;
}

void writeOut(const QByteArray& bytes)
{
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout);
    // The block carries no final line break; a terminal still gets one so the prompt starts on its own line.
    if (::isatty(STDOUT_FILENO) && !bytes.endsWith('\n'))
        std::fputc('\n', stdout);
    std::fflush(stdout);
}

int runText(const QStringList& args, bool encrypt)
{
    setActiveCatalogue(Catalogue::fromResource(QStringLiteral(":/catalogue/crypt.tsv")));
    initLanguage();

    QString passphraseFile;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--passphrase-file")) {
            if (++i >= args.size())
                return usageError(QStringLiteral("--passphrase-file needs a PATH"));
            passphraseFile = args[i];
        } else if (a.startsWith(QLatin1String("--passphrase-file="))) {
            passphraseFile = a.mid(18);
        } else {
            return usageError(QStringLiteral("unexpected argument '%1'").arg(a));
        }
    }
    std::optional<QString> passphrase =
        passphraseFile.isEmpty() ? promptOnTerminal() : readPassphraseFile(passphraseFile);
    if (!passphrase) {
        if (passphraseFile.isEmpty())
            return usageError(
                QStringLiteral("no passphrase: give --passphrase-file PATH or run on a terminal"));
        err().flush();
        return Failure;
    }

    // The window's rule: the text as a Windows text box holds it, lines joined by CR LF.
    const QString input = tc::toWindowsLines(readStandardInput());
    const tc::Problem problem =
        encrypt ? tc::checkEncryptInput(input, *passphrase) : tc::checkDecryptInput(input, *passphrase);
    if (problem != tc::Problem::None)
        return fail(tc::messageId(problem));

    auto key = PassphraseToKey(std::u16string_view(reinterpret_cast<const char16_t*>(passphrase->utf16()),
                                                   std::size_t(passphrase->size())));
    passphrase->fill(QChar(0));
    CRijndael cipher;
    const tc::Result result =
        encrypt ? tc::encryptText(cipher, input, *key) : tc::decryptText(cipher, input, *key);
    secureZero(*key);
    if (result.status != tc::Status::Ok)
        return fail(114);
    writeOut(encrypt ? result.text.toLatin1() : tc::fromWindowsLines(result.text).toUtf8());
    return Success;
}

} // namespace

int runEncryptText(const QStringList& args)
{
    return runText(args, true);
}

int runDecryptText(const QStringList& args)
{
    return runText(args, false);
}

} // namespace kuvo::cli
