// Win32-only. One test's calls into ADO and DAO objects made through the cross toolchain's own C
// declarations of their interfaces, the platform's table order: a stand-in whose tables differ
// from the platform's shows here, not as a crash on a customer's machine.
#pragma once

#include "common/win32.h"

#include <unknwn.h>

#ifdef __cplusplus
extern "C" {
#endif

// probe_ado26's calls on a Connection object, in its order; the first failure is returned.
HRESULT PlatformAdoCalls(IUnknown* connection);
// probe_dao360's calls on an engine object with the database `file`; the first failure is returned.
HRESULT PlatformDaoCalls(IUnknown* engine, const wchar_t* file);

#ifdef __cplusplus
}
#endif
