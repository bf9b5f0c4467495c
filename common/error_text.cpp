// Portable half of error descriptions: number formatting, fallbacks and the report text.
#include "common/error_text.h"

#include "common/number_text.h"

#include <array>
#include <cwchar>
#include <utility>

namespace kit {
namespace {

struct KnownCode {
  std::uint32_t code;
  const wchar_t* name;
};

// Codes a probe meets often whose system text may be missing.
constexpr KnownCode kKnownCodes[] = {
    {0x80040154u, L"Class not registered"},
    {0x800401F3u, L"Invalid class string"},
    {0x80070002u, L"The system cannot find the file specified"},
    {0x8007007Eu, L"The specified module could not be found"},
    {0x80004002u, L"No such interface supported"},
    {0x80004005u, L"Unspecified error"},
    {0x8007000Eu, L"Not enough memory"},
    {0x80070057u, L"The parameter is incorrect"},
    {0x80020009u, L"Exception occurred"},
    {0x8002801Du, L"Library not registered"},
    {0x80040112u, L"Class is not licensed for use"},
    {14001u, L"The application has failed to start because its side-by-side configuration is incorrect"},
};

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

}  // namespace

std::wstring FormatErrorNumber(std::uint32_t code) {
  return code >= 0x10000u ? L"0x" + Hex(code, 8) : Decimal(code);
}

std::wstring DescribeFailure(std::uint32_t code, std::wstring_view systemText) {
  std::size_t end = systemText.size();
  while (end > 0 && IsBlank(systemText[end - 1])) --end;
  std::wstring text(systemText.substr(0, end));
  std::size_t begin = 0;
  while (begin < text.size() && IsBlank(text[begin])) ++begin;
  text.erase(0, begin);
  if (!text.empty()) return text;
  for (const KnownCode& known : kKnownCodes) {
    if (known.code == code) return std::wstring(known.name) + L" (" + FormatErrorNumber(code) + L")";
  }
  return L"Error " + FormatErrorNumber(code);
}

std::wstring FormatErrorReport(std::uint32_t code, std::wstring_view description) {
  return L"Error " + FormatErrorNumber(code) + L"\r\n\r\n" + std::wstring(description);
}

}  // namespace kit
