// The control wrappers in real windows: each raises its event from the notification its parent
// reflects to it (also when the parent is a panel inside the window, or a dialog), converts its
// texts, and is forgotten by its window when it is gone.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "controls/Button.h"
#include "controls/CheckBox.h"
#include "controls/Edit.h"
#include "controls/Label.h"
#include "controls/ListBox.h"
#include "controls/Menu.h"
#include "controls/RadioButton.h"
#include "controls/StatusBar.h"
#include "controls/TabControl.h"

#include <commctrl.h>

using namespace tavrel;

namespace {

const bool kControlsReady = [] {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    return ::InitCommonControlsEx(&icc) != FALSE;
}();

class Surface : public Window {};

// A top-level window with a panel (a child Window) on it, as the main window holds its options.
class Host : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(kControlsReady);
        ASSERT_TRUE(window.Create({.title = "Prøve", .style = WS_OVERLAPPEDWINDOW | WS_VISIBLE, .x = 20, .y = 20,
                                   .width = 420, .height = 320}));
        ASSERT_TRUE(panel.Create({.className = L"TavrelTestPanel", .style = WS_CHILD | WS_VISIBLE, .x = 10, .y = 10,
                                  .width = 380, .height = 260, .parent = window}));
    }
    Surface window, panel;
};

RECT At(int left, int top, int width, int height) { return RECT{left, top, left + width, top + height}; }

}  // namespace

TEST_F(Host, ButtonsRaiseOnClickThroughThePanelTheyLieOn) {
    Button button;
    ASSERT_TRUE(button.Create(panel, {.text = "&Tilføj", .bounds = At(8, 8, 90, 24), .id = 10}));
    int clicks = 0;
    button.onClick = [&] { ++clicks; };
    EXPECT_EQ(button.GetText(), "&Tilføj");
    button.Send(BM_CLICK);
    EXPECT_EQ(clicks, 1);

    // A disabled button is not pressed by Enter; an enabled one is, without the system's click.
    EXPECT_TRUE(PressPushButton(button));
    EXPECT_EQ(clicks, 2);
    button.Enable(false);
    EXPECT_FALSE(PressPushButton(button));
    EXPECT_EQ(clicks, 2);
    button.Enable(true);

    CheckBox box;
    ASSERT_TRUE(box.Create(panel, {.text = "Me&dtag undermapper", .bounds = At(8, 40, 200, 20), .id = 11}));
    EXPECT_FALSE(PressPushButton(box)) << "Enter does not tick a check box";
    EXPECT_FALSE(box.Checked());
}

TEST_F(Host, CheckBoxesAndRadioButtonsReportTheStateThePressLeft) {
    CheckBox box;
    RadioButton leaveOut, only;
    ASSERT_TRUE(box.Create(panel, {.text = "Kopier modsat (fra destination til kilde)", .bounds = At(8, 8, 150, 34),
                                   .multiline = true}));
    ASSERT_TRUE(leaveOut.Create(panel, {.text = "Kopie&r ikke disse filtyper", .bounds = At(8, 50, 200, 20),
                                        .startsGroup = true}));
    ASSERT_TRUE(only.Create(panel, {.text = "Kopier k&un disse filtyper", .bounds = At(8, 72, 200, 20)}));
    EXPECT_TRUE(box.Style() & BS_MULTILINE);
    EXPECT_TRUE(leaveOut.Style() & WS_GROUP);
    EXPECT_FALSE(only.Style() & WS_TABSTOP) << "Tab stops at the group's first button only";

    std::vector<std::string> seen;
    box.onClick = [&] { seen.push_back(box.Checked() ? "box on" : "box off"); };
    only.onClick = [&] { seen.push_back(only.Checked() && !leaveOut.Checked() ? "only" : "both?"); };
    leaveOut.onClick = [&] { seen.push_back(leaveOut.Checked() && !only.Checked() ? "leave out" : "both?"); };

    // Set by the program: no event.
    box.SetChecked(true);
    leaveOut.SetChecked(true);
    EXPECT_TRUE(seen.empty());

    box.Send(BM_CLICK);
    only.Send(BM_CLICK);
    leaveOut.Send(BM_CLICK);
    EXPECT_EQ(seen, (std::vector<std::string>{"box off", "only", "leave out"}));
}

TEST_F(Host, EditReportsEveryChangeAndGivesItsTextInUtf8) {
    Edit edit;
    ASSERT_TRUE(edit.Create(panel, {.text = "æø", .bounds = At(8, 8, 120, 22), .limit = 3}));
    std::vector<std::string> changes;
    edit.onChange = [&] { changes.push_back(edit.Text()); };
    EXPECT_EQ(edit.Text(), "æø");
    edit.SetText(".Å");
    edit.SetText("");
    EXPECT_EQ(changes, (std::vector<std::string>{".Å", ""}));
    EXPECT_EQ(edit.Send(EM_GETLIMITTEXT), 3);

    // Typed characters stop at the limit.
    edit.SetFocus();
    for (wchar_t ch : std::wstring(L"abcde")) edit.Send(WM_CHAR, ch, 1);
    EXPECT_EQ(edit.Text(), "abc");

    Edit secret;
    ASSERT_TRUE(secret.Create(panel, {.bounds = At(8, 40, 120, 22), .password = true}));
    EXPECT_EQ(secret.Send(EM_GETPASSWORDCHAR), L'*');
}

TEST_F(Host, ListBoxKeepsTheOrderGivenAndReportsSelectionsByKeyboard) {
    ListBox list;
    ASSERT_TRUE(list.Create(panel, {.bounds = At(8, 8, 120, 120), .multiSelect = true}));
    list.Add(".TMP");
    list.Insert(0, ".æbler");
    list.Insert(1, ".BAK");
    EXPECT_EQ(list.Texts(), (std::vector<std::string>{".æbler", ".BAK", ".TMP"}));
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Text(7), "");

    int changes = 0;
    list.onSelectionChanged = [&] { ++changes; };
    list.SetFocus();
    list.Send(WM_KEYDOWN, VK_DOWN, 0);  // the first item gets the caret and the selection
    list.Send(WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_GE(changes, 1);
    EXPECT_EQ(list.SelectedIndices().size(), 1u);
    list.Send(LB_SETSEL, TRUE, 2);
    EXPECT_TRUE(list.Selected(2));
    EXPECT_EQ(list.SelectedIndices().back(), 2);

    list.Delete(0);
    EXPECT_EQ(list.Texts(), (std::vector<std::string>{".BAK", ".TMP"}));
    list.SetRedraw(false);
    list.Clear();
    list.SetRedraw(true);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_TRUE(list.SelectedIndices().empty());
}

TEST_F(Host, TabControlReportsAClickedTabButNotOneTheProgramSelects) {
    TabControl tabs;
    ASSERT_TRUE(tabs.Create(window, {.tabs = {"Kopiering", "Filfiltrering"}, .bounds = At(0, 0, 400, 280)}));
    EXPECT_EQ(tabs.Count(), 2);
    EXPECT_EQ(tabs.Selected(), 0);
    int changes = 0;
    tabs.onSelectionChanged = [&] { ++changes; };
    tabs.Select(1);
    EXPECT_EQ(changes, 0);
    RECT first{};
    tabs.Send(TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
    const LPARAM at = MAKELPARAM((first.left + first.right) / 2, (first.top + first.bottom) / 2);
    tabs.Send(WM_LBUTTONDOWN, MK_LBUTTON, at);
    tabs.Send(WM_LBUTTONUP, 0, at);
    EXPECT_EQ(tabs.Selected(), 0);
    EXPECT_EQ(changes, 1);

    const RECT page = tabs.PageRect(At(10, 20, 400, 280));
    EXPECT_GT(page.top, 20 + 10) << "below the row of tabs";
    EXPECT_GE(page.left, 10);
    EXPECT_LE(page.right, 410);
}

TEST_F(Host, StatusBarShowsItsPartsTexts) {
    StatusBar bar;
    ASSERT_TRUE(bar.Create(window, {}));
    bar.SetParts({200, -1});
    EXPECT_EQ(bar.Send(SB_GETPARTS), 2);
    bar.SetText(0, "Opdaterer...");
    bar.SetText(1, "\t\t© 2026", SBT_NOBORDERS);
    EXPECT_EQ(bar.Text(0), "Opdaterer...");
    EXPECT_EQ(bar.Text(1), "\t\t© 2026");
    EXPECT_TRUE(HIWORD(bar.Send(SB_GETTEXTLENGTHW, 1)) & SBT_NOBORDERS);
    EXPECT_FALSE(HIWORD(bar.Send(SB_GETTEXTLENGTHW, 0)) & SBT_NOBORDERS);
}

TEST_F(Host, LabelsThatAreClickedOrColouredAnswerTheirParent) {
    Label link, plain;
    ASSERT_TRUE(link.Create(panel, {.text = "tavrel@ambrex.dk", .bounds = At(8, 8, 120, 16),
                                    .textColor = RGB(128, 0, 0), .clickable = true}));
    ASSERT_TRUE(plain.Create(panel, {.text = "E-mail:", .bounds = At(8, 30, 60, 16),
                                     .textColor = SystemColor(COLOR_GRAYTEXT)}));
    Label system;
    ASSERT_TRUE(system.Create(panel, {.text = "Sidst kopieret:", .bounds = At(8, 50, 80, 16)}));
    int clicks = 0;
    link.onClick = [&] { ++clicks; };
    link.Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    link.Send(WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(clicks, 1);

    HDC dc = ::GetDC(panel);
    auto colour = [&](const Label& label) {
        ::SetTextColor(dc, RGB(1, 2, 3));
        const LRESULT brush = panel.Send(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                         reinterpret_cast<LPARAM>(label.Handle()));
        return std::make_pair(brush, ::GetTextColor(dc));
    };
    EXPECT_EQ(colour(link), std::make_pair(reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE)),
                                           RGB(128, 0, 0)));
    EXPECT_EQ(colour(plain).second, ::GetSysColor(COLOR_GRAYTEXT));
    EXPECT_EQ(colour(system).second, ::GetSysColor(COLOR_WINDOWTEXT)) << "left to the system";
    ::ReleaseDC(panel, dc);

    // The hand over the clickable label only.
    ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
    panel.Send(WM_SETCURSOR, reinterpret_cast<WPARAM>(plain.Handle()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_NE(::GetCursor(), ::LoadCursorW(nullptr, IDC_HAND));
    EXPECT_TRUE(panel.Send(WM_SETCURSOR, reinterpret_cast<WPARAM>(link.Handle()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_HAND));
}

TEST_F(Host, AWindowForgetsAWrapperThatIsGone) {
    int clicks = 0;
    HWND left;
    {
        Button button;
        ASSERT_TRUE(button.Create(panel, {.text = "Luk", .bounds = At(8, 8, 75, 25)}));
        button.onClick = [&] { ++clicks; };
        left = button;
    }
    ASSERT_TRUE(::IsWindow(left)) << "the panel still holds the button's window";
    ::SendMessageW(left, BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 0);
}

namespace {

class ProbeDialog : public Dialog {
public:
    Button ok, cancel, other;
    int oks = 0, cancels = 0, others = 0;

protected:
    bool OnInitDialog() override {
        ok.Create(*this, {.text = "&OK", .bounds = At(10, 10, 75, 23), .id = IDOK});
        cancel.Create(*this, {.text = "Annuller", .bounds = At(90, 10, 75, 23), .id = IDCANCEL});
        other.Create(*this, {.text = "&Udeladte filer", .bounds = At(10, 40, 100, 23), .id = 300});
        other.onClick = [this] { ++others; };
        return true;
    }
    void OnOK() override { ++oks; }
    void OnCancel() override {
        ++cancels;
        Dialog::OnCancel();
    }
};

}  // namespace

TEST(DialogControls, ButtonsWithoutAnEventStillEndTheDialogAsOkAndCancel) {
    ProbeDialog d;
    ASSERT_TRUE(d.CreateModeless(nullptr, {.title = "Prøve", .style = WS_POPUP | WS_CAPTION | WS_VISIBLE, .cx = 180,
                                           .cy = 70}));
    d.other.Send(BM_CLICK);
    d.ok.Send(BM_CLICK);
    EXPECT_EQ(d.others, 1);
    EXPECT_EQ(d.oks, 1);
    d.cancel.Send(BM_CLICK);
    EXPECT_EQ(d.cancels, 1);
    EXPECT_FALSE(d.IsWindow());
}

TEST(Menus, ItemsByIdAndTheCommandTable) {
    HMENU bar = ::CreateMenu();
    HMENU popup = ::CreatePopupMenu();
    ::AppendMenuW(popup, MF_STRING, 101, L"&Åbn");
    ::AppendMenuW(popup, MF_STRING, 102, L"Diskettedrev");
    ::AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), L"&Filer");
    MenuHandle menu(bar);
    MenuHandle filer = menu.SubMenu(0);
    EXPECT_EQ(static_cast<HMENU>(filer), popup);

    filer.SetText(101, "Filfiltrering\tCtrl+Tab");
    wchar_t text[64] = {};
    ::GetMenuStringW(popup, 101, text, 64, MF_BYCOMMAND);
    EXPECT_EQ(FromWide(text), "Filfiltrering\tCtrl+Tab");
    menu.Check(102, true);
    EXPECT_TRUE(menu.Checked(102));
    menu.Check(102, false);
    EXPECT_FALSE(menu.Checked(102));
    filer.Enable(101, false);
    EXPECT_TRUE(::GetMenuState(popup, 101, MF_BYCOMMAND) & MF_GRAYED);

    filer.InsertSeparator(1, 110);
    filer.Insert(2, 111, "&1. C:\\Jobs\\Æble.tvj");
    EXPECT_EQ(filer.Count(), 4);
    ::GetMenuStringW(popup, 2, text, 64, MF_BYPOSITION);
    EXPECT_EQ(FromWide(text), "&1. C:\\Jobs\\Æble.tvj");
    filer.Delete(111);
    filer.Delete(110);
    EXPECT_EQ(filer.Count(), 2);

    CommandTable commands;
    std::vector<int> ran;
    commands.On(101, [&] { ran.push_back(101); });
    commands.On(IDOK, [&] { ran.push_back(IDOK); });
    EXPECT_TRUE(commands.Run(101));
    EXPECT_TRUE(commands.Run(IDOK));
    EXPECT_FALSE(commands.Run(102));
    EXPECT_EQ(ran, (std::vector<int>{101, IDOK}));
    ::DestroyMenu(bar);
}
