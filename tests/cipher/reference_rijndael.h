// A deliberately plain Rijndael, written from the cipher's definition to check
// the table-driven one: a 4 x Nb byte state, SubBytes from an S-box computed by
// searching for inverses, byte-wise ShiftRow, MixColumn with xtime, the key
// expansion on byte columns, and the straightforward (not the equivalent)
// inverse cipher. Nothing here shares code or tables with the library.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace reference {

using Byte = std::uint8_t;

inline Byte xtime(Byte a)
{
    return Byte((a << 1) ^ ((a & 0x80) ? 0x1B : 0));
}

// Shift-and-add multiplication in GF(2^8).
inline Byte mul(Byte a, Byte b)
{
    Byte r = 0;
    while (b) {
        if (b & 1)
            r ^= a;
        a = xtime(a);
        b >>= 1;
    }
    return r;
}

struct Sboxes {
    std::array<Byte, 256> fwd{};
    std::array<Byte, 256> inv{};

    Sboxes()
    {
        for (int x = 0; x < 256; ++x) {
            Byte invx = 0;
            for (int y = 1; y < 256 && x != 0; ++y)
                if (mul(Byte(x), Byte(y)) == 1)
                    invx = Byte(y);
            // Affine map: bit i = b_i ^ b_(i+4) ^ b_(i+5) ^ b_(i+6) ^ b_(i+7) ^ c_i, c = 0x63.
            Byte s = 0;
            for (int i = 0; i < 8; ++i) {
                int bit = ((invx >> i) ^ (invx >> ((i + 4) % 8)) ^ (invx >> ((i + 5) % 8)) ^
                           (invx >> ((i + 6) % 8)) ^ (invx >> ((i + 7) % 8)) ^ (0x63 >> i)) &
                          1;
                s |= Byte(bit << i);
            }
            fwd[x] = s;
            inv[s] = Byte(x);
        }
    }
};

inline const Sboxes& sboxes()
{
    static const Sboxes s;
    return s;
}

class Rijndael {
public:
    Rijndael(int nb, int nk, const Byte* key) : nb_(nb), nk_(nk), nr_((nb > nk ? nb : nk) + 6)
    {
        const auto& S = sboxes().fwd;
        const int words = nb_ * (nr_ + 1);
        w_.assign(words, {});
        for (int i = 0; i < nk_; ++i)
            for (int r = 0; r < 4; ++r)
                w_[i][r] = key[4 * i + r];
        Byte rcon = 1;
        for (int i = nk_; i < words; ++i) {
            std::array<Byte, 4> t = w_[i - 1];
            if (i % nk_ == 0) {
                t = {Byte(S[t[1]] ^ rcon), S[t[2]], S[t[3]], S[t[0]]};
                rcon = xtime(rcon);
            } else if (nk_ > 6 && i % nk_ == 4) {
                for (auto& b : t)
                    b = S[b];
            }
            for (int r = 0; r < 4; ++r)
                w_[i][r] = w_[i - nk_][r] ^ t[r];
        }
    }

    int rounds() const { return nr_; }

    // Round-key word i with its first byte least significant.
    std::uint32_t word(int i) const
    {
        return std::uint32_t(w_[i][0]) | std::uint32_t(w_[i][1]) << 8 | std::uint32_t(w_[i][2]) << 16 |
               std::uint32_t(w_[i][3]) << 24;
    }
    int words() const { return int(w_.size()); }

    std::vector<Byte> encrypt(const std::vector<Byte>& in) const
    {
        State s = load(in);
        addRoundKey(s, 0);
        for (int round = 1; round <= nr_; ++round) {
            subBytes(s, sboxes().fwd);
            shiftRows(s, false);
            if (round != nr_)
                mixColumns(s, {2, 3, 1, 1});
            addRoundKey(s, round);
        }
        return store(s);
    }

    std::vector<Byte> decrypt(const std::vector<Byte>& in) const
    {
        State s = load(in);
        addRoundKey(s, nr_);
        for (int round = nr_ - 1; round >= 0; --round) {
            shiftRows(s, true);
            subBytes(s, sboxes().inv);
            addRoundKey(s, round);
            if (round != 0)
                mixColumns(s, {0x0E, 0x0B, 0x0D, 0x09});
        }
        return store(s);
    }

private:
    using State = std::array<std::array<Byte, 8>, 4>; // [row][column]

    State load(const std::vector<Byte>& in) const
    {
        State s{};
        for (int n = 0; n < 4 * nb_; ++n)
            s[n % 4][n / 4] = in[n];
        return s;
    }

    std::vector<Byte> store(const State& s) const
    {
        std::vector<Byte> out(4 * nb_);
        for (int n = 0; n < 4 * nb_; ++n)
            out[n] = s[n % 4][n / 4];
        return out;
    }

    void addRoundKey(State& s, int round) const
    {
        for (int c = 0; c < nb_; ++c)
            for (int r = 0; r < 4; ++r)
                s[r][c] ^= w_[round * nb_ + c][r];
    }

    void subBytes(State& s, const std::array<Byte, 256>& box) const
    {
        for (auto& row : s)
            for (int c = 0; c < nb_; ++c)
                row[c] = box[row[c]];
    }

    void shiftRows(State& s, bool inverse) const
    {
        // Row offsets from the definition: 1, 2, 3 for Nb = 4 and 6; 1, 3, 4 for Nb = 8.
        const int offsets[4] = {0, 1, nb_ == 8 ? 3 : 2, nb_ == 8 ? 4 : 3};
        for (int r = 1; r < 4; ++r) {
            std::array<Byte, 8> old = s[r];
            for (int c = 0; c < nb_; ++c) {
                int shift = inverse ? nb_ - offsets[r] : offsets[r];
                s[r][c] = old[(c + shift) % nb_];
            }
        }
    }

    // The circulant matrix whose first row is m.
    void mixColumns(State& s, std::array<Byte, 4> m) const
    {
        for (int c = 0; c < nb_; ++c) {
            Byte col[4] = {s[0][c], s[1][c], s[2][c], s[3][c]};
            for (int r = 0; r < 4; ++r) {
                Byte v = 0;
                for (int i = 0; i < 4; ++i)
                    v ^= mul(m[(i - r + 4) % 4], col[i]);
                s[r][c] = v;
            }
        }
    }

    int nb_;
    int nk_;
    int nr_;
    std::vector<std::array<Byte, 4>> w_;
};

} // namespace reference
