// Plain logic over form descriptions, shared by the Win32 builder and the native unit tests.
#include "probes/shell/form_layout.h"

#include "common/number_text.h"
#include "common/twips.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace kit::shell {
namespace {

std::wstring Describe(const ItemRecord& item) {
  std::wstring text = L"item '" + std::wstring(item.name) + L"'";
  if (item.index) text += L"(" + kit::Decimal(*item.index) + L")";
  return text;
}

// Index of an earlier record than `item` with the same name and index (or the same tab index when
// `byTabIndex`), or `item` itself. Forms hold a few dozen records: a plain scan.
std::size_t EarlierTwin(FormDescription form, std::size_t item, bool byTabIndex) {
  for (std::size_t j = 0; j < item; ++j) {
    const bool same = byTabIndex ? form[j].tabIndex && *form[j].tabIndex == *form[item].tabIndex
                                 : form[j].name == form[item].name && form[j].index == form[item].index;
    if (same) return j;
  }
  return item;
}

bool FitsItemField(std::int32_t value) {
  return value >= std::numeric_limits<std::int16_t>::min() && value <= std::numeric_limits<std::int16_t>::max();
}

}  // namespace

std::optional<std::wstring> CheckForm(FormDescription form, HandlerKnown known, const void* context) {
  if (form.empty() || form[0].kind != ItemKind::Window) return L"the first record must describe the window";
  if (form[0].width <= 0 || form[0].height <= 0) return L"the window needs a client size";
  for (std::size_t i = 0; i < form.size(); ++i) {
    const ItemRecord& item = form[i];
    if (item.name.empty()) return L"record " + kit::Decimal(i) + L" has no name";
    if (EarlierTwin(form, i, false) != i) return Describe(item) + L" is named twice";
    if (known && !item.onClick.empty() && !known(item.onClick, context)) {
      return Describe(item) + L": no handler named " + std::wstring(item.onClick);
    }
    if (i == 0) continue;
    if (item.kind == ItemKind::Window) return Describe(item) + L": only the first record is a window";
    for (std::int32_t v : {item.left, item.top, item.width, item.height}) {
      if (!FitsItemField(v)) return Describe(item) + L": position or size out of range";
    }
    if (item.width < 0 || item.height < 0) return Describe(item) + L": negative size";
    if (item.kind == ItemKind::ActiveX && (item.control.classId.empty() || item.control.componentFile.empty())) {
      return Describe(item) + L": an ActiveX record needs its class identifier and component file";
    }
    if (item.tabIndex && EarlierTwin(form, i, true) != i) {
      return Describe(item) + L": tab index " + kit::Decimal(*item.tabIndex) + L" is used twice";
    }
    if (!item.container.empty()) {
      bool found = false;
      for (std::size_t c = 0; c < i; ++c) {
        if (form[c].name == item.container) {
          found = form[c].kind == ItemKind::Window || form[c].kind == ItemKind::ActiveX;
          break;
        }
      }
      if (!found) return Describe(item) + L": container '" + std::wstring(item.container) + L"' is not an earlier container record";
    }
  }
  return std::nullopt;
}

std::size_t ContainerOf(FormDescription form, std::size_t item) {
  const std::wstring_view name = form[item].container;
  if (name.empty()) return 0;
  for (std::size_t c = 0; c < item; ++c) {
    if (form[c].name == name) return c;
  }
  return 0;
}

PixelRect ItemPixels(const ItemRecord& item, Dpi dpi) {
  return TwipsPixels(item.left, item.top, item.width, item.height, dpi);
}

PixelRect TwipsPixels(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height, Dpi dpi) {
  return {TwipsToPixels(left, dpi.x), TwipsToPixels(top, dpi.y), TwipsToPixels(width, dpi.x),
          TwipsToPixels(height, dpi.y)};
}

PixelRect ClientPixels(const ItemRecord& window, Dpi dpi) {
  return {0, 0, TwipsToPixels(window.width, dpi.x), TwipsToPixels(window.height, dpi.y)};
}

PixelRect AlignedPixels(const ItemRecord& item, PixelRect current, int clientWidth, int clientHeight) {
  switch (item.align) {
    case Align::Top:
      return {0, 0, clientWidth, current.height};
    case Align::Bottom:
      return {0, clientHeight - current.height, clientWidth, current.height};
    case Align::None:
      break;
  }
  return current;
}

std::vector<std::size_t> TabOrder(FormDescription form) {
  // Insertion in order as the records come: records of equal tab index keep their order.
  std::vector<std::size_t> order;
  for (std::size_t i = 1; i < form.size(); ++i) {
    if (!form[i].tabIndex) continue;
    auto place = order.end();
    while (place != order.begin() && *form[*(place - 1)].tabIndex > *form[i].tabIndex) --place;
    order.insert(place, i);
  }
  return order;
}

void MoveInTabOrder(std::vector<std::size_t>& order, std::size_t item, std::size_t place) {
  std::size_t at = 0;
  while (at < order.size() && order[at] != item) ++at;
  if (at == order.size()) return;
  // Step by step to its place: the items in between move one place towards where it was.
  for (place = std::min(place, order.size() - 1); at > place; --at) std::swap(order[at], order[at - 1]);
  for (; at < place; ++at) std::swap(order[at], order[at + 1]);
}

int FontHeightPixels(double points, int dpiY) {
  return -static_cast<int>(std::lround(points * dpiY / 72.0));
}

}  // namespace kit::shell
