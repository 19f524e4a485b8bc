// Table-driven Rijndael: each output word of a middle round is four lookups in
// one round table (rotated into place) and the round key. The block size is a
// template parameter so the column loop unrolls and the state stays in
// registers; the hot loops use raw arrays only.
#include "crypt/cipher/block_engine.h"

#include <stdexcept>
#include <utility>

#if defined(__GNUC__)
#define KUVO_INLINE inline __attribute__((always_inline))
#else
#define KUVO_INLINE inline
#endif

namespace kuvo::rijndael {
namespace {

KUVO_INLINE std::uint32_t load32(const std::uint8_t* p)
{
    return PackWord(p[0], p[1], p[2], p[3]);
}

KUVO_INLINE void store32(std::uint32_t v, std::uint8_t* p)
{
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
    p[2] = std::uint8_t(v >> 16);
    p[3] = std::uint8_t(v >> 24);
}

template <int NB, bool Inverse> struct Cipher {
    // ShiftRow offsets of rows 1..3: 1, 2, 3 up to six columns, 1, 3, 4 for eight.
    static constexpr int C[4] = {0, 1, NB >= 8 ? 3 : 2, NB >= 8 ? 4 : 3};

    // The column whose row r byte lands in column j after ShiftRow.
    static constexpr int source(int j, int r) { return Inverse ? (NB + j - C[r]) % NB : (j + C[r]) % NB; }

    template <std::size_t... J>
    static KUVO_INLINE void middleRound(const std::uint32_t* T, const std::uint32_t* rk,
                                        const std::uint32_t* x, std::uint32_t* y, std::index_sequence<J...>)
    {
        ((y[J] = rk[J] ^ T[x[J] & 0xFF] ^ RotateLeft32(T[(x[source(J, 1)] >> 8) & 0xFF], 8) ^
                 RotateLeft32(T[(x[source(J, 2)] >> 16) & 0xFF], 16) ^
                 RotateLeft32(T[x[source(J, 3)] >> 24], 24)),
         ...);
    }

    template <std::size_t... J>
    static KUVO_INLINE void finalRound(const std::uint8_t* S, const std::uint32_t* rk, const std::uint32_t* x,
                                       std::uint32_t* y, std::index_sequence<J...>)
    {
        ((y[J] = rk[J] ^ std::uint32_t(S[x[J] & 0xFF]) ^
                 std::uint32_t(S[(x[source(J, 1)] >> 8) & 0xFF]) << 8 ^
                 std::uint32_t(S[(x[source(J, 2)] >> 16) & 0xFF]) << 16 ^
                 std::uint32_t(S[x[source(J, 3)] >> 24]) << 24),
         ...);
    }

    // The rounds after the initial key addition, on the state s in place.
    static KUVO_INLINE void rounds(const Tables& t, const KeySchedule& k, std::uint32_t* s)
    {
        constexpr auto cols = std::make_index_sequence<NB>{};
        const std::uint32_t* T = Inverse ? t.RoundTableInverse : t.RoundTableForward;
        const std::uint8_t* S = Inverse ? t.SboxInverse : t.SboxForward;
        const std::uint32_t* rk = (Inverse ? k.RoundKeysInverse : k.RoundKeysForward) + NB;
        std::uint32_t y[NB];
        // Nr is 10, 12 or 14, so the middle rounds are an odd count: one, then pairs.
        middleRound(T, rk, s, y, cols);
        rk += NB;
        for (int r = 2; r < k.RoundCount; r += 2) {
            middleRound(T, rk, y, s, cols);
            middleRound(T, rk + NB, s, y, cols);
            rk += 2 * NB;
        }
        finalRound(S, rk, y, s, cols);
    }

    static KUVO_INLINE void addKey(const KeySchedule& k, const std::uint8_t* in, std::uint32_t* s)
    {
        const std::uint32_t* rk = Inverse ? k.RoundKeysInverse : k.RoundKeysForward;
        for (int i = 0; i < NB; ++i)
            s[i] = load32(in + 4 * i) ^ rk[i];
    }

    static void block(const Tables& t, const KeySchedule& k, const std::uint8_t* in, std::uint8_t* out)
    {
        std::uint32_t s[NB];
        addKey(k, in, s);
        rounds(t, k, s);
        for (int i = 0; i < NB; ++i)
            store32(s[i], out + 4 * i);
    }
};

template <int NB>
void encryptBlock(const Tables& t, const KeySchedule& k, const std::uint8_t* in, std::uint8_t* out)
{
    Cipher<NB, false>::block(t, k, in, out);
}

template <int NB>
void decryptBlock(const Tables& t, const KeySchedule& k, const std::uint8_t* in, std::uint8_t* out)
{
    Cipher<NB, true>::block(t, k, in, out);
}

template <int NB>
void encryptCbc(const Tables& t, const KeySchedule& k, std::uint8_t* chain, const std::uint8_t* in,
                std::uint8_t* out, std::size_t blocks)
{
    using C = Cipher<NB, false>;
    const std::uint32_t* rk = k.RoundKeysForward;
    std::uint32_t s[NB];
    for (int i = 0; i < NB; ++i)
        s[i] = load32(chain + 4 * i);
    for (std::size_t b = 0; b < blocks; ++b, in += 4 * NB, out += 4 * NB) {
        for (int i = 0; i < NB; ++i)
            s[i] ^= load32(in + 4 * i) ^ rk[i];
        C::rounds(t, k, s);
        for (int i = 0; i < NB; ++i)
            store32(s[i], out + 4 * i);
    }
    for (int i = 0; i < NB; ++i)
        store32(s[i], chain + 4 * i);
}

template <int NB>
void decryptCbc(const Tables& t, const KeySchedule& k, std::uint8_t* chain, const std::uint8_t* in,
                std::uint8_t* out, std::size_t blocks)
{
    using C = Cipher<NB, true>;
    std::uint32_t prev[NB];
    for (int i = 0; i < NB; ++i)
        prev[i] = load32(chain + 4 * i);
    for (std::size_t b = 0; b < blocks; ++b, in += 4 * NB, out += 4 * NB) {
        std::uint32_t s[NB];
        C::addKey(k, in, s);
        C::rounds(t, k, s);
        for (int i = 0; i < NB; ++i) {
            store32(s[i] ^ prev[i], out + 4 * i);
            prev[i] = load32(in + 4 * i);
        }
    }
    for (int i = 0; i < NB; ++i)
        store32(prev[i], chain + 4 * i);
}

template <int NB>
constexpr BlockEngine kPortable = {"portable", encryptBlock<NB>, decryptBlock<NB>, encryptCbc<NB>,
                                   decryptCbc<NB>};

} // namespace

const BlockEngine& portableEngine(int nb)
{
    switch (nb) {
    case 4:
        return kPortable<4>;
    case 6:
        return kPortable<6>;
    case 8:
        return kPortable<8>;
    }
    throw std::invalid_argument("Rijndael block size must be 4, 6 or 8 words");
}

const BlockEngine& selectEngine(int nb)
{
    return portableEngine(nb);
}

} // namespace kuvo::rijndael
