// Win32-only. The dispatch plumbing of the shell's own small objects (the form as a parent, a
// control's extender): no type information, members found by name without regard to case, and
// no member that takes named arguments.
#pragma once

#include "common/win32.h"

#include <oaidl.h>

#include <span>
#include <string>
#include <string_view>

namespace kit::shell {

struct DispatchName {
  std::wstring_view name;
  DISPID id;
};

inline HRESULT NoTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}

inline HRESULT NoTypeInfo(ITypeInfo** info) {
  if (info) *info = nullptr;
  return E_NOTIMPL;
}

// GetIDsOfNames over `members`: every id not found is DISPID_UNKNOWN.
inline HRESULT IdsOfNames(std::span<const DispatchName> members, LPOLESTR* names, UINT count, DISPID* ids) {
  if (!names || !ids) return E_POINTER;
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  if (count == 0 || !names[0]) return DISP_E_UNKNOWNNAME;
  for (const DispatchName& member : members) {
    if (lstrcmpiW(names[0], std::wstring(member.name).c_str()) == 0) {
      ids[0] = member.id;
      return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
    }
  }
  return DISP_E_UNKNOWNNAME;
}

}  // namespace kit::shell
