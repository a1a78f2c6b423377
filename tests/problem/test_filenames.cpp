#include "problem/FileNames.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using namespace zem;

TEST(FileNames, SplitAndChange) {
    TFileNameParts p = SplitFileName("C:\\work\\v1.2\\Shell.zem");
    EXPECT_EQ(p.Dir, "C:\\work\\v1.2");
    EXPECT_EQ(p.Base, "Shell");
    EXPECT_EQ(p.Ext, "zem");
    p = SplitFileName("Noname1");
    EXPECT_EQ(p.Dir, "");
    EXPECT_EQ(p.Base, "Noname1");
    EXPECT_EQ(p.Ext, "");
    EXPECT_EQ(ChangeFileExtension("C:\\w\\Shell.zem", "res"), "C:\\w\\Shell.res");
    EXPECT_EQ(ChangeFileBase("C:\\w\\Shell.zem", "Shell_01"), "C:\\w\\Shell_01.zem");
}

TEST(FileNames, AbsoluteFromStartDirectory) {
    EXPECT_EQ(ToAbsolutePath("C:\\work", "Shell.zem"), "C:\\work\\Shell.zem");
    EXPECT_EQ(ToAbsolutePath("C:\\work", "sub\\Shell.zem"), "C:\\work\\sub\\Shell.zem");
    EXPECT_EQ(ToAbsolutePath("C:\\work\\a", "..\\b\\Shell.zem"), "C:\\work\\b\\Shell.zem");
    EXPECT_EQ(ToAbsolutePath("C:\\work\\a", "..\\..\\Shell"), "C:\\Shell");
    EXPECT_EQ(ToAbsolutePath("\\home\\u", "..\\..\\tmp\\x.zem"), "\\tmp\\x.zem");
    EXPECT_EQ(ToAbsolutePath("C:\\work", "D:\\x.zem"), "D:\\x.zem");
    EXPECT_EQ(ToAbsolutePath("C:\\work", "\\tmp\\x.zem"), "\\tmp\\x.zem");
}

TEST(FileNames, RelativeToStartDirectoryRoundTrips) {
    const std::string start = "\\home\\eng\\work";
    struct Case {
        const char* full;
        const char* rel;
    } cases[] = {
        {"\\home\\eng\\work\\Shell.zem", "Shell.zem"},
        {"\\home\\eng\\work\\sub\\Shell.zem", "sub\\Shell.zem"},
        {"\\home\\eng\\other\\Shell.zem", "..\\other\\Shell.zem"},
        {"\\home\\eng\\Shell.zem", "..\\Shell.zem"},
        {"\\tmp\\Shell.zem", "..\\..\\..\\tmp\\Shell.zem"},
        // A start directory whose last component repeats the one above it.
        {"\\home\\eng\\work\\work\\x", "work\\x"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ToRelativePath(start, c.full), c.rel) << c.full;
        EXPECT_EQ(ToAbsolutePath(start, ToRelativePath(start, c.full)), c.full) << c.full;
    }
    // The parent of a directory named like its own parent must still climb.
    EXPECT_EQ(ToRelativePath("C:\\a\\a", "C:\\a\\f.zem"), "..\\f.zem");
    EXPECT_EQ(ToRelativePath("C:\\work", "D:\\x.zem"), "D:\\x.zem");
}

TEST(FileNames, FileCanOpenOnlyReadableFiles) {
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / "zem-filecanopen";
    fs::create_directories(dir);
    std::ofstream(dir / "a.zem") << "x";
    EXPECT_TRUE(FileCanOpen((dir / "a.zem").string()));
    EXPECT_TRUE(FileCanOpen(StoredPath((dir / "a.zem").string())));
    EXPECT_FALSE(FileCanOpen((dir / "b.zem").string()));
    EXPECT_FALSE(FileCanOpen(""));
    EXPECT_FALSE(FileCanOpen(dir.string()));
    fs::remove_all(dir);
}
