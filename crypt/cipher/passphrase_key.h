// The rule that turns a typed passphrase into the 32-byte cipher key. There is
// no hashing: the key is the passphrase's own Windows-1252 bytes.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace kuvo {

using CipherKey = std::array<std::uint8_t, 32>;

// The first 32 characters, filled up to 32 with "A", one Windows-1252 byte
// each. nullopt when one of those characters has no Windows-1252 byte: such a
// passphrase must be refused, since no other program could reproduce its key.
// The caller wipes the key (kuvo::secureZero) when done with it.
std::optional<CipherKey> PassphraseToKey(std::u16string_view passphrase);

} // namespace kuvo
