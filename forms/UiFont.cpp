#include "forms/UiFont.h"

#include <map>
#include <tuple>

#include "controls/Window.h"
#include "res/resource.h"

namespace tavrel {

std::string UiFontName;

namespace {

int CALLBACK FoundFont(const LOGFONTW*, const TEXTMETRICW*, DWORD type, LPARAM found) {
    // Printer-only fonts do not count: the windows draw on the screen.
    if (type & (RASTER_FONTTYPE | TRUETYPE_FONTTYPE | DEVICE_FONTTYPE)) *reinterpret_cast<bool*>(found) = true;
    return 1;
}

}  // namespace

bool FontInstalled(const std::string& faceName) {
    LOGFONTW lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    std::wstring wide = ToWide(faceName);
    if (wide.empty() || wide.size() >= LF_FACESIZE) return false;
    wcscpy_s(lf.lfFaceName, wide.c_str());
    bool found = false;
    HDC dc = ::GetDC(nullptr);
    ::EnumFontFamiliesExW(dc, &lf, FoundFont, reinterpret_cast<LPARAM>(&found), 0);
    ::ReleaseDC(nullptr, dc);
    return found;
}

std::string ChooseUiFontName() {
    UiFontName = FontInstalled("Tahoma") ? "Tahoma" : kFormFontName;
    return UiFontName;
}

int ScreenDpi() {
    static int dpi = [] {
        HDC dc = ::GetDC(nullptr);
        int d = ::GetDeviceCaps(dc, LOGPIXELSY);
        ::ReleaseDC(nullptr, dc);
        return d > 0 ? d : 96;
    }();
    return dpi;
}

int Scale(int px96) { return ::MulDiv(px96, ScreenDpi(), 96); }

RECT ScaleRect(int left, int top, int width, int height) {
    return RECT{Scale(left), Scale(top), Scale(left + width), Scale(top + height)};
}

HFONT GetUiFont(const std::string& faceName, int charHeight96, bool bold, bool underline) {
    static std::map<std::tuple<std::string, int, bool, bool>, HFONT> cache;
    auto key = std::make_tuple(faceName, charHeight96, bold, underline);
    auto it = cache.find(key);
    if (it != cache.end()) return it->second;
    // A negative height asks for the character height, which is how point sizes map to pixels.
    HFONT font = ::CreateFontW(-Scale(charHeight96), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE,
                               underline ? TRUE : FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                               ToWide(faceName).c_str());
    cache.emplace(key, font);
    return font;
}

HFONT FormFont() { return GetUiFont(UiFontName.empty() ? kFormFontName : UiFontName, 11); }

std::string FontFaceName(HFONT font) {
    LOGFONTW lf{};
    if (!font || !::GetObjectW(font, sizeof lf, &lf)) return {};
    return FromWide(lf.lfFaceName);
}

SIZE TextExtent(HFONT font, const std::string& text) {
    HDC dc = ::GetDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, font ? font : ::GetStockObject(DEFAULT_GUI_FONT));
    std::wstring wide = ToWide(text);
    SIZE size{};
    ::GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    if (wide.empty()) {
        TEXTMETRICW tm{};
        ::GetTextMetricsW(dc, &tm);
        size.cy = tm.tmHeight;
    }
    ::SelectObject(dc, old);
    ::ReleaseDC(nullptr, dc);
    return size;
}

bool CreateLabel(Label& label, HWND parent, const LabelArgs& args) {
    SIZE text = TextExtent(args.font, args.text);
    int width = args.width > 0 ? Scale(args.width) : text.cx;
    int height = args.height > 0 ? Scale(args.height) : text.cy;
    int left = args.rightEdge >= 0 ? Scale(args.rightEdge) - width : Scale(args.left);
    return label.Create(parent, {.text = args.text,
                                 .bounds = {left, Scale(args.top), left + width, Scale(args.top) + height},
                                 .id = args.id,
                                 .style = args.style,
                                 .font = args.font,
                                 .textColor = args.textColor,
                                 .clickable = args.clickable});
}

HICON ShowProgramIcon(Label& label, HWND parent, int left, int top, int id) {
    const int size = Scale(32);
    label.Create(parent, {.bounds = {Scale(left), Scale(top), Scale(left) + size, Scale(top) + size},
                          .id = id,
                          .style = SS_ICON | SS_REALSIZECONTROL,
                          .textColor = SystemColor(COLOR_WINDOWTEXT)});
    HICON icon = static_cast<HICON>(
        ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TAVREL), IMAGE_ICON, size, size, 0));
    if (icon) label.SetIcon(icon);
    return icon;
}

void FitLabel(HWND label, const std::string& text, bool keepRightEdge) {
    WindowHandle h(label);
    RECT r = h.WindowRect();
    ::MapWindowPoints(nullptr, ::GetParent(label), reinterpret_cast<POINT*>(&r), 2);
    SIZE size = TextExtent(h.GetFont(), text);
    int left = keepRightEdge ? r.right - size.cx : r.left;
    h.SetText(text);
    ::SetWindowPos(label, nullptr, left, r.top, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    h.Parent().Invalidate();
}

void SizeClientAndCentre(HWND window, int clientWidth96, int clientHeight96, HWND insertAfter) {
    RECT frame{0, 0, Scale(clientWidth96), Scale(clientHeight96)};
    ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_STYLE)), FALSE,
                         static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_EXSTYLE)));
    int width = frame.right - frame.left, height = frame.bottom - frame.top;
    int x = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2, y = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    ::SetWindowPos(window, insertAfter, x, y, width, height, SWP_NOACTIVATE | (insertAfter ? 0 : SWP_NOZORDER));
}

void SetButtonPicture(const Button& button, int iconId) {
    int size = Scale(16);
    HANDLE icon = ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(iconId), IMAGE_ICON, size, size,
                               LR_DEFAULTCOLOR | LR_SHARED);
    if (icon) button.SetPicture(static_cast<HICON>(icon));
}

}  // namespace tavrel
