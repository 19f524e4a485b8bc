// CRijndael: the Rijndael block cipher (blocks and keys of 128, 192 or 256 bits)
// and the byte interface Crypt encrypts with: Rijndael-256 in CBC over 32-byte
// blocks, zero padding, no stored length, an all-zero initialisation vector.
//
// Plain C++ with no user-interface dependency: progress and the chance to
// process pending events reach the caller through CipherObserver.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace kuvo {

using Bytes = std::vector<std::uint8_t>;
using ByteView = std::span<const std::uint8_t>;

// Supplied by whoever runs a long operation. yieldNow() is where a window
// processes its pending events (a Cancel click among them); a caller that runs
// the cipher on a worker thread may leave it empty and set doCancel from its
// own thread instead.
class CipherObserver {
public:
    virtual ~CipherObserver() = default;
    virtual void progressRange(float minimum, float maximum) = 0;
    virtual void progressValue(float value) = 0;
    virtual void yieldNow() = 0;
};

namespace rijndael {

inline constexpr int MaxBlockWords = 8;
inline constexpr int MaxRoundKeyWords = 120; // Nb * (Nr + 1) for Nb = Nk = 8

// The arithmetic tables, generated from the field arithmetic by gentables().
struct Tables {
    std::uint8_t ExpTable[256]; // powers of 0x03 in GF(2^8)
    std::uint8_t LogTable[256]; // discrete logarithm to base 0x03
    std::uint8_t SboxForward[256];
    std::uint8_t SboxInverse[256];
    std::uint32_t RoundTableForward[256]; // SubBytes and MixColumn in one
    std::uint32_t RoundTableInverse[256]; // InvSubBytes and InvMixColumn in one
    std::uint8_t RoundConstants[30];
};

// The expanded key as gkey() leaves it.
struct KeySchedule {
    int BlockWords = 0;
    int KeyWords = 0;
    int RoundCount = 0;
    std::uint32_t RoundKeysForward[MaxRoundKeyWords];
    // Round keys of the equivalent inverse cipher (InverseMixColumn applied).
    std::uint32_t RoundKeysInverse[MaxRoundKeyWords];
};

struct BlockEngine;

// Words pack their bytes least significant first, for blocks, keys and tables.
constexpr std::uint32_t PackWord(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3)
{
    return std::uint32_t(b0) | std::uint32_t(b1) << 8 | std::uint32_t(b2) << 16 | std::uint32_t(b3) << 24;
}

constexpr std::uint32_t RotateLeft32(std::uint32_t v, int s)
{
    return (v << (s & 31)) | (v >> ((32 - s) & 31));
}

// Multiplication by 0x02 in GF(2^8) modulo x^8 + x^4 + x^3 + x + 1.
constexpr std::uint8_t GfDouble(std::uint8_t v)
{
    return std::uint8_t((v << 1) ^ ((v & 0x80) ? 0x1B : 0x00));
}

} // namespace rijndael

class CRijndael {
public:
    static constexpr std::size_t BlockSize = 32;
    static constexpr std::size_t KeySize = 32;
    // The piecewise calls look for a cancel request every this many blocks.
    static constexpr std::size_t YieldInterval = 500;

    CRijndael();
    ~CRijndael();
    CRijndael(const CRijndael&) = delete;
    CRijndael& operator=(const CRijndael&) = delete;

    // Not owned; may be null. Only the whole-message calls report progress.
    void setObserver(CipherObserver* observer) { observer_ = observer; }

    // --- Block level -------------------------------------------------------
    // Misuse throws: std::invalid_argument for block or key sizes other than
    // 4, 6 or 8 words, std::out_of_range for a key or buffer that is too short,
    // std::logic_error for a call out of order.

    void gentables();
    void gkey(int nb, int nk, ByteView key);
    // Transform bytes 0 .. 4*Nb-1 of buff in place; later bytes are not touched.
    void Encrypt(std::span<std::uint8_t> buff) const;
    void Decrypt(std::span<std::uint8_t> buff) const;

    // --- Byte interface (always Nb = Nk = 8) -------------------------------
    // An empty input stands for an array without bounds. nullopt is the
    // unallocated result; an allocated result always has a length that is a
    // multiple of 32.

    // Whole message under a password cut or zero-filled to 32 bytes. Yields
    // after every block and reports progress unless notfromMain. On cancel
    // the blocks done so far are returned, the rest left zero.
    std::optional<Bytes> EncryptData(ByteView bytMessage, ByteView bytPassword, bool notfromMain = false);
    // nullopt (doCancel untouched) when the input length is not a multiple of 32.
    std::optional<Bytes> DecryptData(ByteView bytIn, ByteView bytPassword);

    // Key for the piecewise calls; false (and no key) when bytKey is empty or
    // shorter than 32 bytes. Bytes past the 32nd are ignored.
    bool EncryptPrepareKey(ByteView bytKey);
    // One piece of a CBC stream; with useIV the chain of the previous piece
    // continues. Yields at blocks 0, 500, 1000, ...; on cancel returns
    // nullopt and leaves the chain as it was.
    std::optional<Bytes> EncryptDo(ByteView bytMessage, bool useIV);
    // A length that is not a multiple of 32 sets doCancel and returns nullopt.
    std::optional<Bytes> DecryptDo(ByteView bytIn, bool useIV);

    // Cancel request. May be set from any thread; the class never clears it.
    std::atomic<bool> doCancel{false};
    void cancel() { doCancel.store(true); }
    bool isCancelled() const { return doCancel.load(); }

    // --- Inspection ---------------------------------------------------------
    const rijndael::Tables& tables() const { return tables_; }
    const rijndael::KeySchedule& keySchedule() const { return key_; }
    bool hasKey() const { return engine_ != nullptr; }
    std::uint8_t GfMultiply(std::uint8_t x, std::uint8_t y) const;
    const std::array<std::uint8_t, BlockSize>& EncryptChain() const { return encryptChain_; }
    const std::array<std::uint8_t, BlockSize>& DecryptChain() const { return decryptChain_; }

private:
    void ensureTables();
    void setKeyFromPassword(ByteView password);
    void clearKey();
    void requireKey() const;
    bool yieldAndCheckCancel();

    std::uint8_t SboxValue(std::uint8_t x) const;
    std::uint32_t SubstituteWord(std::uint32_t w) const;
    std::uint8_t ColumnProduct(std::uint32_t x, std::uint32_t y) const;
    std::uint32_t InverseMixColumn(std::uint32_t x) const;

    rijndael::Tables tables_{};
    bool tablesReady_ = false;
    rijndael::KeySchedule key_{};
    const rijndael::BlockEngine* engine_ = nullptr; // null until a key is set
    std::array<std::uint8_t, BlockSize> encryptChain_{};
    std::array<std::uint8_t, BlockSize> decryptChain_{};
    CipherObserver* observer_ = nullptr;
};

} // namespace kuvo
