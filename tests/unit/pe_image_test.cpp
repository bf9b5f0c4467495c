// The program-file reader against real files of the platform (Wine's own 64-bit libraries, which
// the test machine installs with Wine), and against every cut of one: a damaged file gives a
// reason or less, never a read outside its bytes (the native tests run under AddressSanitizer).
#include "diagnosis/pe_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

namespace {
using kit::diagnosis::PeImage;
using kit::diagnosis::PeMachine;
using kit::diagnosis::ReadPeImage;

constexpr char kWineLibraries[] = "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/";

std::vector<std::uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
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
  EXPECT_EQ(ReadPeImage({}).error, "not a program file (no MZ header)");
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

}  // namespace
