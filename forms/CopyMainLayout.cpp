// The controls of the main window, created in tab order from the design (forms/CopyMainDesign.h),
// and their places as the window's size changes. Positions are pixels at 96 DPI, scaled to the
// screen.
#include <algorithm>

#include "controls/RadioButton.h"
#include "forms/CopyMain.h"
#include "forms/UiFont.h"
#include "CopyMainIds.h"
#include "resource.h"

namespace tavrel {

namespace {

// A control's bounds on this screen: its corner and its size each scaled.
RECT Scaled(const design::Place& p) {
    const int left = Scale(p.left), top = Scale(p.top);
    return RECT{left, top, left + Scale(p.width), top + Scale(p.height)};
}

TTextBar::CreateArgs Bar(const design::ControlDesign& d) {
    TTextBar::CreateArgs a;
    a.left = Scale(d.place.left);
    a.top = Scale(d.place.top);
    a.width = Scale(d.place.width);
    a.height = Scale(d.place.height);
    a.caption = d.text;
    return a;
}

}  // namespace

void TfrmCopyMain::CreateControls() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_TREEVIEW_CLASSES};
    ::InitCommonControlsEx(&icc);

    // Created first so that it is the first in the tab order; it stays below the tree and
    // the panels, which lie over its page.
    TabControl1.Create(hwnd_, {.tabs = {kTabNames[0], kTabNames[1]}, .id = ID_TABCONTROL1});
    // The label's accelerator focuses the control after it: the tree.
    lblDirT.Create(hwnd_, {.text = design::lblDirT, .id = ID_LBLDIRT});
    DirTreeT1->Create({.parent = hwnd_, .id = ID_DIRTREET1, .stateImages = imlSmaa});

    Panel2.CreatePanel({.parent = hwnd_, .id = ID_PANEL2, .bounds = {0, 0, Scale(design::kPanel2Width), Scale(300)},
                        .font = font_, .controlParent = true});
    CreatePan1();
    CreatePan2();
    CreateJobBoxes();
    cmdInfo.Create(Panel2, {.text = design::cmdInfo.text, .bounds = Scaled(design::cmdInfo.place), .id = ID_CMDINFO});
    cmdStart.Create(Panel2,
                    {.text = design::cmdStart.text, .bounds = Scaled(design::cmdStart.place), .id = ID_CMDSTART});
    SetButtonPicture(cmdInfo, IDI_INFO);
    SetButtonPicture(cmdStart, IDI_START);
    cmdStart.Enable(false);

    StatusBar1.Create(hwnd_, {.id = ID_STATUSBAR1});
    ::SetWindowPos(TabControl1, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    FormResize();
}

void TfrmCopyMain::CreatePan1() {
    pan1.CreatePanel({.parent = Panel2, .id = ID_PAN1, .bounds = {0, 0, Scale(design::kPanel2Width), Scale(246)},
                      .font = font_, .controlParent = true});
    cmdBeskrivelse.Create(pan1, {.text = design::cmdBeskrivelse.text, .bounds = Scaled(design::cmdBeskrivelse.place),
                                 .id = ID_CMDBESKRIVELSE});
    auto b = Bar(design::lblBeskrivelse);
    b.borderStyle = bsLine;
    b.wordWrap = true;
    lblBeskrivelse = std::make_unique<TTextBar>(pan1, b);
    lblDatoL.Create(pan1, {.text = design::lblDatoL.text, .bounds = Scaled(design::lblDatoL.place),
                           .id = ID_LBLDATOL});
    auto d = Bar(design::lblDato);
    d.borderStyle = bsLine;
    d.alignment = taCenter;
    d.verticalAlign = vaCenter;
    lblDato = std::make_unique<TTextBar>(pan1, d);

    const design::Place g = design::gbDest.place;
    gbDest.CreatePanel({.parent = pan1, .id = ID_GBDEST, .bounds = ScaleRect(g.left, g.top, g.width, g.height),
                        .caption = design::gbDest.text, .font = font_, .controlParent = true});
    cmdDest.Create(gbDest, {.text = design::cmdDest.text, .bounds = Scaled(design::cmdDest.place), .id = ID_CMDDEST});
    auto t = Bar(design::lblDest);
    t.borderStyle = bsLine;
    t.verticalAlign = vaCenter;
    lblDest = std::make_unique<TTextBar>(gbDest, t);
}

void TfrmCopyMain::CreatePan2() {
    pan2.CreatePanel({.parent = Panel2, .id = ID_PAN2, .bounds = {0, 0, Scale(design::kPanel2Width), Scale(246)},
                      .font = font_, .visible = false, .controlParent = true});
    const design::Place g = design::gbFiltyper.place;
    gbFiltyper.CreatePanel({.parent = pan2, .id = ID_GBFILTYPER, .bounds = ScaleRect(g.left, g.top, g.width, g.height),
                            .caption = design::gbFiltyper.text, .font = font_, .controlParent = true});
    lblFiltyper.Create(gbFiltyper, {.text = design::lblFiltyper.text, .bounds = Scaled(design::lblFiltyper.place),
                                    .id = ID_LBLFILTYPER});
    lbFiltyper.Create(gbFiltyper, {.bounds = Scaled(design::lbFiltyper.place), .id = ID_LBFILTYPER,
                                   .multiSelect = true});
    lblNyType.Create(gbFiltyper, {.text = design::lblNyType.text, .bounds = Scaled(design::lblNyType.place),
                                  .id = ID_LBLNYTYPE});
    txtNyType.Create(gbFiltyper, {.bounds = Scaled(design::txtNyType.place), .id = ID_TXTNYTYPE});
    cmdTilfoej.Create(gbFiltyper, {.text = design::cmdTilfoej.text, .bounds = Scaled(design::cmdTilfoej.place),
                                   .id = ID_CMDTILFOEJ, .enabled = false});
    cmdSlet.Create(gbFiltyper, {.text = design::cmdSlet.text, .bounds = Scaled(design::cmdSlet.place),
                                .id = ID_CMDSLET, .enabled = false});
}

TPanel& TfrmCopyMain::PanelOf(design::OptionPanel panel) {
    switch (panel) {
    case design::OptionPanel::pan1: return pan1;
    case design::OptionPanel::gbDest: return gbDest;
    case design::OptionPanel::pan2: return pan2;
    case design::OptionPanel::gbFiltyper: break;
    }
    return gbFiltyper;
}

void TfrmCopyMain::CreateJobBoxes() {
    // Each box after the other controls of its panel; one that comes first in its panel's tab
    // order is put in front of them afterwards.
    for (size_t i = 0; i < std::size(design::kJobBoxes); ++i) {
        const design::JobBox& line = design::kJobBoxes[i];
        HWND panel = PanelOf(line.panel);
        const int id = ID_JOBBOX + static_cast<int>(i);
        std::unique_ptr<CheckBox> box;
        if (line.radio) {
            auto radio = std::make_unique<RadioButton>();
            radio->Create(panel, {.text = line.text, .bounds = Scaled(line.place), .id = id,
                                  .startsGroup = line.startsGroup});
            box = std::move(radio);
        } else {
            box = std::make_unique<CheckBox>();
            box->Create(panel, {.text = line.text, .bounds = Scaled(line.place), .id = id, .multiline = line.multiline});
        }
        jobBoxes_.push_back(std::move(box));
    }
    for (size_t i = std::size(design::kJobBoxes); i-- > 0;)
        if (design::kJobBoxes[i].first)
            ::SetWindowPos(*jobBoxes_[i], HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TfrmCopyMain::LayoutControls() {
    if (!TabControl1 || !DirTreeT1) return;
    RECT client = ClientRect();
    RECT bar = StatusBar1.WindowRect();
    const int barHeight = bar.bottom - bar.top;
    RECT tab{0, Scale(2), client.right, std::max<LONG>(Scale(2), client.bottom - barHeight)};
    TabControl1.Move(tab.left, tab.top, tab.right - tab.left, tab.bottom - tab.top);

    // The page of the tab control, in the window's coordinates.
    const RECT page = TabControl1.PageRect(tab);
    const int gap = Scale(4);
    const int labelHeight = Scale(16);
    lblDirT.Move(page.left + gap, page.top + gap, std::max<LONG>(0, page.right - page.left - 2 * gap), labelHeight);

    const int top = page.top + gap + labelHeight + Scale(2);
    const int height = std::max<LONG>(0, page.bottom - gap - top);
    const int panelWidth = Scale(design::kPanel2Width);
    const int panelLeft = std::max<LONG>(page.left + gap, page.right - gap - panelWidth);
    Panel2.Move(panelLeft, top, panelWidth, height);
    const int treeLeft = page.left + gap;
    WindowHandle(*DirTreeT1).Move(treeLeft, top, std::max(0, panelLeft - gap - treeLeft), height);

    // The options fill Panel2 above its row of buttons.
    const int buttonsTop = std::max(0, height - Scale(design::kButtonRow));
    pan1.Move(0, 0, panelWidth, buttonsTop);
    pan2.Move(0, 0, panelWidth, buttonsTop);
    auto place = [&](Button& button, const design::Place& p) {
        button.Move(Scale(p.left), buttonsTop + Scale(3), Scale(p.width), Scale(p.height));
    };
    place(cmdInfo, design::cmdInfo.place);
    place(cmdStart, design::cmdStart.place);
}

}  // namespace tavrel
