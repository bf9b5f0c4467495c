// Win32-only. probe_dao360's window and test. The engine is called late-bound through
// `_DBEngine`'s IDispatch side; optional arguments are left out by passing fewer.
#include "probes/services/dao360/dao360_probe.h"

#include "common/fatal_report.h"
#include "probes/services/common/com_calls.h"
#include "probes/services/common/service_probe.h"
#include "probes/services/common/service_texts.h"

namespace kit::services::dao360 {
namespace {
using namespace kit::shell;

// DAO 3.60's DBEngine class, its `_DBEngine` interface and the `Database` interface.
constexpr CLSID kEngineClass = {0x00000100, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};
constexpr IID kEngineInterface = {0x00000021, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};
constexpr IID kDatabaseInterface = {0x00000071, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};

constexpr wchar_t kDatabaseFile[] = L"test.mdb";
constexpr wchar_t kLocale[] = L";LANGID=0x0409;CP=1252;COUNTRY=0";

// The engine lives from its first use to the end; the database is empty between passing tests.
ComPtr<IDispatch> g_engine;
ComPtr<IDispatch> g_database;

StepResult DeleteOldFile() {
  // A search without attributes: hidden and system files and folders are not found.
  const DWORD attributes = GetFileAttributesW(kDatabaseFile);
  if (attributes == INVALID_FILE_ATTRIBUTES || !CountsAsPlainFile(attributes)) return std::nullopt;
  if (!DeleteFileW(kDatabaseFile)) return SystemFailure(GetLastError());
  return std::nullopt;
}

// The Database in a call's result, asked for its own interface.
StepResult HoldDatabase(const UniqueVariant& value) {
  ComPtr<IDispatch> returned;
  if (auto failure = DispatchOf(value.value(), returned)) return failure;
  ComPtr<IDispatch> database;
  if (HRESULT hr = returned->QueryInterface(kDatabaseInterface, reinterpret_cast<void**>(database.GetAddressOf()));
      FAILED(hr)) {
    return SystemFailure(static_cast<std::uint32_t>(hr));
  }
  g_database = std::move(database);
  return std::nullopt;
}

StepResult CreateAndReopen() {
  if (auto failure = DeleteOldFile()) return failure;
  if (!g_engine) {
    if (auto failure = CreateObject(kEngineClass, kEngineInterface, g_engine)) return failure;
  }
  UniqueVariant create[] = {UniqueVariant::Text(kDatabaseFile), UniqueVariant::Text(kLocale), UniqueVariant::Boolean(false)};
  UniqueVariant created;
  if (auto failure = CallByName(g_engine.Get(), L"CreateDatabase", DISPATCH_METHOD, create, created.put())) {
    return failure;
  }
  if (auto failure = HoldDatabase(created)) return failure;
  if (auto failure = CallByName(g_database.Get(), L"Close", DISPATCH_METHOD, {})) return failure;
  UniqueVariant open[] = {UniqueVariant::Text(kDatabaseFile)};
  UniqueVariant opened;
  if (auto failure = CallByName(g_engine.Get(), L"OpenDatabase", DISPATCH_METHOD, open, opened.put())) {
    return failure;
  }
  if (auto failure = HoldDatabase(opened)) return failure;
  g_database.Reset();
  return std::nullopt;
}

void TestClick(Form& form, const ItemRecord&) {
  const StepResult failure = CreateAndReopen();
  ShowMessage(form.Window(), failure ? FailedWithDescription(failure->description) : std::wstring(kTestOk));
}

void ReleaseReferences() {
  g_database.Reset();
  g_engine.Reset();
}

constexpr ItemRecord kForm[] = {FormWindow(1670, 1560), CommandDone(270, 870), CommandTest(240, 240, TestClick)};

}  // namespace

shell::FormDescription ProbeForm() { return kForm; }
int Run() { return RunServiceProbe(kForm, ReleaseReferences); }

}  // namespace kit::services::dao360
