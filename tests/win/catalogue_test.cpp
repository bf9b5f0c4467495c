// The kit's catalogue held to what the rest of the kit relies on: names and class identifiers
// that mean one thing each, every host's controls in its own component file, every control class
// served by a stand-in of that file, every program built.
#include "catalogue/forms/probe_richtx32.h"
#include "catalogue/programs.h"
#include "common/ansi_text.h"
#include "common/letter_case.h"
#include "tests/support/driver_support.h"
#include "standins/controls/control_classes.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

namespace {
using namespace kit::catalogue;
using kit::shell::ControlClass;
using kit::shell::ItemKind;
using kit::shell::ItemRecord;
using kit::shell::SavedProperty;

std::string Narrow(std::wstring_view text) { return kit::ToAnsi(text); }

// Every class the catalogue's programs create, with the program that creates it.
std::multimap<std::wstring, std::pair<std::wstring, ControlClass>> ClassesById() {
  std::multimap<std::wstring, std::pair<std::wstring, ControlClass>> classes;
  for (const KitProgram& program : AllPrograms()) {
    ForEachUse(program, [&](const Use& use) {
      if (use.reach == Reach::ClassId) {
        classes.emplace(kit::Lower(use.part.classId), std::pair{std::wstring(program.name), use.part});
      }
    });
  }
  return classes;
}

TEST(Catalogue, ProgramNamesAndComponentsAreEachOnce) {
  std::set<std::wstring> names;
  std::map<std::wstring, std::wstring> components;
  for (const KitProgram& program : AllPrograms()) {
    EXPECT_TRUE(names.insert(kit::Lower(program.name)).second) << Narrow(program.name) << " twice";
    if (program.kind != ProgramKind::ControlHost) continue;
    const auto [at, fresh] = components.emplace(kit::Lower(program.component), std::wstring(program.name));
    EXPECT_TRUE(fresh) << Narrow(program.component) << " is the component of " << Narrow(at->second) << " and "
                       << Narrow(program.name);
  }
  EXPECT_EQ(AllPrograms().back().kind, ProgramKind::Survey);
  EXPECT_EQ(KitPrograms().size(), AllPrograms().size() - 1);
}

TEST(Catalogue, AClassIdentifierNamesOneClassInOneFile) {
  const auto classes = ClassesById();
  for (auto it = classes.begin(); it != classes.end(); ++it) {
    const auto& [id, use] = *it;
    const ControlClass& first = classes.find(id)->second.second;
    SCOPED_TRACE(Narrow(use.first) + " " + Narrow(id));
    EXPECT_EQ(id.size(), 38u) << "registry form, braces included";
    EXPECT_EQ(use.second.progId, first.progId);
    EXPECT_TRUE(kit::SameNoCase(use.second.componentFile, first.componentFile))
        << Narrow(use.second.componentFile) << " against " << Narrow(first.componentFile);
    EXPECT_TRUE(use.second.licenceKey.empty()) << "no licence key is carried in the repository";
  }
}

TEST(Catalogue, EveryHostControlComesFromItsComponentAndAStandinServesIt) {
  for (const KitProgram& program : KitPrograms()) {
    if (program.kind != ProgramKind::ControlHost && program.kind != ProgramKind::Dialogs) continue;
    SCOPED_TRACE(Narrow(program.name));
    int controls = 0;
    for (const ItemRecord& item : program.form) {
      if (item.kind != ItemKind::ActiveX) continue;
      ++controls;
      EXPECT_TRUE(kit::SameNoCase(item.control.componentFile, program.component))
          << Narrow(item.name) << " comes from " << Narrow(item.control.componentFile);
      if (program.kind == ProgramKind::Dialogs) continue;  // its stand-in is a DLL of its own
      const kit::standin::ComponentFile* file = kit::standin::FindComponentFile(item.control.componentFile);
      ASSERT_NE(file, nullptr) << "no stand-in is built as " << Narrow(item.control.componentFile);
      bool served = false;
      for (const kit::standin::StandinClass& standin : file->classes) {
        served = served || (standin.clsid == item.control.classId && standin.progId == item.control.progId);
      }
      EXPECT_TRUE(served) << Narrow(item.control.progId) << " is not served by the stand-in "
                          << Narrow(file->fileName);
    }
    EXPECT_GT(controls, 0);
  }
  // And no stand-in serves a class that nothing creates.
  const auto classes = ClassesById();
  for (const kit::standin::ComponentFile& file : kit::standin::AllComponentFiles()) {
    for (const kit::standin::StandinClass& standin : file.classes) {
      EXPECT_TRUE(classes.count(kit::Lower(standin.clsid))) << Narrow(standin.progId) << " is created by no program";
    }
  }
}

TEST(Catalogue, EveryProgramIsBuilt) {
  for (const KitProgram& program : AllPrograms()) {
    const std::wstring exe = kit::driver::BesideMe(std::wstring(program.name) + L".exe");
    EXPECT_NE(GetFileAttributesW(exe.c_str()), INVALID_FILE_ATTRIBUTES) << Narrow(exe) << " is not built";
  }
}

TEST(Catalogue, TheRichTextIsOneParagraphInMsSansSerifAt17HalfPoints) {
  std::wstring rtf;
  for (const SavedProperty& property : probe_richtx32::kForm[1].saved.bag) {
    if (property.name == L"TextRTF") rtf = std::get<std::wstring_view>(property.value);
  }
  for (const wchar_t* fact : {L"\\ansicpg1252", L"\\deflang1033", L"\\fcharset0 MS Sans Serif;", L"\\fs17 RichTextBox1\\par"}) {
    EXPECT_NE(rtf.find(fact), std::wstring::npos) << Narrow(fact) << " in " << Narrow(rtf);
  }
  EXPECT_EQ(rtf.find(L"\\par "), rtf.rfind(L"\\par ")) << "one paragraph";
}

}  // namespace
