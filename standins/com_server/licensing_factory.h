// Win32-only. The class factory of a licensed class, as most makers ship theirs: it offers the
// licensing factory interface and creates an instance only when handed its run-time key, unless
// the machine holds a design-time licence. The stand-in's key is whatever KIT_LICENCE_KEY holds
// (tests set it; nothing here carries one); KIT_DESIGN_LICENCE=1 makes the machine a licensed
// development machine, where plain creation works and the factory hands its key out.
#pragma once

#include "standins/com_server/com_server.h"

#include <string_view>

namespace kit::comserver {

// Told of each licensing event: "licence missing", "licence refused", "licence accepted",
// "licence key handed out", "licence key withheld".
using LicenceJournal = void (*)(const void* context, std::wstring_view event);

// A licensing class factory that creates through `create` (given `context`).
HRESULT GetLicensingFactory(CreateFunction create, const void* context, LicenceJournal journal, REFIID iid,
                            void** object);

}  // namespace kit::comserver
