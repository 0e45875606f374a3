// TfrmOm, the About window: product, version, copyright, and the e-mail and web addresses,
// which open with the shell when clicked.
#pragma once

#include <string>

#include "controls/Button.h"
#include "controls/Label.h"
#include "controls/Window.h"
#include "platform/System.h"

namespace tavrel {

class TfrmOm : public Dialog {
public:
    enum : int {
        idBrand = 400, idProg, idVersion, idCopyright, idBevel, idImgProg, idLabel1, idEmail, idLabel2, idWWW,
        idOK = IDOK,
    };

    explicit TfrmOm(IShell& shell) : shell_(shell) {}
    ~TfrmOm() override;

    // Shows the window modally above the owner until it is closed.
    INT_PTR ShowModal(HWND owner);
    // The same window without a modal loop (tests look at it this way).
    bool Create(HWND owner);

    Label lblBrand, lblProg, lblVersion, lblCopyright, Bevel1, imgProg, Label1, lblEmail, Label2, lblWWW;
    Button cmdOK;

    void lblEmailClick();
    void lblWWWClick();

protected:
    bool OnInitDialog() override;

private:
    Template MakeTemplate() const;
    void FormCreate();

    IShell& shell_;
    HICON icon_ = nullptr;
};

// The main window's About command: shows the window modally and destroys it afterwards.
void ShowAbout(HWND owner);

}  // namespace tavrel
