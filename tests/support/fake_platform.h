// Scripted stand-ins for the platform layer: they record what a window showed
// or started and answer from lists the test fills in.
#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>

#include "common/platform/platform.h"

namespace kuvo::test {

struct ShownMessage {
    QString title;
    QString text;
    Buttons buttons;
};

struct DialogCall {
    QString kind;  // "open", "openMany", "save", "folder"
    QString title;
    QString filter;
};

class FakeDialogs : public Dialogs {
public:
    // Answers for message boxes, taken in order. When the list is empty the
    // first button is taken (Ok, Ok, Yes) and the call is counted as unscripted.
    QList<Answer> answers;
    // Answers for openFile/saveFile/browseFolder, in order; "" is a cancel.
    QStringList fileAnswers;
    QList<QStringList> filesAnswers;
    // Runs inside every message call, after it was recorded (for example to press Cancel).
    std::function<void(const ShownMessage&)> onMessage;

    QList<ShownMessage> messages;
    QList<DialogCall> calls;
    int unscripted = 0;
    int beeps = 0;

    Answer message(QWidget*, const QString& title, const QString& text, Buttons buttons, MessageIcon) override;
    QString openFile(QWidget*, const QString& title, const QString& filter) override;
    QStringList openFiles(QWidget*, const QString& title, const QString& filter) override;
    QString saveFile(QWidget*, const QString& title, const QString& filter) override;
    QString browseFolder(QWidget*, const QString& title) override;
    void beep() override { ++beeps; }

    QStringList texts() const;

private:
    QString nextFile();
};

struct StartedProcess {
    QString program;
    QStringList arguments;
};

class FakeProcessStarter : public ProcessStarter {
public:
    QList<StartedProcess> started;
    // Result per program name; programs not listed start fine.
    QMap<QString, StartResult> results;
    StartResult start(const QString& program, const QStringList& arguments) override;
};

class FakeSoundPlayer : public SoundPlayer {
public:
    QStringList played;
    void play(const QString& wavPath) override { played << wavPath; }
};

class FakeDesktop : public Desktop {
public:
    QList<QUrl> opened;
    int appearanceRequests = 0;
    bool openUrl(const QUrl& url) override
    {
        opened << url;
        return true;
    }
    bool openAppearanceSettings() override
    {
        ++appearanceRequests;
        return true;
    }
};

class FakeSystemInfo : public SystemInfo {
public:
    quint16 langId = 0x0409;
    quint16 keyboardId = 0x0409;
    std::optional<bool> styles = true;
    quint16 systemDefaultLangId() override { return langId; }
    quint16 keyboardLayoutId() override { return keyboardId; }
    std::optional<bool> visualStylesActive() override { return styles; }
};

class FakeMailer : public Mailer {
public:
    QList<MailMessage> sent;
    MailResult result;
    MailResult send(const MailMessage& message) override
    {
        sent << message;
        return result;
    }
};

class FakePlatform {
public:
    FakeDialogs dialogs;
    FakeProcessStarter processes;
    FakeSoundPlayer sound;
    FakeDesktop desktop;
    FakeSystemInfo system;
    FakeMailer mail;

    Platform platform() { return {&dialogs, &processes, &sound, &desktop, &system, &mail}; }
};

// Loads a program's compiled-in catalogue (":/catalogue/crypt.tsv") and sets LangOffset.
void useCatalogue(const QString& program, qint16 langOffset);

// Writes ml.ini with the given bytes into the test's private config folder.
void writeLangFileBytes(const QByteArray& bytes);
void removeLangFile();

}  // namespace kuvo::test
