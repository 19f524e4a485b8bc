// kuvo encrypt / decrypt / list as a user runs them: real processes, real files.
#include <QDirIterator>
#include <QtTest>

#include "tests/support/program_run.h"
#include "tests/support/test_files.h"

using kuvo::test::ProgramRun;

using kuvo::test::pseudoRandom;
using kuvo::test::treeOf;
using kuvo::test::writeFile;

namespace {

struct Run {
    int code = -1;
    QString out;
    QString err;
};

} // namespace

class FilesCliTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void directoryTreeRoundTrip();
    void filesModeFlattensFolders();
    void existingOutputIsNeverOverwrittenSilently();
    void wrongPassphraseCreatesNothing();
    void messagesFollowTheLanguageSetting();
    void usageErrors_data();
    void usageErrors();

private:
    Run kuvo(const QStringList& args,
             const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment());
    QString path(const QString& name) const { return m_dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_pass;
};

Run FilesCliTest::kuvo(const QStringList& args, const QProcessEnvironment& env)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(m_dir->path());
    p.start(QDir(ProgramRun::binDir()).filePath("kuvo"), args);
    p.closeWriteChannel(); // no terminal: nothing may be asked
    Run r;
    if (!p.waitForFinished(120000))
        return r;
    r.code = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

void FilesCliTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_pass = path("pass");
    QVERIFY(writeFile(m_pass, "Süße Grüße 2024\n")); // one trailing newline is not part of it
}

void FilesCliTest::directoryTreeRoundTrip()
{
    const QString tree = path("tree");
    QVERIFY(writeFile(tree + "/notes.txt", QByteArray("line of text\n").repeated(30000)));
    QVERIFY(writeFile(tree + "/empty", {}));
    QVERIFY(writeFile(tree + "/sub/noise.bin", pseudoRandom(3 << 20, 1)));
    QVERIFY(writeFile(tree + "/sub/deeper/" + QString::fromUtf8("日記 é.txt"), "utf-8 name"));
    QVERIFY(writeFile(tree + "/sub/deeper/small", "s"));

    Run r = kuvo({"encrypt", "-o", path("c.kuvo"), "--passphrase-file", m_pass, "--dir", tree});
    QVERIFY2(r.code == 0, qPrintable(r.err));

    // The same passphrase written without the newline opens it.
    QVERIFY(writeFile(path("pass2"), "Süße Grüße 2024"));
    r = kuvo({"list", path("c.kuvo"), "--passphrase-file", path("pass2")});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QCOMPARE(r.out, QString::fromUtf8("0\tempty\n390000\tnotes.txt\n1\tsub/deeper/small\n"
                                      "10\tsub/deeper/日記 é.txt\n3145728\tsub/noise.bin\n"));
    QVERIFY(!QFileInfo::exists(path("sub")));

    r = kuvo({"decrypt", path("c.kuvo"), "-C", path("out/new"), "--passphrase-file", m_pass});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QCOMPARE(treeOf(path("out/new")), treeOf(tree));

    // Without -C the container's folder is the output folder.
    QDir().mkpath(path("beside"));
    QVERIFY(QFile::copy(path("c.kuvo"), path("beside/c.kuvo")));
    r = kuvo({"decrypt", path("beside/c.kuvo"), "--passphrase-file", m_pass});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QCOMPARE(QFile(path("beside/sub/deeper/small")).size(), 1);
}

void FilesCliTest::filesModeFlattensFolders()
{
    QVERIFY(writeFile(path("a.txt"), "a"));
    QVERIFY(writeFile(path("folder/b.txt"), "b"));
    QVERIFY(writeFile(path("folder/inner/c.txt"), "c"));
    Run r =
        kuvo({"encrypt", "-o", path("f.kuvo"), "--passphrase-file", m_pass, path("a.txt"), path("folder")});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    r = kuvo({"decrypt", path("f.kuvo"), "-C", path("out"), "--passphrase-file", m_pass});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    const QMap<QString, QByteArray> expected{{"a.txt", "a"}, {"b.txt", "b"}, {"c.txt", "c"}};
    QCOMPARE(treeOf(path("out")), expected);
}

void FilesCliTest::existingOutputIsNeverOverwrittenSilently()
{
    QVERIFY(writeFile(path("in/x.txt"), "new x"));
    QVERIFY(writeFile(path("in/y.txt"), "new y"));
    QVERIFY(writeFile(path("c.kuvo"), "an older container"));
    Run r = kuvo(
        {"encrypt", "-o", path("c.kuvo"), "--passphrase-file", m_pass, path("in/x.txt"), path("in/y.txt")});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains("The output file " + path("c.kuvo") + " already exists and was not overwritten."),
             qPrintable(r.err));
    r = kuvo({"encrypt", "-o", path("c.kuvo"), "--overwrite", "--passphrase-file", m_pass, path("in/x.txt"),
              path("in/y.txt")});
    QVERIFY2(r.code == 0, qPrintable(r.err));

    QVERIFY(writeFile(path("out/x.txt"), "old x"));
    r = kuvo({"decrypt", path("c.kuvo"), "-C", path("out"), "--passphrase-file", m_pass});
    QCOMPARE(r.code, 1); // x refused, y restored
    QVERIFY2(r.err.contains(path("out") + "/x.txt already exists"), qPrintable(r.err));
    QFile x(path("out/x.txt"));
    QVERIFY(x.open(QIODevice::ReadOnly));
    QCOMPARE(x.readAll(), QByteArray("old x"));
    x.close();
    QCOMPARE(treeOf(path("out")).value("y.txt"), QByteArray("new y"));
    r = kuvo({"decrypt", path("c.kuvo"), "-C", path("out"), "--overwrite", "--passphrase-file", m_pass});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QCOMPARE(treeOf(path("out")).value("x.txt"), QByteArray("new x"));
    // The container over its own input is refused before anything is touched.
    r = kuvo({"encrypt", "-o", path("in/../in/x.txt"), "--overwrite", "--passphrase-file", m_pass,
              path("in/x.txt")});
    QCOMPARE(r.code, 1);
    QCOMPARE(treeOf(path("in")).value("x.txt"), QByteArray("new x"));
}

void FilesCliTest::wrongPassphraseCreatesNothing()
{
    QVERIFY(writeFile(path("tree/sub/x"), "x"));
    QVERIFY(
        kuvo({"encrypt", "-o", path("w.kuvo"), "--passphrase-file", m_pass, "--dir", path("tree")}).code ==
        0);
    QVERIFY(writeFile(path("wrong"), "Suse Grusse 2024\n"));
    const Run r = kuvo({"decrypt", path("w.kuvo"), "-C", path("out"), "--passphrase-file", path("wrong")});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains("Not possible! Check input and password. No file was created."),
             qPrintable(r.err));
    QVERIFY(!QFileInfo::exists(path("out")));
    QCOMPARE(kuvo({"list", path("w.kuvo"), "--passphrase-file", path("wrong")}).code, 1);
}

void FilesCliTest::messagesFollowTheLanguageSetting()
{
    // ml.ini "1" is German.
    QTemporaryDir config;
    QDir().mkpath(config.filePath("kuvo-security-tools"));
    QVERIFY(writeFile(config.filePath("kuvo-security-tools/ml.ini"), "1"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", config.path());
    QVERIFY(writeFile(path("three.kuvo"), "abc"));
    const Run r = kuvo({"decrypt", path("three.kuvo"), "--passphrase-file", m_pass}, env);
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains("Die Datei hat keinen verwendbaren Inhalt!"), qPrintable(r.err));
}

void FilesCliTest::usageErrors_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addRow("encrypt without -o") << QStringList{"encrypt", "a"};
    QTest::addRow("encrypt files and --dir") << QStringList{"encrypt", "-o", "c", "--dir", "d", "a"};
    QTest::addRow("encrypt nothing") << QStringList{"encrypt", "-o", "c"};
    QTest::addRow("decrypt two") << QStringList{"decrypt", "a", "b"};
    QTest::addRow("list unknown option") << QStringList{"list", "--overwrite", "a"};
    QTest::addRow("no passphrase, no terminal") << QStringList{"list", "a.kuvo"};
}

void FilesCliTest::usageErrors()
{
    QFETCH(QStringList, args);
    const Run r = kuvo(args);
    QCOMPARE(r.code, 2);
    QVERIFY(r.err.contains("Try 'kuvo --help'."));
}

QTEST_GUILESS_MAIN(FilesCliTest)
#include "files_cli_test.moc"
