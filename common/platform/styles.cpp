#include <QApplication>
#include <QStyle>

#include "qtplatform.h"

namespace kuvo {

std::optional<bool> LinuxSystemInfo::visualStylesActive()
{
    // Only a widget application has a style to ask about.
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()) || !QApplication::style())
        return std::nullopt;
    // Qt's own fallback styles stand for an unstyled desktop: no desktop style plugin is in use.
    const QString style = QApplication::style()->name().toLower();
    return !(style.isEmpty() || style == QLatin1String("fusion") || style == QLatin1String("windows"));
}

} // namespace kuvo
