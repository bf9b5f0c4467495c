// Win32-only. Stand-in for a scripting runtime whose file system object can be created but does
// not offer IFileSystem3. Registering it takes over the class name "Scripting.FileSystemObject";
// the tests give the name back to the real runtime afterwards.
#include "catalogue/classes.h"
#include "standins/services/common/standin_support.h"

namespace {
using namespace kit::standins;

constexpr CLSID kOldFileSystemClass = {0x6F1A3C52, 0x2D4B, 0x4E8A, {0x9B, 0x31, 0x5C, 0x0D, 0x7E, 0x42, 0xA1, 0x18}};
// The catalogue's texts are literals: their data ends in a NUL.
constexpr const wchar_t* kProgId = kit::catalogue::kFileSystemObject.progId.data();

// IUnknown and IDispatch only: no interface of its own.
class OldFileSystem final : public TypedObject<IDispatch> {
public:
  OldFileSystem() : TypedObject(L"FileSystemObject", nullptr) {}
};

HRESULT CreateOldFileSystem(const void*, REFIID iid, void** object) { return HandOut(new OldFileSystem(), iid, object); }

}  // namespace

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
  return GetClassObjectFor(clsid, kOldFileSystemClass, CreateOldFileSystem, iid, object);
}
STDAPI DllCanUnloadNow() { return CanUnloadNow(); }
STDAPI DllRegisterServer() { return RegisterServerClass(kOldFileSystemClass, kProgId); }
// Leaves the class name alone: it belongs to the real runtime again once that re-registers.
STDAPI DllUnregisterServer() { return UnregisterServerClass(kOldFileSystemClass, nullptr); }
