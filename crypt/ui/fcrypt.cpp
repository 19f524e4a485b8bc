#include "fcrypt.h"

#include "common/localize.h"

FCrypt::FCrypt(const kuvo::Platform& platform, const QString& commandLine, QWidget* parent)
    : QWidget(parent), m_platform(platform)
{
    Q_UNUSED(commandLine);
    setObjectName(QStringLiteral("FCrypt"));
    setWindowTitle(QStringLiteral("Kuvo-Crypt SE™ Lite"));
    resize(640, 480);
    kuvo::LocalizeForm(this);
}
