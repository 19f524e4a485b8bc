// The erase engine on real files in a temporary folder.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "change/core/delvsitr.h"
#include "common/catalogue.h"
#include "common/lang.h"
#include "engine_support.h"

using namespace kuvo::change;
using kuvo::LoadText;
using kuvo::test::readFile;
using kuvo::test::RecordingUi;
using kuvo::test::RecordingWriter;
using kuvo::test::writeFile;

namespace {

constexpr qint64 kNoon = 12LL * 3600 * 1000; // throw-away number 216000

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        kuvo::setActiveCatalogue(kuvo::Catalogue::fromResource(":/catalogue/change.tsv"));
        kuvo::LangOffset = kuvo::kOffsetEnglish;
        ASSERT_TRUE(dir.isValid());
        options.writer = &writer;
        options.msecsSinceMidnight = [] { return kNoon; };
        writer.chunkSize = 4096; // several chunks per pass
    }

    QString path(const QString& name) const { return dir.filePath(name); }
    QString make(const QString& name, const QByteArray& content)
    {
        const QString p = path(name);
        EXPECT_TRUE(writeFile(p, content));
        return p;
    }
    QStringList folder() const
    {
        return QDir(dir.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    }
    EraseReport run(QStringList list, int strength)
    {
        EraseReport r = DelVSITR(list, strength, ui, options);
        EXPECT_TRUE(list.isEmpty());
        return r;
    }

    QTemporaryDir dir;
    RecordingUi ui;
    RecordingWriter writer;
    EraseOptions options;
};

QByteArray sample(int size)
{
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i)
        b[i] = char('a' + i % 26);
    return b;
}

// ---------------------------------------------------------------- one file, each strength

struct StrengthRow {
    int strength;
    int size;
    QList<unsigned char> passes;
    QList<int> statuses; // per file, then the end
    QStringList lights;
};

void PrintTo(const StrengthRow& row, std::ostream* os)
{
    *os << "strength " << row.strength << ", " << row.size << " bytes";
}

class StrengthTest : public EngineTest, public ::testing::WithParamInterface<StrengthRow> {};

TEST_P(StrengthTest, passesStatusesLightsAndBars)
{
    const StrengthRow row = GetParam();
    const QString file = make("secret.txt", sample(row.size));
    const EraseReport report = run({file}, row.strength);

    ASSERT_EQ(writer.passes.size(), row.passes.size());
    for (qsizetype k = 0; k < row.passes.size(); ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(writer.passes[k].byte, row.passes[k]);
        EXPECT_EQ(writer.passes[k].length, row.size);
        EXPECT_EQ(writer.passes[k].sizeAfter, row.size); // the length never changes
        EXPECT_TRUE(writer.passes[k].uniform);
    }
    EXPECT_EQ(ui.statusIds(), row.statuses);
    EXPECT_EQ(ui.lights, row.lights);
    EXPECT_EQ(ui.messages, QStringList{"Done!"});
    EXPECT_EQ(ui.busy, (QList<bool>{true, false}));
    EXPECT_EQ(ui.files, (QStringList{file, QString()}));
    EXPECT_EQ(ui.overall.first(), qMakePair(0, 1));
    EXPECT_EQ(ui.overall.last(), qMakePair(1, 1));
    // Bar of width 90: starts at 1 and grows by FileStep for every step of the strength.
    const int step = FileStep(90, row.strength);
    QList<int> bars{1};
    for (int s = 0; s < stepsPerFile(row.strength); ++s)
        bars << bars.last() + step;
    EXPECT_EQ(ui.bars, bars);
    EXPECT_EQ(report.end, EraseReport::End::Finished);
    EXPECT_EQ(report.erased, QStringList{file});
    EXPECT_TRUE(folder().isEmpty()) << folder().join(",").toStdString(); // no throw-away name left
}

const QList<unsigned char> kVsitr{0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0xAA};

INSTANTIATE_TEST_SUITE_P(
    Engine, StrengthTest,
    ::testing::Values(
        StrengthRow{Normal, 10000, {}, {135, 139, 140}, {"R", "G"}},
        StrengthRow{Once, 10000, {0x00}, {135, 136, 137, 139, 140}, {"R", "RY", "RYG", "G"}},
        StrengthRow{Twice, 10000, {0x00, 0xFF}, {135, 136, 137, 138, 139, 140}, {"R", "RY", "Y", "YG", "G"}},
        StrengthRow{Vsitr, 10000, kVsitr, {135, 136, 137, 138, 139, 140}, {"R", "RY", "Y", "YG", "G"}},
        // An empty file: nothing to write, yet every pass and bar step happens.
        StrengthRow{Vsitr, 0, kVsitr, {135, 136, 137, 138, 139, 140}, {"R", "RY", "Y", "YG", "G"}},
        StrengthRow{Once, 0, {0x00}, {135, 136, 137, 139, 140}, {"R", "RY", "RYG", "G"}}),
    [](const auto& info) {
        return "strength" + std::to_string(info.param.strength) + "_size" + std::to_string(info.param.size);
    });

TEST_F(EngineTest, vsitrLightsWithinThePasses)
{
    // Yellow alone through the six alternating passes, green joins before the seventh.
    QStringList lightsAtPass;
    writer.onPass = [&] { lightsAtPass << ui.lights.last(); };
    run({make("a", "abc")}, Vsitr);
    EXPECT_EQ(lightsAtPass, (QStringList{"Y", "Y", "Y", "Y", "Y", "Y", "YG"}));
}

TEST_F(EngineTest, severalFilesResetTheBarAndCountOverall)
{
    const QStringList files{make("a", "1"), make("b", "22"), make("c", "333")};
    run(files, Once);
    EXPECT_EQ(ui.overall, (QList<QPair<int, int>>{{0, 3}, {1, 3}, {2, 3}, {3, 3}}));
    EXPECT_EQ(ui.bars, (QList<int>{1, 46, 91, 1, 46, 91, 1, 46, 91}));
    EXPECT_EQ(ui.lights, (QStringList{"R", "RY", "RYG", "G", "R", "RY", "RYG", "G", "R", "RY", "RYG", "G"}));
    EXPECT_TRUE(folder().isEmpty());
}

// ---------------------------------------------------------------- pure rules

TEST(EngineRules, fileStepRoundsHalvesToEven)
{
    struct Row {
        int width, strength, step;
    } rows[] = {{100, Normal, 0}, {100, Once, 50}, {100, Twice, 25}, {100, Vsitr, 11},
                {5, Once, 2},     {7, Once, 4},    {10, Twice, 2},   {14, Twice, 4},
                {18, Twice, 4},   {45, Vsitr, 5},  {0, Vsitr, 0},    {329, Vsitr, 37}};
    for (const Row& r : rows)
        EXPECT_EQ(FileStep(r.width, r.strength), r.step) << r.width << "/" << r.strength;
}

TEST(EngineRules, shortenPath)
{
    struct Row {
        const char *in, *out;
    } rows[] = {
        {"/home/someone/Documents/Reports/2007/annual.txt", "/ho.../2007/annual.txt"},
        {"/home/a/b.txt", "/home/a/b.txt"}, // short enough
        {"/a-very-long-folder-name-indeed/file.txt",
         "/a-very-long-folder-name-indeed/file.txt"}, // nothing to cut
        {"no-separator-in-this-rather-long-name.txt", "no-separator-in-this-rather-long-name.txt"},
        {"/srv/xx/yyyyyyyyyyyyyyyyyyyyyyyyyyyyyy/z", "/sr.../yyyyyyyyyyyyyyyyyyyyyyyyyyyyyy/z"},
        {"/srv/x/yyyyyyyyyyyyyyyyyyyyyyyyyyyyyy/z", "/srv/x/yyyyyyyyyyyyyyyyyyyyyyyyyyyyyy/z"}, // no gain
    };
    for (const Row& r : rows)
        EXPECT_EQ(ShortenPath(r.in, 30), QString(r.out)) << r.in;
    EXPECT_EQ(ShortenPath("/home/someone/x/y.txt", 10), "/ho.../x/y.txt");
}

TEST(EngineRules, throwAwayName)
{
    EXPECT_EQ(throwAwayNumber(kNoon), 216000);
    EXPECT_EQ(throwAwayNumber(0), 0);
    EXPECT_EQ(throwAwayNumber(199), 0);
    EXPECT_EQ(throwAwayNumber(200), 1);
    EXPECT_EQ(throwAwayNumber(86399999), 431999);
    EXPECT_EQ(throwAwayName("/data/x.txt", 216000), "/data/del.del216000");
    EXPECT_EQ(throwAwayName("/x.txt", 7), "/del.del7");
    EXPECT_EQ(throwAwayName("x.txt", 5), "del.del5");
}

TEST(EngineRules, passTable)
{
    EXPECT_EQ(passPatterns(Normal), QList<unsigned char>{});
    EXPECT_EQ(passPatterns(Twice), (QList<unsigned char>{0x00, 0xFF})); // "3 times" is two passes
    EXPECT_EQ(passPatterns(Vsitr), kVsitr);
    EXPECT_EQ((QList<int>{stepsPerFile(0), stepsPerFile(1), stepsPerFile(2), stepsPerFile(3)}),
              (QList<int>{0, 2, 4, 9}));
}

// ---------------------------------------------------------------- names

TEST_F(EngineTest, renamesToTheTimeOfDayBeforeDeleting)
{
    const QString file = make("doc.txt", "content");
    QStringList seen;
    ui.onYield = [&] {
        if (!ui.statusIds().isEmpty() && ui.statusIds().last() == 139)
            seen << folder().join(',');
    };
    run({file}, Normal);
    EXPECT_TRUE(seen.contains("del.del216000")) << seen.join(" | ").toStdString();
    EXPECT_TRUE(folder().isEmpty());
}

TEST_F(EngineTest, leftoverThrowAwayFileSurvives)
{
    // Two files in the same 0.2 s, and a leftover that already holds the first name.
    const QString leftover = make("del.del216000", "not ours");
    const QStringList files{make("a.txt", "aaaa"), make("b.txt", "bbbb")};
    QStringList seen;
    ui.onYield = [&] {
        if (!ui.statusIds().isEmpty() && ui.statusIds().last() == 139)
            seen << folder().join(',');
    };
    const EraseReport report = run(files, Vsitr);
    EXPECT_EQ(readFile(leftover), "not ours");
    EXPECT_EQ(folder(), QStringList{"del.del216000"});
    EXPECT_TRUE(seen.contains("b.txt,del.del216000,del.del216001")) << seen.join(" | ").toStdString();
    EXPECT_EQ(report.erased, files);
    EXPECT_EQ(ui.messages, QStringList{"Done!"});
}

TEST_F(EngineTest, noFreeThrowAwayNameLeavesTheFile)
{
    options.nameTries = 3;
    for (int n = 216000; n < 216003; ++n)
        make(QString("del.del%1").arg(n), "old");
    const QString file = make("kept.txt", "secret");
    const EraseReport report = run({file}, Once);
    EXPECT_EQ(readFile(file), QByteArray(6, '\0')); // overwritten, still there
    EXPECT_EQ(report.noName, QStringList{file});
    EXPECT_TRUE(report.erased.isEmpty());
    ASSERT_EQ(ui.messages.size(), 2);
    EXPECT_EQ(ui.messages[0], LoadText(151, file));
    EXPECT_EQ(folder().size(), 4);
}

// ---------------------------------------------------------------- file kinds

TEST_F(EngineTest, readOnlyFileIsOverwrittenAndErased)
{
    const QString file = make("ro.txt", sample(5000));
    ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0444), 0);
    const EraseReport report = run({file}, Vsitr);
    ASSERT_EQ(writer.passes.size(), 7);
    for (const auto& p : writer.passes) {
        EXPECT_TRUE(p.mode & S_IWUSR);
        EXPECT_TRUE(p.uniform);
    }
    EXPECT_EQ(report.erased, QStringList{file});
    EXPECT_FALSE(QFileInfo::exists(file));
}

TEST_F(EngineTest, linkIsRemovedAndItsTargetNeverTouched)
{
    QTemporaryDir elsewhere;
    const QString target = elsewhere.filePath("target.txt");
    ASSERT_TRUE(writeFile(target, "precious"));
    const QString link = path("link");
    const QString dangling = path("dangling");
    ASSERT_TRUE(QFile::link(target, link));
    ASSERT_TRUE(QFile::link(elsewhere.filePath("missing"), dangling));
    const EraseReport report = run({link, dangling}, Vsitr);
    EXPECT_TRUE(writer.passes.isEmpty());
    EXPECT_EQ(readFile(target), "precious");
    EXPECT_FALSE(QFileInfo::exists(elsewhere.filePath("missing"))); // never created
    EXPECT_TRUE(folder().isEmpty());
    EXPECT_EQ(report.erased, (QStringList{link, dangling}));
    EXPECT_EQ(ui.statusIds(), (QList<int>{135, 139, 135, 139, 140}));
}

TEST_F(EngineTest, pipesAndFoldersAreLeftAloneAndReportedOnce)
{
    const QString fifo = path("fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString sub = path("sub");
    ASSERT_TRUE(QDir().mkdir(sub));
    const QString file = make("plain.txt", "x");
    const auto start = std::chrono::steady_clock::now();
    const EraseReport report = run({fifo, sub, file}, Vsitr);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(writer.passes.size(), 7); // the plain file only
    EXPECT_EQ(folder(), (QStringList{"fifo", "sub"}));
    EXPECT_EQ(report.notRegular, (QStringList{fifo, sub}));
    EXPECT_EQ(ui.messages, (QStringList{LoadText(150) + "\n" + fifo + "\n" + sub, "Done!"}));
    EXPECT_EQ(ui.overall.last(), qMakePair(3, 3));
}

TEST_F(EngineTest, devicesAreNeverOpenedForWriting)
{
    // /dev/null is a device every system has; the engine must neither write nor delete it.
    const EraseReport report = run({"/dev/null"}, Once);
    EXPECT_TRUE(writer.passes.isEmpty());
    EXPECT_TRUE(QFileInfo::exists("/dev/null"));
    EXPECT_EQ(report.notRegular, QStringList{"/dev/null"});
}

TEST_F(EngineTest, largeLengthsAreNotCut)
{
    // A sparse file past 4 GiB: the pass is asked for the whole 64-bit length.
    const QString file = make("big.img", "");
    const qint64 size = (qint64(5) << 30) + 3;
    ASSERT_EQ(::truncate(QFile::encodeName(file).constData(), size), 0);
    writer.write = false;
    run({file}, Once);
    ASSERT_EQ(writer.passes.size(), 1);
    EXPECT_EQ(writer.passes[0].length, size);
    EXPECT_EQ(writer.passes[0].sizeAfter, size);
    EXPECT_FALSE(QFileInfo::exists(file));
}

TEST_F(EngineTest, writerOverwritesInChunksWithoutChangingTheLength)
{
    const QString file = make("f.bin", sample(10001));
    PassWriter w;
    w.chunkSize = 1000;
    const int fd = ::open(QFile::encodeName(file).constData(), O_WRONLY);
    ASSERT_GE(fd, 0);
    QString error;
    EXPECT_TRUE(w.writePass(fd, 10001, 0xAA, {}, &error)) << error.toStdString();
    ::close(fd);
    EXPECT_EQ(readFile(file), QByteArray(10001, char(0xAA)));
}

// ---------------------------------------------------------------- cancel and failures

TEST_F(EngineTest, cancelDuringAFileFinishesItAndTouchesNoMore)
{
    const QStringList files{make("1.txt", "one"), make("2.txt", "two"), make("3.txt", "three")};
    writer.onPass = [&] { ui.cancel = true; }; // Cancel pressed during the first pass
    QStringList list = files;
    const EraseReport report = DelVSITR(list, Twice, ui, options);
    EXPECT_TRUE(list.isEmpty());
    EXPECT_EQ(writer.passes.size(), 2); // the first file got both its passes
    EXPECT_FALSE(QFileInfo::exists(files[0]));
    EXPECT_EQ(readFile(files[1]), "two");
    EXPECT_EQ(readFile(files[2]), "three");
    EXPECT_EQ(ui.statuses.last(), "Aborted!");
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_FALSE(ui.cancel);
    EXPECT_EQ(report.end, EraseReport::End::Cancelled);
    EXPECT_EQ(report.erased, QStringList{files[0]});
}

class VanishedTest : public EngineTest, public ::testing::WithParamInterface<int> {};

TEST_P(VanishedTest, overwriteStrengthsEndTheRun)
{
    const QString first = make("first", "1111");
    const QString gone = path("gone.txt");
    const QString last = make("last", "2222");
    const EraseReport report = run({first, gone, last}, GetParam());
    EXPECT_FALSE(QFileInfo::exists(first));
    EXPECT_FALSE(QFileInfo::exists(gone)); // never created by the open
    EXPECT_EQ(readFile(last), "2222");
    EXPECT_EQ(ui.messages, QStringList{"Error: " + gone + ": No such file or directory"});
    EXPECT_EQ(ui.statusIds().mid(ui.statusIds().size() - 2), (QList<int>{136, 143}));
    EXPECT_EQ(report.end, EraseReport::End::Failed);
    EXPECT_EQ(ui.busy.last(), false);
}

INSTANTIATE_TEST_SUITE_P(Engine, VanishedTest, ::testing::Values(Once, Twice, Vsitr));

TEST_F(EngineTest, vanishedFileWithoutOverwriteIsSilentUnlessLast)
{
    const QString gone = path("gone.txt");
    const QString other = make("other", "x");
    EraseReport report = run({gone, other}, Normal);
    EXPECT_EQ(ui.messages, QStringList{"Done!"});
    EXPECT_EQ(ui.statuses.last(), "Finished!");
    EXPECT_EQ(report.erased, QStringList{other});

    ui = RecordingUi();
    const QString another = make("another", "y");
    report = run({another, gone}, Normal);
    EXPECT_EQ(ui.messages, QStringList{"Error: " + gone + ": No such file or directory"});
    EXPECT_EQ(ui.statuses.last(), "Aborted!");
    EXPECT_FALSE(QFileInfo::exists(another));
    EXPECT_FALSE(QFileInfo::exists(gone));
}

TEST_F(EngineTest, fileThatCannotBeWrittenEndsTheRunUntouched)
{
    // It is never deleted unoverwritten: the run stops with the reason.
    const QString locked = make("locked", "keep me");
    const QString after = make("after", "later");
    if (!kuvo::test::setLocked(locked, true))
        GTEST_SKIP() << "cannot make a file unwritable here";
    const EraseReport report = run({locked, after}, Once);
    kuvo::test::setLocked(locked, false);
    EXPECT_EQ(readFile(locked), "keep me");
    EXPECT_EQ(readFile(after), "later");
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_TRUE(ui.messages[0].startsWith("Error: " + locked + ": ")) << ui.messages[0].toStdString();
    EXPECT_EQ(report.end, EraseReport::End::Failed);
}

TEST_F(EngineTest, deletionFailuresDoNotEndTheRun)
{
    const QString sub = path("fixed");
    ASSERT_TRUE(QDir().mkdir(sub));
    const QString a = sub + "/a", b = sub + "/b";
    ASSERT_TRUE(writeFile(a, "aaa") && writeFile(b, "bbb"));
    const QString c = make("c", "ccc");
    if (!kuvo::test::setLocked(sub, true))
        GTEST_SKIP() << "cannot lock a folder here";
    const EraseReport report = run({a, c, b}, Once);
    kuvo::test::setLocked(sub, false);
    EXPECT_EQ(readFile(a), QByteArray(3, '\0')); // overwritten, could not be deleted, no word
    EXPECT_EQ(readFile(b), QByteArray(3, '\0'));
    EXPECT_FALSE(QFileInfo::exists(c));
    ASSERT_EQ(ui.messages.size(), 1); // only the last file is reported
    EXPECT_TRUE(ui.messages[0].startsWith("Error: " + b + ": ")) << ui.messages[0].toStdString();
    EXPECT_EQ(ui.statuses.last(), "Aborted!");
    EXPECT_EQ(report.erased, QStringList{c});
}

} // namespace
