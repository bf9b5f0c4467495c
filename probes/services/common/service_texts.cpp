// Portable half of the service probes' messages.
#include "probes/services/common/service_texts.h"

#include "common/error_text.h"
#include "common/number_text.h"

namespace kit::services {
namespace {

std::wstring_view Clean(std::wstring_view text) {
  const std::size_t nul = text.find(L'\0');
  if (nul != std::wstring_view::npos) text = text.substr(0, nul);
  const auto blank = [](wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

std::wstring DescribeStepFailure(std::uint32_t code, std::wstring_view componentText, std::wstring_view systemText) {
  std::wstring text(Clean(componentText));
  if (text.empty()) text = DescribeFailure(code, Clean(systemText));
  if (text.size() > kMaxDescription) {
    text.resize(kMaxDescription);
    // Never end on the first half of a surrogate pair.
    if (text.back() >= 0xD800 && text.back() <= 0xDBFF) text.pop_back();
    text += L"...";
  }
  return text;
}

std::wstring FailedWithDescription(std::wstring_view description) {
  return std::wstring(kTestFailed) + L": " + std::wstring(description);
}

std::wstring StepFailed(std::int32_t step, std::wstring_view description) {
  return L"Test " + kit::Decimal(step) + L" failed: " + std::wstring(description);
}

std::wstring LoadLibFailure(std::wstring_view libraryName, std::int64_t result) {
  const std::wstring number = result < 0 ? kit::Decimal(result) : L" " + kit::Decimal(result);
  return L" Loadlib error return for " + std::wstring(libraryName) + L" : " + number;
}

}  // namespace kit::services
