// The GDI+ flat API subset the plug-in draws with: start-up, a drawing object
// over a device context, solid brushes and pens, filled shapes, fonts and
// strings.
//
// Conventions of this implementation:
// - Coordinates are pixels of the device context's bitmap; integer
//   coordinates lie on pixel edges, so a rectangle with integer corners fills
//   whole pixels exactly, also when anti-aliasing is on.
// - The bitmap keeps straight (not premultiplied) blue, green, red, alpha;
//   paint is blended over what is there by its alpha (source over). Pixels no
//   drawing touched keep their bytes exactly, alpha 0 included.
// - A drawing object takes the device context's viewport origin and clip
//   rectangle when it is made; nothing is drawn outside the bitmap or clip.
// - Anti-aliasing is on for SmoothingModeHighQuality and
//   SmoothingModeAntiAlias and off otherwise (the default is off).
// - Every function except GdiplusStartup and the Gdip*Delete* functions
//   returns GdiplusNotInitialized while no start-up is in force. Deleting
//   always frees the object and returns Ok (or InvalidParameter for null).
// - Any function may be called from any thread; one drawing object is used by
//   one thread at a time. Fonts, families, brushes, pens and string formats
//   may be shared between threads for reading.
//
// Text layout (GdipMeasureString and GdipDrawString share it):
// - The line height is the font's line spacing (ascender + descender + line
//   gap of the face, scaled to the em size); the first baseline lies one
//   ascender below the top of the text block.
// - Every line is padded by 1/6 em on each side, so the measured width of a
//   line is its advance width (trailing spaces left out) plus 1/3 em.
// - A layout rectangle with a width of 0 has no width limit and aligns lines
//   to its left edge (near), centres them on it (centre) or ends them at it
//   (far); likewise a height of 0 for the line alignment. With a positive
//   width, lines wrap at spaces (a word wider than the line breaks between
//   characters); "\n" always starts a new line.
// - The measured box is the union of the lines' padded boxes and the text
//   block's height, cut to the layout rectangle where it has a size.
// - Drawing is clipped to the layout rectangle when both its sides are
//   positive, unless StringFormatFlagsNoClip is set.
// - Underline and strike-out are filled bars at the face's own positions.
// - Font sizes: UnitPoint is 1/72 inch at 96 dots per inch (pixels = points
//   x 96 / 72); UnitPixel and UnitWorld are pixels; UnitInch, UnitDocument
//   (1/300 inch) and UnitMillimeter convert at 96 dots per inch.
#pragma once

#include "windef.h"

typedef float REAL;
typedef DWORD ARGB;  // 0xAARRGGBB

typedef enum GpStatus {
  Ok = 0,
  GenericError = 1,
  InvalidParameter = 2,
  OutOfMemory = 3,
  ObjectBusy = 4,
  InsufficientBuffer = 5,
  NotImplemented = 6,
  Win32Error = 7,
  WrongState = 8,
  Aborted = 9,
  FileNotFound = 10,
  ValueOverflow = 11,
  AccessDenied = 12,
  UnknownImageFormat = 13,
  FontFamilyNotFound = 14,
  FontStyleNotFound = 15,
  NotTrueTypeFont = 16,
  UnsupportedGdiplusVersion = 17,
  GdiplusNotInitialized = 18,
  PropertyNotFound = 19,
  PropertyNotSupported = 20,
  ProfileNotFound = 21
} GpStatus;

typedef enum SmoothingMode {
  SmoothingModeInvalid = -1,
  SmoothingModeDefault = 0,
  SmoothingModeHighSpeed = 1,
  SmoothingModeHighQuality = 2,
  SmoothingModeNone = 3,
  SmoothingModeAntiAlias = 4,
  SmoothingModeAntiAlias8x4 = SmoothingModeAntiAlias,
  SmoothingModeAntiAlias8x8 = 5
} SmoothingMode;

typedef enum TextRenderingHint {
  TextRenderingHintSystemDefault = 0,
  TextRenderingHintSingleBitPerPixelGridFit = 1,
  TextRenderingHintSingleBitPerPixel = 2,
  TextRenderingHintAntiAliasGridFit = 3,
  TextRenderingHintAntiAlias = 4,
  TextRenderingHintClearTypeGridFit = 5
} TextRenderingHint;

typedef enum GpUnit {
  UnitWorld = 0,
  UnitDisplay = 1,
  UnitPixel = 2,
  UnitPoint = 3,
  UnitInch = 4,
  UnitDocument = 5,
  UnitMillimeter = 6
} Unit;
typedef Unit GpUnit;

typedef enum GpFillMode { FillModeAlternate = 0, FillModeWinding = 1 } GpFillMode;

typedef enum StringAlignment {
  StringAlignmentNear = 0,
  StringAlignmentCenter = 1,
  StringAlignmentFar = 2
} StringAlignment;

typedef enum FontStyle {
  FontStyleRegular = 0,
  FontStyleBold = 1,
  FontStyleItalic = 2,
  FontStyleBoldItalic = 3,
  FontStyleUnderline = 4,
  FontStyleStrikeout = 8
} FontStyle;

// String format flags honoured here (others are accepted and ignored).
typedef enum StringFormatFlags {
  StringFormatFlagsNoWrap = 0x00001000,
  StringFormatFlagsNoClip = 0x00004000
} StringFormatFlags;

typedef struct GpPointF {
  REAL X;
  REAL Y;
} GpPointF;

typedef struct GpRectF {
  REAL X;
  REAL Y;
  REAL Width;
  REAL Height;
} GpRectF;

// Opaque objects. A solid fill is a brush, so a GpSolidFill* passes wherever
// a GpBrush* is asked for.
struct GpGraphics;
struct GpBrush {};
struct GpSolidFill : GpBrush {};
struct GpPen;
struct GpFontFamily;
struct GpFontCollection;
struct GpFont;
struct GpStringFormat;

typedef enum DebugEventLevel { DebugEventLevelFatal = 0, DebugEventLevelWarning = 1 } DebugEventLevel;
typedef void(WINAPI* DebugEventProc)(DebugEventLevel level, CHAR* message);

// As on the platform, the record starts at version 1 with no callback and
// nothing suppressed; the version may be set afterwards.
struct GdiplusStartupInput {
  UINT32 GdiplusVersion;  // 1 (2 and 3 are accepted as well)
  DebugEventProc DebugEventCallback;
  BOOL SuppressBackgroundThread;
  BOOL SuppressExternalCodecs;

  GdiplusStartupInput(DebugEventProc debugEventCallback = nullptr, BOOL suppressBackgroundThread = FALSE,
                      BOOL suppressExternalCodecs = FALSE)
      : GdiplusVersion(1),
        DebugEventCallback(debugEventCallback),
        SuppressBackgroundThread(suppressBackgroundThread),
        SuppressExternalCodecs(suppressExternalCodecs) {}
};

typedef GpStatus(WINAPI* NotificationHookProc)(ULONG_PTR* token);
typedef void(WINAPI* NotificationUnhookProc)(ULONG_PTR token);

typedef struct GdiplusStartupOutput {
  NotificationHookProc NotificationHook;
  NotificationUnhookProc NotificationUnhook;
} GdiplusStartupOutput;

extern "C" {

// Start-up is counted: each successful GdiplusStartup hands out a distinct
// token, and GDI+ stays usable until every token is shut down again. `output`
// may be null; when given it receives no-op notification hooks. Shutting down
// an unknown or already used token does nothing.
GpStatus WINAPI GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, void* output);
void WINAPI GdiplusShutdown(ULONG_PTR token);

// Drawing object over a device context: a memory device context draws into
// its selected 32-bit DIB section; a display device context draws nothing.
// The drawing is complete in the bitmap (straight colour) once the last
// drawing object on that bitmap is deleted.
GpStatus WINAPI GdipCreateFromHDC(HDC dc, GpGraphics** graphics);
GpStatus WINAPI GdipDeleteGraphics(GpGraphics* graphics);
GpStatus WINAPI GdipSetSmoothingMode(GpGraphics* graphics, SmoothingMode mode);
GpStatus WINAPI GdipGetSmoothingMode(GpGraphics* graphics, SmoothingMode* mode);
GpStatus WINAPI GdipSetTextRenderingHint(GpGraphics* graphics, TextRenderingHint hint);
GpStatus WINAPI GdipGetTextRenderingHint(GpGraphics* graphics, TextRenderingHint* hint);

GpStatus WINAPI GdipCreateSolidFill(ARGB colour, GpSolidFill** brush);
GpStatus WINAPI GdipDeleteBrush(GpBrush* brush);
// Width in `unit` (UnitWorld and UnitPixel are pixels); a width of 0 draws
// hairlines one pixel wide.
GpStatus WINAPI GdipCreatePen1(ARGB colour, REAL width, GpUnit unit, GpPen** pen);
GpStatus WINAPI GdipDeletePen(GpPen* pen);

// Filled shapes; a width or height of 0 or less fills nothing (Ok).
GpStatus WINAPI GdipFillEllipseI(GpGraphics* graphics, GpBrush* brush, INT x, INT y, INT width, INT height);
GpStatus WINAPI GdipFillEllipse(GpGraphics* graphics, GpBrush* brush, REAL x, REAL y, REAL width, REAL height);
GpStatus WINAPI GdipFillRectangleI(GpGraphics* graphics, GpBrush* brush, INT x, INT y, INT width, INT height);
GpStatus WINAPI GdipFillRectangle(GpGraphics* graphics, GpBrush* brush, REAL x, REAL y, REAL width, REAL height);
GpStatus WINAPI GdipFillPolygon(GpGraphics* graphics, GpBrush* brush, const GpPointF* points, INT count,
                                GpFillMode fillMode);
// Closed outline through the points, mitred joins (limit 10).
GpStatus WINAPI GdipDrawPolygon(GpGraphics* graphics, GpPen* pen, const GpPointF* points, INT count);
GpStatus WINAPI GdipDrawLine(GpGraphics* graphics, GpPen* pen, REAL x1, REAL y1, REAL x2, REAL y2);

// Font families: a name resolves when the system has that family installed
// or maps it to a metric-compatible one ("Arial" to Liberation Sans);
// otherwise FontFamilyNotFound. Only the system collection exists (pass a
// null collection). The generic sans-serif family is one shared object
// (DejaVu Sans): deleting it does nothing and it is not a live object.
GpStatus WINAPI GdipCreateFontFamilyFromName(const WCHAR* name, GpFontCollection* collection, GpFontFamily** family);
GpStatus WINAPI GdipGetGenericFontFamilySansSerif(GpFontFamily** family);
GpStatus WINAPI GdipDeleteFontFamily(GpFontFamily* family);
// `name` receives the resolved family name (LF_FACESIZE code units).
GpStatus WINAPI GdipGetFamilyName(const GpFontFamily* family, WCHAR* name, WORD language);

// Style: FontStyle bits (bold and italic pick the matching face or synthesize
// it). An em size of 0 or less (or not finite), one above 65535 pixels and
// UnitDisplay fail with InvalidParameter.
GpStatus WINAPI GdipCreateFont(const GpFontFamily* family, REAL emSize, INT style, Unit unit, GpFont** font);
GpStatus WINAPI GdipDeleteFont(GpFont* font);
GpStatus WINAPI GdipGetFontSize(GpFont* font, REAL* size);

GpStatus WINAPI GdipCreateStringFormat(INT formatAttributes, WORD language, GpStringFormat** format);
GpStatus WINAPI GdipDeleteStringFormat(GpStringFormat* format);
GpStatus WINAPI GdipSetStringFormatAlign(GpStringFormat* format, StringAlignment align);
GpStatus WINAPI GdipSetStringFormatLineAlign(GpStringFormat* format, StringAlignment align);

// `length` -1 means up to the terminating NUL. A null format means near /
// near alignment, flags 0. `codepointsFitted` and `linesFilled` may be null.
GpStatus WINAPI GdipMeasureString(GpGraphics* graphics, const WCHAR* text, INT length, const GpFont* font,
                                  const GpRectF* layout, const GpStringFormat* format, GpRectF* box,
                                  INT* codepointsFitted, INT* linesFilled);
GpStatus WINAPI GdipDrawString(GpGraphics* graphics, const WCHAR* text, INT length, const GpFont* font,
                               const GpRectF* layout, const GpStringFormat* format, const GpBrush* brush);

}  // extern "C"
