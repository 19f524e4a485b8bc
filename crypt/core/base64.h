// The Base64 codec of the encrypted-text format: standard alphabet, "=" padding,
// lines of 76 characters joined by CR LF and no break after the last line.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kuvo {

inline constexpr std::size_t kBase64LineLength = 76;

// Length of Base64Encode's result for a number of input bytes (at least 1).
std::size_t Base64EncodedLength(std::size_t byteCount);

std::string Base64Encode(std::span<const std::uint8_t> bytes);

// Tolerant decoder: every CR LF pair and every "=" is dropped first; any other
// character outside the alphabet (a lone CR or LF among them) counts as the
// value 0 and so shifts everything after it. A last group of one character is
// ignored. Characters are UTF-16 code units; those above 255 count as 0 too.
std::vector<std::uint8_t> Base64Decode(std::u16string_view text);
std::vector<std::uint8_t> Base64Decode(std::string_view text);

} // namespace kuvo
