#include "core/BrowsePaths.h"

#include <gtest/gtest.h>

#include "base/Text.h"
#include "platform/sim/SimFileSystem.h"
#include "tests/native/support/Mapping.h"

using namespace tavrel;
using tavrel::test::ExpectMapping;

namespace {

// One pixel per character; every measured text is recorded, so the candidates show.
struct Ruler {
    std::vector<std::string> measured;
    TextWidthFn Fn() {
        return [this](const std::string& s) {
            measured.push_back(s);
            return static_cast<int>(Utf8Length(s));
        };
    }
};

}  // namespace

TEST(BrowsePaths, DropFirstFolderReplacesOneLeadingName) {
    ExpectMapping<const char*, const char*>(
        DropFirstFolder, {{"\\Programmer\\Faelles\\Data\\", "\\...\\Faelles\\Data\\"}, {"\\...\\Faelles\\Data\\", "\\...\\Data\\"},
                          {"\\...\\Data\\", "\\...\\"}, {"...\\", ""}, {"\\", ""}, {"Data\\Sub\\", "...\\Sub\\"},
                          {"Data", ""}, {"", ""}, {".", ""}});
}

TEST(BrowsePaths, FitPathDropsWholeLeadingFoldersThenTheDrive) {
    Ruler r;
    EXPECT_EQ(FitPathToWidth("C:\\Programmer\\Faelles\\Data\\Sub", 0, r.Fn()), "Sub");
    std::vector<std::string> expected = {"C:\\Programmer\\Faelles\\Data\\Sub", "C:\\...\\Faelles\\Data\\Sub",
                                         "C:\\...\\Data\\Sub", "C:\\...\\Sub", "...\\Sub"};
    EXPECT_EQ(r.measured, expected);

    // Each candidate is tried only while the one before is too wide.
    EXPECT_EQ(FitPathToWidth("C:\\Programmer\\Faelles\\Data\\Sub", 30, Ruler().Fn()),
              "C:\\Programmer\\Faelles\\Data\\Sub");
    EXPECT_EQ(FitPathToWidth("C:\\Programmer\\Faelles\\Data\\Sub", 29, Ruler().Fn()), "C:\\...\\Faelles\\Data\\Sub");
    EXPECT_EQ(FitPathToWidth("C:\\Programmer\\Faelles\\Data\\Sub", 22, Ruler().Fn()), "C:\\...\\Data\\Sub");
    EXPECT_EQ(FitPathToWidth("C:\\Programmer\\Faelles\\Data\\Sub", 10, Ruler().Fn()), "C:\\...\\Sub");
    EXPECT_EQ(FitPathToWidth("C:\\Programmer\\Faelles\\Data\\Sub", 9, Ruler().Fn()), "...\\Sub");
}

TEST(BrowsePaths, FitPathOfANetworkPathFirstGrowsByThree) {
    Ruler r;
    EXPECT_EQ(FitPathToWidth("\\\\server\\share\\Data\\Sub", 0, r.Fn()), "Sub");
    std::vector<std::string> expected = {"\\\\server\\share\\Data\\Sub", "\\...\\server\\share\\Data\\Sub",
                                         "\\...\\share\\Data\\Sub", "\\...\\Data\\Sub", "\\...\\Sub", "...\\Sub"};
    EXPECT_EQ(r.measured, expected);
    EXPECT_EQ(expected[1].size(), expected[0].size() + 3);
}

TEST(BrowsePaths, FitPathNeverShortensTheNameAndNeverShowsADriveRelativePath) {
    Ruler r;
    EXPECT_EQ(FitPathToWidth("C:\\Sub", 2, r.Fn()), "Sub");
    for (const std::string& s : r.measured) EXPECT_NE(s, "C:Sub");
    EXPECT_EQ(FitPathToWidth("C:\\", 1, Ruler().Fn()), "");
    EXPECT_EQ(FitPathToWidth("Langtnavn", 3, Ruler().Fn()), "Langtnavn");
    EXPECT_EQ(FitPathToWidth("", 0, Ruler().Fn()), "");
}

TEST(BrowsePaths, FitTextCutsFromTheEndAndAddsDots) {
    EXPECT_EQ(FitTextToWidth("Min computer", 12, Ruler().Fn()), "Min computer");
    EXPECT_EQ(FitTextToWidth("Min computer", 11, Ruler().Fn()), "Min comp...");
    EXPECT_EQ(FitTextToWidth("Min computer", 6, Ruler().Fn()), "Min...");
    // Nothing fits: "..." whether or not it fits.
    EXPECT_EQ(FitTextToWidth("Min computer", 1, Ruler().Fn()), "...");
    EXPECT_EQ(FitTextToWidth("", 0, Ruler().Fn()), "");
    // A Danish letter is cut as one character, never as half a UTF-8 sequence.
    std::string cut = FitTextToWidth("Søøøø", 4, Ruler().Fn());
    EXPECT_EQ(cut, "S...");
    EXPECT_TRUE(IsValidUtf8(FitTextToWidth("æøåæøå", 5, Ruler().Fn())));
}

TEST(BrowsePaths, NormalizeSelectionPath) {
    ExpectMapping<const char*, const char*>(NormalizeSelectionPath,
                                            {{"", ""}, {"C:", "C:\\"}, {"C:\\", "C:\\"}, {"C:\\Data\\", "C:\\Data"},
                                             {"C:\\Data", "C:\\Data"}, {"\\\\srv\\share\\", "\\\\srv\\share"}, {"C", "C"}});
}

TEST(BrowsePaths, IsExistingDirectory) {
    SimFileSystem fs;
    fs.AddDrive('C');
    fs.AddDrive('D');
    fs.AddFolder("C:\\Data\\Projekter\\");
    fs.AddFolder("C:\\Skjult\\", kAttrHidden);
    fs.AddFolder("C:\\System\\", kAttrSystem | kAttrDirectory);
    fs.AddFile("C:\\Data\\a.txt", "x");

    // Drive roots by the drive mask alone, either letter case.
    EXPECT_TRUE(IsExistingDirectory(fs, "C:\\"));
    EXPECT_TRUE(IsExistingDirectory(fs, "d:\\"));
    EXPECT_FALSE(IsExistingDirectory(fs, "E:\\"));
    EXPECT_FALSE(IsExistingDirectory(fs, "1:\\"));

    EXPECT_TRUE(IsExistingDirectory(fs, "C:\\Data"));
    EXPECT_TRUE(IsExistingDirectory(fs, "C:\\Data\\"));
    EXPECT_TRUE(IsExistingDirectory(fs, "c:\\data\\projekter\\"));
    EXPECT_FALSE(IsExistingDirectory(fs, "C:\\Data\\a.txt"));
    EXPECT_FALSE(IsExistingDirectory(fs, "C:\\Mangler\\"));
    EXPECT_FALSE(IsExistingDirectory(fs, "C:\\Skjult\\"));
    EXPECT_FALSE(IsExistingDirectory(fs, "C:\\System"));
    EXPECT_FALSE(IsExistingDirectory(fs, ""));
    // A pattern is no folder even when it would match one.
    EXPECT_FALSE(IsExistingDirectory(fs, "C:\\Da*"));
    EXPECT_FALSE(IsExistingDirectory(fs, "C:\\Dat?\\"));
}

TEST(BrowsePaths, ShellFlagsAndRoots) {
    // The main window's settings: no options, a status line, the expanded desktop.
    EXPECT_EQ(BrowseShellFlags(0, true), 0x0004u);
    EXPECT_EQ(BrowseShellFlags(0, false), 0u);
    EXPECT_EQ(OptionsToShellFlags(BrowseFlagBit(bfDirectoriesOnly) | BrowseFlagBit(bfIncludeFiles)), 0x4001u);
    EXPECT_EQ(OptionsToShellFlags(BrowseFlagBit(bfDomainOnly) | BrowseFlagBit(bfAncestors) |
                                  BrowseFlagBit(bfComputers) | BrowseFlagBit(bfPrinters)),
              0x300Au);
    EXPECT_EQ(RootFolderId(TRootID::idDesktop), 0x0000);
    EXPECT_EQ(RootFolderId(TRootID::idStartMenu), 0x000B);
    EXPECT_EQ(RootFolderId(TRootID::idDesktopDirectory), 0x0010);
    EXPECT_EQ(RootFolderId(TRootID::idTemplates), 0x0015);
    EXPECT_EQ(RootFolderId(TRootID::idDesktopExpanded), 0xFEFE);
}
