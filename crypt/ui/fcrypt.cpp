#include "fcrypt.h"

#include <QPushButton>

#include "common/localize.h"

FCrypt::FCrypt(const kuvo::Platform& platform, const QString& commandLine, QWidget* parent)
    : QWidget(parent), m_platform(platform)
{
    Q_UNUSED(commandLine);
    setObjectName(QStringLiteral("FCrypt"));
    setWindowTitle(QStringLiteral("Kuvo-Crypt SE™ Lite"));
    resize(640, 480);
    auto* button = new QPushButton(QStringLiteral("#182"), this);
    button->setObjectName(QStringLiteral("CmdReturn"));
    button->move(20, 20);
    kuvo::LocalizeForm(this);
}
