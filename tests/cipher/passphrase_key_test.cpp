// The passphrase-to-key rule: first 32 characters, "A" filling, Windows-1252.
#include "crypt/cipher/passphrase_key.h"
#include "crypt/cipher/rijndael.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string keyText(const kuvo::CipherKey& key)
{
    return std::string(key.begin(), key.end());
}

struct Row {
    const char* name;
    std::u16string passphrase;
    std::string key; // Windows-1252 bytes
};

void PrintTo(const Row& row, std::ostream* os)
{
    *os << row.name;
}

class PassphraseToKeyTest : public testing::TestWithParam<Row> {};

TEST_P(PassphraseToKeyTest, GivesTheExpectedKey)
{
    const Row& row = GetParam();
    auto key = kuvo::PassphraseToKey(row.passphrase);
    ASSERT_TRUE(key);
    EXPECT_EQ(keyText(*key), row.key);
}

const std::string A31(31, 'A');

INSTANTIATE_TEST_SUITE_P(
    Rule, PassphraseToKeyTest,
    testing::Values(Row{"Empty", u"", std::string(32, 'A')}, Row{"OneCharacter", u"x", "x" + A31},
                    Row{"SpacesKept", u" a ", " a " + std::string(29, 'A')},
                    Row{"Exactly32", u"0123456789abcdefghijklmnopqrstuv", "0123456789abcdefghijklmnopqrstuv"},
                    Row{"FortyCharactersCutTo32", u"0123456789abcdefghijklmnopqrstuvWXYZ!?#+",
                        "0123456789abcdefghijklmnopqrstuv"},
                    Row{"Windows1252Bytes", u"\u20ac\u00fc\u00df\u0178",
                        std::string("\x80\xfc\xdf\x9f") + std::string(28, 'A')},
                    Row{"UnencodableBeyond32IsCutAway", u"0123456789abcdefghijklmnopqrstuv\u4e2d",
                        "0123456789abcdefghijklmnopqrstuv"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PassphraseToKey, RefusesCharactersWithoutAWindows1252Byte)
{
    EXPECT_FALSE(kuvo::PassphraseToKey(u"secret\u4e2d"));
    EXPECT_FALSE(kuvo::PassphraseToKey(u"\U0001F600")); // a surrogate pair
    EXPECT_FALSE(kuvo::PassphraseToKey(u"\u0100"));
}

TEST(PassphraseToKey, KeyEncryptsTheSameThroughBothInterfaces)
{
    auto key = kuvo::PassphraseToKey(u"Geheim\u00e4");
    ASSERT_TRUE(key);
    const kuvo::Bytes message(100, 0x42);
    kuvo::CRijndael text, files;
    ASSERT_TRUE(files.EncryptPrepareKey(*key));
    EXPECT_EQ(text.EncryptData(message, *key), files.EncryptDo(message, false));
}

} // namespace
