// Win32-only. probe_scrrun's window and test: the object is created by its class name, as a
// script would, and counts only if it offers IFileSystem3.
#include "probes/services/scrrun/scrrun_probe.h"

#include "common/fatal_report.h"
#include "catalogue/classes.h"
#include "catalogue/forms/probe_scrrun.h"
#include "probes/services/common/com_calls.h"
#include "probes/services/common/service_probe.h"
#include "probes/services/common/service_texts.h"

namespace kit::services::scrrun {
namespace {
using namespace kit::shell;

constexpr IID kFileSystem3 = {0x2A0B9D10, 0x4B87, 0x11D3, {0xA9, 0x7A, 0x00, 0x10, 0x4B, 0x36, 0x5C, 0x9F}};

// Held through IFileSystem3 until the next test replaces it or the program ends.
ComPtr<IUnknown> g_fileSystem;

StepResult CreateFileSystem() {
  ComPtr<IUnknown> created;
  if (auto failure = CreateObjectByName(catalogue::kFileSystemObject.progId.data(), IID_IUnknown,
                                        reinterpret_cast<void**>(created.GetAddressOf()))) {
    return failure;
  }
  ComPtr<IUnknown> fileSystem;
  if (HRESULT hr = created->QueryInterface(kFileSystem3, reinterpret_cast<void**>(fileSystem.GetAddressOf()));
      FAILED(hr)) {
    return SystemFailure(static_cast<std::uint32_t>(hr));
  }
  g_fileSystem = std::move(fileSystem);
  return std::nullopt;
}

void TestClick(Form& form, const ItemRecord&) {
  ShowMessage(form.Window(), CreateFileSystem() ? kTestFailed : kTestOk);
}

void ReleaseReferences() { g_fileSystem.Reset(); }


}  // namespace

shell::FormDescription ProbeForm() { return catalogue::probe_scrrun::kForm; }
int Run() { return RunServiceProbe(catalogue::probe_scrrun::kForm, ReleaseReferences, {.handlers = kTestHandler<TestClick>}); }

}  // namespace kit::services::scrrun
