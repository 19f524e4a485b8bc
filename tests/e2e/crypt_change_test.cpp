// The suite's typical request end to end, with the real programs in a private
// X server: Crypt encrypts two files with "Securely erase input files" ticked,
// the questions are answered with real clicks and key presses, Crypt hands its
// list to Change, and Change erases both files. The container holds them.
#include <QDirIterator>
#include <QRegularExpression>
#include <QUuid>
#include <QtTest>

#include "tests/support/private_x.h"
#include "tests/support/program_run.h"
#include "tests/support/test_files.h"

using kuvo::test::MarkedCleanup;
using kuvo::test::markedProcesses;
using kuvo::test::PrivateX;
using kuvo::test::ProgramRun;

using kuvo::test::pseudoRandom;
using kuvo::test::readFile;
using kuvo::test::writeFile;

namespace {

// The centre of a control as the probe reports it ("\t@x,y,w,h" at the end of its line).
std::optional<QPoint> centreOf(const QString& probe, const QString& name)
{
    static const QRegularExpression geometry(QStringLiteral("\\t@(-?\\d+),(-?\\d+),(\\d+),(\\d+)$"));
    for (const QString& line : probe.split('\n')) {
        if (!line.startsWith("  " + name + "\t"))
            continue;
        const auto m = geometry.match(line);
        if (m.hasMatch())
            return QPoint(m.captured(1).toInt() + m.captured(3).toInt() / 2,
                          m.captured(2).toInt() + m.captured(4).toInt() / 2);
    }
    return std::nullopt;
}

bool anyMarked(const QByteArray& marker, const QString& program)
{
    for (const auto& p : markedProcesses(marker))
        if (!p.second.isEmpty() && QFileInfo(p.second.first()).fileName() == program)
            return true;
    return false;
}

} // namespace

class CryptChangeTest : public QObject {
    Q_OBJECT
private slots:
    void encryptThenEraseWithTheRealPrograms();
};

void CryptChangeTest::encryptThenEraseWithTheRealPrograms()
{
    if (!PrivateX::available())
        QSKIP("needs Xvfb and xdotool (scripts/setup.sh installs them)");
    PrivateX x;
    QString why;
    QVERIFY2(x.start(&why), qPrintable(why));
    QTemporaryDir dir, runtime;
    QVERIFY(dir.isValid() && runtime.isValid());
    const QString one = dir.filePath("one.txt"), two = dir.filePath("two.bin");
    const QString container = dir.filePath("both.kuvo");
    const QByteArray oneBytes = QByteArray("first file, plain text\n").repeated(4000);
    const QByteArray twoBytes = pseudoRandom(300000, 3);
    QVERIFY(writeFile(one, oneBytes) && writeFile(two, twoBytes));
    const QString passphrase = "Typed on the keys 42";

    const QByteArray marker = "KUVO_E2E_RUN=" + QUuid::createUuid().toByteArray(QUuid::WithoutBraces);
    MarkedCleanup cleanup(marker);
    ProgramRun run;
    run.setLangDigit("0");
    run.setEnv("QT_QPA_PLATFORM", "xcb");
    run.setEnv("DISPLAY", x.display());
    run.setEnv("KUVO_TEST_PROBE_GEOMETRY", "1");
    run.setEnv("XDG_RUNTIME_DIR", runtime.path()); // where the hand-over socket lies; Change inherits it
    run.setEnv(QString::fromLatin1(marker.split('=').first()), QString::fromLatin1(marker.split('=').last()));
    QVERIFY(run.start("crypt", {"/setencrfiles", one, two, "/outputfile", container}));
    QVERIFY2(run.waitForProbe("window FCrypt\t", 15000), qPrintable(run.probe()));
    QVERIFY2(run.waitForProbe("  ChkEraseEncr\tenabled\t"), qPrintable(run.probe()));
    QVERIFY2(run.waitForProbe("  Command4\tenabled\t"), qPrintable(run.probe()));

    const auto clickOn = [&](const QString& name) {
        const auto at = centreOf(run.probe(), name);
        return at && x.clickAt(at->x(), at->y());
    };
    QVERIFY(clickOn("ChkEraseEncr"));
    QVERIFY2(run.waitForProbe("  ChkEraseEncr\tenabled\tSecurely erase input files with Kuvo-Change after "
                              "encryption [checked]\t@"),
             qPrintable(run.probe()));
    QVERIFY(clickOn("ChkHPwd")); // show the passphrase, so the probe can read it back
    QVERIFY(clickOn("TxtCode"));
    QVERIFY(x.type(passphrase));
    QVERIFY2(run.waitForProbe("  TxtCode\tenabled\t" + passphrase + "\t"), qPrintable(run.probe()));

    QVERIFY(clickOn("Command4"));
    QVERIFY2(run.waitForProbe("window \tKuvo Crypt\n", 10000), qPrintable(run.probe())); // the reminder
    QVERIFY(x.key("Return"));
    QVERIFY2(run.waitForProbe("window \tKuvo Crypt Lite\n", 20000), qPrintable(run.probe())); // 116 + 117
    QVERIFY(QFileInfo(container).size() > 0);
    QVERIFY(QFileInfo::exists(one) && QFileInfo::exists(two)); // nothing erased before the answer
    QVERIFY(!anyMarked(marker, "change"));
    QVERIFY(x.key("Return"));

    // Change comes up with the list and asks once; Yes is its default button.
    QTRY_VERIFY_WITH_TIMEOUT(anyMarked(marker, "change"), 10000);
    QVERIFY2(run.waitForProbe("LblFiles\tenabled\tFiles: 2", 15000), qPrintable(run.probe()));
    QVERIFY2(run.waitForProbe("window \tErase Files\n", 15000), qPrintable(run.probe()));
    QTest::qWait(300);
    QVERIFY(x.key("Return"));
    QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo::exists(one) && !QFileInfo::exists(two), 20000);
    QVERIFY2(run.waitForProbe("LblStat\tenabled\tFinished!", 15000) ||
                 run.probe().contains("LblStat\tdisabled\tFinished!"),
             qPrintable(run.probe()));
    QVERIFY(x.key("Return")); // its "Done!" box; started by Crypt, Change then closes
    QTRY_VERIFY_WITH_TIMEOUT(!anyMarked(marker, "change"), 15000);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"both.kuvo"});

    // Crypt is idle again, the passphrase box empty, and still running.
    QVERIFY2(run.waitForProbe("  Command4\tenabled\t"), qPrintable(run.probe()));
    QTest::qWait(500);
    const QString idle = run.probe();
    QVERIFY2(idle.startsWith("window FCrypt\t") && !idle.contains("window \t"), qPrintable(idle));
    QVERIFY2(!idle.contains("  FrameW\t"), qPrintable(idle));
    QVERIFY2(idle.contains("  TxtCode\tenabled\t\t"), qPrintable(idle));
    QCOMPARE(run.process().state(), QProcess::Running);

    // The container holds both files.
    QVERIFY(writeFile(dir.filePath("pass"), passphrase.toUtf8()));
    QProcess kuvo;
    kuvo.start(QDir(ProgramRun::binDir()).filePath("kuvo"),
               {"decrypt", container, "-C", dir.filePath("out"), "--passphrase-file", dir.filePath("pass")});
    kuvo.closeWriteChannel();
    QVERIFY(kuvo.waitForFinished(60000));
    QVERIFY2(kuvo.exitCode() == 0, kuvo.readAllStandardError().constData());
    QCOMPARE(readFile(dir.filePath("out/one.txt")), oneBytes);
    QCOMPARE(readFile(dir.filePath("out/two.bin")), twoBytes);
}

QTEST_GUILESS_MAIN(CryptChangeTest)
#include "crypt_change_test.moc"
