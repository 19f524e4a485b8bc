#include <gtest/gtest.h>

#include "crypt/core/trailer.h"

using namespace kuvo::container;

namespace {

struct EncodeCase {
    const char* name;
    std::vector<std::uint32_t> sizes;
    TrailerBytes bytes;
};

void PrintTo(const EncodeCase& c, std::ostream* os)
{
    *os << c.name;
}

class TrailerEncoding : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(TrailerEncoding, EncodesAndDecodesBack)
{
    const EncodeCase& c = GetParam();
    EXPECT_EQ(EncodeTrailer(c.sizes), c.bytes);

    // Behind records of exactly the listed sizes the trailer decodes to the
    // same sizes (the records are only pretended: 4 GiB would not fit a test).
    std::uint64_t records = 0;
    for (auto s : c.sizes)
        records += s;
    const auto read = [&](std::uint64_t offset, std::uint8_t* out, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i, ++offset)
            out[i] = offset < records ? 0x11 : c.bytes[std::size_t(offset - records)];
        return true;
    };
    const Trailer t = DecodeTrailer(records + c.bytes.size(), read);
    ASSERT_EQ(t.status, TrailerStatus::Ok);
    EXPECT_EQ(t.entrySizes, c.sizes);
    EXPECT_EQ(t.recordsLength, records);
}

INSTANTIATE_TEST_SUITE_P(Cases, TrailerEncoding,
                         ::testing::Values(
                             // One empty file with a short name: a 68-byte record.
                             EncodeCase{"single68", {68}, {0x44, 0xFF, 0x02}},
                             // A failed middle file has no digits: S1 FF FF S3 FF + length.
                             EncodeCase{"failedMiddle", {100, 0, 300}, {100, 0xFF, 0xFF, 45, 1, 0xFF, 6}},
                             // 254 and 255 are the first values that need one more digit.
                             EncodeCase{"digitEdges",
                                        {254, 255, 65024, 65025},
                                        {254, 0xFF, 0, 1, 0xFF, 254, 254, 0xFF, 0, 0, 1, 0xFF, 12}},
                             EncodeCase{"max32", {0xFFFFFFFFu}, {0x00, 0x04, 0x06, 0x04, 0x01, 0xFF, 6}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TrailerDecoding, EntryListLongerThan254BytesIsReadWhole)
{
    // 130 entries of 3 digits each: 520 bytes of entry list, a length field of two digits.
    std::vector<std::uint32_t> sizes;
    for (std::uint32_t i = 0; i < 130; ++i)
        sizes.push_back(70000 + i);
    const TrailerBytes trailer = EncodeTrailer(sizes);
    ASSERT_EQ(trailer.size(), 522u);
    EXPECT_EQ(trailer[520], 520 % 255);
    EXPECT_EQ(trailer[521], 520 / 255);
    std::uint64_t records = 0;
    for (auto s : sizes)
        records += s;
    TrailerBytes file(std::size_t(records), 0);
    file.insert(file.end(), trailer.begin(), trailer.end());
    const Trailer t = DecodeTrailer(file);
    ASSERT_EQ(t.status, TrailerStatus::Ok);
    EXPECT_EQ(t.entrySizes, sizes); // the last one included
    EXPECT_EQ(t.entryOffsets().back(), records - sizes.back());
}

TEST(TrailerDecoding, ManyFailedFilesGiveAsManyZeroSizes)
{
    std::vector<std::uint32_t> sizes(300, 0);
    TrailerBytes file = EncodeTrailer(sizes);
    ASSERT_EQ(file.size(), 302u);
    const Trailer t = DecodeTrailer(file);
    ASSERT_EQ(t.status, TrailerStatus::Ok);
    EXPECT_EQ(t.entrySizes, sizes);
}

struct BadCase {
    const char* name;
    TrailerBytes file;
    TrailerStatus status;
};

void PrintTo(const BadCase& c, std::ostream* os)
{
    *os << c.name;
}

class TrailerErrors : public ::testing::TestWithParam<BadCase> {};

TEST_P(TrailerErrors, AreReported)
{
    const Trailer t = DecodeTrailer(GetParam().file);
    EXPECT_EQ(t.status, GetParam().status);
    EXPECT_TRUE(t.entrySizes.empty());
}

TrailerBytes padded(TrailerBytes tail, std::size_t records)
{
    TrailerBytes file(records + tail.size(), 0x11);
    std::copy(tail.begin(), tail.end(), file.begin() + std::ptrdiff_t(records));
    return file;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TrailerErrors,
    ::testing::Values(BadCase{"threeBytes", {1, 2, 3}, TrailerStatus::TooShort},
                      BadCase{"noMarker", TrailerBytes(200, 0x10), TrailerStatus::NoMarker},
                      // The window's first byte never counts as the marker.
                      BadCase{
                          "markerOnlyFirstInWindow", {0x11, 0x11, 0x11, 0xFF, 0x01}, TrailerStatus::NoMarker},
                      // 2 * 255^4 does not fit 32 bits.
                      BadCase{"sizeOverflow", padded({0, 0, 0, 0, 2, 0xFF, 6}, 10), TrailerStatus::Overflow},
                      BadCase{"sizesBeyondFile", padded({200, 0xFF, 2}, 10), TrailerStatus::Damaged},
                      BadCase{"listBeyondFile", padded({0xFF, 200}, 10), TrailerStatus::Damaged}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
