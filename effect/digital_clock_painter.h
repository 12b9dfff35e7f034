#pragma once

#include <gdiplusflat.h>
#include <wingdi.h>

#include <cstdint>
#include <functional>

#include "paint/pixel_area.h"

namespace horaz {

// Draws the digital clock: the timer text as ordinary type in the font of
// the stored font record, placed at an anchor by the alignment list value,
// over an optional background box.
struct DigitalClockPainter {
  // Told, once the text is measured and placed and before anything is drawn,
  // every pixel that the box and the text can touch.
  using DrawingAreaNotice = std::function<void(const PixelArea&)>;

  // Draws `text` (up to its NUL; null counts as empty) on the memory device
  // context `dc` with a GDI+ drawing object of its own, in the record's face
  // ("Arial" when it has none; the generic sans-serif family when the face
  // cannot be had) at fontSize() points. Alignment 0 ends the
  // text at posX, 1 centres it on posX, 2 starts it there; each centres it
  // vertically on posY. Any other value keeps the anchor as the box's corner
  // with the format's default alignment. GDI+ must be started for the whole
  // call. Nothing is reported and nothing is left behind. `beforeDrawing`,
  // when given, is called once before the first drawing call (not at all
  // when there is no drawing object).
  static void draw(HDC dc, const char16_t* text, int32_t posX, int32_t posY, int32_t baseSize, ARGB foreground,
                   ARGB background, int32_t alignment, const LOGFONTW& font, bool showBackground,
                   const DrawingAreaNotice& beforeDrawing = {});

  // baseSize x |lfHeight| / 100, truncated; the record's height magnitude is
  // a percentage of the base size. Computed in 64 bits and pinned to the
  // 32-bit range, so INT32_MIN heights and huge products are defined.
  [[nodiscard]] static int32_t fontSize(int32_t baseSize, int32_t lfHeight) noexcept;
  // Bold above weight 400, italic, underline, strike-out.
  [[nodiscard]] static INT fontStyle(const LOGFONTW& font) noexcept;
};

}  // namespace horaz
