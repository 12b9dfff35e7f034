// GDI: device contexts, device-independent bitmaps, pens, brushes, clipping
// and the few drawing operations the plug-in uses. Records keep the
// platform's exact layouts because they are stored and exchanged as bytes.
//
// How drawing lands in pixels here:
// - A memory device context starts with a 1 x 1 placeholder bitmap; select a
//   32-bit DIB section into it (CreateCompatibleDC(nullptr), CreateDIBSection,
//   SelectObject) and every drawing call writes into that bitmap's pixels.
// - DIB pixels are 4 bytes per pixel, blue, green, red, alpha; a row is
//   width x 4 bytes with no padding; rows run top-down for a negative header
//   height and bottom-up otherwise. New memory starts zeroed, but the memory
//   of a deleted DIB section of 1 MiB or more is handed to the next one of
//   the same size as it was left: clear it when a known start matters.
// - GDI's own drawing (LineTo, Ellipse) is aliased and writes opaque pixels
//   (alpha byte 255) in the pen's or brush's colour.
// - Nothing is ever written outside the selected bitmap or the clip
//   rectangle; coordinates are logical, shifted by the viewport origin.
// - A display device context has no pixels: drawing on it does nothing.
//
// Threads: every function may be called from any thread; one device context
// (and the bitmap selected into it) is used by one thread at a time.
#pragma once

#include "windef.h"

// --- Records -----------------------------------------------------------------

typedef LONG FXPT2DOT30;

typedef struct tagCIEXYZ {
  FXPT2DOT30 ciexyzX;
  FXPT2DOT30 ciexyzY;
  FXPT2DOT30 ciexyzZ;
} CIEXYZ;

typedef struct tagCIEXYZTRIPLE {
  CIEXYZ ciexyzRed;
  CIEXYZ ciexyzGreen;
  CIEXYZ ciexyzBlue;
} CIEXYZTRIPLE;

typedef struct tagBITMAPINFOHEADER {
  DWORD biSize;
  LONG biWidth;
  LONG biHeight;
  WORD biPlanes;
  WORD biBitCount;
  DWORD biCompression;
  DWORD biSizeImage;
  LONG biXPelsPerMeter;
  LONG biYPelsPerMeter;
  DWORD biClrUsed;
  DWORD biClrImportant;
} BITMAPINFOHEADER;

typedef struct {
  DWORD bV5Size;
  LONG bV5Width;
  LONG bV5Height;
  WORD bV5Planes;
  WORD bV5BitCount;
  DWORD bV5Compression;
  DWORD bV5SizeImage;
  LONG bV5XPelsPerMeter;
  LONG bV5YPelsPerMeter;
  DWORD bV5ClrUsed;
  DWORD bV5ClrImportant;
  DWORD bV5RedMask;
  DWORD bV5GreenMask;
  DWORD bV5BlueMask;
  DWORD bV5AlphaMask;
  DWORD bV5CSType;
  CIEXYZTRIPLE bV5Endpoints;
  DWORD bV5GammaRed;
  DWORD bV5GammaGreen;
  DWORD bV5GammaBlue;
  DWORD bV5Intent;
  DWORD bV5ProfileData;
  DWORD bV5ProfileSize;
  DWORD bV5Reserved;
} BITMAPV5HEADER;

typedef struct tagRGBQUAD {
  BYTE rgbBlue;
  BYTE rgbGreen;
  BYTE rgbRed;
  BYTE rgbReserved;
} RGBQUAD;

// The header is followed by the colour table; for BI_BITFIELDS with a
// 40-byte header the three colour masks (red, green, blue) take its place.
typedef struct tagBITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
} BITMAPINFO;

#define LF_FACESIZE 32

typedef struct tagLOGFONTW {
  LONG lfHeight;
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  WCHAR lfFaceName[LF_FACESIZE];
} LOGFONTW, *LPLOGFONTW;

static_assert(sizeof(CIEXYZTRIPLE) == 36, "CIEXYZTRIPLE is 36 bytes");
static_assert(sizeof(BITMAPINFOHEADER) == 40, "BITMAPINFOHEADER is 40 bytes");
static_assert(sizeof(BITMAPV5HEADER) == 124, "BITMAPV5HEADER is 124 bytes");
static_assert(sizeof(RGBQUAD) == 4, "RGBQUAD is 4 bytes");
static_assert(sizeof(LOGFONTW) == 92, "LOGFONTW is the 92-byte font record");
static_assert(offsetof(LOGFONTW, lfFaceName) == 28, "face name follows the 28 bytes of metrics and flags");

// --- Constants ---------------------------------------------------------------

// Compression of a DIB.
#define BI_RGB 0L
#define BI_BITFIELDS 3L

// Colour table usage of CreateDIBSection.
#define DIB_RGB_COLORS 0
#define DIB_PAL_COLORS 1

// Colour-space type and rendering intent of a BITMAPV5HEADER.
#define LCS_WINDOWS_COLOR_SPACE 0x57696E20L
#define LCS_sRGB 0x73524742L
#define LCS_GM_BUSINESS 0x00000001L
#define LCS_GM_GRAPHICS 0x00000002L
#define LCS_GM_IMAGES 0x00000004L
#define LCS_GM_ABS_COLORIMETRIC 0x00000008L

// Stock objects.
#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define HOLLOW_BRUSH NULL_BRUSH
#define WHITE_PEN 6
#define BLACK_PEN 7
#define NULL_PEN 8

// Pen styles (solid and null are drawn; the dashed styles draw solid).
#define PS_SOLID 0
#define PS_DASH 1
#define PS_DOT 2
#define PS_DASHDOT 3
#define PS_DASHDOTDOT 4
#define PS_NULL 5
#define PS_INSIDEFRAME 6

// Object types (GetCurrentObject, GetObjectType).
#define OBJ_PEN 1
#define OBJ_BRUSH 2
#define OBJ_DC 3
#define OBJ_FONT 6
#define OBJ_BITMAP 7
#define OBJ_REGION 8
#define OBJ_MEMDC 10

// Region kinds returned by the clipping functions.
#define RGN_ERROR 0
#define NULLREGION 1
#define SIMPLEREGION 2
#define COMPLEXREGION 3

// Device mode record of CreateDCW; only a null pointer is accepted here.
struct _devicemodeW;
typedef struct _devicemodeW DEVMODEW;

// --- Functions -----------------------------------------------------------------

extern "C" {

// Device contexts. CreateDCW accepts only the driver name "DISPLAY" (any
// letter case); the result has no pixels. CreateCompatibleDC makes a memory
// device context (the argument may be null or any device context) holding a
// 1 x 1 placeholder bitmap, the black pen and the white brush. DeleteDC frees
// it; whatever is selected stays alive and becomes selectable elsewhere.
HDC WINAPI CreateDCW(LPCWSTR driver, LPCWSTR device, LPCWSTR port, const DEVMODEW* mode);
HDC WINAPI CreateCompatibleDC(HDC dc);
BOOL WINAPI DeleteDC(HDC dc);

// A 32-bit DIB section (bit count 32, one plane, BI_RGB or BI_BITFIELDS with
// the masks red 0x00FF0000, green 0x0000FF00, blue 0x000000FF). `info` points
// to a BITMAPINFOHEADER, BITMAPV4HEADER or BITMAPV5HEADER (told apart by the
// size field). `*bits` receives the pixel memory, owned by the bitmap: zero,
// or for 1 MiB or more possibly the recycled pixels of a deleted bitmap of the
// same size (see above).
// Fails with null (and a null `*bits`) for other formats, a width or height of
// 0, a pixel buffer above 2^31 - 1 bytes, a file mapping, or no memory.
HBITMAP WINAPI CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD offset);

// Selects a pen, brush or bitmap (a region selects a copy of it as the clip)
// and returns the object it replaces, or null on failure. A bitmap goes into a
// memory device context only and into one at a time.
HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object);
// The selected object of the given type (OBJ_PEN, OBJ_BRUSH, OBJ_BITMAP).
HGDIOBJ WINAPI GetCurrentObject(HDC dc, UINT type);
// OBJ_PEN, OBJ_BRUSH, OBJ_BITMAP, OBJ_REGION, OBJ_DC or OBJ_MEMDC; 0 when the
// handle is not a live object.
DWORD WINAPI GetObjectType(HGDIOBJ object);
// Frees a pen, brush, bitmap or region. Stock objects are never freed (TRUE);
// an object still selected into a device context is not freed (FALSE).
BOOL WINAPI DeleteObject(HGDIOBJ object);
HGDIOBJ WINAPI GetStockObject(int object);

HPEN WINAPI CreatePen(int style, int width, COLORREF colour);
HBRUSH WINAPI CreateSolidBrush(COLORREF colour);

// Clipping. Coordinates of regions are device coordinates; those of
// IntersectClipRect are logical (shifted by the viewport origin). Results:
// NULLREGION, SIMPLEREGION or RGN_ERROR.
HRGN WINAPI CreateRectRgn(int left, int top, int right, int bottom);
int WINAPI SelectClipRgn(HDC dc, HRGN region);  // null region: no clip
int WINAPI IntersectClipRect(HDC dc, int left, int top, int right, int bottom);
int WINAPI GetClipBox(HDC dc, LPRECT box);  // logical coordinates
BOOL WINAPI SetViewportOrgEx(HDC dc, int x, int y, LPPOINT previous);
BOOL WINAPI GetViewportOrgEx(HDC dc, LPPOINT origin);

// Lines and the ellipse use the selected pen (1 pixel for widths 0 and 1);
// LineTo leaves out its end point and makes it the current position. Ellipse
// fits the outline inside left..right-1, top..bottom-1 and fills the inside
// with the selected brush unless that brush is hollow.
BOOL WINAPI MoveToEx(HDC dc, int x, int y, LPPOINT previous);
BOOL WINAPI LineTo(HDC dc, int x, int y);
BOOL WINAPI Ellipse(HDC dc, int left, int top, int right, int bottom);

// Pending drawing is always written already; kept for hosts that flush before
// reading a DIB section's pixels.
BOOL WINAPI GdiFlush(void);

}  // extern "C"
