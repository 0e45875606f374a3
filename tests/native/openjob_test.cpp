// A job received from elsewhere can only be opened: over every job file and list the fuzzers
// start from, opening it as the window does (command line without a command, Åbn job..., the
// job engine) changes nothing on the simulated disk and makes no changing operation.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

// The targets are one source file shared with the fuzzers.
#include "fuzz/Targets.cpp"

namespace fsys = std::filesystem;
using namespace tavrel;

namespace {

fsys::path CorpusFolder(const char* name) {
    return fsys::path(__FILE__).parent_path().parent_path().parent_path() / "fuzz" / "corpus" / name;
}

std::string ReadBytes(const fsys::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

}  // namespace

TEST(OpenJob, NoSeedOfTheJobReadersChangesTheDiskWhenOpened) {
    int seeds = 0, withDestination = 0;
    for (const char* corpus : {"loadjob", "jobfile", "openjob"}) {
        for (const auto& entry : fsys::directory_iterator(CorpusFolder(corpus))) {
            if (!entry.is_regular_file()) continue;
            SCOPED_TRACE(entry.path().string());
            const std::string bytes = ReadBytes(entry.path());
            ++seeds;
            EXPECT_EQ(fuzz::FuzzOpenJob(bytes), "");
            // The same bytes opened with a history that has a failed unattended run, so that
            // the question about its report is asked and answered Yes.
            std::string withHistory = bytes;
            const size_t nuls = static_cast<size_t>(std::count(bytes.begin(), bytes.end(), '\0'));
            if (nuls < 2) {
                withHistory.append(2 - nuls, '\0');
                withHistory += "09-12-2026 22:00:01; tavrelc; kopiering; afbrudt; gennemset 9; kopieret 1; fejl 2; "
                               "tid 0:00:03\r\n";
                EXPECT_EQ(fuzz::FuzzOpenJob(withHistory), "");
            }
            if (bytes.find("Dest=") != std::string::npos || bytes.find("D:\\") != std::string::npos) ++withDestination;
        }
    }
    EXPECT_GE(seeds, 20);
    EXPECT_GE(withDestination, 8);  // jobs that could copy somewhere if opening ran them
}
