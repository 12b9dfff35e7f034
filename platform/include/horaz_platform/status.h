// Counters for tests: is GDI+ shut down, and did anything leak?
#pragma once

namespace horaz::platform {

// Live GDI+ objects: made by a Gdip*Create* call (or GdipCreateFromHDC) and
// not yet deleted. The generic sans-serif family is one shared object and
// does not count.
struct GdiplusObjectCounts {
  int graphics = 0;
  int brushes = 0;
  int pens = 0;
  int fonts = 0;
  int fontFamilies = 0;
  int stringFormats = 0;
  int total() const { return graphics + brushes + pens + fonts + fontFamilies + stringFormats; }
};

// Live GDI objects: device contexts from CreateDCW / CreateCompatibleDC not
// yet passed to DeleteDC, and bitmaps, pens, brushes and regions not yet
// freed by DeleteObject. Stock objects (GetStockObject and the placeholder
// bitmap of a memory device context) never count.
struct GdiObjectCounts {
  int deviceContexts = 0;
  int bitmaps = 0;
  int pens = 0;
  int brushes = 0;
  int regions = 0;
  int total() const { return deviceContexts + bitmaps + pens + brushes + regions; }
};

// Number of GdiplusStartup tokens not yet shut down (0: GDI+ is shut down).
int gdiplusStartupCount();
// Number of successful GdiplusStartup calls since the process started.
long long gdiplusStartupsEver();
GdiplusObjectCounts liveGdiplusObjects();
GdiObjectCounts liveGdiObjects();

}  // namespace horaz::platform
