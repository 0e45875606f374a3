#include "forms/StatusAnimation.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace tavrel {

namespace {

constexpr UINT_PTR kTimerId = 1;
constexpr double kPi = 3.14159265358979323846;

// Pens and brushes made for one drawing and deleted when it ends.
class Gdi {
public:
    explicit Gdi(HDC dc)
        : dc_(dc), pen_(::GetCurrentObject(dc, OBJ_PEN)), brush_(::GetCurrentObject(dc, OBJ_BRUSH)) {}
    ~Gdi() {
        ::SelectObject(dc_, pen_);
        ::SelectObject(dc_, brush_);
        for (HGDIOBJ o : made_) ::DeleteObject(o);
    }
    Gdi(const Gdi&) = delete;
    Gdi& operator=(const Gdi&) = delete;

    void Use(COLORREF line, COLORREF fill, int width = 1) {
        Select(::CreatePen(PS_SOLID, width, line));
        Select(::CreateSolidBrush(fill));
    }
    void Line(COLORREF color, int width) {
        Select(::CreatePen(PS_SOLID, width, color));
        ::SelectObject(dc_, ::GetStockObject(NULL_BRUSH));
    }

private:
    void Select(HGDIOBJ o) {
        made_.push_back(o);
        ::SelectObject(dc_, o);
    }
    HDC dc_;
    HGDIOBJ pen_, brush_;
    std::vector<HGDIOBJ> made_;
};

void Poly(HDC dc, std::initializer_list<POINT> points) {
    std::vector<POINT> p(points);
    ::Polygon(dc, p.data(), static_cast<int>(p.size()));
}

void Folder(HDC dc, Gdi& g, int x, int y) {
    g.Use(RGB(138, 90, 0), RGB(240, 192, 64));
    Poly(dc, {{x, y + 4}, {x + 3, y}, {x + 16, y}, {x + 19, y + 4}, {x + 19, y + 8}, {x, y + 8}});
    ::Rectangle(dc, x, y + 4, x + 44, y + 32);
    g.Use(RGB(138, 90, 0), RGB(255, 220, 106));
    Poly(dc, {{x - 2, y + 11}, {x + 46, y + 11}, {x + 44, y + 32}, {x, y + 32}});
}

void Sheet(HDC dc, Gdi& g, int x, int y, int scalePercent = 100) {
    int w = 14 * scalePercent / 100, h = 18 * scalePercent / 100;
    if (w < 3 || h < 3) return;
    g.Use(RGB(0, 0, 0), RGB(255, 255, 255));
    ::Rectangle(dc, x, y, x + w, y + h);
    g.Line(RGB(128, 128, 128), 1);
    for (int line = 1; line <= 3 && line * 4 + 2 < h; ++line) {
        ::MoveToEx(dc, x + 3, y + line * 4 + 1, nullptr);
        ::LineTo(dc, x + w - 3, y + line * 4 + 1);
    }
}

void Bin(HDC dc, Gdi& g, int x, int y) {
    g.Use(RGB(64, 64, 64), RGB(176, 176, 176));
    Poly(dc, {{x, y + 6}, {x + 30, y + 6}, {x + 26, y + 36}, {x + 4, y + 36}});
    g.Use(RGB(64, 64, 64), RGB(150, 150, 150));
    ::Rectangle(dc, x - 2, y + 2, x + 32, y + 7);
    g.Line(RGB(96, 96, 96), 1);
    for (int i = 0; i < 3; ++i) {
        ::MoveToEx(dc, x + 9 + i * 6, y + 11, nullptr);
        ::LineTo(dc, x + 9 + i * 6, y + 32);
    }
}

void Magnifier(HDC dc, Gdi& g, int cx, int cy) {
    g.Line(RGB(60, 60, 60), 4);
    ::MoveToEx(dc, cx + 7, cy + 7, nullptr);
    ::LineTo(dc, cx + 15, cy + 15);
    g.Use(RGB(31, 79, 159), RGB(190, 220, 250), 3);
    ::Ellipse(dc, cx - 10, cy - 10, cx + 10, cy + 10);
}

}  // namespace

TStatusAnimation::~TStatusAnimation() = default;

bool TStatusAnimation::CreateAnimation(HWND parent, int id, const RECT& bounds) {
    if (!Create({.className = L"TavrelAnimation",
                 .style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                 .x = bounds.left,
                 .y = bounds.top,
                 .width = bounds.right - bounds.left,
                 .height = bounds.bottom - bounds.top,
                 .parent = parent,
                 .menu = reinterpret_cast<HMENU>(static_cast<INT_PTR>(id))}))
        return false;
    RECT r = ClientRect();
    stock_ = ::CreateWindowExW(0, ANIMATE_CLASSW, L"", WS_CHILD | ACS_TRANSPARENT | ACS_CENTER, 0, 0, r.right,
                               r.bottom, hwnd_, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    return true;
}

int TStatusAnimation::StockClipId(RunClip clip) {
    switch (clip) {
    case RunClip::SearchFile: return 151;
    case RunClip::DeleteFile: return 164;
    case RunClip::CopyFiles: return 160;
    }
    return 160;
}

// Wine's shell32 answers for the clips with placeholders that only show a word ("Searching"),
// so there our own drawing is the better picture.
static bool StockClipsUsable() {
    static bool usable = [] {
        HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
        return !(ntdll && ::GetProcAddress(ntdll, "wine_get_version"));
    }();
    return usable;
}

bool TStatusAnimation::OpenStock(RunClip clip) {
    CloseStock();
    if (!stock_ || !StockClipsUsable()) return false;
    HMODULE shell = ::GetModuleHandleW(L"shell32.dll");
    if (!shell) return false;
    LPARAM name = reinterpret_cast<LPARAM>(MAKEINTRESOURCEW(StockClipId(clip)));
    if (!::SendMessageW(stock_, ACM_OPENW, reinterpret_cast<WPARAM>(shell), name)) return false;
    stockOpen_ = true;
    ::ShowWindow(stock_, SW_SHOW);
    return true;
}

void TStatusAnimation::CloseStock() {
    if (!stockOpen_) return;
    ::SendMessageW(stock_, ACM_STOP, 0, 0);
    ::SendMessageW(stock_, ACM_OPENW, 0, 0);
    ::ShowWindow(stock_, SW_HIDE);
    stockOpen_ = false;
}

void TStatusAnimation::Play(RunClip clip) {
    Stop();
    clip_ = clip;
    hasClip_ = true;
    frame_ = 0;
    playing_ = true;
    if (OpenStock(clip)) {
        ::SendMessageW(stock_, ACM_PLAY, static_cast<WPARAM>(-1), MAKELPARAM(0, 0xFFFF));
    } else {
        ::SetTimer(hwnd_, kTimerId, kFrameMs, nullptr);
    }
    Invalidate(nullptr, false);
}

void TStatusAnimation::Stop() {
    if (!playing_) return;
    playing_ = false;
    if (stockOpen_)
        ::SendMessageW(stock_, ACM_STOP, 0, 0);
    else
        ::KillTimer(hwnd_, kTimerId);
}

void TStatusAnimation::Step() {
    frame_ = (frame_ + 1) % kFrames;
    Invalidate(nullptr, false);
}

bool TStatusAnimation::OnTimer(UINT_PTR id) {
    if (id != kTimerId) return false;
    Step();
    return true;
}

bool TStatusAnimation::OnDestroy() {
    ::KillTimer(hwnd_, kTimerId);
    return false;
}

void TStatusAnimation::OnPaint(HDC dc, const RECT&) {
    RECT r = ClientRect();
    // Drawn off screen first, so the moving sheet does not flicker.
    HDC mem = ::CreateCompatibleDC(dc);
    HBITMAP bmp = ::CreateCompatibleBitmap(dc, r.right, r.bottom);
    HGDIOBJ old = ::SelectObject(mem, bmp);
    ::FillRect(mem, &r, ::GetSysColorBrush(COLOR_BTNFACE));
    if (hasClip_ && !stockOpen_) DrawFrame(mem, clip_, frame_, r.right, r.bottom);
    ::BitBlt(dc, 0, 0, r.right, r.bottom, mem, 0, 0, SRCCOPY);
    ::SelectObject(mem, old);
    ::DeleteObject(bmp);
    ::DeleteDC(mem);
}

void TStatusAnimation::DrawFrame(HDC dc, RunClip clip, int frame, int width, int height) {
    int saved = ::SaveDC(dc);
    ::SetMapMode(dc, MM_ANISOTROPIC);
    ::SetWindowExtEx(dc, kWidth, kHeight, nullptr);
    ::SetViewportExtEx(dc, width, height, nullptr);
    Gdi g(dc);
    double t = static_cast<double>(frame % kFrames) / kFrames;
    // Everything stays in the upper 44 units: placed 16 down, the window reaches under lblMappe.
    switch (clip) {
    case RunClip::CopyFiles: {
        Folder(dc, g, 30, 8);
        Folder(dc, g, 198, 8);
        int x = 52 + static_cast<int>(t * 150);
        int y = 18 - static_cast<int>(std::sin(t * kPi) * 16);
        Sheet(dc, g, x, y);
        break;
    }
    case RunClip::DeleteFile: {
        Folder(dc, g, 30, 8);
        Bin(dc, g, 206, 6);
        double flight = std::min(t / 0.8, 1.0);
        int x = 52 + static_cast<int>(flight * 162);
        int y = 14 - static_cast<int>(std::sin(flight * kPi) * 12) + static_cast<int>(flight * 4);
        // The sheet shrinks as it drops into the bin.
        int size = t < 0.8 ? 100 : 100 - static_cast<int>((t - 0.8) / 0.2 * 100);
        Sheet(dc, g, x, y, size);
        break;
    }
    case RunClip::SearchFile: {
        Folder(dc, g, 114, 8);
        double angle = t * 2 * kPi;
        Magnifier(dc, g, 136 + static_cast<int>(std::cos(angle) * 44), 22 + static_cast<int>(std::sin(angle) * 8));
        break;
    }
    }
    ::RestoreDC(dc, saved);
}

}  // namespace tavrel
