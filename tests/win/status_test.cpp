// The progress, splash and About windows in real windows: runs over the simulated file system
// drive the progress window through its phases, the keyboard and the close box stop them, and
// the splash and About windows show their texts, fonts and links.
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
#include "forms/CopySplash.h"
#include "forms/CopyStatus.h"
#include "forms/UiFont.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimSystem.h"
#include "res/resource.h"
#include "tests/native/support/RunFixture.h"

using namespace tavrel;
using tavrel::test::FakeJobTree;

namespace {

const FileTime kT0 = SimFileSystem::MakeFileTime(2024, 5, 1, 10, 0, 0);

// The program entry registers the common controls before any window is made; so do the tests.
const bool kControlsReady = [] {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_ANIMATE_CLASS | ICC_STANDARD_CLASSES};
    return ::InitCommonControlsEx(&icc) != FALSE;
}();

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

bool HasStyle(HWND h, LONG_PTR style) { return (::GetWindowLongPtrW(h, GWL_STYLE) & style) == style; }

RECT ChildRect(HWND child) {
    RECT r{};
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

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

std::string FaceOf(HWND control) { return FontFaceName(reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0))); }

LOGFONTW LogFontOf(HWND control) {
    LOGFONTW lf{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    return lf;
}

// Lets messages run for a while, as the message loop would.
void PumpFor(DWORD ms) {
    DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < ms) {
        tavrel::ProcessMessages();
        ::Sleep(5);
    }
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

class RecordingShell : public IShell {
public:
    void OpenWithShell(const std::string& target) override { opened.push_back(target); }
    std::vector<std::string> opened;
};


class ProgressWindow : public ::testing::Test {
protected:
    ProgressWindow() {
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
    SimFileSystem fs;
    SimSettingsStore store;
    AppSettings app{store};
    SimMessageBox messages;
    SimClock clock;
    NullJobView jobView;
    FakeJobTree tree;
    JobController job{JobControllerDeps{fs, app, messages, jobView, tree, nullptr, "C:\\Prog\\"}};
    RecordingHost view;
    CopyRun run{CopyRunDeps{job, app, fs, clock, messages, &view, &status, AbortRequested}};
    std::vector<RunOutcome> outcomes;
    int reportOpened = 0;
};

}  // namespace

TEST_F(ProgressWindow, IsCreatedHiddenWithItsLayout) {
    EXPECT_TRUE(kControlsReady);
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

TEST(Splash, ShowsAtOnceWithItsTextsAndKeepsTheCopyrightsRightEdge) {
    UiFontName.clear();
    TfrmSplash splash;
    ASSERT_TRUE(splash.ShowSplash());
    EXPECT_TRUE(splash.IsVisible());
    EXPECT_EQ(splash.GetText(), "Ambrex Tavrel");
    RECT client = splash.ClientRect();
    EXPECT_EQ(client.right, Scale(406));
    EXPECT_EQ(client.bottom, Scale(107));
    EXPECT_EQ(splash.lblProduct.GetText(), "Ambrex Tavrel");
    EXPECT_EQ(splash.lblver.GetText(), "2");
    EXPECT_EQ(splash.lblProgram.GetText(), "Undersøger drev...");
    EXPECT_EQ(splash.lblCopyright.GetText(), kCopyrightLine);
    EXPECT_EQ(std::string(kCopyrightLine).substr(std::string(kCopyrightLine).size() - 8), "        ");
    EXPECT_EQ(ChildRect(splash.lblCopyright).right, Scale(424));
    EXPECT_EQ(ChildRect(splash.lblver).left, Scale(336));
    EXPECT_GE(ChildRect(splash.cmdOK).top, client.bottom) << "the OK button lies below the client area";
    EXPECT_NE(splash.imgIkon.Send(STM_GETICON), 0);

    // Fonts: the form keeps "MS Sans Serif" at start; the two big labels have Verdana, bold.
    EXPECT_EQ(FaceOf(splash.lblProgram), "MS Sans Serif");
    EXPECT_EQ(FaceOf(splash.lblCopyright), "MS Sans Serif");
    LOGFONTW product = LogFontOf(splash.lblProduct), version = LogFontOf(splash.lblver);
    EXPECT_EQ(FromWide(product.lfFaceName), "Verdana");
    EXPECT_EQ(product.lfHeight, -Scale(24));
    EXPECT_EQ(product.lfWeight, FW_BOLD);
    EXPECT_EQ(version.lfHeight, -Scale(64));

    // The start-up changes the program line; a longer copyright grows to the left.
    splash.SetProgramText("Indlæser job...");
    EXPECT_EQ(splash.lblProgram.GetText(), "Indlæser job...");
    RECT before = ChildRect(splash.lblCopyright);
    FitLabel(splash.lblCopyright, std::string("En længere linje ") + kCopyrightLine, true);
    RECT after = ChildRect(splash.lblCopyright);
    EXPECT_EQ(after.right, before.right);
    EXPECT_LT(after.left, before.left);

    // Closing only hides it.
    ::PostMessageW(splash, WM_CLOSE, 0, 0);
    PumpFor(50);
    EXPECT_FALSE(splash.IsVisible());
    EXPECT_TRUE(splash.IsWindow());
}


TEST(About, FontsFollowTheUiFontWhereDesignedAndTheAddressesOpenWithTheShell) {
    UiFontName = "Tahoma";
    RecordingShell shell;
    TfrmOm about(shell);
    ASSERT_TRUE(about.Create(nullptr));
    EXPECT_EQ(about.GetText(), "Om");
    RECT client = about.ClientRect();
    EXPECT_EQ(client.right, Scale(323));
    EXPECT_EQ(client.bottom, Scale(232));
    EXPECT_EQ(about.lblBrand.GetText(), "Ambrex");
    EXPECT_EQ(about.lblProg.GetText(), "Tavrel");
    EXPECT_EQ(about.lblVersion.GetText(), "Version 2.1.0");
    EXPECT_EQ(about.lblCopyright.GetText(), kCopyrightLine);
    EXPECT_EQ(about.lblEmail.GetText(), "tavrel@ambrex.dk");
    EXPECT_EQ(about.lblWWW.GetText(), "https://www.ambrex.dk/tavrel");
    EXPECT_NE(about.imgProg.Send(STM_GETICON), 0);

    for (HWND h : {about.lblBrand.Handle(), about.lblCopyright.Handle(), about.Label1.Handle()})
        EXPECT_EQ(FaceOf(h), "Tahoma");
    for (HWND h : {about.lblVersion.Handle(), about.lblEmail.Handle(), about.Label2.Handle(), about.lblWWW.Handle()})
        EXPECT_EQ(FaceOf(h), "MS Sans Serif");
    EXPECT_EQ(FaceOf(about.lblProg), "Verdana");
    LOGFONTW brand = LogFontOf(about.lblBrand), email = LogFontOf(about.lblEmail), www = LogFontOf(about.lblWWW);
    EXPECT_EQ(brand.lfWeight, FW_BOLD);
    EXPECT_EQ(brand.lfHeight, -Scale(13));
    EXPECT_TRUE(email.lfUnderline);
    EXPECT_TRUE(www.lfUnderline);
    EXPECT_EQ(www.lfHeight, -Scale(13));
    RECT web = ChildRect(about.lblWWW);
    EXPECT_EQ(web.left, Scale(120));
    EXPECT_EQ(web.right - web.left, Scale(185));

    // A mouse click on either address; the pointer is a hand over them.
    for (HWND h : {about.lblEmail.Handle(), about.lblWWW.Handle()}) {
        ::SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        ::SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    }
    EXPECT_EQ(shell.opened, (std::vector<std::string>{"mailto:tavrel@ambrex.dk", "https://www.ambrex.dk/tavrel"}));
    ::SendMessageW(about, WM_SETCURSOR, reinterpret_cast<WPARAM>(about.lblEmail.Handle()),
                   MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_HAND));
    UiFontName.clear();
}

namespace {

// Presses a key in the About window once its modal loop runs.
WPARAM g_key = 0;
void CALLBACK PressKey(HWND, UINT, UINT_PTR id, DWORD) {
    HWND about = ::FindWindowW(L"#32770", L"Om");
    if (!about) return;
    ::KillTimer(nullptr, id);
    if (g_key == VK_F4)
        ::PostMessageW(about, WM_SYSCOMMAND, SC_CLOSE, 0);
    else
        ::PostMessageW(::GetDlgItem(about, IDOK), WM_KEYDOWN, g_key, 0);
}

}  // namespace

TEST(About, EnterEscAndTheCloseBoxEndTheModalWindow) {
    RecordingShell shell;
    struct Case { WPARAM key; INT_PTR result; };
    for (Case c : {Case{VK_RETURN, IDOK}, Case{VK_ESCAPE, IDCANCEL}, Case{VK_F4, IDCANCEL}}) {
        g_key = c.key;
        TfrmOm about(shell);
        ::SetTimer(nullptr, 0, 50, PressKey);
        EXPECT_EQ(about.ShowModal(nullptr), c.result);
        EXPECT_EQ(::FindWindowW(L"#32770", L"Om"), nullptr);
    }
    EXPECT_TRUE(shell.opened.empty());
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
    // Each picture once the walk has put a folder or file in lblMappe.
    bool shot = false;
    view.onPump = [&](int) {
        if (!shot && !status.lblMappe.Caption().empty()) {
            shot = true;
            status.SetCounts("1.234 filer", "12,3 KB", "7 filer", "0,9 MB");
            status.SetElapsed("01:05");
            SaveShot(status, "status-count-running");
        }
    };
    run.RunCopy(rmCount);
    SaveShot(status, "status-count-finished");
    shot = false;
    view.onPump = [&](int) {
        if (!shot && !status.lblMappe.Caption().empty()) {
            shot = true;
            SaveShot(status, "status-copy-running");
        }
    };
    run.RunCopy(rmCopy);
    SaveShot(status, "status-copy-finished");
    job.SetFlag(&JobSettings::deleteDestFirst, true);
    messages.Answer(MsgResult::Yes);
    shot = false;
    view.onPump = [&](int) {
        if (!shot && !status.lblMappe.Caption().empty()) {
            shot = true;
            SaveShot(status, "status-delete-running");
        }
    };
    run.RunCopy(rmCopy);
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
}

TEST(UiFont, ChoosesTahomaWhenInstalledAndScalesByTheScreensDpi) {
    UiFontName.clear();
    std::string chosen = ChooseUiFontName();
    EXPECT_EQ(chosen, UiFontName);
    EXPECT_EQ(chosen, FontInstalled("Tahoma") ? "Tahoma" : "MS Sans Serif");
    EXPECT_FALSE(FontInstalled("Ingen Saadan Skrift"));
    EXPECT_FALSE(FontInstalled(""));
    EXPECT_EQ(Scale(96), ScreenDpi());
    EXPECT_EQ(Scale(0), 0);
    // One font object per face, height and style, kept for the process.
    HFONT a = GetUiFont("Tahoma", 11), b = GetUiFont("Tahoma", 11), bold = GetUiFont("Tahoma", 11, true);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, bold);
    LOGFONTW lf{};
    ::GetObjectW(bold, sizeof lf, &lf);
    EXPECT_EQ(lf.lfHeight, -Scale(11));
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
    EXPECT_EQ(FontFaceName(FormFont()), chosen);
    UiFontName.clear();
    EXPECT_EQ(FontFaceName(FormFont()), "MS Sans Serif");
}

namespace {

std::string VersionString(const std::vector<char>& block, const std::string& name) {
    void* value = nullptr;
    UINT size = 0;
    std::wstring path = L"\\StringFileInfo\\040604E4\\" + ToWide(name);
    if (!::VerQueryValueW(block.data(), path.c_str(), &value, &size) || size == 0) return {};
    return FromWide(static_cast<const wchar_t*>(value));
}

}  // namespace

TEST(Resources, VersionIconsPicturesMarkStripAndManifest) {
    wchar_t exe[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    DWORD handle = 0, size = ::GetFileVersionInfoSizeW(exe, &handle);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(::GetFileVersionInfoW(exe, 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize));
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(1, 2));
    EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(8, 0));
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(1, 2));
    EXPECT_EQ(VersionString(block, "CompanyName"), "Ambrex Software");
    EXPECT_EQ(VersionString(block, "FileDescription"), "Ambrex Tavrel - Kopiering/backup");
    EXPECT_EQ(VersionString(block, "ProductName"), "Ambrex Tavrel");
    EXPECT_EQ(VersionString(block, "ProductVersion"), "2");
    EXPECT_EQ(VersionString(block, "FileVersion"), "2.1.0.8");

    HINSTANCE inst = ::GetModuleHandleW(nullptr);
    for (int size : {16, 32, 48}) {
        HICON icon = static_cast<HICON>(::LoadImageW(inst, MAKEINTRESOURCEW(IDI_TAVREL), IMAGE_ICON, size, size, 0));
        EXPECT_NE(icon, nullptr) << size;
        ::DestroyIcon(icon);
    }
    for (int id : {IDI_START, IDI_INFO}) {
        HICON icon = static_cast<HICON>(::LoadImageW(inst, MAKEINTRESOURCEW(id), IMAGE_ICON, 16, 16, 0));
        EXPECT_NE(icon, nullptr) << id;
        ::DestroyIcon(icon);
    }
    EXPECT_NE(::FindResourceW(inst, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24)), nullptr) << "the manifest";

    // The mark strip: five 16 x 16 pictures, the mask colour in every corner, no two alike.
    HBITMAP strip = static_cast<HBITMAP>(
        ::LoadImageW(inst, MAKEINTRESOURCEW(IDB_SMAA), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ASSERT_NE(strip, nullptr);
    BITMAP bm{};
    ::GetObjectW(strip, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 5 * SMAA_IMAGE_SIZE);
    EXPECT_EQ(bm.bmHeight, SMAA_IMAGE_SIZE);
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, strip);
    const COLORREF mask = RGB(SMAA_MASK_COLOR_R, SMAA_MASK_COLOR_G, SMAA_MASK_COLOR_B);
    std::vector<std::vector<COLORREF>> pictures(5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(::GetPixel(dc, i * 16, 0), mask) << i;
        EXPECT_EQ(::GetPixel(dc, i * 16 + 15, 15), mask) << i;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) pictures[i].push_back(::GetPixel(dc, i * 16 + x, y));
    }
    for (int i = 0; i < 5; ++i)
        for (int j = i + 1; j < 5; ++j) EXPECT_NE(pictures[i], pictures[j]) << i << " " << j;
    // 2 (Marked) and 4 (PartlyMarked) carry green; 1 (Unmarked) none.
    auto green = [](const std::vector<COLORREF>& p) {
        for (COLORREF c : p)
            if (c == RGB(0, 128, 0)) return true;
        return false;
    };
    EXPECT_FALSE(green(pictures[1]));
    EXPECT_TRUE(green(pictures[2]));
    EXPECT_TRUE(green(pictures[4]));
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    ::DeleteObject(strip);
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
