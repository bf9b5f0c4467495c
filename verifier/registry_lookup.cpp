// The registry walks behind the registration lookup.
#include "verifier/registry_lookup.h"

#include "common/number_text.h"
#include "common/stored_string.h"

#include <cstdint>

namespace kit::verifier {
namespace {

// Registry buffers of the lookup, in characters (the data buffer in bytes).
constexpr std::uint32_t kRegBufferSize = 255;

bool IsPredefinedRoot(std::int64_t root) { return root >= kClassesRoot && root <= kLastPredefinedRoot; }

std::optional<std::int64_t> ParseInteger(const std::wstring& text) {
  if (text.empty()) return std::nullopt;
  std::size_t i = text[0] == L'-' || text[0] == L'+' ? 1 : 0;
  if (i == text.size() || text.size() > 12) return std::nullopt;
  for (std::size_t j = i; j < text.size(); ++j) {
    if (text[j] < L'0' || text[j] > L'9') return std::nullopt;
  }
  std::int64_t value = 0;
  for (std::size_t j = i; j < text.size(); ++j) value = value * 10 + (text[j] - L'0');
  return text[0] == L'-' ? -value : value;
}

const wchar_t kTypeLibKey[] = L"TypeLib\\";

}  // namespace

std::uint32_t DwordFromBytes(std::string_view data) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < data.size() && i < 4; ++i) {
    value |= static_cast<std::uint32_t>(static_cast<unsigned char>(data[i])) << (8 * i);
  }
  return value;
}

std::optional<float> ParseVersionNumber(const std::wstring& text) {
  std::size_t i = 0;
  if (!text.empty() && (text[0] == L'-' || text[0] == L'+')) i = 1;
  bool digits = false;
  bool dot = false;
  for (std::size_t j = i; j < text.size(); ++j) {
    if (text[j] >= L'0' && text[j] <= L'9') {
      digits = true;
    } else if (text[j] == L'.' && !dot) {
      dot = true;
    } else {
      return std::nullopt;
    }
  }
  if (!digits) return std::nullopt;
  // The digits as one whole number scaled by one power of ten: both exact in a double for the
  // short numbers a registry holds ("2.8", "10.0"), so the quotient is the correctly rounded
  // double, then rounded to float. Digits past the 18th cannot change a float.
  std::uint64_t whole = 0;
  int significant = 0, scale = 0;
  bool afterDot = false;
  for (std::size_t j = i; j < text.size(); ++j) {
    if (text[j] == L'.') {
      afterDot = true;
      continue;
    }
    if (significant == 18) {
      if (!afterDot) --scale;  // a whole digit dropped: ten times larger
      continue;
    }
    if (whole != 0 || text[j] != L'0') ++significant;
    whole = whole * 10 + static_cast<std::uint64_t>(text[j] - L'0');
    if (afterDot) ++scale;
  }
  double value = static_cast<double>(whole);
  for (; scale < 0; ++scale) value *= 10;
  double divisor = 1;
  for (int k = 0; k < scale; ++k) divisor *= 10;
  value /= divisor;
  return static_cast<float>(text[0] == L'-' ? -value : value);
}

bool ReadValueText(VerifierOs& os, std::int32_t root, const std::wstring& key, const std::wstring& name,
                   std::size_t capacity, std::uint32_t& type, std::wstring& text) {
  KeyHandle handle = 0;
  if (os.OpenKey(root, key, kKeyRead, handle) != kRegSuccess) return false;
  OpenedKey opened(os, handle);
  std::string data(capacity, '\0');
  std::uint32_t stored = 0;
  if (os.QueryValue(opened.get(), name, stored, data) != kRegSuccess) return false;
  type = stored;
  text = stored == kRegDword ? kit::Decimal(DwordFromBytes(data)) : os.FromAnsiBytes(StoredString(data));
  return true;
}

std::wstring ReadRegValue(VerifierOs& os, std::int32_t root, const std::wstring& key, const std::wstring& name) {
  if (!IsPredefinedRoot(root)) return {};
  std::uint32_t type = 0;
  std::wstring text;
  ReadValueText(os, root, key, name, kRegBufferSize, type, text);
  return text;
}

std::wstring FindSubKey(VerifierOs& os, std::wstring root, std::wstring key, std::wstring wanted) {
  const auto rootValue = ParseInteger(root);
  if (!rootValue || !IsPredefinedRoot(*rootValue)) return {};
  KeyHandle handle = 0;
  if (os.OpenKey(static_cast<std::int32_t>(*rootValue), key, kKeyRead, handle) != kRegSuccess) return {};
  OpenedKey opened(os, handle);

  // A walk ends at the first call that returns anything but success, whatever its code.
  auto walk = [&](auto&& visit) {
    std::wstring subkey;
    for (std::uint32_t index = 0; os.EnumSubKey(opened.get(), index, kRegBufferSize, subkey) == kRegSuccess; ++index) {
      visit(subkey);
    }
  };

  std::wstring chosen;
  walk([&](const std::wstring& subkey) {
    if (subkey == wanted) chosen = subkey;
  });
  if (!chosen.empty()) return chosen;

  float best = 0;
  walk([&](const std::wstring& subkey) {
    const auto number = ParseVersionNumber(subkey);
    if (number && *number >= best) {
      best = *number;
      chosen = subkey;
    }
  });
  return chosen;
}

Registration LookUpRegistration(VerifierOs& os, const std::wstring& typeLibId, std::wstring& expectedVersion) {
  Registration result;
  const std::wstring root = kit::Decimal(kClassesRoot);
  const std::wstring libraryKey = kTypeLibKey + typeLibId;
  const std::wstring registered = FindSubKey(os, root, libraryKey, expectedVersion);
  if (registered.empty()) {
    result.notRegistered = true;
    return result;
  }
  if (registered != expectedVersion) {
    // Numbers compare as numbers (1.00 equals 1.0); a text that is no number differs as text.
    const auto registeredNumber = ParseVersionNumber(registered);
    const auto expectedNumber = ParseVersionNumber(expectedVersion);
    if (!registeredNumber || !expectedNumber || *registeredNumber != *expectedNumber) result.mismatch = true;
    expectedVersion = registered;
  }
  const std::wstring versionKey = libraryKey + L"\\" + expectedVersion;
  const std::wstring locale = FindSubKey(os, root, versionKey, L"0");
  if (locale.empty()) {
    result.mismatch = true;
    return result;
  }
  result.serverPath = ReadRegValue(os, kClassesRoot, versionKey + L"\\" + locale + L"\\Win32", L"");
  return result;
}

}  // namespace kit::verifier
