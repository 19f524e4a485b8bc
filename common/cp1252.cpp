#include "cp1252.h"

#include <array>

namespace kuvo::cp1252 {
namespace {

// 0x80..0x9F; the rest of the code page equals Latin-1.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

char16_t decodeByte(std::uint8_t byte)
{
    if (byte >= 0x80 && byte <= 0x9F)
        return kHigh[byte - 0x80];
    return byte;
}

std::optional<std::uint8_t> encodeChar(char16_t ch)
{
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF))
        return static_cast<std::uint8_t>(ch);
    for (std::size_t i = 0; i < kHigh.size(); ++i)
        if (kHigh[i] == ch)
            return static_cast<std::uint8_t>(0x80 + i);
    return std::nullopt;
}

bool canEncode(std::u16string_view text)
{
    for (char16_t ch : text)
        if (!encodeChar(ch))
            return false;
    return true;
}

std::optional<Bytes> encode(std::u16string_view text)
{
    Bytes out;
    out.reserve(text.size());
    for (char16_t ch : text) {
        auto b = encodeChar(ch);
        if (!b)
            return std::nullopt;
        out.push_back(*b);
    }
    return out;
}

std::u16string decode(const std::uint8_t* data, std::size_t size)
{
    std::u16string out;
    out.reserve(size);
    for (std::size_t i = 0; i < size; ++i)
        out.push_back(decodeByte(data[i]));
    return out;
}

}  // namespace kuvo::cp1252
