#include "cmdmail.h"

#include <QPointer>
#include <QWidget>

#include "common/lang.h"
#include "fcrypt.h"

namespace kuvo {

namespace {

constexpr int kTextTab = 1;
constexpr int kFileTab = 2;

void tell(QWidget* parent, const Platform& platform, const QString& text)
{
    platform.dialogs->message(parent, QString::fromLatin1(FCrypt::kAppTitle), text, Buttons::Ok);
}

} // namespace

void sendByMail(QWidget* parent, int tab, const QString& results, const QString& lastContainer,
                qint16 langOffset, const Platform& platform)
{
    const bool german = langOffset == kOffsetGerman;
    MailMessage message;
    message.subject = QStringLiteral("Encrypted File");
    if (tab == kTextTab) {
        if (results.isEmpty()) {
            tell(parent, platform,
                 german ? QStringLiteral("Bitte zunächst den Text verschlüsseln.")
                        : QStringLiteral("First encrypt the text please."));
            return;
        }
        message.body = results;
    } else if (tab == kFileTab) {
        if (lastContainer.isEmpty() || !FCrypt::FileExists(lastContainer)) {
            tell(parent, platform,
                 german ? QStringLiteral("Bitte zunächst eine Datei verschlüsseln.")
                        : QStringLiteral("First encrypt a file please."));
            return;
        }
        message.body = QStringLiteral("   ");
        message.attachmentPath = lastContainer;
        message.attachmentName = QStringLiteral("Encrypted text.kuvo");
    } else {
        return;
    }

    // The hand-off keeps painting while it waits; the window may be gone afterwards.
    const QPointer<QWidget> owner(parent);
    const MailResult result = platform.mail->send(message);
    if (result.status == MailResult::Status::Failed)
        tell(owner, platform, QStringLiteral("MAPI Error: ") + result.error);
}

} // namespace kuvo
