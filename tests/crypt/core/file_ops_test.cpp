// Encrypting files into a container and restoring them, through the same
// entry points the window and the command line use.
#include <QDirIterator>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include "crypt/core/decrypt_files.h"
#include "crypt/core/encrypt_files.h"
#include "crypt/core/input_list.h"
#include "files_test_util.h"

using namespace kuvo;
using namespace kuvo::test;

namespace {

class FileOps : public ::testing::Test {
protected:
    QTemporaryDir tmp;
    QString dir; // ends in "/"
    CipherKey key = keyOf(u"correct horse battery");
    FakeUi ui;

    void SetUp() override
    {
        useCryptCatalogueEnglish();
        dir = tmp.path() + "/";
    }

    EncryptResult encrypt(const QStringList& entries, const QString& container,
                          const QString& tag = FilesModeTag())
    {
        CRijndael cipher;
        return EncryptFiles({entries, tag, container}, key, cipher, ui);
    }
    DecryptResult decrypt(const QString& container, const QString& out, const CipherKey* other = nullptr)
    {
        QDir().mkpath(out);
        CRijndael cipher;
        return DecryptContainer({container, out}, other ? *other : key, cipher, ui);
    }
    QString file(const QString& name, const QByteArray& content)
    {
        writeFile(dir + name, content);
        return dir + name;
    }
    // Files and folders below folder, temporary ones included.
    QStringList everythingIn(const QString& folder) const
    {
        QStringList all;
        QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            all << QDir(folder).relativeFilePath(it.next());
        all.sort();
        return all;
    }
    QByteArray containerBytes(const QString& path) const { return readFile(path); }
};

TEST_F(FileOps, ThreeFilesRoundTripWithNamesAndBytes)
{
    const QByteArray text = prose(100000, 1), empty, random = noise(50000, 2);
    const QStringList inputs{file("in/a.txt", text), file("in/empty.bin", empty), file("in/r.bin", random)};
    const EncryptResult enc = encrypt(inputs, dir + "c.kuvo");
    ASSERT_EQ(enc.status, EncryptResult::Status::Done) << ui.errors.join("\n").toStdString();
    EXPECT_EQ(enc.notStored, 0);
    EXPECT_TRUE(ui.errors.isEmpty());

    const DecryptResult dec = decrypt(dir + "c.kuvo", dir + "out/");
    ASSERT_EQ(dec.status, DecryptResult::Status::Done) << ui.errors.join("\n").toStdString();
    EXPECT_EQ(dec.restored, 3);
    const std::map<QString, QByteArray> expected{{"a.txt", text}, {"empty.bin", empty}, {"r.bin", random}};
    EXPECT_EQ(treeOf(dir + "out"), expected);

    // A reader that decrypts each piece whole and hands the block to uncompress sees the same.
    const auto plain = readLikeOriginal(containerBytes(dir + "c.kuvo"), key);
    ASSERT_EQ(plain.size(), 3u);
    EXPECT_EQ(plain[0].name, "a.txt");
    EXPECT_TRUE(plain[0].blockOk);
    EXPECT_EQ(plain[0].content, text);
    EXPECT_LT(plain[0].flag, 32);
    EXPECT_EQ(plain[1].flag, 99);
    EXPECT_EQ(plain[2].content, random);
}

TEST_F(FileOps, LargeFilesAreStreamedAndStayReadableWhole)
{
    // 12 MiB of noise compresses to more than is kept whole; 40 MiB of text to little.
    const QByteArray random = noise(12 << 20, 3), text = prose(40 << 20, 4);
    const QStringList inputs{file("in/noise.bin", random), file("in/text.txt", text)};
    ASSERT_EQ(encrypt(inputs, dir + "big.kuvo").status, EncryptResult::Status::Done);
    for (const auto& e : readLikeOriginal(containerBytes(dir + "big.kuvo"), key)) {
        EXPECT_TRUE(e.blockOk) << e.name.toStdString();
        EXPECT_EQ(e.content, e.name == "noise.bin" ? random : text) << e.name.toStdString();
    }
    ASSERT_EQ(decrypt(dir + "big.kuvo", dir + "out/").status, DecryptResult::Status::Done);
    EXPECT_TRUE(readFile(dir + "out/noise.bin") == random);
    EXPECT_TRUE(readFile(dir + "out/text.txt") == text);
    EXPECT_GT(ui.yields, 100); // the work was cut into small steps
}

TEST_F(FileOps, EmptyFileWithThirtyCharacterNameMakesThe71ByteContainer)
{
    const QString name = "abcdefghijklmnopqrstuvwxyz.txt";
    ASSERT_EQ(name.size(), 30);
    ASSERT_EQ(encrypt({file(name, {})}, dir + "e.kuvo").status, EncryptResult::Status::Done);
    const QByteArray c = containerBytes(dir + "e.kuvo");
    ASSERT_EQ(c.size(), 71);
    EXPECT_EQ(le32(reinterpret_cast<const std::uint8_t*>(c.constData())), 63u); // 64 bytes of ciphertext
    EXPECT_EQ(c.right(3), QByteArray("\x44\xFF\x02", 3));
    const auto plain = readLikeOriginal(c, key);
    ASSERT_EQ(plain.size(), 1u);
    EXPECT_EQ(plain[0].flag, 99);
    EXPECT_EQ(plain[0].name, name.toLatin1());
    ASSERT_EQ(decrypt(dir + "e.kuvo", dir + "out/").status, DecryptResult::Status::Done);
    EXPECT_EQ(treeOf(dir + "out"), (std::map<QString, QByteArray>{{name, {}}}));
}

TEST_F(FileOps, DirectoryModeStoresSubFoldersAndRecreatesThem)
{
    file("tree/sub/name.txt", "inner");
    file("tree/top.txt", "top");
    InputFileList list;
    AddDirectoryTree(list, dir + "tree/");
    ASSERT_EQ(encrypt(list.entries(), dir + "d.kuvo", DirectoryModeTag(dir + "tree/")).status,
              EncryptResult::Status::Done);
    const auto plain = readLikeOriginal(containerBytes(dir + "d.kuvo"), key);
    ASSERT_EQ(plain.size(), 2u);
    EXPECT_EQ(plain[0].name, "sub\\name.txt");
    EXPECT_EQ(plain[1].name, "top.txt");

    ASSERT_EQ(decrypt(dir + "d.kuvo", dir + "out/").status, DecryptResult::Status::Done);
    EXPECT_EQ(treeOf(dir + "out"), treeOf(dir + "tree"));
    // A folder that exists already is used as it is.
    file("out2/sub/other.txt", "keep");
    ASSERT_EQ(decrypt(dir + "d.kuvo", dir + "out2").status, DecryptResult::Status::Done);
    EXPECT_EQ(readFile(dir + "out2/sub/name.txt"), "inner");
    EXPECT_EQ(readFile(dir + "out2/sub/other.txt"), "keep");
}

TEST_F(FileOps, VanishedMiddleFileGetsEntrySizeZero)
{
    const QStringList inputs{file("a.txt", prose(5000, 5)), dir + "gone.txt", file("c.txt", prose(70000, 6))};
    const EncryptResult enc = encrypt(inputs, dir + "v.kuvo");
    ASSERT_EQ(enc.status, EncryptResult::Status::Done);
    ASSERT_EQ(ui.errors.size(), 1);
    EXPECT_TRUE(ui.errors[0].startsWith("Error: " + dir + "gone.txt: ")) << ui.errors[0].toStdString();
    ASSERT_EQ(enc.entrySizes.size(), 3u);
    EXPECT_EQ(enc.entrySizes[1], 0u);
    EXPECT_EQ(enc.notStored, 1);

    // The entry list: S1 digits, FF, FF (no digits for the missing file), S3 digits, FF, then its length.
    QByteArray list;
    const auto digits = [&](std::uint32_t v) {
        for (; v > 0; v /= 255)
            list += char(v % 255);
    };
    digits(enc.entrySizes[0]);
    list += "\xFF\xFF";
    digits(enc.entrySizes[2]);
    list += '\xFF';
    const QByteArray c = containerBytes(dir + "v.kuvo");
    ASSERT_LT(list.size(), 255);
    EXPECT_EQ(c.right(list.size() + 1), list + char(list.size()));
    EXPECT_EQ(qint64(c.size()), qint64(enc.entrySizes[0]) + enc.entrySizes[2] + list.size() + 1);

    ui.errors.clear();
    const DecryptResult dec = decrypt(dir + "v.kuvo", dir + "out/");
    ASSERT_EQ(dec.status, DecryptResult::Status::Done) << ui.errors.join("\n").toStdString();
    EXPECT_EQ(dec.restored, 2);
    EXPECT_EQ(readFile(dir + "out/c.txt"), readFile(dir + "c.txt"));
}

TEST_F(FileOps, EntryListLongerThan254BytesRestoresEveryFile)
{
    QStringList inputs;
    for (int i = 0; i < 130; ++i)
        inputs << file(QString("many/f%1").arg(i, 3, 10, QChar('0')), {});
    const EncryptResult enc = encrypt(inputs, dir + "m.kuvo");
    ASSERT_EQ(enc.status, EncryptResult::Status::Done);
    const QByteArray c = containerBytes(dir + "m.kuvo");
    EXPECT_EQ(c.right(2), QByteArray("\x05\x01", 2)); // 260 bytes of entry list
    const DecryptResult dec = decrypt(dir + "m.kuvo", dir + "out/");
    ASSERT_EQ(dec.status, DecryptResult::Status::Done);
    EXPECT_EQ(dec.restored, 130);
    EXPECT_TRUE(QFile::exists(dir + "out/f129"));
}

TEST_F(FileOps, ContainerWithContinuationPiecesIsRestored)
{
    QByteArray content = prose(3 << 20, 7) + noise(2 << 20, 8);
    const QByteArray name = "big.bin";
    const qsizetype first = 2097152 - 34 - name.size();
    ContainerBuilder b(key);
    const Bytes b1 = block(content.left(first));
    b.entry(name, std::uint8_t(b1.size() % 32), b1,
            {block(content.mid(first, 2097152)), block(content.mid(first + 2097152))});
    b.file("small.txt", "after the big one");
    b.save(dir + "cont.kuvo");

    const DecryptResult dec = decrypt(dir + "cont.kuvo", dir + "out/");
    ASSERT_EQ(dec.status, DecryptResult::Status::Done) << ui.errors.join("\n").toStdString();
    EXPECT_TRUE(readFile(dir + "out/big.bin") == content);
    EXPECT_EQ(readFile(dir + "out/small.txt"), "after the big one");

    CRijndael cipher;
    const ListResult listed = ListContainer(dir + "cont.kuvo", key, cipher, ui);
    ASSERT_TRUE(listed.ok);
    ASSERT_EQ(listed.entries.size(), 2u);
    EXPECT_EQ(listed.entries[0].name, "big.bin");
    EXPECT_EQ(listed.entries[0].size, std::uint64_t(content.size()));
    EXPECT_EQ(listed.entries[1].size, 17u);
}

TEST_F(FileOps, ContinuationPieceThatDoesNotFollowOnIsDamage)
{
    // The first chunk is shorter than the layout says: the second piece's
    // content would leave a gap, so the entry is refused and nothing is left.
    const QByteArray content = prose(3 << 20, 9);
    ContainerBuilder b(key);
    const Bytes b1 = block(content.left(1000));
    b.entry("gap.bin", std::uint8_t(b1.size() % 32), b1, {block(content.mid(1000))});
    b.save(dir + "gap.kuvo");
    EXPECT_EQ(decrypt(dir + "gap.kuvo", dir + "out/").status, DecryptResult::Status::Failed);
    EXPECT_EQ(ui.errors, QStringList{LoadText(207)});
    EXPECT_TRUE(everythingIn(dir + "out").isEmpty());
}

struct LightCase {
    const char* name;
    bool encrypting;
    int files;
    QStringList log; // "overall progress value:lamps on"
};

void PrintTo(const LightCase& c, std::ostream* os)
{
    *os << c.name;
}

class LightSequences : public FileOps, public ::testing::WithParamInterface<LightCase> {};

TEST_P(LightSequences, FollowTheRunsProgress)
{
    const LightCase& c = GetParam();
    QStringList inputs;
    for (int i = 0; i < c.files; ++i)
        inputs << file(QString("in/%1.txt").arg(i), prose(100, std::uint32_t(i)));
    ASSERT_EQ(encrypt(inputs, dir + "l.kuvo").status, EncryptResult::Status::Done);
    if (!c.encrypting) {
        ui = FakeUi();
        ASSERT_EQ(decrypt(dir + "l.kuvo", dir + "out/").status, DecryptResult::Status::Done);
    }
    EXPECT_EQ(ui.lightLog, c.log);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LightSequences,
    ::testing::Values(LightCase{"encryptFour", true, 4, {"0:R", "2:RY", "3:Y", "4:YG", "4:G"}},
                      LightCase{"encryptOne", true, 1, {"0:R", "1:RY", "1:Y", "1:YG", "1:G"}},
                      LightCase{"encryptEight", true, 8, {"0:R", "3:RY", "5:Y", "7:YG", "8:G"}},
                      LightCase{"decryptOne", false, 1, {"0:R", "1:G"}},
                      LightCase{"decryptFour", false, 4, {"0:R", "1:RY", "2:Y", "4:YG", "4:G"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FileOps, CancelDuringTheFirstFileLeavesNoContainer)
{
    const QStringList inputs{file("in/big.bin", noise(3 << 20, 10)), file("in/b.txt", "b")};
    CRijndael cipher;
    ui.onYield = [&] { cipher.cancel(); };
    const EncryptResult r = EncryptFiles({inputs, FilesModeTag(), dir + "x.kuvo"}, key, cipher, ui);
    EXPECT_EQ(r.status, EncryptResult::Status::Cancelled);
    EXPECT_TRUE(ui.errors.isEmpty());
    EXPECT_EQ(everythingIn(dir), (QStringList{"in", "in/b.txt", "in/big.bin"}));
}

TEST_F(FileOps, CancelWhileRestoringLeavesNoPartialFile)
{
    const QByteArray big = noise(3 << 20, 11);
    ASSERT_EQ(encrypt({file("in/big.bin", big), file("in/z.txt", "z")}, dir + "c.kuvo").status,
              EncryptResult::Status::Done);
    CRijndael cipher;
    // Cancel once the big file is partly written.
    ui.onEntryProgress = [&](int permille) {
        if (permille > 0 && permille < 1000)
            cipher.cancel();
    };
    QDir().mkpath(dir + "out");
    const DecryptResult r = DecryptContainer({dir + "c.kuvo", dir + "out/"}, key, cipher, ui);
    EXPECT_EQ(r.status, DecryptResult::Status::Cancelled);
    EXPECT_TRUE(ui.errors.isEmpty());
    EXPECT_TRUE(everythingIn(dir + "out").isEmpty()) << everythingIn(dir + "out").join(",").toStdString();
}

TEST_F(FileOps, ThreeByteContainerHasNoUsableContent)
{
    file("three.kuvo", "abc");
    EXPECT_EQ(decrypt(dir + "three.kuvo", dir + "out/").status, DecryptResult::Status::Failed);
    EXPECT_EQ(ui.errors, QStringList{"File has no usable content!"});
    EXPECT_TRUE(everythingIn(dir + "out").isEmpty());
}

TEST_F(FileOps, MissingContainerIsAnError)
{
    EXPECT_EQ(decrypt(dir + "none.kuvo", dir + "out/").status, DecryptResult::Status::Failed);
    ASSERT_EQ(ui.errors.size(), 1);
    EXPECT_TRUE(ui.errors[0].startsWith("Error: " + dir + "none.kuvo: "));
}

// --- Faults mended against the format's first programs ---------------------------

class TraversalNames : public FileOps, public ::testing::WithParamInterface<const char*> {};

TEST_P(TraversalNames, AreRefusedAndNothingIsWritten)
{
    const QByteArray name = GetParam();
    ContainerBuilder b(key);
    b.file("fine.txt", "fine");
    b.file(name, "payload");
    b.file("never.txt", "never");
    b.save(dir + "evil.kuvo");
    const QString out = dir + "a/b/out/";
    EXPECT_EQ(decrypt(dir + "evil.kuvo", out).status, DecryptResult::Status::Failed);
    EXPECT_EQ(ui.errors, QStringList{LoadText(203, QString::fromLatin1(name))});
    // The run stops at the refused entry; the one before it stays.
    EXPECT_EQ(everythingIn(dir + "a"), (QStringList{"b", "b/out", "b/out/fine.txt"}));
}

INSTANTIATE_TEST_SUITE_P(Cases, TraversalNames,
                         ::testing::Values("..\\evil.txt", "sub\\..\\..\\evil.txt", "\\tmp\\evil.txt",
                                           "C:\\evil.txt", "sub\\\\evil.txt", "sub/../../evil.txt", "..",
                                           "sub\\"));

TEST_F(FileOps, LinkedFolderInTheOutputIsNotFollowed)
{
    ContainerBuilder b(key);
    b.file("sub\\x.txt", "x");
    b.save(dir + "l.kuvo");
    QDir().mkpath(dir + "elsewhere");
    QDir().mkpath(dir + "out");
    ASSERT_EQ(::symlink(QFile::encodeName(dir + "elsewhere").constData(),
                        QFile::encodeName(dir + "out/sub").constData()),
              0);
    EXPECT_EQ(decrypt(dir + "l.kuvo", dir + "out/").status, DecryptResult::Status::Failed);
    EXPECT_TRUE(everythingIn(dir + "elsewhere").isEmpty());
}

TEST_F(FileOps, WrongPassphraseCreatesNothing)
{
    file("tree/sub/deep/a.txt", prose(3000, 12));
    file("tree/b.bin", noise(3000, 13));
    file("tree/empty", {});
    InputFileList list;
    AddDirectoryTree(list, dir + "tree/");
    ASSERT_EQ(encrypt(list.entries(), dir + "w.kuvo", DirectoryModeTag(dir + "tree/")).status,
              EncryptResult::Status::Done);
    for (const char16_t* wrong : {u"correct horse batterz", u"Correct horse battery", u"", u"x", u"wrong"}) {
        ui.errors.clear();
        const CipherKey other = keyOf(wrong);
        EXPECT_EQ(decrypt(dir + "w.kuvo", dir + "out/", &other).status, DecryptResult::Status::Failed);
        EXPECT_EQ(ui.errors, QStringList{LoadText(207)});
        EXPECT_TRUE(everythingIn(dir + "out").isEmpty()) << everythingIn(dir + "out").join(",").toStdString();
    }
}

TEST_F(FileOps, DamagedFirstPieceCreatesNothing)
{
    ASSERT_EQ(encrypt({file("in/a.txt", prose(3000, 14))}, dir + "d.kuvo").status,
              EncryptResult::Status::Done);
    QByteArray c = containerBytes(dir + "d.kuvo");
    c[4 + 40] = char(c[4 + 40] ^ 0x01); // inside the second block: the name and magic
    file("d2.kuvo", c);
    EXPECT_EQ(decrypt(dir + "d2.kuvo", dir + "out/").status, DecryptResult::Status::Failed);
    EXPECT_EQ(ui.errors, QStringList{LoadText(207)});
    EXPECT_TRUE(everythingIn(dir + "out").isEmpty());

    // A first piece whose length is not whole blocks.
    ui.errors.clear();
    c = containerBytes(dir + "d.kuvo");
    c[0] = char(c[0] ^ 0x01);
    file("d3.kuvo", c);
    EXPECT_EQ(decrypt(dir + "d3.kuvo", dir + "out/").status, DecryptResult::Status::Failed);
    EXPECT_EQ(ui.errors, QStringList{LoadText(207)});
}

TEST_F(FileOps, DamageLaterInAnEntryKeepsTheOldFile)
{
    // A stream damaged near its end shows only after the output was begun.
    const QByteArray content = noise(1 << 20, 15);
    Bytes body = block(content);
    body[body.size() - 100] ^= 0x55;
    ContainerBuilder b(key);
    b.file("first.txt", "first");
    b.entry("big.bin", std::uint8_t(body.size() % 32), body);
    b.save(dir + "late.kuvo");
    file("out/big.bin", "old content");
    ui.overwriteAnswers = {OverwriteChoice::Overwrite};
    EXPECT_EQ(decrypt(dir + "late.kuvo", dir + "out/").status, DecryptResult::Status::Failed);
    EXPECT_EQ(ui.errors, QStringList{LoadText(114)}); // a file was restored before it
    EXPECT_EQ(readFile(dir + "out/big.bin"), "old content");
    EXPECT_EQ(everythingIn(dir + "out"), (QStringList{"big.bin", "first.txt"}));
}

TEST_F(FileOps, ContainerOverItsOwnInputIsRefusedBeforeAnythingChanges)
{
    const QString a = file("in/a.txt", "precious a"), b = file("in/b.txt", "precious b");
    ASSERT_EQ(::symlink(QFile::encodeName(a).constData(), QFile::encodeName(dir + "link.kuvo").constData()),
              0);
    for (const QString& container : {dir + "in/sub/../b.txt", dir + "in//a.txt", dir + "link.kuvo"}) {
        ui.errors.clear();
        EXPECT_EQ(encrypt({a, b}, container).status, EncryptResult::Status::Failed);
        EXPECT_EQ(ui.errors, QStringList{LoadText(204, container)});
    }
    EXPECT_EQ(readFile(a), "precious a");
    EXPECT_EQ(readFile(b), "precious b");
    EXPECT_EQ(everythingIn(dir + "in"), (QStringList{"a.txt", "b.txt"}));
}

TEST_F(FileOps, FileTooLargeForTheFormatGetsEntrySizeZero)
{
    const QString huge = dir + "huge.bin";
    {
        QFile f(huge);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(qint64(1) << 31)); // sparse: nothing is read
    }
    const EncryptResult r = encrypt({huge, file("small.txt", "small")}, dir + "t.kuvo");
    ASSERT_EQ(r.status, EncryptResult::Status::Done);
    EXPECT_EQ(ui.errors, QStringList{LoadText(205, huge)});
    EXPECT_EQ(r.entrySizes[0], 0u);
    EXPECT_GT(r.entrySizes[1], 0u);
    ASSERT_EQ(decrypt(dir + "t.kuvo", dir + "out/").status, DecryptResult::Status::Done);
    EXPECT_EQ(treeOf(dir + "out"), (std::map<QString, QByteArray>{{"small.txt", "small"}}));
}

TEST_F(FileOps, ClaimedContentLengthIsNeverTrusted)
{
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    ContainerBuilder b(key);
    b.entry("claims4g.txt", 0, block("ten bytes!", 0xFFFFFFFFu));
    b.save(dir + "claim.kuvo");
    ASSERT_EQ(decrypt(dir + "claim.kuvo", dir + "out/").status, DecryptResult::Status::Done);
    EXPECT_EQ(readFile(dir + "out/claims4g.txt"), "ten bytes!");
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 64 * 1024); // KiB

    // More content than claimed is damage.
    ContainerBuilder more(key);
    more.entry("short-claim.txt", 0, block(prose(5000, 16), 100));
    more.save(dir + "more.kuvo");
    ui.errors.clear();
    EXPECT_EQ(decrypt(dir + "more.kuvo", dir + "out2/").status, DecryptResult::Status::Failed);
    EXPECT_EQ(ui.errors, QStringList{LoadText(207)});
    EXPECT_TRUE(everythingIn(dir + "out2").isEmpty());
}

TEST_F(FileOps, FileChangingWhileReadIsNotStoredAndTheContainerStaysSound)
{
    const QString a = file("in/a.txt", "first"), grows = file("in/grows.bin", noise(8 << 20, 18)),
                  c = file("in/c.txt", "third");
    bool appended = false;
    ui.onYield = [&] {
        if (ui.started.size() == 2 && !appended) {
            QFile f(grows);
            ASSERT_TRUE(f.open(QIODevice::Append));
            f.write("x");
            appended = true;
        }
    };
    const EncryptResult r = encrypt({a, grows, c}, dir + "g.kuvo");
    ASSERT_TRUE(appended);
    ASSERT_EQ(r.status, EncryptResult::Status::Done);
    EXPECT_EQ(ui.errors, QStringList{LoadText(208, grows)});
    EXPECT_EQ(r.entrySizes[1], 0u);
    // What was written of the failed record was cut off again: the next
    // record starts where it would have started.
    ui.errors.clear();
    ui.onYield = nullptr;
    ASSERT_EQ(decrypt(dir + "g.kuvo", dir + "out/").status, DecryptResult::Status::Done);
    EXPECT_EQ(treeOf(dir + "out"), (std::map<QString, QByteArray>{{"a.txt", "first"}, {"c.txt", "third"}}));
}

TEST_F(FileOps, NamesWindows1252CannotHoldGoAsUtf8)
{
    const QString utf8Name = QString::fromUtf8("日本語 ✓.txt"), ansiName = QString::fromUtf8("Café.txt");
    const EncryptResult r =
        encrypt({file(utf8Name, "u"), file(ansiName, "a"), file("back\\slash.txt", "b")}, dir + "n.kuvo");
    ASSERT_EQ(r.status, EncryptResult::Status::Done);
    EXPECT_EQ(ui.errors, QStringList{LoadText(206, dir + "back\\slash.txt")});
    EXPECT_EQ(r.entrySizes[2], 0u);
    const auto plain = readLikeOriginal(containerBytes(dir + "n.kuvo"), key);
    ASSERT_EQ(plain.size(), 2u);
    EXPECT_EQ(plain[0].name, utf8Name.toUtf8());
    EXPECT_EQ(plain[1].name, "Caf\xE9.txt");
    ui.errors.clear();
    ASSERT_EQ(decrypt(dir + "n.kuvo", dir + "out/").status, DecryptResult::Status::Done);
    EXPECT_EQ(treeOf(dir + "out"), (std::map<QString, QByteArray>{{utf8Name, "u"}, {ansiName, "a"}}));
}

TEST_F(FileOps, FileNamedThroughALinkIsReadAsNamed)
{
    const QString target = file("real.txt", "the target's bytes");
    ASSERT_EQ(
        ::symlink(QFile::encodeName(target).constData(), QFile::encodeName(dir + "alias.txt").constData()),
        0);
    ASSERT_EQ(encrypt({dir + "alias.txt"}, dir + "s.kuvo").status, EncryptResult::Status::Done);
    ASSERT_EQ(decrypt(dir + "s.kuvo", dir + "out/").status, DecryptResult::Status::Done);
    EXPECT_EQ(treeOf(dir + "out"), (std::map<QString, QByteArray>{{"alias.txt", "the target's bytes"}}));
}

TEST_F(FileOps, SpecialFilesAndUnwritableContainersAreErrors)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir + "fifo").constData(), 0600), 0);
    const EncryptResult r = encrypt({dir + "fifo", file("ok.txt", "ok")}, dir + "f.kuvo");
    ASSERT_EQ(r.status, EncryptResult::Status::Done); // the FIFO was not opened for a blocking read
    EXPECT_EQ(r.entrySizes[0], 0u);
    ASSERT_EQ(ui.errors.size(), 1);

    ui.errors.clear();
    EXPECT_EQ(encrypt({dir + "ok.txt"}, dir + "no/such/folder/c.kuvo").status, EncryptResult::Status::Failed);
    ASSERT_EQ(ui.errors.size(), 1);
    EXPECT_TRUE(ui.errors[0].startsWith("Error: " + dir + "no/such/folder/c.kuvo: "));

    // A folder as the container is refused before any work is done.
    ui.errors.clear();
    ui.lightLog.clear();
    QDir().mkpath(dir + "folder.kuvo");
    EXPECT_EQ(encrypt({dir + "ok.txt"}, dir + "folder.kuvo").status, EncryptResult::Status::Failed);
    EXPECT_EQ(ui.errors, QStringList{"Error: " + dir + "folder.kuvo: Is a directory"});
    EXPECT_EQ(ui.lightLog, QStringList{"0:R"});
    EXPECT_TRUE(everythingIn(dir + "folder.kuvo").isEmpty());
}

TEST_F(FileOps, ExistingFilesAreReplacedRenamedOrSkippedAsAnswered)
{
    const QStringList inputs{file("in/1.txt", "one"), file("in/2.txt", "two"), file("in/3.txt", "three")};
    ASSERT_EQ(encrypt(inputs, dir + "o.kuvo").status, EncryptResult::Status::Done);
    file("out/1.txt", "old 1");
    file("out/2.txt", "old 2");
    file("out/3.txt", "old 3");
    ui.overwriteAnswers = {OverwriteChoice::Overwrite, OverwriteChoice::OtherName,
                           OverwriteChoice::OtherName};
    ui.saveAsAnswers = {dir + "elsewhere.txt", ""};
    const DecryptResult r = decrypt(dir + "o.kuvo", dir + "out/");
    ASSERT_EQ(r.status, DecryptResult::Status::Done);
    EXPECT_EQ(r.restored, 2);
    EXPECT_EQ(r.skipped, 1);
    ASSERT_EQ(ui.questions.size(), 3);
    EXPECT_EQ(ui.questions[0], LoadText(178, dir + "out/1.txt"));
    EXPECT_EQ(readFile(dir + "out/1.txt"), "one");
    EXPECT_EQ(readFile(dir + "out/2.txt"), "old 2");
    EXPECT_EQ(readFile(dir + "elsewhere.txt"), "two");
    EXPECT_EQ(readFile(dir + "out/3.txt"), "old 3");
}

TEST_F(FileOps, SameFileAndPassphraseGiveDifferentContainers)
{
    const QString in = file("in/a.txt", "same");
    ASSERT_EQ(encrypt({in}, dir + "1.kuvo").status, EncryptResult::Status::Done);
    ASSERT_EQ(encrypt({in}, dir + "2.kuvo").status, EncryptResult::Status::Done);
    const QByteArray c1 = containerBytes(dir + "1.kuvo"), c2 = containerBytes(dir + "2.kuvo");
    ASSERT_EQ(c1.size(), c2.size());
    int same = 0;
    for (qsizetype i = 4; i < c1.size() - 3; ++i)
        same += c1[i] == c2[i];
    EXPECT_LT(same, 10);
}

TEST_F(FileOps, ListShowsNamesAndSizesAndWritesNothing)
{
    const QStringList inputs{file("in/a.txt", prose(12345, 17)), dir + "in/gone", file("in/e", {})};
    ASSERT_EQ(encrypt(inputs, dir + "list.kuvo").status, EncryptResult::Status::Done);
    const QStringList before = everythingIn(dir);
    CRijndael cipher;
    const ListResult r = ListContainer(dir + "list.kuvo", key, cipher, ui);
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(r.entries.size(), 3u);
    EXPECT_EQ(r.entries[0].name, "a.txt");
    EXPECT_EQ(r.entries[0].size, 12345u);
    EXPECT_FALSE(r.entries[1].stored);
    EXPECT_EQ(r.entries[2].size, 0u);
    EXPECT_EQ(everythingIn(dir), before);

    ui.errors.clear();
    const CipherKey other = keyOf(u"not it");
    CRijndael c2;
    EXPECT_FALSE(ListContainer(dir + "list.kuvo", other, c2, ui).ok);
    EXPECT_EQ(ui.errors, QStringList{LoadText(207)});
}

TEST_F(FileOps, OutputFolderRules)
{
    EXPECT_EQ(DefaultOutputFolder("/home/u/c.kuvo"), "/home/u/");
    EXPECT_EQ(ValidatedOutputFolder("", "/home/u/c.kuvo"), "/home/u/");
    EXPECT_EQ(ValidatedOutputFolder("/tmp/x", "/home/u/c.kuvo"), "/tmp/x/");
    EXPECT_EQ(ValidatedOutputFolder("/tmp/x/", "/home/u/c.kuvo"), "/tmp/x/");
}

} // namespace
