// Win32-only. probe_dao360's window and test. The engine is called through its typed interfaces,
// as its own early-bound callers call it, optional arguments left out the platform's way.
#include "probes/services/dao360/dao360_probe.h"

#include "common/fatal_report.h"
#include "catalogue/forms/probe_dao360.h"
#include "probes/services/common/com_calls.h"
#include "probes/services/common/service_probe.h"
#include "probes/services/common/service_texts.h"
#include "probes/services/dao360/dao_interfaces.h"

namespace kit::services::dao360 {
namespace {
using namespace kit::shell;

constexpr wchar_t kDatabaseFile[] = L"test.mdb";
constexpr wchar_t kLocale[] = L";LANGID=0x0409;CP=1252;COUNTRY=0";

// The engine lives from its first use to the end; the database is empty between passing tests.
ComPtr<dao::DBEngine> g_engine;
ComPtr<dao::Database> g_database;

StepResult DeleteOldFile() {
  // A search without attributes: hidden and system files and folders are not found.
  const DWORD attributes = GetFileAttributesW(kDatabaseFile);
  if (attributes == INVALID_FILE_ATTRIBUTES || !CountsAsPlainFile(attributes)) return std::nullopt;
  if (!DeleteFileW(kDatabaseFile)) return SystemFailure(GetLastError());
  return std::nullopt;
}

StepResult CreateAndReopen() {
  if (auto failure = DeleteOldFile()) return failure;
  if (!g_engine) {
    if (auto failure = CreateObject(dao::kEngineClass, dao::kEngineInterface, g_engine)) return failure;
  }
  // The test's own references: the objects live until their last call has returned.
  const ComPtr<dao::DBEngine> engine = g_engine;
  const UniqueBstr name(kDatabaseFile);
  const UniqueBstr locale(kLocale);
  const UniqueVariant noOptions = UniqueVariant::Boolean(false);
  ComPtr<dao::Database> created;
  if (auto failure = TypedCall(engine.Get(), dao::kEngineInterface, [&] {
        return engine->CreateDatabase(name.get(), locale.get(), noOptions.value(), created.GetAddressOf());
      })) {
    return failure;
  }
  if (auto failure = Returned(created)) return failure;
  g_database = created;
  if (auto failure = TypedCall(created.Get(), dao::kDatabaseInterface, [&] { return created->Close(); })) {
    return failure;
  }
  const UniqueVariant missing = Missing();
  ComPtr<dao::Database> opened;
  if (auto failure = TypedCall(engine.Get(), dao::kEngineInterface, [&] {
        return engine->OpenDatabase(name.get(), missing.value(), missing.value(), missing.value(),
                                    opened.GetAddressOf());
      })) {
    return failure;
  }
  g_database = opened;
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


}  // namespace

shell::FormDescription ProbeForm() { return catalogue::probe_dao360::kForm; }
int Run() { return RunServiceProbe(catalogue::probe_dao360::kForm, ReleaseReferences, {.handlers = kTestHandler<TestClick>}); }

}  // namespace kit::services::dao360
