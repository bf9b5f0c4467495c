// Win32-only. The events of a stand-in control that has them: its class described by a type
// library built in memory (the coclass names its event dispinterface [default, source]), the
// connection point a container advises its sink on, and the one event (Click) it raises once it
// is active in place. These interfaces belong to the control: same identity, same reference count
// (the control hands them out from its QueryInterface and they forward IUnknown to it).
#pragma once

#include "common/win32.h"
#include "standins/controls/control_classes.h"

#include <ocidl.h>
#include <wrl/client.h>

#include <functional>
#include <string>
#include <vector>

namespace kit::standin {

enum class EventHabit {
  Events,         // IProvideClassInfo2 and a connection point that takes sinks
  NoAdvise,       // the same, but every sink is refused with CONNECT_E_CANNOTCONNECT
  ClassInfoOnly,  // only IProvideClassInfo: the source interface is found through the class info
};

// The class's event dispinterface: the stand-in's own number, made from the class identifier.
IID EventInterfaceOf(const StandinClass& entry);

class ControlEvents final : public IProvideClassInfo2, public IConnectionPointContainer {
public:
  ControlEvents(IUnknown* outer, const StandinClass& entry, EventHabit habit, std::function<std::wstring()> name);
  ~ControlEvents();
  ControlEvents(const ControlEvents&) = delete;
  ControlEvents& operator=(const ControlEvents&) = delete;

  // The control's QueryInterface asks here first: true (and a reference taken) for these interfaces.
  bool Offers(REFIID iid, void** object);
  // Raises Click on every sink advised; journals whether one heard it.
  void Raise();
  // The control is being closed: a sink still advised is journaled.
  void Closing();

  // IUnknown, forwarded to the control
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IProvideClassInfo, IProvideClassInfo2
  HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetGUID(DWORD kind, GUID* guid) override;
  // IConnectionPointContainer
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override;
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

  // For the connection point.
  HRESULT Advise(IUnknown* sink, DWORD* cookie);
  HRESULT Unadvise(DWORD cookie);
  IID EventInterface() const { return m_eventIid; }

private:
  void Journal(const std::wstring& line) const;

  IUnknown* m_outer;
  const StandinClass& m_entry;
  const EventHabit m_habit;
  const IID m_eventIid;
  std::function<std::wstring()> m_name;
  Microsoft::WRL::ComPtr<ITypeInfo> m_classInfo;
  struct Sink {
    DWORD cookie;
    Microsoft::WRL::ComPtr<IDispatch> sink;
  };
  std::vector<Sink> m_sinks;
  DWORD m_nextCookie = 1;
};

}  // namespace kit::standin
