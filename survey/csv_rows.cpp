// Portable. CSV quoting as spreadsheets read it: a field with a comma, quote or line break is
// quoted, quotes doubled.
#include "survey/csv_rows.h"

#include <utility>

namespace kit::survey {
namespace {

std::string Field(std::wstring_view text) {
  const std::string utf8 = ToUtf8(text);
  if (utf8.find_first_of(",\"\r\n") == std::string::npos) return utf8;
  std::string quoted = "\"";
  for (char c : utf8) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

// Splits one record starting at `at`; moves `at` past it.
std::vector<std::string> Record(const std::string& text, std::size_t& at) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  while (at < text.size()) {
    const char c = text[at++];
    if (quoted) {
      if (c == '"' && at < text.size() && text[at] == '"') {
        fields.back() += '"';
        ++at;
      } else if (c == '"') {
        quoted = false;
      } else {
        fields.back() += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      fields.emplace_back();
    } else if (c == '\n') {
      break;
    } else if (c != '\r') {
      fields.back() += c;
    }
  }
  return fields;
}

}  // namespace

std::string WriteCsv(const std::vector<ProgramResult>& results) {
  std::string csv = std::string(kCsvHeader) + "\r\n";
  for (const ProgramResult* result : SummaryOrder(results)) {
    csv += Field(result->program) + "," + Field(result->component) + "," + Field(VerdictWord(result->verdict)) + "," +
           Field(result->message) + "\r\n";
  }
  return csv;
}

std::vector<CsvRow> ReadCsv(const std::string& utf8) {
  std::vector<CsvRow> rows;
  std::size_t at = utf8.starts_with("\xEF\xBB\xBF") ? 3 : 0;
  bool header = true;
  while (at < utf8.size()) {
    const std::vector<std::string> fields = Record(utf8, at);
    if (std::exchange(header, false)) continue;
    if (fields.size() != 4) continue;
    rows.push_back({FromUtf8(fields[0]), FromUtf8(fields[1]), FromUtf8(fields[2]), FromUtf8(fields[3])});
  }
  return rows;
}

std::string ToUtf8(std::wstring_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::uint32_t c = static_cast<std::uint32_t>(text[i]);
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
      const std::uint32_t low = static_cast<std::uint32_t>(text[i + 1]);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      }
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::wstring FromUtf8(std::string_view text) {
  std::wstring out;
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    std::uint32_t c = byte;
    int more = 0;
    if (byte >= 0xF0) { c = byte & 0x07; more = 3; }
    else if (byte >= 0xE0) { c = byte & 0x0F; more = 2; }
    else if (byte >= 0xC0) { c = byte & 0x1F; more = 1; }
    ++i;
    for (; more > 0 && i < text.size(); --more, ++i) c = (c << 6) | (static_cast<unsigned char>(text[i]) & 0x3F);
    if (c >= 0x10000 && sizeof(wchar_t) == 2) {
      c -= 0x10000;
      out += static_cast<wchar_t>(0xD800 + (c >> 10));
      out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
    } else {
      out += static_cast<wchar_t>(c);
    }
  }
  return out;
}

}  // namespace kit::survey
