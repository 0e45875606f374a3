#include "forms/CopyPlan.h"

#include <stdexcept>

#include "forms/UiFont.h"

namespace tavrel {

namespace {

// The dialog's texts. The choices' texts name the time that the field below them gives.
constexpr const char* kCaption = "Planlæg";
constexpr const char* kHeading = "Kør jobbet automatisk:";
constexpr const char* kAldrig = "&Aldrig";
constexpr const char* kDag = "Hver &dag kl. TT:MM";
constexpr const char* kUge = "Hver &uge (ugedag) kl. TT:MM:";
constexpr const char* kLogon = "&Når jeg logger på";
constexpr const char* kKl = "&Klokkeslæt (TT:MM):";
constexpr const char* kIndhent = "Kør, så snart det er &muligt, hvis et tidspunkt blev sprunget over";
constexpr const char* kOK = "OK";
constexpr const char* kAnnuller = "Annuller";
constexpr int kClientWidth = 392, kClientHeight = 332;

}  // namespace

Dialog::Template TfrmPlan::MakeTemplate() const {
    return {.title = caption_,
            .style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
            .cx = 260,
            .cy = 200,
            .fontName = kFormFontName};
}

void TfrmPlan::Prepare(const std::string& jobName, const PlanForm& form, const std::string& status, const PlanOK& ok) {
    caption_ = jobName.empty() ? std::string(kCaption) : std::string(kCaption) + " - " + jobName;
    form_ = form;
    status_ = status;
    ok_ = ok;
}

void TfrmPlan::ShowPlan(const std::string& jobName, const PlanForm& form, const std::string& status,
                        const PlanOK& ok) {
    Prepare(jobName, form, status, ok);
    const INT_PTR result = DoModal(owner_, MakeTemplate());
    if (result == IDABORT && !error_.empty()) throw std::runtime_error(error_);
    if (result == -1) throw std::runtime_error("Dialogen Planlæg kunne ikke vises.");
}

bool TfrmPlan::Create(const std::string& jobName, const PlanForm& form, const std::string& status, const PlanOK& ok) {
    Prepare(jobName, form, status, ok);
    return CreateModeless(owner_, MakeTemplate());
}

bool TfrmPlan::OnInitDialog() {
    FormCreate();
    ShowForm(form_);
    if (RadioButton* chosen = OptionOf(form_.kind)) chosen->SetFocus();
    else optAldrigBtn.SetFocus();
    return false;
}

void TfrmPlan::FormCreate() {
    HFONT form = FormFont();
    SetFont(form, false);
    SizeClientAndCentre(hwnd_, kClientWidth, kClientHeight);

    // In tab order: the options as one group, then the fields they use.
    CreateLabel(lblHeading, hwnd_, {.text = kHeading, .left = 16, .top = 14, .font = form, .id = idHeading});
    auto option = [&](RadioButton& button, const char* text, int top, int width, int id, bool first) {
        button.Create(hwnd_, {.text = text, .bounds = ScaleRect(28, top, width, 19), .id = id, .startsGroup = first});
    };
    option(optAldrigBtn, kAldrig, 36, 300, optAldrig, true);
    option(optDagBtn, kDag, 58, 300, optDag, false);
    option(optUgeBtn, kUge, 80, 190, optUge, false);
    option(optLogonBtn, kLogon, 102, 300, optLogon, false);
    // Made after the last option, so that the options stay one group: the combo box starts the next.
    cboUgedag.Create(hwnd_, {.bounds = ScaleRect(222, 79, 110, 21), .id = idUgedag, .dropLines = 7});
    for (int day = 0; day < 7; ++day) cboUgedag.Add(WeekdayName(day));
    ::SetWindowLongPtrW(cboUgedag, GWL_STYLE, cboUgedag.Style() | WS_GROUP);
    CreateLabel(lblKl, hwnd_, {.text = kKl, .left = 46, .top = 135, .font = form, .style = SS_LEFT, .id = idKlL});
    txtKl.Create(hwnd_, {.bounds = ScaleRect(170, 131, 60, 21), .id = idKl, .limit = 5});
    ::SetWindowLongPtrW(txtKl, GWL_STYLE, txtKl.Style() | WS_GROUP);
    chkIndhent.Create(hwnd_, {.text = kIndhent, .bounds = ScaleRect(28, 162, 340, 32), .id = idIndhent,
                              .multiline = true});
    RECT bevel = ScaleRect(16, 204, kClientWidth - 32, 2);
    Bevel1.Create(hwnd_, {.bounds = bevel, .id = idBevel, .style = SS_ETCHEDHORZ,
                          .textColor = SystemColor(COLOR_WINDOWTEXT)});
    // Room for five lines: a Task Scheduler that cannot be reached says so with the system's text.
    lblStatus.Create(hwnd_, {.text = status_, .bounds = ScaleRect(16, 214, kClientWidth - 32, 72), .id = idStatus,
                             .style = SS_LEFT | SS_NOPREFIX, .font = form,
                             .textColor = SystemColor(COLOR_WINDOWTEXT)});
    cmdOK.Create(hwnd_, {.text = kOK, .bounds = ScaleRect(kClientWidth - 178, kClientHeight - 37, 75, 25),
                         .id = idOK, .style = BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP});
    cmdAnnuller.Create(hwnd_, {.text = kAnnuller, .bounds = ScaleRect(kClientWidth - 91, kClientHeight - 37, 75, 25),
                               .id = idAnnuller});
    SetDefaultButton(IDOK);

    for (RadioButton* button : {&optAldrigBtn, &optDagBtn, &optUgeBtn, &optLogonBtn})
        button->onClick = [this] { EnableForKind(); };
}

RadioButton* TfrmPlan::OptionOf(PlanKind kind) {
    switch (kind) {
    case PlanKind::Never: return &optAldrigBtn;
    case PlanKind::Daily: return &optDagBtn;
    case PlanKind::Weekly: return &optUgeBtn;
    case PlanKind::AtLogon: return &optLogonBtn;
    case PlanKind::Other: break;
    }
    return nullptr;
}

void TfrmPlan::ShowForm(const PlanForm& form) {
    // A plan made in the Task Scheduler itself is none of the options: none is chosen.
    for (PlanKind kind : {PlanKind::Never, PlanKind::Daily, PlanKind::Weekly, PlanKind::AtLogon})
        OptionOf(kind)->SetChecked(kind == form.kind);
    txtKl.SetText(form.timeText);
    cboUgedag.Select(form.weekday >= 0 && form.weekday < 7 ? form.weekday : 0);
    chkIndhent.SetChecked(form.runWhenMissed);
    EnableForKind();
}

PlanForm TfrmPlan::ReadControls() const {
    PlanForm form;
    form.kind = optAldrigBtn.Checked() ? PlanKind::Never
                : optDagBtn.Checked()  ? PlanKind::Daily
                : optUgeBtn.Checked()  ? PlanKind::Weekly
                : optLogonBtn.Checked() ? PlanKind::AtLogon
                                        : PlanKind::Other;
    form.timeText = txtKl.Text();
    form.weekday = cboUgedag.Selected();
    form.runWhenMissed = chkIndhent.Checked();
    return form;
}

void TfrmPlan::EnableForKind() {
    const PlanFormEnabled enabled = EnabledFor(ReadControls().kind);
    lblKl.Enable(enabled.time);
    txtKl.Enable(enabled.time);
    cboUgedag.Enable(enabled.weekday);
    chkIndhent.Enable(enabled.runWhenMissed);
}

void TfrmPlan::OnOK() {
    if (!ok_) return Dialog::OnOK();
    const std::optional<PlanRefusal> refusal = ok_(ReadControls());
    if (!refusal) return Dialog::OnOK();
    // The dialog stays with the user's choices; the status shows what the Task Scheduler holds now.
    lblStatus.SetText(refusal->status);
    ::MessageBoxW(hwnd_, ToWide(refusal->message).c_str(), ToWide(kCaption).c_str(), MB_OK | MB_ICONWARNING);
    if (txtKl.IsEnabled() && !ParseClockTime(txtKl.Text())) {
        txtKl.SetFocus();
        txtKl.SelectAll();
    }
}

void TfrmPlan::OnException(const char* what) {
    error_ = what && *what ? what : kUnknownErrorText;
    if (IsModal()) End(IDABORT);
}

}  // namespace tavrel
