// Win32-only. probe_ado26's window and test. ADO is called through its typed interfaces, as its
// own early-bound callers call it: that needs its classes, not its type library's registration.
#include "probes/services/ado26/ado26_probe.h"

#include "common/fatal_report.h"
#include "probes/services/ado26/ado_interfaces.h"
#include "catalogue/forms/probe_ado26.h"
#include "probes/services/common/com_calls.h"
#include "probes/services/common/service_probe.h"
#include "probes/services/common/service_texts.h"

namespace kit::services::ado26 {
namespace {
using namespace kit::shell;

// The references the window holds.
ComPtr<ado::Connection> g_connection;
ComPtr<IDispatch> g_recordset;  // `_Recordset`: emptied by every test; nothing fills it

struct Stopped {
  AdoCall call;
  StepFailure failure;
};
using CallResult = std::optional<Stopped>;

CallResult At(AdoCall call, StepResult result) {
  if (!result) return std::nullopt;
  return Stopped{call, std::move(*result)};
}

// Properties("Prompt").Value = adPromptComplete, a 4-byte integer; the collection and the
// property are let go as soon as the value is set.
CallResult PutPrompt(ado::Connection* connection) {
  ComPtr<ado::Properties> properties;
  if (auto stop = At(AdoCall::Properties, TypedCall(connection, ado::kConnectionInterface, [&] {
        return connection->get_Properties(properties.ReleaseAndGetAddressOf());
      }))) {
    return stop;
  }
  if (auto stop = At(AdoCall::Properties, Returned(properties))) return stop;
  const UniqueVariant name = UniqueVariant::Text(L"Prompt");
  ComPtr<ado::Property> prompt;
  if (auto stop = At(AdoCall::PromptItem, TypedCall(properties.Get(), ado::kPropertiesInterface, [&] {
        return properties->get_Item(name.value(), prompt.ReleaseAndGetAddressOf());
      }))) {
    return stop;
  }
  if (auto stop = At(AdoCall::PromptItem, Returned(prompt))) return stop;
  const UniqueVariant value = UniqueVariant::Int32(ado::kPromptComplete);
  return At(AdoCall::PromptValue, TypedCall(prompt.Get(), ado::kPropertyInterface,
                                            [&] { return prompt->put_Value(value.value()); }));
}

CallResult OpenConnection() {
  g_recordset.Reset();
  // Releasing the connection of an earlier test closes it.
  g_connection.Reset();
  if (auto stop = At(AdoCall::Create, CreateObject(ado::kConnectionClass, ado::kConnectionInterface, g_connection))) {
    return stop;
  }
  // The test's own reference: whatever happens to the window's meanwhile, the connection lives
  // until its last call has returned.
  const ComPtr<ado::Connection> connection = g_connection;
  ado::Connection* const c = connection.Get();
  const IID& iid = ado::kConnectionInterface;
  const UniqueBstr empty(L"");
  if (auto stop = At(AdoCall::ConnectionString,
                     TypedCall(c, iid, [&] { return c->put_ConnectionString(empty.get()); }))) {
    return stop;
  }
  if (auto stop = PutPrompt(c)) return stop;
  if (auto stop = At(AdoCall::CursorLocation, TypedCall(c, iid, [&] { return c->put_CursorLocation(ado::kUseClient); }))) {
    return stop;
  }
  // Nothing preset: the provider's prompt asks the user, and Open returns when it is done.
  return At(AdoCall::Open, TypedCall(c, iid, [&] {
              return c->Open(empty.get(), empty.get(), empty.get(), ado::kConnectUnspecified);
            }));
}

void TestClick(Form& form, const ItemRecord&) {
  ShowMessage(form.Window(), OpenConnection() ? kTestFailed : kTestOk);
}


}  // namespace

std::optional<TestStop> RunTest() {
  const CallResult stop = OpenConnection();
  if (!stop) return std::nullopt;
  return TestStop{stop->call, stop->failure.code};
}

void ReleaseReferences() {
  g_recordset.Reset();
  g_connection.Reset();
}

shell::FormDescription ProbeForm() { return catalogue::probe_ado26::kForm; }
int Run() { return RunServiceProbe(catalogue::probe_ado26::kForm, ReleaseReferences, {.handlers = kTestHandler<TestClick>}); }

}  // namespace kit::services::ado26
