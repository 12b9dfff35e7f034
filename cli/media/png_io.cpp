#include "cli/media/png_io.h"

#include <png.h>

#include <cstring>
#include <stdexcept>

namespace horaz::cli {
namespace {

// The simplified libpng interface keeps its state in a png_image that must be
// freed on every way out.
class PngImage {
 public:
  PngImage() {
    std::memset(&image_, 0, sizeof image_);
    image_.version = PNG_IMAGE_VERSION;
  }
  ~PngImage() { png_image_free(&image_); }
  PngImage(const PngImage&) = delete;
  PngImage& operator=(const PngImage&) = delete;
  png_image* operator->() { return &image_; }
  png_image* get() { return &image_; }

 private:
  png_image image_;
};

}  // namespace

RgbaPicture readPng(const std::string& path) {
  PngImage image;
  if (!png_image_begin_read_from_file(image.get(), path.c_str()))
    throw std::runtime_error(path + ": cannot read as PNG (" + image->message + ")");
  image->format = PNG_FORMAT_RGBA;
  if (image->width == 0 || image->height == 0 || image->width > 65536 || image->height > 65536 ||
      uint64_t{image->width} * image->height > (uint64_t{1} << 28))
    throw std::runtime_error(path + ": unsupported PNG size");
  RgbaPicture picture;
  picture.allocate(static_cast<int32_t>(image->width), static_cast<int32_t>(image->height));
  if (!png_image_finish_read(image.get(), nullptr, picture.pixels.data(), 0, nullptr))
    throw std::runtime_error(path + ": cannot read as PNG (" + image->message + ")");
  return picture;
}

std::vector<uint8_t> encodePng(const RgbaPicture& picture, bool withAlpha) {
  std::vector<uint8_t> rgb;
  const void* pixels = picture.pixels.data();
  PngImage image;
  image->width = static_cast<png_uint_32>(picture.width);
  image->height = static_cast<png_uint_32>(picture.height);
  if (withAlpha) {
    image->format = PNG_FORMAT_RGBA;
  } else {
    image->format = PNG_FORMAT_RGB;
    const size_t count = static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height);
    rgb.resize(count * 3);
    const uint8_t* from = picture.pixels.data();
    uint8_t* to = rgb.data();
    for (size_t i = 0; i < count; ++i, from += 4, to += 3) {
      to[0] = from[0];
      to[1] = from[1];
      to[2] = from[2];
    }
    pixels = rgb.data();
  }
  // One pass into a buffer of the largest size the encoder can produce.
  png_alloc_size_t size = PNG_IMAGE_PNG_SIZE_MAX(*image.get());
  std::vector<uint8_t> bytes(size);
  if (!png_image_write_to_memory(image.get(), bytes.data(), &size, 0, pixels, 0, nullptr))
    throw std::runtime_error(std::string("PNG encoding failed: ") + image->message);
  bytes.resize(size);
  return bytes;
}

}  // namespace horaz::cli
