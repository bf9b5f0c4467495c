// The resources of every program of both Windows builds, read the way Windows reads them: the
// version resource (fixed part, translation, strings), the icon group of three images and the
// application manifest.
//   kit_resource_tests.exe BUILD_DIR...   (Linux paths of build folders holding kit_programs.txt)
#include "tests/support/driver_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <vector>

namespace {
using kit::driver::Narrow;

struct ProgramRow {
  std::wstring exe;
  std::wstring name;
  std::wstring productName;
  bool hasCompany = false;
  bool dpiAware = false;
};

std::vector<std::string> g_builds;

std::vector<ProgramRow> ReadPrograms(const std::string& build) {
  std::vector<ProgramRow> rows;
  std::ifstream in(Narrow(kit::driver::FromUnixPath(std::wstring(build.begin(), build.end()) + L"/kit_programs.txt")));
  for (std::string line; std::getline(in, line);) {
    std::stringstream cells(line);
    std::string name, product, company, traits;
    std::getline(cells, name, '|');
    std::getline(cells, product, '|');
    std::getline(cells, company, '|');
    std::getline(cells, traits, '|');
    if (name.empty()) continue;
    const std::wstring wname(name.begin(), name.end());
    rows.push_back({kit::driver::FromUnixPath(std::wstring(build.begin(), build.end()) + L"/bin/" + wname + L".exe"),
                    wname, std::wstring(product.begin(), product.end()), company == "yes",
                    (" " + traits + " ").find(" dpi-aware ") != std::string::npos});
  }
  return rows;
}

std::optional<std::wstring> VersionString(const std::vector<BYTE>& block, const std::wstring& key) {
  void* value = nullptr;
  UINT length = 0;
  const std::wstring path = L"\\StringFileInfo\\040904B0\\" + key;
  if (!VerQueryValueW(block.data(), path.c_str(), &value, &length) || !value) return std::nullopt;
  return std::wstring(static_cast<const wchar_t*>(value));
}

#pragma pack(push, 2)
struct GroupIconEntry {
  BYTE width, height, colours, reserved;
  WORD planes, bitCount;
  DWORD bytes;
  WORD id;
};
struct GroupIconHeader {
  WORD reserved, type, count;
};
#pragma pack(pop)

void CheckVersion(const ProgramRow& row) {
  SCOPED_TRACE(Narrow(row.exe));
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeW(row.exe.c_str(), &handle);
  ASSERT_GT(size, 0u) << "no version resource, error " << GetLastError();
  std::vector<BYTE> block(size);
  ASSERT_TRUE(GetFileVersionInfoW(row.exe.c_str(), 0, size, block.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0u);
  EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u);
  EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
  WORD* translation = nullptr;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                             &length));
  ASSERT_EQ(length, 4u) << "one translation entry";
  EXPECT_EQ(translation[0], 0x0409);
  EXPECT_EQ(translation[1], 1200);
  EXPECT_EQ(VersionString(block, L"FileVersion").value_or(L"<none>"), L"1.00");
  EXPECT_EQ(VersionString(block, L"ProductVersion").value_or(L"<none>"), L"1.00");
  EXPECT_EQ(VersionString(block, L"InternalName").value_or(L"<none>"), row.name);
  EXPECT_EQ(VersionString(block, L"OriginalFilename").value_or(L"<none>"), row.name + L".exe");
  EXPECT_EQ(VersionString(block, L"ProductName").value_or(L"<none>"), row.productName);
  const auto company = VersionString(block, L"CompanyName");
  EXPECT_EQ(company.has_value(), row.hasCompany);
  if (company) {
    EXPECT_FALSE(company->empty());
  }
}

void CheckIcons(const ProgramRow& row) {
  SCOPED_TRACE(Narrow(row.exe));
  HMODULE module = LoadLibraryExW(row.exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr) << "error " << GetLastError();
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), RT_GROUP_ICON);
  ASSERT_NE(found, nullptr) << "no icon group 1";
  const auto* header = static_cast<const GroupIconHeader*>(LockResource(LoadResource(module, found)));
  ASSERT_NE(header, nullptr);
  ASSERT_EQ(header->count, 3);
  const auto* entries = reinterpret_cast<const GroupIconEntry*>(header + 1);
  struct Expected {
    int size, colours, bits;
  } expected[] = {{32, 2, 1}, {32, 16, 4}, {16, 16, 4}};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(entries[i].width, expected[i].size) << i;
    EXPECT_EQ(entries[i].height, expected[i].size) << i;
    EXPECT_EQ(entries[i].colours, expected[i].colours) << i;
    EXPECT_EQ(entries[i].bitCount, expected[i].bits) << i;
    EXPECT_NE(FindResourceW(module, MAKEINTRESOURCEW(entries[i].id), RT_ICON), nullptr) << "image " << i;
  }
  FreeLibrary(module);
}

// The manifest as the loader takes it at start (resource 1 of type RT_MANIFEST): run as the
// invoker, so writes are never redirected to the virtual store, in the form XP accepts; DPI
// awareness only where the table asks for it; no common controls 6, which would change the look.
void CheckManifest(const ProgramRow& row) {
  SCOPED_TRACE(Narrow(row.exe));
  HMODULE module = LoadLibraryExW(row.exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr) << "error " << GetLastError();
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST);
  const char* bytes = found ? static_cast<const char*>(LockResource(LoadResource(module, found))) : nullptr;
  const std::string text = bytes ? std::string(bytes, SizeofResource(module, found)) : std::string();
  FreeLibrary(module);
  ASSERT_FALSE(text.empty()) << "no manifest resource 1";
  const auto has = [&](const char* fragment) { return text.find(fragment) != std::string::npos; };
  const char* required[] = {
      R"(<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">)",
      R"(<assemblyIdentity type="win32")",
      R"(<trustInfo xmlns="urn:schemas-microsoft-com:asm.v3">)",
      R"(<requestedExecutionLevel level="asInvoker" uiAccess="false"/>)",
  };
  for (const char* fragment : required) EXPECT_TRUE(has(fragment)) << "lacks " << fragment << " in:\n" << text;
  EXPECT_EQ(has(R"(<dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">true</dpiAware>)"),
            row.dpiAware)
      << text;
  EXPECT_FALSE(has("Common-Controls")) << text;
  // The loader's own parser takes it: an activation context is made from the program's resource.
  ACTCTXW context = {};
  context.cbSize = sizeof(context);
  context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
  context.lpSource = row.exe.c_str();
  context.lpResourceName = MAKEINTRESOURCEW(1);
  HANDLE made = CreateActCtxW(&context);
  EXPECT_NE(made, INVALID_HANDLE_VALUE) << "the loader refuses the manifest, error " << GetLastError();
  if (made != INVALID_HANDLE_VALUE) ReleaseActCtx(made);
}

TEST(ProgramResources, EveryProgramOfBothBuildsCarriesItsVersionIconsAndManifest) {
  ASSERT_FALSE(g_builds.empty()) << "name the build folders on the command line";
  for (const std::string& build : g_builds) {
    const auto programs = ReadPrograms(build);
    ASSERT_FALSE(programs.empty()) << "no programs listed in " << build << " (is it built?)";
    for (const ProgramRow& row : programs) {
      CheckVersion(row);
      CheckIcons(row);
      CheckManifest(row);
    }
  }
}

TEST(ProgramResources, TheTableGivesTheStringsThePeopleExpect) {
  // A few rows spelled out, so a mistake in the table itself shows.
  ASSERT_FALSE(g_builds.empty());
  const auto programs = ReadPrograms(g_builds.front());
  for (const ProgramRow& row : programs) {
    if (row.name == L"probe_base") {
      EXPECT_EQ(row.productName, L"Project_base");
      EXPECT_TRUE(row.hasCompany);
    }
    EXPECT_EQ(row.dpiAware, row.name == L"kit_survey") << Narrow(row.name);
  }
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i) g_builds.emplace_back(argv[i]);
  return RUN_ALL_TESTS();
}
