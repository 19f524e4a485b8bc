// kuvo erase as a script or a person at a terminal uses it.
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>

#include "tests/support/program_run.h"
#include "tests/support/test_files.h"

using kuvo::test::writeFile;

namespace {

struct Result {
    int exitCode = -1;
    QString err;
};

Result runKuvo(const QStringList& args, const QByteArray& input = {}, bool terminal = false)
{
    const QString exe = QDir(kuvo::test::ProgramRun::binDir()).filePath("kuvo");
    QProcess p;
    if (terminal) {
        // script gives the command a terminal of its own; what it prints comes back on stdout.
        QStringList quoted;
        for (const QString& a : QStringList{exe} + args)
            quoted << "'" + QString(a).replace("'", "'\\''") + "'";
        p.start("script", {"-qec", quoted.join(' '), "/dev/null"});
    } else {
        p.start(exe, args);
    }
    if (!p.waitForStarted(5000))
        return {};
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(60000))
        return {};
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardError() + p.readAllStandardOutput())};
}

} // namespace

class EraseCliTest : public QObject {
    Q_OBJECT
private slots:
    void eachStrength_data();
    void eachStrength();
    void folderStandsForItsPlainFiles();
    void refusesWithoutATerminal();
    void asksOnATerminal_data();
    void asksOnATerminal();
    void exitStatusCountsEveryNamedFile();
    void usageErrors_data();
    void usageErrors();
};

void EraseCliTest::eachStrength_data()
{
    QTest::addColumn<QString>("strength");
    for (const char* s : {"normal", "once", "twice", "vsitr", "VSITR", ""})
        QTest::addRow("%s", *s ? s : "default") << QString(s);
}

void EraseCliTest::eachStrength()
{
    QFETCH(QString, strength);
    QTemporaryDir dir;
    const QString a = dir.filePath("a.txt"), b = dir.filePath("b.txt");
    QVERIFY(writeFile(a, "alpha") && writeFile(b, QByteArray(70000, 'b')));
    QStringList args{"erase", "--yes"};
    if (!strength.isEmpty())
        args << "--strength=" + strength;
    const Result r = runKuvo(args + QStringList{a, b});
    QCOMPARE(r.exitCode, 0);
    QVERIFY2(r.err.contains("Done!"), qPrintable(r.err));
    QVERIFY(QDir(dir.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot));
    if (strength.isEmpty() || strength.toLower() == "vsitr")
        QVERIFY2(r.err.contains("Writing values..."), qPrintable(r.err));
    if (strength == "normal")
        QVERIFY2(!r.err.contains("Opening file..."), qPrintable(r.err));
}

void EraseCliTest::folderStandsForItsPlainFiles()
{
    QTemporaryDir dir, outside;
    const QString folder = dir.filePath("f");
    QVERIFY(QDir().mkpath(folder + "/sub"));
    QVERIFY(writeFile(folder + "/x", "x") && writeFile(folder + "/.y", "y") &&
            writeFile(folder + "/sub/z", "z"));
    const QString target = outside.filePath("target");
    QVERIFY(writeFile(target, "precious"));
    QVERIFY(QFile::link(target, folder + "/link"));
    const Result r = runKuvo({"erase", "-y", "-s", "once", folder});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{"sub"});
    QVERIFY(QFileInfo::exists(folder + "/sub/z"));
    QFile t(target);
    QVERIFY(t.open(QIODevice::ReadOnly));
    QCOMPARE(t.readAll(), "precious"); // the link went, not what it points to
}

void EraseCliTest::refusesWithoutATerminal()
{
    QTemporaryDir dir;
    const QString a = dir.filePath("a");
    QVERIFY(writeFile(a, "keep"));
    const Result r = runKuvo({"erase", a}, "y\n");
    QCOMPARE(r.exitCode, 2);
    QVERIFY2(r.err.contains("--yes"), qPrintable(r.err));
    QVERIFY(QFileInfo::exists(a));
}

void EraseCliTest::asksOnATerminal_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("erased");
    QTest::addRow("yes") << QByteArray("y\n") << true;
    QTest::addRow("no") << QByteArray("n\n") << false;
    QTest::addRow("just Enter") << QByteArray("\n") << false;
}

void EraseCliTest::asksOnATerminal()
{
    QFETCH(QByteArray, answer);
    QFETCH(bool, erased);
    if (QStandardPaths::findExecutable("script").isEmpty())
        QSKIP("needs script(1) for a terminal");
    QTemporaryDir dir;
    const QString a = dir.filePath("a");
    QVERIFY(writeFile(a, "data"));
    const Result r = runKuvo({"erase", a}, answer, true);
    QVERIFY2(r.err.contains("Are you sure you want to delete these files? [y/N]"), qPrintable(r.err));
    QCOMPARE(QFileInfo::exists(a), !erased);
    QCOMPARE(r.exitCode, erased ? 0 : 1);
}

void EraseCliTest::exitStatusCountsEveryNamedFile()
{
    QTemporaryDir dir;
    const QString a = dir.filePath("a"), missing = dir.filePath("missing"), fifo = dir.filePath("pipe");
    QVERIFY(writeFile(a, "data"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

    Result r = runKuvo({"erase", "-y", a, missing});
    QCOMPARE(r.exitCode, 1);
    QVERIFY(!QFileInfo::exists(a)); // the others are still erased
    QVERIFY2(r.err.contains("cannot erase '" + missing + "'"), qPrintable(r.err));

    r = runKuvo({"erase", "-y", fifo});
    QCOMPARE(r.exitCode, 1);
    QVERIFY(QFileInfo::exists(fifo));
    QVERIFY2(r.err.contains("These items are not regular files and were not erased:\n" + fifo),
             qPrintable(r.err));
    QVERIFY2(r.err.contains("not erased: " + fifo), qPrintable(r.err));
}

void EraseCliTest::usageErrors_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addRow("no file") << QStringList{"erase", "--yes"};
    QTest::addRow("bad strength") << QStringList{"erase", "--strength", "hard", "x"};
    QTest::addRow("unknown option") << QStringList{"erase", "--force", "x"};
}

void EraseCliTest::usageErrors()
{
    QFETCH(QStringList, args);
    const Result r = runKuvo(args);
    QCOMPARE(r.exitCode, 2);
    QVERIFY2(r.err.contains("kuvo: erase:"), qPrintable(r.err));
    const Result help = runKuvo({"erase", "--help"});
    QCOMPARE(help.exitCode, 0);
    QVERIFY(help.err.contains("Usage: kuvo erase"));
}

QTEST_GUILESS_MAIN(EraseCliTest)
#include "erase_cli_test.moc"
