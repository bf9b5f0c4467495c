// Win32-only. The dispatch plumbing of the shell's own small objects (the form as a parent, a
// control's extender): no type information, members found by name without regard to case, and
// no member that takes named arguments.
#pragma once

#include "common/win32.h"

#include <oaidl.h>

#include <span>

namespace kit::shell {

// Member names are ASCII and kept narrow: the tables of all the shell's objects go into every
// probe.
struct DispatchName {
  const char* name;
  DISPID id;
};

// Names compare as dispatch names do, without regard to case: the members' names are letters
// (and an underscore), where setting bit 5 folds the case.
inline bool SameName(const wchar_t* asked, const char* name) {
  for (; *name; ++asked, ++name) {
    if ((*asked | 0x20) != (static_cast<unsigned char>(*name) | 0x20)) return false;
  }
  return !*asked;
}

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
    if (SameName(names[0], member.name)) {
      ids[0] = member.id;
      return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
    }
  }
  return DISP_E_UNKNOWNNAME;
}

}  // namespace kit::shell
