#include "core/AppSettings.h"

#include <climits>

#include <gtest/gtest.h>

#include <random>

#include "platform/sim/SimSystem.h"

using namespace tavrel;

namespace {

struct SettingsFixture : ::testing::Test {
    SimSettingsStore store;
    AppSettings settings{store};
    void SetUp() override { ASSERT_TRUE(settings.Open()); }

    std::vector<std::string> Entries() {
        std::vector<std::string> out;
        for (int k = 1; k <= 4; ++k) out.push_back(store.Value("Filer", "Fil" + std::to_string(k)).value_or(""));
        return out;
    }
};

using Paths = std::vector<std::string>;

}  // namespace

TEST_F(SettingsFixture, FirstStartUsesDefaults) {
    EXPECT_TRUE(store.KeyExists());
    WindowPlacement p = settings.ReadPlacement(96);
    EXPECT_EQ(p.top, 5);
    EXPECT_EQ(p.left, 5);
    EXPECT_EQ(p.height, 420);
    EXPECT_EQ(p.width, 600);
    WindowPlacement big = settings.ReadPlacement(120);
    EXPECT_EQ(big.height, 525);
    EXPECT_EQ(big.width, 750);
    EXPECT_EQ(settings.ReadLastJob(), "Drev_C.tvj");
    EXPECT_FALSE(settings.ReadFloppy());
    EXPECT_TRUE(settings.RecentFiles().empty());
    EXPECT_FALSE(store.HasSubkey("Start"));
}

TEST_F(SettingsFixture, NumbersThatAreNotNumbersGiveTheDefault) {
    store.Set("Start", "Top", "abc");
    store.Set("Start", "Venstre", "-12");
    store.Set("Start", "Højde", "12x");
    store.Set("Start", "Bredde", "99999999999");
    WindowPlacement p = settings.ReadPlacement(96);
    EXPECT_EQ(p.top, 5);
    EXPECT_EQ(p.left, -12);
    EXPECT_EQ(p.height, 420);
    EXPECT_EQ(p.width, 600);
    EXPECT_EQ(settings.ReadInt("Start", "Tom", 3), 3);
    store.Set("Start", "Tom", "");
    EXPECT_EQ(settings.ReadInt("Start", "Tom", 3), 3);
}

// A placement saved on a second screen that is gone, or edited by hand, must still open the
// window where it can be seen; one that fits stays exactly where the user left it.
TEST(WindowPlacementFit, TheWindowLiesWhollyOnTheScreen) {
    const ScreenArea screen{0, 0, 1920, 1040};
    struct Case {
        const char* what;
        WindowPlacement saved, fitted;  // top, left, height, width
    } cases[] = {
        {"fits", {5, 5, 420, 600}, {5, 5, 420, 600}},
        {"right of the screen", {100, 3000, 420, 600}, {100, 1320, 420, 600}},
        {"above and left of it", {-900, -2500, 420, 600}, {0, 0, 420, 600}},
        {"partly below it", {900, 100, 420, 600}, {620, 100, 420, 600}},
        {"larger than the screen", {-10, -10, 5000, 4000}, {0, 0, 1040, 1920}},
        {"no size at all", {10, 10, 0, -50}, {10, 10, 160, 240}},
        {"the largest numbers", {INT_MAX, INT_MIN, INT_MAX, INT_MAX}, {0, 0, 1040, 1920}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const WindowPlacement p = FitPlacement(c.saved, screen, 240, 160);
        EXPECT_EQ(p.top, c.fitted.top);
        EXPECT_EQ(p.left, c.fitted.left);
        EXPECT_EQ(p.height, c.fitted.height);
        EXPECT_EQ(p.width, c.fitted.width);
    }
    // A screen left of the main one has negative coordinates; a window on it stays there.
    const WindowPlacement left = FitPlacement({50, -1500, 420, 600}, ScreenArea{-1920, 0, 0, 1080}, 240, 160);
    EXPECT_EQ(left.left, -1500);
    EXPECT_EQ(left.top, 50);
    // A screen smaller than the least size gets the whole screen.
    const WindowPlacement tiny = FitPlacement({0, 0, 10, 10}, ScreenArea{0, 0, 200, 100}, 240, 160);
    EXPECT_EQ(tiny.width, 200);
    EXPECT_EQ(tiny.height, 100);
}

TEST_F(SettingsFixture, BooleansAreAnyNumberOtherThanZero) {
    store.Set("Start", "Floppy", "1");
    EXPECT_TRUE(settings.ReadFloppy());
    store.Set("Start", "Floppy", "2");
    EXPECT_TRUE(settings.ReadFloppy());
    store.Set("Start", "Floppy", "0");
    EXPECT_FALSE(settings.ReadFloppy());
    store.Set("Start", "Floppy", "ja");
    EXPECT_FALSE(settings.ReadFloppy());
    EXPECT_TRUE(settings.ReadBool("Start", "Floppy", true));
}

TEST_F(SettingsFixture, StartValuesAreWrittenInOrder) {
    settings.WriteStartValues({10, 20, 300, 400}, "C:\\Jobs\\Drev_C.tvj", true);
    const auto& w = store.Writes();
    ASSERT_EQ(w.size(), 6u);
    const char* names[] = {"Top", "Venstre", "Højde", "Bredde", "Fil", "Floppy"};
    const char* values[] = {"10", "20", "300", "400", "C:\\Jobs\\Drev_C.tvj", "1"};
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(w[i].subkey, "Start");
        EXPECT_EQ(w[i].name, names[i]);
        EXPECT_EQ(w[i].value, values[i]);
    }
    WindowPlacement p = settings.ReadPlacement(96);
    EXPECT_EQ(p.top, 10);
    EXPECT_EQ(p.width, 400);
    EXPECT_EQ(settings.ReadLastJob(), "C:\\Jobs\\Drev_C.tvj");
}

TEST_F(SettingsFixture, AnUntitledExitStoresAnEmptyJob) {
    settings.WriteStartValues({}, "", false);
    EXPECT_EQ(settings.ReadLastJob(), "");
    EXPECT_EQ(store.Value("Start", "Floppy"), "0");
}

TEST_F(SettingsFixture, RecentListSequences) {
    for (const char* p : {"A", "B", "C", "D", "E"}) settings.AddRecentFile(p);
    EXPECT_EQ(Entries(), (Paths{"E", "D", "C", "B"}));
    settings.AddRecentFile("C");
    EXPECT_EQ(Entries(), (Paths{"C", "E", "D", "B"}));
    // Entry 4 is not searched: B comes to the top and the former entry 3 takes its place.
    settings.AddRecentFile("B");
    EXPECT_EQ(Entries(), (Paths{"B", "C", "E", "D"}));
    settings.AddRecentFile("B");
    EXPECT_EQ(Entries(), (Paths{"B", "C", "E", "D"}));
    EXPECT_EQ(settings.RecentFiles(), (Paths{"B", "C", "E", "D"}));
}

TEST_F(SettingsFixture, RecentListComparesExactlyAndIgnoresEmptyNames) {
    settings.AddRecentFile("C:\\Jobs\\a.tvj");
    settings.AddRecentFile("");
    EXPECT_EQ(Entries(), (Paths{"C:\\Jobs\\a.tvj", "", "", ""}));
    settings.AddRecentFile("C:\\JOBS\\A.TVJ");
    EXPECT_EQ(Entries(), (Paths{"C:\\JOBS\\A.TVJ", "C:\\Jobs\\a.tvj", "", ""}));
    EXPECT_EQ(settings.RecentFiles().size(), 2u);
}

TEST_F(SettingsFixture, RecentFilesStopAtTheFirstEmptyEntry) {
    store.Set("Filer", "Fil1", "A");
    store.Set("Filer", "Fil2", "");
    store.Set("Filer", "Fil3", "C");
    EXPECT_EQ(settings.RecentFiles(), Paths{"A"});
}

TEST(Settings, AFileAddedToADamagedRecentListStandsInItOnce) {
    // Entries behind an empty one (a hand edit, damage) are not part of the list; adding a file
    // must not bring them back beside it, the file itself least of all.
    struct Case {
        const char* name;
        Paths stored;  // Fil1..Fil4
        const char* added;
        Paths shown;  // RecentFiles afterwards
    } cases[] = {
        {"the file behind a gap", {"", "X", "", "Y"}, "X", {"X"}},
        {"the file last behind a gap", {"", "", "", "X"}, "X", {"X"}},
        {"others behind a gap", {"A", "", "B", "A"}, "C", {"C", "A"}},
        {"the first again", {"A", "", "A", ""}, "A", {"A"}},
        {"a whole list stays as it was", {"A", "B", "C", "D"}, "D", {"D", "A", "B", "C"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimSettingsStore store;
        AppSettings settings(store);
        settings.Open();
        for (int k = 0; k < 4; ++k) store.Set("Filer", "Fil" + std::to_string(k + 1), c.stored[k]);
        settings.AddRecentFile(c.added);
        EXPECT_EQ(settings.RecentFiles(), c.shown);
    }
}

TEST_F(SettingsFixture, RandomClosesKeepTheListWithoutGapsOrDuplicates) {
    std::mt19937 rng(42);
    const Paths pool = {"A", "B", "C", "D", "E", "F"};
    for (int step = 0; step < 3000; ++step) {
        std::string path = pool[rng() % pool.size()];
        settings.AddRecentFile(path);
        Paths e = Entries();
        ASSERT_EQ(e[0], path);
        bool gap = false;
        for (size_t i = 0; i < 4; ++i) {
            if (e[i].empty()) gap = true;
            else ASSERT_FALSE(gap) << "entry after a gap at step " << step;
            for (size_t j = 0; j < i; ++j)
                if (!e[i].empty()) ASSERT_NE(e[i], e[j]) << "duplicate at step " << step;
        }
    }
}

TEST_F(SettingsFixture, LastCopiedByBareFileName) {
    EXPECT_EQ(settings.ReadLastCopied("C:\\Jobs\\Drev_C.tvj"), "-");
    EXPECT_TRUE(settings.WriteLastCopied("C:\\Jobs\\Drev_C.tvj", "08-12-2026 21:41:25"));
    EXPECT_EQ(store.Value("Filer", "Drev_C.tvj"), "08-12-2026 21:41:25");
    // Two jobs of one name in different folders share the stamp.
    EXPECT_EQ(settings.ReadLastCopied("D:\\Andet\\Drev_C.tvj"), "08-12-2026 21:41:25");
    EXPECT_EQ(settings.ReadLastCopied("Drev_C.tvj"), "08-12-2026 21:41:25");
}

TEST_F(SettingsFixture, LastCopiedNeverOverwritesTheRecentList) {
    settings.AddRecentFile("C:\\Jobs\\a.tvj");
    EXPECT_FALSE(settings.WriteLastCopied("C:\\Jobs\\Fil1", "stamp"));
    EXPECT_FALSE(settings.WriteLastCopied("C:\\Jobs\\fil2", "stamp"));
    EXPECT_EQ(settings.ReadLastCopied("C:\\Jobs\\Fil1"), "-");
    EXPECT_EQ(Entries()[0], "C:\\Jobs\\a.tvj");
    // An untitled job has no name to keep a stamp under.
    EXPECT_FALSE(settings.WriteLastCopied("", "stamp"));
    EXPECT_EQ(settings.ReadLastCopied(""), "-");
    EXPECT_TRUE(settings.WriteLastCopied("C:\\Jobs\\Fil1.tvj", "ok"));
}
