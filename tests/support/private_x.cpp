#include "private_x.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <csignal>

namespace kuvo::test {

PrivateX::~PrivateX()
{
    if (m_server.state() != QProcess::NotRunning) {
        m_server.terminate();
        if (!m_server.waitForFinished(3000)) {
            m_server.kill();
            m_server.waitForFinished(3000);
        }
    }
}

bool PrivateX::available()
{
    return !QStandardPaths::findExecutable("Xvfb").isEmpty() &&
           !QStandardPaths::findExecutable("xdotool").isEmpty();
}

bool PrivateX::start(QString* why)
{
    // -displayfd: the server chooses a free display and reports it once it accepts clients.
    m_server.start(QStringLiteral("Xvfb"),
                   {"-displayfd", "1", "-screen", "0", "1280x900x24", "-nolisten", "tcp"});
    if (!m_server.waitForStarted(5000)) {
        *why = m_server.errorString();
        return false;
    }
    QElapsedTimer t;
    t.start();
    QByteArray out;
    while (t.elapsed() < 15000 && !out.contains('\n')) {
        if (m_server.state() == QProcess::NotRunning)
            break;
        m_server.waitForReadyRead(200);
        out += m_server.readAllStandardOutput();
    }
    bool ok = false;
    const int number = out.trimmed().toInt(&ok);
    if (!ok) {
        *why = QStringLiteral("Xvfb reported no display: ") +
               QString::fromLocal8Bit(m_server.readAllStandardError());
        return false;
    }
    m_display = QStringLiteral(":%1").arg(number);
    return true;
}

std::optional<QString> PrivateX::xdotool(const QStringList& args, int timeoutMs)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", m_display);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral("xdotool"), args);
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished(2000);
        return std::nullopt;
    }
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return std::nullopt;
    return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
}

bool PrivateX::clickAt(int x, int y)
{
    return xdotool({"mousemove", "--sync", QString::number(x), QString::number(y), "click", "1"}).has_value();
}

bool PrivateX::key(const QString& keys)
{
    return xdotool({"key", keys}).has_value();
}

bool PrivateX::type(const QString& text)
{
    return xdotool({"type", "--delay", "30", text}).has_value();
}

QList<QPair<qint64, QStringList>> markedProcesses(const QByteArray& marker)
{
    QList<QPair<qint64, QStringList>> found;
    const auto entries = QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        bool numeric = false;
        const qint64 pid = entry.toLongLong(&numeric);
        if (!numeric)
            continue;
        QFile environ(QStringLiteral("/proc/%1/environ").arg(pid));
        if (!environ.open(QIODevice::ReadOnly) || !environ.readAll().split('\0').contains(marker))
            continue;
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid));
        if (!cmdline.open(QIODevice::ReadOnly))
            continue;
        QStringList args;
        for (const QByteArray& a : cmdline.readAll().split('\0'))
            if (!a.isEmpty())
                args << QString::fromLocal8Bit(a);
        found.append({pid, args});
    }
    return found;
}

MarkedCleanup::~MarkedCleanup()
{
    for (const auto& p : markedProcesses(m_marker))
        ::kill(pid_t(p.first), SIGKILL);
}

} // namespace kuvo::test
