// FrmChange as a widget: its layout, the list rules, drops, the file browser,
// Go, the run's panel and both command-line forms, with scripted dialogs.
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QTreeView>
#include <QFileSystemModel>
#include <QtTest>
#include <sys/stat.h>

#include "change/ui/frmchange.h"
#include "common/handover.h"
#include "common/lang.h"
#include "common/ucshape.h"
#include "engine_support.h"
#include "tests/support/fake_platform.h"

using kuvo::Answer;
using kuvo::Buttons;
using kuvo::test::FakePlatform;
using kuvo::test::readFile;
using kuvo::test::writeFile;

namespace {

template <typename T = QWidget> T* control(QWidget* w, const char* name)
{
    T* c = w->findChild<T*>(QString::fromLatin1(name));
    if (!c)
        qFatal("no control %s", name);
    return c;
}

QStringList items(QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

// A drop as the window system delivers it: enter, then drop.
void drop(QWidget* target, QMimeData* mime)
{
    const QPoint at(5, 5);
    QDragEnterEvent enter(at, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent dropped(at, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &dropped);
}

void dropFiles(QWidget* target, const QStringList& paths)
{
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString& p : paths)
        urls << QUrl::fromLocalFile(p);
    mime.setUrls(urls);
    drop(target, &mime);
}

void dropControl(QWidget* target, const QByteArray& name)
{
    QMimeData mime;
    mime.setData(FrmChange::kControlDragMime, name);
    drop(target, &mime);
}

// Serves a hand-over from its own thread, so a window that fetches it in this one is answered.
class ServerThread {
public:
    QString serve(const QStringList& paths)
    {
        m_server = new kuvo::HandoverServer;
        m_server->moveToThread(&m_thread);
        m_thread.start();
        QString token;
        QMetaObject::invokeMethod(
            m_server, [&] { token = m_server->serve(paths); }, Qt::BlockingQueuedConnection);
        return token;
    }
    ~ServerThread()
    {
        if (!m_server)
            return;
        QMetaObject::invokeMethod(
            m_server, [this] { delete m_server; }, Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }

private:
    QThread m_thread;
    kuvo::HandoverServer* m_server = nullptr;
};

} // namespace

class FrmChangeTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startsIdleWithThePlaceholder();
    void layout_data();
    void layout();
    void textsFitInEveryLanguage_data();
    void textsFitInEveryLanguage();
    void listRules_data();
    void listRules();
    void goNeedsRealEntries();
    void deleteKey();
    void dropsFromTheFileManager();
    void droppedFolderAddsOnlyItsOwnFiles();
    void folderDraggedFromDir1();
    void fileBrowser();
    void folderListOpensDownToTheFolder();
    void goErasesAfterYes();
    void goWithNoKeepsEverything();
    void stopDuringARun_data();
    void stopDuringARun();
    void returnToMainMenu();
    void commandLineOneFile();
    void commandLineHandover_data();
    void commandLineHandover();
    void handoverTokenThatNamesNothing();

private:
    QString make(const QString& name, const QByteArray& content = "data")
    {
        const QString p = m_dir->filePath(name);
        QDir().mkpath(QFileInfo(p).path());
        if (!writeFile(p, content))
            qFatal("cannot write %s", qPrintable(p));
        return p;
    }

    QTemporaryDir m_runtime;
    QTemporaryDir* m_dir = nullptr;
    FakePlatform* m_fp = nullptr;
};

void FrmChangeTest::initTestCase()
{
    QVERIFY(m_runtime.isValid());
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
}

void FrmChangeTest::init()
{
    kuvo::test::useCatalogue("change", kuvo::kOffsetEnglish);
    m_dir = new QTemporaryDir;
    m_fp = new FakePlatform;
}

void FrmChangeTest::cleanup()
{
    delete m_fp;
    delete m_dir;
}

void FrmChangeTest::startsIdleWithThePlaceholder()
{
    FrmChange w(m_fp->platform(), QString());
    QCOMPARE(w.windowTitle(), "Kuvo Crypt SE - Securely erase files");
    QCOMPARE(control<QLabel>(&w, "lblTitle")->text(), "Securely erase files");
    QCOMPARE(control<QLabel>(&w, "Label1")->text(), "Files to securely delete:");
    QCOMPARE(control<QLabel>(&w, "Label4")->text(), "Strength of erasing:");
    QCOMPARE(control<QPushButton>(&w, "Command1")->text(), "Go");
    QCOMPARE(control<QPushButton>(&w, "CmdCancel")->text(), "Cancel");
    QCOMPARE(control<QGroupBox>(&w, "FrameW")->title(), "Please wait while the computer is working...");
    QCOMPARE(control<QLabel>(&w, "LblFiles")->text(), "Files: 0");

    auto* strength = control<QComboBox>(&w, "CmbDelArt");
    QCOMPARE(strength->count(), 4);
    QCOMPARE(strength->itemText(0), "Normal (fastest but not secure)");
    QCOMPARE(strength->itemText(2), "Overwrite 3 times");
    QCOMPARE(strength->currentIndex(), 3);

    auto* list = control<QListWidget>(&w, "List1");
    QCOMPARE(items(list), QStringList{"Drag files here"});
    QVERIFY(!list->isEnabled());
    QVERIFY(w.showsPlaceholder());
    QVERIFY(w.entries().isEmpty());
    QVERIFY(control(&w, "FrameW")->isHidden());

    for (const char* name : {"List1", "LstFile", "Drive1", "Dir1", "CmbDelArt"})
        QCOMPARE(control(&w, name)->palette().color(QPalette::Base), QColor(255, 255, 128));
    auto* shape = control<kuvo::UcShape>(&w, "ucShape1");
    QCOMPARE(shape->Rounding(), 20);
    QCOMPARE(shape->ForeColorRef(), 0u);
    QCOMPARE(shape->FillColorRef(), kuvo::kSystemButtonFace);

    // The drive list holds the mounted volumes; the browser opens on the current folder.
    QStringList drives;
    auto* drive = control<QComboBox>(&w, "Drive1");
    for (int i = 0; i < drive->count(); ++i)
        drives << drive->itemText(i);
    QVERIFY2(drives.contains("/"), qPrintable(drives.join(",")));
    QCOMPARE(w.dirPath(), QDir::currentPath());
    QCOMPARE(w.isVisible(), false);
    QTest::qWait(20);
    QVERIFY(m_fp->dialogs.messages.isEmpty());
}

void FrmChangeTest::layout_data()
{
    // Twips / 15; positions inside FramDel are relative to it.
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("rect");
    QTest::addRow("window") << "" << QRect(0, 0, 633, 361);
    QTest::addRow("ucShape1") << "ucShape1" << QRect(2, 32, 629, 328);
    QTest::addRow("Drive1") << "Drive1" << QRect(8, 40, 305, 21);
    QTest::addRow("Dir1") << "Dir1" << QRect(8, 67, 305, 81);
    QTest::addRow("LstFile") << "LstFile" << QRect(320, 40, 305, 106);
    QTest::addRow("FramDel") << "FramDel" << QRect(10, 173, 611, 177);
    QTest::addRow("List1") << "List1" << QRect(8, 48, 593, 69);
    QTest::addRow("Command1") << "Command1" << QRect(512, 120, 89, 25);
    QTest::addRow("FrameW") << "FrameW" << QRect(160, 80, 329, 217);
}

void FrmChangeTest::layout()
{
    QFETCH(QString, name);
    QFETCH(QRect, rect);
    FrmChange w(m_fp->platform(), QString());
    const QWidget* c = name.isEmpty() ? &w : control(&w, qPrintable(name));
    QCOMPARE(name.isEmpty() ? QRect(QPoint(0, 0), w.size()) : c->geometry(), rect);
    if (!name.isEmpty())
        return;
    // Controls that grow to their texts keep the design's place.
    QCOMPARE(control(&w, "lblTitle")->pos(), QPoint(8, 0));
    QCOMPARE(control(&w, "CmdReturn")->geometry().bottomRight(), QPoint(456 + 153 - 1, 323 + 21 - 1));
    QCOMPARE(control(&w, "CmbDelArt")->geometry().top(), 120);
    QCOMPARE(control(&w, "LblFiles")->pos(), QPoint(8, 120));
    QCOMPARE(control(&w, "Label3")->pos(), QPoint(8, 152));
}

void FrmChangeTest::textsFitInEveryLanguage_data()
{
    QTest::addColumn<qint16>("offset");
    QTest::addRow("English") << kuvo::kOffsetEnglish;
    QTest::addRow("German") << kuvo::kOffsetGerman;
    QTest::addRow("Spanish") << kuvo::kOffsetSpanish;
}

void FrmChangeTest::textsFitInEveryLanguage()
{
    QFETCH(qint16, offset);
    kuvo::test::useCatalogue("change", offset);
    FrmChange w(m_fp->platform(), QString());
    for (const char* name :
         {"lblTitle", "Label1", "LblFiles", "Label4", "Command1", "CmdReturn", "CmbDelArt", "CmdCancel"}) {
        const QWidget* c = control(&w, name);
        QVERIFY2(c->sizeHint().width() <= c->width(),
                 qPrintable(QString("%1: %2 > %3").arg(name).arg(c->sizeHint().width()).arg(c->width())));
        QVERIFY2(c->geometry().right() < c->parentWidget()->width(), name);
    }
    // Nothing overlaps inside the list panel, nor on the window outside it.
    const auto siblings = [](QWidget* parent, const QStringList& names) {
        for (int i = 0; i < names.size(); ++i)
            for (int j = i + 1; j < names.size(); ++j) {
                const QRect a = control(parent, qPrintable(names[i]))->geometry();
                const QRect b = control(parent, qPrintable(names[j]))->geometry();
                QVERIFY2(!a.intersects(b), qPrintable(names[i] + " overlaps " + names[j]));
            }
    };
    siblings(control(&w, "FramDel"),
             {"Label1", "ImgErase", "List1", "LblFiles", "Label4", "CmbDelArt", "Command1"});
    siblings(&w, {"lblTitle", "Drive1", "Dir1", "LstFile", "Label3", "FramDel"});
    QVERIFY(!control(&w, "CmdReturn")
                 ->geometry()
                 .intersects(control(control(&w, "FramDel"), "Command1")->geometry().translated(10, 173)));
    siblings(control(&w, "FrameW"),
             {"Label8", "LblStat", "LblFile", "Picture1", "PictFileProgress", "ProgressBar1", "CmdCancel"});
}

void FrmChangeTest::listRules_data()
{
    QTest::addColumn<QStringList>("added");
    QTest::addColumn<QStringList>("entries");
    QTest::addRow("duplicate") << QStringList{"/t/a.txt", "/t/a.txt"} << QStringList{"/t/a.txt"};
    QTest::addRow("doubled separators")
        << QStringList{"/t//a.txt", "/t/a.txt", "//t///a.txt"} << QStringList{"/t/a.txt"};
    QTest::addRow("case counts") << QStringList{"/t/A.TXT", "/t/a.txt"}
                                 << QStringList{"/t/A.TXT", "/t/a.txt"};
    QTest::addRow("empty never added") << QStringList{"", "/t/b"} << QStringList{"/t/b"};
    QTest::addRow("order kept") << QStringList{"/z", "/a", "/m", "/a"} << QStringList{"/z", "/a", "/m"};
}

void FrmChangeTest::listRules()
{
    QFETCH(QStringList, added);
    QFETCH(QStringList, entries);
    FrmChange w(m_fp->platform(), QString());
    QMimeData nothing;
    drop(control(&w, "FramDel"), &nothing); // a drop without files only removes the placeholder
    QVERIFY(!w.showsPlaceholder());
    QVERIFY(control(&w, "List1")->isEnabled());
    QVERIFY(w.entries().isEmpty());
    for (const QString& p : added)
        w.AddUniqueFile(p);
    QCOMPARE(w.entries(), entries);
}

void FrmChangeTest::goNeedsRealEntries()
{
    FrmChange w(m_fp->platform(), QString());
    QTest::mouseClick(control(&w, "Command1"), Qt::LeftButton); // placeholder only: one entry, disabled
    QCOMPARE(m_fp->dialogs.messages.size(), 1);
    QCOMPARE(m_fp->dialogs.messages[0].title, "Erase Files");
    QCOMPARE(m_fp->dialogs.messages[0].text, "Please drag a file into the list!");
    QCOMPARE(m_fp->dialogs.messages[0].buttons, Buttons::Ok);
    QVERIFY(w.showsPlaceholder());
}

void FrmChangeTest::deleteKey()
{
    FrmChange w(m_fp->platform(), QString());
    const QStringList files{make("a"), make("b"), make("c")};
    dropFiles(control<QListWidget>(&w, "List1")->viewport(), files);
    auto* list = control<QListWidget>(&w, "List1");
    auto* count = control<QLabel>(&w, "LblFiles");
    QCOMPARE(count->text(), "Files: 3");

    list->setCurrentRow(1);
    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(w.entries(), (QStringList{files[0], files[2]}));
    QCOMPARE(count->text(), "Files: 2");

    list->clearSelection();
    QTest::keyClick(list, Qt::Key_Delete); // nothing selected: the whole list goes
    QVERIFY(w.entries().isEmpty());
    QCOMPARE(count->text(), "Files: 0");
    QVERIFY(!w.showsPlaceholder()); // clearing does not bring it back

    QTest::mouseClick(control(&w, "Command1"), Qt::LeftButton);
    QCOMPARE(m_fp->dialogs.texts(), QStringList{"Please drag a file into the list!"});

    // Cleared entries may come again.
    w.AddUniqueFile(files[0]);
    QCOMPARE(w.entries(), QStringList{files[0]});
}

void FrmChangeTest::dropsFromTheFileManager()
{
    FrmChange w(m_fp->platform(), QString());
    const QString a = make("one.txt"), b = make("two.txt"), c = make("three.txt");
    dropFiles(control<QListWidget>(&w, "List1")->viewport(), {a}); // disabled list: the panel takes it
    dropFiles(control<QListWidget>(&w, "List1")->viewport(), {b, a});
    dropFiles(control(&w, "FramDel"), {c});
    dropFiles(&w, {m_dir->path() + "//four.txt"});
    QCOMPARE(w.entries(), (QStringList{a, b, c, m_dir->path() + "/four.txt"}));
    QCOMPARE(control<QLabel>(&w, "LblFiles")->text(), "Files: 4");
}

void FrmChangeTest::droppedFolderAddsOnlyItsOwnFiles()
{
    FrmChange w(m_fp->platform(), QString());
    const QString folder = m_dir->filePath("drop");
    const QString a = make("drop/a.txt"), hidden = make("drop/.hidden");
    make("drop/sub/deep.txt");
    QVERIFY(QFile::link(m_dir->filePath("drop/sub"), folder + "/link-to-sub"));
    QVERIFY(QFile::link(a, folder + "/link-to-a"));
    QVERIFY(
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner)); // read-only folder
    dropFiles(control<QListWidget>(&w, "List1")->viewport(), {folder});
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QCOMPARE(w.entries(), (QStringList{hidden, a, folder + "/link-to-a"}));
    QCOMPARE(control<QLabel>(&w, "LblFiles")->text(), "Files: 3");
}

void FrmChangeTest::folderDraggedFromDir1()
{
    FrmChange w(m_fp->platform(), QString());
    const QString shown = QFileInfo(make("shown/s.txt")).path();
    const QString highlighted = QFileInfo(make("picked/p1.txt")).path();
    make("picked/p2.txt");
    w.setDirPath(shown);
    w.highlightDir(highlighted);
    QCOMPARE(w.dirHighlighted(), highlighted);

    dropControl(control<QListWidget>(&w, "List1")->viewport(), "LstFile"); // only Dir1 counts
    QVERIFY(w.showsPlaceholder());
    dropControl(&w, "Dir1"); // the window itself takes file-manager drops only
    QVERIFY(w.showsPlaceholder());
    dropControl(control<QListWidget>(&w, "List1")->viewport(), "Dir1");
    QCOMPARE(w.entries(), (QStringList{highlighted + "/p1.txt", highlighted + "/p2.txt"}));
    dropControl(control(&w, "FramDel"), "Dir1");
    QCOMPARE(w.entries().size(), 2);
    QCOMPARE(control<QLabel>(&w, "LblFiles")->text(), "Files: 2");
}

void FrmChangeTest::fileBrowser()
{
    FrmChange w(m_fp->platform(), QString());
    const QString folder = QFileInfo(make("browse/b.txt")).path();
    make("browse/a.txt");
    make("browse/c.txt");
    make("browse/sub/not-listed.txt");
    w.setDirPath(folder);
    auto* files = control<QListWidget>(&w, "LstFile");
    QCOMPARE(items(files), (QStringList{"a.txt", "b.txt", "c.txt"}));

    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QRect bRect = files->visualItemRect(files->item(1));
    QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, bRect.center());
    QCOMPARE(control<QLabel>(&w, "Label3")->text(), folder + "/b.txt");
    QTest::mouseDClick(files->viewport(), Qt::LeftButton, {}, bRect.center());
    QCOMPARE(w.entries(), QStringList{folder + "/b.txt"});

    // Several selected, Enter adds them in list order.
    files->clearSelection();
    files->item(2)->setSelected(true);
    files->item(0)->setSelected(true);
    QTest::keyClick(files, Qt::Key_Return);
    QCOMPARE(w.entries(), (QStringList{folder + "/b.txt", folder + "/a.txt", folder + "/c.txt"}));
    QCOMPARE(control<QLabel>(&w, "LblFiles")->text(), "Files: 3");
}

void FrmChangeTest::folderListOpensDownToTheFolder()
{
    FrmChange w(m_fp->platform(), QString());
    const QString folder = QFileInfo(make("deep/er/still/x.txt")).path();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.setDirPath(folder);
    auto* dir1 = control<QTreeView>(&w, "Dir1");
    auto* model = qobject_cast<QFileSystemModel*>(dir1->model());
    QVERIFY(model);
    // The rows are read in the background; the folder must end up highlighted and in view.
    QTRY_COMPARE(model->filePath(dir1->currentIndex()), folder);
    QTRY_VERIFY(dir1->viewport()->rect().intersects(dir1->visualRect(dir1->currentIndex())));
    for (QModelIndex up = dir1->currentIndex().parent(); up.isValid(); up = up.parent())
        QVERIFY2(dir1->isExpanded(up), qPrintable(model->filePath(up)));
}

void FrmChangeTest::goErasesAfterYes()
{
    FrmChange w(m_fp->platform(), QString());
    const QString a = make("a.txt", "secret one"), b = make("b.txt", "secret two");
    w.setDirPath(m_dir->path());
    dropFiles(control<QListWidget>(&w, "List1")->viewport(), {a, b});
    control<QComboBox>(&w, "CmbDelArt")->setCurrentIndex(kuvo::change::Once);
    kuvo::test::RecordingWriter writer;
    bool busyShown = false;
    writer.onPass = [&] {
        busyShown = control(&w, "FrameW")->isVisible() && !control(&w, "FramDel")->isEnabled() &&
                    !control(&w, "LstFile")->isEnabled() && !control(&w, "Command1")->isEnabled();
    };
    w.eraseOptions.writer = &writer;
    w.show();
    m_fp->dialogs.answers << Answer::Yes;
    QTest::mouseClick(control(&w, "Command1"), Qt::LeftButton);

    QVERIFY(busyShown);
    QCOMPARE(writer.passes.size(), 2); // one zero pass per file
    QVERIFY(!QFileInfo::exists(a) && !QFileInfo::exists(b));
    QCOMPARE(m_fp->dialogs.texts(), (QStringList{"Are you sure you want to delete these files?", "Done!"}));
    QCOMPARE(m_fp->dialogs.messages[0].buttons, Buttons::YesNo);
    QVERIFY(w.entries().isEmpty());
    QVERIFY(control(&w, "List1")->isEnabled());
    QCOMPARE(control<QLabel>(&w, "LblFiles")->text(), "Files: 2"); // not updated by the run
    QCOMPARE(control<QLabel>(&w, "LblStat")->text(), "Finished!");
    QVERIFY(control(&w, "FrameW")->isHidden());
    QVERIFY(control(&w, "Command1")->isEnabled());
    QVERIFY(!items(control<QListWidget>(&w, "LstFile")).contains("a.txt")); // the browser is refreshed
    QCOMPARE(control(&w, "AmpelL_2")->property("opaque").toBool(), true);
    QCOMPARE(control(&w, "AmpelL_0")->property("opaque").toBool(), false);
    QCOMPARE(control(&w, "ProgressBar1")->property("value").toInt(), 2);
    QVERIFY(w.isVisible());
}

void FrmChangeTest::goWithNoKeepsEverything()
{
    FrmChange w(m_fp->platform(), QString());
    const QString a = make("a.txt", "keep");
    dropFiles(control<QListWidget>(&w, "List1")->viewport(), {a});
    m_fp->dialogs.answers << Answer::No;
    QTest::mouseClick(control(&w, "Command1"), Qt::LeftButton);
    QCOMPARE(readFile(a), "keep");
    QCOMPARE(w.entries(), QStringList{a});
    QCOMPARE(m_fp->dialogs.messages.size(), 1);
}

void FrmChangeTest::stopDuringARun_data()
{
    QTest::addColumn<bool>("closeWindow");
    QTest::addRow("Cancel button") << false;
    QTest::addRow("window closed") << true;
}

void FrmChangeTest::stopDuringARun()
{
    QFETCH(bool, closeWindow);
    FrmChange w(m_fp->platform(), QString());
    const QStringList files{make("1", "one"), make("2", "two"), make("3", "three")};
    dropFiles(control<QListWidget>(&w, "List1")->viewport(), files);
    kuvo::test::RecordingWriter writer;
    writer.onPass = [&] {
        if (closeWindow)
            w.close();
        else
            QTest::mouseClick(control(&w, "CmdCancel"), Qt::LeftButton);
    };
    w.eraseOptions.writer = &writer;
    w.show();
    m_fp->dialogs.answers << Answer::Yes;
    QTest::mouseClick(control(&w, "Command1"), Qt::LeftButton);

    QCOMPARE(writer.passes.size(), 7); // the first file is finished
    QVERIFY(!QFileInfo::exists(files[0]));
    QCOMPARE(readFile(files[1]), "two");
    QCOMPARE(readFile(files[2]), "three");
    QCOMPARE(control<QLabel>(&w, "LblStat")->text(), "Aborted!");
    QCOMPARE(m_fp->dialogs.texts(), QStringList{"Are you sure you want to delete these files?"});
    QVERIFY(w.entries().isEmpty());
    QCOMPARE(w.isVisible(), !closeWindow);
    QVERIFY(!w.CancelFlag);
}

void FrmChangeTest::returnToMainMenu()
{
    for (bool fails : {false, true}) {
        FakePlatform fp;
        if (fails)
            fp.processes.results["varnhold"] = {kuvo::StartResult::Status::NotFound,
                                                "No such file or directory"};
        FrmChange w(fp.platform(), QString());
        w.show();
        QTest::mouseClick(control(&w, "CmdReturn"), Qt::LeftButton);
        QCOMPARE(fp.processes.started.size(), 1);
        QCOMPARE(fp.processes.started[0].program, "varnhold");
        QVERIFY(fp.processes.started[0].arguments.isEmpty());
        QVERIFY(!w.isVisible());
        QVERIFY(fp.dialogs.messages.isEmpty());
    }
}

void FrmChangeTest::commandLineOneFile()
{
    const QString file = make("one file.txt", "erase me");
    m_fp->dialogs.answers << Answer::Yes;
    FrmChange w(m_fp->platform(), "/EN " + file);
    QCOMPARE(w.entries(), QStringList{file});
    QVERIFY(!w.AutoClose);
    QTRY_VERIFY(!QFileInfo::exists(file));
    QTRY_COMPARE(m_fp->dialogs.texts(),
                 (QStringList{"Are you sure you want to delete these files?", "Done!"}));
    QVERIFY(w.isVisible()); // stays open
    QVERIFY(w.entries().isEmpty());
}

void FrmChangeTest::commandLineHandover_data()
{
    QTest::addColumn<Answer>("answer");
    QTest::addRow("No") << Answer::No;
    QTest::addRow("Yes") << Answer::Yes;
}

void FrmChangeTest::commandLineHandover()
{
    QFETCH(Answer, answer);
    const QStringList files{make("x/c.txt", "3"), make("x/a.txt", "1"), make("y/b.txt", "2")};
    ServerThread server;
    const QString token = server.serve(files);
    QVERIFY(!token.isEmpty());
    m_fp->dialogs.answers << answer;
    FrmChange w(m_fp->platform(), "/hen " + token);
    QVERIFY(w.AutoClose);
    QCOMPARE(w.entries(), files); // in Crypt's order
    QCOMPARE(control<QLabel>(&w, "LblFiles")->text(), "Files: 3");
    QTRY_VERIFY(!m_fp->dialogs.messages.isEmpty());
    QCOMPARE(m_fp->dialogs.messages[0].text, "Are you sure you want to delete these files?");
    QTRY_VERIFY(!w.isVisible()); // closes after the answer, whatever it was
    for (const QString& f : files)
        QCOMPARE(QFileInfo::exists(f), answer == Answer::No);
}

void FrmChangeTest::handoverTokenThatNamesNothing()
{
    FrmChange w(m_fp->platform(), "/hen 424242");
    w.show();
    QTest::qWait(50);
    QVERIFY(m_fp->dialogs.messages.isEmpty()); // no question
    QVERIFY(!w.showsPlaceholder());
    QVERIFY(w.entries().isEmpty());
    QVERIFY(w.AutoClose);
    QTest::mouseClick(control(&w, "Command1"), Qt::LeftButton);
    QCOMPARE(m_fp->dialogs.texts(), QStringList{"Please drag a file into the list!"});
    QVERIFY(w.isVisible()); // an empty list does not close
}

QTEST_MAIN(FrmChangeTest)
#include "frmchange_test.moc"
