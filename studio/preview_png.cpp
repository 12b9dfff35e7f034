#include "studio/preview_png.h"

#include <csetjmp>
#include <stdexcept>
#include <string>

#include <png.h>
#include <zlib.h>

namespace horaz::studio {
namespace {

void append(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void flush(png_structp) {}

[[noreturn]] void fail(png_structp, png_const_charp message) {
  throw std::runtime_error(std::string("PNG encoding failed: ") + message);
}

void warn(png_structp, png_const_charp) {}

}  // namespace

std::vector<uint8_t> encodePreviewPng(const cli::RgbaPicture& picture) {
  std::vector<uint8_t> bytes;
  bytes.reserve(static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height));
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, &fail, &warn);
  if (!png) throw std::runtime_error("PNG encoding failed: out of memory");
  png_infop info = png_create_info_struct(png);
  struct Release {
    png_structp* png;
    png_infop* info;
    ~Release() { png_destroy_write_struct(png, info); }
  } release{&png, &info};
  if (!info) throw std::runtime_error("PNG encoding failed: out of memory");
  png_set_write_fn(png, &bytes, &append, &flush);
  // The fastest deflate, and the one filter that suits both flat areas and
  // gradients: a tenth of the default's time for about twice the bytes.
  png_set_compression_level(png, Z_BEST_SPEED);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
  png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width), static_cast<png_uint_32>(picture.height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
  png_write_info(png, info);
  png_set_filler(png, 0, PNG_FILLER_AFTER);  // rows hold RGBA; the alpha byte is dropped
  for (int32_t y = 0; y < picture.height; ++y) png_write_row(png, const_cast<png_bytep>(picture.row(y)));
  png_write_end(png, nullptr);
  return bytes;
}

}  // namespace horaz::studio
