#include "crypt/cipher/passphrase_key.h"

#include "common/cp1252.h"
#include "common/secure.h"

#include <algorithm>

namespace kuvo {

std::optional<CipherKey> PassphraseToKey(std::u16string_view passphrase)
{
    // Built in place in the result and encoded character by character, so
    // that no copy of the secret is left behind on the stack or the heap.
    std::optional<CipherKey> key(std::in_place);
    key->fill('A');
    const std::size_t n = std::min(passphrase.size(), key->size());
    for (std::size_t i = 0; i < n; ++i) {
        auto byte = cp1252::encodeChar(passphrase[i]);
        if (!byte) {
            secureZero(*key);
            key.reset();
            return key;
        }
        (*key)[i] = *byte;
    }
    return key;
}

} // namespace kuvo
