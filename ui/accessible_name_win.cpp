// AccessibleName: the standard accessible object of a control, its name or role replaced.
#include "ui/accessible_name_win.h"

#include <oleacc.h>

#include <utility>

#include "win/guard_win.h"
#include "win/system_dll_win.h"

namespace varrel {

namespace {

// oleacc is loaded only when a screen reader (or another accessibility client) first asks, and
// stays loaded: the objects it made live as long as their clients hold them.
struct Oleacc {
    using CreateStandard = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
    using ResultFromObject = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
    CreateStandard createStandard = nullptr;
    ResultFromObject resultFromObject = nullptr;
};

const Oleacc& OleaccFunctions() {
    static const Oleacc functions = [] {
        Oleacc found;
        if (HMODULE dll = SystemDll(L"oleacc.dll")) {
            found.createStandard = reinterpret_cast<Oleacc::CreateStandard>(
                reinterpret_cast<void*>(GetProcAddress(dll, "CreateStdAccessibleObject")));
            found.resultFromObject = reinterpret_cast<Oleacc::ResultFromObject>(
                reinterpret_cast<void*>(GetProcAddress(dll, "LresultFromObject")));
        }
        return found;
    }();
    return functions;
}

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

// Every call goes to the standard object but the control's own name and role.
class LookingAccessible final : public IAccessible {
  public:
    LookingAccessible(IAccessible* standard, AccessibleLook look)
        : standard_(standard), look_(std::move(look)) {}
    LookingAccessible(const LookingAccessible&) = delete;
    LookingAccessible& operator=(const LookingAccessible&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) ||
            iid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        return standard_->QueryInterface(iid, out);  // the window behind it, its children
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        return standard_->GetTypeInfoCount(count);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
        return standard_->GetTypeInfo(index, locale, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override {
        return standard_->GetIDsOfNames(iid, names, count, locale, ids);
    }
    // A reader that calls late-bound (a script through IDispatch) gets the name given here too:
    // the call goes through the interface's type information to this object, where the standard
    // object offers that information.
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                     UINT* badArgument) override {
        ITypeInfo* info = nullptr;
        if (FAILED(standard_->GetTypeInfo(0, locale, &info)) || !info)
            return standard_->Invoke(id, iid, locale, flags, params, result, exception,
                                     badArgument);
        const HRESULT done = info->Invoke(static_cast<IAccessible*>(this), id, flags, params,
                                          result, exception, badArgument);
        info->Release();
        return done;
    }

    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (!look_.name || !IsSelf(child)) return standard_->get_accName(child, name);
        if (!name) return E_POINTER;
        *name = nullptr;
        if (look_.name->empty()) return S_FALSE;
        *name = SysAllocString(look_.name->c_str());
        return *name ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (!look_.role || !IsSelf(child)) return standard_->get_accRole(child, role);
        if (!role) return E_POINTER;
        role->vt = VT_I4;
        role->lVal = look_.role;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        return standard_->get_accParent(parent);
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        return standard_->get_accChildCount(count);
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        return standard_->get_accChild(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return standard_->get_accValue(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
        return standard_->get_accDescription(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        return standard_->get_accState(child, state);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
        return standard_->get_accHelp(child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        return standard_->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
        return standard_->get_accKeyboardShortcut(child, keys);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override {
        return standard_->get_accFocus(child);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
        return standard_->get_accSelection(children);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        return standard_->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long how, VARIANT child) override {
        return standard_->accSelect(how, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* w, long* h,
                                          VARIANT child) override {
        return standard_->accLocation(x, y, w, h, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        return standard_->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override {
        return standard_->accHitTest(x, y, child);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return standard_->accDoDefaultAction(child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
        return standard_->put_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return standard_->put_accValue(child, value);
    }

  private:
    ~LookingAccessible() { standard_->Release(); }

    IAccessible* standard_;
    AccessibleLook look_;
    LONG references_ = 1;
};

// A control given a look, subclassed by its window procedure: comctl32's subclasses and window
// properties each cost a trip to Wine's server on every message, which makes a list of 100,000
// entries take seconds to fill and read. The user data of a standard control is the program's.
struct LookedControl {
    AccessibleLook look;
    bool wide;  // the control's procedure is a Unicode one: messages pass on unconverted
    WNDPROC previous;
};

LRESULT CALLBACK LookProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* looked = reinterpret_cast<LookedControl*>(GetWindowLongPtrW(control, GWLP_USERDATA));
    if (!looked) return DefWindowProcW(control, message, wParam, lParam);
    const WNDPROC previous = looked->previous;
    const bool wide = looked->wide;
    if (message == WM_GETOBJECT) {
        const LRESULT answer = Guarded<LRESULT>(
            0, [&] { return AccessibleAnswer(control, wParam, lParam, looked->look); });
        if (answer) return answer;
    } else if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(control, GWLP_USERDATA, 0);
        delete looked;
    }
    return wide ? CallWindowProcW(previous, control, message, wParam, lParam)
                : CallWindowProcA(previous, control, message, wParam, lParam);
}

}  // namespace

LRESULT AccessibleAnswer(HWND control, WPARAM wParam, LPARAM objectId, const AccessibleLook& look) {
    if (static_cast<DWORD>(objectId) != static_cast<DWORD>(OBJID_CLIENT)) return 0;
    const Oleacc& oleacc = OleaccFunctions();
    if (!oleacc.createStandard || !oleacc.resultFromObject) return 0;
    IAccessible* standard = nullptr;
    if (FAILED(oleacc.createStandard(control, OBJID_CLIENT, __uuidof(IAccessible),
                                     reinterpret_cast<void**>(&standard))) ||
        !standard)
        return 0;
    auto* looking = new LookingAccessible(standard, look);
    const LRESULT answer = oleacc.resultFromObject(__uuidof(IAccessible), wParam, looking);
    looking->Release();  // the answer holds its own reference
    return answer < 0 ? 0 : answer;
}

void GiveAccessibleLook(HWND control, AccessibleLook look) {
    if (!control || GetWindowLongPtrW(control, GWLP_USERDATA)) return;
    const bool wide = IsWindowUnicode(control) != FALSE;
    auto* looked = new LookedControl{std::move(look), wide, nullptr};
    SetWindowLongPtrW(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(looked));
    const auto procedure = reinterpret_cast<LONG_PTR>(LookProc);
    looked->previous =
        reinterpret_cast<WNDPROC>(wide ? SetWindowLongPtrW(control, GWLP_WNDPROC, procedure)
                                       : SetWindowLongPtrA(control, GWLP_WNDPROC, procedure));
    // The control keeps it in its user data and deletes it at its WM_NCDESTROY.
    if (looked->previous) return;  // NOLINT(clang-analyzer-cplusplus.NewDeleteLeaks): see above
    SetWindowLongPtrW(control, GWLP_USERDATA, 0);
    delete looked;
}

}  // namespace varrel
