// The rounded frame: minimum size, Rounding rules, drawing and stored properties.
#include <QtTest>

#include "common/ucshape.h"

using kuvo::UcShape;

class UcShapeTest : public QObject {
    Q_OBJECT
private slots:
    void newControlDefaults();
    void growsToMinimum_data();
    void growsToMinimum();
    void negativeRoundingIgnored();
    void drawsOutlineFillAndCorners();
    void squareCornersAtZero();
    void containerBackgroundFollowed();
    void readsStoredDefaults();
    void readsStoredValuesCaseInsensitively();
    void writeReadRoundTrip();
    void systemColourFollowsPalette();
};

static QImage render(QWidget& w)
{
    return w.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

void UcShapeTest::newControlDefaults()
{
    QWidget container;
    UcShape s(&container);
    QCOMPARE(s.ForeColor(), QColor(0, 0, 0));
    QCOMPARE(s.FillColor(), QColor(255, 255, 255));
    QCOMPARE(s.Rounding(), 0);
    QCOMPARE(s.Font(), container.font());
}

void UcShapeTest::growsToMinimum_data()
{
    QTest::addColumn<QSize>("asked");
    QTest::addColumn<QSize>("got");
    QTest::addRow("narrow") << QSize(20, 50) << QSize(32, 50);
    QTest::addRow("flat") << QSize(100, 10) << QSize(100, 32);
    QTest::addRow("tiny") << QSize(1, 1) << QSize(32, 32);
    QTest::addRow("fine") << QSize(40, 40) << QSize(40, 40);
}

void UcShapeTest::growsToMinimum()
{
    QFETCH(QSize, asked);
    QFETCH(QSize, got);
    QWidget container;
    UcShape s(&container);
    s.resize(asked);
    QCOMPARE(s.size(), got);
}

void UcShapeTest::negativeRoundingIgnored()
{
    UcShape s;
    QSignalSpy spy(&s, &UcShape::propertyChanged);
    s.setRounding(20);
    s.setRounding(-5);
    QCOMPARE(s.Rounding(), 20);
    QCOMPARE(spy.count(), 1);
    s.setProperty("Rounding", -1);
    QCOMPARE(s.Rounding(), 20);
}

void UcShapeTest::drawsOutlineFillAndCorners()
{
    QWidget container;
    QPalette pal = container.palette();
    pal.setColor(QPalette::Window, QColor(10, 200, 30));
    container.setPalette(pal);
    UcShape s(&container);
    s.resize(100, 60);
    s.setForeColor(QColor(200, 0, 0));
    s.setFillColor(QColor(0, 0, 250));
    s.setRounding(20);
    const QImage img = render(s);
    QCOMPARE(QColor(img.pixel(0, 0)), QColor(10, 200, 30)); // outside the rounded corner
    QCOMPARE(QColor(img.pixel(99, 59)), QColor(10, 200, 30));
    QCOMPARE(QColor(img.pixel(50, 0)), QColor(200, 0, 0)); // outline
    QCOMPARE(QColor(img.pixel(0, 30)), QColor(200, 0, 0));
    QCOMPARE(QColor(img.pixel(50, 30)), QColor(0, 0, 250)); // inside
}

void UcShapeTest::squareCornersAtZero()
{
    QWidget container;
    UcShape s(&container);
    s.resize(50, 50);
    s.setForeColor(QColor(200, 0, 0));
    s.setRounding(0);
    const QImage img = render(s);
    QCOMPARE(QColor(img.pixel(0, 0)), QColor(200, 0, 0));
    QCOMPARE(QColor(img.pixel(49, 49)), QColor(200, 0, 0));
}

void UcShapeTest::containerBackgroundFollowed()
{
    QWidget container;
    UcShape s(&container);
    s.resize(80, 80);
    s.setRounding(30);
    QPalette pal = container.palette();
    pal.setColor(QPalette::Window, QColor(1, 2, 3));
    container.setPalette(pal);
    QCOMPARE(s.backgroundColor(), QColor(1, 2, 3));
    QCOMPARE(QColor(render(s).pixel(0, 0)), QColor(1, 2, 3));
    pal.setColor(QPalette::Window, QColor(250, 240, 5));
    container.setPalette(pal);
    QCOMPARE(QColor(render(s).pixel(0, 0)), QColor(250, 240, 5));
}

void UcShapeTest::readsStoredDefaults()
{
    QWidget container;
    QFont big = container.font();
    big.setPointSize(31);
    container.setFont(big);
    QPalette pal = container.palette();
    pal.setColor(QPalette::Window, QColor(9, 8, 7));
    container.setPalette(pal);
    UcShape s(&container);
    s.setRounding(12);
    s.readProperties({});
    QCOMPARE(s.ForeColor(), QColor(191, 184, 191));
    QCOMPARE(s.FillColor(), QColor(9, 8, 7));
    QCOMPARE(s.Rounding(), 0);
    QCOMPARE(s.Font().pointSize(), 31);
    s.resize(60, 60);
    QCOMPARE(QColor(render(s).pixel(30, 0)), QColor(191, 184, 191));
}

void UcShapeTest::readsStoredValuesCaseInsensitively()
{
    QWidget container;
    UcShape s(&container);
    QFont f = container.font();
    f.setItalic(true);
    s.readProperties(
        {{"forecolor", 0x0000FF}, {"FILLCOLOR", QColor(0, 255, 0)}, {"rounding", 20}, {"Font", f}});
    QCOMPARE(s.ForeColor(), QColor(255, 0, 0));
    QCOMPARE(s.FillColor(), QColor(0, 255, 0));
    QCOMPARE(s.Rounding(), 20);
    QVERIFY(s.Font().italic());
}

void UcShapeTest::writeReadRoundTrip()
{
    QWidget container;
    UcShape s(&container);
    s.readProperties({});
    QVERIFY2(s.writeProperties().isEmpty(), "defaults are left out");

    s.setForeColorRef(0xFF0000);
    s.setFillColorRef(0x123456);
    s.setRounding(20);
    const QVariantMap stored = s.writeProperties();
    QCOMPARE(stored.value("ForeColor").toUInt(), 0xFF0000u);
    QCOMPARE(stored.value("FillColor").toUInt(), 0x123456u);
    QCOMPARE(stored.value("Rounding").toInt(), 20);
    QVERIFY(!stored.contains("Font"));

    UcShape again(&container);
    again.readProperties(stored);
    QCOMPARE(again.ForeColor(), s.ForeColor());
    QCOMPARE(again.FillColor(), s.FillColor());
    QCOMPARE(again.Rounding(), 20);
    QCOMPARE(again.writeProperties(), stored);
}

void UcShapeTest::systemColourFollowsPalette()
{
    QWidget container;
    UcShape s(&container);
    s.setFillColorRef(kuvo::kSystemButtonFace);
    QPalette pal = s.palette();
    pal.setColor(QPalette::Button, QColor(33, 44, 55));
    s.setPalette(pal);
    QCOMPARE(s.FillColor(), QColor(33, 44, 55));
    QCOMPARE(s.writeProperties().value("FillColor").toUInt(), kuvo::kSystemButtonFace);
}

QTEST_MAIN(UcShapeTest)
#include "ucshape_test.moc"
