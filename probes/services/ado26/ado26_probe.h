// probe_ado26: opens an ADO connection on a click of "test", letting the provider ask the user
// for every connection detail, and says "Test ok" or "Test failed".
#pragma once

#include "catalogue/form_model.h"

#include <cstdint>
#include <optional>

namespace kit::services::ado26 {

// The calls of one test, in their order.
enum class AdoCall { Create, ConnectionString, Properties, PromptItem, PromptValue, CursorLocation, Open };

// Where a test stopped: the call and the code it gave.
struct TestStop {
  AdoCall call;
  std::uint32_t code;
};

// One test as a click runs it, without its message: nothing when the connection opened. The
// connection stays held, as after a click, until ReleaseReferences (the program's end).
std::optional<TestStop> RunTest();
void ReleaseReferences();

shell::FormDescription ProbeForm();
int Run();

}  // namespace kit::services::ado26
