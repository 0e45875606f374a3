#include "core/Report.h"

#include <gtest/gtest.h>

#include "platform/sim/SimFileSystem.h"
#include "tests/native/support/Mapping.h"

using namespace tavrel;
using tavrel::test::ExpectMapping;

namespace {

const char* kHead =
    "Tavrel - Ikke-kopierede filer\r\n"
    "Job C:\\Jobs\\Drev_C.tvj\r\n";

}  // namespace

TEST(Report, FileNameBesideTheJob) {
    ExpectMapping<const char*, const char*>(SkippedReportFile, {{"C:\\Jobs\\Drev_C.tvj", "C:\\Jobs\\Drev_C.txt"},
                                                                {"Drev_C.tvj", "Drev_C.txt"},
                                                                {"C:\\Jobs.v2\\Job", "C:\\Jobs.v2\\Job.txt"},
                                                                {"", ".txt"}});
}

TEST(Report, NothingLeftOutGivesFiveLines) {
    SkippedFiles report;
    report.Begin("C:\\Jobs\\Drev_C.tvj", "08-12-2026", "21:50:03");
    EXPECT_EQ(report.Count(), 0u);
    EXPECT_EQ(report.FileBytes(), std::string(kHead) +
                                      "Antal: 0\r\n"
                                      "Tidspunkt: 08-12-2026 21:50:03\r\n"
                                      " \r\n");
}

TEST(Report, ThreeFilesLeftOutGiveEightLinesInWalkOrder) {
    SkippedFiles report;
    report.Begin("C:\\Jobs\\Drev_C.tvj", "08-12-2026", "21:50:03");
    report.Add("C:\\Data\\b.tmp");
    report.Add("C:\\Data\\a.bak");
    report.Add("C:\\Data\\Sub\\c.TMP");
    auto lines = report.Lines();
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[2], "Antal: 3");
    EXPECT_EQ(lines[4], " ");
    EXPECT_EQ(lines[5], "C:\\Data\\b.tmp");
    EXPECT_EQ(lines[7], "C:\\Data\\Sub\\c.TMP");
    EXPECT_EQ(report.FileBytes(), std::string(kHead) +
                                      "Antal: 3\r\n"
                                      "Tidspunkt: 08-12-2026 21:50:03\r\n"
                                      " \r\n"
                                      "C:\\Data\\b.tmp\r\nC:\\Data\\a.bak\r\nC:\\Data\\Sub\\c.TMP\r\n");
}

TEST(Report, FailuresFollowTheSkippedFilesOnePerLine) {
    SkippedFiles report;
    report.Begin("C:\\Jobs\\Drev_C.tvj", "d", "t");
    report.Add("C:\\Data\\a.bak");
    report.AddFailure("C:\\Data\\låst.doc", "Processen kan ikke få adgang til filen.\r\n");
    report.AddFailure("E:\\Backup\\Data\\", "Disken er fuld");
    auto lines = report.Lines();
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[2], "Antal: 1");
    EXPECT_EQ(lines[6], " ");
    EXPECT_EQ(lines[7], "Fejl: 2");
    EXPECT_EQ(lines[8], "C:\\Data\\låst.doc - Processen kan ikke få adgang til filen.");
    EXPECT_EQ(lines[9], "E:\\Backup\\Data\\ - Disken er fuld");
    EXPECT_EQ(report.FailureCount(), 2u);
    // Danish letters fit Windows-1252: one byte each, no mark.
    std::string bytes = report.FileBytes();
    EXPECT_NE(bytes.find("l\xE5st.doc"), std::string::npos);
    EXPECT_NE(bytes.compare(0, 3, "\xEF\xBB\xBF"), 0);
}

TEST(Report, BeginStartsAfreshAndGreekPathsFallBackToUtf8) {
    SkippedFiles report;
    report.Begin("old.tvj", "d", "t");
    report.Add("C:\\x.bak");
    report.AddFailure("C:\\y", "e");
    report.Begin("C:\\Jobs\\Græsk.tvj", "d", "t");
    EXPECT_EQ(report.Count(), 0u);
    EXPECT_EQ(report.FailureCount(), 0u);
    report.Add("C:\\Ελληνικά\\a.tmp");
    std::string bytes = report.FileBytes();
    ASSERT_EQ(bytes.compare(0, 3, "\xEF\xBB\xBF"), 0);
    EXPECT_NE(bytes.find("Job C:\\Jobs\\Græsk.tvj\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("C:\\Ελληνικά\\a.tmp\r\n"), std::string::npos);
}

TEST(Report, SaveReplacesTheFileOrReportsTheFailure) {
    SimFileSystem fs;
    fs.AddDrive('C');
    fs.AddFile("C:\\Jobs\\Drev_C.txt", "old");
    SkippedFiles report;
    report.Begin("C:\\Jobs\\Drev_C.tvj", "d", "t");
    ASSERT_TRUE(report.Save(fs, "C:\\Jobs\\Drev_C.tvj"));
    EXPECT_EQ(fs.Content("C:\\Jobs\\Drev_C.txt"), report.FileBytes());

    fs.InjectFailure(SimOp::WriteFile, "C:\\Jobs\\", kErrAccessDenied);
    FsError error;
    EXPECT_FALSE(report.Save(fs, "C:\\Jobs\\Drev_C.tvj", &error));
    EXPECT_EQ(error.code, kErrAccessDenied);
    EXPECT_FALSE(error.text.empty());
}

TEST(Report, AddWithoutBeginKeepsTheCountHonest) {
    SkippedFiles report;
    EXPECT_EQ(report.Count(), 0u);
    report.Add("C:\\a.bak");
    EXPECT_EQ(report.Count(), 1u);
    auto lines = report.Lines();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[2], "Antal: 1");
    EXPECT_EQ(lines[5], "C:\\a.bak");
}
