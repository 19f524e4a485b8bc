// Crypt's command line: options are recognised only at the very start of the
// whole text, and the first rule that matches wins.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace kuvo {

struct CryptCommandLine {
    enum class Rule { None, FileEncrypt, FileDecrypt, SetEncrFiles, SetDecrFile, Usage };
    Rule rule = Rule::None;
    int mainTab = 1; // TabStr: 1 text, 2 files
    int fileTab = 1; // TabFileCrypt: 1 encrypt, 2 decrypt
    // "/setencrfiles ": every token before "/outputfile", in order. Empty tokens
    // (from two blanks in a row) are kept: adding one changes nothing, but it
    // still switches the list to files mode like any other token.
    QStringList inputTokens;
    // "/setencrfiles ": the output name when "/outputfile" was followed by anything.
    std::optional<QString> outputFile;
    // "/setdecrfile ": the container path, exactly as written.
    QString decryptFile;
};

CryptCommandLine ParseCryptCommandLine(const QString& commandLine);

// The answer to "/?".
QString CryptUsageText(const QString& programName);

} // namespace kuvo
