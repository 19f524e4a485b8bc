#include <gtest/gtest.h>

#include "common/cp1252.h"

using namespace kuvo::cp1252;

TEST(Cp1252, EveryByteRoundTrips)
{
    Bytes all(256);
    for (int i = 0; i < 256; ++i)
        all[i] = static_cast<std::uint8_t>(i);
    const std::u16string text = decode(all);
    ASSERT_EQ(text.size(), 256u);
    auto back = encode(text);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, all);
}

struct ByteCase {
    std::uint8_t byte;
    char16_t ch;
};

class Cp1252Bytes : public ::testing::TestWithParam<ByteCase> {};

TEST_P(Cp1252Bytes, DecodesAndEncodes)
{
    EXPECT_EQ(decodeByte(GetParam().byte), GetParam().ch);
    EXPECT_EQ(encodeChar(GetParam().ch), GetParam().byte);
}

INSTANTIATE_TEST_SUITE_P(Table, Cp1252Bytes,
                         ::testing::Values(ByteCase{0x41, u'A'}, ByteCase{0x80, u'€'}, ByteCase{0x99, u'™'},
                                           ByteCase{0x9F, u'Ÿ'}, ByteCase{0xA7, u'§'}, ByteCase{0xF6, u'ö'},
                                           ByteCase{0x85, u'…'}, ByteCase{0x8A, u'Š'},
                                           // the undefined bytes stand for the C1 controls
                                           ByteCase{0x81, 0x81}, ByteCase{0x8D, 0x8D}, ByteCase{0x8F, 0x8F},
                                           ByteCase{0x90, 0x90}, ByteCase{0x9D, 0x9D}));

TEST(Cp1252, UnrepresentableTextIsRefusedWhole)
{
    EXPECT_FALSE(encode(u"abc\u0100"));         // Latin Extended-A outside the code page
    EXPECT_FALSE(encode(u"\u20AC\u0080"));       // C1 0x80 is not 0x80 in this code page
    EXPECT_FALSE(encode(u"x\xD83D\xDE00"));      // a surrogate pair (emoji)
    EXPECT_FALSE(canEncode(u"Ж"));
    EXPECT_TRUE(canEncode(u"Grüße, señor – 5 €"));
    auto ok = encode(u"");
    ASSERT_TRUE(ok);
    EXPECT_TRUE(ok->empty());
}
