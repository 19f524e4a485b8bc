#include "base64.h"

#include <array>

namespace kuvo {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::array<std::uint8_t, 256> makeValues()
{
    std::array<std::uint8_t, 256> values{};
    for (std::uint8_t i = 0; i < 64; ++i)
        values[static_cast<unsigned char>(kAlphabet[i])] = i;
    return values;
}

constexpr std::array<std::uint8_t, 256> kValues = makeValues();

template <typename Char> std::vector<std::uint8_t> decode(std::basic_string_view<Char> text)
{
    // CR LF pairs first, then every "=": "\r=\n" so leaves a CR LF behind that counts.
    std::basic_string<Char> noBreaks;
    noBreaks.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == Char('\r') && i + 1 < text.size() && text[i + 1] == Char('\n')) {
            ++i;
            continue;
        }
        noBreaks.push_back(text[i]);
    }
    std::vector<std::uint8_t> values;
    values.reserve(noBreaks.size());
    for (Char c : noBreaks) {
        if (c == Char('='))
            continue;
        const auto code = static_cast<std::make_unsigned_t<Char>>(c);
        values.push_back(code < 256 ? kValues[code] : 0);
    }

    const std::size_t n = values.size();
    std::vector<std::uint8_t> out;
    out.reserve(3 * (n / 4) + 2);
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        const unsigned s0 = values[i], s1 = values[i + 1], s2 = values[i + 2], s3 = values[i + 3];
        out.push_back(std::uint8_t(s0 * 4 + s1 / 16));
        out.push_back(std::uint8_t((s1 % 16) * 16 + s2 / 4));
        out.push_back(std::uint8_t((s2 % 4) * 64 + s3));
    }
    const std::size_t rest = n - i;
    if (rest >= 2)
        out.push_back(std::uint8_t(values[i] * 4 + values[i + 1] / 16));
    if (rest == 3)
        out.push_back(std::uint8_t((values[i + 1] % 16) * 16 + values[i + 2] / 4));
    return out;
}

} // namespace

std::size_t Base64EncodedLength(std::size_t byteCount)
{
    std::size_t m = 4 * (byteCount / 3) + (byteCount % 3 ? 4 : 0);
    if (m == 0)
        return 0;
    return m + 2 * ((m - 1) / kBase64LineLength);
}

std::string Base64Encode(std::span<const std::uint8_t> bytes)
{
    const std::size_t total = Base64EncodedLength(bytes.size());
    std::string out;
    out.reserve(total);
    std::size_t onLine = 0;
    auto put = [&](unsigned value) {
        out.push_back(kAlphabet[value & 63]);
        // A break only between lines, never after the last one.
        if (++onLine == kBase64LineLength && out.size() < total) {
            out += "\r\n";
            onLine = 0;
        }
    };
    const std::size_t whole = bytes.size() - bytes.size() % 3;
    for (std::size_t i = 0; i < whole; i += 3) {
        const unsigned b0 = bytes[i], b1 = bytes[i + 1], b2 = bytes[i + 2];
        put(b0 / 4);
        put((b0 % 4) * 16 + b1 / 16);
        put((b1 % 16) * 4 + b2 / 64);
        put(b2 % 64);
    }
    if (bytes.size() % 3 == 1) {
        const unsigned b0 = bytes[whole];
        put(b0 / 4);
        put((b0 % 4) * 16);
        out += "==";
    } else if (bytes.size() % 3 == 2) {
        const unsigned b0 = bytes[whole], b1 = bytes[whole + 1];
        put(b0 / 4);
        put((b0 % 4) * 16 + b1 / 16);
        put((b1 % 16) * 4);
        out += "=";
    }
    return out;
}

std::vector<std::uint8_t> Base64Decode(std::u16string_view text)
{
    return decode(text);
}

std::vector<std::uint8_t> Base64Decode(std::string_view text)
{
    return decode(text);
}

} // namespace kuvo
