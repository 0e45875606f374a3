// TfrmPlan, the "Planlæg..." dialog: when the Task Scheduler runs the job on its own (Aldrig,
// every day, every week, at logon), whether a missed time is made up, and below the choices
// the plan as it stands and the last run. What it shows and what OK does come from
// core/PlanJob.h; the dialog only shows.
#pragma once

#include <string>

#include "controls/Button.h"
#include "controls/CheckBox.h"
#include "controls/ComboBox.h"
#include "controls/Edit.h"
#include "controls/Label.h"
#include "controls/RadioButton.h"
#include "controls/Window.h"
#include "core/PlanJob.h"

namespace tavrel {

class TfrmPlan : public Dialog, public IPlanDialog {
public:
    enum : int {
        idHeading = 500, optAldrig, optDag, optUge, optLogon, idUgedag, idKlL, idKl, idIndhent, idBevel, idStatus,
        idOK = IDOK, idAnnuller = IDCANCEL,
    };

    explicit TfrmPlan(HWND owner) : owner_(owner) {}

    // IPlanDialog: modal above the owner until OK is let through or the dialog is cancelled.
    void ShowPlan(const std::string& jobName, const PlanForm& form, const std::string& status,
                  const PlanOK& ok) override;
    // The same dialog without a modal loop (tests look at it this way).
    bool Create(const std::string& jobName, const PlanForm& form, const std::string& status, const PlanOK& ok);

    // The form as the controls hold it: no option chosen reads as PlanKind::Other.
    PlanForm ReadControls() const;

    Label lblHeading, lblKl, Bevel1, lblStatus;
    RadioButton optAldrigBtn, optDagBtn, optUgeBtn, optLogonBtn;
    ComboBox cboUgedag;
    Edit txtKl;
    CheckBox chkIndhent;
    Button cmdOK, cmdAnnuller;

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnException(const char* what) override;

private:
    Template MakeTemplate() const;
    void Prepare(const std::string& jobName, const PlanForm& form, const std::string& status, const PlanOK& ok);
    void FormCreate();
    void ShowForm(const PlanForm& form);
    // The time field, the weekday and the check box take input when the option chosen uses them.
    void EnableForKind();
    RadioButton* OptionOf(PlanKind kind);

    HWND owner_;
    std::string caption_, status_, error_;
    PlanForm form_;
    PlanOK ok_;
};

}  // namespace tavrel
