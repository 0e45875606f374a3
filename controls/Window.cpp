#include "controls/Window.h"

#include "core/Texts.h"

#include <algorithm>
#include <exception>

namespace tavrel {

void WindowHandle::SetText(std::string_view text) const { ::SetWindowTextW(hwnd_, ToWide(text).c_str()); }

std::string WindowHandle::GetText() const {
    int n = ::GetWindowTextLengthW(hwnd_);
    if (n <= 0) return {};
    std::wstring buf(static_cast<size_t>(n) + 1, L'\0');
    n = ::GetWindowTextW(hwnd_, buf.data(), n + 1);
    buf.resize(static_cast<size_t>(std::max(n, 0)));
    return FromWide(buf);
}

WindowHandle CreateControl(HWND parent, const ControlArgs& args) {
    HWND h = ::CreateWindowExW(args.exStyle, args.className, ToWide(args.text).c_str(),
                               WS_CHILD | WS_VISIBLE | args.style, args.x, args.y, args.width, args.height,
                               parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(args.id)),
                               ::GetModuleHandleW(nullptr), nullptr);
    if (h) ::SendMessageW(h, WM_SETFONT, ::SendMessageW(parent, WM_GETFONT, 0, 0), FALSE);
    return h;
}

namespace {

// A modeless dialog of ours gets the dialog keyboard handling (Tab, Enter, Esc).
bool RouteToDialog(MSG& msg) {
    if (!msg.hwnd) return false;
    HWND root = ::GetAncestor(msg.hwnd, GA_ROOT);
    if (!root || ::GetWindowLongPtrW(root, DWLP_DLGPROC) == 0) return false;
    wchar_t cls[16] = {};
    ::GetClassNameW(root, cls, 16);
    if (wcscmp(cls, L"#32770") != 0) return false;
    return ::IsDialogMessageW(root, &msg) != FALSE;
}

const wchar_t kReflectProp[] = L"TavrelReflect";

// One message on its way: a modeless dialog's keys, then the window's filter, then dispatched.
void Route(MSG& msg, const MessageFilter& filter) {
    if (RouteToDialog(msg)) return;
    if (filter && filter(msg)) return;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
}

IReflectTarget* ReflectTargetOf(HWND control) {
    return control ? static_cast<IReflectTarget*>(::GetPropW(control, kReflectProp)) : nullptr;
}

}  // namespace

void ProcessMessages(const MessageFilter& filter) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Leave the quit for the main loop.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        Route(msg, filter);
    }
}

int RunMessageLoop(const MessageFilter& filter) {
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) Route(msg, filter);
    return static_cast<int>(msg.wParam);
}

void SetReflectTarget(HWND control, IReflectTarget* target) {
    if (target)
        ::SetPropW(control, kReflectProp, target);
    else
        ::RemovePropW(control, kReflectProp);
}

bool ReflectToControl(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_COMMAND: {
        IReflectTarget* t = ReflectTargetOf(reinterpret_cast<HWND>(lp));
        if (!t || !t->OnReflectedCommand(HIWORD(wp))) return false;
        result = 0;
        return true;
    }
    case WM_NOTIFY: {
        auto* hdr = reinterpret_cast<NMHDR*>(lp);
        IReflectTarget* t = ReflectTargetOf(hdr->hwndFrom);
        result = 0;
        return t && t->OnReflectedNotify(hdr, result);
    }
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC: {
        IReflectTarget* t = ReflectTargetOf(reinterpret_cast<HWND>(lp));
        HBRUSH brush = t ? t->OnReflectedColor(reinterpret_cast<HDC>(wp)) : nullptr;
        if (!brush) return false;
        result = reinterpret_cast<LRESULT>(brush);
        return true;
    }
    case WM_SETCURSOR: {
        IReflectTarget* t = ReflectTargetOf(reinterpret_cast<HWND>(wp));
        if (!t || !t->OnReflectedSetCursor()) return false;
        result = TRUE;
        return true;
    }
    default:
        return false;
    }
}

// Window -----------------------------------------------------------------------------------

Window::~Window() {
    if (hwnd_ && ::IsWindow(hwnd_)) {
        // The object is going away: the window must not call back into it while it dies.
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        ::DestroyWindow(hwnd_);
    }
    hwnd_ = nullptr;
}

bool Window::Create(const CreateArgs& args) {
    HINSTANCE inst = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (!::GetClassInfoExW(inst, args.className, &wc)) {
        wc = WNDCLASSEXW{};
        wc.cbSize = sizeof wc;
        wc.style = args.classStyle;
        wc.lpfnWndProc = StaticProc;
        wc.hInstance = inst;
        wc.hIcon = args.icon;
        wc.hIconSm = args.icon;
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = args.background;
        wc.lpszClassName = args.className;
        if (!::RegisterClassExW(&wc)) return false;
    }
    HWND h = ::CreateWindowExW(args.exStyle, args.className, ToWide(args.title).c_str(), args.style, args.x, args.y,
                               args.width, args.height, args.parent, args.menu, inst, this);
    return h != nullptr;
}

void Window::AddGraphic(GraphicControl* control) {
    if (std::find(graphics_.begin(), graphics_.end(), control) == graphics_.end()) graphics_.push_back(control);
}

void Window::RemoveGraphic(GraphicControl* control) {
    graphics_.erase(std::remove(graphics_.begin(), graphics_.end(), control), graphics_.end());
}

LRESULT CALLBACK Window::StaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* self = nullptr;
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        self = static_cast<Window*>(cs->lpCreateParams);
        if (self) {
            self->hwnd_ = hwnd;
            ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
    } else {
        self = reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self) return ::DefWindowProcW(hwnd, msg, wp, lp);

    LRESULT result = 0;
    try {
        result = self->Dispatch(msg, wp, lp);
    } catch (const std::exception& e) {
        self->OnException(e.what());
        result = ::DefWindowProcW(hwnd, msg, wp, lp);
    } catch (...) {
        self->OnException(kUnknownErrorText);
        result = ::DefWindowProcW(hwnd, msg, wp, lp);
    }
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        try {
            self->OnFinalDestroy();
        } catch (...) {
        }
    }
    return result;
}

LRESULT Window::Dispatch(UINT msg, WPARAM wp, LPARAM lp) { return HandleMessage(msg, wp, lp); }

void Window::OnException(const char* what) {
    ::MessageBoxW(hwnd_, ToWide(what).c_str(), ToWide(kErrorCaption).c_str(), MB_OK | MB_ICONERROR);
}

LRESULT Window::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT reflected = 0;
    if (ReflectToControl(msg, wp, lp, reflected)) return reflected;
    switch (msg) {
    case WM_CREATE:
        return OnCreate() ? 0 : -1;
    case WM_COMMAND:
        if (OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp))) return 0;
        break;
    case WM_SETFONT:
        font_ = reinterpret_cast<HFONT>(wp);
        if (LOWORD(lp)) ::InvalidateRect(hwnd_, nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(font_);
    case WM_SIZE:
        if (OnSize(static_cast<UINT>(wp), LOWORD(lp), HIWORD(lp))) return 0;
        break;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(hwnd_, &ps);
        OnPaint(dc, ps.rcPaint);
        PaintGraphics(dc, ps.rcPaint);
        ::EndPaint(hwnd_, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        if (OnEraseBackground(reinterpret_cast<HDC>(wp))) return 1;
        break;
    case WM_CLOSE:
        if (OnClose()) return 0;
        break;
    case WM_DESTROY:
        if (OnDestroy()) return 0;
        break;
    case WM_TIMER:
        if (OnTimer(wp)) return 0;
        break;
    case WM_KEYDOWN:
        if (OnKeyDown(static_cast<UINT>(wp), lp)) return 0;
        break;
    default:
        break;
    }
    return DefaultProc(msg, wp, lp);
}

void Window::PaintGraphics(HDC dc, const RECT& update) {
    for (GraphicControl* g : graphics_) {
        if (!g->Visible()) continue;
        RECT b = g->Bounds(), common;
        if (!::IntersectRect(&common, &b, &update)) continue;
        int saved = ::SaveDC(dc);
        ::IntersectClipRect(dc, b.left, b.top, b.right, b.bottom);
        ::SetViewportOrgEx(dc, b.left, b.top, nullptr);
        g->Paint(dc);
        ::RestoreDC(dc, saved);
    }
}

// Dialog -----------------------------------------------------------------------------------

namespace {

// DLGTEMPLATE followed by the menu, class, title and font, all WORD-aligned; no items.
std::vector<WORD> BuildTemplate(const Dialog::Template& t) {
    std::vector<WORD> buf(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
    auto* dt = reinterpret_cast<DLGTEMPLATE*>(buf.data());
    dt->style = t.style | DS_SETFONT;
    dt->dwExtendedStyle = t.exStyle;
    dt->cdit = 0;
    dt->x = t.x;
    dt->y = t.y;
    dt->cx = t.cx;
    dt->cy = t.cy;
    auto appendString = [&buf](const std::wstring& s) {
        for (wchar_t c : s) buf.push_back(static_cast<WORD>(c));
        buf.push_back(0);
    };
    buf.push_back(0);  // no menu
    buf.push_back(0);  // the standard dialog class
    appendString(ToWide(t.title));
    buf.push_back(static_cast<WORD>(t.pointSize));
    appendString(ToWide(t.fontName));
    return buf;
}

}  // namespace

Dialog::~Dialog() {
    if (hwnd_ && ::IsWindow(hwnd_)) {
        ::SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
        ::DestroyWindow(hwnd_);
    }
    hwnd_ = nullptr;
}

INT_PTR Dialog::DoModal(HWND owner, const Template& t) {
    std::vector<WORD> tmpl = BuildTemplate(t);
    modal_ = true;
    INT_PTR r = ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), reinterpret_cast<DLGTEMPLATE*>(tmpl.data()),
                                          owner, StaticProc, reinterpret_cast<LPARAM>(this));
    modal_ = false;
    hwnd_ = nullptr;
    return r;
}

bool Dialog::CreateModeless(HWND owner, const Template& t) {
    std::vector<WORD> tmpl = BuildTemplate(t);
    modal_ = false;
    HWND h = ::CreateDialogIndirectParamW(::GetModuleHandleW(nullptr), reinterpret_cast<DLGTEMPLATE*>(tmpl.data()),
                                          owner, StaticProc, reinterpret_cast<LPARAM>(this));
    return h != nullptr;
}

void Dialog::End(INT_PTR result) {
    if (!hwnd_) return;
    if (modal_)
        ::EndDialog(hwnd_, result);
    else
        ::DestroyWindow(hwnd_);
}

void Dialog::OnException(const char* what) {
    ::MessageBoxW(hwnd_, ToWide(what).c_str(), ToWide(kErrorCaption).c_str(), MB_OK | MB_ICONERROR);
}

INT_PTR CALLBACK Dialog::StaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Dialog* self = nullptr;
    if (msg == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lp);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Dialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    if (!self) return FALSE;
    INT_PTR result = FALSE;
    try {
        result = self->Dispatch(msg, wp, lp);
    } catch (const std::exception& e) {
        self->OnException(e.what());
    } catch (...) {
        self->OnException(kUnknownErrorText);
    }
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        self->hwnd_ = nullptr;
    }
    return result;
}

INT_PTR Dialog::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (ReflectToControl(msg, wp, lp, result)) return DialogResult(msg, result);
    switch (msg) {
    case WM_INITDIALOG:
        return OnInitDialog() ? TRUE : FALSE;
    case WM_COMMAND: {
        int id = LOWORD(wp), code = HIWORD(wp);
        HWND control = reinterpret_cast<HWND>(lp);
        if (id == IDOK && (code == BN_CLICKED || !control)) {
            OnOK();
            return TRUE;
        }
        if (id == IDCANCEL && (code == BN_CLICKED || !control)) {
            OnCancel();
            return TRUE;
        }
        return FALSE;
    }
    case WM_TIMER:
        return OnTimer(wp) ? TRUE : FALSE;
    case WM_CLOSE:
        // The close box cancels, like Esc.
        OnCancel();
        return TRUE;
    default:
        return FALSE;
    }
}

INT_PTR Dialog::DialogResult(UINT msg, LRESULT result) {
    // These few return their result (a brush, a comparison) from the dialog procedure itself.
    if ((msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC) || msg == WM_COMPAREITEM || msg == WM_VKEYTOITEM ||
        msg == WM_CHARTOITEM || msg == WM_QUERYDRAGICON)
        return static_cast<INT_PTR>(result);
    ::SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
    return TRUE;
}

// GraphicControl ---------------------------------------------------------------------------

GraphicControl::GraphicControl(Window& parent) : parent_(parent) { parent_.AddGraphic(this); }

GraphicControl::~GraphicControl() { parent_.RemoveGraphic(this); }

void GraphicControl::SetBounds(int left, int top, int width, int height) {
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    Invalidate();
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    Invalidate();
    BoundsChanged();
}

void GraphicControl::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    Invalidate();
}

void GraphicControl::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Invalidate();
}

void GraphicControl::Invalidate() const {
    if (!parent_.Handle()) return;
    RECT b = Bounds();
    // The whole area, background included: a transparent control shows what lies behind.
    ::InvalidateRect(parent_.Handle(), &b, TRUE);
}

}  // namespace tavrel
