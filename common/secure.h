// Small helpers for secrets: wiping memory and drawing random bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kuvo {

// Overwrites memory in a way the optimiser may not drop.
void secureZero(void* data, std::size_t size);

template <typename Container>
void secureZero(Container& c)
{
    if (!c.empty())
        secureZero(c.data(), c.size() * sizeof(c[0]));
}

// Fills the buffer from the system's cryptographic generator (getrandom).
// Aborts the process if the generator fails: weak randomness is never used.
void randomBytes(void* data, std::size_t size);

}  // namespace kuvo
