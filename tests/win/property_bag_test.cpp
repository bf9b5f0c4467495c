// The property bag a control reads its saved values from: natural types, conversions the control
// asks for, names that were never saved, font objects, and no bag left alive.
#include "common/com_values.h"
#include "catalogue/classes.h"
#include "probes/shell/property_bag.h"

#include <gtest/gtest.h>

#include <olectl.h>

namespace {
using namespace kit::shell;

constexpr SavedProperty kValues[] = {
    {L"_extentx", std::int32_t{5786}},
    {L"yaxismin", -99999.0f},
    {L"dozoom", false},
    {L"titlefont", kit::catalogue::kSansSerif8},
    {L"Caption", std::wstring_view{L"threed32"}},
};

class OleRuntime : public testing::Test {
protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
  void TearDown() override { OleUninitialize(); }
};

using PropertyBagRead = OleRuntime;

TEST_F(PropertyBagRead, GivesEachValueInItsNaturalType) {
  auto bag = CreatePropertyBag(kValues);
  ASSERT_TRUE(bag);
  kit::UniqueVariant value;
  ASSERT_EQ(bag->Read(L"_extentx", value.get(), nullptr), S_OK);
  EXPECT_EQ(value.get()->vt, VT_I4);
  EXPECT_EQ(value.get()->lVal, 5786);
  ASSERT_EQ(bag->Read(L"yaxismin", value.put(), nullptr), S_OK);
  EXPECT_EQ(value.get()->vt, VT_R4);
  EXPECT_EQ(value.get()->fltVal, -99999.0f);
  ASSERT_EQ(bag->Read(L"dozoom", value.put(), nullptr), S_OK);
  EXPECT_EQ(value.get()->vt, VT_BOOL);
  EXPECT_EQ(value.get()->boolVal, VARIANT_FALSE);
  ASSERT_EQ(bag->Read(L"caption", value.put(), nullptr), S_OK) << "names match regardless of case";
  EXPECT_EQ(value.get()->vt, VT_BSTR);
  EXPECT_STREQ(value.get()->bstrVal, L"threed32");
}

TEST_F(PropertyBagRead, FontsAreStandardFontObjects) {
  auto bag = CreatePropertyBag(kValues);
  kit::UniqueVariant value;
  ASSERT_EQ(bag->Read(L"titlefont", value.get(), nullptr), S_OK);
  ASSERT_EQ(value.get()->vt, VT_DISPATCH);
  IFont* font = nullptr;
  ASSERT_EQ(value.get()->pdispVal->QueryInterface(IID_IFont, reinterpret_cast<void**>(&font)), S_OK);
  kit::UniqueBstr face;
  CY size{};
  SHORT weight = 0;
  font->get_Name(face.put());
  font->get_Size(&size);
  font->get_Weight(&weight);
  font->Release();
  // Wine's font object answers with the font it realised (a stand-in face, 8.25 points), not
  // the one asked for; the weight and a size near 8 points are what survive.
  EXPECT_FALSE(face.str().empty());
  EXPECT_NEAR(static_cast<double>(size.int64) / 10000.0, 8.0, 0.5);
  EXPECT_EQ(weight, 400);
}

TEST_F(PropertyBagRead, ConvertsToTheTypeTheControlAsksFor) {
  auto bag = CreatePropertyBag(kValues);
  kit::UniqueVariant value;
  value.get()->vt = VT_BSTR;
  ASSERT_EQ(bag->Read(L"_extentx", value.get(), nullptr), S_OK);
  ASSERT_EQ(value.get()->vt, VT_BSTR);
  EXPECT_STREQ(value.get()->bstrVal, L"5786");
  value.put()->vt = VT_I2;
  ASSERT_EQ(bag->Read(L"dozoom", value.get(), nullptr), S_OK);
  EXPECT_EQ(value.get()->vt, VT_I2);
  EXPECT_EQ(value.get()->iVal, 0);
  value.put()->vt = VT_I4;
  const HRESULT impossible = bag->Read(L"Caption", value.get(), nullptr);
  EXPECT_EQ(impossible, DISP_E_TYPEMISMATCH) << std::hex << impossible;
}

TEST_F(PropertyBagRead, ANameNeverSavedIsRefusedAndNothingIsWritten) {
  auto bag = CreatePropertyBag(kValues);
  kit::UniqueVariant value;
  EXPECT_EQ(bag->Read(L"kitnotsaved", value.get(), nullptr), E_INVALIDARG);
  EXPECT_EQ(value.get()->vt, VT_EMPTY);
  EXPECT_EQ(bag->Read(L"_extent", value.get(), nullptr), E_INVALIDARG) << "no prefix matches";
  EXPECT_EQ(bag->Read(nullptr, value.get(), nullptr), E_POINTER);
  EXPECT_EQ(bag->Write(L"_extentx", value.get()), E_NOTIMPL);
}

TEST_F(PropertyBagRead, TheLastReleaseEndsTheBag) {
  const int before = LivePropertyBags();
  {
    auto bag = CreatePropertyBag(kValues);
    EXPECT_EQ(LivePropertyBags(), before + 1);
  }
  EXPECT_EQ(LivePropertyBags(), before);
}

}  // namespace
