#include "stored_name.h"

#include "common/qtcodec.h"

namespace kuvo {

namespace {

// Length of the UTF-8 sequence starting at bytes[i], 0 when it is not a
// valid one (overlong forms, surrogates and values past U+10FFFF are invalid).
int utf8SequenceLength(const QByteArray& bytes, qsizetype i)
{
    const auto at = [&](qsizetype k) { return std::uint8_t(bytes[k]); };
    const std::uint8_t b0 = at(i);
    if (b0 < 0x80)
        return 1;
    int length = 0;
    std::uint32_t cp = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
        cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        cp = b0 & 0x0F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        cp = b0 & 0x07;
    } else {
        return 0;
    }
    if (i + length > bytes.size())
        return 0;
    for (int k = 1; k < length; ++k) {
        const std::uint8_t b = at(i + k);
        if ((b & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if ((length == 3 && cp < 0x800) || (length == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return length;
}

QByteArray cutUtf8(const QByteArray& utf8, int maxBytes)
{
    if (utf8.size() <= maxBytes)
        return utf8;
    qsizetype end = maxBytes;
    // Step back over continuation bytes to the start of the cut character.
    while (end > 0 && (std::uint8_t(utf8[end]) & 0xC0) == 0x80)
        --end;
    return utf8.left(end);
}

QString bareName(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace

bool IsMultiByteUtf8(const QByteArray& bytes)
{
    bool multiByte = false;
    for (qsizetype i = 0; i < bytes.size();) {
        const int length = utf8SequenceLength(bytes, i);
        if (length == 0)
            return false;
        multiByte = multiByte || length > 1;
        i += length;
    }
    return multiByte;
}

QString DecodeStoredName(const QByteArray& bytes)
{
    return IsMultiByteUtf8(bytes) ? QString::fromUtf8(bytes) : fromWin1252(bytes);
}

QByteArray EncodeStoredName(const QString& name, int maxBytes)
{
    if (const auto ansi = toWin1252(name)) {
        const QByteArray cut = ansi->left(maxBytes);
        // Some Windows-1252 names look like UTF-8 ("Ã©"); those go as UTF-8.
        if (!IsMultiByteUtf8(cut))
            return cut;
    }
    return cutUtf8(name.toUtf8(), maxBytes);
}

StoredNameResult MakeStoredName(const QString& entryPath, const QString& directoryRoot)
{
    QString name = bareName(entryPath);
    if (!directoryRoot.isEmpty() && entryPath.startsWith(directoryRoot) &&
        entryPath.size() > directoryRoot.size()) {
        const QString relative = entryPath.mid(directoryRoot.size());
        if (EncodeStoredName(relative, 4 * kMaxStoredNameBytes + 4).size() <= kMaxStoredNameBytes)
            name = relative;
    }
    StoredNameResult result;
    if (name.contains(QLatin1Char('\\'))) {
        result.hasBackslash = true;
        return result;
    }
    name.replace(QLatin1Char('/'), QLatin1Char('\\'));
    result.bytes = EncodeStoredName(name);
    return result;
}

std::optional<QStringList> SafeStoredLevels(const QString& storedName)
{
    const QStringList levels = storedName.split(QLatin1Char('\\'));
    for (const QString& level : levels) {
        if (level.isEmpty() || level == QLatin1String(".") || level == QLatin1String("..") ||
            level.contains(QLatin1Char('/')) || level.contains(QChar(0)))
            return std::nullopt;
    }
    const QString& first = levels.first();
    const char16_t drive = first.size() >= 2 ? first[0].toLower().unicode() : u'\0';
    if (drive >= u'a' && drive <= u'z' && first[1] == QLatin1Char(':'))
        return std::nullopt;
    return levels;
}

} // namespace kuvo
