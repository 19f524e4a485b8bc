// Drives the real launcher in a private X server as a user would: choose
// "Encrypt a file", press Next, and Crypt must come up on its encrypt-files
// panel while the launcher is gone.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QUuid>
#include <QtTest>
#include <csignal>

#include "tests/support/program_run.h"

using kuvo::test::ProgramRun;

namespace {

// A private Xvfb on a display it picks itself; stopped when this goes away.
class PrivateX {
public:
    ~PrivateX()
    {
        if (m_server.state() != QProcess::NotRunning) {
            m_server.terminate();
            if (!m_server.waitForFinished(3000)) {
                m_server.kill();
                m_server.waitForFinished(3000);
            }
        }
    }

    bool start(QString* why)
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

    QString display() const { return m_display; }

    // Runs xdotool against this display; its output, or nothing on failure or timeout.
    std::optional<QString> xdotool(const QStringList& args, int timeoutMs = 10000)
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

private:
    QProcess m_server;
    QString m_display;
};

// Processes of this user whose environment carries the marker, with their command lines.
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

// Ends what the launcher started, which is no child of this test.
class MarkedCleanup {
public:
    explicit MarkedCleanup(QByteArray marker) : m_marker(std::move(marker)) {}
    ~MarkedCleanup()
    {
        for (const auto& p : markedProcesses(m_marker))
            ::kill(pid_t(p.first), SIGKILL);
    }

private:
    QByteArray m_marker;
};

// Where Opts_0 lies in the wizard: its page is at (112, 154), the task 20 px in and 18 px down.
constexpr int kOpts0X = 112 + 20 + 8;
constexpr int kOpts0Y = 154 + 18 + 15;

} // namespace

class LauncherFlowTest : public QObject {
    Q_OBJECT
private slots:
    void encryptAFileStartsCrypt();
};

void LauncherFlowTest::encryptAFileStartsCrypt()
{
    if (QStandardPaths::findExecutable("Xvfb").isEmpty() ||
        QStandardPaths::findExecutable("xdotool").isEmpty())
        QSKIP("needs Xvfb and xdotool (scripts/setup.sh installs them)");
    PrivateX x;
    QString why;
    QVERIFY2(x.start(&why), qPrintable(why));

    const QByteArray marker = "KUVO_E2E_RUN=" + QUuid::createUuid().toByteArray(QUuid::WithoutBraces);
    MarkedCleanup cleanup(marker);
    ProgramRun run;
    run.setLangDigit("0");
    run.setEnv("QT_QPA_PLATFORM", "xcb");
    run.setEnv("DISPLAY", x.display());
    run.setEnv(QString::fromLatin1(marker.split('=').first()), QString::fromLatin1(marker.split('=').last()));
    QVERIFY(run.start("varnhold"));
    QVERIFY2(run.waitForProbe("window Form1\tKuvo Security Tools Lite", 15000), qPrintable(run.probe()));

    const auto window =
        x.xdotool({"search", "--sync", "--onlyvisible", "--name", "^Kuvo Security Tools Lite$"});
    QVERIFY2(window && !window->isEmpty(), "the wizard's X window was not found");
    const QString wid = window->split('\n').first();

    // The mouse stays over the wizard, so the keys go there too (no window manager hands out focus).
    QVERIFY(x.xdotool({"mousemove", "--window", wid, "--sync", QString::number(kOpts0X),
                       QString::number(kOpts0Y), "click", "1"}));
    QVERIFY2(run.waitForProbe("Opts_0\tenabled\tEncryption && Decryption [checked]"),
             qPrintable(run.probe()));
    QVERIFY2(run.waitForProbe("CmdNext\tenabled\t&Next >"), qPrintable(run.probe()));

    QVERIFY(x.xdotool({"key", "Return"}));
    QVERIFY2(run.waitForProbe("OptEd_0\tenabled\tEncrypt a file [checked]"), qPrintable(run.probe()));
    QVERIFY2(run.waitForProbe("FrameEncrDecr\tenabled"), qPrintable(run.probe()));

    QVERIFY(x.xdotool({"key", "Return"}));
    QVERIFY2(run.waitForExit(15000), "the launcher did not close after starting Crypt");
    QCOMPARE(run.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(run.process().exitCode(), 0);

    // Crypt inherited the probe file and the marker from the launcher.
    QVERIFY2(run.waitForProbe("window FCrypt\t", 15000), qPrintable(run.probe()));
    const auto started = markedProcesses(marker);
    QCOMPARE(started.size(), 1);
    const QStringList cmdline = started.first().second;
    QCOMPARE(cmdline.size(), 2);
    QCOMPARE(QFileInfo(cmdline[0]).canonicalFilePath(),
             QFileInfo(QDir(ProgramRun::binDir()).filePath("crypt")).canonicalFilePath());
    QCOMPARE(cmdline[1], QString("/filee"));
    QVERIFY2(!run.probe().contains("window Form1"), qPrintable(run.probe()));
    QVERIFY2(run.waitForProbe("  Frame_1\t", 15000), qPrintable(run.probe()));
    QVERIFY2(run.waitForProbe("  FramFileEnrypt\t"), qPrintable(run.probe()));
}

QTEST_GUILESS_MAIN(LauncherFlowTest)
#include "launcher_flow_test.moc"
