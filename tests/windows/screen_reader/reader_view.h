#pragma once
// A window as a screen reader reads it through Active Accessibility: its client object and one
// line per child, "role "name" = "value" [states] (default action)", the value only where there is
// one (an edit's text), the way the program's own tests and
// the separate screen_reader program print it.
#include <windows.h>
// After <windows.h>:
#include <oleacc.h>

#include <optional>
#include <string>
#include <vector>

namespace amorix::reader {

inline VARIANT Id(long child) {
  VARIANT v;
  ::VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = child;
  return v;
}

inline std::string Take(BSTR text) {
  std::string out;
  if (text) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    out.resize(size > 0 ? size - 1 : 0);
    ::WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
  }
  ::SysFreeString(text);
  return out;
}

// The client object of a window, or null; the caller releases it.
inline IAccessible* ClientOf(HWND window) {
  IAccessible* object = nullptr;
  if (FAILED(::AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT),
                                          __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&object)))) {
    return nullptr;
  }
  return object;
}

inline std::string Describe(IAccessible* object, long child) {
  const VARIANT id = Id(child);
  BSTR name = nullptr, value = nullptr, action = nullptr;
  VARIANT role, state;
  ::VariantInit(&role);
  ::VariantInit(&state);
  object->get_accName(id, &name);
  object->get_accValue(id, &value);
  object->get_accRole(id, &role);
  object->get_accState(id, &state);
  object->get_accDefaultAction(id, &action);
  char role_text[64] = "?";
  if (role.vt == VT_I4) ::GetRoleTextA(static_cast<DWORD>(role.lVal), role_text, 64);
  std::string line = std::string(role_text) + " \"" + Take(name) + "\"";
  if (value) line += " = \"" + Take(value) + "\"";
  const long flags = state.vt == VT_I4 ? state.lVal : 0;
  if (flags & STATE_SYSTEM_INVISIBLE) line += " [invisible]";
  if (flags & STATE_SYSTEM_LINKED) line += " [linked]";
  if (flags & STATE_SYSTEM_FOCUSABLE) line += " [focusable]";
  if (action) line += " (" + Take(action) + ")";
  return line;
}

// Calls visit(object, child) for each child of the window's client object, in order: a child
// with an object of its own (an edit) as that object's CHILDID_SELF, a simple element as a child
// number of the client object.
template <class Visit>
void EachChild(IAccessible* client, Visit visit) {
  long count = 0;
  client->get_accChildCount(&count);
  for (long i = 1; i <= count; ++i) {
    IDispatch* dispatch = nullptr;
    IAccessible* child = nullptr;
    if (client->get_accChild(Id(i), &dispatch) == S_OK && dispatch &&
        SUCCEEDED(
            dispatch->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&child)))) {
      visit(child, CHILDID_SELF);
      child->Release();
    } else {
      visit(client, i);
    }
    if (dispatch) dispatch->Release();
  }
}

// The window's line first, then its children's, in order; empty when it has no object.
inline std::vector<std::string> View(HWND window) {
  IAccessible* client = ClientOf(window);
  if (!client) return {};
  std::vector<std::string> lines{Describe(client, CHILDID_SELF)};
  EachChild(client,
            [&](IAccessible* object, long child) { lines.push_back(Describe(object, child)); });
  client->Release();
  return lines;
}

// A child of a window's client object as a program reads it: its role, name, value, place on the
// screen, and the window behind it (an edit's own; null for a label).
struct Child {
  std::string role, name;
  std::optional<std::wstring> value;
  long left = 0, top = 0, width = 0, height = 0;
  HWND window = nullptr;
};

inline Child Read(IAccessible* object, long child) {
  const VARIANT id = Id(child);
  Child out;
  BSTR name = nullptr, value = nullptr;
  VARIANT role;
  ::VariantInit(&role);
  object->get_accName(id, &name);
  out.name = Take(name);
  if (object->get_accValue(id, &value) == S_OK && value) out.value = std::wstring(value);
  ::SysFreeString(value);
  object->get_accRole(id, &role);
  char role_text[64] = "?";
  if (role.vt == VT_I4) ::GetRoleTextA(static_cast<DWORD>(role.lVal), role_text, 64);
  out.role = role_text;
  object->accLocation(&out.left, &out.top, &out.width, &out.height, id);
  if (child == CHILDID_SELF) ::WindowFromAccessibleObject(object, &out.window);
  return out;
}

inline std::vector<Child> Children(HWND window) {
  std::vector<Child> children;
  IAccessible* client = ClientOf(window);
  if (!client) return children;
  EachChild(client,
            [&](IAccessible* object, long child) { children.push_back(Read(object, child)); });
  client->Release();
  return children;
}

inline HRESULT DoDefaultAction(HWND window, long child) {
  IAccessible* client = ClientOf(window);
  if (!client) return E_FAIL;
  const HRESULT hr = client->accDoDefaultAction(Id(child));
  client->Release();
  return hr;
}

}  // namespace amorix::reader
