#include <gtest/gtest.h>

#include "common/qtcodec.h"
#include "crypt/core/stored_name.h"
#include "files_test_util.h"

using namespace kuvo;

namespace {

struct NameCase {
    const char* name;
    QString entry;
    QString root; // empty: files mode
    QByteArray stored;
};

void PrintTo(const NameCase& c, std::ostream* os)
{
    *os << c.name;
}

class StoredNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(StoredNames, AreMadeFromListEntries)
{
    const NameCase& c = GetParam();
    const StoredNameResult r = MakeStoredName(c.entry, c.root);
    EXPECT_FALSE(r.hasBackslash);
    EXPECT_EQ(r.bytes, c.stored);
}

const QString k300 = QString(300, QChar('n'));
const QString kDeep = QString(200, QChar('d')) + "/" + QString(100, QChar('e'));

INSTANTIATE_TEST_SUITE_P(
    Cases, StoredNames,
    ::testing::Values(NameCase{"bare", "/home/u/docs/letter.txt", "", "letter.txt"},
                      NameCase{"directoryMode", "/home/u/docs/sub/name.txt", "/home/u/docs/",
                               "sub\\name.txt"},
                      NameCase{"directoryModeTopLevel", "/home/u/docs/name.txt", "/home/u/docs/", "name.txt"},
                      NameCase{"ansi", QString::fromUtf8("/t/Café ünd.txt"), "", "Caf\xE9 \xFCnd.txt"},
                      NameCase{"utf8Fallback", QString::fromUtf8("/t/日本語.txt"), "",
                               "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E.txt"},
                      // Its Windows-1252 bytes would read back as "é": stored as UTF-8 instead.
                      NameCase{"looksLikeUtf8", QString::fromUtf8("/t/Ã©"), "", "\xC3\x83\xC2\xA9"},
                      NameCase{"cutTo255", "/t/" + k300, "", QByteArray(255, 'n')},
                      // A relative path too long to store falls back to the bare name.
                      NameCase{"deepFallsBackToBare", "/r/" + kDeep, "/r/", QByteArray(100, 'e')}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StoredNames, Utf8IsCutOnCharacterBoundaries)
{
    const QString name = QString(100, QChar(0x65E5)); // 3 bytes each
    const QByteArray bytes = EncodeStoredName(name);
    EXPECT_EQ(bytes.size(), 255);
    EXPECT_EQ(DecodeStoredName(bytes), QString(85, QChar(0x65E5)));
    const QString mixed = "a" + QString(100, QChar(0x65E5));
    EXPECT_EQ(EncodeStoredName(mixed).size(), 253); // never half a character
}

TEST(StoredNames, BackslashInANameIsRefused)
{
    EXPECT_TRUE(MakeStoredName("/t/a\\b.txt", "").hasBackslash);
    EXPECT_TRUE(MakeStoredName("/r/odd\\dir/x", "/r/").hasBackslash);
    EXPECT_TRUE(MakeStoredName("/r/odd\\dir/x", "/r/").bytes.isEmpty());
}

TEST(StoredNames, DecodingTellsUtf8FromWindows1252)
{
    EXPECT_EQ(DecodeStoredName("Caf\xE9"), QString::fromUtf8("Café"));
    EXPECT_EQ(DecodeStoredName("Caf\xC3\xA9"), QString::fromUtf8("Café"));
    EXPECT_EQ(DecodeStoredName("plain"), QString("plain"));
    // Invalid or overlong UTF-8 is Windows-1252.
    EXPECT_EQ(DecodeStoredName("\xC3\x28"), fromWin1252("\xC3\x28"));
    EXPECT_EQ(DecodeStoredName("\xC0\xAF"), fromWin1252("\xC0\xAF"));
    EXPECT_EQ(DecodeStoredName("\xED\xA0\x80"), fromWin1252("\xED\xA0\x80"));
}

struct LevelCase {
    const char* name;
    QString stored;
    QStringList levels; // empty: refused
};

void PrintTo(const LevelCase& c, std::ostream* os)
{
    *os << c.name;
}

class StoredLevels : public ::testing::TestWithParam<LevelCase> {};

TEST_P(StoredLevels, OnlyNamesInsideTheOutputFolderPass)
{
    const auto levels = SafeStoredLevels(GetParam().stored);
    if (GetParam().levels.isEmpty())
        EXPECT_FALSE(levels.has_value());
    else
        EXPECT_EQ(levels.value_or(QStringList{"<refused>"}), GetParam().levels);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StoredLevels,
    ::testing::Values(LevelCase{"plain", "name.txt", {"name.txt"}},
                      LevelCase{"sub", "sub\\name", {"sub", "name"}},
                      LevelCase{"colonInside", "a\\b:c", {"a", "b:c"}},
                      LevelCase{"dots", "..x\\y..", {"..x", "y.."}}, LevelCase{"empty", "", {}},
                      LevelCase{"parent", "..\\evil", {}}, LevelCase{"parentInside", "a\\..\\..\\b", {}},
                      LevelCase{"dot", ".\\x", {}}, LevelCase{"leadingBackslash", "\\etc\\passwd", {}},
                      LevelCase{"emptyLevel", "a\\\\b", {}}, LevelCase{"trailingBackslash", "a\\", {}},
                      LevelCase{"drive", "C:\\Windows\\x", {}}, LevelCase{"driveRelative", "c:x", {}},
                      LevelCase{"slash", "a/../../b", {}},
                      LevelCase{"nul", QString("a") + QChar(0) + "b", {}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
