// Every class the kit's programs create, each with the ProgID that names it in messages, the class
// identifier it is created by and the file that holds it: the control hosts' controls, the dialog
// probe's control and the service probes' classes. Written here once: the probes, the stand-ins,
// the survey's diagnosis and the key tool read them.
#pragma once

#include "catalogue/form_model.h"

namespace kit::catalogue {
using shell::ControlClass;

inline constexpr ControlClass kGridViewer{L"VELGridViewer32.GridViewer", L"{B2D8E4B1-04C5-4D04-A3E7-A244C53F80C1}",
                                          L"VELGridViewer32.ocx"};
inline constexpr ControlClass kRichTextBox{L"RichTextLib.RichTextBox", L"{3B7C8860-D78F-101B-B9B5-04021C009402}",
                                           L"RICHTX32.OCX"};
inline constexpr ControlClass kSSCheck{L"Threed.SSCheck", L"{0BA686AA-F7D3-101A-993E-0000C0EF6F5E}", L"THREED32.OCX"};
inline constexpr ControlClass kSSFrame{L"Threed.SSFrame", L"{0BA686AF-F7D3-101A-993E-0000C0EF6F5E}", L"THREED32.OCX"};
inline constexpr ControlClass kSSOption{L"Threed.SSOption", L"{0BA686BE-F7D3-101A-993E-0000C0EF6F5E}",
                                        L"THREED32.OCX"};
inline constexpr ControlClass kToolbar{L"MSComctlLib.Toolbar", L"{66833FE6-8583-11D1-B16A-00C0F0283628}",
                                       L"MSCOMCTL.OCX"};
inline constexpr ControlClass kStatusBar{L"MSComctlLib.StatusBar", L"{8E3867A3-8586-11D1-B16A-00C0F0283628}",
                                         L"MSCOMCTL.OCX"};
inline constexpr ControlClass kProgressBar{L"MSComctlLib.ProgressBar", L"{35053A22-8589-11D1-B16A-00C0F0283628}",
                                           L"MSCOMCTL.OCX"};
inline constexpr ControlClass kTreeView{L"MSComctlLib.TreeView", L"{C74190B6-8589-11D1-B16A-00C0F0283628}",
                                        L"MSCOMCTL.OCX"};
inline constexpr ControlClass kSlider{L"MSComctlLib.Slider", L"{F08DF954-8592-11D1-B16A-00C0F0283628}",
                                      L"MSCOMCTL.OCX"};
inline constexpr ControlClass kEditControl{L"VELEditControl.EditControl", L"{0DF2F74E-5EF9-462D-B2AD-75D5A5EE5201}",
                                           L"VELEditControl.ocx"};
inline constexpr ControlClass kVBTreeView{L"VELVBTreeView.VBTreeView", L"{F25766D2-B513-4206-8D4C-E0DDDB59EC95}",
                                          L"VELVBTreeView.ocx"};
inline constexpr ControlClass kGraphControl{L"VELGraphControl.GraphControl",
                                            L"{C93FF3D5-EC9C-445A-9191-C5C02E36156B}", L"VELGraphControl.ocx"};
inline constexpr ControlClass kUpDown{L"MSComCtl2.UpDown", L"{603C7E80-87C2-11D1-8BE3-0000F8754DA1}", L"MSCOMCT2.OCX"};
inline constexpr ControlClass kMonthView{L"MSComCtl2.MonthView", L"{232E456A-87C3-11D1-8BE3-0000F8754DA1}",
                                         L"MSCOMCT2.OCX"};
inline constexpr ControlClass kDTPicker{L"MSComCtl2.DTPicker", L"{20DD1B9E-87C4-11D1-8BE3-0000F8754DA1}",
                                        L"MSCOMCT2.OCX"};
inline constexpr ControlClass kGraph{L"GraphLib.Graph", L"{0842D100-1E19-101B-9AAF-1A1626551E7C}", L"GRAPH32.OCX"};
inline constexpr ControlClass kFlexGrid{L"MSFlexGridLib.MSFlexGrid", L"{6262D3A0-531B-11CF-91F6-C2863C385E30}",
                                        L"MSFLXGRD.OCX"};
inline constexpr ControlClass kSSTab{L"TabDlg.SSTab", L"{BDC217C5-ED16-11CD-956C-0000C04E4C0A}", L"TABCTL32.OCX"};
inline constexpr ControlClass kFileView{L"VELFileView.FileView", L"{C5C3D413-E80D-4BC2-AC67-29DE92AEAF5A}",
                                        L"VELFileView.ocx"};
inline constexpr ControlClass kGrid{L"MSGrid.Grid", L"{A8C3B720-0B5A-101B-B22E-00AA0037B2FC}", L"GRID32.OCX"};
inline constexpr ControlClass kControlResizer{L"VELControlResizer.ControlResizer",
                                              L"{54FF8ABC-6A06-46ED-BA34-755864724256}", L"VELControlResizer.ocx"};
inline constexpr ControlClass kPointTransform{L"VELPointTransform.PointTransform",
                                              L"{37070041-D046-4AC7-85F1-92D120CFBC30}", L"VELPointTransform.ocx"};
inline constexpr ControlClass kSelectDir{L"VELSelectDir.SelectDir", L"{1359B87F-62BE-4A10-BD0B-8ACC3D51C4B1}",
                                         L"VELSelectDir.ocx"};
inline constexpr ControlClass kCoordProjection{L"VELCoordProjection.CoordProjection",
                                               L"{A809E268-EA07-4173-BCD0-057A8A49C9F6}", L"VELCoordProjection.ocx"};
inline constexpr ControlClass kSpinButton{L"Spin.SpinButton", L"{B16553C0-06DB-101B-85B2-0000C009BE81}",
                                          L"SPIN32.OCX"};
inline constexpr ControlClass kRotation{L"VELRotation.Rotation", L"{9CFA0ED9-427C-46F8-B1A8-45CAD07CB6D0}",
                                        L"VELRotation.ocx"};
inline constexpr ControlClass kProjection{L"VELProjection.Projection", L"{8F9660C8-74DC-41CC-B7E8-14F47998A67B}",
                                          L"VELProjection.ocx"};

// The dialog probe's control: invisible at run time, it shows the common dialogs.
inline constexpr ControlClass kCommonDialog{L"MSComDlg.CommonDialog", L"{F9043C85-F6F2-101A-A3C9-08002B2F49FB}",
                                            L"COMDLG32.OCX"};

// The service probes' classes, created from code.
inline constexpr ControlClass kAdoConnection{L"ADODB.Connection", L"{00000514-0000-0010-8000-00AA006D2EA4}",
                                             L"msado15.dll"};
inline constexpr ControlClass kDaoEngine{L"DAO.DBEngine.36", L"{00000100-0000-0010-8000-00AA006D2EA4}", L"dao360.dll"};
// Created by its ProgID, as a script does: the class is whichever the ProgID names.
inline constexpr ControlClass kFileSystemObject{L"Scripting.FileSystemObject", L"", L"scrrun.dll"};
// The maker's utility class; it has no ProgID the probe uses.
inline constexpr ControlClass kVbUtilsGlobal{L"", L"{57C7D739-3998-4D96-AF30-90908670522F}", L"VELVBUtils.dll"};
// The maker's native library, loaded by its file name.
inline constexpr std::wstring_view kVelIntelLibrary = L"VEL_Intel_Win32.dll";

// The font the saved properties name: "MS Sans Serif", 8 points, normal weight, character set 0.
inline constexpr shell::FontSpec kSansSerif8{.face = L"MS Sans Serif", .points = 8};

}  // namespace kit::catalogue
