// Portable. Writing fleet.csv and fleet.html from the merged view.
#include "fleet/fleet_page.h"

#include "common/number_text.h"
#include "common/utf8_text.h"
#include "report/csv_rows.h"
#include "report/html_report.h"

namespace kit::fleet {
namespace {

using report::CsvField;
using report::EscapeHtml;

// A page of ten thousand machines stays readable: long lists of machines are cut short.
constexpr std::size_t kMostNamed = 50;

constexpr char kStyle[] =
    "body{font-family:sans-serif;margin:1.5em;color:#222}"
    "table{border-collapse:collapse;margin:.5em 0 1.5em}"
    "td,th{border:1px solid #bbb;padding:.25em .6em;text-align:left;vertical-align:top}"
    "th{background:#eee}td.failing{background:#f6c6c6;font-weight:bold}"
    "section{border-top:1px solid #ccc;margin-top:1em}";

std::string Number(std::size_t value) { return Ascii(Decimal(value)); }

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
  std::string escaped;
  for (char c : out) {
    switch (c) {
      case '&': escaped += "&amp;"; break;
      case '<': escaped += "&lt;"; break;
      case '>': escaped += "&gt;"; break;
      case '"': escaped += "&quot;"; break;
      default: escaped += c;
    }
  }
  return escaped;
}

std::string MachineLink(const Fleet& fleet, std::size_t m) {
  const FleetMachine& machine = fleet.machines[m];
  const std::wstring& link = fleet.reports[machine.report].link;
  if (link.empty()) return EscapeHtml(machine.name);
  return "<a href=\"" + Href(link) + "\">" + EscapeHtml(machine.name) + "</a>";
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
  for (const FleetMachine& machine : fleet.machines) {
    const MachineReport& report = fleet.reports[machine.report];
    const std::string head = CsvField(machine.name) + "," + CsvField(report.facts.windows) + ",";
    for (const report::CsvRow& row : report.rows) {
      csv += head + CsvField(row.program) + "," + CsvField(row.verdict) + "," + CsvField(row.message) + "," +
             CsvField(row.cause) + "\r\n";
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
  html += ".</p>\n";

  if (!fleet.unreadable.empty()) {
    html += "<h2>Reports not read</h2>\n<table id=\"unreadable\"><tr><th>report</th><th>why</th></tr>\n";
    for (const Unreadable& bad : fleet.unreadable) {
      html += "<tr><td>" + EscapeHtml(bad.where) + "</td><td>" + EscapeHtml(bad.reason) + "</td></tr>\n";
    }
    html += "</table>\n";
  }

  html += "<h2>Programs</h2>\n<table id=\"programs\"><tr><th>program</th><th>machines by verdict</th></tr>\n";
  for (const ProgramCount& program : fleet.programs) {
    std::string counts;
    for (const auto& [verdict, count] : program.verdicts) {
      counts += (counts.empty() ? "" : ", ") + EscapeHtml(verdict) + " " + Number(static_cast<std::size_t>(count));
    }
    html += "<tr><td" + std::string(program.failing ? " class=\"failing\"" : "") + ">" + EscapeHtml(program.program) +
            "</td><td>" + counts + "</td></tr>\n";
  }
  html += "</table>\n";

  if (!fleet.groups.empty()) {
    html += "<h2>What the broken machines share</h2>\n";
    for (const CauseGroup& group : fleet.groups) {
      html += "<section class=\"group\"><h3>" + EscapeHtml(group.program) + ": " +
              Plural(group.machines.size(), "machine", "machines") + "</h3>\n<p class=\"cause\">" +
              EscapeHtml(group.cause) + "</p>\n<p class=\"machines\">" +
              NameList(group.machines.size(), [&](std::size_t i) { return MachineLink(fleet, group.machines[i]); }) + "</p>\n";
      if (!group.apart.empty()) html += "<ul class=\"apart\">\n";
      for (const SetApart& apart : group.apart) {
        html += "<li>" + std::string(group.machines.size() == 1 ? "the broken machine has " : "all " + Number(group.machines.size()) + " broken machines have ") +
                EscapeHtml(apart.file) + " " + EscapeHtml(apart.attribute) + " " + EscapeHtml(apart.groupValue) + "; " +
                Number(static_cast<std::size_t>(apart.workingValueCount)) + " working " +
                (apart.workingValueCount == 1 ? "one " : "ones ") + EscapeHtml(apart.workingValue);
        if (apart.workingSame) html += " (" + Number(static_cast<std::size_t>(apart.workingSame)) + " working with the same)";
        html += "</li>\n";
      }
      if (!group.apart.empty()) html += "</ul>\n";
      html += "</section>\n";
    }
  }

  if (!fleet.spread.empty()) {
    html += "<h2>Component files that differ across the fleet</h2>\n<table id=\"spread\"><tr><th>file</th><th>"
            "</th><th>machines by value</th><th>machines unlike the majority</th></tr>\n";
    for (const ComponentSpread& spread : fleet.spread) {
      std::string values;
      for (const auto& [value, count] : spread.values) {
        values += (values.empty() ? "" : "<br>") + EscapeHtml(value) + ": " + Number(static_cast<std::size_t>(count));
      }
      html += "<tr><td>" + EscapeHtml(spread.file) + "</td><td>" + EscapeHtml(spread.attribute) + "</td><td>" + values +
              "</td><td>" + NameList(spread.differing.size(), [&](std::size_t i) {
                return MachineLink(fleet, spread.differing[i].first) + " (" + EscapeHtml(spread.differing[i].second) + ")";
              }) + "</td></tr>\n";
    }
    html += "</table>\n";
  }

  html += "<h2>Machines</h2>\n<table id=\"machines\"><tr><th>machine</th><th>Windows</th><th>surveyed</th><th>kit</th>"
          "<th>not working</th><th>changed since the previous report</th></tr>\n";
  std::size_t unremarkable = 0;
  for (std::size_t m = 0; m < fleet.machines.size(); ++m) {
    const FleetMachine& machine = fleet.machines[m];
    if (!machine.broken && !machine.differs && machine.changes.empty()) {
      ++unremarkable;
      continue;
    }
    const MachineReport& report = fleet.reports[machine.report];
    std::string failing;
    for (const report::CsvRow& row : report.rows) {
      if (row.verdict != L"works") failing += (failing.empty() ? "" : ", ") + EscapeHtml(row.program) + " " + EscapeHtml(row.verdict);
    }
    std::string changes;
    for (const VerdictChange& change : machine.changes) {
      changes += (changes.empty() ? "" : "<br>") + EscapeHtml(change.program) + ": " + EscapeHtml(change.before) + " &rarr; " +
                 EscapeHtml(change.now);
    }
    if (!changes.empty()) changes = "since " + EscapeHtml(machine.previousSurveyed) + ":<br>" + changes;
    html += "<tr><td>" + MachineLink(fleet, m) + "</td><td>" + EscapeHtml(report.facts.windows) + "</td><td>" +
            EscapeHtml(report.facts.surveyed) + "</td><td>" + EscapeHtml(report.facts.kit) + "</td><td>" + failing +
            "</td><td>" + changes + "</td></tr>\n";
  }
  html += "</table>\n<p id=\"unremarkable\">" + Plural(unremarkable, "other machine", "other machines") +
          ": everything works and every component file is as on most machines.</p>\n</body></html>\n";
  return html;
}

}  // namespace kit::fleet
