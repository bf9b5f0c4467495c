// The decisions of building a form that need no window: checking a description, the pixel
// rectangle of each item, the tab order, and where aligned controls go when the size changes.
#pragma once

#include "catalogue/form_model.h"

#include <optional>
#include <string>
#include <vector>

namespace kit::shell {

struct PixelRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const PixelRect&) const = default;
};

struct Dpi {
  int x = 96;
  int y = 96;
};

// Whether the program runs a handler of that name (`context` is the caller's).
using HandlerKnown = bool (*)(HandlerName name, const void* context);

// Empty when the description can be built; otherwise what is wrong with it, naming the record. With
// `known`, a record that names a handler the program does not run is wrong too.
std::optional<std::wstring> CheckForm(FormDescription form, HandlerKnown known = nullptr, const void* context = nullptr);

// The record index of an item's container: 0 (the window) when it names none.
std::size_t ContainerOf(FormDescription form, std::size_t item);

// The item's rectangle in pixels relative to its container's client area. An item without a
// size (an invisible-at-run-time control's placeholder) keeps its stated size.
PixelRect ItemPixels(const ItemRecord& item, Dpi dpi);
// The same for a place given in twips.
PixelRect TwipsPixels(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height, Dpi dpi);

// The window's client size in pixels.
PixelRect ClientPixels(const ItemRecord& window, Dpi dpi);

// Where an aligned item lies in a client area of the given pixel size: across the full width,
// along its edge, with its own height. Items that are not aligned keep `current`.
PixelRect AlignedPixels(const ItemRecord& item, PixelRect current, int clientWidth, int clientHeight);

// The items (record indexes, the window excluded) that carry a tab index, in keyboard order:
// by tab index, ties in creation order.
std::vector<std::size_t> TabOrder(FormDescription form);
// Setting an item's tab index as a form does: the item takes that place in the keyboard order
// (the last place when the index is beyond it) and the items from there on move one place down.
// An item without a place (one invisible at run time) gets none.
void MoveInTabOrder(std::vector<std::size_t>& order, std::size_t item, std::size_t place);

// Point size to the font height in pixels (negative: a character height, as LOGFONT wants it).
int FontHeightPixels(double points, int dpiY);

}  // namespace kit::shell
