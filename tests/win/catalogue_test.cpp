// The control host catalogue written out by hand, row by row, and held against the programs'
// form tables: component files, classes (ProgID and class identifier), instances, containers,
// places, sizes, tab indexes, the readable saved values, window sizes and end buttons.
#include "common/ansi_text.h"
#include "probes/hosts/catalogue.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <type_traits>
#include <vector>

namespace {
using namespace kit::shell;

struct ControlRow {
  const wchar_t* file;
  const wchar_t* progId;
  const wchar_t* classId;
  const wchar_t* instance;  // with "(index)" for an array member
  const wchar_t* container;
  int left, top, width, height;
  int tab;  // -1: none
  const wchar_t* saved;  // the readable values, "name=value" separated by spaces
};

struct HostRow {
  const wchar_t* program;
  int clientWidth, clientHeight;
  const wchar_t* endButton;
  int buttonLeft, buttonTop;
  int buttonTab;
  bool buttonFirst;  // created before the controls
  std::vector<ControlRow> controls;  // in creation order
};

constexpr wchar_t kSans[] = L"font(MS Sans Serif,8,400,0)";

std::wstring Sans(const wchar_t* name) { return std::wstring(name) + L"=" + kSans; }

const std::vector<HostRow>& Catalogue() {
  static const std::wstring threed = L"Caption=threed32 " + Sans(L"Font");
  static const std::wstring graph =
      L"_extentx=5786 _extenty=2875 backcolor=16777215 " + Sans(L"font") + L" " + Sans(L"titlefont") +
      L" yaxismin=-99999 yaxismax=-99999 xaxismin=-99999 xaxismax=-99999 datanull=-999 markersize=35 xbaselog=10 "
      L"ybaselog=10 setmargins=false yaxistopmargin=0 yaxisbottommargin=0 xaxisleftmargin=0 xaxisrightmargin=0 "
      L"dozoom=false zoomxsplit=-1 zoomxsplitleft=255 zoomxsplitright=65280 zoomysplit=-1 zoomysplittop=255 "
      L"zoomysplitbottom=65280 zoomxtype=1 zoomytype=1";
  static const std::wstring frame = L"_ExtentX=5900 _ExtentY=1879 " + threed;
  static const std::wstring option1 = L"_ExtentX=4419 _ExtentY=609 " + threed;
  static const std::wstring option0 = L"_ExtentX=4313 _ExtentY=397 " + threed;
  static const std::wstring check = L"_ExtentX=4048 _ExtentY=556 " + threed;
  static const std::wstring gridViewer = L"_extentx=21131 _extenty=13458 " + Sans(L"titlefont");
  static const std::wstring flexGrid = L"_ExtentX=6174 _ExtentY=3052 " + Sans(L"Font");
  static const std::wstring grid = L"_ExtentX=2566 _ExtentY=926 " + Sans(L"Font");
  static const std::wstring selectDir = L"_extentx=6068 _extenty=4322 " + Sans(L"font");
  static const std::vector<HostRow> rows{
      {L"probe_VELGridView32", 12570, 8580, L"Command1", 11250, 8130, 0, false,
       {{L"VELGridViewer32.ocx", L"VELGridViewer32.GridViewer", L"{B2D8E4B1-04C5-4D04-A3E7-A244C53F80C1}",
         L"GridViewer1", L"", 300, 180, 11980, 7630, 1, gridViewer.c_str()}}},
      {L"probe_richtx32", 4850, 2580, L"Command_done", 3510, 2040, 0, false,
       {{L"RICHTX32.OCX", L"RichTextLib.RichTextBox", L"{3B7C8860-D78F-101B-B9B5-04021C009402}", L"rtf", L"", 150, 60,
         4485, 1785, 1, L"_ExtentX=7920 _ExtentY=3157 Text=RichTextBox1 TextRTF=rtf"}}},
      {L"probe_threed32", 3530, 2360, L"Command_done", 2370, 1830, 0, false,
       {{L"THREED32.OCX", L"Threed.SSFrame", L"{0BA686AF-F7D3-101A-993E-0000C0EF6F5E}", L"Frame_threed32", L"", 120,
         660, 3345, 1065, 2, frame.c_str()},
        {L"THREED32.OCX", L"Threed.SSOption", L"{0BA686BE-F7D3-101A-993E-0000C0EF6F5E}", L"Option_threed32(1)",
         L"Frame_threed32", 300, 540, 2505, 345, 4, option1.c_str()},
        {L"THREED32.OCX", L"Threed.SSOption", L"{0BA686BE-F7D3-101A-993E-0000C0EF6F5E}", L"Option_threed32(0)",
         L"Frame_threed32", 330, 270, 2445, 225, 3, option0.c_str()},
        {L"THREED32.OCX", L"Threed.SSCheck", L"{0BA686AA-F7D3-101A-993E-0000C0EF6F5E}", L"Check_threed32", L"", 240,
         150, 2295, 315, 1, check.c_str()}}},
      {L"probe_mscomctl", 3530, 2360, L"Command_done", 2430, 1560, 0, false,
       {{L"MSCOMCTL.OCX", L"MSComctlLib.Slider", L"{F08DF954-8592-11D1-B16A-00C0F0283628}", L"sld_mscomctl", L"",
         3000, 690, 630, 795, 5, L"_ExtentX=1111 _ExtentY=1393"},
        {L"MSCOMCTL.OCX", L"MSComctlLib.TreeView", L"{C74190B6-8589-11D1-B16A-00C0F0283628}", L"Tree_mscomctl", L"",
         60, 660, 2265, 1245, 4, L"_ExtentX=3986 _ExtentY=2187"},
        {L"MSCOMCTL.OCX", L"MSComctlLib.ProgressBar", L"{35053A22-8589-11D1-B16A-00C0F0283628}", L"prg_mscomctl", L"",
         1590, 2070, 1605, 285, 3, L"_ExtentX=2822 _ExtentY=512"},
        {L"MSCOMCTL.OCX", L"MSComctlLib.StatusBar", L"{8E3867A3-8586-11D1-B16A-00C0F0283628}", L"Status_mscomctl",
         L"", 0, 2010, 3525, 345, 2, L"_ExtentX=6227 _ExtentY=617"},
        {L"MSCOMCTL.OCX", L"MSComctlLib.Toolbar", L"{66833FE6-8583-11D1-B16A-00C0F0283628}", L"tlb_mscomctl", L"", 0,
         0, 3530, 600, 1, L"_ExtentX=6227 _ExtentY=1058"}}},
      {L"probe_VELEditControl", 4030, 2870, L"Command1", 2700, 2430, 1, true,
       {{L"VELEditControl.ocx", L"VELEditControl.EditControl", L"{0DF2F74E-5EF9-462D-B2AD-75D5A5EE5201}",
         L"EditControl1", L"", 90, 90, 3850, 2200, 0, L"_extentx=6791 _extenty=3881"}}},
      {L"probe_VELTreeView", 6750, 6510, L"Command1", 5340, 5790, 0, false,
       {{L"VELVBTreeView.ocx", L"VELVBTreeView.VBTreeView", L"{F25766D2-B513-4206-8D4C-E0DDDB59EC95}",
         L"VBTreeView1", L"", 270, 150, 6130, 5320, 1, L"_extentx=10813 _extenty=9384"}}},
      {L"probe_VELGraphControl", 3530, 2360, L"Command_done", 2370, 1830, 0, false,
       {{L"VELGraphControl.ocx", L"VELGraphControl.GraphControl", L"{C93FF3D5-EC9C-445A-9191-C5C02E36156B}",
         L"GraphControl1", L"", 180, 60, 3280, 1630, 1, graph.c_str()}}},
      {L"probe_mscomct2", 3530, 3420, L"Command_done", 2400, 2880, 0, false,
       {{L"MSCOMCT2.OCX", L"MSComCtl2.DTPicker", L"{20DD1B9E-87C4-11D1-8BE3-0000F8754DA1}", L"DTPicker1", L"", 180,
         2850, 2025, 345, 3, L"_ExtentX=3581 _ExtentY=617"},
        {L"MSCOMCT2.OCX", L"MSComCtl2.MonthView", L"{232E456A-87C3-11D1-8BE3-0000F8754DA1}", L"MonthView1", L"", 150,
         240, 2500, 2280, 2, L"_ExtentX=4410 _ExtentY=4022"},
        {L"MSCOMCT2.OCX", L"MSComCtl2.UpDown", L"{603C7E80-87C2-11D1-8BE3-0000F8754DA1}", L"UpDown1", L"", 3120, 330,
         255, 1905, 1, L"_ExtentX=459 _ExtentY=3351"}}},
      {L"probe_graph32", 3530, 2360, L"Command_done", 2370, 1830, 0, false,
       {{L"GRAPH32.OCX", L"GraphLib.Graph", L"{0842D100-1E19-101B-9AAF-1A1626551E7C}", L"graph32", L"", 360, 150,
         3015, 1485, 1, L"_ExtentX=5318 _ExtentY=2619"}}},
      {L"probe_msflxgrd", 3980, 2490, L"Command_done", 2580, 1980, 0, false,
       {{L"MSFLXGRD.OCX", L"MSFlexGridLib.MSFlexGrid", L"{6262D3A0-531B-11CF-91F6-C2863C385E30}", L"Grid_test", L"",
         150, 60, 3495, 1725, 1, flexGrid.c_str()}}},
      {L"probe_tabctl32", 2090, 1730, L"Command_done", 780, 1170, 0, false,
       {{L"TABCTL32.OCX", L"TabDlg.SSTab", L"{BDC217C5-ED16-11CD-956C-0000C04E4C0A}", L"Tab_tabctl32", L"", 90, 90,
         1845, 885, 1, L"_ExtentX=3246 _ExtentY=1552 Tabs=2 TabCaption(0)=tabctl32 TabCaption(1)=Tab 1"}}},
      {L"probe_VELFileView", 12570, 8580, L"Command1", 11250, 8130, 0, false,
       {{L"VELFileView.ocx", L"VELFileView.FileView", L"{C5C3D413-E80D-4BC2-AC67-29DE92AEAF5A}", L"FileView1", L"",
         270, 60, 12040, 7930, 1, L"_extentx=21237 _extenty=13988"}}},
      {L"probe_grid32", 1850, 1260, L"Command_done", 300, 750, 0, false,
       {{L"GRID32.OCX", L"MSGrid.Grid", L"{A8C3B720-0B5A-101B-B22E-00AA0037B2FC}", L"grd", L"", 150, 90, 1455, 525, 1,
         grid.c_str()}}},
      {L"probe_VELControlResizer", 2100, 960, L"Command_done", 510, 270, 0, false,
       {{L"VELControlResizer.ocx", L"VELControlResizer.ControlResizer", L"{54FF8ABC-6A06-46ED-BA34-755864724256}",
         L"ControlResizer1", L"", 90, 300, 160, 160, -1, L"_extentx=282 _extenty=282"}}},
      {L"probe_VELPointTransform", 6300, 6770, L"Command_done", 5010, 6270, 0, false,
       {{L"VELPointTransform.ocx", L"VELPointTransform.PointTransform", L"{37070041-D046-4AC7-85F1-92D120CFBC30}",
         L"PointTransform1", L"", 30, 0, 6255, 6045, 1, L"_extentx=11024 _extenty=10672"}}},
      {L"probe_VELSelectDir", 3530, 3180, L"Command_done", 2370, 2610, 0, false,
       {{L"VELSelectDir.ocx", L"VELSelectDir.SelectDir", L"{1359B87F-62BE-4A10-BD0B-8ACC3D51C4B1}", L"SelectDir1",
         L"", 60, 30, 3435, 2445, 1, selectDir.c_str()}}},
      {L"probe_VELCoordProjection", 7695, 5205, L"Command_done", 6450, 4650, 0, false,
       {{L"VELCoordProjection.ocx", L"VELCoordProjection.CoordProjection",
         L"{A809E268-EA07-4173-BCD0-057A8A49C9F6}", L"CoordProjection1", L"", 150, 120, 7305, 4365, 1,
         L"_extentx=12885 _extenty=7699"}}},
      {L"probe_spin32", 3530, 2360, L"Command_done", 2370, 1830, 0, false,
       {{L"SPIN32.OCX", L"Spin.SpinButton", L"{B16553C0-06DB-101B-85B2-0000C009BE81}", L"Spin_spin32", L"", 240, 240,
         375, 1005, 1, L"_ExtentX=661 _ExtentY=1773"}}},
      {L"probe_VELRotation", 7190, 6020, L"Command_done", 6000, 5460, 0, false,
       {{L"VELRotation.ocx", L"VELRotation.Rotation", L"{9CFA0ED9-427C-46F8-B1A8-45CAD07CB6D0}", L"Rotation1", L"", 0,
         30, 7155, 5235, 1, L"_extentx=12629 _extenty=9243"}}},
      {L"probe_VELProjection", 7050, 4560, L"Command_done", 5820, 4020, 0, false,
       {{L"VELProjection.ocx", L"VELProjection.Projection", L"{8F9660C8-74DC-41CC-B7E8-14F47998A67B}",
         L"Projection1", L"", 30, 30, 7035, 3765, 1, L"_extentx=12418 _extenty=6632"}}},
  };
  return rows;
}

std::wstring Number(double value) {
  wchar_t text[32];
  std::swprintf(text, 32, L"%g", value);
  return text;
}

// A saved value as the rows above write it. The rich text is the control's own format: only
// its readable facts are held against the catalogue (below), here it is "rtf".
std::wstring ValueText(const SavedProperty& property) {
  return std::visit(
      [&](const auto& v) -> std::wstring {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, std::int32_t>) return std::to_wstring(v);
        else if constexpr (std::is_same_v<T, float>) return Number(v);
        else if constexpr (std::is_same_v<T, bool>) return v ? L"true" : L"false";
        else if constexpr (std::is_same_v<T, std::wstring_view>) return property.name == L"TextRTF" ? L"rtf" : std::wstring(v);
        else return L"font(" + std::wstring(v.face) + L"," + Number(v.points) + L"," + std::to_wstring(v.weight) + L"," + std::to_wstring(v.charset) + L")";
      },
      property.value);
}

std::string Narrow(std::wstring_view text) { return kit::ToAnsi(text); }

TEST(Catalogue, EveryHostHoldsExactlyTheControlsOfTheCatalogue) {
  ASSERT_EQ(Catalogue().size(), kit::hosts::kHostPrograms.size());
  for (std::size_t h = 0; h < Catalogue().size(); ++h) {
    const HostRow& row = Catalogue()[h];
    const auto& program = kit::hosts::kHostPrograms[h];
    SCOPED_TRACE(Narrow(row.program));
    ASSERT_EQ(program.name, row.program);
    const FormDescription form = program.form;
    EXPECT_EQ(form[0].width, row.clientWidth);
    EXPECT_EQ(form[0].height, row.clientHeight);
    ASSERT_EQ(form.size(), row.controls.size() + 2);
    const ItemRecord& button = form[row.buttonFirst ? 1 : form.size() - 1];
    EXPECT_EQ(button.name, row.endButton);
    EXPECT_EQ(button.left, row.buttonLeft);
    EXPECT_EQ(button.top, row.buttonTop);
    EXPECT_EQ(button.tabIndex, row.buttonTab);
    for (std::size_t c = 0; c < row.controls.size(); ++c) {
      const ControlRow& expected = row.controls[c];
      const ItemRecord& item = form[c + (row.buttonFirst ? 2 : 1)];
      SCOPED_TRACE(Narrow(expected.instance));
      std::wstring instance(item.name);
      if (item.index) instance += L"(" + std::to_wstring(*item.index) + L")";
      EXPECT_EQ(instance, expected.instance);
      EXPECT_EQ(item.kind, ItemKind::ActiveX);
      EXPECT_EQ(item.control.componentFile, expected.file);
      EXPECT_EQ(item.control.progId, expected.progId);
      EXPECT_EQ(item.control.classId, expected.classId);
      EXPECT_TRUE(item.control.licenceKey.empty()) << "no licence key is carried in the repository";
      EXPECT_EQ(item.container, expected.container);
      EXPECT_EQ(item.left, expected.left);
      EXPECT_EQ(item.top, expected.top);
      EXPECT_EQ(item.width, expected.width);
      EXPECT_EQ(item.height, expected.height);
      EXPECT_EQ(item.tabIndex.value_or(-1), expected.tab);
      std::wstring saved;
      for (const SavedProperty& property : item.saved.bag) {
        saved += (saved.empty() ? L"" : L" ") + std::wstring(property.name) + L"=" + ValueText(property);
      }
      EXPECT_EQ(saved, expected.saved) << Narrow(saved);
    }
  }
}

TEST(Catalogue, TheRichTextIsOneParagraphInMsSansSerifAt17HalfPoints) {
  const FormDescription form = kit::hosts::probe_richtx32::kForm;
  std::wstring rtf;
  for (const SavedProperty& property : form[1].saved.bag) {
    if (property.name == L"TextRTF") rtf = std::get<std::wstring_view>(property.value);
  }
  for (const wchar_t* fact : {L"\\ansicpg1252", L"\\deflang1033", L"\\fcharset0 MS Sans Serif;", L"\\fs17 RichTextBox1\\par"}) {
    EXPECT_NE(rtf.find(fact), std::wstring::npos) << Narrow(fact) << " in " << Narrow(rtf);
  }
  EXPECT_EQ(rtf.find(L"\\par "), rtf.rfind(L"\\par ")) << "one paragraph";
}

}  // namespace
