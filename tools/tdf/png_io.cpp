#include "png_io.h"

#include <png.h>

#include <cstdio>
#include <memory>
#include <stdexcept>

namespace velmo::tools {

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

[[noreturn]] void fail(const std::string& path, const std::string& what) {
  throw std::runtime_error(path + ": " + what);
}

// libpng's error callback must not return; x86-64 code carries unwind tables,
// so an exception passes through libpng's frames to our catch.
void onPngError(png_structp png, png_const_charp message) {
  throw std::runtime_error(message ? message : "libpng error");
}

void onPngWarning(png_structp, png_const_charp) {}

}  // namespace

Image readPng(const std::string& path) {
  File file(std::fopen(path.c_str(), "rb"));
  if (!file) fail(path, "cannot open");
  png_byte signature[8];
  if (std::fread(signature, 1, 8, file.get()) != 8 || png_sig_cmp(signature, 0, 8) != 0)
    fail(path, "not a PNG file");

  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, onPngError, onPngWarning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    fail(path, "out of memory");
  }
  struct Guard {
    png_structp* png;
    png_infop* info;
    ~Guard() { png_destroy_read_struct(png, info, nullptr); }
  } guard{&png, &info};

  Image image;
  try {
    png_init_io(png, file.get());
    png_set_sig_bytes(png, 8);
    png_read_info(png, info);
    png_uint_32 width = png_get_image_width(png, info);
    png_uint_32 height = png_get_image_height(png, info);
    if (width == 0 || height == 0 || width > 4096 || height > 4096)
      fail(path, "picture size " + std::to_string(width) + "x" + std::to_string(height) +
                     " is not supported");
    // Every PNG colour type becomes 8-bit RGBA bytes; the words are built below.
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);

    std::vector<png_byte> rgba(static_cast<size_t>(width) * height * 4);
    std::vector<png_bytep> rows(height);
    for (png_uint_32 y = 0; y < height; ++y) rows[y] = rgba.data() + static_cast<size_t>(y) * width * 4;
    png_read_image(png, rows.data());

    image = Image(static_cast<int>(width), static_cast<int>(height));
    for (size_t i = 0; i < image.pixels.size(); ++i)
      image.pixels[i] = packArgb(rgba[4 * i + 3], rgba[4 * i], rgba[4 * i + 1], rgba[4 * i + 2]);
  } catch (const std::runtime_error& error) {
    std::string message = error.what();
    if (message.rfind(path, 0) == 0) throw;
    fail(path, message);
  }
  return image;
}

void writePng(const std::string& path, const Image& image) {
  File file(std::fopen(path.c_str(), "wb"));
  if (!file) fail(path, "cannot create");
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, onPngError, onPngWarning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    fail(path, "out of memory");
  }
  struct Guard {
    png_structp* png;
    png_infop* info;
    ~Guard() { png_destroy_write_struct(png, info); }
  } guard{&png, &info};

  std::vector<png_byte> rgba(image.pixels.size() * 4);
  for (size_t i = 0; i < image.pixels.size(); ++i) {
    uint32_t p = image.pixels[i];
    rgba[4 * i] = static_cast<png_byte>(p >> 16);
    rgba[4 * i + 1] = static_cast<png_byte>(p >> 8);
    rgba[4 * i + 2] = static_cast<png_byte>(p);
    rgba[4 * i + 3] = static_cast<png_byte>(p >> 24);
  }
  std::vector<png_bytep> rows(static_cast<size_t>(image.height));
  for (int y = 0; y < image.height; ++y) rows[y] = rgba.data() + static_cast<size_t>(y) * image.width * 4;
  try {
    png_init_io(png, file.get());
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
                 PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
  } catch (const std::runtime_error& error) {
    fail(path, error.what());
  }
  if (std::fflush(file.get()) != 0) fail(path, "write failed");
}

}  // namespace velmo::tools
