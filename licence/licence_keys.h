// The run-time licence keys of licensed classes, as the key file holds them: one line per class,
// "{class identifier} key" (UTF-8; the key is the rest of the line), blank lines and lines
// starting with '#' skipped. The maker's build embeds its key file in the programs that create
// licensed classes; the repository carries none.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kit::licence {

struct LicenceKey {
  std::string classId;  // "{...}", upper case
  std::string key;
};

// The keys of a key file, in its order; a line without a class identifier or without a key is
// skipped, and a later line for a class replaces an earlier one.
std::vector<LicenceKey> ParseLicenceKeys(std::string_view text);
// A key file for `keys`: a header that says what it is, then one line per class, sorted.
std::string FormatLicenceKeys(std::vector<LicenceKey> keys);
// `keys` with `key` in it, replacing what was there for its class.
void PutLicenceKey(std::vector<LicenceKey>& keys, LicenceKey key);

}  // namespace kit::licence
