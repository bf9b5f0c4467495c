// Portable. The survey's table of the kit's programs.
#include "survey/survey_catalogue.h"

#include "common/letter_case.h"

#include <array>

namespace kit::survey {
namespace {

using enum ProgramKind;

constexpr auto kPrograms = std::to_array<SurveyedProgram>({
    {L"probe_base", Base, L"(the kit itself)", L""},
    {L"Dravon_DLLVer", Verifier, L"runtime files", L"DLLver.log"},
    {L"HalvardDLLVer", Verifier, L"runtime files", L"Halvard_DLLver.log"},
    {L"probe_ado26", Service, L"ADO 2.6", L""},
    {L"probe_dao360", Service, L"DAO 3.60", L""},
    {L"probe_scrrun", Service, L"scripting runtime", L""},
    {L"probe_VELUtils", NativeLibrary, L"VEL_Intel_Win32.dll", L""},
    {L"probe_VELvbutils", Service, L"VELVBUtils.dll", L""},
    {L"probe_cmdlg", Dialogs, L"COMDLG32.OCX", L""},
    {L"probe_VELGridView32", ControlHost, L"VELGridViewer32.ocx", L""},
    {L"probe_richtx32", ControlHost, L"RICHTX32.OCX", L""},
    {L"probe_threed32", ControlHost, L"THREED32.OCX", L""},
    {L"probe_mscomctl", ControlHost, L"MSCOMCTL.OCX", L""},
    {L"probe_VELEditControl", ControlHost, L"VELEditControl.ocx", L""},
    {L"probe_VELTreeView", ControlHost, L"VELVBTreeView.ocx", L""},
    {L"probe_VELGraphControl", ControlHost, L"VELGraphControl.ocx", L""},
    {L"probe_mscomct2", ControlHost, L"MSCOMCT2.OCX", L""},
    {L"probe_graph32", ControlHost, L"GRAPH32.OCX", L""},
    {L"probe_msflxgrd", ControlHost, L"MSFLXGRD.OCX", L""},
    {L"probe_tabctl32", ControlHost, L"TABCTL32.OCX", L""},
    {L"probe_VELFileView", ControlHost, L"VELFileView.ocx", L""},
    {L"probe_grid32", ControlHost, L"GRID32.OCX", L""},
    {L"probe_VELControlResizer", ControlHost, L"VELControlResizer.ocx", L""},
    {L"probe_VELPointTransform", ControlHost, L"VELPointTransform.ocx", L""},
    {L"probe_VELSelectDir", ControlHost, L"VELSelectDir.ocx", L""},
    {L"probe_VELCoordProjection", ControlHost, L"VELCoordProjection.ocx", L""},
    {L"probe_spin32", ControlHost, L"SPIN32.OCX", L""},
    {L"probe_VELRotation", ControlHost, L"VELRotation.ocx", L""},
    {L"probe_VELProjection", ControlHost, L"VELProjection.ocx", L""},
});

}  // namespace

std::span<const SurveyedProgram> KitPrograms() { return kPrograms; }

const SurveyedProgram* FindProgram(std::wstring_view name) {
  for (const SurveyedProgram& program : kPrograms) {
    if (SameNoCase(program.name, name)) return &program;
  }
  return nullptr;
}

}  // namespace kit::survey
