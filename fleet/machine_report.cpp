// Portable. Reading one report for the fleet: the machine's facts, the CSV, the verifiers' logs.
#include "fleet/machine_report.h"

#include "report/comparison.h"
#include "report/csv_rows.h"
#include "report/machine_record.h"
#include "report/verifier_log.h"

#include "common/letter_case.h"
#include "common/utf8_text.h"

#include <cwctype>
#include <unordered_set>

namespace kit::fleet {
namespace {

constexpr std::size_t kCsvLimit = 16u << 20;
constexpr std::size_t kLogLimit = 16u << 20;
constexpr std::size_t kMachineFileLimit = 64u << 10;
// The heading comes right after the page's style sheet; the pictures far below are never read.
constexpr std::size_t kPageHeadLimit = 16u << 10;

constexpr std::wstring_view kFolderPrefix = L"kit_survey_";
constexpr std::string_view kHeadingStart = "<h1>Kit survey of ";

bool AllDigits(std::wstring_view text) {
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return false;
  }
  return !text.empty();
}

// The verifiers write their logs in the surveyed machine's ANSI code page, which a reader on
// another machine cannot know: UTF-8 where the bytes are UTF-8, else each byte as its Latin-1
// character (file names, versions and sizes are ASCII in practice).
std::wstring LogText(std::string_view bytes) {
  if (IsUtf8(bytes)) return FromUtf8(bytes);
  std::wstring text;
  text.reserve(bytes.size());
  for (char c : bytes) text += static_cast<wchar_t>(static_cast<unsigned char>(c));
  return text;
}

std::wstring Unescape(std::wstring text) {
  constexpr std::pair<std::wstring_view, wchar_t> kEntities[] = {
      {L"&lt;", L'<'}, {L"&gt;", L'>'}, {L"&quot;", L'"'}, {L"&amp;", L'&'}};
  std::wstring out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    bool replaced = false;
    for (const auto& [entity, c] : kEntities) {
      if (std::wstring_view(text).substr(i).starts_with(entity)) {
        out += c;
        i += entity.size() - 1;
        replaced = true;
        break;
      }
    }
    if (!replaced) out += text[i];
  }
  return out;
}

}  // namespace

MachineFacts ParseMachineFile(std::string_view utf8) {
  // The survey's own reader of the file: one reading of its keys for writer and merger.
  MachineFacts facts;
  const std::optional<report::MachineRecord> record = report::ParseMachineRecord(utf8);
  if (!record) return facts;
  facts.machine = FromUtf8(record->machine);
  facts.windows = FromUtf8(record->windows);
  facts.build = FromUtf8(record->build);
  facts.architecture = FromUtf8(record->architecture);
  facts.surveyed = FromUtf8(record->surveyed);
  facts.kit = FromUtf8(record->kit);
  return facts;
}

bool FactsFromFolderName(std::wstring_view name, MachineFacts& facts) {
  // The machine's name may hold underscores itself: the date and time are the last two parts.
  if (!name.starts_with(kFolderPrefix)) return false;
  const std::size_t timeAt = name.rfind(L'_');
  if (timeAt == std::wstring_view::npos || timeAt < kFolderPrefix.size()) return false;
  const std::size_t dateAt = name.rfind(L'_', timeAt - 1);
  if (dateAt == std::wstring_view::npos || dateAt < kFolderPrefix.size()) return false;
  const std::wstring_view date = name.substr(dateAt + 1, timeAt - dateAt - 1);
  const std::wstring_view time = name.substr(timeAt + 1);
  if (date.size() != 10 || date[4] != L'-' || date[7] != L'-' || !AllDigits(date.substr(0, 4)) ||
      !AllDigits(date.substr(5, 2)) || !AllDigits(date.substr(8, 2)) || time.size() != 6 || !AllDigits(time) ||
      dateAt == kFolderPrefix.size()) {
    return false;
  }
  facts.machine = name.substr(kFolderPrefix.size(), dateAt - kFolderPrefix.size());
  facts.surveyed = std::wstring(date) + L"T" + std::wstring(time.substr(0, 2)) + L":" + std::wstring(time.substr(2, 2)) +
                   L":" + std::wstring(time.substr(4, 2));
  return true;
}

void FactsFromPageHeading(std::string_view page, MachineFacts& facts) {
  const std::size_t start = page.find(kHeadingStart);
  if (start == std::string_view::npos) return;
  const std::size_t end = page.find("</h1>", start);
  if (end == std::string_view::npos) return;
  // "<machine> (<N>-bit Windows <version> build <build>[ <service pack>]), <date>"
  const std::wstring heading = Unescape(FromUtf8(page.substr(start + kHeadingStart.size(), end - start - kHeadingStart.size())));
  const std::size_t open = heading.find(L" (");
  const std::size_t windowsAt = heading.find(L"-bit Windows ", open);
  if (open == std::wstring::npos || windowsAt == std::wstring::npos) return;
  const std::size_t close = heading.find(L')', windowsAt);
  if (close == std::wstring::npos) return;
  facts.windows = heading.substr(open + 2, close - open - 2);
  facts.architecture = heading.substr(open + 2, windowsAt + 4 - open - 2);
  const std::size_t buildAt = facts.windows.find(L" build ");
  if (buildAt != std::wstring::npos) {
    const std::size_t digits = buildAt + 7;
    std::size_t stop = digits;
    while (stop < facts.windows.size() && std::iswdigit(facts.windows[stop])) ++stop;
    facts.build = facts.windows.substr(digits, stop - digits);
  }
}

MachineReport ReadMachineReport(const ReportFiles& files, TextPool& texts) {
  MachineReport out;
  out.where = files.Where();
  out.link = files.PageLink();

  const std::optional<std::string> machineFile = files.Read(report::kMachineRecordFile, kMachineFileLimit);
  if (machineFile) out.facts = ParseMachineFile(*machineFile);
  // Reports of earlier kits (or a machine.txt without them): the folder's name and the page.
  MachineFacts fromName;
  if (FactsFromFolderName(files.Name(), fromName)) {
    if (out.facts.machine.empty()) out.facts.machine = fromName.machine;
    if (out.facts.surveyed.empty()) out.facts.surveyed = fromName.surveyed;
  }
  if (out.facts.windows.empty()) {
    if (const std::optional<std::string> page = files.Read("report.html", kPageHeadLimit)) {
      MachineFacts fromPage;
      FactsFromPageHeading(*page, fromPage);
      out.facts.windows = fromPage.windows;
      if (out.facts.build.empty()) out.facts.build = fromPage.build;
      if (out.facts.architecture.empty()) out.facts.architecture = fromPage.architecture;
    }
  }
  if (out.facts.windows.empty()) out.facts.windows = L"unknown";
  if (out.facts.machine.empty()) out.facts.machine = files.Name();

  const std::optional<std::string> csv = files.Read("report.csv", kCsvLimit);
  if (!csv) {
    out.problem = L"no report.csv";
    return out;
  }
  report::CsvReport read = report::ReadReportCsv(*csv, L"its report.csv");
  if (!read.isReport) {
    out.problem = read.problem;
    return out;
  }
  if (!read.progress.empty()) {
    out.problem = L"the survey did not finish (" + read.progress + L")";
    return out;
  }
  out.rows.reserve(read.rows.size());
  for (const report::CsvRow& row : read.rows) {
    out.rows.push_back({texts.Id(row.program), texts.Id(row.component), texts.Id(row.verdict), texts.Id(row.message),
                        texts.Id(row.cause)});
  }

  std::unordered_set<TextId> seen;
  for (const char* log : kVerifierLogs) {
    const std::optional<std::string> bytes = files.Read(log, kLogLimit);
    if (!bytes) continue;
    for (const report::VerifierLogRow& row : report::ParseVerifierLog(LogText(*bytes)).rows) {
      const TextId key = texts.Id(Lower(row.name));
      if (!seen.insert(key).second) continue;
      ReportComponent component{texts.Id(row.name), key, texts.Id(kNotLocated), texts.Id(kNotLocated), kNoText, kNoText};
      if (row.located) {
        component.place = texts.Id(report::ComponentPlace(row.file));
        component.shownPlace = texts.Id(report::ShownComponentPlace(row.file));
        component.version = texts.Id(row.version.empty() ? std::wstring_view(kNoVersion) : row.version);
        component.size = texts.Id(row.size);
      }
      out.components.push_back(component);
    }
  }
  return out;
}

}  // namespace kit::fleet
