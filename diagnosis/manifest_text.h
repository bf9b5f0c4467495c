// Portable. The side-by-side assemblies a manifest asks for, read from its text as it stands: a
// manifest the system refuses to parse still names, to the engineer, what it wanted.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kit::diagnosis {

// "Name 1.2.3.4" (with " x86" or the like when it names a processor) for each dependent assembly's
// identity, in order; none for text that holds no such element.
std::vector<std::string> DependentAssemblies(std::string_view manifest);

}  // namespace kit::diagnosis
