// Recording of drawing calls, for tests: what a painter asked the platform to
// draw, with its exact arguments, independent of the pixels.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "../windef.h"

namespace horaz::platform {

// One call. `name` is the platform function's name; which other fields are
// filled depends on it (fields not listed keep their defaults):
//
// GDI+ calls on a drawing object made from the recorded device context:
//   GdipCreateFromHDC          (nothing else)
//   GdipDeleteGraphics         (nothing else)
//   GdipSetSmoothingMode       mode = the SmoothingMode value
//   GdipSetTextRenderingHint   mode = the TextRenderingHint value
//   GdipFillRectangleI, GdipFillRectangle, GdipFillEllipseI, GdipFillEllipse
//                              numbers = {x, y, width, height}; argb = brush colour
//   GdipFillPolygon            numbers = {x0, y0, x1, y1, ...}; argb = brush
//                              colour; fillMode = the GpFillMode value
//   GdipDrawPolygon            numbers = {x0, y0, ...}; argb = pen colour;
//                              penWidth = pen width in its unit; unit = its GpUnit
//   GdipDrawLine               numbers = {x1, y1, x2, y2}; argb, penWidth, unit as above
//   GdipMeasureString          text; numbers = layout {x, y, width, height};
//                              font fields (below); alignment, lineAlignment
//                              of the format (-1 without a format); result =
//                              the measured box {x, y, width, height}
//   GdipDrawString             text; numbers = layout rectangle; font fields;
//                              alignment, lineAlignment; argb = brush colour
//
// GDI+ calls that need no device context, recorded by every recording that
// was made on the calling thread:
//   GdipCreateFontFamilyFromName  text = the name asked for; fontFamily = the
//                              resolved family ("" when it failed)
//   GdipGetGenericFontFamilySansSerif  fontFamily = the family
//   GdipCreateFont             font fields; numbers = {emSize}
//   GdipCreateSolidFill        argb
//   GdipCreatePen1             argb, penWidth, unit
//   GdipCreateStringFormat     numbers = {flags, language}
//   GdipSetStringFormatAlign, GdipSetStringFormatLineAlign   mode = the alignment
//   GdipDeleteBrush, GdipDeletePen, GdipDeleteFont, GdipDeleteFontFamily,
//   GdipDeleteStringFormat     (nothing else)
//
// GDI calls on the recorded device context (logical coordinates as passed):
//   MoveToEx                   numbers = {x, y}
//   LineTo                     numbers = {x, y}; gdiPen = the selected pen
//   Ellipse                    numbers = {left, top, right, bottom}; gdiPen,
//                              gdiBrush = the selected pen and brush
//   SelectObject               gdiPen / gdiBrush = the object selected, when
//                              it is a pen / brush (nothing else for others)
//
// Font fields: fontFamily = the resolved family name ("Liberation Sans" for
// "Arial"), fontSize = the em size as given, fontStyle = the FontStyle bits,
// unit = the GpUnit value.
struct RecordedCall {
  struct GdiPen {
    bool isNull = true;   // null pen (PS_NULL or NULL_PEN): draws nothing
    COLORREF colour = 0;  // 0x00BBGGRR
    int width = 0;
  };
  struct GdiBrush {
    bool hollow = true;   // NULL_BRUSH / HOLLOW_BRUSH: fills nothing
    COLORREF colour = 0;  // 0x00BBGGRR
  };

  std::string name;
  int status = 0;               // the call's result: GpStatus, or the GDI result (BOOL) as an int
  std::vector<double> numbers;  // geometric arguments in call order (see above)
  std::vector<double> result;   // GdipMeasureString: the measured box
  std::uint32_t argb = 0;       // GDI+ brush or pen colour, 0xAARRGGBB
  float penWidth = 0.0f;
  int unit = -1;           // GpUnit of a pen or font
  int fillMode = -1;       // GpFillMode of GdipFillPolygon
  int mode = -1;           // smoothing mode, text hint or string alignment set
  int alignment = -1;      // string format's alignment, -1 without a format
  int lineAlignment = -1;  // string format's line alignment, -1 without a format
  std::u16string text;
  std::string fontFamily;
  float fontSize = 0.0f;
  int fontStyle = 0;
  GdiPen gdiPen;
  GdiBrush gdiBrush;
};

// Records, while it lives, the calls made on one device context (GDI calls on
// it and GDI+ calls on any drawing object made from it, from any thread) and
// the device-context-free GDI+ calls made on the thread that created it.
// Several recordings may be alive at once (they each see their calls).
// Read calls() once the drawing is done; calls made while reading from
// another thread are not synchronised with calls(), use snapshot() then.
class DrawRecording {
 public:
  explicit DrawRecording(HDC dc);
  ~DrawRecording();
  DrawRecording(const DrawRecording&) = delete;
  DrawRecording& operator=(const DrawRecording&) = delete;

  const std::vector<RecordedCall>& calls() const;
  std::vector<RecordedCall> snapshot() const;  // thread-safe copy
  // The recorded calls with this name, in order.
  std::vector<RecordedCall> named(const std::string& name) const;
  void clear();

  struct State;

 private:
  std::unique_ptr<State> state;
};

}  // namespace horaz::platform
