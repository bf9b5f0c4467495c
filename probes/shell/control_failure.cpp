// The failure report of a control that cannot be created: the diagnosis from the stage, the
// code and the class's registration.
#include "probes/shell/control_failure.h"

#include "common/error_text.h"
#include "common/number_text.h"

namespace kit::shell {
namespace {

// The loader's "module not found", as a Win32 code and as the HRESULT COM hands on.
constexpr std::uint32_t kModuleNotFound = 126;
constexpr std::uint32_t kModuleNotFoundResult = 0x8007007Eu;
constexpr std::uint32_t kFileNotFoundResult = 0x80070002u;
constexpr std::uint32_t kClassNotRegistered = 0x80040154u;
// CLASS_E_NOTLICENSED: the licensing class factory refuses the instance.
constexpr std::uint32_t kClassNotLicensed = 0x80040112u;

std::wstring WhatFailed(const ItemRecord& item, CreationStage stage, std::uint32_t code,
                        const ClassRegistration& registration) {
  switch (stage) {
    case CreationStage::ClientSite:
      return L"it refused its client site";
    case CreationStage::LoadProperties:
      return L"it refused its saved properties";
    case CreationStage::Events:
      return L"it refused the connection for its events";
    case CreationStage::Activate:
      return L"it could not be placed in the window";
    case CreationStage::Create:
      break;
  }
  if (!registration.registered || code == kClassNotRegistered) {
    return L"its class " + std::wstring(item.control.classId) + L" is not registered";
  }
  if (!registration.serverExists) return L"its file " + registration.serverPath + L" is missing";
  if (code == kClassNotLicensed) {
    return item.control.licenceKey.empty()
               ? L"its class is registered and its file loads, but it refuses to be created without a licence key "
                 L"on this machine"
               : L"its class is registered and its file loads, but it refuses the licence key this program carries";
  }
  if (code == kModuleNotFound || code == kModuleNotFoundResult || code == kFileNotFoundResult) {
    return L"a file it needs is missing (" + registration.serverPath + L" is there)";
  }
  return L"creating it failed";
}

}  // namespace

std::wstring ServerPathFromRegistry(std::wstring_view value) {
  // A path with spaces is often registered in quotes; what follows the closing quote (arguments
  // some installers leave) is no part of the file name.
  if (!value.empty() && value.front() == L'"') {
    value.remove_prefix(1);
    value = value.substr(0, value.find(L'"'));
  }
  return std::wstring(value);
}

std::wstring ControlFailureText(const ItemRecord& item, CreationStage stage, std::uint32_t code,
                                std::wstring_view description, const ClassRegistration& registration) {
  std::wstring text = std::wstring(item.control.componentFile) + L"\r\n\r\nThe control " +
                      std::wstring(item.control.progId) + L" (" + std::wstring(item.name);
  if (item.index) text += L"(" + kit::Decimal(*item.index) + L")";
  text += L") could not be created: " + WhatFailed(item, stage, code, registration) + L".\r\n" +
          std::wstring(description);
  const std::wstring number = FormatErrorNumber(code);
  if (description.find(number) == std::wstring_view::npos) text += L" (" + number + L")";
  return text;
}

}  // namespace kit::shell
