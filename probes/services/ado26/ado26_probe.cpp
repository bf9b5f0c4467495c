// Win32-only. probe_ado26's window and test. ADO is called late-bound through `_Connection`'s
// IDispatch side, by member name: the real component and the kit's stand-in both answer that.
#include "probes/services/ado26/ado26_probe.h"

#include "common/fatal_report.h"
#include "probes/services/common/com_calls.h"
#include "probes/services/common/service_probe.h"
#include "probes/services/common/service_texts.h"

namespace kit::services::ado26 {
namespace {
using namespace kit::shell;

// ADO's Connection class, its `_Connection` interface and the `_Recordset` interface.
constexpr CLSID kConnectionClass = {0x00000514, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};
constexpr IID kConnectionInterface = {0x00000550, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};
constexpr LONG kPromptComplete = 2;       // adPromptComplete: the provider asks for what is missing
constexpr LONG kUseClient = 3;            // adUseClient
constexpr LONG kConnectUnspecified = -1;  // adConnectUnspecified

// The references the window holds: both `_Connection` and `_Recordset` are dual interfaces.
ComPtr<IDispatch> g_connection;
ComPtr<IDispatch> g_recordset;  // emptied by every test; nothing fills it

StepResult Put(IDispatch* object, const wchar_t* name, UniqueVariant value) {
  UniqueVariant arguments[] = {std::move(value)};
  return CallByName(object, name, DISPATCH_PROPERTYPUT, arguments);
}

// Properties("Prompt").Value = adPromptComplete; the collection and the property are let go
// as soon as the value is set.
StepResult PutPrompt(IDispatch* connection) {
  UniqueVariant propertiesValue;
  if (auto failure = CallByName(connection, L"Properties", DISPATCH_PROPERTYGET, {}, propertiesValue.put())) {
    return failure;
  }
  ComPtr<IDispatch> properties;
  if (auto failure = DispatchOf(propertiesValue.value(), properties)) return failure;
  UniqueVariant index[] = {UniqueVariant::Text(L"Prompt")};
  UniqueVariant promptValue;
  if (auto failure = CallByName(properties.Get(), L"Item", DISPATCH_METHOD | DISPATCH_PROPERTYGET, index,
                                promptValue.put())) {
    return failure;
  }
  ComPtr<IDispatch> prompt;
  if (auto failure = DispatchOf(promptValue.value(), prompt)) return failure;
  return Put(prompt.Get(), L"Value", UniqueVariant::Int32(kPromptComplete));
}

StepResult OpenConnection() {
  g_recordset.Reset();
  // Releasing the connection of an earlier test closes it.
  g_connection.Reset();
  if (auto failure = CreateObject(kConnectionClass, kConnectionInterface, g_connection)) return failure;
  IDispatch* connection = g_connection.Get();
  if (auto failure = Put(connection, L"ConnectionString", UniqueVariant::Text(L""))) return failure;
  if (auto failure = PutPrompt(connection)) return failure;
  if (auto failure = Put(connection, L"CursorLocation", UniqueVariant::Int32(kUseClient))) return failure;
  // Nothing preset: the provider's prompt asks the user, and Open returns when it is done.
  UniqueVariant open[] = {UniqueVariant::Text(L""), UniqueVariant::Text(L""), UniqueVariant::Text(L""), UniqueVariant::Int32(kConnectUnspecified)};
  return CallByName(connection, L"Open", DISPATCH_METHOD, open);
}

void TestClick(Form& form, const ItemRecord&) {
  ShowMessage(form.Window(), OpenConnection() ? kTestFailed : kTestOk);
}

void ReleaseReferences() {
  g_recordset.Reset();
  g_connection.Reset();
}

constexpr ItemRecord kForm[] = {FormWindow(1670, 1560), CommandDone(270, 870), CommandTest(240, 240, TestClick)};

}  // namespace

shell::FormDescription ProbeForm() { return kForm; }
int Run() { return RunServiceProbe(kForm, ReleaseReferences); }

}  // namespace kit::services::ado26
