#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

#include "common/catalogue.h"
#include "common/lang.h"
#include "common/localize.h"
#include "common/platform/platform.h"
#include "tests/support/fake_platform.h"

using namespace kuvo;

class CommonTest : public QObject {
    Q_OBJECT
private slots:
    void init() { test::removeLangFile(); }

    void readLangFile_data();
    void readLangFile();
    void readLangFilePositions();
    void writeLangFileKeepsTail();
    void writeLangFileCreatesFolder();
    void writeLangFileReportsFailure();

    void loadTextSubstitution();
    void loadTextOffsetArithmetic();
    void loadTextUnknownIdIsAnError();
    void cataloguesHoldTheirTexts_data();
    void cataloguesHoldTheirTexts();
    void malformedCatalogueIsRejected();

    void localizeForm();
    void localizeFormToolTips();

    void langIds_data();
    void langIds();
    void langIdEnvironmentOrder();
    void fileFilters();
    void programsResolveBesideTheExecutable();
};

void CommonTest::readLangFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("present");
    QTest::addColumn<QString>("read");
    QTest::addColumn<int>("offset");
    QTest::addRow("absent") << QByteArray() << false << "err" << 900;
    QTest::addRow("empty") << QByteArray() << true << "err" << 900;
    QTest::addRow("english") << QByteArray("0") << true << "0" << 900;
    QTest::addRow("german with more bytes") << QByteArray("1xyz\n", 5) << true << "1" << 0;
    QTest::addRow("spanish") << QByteArray("2") << true << "2" << 1900;
    QTest::addRow("NUL first") << QByteArray("\0" "1", 2) << true << "err" << 900;
    QTest::addRow("other digit") << QByteArray("7") << true << "7" << 900;
}

void CommonTest::readLangFile()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, present);
    QFETCH(QString, read);
    QFETCH(int, offset);
    if (present)
        test::writeLangFileBytes(content);
    QCOMPARE(ReadLangFile(1, 1), read);
    LangOffset = 1234;
    initLanguage();
    QCOMPARE(int(LangOffset), offset);
}

void CommonTest::readLangFilePositions()
{
    test::writeLangFileBytes(QByteArray("1ab\0cd", 6));
    QCOMPARE(ReadLangFile(2, 2), QStringLiteral("ab"));
    QCOMPARE(ReadLangFile(1, 0), QStringLiteral("1ab"));  // cut at the NUL
    QCOMPARE(ReadLangFile(5, 0), QStringLiteral("cd"));
    QCOMPARE(ReadLangFile(4, 1), QStringLiteral("err"));  // only the NUL
    QCOMPARE(ReadLangFile(7, 0), QStringLiteral("err"));  // past the end
    QCOMPARE(ReadLangFile(20, 1), QStringLiteral("err"));
}

void CommonTest::writeLangFileKeepsTail()
{
    test::writeLangFileBytes("0 and a tail");
    QVERIFY(WriteLangFile(1, QStringLiteral("2")));
    QFile f(langFilePath());
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("2 and a tail"));
    QVERIFY(WriteLangFile(3, QStringLiteral("xy")));
    QCOMPARE(ReadLangFile(1, 0), QStringLiteral("2 xyd a tail"));
}

void CommonTest::writeLangFileCreatesFolder()
{
    QDir(settingsDir()).removeRecursively();
    QVERIFY(WriteLangFile(1, QStringLiteral("1")));
    QCOMPARE(ReadLangFile(1, 1), QStringLiteral("1"));
    QVERIFY(langFilePath().startsWith(qEnvironmentVariable("XDG_CONFIG_HOME") + "/kuvo-security-tools/"));
}

void CommonTest::writeLangFileReportsFailure()
{
    QTemporaryDir dir;
    const QByteArray old = qgetenv("XDG_CONFIG_HOME");
    // A file where the folder should be: the setting cannot be written.
    QFile blocker(dir.filePath("kuvo-security-tools"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
    QString error;
    const bool ok = WriteLangFile(1, QStringLiteral("1"), &error);
    qputenv("XDG_CONFIG_HOME", old);
    QVERIFY(!ok);
    QVERIFY(!error.isEmpty());
}

void CommonTest::loadTextSubstitution()
{
    test::useCatalogue("crypt", kOffsetEnglish);
    QCOMPARE(LoadText(116, "/home/u/a.kuvo", ""), QStringLiteral("Encrypted file saved as /home/u/a.kuvo"));
    // Both strings empty: the text as stored, placeholder included.
    QCOMPARE(LoadText(116), QStringLiteral("Encrypted file saved as %s"));
    QCOMPARE(LoadText(114), QStringLiteral("Not possible! Check input and password."));
    LangOffset = kOffsetGerman;
    QCOMPARE(LoadText(114), QStringLiteral("Nicht möglich! Ungültige Eingabe oder ungültiges Passwort."));
    LangOffset = kOffsetSpanish;
    QCOMPARE(LoadText(114), QStringLiteral("Imposible! Introduccion ó contrasena falsa."));
    const QString t178 = LoadText(178, "x.txt");
    QVERIFY(t178.startsWith("El fichero x.txt existe."));
    QVERIFY(t178.contains("\"No\""));
}

void CommonTest::loadTextOffsetArithmetic()
{
    test::useCatalogue("change", kOffsetSpanish);
    QCOMPARE(LoadText(148), *catalogueText(2048));
    QCOMPARE(LoadText(148), QStringLiteral("Borrar estos ficheros?"));
    LangOffset = kOffsetGerman;
    QCOMPARE(LoadText(135), QStringLiteral("Attribute überprüfen…"));
}

void CommonTest::loadTextUnknownIdIsAnError()
{
    test::useCatalogue("crypt", kOffsetEnglish);
    try {
        LoadText(999);
        QFAIL("no error for an unknown id");
    } catch (const UnknownTextId& e) {
        QCOMPARE(e.id(), 1899);
    }
    // The sum is a 16-bit signed addition.
    LangOffset = kOffsetSpanish;
    QVERIFY_THROWS_EXCEPTION(UnknownTextId, LoadText(32000));
}

void CommonTest::cataloguesHoldTheirTexts_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<int>("fullId");
    QTest::addColumn<QString>("text");
    QTest::addRow("launcher 104 en") << "launcher" << 1004 << "Encryption && Decryption";
    QTest::addRow("launcher 105 de") << "launcher" << 105 << "Quillnote™ starten";
    QTest::addRow("launcher 255 es") << "launcher" << 2155 << "Acera de";
    QTest::addRow("launcher 102 es") << "launcher" << 2002 << "Que quiere hacer?";
    QTest::addRow("change 143 es") << "change" << 2043 << "Cerrado!";
    QTest::addRow("change 109 es") << "change" << 2009 << "Cerrar";
    QTest::addRow("change 107 de") << "change" << 107 << "Los";
    QTest::addRow("crypt 144 es") << "crypt" << 2044
                                  << "Ficheros pueden ser cifrados seguramente con Kuvo-Crypt. Nombre de ficheros: ";
    QTest::addRow("crypt 109 de") << "crypt" << 109 << "Alle Dateien (*.*)|*.*";
    QTest::addRow("crypt 123 es") << "crypt" << 2023 << "Fichero codificado (*.kuvo)|*.kuvo";
}

void CommonTest::cataloguesHoldTheirTexts()
{
    QFETCH(QString, program);
    QFETCH(int, fullId);
    QFETCH(QString, text);
    test::useCatalogue(program, kOffsetEnglish);
    QCOMPARE(catalogueText(static_cast<qint16>(fullId)).value_or("<missing>"), text);
    // Every id exists in all three languages.
    for (int id : activeCatalogue().germanIds())
        for (int off : {0, 900, 1900})
            QVERIFY2(catalogueText(static_cast<qint16>(id + off)), qPrintable(QString::number(id + off)));
}

void CommonTest::malformedCatalogueIsRejected()
{
    QString error;
    QVERIFY(!Catalogue::fromTsv("101\tonly\ttwo\n", &error));
    QVERIFY(error.contains("line 1"));
    QVERIFY(!Catalogue::fromTsv("# c\n101\ta\tb\tc\n101\ta\tb\tc\n", &error));
    auto ok = Catalogue::fromTsv("# comment\n\n101\tde\ten\tes\n");
    QVERIFY(ok);
    QCOMPARE(ok->text(1001).value_or(""), QStringLiteral("en"));
}

void CommonTest::localizeForm()
{
    test::useCatalogue("change", kOffsetGerman);
    QWidget window;
    window.setWindowTitle("#102");
    auto* go = new QPushButton("#107", &window);
    auto* amp = new QPushButton("&Go && more", &window);
    auto* unknown = new QLabel("#999", &window);
    auto* notNumber = new QLabel("#12a", &window);
    auto* notLeading = new QLabel("x#107", &window);
    auto* box = new QGroupBox("#105", &window);
    auto* nested = new QCheckBox("#129", box);
    auto* edit = new QLineEdit("#133", &window);
    auto* list = new QListWidget(&window);
    list->addItem("#107");
    go->setToolTip("#107");
    LocalizeForm(&window);
    QCOMPARE(window.windowTitle(), QStringLiteral("Kuvo Crypt SE - Dateien sicher löschen"));
    QCOMPARE(go->text(), QStringLiteral("Los"));
    QCOMPARE(amp->text(), QStringLiteral("&Go && more"));
    QCOMPARE(unknown->text(), QStringLiteral("#999"));
    QCOMPARE(notNumber->text(), QStringLiteral("#12a"));
    QCOMPARE(notLeading->text(), QStringLiteral("x#107"));
    QCOMPARE(box->title(), QStringLiteral("Sicher zu löschende Dateien:"));
    QCOMPARE(nested->text(), QStringLiteral("Einmal überschreiben"));
    QCOMPARE(edit->text(), QStringLiteral("Dateien:"));
    QCOMPARE(list->item(0)->text(), QStringLiteral("#107"));
    QCOMPARE(go->toolTip(), QStringLiteral("#107"));  // only the launcher's windows

    // Only the first "&" of the title goes.
    QWidget other;
    other.setWindowTitle("A&B&C");
    LocalizeForm(&other);
    QCOMPARE(other.windowTitle(), QStringLiteral("AB&C"));
}

void CommonTest::localizeFormToolTips()
{
    test::useCatalogue("launcher", kOffsetEnglish);
    QWidget window;
    window.setWindowTitle("#113");
    auto* next = new QPushButton("plain", &window);
    next->setToolTip("#112");
    auto* opt = new QRadioButton("#104", &window);
    opt->setToolTip("#999");
    LocalizeForm(&window, {.toolTips = true});
    QCOMPARE(window.windowTitle(), QStringLiteral("Options"));
    QCOMPARE(next->toolTip(), QStringLiteral("&Next >"));
    QCOMPARE(opt->text(), QStringLiteral("Encryption && Decryption"));
    QCOMPARE(opt->toolTip(), QStringLiteral("#999"));
}

void CommonTest::langIds_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("id");
    QTest::addRow("de_DE") << "de_DE.UTF-8" << 0x0407;
    QTest::addRow("de_CH") << "de_CH.UTF-8" << 0x0807;
    QTest::addRow("de_AT euro") << "de_AT@euro" << 0x0C07;
    QTest::addRow("bare de") << "de" << 0x0007;
    QTest::addRow("es_ES") << "es_ES.UTF-8" << 0x0C0A;
    QTest::addRow("es_MX") << "es_MX" << 0x080A;
    QTest::addRow("es_US") << "es_US.utf8" << 0x540A;
    QTest::addRow("bare es") << "es" << 0x000A;
    QTest::addRow("en_US") << "en_US.UTF-8" << 0x0409;
    QTest::addRow("en_GB") << "en_GB" << 0x0809;
    QTest::addRow("fr_FR") << "fr_FR.UTF-8" << 0x040C;
    QTest::addRow("C") << "C.UTF-8" << 0x0409;
    QTest::addRow("POSIX") << "POSIX" << 0x0409;
    QTest::addRow("garbage") << "???" << 0x0409;
}

void CommonTest::langIds()
{
    QFETCH(QString, locale);
    QFETCH(int, id);
    QCOMPARE(int(langIdFromLocaleName(locale)), id);
}

void CommonTest::langIdEnvironmentOrder()
{
    const QByteArray all = qgetenv("LC_ALL"), msg = qgetenv("LC_MESSAGES"), lang = qgetenv("LANG");
    qputenv("LC_ALL", "");
    qputenv("LC_MESSAGES", "es_AR.UTF-8");
    qputenv("LANG", "de_DE.UTF-8");
    const int fromMessages = langIdFromEnvironment();
    qputenv("LC_ALL", "de_CH");
    const int fromAll = langIdFromEnvironment();
    qputenv("LC_ALL", all);
    qputenv("LC_MESSAGES", msg);
    qputenv("LANG", lang);
    QCOMPARE(fromMessages, 0x2C0A);
    QCOMPARE(fromAll, 0x0807);
}

void CommonTest::fileFilters()
{
    QCOMPARE(qtFileFilter("All files (*.*)|*.*"), QStringLiteral("All files (*)"));
    QCOMPARE(qtFileFilter("Encrypted files (*.kuvo)|*.kuvo"), QStringLiteral("Encrypted files (*.kuvo)"));
    QCOMPARE(qtFileFilter("Texts|*.txt;*.md|All|*.*"), QStringLiteral("Texts (*.txt *.md);;All (*)"));
}

void CommonTest::programsResolveBesideTheExecutable()
{
    QCOMPARE(resolveProgram(QFileInfo(QCoreApplication::applicationFilePath()).fileName()),
             QCoreApplication::applicationFilePath());
    QVERIFY(resolveProgram("no-such-program-of-kuvo").isEmpty());
    QVERIFY(resolveProgram("lock/no-such-module").isEmpty());
    QVERIFY(!resolveProgram("sh").isEmpty());  // found on PATH
}

QTEST_MAIN(CommonTest)
#include "common_test.moc"
