// The tray icon control and the wizard's minimising into the notification area.
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QtTest>

#include "launcher/form1.h"
#include "launcher/trayicon.h"
#include "launcher_test_util.h"

using namespace kuvo;
using kuvo::launcher::TrayIcon;
using kuvo::launcher::TrayMouseEvent;
using Kind = TrayMouseEvent::Kind;
using kuvo::test::FakePlatform;

Q_DECLARE_METATYPE(QSystemTrayIcon::ActivationReason)

namespace {

// Events as "down 1", "up 2", "double 4", in the order they came; listens while it lives.
class EventLog : public QObject {
public:
    explicit EventLog(TrayIcon* tray)
    {
        connect(tray, &TrayIcon::MouseDown, this, [this](int b, int) { log << QString("down %1").arg(b); });
        connect(tray, &TrayIcon::MouseUp, this, [this](int b, int) { log << QString("up %1").arg(b); });
        connect(tray, &TrayIcon::DblClick, this, [this](int b, int) { log << QString("double %1").arg(b); });
    }
    QStringList log;
};

void press(TrayIcon* tray, QSystemTrayIcon::ActivationReason reason)
{
    emit tray->systemIcon()->activated(reason);
    // The control takes activations through the event loop.
    QCoreApplication::processEvents();
}

} // namespace

class TrayTest : public QObject {
    Q_OBJECT
private slots:
    void init();

    void mouseMessages_data();
    void mouseMessages();
    void activationsBecomeEvents_data();
    void activationsBecomeEvents();
    void hiddenIconHearsNothing();
    void infoTipKeepsFirst63();
    void builtInPictureWhileNoIconIsSet();
    void showNeedsANotificationArea();

    void minimiseHidesIntoOneIcon_data();
    void minimiseHidesIntoOneIcon();
    void withoutTrayMinimisesNormally();
    void closingRemovesTheIcon();
};

void TrayTest::init()
{
    test::useCatalogue("launcher", kOffsetEnglish);
    test::writeLangFileBytes("0");
}

void TrayTest::mouseMessages_data()
{
    QTest::addColumn<int>("message");
    QTest::addColumn<int>("kind"); // -1: no event
    QTest::addColumn<int>("button");
    QTest::addRow("move 0x200") << 0x200 << -1 << 0;
    QTest::addRow("left down") << 513 << int(Kind::MouseDown) << 1;
    QTest::addRow("left up") << 514 << int(Kind::MouseUp) << 1;
    QTest::addRow("left double") << 515 << int(Kind::DblClick) << 1;
    QTest::addRow("right down") << 516 << int(Kind::MouseDown) << 2;
    QTest::addRow("right up") << 517 << int(Kind::MouseUp) << 2;
    QTest::addRow("right double") << 518 << int(Kind::DblClick) << 2;
    QTest::addRow("middle down") << 519 << int(Kind::MouseDown) << 4;
    QTest::addRow("middle up") << 520 << int(Kind::MouseUp) << 4;
    QTest::addRow("middle double") << 521 << int(Kind::DblClick) << 4;
    QTest::addRow("wheel 0x20A") << 522 << -1 << 0;
    QTest::addRow("zero") << 0 << -1 << 0;
}

void TrayTest::mouseMessages()
{
    QFETCH(int, message);
    QFETCH(int, kind);
    QFETCH(int, button);
    const auto event = launcher::trayEventForMouseMessage(message);
    QCOMPARE(event.has_value(), kind >= 0);
    if (event)
        QCOMPARE(*event, (TrayMouseEvent{Kind(kind), button}));
}

void TrayTest::activationsBecomeEvents_data()
{
    QTest::addColumn<QSystemTrayIcon::ActivationReason>("reason");
    QTest::addColumn<QStringList>("events");
    QTest::addRow("left click") << QSystemTrayIcon::Trigger << QStringList{"down 1", "up 1"};
    QTest::addRow("right click") << QSystemTrayIcon::Context << QStringList{"down 2", "up 2"};
    QTest::addRow("middle click") << QSystemTrayIcon::MiddleClick << QStringList{"down 4", "up 4"};
    QTest::addRow("double click") << QSystemTrayIcon::DoubleClick << QStringList{"double 1"};
    QTest::addRow("unknown") << QSystemTrayIcon::Unknown << QStringList{};
}

void TrayTest::activationsBecomeEvents()
{
    QFETCH(QSystemTrayIcon::ActivationReason, reason);
    QFETCH(QStringList, events);
    TrayIcon tray;
    tray.setAvailabilityCheck([] { return true; });
    EventLog log(&tray);
    QVERIFY(tray.ShowIcon());
    press(&tray, reason);
    QCOMPARE(log.log, events);
}

void TrayTest::hiddenIconHearsNothing()
{
    TrayIcon tray;
    tray.setAvailabilityCheck([] { return true; });
    EventLog log(&tray);
    press(&tray, QSystemTrayIcon::Trigger);
    tray.deliverMouseMessage(513, 0);
    QVERIFY(log.log.isEmpty());
    QVERIFY(tray.ShowIcon());
    QVERIFY(tray.HideIcon());
    QVERIFY(!tray.HideIcon());
    press(&tray, QSystemTrayIcon::Context);
    QVERIFY(log.log.isEmpty());
}

void TrayTest::infoTipKeepsFirst63()
{
    TrayIcon tray;
    QCOMPARE(tray.InfoTip(), QString());
    const QString seventy = QString("0123456789").repeated(7);
    tray.setInfoTip(seventy);
    QCOMPARE(tray.InfoTip(), seventy.left(63));
    QCOMPARE(tray.systemIcon()->toolTip(), seventy.left(63));
    tray.setInfoTip("Kuvo");
    QCOMPARE(tray.InfoTip(), QString("Kuvo"));
    QCOMPARE(tray.systemIcon()->toolTip(), QString("Kuvo"));
}

void TrayTest::builtInPictureWhileNoIconIsSet()
{
    TrayIcon tray;
    const QImage builtIn = tray.Icon().pixmap(16, 16).toImage();
    QVERIFY(!builtIn.isNull());
    QCOMPARE(tray.systemIcon()->icon().pixmap(16, 16).toImage(), builtIn);
    // Not an empty square: the window and its dots are drawn.
    QVERIFY(builtIn.pixelColor(8, 9).alpha() > 0);

    QPixmap red(16, 16);
    red.fill(Qt::red);
    tray.setIcon(QIcon(red));
    QCOMPARE(tray.Icon().pixmap(16, 16).toImage().pixelColor(8, 8), QColor(Qt::red));
    QCOMPARE(tray.systemIcon()->icon().pixmap(16, 16).toImage().pixelColor(8, 8), QColor(Qt::red));
    tray.setIcon(QIcon());
    QCOMPARE(tray.Icon().pixmap(16, 16).toImage(), builtIn);
}

void TrayTest::showNeedsANotificationArea()
{
    TrayIcon tray;
    tray.setAvailabilityCheck([] { return false; });
    QVERIFY(!tray.ShowIcon());
    QVERIFY(!tray.isShown());
    QVERIFY(!tray.systemIcon()->isVisible());
}

void TrayTest::minimiseHidesIntoOneIcon_data()
{
    QTest::addColumn<QSystemTrayIcon::ActivationReason>("reason");
    QTest::addRow("left") << QSystemTrayIcon::Trigger;
    QTest::addRow("right") << QSystemTrayIcon::Context;
    QTest::addRow("middle") << QSystemTrayIcon::MiddleClick;
}

void TrayTest::minimiseHidesIntoOneIcon()
{
    QFETCH(QSystemTrayIcon::ActivationReason, reason);
    FakePlatform fp;
    Form1 form(fp.platform());
    TrayIcon* tray = form.trayIcon();
    tray->setAvailabilityCheck([] { return true; });
    form.show();
    QVERIFY(!tray->isShown());

    for (int round = 0; round < 2; ++round) {
        form.showMinimized();
        QTRY_VERIFY(!form.isVisible());
        QVERIFY(tray->isShown());
        QVERIFY(tray->systemIcon()->isVisible());
        QCOMPARE(form.findChildren<QSystemTrayIcon*>().size(), 1);

        EventLog log(tray);
        press(tray, reason);
        QVERIFY(form.isVisible());
        QVERIFY(!form.isMinimized());
        QVERIFY(!tray->isShown());
        QVERIFY(!tray->systemIcon()->isVisible());
        // The press removed the icon: the rest of it and a following double click find nothing.
        QCOMPARE(log.log.size(), 1);
        press(tray, QSystemTrayIcon::DoubleClick);
        QCOMPARE(log.log.size(), 1);
        QVERIFY(form.isVisible());
    }
}

void TrayTest::withoutTrayMinimisesNormally()
{
    FakePlatform fp;
    Form1 form(fp.platform());
    form.trayIcon()->setAvailabilityCheck([] { return false; });
    form.show();
    form.showMinimized();
    QTest::qWait(50);
    QVERIFY(form.isVisible());
    QVERIFY(form.isMinimized());
    QVERIFY(!form.trayIcon()->isShown());
    QVERIFY(!form.trayIcon()->systemIcon()->isVisible());
    form.showNormal();
    QVERIFY(!form.isMinimized());
}

void TrayTest::closingRemovesTheIcon()
{
    FakePlatform fp;
    auto form = std::make_unique<Form1>(fp.platform());
    TrayIcon* tray = form->trayIcon();
    tray->setAvailabilityCheck([] { return true; });
    form->show();
    form->showMinimized();
    QTRY_VERIFY(tray->isShown());
    QSystemTrayIcon* icon = tray->systemIcon();
    form->close();
    QVERIFY(!tray->isShown());
    QVERIFY(!icon->isVisible());
}

QTEST_MAIN(TrayTest)
#include "tray_test.moc"
