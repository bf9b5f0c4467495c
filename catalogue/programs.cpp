// Portable. The table of the kit's programs. Each row stands on one line, in the form the build
// reads it in (cmake/kit_programs.cmake): name, kind, component, ProductName, whether the company is
// named, build traits, then form, uses and log file where the program has them.
#include "catalogue/programs.h"

#include "catalogue/classes.h"
#include "catalogue/forms/probe_base.h"
#include "catalogue/forms/probe_ado26.h"
#include "catalogue/forms/probe_dao360.h"
#include "catalogue/forms/probe_scrrun.h"
#include "catalogue/forms/probe_VELUtils.h"
#include "catalogue/forms/probe_VELvbutils.h"
#include "catalogue/forms/probe_cmdlg.h"
#include "catalogue/forms/probe_VELGridView32.h"
#include "catalogue/forms/probe_richtx32.h"
#include "catalogue/forms/probe_threed32.h"
#include "catalogue/forms/probe_mscomctl.h"
#include "catalogue/forms/probe_VELEditControl.h"
#include "catalogue/forms/probe_VELTreeView.h"
#include "catalogue/forms/probe_VELGraphControl.h"
#include "catalogue/forms/probe_mscomct2.h"
#include "catalogue/forms/probe_graph32.h"
#include "catalogue/forms/probe_msflxgrd.h"
#include "catalogue/forms/probe_tabctl32.h"
#include "catalogue/forms/probe_VELFileView.h"
#include "catalogue/forms/probe_grid32.h"
#include "catalogue/forms/probe_VELControlResizer.h"
#include "catalogue/forms/probe_VELPointTransform.h"
#include "catalogue/forms/probe_VELSelectDir.h"
#include "catalogue/forms/probe_VELCoordProjection.h"
#include "catalogue/forms/probe_spin32.h"
#include "catalogue/forms/probe_VELRotation.h"
#include "catalogue/forms/probe_VELProjection.h"
#include "common/letter_case.h"

#include <array>

namespace kit::catalogue {
namespace {

using enum ProgramKind;
constexpr bool kCompany = true;
constexpr bool kNoCompany = false;

constexpr Use kAdoUses[] = {{Reach::ClassId, kAdoConnection}};
constexpr Use kDaoUses[] = {{Reach::ClassId, kDaoEngine}};
constexpr Use kScrrunUses[] = {{Reach::ProgId, kFileSystemObject}};
constexpr Use kVbUtilsUses[] = {{Reach::ClassId, kVbUtilsGlobal}};
constexpr Use kVelUtilsUses[] = {{Reach::Library, {.componentFile = kVelIntelLibrary}}};
// The dialog probe's control stands on its form; the direct tests use the system's own library.

// In the order the survey runs them; kit_survey last.
constexpr auto kPrograms = std::to_array<KitProgram>({
    {L"probe_base", Base, L"(the kit itself)", "Project_base", kCompany, "", probe_base::kForm},
    {L"Dravon_DLLVer", Verifier, L"runtime files", "DravonDLLVer", kCompany, "outside-code", {}, {}, L"DLLver.log"},
    {L"HalvardDLLVer", Verifier, L"runtime files", "HalvardDLLVer", kCompany, "outside-code", {}, {}, L"Halvard_DLLver.log"},
    {L"probe_ado26", Service, L"ADO 2.6", "Project_ADO26", kCompany, "outside-code", probe_ado26::kForm, kAdoUses},
    {L"probe_dao360", Service, L"DAO 3.60", "Project_DAO360", kCompany, "outside-code", probe_dao360::kForm, kDaoUses},
    {L"probe_scrrun", Service, L"scripting runtime", "Project_scrrun", kCompany, "outside-code", probe_scrrun::kForm, kScrrunUses},
    {L"probe_VELUtils", NativeLibrary, L"VEL_Intel_Win32.dll", "Project_VELUtils", kCompany, "outside-code", probe_VELUtils::kForm, kVelUtilsUses},
    {L"probe_VELvbutils", Service, L"VELVBUtils.dll", "Project_vbUtils", kCompany, "outside-code", probe_VELvbutils::kForm, kVbUtilsUses},
    {L"probe_cmdlg", Dialogs, L"COMDLG32.OCX", "Project_cmdlg", kCompany, "outside-code", probe_cmdlg::kForm},
    {L"probe_VELGridView32", ControlHost, L"VELGridViewer32.ocx", "Project_VELGridViewer", kNoCompany, "outside-code", probe_VELGridView32::kForm},
    {L"probe_richtx32", ControlHost, L"RICHTX32.OCX", "Project_richtx32", kCompany, "outside-code", probe_richtx32::kForm},
    {L"probe_threed32", ControlHost, L"THREED32.OCX", "Project_threed32", kCompany, "outside-code", probe_threed32::kForm},
    {L"probe_mscomctl", ControlHost, L"MSCOMCTL.OCX", "Project_mscomctl", kCompany, "outside-code", probe_mscomctl::kForm},
    {L"probe_VELEditControl", ControlHost, L"VELEditControl.ocx", "Project_VELEditControl", kNoCompany, "outside-code", probe_VELEditControl::kForm},
    {L"probe_VELTreeView", ControlHost, L"VELVBTreeView.ocx", "Project_VELTreeView", kNoCompany, "outside-code", probe_VELTreeView::kForm},
    {L"probe_VELGraphControl", ControlHost, L"VELGraphControl.ocx", "Project_dvGraph", kCompany, "outside-code", probe_VELGraphControl::kForm},
    {L"probe_mscomct2", ControlHost, L"MSCOMCT2.OCX", "Project_mscomct2", kCompany, "outside-code", probe_mscomct2::kForm},
    {L"probe_graph32", ControlHost, L"GRAPH32.OCX", "Project_graph32", kCompany, "outside-code", probe_graph32::kForm},
    {L"probe_msflxgrd", ControlHost, L"MSFLXGRD.OCX", "Project_msflxgrd", kCompany, "outside-code", probe_msflxgrd::kForm},
    {L"probe_tabctl32", ControlHost, L"TABCTL32.OCX", "Project_tabctl32", kCompany, "outside-code", probe_tabctl32::kForm},
    {L"probe_VELFileView", ControlHost, L"VELFileView.ocx", "Project_VELFileView", kNoCompany, "outside-code", probe_VELFileView::kForm},
    {L"probe_grid32", ControlHost, L"GRID32.OCX", "Project_grid32", kCompany, "outside-code", probe_grid32::kForm},
    {L"probe_VELControlResizer", ControlHost, L"VELControlResizer.ocx", "Project_dvResizer", kCompany, "outside-code", probe_VELControlResizer::kForm},
    {L"probe_VELPointTransform", ControlHost, L"VELPointTransform.ocx", "Project_dvPointTransform", kCompany, "outside-code", probe_VELPointTransform::kForm},
    {L"probe_VELSelectDir", ControlHost, L"VELSelectDir.ocx", "Project_dvSelectDir", kCompany, "outside-code", probe_VELSelectDir::kForm},
    {L"probe_VELCoordProjection", ControlHost, L"VELCoordProjection.ocx", "Project_dvProjection", kCompany, "outside-code", probe_VELCoordProjection::kForm},
    {L"probe_spin32", ControlHost, L"SPIN32.OCX", "Project_spin32", kCompany, "outside-code", probe_spin32::kForm},
    {L"probe_VELRotation", ControlHost, L"VELRotation.ocx", "Project_dvRotation", kCompany, "outside-code", probe_VELRotation::kForm},
    {L"probe_VELProjection", ControlHost, L"VELProjection.ocx", "Project_dvProjection", kCompany, "outside-code", probe_VELProjection::kForm},
    {L"kit_survey", Survey, L"", "kit_survey", kCompany, "dpi-aware"},
});
static_assert(kPrograms.back().kind == Survey, "kit_survey comes last: the survey runs all before it");

}  // namespace

std::span<const KitProgram> AllPrograms() { return kPrograms; }

std::span<const KitProgram> KitPrograms() { return AllPrograms().first(kPrograms.size() - 1); }

const KitProgram* FindProgram(std::wstring_view name) {
  for (const KitProgram& program : kPrograms) {
    if (SameNoCase(program.name, name)) return &program;
  }
  return nullptr;
}

}  // namespace kit::catalogue
