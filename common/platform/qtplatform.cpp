#include "qtplatform.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QStyle>

#include "sound.h"

#ifndef KUVO_DATA_DIR
#define KUVO_DATA_DIR "/usr/share/kuvo-security-tools"
#endif

namespace kuvo {

QString programsDir()
{
    return QCoreApplication::applicationDirPath();
}

static bool isRunnable(const QString& path)
{
    const QFileInfo fi(path);
    return fi.isFile() && fi.isExecutable();
}

QString resolveProgram(const QString& program)
{
    if (program.isEmpty())
        return {};
    if (QDir::isAbsolutePath(program))
        return isRunnable(program) ? program : QString();
    const QString local = QDir(programsDir()).filePath(program);
    if (isRunnable(local))
        return local;
    if (program.contains(QLatin1Char('/')))
        return {};
    return QStandardPaths::findExecutable(program);
}

QString findDataFile(const QString& name)
{
    for (const QString& dir : {programsDir(), QStringLiteral(KUVO_DATA_DIR)}) {
        const QString path = QDir(dir).filePath(name);
        if (QFileInfo(path).isFile())
            return path;
    }
    return {};
}

QString qtFileFilter(const QString& designFilter)
{
    const QStringList parts = designFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString desc = parts[i];
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        // "*.*" means every file, also those without a dot.
        if (patterns == QLatin1String("*.*"))
            patterns = QStringLiteral("*");
        if (!desc.contains(QLatin1Char('(')))
            desc += QStringLiteral(" (%1)").arg(patterns);
        else
            desc = desc.left(desc.indexOf(QLatin1Char('('))).trimmed() + QStringLiteral(" (%1)").arg(patterns);
        filters << desc;
    }
    return filters.join(QStringLiteral(";;"));
}

Answer QtDialogs::message(QWidget* parent, const QString& title, const QString& text, Buttons buttons,
                          MessageIcon icon)
{
    QMessageBox box(parent);
    box.setWindowTitle(title);
    // Texts keep the Windows line breaks they are defined with; a label shows a bare
    // carriage return as a stray glyph.
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    box.setText(shown);
    switch (icon) {
    case MessageIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MessageIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MessageIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    case MessageIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    case MessageIcon::Question: box.setIcon(QMessageBox::Question); break;
    }
    switch (buttons) {
    case Buttons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Buttons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    case Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Ok: return Answer::Ok;
    case QMessageBox::Cancel: return Answer::Cancel;
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return buttons == Buttons::YesNo ? Answer::No : (buttons == Buttons::OkCancel ? Answer::Cancel : Answer::Ok);
    }
}

QString QtDialogs::openFile(QWidget* parent, const QString& title, const QString& filter)
{
    return QFileDialog::getOpenFileName(parent, title, QString(), qtFileFilter(filter));
}

QStringList QtDialogs::openFiles(QWidget* parent, const QString& title, const QString& filter)
{
    return QFileDialog::getOpenFileNames(parent, title, QString(), qtFileFilter(filter));
}

QString QtDialogs::saveFile(QWidget* parent, const QString& title, const QString& filter)
{
    return QFileDialog::getSaveFileName(parent, title, QString(), qtFileFilter(filter));
}

QString QtDialogs::browseFolder(QWidget* parent, const QString& title)
{
    return QFileDialog::getExistingDirectory(parent, title);
}

void QtDialogs::beep()
{
    QApplication::beep();
}

StartResult QtProcessStarter::start(const QString& program, const QStringList& arguments)
{
    const QString path = resolveProgram(program);
    if (path.isEmpty()) {
        StartResult r;
        r.status = QFileInfo::exists(QDir(programsDir()).filePath(program)) ? StartResult::Status::Failed
                                                                            : StartResult::Status::NotFound;
        r.error = r.status == StartResult::Status::Failed ? QStringLiteral("Permission denied")
                                                          : QStringLiteral("No such file or directory");
        return r;
    }
    QProcess process;
    process.setProgram(path);
    process.setArguments(arguments);
    if (process.startDetached())
        return {};
    return {StartResult::Status::Failed, process.errorString()};
}

bool QtDesktop::openUrl(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

bool QtDesktop::openAppearanceSettings()
{
    // The appearance tools of the common desktops, most specific first.
    const QList<QStringList> candidates = {
        {"gnome-control-center", "appearance"}, {"systemsettings", "kcm_lookandfeel"},
        {"xfce4-appearance-settings"},          {"cinnamon-settings", "themes"},
        {"mate-appearance-properties"},         {"lxappearance"},
    };
    for (const QStringList& c : candidates) {
        const QString exe = QStandardPaths::findExecutable(c.first());
        if (!exe.isEmpty() && QProcess::startDetached(exe, c.mid(1)))
            return true;
    }
    return false;
}

quint16 LinuxSystemInfo::systemDefaultLangId()
{
    return langIdFromEnvironment();
}

Platform realPlatform()
{
    static QtDialogs dialogs;
    static QtProcessStarter processes;
    static CanberraSoundPlayer sound;
    static QtDesktop desktop;
    static LinuxSystemInfo system;
    static XdgMailer mail;
    return {&dialogs, &processes, &sound, &desktop, &system, &mail};
}

}  // namespace kuvo
