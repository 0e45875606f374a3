// The order of the job's file types: the order the window gives (the user's collation), kept
// when types are added, when a job is loaded and when it is saved.
#include <gtest/gtest.h>

#include "core/JobController.h"
#include "core/JobFile.h"
#include "base/Text.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimSystem.h"
#include "tests/native/support/RunFixture.h"

using namespace tavrel;

namespace {

using Texts = std::vector<std::string>;

// A Danish collation for the letters that matter here: "_" before the letters, Æ Ø Å after Z,
// case ignored.
int Danish(const std::string& a, const std::string& b) {
    static const std::u32string alphabet = U"._ABCDEFGHIJKLMNOPQRSTUVWXYZÆØÅ";
    auto key = [](const std::string& s) {
        std::u32string k;
        std::string folded = FoldCase(s);
        for (size_t i = 0; i < folded.size();) {
            char32_t c = static_cast<unsigned char>(folded[i]);
            size_t n = 1;
            if (c >= 0xC0) {
                c = ((c & 0x1F) << 6) | (static_cast<unsigned char>(folded[i + 1]) & 0x3F);
                n = 2;
            }
            size_t rank = alphabet.find(c);
            k += static_cast<char32_t>(rank == std::u32string::npos ? 100 + c : rank);
            i += n;
        }
        return k;
    };
    std::u32string ka = key(a), kb = key(b);
    return ka < kb ? -1 : ka > kb ? 1 : 0;
}

struct FileTypeOrderTest : ::testing::Test {
    SimFileSystem fs;
    SimSettingsStore store;
    AppSettings settings{store};
    SimMessageBox messages;
    NullJobView view;
    test::FakeJobTree tree;

    JobController Controller(TypeOrder order) {
        return JobController(JobControllerDeps{fs, settings, messages, view, tree, nullptr, "C:\\", std::move(order)});
    }
    void SetUp() override { fs.AddDrive('C'); }
};

}  // namespace

TEST_F(FileTypeOrderTest, AddedTypesFollowTheGivenCollation) {
    struct Case {
        const char* name;
        TypeOrder order;
        Texts want;
    };
    const Case cases[] = {
        {"the user's collation", Danish, {"._", ".a", ".b", ".BAK", ".TMP", ".Z", ".æ", ".Ø", ".å"}},
        // Without one: letter case folded, then code points (Å before Æ and Ø, "_" after Z).
        {"no collation given", nullptr, {".a", ".b", ".BAK", ".TMP", ".Z", "._", ".å", ".æ", ".Ø"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        JobController job = Controller(c.order);  // a new job holds .BAK and .TMP
        for (const char* typed : {"å", ".Z", "_", ".æ", "b", "Ø", ".a"}) job.AddFileType(typed);
        EXPECT_EQ(job.Settings().fileTypes, c.want);
    }
}

TEST_F(FileTypeOrderTest, ALoadedJobIsShownAndSavedInTheCollationOrder) {
    fs.AddFile("C:\\Job.tvj",
               "FilVer=2\r\nBeskiv=x\r\nDest=C:\\B\\\r\nSletDest=0\r\nUndermapper=1\r\nKunNye=1\r\n"
               "KunFiltyper=0\r\nFilTyper=.\xE5,.\xF8,.TMP,._x,.\xE6,.bak\r\nModsat=0\r\n");
    fs.AddFile("C:\\Job.tvl", "");
    JobController job = Controller(Danish);
    job.SetJobFileName("C:\\Job.tvj");
    ASSERT_TRUE(job.LoadJob("C:\\Job.tvj"));
    const Texts want = {"._x", ".bak", ".TMP", ".æ", ".ø", ".å"};
    EXPECT_EQ(job.Settings().fileTypes, want);
    // A type added then goes into its place, and the file keeps the order.
    job.AddFileType(".ærø");
    ASSERT_TRUE(job.Save());
    std::string bytes;
    ASSERT_TRUE(fs.ReadWholeFile("C:\\Job.tvj", bytes, nullptr));
    EXPECT_NE(bytes.find("FilTyper=._x,.bak,.TMP,.\xE6,.\xE6r\xF8,.\xF8,.\xE5\r\n"), std::string::npos) << bytes;
}
