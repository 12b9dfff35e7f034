// Font families, fonts, measuring and drawing strings.
#include <algorithm>
#include <string>

#include "platform_test_support.h"

using namespace platform_test;

namespace {

class GdiplusText : public ::testing::Test {
 protected:
  GdiplusSession session;

  static std::u16string familyName(GpFontFamily* family) {
    WCHAR name[LF_FACESIZE] = {};
    GdipGetFamilyName(family, name, 0);
    return name;
  }
};

struct FamilyCase {
  const char16_t* asked;
  GpStatus status;
  const char16_t* resolved;
};

TEST_F(GdiplusText, FamiliesResolveOnlyToThemselvesOrMetricStandIns) {
  const FamilyCase cases[] = {
      {u"Arial", Ok, u"Liberation Sans"},
      {u"arial", Ok, u"Liberation Sans"},
      {u"Times New Roman", Ok, u"Liberation Serif"},
      {u"Courier New", Ok, u"Liberation Mono"},
      {u"DejaVu Sans", Ok, u"DejaVu Sans"},
      {u"liberation mono", Ok, u"Liberation Mono"},
      {u"No Such Family 12345", FontFamilyNotFound, nullptr},
      {u"sans-serif", FontFamilyNotFound, nullptr},
      {u"", FontFamilyNotFound, nullptr},
  };
  for (const FamilyCase& c : cases) {
    GpFontFamily* family = reinterpret_cast<GpFontFamily*>(1);
    EXPECT_EQ(GdipCreateFontFamilyFromName(c.asked, nullptr, &family), c.status);
    if (c.status == Ok) {
      EXPECT_EQ(familyName(family), std::u16string(c.resolved));
      GdipDeleteFontFamily(family);
    } else {
      EXPECT_EQ(family, nullptr);
    }
  }
  GpFontFamily* generic = nullptr;
  ASSERT_EQ(GdipGetGenericFontFamilySansSerif(&generic), Ok);
  EXPECT_EQ(familyName(generic), u"DejaVu Sans");
}

TEST_F(GdiplusText, FontSizesUnitsAndRefusals) {
  GpFontFamily* family = nullptr;
  ASSERT_EQ(GdipCreateFontFamilyFromName(u"Arial", nullptr, &family), Ok);
  struct {
    REAL size;
    INT style;
    Unit unit;
    GpStatus status;
  } cases[] = {{46, FontStyleRegular, UnitPoint, Ok},
               {12, FontStyleBold | FontStyleItalic | FontStyleUnderline | FontStyleStrikeout, UnitPixel, Ok},
               {12, FontStyleRegular, UnitWorld, Ok},
               {0, FontStyleRegular, UnitPoint, InvalidParameter},
               {-3, FontStyleRegular, UnitPoint, InvalidParameter},
               {12, FontStyleRegular, UnitDisplay, InvalidParameter}};
  for (const auto& c : cases) {
    GpFont* font = reinterpret_cast<GpFont*>(1);
    EXPECT_EQ(GdipCreateFont(family, c.size, c.style, c.unit, &font), c.status) << c.size << " " << c.unit;
    if (c.status == Ok) {
      GdipDeleteFont(font);
    } else {
      EXPECT_EQ(font, nullptr);
    }
  }
  GdipDeleteFontFamily(family);
}

// Liberation Sans shares Arial's metrics: line spacing 2355 / 2048 em.
TEST_F(GdiplusText, MeasuringFollowsTheDocumentedConventions) {
  Surface surface(10, 10);
  Graphics g(surface.dc);
  GpFontFamily* family = nullptr;
  GdipCreateFontFamilyFromName(u"Arial", nullptr, &family);
  GpFont* font = nullptr;
  ASSERT_EQ(GdipCreateFont(family, 36.0f, FontStyleRegular, UnitPoint, &font), Ok);  // 48 px
  const double em = 48.0, lineSpacing = em * 2355.0 / 2048.0;

  const GpRectF unlimited{100, 50, 0, 0};
  GpRectF one{}, two{};
  INT fitted = 0, lines = 0;
  ASSERT_EQ(GdipMeasureString(g, u"8", -1, font, &unlimited, nullptr, &one, &fitted, &lines), Ok);
  ASSERT_EQ(GdipMeasureString(g, u"88", 2, font, &unlimited, nullptr, &two, nullptr, nullptr), Ok);
  EXPECT_FLOAT_EQ(one.X, 100);
  EXPECT_FLOAT_EQ(one.Y, 50);
  EXPECT_NEAR(one.Height, lineSpacing, 0.01);
  EXPECT_EQ(fitted, 1);
  EXPECT_EQ(lines, 1);
  // Digits are 0.556 em wide in these metrics; the padding is 1/6 em a side.
  const double digit = two.Width - one.Width;
  EXPECT_NEAR(digit, 0.556 * em, 0.05);
  EXPECT_NEAR(one.Width, digit + em / 3.0, 0.05);

  // Trailing spaces do not count; a zero-size layout centres on the point.
  GpRectF spaced{};
  GdipMeasureString(g, u"88  ", -1, font, &unlimited, nullptr, &spaced, nullptr, nullptr);
  EXPECT_FLOAT_EQ(spaced.Width, two.Width);
  GpStringFormat* format = nullptr;
  GdipCreateStringFormat(0, 0, &format);
  GdipSetStringFormatAlign(format, StringAlignmentCenter);
  GdipSetStringFormatLineAlign(format, StringAlignmentFar);
  GpRectF centred{};
  GdipMeasureString(g, u"88", -1, font, &unlimited, format, &centred, nullptr, nullptr);
  EXPECT_NEAR(centred.X, 100 - two.Width / 2, 0.01);
  EXPECT_NEAR(centred.Y, 50 - lineSpacing, 0.01);

  // A layout narrower than two words wraps them onto two lines.
  const GpRectF narrow{0, 0, float(two.Width + 1), 0};
  GpRectF wrapped{};
  GdipMeasureString(g, u"88 88", -1, font, &narrow, nullptr, &wrapped, &fitted, &lines);
  EXPECT_EQ(lines, 2);
  EXPECT_NEAR(wrapped.Height, 2 * lineSpacing, 0.01);
  EXPECT_FLOAT_EQ(wrapped.Width, two.Width);

  GpRectF empty{1, 1, 1, 1};
  GdipMeasureString(g, u"", 0, font, &unlimited, nullptr, &empty, nullptr, nullptr);
  EXPECT_FLOAT_EQ(empty.Width, 0);
  EXPECT_FLOAT_EQ(empty.Height, 0);

  GdipDeleteStringFormat(format);
  GdipDeleteFont(font);
  GdipDeleteFontFamily(family);
}

// Bounding box of the drawn pixels; right < left when nothing was drawn.
RECT inkBox(const Surface& surface) {
  RECT box{surface.width, surface.height, -1, -1};
  for (int y = 0; y < surface.height; ++y)
    for (int x = 0; x < surface.width; ++x)
      if (surface.alpha(x, y)) {
        box.left = std::min<LONG>(box.left, x);
        box.top = std::min<LONG>(box.top, y);
        box.right = std::max<LONG>(box.right, x);
        box.bottom = std::max<LONG>(box.bottom, y);
      }
  return box;
}

// Draws the text in the named family, falling back to the generic sans-serif
// family as the digital clock does; returns the family that drew it.
std::u16string drawIn(const Surface& surface, const char16_t* name, const char16_t* text, const GpRectF& layout,
                      StringAlignment align, INT style = FontStyleRegular) {
  GpFontFamily* family = nullptr;
  if (GdipCreateFontFamilyFromName(name, nullptr, &family) != Ok) GdipGetGenericFontFamilySansSerif(&family);
  WCHAR used[LF_FACESIZE] = {};
  GdipGetFamilyName(family, used, 0);
  GpFont* font = nullptr;
  GdipCreateFont(family, 20.0f, style, UnitPixel, &font);
  GpStringFormat* format = nullptr;
  GdipCreateStringFormat(0, 0, &format);
  GdipSetStringFormatAlign(format, align);
  GpSolidFill* brush = nullptr;
  GdipCreateSolidFill(0xFFFFFFFF, &brush);
  {
    Graphics g(surface.dc);
    GdipSetTextRenderingHint(g, TextRenderingHintClearTypeGridFit);
    EXPECT_EQ(GdipDrawString(g, text, -1, font, &layout, format, brush), Ok);
  }
  GdipDeleteBrush(brush);
  GdipDeleteStringFormat(format);
  GdipDeleteFont(font);
  GdipDeleteFontFamily(family);
  return used;
}

TEST_F(GdiplusText, KnownAndUnknownFamiliesBothDraw) {
  const struct {
    const char16_t* name;
    const char16_t* drawnBy;
  } cases[] = {{u"Arial", u"Liberation Sans"}, {u"Nonexistent Face", u"DejaVu Sans"}};
  for (const auto& c : cases) {
    Surface surface(200, 60);
    EXPECT_EQ(drawIn(surface, c.name, u"12:34:56", {10, 10, 0, 0}, StringAlignmentNear), c.drawnBy);
    const RECT ink = inkBox(surface);
    EXPECT_GT(surface.countDrawn(), 100);
    EXPECT_GE(ink.left, 10 + 2) << "text starts after the 1/6 em padding";
    EXPECT_LE(ink.left, 10 + 6);
    EXPECT_GE(ink.top, 10);
    EXPECT_LE(ink.bottom, 10 + 24);
  }
}

TEST_F(GdiplusText, AlignmentPlacesTextInTheRectangle) {
  const GpRectF layout{20, 10, 160, 30};
  int lefts[3];
  for (int align = 0; align < 3; ++align) {
    Surface surface(200, 60);
    drawIn(surface, u"Arial", u"88", layout, StringAlignment(align));
    lefts[align] = inkBox(surface).left;
  }
  EXPECT_LT(lefts[0], 30);
  EXPECT_NEAR(lefts[1], 20 + 80 - 11, 4);
  EXPECT_GT(lefts[2], 150);
}

TEST_F(GdiplusText, DrawingIsClippedToTheLayoutRectangle) {
  Surface surface(200, 60);
  const GpRectF layout{10, 10, 30, 8};  // shorter than a line and narrower than the word
  drawIn(surface, u"Arial", u"WWWWWW", layout, StringAlignmentNear, FontStyleUnderline);
  const RECT ink = inkBox(surface);
  ASSERT_GE(ink.right, ink.left);
  EXPECT_GE(ink.left, 10);
  EXPECT_GE(ink.top, 10);
  EXPECT_LE(ink.right, 39);
  EXPECT_LE(ink.bottom, 17);
}

TEST_F(GdiplusText, UnderlineAndStrikeoutAddBars) {
  int drawn[2];
  for (int i = 0; i < 2; ++i) {
    Surface surface(200, 60);
    drawIn(surface, u"Arial", u"....", {10, 10, 0, 0}, StringAlignmentNear,
           i ? FontStyleUnderline | FontStyleStrikeout : FontStyleRegular);
    drawn[i] = surface.countDrawn();
  }
  EXPECT_GT(drawn[1], drawn[0] + 40);
}

}  // namespace
