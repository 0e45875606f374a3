// The user-interface font of the windows, lengths at the screen's DPI, labels sized to their
// text, and the button pictures shared by the main and progress windows.
#pragma once

#include <windows.h>

#include <string>

#include "controls/Button.h"
#include "controls/Label.h"

namespace tavrel {

// The font name the windows use; empty until the main window chooses it.
extern std::string UiFontName;

// "Tahoma" when a screen font of that name is installed, else kFormFontName. Sets
// UiFontName and returns it.
std::string ChooseUiFontName();
// True when a screen font of the given face name is installed.
bool FontInstalled(const std::string& faceName);

// The screen's dots per inch (96 on a standard screen).
int ScreenDpi();
// A length given in pixels at 96 DPI, on this screen.
int Scale(int px96);
RECT ScaleRect(int left, int top, int width, int height);

// A font by face name and character height in pixels at 96 DPI (11 is 8 points). The fonts
// are made once and live as long as the process; never delete them.
HFONT GetUiFont(const std::string& faceName, int charHeight96, bool bold = false, bool underline = false);
// A window's own font, 8 points: UiFontName, or kFormFontName before it is known.
HFONT FormFont();
// The face name of a font, as the system reports it.
std::string FontFaceName(HFONT font);

// The size of a text in a font on the screen.
SIZE TextExtent(HFONT font, const std::string& text);

// A label at a 96-DPI position, drawn in its text colour on the button face. A width of 0
// sizes it to its text; with rightEdge set, it grows to the left from that edge.
struct LabelArgs {
    std::string text;
    int left = 0, top = 0, width = 0, height = 0;
    int rightEdge = -1;
    HFONT font = nullptr;
    DWORD style = SS_LEFT | SS_NOPREFIX;
    int id = 0;
    COLORREF textColor = SystemColor(COLOR_WINDOWTEXT);
    bool clickable = false;
};
bool CreateLabel(Label& label, HWND parent, const LabelArgs& args);
// The application's icon, 32 x 32 at 96 DPI, shown by a new label at a 96-DPI position. The
// caller destroys the icon returned (none when it could not be loaded).
HICON ShowProgramIcon(Label& label, HWND parent, int left, int top, int id);
// Resizes a label made with width 0 to its new text, keeping its left or right edge.
void FitLabel(HWND label, const std::string& text, bool keepRightEdge = false);

// Gives a top-level window a client area of the 96-DPI size and centres it on the screen.
void SizeClientAndCentre(HWND window, int clientWidth96, int clientHeight96, HWND insertAfter = nullptr);

// Puts a 16 x 16 picture from the program's icon resources on a push button, beside its text.
void SetButtonPicture(const Button& button, int iconId);

}  // namespace tavrel
