// The "Planlæg..." dialog in a real window: its texts, the plan it is given shown in its
// controls and read back from them, the fields that take input for each option, and OK, which
// closes the dialog only when the plan was carried out.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/CopyPlan.h"
#include "forms/UiFont.h"
#include "tests/win/support/FormsTest.h"

using namespace tavrel;
using namespace tavrel::test;

namespace {

void Press(Button& button) { ::SendMessageW(button, BM_CLICK, 0, 0); }

struct Shown {
    PlanKind kind;
    bool time, weekday, missed;  // enabled
};

}  // namespace

TEST(PlanDialog, TextsAndTheFormShownAndReadBack) {
    UiFontName = "Tahoma";
    TfrmPlan dlg(nullptr);
    const PlanForm form{PlanKind::Weekly, "07:05", 4, false};
    ASSERT_TRUE(dlg.Create("Drev_C", form, "Planlagt: Hver fredag kl. 07:05.\r\nIkke kørt endnu.", {}));
    EXPECT_EQ(dlg.GetText(), "Planlæg - Drev_C");
    ExpectTexts({{dlg.lblHeading, "Kør jobbet automatisk:"},
                 {dlg.optAldrigBtn, "&Aldrig"},
                 {dlg.optDagBtn, "Hver &dag kl. TT:MM"},
                 {dlg.optUgeBtn, "Hver &uge (ugedag) kl. TT:MM:"},
                 {dlg.optLogonBtn, "&Når jeg logger på"},
                 {dlg.lblKl, "&Klokkeslæt (TT:MM):"},
                 {dlg.chkIndhent, "Kør, så snart det er &muligt, hvis et tidspunkt blev sprunget over"},
                 {dlg.lblStatus, "Planlagt: Hver fredag kl. 07:05.\r\nIkke kørt endnu."},
                 {dlg.cmdOK, "OK"},
                 {dlg.cmdAnnuller, "Annuller"}});
    ASSERT_EQ(dlg.cboUgedag.Count(), 7);
    EXPECT_EQ(dlg.cboUgedag.Text(0), "mandag");
    EXPECT_EQ(dlg.cboUgedag.Text(6), "søndag");
    EXPECT_EQ(dlg.cboUgedag.Text(dlg.cboUgedag.Selected()), "fredag");

    const PlanForm read = dlg.ReadControls();
    EXPECT_EQ(read.kind, PlanKind::Weekly);
    EXPECT_EQ(read.timeText, "07:05");
    EXPECT_EQ(read.weekday, 4);
    EXPECT_FALSE(read.runWhenMissed);

    // Every control lies inside the dialog, and the two buttons do not overlap.
    const RECT client = dlg.ClientRect();
    for (HWND h : {dlg.lblHeading.Handle(), dlg.optUgeBtn.Handle(), dlg.cboUgedag.Handle(), dlg.txtKl.Handle(),
                   dlg.chkIndhent.Handle(), dlg.lblStatus.Handle(), dlg.cmdOK.Handle(), dlg.cmdAnnuller.Handle()}) {
        const RECT r = ChildRect(h);
        EXPECT_GE(r.left, 0);
        EXPECT_LE(r.right, client.right);
        EXPECT_LE(r.bottom, client.bottom);
    }
    EXPECT_LE(ChildRect(dlg.cmdOK).right, ChildRect(dlg.cmdAnnuller).left);
    dlg.Destroy();
    UiFontName.clear();
}

TEST(PlanDialog, TheFieldsTakeInputWhenTheOptionChosenUsesThem) {
    TfrmPlan dlg(nullptr);
    ASSERT_TRUE(dlg.Create("Drev_C", PlanForm{}, "Jobbet er ikke planlagt.", {}));
    EXPECT_TRUE(dlg.optAldrigBtn.Checked());
    const std::vector<std::pair<RadioButton*, Shown>> presses = {
        {&dlg.optDagBtn, {PlanKind::Daily, true, false, true}},
        {&dlg.optUgeBtn, {PlanKind::Weekly, true, true, true}},
        {&dlg.optLogonBtn, {PlanKind::AtLogon, false, false, false}},
        {&dlg.optAldrigBtn, {PlanKind::Never, false, false, false}},
        {&dlg.optUgeBtn, {PlanKind::Weekly, true, true, true}},
    };
    for (auto& [button, shown] : presses) {
        SCOPED_TRACE(button->GetText());
        Press(*button);
        EXPECT_EQ(dlg.ReadControls().kind, shown.kind);
        // One option at a time: the options are one group.
        int checked = 0;
        for (RadioButton* b : {&dlg.optAldrigBtn, &dlg.optDagBtn, &dlg.optUgeBtn, &dlg.optLogonBtn})
            checked += b->Checked() ? 1 : 0;
        EXPECT_EQ(checked, 1);
        EXPECT_EQ(dlg.txtKl.IsEnabled(), shown.time);
        EXPECT_EQ(dlg.lblKl.IsEnabled(), shown.time);
        EXPECT_EQ(dlg.cboUgedag.IsEnabled(), shown.weekday);
        EXPECT_EQ(dlg.chkIndhent.IsEnabled(), shown.missed);
    }
    dlg.Destroy();

    // A plan changed in the Task Scheduler itself is none of the options.
    TfrmPlan other(nullptr);
    ASSERT_TRUE(other.Create("Drev_C", PlanForm{PlanKind::Other}, "", {}));
    for (RadioButton* b : {&other.optAldrigBtn, &other.optDagBtn, &other.optUgeBtn, &other.optLogonBtn})
        EXPECT_FALSE(b->Checked());
    EXPECT_EQ(other.ReadControls().kind, PlanKind::Other);
    EXPECT_FALSE(other.txtKl.IsEnabled());
    other.Destroy();
}

TEST(PlanDialog, OKHandsTheControlsToThePlanAndClosesWhenItWasCarriedOut) {
    std::vector<PlanForm> handed;
    TfrmPlan dlg(nullptr);
    ASSERT_TRUE(dlg.Create("Drev_C", PlanForm{}, "", [&](const PlanForm& form) -> std::optional<PlanRefusal> {
        handed.push_back(form);
        return std::nullopt;
    }));
    Press(dlg.optDagBtn);
    dlg.txtKl.SetText("02:30");
    Press(dlg.cmdOK);
    ASSERT_EQ(handed.size(), 1u);
    EXPECT_EQ(handed[0].kind, PlanKind::Daily);
    EXPECT_EQ(handed[0].timeText, "02:30");
    EXPECT_TRUE(handed[0].runWhenMissed);
    EXPECT_FALSE(dlg.IsWindow());
}
