// Win32-only. A control counts as placed when, at the centre of its place (relative to the client
// area of the window it lies in), a visible child window of that window is found. The places are
// taken in the form's own scale, as the survey reads the form (form_scale.h): its client size
// against its table's tells at what DPI the host laid it out and how the system scaled it, so the
// check holds at any DPI, whether the system scales the host or not. Looked up by client
// coordinates, so a form larger than the screen is checked the same; a control inside another is
// looked for in the window found for its container.
#include "survey/control_places.h"

#include "catalogue/programs.h"
#include "common/kit_window.h"
#include "common/number_text.h"
#include "probes/shell/form_layout.h"
#include "survey/form_scale.h"

namespace kit::survey {
namespace {

using shell::FormDescription;
using shell::ItemKind;
using shell::ItemRecord;

std::wstring InstanceName(const ItemRecord& item) {
  std::wstring name(item.name);
  if (item.index) name += L"(" + kit::Decimal(*item.index) + L")";
  return name;
}

// The visible child of `parent` at the centre of the item's place; null when only `parent` is there.
HWND ChildAtPlace(HWND parent, const ItemRecord& item, const FormScale& scale) {
  RECT client{};
  GetClientRect(parent, &client);
  const shell::PixelRect place = SeenItemPixels(scale, item, client.right, client.bottom);
  const POINT centre{place.left + place.width / 2, place.top + place.height / 2};
  HWND found = ChildWindowFromPointEx(parent, centre, CWP_SKIPINVISIBLE);
  return found == parent ? nullptr : found;
}

}  // namespace

ControlPlaces CheckControlPlaces(std::wstring_view program, HWND form) {
  ControlPlaces result;
  const catalogue::KitProgram* entry = catalogue::FindProgram(program);
  if (!entry || entry->kind != catalogue::ProgramKind::ControlHost) {
    result.expected = -1;
    return result;
  }
  const FormDescription items = entry->form;
  RECT client{};
  GetClientRect(form, &client);
  const FormScale scale = FindFormScale(items[0], {ScreenDpiX(), ScreenDpiY()}, client.right, client.bottom);
  // The window found for each record: the form for the first, null for a control not found.
  std::vector<HWND> windows(items.size(), nullptr);
  windows[0] = form;
  for (std::size_t i = 1; i < items.size(); ++i) {
    const ItemRecord& item = items[i];
    if (item.kind != ItemKind::ActiveX) continue;
    if (item.invisibleAtRunTime) {
      ++result.invisible;
      continue;
    }
    ++result.expected;
    const HWND parent = windows[shell::ContainerOf(items, i)];
    windows[i] = parent ? ChildAtPlace(parent, item, scale) : nullptr;
    if (windows[i]) ++result.placed;
    else result.missing.push_back(InstanceName(item));
  }
  return result;
}

}  // namespace kit::survey
