#include "crypt/cipher/rijndael.h"

#include "common/secure.h"
#include "crypt/cipher/block_engine.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace kuvo {

using namespace rijndael;

namespace {

// InvMixColumn coefficients, least significant byte first.
constexpr std::uint8_t InvMixCoefficients[4] = {0x0B, 0x0D, 0x09, 0x0E};

constexpr std::size_t kBlock = CRijndael::BlockSize;

bool validWords(int n)
{
    return n == 4 || n == 6 || n == 8;
}

} // namespace

CRijndael::CRijndael() = default;

CRijndael::~CRijndael()
{
    secureZero(&key_, sizeof key_);
    secureZero(encryptChain_);
    secureZero(decryptChain_);
}

// ---------------------------------------------------------------------------
// Field arithmetic and tables

std::uint8_t CRijndael::GfMultiply(std::uint8_t x, std::uint8_t y) const
{
    if (x == 0 || y == 0)
        return 0;
    return tables_.ExpTable[(tables_.LogTable[x] + tables_.LogTable[y]) % 255];
}

std::uint8_t CRijndael::SboxValue(std::uint8_t x) const
{
    // Multiplicative inverse, then the affine transform.
    std::uint8_t y = tables_.ExpTable[255 - tables_.LogTable[x]];
    std::uint8_t r = y;
    for (int i = 0; i < 4; ++i) {
        r = std::uint8_t((r << 1) | (r >> 7));
        y ^= r;
    }
    return y ^ 0x63;
}

void CRijndael::gentables()
{
    Tables& t = tables_;
    t.LogTable[0] = 0;
    t.ExpTable[0] = 1;
    t.LogTable[1] = 0;
    t.ExpTable[1] = 3;
    t.LogTable[3] = 1;
    for (int i = 2; i < 256; ++i) {
        t.ExpTable[i] = t.ExpTable[i - 1] ^ GfDouble(t.ExpTable[i - 1]);
        t.LogTable[t.ExpTable[i]] = std::uint8_t(i);
    }

    t.SboxForward[0] = 0x63;
    t.SboxInverse[0x63] = 0;
    for (int i = 1; i < 256; ++i) {
        std::uint8_t y = SboxValue(std::uint8_t(i));
        t.SboxForward[i] = y;
        t.SboxInverse[y] = std::uint8_t(i);
    }

    std::uint8_t rc = 1;
    for (auto& c : t.RoundConstants) {
        c = rc;
        rc = GfDouble(rc);
    }

    for (int i = 0; i < 256; ++i) {
        std::uint8_t s = t.SboxForward[i];
        std::uint8_t s2 = GfDouble(s);
        t.RoundTableForward[i] = PackWord(s2, s, s, std::uint8_t(s ^ s2));
        s = t.SboxInverse[i];
        t.RoundTableInverse[i] =
            PackWord(GfMultiply(InvMixCoefficients[3], s), GfMultiply(InvMixCoefficients[2], s),
                     GfMultiply(InvMixCoefficients[1], s), GfMultiply(InvMixCoefficients[0], s));
    }
    tablesReady_ = true;
}

void CRijndael::ensureTables()
{
    // The tables are the same for every key; build them once per object.
    if (!tablesReady_)
        gentables();
}

// ---------------------------------------------------------------------------
// Key schedule

std::uint32_t CRijndael::SubstituteWord(std::uint32_t w) const
{
    const std::uint8_t* S = tables_.SboxForward;
    return PackWord(S[w & 0xFF], S[(w >> 8) & 0xFF], S[(w >> 16) & 0xFF], S[w >> 24]);
}

std::uint8_t CRijndael::ColumnProduct(std::uint32_t x, std::uint32_t y) const
{
    std::uint8_t r = 0;
    for (int i = 0; i < 4; ++i)
        r ^= GfMultiply(std::uint8_t(x >> (8 * i)), std::uint8_t(y >> (8 * i)));
    return r;
}

std::uint32_t CRijndael::InverseMixColumn(std::uint32_t x) const
{
    std::uint32_t m =
        PackWord(InvMixCoefficients[0], InvMixCoefficients[1], InvMixCoefficients[2], InvMixCoefficients[3]);
    std::uint8_t out[4];
    for (int row = 3; row >= 0; --row) {
        out[row] = ColumnProduct(m, x);
        m = RotateLeft32(m, 24);
    }
    return PackWord(out[0], out[1], out[2], out[3]);
}

void CRijndael::gkey(int nb, int nk, ByteView key)
{
    if (!validWords(nb) || !validWords(nk))
        throw std::invalid_argument("Rijndael block and key sizes must be 4, 6 or 8 words");
    if (key.size() < std::size_t(4 * nk))
        throw std::out_of_range("Rijndael key is shorter than its stated size");
    if (!tablesReady_)
        throw std::logic_error("gentables must run before gkey");

    clearKey();
    KeySchedule& k = key_;
    k.BlockWords = nb;
    k.KeyWords = nk;
    k.RoundCount = std::max(nb, nk) + 6;
    const int N = nb * (k.RoundCount + 1);
    std::uint32_t* w = k.RoundKeysForward;

    for (int i = 0; i < nk; ++i)
        w[i] = PackWord(key[4 * i], key[4 * i + 1], key[4 * i + 2], key[4 * i + 3]);

    for (int j = nk, rc = 0; j < N; j += nk, ++rc) {
        // RotWord is a rotation by 24 in this byte order; the constant lands in byte 0.
        w[j] = w[j - nk] ^ SubstituteWord(RotateLeft32(w[j - 1], 24)) ^ tables_.RoundConstants[rc];
        for (int i = 1; i < nk && i + j < N; ++i) {
            if (nk > 6 && i == 4)
                w[j + 4] = w[j + 4 - nk] ^ SubstituteWord(w[j + 3]);
            else
                w[i + j] = w[i + j - nk] ^ w[i + j - 1];
        }
    }

    // The equivalent inverse cipher runs the rounds backwards with
    // InvMixColumn folded into every middle round key.
    std::uint32_t* inv = k.RoundKeysInverse;
    for (int j = 0; j < nb; ++j)
        inv[N - nb + j] = w[j];
    for (int i = nb; i < N - nb; i += nb)
        for (int j = 0; j < nb; ++j)
            inv[N - nb - i + j] = InverseMixColumn(w[i + j]);
    for (int j = N - nb; j < N; ++j)
        inv[j - N + nb] = w[j];

    engine_ = &selectEngine(nb);
}

void CRijndael::clearKey()
{
    engine_ = nullptr;
    secureZero(&key_, sizeof key_);
}

void CRijndael::requireKey() const
{
    if (!engine_)
        throw std::logic_error("no Rijndael key has been set up");
}

void CRijndael::Encrypt(std::span<std::uint8_t> buff) const
{
    requireKey();
    if (buff.size() < std::size_t(4 * key_.BlockWords))
        throw std::out_of_range("Rijndael block buffer is too short");
    engine_->encrypt(tables_, key_, buff.data(), buff.data());
}

void CRijndael::Decrypt(std::span<std::uint8_t> buff) const
{
    requireKey();
    if (buff.size() < std::size_t(4 * key_.BlockWords))
        throw std::out_of_range("Rijndael block buffer is too short");
    engine_->decrypt(tables_, key_, buff.data(), buff.data());
}

// ---------------------------------------------------------------------------
// Byte interface

void CRijndael::setKeyFromPassword(ByteView password)
{
    std::uint8_t key[KeySize] = {};
    std::memcpy(key, password.data(), std::min(password.size(), KeySize));
    ensureTables();
    gkey(8, 8, key);
    secureZero(key, sizeof key);
}

bool CRijndael::yieldAndCheckCancel()
{
    if (observer_)
        observer_->yieldNow();
    return doCancel.load();
}

std::optional<Bytes> CRijndael::EncryptData(ByteView bytMessage, ByteView bytPassword, bool notfromMain)
{
    if (bytMessage.empty() || bytPassword.empty())
        return std::nullopt;
    setKeyFromPassword(bytPassword);

    const std::size_t L = bytMessage.size();
    const std::size_t B = (L + kBlock - 1) / kBlock;
    const std::size_t lastBytes = L - (B - 1) * kBlock;
    Bytes out(B * kBlock);
    CipherObserver* progress = notfromMain ? nullptr : observer_;
    if (progress) {
        progress->progressRange(0.0f, float(B + 1));
        progress->progressValue(0.0f);
    }

    std::uint8_t chain[kBlock] = {};
    std::uint8_t buffer[kBlock];
    const std::uint8_t* msg = bytMessage.data();
    std::uint8_t* dst = out.data();
    for (std::size_t b = 0; b < B; ++b) {
        if (b == B - 1) {
            std::memset(buffer, 0, kBlock);
            std::memcpy(buffer, msg + b * kBlock, lastBytes);
        } else {
            std::memcpy(buffer, msg + b * kBlock, kBlock);
        }
        engine_->encryptCbc(tables_, key_, chain, buffer, dst + b * kBlock, 1);
        if (progress)
            progress->progressValue(float(b));
        if (yieldAndCheckCancel()) {
            secureZero(buffer, sizeof buffer);
            return out;
        }
    }
    secureZero(buffer, sizeof buffer);
    if (progress)
        progress->progressValue(float(B + 1));
    return out;
}

std::optional<Bytes> CRijndael::DecryptData(ByteView bytIn, ByteView bytPassword)
{
    if (bytIn.empty() || bytPassword.empty())
        return std::nullopt;
    const std::size_t L = bytIn.size();
    if (L % kBlock != 0)
        return std::nullopt;
    setKeyFromPassword(bytPassword);

    const std::size_t B = L / kBlock;
    Bytes out(L);
    if (observer_) {
        observer_->progressRange(0.0f, float(B + 1));
        observer_->progressValue(0.0f);
    }
    std::uint8_t chain[kBlock] = {};
    for (std::size_t b = 0; b < B; ++b) {
        engine_->decryptCbc(tables_, key_, chain, bytIn.data() + b * kBlock, out.data() + b * kBlock, 1);
        if (observer_)
            observer_->progressValue(float(b));
        if (yieldAndCheckCancel())
            return out;
    }
    if (observer_)
        observer_->progressValue(float(B + 1));
    return out;
}

bool CRijndael::EncryptPrepareKey(ByteView bytKey)
{
    if (bytKey.size() < KeySize) {
        // Never leave an older key in place behind a failed setup.
        clearKey();
        return false;
    }
    ensureTables();
    gkey(8, 8, bytKey.first(KeySize));
    return true;
}

std::optional<Bytes> CRijndael::EncryptDo(ByteView bytMessage, bool useIV)
{
    if (bytMessage.empty())
        return std::nullopt;
    requireKey();

    const std::size_t L = bytMessage.size();
    const std::size_t B = (L + kBlock - 1) / kBlock;
    const std::size_t fullBlocks = L / kBlock;
    Bytes out(B * kBlock);
    std::uint8_t chain[kBlock] = {};
    if (useIV)
        std::memcpy(chain, encryptChain_.data(), kBlock);

    const std::uint8_t* msg = bytMessage.data();
    std::uint8_t* dst = out.data();
    // Blocks run in stretches that end on a yield point: [0], [1, 500], [501, 1000], ...
    for (std::size_t from = 0; from < B;) {
        const std::size_t to = std::min(B, from == 0 ? std::size_t(1) : from + YieldInterval);
        const std::size_t wholeTo = std::min(to, fullBlocks);
        if (wholeTo > from)
            engine_->encryptCbc(tables_, key_, chain, msg + from * kBlock, dst + from * kBlock,
                                wholeTo - from);
        if (to > wholeTo) {
            std::uint8_t last[kBlock] = {};
            std::memcpy(last, msg + fullBlocks * kBlock, L - fullBlocks * kBlock);
            engine_->encryptCbc(tables_, key_, chain, last, dst + fullBlocks * kBlock, 1);
            secureZero(last, sizeof last);
        }
        if ((to - 1) % YieldInterval == 0 && yieldAndCheckCancel())
            return std::nullopt;
        from = to;
    }
    std::memcpy(encryptChain_.data(), chain, kBlock);
    return out;
}

std::optional<Bytes> CRijndael::DecryptDo(ByteView bytIn, bool useIV)
{
    if (bytIn.empty())
        return std::nullopt;
    const std::size_t L = bytIn.size();
    if (L % kBlock != 0) {
        doCancel.store(true);
        return std::nullopt;
    }
    requireKey();

    const std::size_t B = L / kBlock;
    Bytes out(L);
    std::uint8_t chain[kBlock] = {};
    if (useIV)
        std::memcpy(chain, decryptChain_.data(), kBlock);

    for (std::size_t from = 0; from < B;) {
        const std::size_t to = std::min(B, from == 0 ? std::size_t(1) : from + YieldInterval);
        engine_->decryptCbc(tables_, key_, chain, bytIn.data() + from * kBlock, out.data() + from * kBlock,
                            to - from);
        if ((to - 1) % YieldInterval == 0 && yieldAndCheckCancel()) {
            secureZero(out);
            return std::nullopt;
        }
        from = to;
    }
    std::memcpy(decryptChain_.data(), chain, kBlock);
    return out;
}

} // namespace kuvo
