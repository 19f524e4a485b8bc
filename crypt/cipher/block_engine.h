// The seam between CRijndael and the code that transforms blocks. gkey picks an
// engine for the block size (and, once there is more than one, for what the
// processor offers); everything above talks only to the engine.
#pragma once

#include "crypt/cipher/rijndael.h"

#include <cstddef>
#include <cstdint>

namespace kuvo::rijndael {

struct BlockEngine {
    const char* name;
    // One block of 4*Nb bytes; in and out may be the same memory.
    void (*encrypt)(const Tables&, const KeySchedule&, const std::uint8_t* in, std::uint8_t* out);
    void (*decrypt)(const Tables&, const KeySchedule&, const std::uint8_t* in, std::uint8_t* out);
    // CBC over whole blocks. chain holds the previous ciphertext block on entry
    // and the last ciphertext block on return. in and out must not overlap.
    void (*encryptCbc)(const Tables&, const KeySchedule&, std::uint8_t* chain, const std::uint8_t* in,
                       std::uint8_t* out, std::size_t blocks);
    void (*decryptCbc)(const Tables&, const KeySchedule&, std::uint8_t* chain, const std::uint8_t* in,
                       std::uint8_t* out, std::size_t blocks);
};

// The table-driven engine, for nb = 4, 6 or 8.
const BlockEngine& portableEngine(int nb);

// The engine gkey installs for a block of nb words.
const BlockEngine& selectEngine(int nb);

} // namespace kuvo::rijndael
