// The failure report of a control that cannot be created.
#include "probes/shell/control_failure.h"

#include "common/error_text.h"

namespace kit::shell {

std::wstring ControlFailureText(const ItemRecord& item, std::uint32_t code, std::wstring_view description) {
  std::wstring text = std::wstring(item.control.componentFile) + L"\r\n\r\nThe control " +
                      std::wstring(item.control.progId) + L" (" + std::wstring(item.name);
  if (item.index) text += L"(" + std::to_wstring(*item.index) + L")";
  text += L") could not be created.\r\n" + std::wstring(description);
  const std::wstring number = FormatErrorNumber(code);
  if (description.find(number) == std::wstring_view::npos) text += L" (" + number + L")";
  return text;
}

}  // namespace kit::shell
