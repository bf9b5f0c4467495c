// Portable. The heading's words for the Windows a survey ran on.
#include "report/windows_version.h"

#include "common/number_text.h"

namespace kit::report {

std::wstring WindowsVersionText(const WindowsVersion& version) {
  if (version.major == 0) return {};
  std::wstring text = std::wstring(version.system64 ? L"64-bit" : L"32-bit") + L" Windows " +
                      kit::Decimal(version.major) + L"." + kit::Decimal(version.minor) + L" build " +
                      kit::Decimal(version.build);
  if (!version.servicePack.empty()) text += L" " + version.servicePack;
  return text;
}

}  // namespace kit::report
