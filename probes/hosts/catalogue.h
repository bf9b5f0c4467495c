// Every control host program with its form, for the tests that go through all of them.
#pragma once

#include "probes/hosts/probe_VELGridView32.h"
#include "probes/hosts/probe_richtx32.h"
#include "probes/hosts/probe_threed32.h"
#include "probes/hosts/probe_mscomctl.h"
#include "probes/hosts/probe_VELEditControl.h"
#include "probes/hosts/probe_VELTreeView.h"
#include "probes/hosts/probe_VELGraphControl.h"
#include "probes/hosts/probe_mscomct2.h"
#include "probes/hosts/probe_graph32.h"
#include "probes/hosts/probe_msflxgrd.h"
#include "probes/hosts/probe_tabctl32.h"
#include "probes/hosts/probe_VELFileView.h"
#include "probes/hosts/probe_grid32.h"
#include "probes/hosts/probe_VELControlResizer.h"
#include "probes/hosts/probe_VELPointTransform.h"
#include "probes/hosts/probe_VELSelectDir.h"
#include "probes/hosts/probe_VELCoordProjection.h"
#include "probes/hosts/probe_spin32.h"
#include "probes/hosts/probe_VELRotation.h"
#include "probes/hosts/probe_VELProjection.h"

#include <array>
#include <string_view>

namespace kit::hosts {

struct HostProgram {
  std::wstring_view name;
  shell::FormDescription form;
};

inline constexpr auto kHostPrograms = std::to_array<HostProgram>({
    {L"probe_VELGridView32", probe_VELGridView32::kForm},
    {L"probe_richtx32", probe_richtx32::kForm},
    {L"probe_threed32", probe_threed32::kForm},
    {L"probe_mscomctl", probe_mscomctl::kForm},
    {L"probe_VELEditControl", probe_VELEditControl::kForm},
    {L"probe_VELTreeView", probe_VELTreeView::kForm},
    {L"probe_VELGraphControl", probe_VELGraphControl::kForm},
    {L"probe_mscomct2", probe_mscomct2::kForm},
    {L"probe_graph32", probe_graph32::kForm},
    {L"probe_msflxgrd", probe_msflxgrd::kForm},
    {L"probe_tabctl32", probe_tabctl32::kForm},
    {L"probe_VELFileView", probe_VELFileView::kForm},
    {L"probe_grid32", probe_grid32::kForm},
    {L"probe_VELControlResizer", probe_VELControlResizer::kForm},
    {L"probe_VELPointTransform", probe_VELPointTransform::kForm},
    {L"probe_VELSelectDir", probe_VELSelectDir::kForm},
    {L"probe_VELCoordProjection", probe_VELCoordProjection::kForm},
    {L"probe_spin32", probe_spin32::kForm},
    {L"probe_VELRotation", probe_VELRotation::kForm},
    {L"probe_VELProjection", probe_VELProjection::kForm},
});

}  // namespace kit::hosts
