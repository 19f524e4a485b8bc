#include "trayicon.h"

#include <QGuiApplication>

#include "pictures.h"

namespace kuvo::launcher {

std::optional<TrayMouseEvent> trayEventForMouseMessage(int message)
{
    using K = TrayMouseEvent::Kind;
    switch (message) {
    case 0x201:
        return TrayMouseEvent{K::MouseDown, 1};
    case 0x202:
        return TrayMouseEvent{K::MouseUp, 1};
    case 0x203:
        return TrayMouseEvent{K::DblClick, 1};
    case 0x204:
        return TrayMouseEvent{K::MouseDown, 2};
    case 0x205:
        return TrayMouseEvent{K::MouseUp, 2};
    case 0x206:
        return TrayMouseEvent{K::DblClick, 2};
    case 0x207:
        return TrayMouseEvent{K::MouseDown, 4};
    case 0x208:
        return TrayMouseEvent{K::MouseUp, 4};
    case 0x209:
        return TrayMouseEvent{K::DblClick, 4};
    default:
        return std::nullopt;
    }
}

QList<int> mouseMessagesForActivation(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        return {0x201, 0x202};
    case QSystemTrayIcon::DoubleClick:
        return {0x203};
    case QSystemTrayIcon::Context:
        return {0x204, 0x205};
    case QSystemTrayIcon::MiddleClick:
        return {0x207, 0x208};
    case QSystemTrayIcon::Unknown:
        break;
    }
    return {};
}

// Keyboard state in the events' Shift argument: 1 Shift, 2 Ctrl, 4 Alt.
static int shiftState()
{
    const Qt::KeyboardModifiers m = QGuiApplication::queryKeyboardModifiers();
    return (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) |
           (m & Qt::AltModifier ? 4 : 0);
}

TrayIcon::TrayIcon(QObject* parent)
    : QObject(parent), m_icon(new QSystemTrayIcon(this)),
      m_available([] { return QSystemTrayIcon::isSystemTrayAvailable(); })
{
    m_icon->setObjectName(QStringLiteral("TrayIcon1"));
    update();
    // Queued: a handler may remove the icon, which must not happen inside the
    // icon's own mouse or D-Bus callback.
    connect(m_icon, &QSystemTrayIcon::activated, this, &TrayIcon::activated, Qt::QueuedConnection);
}

TrayIcon::~TrayIcon()
{
    HideIcon();
}

bool TrayIcon::isAvailable() const
{
    return m_available && m_available();
}

bool TrayIcon::ShowIcon()
{
    // Qt accepts show() without a notification area; only the availability check tells.
    if (!isAvailable())
        return false;
    m_icon->show();
    m_shown = true;
    return true;
}

bool TrayIcon::HideIcon()
{
    if (!m_shown)
        return false;
    m_icon->hide();
    m_shown = false;
    return true;
}

void TrayIcon::setInfoTip(const QString& tip)
{
    m_tip = tip.left(kMaxInfoTip);
    update();
}

QIcon TrayIcon::Icon() const
{
    return m_picture.isNull() ? trayPicture() : m_picture;
}

void TrayIcon::setIcon(const QIcon& icon)
{
    m_picture = icon;
    update();
}

void TrayIcon::update()
{
    m_icon->setIcon(Icon());
    m_icon->setToolTip(m_tip);
}

void TrayIcon::deliverMouseMessage(int message, int shift)
{
    // An icon that is gone hears nothing, also the rest of a press that removed it.
    if (!m_shown)
        return;
    const auto event = trayEventForMouseMessage(message);
    if (!event)
        return;
    switch (event->kind) {
    case TrayMouseEvent::Kind::MouseDown:
        emit MouseDown(event->button, shift);
        break;
    case TrayMouseEvent::Kind::MouseUp:
        emit MouseUp(event->button, shift);
        break;
    case TrayMouseEvent::Kind::DblClick:
        emit DblClick(event->button, shift);
        break;
    }
}

void TrayIcon::activated(QSystemTrayIcon::ActivationReason reason)
{
    const int shift = shiftState();
    for (int message : mouseMessagesForActivation(reason))
        deliverMouseMessage(message, shift);
}

} // namespace kuvo::launcher
