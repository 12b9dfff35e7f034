// A digital clock on a tall frame with a large font record asks GDI+ for
// fonts of tens of thousands of points. Above 65535 pixels per em FreeType
// refuses the size, and cairo lost the font it had made for it: 648 bytes a
// call, found by the render fuzzer through LeakSanitizer. GdipCreateFont now
// refuses such sizes itself, so nothing is made and nothing is lost; the
// leak checks of the sanitizer stage hold it there.
#include <gtest/gtest.h>

#include <gdiplusflat.h>

#include "platform_test_support.h"

namespace {

struct SizeCase {
  float emSize;
  Unit unit;
  GpStatus expected;
};

TEST(FontSizeLimit, FontsAboveSixtyFiveThousandPixelsPerEmAreRefused) {
  platform_test::GdiplusSession session;
  GpFontFamily* family = nullptr;
  ASSERT_EQ(GdipCreateFontFamilyFromName(u"Arial", nullptr, &family), Ok);
  for (const SizeCase& size :
       {SizeCase{65535.0f, UnitPixel, Ok}, SizeCase{65536.0f, UnitPixel, InvalidParameter},
        SizeCase{66045.0f, UnitPoint, InvalidParameter}, SizeCase{49151.0f, UnitPoint, Ok},  // 65534.7 pixels
        SizeCase{3.0e38f, UnitPixel, InvalidParameter}}) {
    SCOPED_TRACE(testing::Message() << size.emSize << " in unit " << size.unit);
    GpFont* font = nullptr;
    EXPECT_EQ(GdipCreateFont(family, size.emSize, FontStyleRegular, size.unit, &font), size.expected);
    EXPECT_EQ(font != nullptr, size.expected == Ok);
    if (font) GdipDeleteFont(font);
  }
  GdipDeleteFontFamily(family);
}

}  // namespace
