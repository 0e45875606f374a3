// The progress window in a real window: runs over the simulated file system drive it through
// its phases, the keyboard and the close box stop them, and a question asked meanwhile is not
// hidden behind it. (The splash, About and font tests are splash_test, about_test, uifont_test.)
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "core/Abort.h"
#include "forms/Brand.h"
#include "forms/CopyOm.h"
#include "forms/CopyPlan.h"
#include "forms/CopySplash.h"
#include "forms/CopyStatus.h"
#include "forms/UiFont.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimSystem.h"
#include "res/resource.h"
#include "tests/native/support/RunFixture.h"
#include "tests/win/support/FormsTest.h"

using namespace tavrel;
using tavrel::test::FakeJobTree;
using namespace tavrel::test;

namespace {

const FileTime kT0 = SimFileSystem::MakeFileTime(2024, 5, 1, 10, 0, 0);

// The main window's half of a run, recorded; the progress window shows the run itself.
class RecordingHost : public IRunHost {
public:
    void ProcessMessages() override {
        ++pumps;
        tavrel::ProcessMessages();
        if (onPump) onPump(pumps);
        tavrel::ProcessMessages();
    }
    void SetStatusText(const std::string& t) override { status = t; }

    std::string status;
    int pumps = 0;
    std::function<void(int)> onPump;
};

// What the progress window shows at one moment.
struct Look {
    bool visible;
    std::string caption, copiedGroup, cancel;
    bool markedGroup, kopier, udeladte;
    int animationTop;
    bool playing;
    RunClip clip;
};

Look LookOf(TStatus& s) {
    return {s.IsVisible(),
            s.GetText(),
            s.grpKopieret.Caption(),
            s.cmdAnnuller.GetText(),
            HasStyle(s.grpMarkeret, WS_VISIBLE),
            HasStyle(s.cmdKopier, WS_VISIBLE),
            HasStyle(s.cmdUdeladte, WS_VISIBLE),
            static_cast<int>(ChildRect(s.Animate1).top),
            s.Animate1.Playing(),
            s.Animate1.Clip()};
}

// Counts the pixels of a colour in a part of the screen, copied off the screen in one go.
int InkOnScreen(RECT area, COLORREF ink) {
    int w = area.right - area.left, h = area.bottom - area.top;
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    HBITMAP bmp = ::CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = ::SelectObject(dc, bmp);
    ::BitBlt(dc, 0, 0, w, h, screen, area.left, area.top, SRCCOPY);
    ::ReleaseDC(nullptr, screen);
    int count = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if ((::GetPixel(dc, x, y) & 0xFFFFFF) == ink) ++count;
    ::SelectObject(dc, old);
    ::DeleteObject(bmp);
    ::DeleteDC(dc);
    return count;
}

RECT ScreenRectOf(TTextBar& bar) {
    RECT r = bar.Bounds();
    ::MapWindowPoints(bar.Parent(), nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The run over the simulation, its progress shown in a real progress window, stopped by the
// flag the window's Annuller sets.
class ProgressWindow : public ::testing::Test, protected RunRig<NullJobView, RecordingHost> {
protected:
    ProgressWindow() : RunRig(AbortRequested) {
        run.SetProgressView(&status);
        for (char d : {'C', 'D'}) fs.AddDrive(d);
        fs.AddFolder("C:\\Jobs");
        fs.AddFile("C:\\Data\\a.txt", std::string(2048, 'a'), kT0);
        fs.AddFile("C:\\Data\\b.bak", "b", kT0);
        fs.AddFile("C:\\Data\\Sub\\c.txt", "c", kT0);
        store.Open();
        job.SetJobFileName("C:\\Jobs\\Drev_C.tvj");
        job.ChooseDestination("D:\\Backup\\");
        tree.marked = {"C:\\Data\\"};
        AbortRequested = false;
    }
    void SetUp() override {
        UiFontName = "Tahoma";
        ASSERT_TRUE(status.Create(nullptr));
        status.OnKopier = [this] { outcomes.push_back(run.RunCopy(rmCopy)); };
        status.OnUdeladte = [this] { ++reportOpened; };
    }
    // The look at every pump of the run, the first one kept.
    void WatchFirstPump(Look& look) {
        view.pumps = 0;
        view.onPump = [this, &look](int n) {
            if (n == 1) look = LookOf(status);
        };
    }

    TStatus status;
    std::vector<RunOutcome> outcomes;
    int reportOpened = 0;
};

}  // namespace

TEST_F(ProgressWindow, IsCreatedHiddenWithItsLayout) {
    EXPECT_TRUE(ControlsReady());
    EXPECT_FALSE(status.IsVisible());
    EXPECT_EQ(status.GetText(), "Kopierer filer");
    RECT client = status.ClientRect();
    EXPECT_EQ(client.right, Scale(592));
    EXPECT_EQ(client.bottom, Scale(168));
    EXPECT_TRUE(::GetWindowLongPtrW(status, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_FALSE(HasStyle(status, WS_THICKFRAME));
    RECT w = status.WindowRect();
    EXPECT_NEAR((w.left + w.right) / 2, ::GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR((w.top + w.bottom) / 2, ::GetSystemMetrics(SM_CYSCREEN) / 2, 1);

    EXPECT_EQ(status.cmdAnnuller.GetText(), "Annuller");
    EXPECT_EQ(status.cmdKopier.GetText(), " &Start");
    EXPECT_EQ(status.cmdUdeladte.GetText(), "&Udeladte filer");
    EXPECT_NE(status.cmdKopier.Send(BM_GETIMAGE, IMAGE_ICON), 0) << "the Start picture";
    EXPECT_FALSE(HasStyle(status.cmdKopier, WS_VISIBLE));
    EXPECT_FALSE(HasStyle(status.cmdUdeladte, WS_VISIBLE));
    EXPECT_EQ(status.grpMarkeret.Caption(), " Gennemset: ");
    EXPECT_EQ(status.grpKopieret.Caption(), " Kopieret: ");
    EXPECT_EQ(status.GroupBox1.Caption(), " Tid: ");

    struct Bounds { HWND h; int l, t, w, h2; };
    for (Bounds b : {Bounds{status.cmdAnnuller, 504, 136, 75, 25}, Bounds{status.grpMarkeret, 16, 88, 121, 73},
                     Bounds{status.GroupBox1, 144, 88, 89, 41}, Bounds{status.grpKopieret, 240, 88, 121, 73},
                     Bounds{status.cmdKopier, 504, 96, 75, 25}, Bounds{status.cmdUdeladte, 504, 32, 75, 25},
                     Bounds{status.Animate1, 51, 0, 272, 60}}) {
        RECT r = ChildRect(b.h);
        EXPECT_EQ(r.left, Scale(b.l));
        EXPECT_EQ(r.top, Scale(b.t));
        EXPECT_EQ(r.right - r.left, Scale(b.l + b.w) - Scale(b.l));
        EXPECT_EQ(r.bottom - r.top, Scale(b.t + b.h2) - Scale(b.t));
    }
    RECT mappe = ChildRect(status.panMappe);
    EXPECT_EQ(mappe.left + status.lblMappe.Left(), Scale(8));
    EXPECT_EQ(mappe.top + status.lblMappe.Top(), Scale(56));
    EXPECT_TRUE(status.lblMappe.WordWrap());
    EXPECT_EQ(status.lblMappe.VerticalAlign(), vaCenter);
    EXPECT_EQ(status.lblTid.Alignment(), taCenter);
    EXPECT_EQ(status.lblFilerIalt.Left(), Scale(16));
    EXPECT_EQ(status.lblKBK.Top(), Scale(44));

    // Tab order: Annuller, the two count groups, Start, Udeladte filer, the time.
    std::vector<int> order;
    for (HWND c = ::GetWindow(status, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) order.push_back(::GetDlgCtrlID(c));
    ASSERT_GE(order.size(), 6u);
    EXPECT_EQ(std::vector<int>(order.begin(), order.begin() + 6),
              (std::vector<int>{TStatus::idAnnuller, TStatus::idMarkeret, TStatus::idKopieret, TStatus::idKopier,
                                TStatus::idUdeladte, TStatus::idTid}));
    EXPECT_EQ(FaceOf(status.cmdAnnuller), "Tahoma");
    EXPECT_EQ(FaceOf(status.grpKopieret), "Tahoma");
}

TEST_F(ProgressWindow, CountRunShowsItsPhaseThenOffersTheCopyWhichRunsInTheSameWindow) {
    Look during{};
    WatchFirstPump(during);
    EXPECT_EQ(run.RunCopy(rmCount), RunOutcome::Completed);
    EXPECT_TRUE(during.visible);
    EXPECT_EQ(during.caption, "Indsamler oplysninger...");
    EXPECT_EQ(during.copiedGroup, " Vil blive kopieret: ");
    EXPECT_EQ(during.cancel, "Afbryd");
    EXPECT_TRUE(during.markedGroup);
    EXPECT_FALSE(during.kopier);
    EXPECT_FALSE(during.udeladte);
    EXPECT_EQ(during.animationTop, Scale(16));
    EXPECT_TRUE(during.playing);
    EXPECT_EQ(during.clip, RunClip::SearchFile);

    Look after = LookOf(status);
    EXPECT_TRUE(after.visible) << "the window stays open after the run";
    EXPECT_EQ(after.caption, "Optælling er afsluttet");
    EXPECT_EQ(after.cancel, "Luk");
    EXPECT_TRUE(after.kopier);
    EXPECT_TRUE(after.udeladte);
    EXPECT_FALSE(after.playing);
    EXPECT_EQ(status.lblFilerIalt.Caption(), "3 filer");
    EXPECT_EQ(status.lblKBIalt.Caption(), "2,0 KB");
    EXPECT_EQ(status.lblFilerK.Caption(), "2 filer");
    EXPECT_EQ(status.lblKBK.Caption(), "2,0 KB");
    EXPECT_EQ(status.lblMappe.Caption(), "");
    EXPECT_FALSE(fs.Exists("D:\\Backup\\Data\\a.txt"));

    // "Udeladte filer" opens the report; " Start" copies in the same window.
    status.cmdUdeladte.Send(BM_CLICK);
    EXPECT_EQ(reportOpened, 1);
    Look copying{};
    WatchFirstPump(copying);
    status.cmdKopier.Send(BM_CLICK);
    ASSERT_EQ(outcomes, std::vector<RunOutcome>{RunOutcome::Completed});
    EXPECT_EQ(copying.caption, "Kopierer filer...");
    EXPECT_EQ(copying.copiedGroup, " Kopieret: ");
    EXPECT_EQ(copying.animationTop, 0);
    EXPECT_EQ(copying.clip, RunClip::CopyFiles);
    EXPECT_FALSE(copying.kopier);
    EXPECT_EQ(status.GetText(), "Kopiering er afsluttet");
    EXPECT_FALSE(HasStyle(status.cmdKopier, WS_VISIBLE));
    EXPECT_FALSE(HasStyle(status.cmdUdeladte, WS_VISIBLE));
    EXPECT_TRUE(fs.Exists("D:\\Backup\\Data\\a.txt"));
    EXPECT_EQ(view.status, "Klar");
}

TEST_F(ProgressWindow, DeletePhaseHidesTheExaminedGroupAndShowsItAgainForTheCopy) {
    fs.AddFile("D:\\Backup\\old.txt", "old", kT0);
    job.SetFlag(&JobSettings::deleteDestFirst, true);
    messages.Answer(MsgResult::Yes);
    std::vector<Look> looks;
    view.onPump = [&](int) { looks.push_back(LookOf(status)); };
    EXPECT_EQ(run.RunCopy(rmCopy), RunOutcome::Completed);
    ASSERT_FALSE(looks.empty());
    const Look& first = looks.front();
    EXPECT_EQ(first.caption, "Sletter filer...");
    EXPECT_EQ(first.copiedGroup, " Slettet: ");
    EXPECT_FALSE(first.markedGroup);
    EXPECT_EQ(first.clip, RunClip::DeleteFile);
    EXPECT_EQ(first.animationTop, 0);
    const Look& last = looks.back();
    EXPECT_EQ(last.caption, "Kopierer filer...");
    EXPECT_TRUE(last.markedGroup);
    EXPECT_EQ(last.clip, RunClip::CopyFiles);
    EXPECT_FALSE(fs.Exists("D:\\Backup\\old.txt"));
}

TEST_F(ProgressWindow, EscAndTheCloseBoxAbortTheRunAndHideTheWindow) {
    struct Way { const char* name; std::function<void(TStatus&)> close; };
    std::vector<Way> ways = {
        {"Esc", [](TStatus& s) { ::PostMessageW(s.cmdAnnuller, WM_KEYDOWN, VK_ESCAPE, 0); }},
        {"close box", [](TStatus& s) { ::PostMessageW(s, WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"Afbryd", [](TStatus& s) { ::PostMessageW(s.cmdAnnuller, BM_CLICK, 0, 0); }},
        {"title bar close", [](TStatus& s) { ::PostMessageW(s, WM_CLOSE, 0, 0); }},
    };
    for (auto& way : ways) {
        SCOPED_TRACE(way.name);
        int closes = 0;
        status.OnClosed = [&] { ++closes; };
        view.pumps = 0;
        view.onPump = [&](int n) {
            if (n == 1) way.close(status);
        };
        EXPECT_EQ(run.RunCopy(rmCopy), RunOutcome::Aborted);
        EXPECT_TRUE(AbortRequested);
        EXPECT_FALSE(status.IsVisible());
        EXPECT_TRUE(status.IsWindow()) << "only hidden, reused by the next run";
        EXPECT_EQ(status.GetText(), "Kopiering er afsluttet");
        EXPECT_EQ(status.cmdAnnuller.GetText(), "Luk");
        EXPECT_EQ(closes, 1);
        EXPECT_FALSE(fs.Exists("D:\\Backup\\Data\\a.txt"));
    }

    // After a run Esc only hides the window; Enter leaves it alone.
    AbortRequested = false;
    status.ShowProgress();
    ::PostMessageW(status.cmdAnnuller, WM_KEYDOWN, VK_RETURN, 0);
    PumpFor(50);
    EXPECT_TRUE(status.IsVisible());
    ::SetFocus(status.cmdAnnuller);
    ::PostMessageW(status.cmdAnnuller, WM_KEYDOWN, VK_ESCAPE, 0);
    PumpFor(50);
    EXPECT_FALSE(status.IsVisible());
    EXPECT_TRUE(status.IsWindow());
}

TEST_F(ProgressWindow, CountsAndTimeArePaintedInTheirLabels) {
    status.ShowProgress();
    PumpFor(100);
    COLORREF ink = ::GetSysColor(COLOR_WINDOWTEXT) & 0xFFFFFF;
    EXPECT_EQ(InkOnScreen(ScreenRectOf(status.lblFilerIalt), ink), 0);
    EXPECT_EQ(InkOnScreen(ScreenRectOf(status.lblTid), ink), 0);
    status.SetCounts("1.234 filer", "12,3 KB", "7 filer", "0,9 MB");
    status.SetElapsed("01:01");
    status.SetFolderText("C:\\Data\\Projekter\\");
    status.Update();
    status.grpMarkeret.Update();
    status.GroupBox1.Update();
    status.panMappe.Update();
    PumpFor(100);
    EXPECT_GT(InkOnScreen(ScreenRectOf(status.lblFilerIalt), ink), 10);
    EXPECT_GT(InkOnScreen(ScreenRectOf(status.lblTid), ink), 10);
    EXPECT_GT(InkOnScreen(ScreenRectOf(status.lblMappe), ink), 10);
    EXPECT_EQ(status.lblTid.Caption(), "01:01");
}

TEST_F(ProgressWindow, FolderNamesFasterThanThePaintIntervalWaitForTheTimerAndTheEmptyTextDoesNot) {
    status.ShowProgress();
    PumpFor(150);
    const DWORD start = ::GetTickCount();
    status.SetFolderText("C:\\A\\");  // the first name after a pause is painted at once
    EXPECT_EQ(status.lblMappe.Caption(), "C:\\A\\");
    status.SetFolderText("C:\\B\\");
    if (::GetTickCount() - start < 100) EXPECT_EQ(status.lblMappe.Caption(), "C:\\A\\") << "B waits";
    PumpFor(300);
    EXPECT_EQ(status.lblMappe.Caption(), "C:\\B\\") << "painted when the interval is over";
    status.SetFolderText("C:\\C\\");
    status.SetFolderText("C:\\D\\");
    status.SetFolderText("");  // the end of a run's progress clears the label at once
    EXPECT_EQ(status.lblMappe.Caption(), "");
    PumpFor(300);
    EXPECT_EQ(status.lblMappe.Caption(), "") << "no waiting name comes back";
}

TEST_F(ProgressWindow, OwnAnimationMovesWhilePlayingAndHoldsItsFrameWhenStopped) {
    status.ShowProgress();
    status.PlayAnimation(RunClip::CopyFiles);
    EXPECT_TRUE(status.Animate1.Playing());
    if (status.Animate1.UsesStockClip()) GTEST_SKIP() << "the system's own clip plays";
    int first = status.Animate1.Frame();
    PumpFor(400);
    EXPECT_NE(status.Animate1.Frame(), first);
    status.StopAnimation();
    int stopped = status.Animate1.Frame();
    PumpFor(200);
    EXPECT_EQ(status.Animate1.Frame(), stopped);
    EXPECT_FALSE(status.Animate1.Playing());
    status.PlayAnimation(RunClip::SearchFile);
    EXPECT_EQ(status.Animate1.Frame(), 0);
    EXPECT_EQ(ChildRect(status.Animate1).top, Scale(16));
}

TEST(StatusAnimation, FramesDifferByClipAndByTime) {
    const int w = 272, h = 60;
    auto draw = [&](RunClip clip, int frame) {
        HDC screen = ::GetDC(nullptr);
        HDC dc = ::CreateCompatibleDC(screen);
        HBITMAP bmp = ::CreateCompatibleBitmap(screen, w, h);
        ::ReleaseDC(nullptr, screen);
        HGDIOBJ old = ::SelectObject(dc, bmp);
        RECT r{0, 0, w, h};
        ::FillRect(dc, &r, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        TStatusAnimation::DrawFrame(dc, clip, frame, w, h);
        std::vector<COLORREF> pixels;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) pixels.push_back(::GetPixel(dc, x, y));
        ::SelectObject(dc, old);
        ::DeleteObject(bmp);
        ::DeleteDC(dc);
        return pixels;
    };
    auto copy0 = draw(RunClip::CopyFiles, 0), copy8 = draw(RunClip::CopyFiles, 8);
    auto search0 = draw(RunClip::SearchFile, 0), delete0 = draw(RunClip::DeleteFile, 0);
    EXPECT_NE(copy0, copy8);
    EXPECT_NE(copy0, search0);
    EXPECT_NE(delete0, search0);
    // The drawing keeps to the upper 44 rows: placed 16 down, the rest lies under lblMappe.
    auto copy12 = draw(RunClip::CopyFiles, 12);
    for (int y = 45; y < h; ++y)
        for (int x = 0; x < w; ++x) ASSERT_EQ(copy12[y * w + x] & 0xFFFFFF, RGB(255, 255, 255)) << x << "," << y;
}



namespace {

// Writes the screen's pixels under a window to a 24-bit BMP file.
void SaveShot(HWND window, const std::string& name) {
    const char* dir = std::getenv("TAVREL_TEST_DIR");
    ASSERT_NE(dir, nullptr);
    PumpFor(300);
    RECT r{};
    ::GetWindowRect(window, &r);
    int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bmp = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(dc, bmp);
    ::BitBlt(dc, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    ::GdiFlush();
    DWORD size = static_cast<DWORD>(((w * 3 + 3) & ~3) * h);
    BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + size), 0, 0,
                          sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
    FILE* f = std::fopen((std::string(dir) + name + ".bmp").c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(&file, sizeof file, 1, f);
    std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, f);
    std::fwrite(bits, 1, size, f);
    std::fclose(f);
    ::SelectObject(dc, old);
    ::DeleteObject(bmp);
    ::DeleteDC(dc);
    ::ReleaseDC(nullptr, screen);
}

}  // namespace

// Not a check: tests/e2e/screenshots_forms.sh runs it to picture every window for a look.
TEST_F(ProgressWindow, DISABLED_Screenshots) {
    fs.AddFile("C:\\Data\\Projekter\\Rapport over det lange forløb med et meget langt filnavn.docx", "x", kT0);
    // A run with a picture once the walk has put a folder or file in lblMappe.
    auto runWithShot = [&](RunMode mode, const std::string& name) {
        bool shot = false;
        view.onPump = [&](int) {
            if (shot || status.lblMappe.Caption().empty()) return;
            shot = true;
            if (mode == rmCount) {
                status.SetCounts("1.234 filer", "12,3 KB", "7 filer", "0,9 MB");
                status.SetElapsed("01:05");
            }
            SaveShot(status, name);
        };
        run.RunCopy(mode);
    };
    runWithShot(rmCount, "status-count-running");
    SaveShot(status, "status-count-finished");
    runWithShot(rmCopy, "status-copy-running");
    SaveShot(status, "status-copy-finished");
    job.SetFlag(&JobSettings::deleteDestFirst, true);
    messages.Answer(MsgResult::Yes);
    runWithShot(rmCopy, "status-delete-running");
    status.Hide();

    UiFontName.clear();
    TfrmSplash splash;
    ASSERT_TRUE(splash.ShowSplash());
    SaveShot(splash, "splash");
    splash.Hide();

    UiFontName = "Tahoma";
    RecordingShell shell;
    TfrmOm about(shell);
    ASSERT_TRUE(about.Create(nullptr));
    about.Show();
    SaveShot(about, "about");
    about.Hide();

    TfrmPlan plan(nullptr);
    ASSERT_TRUE(plan.Create("Min backup", PlanForm{PlanKind::Daily, "02:30", 0, true},
                            "Planlagt: Hver dag kl. 02:30, eller så snart det er muligt, hvis tidspunktet blev "
                            "sprunget over.\r\nSidst kørt: 08-12-2026 kl. 02:30. Afsluttet.",
                            {}));
    plan.Show();
    SaveShot(plan, "plan");
}

namespace {

struct BoxSeen {
    bool found = false, topmost = false, aboveStatus = false;
};
BoxSeen g_box;
HWND g_statusWindow = nullptr;

// Looks at the message box while it waits for an answer, then answers it.
void CALLBACK InspectBox(HWND, UINT, UINT_PTR id, DWORD) {
    HWND box = ::FindWindowW(L"#32770", L"Slet destinationsmappe");
    if (!box) return;
    ::KillTimer(nullptr, id);
    g_box.found = true;
    g_box.topmost = (::GetWindowLongPtrW(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    for (HWND w = ::GetTopWindow(nullptr); w; w = ::GetWindow(w, GW_HWNDNEXT)) {
        if (w == box) {
            g_box.aboveStatus = true;
            break;
        }
        if (w == g_statusWindow) break;
    }
    ::PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
}

}  // namespace

TEST_F(ProgressWindow, AQuestionAskedWhileTheWindowIsUpIsNotHiddenBehindIt) {
    // As after a count run, when " Start" in the window asks whether to empty the destination.
    status.ShowProgress();
    PumpFor(50);
    g_statusWindow = status;
    g_box = {};
    ::SetTimer(nullptr, 0, 50, InspectBox);
    int answer = ::MessageBoxW(nullptr, L"Ønsker du, at Tavrel skal slette alle filer?", L"Slet destinationsmappe",
                               MB_YESNOCANCEL | MB_ICONWARNING);
    EXPECT_EQ(answer, IDCANCEL);
    EXPECT_TRUE(g_box.found);
    EXPECT_TRUE(g_box.topmost);
    EXPECT_TRUE(g_box.aboveStatus);
    EXPECT_TRUE(::GetWindowLongPtrW(status, GWL_EXSTYLE) & WS_EX_TOPMOST) << "the window itself stays on top";
}
