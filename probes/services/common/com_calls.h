// Win32-only. What the service probes need of COM: the apartment, creating an object, calling
// it by name through IDispatch, and the description of a failed call taken from the component's
// own error information where it gives one. Every call returns its failure as a value.
#pragma once

#include "common/win32.h"
#include "common/com_values.h"

#include <objbase.h>
#include <wrl/client.h>

#include <cstdint>
#include <optional>
#include <span>
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
// when it says it keeps some for that interface, else as SystemFailure.
StepFailure ObjectFailure(HRESULT code, IUnknown* object, REFIID iid);

// Joins the thread's single-threaded apartment once per process; later calls only report
// whether that succeeded. LeaveComApartment undoes it at the end of the program.
HRESULT EnterComApartment();
void LeaveComApartment();

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

// Calls the member `name` of `object` through IDispatch. `kind` is DISPATCH_METHOD,
// DISPATCH_PROPERTYGET or DISPATCH_PROPERTYPUT. `arguments` are in the order a caller writes
// them; leaving out optional trailing arguments is passing fewer. `result` may be null.
StepResult CallByName(IDispatch* object, const wchar_t* name, WORD kind, std::span<UniqueVariant> arguments,
                      VARIANT* result = nullptr);
// The object in `value` (VT_DISPATCH or VT_UNKNOWN) as IDispatch.
StepResult DispatchOf(const VARIANT& value, ComPtr<IDispatch>& object);

}  // namespace kit::services
