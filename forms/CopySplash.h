// TfrmSplash: the small window on the screen while the program starts, until the main window
// has read the drives and the last job.
#pragma once

#include <string>

#include "controls/Button.h"
#include "controls/Label.h"
#include "controls/Window.h"

namespace tavrel {

class TfrmSplash : public Dialog {
public:
    enum : int { idIkon = 300, idProduct, idVer, idProgram, idCopyright, idOK = IDOK };

    ~TfrmSplash() override;

    // Creates the window, shows it and paints it at once; owner may be null.
    bool ShowSplash(HWND owner = nullptr);
    // lblProgram: what the start-up is doing ("Undersøger drev...").
    void SetProgramText(const std::string& text);

    Label imgIkon, lblProduct, lblver, lblProgram, lblCopyright;
    Button cmdOK;

protected:
    bool OnInitDialog() override;
    // A closed splash is only hidden.
    void OnOK() override { Hide(); }
    void OnCancel() override { Hide(); }

private:
    void FormCreate();
    HICON icon_ = nullptr;
};

}  // namespace tavrel
