// Dravon_DLLVer: the 54 components of a Dravon installation, repeats included, letter case as
// the product's installers name them.
#include "verifier/settings.h"

namespace kit::verifier {
namespace {

constexpr std::wstring_view kDravonComponents[] = {
    L"advpack.dll",           L"asycfilt.dll",          L"comcat.dll",
    L"msvbvm60.dll",          L"oleaut32.dll",          L"olepro32.dll",
    L"stdole2.tlb",           L"GRAPH32.OCX",           L"GRAPHS32.OCX",
    L"GSPROP32.DLL",          L"GSWAG32.DLL",           L"GSWDLL32.DLL",
    L"MSVCP71.DLL",           L"MSVCR71.DLL",           L"MSVCRT.DLL",
    L"COMDLG32.OCX",          L"GRID32.OCX",            L"SPIN32.OCX",
    L"TABCTL32.OCX",          L"THREED32.OCX",          L"MSFLXGRD.OCX",
    L"COMCTL32.OCX",          L"MSCOMCT2.OCX",          L"RICHTX32.OCX",
    L"VEL_Intel_Win32.dll",   L"VELVBUtils.dll",        L"VELcdg.dll",
    L"VELControlResizer.dll", L"VELGraphControl.ocx",   L"VELRotation.ocx",
    L"VELSelectDir.ocx",      L"VELSplitter.ocx",       L"VELVBTreeView.ocx",
    L"VELEditControl.ocx",    L"VELFileView.ocx",       L"VELGSMUtility.ocx",
    L"VELPointTransform.ocx", L"VELProjection.ocx",     L"VELSEGYUtility.ocx",
    L"VELGridViewer32.dll",   L"VELDGridFileSelector.dll", L"VELProfileModeller.dll",
    L"MFC40.dll",             L"MSVCRT40.DLL",          L"ADVAPI32.dll",
    L"olepro32.dll",          L"oleaut32.dll",          L"GDI32.dll",
    L"WSOCK32.dll",           L"COMDLG32.dll",          L"COMCTL32.dll",
    L"WININET.dll",           L"msvbvm60.dll",          L"advpack.dll",
};
static_assert(std::size(kDravonComponents) == 54);

constexpr VerifierSettings kDravon{
    .components = kDravonComponents,
    .logFileName = L"DLLver.log",
    .clientWidth = 16570,
    .clientHeight = 13290,
    .fontFace = L"Arial",
    .fontPoints = 8.0,
    .fontBold = true,
};

}  // namespace

const VerifierSettings& DravonSettings() { return kDravon; }

}  // namespace kit::verifier
