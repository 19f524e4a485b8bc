// First-run language, the options dialog and the about window.
#include <QComboBox>
#include <QDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QStyleFactory>
#include <QtTest>

#include "common/catalogue.h"
#include "common/links.h"
#include "common/platform/qtplatform.h"
#include "launcher/form1.h"
#include "launcher/frminfo.h"
#include "launcher/frmopt.h"
#include "launcher/language.h"
#include "launcher_test_util.h"

using namespace kuvo;
using kuvo::test::FakePlatform;

namespace {

// Backdates ml.ini so that any later write shows in its modification time.
QDateTime backdateLangFile()
{
    QFile f(langFilePath());
    const QDateTime old = QDateTime::currentDateTime().addDays(-2);
    if (!f.open(QIODevice::ReadWrite) || !f.setFileTime(old, QFileDevice::FileModificationTime))
        qFatal("cannot backdate %s", qPrintable(langFilePath()));
    f.close();
    return QFileInfo(langFilePath()).lastModified();
}

QDateTime langFileTime()
{
    return QFileInfo(langFilePath()).lastModified();
}

QDialog* openOptions(Form1& form)
{
    QTest::mouseClick(form.findChild<QPushButton*>("cmdOptions"), Qt::LeftButton);
    return form.findChild<QDialog*>("FrmOpt");
}

} // namespace

class OptionsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void firstRunLanguage_data();
    void firstRunLanguage();
    void languageSets();
    void aboutBesideWizard_data();
    void aboutBesideWizard();
    void secondStartDoesNotDetect();
    void firstRunWithUnwritableSetting();

    void optionsOpeningIndex_data();
    void optionsOpeningIndex();
    void okWithoutChangeWritesNothing();
    void okWithChangeWritesAndTellsInOldLanguage();
    void cancelAfterChangeWritesNothing();
    void okWithUnwritableSetting();
    void themeHint_data();
    void themeHint();
    void aboutFromOptions();
    void qtFallbackStylesCountAsUnstyled_data();
    void qtFallbackStylesCountAsUnstyled();

    void aboutWindow_data();
    void aboutWindow();
};

void OptionsTest::init()
{
    test::useCatalogue("launcher", kOffsetEnglish);
    test::writeLangFileBytes("0");
}

void OptionsTest::cleanup()
{
    test::unblockLangFile();
    test::removeLangFile();
}

void OptionsTest::firstRunLanguage_data()
{
    QTest::addColumn<int>("langId");
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QString>("next");
    QTest::addRow("0x0807 German Switzerland") << 0x0807 << QByteArray("1") << 0 << "&Weiter >";
    QTest::addRow("0x0007 neutral German") << 0x0007 << QByteArray("1") << 0 << "&Weiter >";
    QTest::addRow("0x4C0A Spanish Nicaragua") << 0x4C0A << QByteArray("2") << 1900 << "&Seguir >";
    QTest::addRow("0x500A Spanish Puerto Rico") << 0x500A << QByteArray("2") << 1900 << "&Seguir >";
    QTest::addRow("0x000A neutral Spanish") << 0x000A << QByteArray("0") << 900 << "&Next >";
    QTest::addRow("0x0409 English US") << 0x0409 << QByteArray("0") << 900 << "&Next >";
    QTest::addRow("0x040C French") << 0x040C << QByteArray("0") << 900 << "&Next >";
}

void OptionsTest::firstRunLanguage()
{
    QFETCH(int, langId);
    QFETCH(QByteArray, stored);
    QFETCH(int, offset);
    QFETCH(QString, next);
    test::removeLangFile();
    FakePlatform fp;
    fp.system.langId = quint16(langId);
    Form1 form(fp.platform());
    QCOMPARE(test::langFileBytes(), stored);
    QCOMPARE(int(LangOffset), offset);
    QCOMPARE(form.findChild<QPushButton*>("CmdNext")->text(), next);
    QVERIFY(form.languageStart().firstRun);

    form.show();
    QTRY_VERIFY(form.findChild<QDialog*>("FrmInfo"));
    auto* about = form.findChild<QDialog*>("FrmInfo");
    QVERIFY(about->isVisible());
    QVERIFY(!about->isModal());
    QVERIFY(form.screen()->availableGeometry().contains(about->frameGeometry()));
    QVERIFY(fp.dialogs.messages.isEmpty());
}

void OptionsTest::languageSets()
{
    using launcher::LangIndex;
    using launcher::languageForSystemId;
    for (quint16 id : {0x0407, 0x0007, 0x0C07, 0x0807, 0x1007, 0x1407})
        QCOMPARE(languageForSystemId(id), LangIndex::German);
    for (int k = 0; k < 20; ++k)
        QCOMPARE(languageForSystemId(quint16(1034 + 1024 * k)), LangIndex::Spanish);
    // Neither the neutral ids nor other territories of the same languages.
    for (quint16 id : {0x000A, 0x540A, 0x1807, 0x0009, 0x0809, 0x0410, 0x0000, 0xFFFF})
        QCOMPARE(languageForSystemId(id), LangIndex::English);
}

void OptionsTest::aboutBesideWizard_data()
{
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QRect>("wizard");
    QTest::addColumn<QPoint>("wizardAt");
    QTest::addColumn<QPoint>("aboutAt");
    const QRect wide(0, 0, 1920, 1080);
    QTest::addRow("room on the right")
        << wide << QRect(695, 329, 529, 421) << QPoint(695, 329) << QPoint(1240, 329);
    QTest::addRow("room on the left only")
        << wide << QRect(1300, 100, 529, 421) << QPoint(1300, 100) << QPoint(881, 100);
    // 1280 wide, wizard centred: neither side has room, so the pair moves to the middle.
    QTest::addRow("pair to the middle")
        << QRect(0, 0, 1280, 900) << QRect(375, 239, 529, 421) << QPoint(166, 239) << QPoint(711, 239);
    QTest::addRow("screen too narrow")
        << QRect(0, 0, 800, 600) << QRect(135, 89, 529, 421) << QPoint(135, 89) << QPoint(397, 89);
    QTest::addRow("kept on a low screen")
        << QRect(0, 0, 1920, 400) << QRect(100, 0, 529, 421) << QPoint(100, 0) << QPoint(645, 0);
    QTest::addRow("second screen") << QRect(1920, 0, 1280, 900) << QRect(2295, 239, 529, 421)
                                   << QPoint(2086, 239) << QPoint(2631, 239);
}

void OptionsTest::aboutBesideWizard()
{
    QFETCH(QRect, screen);
    QFETCH(QRect, wizard);
    QFETCH(QPoint, wizardAt);
    QFETCH(QPoint, aboutAt);
    const QSize about(403, 480);
    const auto place = launcher::placeBeside(screen, wizard, about, 16);
    QCOMPARE(place.wizard, wizardAt);
    QCOMPARE(place.window, aboutAt);
    if (screen.width() >= wizard.width() + 16 + about.width())
        QVERIFY(!QRect(place.window, about).intersects(QRect(place.wizard, wizard.size())));
}

void OptionsTest::secondStartDoesNotDetect()
{
    test::writeLangFileBytes("2");
    const QDateTime before = backdateLangFile();
    FakePlatform fp;
    fp.system.langId = 0x0407;
    Form1 form(fp.platform());
    form.show();
    QTest::qWait(50);
    QCOMPARE(int(LangOffset), int(kOffsetSpanish));
    QCOMPARE(test::langFileBytes(), QByteArray("2"));
    QCOMPARE(langFileTime(), before);
    QVERIFY(!form.languageStart().firstRun);
    QVERIFY(!form.findChild<QDialog*>("FrmInfo"));
}

void OptionsTest::firstRunWithUnwritableSetting()
{
    test::blockLangFile();
    FakePlatform fp;
    fp.system.langId = 0x0C07;
    Form1 form(fp.platform());
    form.show();
    QTRY_COMPARE(fp.dialogs.messages.size(), 1);
    // The message comes in the detected language, and the launcher goes on in it.
    QCOMPARE(fp.dialogs.messages[0].title, QString("Kuvo Security Tools Lite"));
    QVERIFY2(
        fp.dialogs.messages[0].text.startsWith("Die Spracheinstellung konnte nicht gespeichert werden: "),
        qPrintable(fp.dialogs.messages[0].text));
    QVERIFY(fp.dialogs.messages[0].text.contains("ml.ini"));
    QCOMPARE(int(LangOffset), int(kOffsetGerman));
    QCOMPARE(form.findChild<QPushButton*>("CmdNext")->text(), QString("&Weiter >"));
    QVERIFY(form.isVisible());
    QVERIFY(form.findChild<QDialog*>("FrmInfo"));
}

void OptionsTest::optionsOpeningIndex_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<int>("index");
    QTest::addRow("english") << QByteArray("0") << 0;
    QTest::addRow("german") << QByteArray("1") << 1;
    QTest::addRow("spanish with tail") << QByteArray("2xyz") << 2;
}

void OptionsTest::optionsOpeningIndex()
{
    QFETCH(QByteArray, stored);
    QFETCH(int, index);
    test::writeLangFileBytes(stored);
    FakePlatform fp;
    Form1 form(fp.platform());
    form.show();
    QDialog* options = openOptions(form);
    QVERIFY(options);
    FIND(cmb, QComboBox, *options, "CmbLang");
    QCOMPARE(cmb->count(), 3);
    QCOMPARE(cmb->itemText(0), QString("English"));
    QCOMPARE(cmb->itemText(1), QString("Deutsch"));
    QCOMPARE(cmb->itemText(2), QString("Español"));
    QVERIFY(!cmb->isEditable());
    QCOMPARE(cmb->currentIndex(), index);
    QCOMPARE(options->windowTitle(), LoadText(113));
    QCOMPARE(options->findChild<QPushButton*>("CmdAbout")->text(), LoadText(255));
}

void OptionsTest::okWithoutChangeWritesNothing()
{
    test::writeLangFileBytes("1");
    FakePlatform fp;
    Form1 form(fp.platform());
    form.show();
    const QDateTime before = backdateLangFile();
    QDialog* options = openOptions(form);
    QVERIFY(options);
    QTest::mouseClick(options->findChild<QPushButton*>("CmdOk"), Qt::LeftButton);
    QTRY_VERIFY(!form.findChild<QDialog*>("FrmOpt"));
    QCOMPARE(langFileTime(), before);
    QVERIFY(fp.dialogs.messages.isEmpty());
}

void OptionsTest::okWithChangeWritesAndTellsInOldLanguage()
{
    test::writeLangFileBytes("0tail");
    FakePlatform fp;
    Form1 form(fp.platform());
    form.show();
    QDialog* options = openOptions(form);
    QVERIFY(options);
    options->findChild<QComboBox*>("CmbLang")->setCurrentIndex(1);
    QTest::mouseClick(options->findChild<QPushButton*>("CmdOk"), Qt::LeftButton);
    QCOMPARE(test::langFileBytes(), QByteArray("1tail"));
    QCOMPARE(fp.dialogs.texts(),
             QStringList{"You need to restart the software to apply the language settings."});
    QCOMPARE(fp.dialogs.messages[0].title, QString("Kuvo Security Tools Lite"));
    // The running launcher keeps its language.
    QCOMPARE(int(LangOffset), int(kOffsetEnglish));
    QCOMPARE(form.findChild<QPushButton*>("CmdNext")->text(), QString("&Next >"));
    QTRY_VERIFY(!form.findChild<QDialog*>("FrmOpt"));
    // Opening again shows the stored choice.
    options = openOptions(form);
    QCOMPARE(options->findChild<QComboBox*>("CmbLang")->currentIndex(), 1);
}

void OptionsTest::cancelAfterChangeWritesNothing()
{
    FakePlatform fp;
    Form1 form(fp.platform());
    form.show();
    const QDateTime before = backdateLangFile();
    for (bool byKey : {false, true}) {
        QDialog* options = openOptions(form);
        QVERIFY(options);
        options->findChild<QComboBox*>("CmbLang")->setCurrentIndex(2);
        if (byKey)
            QTest::keyClick(options, Qt::Key_Escape);
        else
            QTest::mouseClick(options->findChild<QPushButton*>("CmdCancel"), Qt::LeftButton);
        QTRY_VERIFY(!form.findChild<QDialog*>("FrmOpt"));
    }
    QCOMPARE(langFileTime(), before);
    QCOMPARE(test::langFileBytes(), QByteArray("0"));
    QVERIFY(fp.dialogs.messages.isEmpty());
}

void OptionsTest::okWithUnwritableSetting()
{
    FakePlatform fp;
    Form1 form(fp.platform());
    form.show();
    QDialog* options = openOptions(form);
    QVERIFY(options);
    test::blockLangFile();
    options->findChild<QComboBox*>("CmbLang")->setCurrentIndex(2);
    QTest::mouseClick(options->findChild<QPushButton*>("CmdOk"), Qt::LeftButton);
    QCOMPARE(fp.dialogs.messages.size(), 1);
    QVERIFY2(fp.dialogs.messages[0].text.startsWith("The language setting could not be saved: "),
             qPrintable(fp.dialogs.messages[0].text));
    QVERIFY(fp.dialogs.messages[0].text.contains("ml.ini"));
    QCOMPARE(int(LangOffset), int(kOffsetEnglish));
    QVERIFY(form.isVisible());
}

void OptionsTest::themeHint_data()
{
    QTest::addColumn<int>("styles"); // -1: the question cannot be answered
    QTest::addColumn<bool>("hint");
    QTest::addRow("styled") << 1 << false;
    QTest::addRow("unstyled") << 0 << true;
    QTest::addRow("unknown") << -1 << false;
}

void OptionsTest::themeHint()
{
    QFETCH(int, styles);
    QFETCH(bool, hint);
    test::writeLangFileBytes("1");
    FakePlatform fp;
    fp.system.styles = styles < 0 ? std::nullopt : std::optional<bool>(styles == 1);
    Form1 form(fp.platform());
    form.show();
    QDialog* options = openOptions(form);
    QVERIFY(options);
    FIND(lblTheme, QLabel, *options, "LblTheme");
    FIND(control, QPushButton, *options, "CmdControl");
    QCOMPARE(control->isVisible(), hint);
    QCOMPARE(lblTheme->text(), hint ? LoadText(144) : QString());
    if (hint) {
        QCOMPARE(control->text(), QString("Systemsteuerung öffnen"));
        QTest::mouseClick(control, Qt::LeftButton);
        QCOMPARE(fp.desktop.appearanceRequests, 1);
        QVERIFY(options->isVisible());
    }
}

void OptionsTest::aboutFromOptions()
{
    FakePlatform fp;
    Form1 form(fp.platform());
    form.show();
    QDialog* options = openOptions(form);
    QVERIFY(options);
    QTest::mouseClick(options->findChild<QPushButton*>("CmdAbout"), Qt::LeftButton);
    auto* about = form.findChild<QDialog*>("FrmInfo");
    QVERIFY(about);
    QVERIFY(about->isVisible());
    QVERIFY(options->isVisible());
    QVERIFY(!about->isModal());
}

void OptionsTest::qtFallbackStylesCountAsUnstyled_data()
{
    QTest::addColumn<QString>("style");
    QTest::addRow("fusion") << "Fusion";
    QTest::addRow("windows") << "Windows";
}

void OptionsTest::qtFallbackStylesCountAsUnstyled()
{
    QFETCH(QString, style);
    QVERIFY(QStyleFactory::keys().contains(style, Qt::CaseInsensitive));
    QApplication::setStyle(style);
    LinuxSystemInfo system;
    QCOMPARE(system.visualStylesActive(), std::optional<bool>(false));
}

void OptionsTest::aboutWindow_data()
{
    QTest::addColumn<QByteArray>("digit");
    QTest::addColumn<QString>("version");
    QTest::addRow("english") << QByteArray("0") << "Version 1.1.6";
    QTest::addRow("spanish") << QByteArray("2") << "Versión 1.1.6";
}

void OptionsTest::aboutWindow()
{
    QFETCH(QByteArray, digit);
    QFETCH(QString, version);
    test::writeLangFileBytes(digit);
    FakePlatform fp;
    Form1 form(fp.platform());
    form.show();
    FrmInfo* about = form.showAbout();
    QVERIFY(about->isVisible());
    QCOMPARE(about->windowTitle(), QString("Kuvo"));
    QCOMPARE(about->size(), QSize(403, 480));
    FIND(ver, QLabel, *about, "LblVer");
    QCOMPARE(ver->text(), version);
    FIND(name, QLabel, *about, "Label3");
    QVERIFY(name->font().bold());
    QVERIFY(!name->text().isEmpty());
    FIND(picture, QLabel, *about, "Image1");
    QCOMPARE(picture->pixmap().size(), QSize(48, 48));
    for (const char* notice : {"Label4", "Label5"})
        QVERIFY2(!about->findChild<QLabel*>(notice)->text().isEmpty(), notice);

    FIND(link, QLabel, *about, "Label2_0");
    QCOMPARE(link->text(), makerSiteUrl());
    QVERIFY(link->font().underline());
    QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseClick(link, Qt::LeftButton);
    QCOMPARE(fp.desktop.opened, QList<QUrl>{QUrl(makerSiteUrl())});

    FIND(ok, QPushButton, *about, "Command1");
    QCOMPARE(ok->text(), QString("OK"));
    QVERIFY(ok->isDefault());
    QTest::keyClick(about, Qt::Key_Escape);
    QTRY_VERIFY(!form.findChild<QDialog*>("FrmInfo"));
    about = form.showAbout();
    QTest::keyClick(about, Qt::Key_Return);
    QTRY_VERIFY(!form.findChild<QDialog*>("FrmInfo"));
    QVERIFY(form.isVisible());
}

QTEST_MAIN(OptionsTest)
#include "options_test.moc"
