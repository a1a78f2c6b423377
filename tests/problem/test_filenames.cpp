// File names as the problem files store them (back slashes), relative to the
// program's start directory.
#include "problem/FileNames.h"
#include "testutil.h"

#include <fstream>
#include <gtest/gtest.h>

using namespace zem;

TEST(FileNames, SplitAndChange) {
    const TFileNameParts p = SplitFileName("C:\\work\\v1.2\\Shell.zem");
    EXPECT_EQ(p.Dir + "|" + p.Base + "|" + p.Ext, "C:\\work\\v1.2|Shell|zem");
    const TFileNameParts bare = SplitFileName("Noname1");
    EXPECT_EQ(bare.Dir + "|" + bare.Base + "|" + bare.Ext, "|Noname1|");
    EXPECT_EQ(ChangeFileExtension("C:\\w\\Shell.zem", "res"), "C:\\w\\Shell.res");
    EXPECT_EQ(ChangeFileBase("C:\\w\\Shell.zem", "Shell_01"), "C:\\w\\Shell_01.zem");
}

TEST(FileNames, AbsoluteAndRelativeToTheStartDirectory) {
    for (auto [start, name, full] : {std::tuple{"C:\\work", "sub\\Shell.zem", "C:\\work\\sub\\Shell.zem"},
                                     {"C:\\work\\a", "..\\..\\Shell", "C:\\Shell"},
                                     {"\\home\\u", "..\\..\\tmp\\x.zem", "\\tmp\\x.zem"},
                                     {"C:\\work", "D:\\x.zem", "D:\\x.zem"},
                                     {"C:\\work", "\\tmp\\x.zem", "\\tmp\\x.zem"}})
        EXPECT_EQ(ToAbsolutePath(start, name), full) << name;

    const std::string start = "\\home\\eng\\work";
    for (auto [full, rel] : {std::pair{"\\home\\eng\\work\\Shell.zem", "Shell.zem"},
                             {"\\home\\eng\\work\\sub\\Shell.zem", "sub\\Shell.zem"},
                             {"\\home\\eng\\other\\Shell.zem", "..\\other\\Shell.zem"},
                             {"\\tmp\\Shell.zem", "..\\..\\..\\tmp\\Shell.zem"},
                             // A start directory whose last component repeats the one above it.
                             {"\\home\\eng\\work\\work\\x", "work\\x"}}) {
        EXPECT_EQ(ToRelativePath(start, full), rel) << full;
        EXPECT_EQ(ToAbsolutePath(start, ToRelativePath(start, full)), full) << full;
    }
    // The parent of a directory named like its own parent must still climb.
    EXPECT_EQ(ToRelativePath("C:\\a\\a", "C:\\a\\f.zem"), "..\\f.zem");
    EXPECT_EQ(ToRelativePath("C:\\work", "D:\\x.zem"), "D:\\x.zem");
}

TEST(FileNames, FileCanOpenOnlyReadableFiles) {
    const test::TempDir dir;
    std::ofstream(dir / "a.zem") << "x";
    EXPECT_TRUE(FileCanOpen(dir / "a.zem"));
    EXPECT_TRUE(FileCanOpen(StoredPath(dir / "a.zem")));
    EXPECT_FALSE(FileCanOpen(dir / "b.zem"));
    EXPECT_FALSE(FileCanOpen(""));
    EXPECT_FALSE(FileCanOpen(dir.path.string()));
}
