// The launcher's wizard window: what would you like to do, and then the program for it.
#pragma once

#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include "common/platform/platform.h"
#include "launcher/language.h"

class QLabel;
class QPushButton;
class QRadioButton;
class FrmInfo;
class FrmOpt;

namespace kuvo::launcher {
class TrayIcon;

struct SideBySide {
    QPoint wizard; // where the wizard's frame goes
    QPoint window; // where the other window's frame goes
};
// Puts a window beside the wizard on the screen: right of it, else left of it, else
// both moved to the middle of the screen; when even that is too narrow, as far
// right as the screen allows.
SideBySide placeBeside(const QRect& screen, const QRect& wizard, const QSize& window, int gap);
} // namespace kuvo::launcher

class Form1 : public QWidget {
    Q_OBJECT
public:
    // Settles the language (on the very first start by detecting it) before the
    // window is localized, so it must be built before any other launcher window.
    explicit Form1(const kuvo::Platform& platform, QWidget* parent = nullptr);
    ~Form1() override;

    kuvo::launcher::TrayIcon* trayIcon() const { return m_tray; }
    quint8 stepNumber() const { return m_step; }
    const kuvo::launcher::LanguageStart& languageStart() const { return m_languageStart; }

    // Opens the about window without blocking, centred, or beside the wizard.
    FrmInfo* showAbout(bool besideWizard = false);

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Opts_Click();
    void CmdNext_Click();
    void CmdPrev_Click();
    void cmdOptions_Click();
    void TrayIcon1_MouseDown(int button, int shift);

    void firstShown();
    void showPage1();
    void showPage2();
    void focusChoice(QWidget* page);
    // Starts a program of the launcher's folder ("crypt", "lock/Kuvo-Lock");
    // false (after telling the user) when it could not be started.
    bool startModule(const QString& program, const QStringList& arguments = {});
    void placeBesideWizard(QWidget* window);

    kuvo::Platform m_platform;
    kuvo::launcher::LanguageStart m_languageStart;
    quint8 m_step = 1;
    bool m_shownOnce = false;

    QLabel* m_lblTitle;
    QLabel* m_lblTitle2[2];
    QWidget* m_frameStep1;
    QWidget* m_frameEncrDecr;
    QRadioButton* m_opts[9] = {};
    QRadioButton* m_optEd[4];
    QPushButton* m_cmdPrev;
    QPushButton* m_cmdNext;
    QPushButton* m_cmdOptions;
    QPushButton* m_cmdCancel;
    QLabel* m_image1[3];
    kuvo::launcher::TrayIcon* m_tray;
    QPointer<FrmOpt> m_options;
    QPointer<FrmInfo> m_about;
};
