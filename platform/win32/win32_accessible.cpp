#include "platform/win32/win32_accessible.h"

#include <objbase.h>
#include <oleacc.h>

#include <atomic>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/win32_form_window.h"

namespace amorix::win32::accessible {
namespace {

// Spelled out here: mingw's import libraries do not carry these.
constexpr GUID kAccPropServicesClass{
    0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr GUID kAccPropServicesInterface{
    0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
constexpr GUID kNameProperty{
    0x608d3df8, 0x8128, 0x4aa7, {0xa4, 0x28, 0xf5, 0x5e, 0x49, 0x26, 0x72, 0x91}};

bool asked = false;

// With the one function of oleaut32 the objects need, bound with it: oleaut32 (some 300 KiB)
// comes into the process only when an assistive program first asks.
struct Oleacc {
  decltype(&::LresultFromObject) lresult_from_object = nullptr;
  decltype(&::CreateStdAccessibleObject) create_std_object = nullptr;
  decltype(&::SysAllocStringLen) sys_alloc_string_len = nullptr;
};

template <class Fn>
Fn Bind(HMODULE library, const char* name) {
  // Through void(*)(): the one cast between function types the compiler accepts silently.
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(library, name)));
}

// Loaded for good the first time it is needed; null when the system has no oleacc.
const Oleacc* Library() {
  static const Oleacc* library = []() -> const Oleacc* {
    static Oleacc bound;
    HMODULE module = ::LoadLibraryW(L"oleacc.dll");
    HMODULE oleaut = ::LoadLibraryW(L"oleaut32.dll");
    if (!module || !oleaut) return nullptr;
    bound.sys_alloc_string_len =
        Bind<decltype(bound.sys_alloc_string_len)>(oleaut, "SysAllocStringLen");
    bound.lresult_from_object =
        Bind<decltype(bound.lresult_from_object)>(module, "LresultFromObject");
    bound.create_std_object =
        Bind<decltype(bound.create_std_object)>(module, "CreateStdAccessibleObject");
    return bound.lresult_from_object && bound.create_std_object && bound.sys_alloc_string_len
               ? &bound
               : nullptr;
  }();
  return library;
}

// The apartment the objects live in; calls from other processes arrive through the message loop.
void JoinApartment() {
  static const HRESULT joined = ::CoInitialize(nullptr);
  (void)joined;
}

IAccPropServices* PropServices() {
  static IAccPropServices* services = [] {
    JoinApartment();
    void* made = nullptr;
    const HRESULT hr = ::CoCreateInstance(kAccPropServicesClass, nullptr, CLSCTX_INPROC_SERVER,
                                          kAccPropServicesInterface, &made);
    return SUCCEEDED(hr) ? static_cast<IAccPropServices*>(made) : nullptr;
  }();
  return services;
}

// Only objects made once Library() answered call these.
BSTR Bstr(std::wstring_view text) {
  return Library()->sys_alloc_string_len(text.data(), static_cast<UINT>(text.size()));
}

void Empty(VARIANT* variant) {
  variant->vt = VT_EMPTY;  // all VariantInit does
}

// One form window's client area. It holds only the window handle and asks the window for
// everything, so it stays safe, answering with an error, once the window is gone.
class FormAccessible final : public IAccessible {
 public:
  explicit FormAccessible(HWND window) : window_(window) {}

  // IUnknown.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (!left) delete this;
    return left;
  }

  // IDispatch: not offered; clients use the IAccessible methods.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }

  // IAccessible.
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    if (!parent) return E_POINTER;
    *parent = nullptr;
    const Oleacc* library = Library();
    if (!Form() || !library) return CO_E_OBJNOTCONNECTED;
    return library->create_std_object(window_, OBJID_WINDOW, __uuidof(IDispatch),
                                      reinterpret_cast<void**>(parent));
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
    if (!count) return E_POINTER;
    FormWindow* form = Form();
    if (!form) return CO_E_OBJNOTCONNECTED;
    *count = static_cast<long>(form->events().OnDescribeLabels().size() + form->Edits().size());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    Child c = Find(child);
    if (c.error != S_OK) return c.error;
    if (!c.edit) return S_FALSE;  // a label is a simple element of this object
    return EditObject(c.edit, out);
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    return Text(child, name, [&](const Child& c) -> std::wstring {
      if (c.label) return {c.label->name.begin(), c.label->name.end()};
      wchar_t caption[256] = {};
      ::GetWindowTextW(window_, caption, 256);
      return caption;
    });
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    return Missing(child, value);
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
    return Missing(child, text);
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    if (!role) return E_POINTER;
    Empty(role);
    Child c = Find(child);
    if (c.error != S_OK || c.edit) return c.error != S_OK ? c.error : E_INVALIDARG;
    role->vt = VT_I4;
    role->lVal = c.label ? RoleOf(c.label->role) : ROLE_SYSTEM_CLIENT;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    if (!state) return E_POINTER;
    Empty(state);
    Child c = Find(child);
    if (c.error != S_OK || c.edit) return c.error != S_OK ? c.error : E_INVALIDARG;
    long flags = 0;
    if (c.label) {
      if (!c.label->shown) flags |= STATE_SYSTEM_INVISIBLE;
      if (c.label->role == AccessibleRole::kLink) flags |= STATE_SYSTEM_LINKED;
    }
    if (!::IsWindowVisible(window_)) flags |= STATE_SYSTEM_INVISIBLE;
    state->vt = VT_I4;
    state->lVal = flags;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
    return Missing(child, help);
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
    if (file) *file = nullptr;
    if (topic) *topic = 0;
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
    return Missing(child, keys);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
    if (!focus) return E_POINTER;
    Empty(focus);
    FormWindow* form = Form();
    if (!form) return CO_E_OBJNOTCONNECTED;
    HWND focused = ::GetFocus();
    if (focused == window_) {
      focus->vt = VT_I4;
      focus->lVal = CHILDID_SELF;
      return S_OK;
    }
    for (HWND edit : form->Edits()) {
      if (edit != focused) continue;
      IDispatch* object = nullptr;
      if (FAILED(EditObject(edit, &object))) break;
      focus->vt = VT_DISPATCH;
      focus->pdispVal = object;
      return S_OK;
    }
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
    if (!selection) return E_POINTER;
    Empty(selection);
    return Form() ? S_FALSE : CO_E_OBJNOTCONNECTED;
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    if (!action) return E_POINTER;
    *action = nullptr;
    Child c = Find(child);
    if (c.error != S_OK || c.edit) return c.error != S_OK ? c.error : E_INVALIDARG;
    if (!c.label || c.label->role == AccessibleRole::kStaticText) return S_FALSE;
    *action = Bstr(c.label->role == AccessibleRole::kLink ? L"Jump" : L"Press");
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accSelect(long, VARIANT child) override {
    Child c = Find(child);
    return c.error != S_OK ? c.error : DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                        VARIANT child) override {
    if (!left || !top || !width || !height) return E_POINTER;
    *left = *top = *width = *height = 0;
    Child c = Find(child);
    if (c.error != S_OK || c.edit) return c.error != S_OK ? c.error : E_INVALIDARG;
    RECT box{};
    if (c.label) {
      box = {c.label->rect.left, c.label->rect.top, c.label->rect.right, c.label->rect.bottom};
    } else {
      ::GetClientRect(window_, &box);
    }
    ::MapWindowPoints(window_, nullptr, reinterpret_cast<POINT*>(&box), 2);
    *left = box.left;
    *top = box.top;
    *width = box.right - box.left;
    *height = box.bottom - box.top;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
    if (!end) return E_POINTER;
    Empty(end);
    Child c = Find(start);
    if (c.error != S_OK) return c.error;
    long id = 0;
    const long count = static_cast<long>(labels_.size() + edits_.size());
    if (c.id == CHILDID_SELF && direction == NAVDIR_FIRSTCHILD) {
      id = 1;
    } else if (c.id == CHILDID_SELF && direction == NAVDIR_LASTCHILD) {
      id = count;
    } else if (c.id != CHILDID_SELF && direction == NAVDIR_NEXT) {
      id = c.id + 1;
    } else if (c.id != CHILDID_SELF && direction == NAVDIR_PREVIOUS) {
      id = c.id - 1;
    }
    if (id < 1 || id > count) return S_FALSE;
    return AsVariant(id, end);
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* hit) override {
    if (!hit) return E_POINTER;
    Empty(hit);
    if (!Refresh()) return CO_E_OBJNOTCONNECTED;
    POINT at{x, y};
    ::ScreenToClient(window_, &at);
    RECT client{};
    ::GetClientRect(window_, &client);
    if (!::PtInRect(&client, at)) return S_FALSE;
    for (std::size_t i = 0; i < edits_.size(); ++i) {
      RECT box{};
      ::GetWindowRect(edits_[i], &box);
      if (::IsWindowVisible(edits_[i]) && ::PtInRect(&box, POINT{x, y})) {
        return AsVariant(static_cast<long>(labels_.size() + i + 1), hit);
      }
    }
    for (std::size_t i = 0; i < labels_.size(); ++i) {
      if (labels_[i].shown && labels_[i].rect.Contains(at.x, at.y)) {
        return AsVariant(static_cast<long>(i + 1), hit);
      }
    }
    hit->vt = VT_I4;
    hit->lVal = CHILDID_SELF;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    Child c = Find(child);
    if (c.error != S_OK) return c.error;
    if (!c.label || !c.label->shown || c.label->role == AccessibleRole::kStaticText ||
        !::IsWindowVisible(window_)) {
      return DISP_E_MEMBERNOTFOUND;
    }
    return ::PostMessageW(window_, kLabelAction, static_cast<WPARAM>(c.id), 0)
               ? S_OK
               : CO_E_OBJNOTCONNECTED;
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  ~FormAccessible() = default;

  struct Child {
    HRESULT error = S_OK;
    long id = CHILDID_SELF;
    const AccessibleLabel* label = nullptr;
    HWND edit = nullptr;
  };

  FormWindow* Form() const { return FormWindow::From(window_); }

  // The window's labels and edits as they are now; false once the window is gone.
  bool Refresh() {
    FormWindow* form = Form();
    if (!form) return false;
    labels_ = form->events().OnDescribeLabels();
    edits_ = form->Edits();
    return true;
  }

  Child Find(const VARIANT& child) {
    if (!Refresh()) return {.error = CO_E_OBJNOTCONNECTED};
    if (child.vt != VT_I4) return {.error = E_INVALIDARG};
    const long id = child.lVal;
    const long labels = static_cast<long>(labels_.size());
    if (id == CHILDID_SELF) return {};
    if (id >= 1 && id <= labels) return {.id = id, .label = &labels_[id - 1]};
    if (id > labels && id <= labels + static_cast<long>(edits_.size())) {
      return {.id = id, .edit = edits_[id - labels - 1]};
    }
    return {.error = E_INVALIDARG};
  }

  HRESULT AsVariant(long id, VARIANT* out) {
    const long labels = static_cast<long>(labels_.size());
    if (id <= labels) {
      out->vt = VT_I4;
      out->lVal = id;
      return S_OK;
    }
    IDispatch* object = nullptr;
    const HRESULT hr = EditObject(edits_[id - labels - 1], &object);
    if (FAILED(hr)) return hr;
    out->vt = VT_DISPATCH;
    out->pdispVal = object;
    return S_OK;
  }

  static HRESULT EditObject(HWND edit, IDispatch** out) {
    const Oleacc* library = Library();
    if (!library) return E_FAIL;
    return library->create_std_object(edit, OBJID_CLIENT, __uuidof(IDispatch),
                                      reinterpret_cast<void**>(out));
  }

  static long RoleOf(AccessibleRole role) {
    switch (role) {
      case AccessibleRole::kLink:
        return ROLE_SYSTEM_LINK;
      case AccessibleRole::kPushButton:
        return ROLE_SYSTEM_PUSHBUTTON;
      case AccessibleRole::kStaticText:
        break;
    }
    return ROLE_SYSTEM_STATICTEXT;
  }

  template <class Make>
  HRESULT Text(const VARIANT& child, BSTR* out, Make make) {
    if (!out) return E_POINTER;
    *out = nullptr;
    Child c = Find(child);
    if (c.error != S_OK || c.edit) return c.error != S_OK ? c.error : E_INVALIDARG;
    *out = Bstr(make(c));
    return *out ? S_OK : E_OUTOFMEMORY;
  }

  HRESULT Missing(const VARIANT& child, BSTR* out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    Child c = Find(child);
    return c.error != S_OK ? c.error : DISP_E_MEMBERNOTFOUND;
  }

  std::atomic<ULONG> references_{1};
  HWND window_;
  std::vector<AccessibleLabel> labels_;
  std::vector<HWND> edits_;
};

}  // namespace

bool InUse() noexcept {
  if (asked) return true;
  BOOL reader = FALSE;
  return ::SystemParametersInfoW(SPI_GETSCREENREADER, 0, &reader, 0) && reader;
}

LRESULT Answer(HWND form, WPARAM wparam, LPARAM lparam) noexcept {
  if (static_cast<DWORD>(lparam) != static_cast<DWORD>(OBJID_CLIENT)) return 0;
  const Oleacc* library = Library();
  if (!library) return 0;
  asked = true;
  JoinApartment();
  auto* object = new (std::nothrow) FormAccessible(form);
  if (!object) return 0;
  const LRESULT answer = library->lresult_from_object(__uuidof(IAccessible), wparam, object);
  object->Release();
  return answer > 0 ? answer : 0;
}

void NameEdit(HWND edit, const wchar_t* name) noexcept {
  if (IAccPropServices* services = PropServices()) {
    services->SetHwndPropStr(edit, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, kNameProperty,
                             name);
  }
}

void ForgetEditName(HWND edit) noexcept {
  if (IAccPropServices* services = PropServices()) {
    services->ClearHwndProps(edit, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &kNameProperty,
                             1);
  }
}

}  // namespace amorix::win32::accessible
