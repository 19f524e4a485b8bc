// Shared pieces of the kuvo command line.
#pragma once

#include <QStringList>
#include <QTextStream>

namespace kuvo::cli {

enum ExitCode { Success = 0, Failure = 1, Usage = 2 };

struct Command {
    const char* name;
    const char* synopsis;  // one usage line, after "kuvo "
    int (*run)(const QStringList& args);
};

QTextStream& out();
QTextStream& err();

// Prints "kuvo: message" and the hint to --help; returns Usage.
int usageError(const QString& message);

}  // namespace kuvo::cli
