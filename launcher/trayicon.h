// One icon in the desktop's notification area, with the mouse events of the
// launcher's tray control (Button 1 left, 2 right, 4 middle).
#pragma once

#include <QIcon>
#include <QList>
#include <QObject>
#include <QSystemTrayIcon>
#include <functional>
#include <optional>

namespace kuvo::launcher {

struct TrayMouseEvent {
    enum class Kind { MouseDown, MouseUp, DblClick };
    Kind kind;
    int button;
    bool operator==(const TrayMouseEvent&) const = default;
};

// The event a mouse message on the icon stands for (513 left down ... 521 middle
// double click); nothing for any other message, such as a move over the icon.
std::optional<TrayMouseEvent> trayEventForMouseMessage(int message);

// The mouse messages a Qt activation stands for. Qt reports a press as one
// activation, so a press becomes a down and an up of the same button.
QList<int> mouseMessagesForActivation(QSystemTrayIcon::ActivationReason reason);

class TrayIcon : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxInfoTip = 63;

    explicit TrayIcon(QObject* parent = nullptr);
    ~TrayIcon() override;

    bool ShowIcon();
    bool HideIcon();
    bool isShown() const { return m_shown; }

    QString InfoTip() const { return m_tip; }
    void setInfoTip(const QString& tip); // kept to its first 63 characters
    // The picture set, or the built-in one while none is set.
    QIcon Icon() const;
    void setIcon(const QIcon& icon);

    // Whether the desktop has a notification area. Qt's check by default; tests
    // and desktops that misreport it can replace it.
    bool isAvailable() const;
    void setAvailabilityCheck(std::function<bool()> check) { m_available = std::move(check); }

    // Feeds one notification into the control, as the desktop's callbacks do.
    void deliverMouseMessage(int message, int shift);

    QSystemTrayIcon* systemIcon() const { return m_icon; }

signals:
    void MouseDown(int Button, int Shift);
    void MouseUp(int Button, int Shift);
    void DblClick(int Button, int Shift);

private:
    void update();
    void activated(QSystemTrayIcon::ActivationReason reason);

    QSystemTrayIcon* m_icon;
    QString m_tip;
    QIcon m_picture;
    bool m_shown = false;
    std::function<bool()> m_available;
};

} // namespace kuvo::launcher
