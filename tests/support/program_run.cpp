#include "program_run.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

namespace kuvo::test {

ProgramRun::ProgramRun(const QString& configDir)
    : m_config(configDir.isEmpty() ? m_home.filePath(".config") : configDir),
      m_probePath(m_home.filePath("probe.txt")),
      m_env(QProcessEnvironment::systemEnvironment())
{
    QDir().mkpath(m_config);
    m_env.insert("HOME", m_home.path());
    m_env.insert("XDG_CONFIG_HOME", m_config);
    m_env.insert("QT_QPA_PLATFORM", "offscreen");
    m_env.insert("KUVO_TEST_PROBE", m_probePath);
}

ProgramRun::~ProgramRun()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
}

QString ProgramRun::binDir()
{
    return qEnvironmentVariable("KUVO_BIN_DIR");
}

void ProgramRun::setLangDigit(const QByteArray& digit)
{
    const QString dir = m_config + "/kuvo-security-tools";
    QDir().mkpath(dir);
    QFile f(dir + "/ml.ini");
    if (digit.isEmpty()) {
        f.remove();
        return;
    }
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(digit);
}

bool ProgramRun::start(const QString& program, const QStringList& args)
{
    m_process.setProcessEnvironment(m_env);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(QDir(binDir()).filePath(program), args);
    return m_process.waitForStarted(5000);
}

QString ProgramRun::probe() const
{
    QFile f(m_probePath);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}

bool ProgramRun::waitForProbe(const QString& needle, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs) {
        if (probe().contains(needle))
            return true;
        QThread::msleep(50);
    }
    return false;
}

bool ProgramRun::waitForExit(int timeoutMs)
{
    return m_process.state() == QProcess::NotRunning || m_process.waitForFinished(timeoutMs);
}

}  // namespace kuvo::test
