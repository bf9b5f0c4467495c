// The class table of every component file the kit hosts controls from. A stand-in DLL picks its
// own file from it by name; adding a component file (say COMDLG32.OCX with an invisible
// "MSComDlg.CommonDialog") is one more row here and one more name in CMakeLists.txt.
#include "standins/controls/control_classes.h"

#include <array>
#include <cwctype>

namespace kit::standin {
namespace {

// What the maker's controls save: lower-case names.
constexpr auto kVelExtent = std::to_array<const wchar_t*>({L"_extentx", L"_extenty"});
constexpr auto kVelTitleFont = std::to_array<const wchar_t*>({L"_extentx", L"_extenty", L"titlefont"});
constexpr auto kVelFont = std::to_array<const wchar_t*>({L"_extentx", L"_extenty", L"font"});
constexpr auto kGraph = std::to_array<const wchar_t*>({
    L"_extentx",        L"_extenty",          L"backcolor",       L"font",           L"titlefont",
    L"yaxismin",        L"yaxismax",          L"xaxismin",        L"xaxismax",       L"datanull",
    L"markersize",      L"xbaselog",          L"ybaselog",        L"setmargins",     L"yaxistopmargin",
    L"yaxisbottommargin", L"xaxisleftmargin", L"xaxisrightmargin", L"dozoom",        L"zoomxsplit",
    L"zoomxsplitleft",  L"zoomxsplitright",   L"zoomysplit",      L"zoomysplittop",  L"zoomysplitbottom",
    L"zoomxtype",       L"zoomytype"});

// The other vendors' controls: the readable values of their saved state, under the names those
// controls use for them.
constexpr auto kExtent = std::to_array<const wchar_t*>({L"_ExtentX", L"_ExtentY"});
constexpr auto kCaptionFont = std::to_array<const wchar_t*>({L"_ExtentX", L"_ExtentY", L"Caption", L"Font"});
constexpr auto kExtentFont = std::to_array<const wchar_t*>({L"_ExtentX", L"_ExtentY", L"Font"});
constexpr auto kRichText = std::to_array<const wchar_t*>({L"_ExtentX", L"_ExtentY", L"Text", L"TextRTF"});
constexpr auto kTabs = std::to_array<const wchar_t*>({L"_ExtentX", L"_ExtentY", L"Tabs", L"TabCaption(0)", L"TabCaption(1)"});

constexpr bool kVisible = false;
constexpr bool kInvisible = true;

constexpr std::array kMscomctl{
    StandinClass{L"MSComctlLib.Toolbar", L"{66833FE6-8583-11D1-B16A-00C0F0283628}", kVisible, kExtent},
    StandinClass{L"MSComctlLib.StatusBar", L"{8E3867A3-8586-11D1-B16A-00C0F0283628}", kVisible, kExtent},
    StandinClass{L"MSComctlLib.ProgressBar", L"{35053A22-8589-11D1-B16A-00C0F0283628}", kVisible, kExtent},
    StandinClass{L"MSComctlLib.TreeView", L"{C74190B6-8589-11D1-B16A-00C0F0283628}", kVisible, kExtent},
    StandinClass{L"MSComctlLib.Slider", L"{F08DF954-8592-11D1-B16A-00C0F0283628}", kVisible, kExtent}};
constexpr std::array kRichtx{
    StandinClass{L"RichTextLib.RichTextBox", L"{3B7C8860-D78F-101B-B9B5-04021C009402}", kVisible, kRichText}};
constexpr std::array kThreed{
    StandinClass{L"Threed.SSCheck", L"{0BA686AA-F7D3-101A-993E-0000C0EF6F5E}", kVisible, kCaptionFont},
    StandinClass{L"Threed.SSFrame", L"{0BA686AF-F7D3-101A-993E-0000C0EF6F5E}", kVisible, kCaptionFont},
    StandinClass{L"Threed.SSOption", L"{0BA686BE-F7D3-101A-993E-0000C0EF6F5E}", kVisible, kCaptionFont}};
constexpr std::array kMscomct2{
    StandinClass{L"MSComCtl2.UpDown", L"{603C7E80-87C2-11D1-8BE3-0000F8754DA1}", kVisible, kExtent},
    StandinClass{L"MSComCtl2.MonthView", L"{232E456A-87C3-11D1-8BE3-0000F8754DA1}", kVisible, kExtent},
    StandinClass{L"MSComCtl2.DTPicker", L"{20DD1B9E-87C4-11D1-8BE3-0000F8754DA1}", kVisible, kExtent}};
constexpr std::array kGraph32{
    StandinClass{L"GraphLib.Graph", L"{0842D100-1E19-101B-9AAF-1A1626551E7C}", kVisible, kExtent}};
constexpr std::array kFlexGrid{
    StandinClass{L"MSFlexGridLib.MSFlexGrid", L"{6262D3A0-531B-11CF-91F6-C2863C385E30}", kVisible, kExtentFont}};
constexpr std::array kTabctl{
    StandinClass{L"TabDlg.SSTab", L"{BDC217C5-ED16-11CD-956C-0000C04E4C0A}", kVisible, kTabs}};
constexpr std::array kGrid32{
    StandinClass{L"MSGrid.Grid", L"{A8C3B720-0B5A-101B-B22E-00AA0037B2FC}", kVisible, kExtentFont}};
constexpr std::array kSpin32{
    StandinClass{L"Spin.SpinButton", L"{B16553C0-06DB-101B-85B2-0000C009BE81}", kVisible, kExtent}};
constexpr std::array kGridViewer{
    StandinClass{L"VELGridViewer32.GridViewer", L"{B2D8E4B1-04C5-4D04-A3E7-A244C53F80C1}", kVisible, kVelTitleFont}};
constexpr std::array kEditControl{
    StandinClass{L"VELEditControl.EditControl", L"{0DF2F74E-5EF9-462D-B2AD-75D5A5EE5201}", kVisible, kVelExtent}};
constexpr std::array kTreeView{
    StandinClass{L"VELVBTreeView.VBTreeView", L"{F25766D2-B513-4206-8D4C-E0DDDB59EC95}", kVisible, kVelExtent}};
constexpr std::array kGraphControl{
    StandinClass{L"VELGraphControl.GraphControl", L"{C93FF3D5-EC9C-445A-9191-C5C02E36156B}", kVisible, kGraph}};
constexpr std::array kFileView{
    StandinClass{L"VELFileView.FileView", L"{C5C3D413-E80D-4BC2-AC67-29DE92AEAF5A}", kVisible, kVelExtent}};
constexpr std::array kResizer{StandinClass{L"VELControlResizer.ControlResizer",
                                           L"{54FF8ABC-6A06-46ED-BA34-755864724256}", kInvisible, kVelExtent}};
constexpr std::array kPointTransform{StandinClass{L"VELPointTransform.PointTransform",
                                                  L"{37070041-D046-4AC7-85F1-92D120CFBC30}", kVisible, kVelExtent}};
constexpr std::array kSelectDir{
    StandinClass{L"VELSelectDir.SelectDir", L"{1359B87F-62BE-4A10-BD0B-8ACC3D51C4B1}", kVisible, kVelFont}};
constexpr std::array kCoordProjection{StandinClass{L"VELCoordProjection.CoordProjection",
                                                   L"{A809E268-EA07-4173-BCD0-057A8A49C9F6}", kVisible, kVelExtent}};
constexpr std::array kRotation{
    StandinClass{L"VELRotation.Rotation", L"{9CFA0ED9-427C-46F8-B1A8-45CAD07CB6D0}", kVisible, kVelExtent}};
constexpr std::array kProjection{
    StandinClass{L"VELProjection.Projection", L"{8F9660C8-74DC-41CC-B7E8-14F47998A67B}", kVisible, kVelExtent}};

constexpr std::array kFiles{
    ComponentFile{L"MSCOMCTL.OCX", kMscomctl},
    ComponentFile{L"RICHTX32.OCX", kRichtx},
    ComponentFile{L"THREED32.OCX", kThreed},
    ComponentFile{L"MSCOMCT2.OCX", kMscomct2},
    ComponentFile{L"GRAPH32.OCX", kGraph32},
    ComponentFile{L"MSFLXGRD.OCX", kFlexGrid},
    ComponentFile{L"TABCTL32.OCX", kTabctl},
    ComponentFile{L"GRID32.OCX", kGrid32},
    ComponentFile{L"SPIN32.OCX", kSpin32},
    ComponentFile{L"VELGridViewer32.ocx", kGridViewer},
    ComponentFile{L"VELEditControl.ocx", kEditControl},
    ComponentFile{L"VELVBTreeView.ocx", kTreeView},
    ComponentFile{L"VELGraphControl.ocx", kGraphControl},
    ComponentFile{L"VELFileView.ocx", kFileView},
    ComponentFile{L"VELControlResizer.ocx", kResizer},
    ComponentFile{L"VELPointTransform.ocx", kPointTransform},
    ComponentFile{L"VELSelectDir.ocx", kSelectDir},
    ComponentFile{L"VELCoordProjection.ocx", kCoordProjection},
    ComponentFile{L"VELRotation.ocx", kRotation},
    ComponentFile{L"VELProjection.ocx", kProjection}};

bool SameNameIgnoringCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::towlower(a[i]) != std::towlower(b[i])) return false;
  }
  return true;
}

}  // namespace

std::span<const ComponentFile> AllComponentFiles() { return kFiles; }

const ComponentFile* FindComponentFile(std::wstring_view fileName) {
  for (const ComponentFile& file : kFiles) {
    if (SameNameIgnoringCase(file.fileName, fileName)) return &file;
  }
  return nullptr;
}

}  // namespace kit::standin
