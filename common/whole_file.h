// Win32-only. A whole file read in one call, shared with whoever else has it open for reading,
// writing or deletion: a log another program is still writing reads as it stands. A whole file
// written in one step: a report replaced while a survey is killed keeps its previous version,
// never half of one.
#pragma once

#include <cstddef>
#include <limits>
#include <string>

namespace kit {

// The file's bytes; empty when it cannot be opened or holds more than `limit` bytes. A read that
// fails part way gives what came before the failure.
std::string ReadWholeFile(const std::wstring& path, std::size_t limit = std::numeric_limits<std::size_t>::max());

// Writes beside the target, then moves over it. False, with the last error set, on failure.
bool WriteWholeFile(const std::wstring& path, const std::string& bytes);

}  // namespace kit
