#include "licence/licence_keys.h"

#include <algorithm>
#include <cctype>

namespace kit::licence {
namespace {

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

bool IsClassId(std::string_view text) {
  if (text.size() != 38 || text.front() != '{' || text.back() != '}') return false;
  for (std::size_t i = 1; i + 1 < text.size(); ++i) {
    const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
    if (dash ? text[i] != '-' : !std::isxdigit(static_cast<unsigned char>(text[i]))) return false;
  }
  return true;
}

}  // namespace

void PutLicenceKey(std::vector<LicenceKey>& keys, LicenceKey key) {
  key.classId = Upper(key.classId);
  const auto same = std::find_if(keys.begin(), keys.end(), [&](const LicenceKey& k) { return k.classId == key.classId; });
  if (same != keys.end()) {
    same->key = std::move(key.key);
  } else {
    keys.push_back(std::move(key));
  }
}

std::vector<LicenceKey> ParseLicenceKeys(std::string_view text) {
  std::vector<LicenceKey> keys;
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);  // saved by an editor that marks UTF-8
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    const std::size_t space = line.find_first_of(" \t");
    if (space == std::string_view::npos || !IsClassId(line.substr(0, space))) continue;
    const std::string_view key = line.substr(space + 1);
    if (key.empty()) continue;
    PutLicenceKey(keys, {std::string(line.substr(0, space)), std::string(key)});
  }
  return keys;
}

std::string FormatLicenceKeys(std::vector<LicenceKey> keys) {
  std::sort(keys.begin(), keys.end(), [](const LicenceKey& a, const LicenceKey& b) { return a.classId < b.classId; });
  std::string text =
      "# Run-time licence keys for the kit's build, written by kit_licence_keys on a licensed machine.\n"
      "# The build embeds them in the probes; keep this file out of the repository.\n";
  for (const LicenceKey& key : keys) text += key.classId + " " + key.key + "\n";
  return text;
}

}  // namespace kit::licence
