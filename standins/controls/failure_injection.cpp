// Win32-only (the environment); the parsing itself is plain.
#include "standins/controls/failure_injection.h"

#include "common/letter_case.h"
#include "common/win32.h"

#include <string>

namespace kit::standin {
namespace {

std::wstring_view StageName(FailureStage stage) {
  switch (stage) {
    case FailureStage::Create: return L"create";
    case FailureStage::Load: return L"load";
    case FailureStage::Activate: return L"activate";
    case FailureStage::Extent: return L"extent";
    case FailureStage::Leak: return L"leak";
    case FailureStage::NoFace: return L"noface";
    case FailureStage::Licensed: return L"licensed";
    case FailureStage::NoTabStop: return L"notabstop";
    case FailureStage::KeyHook: return L"keyhook";
    case FailureStage::NeedsSite: return L"needsite";
    case FailureStage::ClipSiblings: return L"clipsiblings";
    case FailureStage::SiteEx: return L"sitex";
    case FailureStage::PosRect: return L"posrect";
    case FailureStage::StorageOnly: return L"storageonly";
    case FailureStage::ShowsNothing: return L"showsnothing";
    case FailureStage::EarlyActive: return L"earlyactive";
    case FailureStage::UseRegistry: return L"usereg";
    case FailureStage::PumpsOnClose: return L"pumpsonclose";
    case FailureStage::WantsTab: return L"wanttab";
    case FailureStage::HandsBack: return L"handsback";
    case FailureStage::NoFocus: return L"nofocus";
    case FailureStage::Reflector: return L"reflector";
    case FailureStage::WalkControls: return L"walkcontrols";
    case FailureStage::MoveSibling: return L"movesibling";
    case FailureStage::Transform: return L"transform";
    case FailureStage::SameContainer: return L"samecontainer";
    case FailureStage::Events: return L"event";
    case FailureStage::NoAdvise: return L"noadvise";
    case FailureStage::ClassInfoOnly: return L"classinfoonly";
    case FailureStage::PropsFirst: return L"propsfirst";
    case FailureStage::RefuseSite: return L"refusesite";
    case FailureStage::Mnemonic: return L"mnemonic";
    case FailureStage::ShowOnly: return L"showonly";
    case FailureStage::Crash: return L"crash";
    case FailureStage::CrashOnClose: return L"crashonclose";
    case FailureStage::SlowClose: return L"slowclose";
    case FailureStage::LateMessage: return L"latemessage";
    case FailureStage::NagBox: return L"nagbox";
    case FailureStage::OwnClassBox: return L"ownclassbox";
    case FailureStage::HiddenDialog: return L"hiddendialog";
    case FailureStage::OtherProcess: return L"otherprocess";
  }
  return {};
}

}  // namespace

bool SettingRequests(std::wstring_view setting, std::wstring_view progId, FailureStage stage) {
  while (!setting.empty()) {
    const std::size_t end = setting.find(L';');
    const std::wstring_view entry = setting.substr(0, end);
    // A ProgID holds dots but never a colon: the last colon ends it.
    const std::size_t colon = entry.rfind(L':');
    // ProgIDs are looked up case-insensitively by COM; the setting follows suit.
    if (colon != std::wstring_view::npos && SameNoCase(entry.substr(0, colon), progId) &&
        SameNoCase(entry.substr(colon + 1), StageName(stage))) {
      return true;
    }
    if (end == std::wstring_view::npos) break;
    setting.remove_prefix(end + 1);
  }
  return false;
}

bool FailureRequested(std::wstring_view progId, FailureStage stage) {
  wchar_t setting[1024];
  const DWORD length = GetEnvironmentVariableW(L"KIT_CONTROL_FAIL", setting, ARRAYSIZE(setting));
  if (length == 0 || length >= ARRAYSIZE(setting)) return false;
  return SettingRequests(std::wstring_view(setting, length), progId, stage);
}

}  // namespace kit::standin
