#include "qtcodec.h"

#include "cp1252.h"

namespace kuvo {

static std::u16string_view view(const QString& text)
{
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

std::optional<QByteArray> toWin1252(const QString& text)
{
    QByteArray out(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        auto b = cp1252::encodeChar(text.at(i).unicode());
        if (!b)
            return std::nullopt;
        out[i] = static_cast<char>(*b);
    }
    return out;
}

QString fromWin1252(const QByteArray& bytes)
{
    auto u = cp1252::decode(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                            static_cast<std::size_t>(bytes.size()));
    return QString::fromUtf16(u.data(), static_cast<qsizetype>(u.size()));
}

bool isWin1252(const QString& text)
{
    return cp1252::canEncode(view(text));
}

}  // namespace kuvo
