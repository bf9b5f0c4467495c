// Win32-only. Failures the host's bad-input tests ask a stand-in for, and the habits of real
// controls they switch on, through the environment: KIT_CONTROL_FAIL = "<ProgID>:<stage>",
// several separated by ';'. Only instances of the named class are affected, so one control of a
// form can fail or behave oddly while the others behave.
#pragma once

#include <string_view>

namespace kit::standin {

enum class FailureStage {
  Create,    // the class factory refuses the instance (E_OUTOFMEMORY)
  Load,      // loading saved properties or starting new fails (E_FAIL), after journaling
  Activate,  // DoVerb fails (E_FAIL) before anything is shown
  Extent,    // GetExtent answers a negative width, SetExtent fails
  Leak,      // the object keeps one reference of its own and never reaches zero
  NoFace,    // no property-bag persistence: the host must fall back to the stream interface
  Licensed,  // a licensing class factory: plain creation refused, KIT_LICENCE_KEY accepted
             // (standins/com_server/licensing_factory.h)
  // What real controls do that the plain stand-in does not:
  NoTabStop,     // its window carries no WS_TABSTOP
  KeyHook,       // keys only through its accelerator hook (journaled), none through its window
  NeedsSite,     // reads its container and extender while loading, fails to load without them
  ClipSiblings,  // its window clips its siblings (WS_CLIPSIBLINGS)
  SiteEx,        // activates only in an extended in-place site, after asking to run windowless
  PosRect,       // answers new rectangles by asking its site for a place of its own
  StorageOnly,   // persists only through a storage (no stream, no property bag)
  ShowsNothing,  // activates in place without fault but makes no window: nothing at its place
  EarlyActive,   // names its active object to the frame before it reports its UI activation
  UseRegistry,   // answers GetMiscStatus with "use the registry" (its flags are under its class key)
  PumpsOnClose,  // handles the thread's messages for a while inside its Close
  WantsTab,      // its window claims Tab and every other key through WM_GETDLGCODE
  HandsBack,     // its accelerator hook keeps the arrows and hands every other key to its site
  NoFocus,       // no UI activation, and its window passes the focus straight back (frames, bars)
  Reflector,     // its window lies inside a wrapper window of its own, which the container places
  // What controls written for a full form container do against their form (form_habits.h,
  // control_events.h), each journaled with what the form answered:
  WalkControls,   // walks Parent.Controls by index and by For Each
  MoveSibling,    // moves, hides, shows and widens the first other control through its extender
  Transform,      // converts a position and a size through its site's TransformCoords, both ways
  SameContainer,  // compares the identities of its extender, its Container and its frame's extender
  Events,         // has events: class info, a connection point, one event raised once active
  NoAdvise,       // has events, but refuses every sink (CONNECT_E_CANNOTCONNECT)
  ClassInfoOnly,  // has events, named only through IProvideClassInfo (no IProvideClassInfo2)
  PropsFirst,     // wants its saved properties before its client site, and refuses them after
  RefuseSite,     // refuses the client site it is given
  Mnemonic,       // a caption with an accelerator, announced through its site, answered in OnMnemonic
  ShowOnly,       // knows only the verbs Show and Hide
  // Faults met in the field, for the survey:
  Crash,         // crashes the program as the instance is created
  CrashOnClose,  // crashes the program when it is closed
  SlowClose,     // takes seconds to close
  LateMessage,   // shows an error box of its own shortly after it is shown
  // What real controls put on the desktop besides their form, for the survey's window watching:
  NagBox,        // an evaluation box owned by the form once shown, shown again each time it is answered
  OwnClassBox,   // a modal box of a window class of its own (no dialog class) once shown
  HiddenDialog,  // keeps a hidden dialog for its whole life, as a message sink
  OtherProcess,  // once shown, has another process show a window and waits for it to close
};

// Pure parsing, for the tests: does `setting` ask `progId` to fail at `stage`?
bool SettingRequests(std::wstring_view setting, std::wstring_view progId, FailureStage stage);
// Reads KIT_CONTROL_FAIL now.
bool FailureRequested(std::wstring_view progId, FailureStage stage);

}  // namespace kit::standin
