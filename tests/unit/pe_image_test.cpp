// The program-file reader against real files of the platform (Wine's own 64-bit libraries, which
// the test machine installs with Wine), against every cut of one, and against small images built
// here for what Wine's files do not show (forwarders by number, a library's own manifest, hostile
// tables): a damaged file gives a reason or less, never a read outside its bytes (the native tests
// run under AddressSanitizer).
#include "diagnosis/manifest_text.h"
#include "diagnosis/pe_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string_view>

namespace {
using kit::diagnosis::ForwarderOf;
using kit::diagnosis::ImportedFunction;
using kit::diagnosis::PeImage;
using kit::diagnosis::PeMachine;
using kit::diagnosis::ReadPeImage;

constexpr char kWineLibraries[] = "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/";

std::vector<std::uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return {};
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(in.tellg()));
  in.seekg(0);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return bytes;
}

// A 64-bit program file of one section, at address 0x1000 and at 0x200 in the file, holding what a
// test puts at its addresses.
class SyntheticImage {
public:
  static constexpr std::uint32_t kSection = 0x1000;

  explicit SyntheticImage(bool dll) {
    Store(m_headers, 0, 0x5A4D, 2);             // MZ
    Store(m_headers, 0x3C, 0x40, 4);            // where "PE\0\0" is
    Store(m_headers, 0x40, 0x00004550, 4);
    Store(m_headers, 0x44, 0x8664, 2);          // machine
    Store(m_headers, 0x46, 1, 2);               // sections
    Store(m_headers, 0x54, 240, 2);             // optional header size
    Store(m_headers, 0x56, dll ? 0x2022 : 0x0022, 2);
    Store(m_headers, 0x58, 0x20B, 2);           // PE32+
    Store(m_headers, 0x58 + 108, 16, 4);        // directories
  }
  void Put(std::uint32_t rva, std::uint64_t value, int size) { Store(m_section, rva - kSection, value, size); }
  void Text(std::uint32_t rva, std::string_view text) {
    for (std::size_t i = 0; i <= text.size(); ++i) {
      Put(rva + static_cast<std::uint32_t>(i), i < text.size() ? text[i] : 0, 1);
    }
  }
  void Directory(std::uint32_t index, std::uint32_t rva, std::uint32_t size) {
    Store(m_headers, 0x58 + 112 + index * 8, rva, 4);
    Store(m_headers, 0x58 + 112 + index * 8 + 4, size, 4);
  }
  std::vector<std::uint8_t> Bytes() const {
    std::vector<std::uint8_t> bytes = m_headers;
    constexpr std::size_t kTable = 0x58 + 240;
    const auto size = static_cast<std::uint32_t>(m_section.size());
    Store(bytes, kTable + 8, size, 4);
    Store(bytes, kTable + 12, kSection, 4);
    Store(bytes, kTable + 16, size, 4);
    Store(bytes, kTable + 20, 0x200, 4);
    bytes.insert(bytes.end(), m_section.begin(), m_section.end());
    return bytes;
  }

private:
  static void Store(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint64_t value, int size) {
    if (bytes.size() < at + size) bytes.resize(at + size);
    for (int i = 0; i < size; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
  }

  std::vector<std::uint8_t> m_headers = std::vector<std::uint8_t>(0x200), m_section;
};

// Manifests (type 24) of the given ids, one language each, under a resource root at `root`.
void PutManifests(SyntheticImage& image, std::uint32_t root,
                  const std::vector<std::pair<std::uint16_t, std::string>>& manifests) {
  image.Put(root + 14, 1, 2);
  image.Put(root + 16, 24, 4);
  image.Put(root + 20, 0x80000000u | 0x18, 4);
  image.Put(root + 0x18 + 14, manifests.size(), 2);
  for (std::uint32_t k = 0; k < manifests.size(); ++k) {
    const std::uint32_t language = 0x100 + k * 0x100;
    image.Put(root + 0x18 + 16 + k * 8, manifests[k].first, 4);
    image.Put(root + 0x18 + 20 + k * 8, 0x80000000u | language, 4);
    image.Put(root + language + 14, 1, 2);
    image.Put(root + language + 16, 0x409, 4);
    image.Put(root + language + 20, language + 0x18, 4);
    image.Put(root + language + 0x18, root + language + 0x28, 4);
    image.Put(root + language + 0x1C, manifests[k].second.size(), 4);
    image.Text(root + language + 0x28, manifests[k].second);
  }
}

const kit::diagnosis::ImportedLibrary* Import(const PeImage& image, const std::string& name) {
  for (const auto& library : image.imports) {
    if (std::equal(library.name.begin(), library.name.end(), name.begin(), name.end(),
                   [](char a, char b) { return std::tolower(a) == std::tolower(b); })) {
      return &library;
    }
  }
  return nullptr;
}

TEST(PeImage, APlatformLibraryReadsAsTheLoaderSeesIt) {
  const auto bytes = ReadFile(std::string(kWineLibraries) + "kernel32.dll");
  ASSERT_GT(bytes.size(), 4096u) << "Wine's 64-bit libraries are missing: run tools/install_deps.sh";
  const PeImage image = ReadPeImage(bytes);
  EXPECT_EQ(image.error, "");
  EXPECT_EQ(image.machine, PeMachine::Amd64);
  EXPECT_TRUE(image.isDll);
  EXPECT_TRUE(image.hasVersion);
  const auto* base = Import(image, "kernelbase.dll");
  ASSERT_TRUE(base);
  EXPECT_FALSE(base->delayed);
  EXPECT_TRUE(std::any_of(base->functions.begin(), base->functions.end(),
                          [](const auto& f) { return f.name == "CompareStringOrdinal"; }));
  EXPECT_NE(std::find(image.exportNames.begin(), image.exportNames.end(), "CreateFileW"), image.exportNames.end());
  EXPECT_GE(image.exportOrdinals.size(), image.exportNames.size());
}

TEST(PeImage, AnotherMachineIsNamedByItsFourDigitCode) {
  PeImage image;
  for (const auto& [code, text] : {std::pair{std::uint16_t{0x01C4}, L"for another machine (0x01C4)"},
                                   std::pair{std::uint16_t{0xAA64}, L"for another machine (0xAA64)"}}) {
    image.machineCode = code;
    EXPECT_EQ(kit::diagnosis::MachineText(image), text);
  }
}

TEST(PeImage, WhatIsNoProgramFileOrIsCutShortGivesAReason) {
  SyntheticImage image(true);
  image.Put(0x1FFF, 0, 1);  // a section of 4,096 bytes: the file is 4,608
  auto cut = image.Bytes();
  cut.pop_back();
  for (const auto& [bytes, error] : {
           std::pair{std::vector<std::uint8_t>{}, "an empty file (0 bytes)"},
           std::pair{std::vector<std::uint8_t>{'M'}, "not a program file (no MZ header)"},
           std::pair{cut, "a damaged program file (cut short: 4607 bytes, its sections need 4608)"},
       }) {
    EXPECT_EQ(ReadPeImage(bytes).error, error);
  }
  const std::string text = "MZ but then just text";
  EXPECT_NE(ReadPeImage({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}).error, "");
  const auto bytes = ReadFile(std::string(kWineLibraries) + "version.dll");
  ASSERT_GT(bytes.size(), 4096u);
  // Every cut, in steps that fall on every kind of field: no crash, and a short file says so or
  // gives only what its bytes hold.
  for (std::size_t size = 0; size < bytes.size(); size += 251) {
    const PeImage cut = ReadPeImage({bytes.data(), size});
    if (size < 512) {
      EXPECT_NE(cut.error, "") << size;
    }
  }
}

TEST(PeImage, EveryFileOfThePlatformReadsWholeAndUncut) {
  std::size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kWineLibraries)) {
    const PeImage image = ReadPeImage(ReadFile(entry.path().string()));
    EXPECT_EQ(image.error, "") << entry.path();
    EXPECT_FALSE(image.importsCut) << entry.path();
    ++files;
  }
  EXPECT_GT(files, 100u);
}

TEST(PeImage, ForwardedExportsNameTheLibraryAndFunctionTheLoaderGoesTo) {
  // Wine's kernel32 forwards to ntdll and kernelbase by name; forwarders by number, and texts that
  // are none, are built here.
  const PeImage kernel32 = ReadPeImage(ReadFile(std::string(kWineLibraries) + "kernel32.dll"));
  SyntheticImage built(true);
  built.Put(0x1010, 10, 4);       // numbers from 10
  built.Put(0x1014, 5, 4);        // functions
  built.Put(0x1018, 4, 4);        // names
  built.Put(0x101C, 0x1040, 4);   // addresses
  built.Put(0x1020, 0x1060, 4);   // names' addresses
  built.Put(0x1024, 0x1080, 4);   // names' function indexes
  const std::pair<std::uint32_t, std::string_view> functions[] = {
      {0x1100, "LIB.Named"}, {0x1110, "LIB.#12"}, {0x1120, "NoDot"}, {0x1130, "LIB."}, {0x1800, ""}};
  for (std::uint32_t i = 0; i < 5; ++i) {
    built.Put(0x1040 + i * 4, functions[i].first, 4);
    built.Text(functions[i].first, functions[i].second);
  }
  const std::pair<std::string_view, std::uint16_t> names[] = {{"Broken", 2}, {"Named", 0}, {"Own", 4}, {"Trailing", 3}};
  for (std::uint32_t i = 0; i < 4; ++i) {
    built.Put(0x1060 + i * 4, 0x1200 + i * 0x10, 4);
    built.Text(0x1200 + i * 0x10, names[i].first);
    built.Put(0x1080 + i * 2, names[i].second, 2);
  }
  built.Directory(0, 0x1000, 0x200);  // the texts at 0x1100..0x1130 lie inside it, 0x1800 does not
  const PeImage image = ReadPeImage(built.Bytes());
  ASSERT_EQ(image.error, "");
  EXPECT_EQ(image.exportNames, (std::vector<std::string>{"Broken", "Named", "Own", "Trailing"}));
  EXPECT_EQ(image.forwarders.size(), 2u);

  struct Case {
    const PeImage& image;
    ImportedFunction function;
    const char* library;  // null: not forwarded
    const char* forwarded;
    std::uint16_t ordinal;
  };
  for (const Case& c : std::initializer_list<Case>{
           {kernel32, {"AcquireSRWLockExclusive", 0}, "NTDLL.dll", "RtlAcquireSRWLockExclusive", 1},
           {kernel32, {"", 1}, "NTDLL.dll", "RtlAcquireSRWLockExclusive", 1},
           {kernel32, {"AppPolicyGetMediaFoundationCodecLoading", 0}, "kernelbase.dll",
            "AppPolicyGetMediaFoundationCodecLoading", 17},
           {kernel32, {"CreateFileW", 0}, nullptr, nullptr, 0},
           {image, {"Named", 0}, "LIB.dll", "Named", 10},
           {image, {"", 10}, "LIB.dll", "Named", 10},
           {image, {"", 11}, "LIB.dll", "#12", 11},
           {image, {"Broken", 0}, nullptr, nullptr, 0},
           {image, {"Trailing", 0}, nullptr, nullptr, 0},
           {image, {"Own", 0}, nullptr, nullptr, 0},
           {image, {"", 14}, nullptr, nullptr, 0},
       }) {
    const std::string label = c.function.name + "#" + std::to_string(c.function.ordinal);
    const PeImage::Forwarder* found = ForwarderOf(c.image, c.function);
    if (!c.library) {
      EXPECT_EQ(found, nullptr) << label << " forwarded to " << found->library << "!" << found->function;
      continue;
    }
    ASSERT_NE(found, nullptr) << label;
    EXPECT_EQ(found->library, c.library) << label;
    EXPECT_EQ(found->function, c.forwarded) << label;
    EXPECT_EQ(found->ordinal, c.ordinal) << label;
  }
}

TEST(PeImage, TheManifestIsTheOneTheLoaderTakesForAProgramOrALibrary) {
  auto build = [](bool dll, const std::vector<std::pair<std::uint16_t, std::string>>& manifests) {
    SyntheticImage image(dll);
    PutManifests(image, 0x2000, manifests);
    image.Directory(2, 0x2000, 0x1000);
    return ReadPeImage(image.Bytes());
  };
  struct Case {
    const char* what;
    PeImage image;
    std::uint16_t id;
    std::string_view starts;
  };
  for (const Case& c : std::initializer_list<Case>{
           {"a library with ids 1 and 2", build(true, {{1, "<one/>"}, {2, "<two/>"}}), 2, "<two/>"},
           {"a program with ids 1 and 2", build(false, {{1, "<one/>"}, {2, "<two/>"}}), 1, "<one/>"},
           {"a program with id 2 only", build(false, {{2, "<two/>"}}), 0, ""},
           // Wine's uxtheme carries its manifest as id 1, which no load of a library reads.
           {"Wine's uxtheme.dll", ReadPeImage(ReadFile(std::string(kWineLibraries) + "uxtheme.dll")), 0, ""},
           {"Wine's notepad.exe", ReadPeImage(ReadFile(std::string(kWineLibraries) + "notepad.exe")), 1, "<?xml"},
       }) {
    EXPECT_EQ(c.image.error, "") << c.what;
    EXPECT_EQ(c.image.manifestId, c.id) << c.what;
    EXPECT_EQ(c.image.manifest.substr(0, c.starts.size()), c.starts) << c.what;
    EXPECT_EQ(c.image.manifest.empty(), c.starts.empty()) << c.what << ": " << c.image.manifest;
  }
}

TEST(PeImage, AHostileImportTableIsReadOnlyUpToTheFilesCaps) {
  // 3,000 libraries at load and 3,000 delayed, every one naming the same list of 65,536 functions:
  // read whole, that is 393 million entries.
  constexpr std::uint32_t kNames = 0x1000, kThunks = 0x2000, kTable = kThunks + 65536 * 8 + 8,
                          kDelayed = kTable + 3001 * 20, kLibraries = 3000;
  SyntheticImage image(false);
  image.Text(kNames, "LIB.dll");
  image.Text(kNames + 0x10 + 2, "Function");
  for (std::uint32_t i = 0; i < 65536; ++i) image.Put(kThunks + i * 8, kNames + 0x10, 8);
  for (std::uint32_t i = 0; i < kLibraries; ++i) {
    image.Put(kTable + i * 20, kThunks, 4);
    image.Put(kTable + i * 20 + 12, kNames, 4);
    image.Put(kTable + i * 20 + 16, kThunks, 4);
    image.Put(kDelayed + i * 32 + 4, kNames, 4);
    image.Put(kDelayed + i * 32 + 16, kThunks, 4);
  }
  image.Put(kDelayed + kLibraries * 32 + 31, 0, 1);  // the delayed table's zero entry
  image.Directory(1, kTable, 0);
  image.Directory(13, kDelayed, 0);
  const auto bytes = image.Bytes();

  const auto start = std::chrono::steady_clock::now();
  const PeImage read = ReadPeImage(bytes);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::size_t functions = 0, delayed = 0;
  for (const auto& library : read.imports) {
    functions += library.functions.size();
    delayed += library.delayed;
  }
  EXPECT_EQ(read.error, "");
  EXPECT_TRUE(read.importsCut);
  EXPECT_EQ(read.imports.size(), 4096u);
  EXPECT_EQ(delayed, 4096u - kLibraries);
  EXPECT_EQ(functions, 65536u);
  EXPECT_LT(seconds, 5.0);  // bounded work: a second at most, even under the sanitizers
}

}  // namespace

namespace {

// The assemblies a manifest asks for, read from its text even where it does not parse: that is
// when the engineer needs the names.
TEST(ManifestText, NamesEveryDependentAssemblyAsItStands) {
  using kit::diagnosis::DependentAssemblies;
  const std::string common =
      R"(<assembly xmlns="urn:schemas-microsoft-com:asm.v1"><assemblyIdentity name="the.component" version="1.0.0.0"/>)"
      R"(<dependency><dependentAssembly><assemblyIdentity type="win32" name="Vendor.Runtime" version="9.0.21022.8" )"
      R"(processorArchitecture="x86" publicKeyToken="1fc8b3b9a1e18e3b"/></dependentAssembly></dependency>)";
  const struct {
    const char* what;
    std::string text;
    std::vector<std::string> assemblies;
  } cases[] = {
      {"one, with its processor", common + "</assembly>", {"Vendor.Runtime 9.0.21022.8 x86"}},
      {"two, the second in single quotes after a prefix",
       common + "<asmv1:dependency><asmv1:dependentAssembly><asmv1:assemblyIdentity name='kit.private' "
                "version = '2.1.0.0'/></asmv1:dependentAssembly></asmv1:dependency></assembly>",
       {"Vendor.Runtime 9.0.21022.8 x86", "kit.private 2.1.0.0"}},
      {"cut short inside the second", common + R"(<dependency><dependentAssembly><assemblyIdentity name="cut)",
       {"Vendor.Runtime 9.0.21022.8 x86"}},
      {"the component's own identity only", R"(<assembly><assemblyIdentity name="the.component"/></assembly>)", {}},
      {"no name", "<dependentAssembly><assemblyIdentity version=\"1.0.0.0\"/></dependentAssembly>", {}},
      {"a name in another attribute only", R"(<dependentAssembly><assemblyIdentity typename="x"/>)", {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DependentAssemblies(c.text), c.assemblies) << c.what;
  }
}

}  // namespace
