// The screen keyboard as a widget: key sets, characters, geometry, sizes, opening.
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include "common/lang.h"
#include "common/platform/keyboard.h"
#include "common/platform/qtplatform.h"
#include "crypt/ui/frmtast.h"
#include "tests/support/fake_platform.h"

using namespace Qt::StringLiterals;
using KeySet = FrmTast::KeySet;

Q_DECLARE_METATYPE(FrmTast::KeySet)

namespace {

constexpr quint16 kGerman = 0x0407;
constexpr quint16 kEnglish = 0x0409;
constexpr quint16 kSpanish = 0x040A;

// One keyboard row as the user sees it: key indexes left to right and the
// characters they type with small letters and with capitals.
struct Row {
    QList<int> indexes;
    QString small;
    QString capital;
};

const QList<int> kRow1 = {14, 55, 56, 57, 15, 58, 59, 60, 61, 62, 63, 64, 65, 7, 8, 9};
const QList<int> kRow2 = {35, 41, 23, 36, 38, 44, 39, 27, 33, 34, 48, 51, 53, 4, 5, 6};
const QList<int> kRow3 = {19, 37, 22, 24, 25, 26, 28, 29, 30, 47, 49, 52, 1, 2, 3};
const QList<int> kRow4 = {43, 42, 21, 40, 20, 32, 31, 45, 46, 54, 50, 0, 10};

QList<Row> rowsFor(KeySet set)
{
    switch (set) {
    case KeySet::German:
        return {{kRow1, u"^!\"§$%&/()=?ß789"_s, u"^!\"§$%&/()=?ß789"_s},
                {kRow2, u"qwertzuiopü+*456"_s, u"QWERTZUIOPÜ+*456"_s},
                {kRow3, u"asdfghjklöä'123"_s, u"ASDFGHJKLÖÄ'123"_s},
                {kRow4, u"yxcvbnm.:;-0,"_s, u"YXCVBNM.:;-0,"_s},
                {{18}, u" "_s, u" "_s}};
    case KeySet::English:
        return {{kRow1, u"~!@#$%^&*()-=789"_s, u"~!@#$%^&*()-=789"_s},
                {kRow2, u"qwertyuiop[]\\456"_s, u"QWERTYUIOP[]\\456"_s},
                {kRow3, u"asdfghjkl:;'123"_s, u"ASDFGHJKL:;'123"_s},
                {kRow4, u"zxcvbnm,.?/0."_s, u"ZXCVBNM,.?/0."_s},
                {{18}, u" "_s, u" "_s}};
    case KeySet::Spanish:
        return {{kRow1, u"°!\"·$%&/()=?¿789"_s, u"°!\"·$%&/()=?¿789"_s},
                {kRow2, u"qwertyuiop`+¡456"_s, u"QWERTYUIOP`+¡456"_s},
                {kRow3, u"asdfghjklñ´ç123"_s, u"ASDFGHJKLÑ´Ç123"_s},
                {kRow4, u"zxcvbnm.:;-0,"_s, u"ZXCVBNM.:;-0,"_s},
                {{18}, u" "_s, u" "_s}};
    }
    return {};
}

quint16 layoutOf(KeySet set)
{
    return set == KeySet::German ? kGerman : set == KeySet::Spanish ? kSpanish : kEnglish;
}

QPushButton* key(QWidget* kb, int index)
{
    auto* b = kb->findChild<QPushButton*>(QStringLiteral("cmdNr_%1").arg(index));
    if (!b)
        qFatal("no key %d", index);
    return b;
}

QRadioButton* option(QWidget* kb, int index)
{
    auto* b = kb->findChild<QRadioButton*>(QStringLiteral("Option1_%1").arg(index));
    if (!b)
        qFatal("no option %d", index);
    return b;
}

void press(QWidget* kb, int index)
{
    QTest::mouseClick(key(kb, index), Qt::LeftButton);
}

// Design geometry in pixels: twips / 15.
QMap<int, QRect> designKeys()
{
    QMap<int, QRect> g;
    const auto row = [&g](int y, int x0, const QList<int>& indexes) {
        for (int i = 0; i < indexes.size(); ++i)
            g[indexes[i]] = QRect(x0 + 24 * i, y, 25, 25);
    };
    row(24, 40, {14, 55, 56, 57, 15, 58, 59, 60, 61, 62, 63, 64, 65});
    g[12] = QRect(360, 24, 41, 25);
    row(24, 416, {7, 8, 9});
    row(49, 48, {35, 41, 23, 36, 38, 44, 39, 27, 33, 34, 48, 51, 53});
    row(49, 416, {4, 5, 6});
    row(74, 56, {19, 37, 22, 24, 25, 26, 28, 29, 30, 47, 49, 52});
    row(74, 416, {1, 2, 3});
    g[67] = QRect(16, 99, 49, 25);
    row(99, 64, {43, 42, 21, 40, 20, 32, 31, 45, 46, 54, 50});
    g[0] = QRect(416, 99, 49, 25);
    g[10] = QRect(464, 99, 25, 25);
    g[18] = QRect(72, 128, 257, 17);
    g[11] = QRect(368, 48, 33, 73);
    g[13] = QRect(16, 49, 33, 25);
    g[66] = QRect(416, 120, 25, 25);
    return g;
}

const QList<int> kHidden = {11, 13, 66};

// Every control's geometry plus the window's size, for before/after comparisons.
QMap<QString, QRect> geometries(QWidget* kb)
{
    QMap<QString, QRect> g;
    for (QWidget* w : kb->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        g[w->objectName()] = w->geometry();
    g[QStringLiteral("window")] = QRect(QPoint(), kb->size());
    return g;
}

} // namespace

class FrmTastTest : public QObject {
    Q_OBJECT

private slots:
    void init() { kuvo::test::useCatalogue(QStringLiteral("crypt"), kuvo::kOffsetEnglish); }

    void keySetForLayout_data();
    void keySetForLayout();
    void xkbLayouts_data();
    void xkbLayouts();
    void rulesNames();
    void localeFallback_data();
    void localeFallback();

    void keyCharacters_data();
    void keyCharacters();
    void captions_data();
    void captions();
    void windowAndToolTips_data();
    void windowAndToolTips();
    void designGeometry();
    void shiftToggles();
    void backspace();
    void everyKeyAppendsAtEndAndGaugeFollows();
    void doubleAndSingleSize();
    void opening();
};

void FrmTastTest::keySetForLayout_data()
{
    QTest::addColumn<int>("layout");
    QTest::addColumn<KeySet>("set");
    QTest::addRow("German") << 0x0407 << KeySet::German;
    QTest::addRow("German 0xF0C0") << 0xF0C0 << KeySet::German;
    QTest::addRow("Spanish") << 0x040A << KeySet::Spanish;
    QTest::addRow("English US") << 0x0409 << KeySet::English;
    QTest::addRow("German Swiss") << 0x0807 << KeySet::English;
    QTest::addRow("German Austrian") << 0x0C07 << KeySet::English;
    QTest::addRow("French") << 0x040C << KeySet::English;
    QTest::addRow("Spanish Mexican") << 0x080A << KeySet::English;
    QTest::addRow("zero") << 0 << KeySet::English;
}

void FrmTastTest::keySetForLayout()
{
    QFETCH(int, layout);
    QFETCH(KeySet, set);
    QCOMPARE(FrmTast::keySetForLayout(static_cast<quint16>(layout)), set);
    QLineEdit box;
    FrmTast kb(&box, static_cast<quint16>(layout), nullptr);
    QCOMPARE(kb.keySet(), set);
}

void FrmTastTest::xkbLayouts_data()
{
    QTest::addColumn<QString>("layouts");
    QTest::addColumn<int>("id"); // -1: nothing read
    QTest::addRow("de") << "de" << 0x0407;
    QTest::addRow("de first") << "de,us" << 0x0407;
    QTest::addRow("de second") << "us,de" << 0x0409;
    QTest::addRow("de with variant") << "de(nodeadkeys)" << 0x0407;
    QTest::addRow("es") << "es" << 0x040A;
    QTest::addRow("es upper case, blanks") << " ES ,us" << 0x040A;
    QTest::addRow("Swiss") << "ch" << 0x0409;
    QTest::addRow("French") << "fr" << 0x0409;
    QTest::addRow("Austrian") << "at" << 0x0409;
    QTest::addRow("Latin American") << "latam" << 0x0409;
    QTest::addRow("us") << "us" << 0x0409;
    QTest::addRow("empty") << "" << -1;
    QTest::addRow("empty first") << ",de" << -1;
}

void FrmTastTest::xkbLayouts()
{
    QFETCH(QString, layouts);
    QFETCH(int, id);
    const auto got = kuvo::layoutIdFromXkbLayouts(layouts);
    QCOMPARE(got.has_value(), id >= 0);
    if (got)
        QCOMPARE(int(*got), id);
}

void FrmTastTest::rulesNames()
{
    QCOMPARE(kuvo::xkbLayoutsFromRulesNames("evdev\0pc105\0de,us\0nodeadkeys,\0\0"_ba), u"de,us"_s);
    QCOMPARE(kuvo::xkbLayoutsFromRulesNames("evdev\0pc105\0\0\0\0"_ba), QString());
    QVERIFY(!kuvo::xkbLayoutsFromRulesNames("evdev\0pc105"_ba).has_value());
    QVERIFY(!kuvo::xkbLayoutsFromRulesNames(QByteArray()).has_value());
}

void FrmTastTest::localeFallback_data()
{
    QTest::addColumn<QByteArray>("lang");
    QTest::addColumn<int>("id");
    QTest::addColumn<KeySet>("set");
    QTest::addRow("German") << "de_DE.UTF-8"_ba << 0x0407 << KeySet::German;
    QTest::addRow("bare German") << "de"_ba << 0x0407 << KeySet::German;
    QTest::addRow("Spain") << "es_ES.UTF-8"_ba << 0x040A << KeySet::Spanish;
    QTest::addRow("Mexico") << "es_MX"_ba << 0x080A << KeySet::English;
    QTest::addRow("German Swiss") << "de_CH.UTF-8"_ba << 0x0807 << KeySet::English;
    QTest::addRow("French") << "fr_FR.UTF-8"_ba << 0x040C << KeySet::English;
    QTest::addRow("C") << "C"_ba << 0x0409 << KeySet::English;
}

void FrmTastTest::localeFallback()
{
    // Without an X server and without an input method the session's locale decides.
    if (QGuiApplication::platformName() != u"offscreen"_s)
        QSKIP("the session's own layout is read on this platform");
    QFETCH(QByteArray, lang);
    QFETCH(int, id);
    QFETCH(KeySet, set);
    const QByteArray saved[] = {qgetenv("LC_ALL"), qgetenv("LC_MESSAGES"), qgetenv("LANG")};
    qunsetenv("LC_ALL");
    qunsetenv("LC_MESSAGES");
    qputenv("LANG", lang);
    const quint16 got = kuvo::LinuxSystemInfo().keyboardLayoutId();
    qputenv("LC_ALL", saved[0]);
    qputenv("LC_MESSAGES", saved[1]);
    qputenv("LANG", saved[2]);
    QCOMPARE(int(got), id);
    QCOMPARE(FrmTast::keySetForLayout(got), set);
}

void FrmTastTest::keyCharacters_data()
{
    QTest::addColumn<KeySet>("set");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("small");
    QTest::addColumn<QString>("capital");
    int visible = 0;
    for (KeySet set : {KeySet::German, KeySet::English, KeySet::Spanish}) {
        const char* name = set == KeySet::German ? "de" : set == KeySet::English ? "en" : "es";
        for (const Row& row : rowsFor(set)) {
            QCOMPARE(row.small.size(), row.indexes.size());
            QCOMPARE(row.capital.size(), row.indexes.size());
            for (int i = 0; i < row.indexes.size(); ++i) {
                QTest::addRow("%s key %d", name, row.indexes[i])
                    << set << row.indexes[i] << QString(row.small[i]) << QString(row.capital[i]);
                ++visible;
            }
        }
    }
    // Every visible key but shift and backspace, in each of the three sets.
    QCOMPARE(visible, 3 * 61);
}

void FrmTastTest::keyCharacters()
{
    QFETCH(KeySet, set);
    QFETCH(int, index);
    QFETCH(QString, small);
    QFETCH(QString, capital);

    QLineEdit box;
    FrmTast kb(&box, layoutOf(set), nullptr);
    kb.show();
    QVERIFY(key(&kb, index)->isVisible());
    const QString caption = key(&kb, index)->text();

    press(&kb, index);
    QCOMPARE(box.text(), small);
    press(&kb, 67);
    press(&kb, index);
    QCOMPARE(box.text(), small + capital);
    // The caption never follows the letter case.
    QCOMPARE(key(&kb, index)->text(), caption);
}

void FrmTastTest::captions_data()
{
    QTest::addColumn<KeySet>("set");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("caption");
    QTest::addRow("de ampersand") << KeySet::German << 59 << "&&";
    QTest::addRow("de Z second row") << KeySet::German << 44 << "Z";
    QTest::addRow("de Y fourth row") << KeySet::German << 43 << "Y";
    QTest::addRow("de umlaut") << KeySet::German << 47 << "Ö";
    QTest::addRow("en ampersand") << KeySet::English << 60 << "&&";
    QTest::addRow("en Y second row") << KeySet::English << 44 << "Y";
    QTest::addRow("en Z fourth row") << KeySet::English << 43 << "Z";
    QTest::addRow("es ampersand") << KeySet::Spanish << 59 << "&&";
    QTest::addRow("es small n tilde") << KeySet::Spanish << 47 << "ñ";
    QTest::addRow("es small c cedilla") << KeySet::Spanish << 52 << "ç";
    QTest::addRow("backspace") << KeySet::Spanish << 12 << "<-";
    QTest::addRow("shift") << KeySet::English << 67 << "shift";
    QTest::addRow("space") << KeySet::German << 18 << "Space";
    QTest::addRow("hidden tab") << KeySet::German << 13 << "Tab";
    QTest::addRow("hidden enter") << KeySet::German << 11 << "Enter";
    QTest::addRow("hidden backslash") << KeySet::German << 66 << "\\";
}

void FrmTastTest::captions()
{
    QFETCH(KeySet, set);
    QFETCH(int, index);
    QFETCH(QString, caption);
    QLineEdit box;
    FrmTast kb(&box, layoutOf(set), nullptr);
    QCOMPARE(key(&kb, index)->text(), caption);
}

void FrmTastTest::windowAndToolTips_data()
{
    QTest::addColumn<qint16>("offset");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("space");
    QTest::addRow("English") << kuvo::kOffsetEnglish << "Screen Keyboard"
                             << "Space";
    QTest::addRow("German") << kuvo::kOffsetGerman << "Bildschirmtastatur"
                            << "Leertaste";
    QTest::addRow("Spanish") << kuvo::kOffsetSpanish << "Teclado en pantalla"
                             << "Espacio";
}

void FrmTastTest::windowAndToolTips()
{
    QFETCH(qint16, offset);
    QFETCH(QString, title);
    QFETCH(QString, space);
    kuvo::test::useCatalogue(QStringLiteral("crypt"), offset);
    QWidget owner;
    QLineEdit box(&owner);
    FrmTast kb(&box, kEnglish, &owner);
    QCOMPARE(kb.windowTitle(), title);
    QCOMPARE(key(&kb, 18)->text(), space);
    QCOMPARE(key(&kb, 18)->toolTip(), u"Leertaste betätigen"_s);
    QCOMPARE(key(&kb, 67)->toolTip(), u"Groß-/Kleinschreibung"_s);
    QVERIFY(kb.windowFlags().testFlag(Qt::Tool));
    QVERIFY(!kb.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!kb.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(kb.testAttribute(Qt::WA_DeleteOnClose));
    QCOMPARE(kb.parentWidget(), &owner);
    QVERIFY(kb.isWindow());
}

void FrmTastTest::designGeometry()
{
    QLineEdit box;
    FrmTast kb(&box, kGerman, nullptr);
    kb.show();
    QCOMPARE(kb.size(), QSize(490, 151));
    QCOMPARE(kb.minimumSize(), kb.maximumSize());
    QCOMPARE(option(&kb, 0)->geometry(), QRect(0, 0, 25, 17));
    QCOMPARE(option(&kb, 1)->geometry(), QRect(24, 0, 25, 17));
    QVERIFY(option(&kb, 0)->isChecked());

    const QMap<int, QRect> design = designKeys();
    QCOMPARE(design.size(), 66);
    QCOMPARE(kb.findChildren<QPushButton*>().size(), 66);
    for (auto it = design.begin(); it != design.end(); ++it) {
        QPushButton* b = key(&kb, it.key());
        QCOMPARE(b->geometry(), it.value());
        QCOMPARE(b->isVisible(), !kHidden.contains(it.key()));
    }
    // Visible keys lie inside the window; neighbours share at most their one-pixel edge.
    const auto keys = kb.findChildren<QPushButton*>();
    for (QPushButton* a : keys) {
        if (!a->isVisible())
            continue;
        QVERIFY2(kb.rect().contains(a->geometry()), qPrintable(a->objectName()));
        for (QPushButton* b : keys)
            if (a != b && b->isVisible())
                QVERIFY2(qMin(a->geometry().intersected(b->geometry()).width(),
                              a->geometry().intersected(b->geometry()).height()) <= 1,
                         qPrintable(a->objectName() + " / " + b->objectName()));
    }
}

void FrmTastTest::shiftToggles()
{
    QLineEdit box;
    FrmTast kb(&box, kGerman, nullptr);
    QSignalSpy changes(&box, &QLineEdit::textChanged);
    QVERIFY(kb.smallLetters());
    press(&kb, 19);
    press(&kb, 67);
    QCOMPARE(key(&kb, 67)->text(), u"SHIFT"_s);
    QVERIFY(!kb.smallLetters());
    press(&kb, 19);
    press(&kb, 67);
    QCOMPARE(key(&kb, 67)->text(), u"shift"_s);
    press(&kb, 19);
    QCOMPARE(box.text(), u"aAa"_s);
    // Shift itself types nothing.
    QCOMPARE(changes.count(), 3);
}

void FrmTastTest::backspace()
{
    QLineEdit box;
    FrmTast kb(&box, kEnglish, nullptr);
    QSignalSpy changes(&box, &QLineEdit::textChanged);
    press(&kb, 12);
    QCOMPARE(box.text(), QString());
    QCOMPARE(changes.count(), 0);

    box.setText(u"abc"_s);
    box.setCursorPosition(0);
    press(&kb, 12);
    QCOMPARE(box.text(), u"ab"_s);
    box.setSelection(0, 1);
    press(&kb, 12);
    QCOMPARE(box.text(), u"a"_s);
    press(&kb, 12);
    press(&kb, 12);
    QCOMPARE(box.text(), QString());

    // A character outside the basic plane goes as a whole.
    box.setText(u"x\U0001F511"_s);
    press(&kb, 12);
    QCOMPARE(box.text(), u"x"_s);
}

void FrmTastTest::everyKeyAppendsAtEndAndGaugeFollows()
{
    // The gauge hangs on the box's change signal; this counter stands in for it.
    QLineEdit box;
    FrmTast kb(&box, kSpanish, nullptr);
    int ratings = 0;
    QString rated;
    connect(&box, &QLineEdit::textChanged, this, [&](const QString& t) {
        ++ratings;
        rated = t;
    });
    box.setText(u"pass"_s);
    ratings = 0;

    const QList<int> sequence = {47, 67, 47, 52, 12, 18, 59, 14, 0, 67, 41, 12, 12, 65, 53};
    QString expected = box.text();
    int expectedRatings = 0;
    bool capitals = false;
    for (int index : sequence) {
        // The cursor and a selection must not matter.
        box.setCursorPosition(1);
        box.setSelection(0, 2);
        press(&kb, index);
        if (index == 67) {
            capitals = !capitals;
        } else {
            if (index == 12)
                expected.chop(1);
            else
                expected += index == 47   ? (capitals ? u"Ñ"_s : u"ñ"_s)
                            : index == 52 ? (capitals ? u"Ç"_s : u"ç"_s)
                            : index == 41 ? (capitals ? u"W"_s : u"w"_s)
                            : index == 18 ? u" "_s
                            : index == 59 ? u"&"_s
                            : index == 14 ? u"°"_s
                            : index == 0  ? u"0"_s
                            : index == 65 ? u"¿"_s
                                          : u"¡"_s;
            ++expectedRatings;
        }
        QCOMPARE(box.text(), expected);
        QCOMPARE(ratings, expectedRatings);
        QCOMPARE(rated, box.text());
    }
    QCOMPARE(box.text(), u"passñÑ &°¿¡"_s);
}

void FrmTastTest::doubleAndSingleSize()
{
    QLineEdit box;
    FrmTast kb(&box, kGerman, nullptr);
    kb.show();
    const QMap<QString, QRect> single = geometries(&kb);
    QCOMPARE(single.size(), 66 + 2 + 1);
    const QFont font = key(&kb, 19)->font();

    QTest::mouseClick(option(&kb, 1), Qt::LeftButton);
    QCOMPARE(kb.scale(), 2);
    QVERIFY(option(&kb, 1)->isChecked());
    const QMap<QString, QRect> twice = geometries(&kb);
    for (auto it = single.begin(); it != single.end(); ++it) {
        const QRect r = it.value();
        QCOMPARE(twice[it.key()], QRect(r.x() * 2, r.y() * 2, r.width() * 2, r.height() * 2));
    }
    QCOMPARE(kb.size(), QSize(980, 302));
    QCOMPARE(key(&kb, 19)->font(), font);

    QTest::mouseClick(option(&kb, 1), Qt::LeftButton);
    QCOMPARE(geometries(&kb), twice);

    QTest::mouseClick(option(&kb, 0), Qt::LeftButton);
    QCOMPARE(kb.scale(), 1);
    QCOMPARE(geometries(&kb), single);
    QTest::mouseClick(option(&kb, 0), Qt::LeftButton);
    QCOMPARE(geometries(&kb), single);

    // Keys keep working at double size.
    QTest::mouseClick(option(&kb, 1), Qt::LeftButton);
    press(&kb, 19);
    QCOMPARE(box.text(), u"a"_s);
}

void FrmTastTest::opening()
{
    QWidget main;
    main.setGeometry(100, 80, 600, 500);
    auto* panel = new QWidget(&main);
    panel->setGeometry(10, 250, 400, 100);
    auto* box = new QLineEdit(panel);
    box->setGeometry(20, 40, 200, 24);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    // Left: the window's left plus both side borders plus 21 (315 twips); top: just
    // below the passphrase box, wherever the window's layout put it.
    const auto expectedPos = [&main] {
        const QRect outer = main.frameGeometry();
        return QPoint(outer.x() + outer.width() - main.width() + 21, main.geometry().y() + 250 + 40 + 24 + 2);
    };

    kuvo::test::FakeSystemInfo system;
    system.keyboardId = kGerman;
    QPointer<FrmTast> slot;
    FrmTast* kb = openScreenKeyboard(slot, box, &main, system);
    QVERIFY(kb);
    QCOMPARE(slot.data(), kb);
    QVERIFY(kb->isVisible());
    QCOMPARE(kb->parentWidget(), &main);
    QCOMPARE(kb->pos(), expectedPos());
    QCOMPARE(kb->keySet(), KeySet::German);

    press(kb, 67);
    QTest::mouseClick(option(kb, 1), Qt::LeftButton);
    press(kb, 19);
    QCOMPARE(box->text(), u"A"_s);

    // A second click only places it again; the layout is read at load only.
    system.keyboardId = kSpanish;
    main.move(200, 150);
    QCOMPARE(openScreenKeyboard(slot, box, &main, system), kb);
    QCOMPARE(kb->pos(), expectedPos());
    QVERIFY(kb->pos().x() > 200);
    QCOMPARE(kb->keySet(), KeySet::German);
    QCOMPARE(kb->scale(), 2);
    QCOMPARE(main.findChildren<FrmTast*>().size(), 1);

    // Closing unloads it; the next opening starts afresh.
    kb->close();
    QTRY_VERIFY(slot.isNull());
    kb = openScreenKeyboard(slot, box, &main, system);
    QVERIFY(kb);
    QCOMPARE(kb->keySet(), KeySet::Spanish);
    QCOMPARE(kb->scale(), 1);
    QVERIFY(kb->smallLetters());
    QCOMPARE(key(kb, 67)->text(), u"shift"_s);
    QCOMPARE(kb->size(), QSize(490, 151));
    kb->close();
    QTRY_VERIFY(slot.isNull());

    // A box outside the window leaves the design's offset: 5390 twips below the window's top.
    QLineEdit elsewhere;
    kb = openScreenKeyboard(slot, &elsewhere, &main, system);
    const QRect outer = main.frameGeometry();
    QCOMPARE(kb->pos(), QPoint(outer.x() + outer.width() - main.width() + 21,
                               outer.y() + outer.height() - main.height() + 359));
}

QTEST_MAIN(FrmTastTest)
#include "frmtast_test.moc"
