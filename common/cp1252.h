// Windows-1252 ("ANSI") conversion: the one codec the suite uses wherever text
// becomes bytes (passphrase keys, encrypted text, stored names, ml.ini).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kuvo::cp1252 {

using Bytes = std::vector<std::uint8_t>;

// The character a byte stands for. The five bytes Windows-1252 leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) give the C1 control of the same value.
char16_t decodeByte(std::uint8_t byte);

// The byte for a UTF-16 code unit, or nothing when Windows-1252 has none.
std::optional<std::uint8_t> encodeChar(char16_t ch);

bool canEncode(std::u16string_view text);

// One byte per character; nothing when any character cannot be represented
// (callers refuse such input rather than corrupt it).
std::optional<Bytes> encode(std::u16string_view text);

std::u16string decode(const std::uint8_t* data, std::size_t size);
inline std::u16string decode(const Bytes& bytes) { return decode(bytes.data(), bytes.size()); }

}  // namespace kuvo::cp1252
