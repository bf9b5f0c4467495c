// Win32-only. What the service stand-ins share: the journal a test names (KIT_JOURNAL), the
// behaviour a test picks (KIT_STANDIN_MODE), registration of a class under HKEY_CLASSES_ROOT,
// a class factory, the module's lock count, error information for the caller, and the common
// part of an object served through a typed interface.
#pragma once

#include "common/win32.h"
#include "standins/com_server/com_server.h"

#include <oaidl.h>
#include <objbase.h>

#include <string>
#include <string_view>

namespace kit::standins {

// Appends one line to the file named by KIT_JOURNAL; nothing when it names none.
void Journal(std::wstring_view line);
// KIT_STANDIN_MODE, empty when unset: how a stand-in misbehaves for a test.
std::wstring Mode();
// The description a failing call gives for a mode: "fail-silent" none, "fail-long" 5000
// characters, "fail-wide" characters outside every ANSI code page, else `usual`.
std::wstring DescriptionForMode(std::wstring_view usual);

// One line for a value that crossed: "VT_BSTR \"text\"", "VT_I4 2", "VT_BOOL False", ...
std::wstring DescribeValue(const VARIANT& value);
using comserver::CanUnloadNow;
using comserver::GuidText;

// The served class's keys (standins/com_server), with its ProgID when `progId` is not null.
HRESULT RegisterServerClass(REFCLSID clsid, const wchar_t* progId);
HRESULT UnregisterServerClass(REFCLSID clsid, const wchar_t* progId);

// Sets the thread's error information (source and description) for the caller to read.
void SetCallerErrorInfo(REFIID iid, std::wstring_view description);
using comserver::CreateFunction;

// The class object of a served class: one class, one count, creating through `create`.
HRESULT GetClassObjectFor(REFCLSID requested, REFCLSID served, CreateFunction create, REFIID iid, void** object);

// A stand-in object served through its typed interface `Interface` (identifier `*iid`; null
// withholds it): IUnknown, an IDispatch without members (callers reach the object through its
// typed table only) and ISupportErrorInfo for that interface. One class, one reference count;
// creation journals "create <name>", the last Release "release <name>" and deletes.
template <typename Interface>
class TypedObject : public Interface, public ISupportErrorInfo {
public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || (m_iid && IsEqualIID(iid, *m_iid))) {
      *object = static_cast<Interface*>(this);
    } else if (IsEqualIID(iid, IID_ISupportErrorInfo)) {
      *object = static_cast<ISupportErrorInfo*>(this);
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++m_count; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG count = --m_count;
    if (count == 0) {
      Journal(L"release " + m_name);
      delete this;
    }
    return count;
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info) *info = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID, DISPID* ids) override {
    for (UINT i = 0; ids && i < count; ++i) ids[i] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return DISP_E_MEMBERNOTFOUND;
  }

  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override {
    return m_iid && IsEqualIID(iid, *m_iid) ? S_OK : S_FALSE;
  }

  TypedObject(const TypedObject&) = delete;
  TypedObject& operator=(const TypedObject&) = delete;

protected:
  TypedObject(std::wstring name, const IID* iid) : m_name(std::move(name)), m_iid(iid) {
    comserver::ObjectCreated();
    Journal(L"create " + m_name);
  }
  virtual ~TypedObject() { comserver::ObjectDestroyed(); }

  // A failed call: its description in the thread's error information, the code returned.
  HRESULT Fail(HRESULT code, std::wstring_view description) {
    SetCallerErrorInfo(m_iid ? *m_iid : IID_NULL, description);
    return code;
  }
  const std::wstring& Name() const { return m_name; }

private:
  ULONG m_count = 1;
  std::wstring m_name;
  const IID* m_iid;
};

// Hands a fresh object (count 1) to a caller through `iid`; the object's own count is dropped.
template <typename Object>
HRESULT HandOut(Object* fresh, REFIID iid, void** object) {
  const HRESULT hr = fresh->QueryInterface(iid, object);
  fresh->Release();
  return hr;
}

// An entry of a typed table that a stand-in has in its place but does not serve: its
// out-parameter emptied, E_NOTIMPL returned.
template <typename Out>
HRESULT Unserved(Out* out) {
  if (out) *out = Out{};
  return E_NOTIMPL;
}

// Returns the text of a VT_BSTR argument (or by-reference one); empty otherwise.
std::wstring TextOf(const VARIANT& value);

}  // namespace kit::standins
