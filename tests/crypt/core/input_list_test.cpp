#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "crypt/core/input_list.h"
#include "files_test_util.h"

using namespace kuvo;
using kuvo::test::writeFile;

namespace {

TEST(InputList, AddUniqueFileRefusesDuplicatesAndTheEmptyPath)
{
    InputFileList list;
    EXPECT_TRUE(list.AddUniqueFile("/a/b.txt"));
    EXPECT_FALSE(list.AddUniqueFile("/a/b.txt"));
    EXPECT_FALSE(list.AddUniqueFile("//a//b.txt")); // doubled separators count as one
    EXPECT_FALSE(list.AddUniqueFile("/a///b.txt"));
    EXPECT_FALSE(list.AddUniqueFile(""));
    EXPECT_TRUE(list.AddUniqueFile("/a/B.txt")); // case-sensitive
    EXPECT_TRUE(list.AddUniqueFile("//c//d"));
    EXPECT_EQ(list.entries(), (QStringList{"/a/b.txt", "/a/B.txt", "/c/d"}));
    list.removeAt(0);
    EXPECT_TRUE(list.AddUniqueFile("/a/b.txt")); // removed entries may come back
}

TEST(InputList, TagsTellTheMode)
{
    EXPECT_EQ(ModeOfTag(""), ListMode::Empty);
    EXPECT_EQ(ModeOfTag(FilesModeTag()), ListMode::Files);
    EXPECT_EQ(DirectoryModeTag("/home/u/docs"), "v/home/u/docs/");
    EXPECT_EQ(ModeOfTag(DirectoryModeTag("/x")), ListMode::Directory);
    EXPECT_EQ(DirectoryOfTag("v/home/u/"), "/home/u/");
    EXPECT_EQ(DirectoryOfTag("d"), "");

    InputFileList list;
    list.AddUniqueFile("/x/y");
    list.setTag(DirectoryModeTag("/x/"));
    EXPECT_EQ(list.mode(), ListMode::Directory);
    list.removeAt(0); // the last entry gone: the list is empty again
    EXPECT_EQ(list.mode(), ListMode::Empty);
}

TEST(InputList, ContainerNameSuggestion)
{
    EXPECT_EQ(FolderOf("/home/u/docs/a.txt"), "/home/u/docs/");
    EXPECT_EQ(FolderOf("/a.txt"), "/");
    EXPECT_EQ(FolderOf("a.txt"), "");
    const QRegularExpression pattern("^/home/u/docs/[a-z0-9]{8}\\.kuvo$");
    QSet<QString> seen;
    for (int i = 0; i < 50; ++i) {
        const QString name = MakeContainerName("/home/u/docs/");
        EXPECT_TRUE(pattern.match(name).hasMatch()) << name.toStdString();
        seen.insert(name);
    }
    EXPECT_EQ(seen.size(), 50);
}

class DirectoryScan : public ::testing::Test {
protected:
    QTemporaryDir tmp;
    QString root;
    void SetUp() override
    {
        root = tmp.path() + "/tree/";
        writeFile(root + "b.txt", "b");
        writeFile(root + "a/one.txt", "1");
        writeFile(root + "a/deep/two.txt", "2");
        writeFile(root + "c/three.txt", "3");
        writeFile(tmp.path() + "/outside/secret.txt", "s");
    }
};

TEST_F(DirectoryScan, AddsEveryFileDepthFirstInNameOrder)
{
    InputFileList list;
    int yields = 0;
    QStringList added;
    TreeScanHooks hooks;
    hooks.yield = [&] { ++yields; };
    hooks.added = [&](const QString& p) { added << p; };
    EXPECT_EQ(AddDirectoryTree(list, root, hooks), 4);
    const QStringList expected{root + "a/deep/two.txt", root + "a/one.txt", root + "b.txt",
                               root + "c/three.txt"};
    EXPECT_EQ(list.entries(), expected);
    EXPECT_EQ(added, expected);
    EXPECT_GE(yields, 4);
}

TEST_F(DirectoryScan, DoesNotFollowLinksOrTakeSpecialFiles)
{
    ASSERT_EQ(::symlink("..", QFile::encodeName(root + "a/loop").constData()), 0);
    ASSERT_EQ(::symlink(QFile::encodeName(tmp.path() + "/outside").constData(),
                        QFile::encodeName(root + "away").constData()),
              0);
    ASSERT_EQ(::symlink(QFile::encodeName(tmp.path() + "/outside/secret.txt").constData(),
                        QFile::encodeName(root + "link.txt").constData()),
              0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(root + "fifo").constData(), 0600), 0);
    InputFileList list;
    AddDirectoryTree(list, root);
    EXPECT_EQ(list.size(), 4);
    for (const QString& e : list.entries())
        EXPECT_FALSE(e.contains("secret") || e.contains("loop") || e.contains("fifo")) << e.toStdString();
}

TEST_F(DirectoryScan, ChosenFolderMayBeALink)
{
    const QString link = tmp.path() + "/link-to-tree";
    ASSERT_EQ(::symlink(QFile::encodeName(root).constData(), QFile::encodeName(link).constData()), 0);
    InputFileList list;
    EXPECT_EQ(AddDirectoryTree(list, link), 4);
    EXPECT_TRUE(list.entries().first().startsWith(link + "/"));
}

TEST_F(DirectoryScan, CancelStopsAtTheNextFolderAndKeepsWhatWasFound)
{
    InputFileList list;
    bool cancel = false;
    TreeScanHooks hooks;
    hooks.added = [&](const QString&) { cancel = true; };
    hooks.cancelled = [&] { return cancel; };
    AddDirectoryTree(list, root, hooks);
    // The first file found sets the flag: folders entered later are skipped,
    // folders already open finish their files.
    EXPECT_EQ(list.entries(), (QStringList{root + "a/deep/two.txt", root + "a/one.txt", root + "b.txt"}));
}

} // namespace
