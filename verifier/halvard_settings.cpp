// HalvardDLLVer: the 36 components of a Halvard installation, letter case as its installers
// name them.
#include "verifier/settings.h"

namespace kit::verifier {
namespace {

constexpr std::wstring_view kHalvardComponents[] = {
    L"atl71.dll",     L"dapxmlclient.dll", L"dotnettools.dll", L"ermapper_u.dll", L"hlvdist.dll",
    L"hlvgx.dll",     L"hlvgx_u.dll",      L"hlvgx_utf8.dll",  L"hlvnet.dll",     L"hlvxnet.dll",
    L"lfbmp14Nu.dll", L"LFCMP14Nu.dll",    L"lfeps14Nu.dll",   L"lffax14Nu.dll",  L"lfgif14Nu.dll",
    L"lfimg14Nu.dll", L"LFJ2K14Nu.dll",    L"lfpcx14Nu.dll",   L"Lfpng14Nu.dll",  L"lfpsd14Nu.dll",
    L"Lfsid14nu.dll", L"lftga14Nu.dll",    L"lftif14Nu.dll",   L"ltclr14Nu.dll",  L"LTDIS14Nu.dll",
    L"ltfil14Nu.dll", L"ltimg14Nu.dll",    L"ltkrn14Nu.dll",   L"mfc71.dll",      L"mfc71u.dll",
    L"msvcp71.dll",   L"msvcr71.dll",      L"NCScnet.dll",     L"NCSEcw.dll",     L"NCSUtil.dll",
    L"xceedcry.dll",
};
static_assert(std::size(kHalvardComponents) == 36);

constexpr VerifierSettings kHalvard{
    .components = kHalvardComponents,
    .logFileName = L"Halvard_DLLver.log",
    .clientWidth = 8710,
    .clientHeight = 10390,
    .fontFace = L"MS Sans Serif",
    .fontPoints = 8.0,
    .fontBold = true,
};

}  // namespace

const VerifierSettings& HalvardSettings() { return kHalvard; }

}  // namespace kit::verifier
