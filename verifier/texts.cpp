// Trimming and error texts.
#include "verifier/texts.h"

#include "common/number_text.h"

namespace kit::verifier {

std::wstring TrimSpaces(std::wstring_view text) {
  const std::size_t begin = text.find_first_not_of(L' ');
  if (begin == std::wstring_view::npos) return {};
  const std::size_t end = text.find_last_not_of(L' ');
  return std::wstring(text.substr(begin, end - begin + 1));
}

std::wstring GetErrorText(VerifierOs& os, std::uint32_t code) {
  std::wstring text = os.MessageText(code);
  // System messages end in CR LF; that line end is dropped. A message without one is kept whole
  // rather than losing two of its own characters.
  if (text.size() >= 2 && text.compare(text.size() - 2, 2, L"\r\n") == 0) {
    text.resize(text.size() - 2);
  } else if (text.size() < 2) {
    text.clear();
  }
  if (text.empty()) return L"Error " + kit::Decimal(code);
  return text;
}

}  // namespace kit::verifier
