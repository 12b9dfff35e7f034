// Recording of drawing calls, the window registry and the font dialog.
#include "commdlg.h"
#include "horaz_platform/host_services.h"
#include "horaz_platform/recording.h"
#include "platform_test_support.h"
#include "winuser.h"

using namespace platform_test;
using horaz::platform::DrawRecording;
using horaz::platform::RecordedCall;

namespace {

TEST(DrawRecording, CapturesGdiplusCallsWithTheirArguments) {
  GdiplusSession session;
  Surface surface(50, 50);
  Surface elsewhere(50, 50);
  DrawRecording recording(surface.dc);
  {
    GpFontFamily* family = nullptr;
    GdipCreateFontFamilyFromName(u"Arial", nullptr, &family);
    GpFont* font = nullptr;
    GdipCreateFont(family, 46.0f, FontStyleBold | FontStyleUnderline, UnitPoint, &font);
    GpStringFormat* format = nullptr;
    GdipCreateStringFormat(0, 0, &format);
    GdipSetStringFormatAlign(format, StringAlignmentFar);
    GdipSetStringFormatLineAlign(format, StringAlignmentCenter);
    Graphics g(surface.dc);
    Graphics other(elsewhere.dc);
    fillRect(other, 0xFF000000, 0, 0, 5, 5);  // another context: not recorded
    GdipSetTextRenderingHint(g, TextRenderingHintClearTypeGridFit);
    fillRect(g, 0x80112233, 1, 2, 3, 4);
    const GpPointF kite[] = {{191, 150}, {200, 155}, {250, 150}, {200, 146}};
    GpSolidFill* brush = nullptr;
    GdipCreateSolidFill(0xFF445566, &brush);
    GdipFillPolygon(g, brush, kite, 4, FillModeAlternate);
    GpPen* pen = nullptr;
    GdipCreatePen1(0xFF778899, 1.0f, UnitWorld, &pen);
    GdipDrawPolygon(g, pen, kite, 2);
    const GpRectF layout{335.0f, 277.0f, 49.5f, 21.0f};
    GdipDrawString(g, u"12:34", -1, font, &layout, format, brush);
    GdipDeletePen(pen);
    GdipDeleteBrush(brush);
    GdipDeleteStringFormat(format);
    GdipDeleteFont(font);
    GdipDeleteFontFamily(family);
  }

  const RecordedCall fontCall = recording.named("GdipCreateFont").at(0);
  EXPECT_EQ(fontCall.fontFamily, "Liberation Sans");
  EXPECT_FLOAT_EQ(fontCall.fontSize, 46.0f);
  EXPECT_EQ(fontCall.fontStyle, FontStyleBold | FontStyleUnderline);
  EXPECT_EQ(fontCall.unit, UnitPoint);
  EXPECT_EQ(recording.named("GdipSetSmoothingMode").at(0).mode, SmoothingModeHighQuality);
  EXPECT_EQ(recording.named("GdipSetTextRenderingHint").at(0).mode, TextRenderingHintClearTypeGridFit);

  const auto rects = recording.named("GdipFillRectangleI");
  ASSERT_EQ(rects.size(), 1u) << "the other context's fill is not here";
  EXPECT_EQ(rects[0].numbers, (std::vector<double>{1, 2, 3, 4}));
  EXPECT_EQ(rects[0].argb, 0x80112233u);

  const RecordedCall polygon = recording.named("GdipFillPolygon").at(0);
  EXPECT_EQ(polygon.numbers, (std::vector<double>{191, 150, 200, 155, 250, 150, 200, 146}));
  EXPECT_EQ(polygon.fillMode, FillModeAlternate);
  EXPECT_EQ(polygon.argb, 0xFF445566u);

  const RecordedCall outline = recording.named("GdipDrawPolygon").at(0);
  EXPECT_EQ(outline.numbers, (std::vector<double>{191, 150, 200, 155}));
  EXPECT_EQ(outline.argb, 0xFF778899u);
  EXPECT_FLOAT_EQ(outline.penWidth, 1.0f);

  const RecordedCall text = recording.named("GdipDrawString").at(0);
  EXPECT_EQ(text.text, u"12:34");
  EXPECT_EQ(text.numbers, (std::vector<double>{335.0, 277.0, 49.5, 21.0}));
  EXPECT_EQ(text.alignment, StringAlignmentFar);
  EXPECT_EQ(text.lineAlignment, StringAlignmentCenter);
  EXPECT_EQ(text.fontFamily, "Liberation Sans");
  EXPECT_EQ(text.argb, 0xFF445566u);
  EXPECT_EQ(recording.named("GdipDeleteGraphics").size(), 1u);
}

TEST(DrawRecording, CapturesGdiLinesWithTheSelectedPenAndBrush) {
  Surface surface(50, 50);
  DrawRecording recording(surface.dc);
  HPEN green = CreatePen(PS_SOLID, 1, RGB(0, 255, 0));
  HGDIOBJ oldPen = SelectObject(surface.dc, green);
  MoveToEx(surface.dc, 6, 10, nullptr);
  LineTo(surface.dc, 14, 10);
  HGDIOBJ oldBrush = SelectObject(surface.dc, GetStockObject(HOLLOW_BRUSH));
  Ellipse(surface.dc, 1, 2, 30, 40);
  SelectObject(surface.dc, oldPen);
  SelectObject(surface.dc, oldBrush);
  DeleteObject(green);

  const RecordedCall line = recording.named("LineTo").at(0);
  EXPECT_EQ(recording.named("MoveToEx").at(0).numbers, (std::vector<double>{6, 10}));
  EXPECT_EQ(line.numbers, (std::vector<double>{14, 10}));
  EXPECT_FALSE(line.gdiPen.isNull);
  EXPECT_EQ(line.gdiPen.colour, RGB(0, 255, 0));
  const RecordedCall ellipse = recording.named("Ellipse").at(0);
  EXPECT_EQ(ellipse.numbers, (std::vector<double>{1, 2, 30, 40}));
  EXPECT_TRUE(ellipse.gdiBrush.hollow);
  EXPECT_EQ(ellipse.gdiPen.colour, RGB(0, 255, 0));
}

TEST(FindWindow, FindsRegisteredWindowsByClassAndTitle) {
  EXPECT_EQ(FindWindowW(u"EditorMainWndClass", u"Video Editor"), nullptr);
  HWND found = nullptr;
  {
    horaz::platform::MainWindowRegistration window(u"EditorMainWndClass", u"Video Editor");
    found = FindWindowW(u"EditorMainWndClass", u"Video Editor");
    EXPECT_EQ(found, window.handle());
    EXPECT_EQ(FindWindowW(u"editormainwndclass", nullptr), window.handle()) << "class names ignore case";
    EXPECT_EQ(FindWindowW(u"EditorMainWndClass", u"Other Title"), nullptr);
    EXPECT_EQ(FindWindowW(u"Other", u"Video Editor"), nullptr);
  }
  EXPECT_EQ(FindWindowW(u"EditorMainWndClass", u"Video Editor"), nullptr);
}

TEST(ChooseFont, WithoutAnAnswerFailsToOpenAndWithOneWritesTheRecord) {
  horaz::platform::resetFontDialogRequests();
  LOGFONTW font{};
  font.lfHeight = -32;
  font.lfCharSet = 1;
  CHOOSEFONTW request{};
  request.lStructSize = 60;
  request.lpLogFont = &font;
  request.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT;
  EXPECT_EQ(ChooseFontW(&request), FALSE);
  EXPECT_EQ(ChooseFontW(nullptr), FALSE);

  horaz::platform::setFontDialogAnswer([](CHOOSEFONTW& asked) {
    asked.lpLogFont->lfHeight = -48;
    asked.lpLogFont->lfWeight = 700;
    const char16_t face[] = u"Liberation Serif";
    std::copy(std::begin(face), std::end(face), asked.lpLogFont->lfFaceName);
    return TRUE;
  });
  EXPECT_EQ(ChooseFontW(&request), TRUE);
  EXPECT_EQ(font.lfHeight, -48);
  EXPECT_EQ(font.lfWeight, 700);
  EXPECT_EQ(std::u16string(font.lfFaceName), u"Liberation Serif");

  const auto last = horaz::platform::lastFontDialogRequest();
  ASSERT_TRUE(last.has_value());
  EXPECT_EQ(last->request.lStructSize, 60u);
  EXPECT_EQ(last->request.Flags, DWORD(0x41));
  EXPECT_EQ(last->logFont.lfHeight, -32) << "the record as the dialog was opened on it";
  EXPECT_EQ(last->result, TRUE);
  EXPECT_EQ(horaz::platform::fontDialogRequestCount(), 2);

  request.lpLogFont = nullptr;
  EXPECT_EQ(ChooseFontW(&request), FALSE) << "no record to show";
  horaz::platform::clearFontDialogAnswer();
  request.lpLogFont = &font;
  EXPECT_EQ(ChooseFontW(&request), FALSE);
}

}  // namespace
