// Win32-only. What the service probes need of COM: creating an object, calling it through its
// typed interface, and the description of a failed call taken from the component's own error
// information where it gives one. Every call returns its failure as a value.
#pragma once

#include "common/win32.h"
#include "common/com_values.h"

#include <objbase.h>
#include <wrl/client.h>

#include <cstdint>
#include <optional>
#include <string>

namespace kit::services {

using Microsoft::WRL::ComPtr;

// A failed step: its code and its never-empty description.
struct StepFailure {
  std::uint32_t code = 0;
  std::wstring description;
};
using StepResult = std::optional<StepFailure>;  // empty: the step passed

// The failure of a call that gave `code`, described by the system's text and the kit's fallbacks.
StepFailure SystemFailure(std::uint32_t code);
// The failure of a call on `object` through the interface `iid`: the object's error information
// when it says it keeps some for that interface (its description, when it has one), else the
// system's text, else a name and the code.
StepFailure ObjectFailure(HRESULT code, IUnknown* object, REFIID iid);

// One call through the typed interface `iid` of `object`: `call` returns the call's HRESULT.
// The thread's error information is cleared first, so a failure never carries words left over
// from an earlier call.
template <typename Call>
StepResult TypedCall(IUnknown* object, REFIID iid, Call call) {
  SetErrorInfo(0, nullptr);
  const HRESULT hr = call();
  if (SUCCEEDED(hr)) return std::nullopt;
  return ObjectFailure(hr, object, iid);
}

// The object a passing call handed back; a call that passed without one (a broken component)
// fails as a null pointer, so no later step calls through it.
template <typename T>
StepResult Returned(const ComPtr<T>& object) {
  if (object) return std::nullopt;
  return SystemFailure(static_cast<std::uint32_t>(E_POINTER));
}

// An optional argument left out, the way the platform's callers leave one out.
UniqueVariant Missing();

// Creates an object of `clsid` (in-process or local server) and asks it for `iid`.
StepResult CreateObject(REFCLSID clsid, REFIID iid, void** object);
// Into a ComPtr, which is empty after a failure. (MinGW's ComPtr::Attach adds a reference of its
// own, unlike the Windows SDK's: never hand it a fresh pointer.)
template <typename T>
StepResult CreateObject(REFCLSID clsid, REFIID iid, ComPtr<T>& object) {
  return CreateObject(clsid, iid, reinterpret_cast<void**>(object.ReleaseAndGetAddressOf()));
}
// Creates an object by its class name ("Scripting.FileSystemObject") and asks it for `iid`.
StepResult CreateObjectByName(const wchar_t* progId, REFIID iid, void** object);

}  // namespace kit::services
