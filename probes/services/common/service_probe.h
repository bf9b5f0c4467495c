// Win32-only. What the five service probes share beyond the probe shell: the "test" button and
// a run that lets go of the probe's references, then of the COM apartment, once `Form1` is gone.
#pragma once

#include "probes/shell/probe_main.h"
#include "probes/shell/standard_items.h"

namespace kit::services {

constexpr shell::ItemRecord CommandTest(std::int32_t left, std::int32_t top, shell::ClickHandler onClick) {
  return {.name = L"Command_test", .kind = shell::ItemKind::CommandButton, .caption = L"test", .left = left,
          .top = top, .width = 1065, .height = 375, .tabIndex = 1, .onClick = onClick};
}

constexpr shell::ItemRecord WithFont(shell::ItemRecord item, shell::FontSpec font) {
  item.font = font;
  return item;
}

// RunProbe, then `releaseReferences` (the objects the window held), then the apartment.
// "done" ends the process at once and skips all of it, as it should.
int RunServiceProbe(shell::FormDescription form, void (*releaseReferences)(), const shell::FormHooks& hooks = {});

}  // namespace kit::services
