// Win32-only. What the service stand-ins share: the journal a test names (KIT_JOURNAL), the
// behaviour a test picks (KIT_STANDIN_MODE), registration of a class under HKEY_CLASSES_ROOT,
// a class factory, the module's lock count, and error information for the caller.
#pragma once

#include "common/win32.h"
#include "standins/com_server/com_server.h"

#include <oaidl.h>
#include <objbase.h>

#include <span>
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
// Fills EXCEPINFO for a failed IDispatch call and returns DISP_E_EXCEPTION. An empty
// description leaves bstrDescription null.
HRESULT RaiseException(EXCEPINFO* exception, HRESULT code, std::wstring_view description);

using comserver::CreateFunction;

// The class object of a served class: one class, one count, creating through `create`.
HRESULT GetClassObjectFor(REFCLSID requested, REFCLSID served, CreateFunction create, REFIID iid, void** object);

// One member of a late-bound object: its name and dispatch identifier.
struct DispatchMember {
  const wchar_t* name = nullptr;
  DISPID id = 0;
};

// The IUnknown and IDispatch of a stand-in object, for objects that are called by name. The
// one reference count lives here; the last Release journals "release <name>" and deletes.
class DispatchObject : public IDispatch {
public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD kind, DISPPARAMS* parameters, VARIANT* result,
                                   EXCEPINFO* exception, UINT* badArgument) override;

protected:
  DispatchObject(std::wstring_view name, std::span<const IID* const> interfaces,
                 std::span<const DispatchMember> members);
  virtual ~DispatchObject();
  // `arguments` in the order the caller wrote them (by-reference values already followed).
  virtual HRESULT Call(DISPID id, WORD kind, std::span<const VARIANT> arguments, VARIANT* result,
                       EXCEPINFO* exception) = 0;
  const std::wstring& Name() const { return m_name; }

private:
  ULONG m_count = 1;
  std::wstring m_name;
  std::span<const IID* const> m_interfaces;
  std::span<const DispatchMember> m_members;
};

// Returns the text of a VT_BSTR argument (or by-reference one); empty otherwise.
std::wstring TextOf(const VARIANT& value);

}  // namespace kit::standins
