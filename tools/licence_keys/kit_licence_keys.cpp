// Win32-only. kit_licence_keys: the maker's tool, not shipped to customers. Run once on a
// development machine that holds the design-time licences, it asks every class the catalogue's
// programs create by identifier (the controls, the service probes' classes) for its run-time key
// and writes the keys into the key file the build embeds. Keys already in the file for classes
// this machine cannot answer for are kept.
//   kit_licence_keys [KEY_FILE]        (default: licence_keys.txt in the current folder)
#include "catalogue/programs.h"
#include "common/utf8_text.h"
#include "common/com_values.h"
#include "common/error_text.h"
#include "common/whole_file.h"
#include "licence/licence_keys.h"

#include <objbase.h>
#include <ocidl.h>
#include <olectl.h>
#include <wrl/client.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {
using Microsoft::WRL::ComPtr;
using kit::licence::LicenceKey;

struct LicensedClass {
  std::wstring name;
  std::wstring classId;
};

// Every class a program of the kit creates by its identifier, once.
std::vector<LicensedClass> ClassesTheKitCreates() {
  std::vector<LicensedClass> classes;
  for (const kit::catalogue::KitProgram& program : kit::catalogue::AllPrograms()) {
    kit::catalogue::ForEachUse(program, [&](const kit::catalogue::Use& use) {
      if (use.reach != kit::catalogue::Reach::ClassId) return;
      for (const LicensedClass& known : classes) {
        if (known.classId == use.part.classId) return;
      }
      classes.push_back({std::wstring(use.part.progId), std::wstring(use.part.classId)});
    });
  }
  return classes;
}

std::string Code(HRESULT hr) {
  std::string code = "(";
  code += kit::ToUtf8(kit::FormatErrorNumber(static_cast<std::uint32_t>(hr)));
  return code + ")";
}

// Asks one class for its run-time key: the key, or empty with what the class said in `said`.
std::wstring AskForKey(const LicensedClass& entry, std::string& said) {
  CLSID classId{};
  if (FAILED(CLSIDFromString(const_cast<LPOLESTR>(entry.classId.c_str()), &classId))) {
    said = "not a class identifier";
    return {};
  }
  ComPtr<IClassFactory> factory;
  HRESULT hr = CoGetClassObject(classId, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, &factory);
  if (FAILED(hr)) {
    said = "not available on this machine " + Code(hr);
    return {};
  }
  ComPtr<IClassFactory2> licensing;
  if (FAILED(factory.As(&licensing))) {
    said = "not licensed: it needs no key";
    return {};
  }
  LICINFO info{};
  info.cbLicInfo = sizeof(info);
  if (FAILED(licensing->GetLicInfo(&info)) || !info.fRuntimeKeyAvail) {
    said = "licensed, but it offers no run-time key";
    return {};
  }
  kit::UniqueBstr key;
  hr = licensing->RequestLicKey(0, key.put());
  const std::wstring text = key.str();
  if (FAILED(hr) || text.empty()) {
    said = "licensed, but this machine holds no design-time licence for it " + Code(FAILED(hr) ? hr : E_FAIL);
    return {};
  }
  if (text.find_first_of(L"\r\n") != std::wstring::npos) {
    said = "its key holds a line break, which the key file cannot carry";
    return {};
  }
  said = "key written";
  return text;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring path = argc > 1 ? argv[1] : L"licence_keys.txt";
  if (FAILED(CoInitialize(nullptr))) {
    std::fputs("kit_licence_keys: COM could not be started\n", stderr);
    return 2;
  }
  std::vector<LicenceKey> keys = kit::licence::ParseLicenceKeys(kit::ReadWholeFile(path));
  int written = 0;
  for (const LicensedClass& entry : ClassesTheKitCreates()) {
    std::string said;
    const std::wstring key = AskForKey(entry, said);
    std::printf("%s %s: %s\n", kit::ToUtf8(entry.name).c_str(), kit::ToUtf8(entry.classId).c_str(), said.c_str());
    if (key.empty()) continue;
    kit::licence::PutLicenceKey(keys, {kit::ToUtf8(entry.classId), kit::ToUtf8(key)});
    ++written;
  }
  CoUninitialize();
  std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
  out << kit::licence::FormatLicenceKeys(keys);
  out.close();
  if (!out) {
    std::fprintf(stderr, "kit_licence_keys: %s could not be written\n", kit::ToUtf8(path).c_str());
    return 1;
  }
  std::printf("kit_licence_keys: %d keys from this machine, %zu in %s\n", written, keys.size(), kit::ToUtf8(path).c_str());
  return 0;
}
