// The Qt/Linux side of the platform interfaces.
#pragma once

#include <memory>

#include "platform.h"

namespace kuvo {

class QtDialogs : public Dialogs {
public:
    Answer message(QWidget* parent, const QString& title, const QString& text, Buttons buttons,
                   MessageIcon icon) override;
    QString openFile(QWidget* parent, const QString& title, const QString& filter) override;
    QStringList openFiles(QWidget* parent, const QString& title, const QString& filter) override;
    QString saveFile(QWidget* parent, const QString& title, const QString& filter) override;
    QString browseFolder(QWidget* parent, const QString& title) override;
    void beep() override;
};

class QtProcessStarter : public ProcessStarter {
public:
    StartResult start(const QString& program, const QStringList& arguments) override;
};

class QtDesktop : public Desktop {
public:
    bool openUrl(const QUrl& url) override;
    bool openAppearanceSettings() override;
};

class LinuxSystemInfo : public SystemInfo {
public:
    quint16 systemDefaultLangId() override;
    quint16 keyboardLayoutId() override;
    std::optional<bool> visualStylesActive() override;
};

// Hands the message to xdg-email.
class XdgMailer : public Mailer {
public:
    XdgMailer();
    ~XdgMailer() override;
    MailResult send(const MailMessage& message) override;
    // How long send() waits for xdg-email's verdict before leaving the mail program running.
    void setWaitLimit(int milliseconds);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

}  // namespace kuvo
