// PNG through libpng's simplified API; frames compared channel by channel.
#include "png_image.h"

#include <png.h>

#include <cstdlib>

bool readPng(const std::string& path, RgbImage* image, std::string* why) {
  png_image png = {};
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&png, path.c_str())) {
    *why = png.message;
    return false;
  }
  png.format = PNG_FORMAT_BGRA;  // little-endian 0xAARRGGBB words
  std::vector<uint32_t> pixels(png.width * png.height);
  if (!png_image_finish_read(&png, nullptr, pixels.data(), 0, nullptr)) {
    *why = png.message;
    return false;
  }
  for (auto& p : pixels) p &= 0x00ffffff;
  image->width = (int)png.width;
  image->height = (int)png.height;
  image->pixels = std::move(pixels);
  return true;
}

bool writePng(const std::string& path, const RgbImage& image, std::string* why) {
  std::vector<uint8_t> rgb(image.pixels.size() * 3);
  for (size_t i = 0; i < image.pixels.size(); i++) {
    rgb[3 * i] = (uint8_t)(image.pixels[i] >> 16);
    rgb[3 * i + 1] = (uint8_t)(image.pixels[i] >> 8);
    rgb[3 * i + 2] = (uint8_t)image.pixels[i];
  }
  png_image png = {};
  png.version = PNG_IMAGE_VERSION;
  png.width = (png_uint_32)image.width;
  png.height = (png_uint_32)image.height;
  png.format = PNG_FORMAT_RGB;
  if (!png_image_write_to_file(&png, path.c_str(), 0, rgb.data(), 0, nullptr)) {
    *why = png.message;
    return false;
  }
  return true;
}

ImageDifference compareImages(const RgbImage& a, const RgbImage& b, int threshold) {
  ImageDifference d;
  if (a.width != b.width || a.height != b.height) {
    d.largest = 255;
    d.meanAbsolute = 255;
    d.pixelsOver = (long)std::max(a.pixels.size(), b.pixels.size());
    return d;
  }
  double total = 0;
  for (size_t i = 0; i < a.pixels.size(); i++) {
    int worst = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
      const int diff = std::abs((int)((a.pixels[i] >> shift) & 0xff) - (int)((b.pixels[i] >> shift) & 0xff));
      total += diff;
      worst = std::max(worst, diff);
    }
    d.largest = std::max(d.largest, worst);
    if (worst > threshold) d.pixelsOver++;
  }
  d.meanAbsolute = a.pixels.empty() ? 0 : total / (3.0 * (double)a.pixels.size());
  return d;
}
