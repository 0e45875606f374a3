// The small window layer under every window and control of the program: a non-owning handle
// with inline wrappers, a base class for windows that own their HWND and handle its messages,
// a dialog base built from an in-memory template, and window-less controls painted by their
// parent. Texts are UTF-8; the conversion to UTF-16 happens right at the W call.
#pragma once

#include "platform/win32/WinText.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrel {

// A window handle with convenience wrappers; owns nothing.
class WindowHandle {
public:
    WindowHandle(HWND hwnd = nullptr) : hwnd_(hwnd) {}
    operator HWND() const { return hwnd_; }
    HWND Handle() const { return hwnd_; }
    void Attach(HWND hwnd) { hwnd_ = hwnd; }
    bool IsWindow() const { return hwnd_ != nullptr && ::IsWindow(hwnd_) != FALSE; }

    void SetText(std::string_view text) const;
    std::string GetText() const;

    void Enable(bool enable) const { ::EnableWindow(hwnd_, enable ? TRUE : FALSE); }
    bool IsEnabled() const { return ::IsWindowEnabled(hwnd_) != FALSE; }
    void Show(int cmd = SW_SHOW) const { ::ShowWindow(hwnd_, cmd); }
    void Hide() const { ::ShowWindow(hwnd_, SW_HIDE); }
    bool IsVisible() const { return ::IsWindowVisible(hwnd_) != FALSE; }
    void Move(int x, int y, int width, int height, bool repaint = true) const {
        ::MoveWindow(hwnd_, x, y, width, height, repaint ? TRUE : FALSE);
    }
    void SetFocus() const { ::SetFocus(hwnd_); }
    void Invalidate(const RECT* rect = nullptr, bool erase = true) const {
        ::InvalidateRect(hwnd_, rect, erase ? TRUE : FALSE);
    }
    void Update() const { ::UpdateWindow(hwnd_); }
    RECT ClientRect() const {
        RECT r{};
        ::GetClientRect(hwnd_, &r);
        return r;
    }
    RECT WindowRect() const {
        RECT r{};
        ::GetWindowRect(hwnd_, &r);
        return r;
    }
    void SetFont(HFONT font, bool redraw = true) const {
        ::SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw ? TRUE : FALSE);
    }
    HFONT GetFont() const { return reinterpret_cast<HFONT>(::SendMessageW(hwnd_, WM_GETFONT, 0, 0)); }
    LRESULT Send(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const { return ::SendMessageW(hwnd_, msg, wp, lp); }
    bool Post(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const { return ::PostMessageW(hwnd_, msg, wp, lp) != FALSE; }
    WindowHandle Item(int id) const { return ::GetDlgItem(hwnd_, id); }
    WindowHandle Parent() const { return ::GetParent(hwnd_); }
    int Id() const { return ::GetDlgCtrlID(hwnd_); }
    LONG_PTR Style() const { return ::GetWindowLongPtrW(hwnd_, GWL_STYLE); }
    // Whether Tab stops at the window.
    void SetTabStop(bool on) const {
        const LONG_PTR style = Style();
        ::SetWindowLongPtrW(hwnd_, GWL_STYLE, on ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP)));
    }
    void Destroy() {
        if (hwnd_) ::DestroyWindow(hwnd_);
        hwnd_ = nullptr;
    }

protected:
    HWND hwnd_;
};

// Creates a child control of a standard window class (BUTTON, EDIT, STATIC...), with the
// parent's font. The wrappers of controls/ (Button, Edit, ListBox...) use it.
struct ControlArgs {
    const wchar_t* className = L"STATIC";
    std::string text;
    DWORD style = 0;  // WS_CHILD | WS_VISIBLE are always added
    DWORD exStyle = 0;
    int x = 0, y = 0, width = 0, height = 0;
    int id = 0;
};
WindowHandle CreateControl(HWND parent, const ControlArgs& args);

// The font a form has until it is given another: 8 points of it.
constexpr const char* kFormFontName = "MS Sans Serif";
// What an error that says nothing of itself is called when it reaches the user.
constexpr const char* kUnknownErrorText = "Ukendt fejl";

// A window's keyboard handling of a message before it is dispatched (its accelerators and
// dialog keys); true when it handled the message.
using MessageFilter = std::function<bool(MSG&)>;
// Lets pending messages run once: a long operation on the user-interface thread calls this
// to keep the windows alive. Every message goes the way RunMessageLoop sends it.
void ProcessMessages(const MessageFilter& filter = {});
// The program's message loop; returns the exit code of WM_QUIT. A modeless dialog of ours gets
// its dialog keys (Tab, Enter, Esc) first, then the filter sees the message, and what neither
// took is translated and dispatched.
int RunMessageLoop(const MessageFilter& filter = {});

// Notifications a control handles itself when its parent (a Window or a Dialog) receives
// them: WM_COMMAND and WM_NOTIFY from the control, the colours it is drawn in and the cursor
// over it. Each returns whether the control handled the message.
class IReflectTarget {
public:
    virtual ~IReflectTarget() = default;
    virtual bool OnReflectedCommand(int /*code*/) { return false; }
    virtual bool OnReflectedNotify(NMHDR* /*hdr*/, LRESULT& /*result*/) { return false; }
    // WM_CTLCOLORSTATIC and its kind: sets the colours on dc, returns the background brush.
    virtual HBRUSH OnReflectedColor(HDC /*dc*/) { return nullptr; }
    // WM_SETCURSOR with the pointer over the control: true when it set the cursor.
    virtual bool OnReflectedSetCursor() { return false; }
};
// Registers the control's window as the receiver of its own notifications (nullptr: none).
void SetReflectTarget(HWND control, IReflectTarget* target);
// Hands a notification the parent received to the control it concerns. True when the control
// handled it; result is then what the parent's window procedure returns.
bool ReflectToControl(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

class GraphicControl;

// A window that owns its HWND and handles its messages. Derived classes override the OnXxx
// handlers; each returns true when it handled the message.
class Window : public WindowHandle {
public:
    struct CreateArgs {
        const wchar_t* className = L"TavrelWindow";
        std::string title;
        DWORD style = WS_OVERLAPPEDWINDOW;
        DWORD exStyle = 0;
        int x = CW_USEDEFAULT, y = CW_USEDEFAULT, width = CW_USEDEFAULT, height = CW_USEDEFAULT;
        HWND parent = nullptr;
        HMENU menu = nullptr;  // or the child id
        HICON icon = nullptr;
        HBRUSH background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        UINT classStyle = CS_DBLCLKS;
    };

    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    // False when the window could not be created (or OnCreate refused).
    bool Create(const CreateArgs& args);

    // Window-less controls painted on this window after OnPaint; the control registers itself.
    void AddGraphic(GraphicControl* control);
    void RemoveGraphic(GraphicControl* control);

protected:
    virtual LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT DefaultProc(UINT msg, WPARAM wp, LPARAM lp) { return ::DefWindowProcW(hwnd_, msg, wp, lp); }

    virtual bool OnCreate() { return true; }  // false cancels the creation
    virtual bool OnCommand(int /*id*/, int /*code*/, HWND /*control*/) { return false; }
    virtual bool OnSize(UINT /*type*/, int /*cx*/, int /*cy*/) { return false; }
    virtual void OnPaint(HDC /*dc*/, const RECT& /*update*/) {}
    virtual bool OnEraseBackground(HDC /*dc*/) { return false; }
    virtual bool OnClose() { return false; }  // true keeps the window open
    virtual bool OnDestroy() { return false; }
    virtual bool OnTimer(UINT_PTR /*id*/) { return false; }
    virtual bool OnKeyDown(UINT /*key*/, LPARAM /*flags*/) { return false; }
    // An exception escaped a handler; it must not unwind into user32.
    virtual void OnException(const char* what);

    // Called last for a window: the handle is already cleared, the object may delete itself.
    virtual void OnFinalDestroy() {}

private:
    static LRESULT CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Dispatch(UINT msg, WPARAM wp, LPARAM lp);
    void PaintGraphics(HDC dc, const RECT& update);

    std::vector<GraphicControl*> graphics_;
    HFONT font_ = nullptr;  // WM_SETFONT / WM_GETFONT, for the children and window-less controls
};

// A dialog built from an in-memory template without controls; OnInitDialog creates them.
// Enter and Esc reach OnOK and OnCancel through IDOK and IDCANCEL.
class Dialog : public WindowHandle {
public:
    struct Template {
        std::string title;
        DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
        DWORD exStyle = WS_EX_DLGMODALFRAME;
        short x = 0, y = 0, cx = 200, cy = 100;  // dialog units
        std::string fontName = "MS Shell Dlg";
        short pointSize = 8;
    };

    Dialog() = default;
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;
    virtual ~Dialog();

    // Runs the dialog modally; returns the value given to End, or -1 when it failed.
    INT_PTR DoModal(HWND owner, const Template& t);
    // Creates a modeless dialog; ProcessMessages and RunMessageLoop give it keyboard handling.
    bool CreateModeless(HWND owner, const Template& t);
    // Ends a modal dialog with the result (a modeless one is destroyed).
    void End(INT_PTR result);

    bool IsModal() const { return modal_; }

protected:
    virtual bool OnInitDialog() { return true; }  // true: the system sets the focus
    virtual void OnOK() { End(IDOK); }
    virtual void OnCancel() { End(IDCANCEL); }
    virtual bool OnTimer(UINT_PTR /*id*/) { return false; }
    virtual void OnException(const char* what);
    // The button that Enter presses.
    void SetDefaultButton(int id) { Send(DM_SETDEFID, static_cast<WPARAM>(id)); }

private:
    static INT_PTR CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    INT_PTR Dispatch(UINT msg, WPARAM wp, LPARAM lp);
    // What the dialog procedure returns for a handled message.
    INT_PTR DialogResult(UINT msg, LRESULT result);

    bool modal_ = false;
};

// A control without a window of its own, painted on its parent Window's surface.
class GraphicControl {
public:
    explicit GraphicControl(Window& parent);
    GraphicControl(const GraphicControl&) = delete;
    GraphicControl& operator=(const GraphicControl&) = delete;
    virtual ~GraphicControl();

    Window& Parent() const { return parent_; }
    RECT Bounds() const { return RECT{left_, top_, left_ + width_, top_ + height_}; }
    void SetBounds(int left, int top, int width, int height);
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);

    // Paints the control with (0, 0) at its top-left corner; the parent sets up the origin
    // and clips to the bounds.
    virtual void Paint(HDC dc) = 0;
    // Asks the parent to repaint the control's area.
    void Invalidate() const;

protected:
    virtual void BoundsChanged() {}

private:
    Window& parent_;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    bool visible_ = true;
    bool enabled_ = true;
};

}  // namespace tavrel
