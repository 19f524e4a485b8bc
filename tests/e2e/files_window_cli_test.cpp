// Containers travel between the real "kuvo" command line and Crypt's window
// (driven here in-process, its dialogs answered by the fake platform): each
// restores what the other stored, tree for tree.
#include <QDirIterator>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QtTest>

#include "common/catalogue.h"
#include "common/lang.h"
#include "crypt/ui/fcrypt.h"
#include "tests/support/fake_platform.h"
#include "tests/support/program_run.h"
#include "tests/support/test_files.h"

using kuvo::test::FakePlatform;
using kuvo::test::ProgramRun;

using kuvo::test::pseudoRandom;
using kuvo::test::treeOf;
using kuvo::test::writeFile;

namespace {

const QString kPassphrase = QString::fromUtf8("Zwölf Boxkämpfer jagen Viktor");

} // namespace

class FilesWindowCliTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cliEncryptWindowDecrypt();
    void windowEncryptCliDecrypt();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }
    // A tree with sub-folders, an empty file, text, noise and names outside ASCII.
    void makeTree(const QString& root);
    int kuvo(const QStringList& args, QString* err);
    std::unique_ptr<QTemporaryDir> m_dir;
};

void FilesWindowCliTest::init()
{
    kuvo::test::useCatalogue(QStringLiteral("crypt"), kuvo::kOffsetEnglish);
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(writeFile(path("pass"), kPassphrase.toUtf8() + '\n'));
}

void FilesWindowCliTest::makeTree(const QString& root)
{
    QVERIFY(writeFile(root + "/readme.txt", QByteArray("A line of plain text.\n").repeated(20000)));
    QVERIFY(writeFile(root + "/empty", {}));
    QVERIFY(writeFile(root + "/sub/noise.bin", pseudoRandom(1 << 20, 11)));
    QVERIFY(writeFile(root + "/sub/deeper/" + QString::fromUtf8("Café €5.txt"), "Windows-1252 name"));
    QVERIFY(writeFile(root + "/sub/deeper/" + QString::fromUtf8("日本.txt"), "UTF-8 name"));
}

int FilesWindowCliTest::kuvo(const QStringList& args, QString* err)
{
    QProcess p;
    p.setWorkingDirectory(m_dir->path());
    p.start(QDir(ProgramRun::binDir()).filePath("kuvo"), args);
    p.closeWriteChannel();
    if (!p.waitForFinished(120000))
        return -1;
    *err = QString::fromUtf8(p.readAllStandardError());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

void FilesWindowCliTest::cliEncryptWindowDecrypt()
{
    makeTree(path("tree"));
    QString err;
    QCOMPARE(kuvo({"encrypt", "-o", path("c.kuvo"), "--passphrase-file", path("pass"), "--dir", path("tree")},
                  &err),
             0);

    FakePlatform fp;
    FCrypt w(fp.platform(), QStringLiteral("/setdecrfile ") + path("c.kuvo"));
    w.findDataFile = [](const QString&) { return QString(); };
    w.show();
    QCOMPARE(w.TxtDecrOutPath->text(), m_dir->path() + "/");
    w.TxtDecrOutPath->setText(path("restored/"));
    w.TxtCode->setText(kPassphrase);
    QTest::mouseClick(w.Command5, Qt::LeftButton);
    QVERIFY2(fp.dialogs.messages.isEmpty(), qPrintable(fp.dialogs.texts().join('\n')));
    QCOMPARE(treeOf(path("restored")), treeOf(path("tree")));
}

void FilesWindowCliTest::windowEncryptCliDecrypt()
{
    makeTree(path("tree"));
    FakePlatform fp;
    FCrypt w(fp.platform(), QStringLiteral("/filee"));
    w.findDataFile = [](const QString&) { return QString(); };
    w.show();
    w.OptDirs->setChecked(true);
    fp.dialogs.fileAnswers << path("tree");
    QTest::mouseClick(w.CmdAdCryptdfile, Qt::LeftButton);
    QCOMPARE(w.LstCryptFiles->count(), 5);
    w.TxtEncrFileName->setText(path("c.kuvo"));
    w.TxtCode->setText(kPassphrase);
    fp.dialogs.answers << kuvo::Answer::Ok;
    QTest::mouseClick(w.Command4, Qt::LeftButton);
    QCOMPARE(fp.dialogs.texts(), QStringList{kuvo::LoadText(190)});
    QCOMPARE(w.LastContainer, path("c.kuvo"));

    QString err;
    QCOMPARE(
        kuvo({"decrypt", path("c.kuvo"), "-C", path("restored"), "--passphrase-file", path("pass")}, &err),
        0);
    QVERIFY2(err.isEmpty(), qPrintable(err));
    QCOMPARE(treeOf(path("restored")), treeOf(path("tree")));
}

QTEST_MAIN(FilesWindowCliTest)
#include "files_window_cli_test.moc"
