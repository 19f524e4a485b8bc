#include "app.h"

#include <cstdio>

namespace kuvo {

bool checkDisplay(const char* program)
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY") ||
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return true;
    std::fprintf(stderr,
                 "%s: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
                 "Start it from a desktop session, or set QT_QPA_PLATFORM (for example "
                 "QT_QPA_PLATFORM=offscreen).\n",
                 program);
    return false;
}

QString commandLineText(const QStringList& arguments)
{
    return arguments.mid(1).join(QLatin1Char(' '));
}

}  // namespace kuvo
