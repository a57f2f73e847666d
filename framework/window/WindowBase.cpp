// Binding windows to objects: the framework procedure and its fault guard, class
// registration, superclassing, creation, subclassing and detaching.
#include "WindowBase.h"

#include "DeviceScreen.h"
#include "Dpi.h"
#include "HandlerFaultReporter.h"

namespace {

constexpr const wchar_t* kGenericClassName = L"CWNDGENCLASS";
constexpr const wchar_t* kSuperclassPrefix = L"CWnd";
// Design margin below the lowest child, at 96 DPI.
constexpr int kChildrenMargin = 8;

bool g_genericClassRegistered = false;  // GUI thread only

HINSTANCE ModuleOr(HINSTANCE instance) { return instance ? instance : GetModuleHandleW(nullptr); }

}  // namespace

WindowBase::WindowBase() : orientation_(QueryDisplayOrientation(0)) {}

WindowBase::~WindowBase() {
    if (window_ && IsWindow(window_))
        DestroyWindow(window_);
    window_ = nullptr;
}

DWORD WindowBase::QueryDisplayOrientation(DWORD fallback) {
    // The handheld answers a CDS_TEST query with the current orientation.
    DEVMODEW mode = {};
    mode.dmSize = sizeof(mode);
    mode.dmFields = DM_DISPLAYORIENTATION;
    if (DeviceScreen_ChangeDisplaySettingsEx(nullptr, &mode, nullptr, CDS_TEST, nullptr) != DISP_CHANGE_SUCCESSFUL)
        return fallback;
    return mode.dmDisplayOrientation;
}

LRESULT WindowBase::DefProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (previousProc_)
        return CallWindowProcW(previousProc_, window_, message, wParam, lParam);
    return DefWindowProcW(window_, message, wParam, lParam);
}

WindowBase* WindowBase::BindOnCreate(HWND window, LPARAM lParam) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    auto* object = create ? static_cast<WindowBase*>(create->lpCreateParams) : nullptr;
    // An object already serving another window would end up bound to two.
    if (!object || (object->window_ && object->window_ != window))
        return nullptr;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
    object->window_ = window;
    return object;
}

void WindowBase::UnbindAfterDestroy() {
    if (IsWindow(window_)) {
        if (previousProc_) {
            SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc_));
            SetWindowLongPtrW(window_, GWLP_USERDATA, savedUserData_);
        } else {
            // WM_NCDESTROY still follows; the owner may have deleted us by then.
            SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        }
    }
    window_ = nullptr;
}

LRESULT CALLBACK WindowBase::StaticProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* object = reinterpret_cast<WindowBase*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!object) {
        // A desktop window sees WM_NCCREATE and a few sizing messages before WM_CREATE;
        // a superclassed control must get them from its own procedure or it never
        // sets itself up, so the object is bound at the first creation message.
        if (message != WM_NCCREATE && message != WM_CREATE)
            return DefWindowProcW(window, message, wParam, lParam);
        object = BindOnCreate(window, lParam);
        if (!object) {
            if (message == WM_NCCREATE && lParam &&
                reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams)
                return FALSE;  // a bound object was handed in: refuse the window
            return DefWindowProcW(window, message, wParam, lParam);
        }
    }
    if (object->window_ != window)
        return IsWindow(window) ? DefWindowProcW(window, message, wParam, lParam) : 0;

    LRESULT result = 0;
    try {
        result = object->WindowProc(message, wParam, lParam);
    } catch (...) {
        HandlerFaultReporter::Report(window, message);
    }
    // A window whose creation failed may get WM_NCDESTROY without WM_DESTROY.
    if (message == WM_DESTROY || (message == WM_NCDESTROY && object->window_ == window))
        object->UnbindAfterDestroy();
    return result;
}

bool WindowBase::Create(HWND parent, const wchar_t* className, DWORD style, int x, int y, int width,
                        int height, const wchar_t* title, UINT id, HINSTANCE instance) {
    if (window_)
        return false;
    instance = ModuleOr(instance);
    previousProc_ = nullptr;
    savedUserData_ = 0;
    std::wstring superclass;
    const wchar_t* windowClass = nullptr;
    if (!className || !*className) {
        windowClass = Wnd_GetGenericClass(instance);
    } else if (Wnd_IsFrameworkClass(className, instance)) {
        windowClass = className;
    } else {
        superclass = SuperclassName(className, instance);
        if (!superclass.empty())
            windowClass = superclass.c_str();
    }
    if (!windowClass)
        return false;
    HMENU childId = (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)) : nullptr;
    HWND window = CreateWindowExW(0, windowClass, title, style, x, y, width, height, parent, childId,
                                  instance, this);
    if (!window)
        window_ = nullptr;
    return window && window == window_;
}

std::wstring WindowBase::SuperclassName(const wchar_t* className, HINSTANCE instance) {
    if (!className || !*className)
        return std::wstring();
    instance = ModuleOr(instance);
    WNDCLASSW systemClass = {};
    if (!GetClassInfoW(instance, className, &systemClass) && !GetClassInfoW(nullptr, className, &systemClass))
        return std::wstring();
    std::wstring name = kSuperclassPrefix;
    name += className;
    previousProc_ = systemClass.lpfnWndProc;
    if (Wnd_IsFrameworkClass(name.c_str(), instance))
        return name;
    WNDCLASSW copy = systemClass;
    copy.lpfnWndProc = StaticProc;
    copy.hInstance = instance;
    copy.lpszClassName = name.c_str();
    copy.style &= ~CS_GLOBALCLASS;
    UnregisterClassW(name.c_str(), instance);
    if (!RegisterClassW(&copy))
        return std::wstring();
    return name;
}

bool WindowBase::Subclass(HWND window) {
    if (!window || window_ || !IsWindow(window))
        return false;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId())
        return false;
    auto current = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC));
    // Already a framework window: its object would become our DefProc and the two
    // would call each other for ever.
    if (!current || current == StaticProc)
        return false;

    LONG_PTR saved = GetWindowLongPtrW(window, GWLP_USERDATA);
    previousProc_ = current;
    savedUserData_ = saved;
    window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    if (!SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StaticProc))) {
        SetWindowLongPtrW(window, GWLP_USERDATA, saved);
        window_ = nullptr;
        previousProc_ = nullptr;
        savedUserData_ = 0;
        return false;
    }
    return true;
}

HWND WindowBase::Detach() {
    HWND window = window_;
    if (!window)
        return nullptr;
    if (IsWindow(window)) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        if (previousProc_) {
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc_));
            SetWindowLongPtrW(window, GWLP_USERDATA, savedUserData_);
        } else {
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefWindowProcW));
        }
    }
    window_ = nullptr;
    previousProc_ = nullptr;
    savedUserData_ = 0;
    return window;
}

int WindowBase::GetVScrollPos() const {
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_POS;
    return window_ && GetScrollInfo(window_, SB_VERT, &info) ? info.nPos : 0;
}

bool WindowBase::GetChildrenExtent(int& bottom) const {
    bottom = 0;
    if (!window_)
        return true;
    for (HWND child = ::GetWindow(window_, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (!(GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE))
            continue;
        RECT rect;
        if (!GetWindowRect(child, &rect))
            continue;
        MapWindowPoints(HWND_DESKTOP, window_, reinterpret_cast<POINT*>(&rect), 2);
        if (rect.bottom > bottom)
            bottom = rect.bottom;
    }
    RECT client = {};
    GetClientRect(window_, &client);
    if (bottom <= client.bottom)
        return true;
    bottom += Dpi_ScaleY(kChildrenMargin);
    return false;
}

bool Wnd_RegisterClass(const wchar_t* className, UINT style, HBRUSH background, HINSTANCE instance) {
    instance = ModuleOr(instance);
    UnregisterClassW(className, instance);
    WNDCLASSW windowClass = {};
    windowClass.style = style;
    windowClass.lpfnWndProc = WindowBase::StaticProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = background ? background : static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = className;
    return RegisterClassW(&windowClass) != 0;
}

const wchar_t* Wnd_GetGenericClass(HINSTANCE instance) {
    if (!g_genericClassRegistered)
        g_genericClassRegistered = Wnd_RegisterClass(kGenericClassName, 0, nullptr, instance);
    return g_genericClassRegistered ? kGenericClassName : nullptr;
}

bool Wnd_IsFrameworkClass(const wchar_t* className, HINSTANCE instance) {
    // One address space here, so the handheld's cross-slot address mapping has no
    // counterpart: the procedures compare directly.
    WNDCLASSW windowClass = {};
    if (!className || !GetClassInfoW(ModuleOr(instance), className, &windowClass))
        return false;
    return windowClass.lpfnWndProc == WindowBase::StaticProc;
}
