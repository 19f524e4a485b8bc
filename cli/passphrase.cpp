#include "passphrase.h"

#include <QFile>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <cstdio>
#include <string>
#include <termios.h>
#include <unistd.h>

#include "cli.h"
#include "common/catalogue.h"
#include "common/qtcodec.h"
#include "common/secure.h"

namespace kuvo::cli {

namespace {

int g_terminalFd = -1;
termios g_savedTerminal;
volatile sig_atomic_t g_echoOff = 0;

// A Ctrl-C at the prompt must not leave the terminal without echo.
extern "C" void restoreTerminalAndStop(int sig)
{
    if (g_echoOff)
        ::tcsetattr(g_terminalFd, TCSANOW, &g_savedTerminal);
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

// One line from fd; without echo when asked (the fd must then be a terminal).
std::string readTerminalLine(int fd, bool echo)
{
    struct sigaction previous {};
    g_terminalFd = fd;
    if (!echo && ::tcgetattr(fd, &g_savedTerminal) == 0) {
        termios quiet = g_savedTerminal;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        struct sigaction sa {};
        sa.sa_handler = restoreTerminalAndStop;
        ::sigaction(SIGINT, &sa, &previous);
        g_echoOff = 1;
        ::tcsetattr(fd, TCSANOW, &quiet);
    }
    std::string line;
    for (char c; ::read(fd, &c, 1) == 1 && c != '\n';)
        line += c;
    if (g_echoOff) {
        ::tcsetattr(fd, TCSANOW, &g_savedTerminal);
        g_echoOff = 0;
        ::sigaction(SIGINT, &previous, nullptr);
        [[maybe_unused]] auto w = ::write(fd, "\n", 1);
    }
    return line;
}

// The controlling terminal: standard input may carry data (encrypt-text).
std::optional<std::string> askOnTerminal(const char* prompt)
{
    const int fd = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    [[maybe_unused]] auto w = ::write(fd, prompt, std::strlen(prompt));
    std::string line = readTerminalLine(fd, false);
    ::close(fd);
    return line;
}

QString decodeText(const QByteArray& bytes)
{
    QString text = QString::fromUtf8(bytes);
    // Invalid UTF-8 comes out with replacement characters; such files hold Windows-1252.
    if (text.toUtf8() != bytes)
        text = fromWin1252(bytes);
    return text;
}

} // namespace

std::optional<CipherKey> obtainKey(const QString& file, bool confirm, int* exitCode)
{
    std::optional<QString> passphrase = readPassphrase(file, confirm, exitCode);
    if (!passphrase)
        return std::nullopt;
    std::optional<CipherKey> key = keyForPassphrase(*passphrase);
    secureZero(passphrase->data(), std::size_t(passphrase->size()) * sizeof(QChar));
    if (!key)
        *exitCode = Failure;
    return key;
}

bool interactive()
{
    return ::isatty(STDIN_FILENO) && ::isatty(STDERR_FILENO);
}

QString askLine(const QString& prompt)
{
    err() << prompt;
    err().flush();
    return QString::fromStdString(readTerminalLine(STDIN_FILENO, true));
}

std::optional<QString> readPassphrase(const QString& file, bool confirm, int* exitCode)
{
    if (!file.isEmpty()) {
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly)) {
            err() << "kuvo: " << LoadText(103) << ' ' << file << ": " << f.errorString() << '\n';
            err().flush();
            *exitCode = Failure;
            return std::nullopt;
        }
        QByteArray bytes = f.readAll();
        if (bytes.endsWith('\n'))
            bytes.chop(bytes.endsWith("\r\n") ? 2 : 1);
        QString text = decodeText(bytes);
        secureZero(bytes.data(), std::size_t(bytes.size()));
        return text;
    }
    std::optional<std::string> first = askOnTerminal("Passphrase: ");
    if (!first) {
        *exitCode =
            usageError(QStringLiteral("no passphrase: give --passphrase-file PATH or run on a terminal"));
        return std::nullopt;
    }
    if (confirm) {
        std::optional<std::string> second = askOnTerminal("Passphrase again: ");
        const bool same = second && *first == *second;
        if (second)
            secureZero(*second);
        if (!same) {
            secureZero(*first);
            err() << "kuvo: the two passphrases differ\n";
            err().flush();
            *exitCode = Failure;
            return std::nullopt;
        }
    }
    QString text = decodeText(QByteArray::fromStdString(*first));
    secureZero(*first);
    return text;
}

std::optional<CipherKey> keyForPassphrase(const QString& passphrase)
{
    int id = 0;
    std::optional<CipherKey> key;
    if (passphrase.isEmpty())
        id = 114;
    else if (!(key = PassphraseToKey(std::u16string_view(
                   reinterpret_cast<const char16_t*>(passphrase.utf16()), std::size_t(passphrase.size())))))
        id = 202;
    if (id) {
        err() << "kuvo: " << LoadText(qint16(id)) << '\n';
        err().flush();
    }
    return key;
}

} // namespace kuvo::cli
