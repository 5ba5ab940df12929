#include "controls/accessible_control.h"

#include <commctrl.h>
#include <oleacc.h>

#include <new>
#include <string>

#include "app/number_text.h"

namespace {

// oleacc is loaded when a screen reader first asks, from the system folder only (a
// DLL of that name beside the program must never be loaded into an elevated
// process), and kept: the objects it makes may be held by a client until the end.
struct Oleacc {
    decltype(&CreateStdAccessibleObject) createStandard = nullptr;
    decltype(&LresultFromObject) lresultFromObject = nullptr;
};

const Oleacc& LoadOleacc()
{
    static const Oleacc oleacc = [] {
        Oleacc loaded;
        if (const HMODULE module = LoadLibraryExW(L"oleacc.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {
            loaded.createStandard = reinterpret_cast<decltype(&CreateStdAccessibleObject)>(
                reinterpret_cast<void*>(GetProcAddress(module, "CreateStdAccessibleObject")));
            loaded.lresultFromObject = reinterpret_cast<decltype(&LresultFromObject)>(
                reinterpret_cast<void*>(GetProcAddress(module, "LresultFromObject")));
        }
        return loaded;
    }();
    return oleacc;
}

bool IsSelf(const VARIANT& child)
{
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

// The standard proxy's object with role, state and value of the kind; everything else
// is the proxy's.
class AccessibleControl final : public IAccessible {
public:
    AccessibleControl(HWND control, AccessibleKind kind, IAccessible* standard)
        : m_control(control), m_kind(kind), m_standard(standard)
    {
    }
    AccessibleControl(const AccessibleControl&) = delete;
    AccessibleControl& operator=(const AccessibleControl&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (riid == __uuidof(IUnknown) || riid == __uuidof(IDispatch) || riid == __uuidof(IAccessible)) {
            *object = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        // IOleWindow, IEnumVARIANT and the like: the proxy's.
        return m_standard->QueryInterface(riid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&m_references); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG left = InterlockedDecrement(&m_references);
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return m_standard->GetTypeInfoCount(count); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override
    {
        return m_standard->GetTypeInfo(index, lcid, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override
    {
        return m_standard->GetIDsOfNames(riid, names, count, lcid, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argument) override
    {
        return m_standard->Invoke(id, riid, lcid, flags, params, result, exception, argument);
    }

    // IAccessible: the three answers of our own.
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override
    {
        if (!IsSelf(child) || !role)
            return m_standard->get_accRole(child, role);
        VariantInit(role);
        role->vt = VT_I4;
        role->lVal = Role();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override
    {
        const HRESULT standard = m_standard->get_accState(child, state);
        if (FAILED(standard) || !IsSelf(child) || !state || state->vt != VT_I4)
            return standard;
        state->lVal |= ExtraState();
        return standard;
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override
    {
        if (m_kind != AccessibleKind::ProgressBar || !IsSelf(child) || !value)
            return m_standard->get_accValue(child, value);
        *value = SysAllocString(ProgressValue().c_str());
        return *value ? S_OK : E_OUTOFMEMORY;
    }

    // IAccessible: the rest is the proxy's.
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override { return m_standard->get_accParent(parent); }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override { return m_standard->get_accChildCount(count); }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override
    {
        return m_standard->get_accChild(child, object);
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override
    {
        return m_standard->get_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override
    {
        return m_standard->get_accDescription(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* text) override
    {
        return m_standard->get_accHelp(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override
    {
        return m_standard->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* text) override
    {
        return m_standard->get_accKeyboardShortcut(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override { return m_standard->get_accFocus(child); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override
    {
        return m_standard->get_accSelection(children);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override
    {
        return m_standard->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override { return m_standard->accSelect(flags, child); }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override
    {
        return m_standard->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override
    {
        return m_standard->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override
    {
        return m_standard->accHitTest(x, y, child);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override { return m_standard->accDoDefaultAction(child); }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override { return m_standard->put_accName(child, name); }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override
    {
        return m_standard->put_accValue(child, value);
    }

private:
    ~AccessibleControl() { m_standard->Release(); }

    long Role() const
    {
        switch (m_kind) {
        case AccessibleKind::CheckBox:
            return ROLE_SYSTEM_CHECKBUTTON;
        case AccessibleKind::Link:
            return ROLE_SYSTEM_LINK;
        case AccessibleKind::ProgressBar:
            return ROLE_SYSTEM_PROGRESSBAR;
        case AccessibleKind::PushButton:
        case AccessibleKind::Disclosure:
            break;
        }
        return ROLE_SYSTEM_PUSHBUTTON;
    }

    // Asked of the window each time: the object may be asked long after it was made.
    long ExtraState() const
    {
        const bool checked = SendMessageW(m_control, BM_GETCHECK, 0, 0) == BST_CHECKED;
        switch (m_kind) {
        case AccessibleKind::CheckBox:
            return checked ? STATE_SYSTEM_CHECKED : 0;
        case AccessibleKind::Disclosure:
            return checked ? STATE_SYSTEM_EXPANDED : STATE_SYSTEM_COLLAPSED;
        case AccessibleKind::Link:
            return STATE_SYSTEM_LINKED;
        case AccessibleKind::ProgressBar:
            return STATE_SYSTEM_READONLY;
        case AccessibleKind::PushButton:
            break;
        }
        return 0;
    }

    std::wstring ProgressValue() const
    {
        PBRANGE range{};
        SendMessageW(m_control, PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
        const long position = static_cast<long>(SendMessageW(m_control, PBM_GETPOS, 0, 0));
        const long span = range.iHigh - range.iLow;
        const long percent = span > 0 ? MulDiv(position - range.iLow, 100, span) : 0;
        return DecimalText(percent) + L"%";
    }

    LONG m_references = 1;
    HWND m_control;
    AccessibleKind m_kind;
    IAccessible* m_standard;  // owned: one reference
};

}  // namespace

LRESULT AnswerGetObject(HWND control, AccessibleKind kind, WPARAM wParam, LPARAM lParam)
{
    if (static_cast<LONG>(lParam) != OBJID_CLIENT)
        return 0;
    const Oleacc& oleacc = LoadOleacc();
    if (!oleacc.createStandard || !oleacc.lresultFromObject)
        return 0;
    IAccessible* standard = nullptr;
    if (FAILED(oleacc.createStandard(control, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&standard))) ||
        !standard)
        return 0;
    auto* accessible = new (std::nothrow) AccessibleControl(control, kind, standard);
    if (!accessible) {
        standard->Release();
        return 0;
    }
    const LRESULT answer = oleacc.lresultFromObject(__uuidof(IAccessible), wParam, accessible);
    accessible->Release();  // the answer holds its own reference
    return answer < 0 ? 0 : answer;
}
