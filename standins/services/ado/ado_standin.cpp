// Win32-only. Stand-in for ADO's Connection class, for the tests of probe_ado26: it journals
// every call and value it receives, through `_Connection`, its `Properties` and their items.
// KIT_STANDIN_MODE "cancel" makes Open fail as a cancelled provider prompt does.
#include "standins/services/common/standin_support.h"

#include <oleauto.h>

namespace {
using namespace kit::standins;

constexpr CLSID kConnectionClass = {0x00000514, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};
constexpr IID kConnectionInterface = {0x00000550, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};
// The operation was cancelled (the OLE DB code a provider gives when the user cancels its prompt).
constexpr HRESULT kCanceled = static_cast<HRESULT>(0x80040E4Eu);

std::wstring Kind(WORD kind) {
  if (kind & DISPATCH_PROPERTYPUT) return L"put";
  if (kind & DISPATCH_PROPERTYGET) return L"get";
  return L"call";
}

std::wstring Values(std::span<const VARIANT> arguments) {
  std::wstring text;
  for (const VARIANT& argument : arguments) text += L" " + DescribeValue(argument);
  return text;
}

HRESULT ReturnObject(IDispatch* object, VARIANT* result) {
  if (!result) {
    object->Release();
    return S_OK;
  }
  result->vt = VT_DISPATCH;
  result->pdispVal = object;
  return S_OK;
}

class Property final : public DispatchObject {
public:
  explicit Property(std::wstring name) : DispatchObject(L"Property " + name, {}, kMembers) {}

private:
  static constexpr DispatchMember kMembers[] = {{L"Value", DISPID_VALUE}};
  HRESULT Call(DISPID, WORD kind, std::span<const VARIANT> arguments, VARIANT*, EXCEPINFO*) override {
    Journal(Name() + L" " + Kind(kind) + L" Value" + Values(arguments));
    return S_OK;
  }
};

class Properties final : public DispatchObject {
public:
  Properties() : DispatchObject(L"Properties", {}, kMembers) {}

private:
  static constexpr DispatchMember kMembers[] = {{L"Item", DISPID_VALUE}};
  HRESULT Call(DISPID, WORD kind, std::span<const VARIANT> arguments, VARIANT* result, EXCEPINFO*) override {
    Journal(Name() + L" " + Kind(kind) + L" Item" + Values(arguments));
    if (arguments.size() != 1) return DISP_E_BADPARAMCOUNT;
    return ReturnObject(new Property(TextOf(arguments[0])), result);
  }
};

class Connection final : public DispatchObject {
public:
  Connection() : DispatchObject(L"Connection", kInterfaces, kMembers) {}

private:
  enum : DISPID { kConnectionString = 1, kProperties, kCursorLocation, kOpen };
  static constexpr const IID* kInterfaces[] = {&kConnectionInterface};
  static constexpr DispatchMember kMembers[] = {{L"ConnectionString", kConnectionString},
                                                {L"Properties", kProperties},
                                                {L"CursorLocation", kCursorLocation},
                                                {L"Open", kOpen}};

  HRESULT Call(DISPID id, WORD kind, std::span<const VARIANT> arguments, VARIANT* result,
               EXCEPINFO* exception) override {
    for (const DispatchMember& member : kMembers) {
      if (member.id == id) Journal(Name() + L" " + Kind(kind) + L" " + member.name + Values(arguments));
    }
    if (id == kProperties) return ReturnObject(new Properties(), result);
    if (id == kOpen && Mode() == L"cancel") return RaiseException(exception, kCanceled, L"Operation was cancelled.");
    return S_OK;
  }
};

HRESULT CreateConnection(const void*, REFIID iid, void** object) {
  auto* connection = new Connection();
  const HRESULT hr = connection->QueryInterface(iid, object);
  connection->Release();
  return hr;
}

}  // namespace

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
  return GetClassObjectFor(clsid, kConnectionClass, CreateConnection, iid, object);
}
STDAPI DllCanUnloadNow() { return CanUnloadNow(); }
STDAPI DllRegisterServer() { return RegisterServerClass(kConnectionClass, nullptr); }
STDAPI DllUnregisterServer() { return UnregisterServerClass(kConnectionClass, nullptr); }
