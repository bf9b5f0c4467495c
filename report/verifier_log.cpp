// Portable. Reading a verifier's log line by line into its rows; the texts a row holds in place of
// a path are the ones verifier/dll_version.cpp writes.
#include "report/verifier_log.h"

#include <algorithm>
#include <utility>

namespace kit::report {
namespace {

constexpr std::wstring_view kHeaderStart = L"File,";
constexpr std::wstring_view kMdacStart = L"MDAC,";
constexpr std::size_t kColumns = 5;
// What the file column says when the file was not located, around the component's name.
constexpr std::wstring_view kUnableToLocate = L"Unable to locate ";
constexpr std::wstring_view kCannotLoad = L"Can't load ";
constexpr std::wstring_view kNotFound = L" Not Found";

std::vector<std::wstring_view> Lines(std::wstring_view text) {
  std::vector<std::wstring_view> lines;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find(L'\n'), text.size());
    std::wstring_view line = text.substr(0, end);
    if (line.ends_with(L'\r')) line.remove_suffix(1);
    lines.push_back(line);
    text.remove_prefix(std::min(end + 1, text.size()));
  }
  return lines;
}

// "C:\..." or "\\server\...".
bool IsFullPath(std::wstring_view file) {
  return (file.size() > 2 && file[1] == L':' && (file[2] == L'\\' || file[2] == L'/')) || file.starts_with(L"\\\\");
}

std::wstring_view ComponentName(std::wstring_view file, bool located) {
  if (located) return file.substr(file.find_last_of(L"\\/") + 1);
  if (file.starts_with(kUnableToLocate)) return file.substr(kUnableToLocate.size());
  if (file.starts_with(kCannotLoad)) return file.substr(kCannotLoad.size());
  if (file.ends_with(kNotFound)) return file.substr(0, file.size() - kNotFound.size());
  return file.substr(0, file.find(L' '));  // the name, then the system's text for the failure
}

VerifierLogRow Row(std::wstring_view line) {
  std::vector<std::wstring> fields(1);
  for (const wchar_t c : line) {
    if (c == L',') fields.emplace_back();
    else fields.back() += c;
  }
  while (fields.size() > kColumns) {
    fields[0] += L"," + fields[1];
    fields.erase(fields.begin() + 1);
  }
  fields.resize(kColumns);
  const bool located = IsFullPath(fields[0]);
  std::wstring name(ComponentName(fields[0], located));
  return {fields[0], fields[1], fields[2], fields[3], fields[4], std::move(name), located};
}

}  // namespace

VerifierLog ParseVerifierLog(std::wstring_view text) {
  VerifierLog log;
  bool inRows = false;
  const std::vector<std::wstring_view> lines = Lines(text);
  for (std::size_t i = 0; i < lines.size() && !log.complete; ++i) {
    const std::wstring_view line = lines[i];
    if (!inRows && line.starts_with(kHeaderStart)) {
      inRows = true;
    } else if (i == 0) {
      log.title = line;
    } else if (inRows && line.starts_with(kMdacStart)) {
      log.mdac = line.substr(kMdacStart.size());
      log.complete = true;
    } else if (inRows && !line.empty()) {
      log.rows.push_back(Row(line));
    }
  }
  return log;
}

LocatedCount CountLocated(const VerifierLog& log) {
  LocatedCount count;
  for (const VerifierLogRow& row : log.rows) count.located += row.located ? 1 : 0;
  count.rows = static_cast<int>(log.rows.size());
  return count;
}

std::wstring RowText(const VerifierLogRow& row) {
  return row.file + L"," + row.registration + L"," + row.date + L"," + row.size + L"," + row.version;
}

}  // namespace kit::report
