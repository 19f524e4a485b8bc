#include <QProcess>
#include <QStandardPaths>

#include "qtplatform.h"

namespace kuvo {

MailResult XdgMailer::send(const MailMessage& message)
{
    QStringList args = {QStringLiteral("--utf8"), QStringLiteral("--subject"), message.subject,
                        QStringLiteral("--body"), message.body};
    if (!message.attachmentPath.isEmpty())
        args << QStringLiteral("--attach") << message.attachmentPath;
    const QString exe = QStandardPaths::findExecutable(QStringLiteral("xdg-email"));
    if (exe.isEmpty())
        return {MailResult::Status::Failed, QStringLiteral("No mail program was found (xdg-email is missing).")};
    QProcess process;
    process.start(exe, args);
    if (!process.waitForFinished(60000))
        return {MailResult::Status::Failed, process.errorString()};
    switch (process.exitCode()) {
    case 0: return {};
    case 1: return {MailResult::Status::Failed, QStringLiteral("The mail request was not understood.")};
    case 2: return {MailResult::Status::Failed, QStringLiteral("The attachment could not be found.")};
    case 3: return {MailResult::Status::Failed, QStringLiteral("No mail program is set up on this desktop.")};
    default: return {MailResult::Status::Failed, QStringLiteral("The mail program could not be started.")};
    }
}

}  // namespace kuvo
