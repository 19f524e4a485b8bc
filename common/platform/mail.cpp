#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <unistd.h>
#include <vector>

#include "qtplatform.h"

namespace kuvo {

struct XdgMailer::Private {
    // The mail program may read an attachment long after xdg-email has returned
    // (Thunderbird reads it when the user presses Send), so every copy stays until
    // the mailer goes away at program exit.
    std::vector<std::unique_ptr<QTemporaryDir>> attachmentDirs;
    // xdg-email reports its failures within moments; when it is still running after
    // this, it has started a mail program that keeps it waiting until it exits.
    int waitLimitMs = 5000;
};

XdgMailer::XdgMailer() : d(std::make_unique<Private>()) {}

XdgMailer::~XdgMailer() = default;

void XdgMailer::setWaitLimit(int milliseconds)
{
    d->waitLimitMs = milliseconds;
}

namespace {

MailResult failed(const QString& reason)
{
    return {MailResult::Status::Failed, reason};
}

QString describeExitCode(int code)
{
    switch (code) {
    case 1:
        return QStringLiteral("The mail request was not understood by xdg-email.");
    case 2:
        return QStringLiteral("The attachment could not be found.");
    case 3:
        return QStringLiteral("No mail program is set up on this desktop.");
    case 4:
        return QStringLiteral("The mail program could not be started.");
    case 5:
        return QStringLiteral("The attachment could not be read.");
    default:
        return QStringLiteral("xdg-email ended with code %1.").arg(code);
    }
}

} // namespace

MailResult XdgMailer::send(const MailMessage& message)
{
    const QString exe = QStandardPaths::findExecutable(QStringLiteral("xdg-email"));
    if (exe.isEmpty())
        return failed(
            QStringLiteral("No mail program could be found (xdg-email from xdg-utils is missing)."));

    QStringList args = {QStringLiteral("--utf8"), QStringLiteral("--subject"), message.subject,
                        QStringLiteral("--body"), message.body};

    if (!message.attachmentPath.isEmpty()) {
        const QFileInfo source(message.attachmentPath);
        if (!source.isFile())
            return failed(QStringLiteral("The attachment could not be found."));
        // The recipient sees the copy's file name; never let it reach outside the folder.
        QString name = QFileInfo(message.attachmentName).fileName();
        if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
            name = source.fileName();

        auto dir = std::make_unique<QTemporaryDir>(
            QDir(QDir::tempPath()).filePath(QStringLiteral("kuvo-mail-XXXXXX")));
        if (!dir->isValid())
            return failed(
                QStringLiteral("No temporary folder for the attachment: %1").arg(dir->errorString()));
        QFile::setPermissions(dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QString copy = dir->filePath(name);
        // A second name for the same file costs nothing, however large the container;
        // only across file systems is it really copied (keeping the copy private).
        if (::link(QFile::encodeName(source.absoluteFilePath()).constData(),
                   QFile::encodeName(copy).constData()) != 0) {
            QFile in(source.absoluteFilePath());
            if (!in.copy(copy))
                return failed(QStringLiteral("The attachment could not be copied: %1").arg(in.errorString()));
            QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
        }
        args << QStringLiteral("--attach") << copy;
        d->attachmentDirs.push_back(std::move(dir));
    }

    // The process outlives this call when the mail program keeps xdg-email waiting
    // (it does so when it starts Thunderbird itself); destroying a running QProcess
    // would kill the mail program, so it deletes itself once it has finished.
    auto* process = new QProcess;
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    process->setStandardInputFile(QProcess::nullDevice());
    // The process may be gone by the time anyone asks: keep its verdict apart.
    struct Verdict {
        bool finished = false;
        int code = 0;
        QProcess::ExitStatus status = QProcess::NormalExit;
    };
    auto verdict = std::make_shared<Verdict>();
    QObject::connect(process, &QProcess::finished, process, [verdict](int code, QProcess::ExitStatus status) {
        *verdict = {true, code, status};
    });
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    process->start(exe, args);
    if (!process->waitForStarted()) {
        const QString reason = process->errorString();
        delete process;
        return failed(QStringLiteral("xdg-email could not be started: %1").arg(reason));
    }

    if (QCoreApplication::instance()) {
        // Keep the window painting while waiting, but take no clicks or keys.
        QEventLoop loop;
        QTimer timer;
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        QObject::connect(process, &QProcess::finished, &loop, &QEventLoop::quit);
        timer.start(d->waitLimitMs);
        if (!verdict->finished)
            loop.exec(QEventLoop::ExcludeUserInputEvents);
    } else if (process->waitForFinished(d->waitLimitMs)) {
        delete process;
    }
    if (!verdict->finished)
        return {}; // the mail program is up and holds the message
    if (verdict->status != QProcess::NormalExit)
        return failed(QStringLiteral("xdg-email ended abnormally."));
    // xdg-email returns as soon as the mail program has the message: whether the
    // user then sends it or closes the compose window cannot be seen from here, so
    // a cancel is never reported (and so never shown as an error).
    if (verdict->code != 0)
        return failed(describeExitCode(verdict->code));
    return {};
}

} // namespace kuvo
