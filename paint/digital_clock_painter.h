#pragma once

#include <gdiplusflat.h>
#include <wingdi.h>

#include <cstdint>
#include <optional>
#include <string>

#include "paint/gdiplus_objects.h"
#include "paint/pixel_area.h"

namespace horaz {

// Draws the digital clock: the timer text as ordinary type in the font of
// the stored font record, placed at an anchor by the alignment list value,
// over an optional background box, through a GDI+ drawing object the caller
// made. Made fresh for every frame, configured by the setters, asked for its
// extent(), then drawn once. GDI+ must be started from setFont() until the
// painter is gone; nothing is left behind.
class DigitalClockPainter {
 public:
  void setTextColour(ARGB colour) { textColour_ = colour; }
  void setBackgroundColour(ARGB colour) { backgroundColour_ = colour; }
  void setShowBackground(bool show) { showBackground_ = show; }
  // Alignment 0 ends the text at the anchor, 1 centres it on the anchor, 2
  // starts it there; each centres it vertically. Any other value keeps the
  // anchor as the box's corner with the format's default alignment.
  void setAlignment(int32_t alignment) { alignment_ = alignment; }
  // Makes the drawing font, in the record's face ("Arial" when it has none;
  // the generic sans-serif family when the face cannot be had), and the
  // measuring font ("Arial"), both at fontSize() points. Called before the
  // caller's drawing object is made.
  void setFont(const LOGFONTW& record, int32_t baseSize);

  // Sets up the caller's drawing object for text: ClearType grid-fit, then
  // high-quality smoothing.
  static void prepareDrawingObject(GpGraphics* graphics);

  // Measures `text` (up to its NUL; null counts as empty) and places it at
  // (posX, posY); every pixel that the box and the text can touch. The
  // layout is kept for draw() with the same arguments.
  [[nodiscard]] PixelArea extent(GpGraphics* graphics, int32_t posX, int32_t posY, const char16_t* text);
  // Draws the box and the text, laying them out first unless extent() did
  // for the same arguments. Results of the drawing calls are not examined.
  void draw(GpGraphics* graphics, int32_t posX, int32_t posY, const char16_t* text);

  // baseSize x |lfHeight| / 100, truncated; the record's height magnitude is
  // a percentage of the base size. Computed in 64 bits and pinned to the
  // 32-bit range, so INT32_MIN heights and huge products are defined.
  [[nodiscard]] static int32_t fontSize(int32_t baseSize, int32_t lfHeight) noexcept;
  // Bold above weight 400, italic, underline, strike-out.
  [[nodiscard]] static INT fontStyle(const LOGFONTW& font) noexcept;

 private:
  // The measured size of the whole text.
  struct TextSize {
    double width = 0.0;
    double height = 0.0;
  };
  // Where the box and the text go.
  struct Placement {
    int32_t left = 0;
    int32_t top = 0;
    INT boxWidth = 0;
    INT boxHeight = 0;
    GpRectF layout{};
  };
  // One text laid out at one anchor, with the objects its drawing needs;
  // they are deleted in reverse order of making: format, brushes.
  struct LaidOut {
    std::u16string text;
    int32_t posX = 0;
    int32_t posY = 0;
    GdiplusBrush textBrush;
    GdiplusBrush backgroundBrush;
    GdiplusStringFormat format;
    Placement placement;
  };

  void layOut(GpGraphics* graphics, int32_t posX, int32_t posY, const char16_t* text);
  [[nodiscard]] TextSize measure(GpGraphics* graphics, const std::u16string& text, int32_t posX, int32_t posY) const;
  [[nodiscard]] Placement place(const TextSize& size, int32_t posX, int32_t posY, GpStringFormat* format) const;
  [[nodiscard]] bool showsBox() const;
  [[nodiscard]] bool showsText() const;

  ARGB textColour_ = 0;
  ARGB backgroundColour_ = 0;
  bool showBackground_ = true;
  int32_t alignment_ = 0;
  // Made in this order and deleted in reverse, after the drawing object.
  GdiplusFont drawingFont_;
  GdiplusFont measuringFont_;
  std::optional<LaidOut> laidOut_;
};

}  // namespace horaz
