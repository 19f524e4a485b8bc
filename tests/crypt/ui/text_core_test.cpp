// Base64, the passphrase rating, the command-line parse and the text operation.
#include <gtest/gtest.h>

#include <QString>
#include <numeric>

#include "crypt/core/base64.h"
#include "crypt/core/cmdline.h"
#include "crypt/core/passphrase_rating.h"
#include "crypt/core/text_crypt.h"

using namespace kuvo;

namespace {

Bytes counting(std::size_t n)
{
    Bytes b(n);
    std::iota(b.begin(), b.end(), std::uint8_t(7));
    return b;
}

std::u16string_view view(const QString& s)
{
    return {reinterpret_cast<const char16_t*>(s.utf16()), std::size_t(s.size())};
}

CipherKey keyOf(const QString& passphrase)
{
    return *PassphraseToKey(view(passphrase));
}

} // namespace

// --- Base64 -----------------------------------------------------------------

TEST(Base64, KnownValues)
{
    auto enc = [](std::string_view s) {
        return Base64Encode({reinterpret_cast<const std::uint8_t*>(s.data()), s.size()});
    };
    EXPECT_EQ(enc("f"), "Zg==");
    EXPECT_EQ(enc("fo"), "Zm8=");
    EXPECT_EQ(enc("foo"), "Zm9v");
    EXPECT_EQ(enc("foobar"), "Zm9vYmFy");
    const Bytes all = {0x00, 0xFB, 0xFF};
    EXPECT_EQ(Base64Encode(all), "APv/");
}

struct LayoutCase {
    std::size_t bytes;
    std::vector<std::size_t> lines; // characters per line
    std::size_t padding;            // "=" characters at the end
};

void PrintTo(const LayoutCase& c, std::ostream* os)
{
    *os << c.bytes << " bytes";
}

class Base64Layout : public testing::TestWithParam<LayoutCase> {};

TEST_P(Base64Layout, LinesOf76JoinedByCrLf)
{
    const LayoutCase& c = GetParam();
    const std::string text = Base64Encode(counting(c.bytes));
    std::vector<std::size_t> lines;
    std::size_t start = 0;
    for (std::size_t pos; (pos = text.find("\r\n", start)) != std::string::npos; start = pos + 2)
        lines.push_back(pos - start);
    lines.push_back(text.size() - start);
    EXPECT_EQ(lines, c.lines);
    EXPECT_EQ(text.size(), Base64EncodedLength(c.bytes));
    EXPECT_EQ(std::count(text.begin(), text.end(), '='), std::ptrdiff_t(c.padding));
    EXPECT_EQ(text.find_last_not_of('='), text.size() - 1 - c.padding);
    EXPECT_EQ(Base64Decode(text), counting(c.bytes));
}

INSTANTIATE_TEST_SUITE_P(Sizes, Base64Layout,
                         testing::Values(LayoutCase{1, {4}, 2}, LayoutCase{2, {4}, 1},
                                         LayoutCase{57, {76}, 0}, LayoutCase{58, {76, 4}, 2},
                                         LayoutCase{114, {76, 76}, 0}, LayoutCase{115, {76, 76, 4}, 2},
                                         LayoutCase{64, {76, 12}, 2}, LayoutCase{96, {76, 52}, 0}),
                         [](const auto& info) { return "bytes" + std::to_string(info.param.bytes); });

TEST(Base64, RoundTripAllSmallSizes)
{
    for (std::size_t n = 1; n <= 300; ++n) {
        const Bytes data = counting(n);
        const std::string text = Base64Encode(data);
        ASSERT_EQ(text.size(), Base64EncodedLength(n)) << n;
        ASSERT_EQ(Base64Decode(text), data) << n;
    }
}

struct ToleranceCase {
    const char* name;
    std::string (*rewrite)(std::string);
    bool same;
};

void PrintTo(const ToleranceCase& c, std::ostream* os)
{
    *os << c.name;
}

class Base64Tolerance : public testing::TestWithParam<ToleranceCase> {};

TEST_P(Base64Tolerance, Decode)
{
    const Bytes data = counting(100);
    const std::string text = Base64Encode(data);
    const Bytes decoded = Base64Decode(GetParam().rewrite(text));
    if (GetParam().same)
        EXPECT_EQ(decoded, data);
    else
        EXPECT_NE(decoded, data);
}

std::string removeEquals(std::string s)
{
    std::erase(s, '=');
    return s;
}
std::string extraBreaks(std::string s)
{
    return "\r\n\r\n" + s.insert(10, "\r\n\r\n") + "\r\n";
}
std::string bareLf(std::string s)
{
    std::erase(s, '\r');
    return s;
}
std::string lone(std::string s)
{
    return s.insert(3, "\r");
}
std::string tab(std::string s)
{
    return s.insert(5, "\t");
}

INSTANTIATE_TEST_SUITE_P(Rewrites, Base64Tolerance,
                         testing::Values(ToleranceCase{"equalsRemoved", removeEquals, true},
                                         ToleranceCase{"extraCrLfPairs", extraBreaks, true},
                                         ToleranceCase{"singleLf", bareLf, false},
                                         ToleranceCase{"loneCr", lone, false},
                                         ToleranceCase{"tab", tab, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Base64, OneCharacterAfterWholeGroupsIsIgnored)
{
    const Bytes data = counting(99); // 132 characters, no padding
    std::string text = Base64Encode(data);
    EXPECT_EQ(Base64Decode(text + "Q"), data);
    EXPECT_EQ(Base64Decode(text + "\r\nQ"), data);
}

TEST(Base64, TooShortGivesNothing)
{
    EXPECT_TRUE(Base64Decode(std::string_view("")).empty());
    EXPECT_TRUE(Base64Decode(std::string_view("Q")).empty());
    EXPECT_TRUE(Base64Decode(std::string_view("==\r\n")).empty());
    EXPECT_EQ(Base64Decode(std::string_view("QQ")).size(), 1u);
}

TEST(Base64, CharactersOutsideTheAlphabetCountAsZero)
{
    EXPECT_EQ(Base64Decode(std::u16string_view(u"\u0416AAA")), Base64Decode(std::string_view("AAAA")));
    EXPECT_EQ(Base64Decode(std::string_view("!!!!")), Bytes(3, 0));
}

// --- Passphrase rating ----------------------------------------------------------

struct RatingCase {
    const char* name;
    std::u16string passphrase;
    int score;
    bool red, yellow, green;
    int keys;
    int verdict;
};

void PrintTo(const RatingCase& c, std::ostream* os)
{
    *os << c.name;
}

class Rating : public testing::TestWithParam<RatingCase> {};

TEST_P(Rating, Table)
{
    const RatingCase& c = GetParam();
    const PassphraseRating r = RatePassphrase(c.passphrase);
    EXPECT_EQ(r.score, c.score);
    EXPECT_EQ(r.red, c.red);
    EXPECT_EQ(r.yellow, c.yellow);
    EXPECT_EQ(r.green, c.green);
    EXPECT_EQ(r.keys, c.keys);
    EXPECT_EQ(r.verdictId, c.verdict);
}

std::u16string repeat(std::u16string_view unit, std::size_t length)
{
    std::u16string s;
    while (s.size() < length)
        s += unit;
    return s.substr(0, length);
}

const std::u16string kEveryClass = repeat(u"Ab1{", 32);
const std::u16string kLetters32 = repeat(u"aB", 32);

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, Rating,
    testing::Values(
        RatingCase{"empty", u"", 0, true, false, false, 0, 124},
        RatingCase{"oneSmall", u"a", 2, true, false, false, 0, 124},
        RatingCase{"threeMixedOneKey", u"Ab1", 7, true, false, false, 1, 124},
        RatingCase{"sixSmall", u"abcdef", 12, true, true, false, 2, 125},
        RatingCase{"eightOneCapital", u"Abcdefgh", 19, true, true, false, 2, 125},
        RatingCase{"elevenHalfToEven", u"Abcdefghij1", 26, false, true, false, 3, 126},
        RatingCase{"letters32CappedAt71", kLetters32, 71, false, true, true, 4, 127},
        RatingCase{"capitals32", repeat(u"Q", 32), 65, false, true, true, 4, 127},
        RatingCase{"everyClass32", kEveryClass, 100, false, false, true, 5, 128},
        RatingCase{"everyClass31", kEveryClass.substr(0, 31), 97, false, false, true, 5, 128},
        RatingCase{"everyClass30", kEveryClass.substr(0, 30), 94, false, true, true, 4, 127},
        RatingCase{"oneDigitOneOtherCappedAt81", repeat(u"aB", 30) + u"1}", 81, false, true, true, 4, 127},
        RatingCase{"oneDigitTwoOthers", repeat(u"aB", 29) + u"1}}", 100, false, false, true, 5, 128},
        RatingCase{"twoOthersNoDigit", repeat(u"aB", 30) + u"}}", 75, false, true, true, 4, 127},
        RatingCase{"longerThan32CountsAll", kLetters32 + u"1{}", 100, false, false, true, 5, 128},
        RatingCase{"spaceIsSmallLetter", u"ABCDEF ", 16, true, true, false, 2, 125},
        RatingCase{"euroSignIsOther", repeat(u"aB", 29) + u"1\u20AC\u20AC", 100, false, false, true, 5, 128},
        RatingCase{"unrepresentableIsOther", repeat(u"aB", 29) + u"1\u0416\u0416", 100, false, false, true, 5,
                   128}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Rating, BaseScoresHalvesToEven)
{
    const int expected[] = {0,  3,  6,  9,  12, 16, 19, 22, 25, 28, 31, 34, 38, 41, 44, 47, 50,
                            53, 56, 59, 62, 66, 69, 72, 75, 78, 81, 84, 88, 91, 94, 97, 100};
    for (std::size_t n = 0; n <= 32; ++n) {
        // Every class present from n >= 4, so only the base score remains; shorter ones get 0.75 (no others).
        const std::u16string p = kEveryClass.substr(0, n);
        if (n >= 4) {
            EXPECT_EQ(RatePassphrase(p).score, expected[n]) << n;
        }
    }
}

// --- Command line ----------------------------------------------------------------

struct CmdCase {
    const char* name;
    QString line;
    CryptCommandLine::Rule rule;
    int mainTab, fileTab;
    QStringList tokens;
    std::optional<QString> output;
    QString decrypt;
};

void PrintTo(const CmdCase& c, std::ostream* os)
{
    *os << c.name;
}

class CommandLine : public testing::TestWithParam<CmdCase> {};

TEST_P(CommandLine, Table)
{
    const CmdCase& c = GetParam();
    const CryptCommandLine r = ParseCryptCommandLine(c.line);
    EXPECT_EQ(r.rule, c.rule);
    EXPECT_EQ(r.mainTab, c.mainTab);
    EXPECT_EQ(r.fileTab, c.fileTab);
    EXPECT_EQ(r.inputTokens, c.tokens);
    EXPECT_EQ(r.outputFile, c.output);
    EXPECT_EQ(r.decryptFile, c.decrypt);
}

using R = CryptCommandLine::Rule;
INSTANTIATE_TEST_SUITE_P(
    Rules, CommandLine,
    testing::Values(
        CmdCase{"empty", "", R::None, 1, 1, {}, {}, {}},
        CmdCase{"other", "hello /filee", R::None, 1, 1, {}, {}, {}},
        CmdCase{"filee", "/filee", R::FileEncrypt, 2, 1, {}, {}, {}},
        CmdCase{"fileeCapitals", "/FILEE", R::FileEncrypt, 2, 1, {}, {}, {}},
        CmdCase{"fileeAndMore", "/fileexyz /filed", R::FileEncrypt, 2, 1, {}, {}, {}},
        CmdCase{"filedAndLetters", "/filedabc", R::FileDecrypt, 2, 2, {}, {}, {}},
        CmdCase{"fileShort", "/file", R::None, 1, 1, {}, {}, {}},
        CmdCase{"setEncrTwoBlanks",
                "/setEncrFiles /a/x.txt  /b/y.txt /outputfile /out/my file.kuvo",
                R::SetEncrFiles,
                2,
                1,
                {"/a/x.txt", "", "/b/y.txt"},
                QString("/out/my file.kuvo"),
                {}},
        CmdCase{"setEncrOnlyOutputfile", "/setencrfiles /outputfile", R::SetEncrFiles, 2, 1, {}, {}, {}},
        CmdCase{"setEncrNothing", "/setencrfiles ", R::SetEncrFiles, 2, 1, {}, {}, {}},
        CmdCase{"setEncrNoOutput", "/SETENCRFILES a b", R::SetEncrFiles, 2, 1, {"a", "b"}, {}, {}},
        CmdCase{"secondOutputfileIsName",
                "/setencrfiles a /outputfile x /OUTPUTFILE y",
                R::SetEncrFiles,
                2,
                1,
                {"a"},
                QString("x /OUTPUTFILE y"),
                {}},
        CmdCase{"outputfileCaseIgnored",
                "/setencrfiles a /OutputFile o",
                R::SetEncrFiles,
                2,
                1,
                {"a"},
                QString("o"),
                {}},
        CmdCase{"onlyLastBlankRemoved",
                "/setencrfiles a /outputfile x ",
                R::SetEncrFiles,
                2,
                1,
                {"a"},
                QString("x "),
                {}},
        CmdCase{"oneCharacterNameKept",
                "/setencrfiles /outputfile ",
                R::SetEncrFiles,
                2,
                1,
                {},
                QString(" "),
                {}},
        CmdCase{"quotesKept",
                "/setencrfiles \"/a b/c\" /outputfile \"o\"",
                R::SetEncrFiles,
                2,
                1,
                {"\"/a", "b/c\""},
                QString("\"o\""),
                {}},
        CmdCase{"setEncrWithoutBlank", "/setencrfiles", R::None, 1, 1, {}, {}, {}},
        CmdCase{"setDecrBlanksKept",
                "/setdecrfile /my box/a b.kuvo ",
                R::SetDecrFile,
                2,
                2,
                {},
                {},
                "/my box/a b.kuvo "},
        CmdCase{"setDecrLeadingBlankKept", "/SetDecrFile  /x", R::SetDecrFile, 2, 2, {}, {}, " /x"},
        CmdCase{"setDecrWithoutBlank", "/setdecrfile", R::None, 1, 1, {}, {}, {}},
        CmdCase{"usage", "/?", R::Usage, 1, 1, {}, {}, {}},
        CmdCase{"usageAndMore", "/?x /filee", R::Usage, 1, 1, {}, {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CommandLine, UsageText)
{
    EXPECT_EQ(CryptUsageText("crypt"),
              QString("Parameters for Kuvo Crypt:\r\ncrypt [/setEncrFiles <list of files> /outputfile "
                      "<file>]|[/setDecrFile <file>]"));
}

// --- Text operation --------------------------------------------------------------

TEST(TextLines, WindowsLineRule)
{
    using namespace textcrypt;
    EXPECT_EQ(toWindowsLines("a\nb"), "a\r\nb");
    EXPECT_EQ(toWindowsLines("a\r\nb\n"), "a\r\nb\r\n");
    EXPECT_EQ(toWindowsLines("\n\n"), "\r\n\r\n");
    EXPECT_EQ(toWindowsLines("a\rb"), "a\rb");
    EXPECT_EQ(fromWindowsLines("a\r\nb\r\n"), "a\nb\n");
    EXPECT_EQ(fromWindowsLines("a\rb\nc"), "a\rb\nc");
}

TEST(TextChecks, RefusalsBeforeAnythingChanges)
{
    using namespace textcrypt;
    EXPECT_EQ(checkEncryptInput("", "pw"), Problem::Empty);
    EXPECT_EQ(checkEncryptInput("text", ""), Problem::Empty);
    EXPECT_EQ(checkEncryptInput(QString::fromUtf16(u"Stra\u00DFe \u20AC"), "pw"), Problem::None);
    EXPECT_EQ(checkEncryptInput(QString::fromUtf16(u"\u0416"), "pw"), Problem::TextNotRepresentable);
    EXPECT_EQ(checkEncryptInput(QString("a") + QChar(0) + "b", "pw"), Problem::TextNotRepresentable);
    EXPECT_EQ(checkEncryptInput("text", QString::fromUtf16(u"pw\u0416")),
              Problem::PassphraseNotRepresentable);
    EXPECT_EQ(checkDecryptInput("QUFB", QString::fromUtf16(u"\U0001F600")),
              Problem::PassphraseNotRepresentable);
    EXPECT_EQ(checkDecryptInput("", "pw"), Problem::Empty);
    EXPECT_EQ(messageId(Problem::Empty), 114);
    EXPECT_EQ(messageId(Problem::TextNotRepresentable), 201);
    EXPECT_EQ(messageId(Problem::PassphraseNotRepresentable), 202);
}

class TextLength : public testing::TestWithParam<std::pair<int, int>> {};

TEST_P(TextLength, Base64Size)
{
    const auto [characters, base64] = GetParam();
    CRijndael cipher;
    const auto r = textcrypt::encryptText(cipher, QString(characters, 'x'), keyOf("pw"));
    ASSERT_EQ(r.status, textcrypt::Status::Ok);
    QString compact = r.text;
    compact.remove("\r\n");
    EXPECT_EQ(compact.size(), base64);
    EXPECT_EQ(r.text.size(), base64 + 2 * ((base64 - 1) / 76));
    EXPECT_FALSE(r.text.endsWith("\r\n"));
}

INSTANTIATE_TEST_SUITE_P(Characters, TextLength,
                         testing::Values(std::pair{1, 88}, std::pair{25, 88}, std::pair{32, 88},
                                         std::pair{33, 128}));

TEST(TextCrypt, FormatIsRandomPrefixThenText)
{
    CRijndael cipher;
    const CipherKey key = keyOf("secret");
    const auto r = textcrypt::encryptText(cipher, QString::fromUtf16(u"Gr\u00FC\u00DFe"), key);
    ASSERT_EQ(r.status, textcrypt::Status::Ok);
    const Bytes raw = Base64Decode(view(r.text));
    CRijndael plain;
    const auto m = plain.DecryptData(raw, key);
    ASSERT_TRUE(m);
    ASSERT_EQ(m->size(), 64u);
    const Bytes text(m->begin() + 32, m->begin() + 37);
    EXPECT_EQ(text, (Bytes{'G', 'r', 0xFC, 0xDF, 'e'}));
    EXPECT_TRUE(std::all_of(m->begin() + 37, m->end(), [](auto b) { return b == 0; }));
}

TEST(TextCrypt, DecryptsABlockMadeByHand)
{
    // A peer's block: any 32 bytes, then the text; the prefix goes by position even when it holds zeros.
    Bytes message(32, 0);
    message[5] = 0xAA;
    for (char c : std::string("Line one\r\nLine two"))
        message.push_back(std::uint8_t(c));
    const CipherKey key = keyOf("p");
    CRijndael enc;
    const auto c = enc.EncryptData(message, key);
    CRijndael dec;
    const auto r = textcrypt::decryptText(dec, QString::fromLatin1(Base64Encode(*c)), key);
    ASSERT_EQ(r.status, textcrypt::Status::Ok);
    EXPECT_EQ(r.text, "Line one\r\nLine two");
}

TEST(TextCrypt, RoundTripDiffersEachTime)
{
    const QString text = QString::fromUtf16(u"Zwei Zeilen\r\nmit \u00C4 und \u20AC");
    CRijndael a, b;
    const auto first = textcrypt::encryptText(a, text, keyOf("pw"));
    const auto second = textcrypt::encryptText(b, text, keyOf("pw"));
    EXPECT_NE(first.text, second.text);
    for (const auto& block : {first.text, second.text}) {
        CRijndael d;
        const auto r = textcrypt::decryptText(d, block, keyOf("pw"));
        EXPECT_EQ(r.status, textcrypt::Status::Ok);
        EXPECT_EQ(r.text, text);
    }
}

class Rewrapped : public testing::TestWithParam<ToleranceCase> {};

TEST_P(Rewrapped, DecryptsToText)
{
    const QString text = "A text long enough to need a second line of Base64 characters in its block.";
    CRijndael e;
    const auto block = textcrypt::encryptText(e, text, keyOf("pw")).text.toStdString();
    CRijndael d;
    const auto r = textcrypt::decryptText(d, QString::fromStdString(GetParam().rewrite(block)), keyOf("pw"));
    EXPECT_EQ(r.status, textcrypt::Status::Ok);
    EXPECT_EQ(r.text == text, GetParam().same) << qPrintable(r.text);
}

std::string spaced(std::string s)
{
    for (std::size_t i = s.size(); i > 0; i -= std::min<std::size_t>(i, 7))
        s.insert(i, " ");
    return "  " + s;
}

INSTANTIATE_TEST_SUITE_P(Rewrites, Rewrapped,
                         testing::Values(ToleranceCase{"spaces", spaced, true},
                                         ToleranceCase{"extraCrLfPairs", extraBreaks, true},
                                         ToleranceCase{"equalsRemoved", removeEquals, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// Bytes Base64Decode gives for n characters of the alphabet.
std::size_t decodedLength(std::size_t n)
{
    return 3 * (n / 4) + (n % 4 == 2 ? 1 : n % 4 == 3 ? 2 : 0);
}

TEST(TextCrypt, SingleLineFeedsGiveWrongTextOrNoBlocks)
{
    // Each bare LF counts as a character. Usually the block count breaks (message 114); for a
    // text length where the extra characters still make whole blocks, the text comes out wrong.
    std::size_t wholeAgain = 0;
    for (std::size_t t = 1; t < 5000 && !wholeAgain; ++t) {
        const std::size_t c = 32 * ((32 + t + 31) / 32);
        const std::size_t chars = 4 * ((c + 2) / 3);
        const std::size_t pads = chars - (4 * (c / 3) + (c % 3 ? c % 3 + 1 : 0));
        const std::size_t lineFeeds = (chars - 1) / 76;
        if (lineFeeds > 0 && decodedLength(chars - pads + lineFeeds) % 32 == 0)
            wholeAgain = t;
    }
    ASSERT_NE(wholeAgain, 0u);
    for (std::size_t t : {std::size_t(75), wholeAgain}) {
        const QString text(qsizetype(t), 'k');
        CRijndael e;
        const auto block = textcrypt::encryptText(e, text, keyOf("pw")).text.toStdString();
        CRijndael d;
        const auto r = textcrypt::decryptText(d, QString::fromStdString(bareLf(block)), keyOf("pw"));
        if (t == wholeAgain) {
            EXPECT_EQ(r.status, textcrypt::Status::Ok) << t;
            EXPECT_NE(r.text, text);
        } else {
            EXPECT_EQ(r.status, textcrypt::Status::NotWholeBlocks) << t;
        }
    }
}

TEST(TextCrypt, NotWholeBlocks)
{
    CRijndael d;
    EXPECT_EQ(textcrypt::decryptText(d, QString::fromLatin1(Base64Encode(counting(33))), keyOf("pw")).status,
              textcrypt::Status::NotWholeBlocks);
    CRijndael d2;
    EXPECT_EQ(textcrypt::decryptText(d2, "Q", keyOf("pw")).status, textcrypt::Status::NotWholeBlocks);
    CRijndael d3;
    EXPECT_EQ(textcrypt::decryptText(d3, " = \r\n", keyOf("pw")).status, textcrypt::Status::NotWholeBlocks);
}

TEST(TextCrypt, WrongPassphraseGivesOtherTextWithoutError)
{
    CRijndael e;
    const auto block = textcrypt::encryptText(e, "Meet at noon", keyOf("right")).text;
    CRijndael d;
    const auto r = textcrypt::decryptText(d, block, keyOf("wrong"));
    EXPECT_EQ(r.status, textcrypt::Status::Ok);
    EXPECT_NE(r.text, "Meet at noon");
}

TEST(TextCrypt, CancelledBeforeStart)
{
    CRijndael e;
    e.cancel();
    EXPECT_EQ(textcrypt::encryptText(e, "x", keyOf("pw")).status, textcrypt::Status::Cancelled);
    CRijndael ok;
    const auto block = textcrypt::encryptText(ok, "x", keyOf("pw")).text;
    CRijndael d;
    d.cancel();
    EXPECT_EQ(textcrypt::decryptText(d, block, keyOf("pw")).status, textcrypt::Status::Cancelled);
}
