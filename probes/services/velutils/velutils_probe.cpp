// Win32-only. probe_VELUtils's window and its load-time check (Module1's `load_lib`).
#include "probes/services/velutils/velutils_probe.h"

#include "catalogue/classes.h"
#include "catalogue/forms/probe_VELUtils.h"
#include "common/ansi_text.h"
#include "common/fatal_report.h"
#include "probes/services/common/service_probe.h"
#include "probes/services/common/service_texts.h"

#include <cstdint>

namespace kit::services::velutils {
namespace {
using namespace kit::shell;

constexpr std::wstring_view kLibrary = catalogue::kVelIntelLibrary;

// The library by its bare name (the system's search order applies); a zero result has been
// reported to the user before this returns.
HMODULE load_lib(std::wstring_view name) {
  const std::string ansiName = ToAnsi(name);
  HMODULE library = LoadLibraryA(ansiName.c_str());
  if (!library) ShowMessage(nullptr, LoadLibFailure(name, reinterpret_cast<std::intptr_t>(library)));
  return library;
}

void OnLoad(Form& form) {
  HMODULE library = load_lib(kLibrary);
  if (!library) return;
  SendMessageW(form.ItemWindow(L"Check_lib", 0), BM_SETCHECK, BST_CHECKED, 0);
  FreeLibrary(library);
}


}  // namespace

shell::FormDescription ProbeForm() { return catalogue::probe_VELUtils::kForm; }
int Run() { return RunServiceProbe(catalogue::probe_VELUtils::kForm, nullptr, {.onLoad = OnLoad}); }

}  // namespace kit::services::velutils
