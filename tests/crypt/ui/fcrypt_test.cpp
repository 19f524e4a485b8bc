// Crypt's main window, found by design names, with every dialog answered by the fake platform.
#include <QClipboard>
#include <QtTest>

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <memory>

#include "common/catalogue.h"
#include "common/lang.h"
#include "crypt/core/base64.h"
#include "crypt/ui/fcrypt.h"
#include "crypt/ui/frmtast.h"
#include "crypt/ui/gauge.h"
#include "crypt/ui/pictures.h"
#include "tests/support/fake_platform.h"

using kuvo::Answer;
using kuvo::test::FakePlatform;

namespace {

std::unique_ptr<FCrypt> makeWindow(FakePlatform& fp, const QString& commandLine = QString())
{
    auto w = std::make_unique<FCrypt>(fp.platform(), commandLine);
    w->findDataFile = [](const QString&) { return QString(); };
    w->show();
    if (!QTest::qWaitForWindowExposed(w.get()))
        qWarning("window not exposed");
    return w;
}

QString text(qint16 id)
{
    return kuvo::LoadText(id);
}

bool shown(const QWidget* w)
{
    return w && !w->isHidden();
}

// What the clock shows, read back from the digit pictures.
QString clockText(const FCrypt& w)
{
    QString s;
    for (int i = 0; i < 5; ++i) {
        if (i == 2) {
            s += QLatin1Char(':');
            continue;
        }
        const QImage img = w.ImgCount[std::size_t(i)]->pixmap().toImage();
        QChar found = QLatin1Char('?');
        for (int d = 0; d <= 9; ++d)
            if (img == kuvo::pictures::digit(d).toImage())
                found = QChar('0' + d);
        s += found;
    }
    return s;
}

int keysShown(const FCrypt& w)
{
    int n = 0;
    for (int i = 1; i <= 5; ++i) {
        if (shown(w.Stern[std::size_t(i)]) == shown(w.SchlusselPlatz[std::size_t(i)]))
            return -1; // a key and its empty place on the same spot
        n += shown(w.Stern[std::size_t(i)]);
    }
    return n;
}

QString lights(const FCrypt& w)
{
    QString s;
    s += w.AmpelL[0]->isOn() ? 'R' : '-';
    s += w.AmpelL[1]->isOn() ? 'Y' : '-';
    s += w.AmpelL[2]->isOn() ? 'G' : '-';
    return s;
}

void click(QWidget* w)
{
    QTest::mouseClick(w, Qt::LeftButton);
}

QString encryptInWindow(FCrypt& w, FakePlatform& fp, const QString& plain, const QString& passphrase)
{
    w.txtResults->setPlainText(plain);
    w.TxtCode->setText(passphrase);
    fp.dialogs.answers << Answer::Ok;
    click(w.Command1);
    return w.txtResults->toPlainText();
}

} // namespace

class FCryptTest : public QObject {
    Q_OBJECT
private slots:
    void init();

    void controlsCarryDesignNamesAndTexts_data();
    void controlsCarryDesignNamesAndTexts();
    void startsIdleWithEmptyPassphraseRated();

    void commandLine_data();
    void commandLine();
    void usageBox();

    void tabRules_data();
    void tabRules();

    void setBusyWithProgress();
    void setBusyWithoutProgress();
    void clockAcrossMidnight();
    void clockMinutesWrapAfter99();

    void roundTripInEveryLanguage_data();
    void roundTripInEveryLanguage();
    void blockLengths_data();
    void blockLengths();
    void rewrappedBlockDecrypts_data();
    void rewrappedBlockDecrypts();
    void partialBlocksGiveMessage114();
    void emptyFieldsAndReminderCancel();
    void unrepresentableTextOrPassphraseRefused_data();
    void unrepresentableTextOrPassphraseRefused();
    void cancelKeepsTheBox();
    void closingDuringRunCancelsThenCloses();
    void largeTextKeepsWindowResponsive();
    void longUnbrokenLineWrapsAnywhere();

    void gaugeBands_data();
    void gaugeBands();
    void soundOnlyOnStepToFiveKeys();
    void hidePassphrase();
    void randomPassphrase();
    void screenKeyboardTypesIntoTheBox();

    void layoutFitsInEveryLanguage_data();
    void layoutFitsInEveryLanguage();

    void returnToMainMenu();
    void onlineLink();
    void fileAndFolderHelpers();

private:
    FakePlatform* fp = nullptr;
    std::unique_ptr<FakePlatform> owned;
};

void FCryptTest::init()
{
    kuvo::test::useCatalogue(QStringLiteral("crypt"), kuvo::kOffsetEnglish);
    owned = std::make_unique<FakePlatform>();
    fp = owned.get();
}

// --- Composition ---------------------------------------------------------------

void FCryptTest::controlsCarryDesignNamesAndTexts_data()
{
    QTest::addColumn<qint16>("offset");
    QTest::addColumn<QString>("encryptText");
    QTest::addColumn<QString>("firstTab");
    QTest::addRow("English") << kuvo::kOffsetEnglish << "Encrypt text"
                             << "Encrypt/Decrypt Text";
    QTest::addRow("German") << kuvo::kOffsetGerman << "Text verschlüsseln"
                            << "Text ver-/entschlüsseln";
    QTest::addRow("Spanish") << kuvo::kOffsetSpanish << "Cifrar texto"
                             << "Cifrar/descifrar texto";
}

void FCryptTest::controlsCarryDesignNamesAndTexts()
{
    QFETCH(qint16, offset);
    QFETCH(QString, encryptText);
    QFETCH(QString, firstTab);
    kuvo::LangOffset = offset;
    auto w = makeWindow(*fp);
    QCOMPARE(w->objectName(), "FCrypt");
    QCOMPARE(w->windowTitle(), QString::fromUtf8("Kuvo-Crypt SE™ Lite"));
    const QStringList names = {
        "lblTitle",         "ucShape1",       "TabStr",          "Frame_0",         "Frame_1",
        "TabFileCrypt",     "FramFileEnrypt", "FramFileDecrypt", "FramePwd",        "FrameW",
        "CmdReturn",        "txtResults",     "Label2",          "LstCryptFiles",   "CmdAdCryptdfile",
        "CmdDelCryptFiles", "OptFiles",       "OptDirs",         "TxtEncrFileName", "CmdBrowseCryptOut",
        "ChkEraseEncr",     "TxtDecrFile",    "Command7",        "TxtDecrOutPath",  "CmdBrowseOutPath",
        "PictArbeitampel",  "ProgressBar1",   "ProgressBar2",    "CmdCancel",       "Label7",
        "TxtCode",          "ChkHPwd",        "cmdPassgen",      "Command3",        "LabCodeb",
        "Label1",           "PictAmpel",      "Shape1",          "Label3",          "Command1",
        "Command2",         "LblLink",        "Command4",        "Command5",        "CmdMail"};
    for (const QString& name : names)
        QVERIFY2(w->findChild<QWidget*>(name), qPrintable(name));
    for (int i = 0; i <= 5; ++i)
        QVERIFY(w->findChild<kuvo::Lamp*>(QStringLiteral("AmpelL_%1").arg(i)));
    for (int i = 0; i <= 4; ++i)
        QVERIFY(w->findChild<QLabel*>(QStringLiteral("ImgCount_%1").arg(i)));
    for (int i = 1; i <= 5; ++i) {
        QVERIFY(w->findChild<QLabel*>(QStringLiteral("Stern_%1").arg(i)));
        QVERIFY(w->findChild<QLabel*>(QStringLiteral("SchlusselPlatz_%1").arg(i)));
    }
    QCOMPARE(w->findChild<QTimer*>("TmrCount")->interval(), 800);
    QCOMPARE(w->findChild<QPushButton*>("Command1")->text(), encryptText);
    QCOMPARE(w->TabStr->tabText(0), firstTab);
    QCOMPARE(w->TabStr->tabText(1), text(167));
    QCOMPARE(w->TabFileCrypt->tabText(0), text(183));
    QCOMPARE(w->TabFileCrypt->tabText(1), text(184));
    QCOMPARE(w->findChild<QLabel*>("Label7")->text(), text(143));
    QCOMPARE(w->findChild<QCheckBox*>("ChkEraseEncr")->text(), text(147));
    QCOMPARE(w->findChild<QLabel*>("lblTitle")->text(), "Kuvo-Crypt");
    // Nothing was left as a "#N" placeholder.
    for (auto* b : w->findChildren<QAbstractButton*>())
        QVERIFY2(!b->text().startsWith('#'), qPrintable(b->objectName()));
    for (auto* l : w->findChildren<QLabel*>())
        QVERIFY2(!l->text().startsWith('#'), qPrintable(l->objectName()));
}

void FCryptTest::startsIdleWithEmptyPassphraseRated()
{
    auto w = makeWindow(*fp);
    QVERIFY(!shown(w->FrameW));
    QVERIFY(shown(w->PictAmpel));
    QVERIFY(!shown(w->PictArbeitampel));
    QVERIFY(!w->TmrCount->isActive());
    QCOMPARE(w->Label3->text(), text(124));
    QCOMPARE(lights(*w), "R--");
    QCOMPARE(keysShown(*w), 0);
    QVERIFY(w->ChkHPwd->isChecked());
    QCOMPARE(w->TxtCode->echoMode(), QLineEdit::Password);
    QVERIFY(w->OptFiles->isChecked());
    QCOMPARE(w->listTag(), QString());
    QVERIFY(fp->dialogs.messages.isEmpty());
}

// --- Command line -----------------------------------------------------------------

void FCryptTest::commandLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("mainTab");
    QTest::addColumn<int>("fileTab");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<bool>("optDirs");
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("container");
    QTest::addRow("none") << "" << 0 << 0 << QStringList() << true << ""
                          << ""
                          << "";
    QTest::addRow("filee capitals") << "/FILEE" << 1 << 0 << QStringList() << true << ""
                                    << ""
                                    << "";
    QTest::addRow("filed and letters") << "/filedxyz" << 1 << 1 << QStringList() << true << ""
                                       << ""
                                       << "";
    QTest::addRow("setencrfiles") << "/setEncrFiles /a/x.txt  /b/y.txt /outputfile /out/my file.kuvo" << 1
                                  << 0 << QStringList{"/a/x.txt", "/b/y.txt"} << false << "d"
                                  << "/out/my file.kuvo"
                                  << "";
    QTest::addRow("setencrfiles duplicate")
        << "/setencrfiles /a /a" << 1 << 0 << QStringList{"/a"} << false << "d"
        << ""
        << "";
    QTest::addRow("only outputfile") << "/setencrfiles /outputfile" << 1 << 0 << QStringList() << true << ""
                                     << ""
                                     << "";
    QTest::addRow("setdecrfile") << "/setdecrfile /my box/a b.kuvo" << 1 << 1 << QStringList() << true << ""
                                 << ""
                                 << "/my box/a b.kuvo";
    QTest::addRow("setdecrfile no blank") << "/setdecrfile" << 0 << 0 << QStringList() << true << ""
                                          << ""
                                          << "";
}

void FCryptTest::commandLine()
{
    QFETCH(QString, line);
    QFETCH(int, mainTab);
    QFETCH(int, fileTab);
    QFETCH(QStringList, files);
    QFETCH(bool, optDirs);
    QFETCH(QString, tag);
    QFETCH(QString, output);
    QFETCH(QString, container);
    auto w = makeWindow(*fp, line);
    QCOMPARE(w->TabStr->currentIndex(), mainTab);
    QCOMPARE(w->TabFileCrypt->currentIndex(), fileTab);
    QStringList listed;
    for (int i = 0; i < w->LstCryptFiles->count(); ++i)
        listed << w->LstCryptFiles->item(i)->text();
    QCOMPARE(listed, files);
    QCOMPARE(w->OptDirs->isEnabled(), optDirs);
    QCOMPARE(w->listTag(), tag);
    QCOMPARE(w->TxtEncrFileName->text(), output);
    QCOMPARE(w->TxtDecrFile->text(), container);
    QCOMPARE(shown(w->Frame[1]), mainTab == 1);
    QCOMPARE(shown(w->FramFileDecrypt), fileTab == 1);
    QVERIFY(fp->dialogs.messages.isEmpty());
}

void FCryptTest::usageBox()
{
    auto w = makeWindow(*fp, "/?");
    QCOMPARE(fp->dialogs.messages.size(), 1);
    const auto& m = fp->dialogs.messages.first();
    QCOMPARE(m.title, "Kuvo Crypt Lite");
    QCOMPARE(m.buttons, kuvo::Buttons::Ok);
    QCOMPARE(m.text, "Parameters for Kuvo Crypt:\r\n" +
                         QFileInfo(QCoreApplication::applicationFilePath()).baseName() +
                         " [/setEncrFiles <list of files> /outputfile <file>]|[/setDecrFile <file>]");
    QCOMPARE(w->TabStr->currentIndex(), 0);
    QVERIFY(shown(w->Command1));
}

// --- Tabs ----------------------------------------------------------------------------

void FCryptTest::tabRules_data()
{
    QTest::addColumn<int>("mainTab");
    QTest::addColumn<int>("fileTab");
    QTest::addColumn<QStringList>("visible");
    const QStringList always = {"FramePwd", "CmdMail", "CmdReturn"};
    QTest::addRow("text") << 0 << 0 << always + QStringList{"Frame_0", "Command1", "Command2", "LblLink"};
    QTest::addRow("text after decrypt tab")
        << 0 << 1 << always + QStringList{"Frame_0", "Command1", "Command2", "LblLink"};
    QTest::addRow("files encrypt") << 1 << 0 << always + QStringList{"Frame_1", "FramFileEnrypt", "Command4"};
    QTest::addRow("files decrypt") << 1 << 1
                                   << always + QStringList{"Frame_1", "FramFileDecrypt", "Command5"};
}

void FCryptTest::tabRules()
{
    QFETCH(int, mainTab);
    QFETCH(int, fileTab);
    QFETCH(QStringList, visible);
    auto w = makeWindow(*fp);
    // Visit the other panels first, so every rule is exercised by a change.
    w->TabStr->setCurrentIndex(1 - mainTab);
    w->TabFileCrypt->setCurrentIndex(1 - fileTab);
    w->TabStr->setCurrentIndex(mainTab);
    w->TabFileCrypt->setCurrentIndex(fileTab);
    const QStringList all = {"Frame_0",  "Frame_1",  "FramFileEnrypt", "FramFileDecrypt",
                             "Command1", "Command2", "LblLink",        "Command4",
                             "Command5", "FramePwd", "CmdMail",        "CmdReturn"};
    for (const QString& name : all)
        QVERIFY2(w->findChild<QWidget*>(name)->isVisible() == visible.contains(name), qPrintable(name));
}

// --- Busy display ---------------------------------------------------------------------

void FCryptTest::setBusyWithProgress()
{
    auto w = makeWindow(*fp);
    w->secondOfDay = [] { return 1000; };
    w->ProgressBar1->setValue(40);
    w->ProgressBar2->setValue(7);
    w->SetBusy(true, false);
    QVERIFY(w->isBusy());
    QVERIFY(w->FrameW->isVisible());
    QVERIFY(!shown(w->PictAmpel));
    for (QWidget* panel : {static_cast<QWidget*>(w->Frame[0]), static_cast<QWidget*>(w->Frame[1]),
                           static_cast<QWidget*>(w->FramePwd)})
        QVERIFY(!panel->isEnabled());
    QVERIFY(w->CmdCancel->isEnabled());
    QVERIFY(w->CmdReturn->isEnabled());
    QVERIFY(w->ProgressBar1->isVisible() && w->ProgressBar2->isVisible());
    QCOMPARE(w->ProgressBar1->value(), w->ProgressBar1->minimum());
    QCOMPARE(w->ProgressBar2->value(), w->ProgressBar2->minimum());
    QVERIFY(w->TmrCount->isActive());
    QCOMPARE(w->ClockStart, 1000);
    QCOMPARE(clockText(*w), "00:00");
    QCOMPARE(w->cursor().shape(), Qt::WaitCursor);

    w->SetBusy(false, false);
    QVERIFY(!w->isBusy());
    QVERIFY(!shown(w->FrameW));
    QVERIFY(shown(w->PictAmpel));
    QVERIFY(!shown(w->PictArbeitampel));
    QVERIFY(w->Frame[0]->isEnabled() && w->Frame[1]->isEnabled() && w->FramePwd->isEnabled());
    QVERIFY(!w->TmrCount->isActive());
    QCOMPARE(w->cursor().shape(), Qt::ArrowCursor);
}

void FCryptTest::setBusyWithoutProgress()
{
    auto w = makeWindow(*fp);
    w->PictArbeitampel->show();
    w->SetBusy(true, true);
    QVERIFY(w->FrameW->isVisible());
    QVERIFY(w->Label7->isVisible());
    QVERIFY(w->CmdCancel->isVisible());
    QVERIFY(!shown(w->ProgressBar1) && !shown(w->ProgressBar2));
    QVERIFY(!shown(w->PictArbeitampel));
    for (QLabel* img : w->ImgCount)
        QVERIFY(!shown(img));
    QVERIFY(!w->TmrCount->isActive());
    QVERIFY(!w->FramePwd->isEnabled());

    w->SetBusy(false, true);
    QVERIFY(!shown(w->FrameW));
    QVERIFY(shown(w->ProgressBar1) && shown(w->ProgressBar2));
    for (QLabel* img : w->ImgCount)
        QVERIFY(shown(img));
    QVERIFY(w->FramePwd->isEnabled());
}

void FCryptTest::clockAcrossMidnight()
{
    auto w = makeWindow(*fp);
    int now = 23 * 3600 + 59 * 60 + 50;
    w->secondOfDay = [&now] { return now; };
    w->SetBusy(true, false);
    QCOMPARE(clockText(*w), "00:00");
    now = 5;
    w->TmrCount_Timer();
    QCOMPARE(clockText(*w), "00:15");
    now = 75;
    w->TmrCount_Timer();
    QCOMPARE(clockText(*w), "01:25");
    w->SetBusy(false, false);
}

void FCryptTest::clockMinutesWrapAfter99()
{
    auto w = makeWindow(*fp);
    int now = 3000;
    w->secondOfDay = [&now] { return now; };
    w->SetBusy(true, false);
    now += 99 * 60 + 59;
    w->TmrCount_Timer();
    QCOMPARE(clockText(*w), "99:59");
    QCOMPARE(w->ClockMinutes, qint16(99));
    now += 1;
    w->TmrCount_Timer();
    QCOMPARE(clockText(*w), "00:00");
    QCOMPARE(w->ClockMinutes, qint16(0));
    now += 61;
    w->TmrCount_Timer();
    QCOMPARE(clockText(*w), "01:01");
    // A new run starts from zero again.
    w->SetBusy(false, false);
    w->SetBusy(true, false);
    QCOMPARE(clockText(*w), "00:00");
    w->SetBusy(false, false);
}

// --- Text encryption ---------------------------------------------------------------------

void FCryptTest::roundTripInEveryLanguage_data()
{
    QTest::addColumn<qint16>("offset");
    QTest::addRow("English") << kuvo::kOffsetEnglish;
    QTest::addRow("German") << kuvo::kOffsetGerman;
    QTest::addRow("Spanish") << kuvo::kOffsetSpanish;
}

void FCryptTest::roundTripInEveryLanguage()
{
    QFETCH(qint16, offset);
    kuvo::LangOffset = offset;
    auto w = makeWindow(*fp);
    const QString plain = QString::fromUtf8("Grüße aus Köln, 100 €\nzweite Zeile\n\nñ fin");
    const QString block = encryptInWindow(*w, *fp, plain, "geheim");

    QCOMPARE(fp->dialogs.messages.size(), 1);
    QCOMPARE(fp->dialogs.messages[0].title, "Kuvo-Crypt");
    QCOMPARE(fp->dialogs.messages[0].text, text(190));
    QCOMPARE(fp->dialogs.messages[0].buttons, kuvo::Buttons::OkCancel);
    QVERIFY(w->TxtCode->text().isEmpty());
    QCOMPARE(w->Label3->text(), text(124));
    QVERIFY(!w->isBusy());
    QVERIFY(!shown(w->FrameW));
    QVERIFY(w->ActiveCipher == nullptr);
    QCOMPARE(w->ProgressBar1->value(), w->ProgressBar1->maximum());
    QVERIFY(QRegularExpression("^[A-Za-z0-9+/=\n]+$").match(block).hasMatch());
    for (const QString& line : block.split('\n'))
        QVERIFY(line.size() <= 76);

    w->TxtCode->setText("geheim");
    click(w->Command2);
    QCOMPARE(w->txtResults->toPlainText(), plain);
    QVERIFY(w->TxtCode->text().isEmpty());
    QCOMPARE(fp->dialogs.messages.size(), 1);
    QVERIFY(!w->isBusy());
}

void FCryptTest::blockLengths_data()
{
    QTest::addColumn<int>("characters");
    QTest::addColumn<int>("base64");
    QTest::addRow("1") << 1 << 88;
    QTest::addRow("25") << 25 << 88;
    QTest::addRow("32") << 32 << 88;
    QTest::addRow("33") << 33 << 128;
}

void FCryptTest::blockLengths()
{
    QFETCH(int, characters);
    QFETCH(int, base64);
    auto w = makeWindow(*fp);
    const QString block = encryptInWindow(*w, *fp, QString(characters, 'z'), "pw");
    const QStringList lines = block.split('\n');
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[0].size(), 76);
    QCOMPARE(lines[1].size(), base64 - 76);
    QCOMPARE(lines[1].endsWith("=="), base64 == 88);
}

void FCryptTest::rewrappedBlockDecrypts_data()
{
    QTest::addColumn<QString>("how");
    QTest::addRow("spaces") << "spaces";
    QTest::addRow("blank lines") << "blank lines";
    QTest::addRow("equals removed") << "equals removed";
    QTest::addRow("joined") << "joined";
}

void FCryptTest::rewrappedBlockDecrypts()
{
    QFETCH(QString, how);
    auto w = makeWindow(*fp);
    const QString plain = "Meet on Thursday, same room."; // 64 cipher bytes: "==" at the end
    QString block = encryptInWindow(*w, *fp, plain, "pw");
    QVERIFY(block.contains('='));
    if (how == "spaces")
        block = "  " + block.replace("\n", " \n ").insert(20, "   ") + " ";
    else if (how == "blank lines")
        block = "\n\n" + block.replace("\n", "\n\n\n") + "\n\n";
    else if (how == "equals removed")
        block.remove('=');
    else
        block.remove('\n');
    w->txtResults->setPlainText(block);
    w->TxtCode->setText("pw");
    click(w->Command2);
    QCOMPARE(w->txtResults->toPlainText(), plain);
}

void FCryptTest::partialBlocksGiveMessage114()
{
    auto w = makeWindow(*fp);
    const kuvo::Bytes bytes(33, 0x41);
    const QString block = QString::fromLatin1(kuvo::Base64Encode(bytes)).replace("\r\n", "\n");
    w->txtResults->setPlainText(block);
    w->TxtCode->setText("pw");
    click(w->Command2);
    QCOMPARE(fp->dialogs.texts(), QStringList{text(114)});
    QCOMPARE(fp->dialogs.messages[0].title, "Kuvo Crypt Lite");
    QCOMPARE(w->txtResults->toPlainText(), block);
    QVERIFY(w->TxtCode->text().isEmpty());
    QVERIFY(!w->isBusy());

    // Too short to decode to anything at all: the same.
    fp->dialogs.messages.clear();
    w->txtResults->setPlainText("Q=");
    w->TxtCode->setText("pw");
    click(w->Command2);
    QCOMPARE(fp->dialogs.texts(), QStringList{text(114)});
    QCOMPARE(w->txtResults->toPlainText(), "Q=");
}

void FCryptTest::emptyFieldsAndReminderCancel()
{
    auto w = makeWindow(*fp);
    w->TxtCode->setText("pw");
    click(w->Command1);
    click(w->Command2);
    QCOMPARE(fp->dialogs.texts(), (QStringList{text(114), text(114)}));
    QCOMPARE(w->TxtCode->text(), "pw");

    fp->dialogs.messages.clear();
    w->TxtCode->clear();
    w->txtResults->setPlainText("text");
    click(w->Command1);
    click(w->Command2);
    QCOMPARE(fp->dialogs.texts(), (QStringList{text(114), text(114)}));

    fp->dialogs.messages.clear();
    w->TxtCode->setText("pw");
    fp->dialogs.answers << Answer::Cancel;
    click(w->Command1);
    QCOMPARE(fp->dialogs.texts(), QStringList{text(190)});
    QCOMPARE(w->txtResults->toPlainText(), "text");
    QCOMPARE(w->TxtCode->text(), "pw");
}

void FCryptTest::unrepresentableTextOrPassphraseRefused_data()
{
    QTest::addColumn<QString>("plain");
    QTest::addColumn<QString>("passphrase");
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("message");
    QTest::addRow("text encrypt") << QString::fromUtf8("Привет") << "pw" << 1 << 201;
    QTest::addRow("emoji text") << QString::fromUtf8("ok \U0001F600") << "pw" << 1 << 201;
    QTest::addRow("passphrase encrypt") << "text" << QString::fromUtf8("пароль") << 1 << 202;
    QTest::addRow("passphrase decrypt") << "QUFBQQ==" << QString::fromUtf8("pw\u2603") << 2 << 202;
    QTest::addRow("passphrase past 32") << "text" << QString(32, 'a') + QString::fromUtf8("Ж") << 1 << 202;
}

void FCryptTest::unrepresentableTextOrPassphraseRefused()
{
    QFETCH(QString, plain);
    QFETCH(QString, passphrase);
    QFETCH(int, button);
    QFETCH(int, message);
    auto w = makeWindow(*fp);
    w->txtResults->setPlainText(plain);
    w->TxtCode->setText(passphrase);
    click(button == 1 ? w->Command1 : w->Command2);
    QCOMPARE(fp->dialogs.texts(), QStringList{text(qint16(message))});
    QCOMPARE(fp->dialogs.messages[0].title, "Kuvo Crypt Lite");
    QCOMPARE(w->txtResults->toPlainText(), plain);
    QCOMPARE(w->TxtCode->text(), passphrase);
}

void FCryptTest::cancelKeepsTheBox()
{
    auto w = makeWindow(*fp);
    const QString plain(5000, 'c');
    w->txtResults->setPlainText(plain);
    w->TxtCode->setText("pw");
    fp->dialogs.answers << Answer::Ok;
    QTimer::singleShot(0, w->CmdCancel, [&] { click(w->CmdCancel); });
    click(w->Command1);
    QVERIFY(w->CancelFlag);
    QCOMPARE(w->txtResults->toPlainText(), plain);
    QVERIFY(w->TxtCode->text().isEmpty());
    QVERIFY(!w->isBusy());

    const QString block = encryptInWindow(*w, *fp, "secret", "pw");
    w->TxtCode->setText("pw");
    QTimer::singleShot(0, w->CmdCancel, [&] { click(w->CmdCancel); });
    click(w->Command2);
    QCOMPARE(w->txtResults->toPlainText(), block);
    QVERIFY(w->TxtCode->text().isEmpty());
}

void FCryptTest::closingDuringRunCancelsThenCloses()
{
    auto w = makeWindow(*fp);
    const QString plain(3000, 'q');
    w->txtResults->setPlainText(plain);
    w->TxtCode->setText("pw");
    fp->dialogs.answers << Answer::Ok;
    QTimer::singleShot(0, w.get(), [&] { w->close(); });
    click(w->Command1);
    QVERIFY(w->isVisible()); // still open while the run ends
    QCOMPARE(w->txtResults->toPlainText(), plain);
    QTRY_VERIFY(!w->isVisible());
}

void FCryptTest::largeTextKeepsWindowResponsive()
{
    auto w = makeWindow(*fp);
    const QString plain = QString("0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcde\n")
                              .repeated(1 << 14); // 1 MiB in lines
    int ticks = 0;
    int longestGapMs = 0;
    QElapsedTimer sinceTick;
    QTimer probe;
    probe.setInterval(5);
    connect(&probe, &QTimer::timeout, [&] {
        if (sinceTick.isValid())
            longestGapMs = std::max(longestGapMs, int(sinceTick.elapsed()));
        sinceTick.start();
        ++ticks;
    });
    probe.start();
    QElapsedTimer run;
    run.start();
    const QString block = encryptInWindow(*w, *fp, plain, "pw");
    const qint64 encryptMs = run.elapsed();
    w->TxtCode->setText("pw");
    run.restart();
    click(w->Command2);
    const qint64 decryptMs = run.elapsed();
    probe.stop();
    qInfo("1 MiB text: encrypt %lld ms, decrypt %lld ms, %d timer ticks, longest gap %d ms", encryptMs,
          decryptMs, ticks, longestGapMs);
    QCOMPARE(w->txtResults->toPlainText(), plain);
    QVERIFY(block.size() > plain.size());
    QVERIFY2(ticks >= 4, "events were processed during the run");
    QVERIFY2(longestGapMs < 1000, "no long stall of the event loop");
}

void FCryptTest::longUnbrokenLineWrapsAnywhere()
{
    auto w = makeWindow(*fp);
    w->show();
    // Word wrapping takes time growing with the square of an unbroken line's length.
    const QString line = QString("x").repeated(512 * 1024);
    QElapsedTimer t;
    t.start();
    w->txtResults->setText(line);
    QCoreApplication::processEvents();
    QCOMPARE(w->txtResults->wordWrapMode(), QTextOption::WrapAnywhere);
    QApplication::clipboard()->setText(QString("y").repeated(256 * 1024));
    w->txtResults->setText("short words wrap at word boundaries");
    QCOMPARE(w->txtResults->wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
    w->txtResults->paste();
    QCoreApplication::processEvents();
    QCOMPARE(w->txtResults->wordWrapMode(), QTextOption::WrapAnywhere);
    QVERIFY(w->txtResults->toPlainText().startsWith("yyyy"));
    QVERIFY2(t.elapsed() < 5000, qPrintable(QString::number(t.elapsed())));
}

// --- Passphrase panel ----------------------------------------------------------------------

void FCryptTest::gaugeBands_data()
{
    QTest::addColumn<QString>("passphrase");
    QTest::addColumn<QString>("lights");
    QTest::addColumn<int>("keys");
    QTest::addColumn<int>("verdict");
    const QString everyClass = QString("Ab1{").repeated(8);
    QTest::addRow("empty") << ""
                           << "R--" << 0 << 124;
    QTest::addRow("three mixed") << "Ab1"
                                 << "R--" << 1 << 124;
    QTest::addRow("six small") << "abcdef"
                               << "RY-" << 2 << 125;
    QTest::addRow("eleven") << "Abcdefghij1"
                            << "-Y-" << 3 << 126;
    QTest::addRow("letters 32") << QString("aB").repeated(16) << "-YG" << 4 << 127;
    QTest::addRow("every class 32") << everyClass << "--G" << 5 << 128;
    QTest::addRow("every class 30") << everyClass.left(30) << "-YG" << 4 << 127;
}

void FCryptTest::gaugeBands()
{
    QFETCH(QString, passphrase);
    QFETCH(QString, lights);
    QFETCH(int, keys);
    QFETCH(int, verdict);
    auto w = makeWindow(*fp);
    w->TxtCode->setText("x"); // a change, so the empty row is rated anew too
    w->TxtCode->setText(passphrase);
    QCOMPARE(::lights(*w), lights);
    QCOMPARE(keysShown(*w), keys);
    QCOMPARE(w->Label3->text(), text(qint16(verdict)));
}

void FCryptTest::soundOnlyOnStepToFiveKeys()
{
    QTemporaryDir dir;
    const QString wav = dir.filePath("lock.wav");
    QFile f(wav);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("RIFF");
    f.close();
    auto w = makeWindow(*fp);
    w->findDataFile = [&](const QString& name) { return name == "lock.wav" ? wav : QString(); };
    const QString everyClass = QString("Ab1{").repeated(8);

    w->TxtCode->setFocus();
    QTest::keyClicks(w->TxtCode, everyClass.left(30));
    QCOMPARE(keysShown(*w), 4);
    QVERIFY(fp->sound.played.isEmpty());
    QTest::keyClick(w->TxtCode, everyClass.at(30).toLatin1()); // 31 characters: five keys
    QCOMPARE(keysShown(*w), 5);
    QCOMPARE(fp->sound.played, QStringList{wav});
    QTest::keyClick(w->TxtCode, everyClass.at(31).toLatin1()); // still five
    QCOMPARE(fp->sound.played.size(), 1);
    QTest::keyClick(w->TxtCode, Qt::Key_Backspace);
    QTest::keyClick(w->TxtCode, Qt::Key_Backspace); // 30: four keys
    QCOMPARE(keysShown(*w), 4);
    QTest::keyClick(w->TxtCode, everyClass.at(30).toLatin1());
    QCOMPARE(fp->sound.played.size(), 2);

    // Without the file the step is silent.
    w->findDataFile = [](const QString&) { return QString(); };
    w->TxtCode->clear();
    w->TxtCode->setText(everyClass);
    QCOMPARE(keysShown(*w), 5);
    QCOMPARE(fp->sound.played.size(), 2);
}

void FCryptTest::hidePassphrase()
{
    auto w = makeWindow(*fp);
    QCOMPARE(w->TxtCode->echoMode(), QLineEdit::Password);
    click(w->ChkHPwd);
    QVERIFY(!w->ChkHPwd->isChecked());
    QCOMPARE(w->TxtCode->echoMode(), QLineEdit::Normal);
    w->ChkHPwd->setChecked(true);
    QCOMPARE(w->TxtCode->echoMode(), QLineEdit::Password);
}

void FCryptTest::randomPassphrase()
{
    auto w = makeWindow(*fp);
    QSet<QString> seen;
    for (int round = 0; round < 20; ++round) {
        w->ChkHPwd->setChecked(true);
        w->TxtCode->setText("abc");
        click(w->cmdPassgen);
        const QString p = w->TxtCode->text();
        QCOMPARE(p.size(), 32);
        for (QChar c : p)
            QVERIFY2(c.unicode() >= 32 && c.unicode() <= 125, qPrintable(p));
        seen.insert(p);
        QVERIFY(!w->ChkHPwd->isChecked());
        QCOMPARE(w->TxtCode->echoMode(), QLineEdit::Normal);
        QCOMPARE(w->Label3->text(), text(106));
        QCOMPARE(keysShown(*w), 5);
        QCOMPARE(lights(*w), "--G");
    }
    QCOMPARE(seen.size(), 20);
}

void FCryptTest::screenKeyboardTypesIntoTheBox()
{
    auto w = makeWindow(*fp);
    click(w->Command3);
    FrmTast* keyboard = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* k = qobject_cast<FrmTast*>(top); k && k->isVisible())
            keyboard = k;
    QVERIFY(keyboard);
    click(w->Command3); // a second click opens no second keyboard
    int open = 0;
    for (QWidget* top : QApplication::topLevelWidgets())
        open += qobject_cast<FrmTast*>(top) && top->isVisible();
    QCOMPARE(open, 1);
    w->close();
    QTRY_VERIFY(!keyboard->isVisible());
}

// --- Layout --------------------------------------------------------------------------------

void FCryptTest::layoutFitsInEveryLanguage_data()
{
    QTest::addColumn<qint16>("offset");
    QTest::addColumn<QString>("state");
    for (auto [lang, offset] : {std::pair{"en", kuvo::kOffsetEnglish}, std::pair{"de", kuvo::kOffsetGerman},
                                std::pair{"es", kuvo::kOffsetSpanish}})
        for (const char* state : {"text", "encrypt", "decrypt", "busy", "keys"})
            QTest::addRow("%s %s", lang, state) << offset << QString(state);
}

// No visible named control overlaps a visible named sibling, leaves its parent, or cuts its caption.
void FCryptTest::layoutFitsInEveryLanguage()
{
    QFETCH(qint16, offset);
    QFETCH(QString, state);
    kuvo::LangOffset = offset;
    auto w = makeWindow(*fp, state == "encrypt" ? "/filee" : state == "decrypt" ? "/filed" : "");
    w->TxtCode->setText(QString("Ab1{").repeated(8));
    if (state == "keys")
        w->TxtCode->setText("Abcdefghij1"); // the longest verdict of the middle band
    if (state == "busy") {
        w->PictArbeitampel->show();
        w->SetBusy(true, false);
    }
    QCoreApplication::processEvents();
    const QList<QWidget*> controls = w->findChildren<QWidget*>(QRegularExpression("^[A-Za-z]"));
    auto allowedOverlap = [](const QString& a, const QString& b) {
        const QString pair = a < b ? a + "|" + b : b + "|" + a;
        // The busy panel covers the working area; a key and its empty place share a spot; lamps sit in their
        // housing.
        return pair.contains("FrameW") || (pair.startsWith("SchlusselPlatz_") && a.right(1) == b.right(1)) ||
               (pair.startsWith("AmpelL_") && pair.contains("|Shape"));
    };
    for (QWidget* c : controls) {
        if (!c->isVisible() || qobject_cast<QTimer*>(c) || c->objectName().startsWith("qt_"))
            continue;
        const QString name = c->objectName();
        QWidget* parent = c->parentWidget();
        if (parent != w.get())
            QVERIFY2(parent->rect().contains(c->geometry()), qPrintable(name + " leaves its parent"));
        if (auto* label = qobject_cast<QLabel*>(c); label && label->pixmap().isNull()) {
            if (label->wordWrap())
                QVERIFY2(label->height() >= label->heightForWidth(label->width()), qPrintable(name + " cut"));
            else
                QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(name + " cut"));
        }
        if (auto* push = qobject_cast<QPushButton*>(c))
            QVERIFY2(push->width() >= push->fontMetrics().horizontalAdvance(push->text()) + 12,
                     qPrintable(name + " cut"));
        else if (auto* button = qobject_cast<QAbstractButton*>(c))
            QVERIFY2(button->width() >= button->sizeHint().width(), qPrintable(name + " cut"));
        for (QWidget* other : controls) {
            if (other == c || other->parentWidget() != parent || !other->isVisible() ||
                other->objectName().startsWith("qt_") || allowedOverlap(name, other->objectName()))
                continue;
            QVERIFY2(!c->geometry().intersects(other->geometry()),
                     qPrintable(name + " overlaps " + other->objectName()));
        }
    }
    const QString shots = qEnvironmentVariable("KUVO_SHOT_DIR");
    if (!shots.isEmpty())
        w->grab().save(QDir(shots).filePath(QString(QTest::currentDataTag()).replace(' ', '-') + ".png"));
    if (state == "busy")
        w->SetBusy(false, false);
}

// --- Buttons -------------------------------------------------------------------------------

void FCryptTest::returnToMainMenu()
{
    for (bool startFails : {false, true}) {
        FakePlatform local;
        if (startFails)
            local.processes.results["varnhold"] =
                kuvo::StartResult{kuvo::StartResult::Status::NotFound, "none"};
        auto w = makeWindow(local);
        click(w->CmdReturn);
        QCOMPARE(local.processes.started.size(), 1);
        QCOMPARE(local.processes.started[0].program, "varnhold");
        QVERIFY(local.processes.started[0].arguments.isEmpty());
        QVERIFY(!w->isVisible());
        QVERIFY(local.dialogs.messages.isEmpty());
    }
}

void FCryptTest::onlineLink()
{
    auto w = makeWindow(*fp);
    click(w->LblLink);
    QCOMPARE(fp->dialogs.texts(), QStringList{text(191)});
    QCOMPARE(fp->dialogs.messages[0].buttons, kuvo::Buttons::Ok);
    QCOMPARE(fp->desktop.opened.size(), 1);
    QCOMPARE(fp->desktop.opened[0].scheme(), "https");
    QCOMPARE(fp->desktop.opened[0].path(), "/crypt/crypt.php");
}

void FCryptTest::fileAndFolderHelpers()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("a.txt");
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    QVERIFY(FCrypt::FileExists(file));
    QVERIFY(!FCrypt::FileExists(dir.path()));
    QVERIFY(!FCrypt::FileExists(""));
    QVERIFY(!FCrypt::FileExists(dir.filePath("missing")));
    QVERIFY(FCrypt::DirExists(dir.path()));
    QVERIFY(!FCrypt::DirExists(file));
    QVERIFY(!FCrypt::DirExists(dir.filePath("missing")));

    auto w = makeWindow(*fp);
    fp->dialogs.fileAnswers << dir.path() << "";
    QCOMPARE(w->BrowseForFolder("pick"), dir.path());
    QCOMPARE(w->BrowseForFolder(""), QString());
    QCOMPARE(fp->dialogs.calls.size(), 2);
    QCOMPARE(fp->dialogs.calls[0].kind, "folder");
    QCOMPARE(fp->dialogs.calls[0].title, "pick");

    w->AddUniqueFile("");
    w->AddUniqueFile("/x/a");
    w->AddUniqueFile("/x/a");
    w->AddUniqueFile("/x/A");
    QCOMPARE(w->LstCryptFiles->count(), 2);
}

QTEST_MAIN(FCryptTest)
#include "fcrypt_test.moc"
