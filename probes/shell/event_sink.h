// Win32-only. The form listening to a hosted control's events, as a compiled form does even when
// it handles none of them: the control's default source interface, found through its class
// information, is advised with a sink that accepts every member; the connection is undone before
// the control closes. Controls that raise events through a connection point expect someone on it.
#pragma once

#include "common/win32.h"

#include <ocidl.h>
#include <wrl/client.h>

namespace kit::shell {

class EventConnection {
public:
  EventConnection() = default;
  EventConnection(const EventConnection&) = delete;
  EventConnection& operator=(const EventConnection&) = delete;
  ~EventConnection() { Disconnect(); }

  // S_OK when connected; S_FALSE when the control's class says it raises no events (no class
  // information, or no default source interface); the failure when it says it does but its
  // connection point cannot be found or refuses the sink.
  HRESULT Connect(IUnknown* control);
  // Unadvises, once; nothing when not connected.
  void Disconnect();

private:
  Microsoft::WRL::ComPtr<IConnectionPoint> m_point;
  DWORD m_cookie = 0;
};

// The sink alone, for the tests: accepts every member of `events` and of IDispatch.
Microsoft::WRL::ComPtr<IDispatch> CreateEventSink(REFIID events);

}  // namespace kit::shell
