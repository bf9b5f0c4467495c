// Portable. Comparing two reports row by row, and two verifier logs file by file.
#include "survey/comparison.h"

#include <cwctype>
#include <map>

namespace kit::survey {
namespace {

std::wstring Describe(const CsvRow& row) { return row.verdict + (row.message.empty() ? L"" : L": " + row.message); }

std::vector<std::wstring> Lines(std::wstring_view text) {
  std::vector<std::wstring> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(L'\n', start);
    if (end == std::wstring_view::npos) end = text.size();
    std::wstring line(text.substr(start, end - start));
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

// A log row's file name: the last part of its path, or the name after "Unable to locate".
std::wstring FileKey(const std::wstring& row) {
  constexpr std::wstring_view kUnable = L"Unable to locate ";
  const std::wstring first = row.substr(0, row.find(L','));
  if (first.starts_with(kUnable)) return Lower(first.substr(kUnable.size()));
  const std::size_t slash = first.find_last_of(L"\\/");
  return Lower(slash == std::wstring::npos ? first : first.substr(slash + 1));
}

// The component rows of a verifier log: between the column header and the data-access line.
std::map<std::wstring, std::wstring> LogRows(std::wstring_view text) {
  std::map<std::wstring, std::wstring> rows;
  bool inRows = false;
  for (const std::wstring& line : Lines(text)) {
    if (line.starts_with(L"File,")) {
      inRows = true;
    } else if (line.starts_with(L"MDAC,")) {
      rows[L"MDAC"] = line;
      inRows = false;
    } else if (inRows && !line.empty()) {
      rows.emplace(FileKey(line), line);  // a file listed twice: the first row counts
    }
  }
  return rows;
}

}  // namespace

std::vector<Difference> CompareRows(const std::vector<CsvRow>& earlier, const std::vector<CsvRow>& now) {
  std::vector<Difference> differences;
  for (const CsvRow& row : now) {
    const CsvRow* before = nullptr;
    for (const CsvRow& candidate : earlier) {
      if (candidate.program == row.program) before = &candidate;
    }
    if (!before) {
      differences.push_back({row.program, L"(not in the earlier report)", Describe(row)});
    } else if (before->verdict != row.verdict || before->message != row.message) {
      differences.push_back({row.program, Describe(*before), Describe(row)});
    }
  }
  for (const CsvRow& before : earlier) {
    bool present = false;
    for (const CsvRow& row : now) present = present || row.program == before.program;
    if (!present) differences.push_back({before.program, Describe(before), L"(not in this report)"});
  }
  return differences;
}

std::vector<Difference> CompareLogs(std::wstring_view logName, std::wstring_view earlier, std::wstring_view now) {
  const auto before = LogRows(earlier);
  const auto after = LogRows(now);
  std::vector<Difference> differences;
  const std::wstring prefix = std::wstring(logName) + L": ";
  for (const auto& [file, line] : after) {
    const auto match = before.find(file);
    if (match == before.end()) {
      differences.push_back({prefix + file, L"(not listed)", line});
    } else if (match->second != line) {
      differences.push_back({prefix + file, match->second, line});
    }
  }
  for (const auto& [file, line] : before) {
    if (!after.contains(file)) differences.push_back({prefix + file, line, L"(not listed)"});
  }
  return differences;
}

}  // namespace kit::survey
