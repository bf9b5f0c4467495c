// Win32-only. The diagnosis of a program's classes and files: each class's registration
// (registration.h), its server file and that file's dependencies (dependency_walk.h), the lines
// for the page and the first cause.
#include "diagnosis/diagnosis.h"

#include "catalogue/programs.h"
#include "common/number_text.h"
#include "common/owners.h"
#include "common/letter_case.h"
#include "diagnosis/dependency_walk.h"
#include "diagnosis/pe_image.h"
#include "diagnosis/registration.h"

#include <algorithm>
#include <set>

namespace kit::diagnosis {
namespace {

std::wstring SizeAndDate(const WIN32_FILE_ATTRIBUTE_DATA& data) {
  const unsigned long long size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  SYSTEMTIME utc{}, local{};
  FileTimeToSystemTime(&data.ftLastWriteTime, &utc);
  if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) local = utc;
  return kit::Decimal(size) + L" bytes, " + kit::Decimal(local.wYear, 4) + L"-" + kit::Decimal(local.wMonth, 2) + L"-" +
         kit::Decimal(local.wDay, 2) + L" " + kit::Decimal(local.wHour, 2) + L":" + kit::Decimal(local.wMinute, 2);
}

class Diagnostician {
public:
  explicit Diagnostician(Diagnosis& out) : m_out(out) {}

  void Class(const ComponentPart& part) {
    const ClassRegistration registration = ReadClassRegistration(part);
    if (!registration.classId.empty() && !m_classes.insert(Lower(registration.classId)).second) return;
    for (const std::wstring& line : registration.lines) Line(line);
    if (!registration.cause.empty()) return Cause(registration.cause);
    if (registration.serverFile.empty()) return;
    std::wstring path = registration.serverFile;
    if (path.find_first_of(L"\\/:") == std::wstring::npos) {  // a bare name: where the loader finds it
      const std::wstring located = LoaderPath(path);
      if (located.empty()) return Cause(path + L", the server " + registration.name + L" names, is not found by the loader");
      path = located;
    }
    File(path, registration.serverIsProgram);
  }

  void Library(const ComponentPart& part) {
    const std::wstring path = LoaderPath(part.file);
    if (path.empty()) return Cause(part.file + L" is not found by the loader (nor beside the program)");
    File(path);
  }

  // `program`: a local server, which COM starts as a process of its own, of whatever width.
  void File(const std::wstring& path, bool program = false) {
    if (!m_files.insert(Lower(path)).second) return;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
      const DWORD error = GetLastError();
      if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return Cause(path + L" is missing");
    }
    const DependencyReport report = WalkDependencies(path);
    if (program && report.otherMachine) {
      return Line(path + L": a " + report.fileKind + L" program, which COM starts as a process of its own (its "
                  L"width is no fault); its libraries are read from a process of that width only");
    }
    if (!report.fileError.empty()) return Cause(path + L": " + report.fileError);
    Line(path + L": " + SizeAndDate(data) + L", " + report.fileKind +
         (report.fileVersion.empty() ? L", no version" : L", version " + report.fileVersion));
    for (const FoundLibrary& library : report.found) {
      Line(L"  uses " + library.name + L": " + library.path + L" (" + library.where +
           (library.delayed ? L", delayed" : L"") + L")");
    }
    // What fails at load is a cause; what a delayed import lacks only fails the feature that
    // calls it, so it is listed apart and never taken for the cause.
    bool delayedHeading = false;
    for (const DependencyProblem& problem : report.problems) {
      if (!problem.delayed) Cause(ProblemText(problem));
    }
    for (const DependencyProblem& problem : report.problems) {
      if (!problem.delayed) continue;
      if (!delayedHeading) Line(L"  below delayed imports (not needed at load):");
      delayedHeading = true;
      Line(L"  " + ProblemText(problem));
    }
    if (!report.cut.empty()) Line(L"  " + report.cut + L": what lies beyond was not looked at");
  }

private:
  void Line(const std::wstring& text) { m_out.lines.push_back(text); }
  void Cause(const std::wstring& text) {
    Line(text);
    if (m_out.cause.empty()) m_out.cause = text;
  }

  Diagnosis& m_out;
  std::set<std::wstring> m_classes;
  std::set<std::wstring> m_files;
};

}  // namespace

std::vector<ComponentPart> PartsOf(std::wstring_view program) {
  std::vector<ComponentPart> parts;
  const catalogue::KitProgram* entry = catalogue::FindProgram(program);
  if (!entry) return parts;
  catalogue::ForEachUse(*entry, [&](const catalogue::Use& use) {
    const shell::ControlClass& part = use.part;
    switch (use.reach) {
      case catalogue::Reach::ClassId:
        parts.push_back({std::wstring(part.progId), std::wstring(part.classId), std::wstring(part.componentFile)});
        break;
      case catalogue::Reach::ProgId:
        parts.push_back({std::wstring(part.progId), L"", std::wstring(part.componentFile), true});
        break;
      case catalogue::Reach::Library:
        parts.push_back({L"", L"", std::wstring(part.componentFile)});
        break;
    }
  });
  return parts;
}

Diagnosis DiagnoseProgram(std::wstring_view program) { return DiagnoseParts(PartsOf(program)); }

Diagnosis DiagnoseParts(const std::vector<ComponentPart>& parts) {
  Diagnosis diagnosis;
  Diagnostician doctor(diagnosis);
  for (const ComponentPart& part : parts) {
    if (part.classId.empty() && !part.byProgId) {
      doctor.Library(part);
    } else {
      doctor.Class(part);
    }
  }
  return diagnosis;
}

Diagnosis ExplainFile(const std::wstring& file) {
  Diagnosis diagnosis;
  Diagnostician(diagnosis).File(file);
  return diagnosis;
}

}  // namespace kit::diagnosis
