// Portable. Writing the report page; every text from a program is escaped.
#include "report/html_report.h"

#include "common/number_text.h"
#include "common/utf8_text.h"
#include "report/csv_rows.h"
#include "report/png_writer.h"

#include <algorithm>

namespace kit::report {
namespace {

constexpr char kStyle[] =
    "body{font-family:sans-serif;margin:1.5em;color:#222}"
    "table{border-collapse:collapse;margin:.5em 0 1.5em}"
    "td,th{border:1px solid #bbb;padding:.25em .6em;text-align:left;vertical-align:top}"
    "th{background:#eee}tr.broken td.verdict,tr.hung td.verdict{background:#f6c6c6;font-weight:bold}"
    "tr.works td.verdict{background:#cdeccd}tr.not-found td.verdict{background:#e6e6e6}"
    "tr.needs-licence-key td.verdict{background:#f6e7b4}tr.cannot-start td.verdict{background:#f6c6c6}"
    "pre{background:#f6f6f6;padding:.5em;white-space:pre-wrap}"
    "ul.diagnosis{font-family:monospace;font-size:90%}li.cause{color:#a00;font-weight:bold}"
    "section{border-top:1px solid #ccc;margin-top:1em}img{border:1px solid #999;display:block;margin:.3em 0}";

std::string Escape(std::wstring_view text) { return EscapeHtml(text); }

std::string ClassOf(Verdict verdict) {
  std::string word = ToUtf8(VerdictWord(verdict));
  for (char& c : word) {
    if (c == ' ') c = '-';
  }
  return word;
}

std::string Seconds(double seconds) { return kit::Ascii(kit::Hundredths(seconds)) + " s"; }

}  // namespace

std::string EscapeHtml(std::wstring_view text) {
  std::string out;
  for (char c : ToUtf8(text)) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string RenderHtml(const ReportHeading& heading, const std::vector<ProgramResult>& results,
                       const std::vector<Difference>& differences) {
  const int broken = BrokenCount(results);
  const std::string progress = heading.progress.empty() ? "" : " (" + Escape(heading.progress) + ")";
  std::string html = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Kit survey of " +
                     Escape(heading.machine) + progress + "</title><style>" + kStyle + "</style></head><body>\n";
  html += "<h1>Kit survey of " + Escape(heading.machine) +
          (heading.windows.empty() ? "" : " (" + Escape(heading.windows) + ")") + ", " + Escape(heading.date) +
          progress + "</h1>\n";
  html += "<p id=\"outcome\">" + kit::Ascii(kit::Decimal(results.size())) + " programs, " + kit::Ascii(kit::Decimal(broken)) +
          (broken == 1 ? " component" : " components") + " found broken.</p>\n";

  if (!heading.comparedWith.empty()) {
    html += "<h2>Differences from " + Escape(heading.comparedWith) + "</h2>\n";
    if (!heading.earlierProgress.empty()) {
      html += "<p id=\"earlier-progress\">That report was written while its survey ran (" +
              Escape(heading.earlierProgress) + "): the programs it had not reached read \"not in the earlier "
              "report\".</p>\n";
    }
    if (differences.empty()) {
      html += "<p id=\"differences\">None: every program and component file as before.</p>\n";
    } else {
      html += "<table id=\"differences\"><tr><th>program or file</th><th>earlier</th><th>now</th></tr>\n";
      for (const Difference& difference : differences) {
        html += "<tr><td>" + Escape(difference.subject) + "</td><td>" + Escape(difference.earlier) + "</td><td>" +
                Escape(difference.now) + "</td></tr>\n";
      }
      html += "</table>\n";
    }
  }

  html += "<h2>Summary</h2>\n<table id=\"summary\"><tr><th>program</th><th>component</th><th>verdict</th>"
          "<th>message</th></tr>\n";
  for (const ProgramResult* result : SummaryOrder(results)) {
    html += "<tr class=\"" + ClassOf(result->verdict) + "\"><td><a href=\"#" + Escape(result->program) + "\">" +
            Escape(result->program) + "</a></td><td>" + Escape(result->component) + "</td><td class=\"verdict\">" +
            Escape(VerdictWord(result->verdict)) + "</td><td>" + Escape(result->message) + "</td></tr>\n";
  }
  html += "</table>\n";
  const bool licenceRefused = std::any_of(results.begin(), results.end(), [](const ProgramResult& result) {
    return result.verdict == Verdict::NeedsLicence;
  });
  if (licenceRefused) {
    html += "<p id=\"licence\">\"needs licence key\": a licensed control refused to be created because this "
            "build of the probe carries no run-time licence key for it. The control is installed and registered, "
            "and it is not a broken component: applications built with it carry their own key.</p>\n";
  }

  for (const ProgramResult& result : results) {
    html += "<section id=\"" + Escape(result.program) + "\"><h2>" + Escape(result.program) + ": " +
            Escape(VerdictWord(result.verdict)) + "</h2>\n<p>" + Escape(result.component) + ", ran " +
            Seconds(result.seconds) + ". " + Escape(result.message) + "</p>\n";
    if (!result.diagnosis.empty()) {
      html += "<h3>Why</h3>\n<ul class=\"diagnosis\">";
      for (const std::wstring& line : result.diagnosis) {
        html += std::string(line == result.cause ? "<li class=\"cause\">" : "<li>") + Escape(line) + "</li>";
      }
      html += "</ul>\n";
    }
    if (!result.texts.empty()) {
      html += "<pre>";
      for (const std::wstring& text : result.texts) html += Escape(text) + "\n";
      html += "</pre>\n";
    }
    if (!result.logFile.empty()) {
      html += "<p>Log: <a href=\"" + Escape(result.logFile) + "\">" + Escape(result.logFile) + "</a></p>\n";
    }
    for (const Picture& picture : result.pictures) {
      html += "<figure><figcaption>" + Escape(picture.caption) + "</figcaption><img alt=\"" +
              Escape(picture.caption) + "\" src=\"data:image/png;base64," + Base64(picture.png) + "\"></figure>\n";
    }
    html += "</section>\n";
  }
  html += "</body></html>\n";
  return html;
}

}  // namespace kit::report
