// Screen readers ask a window for its object with WM_GETOBJECT. The system's
// own object is kept for every control and only its name is answered here:
// the label before an entry is not where the system looks for it in every
// case (a group box's caption, one of three labels above three combo boxes),
// so the pairs are named. The time grid draws its cells itself: its object
// lists them as items named "08 时" and the current one as selected.
#include "platform/win32/access.h"

#include <commctrl.h>
#include <oleacc.h>

#include "host/design.h"
#include "platform/win32/syslibs.h"

namespace ny {

namespace {

// ---- names ------------------------------------------------------------------------

// Which label names which entry.
struct LabelOf {
    Ctl control, label;
};
constexpr LabelOf kLabels[] = {
    {Ctl::编辑框1, Ctl::闹钟设置},
    {Ctl::铃声路径, Ctl::铃声},
    {Ctl::闹钟提示信息输入, Ctl::分组框1},
    {Ctl::组合框_时, Ctl::标签_时},
    {Ctl::组合框_分, Ctl::标签_分},
    {Ctl::组合框_秒, Ctl::标签_秒},
    {Ctl::编辑框_倒计时闹钟提示信息, Ctl::分组框2},
};

// Buttons that show a picture instead of their caption.
struct PictureName {
    Ctl control;
    const wchar_t* name;
};
const PictureName kPictureButtons[] = {
    {Ctl::左年按钮, L"上一年"},
    {Ctl::右年按钮, L"下一年"},
};

std::wstring TextOf(HWND h) {
    const int n = GetWindowTextLengthW(h);
    std::wstring s(static_cast<size_t>(n) + 1, L'\0');
    s.resize(static_cast<size_t>(GetWindowTextW(h, s.data(), n + 1)));
    return s;
}

// A label as spoken: without the colon and the spaces that align it
// ("铃    声：" is 铃声), nor a mnemonic's ampersand.
std::wstring Spoken(std::wstring s) {
    std::wstring out;
    for (wchar_t c : s)
        if (c != L' ' && c != L'　' && c != L'：' && c != L':' && c != L'&') out += c;
    return out;
}

// The column headers, as the list's name.
std::wstring ListName(HWND list) {
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    const LRESULT n = header ? SendMessageW(header, HDM_GETITEMCOUNT, 0, 0) : 0;
    std::wstring name;
    for (int i = 0; i < n; ++i) {
        wchar_t buf[128] = {};
        HDITEMW item{};
        item.mask = HDI_TEXT;
        item.pszText = buf;
        item.cchTextMax = 128;
        if (!SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item)))
            continue;
        if (!name.empty()) name += L' ';
        name += buf;
    }
    return name;
}

// The control's name now (a caption may have changed: 添加 reads 保存 while editing).
std::wstring NameOf(HWND h) {
    const Ctl id = static_cast<Ctl>(GetDlgCtrlID(h));
    for (const LabelOf& l : kLabels)
        if (l.control == id)
            if (HWND label = GetDlgItem(GetParent(h), static_cast<int>(l.label)))
                return Spoken(TextOf(label));
    for (const PictureName& p : kPictureButtons)
        if (p.control == id) return p.name;
    wchar_t cls[32] = {};
    GetClassNameW(h, cls, 32);
    if (lstrcmpiW(cls, WC_LISTVIEWW) == 0) return ListName(h);
    return Spoken(TextOf(h));
}

// ---- COM ------------------------------------------------------------------------------

// The objects are handed to other processes: the window's thread must be in
// an apartment. Entered once, on first need, and kept for the thread's life.
bool EnterApartment() {
    static thread_local bool entered = false;
    if (!entered) {
        const HRESULT hr = Com().CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        entered = SUCCEEDED(hr) || hr == RPC_E_CHANGED_MODE;
    }
    return entered;
}

bool IsSelf(const VARIANT& v) { return v.vt == VT_I4 && v.lVal == CHILDID_SELF; }

VARIANT Child(long id) {
    VARIANT v;
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

// Passes every question on to the system's object for the same window;
// the classes below answer some themselves.
class Forwarding : public IAccessible {
public:
    Forwarding(HWND hwnd, IAccessible* system) : hwnd_(hwnd), system_(system) {}
    virtual ~Forwarding() { system_->Release(); }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IAccessible) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG n = InterlockedDecrement(&refs_);
        if (n == 0) delete this;
        return static_cast<ULONG>(n);
    }
    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override { return system_->GetTypeInfoCount(n); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT i, LCID l, ITypeInfo** t) override {
        return system_->GetTypeInfo(i, l, t);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID r, LPOLESTR* n, UINT c, LCID l, DISPID* d) override {
        return system_->GetIDsOfNames(r, n, c, l, d);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID d, REFIID r, LCID l, WORD f, DISPPARAMS* p, VARIANT* v,
                                     EXCEPINFO* e, UINT* a) override {
        return system_->Invoke(d, r, l, f, p, v, e, a);
    }
    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** p) override { return system_->get_accParent(p); }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* n) override { return system_->get_accChildCount(n); }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT c, IDispatch** p) override {
        return system_->get_accChild(c, p);
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT c, BSTR* s) override { return system_->get_accName(c, s); }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT c, BSTR* s) override { return system_->get_accValue(c, s); }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT c, BSTR* s) override {
        return system_->get_accDescription(c, s);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT c, VARIANT* r) override { return system_->get_accRole(c, r); }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT c, VARIANT* r) override { return system_->get_accState(c, r); }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT c, BSTR* s) override { return system_->get_accHelp(c, s); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* f, VARIANT c, long* t) override {
        return system_->get_accHelpTopic(f, c, t);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT c, BSTR* s) override {
        return system_->get_accKeyboardShortcut(c, s);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* r) override { return system_->get_accFocus(r); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* r) override { return system_->get_accSelection(r); }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT c, BSTR* s) override {
        return system_->get_accDefaultAction(c, s);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long f, VARIANT c) override { return system_->accSelect(f, c); }
    HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* w, long* h, VARIANT c) override {
        return system_->accLocation(x, y, w, h, c);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long d, VARIANT s, VARIANT* r) override {
        return system_->accNavigate(d, s, r);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* r) override {
        return system_->accHitTest(x, y, r);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT c) override { return system_->accDoDefaultAction(c); }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT c, BSTR s) override { return system_->put_accName(c, s); }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT c, BSTR s) override { return system_->put_accValue(c, s); }

protected:
    HWND hwnd_;
    IAccessible* system_;

private:
    LONG refs_ = 1;
};

HRESULT Give(const std::wstring& s, BSTR* out) {
    if (!out) return E_POINTER;
    *out = s.empty() ? nullptr : Com().SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
    return *out || s.empty() ? (s.empty() ? S_FALSE : S_OK) : E_OUTOFMEMORY;
}

// A control of the system's kind with our name.
class Named final : public Forwarding {
public:
    using Forwarding::Forwarding;
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT c, BSTR* s) override {
        if (!IsSelf(c)) return Forwarding::get_accName(c, s);
        return Give(NameOf(hwnd_), s);
    }
};

// The system's object of the window's client area, wrapped and handed over.
template <typename Wrapper, typename... Extra>
LRESULT Answer(HWND hwnd, WPARAM wp, Extra... extra) {
    const OleaccApi& acc = Oleacc();
    if (!acc.ok || !EnterApartment()) return 0;
    IAccessible* system = nullptr;
    if (FAILED(acc.CreateStdAccessibleObject(hwnd, OBJID_CLIENT, IID_IAccessible,
                                             reinterpret_cast<void**>(&system))) ||
        !system)
        return 0;
    auto* object = new Wrapper(hwnd, system, extra...);
    const LRESULT r = acc.LresultFromObject(IID_IAccessible, wp, static_cast<IAccessible*>(object));
    object->Release();
    return r > 0 ? r : 0;
}

bool AsksForClient(LPARAM lp) { return static_cast<DWORD>(lp) == static_cast<DWORD>(OBJID_CLIENT); }

LRESULT CALLBACK NamedProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR) {
    if (msg == WM_GETOBJECT && AsksForClient(lp))
        if (LRESULT r = Answer<Named>(hwnd, wp)) return r;
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(hwnd, NamedProc, id);
    return DefSubclassProc(hwnd, msg, wp, lp);
}

// ---- the time grid ------------------------------------------------------------------

// Its unit as said after a value: 小时 → 时, 分钟 → 分, 秒钟 → 秒.
std::wstring UnitOf(HWND grid) {
    HWND label = GetDlgItem(GetParent(grid), static_cast<int>(Ctl::透明标签1));
    const std::wstring unit = label ? TextOf(label) : std::wstring();
    if (unit == L"小时") return L"时";
    if (unit == L"分钟") return L"分";
    if (unit == L"秒钟") return L"秒";
    return unit;
}

// Items are the cells that hold a value, numbered from 1 in reading order.
int CellOfItem(const GridView& v, long item) {
    if (item <= 0) return -1;
    long n = 0;
    for (size_t i = 0; i < v.cells.size(); ++i)
        if (!v.cells[i].empty() && ++n == item) return static_cast<int>(i);
    return -1;
}

long ItemOfCell(const GridView& v, int r, int c) {
    if (r < 0 || c < 0 || r >= v.rows || c >= v.cols) return 0;
    const size_t at = static_cast<size_t>(r * v.cols + c);
    if (v.cells[at].empty()) return 0;
    long n = 0;
    for (size_t i = 0; i <= at; ++i)
        if (!v.cells[i].empty()) ++n;
    return n;
}

long ItemCount(const GridView& v) {
    long n = 0;
    for (const std::wstring& s : v.cells)
        if (!s.empty()) ++n;
    return n;
}

class GridObject final : public Forwarding {
public:
    GridObject(HWND hwnd, IAccessible* system, GridReader read) : Forwarding(hwnd, system), read_(read) {}

    HRESULT STDMETHODCALLTYPE get_accChildCount(long* n) override {
        if (!n) return E_POINTER;
        GridView v;
        *n = view(&v) ? ItemCount(v) : 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT c, IDispatch** p) override {
        if (!p) return E_POINTER;
        *p = nullptr;
        GridView v;
        if (c.vt != VT_I4 || !view(&v) || CellOfItem(v, c.lVal) < 0) return E_INVALIDARG;
        return S_FALSE;  // a simple item: asked through this object
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT c, BSTR* s) override {
        GridView v;
        if (!view(&v)) return E_FAIL;
        if (IsSelf(c)) return Give(UnitOf(hwnd_), s);
        const int cell = item(v, c);
        if (cell < 0) return E_INVALIDARG;
        return Give(v.cells[static_cast<size_t>(cell)] + L" " + UnitOf(hwnd_), s);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT c, BSTR* s) override {
        if (s) *s = nullptr;
        return DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT c, VARIANT* r) override {
        if (!r) return E_POINTER;
        GridView v;
        if (!IsSelf(c) && (!view(&v) || item(v, c) < 0)) return E_INVALIDARG;
        *r = Child(IsSelf(c) ? ROLE_SYSTEM_LIST : ROLE_SYSTEM_LISTITEM);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT c, VARIANT* r) override {
        if (!r) return E_POINTER;
        if (IsSelf(c)) return Forwarding::get_accState(c, r);
        GridView v;
        const int cell = view(&v) ? item(v, c) : -1;
        if (cell < 0) return E_INVALIDARG;
        long state = STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE;
        if (cell == v.row * v.cols + v.col) {
            state |= STATE_SYSTEM_SELECTED;
            if (GetFocus() == hwnd_) state |= STATE_SYSTEM_FOCUSED;
        }
        *r = Child(state);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* r) override {
        if (!r) return E_POINTER;
        GridView v;
        r->vt = VT_EMPTY;
        if (GetFocus() != hwnd_ || !view(&v)) return S_FALSE;
        const long current = ItemOfCell(v, v.row, v.col);
        *r = Child(current ? current : CHILDID_SELF);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* r) override {
        if (!r) return E_POINTER;
        GridView v;
        r->vt = VT_EMPTY;
        const long current = view(&v) ? ItemOfCell(v, v.row, v.col) : 0;
        if (!current) return S_FALSE;
        *r = Child(current);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT c, BSTR* s) override {
        if (IsSelf(c)) return Forwarding::get_accDefaultAction(c, s);
        return Give(L"选择", s);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT c) override {
        GridView v;
        const int cell = !IsSelf(c) && view(&v) ? item(v, c) : -1;
        if (cell < 0) return IsSelf(c) ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG;
        // As the user's click; posted, for the choice may close the popup.
        const int x = cell % v.cols * v.cell + v.cell / 2, y = cell / v.cols * v.cell + v.cell / 2;
        PostMessageW(hwnd_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        PostMessageW(hwnd_, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* w, long* h, VARIANT c) override {
        if (IsSelf(c)) return Forwarding::accLocation(x, y, w, h, c);
        if (!x || !y || !w || !h) return E_POINTER;
        GridView v;
        const int cell = view(&v) ? item(v, c) : -1;
        if (cell < 0) return E_INVALIDARG;
        POINT p{cell % v.cols * v.cell, cell / v.cols * v.cell};
        ClientToScreen(hwnd_, &p);
        *x = p.x;
        *y = p.y;
        *w = *h = v.cell;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long sx, long sy, VARIANT* r) override {
        if (!r) return E_POINTER;
        GridView v;
        POINT p{sx, sy};
        ScreenToClient(hwnd_, &p);
        RECT client;
        GetClientRect(hwnd_, &client);
        if (!PtInRect(&client, p) || !view(&v)) return Forwarding::accHitTest(sx, sy, r);
        const long hit = ItemOfCell(v, p.y / v.cell, p.x / v.cell);
        *r = Child(hit ? hit : CHILDID_SELF);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long dir, VARIANT start, VARIANT* r) override {
        if (!r) return E_POINTER;
        GridView v;
        if (!view(&v)) return E_FAIL;
        const long n = ItemCount(v);
        long to = 0;
        if (IsSelf(start)) {
            if (dir == NAVDIR_FIRSTCHILD) to = n > 0 ? 1 : 0;
            else if (dir == NAVDIR_LASTCHILD) to = n;
            else return Forwarding::accNavigate(dir, start, r);
        } else {
            if (start.vt != VT_I4 || item(v, start) < 0) return E_INVALIDARG;
            if (dir == NAVDIR_NEXT) to = start.lVal + 1;
            else if (dir == NAVDIR_PREVIOUS) to = start.lVal - 1;
            else return E_NOTIMPL;
        }
        r->vt = VT_EMPTY;
        if (to < 1 || to > n) return S_FALSE;
        *r = Child(to);
        return S_OK;
    }

private:
    bool view(GridView* v) const { return IsWindow(hwnd_) && read_(hwnd_, v) && v->cell > 0; }
    static int item(const GridView& v, const VARIANT& c) {
        return c.vt == VT_I4 ? CellOfItem(v, c.lVal) : -1;
    }
    GridReader read_;
};

}  // namespace

void GiveAccessibleName(HWND control, Kind kind) {
    switch (kind) {
        case Kind::Edit:
        case Kind::MultiEdit:
        case Kind::Combo:
        case Kind::Button:
        case Kind::ListView:
            SetWindowSubclass(control, NamedProc, 0, 0);
            break;
        default:
            break;  // labels and group boxes speak their text; tabs, their pages
    }
}

LRESULT AnswerGridObject(HWND grid, WPARAM wp, LPARAM lp, GridReader read) {
    return AsksForClient(lp) ? Answer<GridObject>(grid, wp, read) : 0;
}

void AnnounceGridCell(HWND grid, GridReader read) {
    GridView v;
    if (!read(grid, &v)) return;
    const long item = ItemOfCell(v, v.row, v.col);
    if (!item) return;
    NotifyWinEvent(EVENT_OBJECT_SELECTION, grid, OBJID_CLIENT, item);
    if (GetFocus() == grid) NotifyWinEvent(EVENT_OBJECT_FOCUS, grid, OBJID_CLIENT, item);
}

}  // namespace ny
