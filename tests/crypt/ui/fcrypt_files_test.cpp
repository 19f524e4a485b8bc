// Crypt's file panel: the input list, encrypting into a container, restoring
// it, and handing the stored inputs to Change, driven through the window's
// controls with every dialog answered by the fake platform.
#include <QtTest>

#include <QAbstractButton>
#include <QCheckBox>
#include <QCryptographicHash>
#include <QDirIterator>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTemporaryDir>
#include <functional>
#include <future>
#include <memory>

#include "common/catalogue.h"
#include "common/handover.h"
#include "common/lang.h"
#include "crypt/ui/fcrypt.h"
#include "crypt/ui/gauge.h"
#include "tests/support/fake_platform.h"
#include "tests/support/test_files.h"

using kuvo::Answer;
using kuvo::test::FakePlatform;

using kuvo::test::pseudoRandom;
using kuvo::test::readFile;
using kuvo::test::treeOf;
using kuvo::test::writeFile;

namespace {

std::unique_ptr<FCrypt> makeWindow(FakePlatform& fp, const QString& commandLine = QStringLiteral("/filee"))
{
    auto w = std::make_unique<FCrypt>(fp.platform(), commandLine);
    w->findDataFile = [](const QString&) { return QString(); };
    w->show();
    if (!QTest::qWaitForWindowExposed(w.get()))
        qWarning("window not exposed");
    return w;
}

QString text(qint16 id, const QString& s1 = QString())
{
    return kuvo::LoadText(id, s1);
}

void click(QWidget* w)
{
    QTest::mouseClick(w, Qt::LeftButton);
}

QByteArray prose(qsizetype size, int seed)
{
    static const char* words[] = {"cipher ", "block ", "secret ", "folder ", "window ", "light\n"};
    QByteArray b;
    quint32 s = quint32(seed);
    while (b.size() < size) {
        s = s * 1664525u + 1013904223u;
        b += words[(s >> 24) % 6];
    }
    b.truncate(size);
    return b;
}

// Large files written in pieces, so the test itself holds little memory.
bool putLarge(const QString& path, qint64 size, const std::function<QByteArray(qint64, int)>& piece)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    constexpr qint64 kPiece = 1 << 20;
    for (qint64 done = 0, n = 0; done < size; done += kPiece, ++n) {
        const QByteArray b = piece(std::min(kPiece, size - done), int(n));
        if (f.write(b) != b.size())
            return false;
    }
    return true;
}

// Each file's SHA-256, read in pieces.
QMap<QString, QByteArray> digestsOf(const QString& folder)
{
    QMap<QString, QByteArray> digests;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile f(it.next());
        QCryptographicHash h(QCryptographicHash::Sha256);
        if (f.open(QIODevice::ReadOnly) && h.addData(&f))
            digests[QDir(folder).relativeFilePath(f.fileName())] = h.result();
    }
    return digests;
}

QStringList rows(const FCrypt& w)
{
    QStringList r;
    for (int i = 0; i < w.LstCryptFiles->count(); ++i)
        r << w.LstCryptFiles->item(i)->text();
    return r;
}

QString workingLights(const FCrypt& w)
{
    QString s;
    s += w.AmpelL[5]->isOn() ? 'R' : '-';
    s += w.AmpelL[4]->isOn() ? 'Y' : '-';
    s += w.AmpelL[3]->isOn() ? 'G' : '-';
    return s;
}

// A drop of local paths from the file manager, sent where Qt delivers it: the viewport.
bool drop(FCrypt& w, const QStringList& paths, QMimeData* data = nullptr)
{
    std::unique_ptr<QMimeData> owned(data ? data : new QMimeData);
    if (!data) {
        QList<QUrl> urls;
        for (const QString& p : paths)
            urls << QUrl::fromLocalFile(p);
        owned->setUrls(urls);
    }
    QWidget* target = w.LstCryptFiles->viewport();
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, owned.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent dropped(QPointF(at), Qt::CopyAction, owned.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &dropped);
    return dropped.isAccepted();
}

const QRegularExpression kContainerName(QStringLiteral("^[a-z0-9]{8}\\.kuvo$"));

bool suggestedIn(const FCrypt& w, const QString& folder)
{
    const QString name = w.TxtEncrFileName->text();
    return name.startsWith(folder) && kContainerName.match(name.mid(folder.size())).hasMatch();
}

// Runs fetchHandover on another thread while this one serves the window's events.
QStringList fetch(const QString& token, QString* why = nullptr)
{
    auto result = std::async(std::launch::async, [token] {
        QString reason;
        QStringList paths = kuvo::fetchHandover(token, 5000, &reason);
        return std::make_pair(paths, reason);
    });
    while (result.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
        QCoreApplication::processEvents();
    auto [paths, reason] = result.get();
    if (why)
        *why = reason;
    return paths;
}

} // namespace

class FCryptFilesTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void addFilesFromTheDialog();
    void addDirectoryTree();
    void directoryModeRefusesMore();
    void dropsOfFilesAndFolders();
    void dropsThatAreIgnored();
    void removeAndDeleteKey_data();
    void removeAndDeleteKey();
    void longPathsScrollSideways();
    void commandLineGoesThroughTheListRule();
    void outputBrowseButton();

    void filesRoundTripThroughTheWindow();
    void directoryModeRoundTrip();
    void refusedBeforeTheRun_data();
    void refusedBeforeTheRun();
    void overwriteQuestion_data();
    void overwriteQuestion();
    void cancelDuringFirstFileLeavesNoContainer();
    void lightsForFourFiles();
    void decryptOutputFolderRules();

    void eraseHandsOverOnlyStoredFiles();
    void eraseDeclinedOrImpossible_data();
    void eraseDeclinedOrImpossible();
    void closeWaitsForChangeToFetch();
    void realMessageBoxAnswersAsClicked_data();
    void realMessageBoxAnswersAsClicked();

    void closingDuringRunCancelsThenCloses_data();
    void closingDuringRunCancelsThenCloses();
    void returnDuringRunStartsLauncherAfterwards();
    void noDropsWhileBusy();
    void largeTreeStaysResponsive();

private:
    QString path(const QString& name) const { return m_dir->path() + QLatin1Char('/') + name; }
    void encrypt(FCrypt& w, const QString& passphrase = QStringLiteral("pass phrase"));
    void decrypt(FCrypt& w, const QString& container, const QString& outputFolder,
                 const QString& passphrase = QStringLiteral("pass phrase"));

    std::unique_ptr<FakePlatform> owned;
    FakePlatform* fp = nullptr;
    std::unique_ptr<QTemporaryDir> m_dir;
    QTemporaryDir m_runtime;
};

void FCryptFilesTest::initTestCase()
{
    QVERIFY(m_runtime.isValid());
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path())); // the hand-over's sockets
}

void FCryptFilesTest::init()
{
    kuvo::test::useCatalogue(QStringLiteral("crypt"), kuvo::kOffsetEnglish);
    owned = std::make_unique<FakePlatform>();
    fp = owned.get();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void FCryptFilesTest::encrypt(FCrypt& w, const QString& passphrase)
{
    w.TabStr->setCurrentIndex(1);
    w.TabFileCrypt->setCurrentIndex(0);
    w.TxtCode->setText(passphrase);
    fp->dialogs.answers.prepend(Answer::Ok); // the reminder to memorize the passphrase
    click(w.Command4);
}

void FCryptFilesTest::decrypt(FCrypt& w, const QString& container, const QString& outputFolder,
                              const QString& passphrase)
{
    w.TabStr->setCurrentIndex(1);
    w.TabFileCrypt->setCurrentIndex(1);
    w.TxtDecrFile->setText(container);
    w.TxtDecrOutPath->setText(outputFolder);
    w.TxtCode->setText(passphrase);
    click(w.Command5);
}

// --- Input list ---------------------------------------------------------------------

void FCryptFilesTest::addFilesFromTheDialog()
{
    auto w = makeWindow(*fp);
    fp->dialogs.filesAnswers << QStringList{"/data/in/b.txt", "/data//in/a.txt", "/data/in/b.txt",
                                            "/data/in/B.txt"};
    click(w->CmdAdCryptdfile);
    QCOMPARE(fp->dialogs.calls.size(), 1);
    QCOMPARE(fp->dialogs.calls[0].kind, "openMany");
    QCOMPARE(fp->dialogs.calls[0].title, text(121));
    QCOMPARE(fp->dialogs.calls[0].filter, text(109));
    // Doubled separators reduced, the exact duplicate refused, case counts.
    QCOMPARE(rows(*w), (QStringList{"/data/in/b.txt", "/data/in/a.txt", "/data/in/B.txt"}));
    QCOMPARE(w->listTag(), "d");
    QVERIFY(w->OptFiles->isEnabled());
    QVERIFY(!w->OptDirs->isEnabled());
    QVERIFY2(suggestedIn(*w, "/data/in/"), qPrintable(w->TxtEncrFileName->text()));

    // Every addition makes a new suggestion beside the first entry; a cancel changes nothing.
    const QString first = w->TxtEncrFileName->text();
    fp->dialogs.filesAnswers << QStringList{"/elsewhere/c.txt", "/data/in/a.txt"};
    click(w->CmdAdCryptdfile);
    QCOMPARE(rows(*w).size(), 4);
    QVERIFY(suggestedIn(*w, "/data/in/"));
    QVERIFY(w->TxtEncrFileName->text() != first);
    const QString second = w->TxtEncrFileName->text();
    click(w->CmdAdCryptdfile); // no scripted answer: the dialog is cancelled
    QCOMPARE(rows(*w).size(), 4);
    QCOMPARE(w->TxtEncrFileName->text(), second);
}

void FCryptFilesTest::addDirectoryTree()
{
    auto w = makeWindow(*fp);
    const QString root = path("tree");
    QVERIFY(writeFile(root + "/b.txt", "b"));
    QVERIFY(writeFile(root + "/a/z.txt", "z"));
    QVERIFY(writeFile(root + "/a/deep/y.bin", "y"));
    QVERIFY(writeFile(root + "/c.txt", "c"));
    QVERIFY(QFile::link(root + "/b.txt", root + "/link-to-b")); // links are not followed
    w->OptDirs->setChecked(true);

    // A cancelled browser and an empty folder change nothing.
    click(w->CmdAdCryptdfile);
    QDir().mkpath(path("empty"));
    fp->dialogs.fileAnswers << path("empty");
    click(w->CmdAdCryptdfile);
    QVERIFY(rows(*w).isEmpty());
    QCOMPARE(w->listTag(), QString());
    QVERIFY(w->OptFiles->isEnabled() && w->OptDirs->isEnabled());

    // While scanning, the busy panel shows only the waiting text and Cancel.
    bool scanDisplay = false;
    QTimer watch;
    connect(&watch, &QTimer::timeout, [&] {
        if (w->isBusy())
            scanDisplay = !w->FrameW->isHidden() && !w->Label7->isHidden() && !w->CmdCancel->isHidden() &&
                          w->ProgressBar1->isHidden() && w->ProgressBar2->isHidden() &&
                          w->ImgCount[0]->isHidden() && w->PictArbeitampel->isHidden() &&
                          !w->Frame[1]->isEnabled();
    });
    watch.start(0);
    fp->dialogs.fileAnswers << root;
    click(w->CmdAdCryptdfile);
    watch.stop();
    QCOMPARE(fp->dialogs.calls.last().kind, "folder");
    QCOMPARE(rows(*w),
             (QStringList{root + "/a/deep/y.bin", root + "/a/z.txt", root + "/b.txt", root + "/c.txt"}));
    QCOMPARE(w->listTag(), "v" + root + "/");
    QVERIFY(!w->OptFiles->isEnabled() && !w->OptDirs->isEnabled());
    QVERIFY(suggestedIn(*w, root + "/"));
    QVERIFY(scanDisplay);
    QVERIFY(!w->isBusy());
    QVERIFY(w->FrameW->isHidden());
    QVERIFY(!w->ProgressBar1->isHidden() && !w->ImgCount[0]->isHidden()); // restored for the next run
}

void FCryptFilesTest::directoryModeRefusesMore()
{
    auto w = makeWindow(*fp);
    QVERIFY(writeFile(path("tree/one"), "1"));
    QVERIFY(writeFile(path("loose"), "x"));
    w->OptDirs->setChecked(true);
    fp->dialogs.fileAnswers << path("tree");
    click(w->CmdAdCryptdfile);
    QCOMPARE(rows(*w), QStringList{path("tree/one")});
    const int calls = int(fp->dialogs.calls.size());

    click(w->CmdAdCryptdfile); // does nothing at all
    QCOMPARE(fp->dialogs.calls.size(), calls);
    w->OptFiles->setChecked(true);
    QVERIFY(!drop(*w, {path("loose")})); // refused, with a beep, and OptDirs selected again
    QCOMPARE(fp->dialogs.beeps, 1);
    QVERIFY(w->OptDirs->isChecked());
    QCOMPARE(rows(*w), QStringList{path("tree/one")});
    QCOMPARE(w->listTag(), "v" + path("tree/"));
}

void FCryptFilesTest::dropsOfFilesAndFolders()
{
    auto w = makeWindow(*fp);
    QVERIFY(writeFile(path("in/x.txt"), "x"));
    QVERIFY(writeFile(path("folder/a.txt"), "a"));
    QVERIFY(writeFile(path("folder/sub/b.txt"), "b"));
    w->OptDirs->setChecked(true); // a drop always means files mode
    QVERIFY(drop(*w, {path("in/x.txt"), path("folder"), path("in//x.txt")}));
    QCOMPARE(rows(*w), (QStringList{path("in/x.txt"), path("folder/a.txt"), path("folder/sub/b.txt")}));
    QCOMPARE(w->listTag(), "d");
    QVERIFY(w->OptFiles->isChecked());
    QVERIFY(!w->OptDirs->isEnabled());
    QVERIFY(suggestedIn(*w, path("in/")));
    QVERIFY(!w->isBusy());

    // A read-only folder is still a folder.
    QVERIFY(writeFile(path("ro/c.txt"), "c"));
    QFile::setPermissions(path("ro"), QFile::ReadOwner | QFile::ExeOwner);
    QVERIFY(drop(*w, {path("ro")}));
    QFile::setPermissions(path("ro"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(rows(*w).last(), path("ro/c.txt"));
}

void FCryptFilesTest::dropsThatAreIgnored()
{
    auto w = makeWindow(*fp);
    auto* plain = new QMimeData;
    plain->setText("/not/a/file/list");
    QVERIFY(!drop(*w, {}, plain));
    auto* remote = new QMimeData;
    remote->setUrls({QUrl("https://example.org/file.txt")});
    QVERIFY(!drop(*w, {}, remote));
    QVERIFY(rows(*w).isEmpty());
    QCOMPARE(w->listTag(), QString());
    QVERIFY(w->TxtEncrFileName->text().isEmpty());
    QCOMPARE(fp->dialogs.beeps, 0);
}

void FCryptFilesTest::removeAndDeleteKey_data()
{
    QTest::addColumn<bool>("deleteKey");
    QTest::addRow("Remove button") << false;
    QTest::addRow("Delete key") << true;
}

void FCryptFilesTest::removeAndDeleteKey()
{
    QFETCH(bool, deleteKey);
    auto w = makeWindow(*fp);
    const auto remove = [&] {
        if (deleteKey)
            QTest::keyClick(w->LstCryptFiles, Qt::Key_Delete);
        else
            click(w->CmdDelCryptFiles);
    };
    fp->dialogs.filesAnswers << QStringList{"/d/1", "/d/2", "/d/3"};
    click(w->CmdAdCryptdfile);
    const QString name = w->TxtEncrFileName->text();

    w->LstCryptFiles->setCurrentRow(1);
    remove();
    QCOMPARE(rows(*w), (QStringList{"/d/1", "/d/3"}));
    QCOMPARE(w->LstCryptFiles->currentRow(), 0); // the first entry is selected next
    QVERIFY(w->LstCryptFiles->item(0)->isSelected());
    QCOMPARE(w->inputList().entries(), rows(*w));
    QCOMPARE(w->listTag(), "d");
    QVERIFY(!w->OptDirs->isEnabled());

    w->LstCryptFiles->clearSelection();
    remove(); // nothing selected: everything goes
    QVERIFY(rows(*w).isEmpty());
    QVERIFY(w->inputList().isEmpty());
    QCOMPARE(w->listTag(), QString());
    QVERIFY(w->OptFiles->isEnabled() && w->OptDirs->isEnabled());
    QCOMPARE(w->TxtEncrFileName->text(), name); // the container name stays

    // A removed path can be added again.
    fp->dialogs.filesAnswers << QStringList{"/d/1"};
    click(w->CmdAdCryptdfile);
    QCOMPARE(rows(*w), QStringList{"/d/1"});
}

void FCryptFilesTest::longPathsScrollSideways()
{
    auto w = makeWindow(*fp);
    const QString longPath = "/" + QString("very long folder name/").repeated(20) + "file.txt";
    fp->dialogs.filesAnswers << QStringList{longPath};
    click(w->CmdAdCryptdfile);
    QCoreApplication::processEvents();
    QScrollBar* bar = w->LstCryptFiles->horizontalScrollBar();
    QVERIFY(bar->maximum() > 0);
    QVERIFY(bar->maximum() + w->LstCryptFiles->viewport()->width() >=
            w->LstCryptFiles->fontMetrics().horizontalAdvance(longPath));
    QCOMPARE(w->LstCryptFiles->item(0)->text(), longPath); // shown whole, not cut
}

void FCryptFilesTest::commandLineGoesThroughTheListRule()
{
    // Doubled separators are reduced by the same rule the other additions use.
    auto w = makeWindow(*fp, "/setencrfiles /a//b.txt /a/b.txt  /c.txt /outputfile /o/x y.kuvo");
    QCOMPARE(rows(*w), (QStringList{"/a/b.txt", "/c.txt"}));
    QCOMPARE(w->inputList().entries(), rows(*w));
    QCOMPARE(w->listTag(), "d");
    QVERIFY(!w->OptDirs->isEnabled());
    QCOMPARE(w->TxtEncrFileName->text(), "/o/x y.kuvo");
    QCOMPARE(w->TabStr->currentIndex(), 1);
    QCOMPARE(w->TabFileCrypt->currentIndex(), 0);
}

void FCryptFilesTest::outputBrowseButton()
{
    auto w = makeWindow(*fp);
    w->TxtEncrFileName->setText("/typed.kuvo");
    click(w->CmdBrowseCryptOut); // cancelled
    QCOMPARE(w->TxtEncrFileName->text(), "/typed.kuvo");
    fp->dialogs.fileAnswers << "/chosen/name";
    click(w->CmdBrowseCryptOut);
    QCOMPARE(w->TxtEncrFileName->text(), "/chosen/name"); // no extension added
    QCOMPARE(fp->dialogs.calls.last().kind, "save");
    QCOMPARE(fp->dialogs.calls.last().title, "Kuvo-Crypt");
    QCOMPARE(fp->dialogs.calls.last().filter, text(123));
}

// --- Encrypt and decrypt ------------------------------------------------------------

void FCryptFilesTest::filesRoundTripThroughTheWindow()
{
    auto w = makeWindow(*fp);
    QVERIFY(writeFile(path("finish.wav"), "RIFF"));
    w->findDataFile = [this](const QString& name) { return path(name); };
    const QByteArray t = prose(200000, 1), r = pseudoRandom(70000, 2);
    QVERIFY(writeFile(path("in/notes.txt"), t));
    QVERIFY(writeFile(path("in/empty"), {}));
    QVERIFY(writeFile(path("in/sub/noise.bin"), r));
    fp->dialogs.filesAnswers << QStringList{path("in/notes.txt"), path("in/empty"), path("in/sub/noise.bin")};
    click(w->CmdAdCryptdfile);
    w->TxtEncrFileName->setText(path("c.kuvo"));
    w->LastContainer = "stale";

    encrypt(*w);
    QCOMPARE(fp->dialogs.messages.size(), 1);
    QCOMPARE(fp->dialogs.messages[0].title, "Kuvo Crypt");
    QCOMPARE(fp->dialogs.messages[0].text, text(190));
    QCOMPARE(fp->dialogs.messages[0].buttons, kuvo::Buttons::OkCancel);
    QVERIFY(QFileInfo(path("c.kuvo")).size() > 0);
    QCOMPARE(w->LastContainer, path("c.kuvo"));
    QCOMPARE(fp->sound.played, QStringList{path("finish.wav")});
    QVERIFY(w->TxtCode->text().isEmpty());
    QVERIFY(!w->isBusy());
    QVERIFY(!w->TmrCount->isActive());
    QVERIFY(w->PictArbeitampel->isHidden());
    QCOMPARE(w->ProgressBar2->value(), 3);
    QCOMPARE(w->ProgressBar2->maximum(), 3);
    QVERIFY(fp->processes.started.isEmpty()); // erasing not ticked: no question, no Change
    QCOMPARE(rows(*w).size(), 3);             // the list stays for another run

    decrypt(*w, path("c.kuvo"), path("out/"));
    QCOMPARE(fp->dialogs.messages.size(), 1); // no message after a good run
    QCOMPARE(fp->sound.played.size(), 2);
    QCOMPARE(treeOf(path("out")),
             (QMap<QString, QByteArray>{{"notes.txt", t}, {"empty", {}}, {"noise.bin", r}}));
    QVERIFY(w->TxtCode->text().isEmpty());
    QVERIFY(!w->isBusy());
    QCOMPARE(w->ProgressBar2->value(), 3);
    QCOMPARE(workingLights(*w), "--G");

    // A wrong passphrase creates nothing and tells so.
    decrypt(*w, path("c.kuvo"), path("wrong/"), "other");
    QVERIFY(!QFileInfo::exists(path("wrong"))); // not even the missing output folder was made
    QCOMPARE(fp->dialogs.messages.size(), 2);
    QCOMPARE(fp->dialogs.messages.last().text, text(207));
    QCOMPARE(fp->dialogs.messages.last().title, "Kuvo Crypt Lite");
    QCOMPARE(fp->sound.played.size(), 2);
}

void FCryptFilesTest::directoryModeRoundTrip()
{
    auto w = makeWindow(*fp);
    const QString root = path("tree");
    QVERIFY(writeFile(root + "/top.txt", prose(5000, 3)));
    QVERIFY(writeFile(root + "/sub/mid.bin", pseudoRandom(9000, 4)));
    QVERIFY(writeFile(root + "/sub/deeper/low.txt", "low"));
    QVERIFY(writeFile(root + "/sub/deeper/" + QString::fromUtf8("Grüße €.txt"), "names"));
    w->OptDirs->setChecked(true);
    fp->dialogs.fileAnswers << root;
    click(w->CmdAdCryptdfile);
    QCOMPARE(rows(*w).size(), 4);
    const QString container = w->TxtEncrFileName->text();
    QVERIFY(container.startsWith(root + "/")); // the suggestion lies in the chosen folder

    encrypt(*w);
    QVERIFY2(QFileInfo::exists(container), qPrintable(fp->dialogs.texts().join('\n')));
    QCOMPARE(w->LastContainer, container);
    const auto expected = [&] {
        auto tree = treeOf(root);
        tree.remove(QDir(root).relativeFilePath(container));
        return tree;
    }();
    QVERIFY(writeFile(path("out/sub/keep.txt"), "already here")); // an existing sub-folder is used as it is
    decrypt(*w, container, path("out"));                    // the box gets its "/" first
    QCOMPARE(w->TxtDecrOutPath->text(), path("out/"));
    auto restored = treeOf(path("out"));
    QCOMPARE(restored.take("sub/keep.txt"), QByteArray("already here"));
    QCOMPARE(restored, expected);
    QCOMPARE(fp->dialogs.messages.size(), 1);
}

void FCryptFilesTest::refusedBeforeTheRun_data()
{
    QTest::addColumn<bool>("withFiles");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("passphrase");
    QTest::addColumn<bool>("remindOk");
    QTest::addColumn<QStringList>("messages");
    const QString reminder = "190";
    QTest::addRow("empty list") << false << "c.kuvo"
                                << "pw" << true << QStringList{"114"};
    QTest::addRow("no container name") << true << ""
                                       << "pw" << true << QStringList{"114"};
    QTest::addRow("reminder cancelled") << true << "c.kuvo"
                                        << "pw" << false << QStringList{reminder};
    QTest::addRow("empty passphrase") << true << "c.kuvo"
                                      << "" << true << QStringList{reminder, "114"};
    QTest::addRow("passphrase outside Windows-1252")
        << true << "c.kuvo" << QString::fromUtf8("pass✓") << true << QStringList{reminder, "202"};
}

void FCryptFilesTest::refusedBeforeTheRun()
{
    QFETCH(bool, withFiles);
    QFETCH(QString, output);
    QFETCH(QString, passphrase);
    QFETCH(bool, remindOk);
    QFETCH(QStringList, messages);
    auto w = makeWindow(*fp);
    QVERIFY(writeFile(path("a.txt"), "a"));
    if (withFiles) {
        fp->dialogs.filesAnswers << QStringList{path("a.txt")};
        click(w->CmdAdCryptdfile);
    }
    w->TxtEncrFileName->setText(output.isEmpty() ? QString() : path(output));
    w->TxtCode->setText(passphrase);
    w->LastContainer = "earlier";
    fp->dialogs.answers << (remindOk ? Answer::Ok : Answer::Cancel);
    click(w->Command4);
    QStringList shown;
    for (const auto& m : fp->dialogs.messages)
        shown << (m.text == text(190)   ? "190"
                  : m.text == text(114) ? "114"
                  : m.text == text(202) ? "202"
                                        : m.text);
    QCOMPARE(shown, messages);
    QVERIFY(!QFileInfo::exists(path("c.kuvo")));
    QVERIFY(w->LastContainer.isEmpty());
    QVERIFY(!w->isBusy());
    QVERIFY(w->FrameW->isHidden());
    QVERIFY(!w->TmrCount->isActive());
    QCOMPARE(w->TxtCode->text(), passphrase); // nothing took the key: the user can correct it
}

void FCryptFilesTest::overwriteQuestion_data()
{
    QTest::addColumn<QList<Answer>>("answers");
    QTest::addColumn<QString>("saveAs"); // for "No"; "" cancels the save dialog
    QTest::addColumn<QByteArray>("expectA");
    QTest::addColumn<bool>("otherWritten");
    QTest::addRow("Yes overwrites") << QList<Answer>{Answer::Yes} << "" << QByteArray("new a") << false;
    QTest::addRow("No, then another name")
        << QList<Answer>{Answer::No} << "renamed.txt" << QByteArray("old a") << true;
    QTest::addRow("No, then no name skips")
        << QList<Answer>{Answer::No} << "" << QByteArray("old a") << false;
}

void FCryptFilesTest::overwriteQuestion()
{
    QFETCH(QList<Answer>, answers);
    QFETCH(QString, saveAs);
    QFETCH(QByteArray, expectA);
    QFETCH(bool, otherWritten);
    auto w = makeWindow(*fp);
    QVERIFY(writeFile(path("in/a.txt"), "new a"));
    QVERIFY(writeFile(path("in/b.txt"), "new b"));
    fp->dialogs.filesAnswers << QStringList{path("in/a.txt"), path("in/b.txt")};
    click(w->CmdAdCryptdfile);
    w->TxtEncrFileName->setText(path("c.kuvo"));
    encrypt(*w);
    QVERIFY(QFileInfo::exists(path("c.kuvo")));
    QVERIFY(writeFile(path("out/a.txt"), "old a"));
    fp->dialogs.messages.clear();
    fp->dialogs.answers = answers;
    fp->dialogs.fileAnswers << (saveAs.isEmpty() ? QString() : path("out/" + saveAs));

    decrypt(*w, path("c.kuvo"), path("out/"));
    QCOMPARE(fp->dialogs.messages.size(), 1);
    QCOMPARE(fp->dialogs.messages[0].buttons, kuvo::Buttons::YesNo);
    QCOMPARE(fp->dialogs.messages[0].title, "Kuvo Crypt Lite");
    QCOMPARE(fp->dialogs.messages[0].text, text(178, path("out/a.txt")));
    if (answers.first() == Answer::No) {
        QCOMPARE(fp->dialogs.calls.last().kind, "save");
        QCOMPARE(fp->dialogs.calls.last().title, text(110));
        QCOMPARE(fp->dialogs.calls.last().filter, text(109));
    }
    QCOMPARE(readFile(path("out/a.txt")), expectA);
    QCOMPARE(readFile(path("out/b.txt")), QByteArray("new b")); // the run goes on after the question
    QCOMPARE(QFileInfo::exists(path("out/renamed.txt")), otherWritten);
    if (otherWritten)
        QCOMPARE(readFile(path("out/renamed.txt")), QByteArray("new a"));
    QCOMPARE(fp->dialogs.unscripted, 0);
}

void FCryptFilesTest::cancelDuringFirstFileLeavesNoContainer()
{
    auto w = makeWindow(*fp);
    QVERIFY(writeFile(path("finish.wav"), "RIFF"));
    w->findDataFile = [this](const QString& name) { return path(name); };
    QVERIFY(writeFile(path("big.bin"), pseudoRandom(24 << 20, 5)));
    QVERIFY(writeFile(path("small.txt"), "small"));
    fp->dialogs.filesAnswers << QStringList{path("big.bin"), path("small.txt")};
    click(w->CmdAdCryptdfile);
    w->TxtEncrFileName->setText(path("c.kuvo"));
    w->ChkEraseEncr->setChecked(true);
    int barAtCancel = -1;
    QTimer::singleShot(150, w->CmdCancel, [&] {
        barAtCancel = w->ProgressBar2->value();
        click(w->CmdCancel);
    });
    encrypt(*w);
    QCOMPARE(barAtCancel, 0); // still in the first file
    QVERIFY(w->CancelFlag);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden),
             (QStringList{"big.bin", "finish.wav", "small.txt"})); // no container, no temporary left
    QVERIFY(w->LastContainer.isEmpty());
    QVERIFY(fp->sound.played.isEmpty());
    QCOMPARE(fp->dialogs.messages.size(), 1); // the reminder only: no erase offer
    QVERIFY(fp->processes.started.isEmpty());
    QVERIFY(w->TxtCode->text().isEmpty());
    QVERIFY(!w->isBusy());
}

void FCryptFilesTest::lightsForFourFiles()
{
    auto w = makeWindow(*fp);
    QStringList files;
    for (int i = 0; i < 4; ++i) {
        files << path(QString("in/f%1.txt").arg(i));
        QVERIFY(writeFile(files.last(), prose(300000, i)));
    }
    fp->dialogs.filesAnswers << files;
    click(w->CmdAdCryptdfile);
    w->TxtEncrFileName->setText(path("c.kuvo"));
    // The lamps as each file starts (ProgressBar1 back at 0) and after the last one.
    QStringList seen;
    const auto sample = [&] {
        const QString now = workingLights(*w);
        if (seen.isEmpty() || seen.last() != now)
            seen << now;
    };
    connect(w->ProgressBar1, &QProgressBar::valueChanged, this, sample);
    connect(w->ProgressBar2, &QProgressBar::valueChanged, this, sample);
    encrypt(*w);
    sample();
    QVERIFY(QFileInfo::exists(path("c.kuvo")));
    // Red alone through file 1, yellow joins after file 2, red goes after file 3, green alone at the end.
    QCOMPARE(seen, (QStringList{"R--", "RY-", "-Y-", "--G"}));

    seen.clear();
    decrypt(*w, path("c.kuvo"), path("out/"));
    sample();
    QCOMPARE(treeOf(path("out")).size(), 4);
    // m = 3: yellow from the first entry on, red off after the second, green alone at the end.
    QCOMPARE(seen, (QStringList{"R--", "RY-", "-Y-", "--G"}));
}

void FCryptFilesTest::decryptOutputFolderRules()
{
    auto w = makeWindow(*fp, "/filed");
    const auto leave = [&] {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QCoreApplication::sendEvent(w->TxtDecrOutPath, &out);
    };
    // Choosing the container sets the output folder to its folder.
    fp->dialogs.fileAnswers << "/box/sub/c.kuvo";
    click(w->Command7);
    QCOMPARE(fp->dialogs.calls.last().kind, "open");
    QCOMPARE(fp->dialogs.calls.last().title, text(122));
    QCOMPARE(fp->dialogs.calls.last().filter, text(123));
    QCOMPARE(w->TxtDecrFile->text(), "/box/sub/c.kuvo");
    QCOMPARE(w->TxtDecrOutPath->text(), "/box/sub/");
    click(w->Command7); // cancelled: unchanged
    QCOMPARE(w->TxtDecrFile->text(), "/box/sub/c.kuvo");

    w->TxtDecrOutPath->setText("/restore/here");
    leave();
    QCOMPARE(w->TxtDecrOutPath->text(), "/restore/here/");
    w->TxtDecrOutPath->clear();
    leave();
    QCOMPARE(w->TxtDecrOutPath->text(), "/box/sub/");

    // Every change of the container resets the output folder.
    w->TxtDecrOutPath->setText("/restore/here/");
    w->TxtDecrFile->setText("/other/c2.kuvo");
    QCOMPARE(w->TxtDecrOutPath->text(), "/other/");

    // The folder browser: a choice is validated, a cancel keeps what the box held.
    fp->dialogs.fileAnswers << "/picked";
    click(w->CmdBrowseOutPath);
    QCOMPARE(fp->dialogs.calls.last().kind, "folder");
    QCOMPARE(w->TxtDecrOutPath->text(), "/picked/");
    click(w->CmdBrowseOutPath);
    QCOMPARE(w->TxtDecrOutPath->text(), "/picked/");
    w->TxtDecrOutPath->clear();
    click(w->CmdBrowseOutPath);
    QCOMPARE(w->TxtDecrOutPath->text(), "/other/");

    // A bare container name lies in the current folder: never "/".
    w->TxtDecrFile->setText("bare.kuvo");
    QCOMPARE(w->TxtDecrOutPath->text(), QDir::currentPath() + "/");
    w->TxtDecrFile->clear();
    w->TxtDecrOutPath->clear();
    leave();
    QCOMPARE(w->TxtDecrOutPath->text(), QString());

    // Decrypting with no container named is refused before the passphrase is taken.
    w->TxtCode->setText("pw");
    click(w->Command5);
    QCOMPARE(fp->dialogs.texts(), QStringList{text(114)});
    QCOMPARE(w->TxtCode->text(), "pw");
    QVERIFY(!w->isBusy());

    // "/setdecrfile" sets the folder too.
    auto w2 = makeWindow(*fp, "/setdecrfile /my box/a b.kuvo");
    QCOMPARE(w2->TxtDecrOutPath->text(), "/my box/");
}

// --- Erase hand-over ------------------------------------------------------------------

void FCryptFilesTest::eraseHandsOverOnlyStoredFiles()
{
    QVERIFY(writeFile(path("in/one.txt"), "one"));
    QVERIFY(writeFile(path("in/gone.txt"), "soon gone"));
    QVERIFY(writeFile(path("in/three.txt"), "three"));
    QDir::setCurrent(path("in"));
    // A relative path from the command line is handed over in full.
    auto w = makeWindow(*fp, QString("/setencrfiles %1 gone.txt three.txt /outputfile %2")
                                 .arg(path("in/one.txt"), path("c.kuvo")));
    QVERIFY(QFile::remove(path("in/gone.txt")));
    w->ChkEraseEncr->setChecked(true);
    encrypt(*w);
    QDir::setCurrent(m_dir->path());

    const QStringList texts = fp->dialogs.texts();
    QCOMPARE(texts.size(), 3); // reminder, the vanished file's error, the erase question
    QVERIFY2(texts[1].contains("gone.txt"), qPrintable(texts[1]));
    QCOMPARE(texts[2], text(116, path("c.kuvo")) + " " + text(117));
    QCOMPARE(fp->dialogs.messages[2].buttons, kuvo::Buttons::OkCancel);
    QCOMPARE(fp->dialogs.messages[2].title, "Kuvo Crypt Lite");

    QCOMPARE(fp->processes.started.size(), 1);
    const auto& started = fp->processes.started.first();
    QCOMPARE(started.program, "change");
    QCOMPARE(started.arguments.size(), 2);
    QCOMPARE(started.arguments[0], "/hen");
    const QString token = started.arguments[1];
    QVERIFY(QRegularExpression("^[0-9]{1,20}$").match(token).hasMatch());
    QVERIFY(!w->isBusy()); // idle at once, still serving

    QString why;
    QCOMPARE(fetch(token, &why), (QStringList{path("in/one.txt"), path("in/three.txt")}));
    // Served as long as Crypt runs: Change may ask again.
    QCOMPARE(fetch(token, &why), (QStringList{path("in/one.txt"), path("in/three.txt")}));
    QVERIFY(QFileInfo::exists(path("in/one.txt"))); // Crypt itself erases nothing
}

void FCryptFilesTest::eraseDeclinedOrImpossible_data()
{
    QTest::addColumn<bool>("anyStored");
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<bool>("startFails");
    QTest::addColumn<QStringList>("after"); // messages after the reminder, by text id
    QTest::addRow("question cancelled") << true << Answer::Cancel << false << QStringList{"116"};
    QTest::addRow("Change cannot be started") << true << Answer::Ok << true << QStringList{"116", "118"};
    QTest::addRow("nothing stored: no offer") << false << Answer::Ok << false << QStringList{"103"};
}

void FCryptFilesTest::eraseDeclinedOrImpossible()
{
    QFETCH(bool, anyStored);
    QFETCH(Answer, answer);
    QFETCH(bool, startFails);
    QFETCH(QStringList, after);
    auto w = makeWindow(*fp);
    QVERIFY(writeFile(path("a.txt"), "a"));
    fp->dialogs.filesAnswers << QStringList{path("a.txt")};
    click(w->CmdAdCryptdfile);
    if (!anyStored)
        QVERIFY(QFile::remove(path("a.txt")));
    w->TxtEncrFileName->setText(path("c.kuvo"));
    w->ChkEraseEncr->setChecked(true);
    if (startFails)
        fp->processes.results["change"] = kuvo::StartResult{kuvo::StartResult::Status::NotFound, {}};
    fp->dialogs.answers << answer;
    encrypt(*w);
    QStringList shown;
    for (const auto& m : fp->dialogs.messages.mid(1)) {
        if (m.text.startsWith(text(116, path("c.kuvo"))))
            shown << "116";
        else if (m.text == text(118))
            shown << "118";
        else if (m.text.startsWith(text(103)))
            shown << "103";
        else
            shown << m.text;
    }
    QCOMPARE(shown, after);
    QCOMPARE(fp->processes.started.size(), startFails ? 1 : 0);
    QVERIFY(QFileInfo::exists(path("c.kuvo"))); // the container is complete in every case
    QCOMPARE(w->LastContainer, path("c.kuvo"));
    QVERIFY(!w->isBusy());
    QVERIFY(QDir(m_runtime.path())
                .entryList(QDir::System | QDir::AllEntries | QDir::NoDotAndDotDot)
                .filter("kuvo-handover-")
                .isEmpty()); // no socket left serving
}

void FCryptFilesTest::closeWaitsForChangeToFetch()
{
    auto w = makeWindow(*fp);
    QVERIFY(writeFile(path("a.txt"), "a"));
    fp->dialogs.filesAnswers << QStringList{path("a.txt")};
    click(w->CmdAdCryptdfile);
    w->TxtEncrFileName->setText(path("c.kuvo"));
    w->ChkEraseEncr->setChecked(true);
    encrypt(*w);
    QCOMPARE(fp->processes.started.size(), 1);
    const QString token = fp->processes.started.first().arguments.value(1);

    // Closed before Change fetched the list: the window waits for it.
    w->close();
    QTest::qWait(100);
    QVERIFY(w->isVisible());
    QCOMPARE(fetch(token), QStringList{path("a.txt")});
    QTRY_VERIFY_WITH_TIMEOUT(!w->isVisible(), 3000);
}

// The reminder and the erase question go through the real message box in the
// program: its OK must come back as OK.
void FCryptFilesTest::realMessageBoxAnswersAsClicked_data()
{
    QTest::addColumn<kuvo::Buttons>("buttons");
    QTest::addColumn<int>("click"); // a QMessageBox::StandardButton
    QTest::addColumn<Answer>("answer");
    QTest::addRow("OK of OK/Cancel") << kuvo::Buttons::OkCancel << int(QMessageBox::Ok) << Answer::Ok;
    QTest::addRow("Cancel of OK/Cancel")
        << kuvo::Buttons::OkCancel << int(QMessageBox::Cancel) << Answer::Cancel;
    QTest::addRow("Yes") << kuvo::Buttons::YesNo << int(QMessageBox::Yes) << Answer::Yes;
    QTest::addRow("No") << kuvo::Buttons::YesNo << int(QMessageBox::No) << Answer::No;
    QTest::addRow("OK alone") << kuvo::Buttons::Ok << int(QMessageBox::Ok) << Answer::Ok;
}

void FCryptFilesTest::realMessageBoxAnswersAsClicked()
{
    QFETCH(kuvo::Buttons, buttons);
    QFETCH(int, click);
    QFETCH(Answer, answer);
    bool clicked = false;
    QTimer poll;
    connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || clicked)
            return;
        if (QAbstractButton* b = box->button(QMessageBox::StandardButton(click))) {
            clicked = true;
            b->click();
        } else {
            box->reject();
        }
    });
    poll.start(10);
    const Answer got = kuvo::realPlatform().dialogs->message(nullptr, "Kuvo Crypt", text(190), buttons);
    QVERIFY(clicked);
    QCOMPARE(got, answer);
}

// --- Closing during a run and responsiveness --------------------------------------------------

void FCryptFilesTest::closingDuringRunCancelsThenCloses_data()
{
    QTest::addColumn<bool>("decrypting");
    QTest::addRow("encrypting") << false;
    QTest::addRow("decrypting") << true;
}

void FCryptFilesTest::closingDuringRunCancelsThenCloses()
{
    QFETCH(bool, decrypting);
    auto w = makeWindow(*fp);
    QVERIFY(writeFile(path("big.bin"), pseudoRandom(64 << 20, 6)));
    QVERIFY(writeFile(path("second.txt"), "second"));
    fp->dialogs.filesAnswers << QStringList{path("big.bin"), path("second.txt")};
    click(w->CmdAdCryptdfile);
    w->TxtEncrFileName->setText(path("c.kuvo"));
    if (decrypting) {
        encrypt(*w);
        QVERIFY(QFileInfo::exists(path("c.kuvo")));
    }
    bool openWhileEnding = false;
    QTimer::singleShot(60, w.get(), [&] {
        w->close();
        openWhileEnding = w->isVisible() && w->isBusy();
    });
    if (decrypting)
        decrypt(*w, path("c.kuvo"), path("out/"));
    else
        encrypt(*w);
    QVERIFY2(openWhileEnding, qPrintable(fp->dialogs.texts().join('\n'))); // the close waited for the run
    QTRY_VERIFY(!w->isVisible());
    if (decrypting) {
        QVERIFY(treeOf(path("out")).isEmpty()); // the file being restored was not left behind
    } else {
        QVERIFY(!QFileInfo::exists(path("c.kuvo"))); // the incomplete container is gone
    }
    QVERIFY(fp->processes.started.isEmpty());
}

void FCryptFilesTest::returnDuringRunStartsLauncherAfterwards()
{
    auto w = makeWindow(*fp);
    QVERIFY(writeFile(path("big.bin"), pseudoRandom(24 << 20, 7)));
    fp->dialogs.filesAnswers << QStringList{path("big.bin")};
    click(w->CmdAdCryptdfile);
    w->TxtEncrFileName->setText(path("c.kuvo"));
    int startedAtClick = -1;
    QTimer::singleShot(150, w->CmdReturn, [&] {
        click(w->CmdReturn);
        startedAtClick = int(fp->processes.started.size());
    });
    encrypt(*w);
    QCOMPARE(startedAtClick, 0);
    QTRY_VERIFY(!w->isVisible());
    QCOMPARE(fp->processes.started.size(), 1);
    QCOMPARE(fp->processes.started.first().program, "varnhold");
    QVERIFY(!QFileInfo::exists(path("c.kuvo")));
}

void FCryptFilesTest::noDropsWhileBusy()
{
    auto w = makeWindow(*fp);
    QVERIFY(writeFile(path("big.bin"), pseudoRandom(24 << 20, 8)));
    QVERIFY(writeFile(path("late/one.txt"), "late"));
    fp->dialogs.filesAnswers << QStringList{path("big.bin")};
    click(w->CmdAdCryptdfile);
    w->TxtEncrFileName->setText(path("c.kuvo"));
    bool refused = false, stillBusy = false;
    QTimer::singleShot(100, w.get(), [&] {
        refused = !drop(*w, {path("late")}) && !drop(*w, {path("late/one.txt")});
        stillBusy = w->isBusy() && !w->Frame[1]->isEnabled();
    });
    encrypt(*w);
    QVERIFY(refused);
    QVERIFY(stillBusy);
    QCOMPARE(rows(*w), QStringList{path("big.bin")});
    QCOMPARE(w->inputList().entries(), rows(*w));
    QVERIFY(QFileInfo::exists(path("c.kuvo")));
}

// Cancel answers within a second while a large mixed tree is encrypted and
// decrypted, and the window repaints meanwhile. KUVO_RESPONSIVE_MIB sizes the tree.
void FCryptFilesTest::largeTreeStaysResponsive()
{
    const qint64 mib = qEnvironmentVariableIntValue("KUVO_RESPONSIVE_MIB") > 0
                           ? qEnvironmentVariableIntValue("KUVO_RESPONSIVE_MIB")
                           : 128;
    const QString root = path("big");
    // Half incompressible, a quarter text, a quarter small files in folders.
    QVERIFY(putLarge(root + "/noise.bin", mib << 19,
                     [](qint64 n, int i) { return pseudoRandom(n, quint32(8 + i)); }));
    QVERIFY(putLarge(root + "/text/log.txt", mib << 18, [](qint64 n, int i) { return prose(n, 9 + i); }));
    const qint64 small = 256 << 10;
    for (qint64 i = 0, n = (mib << 18) / small; i < n; ++i)
        QVERIFY(writeFile(root + QString("/many/%1/f%2.dat").arg(i % 7).arg(i), pseudoRandom(small, quint32(i))));

    auto w = makeWindow(*fp);
    w->OptDirs->setChecked(true);
    fp->dialogs.fileAnswers << root;
    click(w->CmdAdCryptdfile);
    w->TxtEncrFileName->setText(path("c.kuvo"));

    int paints = 0;
    struct PaintCounter : QObject {
        int* count;
        explicit PaintCounter(int* c) : count(c) {}
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::Paint)
                ++*count;
            return false;
        }
    } counter(&paints);
    w->ProgressBar1->installEventFilter(&counter);

    struct Timing {
        qint64 clickToEnd = -1;
        int paintsBeforeCancel = 0;
    };
    const auto cancelAfter = [&](int ms, Timing& t, QElapsedTimer& sinceCancel) {
        QTimer::singleShot(ms, w->CmdCancel, [&, ms] {
            Q_UNUSED(ms);
            t.paintsBeforeCancel = paints;
            sinceCancel.start();
            click(w->CmdCancel);
        });
    };

    // Encrypting: cancelled in the middle of the work.
    Timing enc;
    QElapsedTimer sinceCancel;
    paints = 0;
    cancelAfter(600, enc, sinceCancel);
    encrypt(*w);
    enc.clickToEnd = sinceCancel.isValid() ? sinceCancel.elapsed() : -1;
    QVERIFY2(sinceCancel.isValid(), qPrintable(fp->dialogs.texts().join('\n')));
    QVERIFY(!QFileInfo::exists(path("c.kuvo")));

    // The longest stretch without events during the whole runs that follow.
    int longestGapMs = 0;
    QElapsedTimer sinceTick;
    QTimer ticker;
    ticker.setInterval(5);
    connect(&ticker, &QTimer::timeout, [&] {
        if (sinceTick.isValid())
            longestGapMs = std::max(longestGapMs, int(sinceTick.elapsed()));
        sinceTick.start();
    });

    // A whole run, timed, then decrypting it, cancelled the same way.
    QElapsedTimer whole;
    whole.start();
    ticker.start();
    encrypt(*w);
    const qint64 encryptMs = whole.elapsed();
    const int encryptGapMs = longestGapMs;
    QVERIFY2(QFileInfo::exists(path("c.kuvo")), qPrintable(fp->dialogs.texts().join('\n')));
    Timing dec;
    sinceCancel.invalidate();
    paints = 0;
    cancelAfter(250, dec, sinceCancel);
    decrypt(*w, path("c.kuvo"), path("out/"));
    dec.clickToEnd = sinceCancel.isValid() ? sinceCancel.elapsed() : -1;
    QVERIFY2(sinceCancel.isValid(), "the run ended before Cancel was pressed: use a larger tree");
    QVERIFY(QDir(path("out")).removeRecursively());
    longestGapMs = 0;
    sinceTick.invalidate();
    whole.restart();
    decrypt(*w, path("c.kuvo"), path("out/"));
    const qint64 decryptMs = whole.elapsed();
    const int decryptGapMs = longestGapMs;
    ticker.stop();

    qInfo("%lld MiB tree: encrypt %lld ms, decrypt %lld ms; longest gap between events %d ms and %d ms; "
          "Cancel answered after %lld ms (encrypt) and %lld ms (decrypt); %d and %d repaints before Cancel",
          mib, encryptMs, decryptMs, encryptGapMs, decryptGapMs, enc.clickToEnd, dec.clickToEnd,
          enc.paintsBeforeCancel, dec.paintsBeforeCancel);
    QVERIFY2(encryptGapMs < 500 && decryptGapMs < 500, "events are served all through the runs");
    QVERIFY2(enc.clickToEnd >= 0 && enc.clickToEnd < 1000, "Cancel answers within a second (encrypt)");
    QVERIFY2(dec.clickToEnd >= 0 && dec.clickToEnd < 1000, "Cancel answers within a second (decrypt)");
    QVERIFY2(enc.paintsBeforeCancel >= 3, "the window repaints while encrypting");
    QVERIFY2(dec.paintsBeforeCancel >= 3, "the window repaints while decrypting");
    QCOMPARE(fp->dialogs.texts(), QStringList(2, text(190))); // the two reminders, no error
    QCOMPARE(digestsOf(path("out")), digestsOf(root));
}

QTEST_MAIN(FCryptFilesTest)
#include "fcrypt_files_test.moc"
