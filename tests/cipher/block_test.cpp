// The block cipher: published known answers, agreement with a plain
// implementation from the definition, the generated tables and misuse.
#include "crypt/cipher/rijndael.h"
#include "reference_rijndael.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

using namespace cipher_test;
using kuvo::CRijndael;

namespace {

struct KnownAnswer {
    const char* name;
    int nb;
    int nk;
    const char* key;
    const char* plain;
    const char* cipher;
};

std::string keyBytes2jPlus10()
{
    Bytes k(32);
    for (int j = 0; j < 32; ++j)
        k[j] = std::uint8_t(2 * j + 10);
    return toHex(k);
}

const std::string kSelfTestKey = keyBytes2jPlus10();

const KnownAnswer kKnownAnswers[] = {
    {"Fips197_C1_Aes128", 4, 4, "000102030405060708090a0b0c0d0e0f", "00112233445566778899aabbccddeeff",
     "69c4e0d86a7b0430d8cdb78070b4c55a"},
    {"Fips197_C2_Aes192", 4, 6, "000102030405060708090a0b0c0d0e0f1011121314151617",
     "00112233445566778899aabbccddeeff", "dda97ca4864cdfe06eaf70a0ec0d7191"},
    {"Fips197_C3_Aes256", 4, 8, "000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f",
     "00112233445566778899aabbccddeeff", "8ea2b7ca516745bfeafc49904b496089"},
    {"Gladman_256_256", 8, 8, "2b7e151628aed2a6abf7158809cf4f3c762e7160f38b4da56a784d9045190cfe",
     "3243f6a8885a308d313198a2e03707344a4093822299f31d0082efa98ec4e6c8",
     "a49406115dfb30a40418aafa4869b7c6a886ff31602a7dd19c889dc64f7e4e7a"},
    {"Nessie_256_256_Set1_Vector0", 8, 8, "8000000000000000000000000000000000000000000000000000000000000000",
     "0000000000000000000000000000000000000000000000000000000000000000",
     "e62abce069837b65309be4eda2c0e149fe56c07b7082d3287f592c4a4927a277"},
    {"SelfTest_256_256", 8, 8, kSelfTestKey.c_str(),
     "000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f",
     "45af6c269326fd935edd24733cff74fc1aa358841a6cd80b79f242d983f8ff2e"},
};

void PrintTo(const KnownAnswer& v, std::ostream* os)
{
    *os << v.name;
}

class KnownAnswerTest : public testing::TestWithParam<KnownAnswer> {};

TEST_P(KnownAnswerTest, EncryptAndDecrypt)
{
    const KnownAnswer& v = GetParam();
    const Bytes key = fromHex(v.key);
    CRijndael c;
    c.gentables();
    c.gkey(v.nb, v.nk, key);
    Bytes block = fromHex(v.plain);
    c.Encrypt(block);
    EXPECT_EQ(toHex(block), v.cipher);
    c.Decrypt(block);
    EXPECT_EQ(toHex(block), v.plain);

    // The reference the random comparisons lean on must know the answers too.
    reference::Rijndael ref(v.nb, v.nk, key.data());
    EXPECT_EQ(toHex(ref.encrypt(fromHex(v.plain))), v.cipher);
    EXPECT_EQ(toHex(ref.decrypt(fromHex(v.cipher))), v.plain);
}

INSTANTIATE_TEST_SUITE_P(Published, KnownAnswerTest, testing::ValuesIn(kKnownAnswers),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(KnownAnswer, Nessie256EncryptedThousandTimesInARow)
{
    Bytes key(32, 0);
    key[0] = 0x80;
    CRijndael c;
    c.gentables();
    c.gkey(8, 8, key);
    Bytes block(32, 0);
    for (int i = 0; i < 1000; ++i)
        c.Encrypt(block);
    EXPECT_EQ(toHex(block), "16990d2f01f21a61678538bd10f1f231a1dcb8d4e73cddf6a33b5b5fa2368e14");
    for (int i = 0; i < 1000; ++i)
        c.Decrypt(block);
    EXPECT_EQ(block, Bytes(32, 0));
}

// --- All nine size pairs against the reference --------------------------------

struct SizePair {
    int nb;
    int nk;
};

void PrintTo(const SizePair& p, std::ostream* os)
{
    *os << "Nb " << p.nb << ", Nk " << p.nk;
}

class SizePairTest : public testing::TestWithParam<SizePair> {};

TEST_P(SizePairTest, MatchesReferenceAndRoundTrips)
{
    const auto [nb, nk] = GetParam();
    std::mt19937 rng(unsigned(nb * 10 + nk));
    const int blockBytes = 4 * nb;
    // nb = nk = 8 is what the suite uses: give it the most keys.
    const int keys = (nb == 8 && nk == 8) ? 300 : 40;
    for (int t = 0; t < keys; ++t) {
        const Bytes key = randomBytes(rng, std::size_t(4 * nk));
        CRijndael c;
        c.gentables();
        c.gkey(nb, nk, key);
        reference::Rijndael ref(nb, nk, key.data());

        ASSERT_EQ(c.keySchedule().RoundCount, ref.rounds());
        for (int i = 0; i < ref.words(); ++i)
            ASSERT_EQ(c.keySchedule().RoundKeysForward[i], ref.word(i)) << "word " << i;

        for (int blk = 0; blk < 8; ++blk) {
            const Bytes plain = randomBytes(rng, std::size_t(blockBytes));
            // Sentinel bytes past the block must survive both directions.
            Bytes buff = concat(plain, Bytes{0xA5, 0x5A, 0x00, 0xFF, 0x11});
            const Bytes tail(buff.begin() + blockBytes, buff.end());

            c.Encrypt(buff);
            const Bytes cipher(buff.begin(), buff.begin() + blockBytes);
            ASSERT_EQ(cipher, ref.encrypt(plain)) << "key " << toHex(key) << " block " << toHex(plain);
            ASSERT_EQ(Bytes(buff.begin() + blockBytes, buff.end()), tail);

            c.Decrypt(buff);
            ASSERT_EQ(Bytes(buff.begin(), buff.begin() + blockBytes), plain);
            ASSERT_EQ(Bytes(buff.begin() + blockBytes, buff.end()), tail);

            ASSERT_EQ(ref.decrypt(cipher), plain);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllSizes, SizePairTest,
                         testing::Values(SizePair{4, 4}, SizePair{4, 6}, SizePair{4, 8}, SizePair{6, 4},
                                         SizePair{6, 6}, SizePair{6, 8}, SizePair{8, 4}, SizePair{8, 6},
                                         SizePair{8, 8}),
                         [](const auto& info) {
                             return "Nb" + std::to_string(info.param.nb) + "Nk" +
                                    std::to_string(info.param.nk);
                         });

TEST(Rijndael256, FourteenRoundsUseAll120RoundKeyWords)
{
    std::mt19937 rng(256);
    const Bytes key = randomBytes(rng, 32);
    CRijndael c;
    c.gentables();
    c.gkey(8, 8, key);
    reference::Rijndael ref(8, 8, key.data());
    EXPECT_EQ(c.keySchedule().RoundCount, 14);
    ASSERT_EQ(ref.words(), 120);
    EXPECT_EQ(ref.words(), kuvo::rijndael::MaxRoundKeyWords);
    for (int i = 0; i < 120; ++i)
        EXPECT_EQ(c.keySchedule().RoundKeysForward[i], ref.word(i)) << "word " << i;
}

// --- Generated tables ----------------------------------------------------------

TEST(Tables, PublishedFacts)
{
    CRijndael c;
    c.gentables();
    const auto& t = c.tables();
    EXPECT_EQ(t.SboxForward[0x00], 0x63);
    EXPECT_EQ(t.SboxForward[0x01], 0x7C);
    EXPECT_EQ(t.SboxForward[0x53], 0xED);
    EXPECT_EQ(t.SboxInverse[0x63], 0x00);
    EXPECT_EQ(t.LogTable[1], 255);
    EXPECT_EQ(t.LogTable[0], 0);
    EXPECT_EQ(t.ExpTable[255], 1);
    EXPECT_EQ(c.GfMultiply(0x57, 0x83), 0xC1);
    EXPECT_EQ(c.GfMultiply(0x00, 0x83), 0x00);

    using kuvo::rijndael::PackWord;
    EXPECT_EQ(kuvo::rijndael::RotateLeft32(PackWord(0x0B, 0x0D, 0x09, 0x0E), 24),
              PackWord(0x0D, 0x09, 0x0E, 0x0B));

    const Bytes rcon = fromHex("01020408102040801b366cd8ab4d9a2f5ebc63c697356ad4b37dfaefc591");
    EXPECT_EQ(Bytes(std::begin(t.RoundConstants), std::end(t.RoundConstants)), rcon);
}

TEST(Tables, AgreeWithFieldArithmetic)
{
    CRijndael c;
    c.gentables();
    const auto& t = c.tables();
    const auto& ref = reference::sboxes();
    for (int i = 0; i < 256; ++i) {
        const auto b = std::uint8_t(i);
        ASSERT_EQ(t.SboxForward[i], ref.fwd[i]) << i;
        ASSERT_EQ(t.SboxInverse[i], ref.inv[i]) << i;
        const std::uint8_t s = ref.fwd[i];
        ASSERT_EQ(t.RoundTableForward[i],
                  kuvo::rijndael::PackWord(reference::mul(2, s), s, s, reference::mul(3, s)));
        const std::uint8_t si = ref.inv[i];
        ASSERT_EQ(t.RoundTableInverse[i],
                  kuvo::rijndael::PackWord(reference::mul(0x0E, si), reference::mul(0x09, si),
                                           reference::mul(0x0D, si), reference::mul(0x0B, si)));
        for (int j = 0; j < 256; j += 7)
            ASSERT_EQ(c.GfMultiply(b, std::uint8_t(j)), reference::mul(b, std::uint8_t(j)))
                << i << " * " << j;
    }
}

TEST(Tables, RebuildingGivesIdenticalTables)
{
    CRijndael c;
    c.gentables();
    const kuvo::rijndael::Tables first = c.tables();
    c.gentables();
    EXPECT_EQ(std::memcmp(&first, &c.tables(), sizeof first), 0);
}

// --- Misuse is refused, never silently wrong ----------------------------------

TEST(Misuse, IsReportedByExceptions)
{
    const Bytes key(32, 7);
    Bytes block(32, 0);

    CRijndael noTables;
    EXPECT_THROW(noTables.gkey(8, 8, key), std::logic_error);

    CRijndael noKey;
    noKey.gentables();
    EXPECT_THROW(noKey.Encrypt(block), std::logic_error);
    EXPECT_THROW(noKey.Decrypt(block), std::logic_error);
    EXPECT_THROW(noKey.gkey(5, 8, key), std::invalid_argument);
    EXPECT_THROW(noKey.gkey(8, 10, key), std::invalid_argument);
    EXPECT_THROW(noKey.gkey(8, 8, Bytes(31, 7)), std::out_of_range);
    EXPECT_FALSE(noKey.hasKey());

    CRijndael c;
    c.gentables();
    c.gkey(8, 8, key);
    Bytes shortBlock(31, 0);
    EXPECT_THROW(c.Encrypt(shortBlock), std::out_of_range);
    EXPECT_THROW(c.Decrypt(shortBlock), std::out_of_range);
    EXPECT_EQ(shortBlock, Bytes(31, 0));
}

} // namespace
