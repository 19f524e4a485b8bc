#include "text_crypt.h"

#include <algorithm>

#include "base64.h"
#include "common/qtcodec.h"
#include "common/secure.h"

namespace kuvo::textcrypt {

QString toWindowsLines(const QString& text)
{
    QString out;
    out.reserve(text.size() + text.count(QLatin1Char('\n')));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\n') && (i == 0 || text.at(i - 1) != QLatin1Char('\r')))
            out += QLatin1Char('\r');
        out += c;
    }
    return out;
}

QString fromWindowsLines(const QString& text)
{
    QString out = text;
    out.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return out;
}

int messageId(Problem problem)
{
    switch (problem) {
    case Problem::None:
        return 0;
    case Problem::Empty:
        return 114;
    case Problem::TextNotRepresentable:
        return 201;
    case Problem::PassphraseNotRepresentable:
        return 202;
    }
    return 114;
}

Problem checkEncryptInput(const QString& text, const QString& passphrase)
{
    if (text.isEmpty() || passphrase.isEmpty())
        return Problem::Empty;
    if (!isWin1252(text) || text.contains(QChar(0)))
        return Problem::TextNotRepresentable;
    if (!isWin1252(passphrase))
        return Problem::PassphraseNotRepresentable;
    return Problem::None;
}

Problem checkDecryptInput(const QString& block, const QString& passphrase)
{
    if (block.isEmpty() || passphrase.isEmpty())
        return Problem::Empty;
    if (!isWin1252(passphrase))
        return Problem::PassphraseNotRepresentable;
    return Problem::None;
}

Result encryptText(CRijndael& cipher, const QString& windowsText, const CipherKey& key)
{
    const auto textBytes = toWin1252(windowsText);
    if (!textBytes || textBytes->contains('\0'))
        return {Status::TextNotRepresentable, {}};
    Bytes message(kRandomPrefix + static_cast<std::size_t>(textBytes->size()));
    randomBytes(message.data(), kRandomPrefix);
    std::copy(textBytes->cbegin(), textBytes->cend(), message.begin() + kRandomPrefix);
    QByteArray plain = *textBytes;
    secureZero(plain.data(), static_cast<std::size_t>(plain.size()));

    auto cipherText = cipher.EncryptData(message, key, false);
    secureZero(message);
    if (cipher.isCancelled() || !cipherText)
        return {Status::Cancelled, {}};
    return {Status::Ok, QString::fromLatin1(Base64Encode(*cipherText))};
}

Result decryptText(CRijndael& cipher, const QString& windowsBlock, const CipherKey& key)
{
    QString compact = windowsBlock;
    compact.remove(QLatin1Char(' '));
    Bytes input = Base64Decode(
        std::u16string_view(reinterpret_cast<const char16_t*>(compact.utf16()), std::size_t(compact.size())));
    auto plain = cipher.DecryptData(input, key);
    secureZero(input);
    if (cipher.isCancelled()) {
        if (plain)
            secureZero(*plain);
        return {Status::Cancelled, {}};
    }
    if (!plain || plain->empty())
        return {Status::NotWholeBlocks, {}};
    // The random prefix goes by position; the text ends at the first zero byte (the padding).
    const std::uint8_t* begin = plain->data() + std::min(kRandomPrefix, plain->size());
    const std::uint8_t* end =
        std::find(begin, static_cast<const std::uint8_t*>(plain->data() + plain->size()), std::uint8_t(0));
    QByteArray textBytes(reinterpret_cast<const char*>(begin), end - begin);
    Result result{Status::Ok, fromWin1252(textBytes)};
    secureZero(textBytes.data(), static_cast<std::size_t>(textBytes.size()));
    secureZero(*plain);
    return result;
}

} // namespace kuvo::textcrypt
