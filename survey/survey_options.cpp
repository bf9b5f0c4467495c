// Portable. Reading kit_survey's command line.
#include "survey/survey_options.h"

#include "catalogue/programs.h"

namespace kit::survey {

SurveyOptions ParseOptions(const std::vector<std::wstring>& arguments) {
  SurveyOptions options;
  for (std::size_t i = 0; i < arguments.size() && options.error.empty(); ++i) {
    const std::wstring& argument = arguments[i];
    const bool hasValue = i + 1 < arguments.size();
    if (argument == L"--no-window") {
      options.window = false;
    } else if ((argument == L"--report" || argument == L"--reports-in" || argument == L"--only" || argument == L"--compare" ||
                argument == L"--timeout" || argument == L"--explain" || argument == L"--diagnose" ||
                argument == L"--diagnose-file" || argument == L"--into") &&
               !hasValue) {
      options.error = argument + L" needs a value";
    } else if (argument == L"--report") {
      options.reportFolder = arguments[++i];
    } else if (argument == L"--reports-in") {
      options.reportParent = arguments[++i];
    } else if (argument == L"--explain") {
      options.explain = arguments[++i];
    } else if (argument == L"--diagnose") {
      options.diagnoseProgram = arguments[++i];
    } else if (argument == L"--diagnose-file") {
      options.diagnoseFile = arguments[++i];
    } else if (argument == L"--into") {
      options.into = arguments[++i];
    } else if (argument == L"--compare") {
      options.compareWith = arguments[++i];
    } else if (argument == L"--timeout") {
      const std::wstring& value = arguments[++i];
      unsigned seconds = 0;
      for (wchar_t c : value) {
        if (c < L'0' || c > L'9' || seconds > 100000) { seconds = 0; break; }
        seconds = seconds * 10 + static_cast<unsigned>(c - L'0');
      }
      if (seconds == 0) options.error = L"--timeout wants a whole number of seconds, not \"" + value + L"\"";
      options.timeoutSeconds = seconds;
    } else if (argument == L"--only") {
      const std::wstring& list = arguments[++i];
      std::size_t start = 0;
      while (start <= list.size()) {
        std::size_t end = list.find(L',', start);
        if (end == std::wstring::npos) end = list.size();
        std::wstring name = list.substr(start, end - start);
        if (name.size() > 4 && catalogue::FindProgram(name.substr(0, name.size() - 4))) name.resize(name.size() - 4);
        const catalogue::KitProgram* program = catalogue::FindProgram(name);
        if (!program) {
          options.error = L"no program of the kit is called \"" + name + L"\"";
          break;
        }
        options.only.emplace_back(program->name);
        start = end + 1;
      }
    } else {
      options.error = L"unknown option \"" + argument + L"\"";
    }
  }
  if (options.error.empty() && !options.reportFolder.empty() && !options.reportParent.empty()) {
    options.error = L"--report and --reports-in cannot go together";
  }
  const bool childWork = !options.diagnoseProgram.empty() || !options.diagnoseFile.empty();
  if (options.error.empty() && childWork == options.into.empty()) {
    options.error = L"--diagnose and --diagnose-file go with --into, and only with it";
  }
  return options;
}

}  // namespace kit::survey
