// kuvo encrypt-text / decrypt-text: the window's text encryption over standard
// input and output, producing and reading exactly the window's blocks.
#include <QFile>
#include <cstdio>
#include <unistd.h>

#include "cli.h"
#include "common/catalogue.h"
#include "common/lang.h"
#include "common/qtcodec.h"
#include "common/secure.h"
#include "crypt/core/text_crypt.h"
#include "passphrase.h"

namespace kuvo::cli {

namespace {

namespace tc = kuvo::textcrypt;

QString readStandardInput()
{
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(in.readAll());
}

int fail(int textId)
{
    err() << "kuvo: " << LoadText(qint16(textId)) << '\n';
    err().flush();
    return Failure;
}

void writeOut(const QByteArray& bytes)
{
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout);
    // The block carries no final line break; a terminal still gets one so the prompt starts on its own line.
    if (::isatty(STDOUT_FILENO) && !bytes.endsWith('\n'))
        std::fputc('\n', stdout);
    std::fflush(stdout);
}

int runText(const QStringList& args, bool encrypt)
{
    setActiveCatalogue(Catalogue::fromResource(QStringLiteral(":/catalogue/crypt.tsv")));
    initLanguage();

    QString passphraseFile;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--passphrase-file")) {
            if (++i >= args.size())
                return usageError(QStringLiteral("--passphrase-file needs a PATH"));
            passphraseFile = args[i];
        } else if (a.startsWith(QLatin1String("--passphrase-file="))) {
            passphraseFile = a.mid(18);
        } else {
            return usageError(QStringLiteral("unexpected argument '%1'").arg(a));
        }
    }
    int code = Success;
    std::optional<QString> passphrase = readPassphrase(passphraseFile, false, &code);
    if (!passphrase)
        return code;

    // The window's rule: the text as a Windows text box holds it, lines joined by CR LF.
    const QString input = tc::toWindowsLines(readStandardInput());
    const tc::Problem problem =
        encrypt ? tc::checkEncryptInput(input, *passphrase) : tc::checkDecryptInput(input, *passphrase);
    if (problem != tc::Problem::None)
        return fail(tc::messageId(problem));

    auto key = PassphraseToKey(std::u16string_view(reinterpret_cast<const char16_t*>(passphrase->utf16()),
                                                   std::size_t(passphrase->size())));
    passphrase->fill(QChar(0));
    CRijndael cipher;
    const tc::Result result =
        encrypt ? tc::encryptText(cipher, input, *key) : tc::decryptText(cipher, input, *key);
    secureZero(*key);
    if (result.status != tc::Status::Ok)
        return fail(114);
    writeOut(encrypt ? result.text.toLatin1() : tc::fromWindowsLines(result.text).toUtf8());
    return Success;
}

} // namespace

int runEncryptText(const QStringList& args)
{
    return runText(args, true);
}

int runDecryptText(const QStringList& args)
{
    return runText(args, false);
}

} // namespace kuvo::cli
