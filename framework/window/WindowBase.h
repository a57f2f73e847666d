#pragma once
// The root of every window object: one object owns one window and receives its
// messages through one virtual handler per message. Every default handler re-packs
// its arguments and passes the message to DefProc, so an override that wants the
// platform's default calls the base handler.
//
// An object exists before its window: Create (or a dialog) binds the window while it
// is being created; WM_DESTROY unbinds it and the owner then deletes the object.
// Deleting an object whose window still exists destroys the window first. An object
// for an existing window uses Subclass and gives the window back with Detach.
#include <windows.h>

#include <string>

class WindowBase {
public:
    // Never dispatched from a message; OnUser7FFF's default sends it to DefProc.
    static constexpr UINT kMessageUser7FFF = 0x7FFF;

    WindowBase();
    WindowBase(const WindowBase&) = delete;
    WindowBase& operator=(const WindowBase&) = delete;

    // The handlers, in slot order. Comments give what the dispatcher returns when it
    // is not simply 0.
    virtual ~WindowBase();
    // The replaced procedure of a superclassed or subclassed window, else DefWindowProcW.
    virtual LRESULT DefProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Maps each message to its handler; every other message goes to DefProc.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // false fails the creation (-1); the default fails when DefProc gave -1.
    virtual bool OnCreate(CREATESTRUCTW* create);
    virtual void OnDestroy();
    virtual void OnUser7FFF();
    virtual void OnClose();
    virtual void OnActivate(UINT state, HWND other, BOOL minimized);
    virtual void OnWindowPosChanged(WINDOWPOS* position);
    virtual void OnSettingChange(UINT flag, LPARAM lParam);
    virtual void OnCommand(UINT id, HWND control, UINT code);
    virtual LRESULT OnNotify(WPARAM wParam, NMHDR* header);  // returned
    virtual void OnSize(UINT type, int width, int height);
    virtual void OnPaint();
    virtual LRESULT OnEraseBkgnd(HDC dc);  // returned
    // Called before OnSize when the display turned since this window last looked.
    virtual void OnOrientationChange(UINT width, UINT height, DWORD orientation);
    virtual void OnHScroll(HWND bar, UINT code, UINT position);
    virtual void OnVScroll(HWND bar, UINT code, UINT position);
    virtual void OnSetFocus(HWND losing);
    virtual void OnKillFocus(HWND gaining);
    virtual void OnKeyDown(UINT key, UINT repeat, UINT flags);
    virtual void OnKeyUp(UINT key, UINT repeat, UINT flags);
    // The default passes the repeat count alone as lParam.
    virtual void OnChar(WCHAR character, UINT repeat);
    virtual void OnMouseMove(int x, int y, UINT keys);
    virtual void OnLButtonDown(int x, int y, UINT keys);
    virtual void OnLButtonDblClk(int x, int y, UINT keys);
    virtual void OnLButtonUp(int x, int y, UINT keys);
    virtual LRESULT OnCtlColorStatic(HDC dc, HWND control);  // returned
    virtual LRESULT OnCtlColorEdit(HDC dc, HWND control);    // returned
    // message may be null; the default passes its wParam (0 without one).
    virtual LRESULT OnGetDlgCode(MSG* message, WPARAM key);  // returned
    virtual void OnHotKey(int id, UINT modifiers, UINT key);
    virtual LRESULT OnDrawItem(UINT controlId, DRAWITEMSTRUCT* item);  // returned
    virtual void OnTimer(UINT_PTR id);
    virtual LRESULT OnCopyData(HWND sender, COPYDATASTRUCT* data);  // returned
    // The sender always gets 1, whatever this returns.
    virtual LRESULT OnHelp(HELPINFO* info, WPARAM wParam);

    // The framework procedure of every framework class, with the fault guard.
    static LRESULT CALLBACK StaticProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // Instance null means the program's module. A framework class name is used as it
    // is, any other non-empty name is superclassed, an empty one uses the generic
    // class. True only when the new window is bound to this object; id is the child id.
    bool Create(HWND parent, const wchar_t* className, DWORD style, int x, int y, int width,
                int height, const wchar_t* title, UINT id, HINSTANCE instance);
    // Registers (once) "CWnd" + className with the framework procedure and a copy of
    // the system class, whose procedure becomes this object's DefProc target.
    // Returns the new class name, empty when the class does not exist or fails to register.
    std::wstring SuperclassName(const wchar_t* className, HINSTANCE instance);
    // Binds an existing window of this process. Checks come first: on false nothing changed.
    bool Subclass(HWND window);
    // Gives the window back (its own procedure and user data, or DefWindowProcW for
    // a window this object created) and returns it.
    HWND Detach();

    // Vertical scroll position, 0 when it cannot be read.
    int GetVScrollPos() const;
    // bottom = lowest bottom edge of the visible children in client coordinates.
    // True when that fits the client area; otherwise adds a scaled margin and says false.
    bool GetChildrenExtent(int& bottom) const;

    HWND GetHwnd() const { return window_; }
    DWORD GetOrientation() const { return orientation_; }

    // The display's current orientation (a DMDO_ value), fallback when it cannot be read.
    static DWORD QueryDisplayOrientation(DWORD fallback);

protected:
    // For dialogs, whose procedure binds and unbinds the window itself.
    void BindWindow(HWND window) { window_ = window; }
    WNDPROC PreviousProc() const { return previousProc_; }
    LONG_PTR SavedUserData() const { return savedUserData_; }

    // The orientation last seen; compared before every WM_SIZE.
    DWORD orientation_;

private:
    // Takes the object from the creation parameter and binds it to window.
    static WindowBase* BindOnCreate(HWND window, LPARAM lParam);
    // After WM_DESTROY: the window gets back what it had, and the object lets go.
    void UnbindAfterDestroy();

    HWND window_ = nullptr;
    WNDPROC previousProc_ = nullptr;
    LONG_PTR savedUserData_ = 0;
};

// Registers a class served by the framework procedure, after unregistering any class
// of that name. Instance null: the program's module; brush null: the white stock brush.
bool Wnd_RegisterClass(const wchar_t* className, UINT style, HBRUSH background, HINSTANCE instance);
// "CWNDGENCLASS", registered once per process; null when registration fails (a later
// call tries again).
const wchar_t* Wnd_GetGenericClass(HINSTANCE instance);
// True when the class exists and its procedure is the framework procedure.
bool Wnd_IsFrameworkClass(const wchar_t* className, HINSTANCE instance);
