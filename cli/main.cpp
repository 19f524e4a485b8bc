#include <QCoreApplication>
#include <cstring>
#include <iterator>

#include "cli.h"
#include "common/catalogue.h"
#include "common/lang.h"

namespace kuvo::cli {

QTextStream& out()
{
    static QTextStream s(stdout);
    return s;
}

QTextStream& err()
{
    static QTextStream s(stderr);
    return s;
}

int usageError(const QString& message)
{
    err() << "kuvo: " << message << "\nTry 'kuvo --help'.\n";
    err().flush();
    return Usage;
}

int runErase(const QStringList& args);  // cmd_erase.cpp
int runEncryptText(const QStringList& args);  // cmd_text.cpp
int runDecryptText(const QStringList& args);  // cmd_text.cpp
int runEncrypt(const QStringList& args);  // cmd_files.cpp
int runDecrypt(const QStringList& args);  // cmd_files.cpp
int runList(const QStringList& args);     // cmd_files.cpp

namespace {

// Every subcommand adds its line here.
const Command kCommands[] = {
    {"erase", "erase [--strength normal|once|twice|vsitr] [--yes] FILE...", runErase},
    {"encrypt-text", "encrypt-text [--passphrase-file PATH] < TEXT > BLOCK", runEncryptText},
    {"decrypt-text", "decrypt-text [--passphrase-file PATH] < BLOCK > TEXT", runDecryptText},
    {"encrypt", "encrypt -o CONTAINER [--passphrase-file PATH] [--overwrite] (FILE... | --dir FOLDER)", runEncrypt},
    {"decrypt", "decrypt CONTAINER [-C OUTDIR] [--passphrase-file PATH] [--overwrite]", runDecrypt},
    {"list", "list CONTAINER [--passphrase-file PATH]", runList},
};

void printUsage()
{
    out() << "Usage: kuvo COMMAND [OPTIONS] [ARGUMENTS]\n\n"
             "The command line of Kuvo Security Tools Lite.\n\nCommands:\n";
    for (const Command& c : kCommands)
        out() << "  kuvo " << c.synopsis << "\n";
    out() << "\n  kuvo --help     show this help\n";
    out().flush();
}

}  // namespace
}  // namespace kuvo::cli

int main(int argc, char* argv[])
{
    using namespace kuvo::cli;
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return (printUsage(), Usage);
    const QString name = args.first();
    if (name == QLatin1String("--help") || name == QLatin1String("-h") || name == QLatin1String("help")) {
        printUsage();
        return Success;
    }
    for (const Command& c : kCommands) {
        if (name == QLatin1String(c.name))
            return c.run(args.mid(1));
    }
    return usageError(QStringLiteral("unknown command '%1'").arg(name));
}
