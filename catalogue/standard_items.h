// The records every probe's form starts from: the window and the two kinds of end button.
#pragma once

#include "catalogue/form_model.h"

namespace kit::shell {

// The shell's own handlers. `Command_done`: ends the program at once; `Form1` gets no close
// notification. `Command1` "Done": closes `Form1` in the orderly way, then the program ends.
inline constexpr HandlerName kEndAtOnce = L"EndAtOnce";
inline constexpr HandlerName kCloseForm = L"CloseForm";

constexpr ItemRecord FormWindow(std::int32_t clientWidth, std::int32_t clientHeight) {
  return {.name = L"Form1", .kind = ItemKind::Window, .caption = L"Form1", .width = clientWidth,
          .height = clientHeight};
}

constexpr ItemRecord CommandDone(std::int32_t left, std::int32_t top, std::int32_t width = 1065,
                                 std::int32_t height = 375) {
  return {.name = L"Command_done", .kind = ItemKind::CommandButton, .caption = L"done", .left = left, .top = top,
          .width = width, .height = height, .tabIndex = 0, .onClick = kEndAtOnce};
}

constexpr ItemRecord CommandOneDone(std::int32_t left, std::int32_t top, std::int16_t tabIndex = 0) {
  return {.name = L"Command1", .kind = ItemKind::CommandButton, .caption = L"Done", .left = left, .top = top,
          .width = 1030, .height = 340, .tabIndex = tabIndex, .onClick = kCloseForm};
}

// An ActiveX control record: its class, its place in twips, its tab index and saved state.
constexpr ItemRecord Control(std::wstring_view name, const ControlClass& control, std::int32_t left, std::int32_t top,
                             std::int32_t width, std::int32_t height, std::int16_t tabIndex, SavedState saved) {
  return {.name = name, .kind = ItemKind::ActiveX, .control = control, .left = left, .top = top, .width = width,
          .height = height, .tabIndex = tabIndex, .saved = saved};
}

}  // namespace kit::shell
