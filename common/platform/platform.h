// The small interfaces through which windows and cores reach the desktop.
// Programs use realPlatform(); tests supply scripted fakes.
#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>

class QWidget;

namespace kuvo {

enum class Buttons { Ok, OkCancel, YesNo };
enum class Answer { Ok, Cancel, Yes, No };
enum class MessageIcon { None, Information, Warning, Critical, Question };

class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual Answer message(QWidget* parent, const QString& title, const QString& text, Buttons buttons,
                           MessageIcon icon = MessageIcon::None) = 0;
    // Filters are written "Description|pattern", as the catalogue stores them.
    // An empty result means the user cancelled.
    virtual QString openFile(QWidget* parent, const QString& title, const QString& filter) = 0;
    virtual QStringList openFiles(QWidget* parent, const QString& title, const QString& filter) = 0;
    // Asks before an existing file is chosen.
    virtual QString saveFile(QWidget* parent, const QString& title, const QString& filter) = 0;
    virtual QString browseFolder(QWidget* parent, const QString& title) = 0;
    virtual void beep() = 0;
};

struct StartResult {
    enum class Status { Started, NotFound, Failed };
    Status status = Status::Started;
    QString error;  // readable reason for Failed
    bool ok() const { return status == Status::Started; }
};

class ProcessStarter {
public:
    virtual ~ProcessStarter() = default;
    // program: a name in the programs' folder ("crypt", "lock/Kuvo-Lock"), else
    // searched on PATH, or an absolute path. Never waits for the program.
    virtual StartResult start(const QString& program, const QStringList& arguments) = 0;
};

class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    // Plays a WAV file without waiting; silent when it or an audio device is missing.
    virtual void play(const QString& wavPath) = 0;
};

class Desktop {
public:
    virtual ~Desktop() = default;
    virtual bool openUrl(const QUrl& url) = 0;
    // The desktop's appearance settings, where a known tool for them exists.
    virtual bool openAppearanceSettings() = 0;
};

class SystemInfo {
public:
    virtual ~SystemInfo() = default;
    // Windows language id of the session's language (0x0407 German, 0x0409 English US, ...).
    virtual quint16 systemDefaultLangId() = 0;
    // Windows language id of the session's keyboard layout.
    virtual quint16 keyboardLayoutId() = 0;
    // Whether the desktop's own styling is in use; nothing when it cannot be told.
    virtual std::optional<bool> visualStylesActive() = 0;
};

struct MailMessage {
    QString subject;
    QString body;
    QString attachmentPath;  // empty: no attachment
    QString attachmentName;  // name the recipient sees
};

struct MailResult {
    enum class Status { Handed, Cancelled, Failed };
    Status status = Status::Handed;
    QString error;
};

class Mailer {
public:
    virtual ~Mailer() = default;
    // Opens the user's mail program with a prepared message.
    virtual MailResult send(const MailMessage& message) = 0;
};

struct Platform {
    Dialogs* dialogs = nullptr;
    ProcessStarter* processes = nullptr;
    SoundPlayer* sound = nullptr;
    Desktop* desktop = nullptr;
    SystemInfo* system = nullptr;
    Mailer* mail = nullptr;
};

// The Qt/Linux implementations, created on first use.
Platform realPlatform();

// The folder the suite's programs lie in (the running executable's folder).
QString programsDir();
// A program name resolved in the programs' folder first, then on PATH; empty when none.
QString resolveProgram(const QString& program);
// An optional data file (a sound): beside the programs, then in the installed data folder.
QString findDataFile(const QString& name);

// Windows language id for a POSIX locale name such as "de_CH.UTF-8" or "es".
quint16 langIdFromLocaleName(const QString& locale);
// The session's language: LC_ALL, then LC_MESSAGES, then LANG.
quint16 langIdFromEnvironment();

// Converts "Desc|pattern|Desc2|pattern2" into a Qt dialog filter.
QString qtFileFilter(const QString& designFilter);

}  // namespace kuvo
