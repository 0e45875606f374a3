// Shows the reusable controls for screenshots (tests/e2e/screenshots_controls.sh):
//   demo_controls main FOLDER   the folder tree with marks, opened at FOLDER, and a text bar
//                               of every border style
//   demo_controls indboks       the input box
//   demo_controls browse FOLDER the folder browser with FOLDER preselected
// Each scene ends the program by itself after a few seconds.
#include "controls/BrowseDr.h"
#include "controls/DirTreeT.h"
#include "controls/IndBoks.h"
#include "controls/TextBar.h"

#include <commctrl.h>
#include <shellapi.h>

#include <memory>
#include <vector>

#include "core/Marking.h"
#include "base/Path.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32System.h"

using namespace tavrel;

namespace {

void CALLBACK EndDemo(HWND, UINT, UINT_PTR, DWORD) { ::ExitProcess(0); }

// Check boxes as the state pictures: 1 unmarked, 2 marked, 4 partly marked.
HIMAGELIST MakeMarkImages() {
    HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR24, 5, 0);
    HDC screen = ::GetDC(nullptr);
    for (int i = 0; i < 5; ++i) {
        HDC dc = ::CreateCompatibleDC(screen);
        HBITMAP bmp = ::CreateCompatibleBitmap(screen, 16, 16);
        HGDIOBJ old = ::SelectObject(dc, bmp);
        RECT all{0, 0, 16, 16};
        ::FillRect(dc, &all, ::GetSysColorBrush(COLOR_WINDOW));
        RECT box{2, 2, 15, 15};
        if (i == 1 || i == 2 || i == 4) {
            ::DrawFrameControl(dc, &box, DFC_BUTTON, DFCS_BUTTONCHECK | (i == 2 ? DFCS_CHECKED : 0) | DFCS_FLAT);
            if (i == 4) {
                RECT inner{5, 5, 12, 12};
                ::FillRect(dc, &inner, ::GetSysColorBrush(COLOR_GRAYTEXT));
            }
        }
        ::SelectObject(dc, old);
        ImageList_Add(list, bmp, nullptr);
        ::DeleteObject(bmp);
        ::DeleteDC(dc);
    }
    ::ReleaseDC(nullptr, screen);
    return list;
}

class DemoWindow : public Window {
public:
    DemoWindow(IFileSystem& fs, IShellInfo& shell, std::string folder)
        : fs_(fs), shell_(shell), folder_(std::move(folder)) {}

protected:
    bool OnCreate() override {
        font_ = ::CreateFontW(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, DEFAULT_QUALITY, 0, L"Tahoma");
        ::SendMessageW(*this, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);

        marks_ = MakeMarkImages();
        tree_ = std::make_unique<TDirTreeT>(fs_, shell_, &cursor_);
        tree_->ReadOnStart = true;
        tree_->Create({.parent = *this, .x = 8, .y = 8, .width = 300, .height = 420, .stateImages = marks_});
        marking_ = std::make_unique<FolderMarking>(*tree_, tree_->Model(), [] { return true; }, [] {});
        marking_->ClearAllMarks();
        tree_->OnMouseDown = [this](UINT button, int x, int y) {
            if (button == WM_LBUTTONDOWN) marking_->ClickAt(x, y);
        };
        marking_->MarkLoadedFolder(folder_ + "Alpha\\");
        marking_->MarkLoadedFolder(folder_ + "Gamma\\Sub\\");
        tree_->SetSelectedPath(folder_ + "Gamma\\Sub\\");

        static const char* const kNames[] = {"bsNone", "bsLight", "bsMedium", "bsHeavy", "bsFrame",
                                             "bsRaisedFrame", "bsField", "bsDot", "bsFocused", "bsLine"};
        for (int i = 0; i < 10; ++i) {
            bars_.push_back(std::make_unique<TTextBar>(
                *this, TTextBar::CreateArgs{.left = 320, .top = 8 + i * 30, .width = 260, .height = 24,
                                            .caption = std::string(kNames[i]) + " - C:\\Data\\Æble & Pære",
                                            .borderStyle = static_cast<TBorderStyle>(i),
                                            .verticalAlign = vaCenter}));
        }
        bars_.push_back(std::make_unique<TTextBar>(
            *this, TTextBar::CreateArgs{.left = 320, .top = 312, .width = 260, .height = 44,
                                        .caption = "Ordombrydning: en lang beskrivelse af jobbet der fylder to linjer",
                                        .borderStyle = bsLine, .wordWrap = true, .color = clBtnFace}));
        bars_.push_back(std::make_unique<TTextBar>(
            *this, TTextBar::CreateArgs{.left = 320, .top = 362, .width = 125, .height = 24, .caption = "Centreret",
                                        .alignment = taCenter, .borderStyle = bsLight,
                                        .verticalAlign = vaCenter}));
        bars_.push_back(std::make_unique<TTextBar>(
            *this, TTextBar::CreateArgs{.left = 455, .top = 362, .width = 125, .height = 24, .caption = "Højre",
                                        .alignment = taRightJustify, .borderStyle = bsLight, .margenHorz = 4,
                                        .verticalAlign = vaBottom}));
        auto disabled = std::make_unique<TTextBar>(
            *this, TTextBar::CreateArgs{.left = 320, .top = 394, .width = 260, .height = 24,
                                        .caption = "Deaktiveret tekst", .borderStyle = bsField,
                                        .verticalAlign = vaCenter});
        disabled->SetEnabled(false);
        bars_.push_back(std::move(disabled));
        return true;
    }
    bool OnDestroy() override {
        ::PostQuitMessage(0);
        return false;
    }

private:
    IFileSystem& fs_;
    IShellInfo& shell_;
    std::string folder_;
    Win32BusyCursor cursor_;
    HFONT font_ = nullptr;
    HIMAGELIST marks_ = nullptr;
    std::unique_ptr<TDirTreeT> tree_;
    std::unique_ptr<FolderMarking> marking_;
    std::vector<std::unique_ptr<TTextBar>> bars_;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    std::string scene = argc > 1 ? FromWide(argv[1]) : "main";
    std::string folder = argc > 2 ? IncludeTrailingBackslash(FromWide(argv[2])) : "C:\\";
    ::SetTimer(nullptr, 0, 8000, EndDemo);

    Win32FileSystem fs;
    Win32ShellInfo shell;
    if (scene == "indboks") {
        std::string value = "Sikkerhedskopi af dokumenter";
        IndBoksQuery("Job", "Giv en kort beskrivelse af jobbet:", "&OK", "Annuller", value, false);
        return 0;
    }
    if (scene == "browse") {
        TBrowseDirectoryDlg dlg(fs);
        dlg.Title = "Vælg den mappe de markerede mapper skal kopieres til:";
        dlg.Root = TRootID::idDesktopExpanded;
        dlg.SetStatusText("Min computer");
        dlg.ShowSelectionInStatus = true;
        dlg.SetSelection(folder);
        dlg.Execute(nullptr);
        return 0;
    }
    DemoWindow w(fs, shell, folder);
    if (!w.Create({.title = "Tavrel - kontroller", .style = WS_OVERLAPPEDWINDOW, .x = 20, .y = 20, .width = 610,
                   .height = 480}))
        return 1;
    w.Show();
    return RunMessageLoop();
}
