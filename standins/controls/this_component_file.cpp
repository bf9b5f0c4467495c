// Compiled once per stand-in DLL: KIT_STANDIN_FILE, set by the build, names the component file
// this DLL stands in for and so picks its row of the class table.
#include "standins/controls/module.h"

#ifndef KIT_STANDIN_FILE
#error "KIT_STANDIN_FILE names the component file this stand-in DLL is built as"
#endif

namespace kit::standin {

const ComponentFile* ThisComponentFile() {
  static const ComponentFile* const file = FindComponentFile(L"" KIT_STANDIN_FILE);
  return file;
}

}  // namespace kit::standin
