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

  void Class(ComponentPart part) {
    bool found = false;
    if (part.byProgId) {
      // Created by its ProgID: the class is the one the ProgID names.
      part.classId = ClassesValue(part.progId + L"\\CLSID", nullptr, found);
      if (!found) return Cause(L"the ProgID " + part.progId + L" is not registered (" + part.file + L")");
    }
    if (!m_classes.insert(Lower(part.classId)).second) return;
    const std::wstring name = part.progId.empty() ? part.classId : part.progId + L" " + part.classId;
    const std::wstring classKey = L"CLSID\\" + part.classId;
    const std::wstring server = ClassesValue(classKey + L"\\InprocServer32", nullptr, found);
    if (!found) {
      if (ClassesKeyExists(classKey + L"\\InprocServer32", kOtherView)) {
        return Cause(name + L" is registered for " + kOtherPrograms + L" programs only");
      }
      return Cause(name + L" is not registered (" + part.file + L")");
    }
    bool threadingFound = false;
    const std::wstring threading = ClassesValue(classKey + L"\\InprocServer32", L"ThreadingModel", threadingFound);
    Line(name + L" is registered: server " + server + L", threading model " +
         (threadingFound ? threading : std::wstring(L"none (single)")));
    TypeLibrary(classKey);
    std::wstring path = Unquoted(server);
    if (path.find_first_of(L"\\/:") == std::wstring::npos) {
      const std::wstring located = LoaderPath(path);
      if (located.empty()) return Cause(path + L", the server " + name + L" names, is not found by the loader");
      path = located;
    }
    File(path);
  }

  void Library(const ComponentPart& part) {
    const std::wstring path = LoaderPath(part.file);
    if (path.empty()) return Cause(part.file + L" is not found by the loader (nor beside the program)");
    File(path);
  }

  void File(const std::wstring& path) {
    if (!m_files.insert(Lower(path)).second) return;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
      const DWORD error = GetLastError();
      if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return Cause(path + L" is missing");
    }
    const DependencyReport report = WalkDependencies(path);
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
  void TypeLibrary(const std::wstring& classKey) {
    bool found = false;
    const std::wstring library = ClassesValue(classKey + L"\\TypeLib", nullptr, found);
    if (!found) return;
    UniqueKey versions;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, (L"TypeLib\\" + library).c_str(), 0, KEY_READ, versions.put()) !=
        ERROR_SUCCESS) {
      return Line(L"its type library " + library + L" is not registered");
    }
    wchar_t version[64];
    DWORD length = ARRAYSIZE(version);
    if (RegEnumKeyExW(versions.get(), 0, version, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) return;
    const std::wstring file = Unquoted(ClassesValue(L"TypeLib\\" + library + L"\\" + version + L"\\0\\" +
                                                        (sizeof(void*) == 8 ? L"win64" : L"win32"),
                                                    nullptr, found));
    if (!found) return Line(L"its type library " + library + L" " + version + L" names no file for these programs");
    const bool there = GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES;
    Line(L"its type library " + library + L" " + version + L": " + file + (there ? L"" : L" (missing)"));
  }

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
