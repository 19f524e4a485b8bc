// Start-up helpers shared by the programs' main functions.
#pragma once

#include <QString>
#include <QStringList>

namespace kuvo {

// False (after telling the user on stderr) when no display can be reached, so a
// program started without one explains itself instead of aborting.
bool checkDisplay(const char* program);

// The program's arguments as the one command-line text the windows parse
// (arguments after the program name, joined by single blanks).
QString commandLineText(const QStringList& arguments);

}  // namespace kuvo
