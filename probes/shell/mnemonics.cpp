// Win32-only. The table is copied, not kept by its handle: the control owns the handle and may
// destroy it when its mnemonics change. Alt is read from the message itself (the system marks a
// key pressed with Alt in its lParam), Shift and Ctrl from the keyboard state.
#include "probes/shell/mnemonics.h"

#include <ocidl.h>
#include <wrl/client.h>

#include <cwctype>

namespace kit::shell {
namespace {

constexpr LPARAM kAltDown = LPARAM{KF_ALTDOWN} << 16;

bool Held(int key) { return GetKeyState(key) < 0; }

}  // namespace

void ControlMnemonics::Read(IUnknown* control) {
  m_count = 0;
  Microsoft::WRL::ComPtr<IOleControl> ole;
  if (!control || FAILED(control->QueryInterface(IID_IOleControl, &ole))) return;
  CONTROLINFO info{};
  info.cb = sizeof(info);
  if (FAILED(ole->GetControlInfo(&info)) || !info.hAccel || info.cAccel == 0) return;
  m_count = CopyAcceleratorTableW(info.hAccel, m_keys, kMost);
  if (m_count > kMost) m_count = kMost;
}

bool ControlMnemonics::Matches(const MSG& message) const {
  const bool keyDown = message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN;
  const bool character = message.message == WM_CHAR || message.message == WM_SYSCHAR;
  if (!keyDown && !character) return false;
  const bool alt = (message.lParam & kAltDown) != 0;
  for (int i = 0; i < m_count; ++i) {
    const ACCEL& key = m_keys[i];
    if (((key.fVirt & FALT) != 0) != alt) continue;
    if (key.fVirt & FVIRTKEY) {
      if (keyDown && message.wParam == key.key && ((key.fVirt & FCONTROL) != 0) == Held(VK_CONTROL) &&
          ((key.fVirt & FSHIFT) != 0) == Held(VK_SHIFT)) {
        return true;
      }
    } else if (character && std::towupper(static_cast<wint_t>(message.wParam)) == std::towupper(key.key)) {
      return true;
    }
  }
  return false;
}

}  // namespace kit::shell
