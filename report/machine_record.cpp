// Portable. machine.txt written and read back.
#include "report/machine_record.h"

#include <array>
#include <utility>

namespace kit::report {
namespace {

using Field = std::string MachineRecord::*;
constexpr std::pair<std::string_view, Field> kFields[] = {
    {"machine", &MachineRecord::machine},
    {"windows", &MachineRecord::windows},
    {"build", &MachineRecord::build},
    {"architecture", &MachineRecord::architecture},
    {"surveyed", &MachineRecord::surveyed},
    {"kit", &MachineRecord::kit},
};

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string Sanitised(const std::string& value) {
  std::string text = value;
  for (char& c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) c = ' ';
  }
  return text;
}

}  // namespace

std::string FormatMachineRecord(const MachineRecord& record) {
  std::string text;
  for (const auto& [key, field] : kFields) {
    text.append(key).append("=").append(Sanitised(record.*field)).append("\r\n");
  }
  return text;
}

std::optional<MachineRecord> ParseMachineRecord(std::string_view text) {
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  MachineRecord record;
  std::array<bool, std::size(kFields)> seen{};
  bool any = false;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    const std::string_view key = line.substr(0, equals);
    for (std::size_t i = 0; i < std::size(kFields); ++i) {
      if (kFields[i].first != key || seen[i]) continue;
      record.*kFields[i].second = std::string(line.substr(equals + 1));
      seen[i] = true;
      any = true;
    }
  }
  if (!any) return std::nullopt;
  return record;
}

}  // namespace kit::report
