#include "tests/pictures/png_file.h"

#include <png.h>

#include <cstring>
#include <stdexcept>
#include <string>

namespace horaz::test {
namespace {

// libpng's simplified interface keeps its state in a png_image that must be
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
  png_image* get() { return &image_; }
  png_image* operator->() { return &image_; }

 private:
  png_image image_;
};

std::runtime_error pngError(const std::filesystem::path& path, const char* what, PngImage& image) {
  return std::runtime_error(path.string() + ": " + what + " (" + image->message + ")");
}

}  // namespace

Picture readPng(const std::filesystem::path& path) {
  PngImage image;
  if (!png_image_begin_read_from_file(image.get(), path.c_str())) throw pngError(path, "cannot read as PNG", image);
  const bool alpha = (image->format & PNG_FORMAT_FLAG_ALPHA) != 0;
  image->format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
  Picture picture =
      Picture::blank(static_cast<int32_t>(image->width), static_cast<int32_t>(image->height), alpha ? 4 : 3);
  if (!png_image_finish_read(image.get(), nullptr, picture.bytes.data(), 0, nullptr))
    throw pngError(path, "cannot read as PNG", image);
  return picture;
}

void writePng(const std::filesystem::path& path, const Picture& picture) {
  if (picture.channels != 3 && picture.channels != 4)
    throw std::runtime_error(path.string() + ": a PNG is written from 3 or 4 channels");
  std::filesystem::create_directories(path.parent_path());
  PngImage image;
  image->width = static_cast<png_uint_32>(picture.width);
  image->height = static_cast<png_uint_32>(picture.height);
  image->format = picture.channels == 4 ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
  if (!png_image_write_to_file(image.get(), path.c_str(), 0, picture.bytes.data(), 0, nullptr))
    throw pngError(path, "cannot write PNG", image);
}

}  // namespace horaz::test
