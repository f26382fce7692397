// PNG files through libpng.
#include "output/png_writer.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include "output/atomic_file.h"

namespace velmo {
namespace {

struct PngError {
  std::string message;
};

void onPngError(png_structp png, png_const_charp message) {
  static_cast<PngError*>(png_get_error_ptr(png))->message = message;
  png_longjmp(png, 1);
}

void onPngWarning(png_structp, png_const_charp) {}

// Writes the frame into `fileName`; messages name `path`, the file the user asked for.
bool writePngFile(const std::string& fileName, const std::string& path, const Frame& frame, std::string* error) {
  FILE* file = std::fopen(fileName.c_str(), "wb");
  if (!file) {
    *error = path + ": " + std::strerror(errno);
    return false;
  }
  PngError pngError;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &pngError, onPngError, onPngWarning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info) {
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    *error = path + ": out of memory";
    return false;
  }
  errno = 0;
  if (setjmp(png_jmpbuf(png))) {
    // libpng's own words for a failed write are only "Write Error".
    int writeErrno = errno;
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    *error = path + ": " + (writeErrno ? std::strerror(writeErrno) : pngError.message);
    return false;
  }
  png_init_io(png, file);
  png_set_compression_level(png, 3);  // frames are many; size matters less than time
  png_set_IHDR(png, info, frame.width, frame.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  // 0x00RRGGBB in memory on a little-endian machine is B, G, R, unused.
  png_set_bgr(png);
  png_set_filler(png, 0, PNG_FILLER_AFTER);
  for (int y = 0; y < frame.height; ++y) {
    png_write_row(png, reinterpret_cast<png_const_bytep>(frame.pixels + static_cast<size_t>(y) * frame.stride));
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  bool flushed = std::fflush(file) == 0;
  int flushErrno = errno;
  bool closed = std::fclose(file) == 0;
  if (!flushed || !closed) {
    *error = path + ": " + std::strerror(flushed ? errno : flushErrno);
    return false;
  }
  return true;
}

}  // namespace

bool writePng(const std::string& path, const Frame& frame, bool replace, std::string* error, std::string* placedAt) {
  AtomicFile file;
  if (!file.create(path, error) || !writePngFile(file.path(), path, frame, error) || !file.commit(replace, error)) {
    return false;
  }
  if (placedAt) *placedAt = file.placedAt();
  return true;
}

}  // namespace velmo
