// AccessibleName: the standard accessible object of a control, its name, role, state or default
// action replaced.
#include "ui/accessible_name_win.h"

#include <oleacc.h>

#include <memory>
#include <new>
#include <utility>

#include "win/guard_win.h"
#include "win/subclass_win.h"
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

// The standard object of the control wearing the look: every call goes to the standard object
// but the look's own parts. One COM object with one identity: IUnknown, IDispatch and IAccessible
// are this object, and so is IOleWindow, answered here rather than handed on to the standard
// object, because WindowFromAccessibleObject asks it for the control (without it a reader would
// go up to the parent's window). Every other interface, the standard object's included (its
// IEnumVARIANT of no children), is refused: handed out, it would be another object. Each method
// stands behind the barrier that keeps exceptions out of the COM caller.
class LookingAccessible final : public IAccessible, public IOleWindow {
  public:
    LookingAccessible(HWND control, IAccessible* standard, AccessibleLook look) noexcept
        : control_(control), standard_(standard), look_(std::move(look)) {}
    LookingAccessible(const LookingAccessible&) = delete;
    LookingAccessible& operator=(const LookingAccessible&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        return Guarded(E_OUTOFMEMORY, [&] {
            if (!out) return E_POINTER;
            *out = nullptr;
            if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) ||
                iid == __uuidof(IAccessible))
                *out = static_cast<IAccessible*>(this);
            else if (iid == __uuidof(IOleWindow))
                *out = static_cast<IOleWindow*>(this);
            else
                return E_NOINTERFACE;
            AddRef();
            return S_OK;
        });
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
        return Guarded(E_OUTOFMEMORY, [&] {
            if (!window) return E_POINTER;
            *window = control_;
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        return Guarded(E_OUTOFMEMORY, [&] { return standard_->GetTypeInfoCount(count); });
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
        return Guarded(E_OUTOFMEMORY, [&] { return standard_->GetTypeInfo(index, locale, info); });
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override {
        return Guarded(E_OUTOFMEMORY,
                       [&] { return standard_->GetIDsOfNames(iid, names, count, locale, ids); });
    }
    // A reader that calls late-bound (a script through IDispatch) gets the look given here too:
    // the call goes through the interface's type information to this object, where the standard
    // object offers that information.
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                     UINT* badArgument) override {
        return Guarded(E_OUTOFMEMORY, [&] {
            ITypeInfo* info = nullptr;
            if (FAILED(standard_->GetTypeInfo(0, locale, &info)) || !info)
                return standard_->Invoke(id, iid, locale, flags, params, result, exception,
                                         badArgument);
            const HRESULT done = info->Invoke(static_cast<IAccessible*>(this), id, flags, params,
                                              result, exception, badArgument);
            info->Release();
            return done;
        });
    }

    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        return Guarded(E_OUTOFMEMORY, [&] {
            if (!look_.name || !IsSelf(child)) return standard_->get_accName(child, name);
            return Text(look_.name->empty() ? nullptr : look_.name->c_str(), name);
        });
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        return Guarded(E_OUTOFMEMORY, [&] {
            if (!look_.role || !IsSelf(child)) return standard_->get_accRole(child, role);
            if (!role) return E_POINTER;
            role->vt = VT_I4;
            role->lVal = look_.role;
            return S_OK;
        });
    }
    // A page tab adds to the standard state that it can be selected, and is while its page shows.
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        return Guarded(E_OUTOFMEMORY, [&] {
            const HRESULT got = standard_->get_accState(child, state);
            if (FAILED(got) || !look_.page || !IsSelf(child) || !state || state->vt != VT_I4)
                return got;
            const bool shown = (GetWindowLongPtrW(look_.page, GWL_STYLE) & WS_VISIBLE) != 0;
            state->lVal |= STATE_SYSTEM_SELECTABLE | (shown ? STATE_SYSTEM_SELECTED : 0);
            return got;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        return Guarded(E_OUTOFMEMORY, [&] {
            if (!look_.defaultAction || !IsSelf(child))
                return standard_->get_accDefaultAction(child, action);
            return Text(look_.defaultAction, action);
        });
    }
    // Posted, not done here: the call comes from the reader inside a COM dispatch, and a press may
    // save, ask a question or end the window. The control does it as its own message comes, and
    // the reader is not kept waiting meanwhile.
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return Guarded(E_OUTOFMEMORY, [&] {
            if (!look_.defaultAction || !IsSelf(child)) return standard_->accDoDefaultAction(child);
            return PostMessageW(control_, WM_DEFAULT_ACTION, 0, 0) ? S_OK : E_FAIL;
        });
    }

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        return Guarded(E_OUTOFMEMORY, [&] { return standard_->get_accParent(parent); });
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        return Guarded(E_OUTOFMEMORY, [&] { return standard_->get_accChildCount(count); });
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        return Guarded(E_OUTOFMEMORY, [&] { return standard_->get_accChild(child, out); });
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return Guarded(E_OUTOFMEMORY, [&] { return standard_->get_accValue(child, value); });
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
        return Guarded(E_OUTOFMEMORY, [&] { return standard_->get_accDescription(child, text); });
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
        return Guarded(E_OUTOFMEMORY, [&] { return standard_->get_accHelp(child, help); });
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        return Guarded(E_OUTOFMEMORY,
                       [&] { return standard_->get_accHelpTopic(file, child, topic); });
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
        return Guarded(E_OUTOFMEMORY,
                       [&] { return standard_->get_accKeyboardShortcut(child, keys); });
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override {
        return Guarded(E_OUTOFMEMORY, [&] { return standard_->get_accFocus(child); });
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
        return Guarded(E_OUTOFMEMORY, [&] { return standard_->get_accSelection(children); });
    }
    HRESULT STDMETHODCALLTYPE accSelect(long how, VARIANT child) override {
        return Guarded(E_OUTOFMEMORY, [&] { return standard_->accSelect(how, child); });
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* w, long* h,
                                          VARIANT child) override {
        return Guarded(E_OUTOFMEMORY, [&] { return standard_->accLocation(x, y, w, h, child); });
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        return Guarded(E_OUTOFMEMORY,
                       [&] { return standard_->accNavigate(direction, start, end); });
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override {
        return Guarded(E_OUTOFMEMORY, [&] { return standard_->accHitTest(x, y, child); });
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
        return Guarded(E_OUTOFMEMORY, [&] { return standard_->put_accName(child, name); });
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return Guarded(E_OUTOFMEMORY, [&] { return standard_->put_accValue(child, value); });
    }

  private:
    ~LookingAccessible() { standard_->Release(); }

    // A text of the look as a reader takes it; none is S_FALSE.
    static HRESULT Text(const wchar_t* text, BSTR* out) {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!text) return S_FALSE;
        *out = SysAllocString(text);
        return *out ? S_OK : E_OUTOFMEMORY;
    }

    HWND control_;
    IAccessible* standard_;
    AccessibleLook look_;
    LONG references_ = 1;
};

// A control given a look, the look kept with it.
struct LookedControl final : WindowState {
    explicit LookedControl(AccessibleLook given) : look(std::move(given)) {}
    std::optional<LRESULT> OnMessage(HWND control, UINT message, WPARAM wParam,
                                     LPARAM lParam) override {
        if (message != WM_GETOBJECT) return std::nullopt;
        if (const LRESULT answer = AccessibleAnswer(control, wParam, lParam, look)) return answer;
        return std::nullopt;
    }
    AccessibleLook look;
};

}  // namespace

LRESULT AccessibleAnswer(HWND control, WPARAM wParam, LPARAM objectId, const AccessibleLook& look) {
    if (static_cast<DWORD>(objectId) != static_cast<DWORD>(OBJID_CLIENT)) return 0;
    return Guarded(LRESULT(0), [&]() -> LRESULT {
        const Oleacc& oleacc = OleaccFunctions();
        if (!oleacc.createStandard || !oleacc.resultFromObject) return 0;
        AccessibleLook worn = look;  // copied before the standard object exists: a throw leaks none
        IAccessible* standard = nullptr;
        if (FAILED(oleacc.createStandard(control, OBJID_CLIENT, __uuidof(IAccessible),
                                         reinterpret_cast<void**>(&standard))) ||
            !standard)
            return 0;
        auto* looking = new (std::nothrow) LookingAccessible(control, standard, std::move(worn));
        if (!looking) {
            standard->Release();
            return 0;
        }
        const LRESULT answer = oleacc.resultFromObject(__uuidof(IAccessible), wParam,
                                                       static_cast<IAccessible*>(looking));
        looking->Release();  // the answer holds its own reference
        return answer < 0 ? 0 : answer;
    });
}

void GiveAccessibleLook(HWND control, AccessibleLook look) {
    KeepState(control, std::make_unique<LookedControl>(std::move(look)));
}

}  // namespace varrel
