// The controls of the main window, their texts, initial states and places. Positions are
// pixels at 96 DPI, scaled to the screen.
#include <algorithm>

#include "forms/CopyMain.h"
#include "forms/UiFont.h"
#include "CopyMainIds.h"
#include "resource.h"

namespace tavrel {

namespace {

constexpr int kPanel2Width = 238;
constexpr int kButtonRow = 30;  // cmdInfo and cmdStart at the foot of Panel2

WindowHandle Control(HWND parent, const wchar_t* cls, const std::string& text, DWORD style, int x, int y, int w,
                     int h, int id, DWORD exStyle = 0) {
    return CreateControl(parent, {.className = cls,
                                  .text = text,
                                  .style = style,
                                  .exStyle = exStyle,
                                  .x = Scale(x),
                                  .y = Scale(y),
                                  .width = Scale(w),
                                  .height = Scale(h),
                                  .id = id});
}

WindowHandle Button(HWND parent, const std::string& text, DWORD kind, int x, int y, int w, int h, int id) {
    return Control(parent, L"BUTTON", text, kind | WS_TABSTOP, x, y, w, h, id);
}

TTextBar::CreateArgs Bar(int x, int y, int w, int h) {
    TTextBar::CreateArgs a;
    a.left = Scale(x);
    a.top = Scale(y);
    a.width = Scale(w);
    a.height = Scale(h);
    return a;
}

}  // namespace

void TfrmCopyMain::CreateControls() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_TREEVIEW_CLASSES};
    ::InitCommonControlsEx(&icc);

    // Created first so that it is the first in the tab order; it stays below the tree and
    // the panels, which lie over its page.
    TabControl1 = CreateControl(hwnd_, {.className = WC_TABCONTROLW, .style = WS_CLIPSIBLINGS, .id = ID_TABCONTROL1});
    const char* tabs[2] = {"Kopiering", "Filfiltrering"};
    for (int i = 0; i < 2; ++i) {
        std::wstring text = ToWide(tabs[i]);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = text.data();
        TabControl1.Send(TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
    }

    // The label's accelerator focuses the control after it: the tree.
    lblDirT = CreateControl(hwnd_, {.className = L"STATIC",
                                    .text = "&Marker de mapper, du ønsker at kopiere:",
                                    .style = SS_LEFT,
                                    .id = ID_LBLDIRT});
    DirTreeT1->Create({.parent = hwnd_, .id = ID_DIRTREET1, .stateImages = imlSmaa});
    ::SetWindowLongPtrW(*DirTreeT1, GWL_STYLE, ::GetWindowLongPtrW(*DirTreeT1, GWL_STYLE) | WS_TABSTOP);

    Panel2.CreatePanel({.parent = hwnd_, .id = ID_PANEL2, .bounds = {0, 0, Scale(kPanel2Width), Scale(300)},
                        .font = font_});
    const int width = kPanel2Width;
    CreatePan1(width);
    CreatePan2(width);
    cmdInfo = Button(Panel2, "Inform&ation", BS_PUSHBUTTON, 8, 0, 105, 25, ID_CMDINFO);
    cmdStart = Button(Panel2, " &Start", BS_PUSHBUTTON, 121, 0, 105, 25, ID_CMDSTART);
    SetButtonPicture(cmdInfo, IDI_INFO);
    SetButtonPicture(cmdStart, IDI_START);
    cmdStart.Enable(false);

    StatusBar1 = CreateControl(hwnd_, {.className = STATUSCLASSNAMEW, .style = SBARS_SIZEGRIP, .id = ID_STATUSBAR1});
    ::SetWindowPos(TabControl1, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    FormResize();
}

void TfrmCopyMain::CreatePan1(int width) {
    pan1.CreatePanel({.parent = Panel2, .id = ID_PAN1, .bounds = {0, 0, Scale(width), Scale(246)}, .font = font_});
    chkUnderMapper = Button(pan1, "Me&dtag undermapper", BS_AUTOCHECKBOX, 8, 0, 209, 17, ID_CHKUNDERMAPPER);
    cmdBeskrivelse = Button(pan1, "&Beskrivelse...", BS_PUSHBUTTON, 8, 20, 97, 23, ID_CMDBESKRIVELSE);
    auto b = Bar(8, 47, 209, 47);
    b.borderStyle = bsLine;
    b.wordWrap = true;
    lblBeskrivelse = std::make_unique<TTextBar>(pan1, b);
    lblDatoL = Control(pan1, L"STATIC", "Sidst kopieret:", SS_LEFT, 8, 102, 80, 15, ID_LBLDATOL);
    auto d = Bar(96, 99, 121, 19);
    d.borderStyle = bsLine;
    d.alignment = taCenter;
    d.verticalAlign = vaCenter;
    d.caption = "-";
    lblDato = std::make_unique<TTextBar>(pan1, d);

    gbDest.CreatePanel({.parent = pan1,
                        .id = ID_GBDEST,
                        .bounds = {Scale(8), Scale(122), Scale(8 + 217), Scale(122 + 92)},
                        .caption = " Destination ",
                        .font = font_});
    cmdDest = Button(gbDest, " K&opier til...", BS_PUSHBUTTON, 8, 18, 97, 23, ID_CMDDEST);
    auto t = Bar(8, 45, 201, 19);
    t.borderStyle = bsLine;
    t.verticalAlign = vaCenter;
    lblDest = std::make_unique<TTextBar>(gbDest, t);
    chkSletDest = Button(gbDest, "S&let indhold i destinationsmappe", BS_AUTOCHECKBOX, 8, 69, 201, 17, ID_CHKSLETDEST);
    chkModsat = Button(pan1, "Kopier modsat (fra destination til kilde)", BS_AUTOCHECKBOX | BS_MULTILINE, 8, 216, 217,
                       28, ID_CHKMODSAT);
}

void TfrmCopyMain::CreatePan2(int width) {
    pan2.CreatePanel({.parent = Panel2, .id = ID_PAN2, .bounds = {0, 0, Scale(width), Scale(246)}, .font = font_,
                      .visible = false});
    chkKunNye = Button(pan2, "&Kopier kun nye og ændrede filer", BS_AUTOCHECKBOX, 8, 0, 217, 17, ID_CHKKUNNYE);
    gbFiltyper.CreatePanel({.parent = pan2,
                            .id = ID_GBFILTYPER,
                            .bounds = {Scale(8), Scale(22), Scale(8 + 217), Scale(22 + 204)},
                            .caption = " Filtypefiltrering ",
                            .font = font_});
    lblFiltyper = Control(gbFiltyper, L"STATIC", "F&iltyper:", SS_LEFT, 8, 18, 100, 14, ID_LBLFILTYPER);
    lbFiltyper = Control(gbFiltyper, L"LISTBOX", "", LBS_EXTENDEDSEL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT |
                         WS_VSCROLL | WS_TABSTOP, 8, 33, 110, 120, ID_LBFILTYPER, WS_EX_CLIENTEDGE);
    lblNyType = Control(gbFiltyper, L"STATIC", "&Ny filtype:", SS_LEFT, 126, 18, 83, 14, ID_LBLNYTYPE);
    txtNyType = Control(gbFiltyper, L"EDIT", "", ES_AUTOHSCROLL | WS_TABSTOP, 126, 33, 83, 21, ID_TXTNYTYPE,
                        WS_EX_CLIENTEDGE);
    cmdTilfoej = Button(gbFiltyper, "&Tilføj", BS_PUSHBUTTON, 126, 60, 83, 23, ID_CMDTILFOEJ);
    cmdSlet = Button(gbFiltyper, "Sl&et", BS_PUSHBUTTON, 126, 87, 83, 23, ID_CMDSLET);
    cmdTilfoej.Enable(false);
    cmdSlet.Enable(false);
    optUdelad = Control(gbFiltyper, L"BUTTON", "Kopie&r ikke disse filtyper", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP,
                        8, 160, 201, 17, ID_OPTUDELAD);
    optKun = Control(gbFiltyper, L"BUTTON", "Kopier k&un disse filtyper", BS_AUTORADIOBUTTON, 8, 180, 201, 17, ID_OPTKUN);
}

void TfrmCopyMain::LayoutControls() {
    if (!TabControl1 || !DirTreeT1) return;
    RECT client = ClientRect();
    RECT bar = StatusBar1.WindowRect();
    const int barHeight = bar.bottom - bar.top;
    RECT tab{0, Scale(2), client.right, std::max<LONG>(Scale(2), client.bottom - barHeight)};
    TabControl1.Move(tab.left, tab.top, tab.right - tab.left, tab.bottom - tab.top);

    // The page of the tab control, in the window's coordinates.
    RECT page{0, 0, tab.right - tab.left, tab.bottom - tab.top};
    TabControl1.Send(TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&page));
    ::OffsetRect(&page, tab.left, tab.top);
    const int gap = Scale(4);
    const int labelHeight = Scale(16);
    lblDirT.Move(page.left + gap, page.top + gap, std::max<LONG>(0, page.right - page.left - 2 * gap), labelHeight);

    const int top = page.top + gap + labelHeight + Scale(2);
    const int height = std::max<LONG>(0, page.bottom - gap - top);
    const int panelWidth = Scale(kPanel2Width);
    const int panelLeft = std::max<LONG>(page.left + gap, page.right - gap - panelWidth);
    Panel2.Move(panelLeft, top, panelWidth, height);
    const int treeLeft = page.left + gap;
    ::MoveWindow(*DirTreeT1, treeLeft, top, std::max(0, panelLeft - gap - treeLeft), height, TRUE);

    // The options fill Panel2 above its row of buttons.
    const int buttonsTop = std::max(0, height - Scale(kButtonRow));
    pan1.Move(0, 0, panelWidth, buttonsTop);
    pan2.Move(0, 0, panelWidth, buttonsTop);
    cmdInfo.Move(Scale(8), buttonsTop + Scale(3), Scale(105), Scale(25));
    cmdStart.Move(Scale(121), buttonsTop + Scale(3), Scale(105), Scale(25));
}

}  // namespace tavrel
