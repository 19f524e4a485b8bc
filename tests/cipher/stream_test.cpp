// The byte interface: message layout, padding, chaining across pieces, yield
// points, cancel results and the handling of inputs without bounds.
#include "crypt/cipher/rijndael.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <functional>
#include <semaphore>
#include <stdexcept>
#include <thread>

using namespace cipher_test;
using kuvo::CRijndael;

namespace {

class RecordingObserver : public kuvo::CipherObserver {
public:
    void progressRange(float minimum, float maximum) override { ranges.push_back({minimum, maximum}); }
    void progressValue(float value) override { values.push_back(value); }
    void yieldNow() override
    {
        ++yields;
        if (onYield)
            onYield(yields);
    }

    std::vector<std::pair<float, float>> ranges;
    std::vector<float> values;
    int yields = 0;
    std::function<void(int)> onYield;

    void reset()
    {
        ranges.clear();
        values.clear();
        yields = 0;
    }
};

Bytes block(const Bytes& data, std::size_t b)
{
    return Bytes(data.begin() + std::ptrdiff_t(32 * b), data.begin() + std::ptrdiff_t(32 * b + 32));
}

Bytes padded(Bytes data)
{
    data.resize((data.size() + 31) / 32 * 32, 0);
    return data;
}

Bytes xorBlocks(Bytes a, const Bytes& b)
{
    for (std::size_t i = 0; i < a.size(); ++i)
        a[i] ^= b[i];
    return a;
}

class Stream : public testing::Test {
protected:
    Stream() : rng(20240611), key(randomBytes(rng, 32))
    {
        cipher.setObserver(&observer);
        single.gentables();
        single.gkey(8, 8, key);
    }

    Bytes E(Bytes b) const
    {
        single.Encrypt(b);
        return b;
    }

    // CBC with a zero initialisation vector and zero padding, built from single blocks.
    Bytes expectedCiphertext(const Bytes& message) const
    {
        const Bytes p = padded(message);
        Bytes out, prev(32, 0);
        for (std::size_t b = 0; b < p.size() / 32; ++b) {
            prev = E(xorBlocks(block(p, b), prev));
            out.insert(out.end(), prev.begin(), prev.end());
        }
        return out;
    }

    std::mt19937 rng;
    Bytes key;
    RecordingObserver observer;
    CRijndael cipher;
    CRijndael single; // an independent object for single-block answers
};

// --- Layout and padding ---------------------------------------------------------

class Lengths : public Stream, public testing::WithParamInterface<std::pair<std::size_t, std::size_t>> {};

TEST_P(Lengths, OutputIsPaddedCbcWithZeroVector)
{
    const auto [in, out] = GetParam();
    const Bytes message = randomBytes(rng, in);
    const Bytes expected = expectedCiphertext(message);
    ASSERT_EQ(expected.size(), out);

    auto viaData = cipher.EncryptData(message, key);
    ASSERT_TRUE(viaData);
    EXPECT_EQ(*viaData, expected);

    CRijndael piecewise;
    ASSERT_TRUE(piecewise.EncryptPrepareKey(key));
    auto viaDo = piecewise.EncryptDo(message, false);
    ASSERT_TRUE(viaDo);
    EXPECT_EQ(*viaDo, expected);

    // Decryption keeps the padding zeros, in both interfaces.
    auto back = cipher.DecryptData(expected, key);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, padded(message));
    auto backDo = piecewise.DecryptDo(expected, false);
    ASSERT_TRUE(backDo);
    EXPECT_EQ(*backDo, padded(message));
    EXPECT_FALSE(cipher.isCancelled());
    EXPECT_FALSE(piecewise.isCancelled());
}

INSTANTIATE_TEST_SUITE_P(Stream, Lengths,
                         testing::Values(std::pair<std::size_t, std::size_t>{1, 32},
                                         std::pair<std::size_t, std::size_t>{31, 32},
                                         std::pair<std::size_t, std::size_t>{32, 32},
                                         std::pair<std::size_t, std::size_t>{33, 64},
                                         std::pair<std::size_t, std::size_t>{64, 64},
                                         std::pair<std::size_t, std::size_t>{1000, 1024},
                                         std::pair<std::size_t, std::size_t>{16001, 16032}));

// --- Passwords ------------------------------------------------------------------

TEST_F(Stream, PasswordIsCutOrZeroFilledTo32Bytes)
{
    const Bytes message = randomBytes(rng, 100);

    const Bytes long40 = randomBytes(rng, 40);
    const Bytes first32(long40.begin(), long40.begin() + 32);
    EXPECT_EQ(cipher.EncryptData(message, long40), cipher.EncryptData(message, first32));

    const Bytes short10 = randomBytes(rng, 10);
    Bytes zeroFilled = short10;
    zeroFilled.resize(32, 0);
    CRijndael piecewise;
    ASSERT_TRUE(piecewise.EncryptPrepareKey(zeroFilled));
    const auto viaShort = cipher.EncryptData(message, short10);
    EXPECT_EQ(viaShort, piecewise.EncryptDo(message, false));
    EXPECT_EQ(cipher.DecryptData(*viaShort, short10), padded(message));
    EXPECT_NE(viaShort, cipher.EncryptData(message, first32));
}

TEST_F(Stream, PrepareKeyNeeds32BytesAndIgnoresTheRest)
{
    const Bytes message = randomBytes(rng, 70);
    Bytes key40 = concat(key, randomBytes(rng, 8));
    ASSERT_TRUE(cipher.EncryptPrepareKey(key40));
    EXPECT_EQ(cipher.EncryptDo(message, false), expectedCiphertext(message));

    // A failed setup leaves no key behind, not even the previous one.
    EXPECT_FALSE(cipher.EncryptPrepareKey(Bytes(31, 1)));
    EXPECT_FALSE(cipher.hasKey());
    EXPECT_THROW(cipher.EncryptDo(message, false), std::logic_error);
    EXPECT_THROW(cipher.DecryptDo(Bytes(32, 0), false), std::logic_error);
    EXPECT_FALSE(cipher.EncryptPrepareKey({}));
}

// --- Chaining across pieces -----------------------------------------------------

class Pieces : public Stream, public testing::WithParamInterface<std::pair<std::size_t, std::size_t>> {};

TEST_P(Pieces, TwoPiecesEqualOneMessage)
{
    const auto [xLen, yLen] = GetParam();
    const Bytes x = randomBytes(rng, xLen);
    const Bytes y = randomBytes(rng, yLen);
    const Bytes whole = concat(x, y);

    ASSERT_TRUE(cipher.EncryptPrepareKey(key));
    auto cx = cipher.EncryptDo(x, false);
    ASSERT_TRUE(cx);
    EXPECT_EQ(Bytes(cipher.EncryptChain().begin(), cipher.EncryptChain().end()),
              block(*cx, cx->size() / 32 - 1));
    auto cy = cipher.EncryptDo(y, true);
    ASSERT_TRUE(cy);
    const Bytes joined = concat(*cx, *cy);

    CRijndael other;
    EXPECT_EQ(other.EncryptData(whole, key), joined);

    auto px = cipher.DecryptDo(*cx, false);
    ASSERT_TRUE(px);
    EXPECT_EQ(Bytes(cipher.DecryptChain().begin(), cipher.DecryptChain().end()),
              block(*cx, cx->size() / 32 - 1));
    auto py = cipher.DecryptDo(*cy, true);
    ASSERT_TRUE(py);
    EXPECT_EQ(concat(*px, *py), padded(whole));
}

INSTANTIATE_TEST_SUITE_P(Stream, Pieces,
                         testing::Values(std::pair<std::size_t, std::size_t>{32, 1},
                                         std::pair<std::size_t, std::size_t>{64, 45},
                                         std::pair<std::size_t, std::size_t>{32 * 500, 32 * 600 + 5},
                                         std::pair<std::size_t, std::size_t>{32 * 777, 32 * 1001}));

TEST_F(Stream, ChainsAreIndependentOfEachOtherAndOfTheWholeMessageCalls)
{
    ASSERT_TRUE(cipher.EncryptPrepareKey(key));
    const Bytes a = randomBytes(rng, 96);
    auto ca = cipher.EncryptDo(a, false);
    ASSERT_TRUE(ca);
    const auto encChain = cipher.EncryptChain();

    // Decrypting something unrelated moves only the decrypt chain.
    ASSERT_TRUE(cipher.DecryptDo(randomBytes(rng, 64), false));
    EXPECT_EQ(cipher.EncryptChain(), encChain);
    const auto decChain = cipher.DecryptChain();

    // A whole-message call replaces the key but keeps both chains.
    ASSERT_TRUE(cipher.EncryptData(randomBytes(rng, 50), randomBytes(rng, 32)));
    ASSERT_TRUE(cipher.DecryptData(randomBytes(rng, 64), randomBytes(rng, 32)));
    EXPECT_EQ(cipher.EncryptChain(), encChain);
    EXPECT_EQ(cipher.DecryptChain(), decChain);
}

// --- Yield points and progress --------------------------------------------------

class Yields : public Stream, public testing::WithParamInterface<std::pair<std::size_t, int>> {};

TEST_P(Yields, PiecewiseCallsYieldAtEvery500thBlockFromBlockZero)
{
    const auto [bytes, expectedYields] = GetParam();
    ASSERT_TRUE(cipher.EncryptPrepareKey(key));
    const Bytes message = randomBytes(rng, bytes);

    auto c = cipher.EncryptDo(message, false);
    ASSERT_TRUE(c);
    EXPECT_EQ(observer.yields, expectedYields);
    EXPECT_EQ(*c, expectedCiphertext(message));

    observer.yields = 0;
    ASSERT_TRUE(cipher.DecryptDo(*c, false));
    EXPECT_EQ(observer.yields, expectedYields);
    EXPECT_TRUE(observer.ranges.empty());
    EXPECT_TRUE(observer.values.empty());
}

// Blocks 0, 500, 1000, ... and no others: the boundaries pin the positions.
INSTANTIATE_TEST_SUITE_P(
    Stream, Yields,
    testing::Values(std::pair<std::size_t, int>{32, 1}, std::pair<std::size_t, int>{32 * 500, 1},
                    std::pair<std::size_t, int>{32 * 501, 2}, std::pair<std::size_t, int>{32 * 1000, 2},
                    std::pair<std::size_t, int>{32 * 1001, 3}, std::pair<std::size_t, int>{32 * 1000 + 1, 3},
                    std::pair<std::size_t, int>{32 * 1500, 3}, std::pair<std::size_t, int>{32 * 1501, 4}));

TEST_F(Stream, WholeMessageCallsYieldAndReportProgressAfterEveryBlock)
{
    const Bytes message = randomBytes(rng, 32 * 4 + 3); // five blocks
    auto c = cipher.EncryptData(message, key);
    ASSERT_TRUE(c);
    const std::vector<float> progress = {0, 0, 1, 2, 3, 4, 6};
    EXPECT_EQ(observer.yields, 5);
    ASSERT_EQ(observer.ranges.size(), 1u);
    EXPECT_EQ(observer.ranges[0], std::make_pair(0.0f, 6.0f));
    EXPECT_EQ(observer.values, progress);

    observer.reset();
    ASSERT_TRUE(cipher.DecryptData(*c, key));
    EXPECT_EQ(observer.yields, 5);
    EXPECT_EQ(observer.ranges.size(), 1u);
    EXPECT_EQ(observer.values, progress);

    // Not from the main window: the same yields, no progress.
    observer.reset();
    ASSERT_TRUE(cipher.EncryptData(message, key, true));
    EXPECT_EQ(observer.yields, 5);
    EXPECT_TRUE(observer.ranges.empty());
    EXPECT_TRUE(observer.values.empty());
}

TEST_F(Stream, WorksWithoutObserver)
{
    CRijndael quiet;
    const Bytes message = randomBytes(rng, 1234);
    EXPECT_EQ(quiet.EncryptData(message, key), expectedCiphertext(message));
}

// --- Cancel -----------------------------------------------------------------------

TEST_F(Stream, CancelBeforeWholeMessageCallKeepsOnlyBlockZero)
{
    const Bytes message = randomBytes(rng, 32 * 3 + 1);
    const Bytes expected = expectedCiphertext(message);
    cipher.cancel();

    auto c = cipher.EncryptData(message, key);
    ASSERT_TRUE(c);
    ASSERT_EQ(c->size(), 128u);
    EXPECT_EQ(block(*c, 0), block(expected, 0));
    EXPECT_EQ(Bytes(c->begin() + 32, c->end()), Bytes(96, 0));
    EXPECT_EQ(observer.yields, 1);

    auto p = cipher.DecryptData(expected, key);
    ASSERT_TRUE(p);
    EXPECT_EQ(block(*p, 0), block(message, 0));
    EXPECT_EQ(Bytes(p->begin() + 32, p->end()), Bytes(96, 0));
    EXPECT_EQ(observer.yields, 2);
    EXPECT_TRUE(cipher.isCancelled()); // never cleared by the class
}

TEST_F(Stream, CancelDuringWholeMessageCallReturnsTheBlocksDone)
{
    const Bytes message = randomBytes(rng, 32 * 10);
    const Bytes expected = expectedCiphertext(message);
    observer.onYield = [&](int n) {
        if (n == 4)
            cipher.doCancel = true;
    };
    auto c = cipher.EncryptData(message, key);
    ASSERT_TRUE(c);
    EXPECT_EQ(Bytes(c->begin(), c->begin() + 128), Bytes(expected.begin(), expected.begin() + 128));
    EXPECT_EQ(Bytes(c->begin() + 128, c->end()), Bytes(32 * 6, 0));
    EXPECT_EQ(observer.values.back(), 3.0f); // the bar is not filled on cancel
}

// A window may run the cipher on a worker thread and cancel from its own.
TEST_F(Stream, CancelFromAnotherThreadIsSeenAtTheYieldPoint)
{
    ASSERT_TRUE(cipher.EncryptPrepareKey(key));
    const Bytes message(32 * 5000, 0x5A);
    std::binary_semaphore firstYield(0), cancelled(0);
    observer.onYield = [&](int n) {
        if (n == 1) {
            firstYield.release();
            cancelled.acquire();
        }
    };
    std::optional<Bytes> result = Bytes{};
    std::thread worker([&] { result = cipher.EncryptDo(message, false); });
    firstYield.acquire();
    cipher.cancel();
    cancelled.release();
    worker.join();
    EXPECT_FALSE(result);
    EXPECT_EQ(observer.yields, 1);
}

TEST_F(Stream, CancelBeforePiecewiseCallGivesNothingAndKeepsTheChain)
{
    ASSERT_TRUE(cipher.EncryptPrepareKey(key));
    auto first = cipher.EncryptDo(randomBytes(rng, 64), false);
    ASSERT_TRUE(first);
    ASSERT_TRUE(cipher.DecryptDo(*first, false));
    const auto encChain = cipher.EncryptChain();
    const auto decChain = cipher.DecryptChain();
    observer.yields = 0;

    cipher.cancel();
    EXPECT_FALSE(cipher.EncryptDo(randomBytes(rng, 32 * 600), true));
    EXPECT_FALSE(cipher.DecryptDo(randomBytes(rng, 32 * 600), true));
    EXPECT_EQ(observer.yields, 2); // each stopped at block 0
    EXPECT_EQ(cipher.EncryptChain(), encChain);
    EXPECT_EQ(cipher.DecryptChain(), decChain);
}

TEST_F(Stream, CancelAtBlock500OfPiecewiseCallKeepsTheChain)
{
    ASSERT_TRUE(cipher.EncryptPrepareKey(key));
    auto first = cipher.EncryptDo(randomBytes(rng, 64), false);
    ASSERT_TRUE(first);
    const auto encChain = cipher.EncryptChain();
    observer.yields = 0;
    observer.onYield = [&](int n) {
        if (n == 2)
            cipher.cancel();
    };
    EXPECT_FALSE(cipher.EncryptDo(randomBytes(rng, 32 * 1200), true));
    EXPECT_EQ(observer.yields, 2);
    EXPECT_EQ(cipher.EncryptChain(), encChain);
}

// --- Lengths that are not a multiple of 32, and inputs without bounds ------------

TEST_F(Stream, DecryptOfBadLengthDiffersBetweenTheTwoInterfaces)
{
    const Bytes bad = randomBytes(rng, 33);
    EXPECT_FALSE(cipher.DecryptData(bad, key));
    EXPECT_FALSE(cipher.isCancelled());
    EXPECT_EQ(observer.yields, 0);
    EXPECT_TRUE(observer.ranges.empty());
    EXPECT_FALSE(cipher.hasKey()); // refused before any key setup

    ASSERT_TRUE(cipher.EncryptPrepareKey(key));
    EXPECT_FALSE(cipher.DecryptDo(bad, false));
    EXPECT_TRUE(cipher.isCancelled());
}

TEST_F(Stream, EmptyInputsStandForArraysWithoutBounds)
{
    const Bytes empty;
    const Bytes some(10, 1);
    EXPECT_FALSE(cipher.EncryptData(empty, key));
    EXPECT_FALSE(cipher.EncryptData(some, empty));
    EXPECT_FALSE(cipher.DecryptData(empty, key));
    EXPECT_FALSE(cipher.DecryptData(Bytes(32, 0), empty));
    EXPECT_FALSE(cipher.hasKey());
    EXPECT_FALSE(cipher.EncryptPrepareKey(empty));

    ASSERT_TRUE(cipher.EncryptPrepareKey(key));
    EXPECT_FALSE(cipher.EncryptDo(empty, false));
    EXPECT_FALSE(cipher.DecryptDo(empty, true));
    EXPECT_FALSE(cipher.isCancelled());
    EXPECT_EQ(observer.yields, 0);
}

TEST_F(Stream, PiecewiseCallsNeedAKey)
{
    EXPECT_THROW(cipher.EncryptDo(Bytes(32, 0), false), std::logic_error);
    EXPECT_THROW(cipher.DecryptDo(Bytes(32, 0), false), std::logic_error);
}

} // namespace
