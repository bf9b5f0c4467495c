// Portable. Writing fleet.csv and fleet.html from the merged view.
#include "fleet/fleet_page.h"

#include "common/letter_case.h"
#include "common/number_text.h"
#include "common/utf8_text.h"
#include "report/csv_rows.h"
#include "report/html_report.h"

#include <algorithm>

namespace kit::fleet {
namespace {

using report::CsvField;
using report::EscapeHtml;

// A page of ten thousand machines stays readable: long lists of machines and values are cut short
// and the rest counted. The machine table lists every machine with something broken or changed
// (up to kMostTroubled) and of the working ones that only differ the rarest few.
constexpr std::size_t kMostNamed = 50;
constexpr std::size_t kMostValues = 8;
constexpr std::size_t kMostTroubled = 2000;
constexpr std::size_t kMostUnusual = 100;
constexpr std::size_t kMostUnusualNamed = 3;

// A machine's name (a link) is never broken at its hyphens.
constexpr char kStyle[] =
    "body{font-family:sans-serif;margin:1.5em;color:#222}"
    "table{border-collapse:collapse;margin:.5em 0 1.5em}"
    "td,th{border:1px solid #bbb;padding:.25em .6em;text-align:left;vertical-align:top}"
    "th{background:#eee}td.failing{background:#f6c6c6;font-weight:bold}"
    "section{border-top:1px solid #ccc;margin-top:1em}a,.when{white-space:nowrap}";

// Counts as a reader takes them in at a glance: "10,662".
std::string Number(std::size_t value) {
  const std::string digits = Ascii(Decimal(value));
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

std::string Plural(std::size_t count, const char* one, const char* many) {
  return Number(count) + " " + (count == 1 ? one : many);
}

// A relative link written as a URL: separators as slashes, the characters a URL reads otherwise
// percent-encoded, the rest escaped for the attribute.
std::string Href(const std::wstring& link) {
  std::string out;
  for (char c : ToUtf8(link)) {
    if (c == '\\') {
      out += '/';
    } else if (c == '%' || c == '#' || c == '?' || c == ' ' || static_cast<unsigned char>(c) < 0x20) {
      constexpr char kDigits[] = "0123456789ABCDEF";
      out += '%';
      out += kDigits[static_cast<unsigned char>(c) >> 4];
      out += kDigits[static_cast<unsigned char>(c) & 0xF];
    } else {
      out += c;
    }
  }
  return EscapeHtml(FromUtf8(out));
}

std::string MachineLink(const Fleet& fleet, std::size_t m) {
  const FleetMachine& machine = fleet.machines[m];
  const std::wstring& link = fleet.reports[machine.report].link;
  if (link.empty()) return EscapeHtml(machine.name);
  // A report inside an archive has no page a browser opens: the link is to the archive, and says so.
  const bool zipped = Lower(link).ends_with(L".zip");
  return "<a href=\"" + Href(link) + "\">" + EscapeHtml(machine.name) + "</a>" + (zipped ? " (zip)" : "");
}

template <typename Name>
std::string NameList(std::size_t count, Name name) {
  std::string out;
  for (std::size_t i = 0; i < count && i < kMostNamed; ++i) out += (i ? ", " : "") + name(i);
  if (count > kMostNamed) out += " and " + Number(count - kMostNamed) + " more";
  return out;
}

}  // namespace

std::string WriteFleetCsv(const Fleet& fleet) {
  std::string csv = std::string(report::kCsvByteOrderMark) + kFleetCsvHeader + "\r\n";
  // Each text's field written once: the same programs, verdicts and messages fill most rows.
  std::vector<std::string> fields(fleet.texts.Size());
  const auto field = [&](TextId id) -> const std::string& {
    if (fields[id].empty()) fields[id] = CsvField(fleet.texts.Text(id)) + ",";
    return fields[id];
  };
  for (const FleetMachine& machine : fleet.machines) {
    const MachineReport& report = fleet.reports[machine.report];
    const std::string head = CsvField(machine.name) + "," + CsvField(report.facts.windows) + ",";
    for (const ReportRow& row : report.rows) {
      csv += head;
      csv += field(row.program);
      csv += field(row.verdict);
      csv += field(row.message);
      const std::string& cause = field(row.cause);
      csv.append(cause, 0, cause.size() - 1);
      csv += "\r\n";
    }
  }
  return csv;
}

std::string RenderFleetHtml(const Fleet& fleet) {
  std::size_t broken = 0;
  for (const FleetMachine& machine : fleet.machines) broken += machine.broken;
  std::string html = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Kit survey of " +
                     Plural(fleet.machines.size(), "machine", "machines") + "</title><style>" + kStyle +
                     "</style></head><body>\n<h1>Kit survey of " + Plural(fleet.machines.size(), "machine", "machines") + "</h1>\n";
  html += "<p id=\"outcome\">" + Plural(fleet.machines.size(), "machine", "machines") + ", " + Number(broken) +
          " with something broken";
  if (fleet.before) html += "; " + Plural(fleet.before, "report", "reports") + " from before the date given left out";
  if (!fleet.unreadable.empty()) html += "; " + Plural(fleet.unreadable.size(), "report", "reports") + " not read (listed at the end)";
  html += ".</p>\n";

  // The programs that fail somewhere, or are not found or licensed somewhere, in the table; those
  // that work on every machine in one line under it.
  html += "<h2>Programs</h2>\n<table id=\"programs\"><tr><th>program</th><th>machines by verdict</th></tr>\n";
  std::string everywhere;
  std::size_t workingEverywhere = 0;
  for (const ProgramCount& program : fleet.programs) {
    if (program.verdicts.size() == 1 && program.verdicts.front().first == L"works") {
      everywhere += (everywhere.empty() ? "" : ", ") + EscapeHtml(program.program);
      ++workingEverywhere;
      continue;
    }
    std::string counts;
    for (const auto& [verdict, count] : program.verdicts) {
      counts += (counts.empty() ? "" : ", ") + EscapeHtml(verdict) + " " + Number(static_cast<std::size_t>(count));
    }
    html += "<tr><td" + std::string(program.failing ? " class=\"failing\"" : "") + ">" + EscapeHtml(program.program) +
            "</td><td>" + counts + "</td></tr>\n";
  }
  html += "</table>\n";
  if (workingEverywhere) {
    html += "<p id=\"working-everywhere\">" + std::string(workingEverywhere == 1 ? "Works" : "Work") + " on every machine that ran " +
            (workingEverywhere == 1 ? "it" : "them") + " (" + Plural(workingEverywhere, "program", "programs") + "): " + everywhere + ".</p>\n";
  }

  if (!fleet.groups.empty()) {
    html += "<h2>What the broken machines share</h2>\n";
    for (const CauseGroup& group : fleet.groups) {
      html += "<section class=\"group\"><h3>" + EscapeHtml(group.program) + ": " +
              Plural(group.machines.size(), "machine", "machines") + "</h3>\n<p class=\"cause\">" +
              EscapeHtml(group.cause) + "</p>\n<p class=\"machines\">" +
              NameList(group.machines.size(), [&](std::size_t i) { return MachineLink(fleet, group.machines[i]); }) + "</p>\n";
      if (!group.apart.empty()) html += "<ul class=\"apart\">\n";
      for (const SetApart& apart : group.apart) {
        const std::size_t count = group.machines.size();
        html += "<li>" + std::string(count == 1 ? "the broken machine has " : count == 2 ? "both broken machines have " : "all " + Number(count) + " broken machines have ") +
                EscapeHtml(apart.file) + " " + EscapeHtml(apart.attribute) + " " + EscapeHtml(apart.groupValue) + "; " +
                Number(static_cast<std::size_t>(apart.workingValueCount)) + " working " +
                (apart.workingValueCount == 1 ? "one on the same Windows has " : "ones on the same Windows have ") + EscapeHtml(apart.workingValue);
        if (apart.workingSame) html += " (" + Number(static_cast<std::size_t>(apart.workingSame)) + " working with the same)";
        html += "</li>\n";
      }
      if (!group.apart.empty()) html += "</ul>\n";
      html += "</section>\n";
    }
  }

  if (!fleet.spread.empty()) {
    html += "<h2>Component files that differ across the fleet</h2>\n<table id=\"spread\"><tr><th>file</th><th>what"
            "</th><th>machines by value</th><th>machines unlike most on their Windows</th></tr>\n";
    for (const ComponentSpread& spread : fleet.spread) {
      std::string values;
      std::size_t rest = 0;
      for (std::size_t i = 0; i < spread.values.size(); ++i) {
        const auto& [value, count] = spread.values[i];
        if (i < kMostValues) {
          values += (values.empty() ? "" : "<br>") + EscapeHtml(value) + ": " + Number(static_cast<std::size_t>(count));
        } else {
          rest += static_cast<std::size_t>(count);
        }
      }
      if (spread.values.size() > kMostValues) {
        values += "<br>" + Plural(spread.values.size() - kMostValues, "other value", "other values") + ": " + Number(rest);
      }
      html += "<tr><td>" + EscapeHtml(spread.file) + "</td><td>" + EscapeHtml(spread.attribute) + "</td><td>" + values +
              "</td><td>" + NameList(spread.differing.size(), [&](std::size_t i) {
                // "(not located)" and "(no version)" come in parentheses of their own.
                const std::wstring& value = spread.differing[i].second;
                const std::string shown = EscapeHtml(value);
                return MachineLink(fleet, spread.differing[i].first) + " " + (value.starts_with(L'(') ? shown : "(" + shown + ")");
              }) + "</td></tr>\n";
    }
    html += "</table>\n";
  }

  // The machines to list: broken or changed first, by name; then the working machines whose
  // component files differ from their peers', the rarest difference first.
  std::vector<std::size_t> troubled, unusual;
  for (std::size_t m = 0; m < fleet.machines.size(); ++m) {
    const FleetMachine& machine = fleet.machines[m];
    if (machine.broken || !machine.changes.empty()) {
      troubled.push_back(m);
    } else if (machine.differs) {
      unusual.push_back(m);
    }
  }
  std::ranges::stable_sort(unusual, [&](std::size_t a, std::size_t b) { return fleet.machines[a].rarest < fleet.machines[b].rarest; });
  const std::size_t troubledShown = std::min(troubled.size(), kMostTroubled);
  const std::size_t unusualShown = std::min(unusual.size(), kMostUnusual);
  html += "<h2>Machines</h2>\n<table id=\"machines\"><tr><th>machine</th><th>Windows</th><th>surveyed</th><th>kit</th>"
          "<th>not working</th><th>changed since the previous report</th><th>unlike most machines on its Windows</th></tr>\n";
  const auto row = [&](std::size_t m) {
    const FleetMachine& machine = fleet.machines[m];
    const MachineReport& report = fleet.reports[machine.report];
    std::string failing;
    for (const ReportRow& row : report.rows) {
      const std::wstring& verdict = fleet.texts.Text(row.verdict);
      if (verdict != L"works") failing += (failing.empty() ? "" : ", ") + EscapeHtml(fleet.texts.Text(row.program)) + " " + EscapeHtml(verdict);
    }
    std::string changes;
    for (const VerdictChange& change : machine.changes) {
      changes += (changes.empty() ? "" : "<br>") + EscapeHtml(change.program) + ": " + EscapeHtml(change.before) + " &rarr; " +
                 EscapeHtml(change.now);
    }
    if (!changes.empty()) changes = "since " + EscapeHtml(machine.previousSurveyed) + ":<br>" + changes;
    std::string odd;
    for (std::size_t i = 0; i < machine.unusual.size() && i < kMostUnusualNamed; ++i) {
      odd += (odd.empty() ? "" : "<br>") + EscapeHtml(machine.unusual[i]);
    }
    if (machine.unusual.size() > kMostUnusualNamed) odd += "<br>and " + Number(machine.unusual.size() - kMostUnusualNamed) + " more";
    html += "<tr><td>" + MachineLink(fleet, m) + "</td><td>" + EscapeHtml(report.facts.windows) + "</td><td class=\"when\">" +
            EscapeHtml(report.facts.surveyed) + "</td><td>" + EscapeHtml(report.facts.kit) + "</td><td>" + failing +
            "</td><td>" + changes + "</td><td>" + odd + "</td></tr>\n";
  };
  for (std::size_t i = 0; i < troubledShown; ++i) row(troubled[i]);
  for (std::size_t i = 0; i < unusualShown; ++i) row(unusual[i]);
  html += "</table>\n";
  if (troubled.size() > troubledShown) {
    html += "<p id=\"more-troubled\">" + Plural(troubled.size() - troubledShown, "more machine", "more machines") +
            " with something broken or changed since the previous report (fleet.csv lists every machine).</p>\n";
  }
  if (unusual.size() > unusualShown) {
    html += "<p id=\"more-unusual\">" + Plural(unusual.size() - unusualShown, "more working machine", "more working machines") +
            " with a component file unlike most machines on its Windows (the table of component files counts them).</p>\n";
  }
  const std::size_t unremarkable = fleet.machines.size() - troubled.size() - unusual.size();
  html += "<p id=\"unremarkable\">" + Plural(unremarkable, "other machine", "other machines") +
          ": everything works and every component file is as on most machines on its Windows.</p>\n";

  // Last: what could not be read is the collector's matter, not the fleet's state.
  if (!fleet.unreadable.empty()) {
    html += "<h2>Reports not read</h2>\n<table id=\"unreadable\"><tr><th>report</th><th>why</th></tr>\n";
    for (const Unreadable& bad : fleet.unreadable) {
      html += "<tr><td>" + EscapeHtml(bad.where) + "</td><td>" + EscapeHtml(bad.reason) + "</td></tr>\n";
    }
    html += "</table>\n";
  }

  html += "</body></html>\n";
  return html;
}

}  // namespace kit::fleet
