// Starts one of the suite's real executables for an end-to-end test, with a
// private home and config folder, and reads what it shows through the probe file.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>

namespace kuvo::test {

class ProgramRun {
public:
    // configDir: the XDG_CONFIG_HOME to use (so several programs can share one ml.ini).
    explicit ProgramRun(const QString& configDir = QString());
    ~ProgramRun();

    static QString binDir();
    QString configDir() const { return m_config; }
    void setLangDigit(const QByteArray& digit);  // writes ml.ini, "" removes it
    void setEnv(const QString& name, const QString& value) { m_env.insert(name, value); }

    bool start(const QString& program, const QStringList& args = {});
    // Waits until the probe holds a line containing needle; false on timeout.
    bool waitForProbe(const QString& needle, int timeoutMs = 10000);
    QString probe() const;
    bool waitForExit(int timeoutMs = 10000);
    QProcess& process() { return m_process; }

private:
    QTemporaryDir m_home;
    QString m_config;
    QString m_probePath;
    QProcessEnvironment m_env;
    QProcess m_process;
};

}  // namespace kuvo::test
