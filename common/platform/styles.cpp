#include <QApplication>
#include <QStyle>

#include "qtplatform.h"

namespace kuvo {

std::optional<bool> LinuxSystemInfo::visualStylesActive()
{
    if (!qApp)
        return std::nullopt;
    // Qt's own fallback styles stand for an unstyled desktop.
    const QString style = QApplication::style() ? QApplication::style()->name().toLower() : QString();
    return !(style.isEmpty() || style == QLatin1String("fusion") || style == QLatin1String("windows"));
}

}  // namespace kuvo
