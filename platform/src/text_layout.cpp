#include "text_layout.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "utf16.h"

namespace horaz::platform::detail {

namespace {

// One code point of the text as layout sees it.
struct Item {
  char32_t value;
  std::size_t end;      // code unit index just after it
  unsigned long glyph;  // glyph index; meaningful when `visible`
  bool visible;         // has a glyph to draw
  double advance;
};

bool isSpace(const Item& item) { return item.value == U' ' || item.value == U'\t' || item.value == U'\u00A0'; }

// Glyphs and advances for the code points of one paragraph. cairo maps each
// code point to one glyph; should it ever not, each is looked up alone.
void shapeParagraph(cairo_scaled_font_t* font, std::vector<Item>& items) {
  if (items.empty()) return;
  std::string utf8;
  for (const Item& item : items) appendUtf8(utf8, item.visible ? item.value : U' ');
  cairo_glyph_t* glyphs = nullptr;
  int count = 0;
  const bool whole = cairo_scaled_font_text_to_glyphs(font, 0, 0, utf8.data(), int(utf8.size()), &glyphs, &count,
                                                      nullptr, nullptr, nullptr) == CAIRO_STATUS_SUCCESS &&
                     count == int(items.size());
  for (std::size_t i = 0; i < items.size(); ++i) {
    Item& item = items[i];
    if (!item.visible) {
      item.advance = 0.0;
      continue;
    }
    cairo_glyph_t glyph{};
    if (whole) {
      glyph = glyphs[i];
    } else {
      std::string single;
      appendUtf8(single, item.value);
      cairo_glyph_t* one = nullptr;
      int n = 0;
      if (cairo_scaled_font_text_to_glyphs(font, 0, 0, single.data(), int(single.size()), &one, &n, nullptr, nullptr,
                                           nullptr) == CAIRO_STATUS_SUCCESS &&
          n > 0)
        glyph = one[0];
      cairo_glyph_free(one);
    }
    glyph.x = glyph.y = 0.0;
    cairo_text_extents_t extents;
    cairo_scaled_font_glyph_extents(font, &glyph, 1, &extents);
    item.glyph = glyph.index;
    item.advance = extents.x_advance;
  }
  cairo_glyph_free(glyphs);
}

struct LineRange {
  std::size_t begin, end;  // items
};

// Greedy filling: a line ends before the first glyph that would push its
// padded width past `maxWidth`, at the last run of spaces before it, or
// between characters when the word alone is too wide.
std::vector<LineRange> breakParagraph(const std::vector<Item>& items, double maxWidth, double padding) {
  std::vector<LineRange> lines;
  std::size_t i = 0;
  while (i < items.size()) {
    const std::size_t start = i;
    double width = 0.0;
    std::size_t breakAt = start;  // just after a run of spaces
    std::size_t j = start;
    for (; j < items.size(); ++j) {
      const bool space = isSpace(items[j]);
      if (!space && maxWidth > 0.0 && j > start && width + items[j].advance + 2 * padding > maxWidth + 1e-4) break;
      width += items[j].advance;
      if (space && (j + 1 == items.size() || !isSpace(items[j + 1]))) breakAt = j + 1;
    }
    std::size_t end = j == items.size() ? j : (breakAt > start ? breakAt : j);
    lines.push_back({start, end});
    i = end;
  }
  if (lines.empty()) lines.push_back({0, 0});
  return lines;
}

// Where a box of `size` goes along one axis of a layout rectangle that
// starts at `origin` and is `extent` long (0: no extent, align to the point).
double alignAlong(StringAlignment align, double origin, double extent, double size) {
  switch (align) {
    case StringAlignmentCenter: return origin + (extent - size) / 2.0;
    case StringAlignmentFar: return origin + extent - size;
    default: return origin;
  }
}

// One line of a paragraph and the code unit just after it.
struct Line {
  std::vector<Item> items;
  std::size_t endUnit;
};

// Phase 1: paragraphs at "\n" ("\r" is dropped), shaped, then broken into
// lines no wider than `wrapWidth` (0: no wrapping).
std::vector<Line> breakIntoLines(const GpFont& font, std::u16string_view text, double wrapWidth, double padding) {
  std::vector<Line> lines;
  std::vector<Item> paragraph;
  auto flushParagraph = [&](std::size_t endUnit) {
    shapeParagraph(font.measuring.get(), paragraph);
    for (const LineRange& range : breakParagraph(paragraph, wrapWidth, padding)) {
      Line line{{paragraph.begin() + long(range.begin), paragraph.begin() + long(range.end)},
                range.end < paragraph.size() ? paragraph[range.end - 1].end : endUnit};
      lines.push_back(std::move(line));
    }
    paragraph.clear();
  };
  for (const CodePoint& point : decodeUtf16(text)) {
    const std::size_t end = point.offset + point.units;
    if (point.value == U'\n') {
      flushParagraph(end);
      continue;
    }
    if (point.value == U'\r') continue;
    const bool visible = point.value >= 0x20 || point.value == U'\t';
    paragraph.push_back({point.value == U'\t' ? U' ' : point.value, end, 0, visible, 0.0});
  }
  if (!paragraph.empty() || text.back() == u'\n') flushParagraph(text.size());
  return lines;
}

// The horizontal extent of the lines' boxes, when any line has one.
struct InkedSpan {
  double left = 0.0;
  double right = 0.0;
  bool any = false;
};

// Phase 2: the block aligned in the rectangle, then each line that is at
// least partly inside it, with its glyphs and padded box.
InkedSpan placeLines(const GpFont& font, const std::vector<Line>& lines, const GpRectF& layout, double width,
                     double height, StringAlignment align, double blockTop, double padding, TextLayout& result) {
  const double ascent = font.face->metrics.ascender * font.emPixels;
  InkedSpan span;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    LaidOutLine out;
    out.top = blockTop + result.lineSpacing * double(i);
    if (height > 0.0 && out.top >= layout.Y + height) break;  // below the rectangle
    out.baseline = out.top + ascent;
    double x = 0.0, inked = 0.0;
    for (const Item& item : lines[i].items) {
      if (item.visible && !isSpace(item)) out.glyphs.push_back({item.glyph, x, 0.0});
      x += item.advance;
      if (!isSpace(item)) inked = x;
    }
    out.advance = inked;
    out.boxWidth = inked > 0.0 ? inked + 2 * padding : 0.0;
    out.boxLeft = alignAlong(align, layout.X, width, out.boxWidth);
    out.glyphOrigin = out.boxLeft + padding;
    if (out.boxWidth > 0.0) {
      span.left = span.any ? std::min(span.left, out.boxLeft) : out.boxLeft;
      span.right = span.any ? std::max(span.right, out.boxLeft + out.boxWidth) : out.boxLeft + out.boxWidth;
      span.any = true;
    }
    result.codepointsFitted = int(lines[i].endUnit);
    result.lines.push_back(std::move(out));
  }
  result.linesFilled = int(result.lines.size());
  return span;
}

// Phase 3: the measured box, cut to the rectangle along each side it has.
GpRectF measuredBox(const InkedSpan& span, const GpRectF& layout, double width, double height, StringAlignment align,
                    double blockTop, double blockHeight) {
  double left = span.any ? span.left : alignAlong(align, layout.X, width, 0.0);
  double right = span.any ? span.right : left;
  double top = blockTop, bottom = blockTop + blockHeight;
  if (width > 0.0) {
    left = std::clamp(left, double(layout.X), double(layout.X) + width);
    right = std::clamp(right, double(layout.X), double(layout.X) + width);
  }
  if (height > 0.0) {
    top = std::clamp(top, double(layout.Y), double(layout.Y) + height);
    bottom = std::clamp(bottom, double(layout.Y), double(layout.Y) + height);
  }
  return {float(left), float(top), float(right - left), float(bottom - top)};
}

}  // namespace

TextLayout layOutText(const GpFont& font, std::u16string_view text, const GpRectF& layout,
                      const GpStringFormat* format) {
  TextLayout result;
  const StringAlignment align = format ? format->align : StringAlignmentNear;
  const StringAlignment lineAlign = format ? format->lineAlign : StringAlignmentNear;
  const INT flags = format ? format->flags : 0;
  const double width = std::max(0.0f, layout.Width), height = std::max(0.0f, layout.Height);
  result.em = font.emPixels;
  result.lineSpacing = font.face->metrics.lineSpacing * font.emPixels;
  result.clip = width > 0.0 && height > 0.0 && !(flags & StringFormatFlagsNoClip);
  result.box = {layout.X, layout.Y, 0.0f, 0.0f};
  if (text.empty()) return result;

  const double padding = font.emPixels / 6.0;
  const double wrapWidth = (flags & StringFormatFlagsNoWrap) ? 0.0 : width;
  const std::vector<Line> lines = breakIntoLines(font, text, wrapWidth, padding);

  const double blockHeight = result.lineSpacing * double(lines.size());
  const double blockTop = alignAlong(lineAlign, layout.Y, height, blockHeight);
  const InkedSpan span = placeLines(font, lines, layout, width, height, align, blockTop, padding, result);

  result.box = measuredBox(span, layout, width, height, align, blockTop, blockHeight);
  return result;
}

}  // namespace horaz::platform::detail
