// Portable. Not an XML parser: each <dependentAssembly> element's first <assemblyIdentity> is
// found by its name and its attributes read as name="value" or name='value', whatever namespace
// prefix the manifest gives them. Unterminated text ends the reading.
#include "diagnosis/manifest_text.h"

namespace kit::diagnosis {
namespace {

constexpr std::size_t kMostAssemblies = 64;

// The value of `attribute` inside the element text `element`; empty when it has none.
std::string Attribute(std::string_view element, std::string_view attribute) {
  for (std::size_t at = element.find(attribute); at != std::string_view::npos; at = element.find(attribute, at + 1)) {
    const bool starts = at == 0 || element[at - 1] == ' ' || element[at - 1] == '\t' || element[at - 1] == '\r' ||
                        element[at - 1] == '\n';
    std::size_t i = at + attribute.size();
    while (i < element.size() && (element[i] == ' ' || element[i] == '\t')) ++i;
    if (!starts || i >= element.size() || element[i] != '=') continue;
    ++i;
    while (i < element.size() && (element[i] == ' ' || element[i] == '\t')) ++i;
    if (i >= element.size() || (element[i] != '"' && element[i] != '\'')) continue;
    const std::size_t end = element.find(element[i], i + 1);
    if (end == std::string_view::npos) return {};
    return std::string(element.substr(i + 1, end - i - 1));
  }
  return {};
}

}  // namespace

std::vector<std::string> DependentAssemblies(std::string_view manifest) {
  std::vector<std::string> assemblies;
  std::size_t at = 0;
  while (assemblies.size() < kMostAssemblies) {
    at = manifest.find("dependentAssembly", at);
    if (at == std::string_view::npos) break;
    const std::size_t identity = manifest.find("assemblyIdentity", at);
    if (identity == std::string_view::npos) break;
    const std::size_t end = manifest.find('>', identity);
    if (end == std::string_view::npos) break;
    const std::string_view element = manifest.substr(identity, end - identity);
    at = end;
    const std::string name = Attribute(element, "name");
    if (name.empty()) continue;
    std::string text = name;
    if (const std::string version = Attribute(element, "version"); !version.empty()) text += " " + version;
    if (const std::string processor = Attribute(element, "processorArchitecture"); !processor.empty()) {
      text += " " + processor;
    }
    assemblies.push_back(std::move(text));
  }
  return assemblies;
}

}  // namespace kit::diagnosis
