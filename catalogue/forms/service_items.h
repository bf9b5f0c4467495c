// The records the service probes' forms add to the standard ones: the "test" button, whose click
// runs the program's one test, and a record with a font of its own.
#pragma once

#include "catalogue/standard_items.h"

namespace kit::catalogue {

// The handler every service probe hands the shell for its "test" button.
inline constexpr shell::HandlerName kRunTest = L"RunTest";

constexpr shell::ItemRecord CommandTest(std::int32_t left, std::int32_t top) {
  return {.name = L"Command_test", .kind = shell::ItemKind::CommandButton, .caption = L"test", .left = left,
          .top = top, .width = 1065, .height = 375, .tabIndex = 1, .onClick = kRunTest};
}

constexpr shell::ItemRecord WithFont(shell::ItemRecord item, shell::FontSpec font) {
  item.font = font;
  return item;
}

}  // namespace kit::catalogue
