// The screen keyboard: types the passphrase by mouse into the main window's box.
#pragma once

#include <QPointer>
#include <QWidget>

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kuvo {
class SystemInfo;
}

class FrmTast : public QWidget {
    Q_OBJECT
public:
    enum class KeySet : quint8 { German = 0, English = 1, Spanish = 2 };

    // keyboardLayoutId: the session's layout as a Windows language id, read once here.
    FrmTast(QLineEdit* txtCode, quint16 keyboardLayoutId, QWidget* owner);

    static KeySet keySetForLayout(quint16 layoutId);

    KeySet keySet() const { return m_keySet; }
    bool smallLetters() const { return m_smallLetters; }
    int scale() const { return m_scale; }

    // Puts the keyboard over the main window, just below the passphrase box.
    void placeOver(const QWidget* mainWindow);

private:
    void buildKeys();
    void applyKeySet();
    void keyClicked(int index);
    void setScale(int scale);

    QPointer<QLineEdit> m_txtCode;
    KeySet m_keySet = KeySet::English;
    bool m_smallLetters = true;
    int m_scale = 1; // 1 single, 2 double size
    QPushButton* m_keys[68] = {};
    QRadioButton* m_option[2] = {};
};

// Command3 of the main window: loads and shows the keyboard on the first click;
// while it is open a click only places it again. Closing the keyboard deletes it
// and clears the slot.
FrmTast* openScreenKeyboard(QPointer<FrmTast>& slot, QLineEdit* txtCode, QWidget* mainWindow,
                            kuvo::SystemInfo& system);
