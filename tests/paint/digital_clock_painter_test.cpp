#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "paint/digital_clock_painter.h"
#include "paint/gdiplus_objects.h"
#include "paint_test_support.h"

namespace horaz::test {
namespace {

constexpr ARGB kForeground = 0xFFF0E0D0;
constexpr ARGB kBackground = 0xC0102030;
constexpr char kArialFamily[] = "Liberation Sans";  // what the platform resolves "Arial" to

// The record a freshly applied effect holds.
LOGFONTW defaultRecord() {
  LOGFONTW font{};
  font.lfHeight = -32;
  font.lfCharSet = 1;
  return font;
}

void setFace(LOGFONTW& font, std::u16string_view face) {
  for (size_t i = 0; i < LF_FACESIZE; ++i) font.lfFaceName[i] = i < face.size() ? face[i] : u'\0';
}

class DigitalClockPainterTest : public ::testing::Test {
 protected:
  std::vector<RecordedCall> paint(const LOGFONTW& font, int32_t alignment = 1, int32_t baseSize = 144,
                                  bool showBackground = true, const char16_t* text = u"12:34:56") {
    return recordPaintingOnDc(canvas, [&](HDC dc) {
      drawDigitalClock(dc, text, 360, 288, baseSize, kForeground, kBackground, alignment, font, showBackground);
    });
  }

  GdiplusSession session;
  Canvas canvas{720, 576};
};

struct FontSizeCase {
  int32_t baseSize;
  int32_t lfHeight;
  int32_t size;
};

class DigitalFontSizeTest : public ::testing::TestWithParam<FontSizeCase> {};

TEST_P(DigitalFontSizeTest, HeightMagnitudeIsAPercentageOfTheBaseSize) {
  const FontSizeCase c = GetParam();
  EXPECT_EQ(DigitalClockPainter::fontSize(c.baseSize, c.lfHeight), c.size);
}

INSTANTIATE_TEST_SUITE_P(Sizes, DigitalFontSizeTest,
                         ::testing::Values(FontSizeCase{144, -32, 46}, FontSizeCase{144, 32, 46},
                                           FontSizeCase{144, -100, 144}, FontSizeCase{144, 100, 144},
                                           FontSizeCase{144, 0, 0}, FontSizeCase{-144, -32, -46},
                                           // beyond 32 bits: pinned, not undefined
                                           FontSizeCase{100, INT_MIN, INT_MAX}, FontSizeCase{INT_MAX, INT_MAX, INT_MAX},
                                           FontSizeCase{INT_MIN, 100, INT_MIN}, FontSizeCase{INT_MAX, 100, INT_MAX}));

struct FontCase {
  const char* name;
  std::function<void(LOGFONTW&)> change;
  float size;
  int style;
  std::string family;  // empty: the generic sans-serif family
};

class DigitalFontTest : public DigitalClockPainterTest, public ::testing::WithParamInterface<FontCase> {};

TEST_P(DigitalFontTest, FontComesFromTheRecordAndIsMeasuredInArial) {
  const FontCase c = GetParam();
  LOGFONTW font = defaultRecord();
  c.change(font);
  const std::vector<RecordedCall> calls = paint(font);

  std::string family = c.family;
  if (family.empty()) {
    const std::vector<RecordedCall> generic = named(calls, "GdipGetGenericFontFamilySansSerif");
    ASSERT_FALSE(generic.empty());
    family = generic.front().fontFamily;
  }
  const std::vector<RecordedCall> drawn = named(calls, "GdipDrawString");
  ASSERT_EQ(drawn.size(), 1u);
  EXPECT_EQ(drawn[0].fontFamily, family);
  EXPECT_EQ(drawn[0].fontSize, c.size);
  EXPECT_EQ(drawn[0].fontStyle, c.style);
  EXPECT_EQ(drawn[0].unit, UnitPoint);

  const std::vector<RecordedCall> measured = named(calls, "GdipMeasureString");
  ASSERT_EQ(measured.size(), 1u);
  EXPECT_EQ(measured[0].fontFamily, kArialFamily);
  EXPECT_EQ(measured[0].fontSize, c.size);
  EXPECT_EQ(measured[0].fontStyle, c.style);
}

INSTANTIATE_TEST_SUITE_P(
    Records, DigitalFontTest,
    ::testing::Values(FontCase{"defaultRecord", [](LOGFONTW&) {}, 46.0f, 0, kArialFamily},
                      FontCase{"positiveHeight", [](LOGFONTW& f) { f.lfHeight = 32; }, 46.0f, 0, kArialFamily},
                      FontCase{"fullHeight", [](LOGFONTW& f) { f.lfHeight = -100; }, 144.0f, 0, kArialFamily},
                      FontCase{"weight400", [](LOGFONTW& f) { f.lfWeight = 400; }, 46.0f, 0, kArialFamily},
                      FontCase{"weight401", [](LOGFONTW& f) { f.lfWeight = 401; }, 46.0f, FontStyleBold, kArialFamily},
                      FontCase{"allStyles",
                               [](LOGFONTW& f) {
                                 f.lfWeight = 700;
                                 f.lfItalic = 1;
                                 f.lfUnderline = 0xFF;
                                 f.lfStrikeOut = 2;
                               },
                               46.0f, FontStyleBold | FontStyleItalic | FontStyleUnderline | FontStyleStrikeout,
                               kArialFamily},
                      FontCase{"namedFace", [](LOGFONTW& f) { setFace(f, u"DejaVu Serif"); }, 46.0f, 0, "DejaVu Serif"},
                      FontCase{"unknownFace", [](LOGFONTW& f) { setFace(f, u"Quorble Grotesk Nine"); }, 46.0f, 0, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DigitalClockPainterTest, UnterminatedFaceNameIsReadWithinTheRecord) {
  LOGFONTW font = defaultRecord();
  setFace(font, std::u16string(LF_FACESIZE, u'Z'));
  const std::vector<RecordedCall> families = named(paint(font), "GdipCreateFontFamilyFromName");
  ASSERT_FALSE(families.empty());
  EXPECT_EQ(families[0].text, std::u16string(LF_FACESIZE, u'Z'));
}

TEST_F(DigitalClockPainterTest, SizeZeroDrawsNoText) {
  LOGFONTW font = defaultRecord();
  font.lfHeight = 0;
  EXPECT_TRUE(named(paint(font), "GdipDrawString").empty());
  EXPECT_TRUE(named(paint(defaultRecord(), 1, 0), "GdipDrawString").empty());
}

TEST_F(DigitalClockPainterTest, DrawingObjectGetsTextHintThenSmoothing) {
  const std::vector<RecordedCall> calls = paint(defaultRecord());
  std::vector<std::pair<std::string, int>> settings;
  for (const RecordedCall& call : calls) {
    if (call.name == "GdipSetTextRenderingHint" || call.name == "GdipSetSmoothingMode") {
      settings.emplace_back(call.name, call.mode);
    }
  }
  EXPECT_EQ(settings,
            (std::vector<std::pair<std::string, int>>{{"GdipSetTextRenderingHint", 5}, {"GdipSetSmoothingMode", 2}}));
  const std::vector<RecordedCall> formats = named(calls, "GdipCreateStringFormat");
  ASSERT_EQ(formats.size(), 1u);
  EXPECT_EQ(formats[0].numbers, (std::vector<double>{0, 0}));
}

struct AlignmentCase {
  int32_t alignment;
  int horizontal;  // the format's alignment when drawing
  int vertical;
  // New anchor from the measured width and height.
  std::function<double(double width)> left;
  bool centredVertically;
};

class DigitalAlignmentTest : public DigitalClockPainterTest, public ::testing::WithParamInterface<AlignmentCase> {};

TEST_P(DigitalAlignmentTest, BoxAndLayoutFollowTheMeasuredSize) {
  const AlignmentCase c = GetParam();
  const std::vector<RecordedCall> calls = paint(defaultRecord(), c.alignment);

  const std::vector<RecordedCall> measured = named(calls, "GdipMeasureString");
  ASSERT_EQ(measured.size(), 1u);
  EXPECT_EQ(measured[0].numbers, (std::vector<double>{360, 288, 0, 0}));
  EXPECT_EQ(measured[0].alignment, -1);  // measured without a format
  EXPECT_EQ(measured[0].text, u"12:34:56");
  ASSERT_EQ(measured[0].result.size(), 4u);
  const double w = static_cast<float>(measured[0].result[2]);
  const double h = static_cast<float>(measured[0].result[3]);
  ASSERT_GT(w, 0.0);
  ASSERT_GT(h, 0.0);

  const double left = std::trunc(c.left(w));
  const double top = c.centredVertically ? std::trunc(288 - h / 2) : 288;

  const std::vector<RecordedCall> boxes = named(calls, "GdipFillRectangleI");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].numbers, (std::vector<double>{left, top, std::trunc(w * 1.1), std::trunc(h)}));
  EXPECT_EQ(boxes[0].argb, kBackground);

  const std::vector<RecordedCall> texts = named(calls, "GdipDrawString");
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].text, u"12:34:56");
  EXPECT_EQ(texts[0].numbers, (std::vector<double>{left, top, static_cast<float>(std::trunc(w) * 1.1), std::trunc(h)}));
  EXPECT_EQ(texts[0].alignment, c.horizontal);
  EXPECT_EQ(texts[0].lineAlignment, c.vertical);
  EXPECT_EQ(texts[0].argb, kForeground);
}

INSTANTIATE_TEST_SUITE_P(
    Alignments, DigitalAlignmentTest,
    ::testing::Values(AlignmentCase{0, StringAlignmentFar, StringAlignmentCenter,
                                    [](double w) { return 360 - w * 1.1; }, true},
                      AlignmentCase{1, StringAlignmentCenter, StringAlignmentCenter,
                                    [](double w) { return 360 - w * 1.1 / 2; }, true},
                      AlignmentCase{2, StringAlignmentNear, StringAlignmentCenter, [](double) { return 360.0; }, true},
                      AlignmentCase{5, StringAlignmentNear, StringAlignmentNear, [](double) { return 360.0; }, false}),
    [](const auto& info) { return "alignment" + std::to_string(info.param.alignment); });

TEST_F(DigitalClockPainterTest, BackgroundBoxCanBeSwitchedOff) {
  const std::vector<RecordedCall> calls = paint(defaultRecord(), 1, 144, false);
  EXPECT_TRUE(named(calls, "GdipFillRectangleI").empty());
  EXPECT_EQ(named(calls, "GdipDrawString").size(), 1u);
}

TEST_F(DigitalClockPainterTest, ExtentLaysOutOnceForTheSameTextAndAnchorOnly) {
  for (const bool sameAnchor : {true, false}) {
    const std::vector<RecordedCall> calls = recordPaintingOnDc(canvas, [&](HDC dc) {
      DigitalClockPainter painter;
      painter.setFont(defaultRecord(), 144);
      const GdiplusGraphics graphics = makeGraphics(dc);
      const PixelArea reach = painter.extent(graphics.get(), 360, 288, u"12:34");
      EXPECT_FALSE(reach.empty());
      painter.draw(graphics.get(), sameAnchor ? 360 : 100, 288, u"12:34");
    });
    EXPECT_EQ(named(calls, "GdipMeasureString").size(), sameAnchor ? 1u : 2u);
    EXPECT_EQ(named(calls, "GdipDrawString").size(), 1u);
  }
}

TEST_F(DigitalClockPainterTest, NullTextIsEmpty) {
  const std::vector<RecordedCall> calls = paint(defaultRecord(), 1, 144, true, nullptr);
  const std::vector<RecordedCall> texts = named(calls, "GdipDrawString");
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_TRUE(texts[0].text.empty());
}

}  // namespace
}  // namespace horaz::test
