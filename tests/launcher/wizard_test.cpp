// The launcher's wizard: pages, step numbers, started programs and failures.
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

#include "common/catalogue.h"
#include "launcher/form1.h"
#include "launcher_test_util.h"

using namespace kuvo;
using kuvo::test::FakePlatform;

namespace {

// A radio button reacts to a click on its mark or caption, not on its empty right part.
void choose(QRadioButton* option)
{
    QVERIFY(option);
    QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(8, option->height() / 2));
}

} // namespace

class WizardTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startState_data();
    void startState();
    void choosingTaskEnablesNextAndDescribesIt_data();
    void choosingTaskEnablesNextAndDescribesIt();
    void startedCommandLines_data();
    void startedCommandLines();
    void pageTwoKeepsChoicesAcrossPrevious();
    void pageTwoTitle_data();
    void pageTwoTitle();
    void quillnoteReturnsToEmptyPageOne();
    void failedStartKeepsLauncherOpen_data();
    void failedStartKeepsLauncherOpen();
    void missingModuleIsNotTakenFromPath();
    void enterIsNextEscIsExit();
    void optionsOpenWithoutBlocking();
};

void WizardTest::init()
{
    test::useCatalogue("launcher", kOffsetEnglish);
    test::writeLangFileBytes("0");
}

void WizardTest::cleanup()
{
    test::unblockLangFile();
    test::removeLangFile();
}

void WizardTest::startState_data()
{
    QTest::addColumn<QByteArray>("digit");
    QTest::addColumn<QString>("next");
    QTest::addColumn<QString>("previous");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("firstTask");
    QTest::addRow("english") << QByteArray("0") << "&Next >"
                             << "< &Previous"
                             << "What would you like to do?"
                             << "Encryption && Decryption";
    QTest::addRow("german") << QByteArray("1") << "&Weiter >"
                            << "< &Zurück"
                            << "Was möchten Sie tun?"
                            << "Verschlüsselung und Entschlüsselung";
    QTest::addRow("spanish") << QByteArray("2") << "&Seguir >"
                             << "< &Atras"
                             << "Que quiere hacer?"
                             << "Encriptar && Descriptar";
}

void WizardTest::startState()
{
    QFETCH(QByteArray, digit);
    QFETCH(QString, next);
    QFETCH(QString, previous);
    QFETCH(QString, title);
    QFETCH(QString, firstTask);
    test::writeLangFileBytes(digit);
    FakePlatform fp;
    Form1 form(fp.platform());
    form.show();

    QCOMPARE(form.windowTitle(), QString("Kuvo Security Tools Lite"));
    QCOMPARE(form.size(), QSize(529, 421));
    QCOMPARE(form.palette().color(QPalette::Window), QColor(177, 177, 255));
    QCOMPARE(form.stepNumber(), quint8(1));
    FIND(step1, QWidget, form, "FrameStep1");
    FIND(step2, QWidget, form, "FrameEncrDecr");
    QVERIFY(step1->isVisible());
    QVERIFY(!step2->isVisible());
    QCOMPARE(step1->palette().color(QPalette::Window), QColor(255, 255, 128));
    QCOMPARE(step2->palette().color(QPalette::Window), QColor(255, 255, 128));

    FIND(cmdNext, QPushButton, form, "CmdNext");
    FIND(cmdPrev, QPushButton, form, "CmdPrev");
    QCOMPARE(cmdNext->text(), next);
    QCOMPARE(cmdPrev->text(), previous);
    QVERIFY(!cmdNext->isEnabled());
    QVERIFY(!cmdPrev->isEnabled());
    QVERIFY(cmdNext->isDefault());

    FIND(lblTitle, QLabel, form, "lblTitle");
    FIND(question, QLabel, form, "lblTitle2_1");
    QCOMPARE(lblTitle->text(), title);
    QCOMPARE(question->text(), title);

    // The four tasks, top to bottom, none chosen.
    const char* order[] = {"Opts_0", "Opts_8", "Opts_1", "Opts_6"};
    int lastY = -1;
    for (const char* name : order) {
        auto* opt = form.findChild<QRadioButton*>(name);
        QVERIFY2(opt, name);
        QVERIFY(!opt->isChecked());
        QVERIFY(opt->y() > lastY);
        lastY = opt->y();
    }
    QCOMPARE(form.findChild<QRadioButton*>("Opts_0")->text(), firstTask);

    // Only Image1 (1) is drawn in the design; start-up copies it into (0) and (2).
    FIND(image0, QLabel, form, "Image1_0");
    FIND(image1, QLabel, form, "Image1_1");
    FIND(image2, QLabel, form, "Image1_2");
    QVERIFY(!image1->pixmap().isNull());
    QCOMPARE(image0->pixmap().toImage(), image1->pixmap().toImage());
    QCOMPARE(image2->pixmap().toImage(), image1->pixmap().toImage());
}

void WizardTest::choosingTaskEnablesNextAndDescribesIt_data()
{
    QTest::addColumn<QString>("task");
    QTest::addColumn<int>("description");
    QTest::addRow("encryption") << "Opts_0" << 131;
    QTest::addRow("erase") << "Opts_8" << 148;
    QTest::addRow("quillnote") << "Opts_1" << 132;
    QTest::addRow("lock") << "Opts_6" << 137;
}

void WizardTest::choosingTaskEnablesNextAndDescribesIt()
{
    QFETCH(QString, task);
    QFETCH(int, description);
    FakePlatform fp;
    Form1 form(fp.platform());
    form.show();
    auto* opt = form.findChild<QRadioButton*>(task);
    QVERIFY(opt);
    choose(opt);
    QVERIFY(opt->isChecked());
    QVERIFY(form.findChild<QPushButton*>("CmdNext")->isEnabled());
    QVERIFY(!form.findChild<QPushButton*>("CmdPrev")->isEnabled());
    QCOMPARE(form.findChild<QLabel*>("lblTitle2_0")->text(), LoadText(static_cast<qint16>(description)));
    QVERIFY(fp.processes.started.isEmpty());
}

void WizardTest::startedCommandLines_data()
{
    QTest::addColumn<QString>("task");
    QTest::addColumn<QString>("choice"); // on page 2, "" for tasks without one
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("closes");
    QTest::addRow("encrypt a file") << "Opts_0"
                                    << "OptEd_0"
                                    << "crypt" << QStringList{"/filee"} << true;
    QTest::addRow("encrypt text") << "Opts_0"
                                  << "OptEd_1"
                                  << "crypt" << QStringList{} << true;
    QTest::addRow("decrypt a file") << "Opts_0"
                                    << "OptEd_2"
                                    << "crypt" << QStringList{"/filed"} << true;
    QTest::addRow("decrypt a text") << "Opts_0"
                                    << "OptEd_3"
                                    << "crypt" << QStringList{} << true;
    QTest::addRow("erase") << "Opts_8"
                           << ""
                           << "change" << QStringList{} << true;
    QTest::addRow("lock") << "Opts_6"
                          << ""
                          << "lock/Kuvo-Lock" << QStringList{"/opt"} << true;
    QTest::addRow("quillnote") << "Opts_1"
                               << ""
                               << "quillnote" << QStringList{} << false;
}

void WizardTest::startedCommandLines()
{
    QFETCH(QString, task);
    QFETCH(QString, choice);
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(bool, closes);
    FakePlatform fp;
    Form1 form(fp.platform());
    form.show();
    FIND(cmdNext, QPushButton, form, "CmdNext");
    choose(form.findChild<QRadioButton*>(task));
    QTest::mouseClick(cmdNext, Qt::LeftButton);
    if (!choice.isEmpty()) {
        QVERIFY(fp.processes.started.isEmpty());
        QCOMPARE(form.stepNumber(), quint8(2));
        // Page 2 opens with "Encrypt a file" chosen.
        QVERIFY(form.findChild<QRadioButton*>("OptEd_0")->isChecked());
        auto* opt = form.findChild<QRadioButton*>(choice);
        choose(opt);
        QVERIFY(opt->isChecked());
        QTest::mouseClick(cmdNext, Qt::LeftButton);
    }
    QCOMPARE(fp.processes.started.size(), 1);
    QCOMPARE(fp.processes.started[0].program, QDir(programsDir()).filePath(program));
    QCOMPARE(fp.processes.started[0].arguments, arguments);
    QCOMPARE(form.isVisible(), !closes);
    QVERIFY(fp.dialogs.messages.isEmpty());
}

void WizardTest::pageTwoKeepsChoicesAcrossPrevious()
{
    FakePlatform fp;
    Form1 form(fp.platform());
    form.show();
    FIND(cmdNext, QPushButton, form, "CmdNext");
    FIND(cmdPrev, QPushButton, form, "CmdPrev");
    FIND(opts0, QRadioButton, form, "Opts_0");
    FIND(step1, QWidget, form, "FrameStep1");
    FIND(step2, QWidget, form, "FrameEncrDecr");
    choose(opts0);
    QTest::mouseClick(cmdNext, Qt::LeftButton);
    QVERIFY(step2->isVisible());
    QVERIFY(!step1->isVisible());
    QVERIFY(cmdPrev->isEnabled());
    QCOMPARE(form.findChild<QLabel*>("lblTitle2_0")->text(), LoadText(116));
    const QStringList captions = {"Encrypt a file", "Encrypt text", "Decrypt a file", "Decrypt a text"};
    for (int i = 0; i < 4; ++i)
        QCOMPARE(form.findChild<QRadioButton*>(QString("OptEd_%1").arg(i))->text(), captions[i]);
    choose(form.findChild<QRadioButton*>("OptEd_2"));

    QTest::mouseClick(cmdPrev, Qt::LeftButton);
    QCOMPARE(form.stepNumber(), quint8(1));
    QVERIFY(step1->isVisible());
    QVERIFY(!step2->isVisible());
    QVERIFY(opts0->isChecked());
    QVERIFY(cmdNext->isEnabled());
    QVERIFY(!cmdPrev->isEnabled());
    QCOMPARE(form.findChild<QLabel*>("lblTitle")->text(), QString("What would you like to do?"));
    QCOMPARE(form.findChild<QLabel*>("lblTitle2_0")->text(), LoadText(103));

    QTest::mouseClick(cmdNext, Qt::LeftButton);
    QVERIFY(step2->isVisible());
    QVERIFY(form.findChild<QRadioButton*>("OptEd_2")->isChecked());
    QVERIFY(fp.processes.started.isEmpty());
}

void WizardTest::pageTwoTitle_data()
{
    QTest::addColumn<QByteArray>("digit");
    QTest::addColumn<QString>("title");
    // Stored lengths 24, 35 and 23: only the German title is longer than 25.
    QTest::addRow("english whole") << QByteArray("0") << "Encryption & Decryption";
    QTest::addRow("german cut after first space") << QByteArray("1") << "Verschlüsselung ";
    QTest::addRow("spanish whole") << QByteArray("2") << "Encriptar & Descriptar";
}

void WizardTest::pageTwoTitle()
{
    QFETCH(QByteArray, digit);
    QFETCH(QString, title);
    test::writeLangFileBytes(digit);
    FakePlatform fp;
    Form1 form(fp.platform());
    form.show();
    choose(form.findChild<QRadioButton*>("Opts_0"));
    QTest::mouseClick(form.findChild<QPushButton*>("CmdNext"), Qt::LeftButton);
    QCOMPARE(form.findChild<QLabel*>("lblTitle")->text(), title);
}

void WizardTest::quillnoteReturnsToEmptyPageOne()
{
    FakePlatform fp;
    Form1 form(fp.platform());
    form.show();
    FIND(cmdNext, QPushButton, form, "CmdNext");
    FIND(quill, QRadioButton, form, "Opts_1");
    choose(quill);
    QTest::mouseClick(cmdNext, Qt::LeftButton);
    QCOMPARE(fp.processes.started.size(), 1);
    QVERIFY(form.isVisible());
    QCOMPARE(form.stepNumber(), quint8(1));
    QVERIFY(form.findChild<QWidget*>("FrameStep1")->isVisible());
    for (const char* name : {"Opts_0", "Opts_8", "Opts_1", "Opts_6"})
        QVERIFY2(!form.findChild<QRadioButton*>(name)->isChecked(), name);
    QVERIFY(!cmdNext->isEnabled());
    QVERIFY(!form.findChild<QPushButton*>("CmdPrev")->isEnabled());
    // The task can be chosen again at once.
    choose(quill);
    QVERIFY(quill->isChecked());
    QVERIFY(cmdNext->isEnabled());
}

void WizardTest::failedStartKeepsLauncherOpen_data()
{
    QTest::addColumn<QString>("task");
    QTest::addColumn<QString>("program");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("pageBack");
    const int notFound = int(StartResult::Status::NotFound);
    const int failed = int(StartResult::Status::Failed);
    QTest::addRow("change missing") << "Opts_8"
                                    << "change" << notFound << "Module not found!"
                                    << "FrameStep1";
    QTest::addRow("change not runnable") << "Opts_8"
                                         << "change" << failed << "Error! Permission denied"
                                         << "FrameStep1";
    QTest::addRow("quillnote missing") << "Opts_1"
                                       << "quillnote" << notFound << "Module not found!"
                                       << "FrameStep1";
    QTest::addRow("crypt missing") << "Opts_0"
                                   << "crypt" << notFound << "Module not found!"
                                   << "FrameEncrDecr";
}

void WizardTest::failedStartKeepsLauncherOpen()
{
    QFETCH(QString, task);
    QFETCH(QString, program);
    QFETCH(int, status);
    QFETCH(QString, message);
    QFETCH(QString, pageBack);
    FakePlatform fp;
    fp.processes.results[QDir(programsDir()).filePath(program)] = {StartResult::Status(status),
                                                                   "Permission denied"};
    Form1 form(fp.platform());
    form.show();
    FIND(cmdNext, QPushButton, form, "CmdNext");
    FIND(cmdPrev, QPushButton, form, "CmdPrev");
    FIND(step1, QWidget, form, "FrameStep1");
    FIND(step2, QWidget, form, "FrameEncrDecr");
    auto* opt = form.findChild<QRadioButton*>(task);
    choose(opt);
    QTest::mouseClick(cmdNext, Qt::LeftButton);
    if (task == "Opts_0")
        QTest::mouseClick(cmdNext, Qt::LeftButton);

    QCOMPARE(fp.processes.started.size(), 1);
    QCOMPARE(fp.dialogs.messages.size(), 1);
    QCOMPARE(fp.dialogs.messages[0].title, QString("Kuvo Security Tools Lite"));
    QCOMPARE(fp.dialogs.messages[0].text, message);
    QCOMPARE(fp.dialogs.messages[0].buttons, Buttons::Ok);
    QVERIFY(form.isVisible());
    QVERIFY(!step1->isVisible());
    QVERIFY(!step2->isVisible());
    QVERIFY(cmdPrev->isEnabled());
    QVERIFY(opt->isChecked());

    QTest::mouseClick(cmdPrev, Qt::LeftButton);
    QVERIFY(form.findChild<QWidget*>(pageBack)->isVisible());
    QCOMPARE(form.stepNumber(), quint8(pageBack == "FrameStep1" ? 1 : 2));
    QCOMPARE(fp.processes.started.size(), 1);
}

void WizardTest::missingModuleIsNotTakenFromPath()
{
    // A "quillnote" on the PATH that is not the suite's own must stay untouched.
    QTemporaryDir bin;
    const QString marker = bin.filePath("started");
    QFile script(bin.filePath("quillnote"));
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write(QString("#!/bin/sh\ntouch '%1'\n").arg(marker).toUtf8());
    script.close();
    QVERIFY(script.setPermissions(script.permissions() | QFileDevice::ExeOwner));
    QVERIFY(!QFileInfo::exists(QDir(programsDir()).filePath("quillnote")));
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", bin.path().toLocal8Bit() + ":" + oldPath);

    FakePlatform fp;
    Platform platform = fp.platform();
    platform.processes = realPlatform().processes;
    Form1 form(platform);
    form.show();
    choose(form.findChild<QRadioButton*>("Opts_1"));
    QTest::mouseClick(form.findChild<QPushButton*>("CmdNext"), Qt::LeftButton);
    qputenv("PATH", oldPath);
    QCOMPARE(fp.dialogs.texts(), QStringList{"Module not found!"});
    QVERIFY(form.isVisible());
    QTest::qWait(200);
    QVERIFY(!QFileInfo::exists(marker));
}

void WizardTest::enterIsNextEscIsExit()
{
    FakePlatform fp;
    Form1 form(fp.platform());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    FIND(opts0, QRadioButton, form, "Opts_0");
    // Enter with nothing chosen does nothing.
    QTest::keyClick(&form, Qt::Key_Return);
    QCOMPARE(form.stepNumber(), quint8(1));

    opts0->setFocus();
    QTest::keyClick(opts0, Qt::Key_Space);
    QVERIFY(opts0->isChecked());
    QTest::keyClick(opts0, Qt::Key_Return);
    QCOMPARE(form.stepNumber(), quint8(2));
    QVERIFY(form.findChild<QWidget*>("FrameEncrDecr")->isVisible());
    // A focused button takes Enter itself: here Previous.
    auto* prev = form.findChild<QPushButton*>("CmdPrev");
    prev->setFocus();
    QTest::keyClick(prev, Qt::Key_Enter);
    QCOMPARE(form.stepNumber(), quint8(1));

    QTest::keyClick(opts0, Qt::Key_Escape);
    QVERIFY(!form.isVisible());
    QVERIFY(fp.processes.started.isEmpty());
}

void WizardTest::optionsOpenWithoutBlocking()
{
    FakePlatform fp;
    Form1 form(fp.platform());
    form.show();
    FIND(cmdOptions, QPushButton, form, "cmdOptions");
    QTest::mouseClick(cmdOptions, Qt::LeftButton);
    auto* options = form.findChild<QDialog*>("FrmOpt");
    QVERIFY(options);
    QVERIFY(options->isVisible());
    QVERIFY(!options->isModal());
    QCOMPARE(options->windowIcon().cacheKey(), form.windowIcon().cacheKey());
    // The wizard goes on working while the options are open; a second click opens no second dialog.
    choose(form.findChild<QRadioButton*>("Opts_8"));
    QVERIFY(form.findChild<QPushButton*>("CmdNext")->isEnabled());
    QTest::mouseClick(cmdOptions, Qt::LeftButton);
    QCOMPARE(form.findChildren<QDialog*>("FrmOpt").size(), 1);
    // Exit closes the options with the wizard.
    QTest::mouseClick(form.findChild<QPushButton*>("CmdCancel"), Qt::LeftButton);
    QVERIFY(!form.isVisible());
    QTRY_VERIFY(form.findChildren<QDialog*>("FrmOpt").isEmpty());
}

QTEST_MAIN(WizardTest)
#include "wizard_test.moc"
