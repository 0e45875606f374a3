// Replays the fuzzers' seeds and every input that once made a fuzzer stop, through the same
// target functions the fuzzers run, so an old fault cannot come back unnoticed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

// The targets are one source file shared with the fuzzers; compiled in here, the test needs
// nothing beyond the core and the simulation.
#include "fuzz/Targets.cpp"
#include "core/JobFile.h"
#include "base/Text.h"

namespace fsys = std::filesystem;
using namespace tavrel;

namespace {

fsys::path FuzzFolder() { return fsys::path(__FILE__).parent_path().parent_path().parent_path() / "fuzz"; }

std::string ReadBytes(const fsys::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// Runs the target over every file of fuzz/<kind>/<target>/; returns how many there were.
int Replay(const fuzz::NamedTarget& target, const char* kind) {
    const fsys::path folder = FuzzFolder() / kind / target.name;
    if (!fsys::is_directory(folder)) return 0;
    int count = 0;
    for (const auto& entry : fsys::directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        ++count;
        EXPECT_EQ(target.run(ReadBytes(entry.path())), "") << entry.path();
    }
    return count;
}

}  // namespace

TEST(FuzzRegress, EverySeedAndEveryKeptFindingIsHandledSoundly) {
    int seeds = 0, findings = 0;
    for (const fuzz::NamedTarget& target : fuzz::AllTargets()) {
        const int s = Replay(target, "corpus");
        EXPECT_GT(s, 0) << "no seeds for " << target.name;
        seeds += s;
        findings += Replay(target, "regress");
    }
    EXPECT_GE(seeds, 20);
    EXPECT_GE(findings, 4);
}

TEST(FuzzRegress, Windows1252TextThatLooksLikeUtf8IsSavedSoThatItReadsBack) {
    // "Î±" in Windows-1252 is the bytes CE B1, which are also the UTF-8 form of "α".
    for (const std::string text : {"Î±", "ï»¿Data", "ï»¿æ", "Ã©t"}) {
        const std::string bytes = EncodeTextFile(text);
        EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF") << text;
        EXPECT_EQ(DecodeTextFile(bytes), text);
    }
    // Ordinary Danish text keeps the plain Windows-1252 form.
    EXPECT_EQ(EncodeTextFile("Sæt ø å"), "S\xE6t \xF8 \xE5");
    EXPECT_EQ(EncodeTextFile("C:\\Data\\"), "C:\\Data\\");

    JobSettings job;
    job.description = "Î±";
    job.destination = "D:\\Ã©\\";
    job.fileTypes = {".ï»¿"};
    JobSettings loaded;
    loaded.fileTypes.clear();
    ApplyJobFileLines(ReadJobFileText(JobFileBytes(job)).lines, loaded);
    EXPECT_EQ(loaded.description, job.description);
    EXPECT_EQ(loaded.destination, job.destination);
    EXPECT_EQ(loaded.fileTypes, job.fileTypes);
    EXPECT_EQ(ReadJobListText(JobListBytes({"C:\\Î±\\"})).lines, std::vector<std::string>{"C:\\Î±\\"});
}
