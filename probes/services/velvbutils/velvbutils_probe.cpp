// Win32-only. probe_VELvbutils's window and test. `trimn` is reached early-bound, through the
// function table of the library's interface, as the library's own callers reach it.
#include "probes/services/velvbutils/velvbutils_probe.h"

#include "common/fatal_report.h"
#include "catalogue/forms/probe_VELvbutils.h"
#include "probes/services/common/com_calls.h"
#include "probes/services/common/service_probe.h"
#include "probes/services/common/service_texts.h"

namespace kit::services::velvbutils {
namespace {
using namespace kit::shell;

constexpr IID kGlobalInterface = {0xC86C8910, 0x21C9, 0x4872, {0xB2, 0xFF, 0x4A, 0x96, 0xE5, 0x1D, 0xE4, 0x63}};
// `trimn`'s place in the interface's table: after IUnknown's 3 and IDispatch's 4 entries come the
// interface's own, and `trimn` is its 24th.
constexpr std::size_t kTrimnSlot = 30;
using TrimnEntry = HRESULT(STDMETHODCALLTYPE*)(IUnknown* self, BSTR* text, BSTR* result);

// Held through kGlobalInterface from the first test to the end of the program.
ComPtr<IUnknown> g_global;

StepResult CallTrimn(IUnknown* global, UniqueBstr& text, UniqueBstr& result) {
  void* const* table = *reinterpret_cast<void* const* const*>(global);
  const auto trimn = reinterpret_cast<TrimnEntry>(table[kTrimnSlot]);
  return TypedCall(global, kGlobalInterface, [&] { return trimn(global, text.ref(), result.put()); });
}

void TestClick(Form& form, const ItemRecord&) {
  std::int32_t step = 1;
  UniqueBstr text(L"test trimn");
  StepResult failure;
  if (!g_global) failure = CreateObject(kGlobalClass, kGlobalInterface, g_global);
  UniqueBstr trimmed;  // neither shown nor compared: the call returning without an error is the test
  // The test's own reference: the object lives until the call has returned.
  const ComPtr<IUnknown> global = g_global;
  if (!failure) failure = CallTrimn(global.Get(), text, trimmed);
  if (!failure) step = 2;
  ShowMessage(form.Window(), failure ? StepFailed(step, failure->description) : std::wstring(kTestOkLibrary));
}

void ReleaseReferences() { g_global.Reset(); }


}  // namespace

shell::FormDescription ProbeForm() { return catalogue::probe_VELvbutils::kForm; }
int Run() { return RunServiceProbe(catalogue::probe_VELvbutils::kForm, ReleaseReferences, {.handlers = kTestHandler<TestClick>}); }

}  // namespace kit::services::velvbutils
