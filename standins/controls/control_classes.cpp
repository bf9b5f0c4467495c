// The class table of every component file the kit hosts controls from: the catalogue's classes,
// and what each stand-in adds of its own (invisibility, the names it reads). A stand-in DLL picks
// its own file from it by name; the build makes one DLL for each control host's component file in
// the catalogue, and each such file needs its row here.
#include "standins/controls/control_classes.h"

#include "catalogue/classes.h"
#include "common/letter_case.h"

#include <array>

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

constexpr StandinClass Serves(const shell::ControlClass& control, bool invisibleAtRunTime,
                              std::span<const wchar_t* const> savedNames) {
  // The catalogue's texts are literals: their data ends in a NUL.
  return {control.progId.data(), control.classId.data(), control.componentFile.data(), invisibleAtRunTime, savedNames};
}

// A component file's classes, all of which the catalogue places in that one file.
constexpr ComponentFile Holding(std::span<const StandinClass> classes) { return {classes.front().file, classes}; }

constexpr std::array kMscomctl{
    Serves(catalogue::kToolbar, kVisible, kExtent),
    Serves(catalogue::kStatusBar, kVisible, kExtent),
    Serves(catalogue::kProgressBar, kVisible, kExtent),
    Serves(catalogue::kTreeView, kVisible, kExtent),
    Serves(catalogue::kSlider, kVisible, kExtent)};
constexpr std::array kRichtx{
    Serves(catalogue::kRichTextBox, kVisible, kRichText)};
constexpr std::array kThreed{
    Serves(catalogue::kSSCheck, kVisible, kCaptionFont),
    Serves(catalogue::kSSFrame, kVisible, kCaptionFont),
    Serves(catalogue::kSSOption, kVisible, kCaptionFont)};
constexpr std::array kMscomct2{
    Serves(catalogue::kUpDown, kVisible, kExtent),
    Serves(catalogue::kMonthView, kVisible, kExtent),
    Serves(catalogue::kDTPicker, kVisible, kExtent)};
constexpr std::array kGraph32{
    Serves(catalogue::kGraph, kVisible, kExtent)};
constexpr std::array kFlexGrid{
    Serves(catalogue::kFlexGrid, kVisible, kExtentFont)};
constexpr std::array kTabctl{
    Serves(catalogue::kSSTab, kVisible, kTabs)};
constexpr std::array kGrid32{
    Serves(catalogue::kGrid, kVisible, kExtentFont)};
constexpr std::array kSpin32{
    Serves(catalogue::kSpinButton, kVisible, kExtent)};
constexpr std::array kGridViewer{
    Serves(catalogue::kGridViewer, kVisible, kVelTitleFont)};
constexpr std::array kEditControl{
    Serves(catalogue::kEditControl, kVisible, kVelExtent)};
constexpr std::array kTreeView{
    Serves(catalogue::kVBTreeView, kVisible, kVelExtent)};
constexpr std::array kGraphControl{
    Serves(catalogue::kGraphControl, kVisible, kGraph)};
constexpr std::array kFileView{
    Serves(catalogue::kFileView, kVisible, kVelExtent)};
constexpr std::array kResizer{Serves(catalogue::kControlResizer, kInvisible, kVelExtent)};
constexpr std::array kPointTransform{Serves(catalogue::kPointTransform, kVisible, kVelExtent)};
constexpr std::array kSelectDir{
    Serves(catalogue::kSelectDir, kVisible, kVelFont)};
constexpr std::array kCoordProjection{Serves(catalogue::kCoordProjection, kVisible, kVelExtent)};
constexpr std::array kRotation{
    Serves(catalogue::kRotation, kVisible, kVelExtent)};
constexpr std::array kProjection{
    Serves(catalogue::kProjection, kVisible, kVelExtent)};

constexpr std::array kFiles{
    Holding(kMscomctl),
    Holding(kRichtx),
    Holding(kThreed),
    Holding(kMscomct2),
    Holding(kGraph32),
    Holding(kFlexGrid),
    Holding(kTabctl),
    Holding(kGrid32),
    Holding(kSpin32),
    Holding(kGridViewer),
    Holding(kEditControl),
    Holding(kTreeView),
    Holding(kGraphControl),
    Holding(kFileView),
    Holding(kResizer),
    Holding(kPointTransform),
    Holding(kSelectDir),
    Holding(kCoordProjection),
    Holding(kRotation),
    Holding(kProjection)};

}  // namespace

std::span<const ComponentFile> AllComponentFiles() { return kFiles; }

const ComponentFile* FindComponentFile(std::wstring_view fileName) {
  for (const ComponentFile& file : kFiles) {
    if (SameNoCase(file.fileName, fileName)) return &file;
  }
  return nullptr;
}

}  // namespace kit::standin
