#include "cmdline.h"

namespace kuvo {

namespace {

bool startsWithLower(const QString& text, QLatin1String option)
{
    return text.left(option.size()).toLower() == option;
}

void walkEncryptTokens(const QString& rest, CryptCommandLine& result)
{
    if (rest.isEmpty())
        return;
    bool outputBegun = false;
    QString output;
    for (const QString& token : rest.split(QLatin1Char(' '))) {
        if (outputBegun)
            output += token + QLatin1Char(' '); // a later "/outputfile" is part of the name
        else if (token.toLower() == QLatin1String("/outputfile"))
            outputBegun = true;
        else
            result.inputTokens << token;
    }
    if (output.isEmpty())
        return;
    if (output.size() >= 2)
        output.chop(1);
    result.outputFile = output;
}

} // namespace

CryptCommandLine ParseCryptCommandLine(const QString& commandLine)
{
    using Rule = CryptCommandLine::Rule;
    CryptCommandLine result;
    if (startsWithLower(commandLine, QLatin1String("/filee"))) {
        result.rule = Rule::FileEncrypt;
        result.mainTab = 2;
    } else if (startsWithLower(commandLine, QLatin1String("/filed"))) {
        result.rule = Rule::FileDecrypt;
        result.mainTab = 2;
        result.fileTab = 2;
    } else if (startsWithLower(commandLine, QLatin1String("/setencrfiles "))) {
        result.rule = Rule::SetEncrFiles;
        result.mainTab = 2;
        walkEncryptTokens(commandLine.mid(14), result);
    } else if (startsWithLower(commandLine, QLatin1String("/setdecrfile "))) {
        result.rule = Rule::SetDecrFile;
        result.mainTab = 2;
        result.fileTab = 2;
        result.decryptFile = commandLine.mid(13);
    } else if (commandLine.startsWith(QLatin1String("/?"))) {
        result.rule = Rule::Usage;
    }
    return result;
}

QString CryptUsageText(const QString& programName)
{
    return QStringLiteral("Parameters for Kuvo Crypt:\r\n") + programName +
           QStringLiteral(" [/setEncrFiles <list of files> /outputfile <file>]|[/setDecrFile <file>]");
}

} // namespace kuvo
