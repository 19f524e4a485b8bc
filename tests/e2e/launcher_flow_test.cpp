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

#include "tests/support/private_x.h"
#include "tests/support/program_run.h"

using kuvo::test::markedProcesses;
using kuvo::test::MarkedCleanup;
using kuvo::test::PrivateX;
using kuvo::test::ProgramRun;

namespace {

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
    if (!PrivateX::available())
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
