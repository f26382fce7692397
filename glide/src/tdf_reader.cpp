// Reads 3DF texture files: gu3dfGetInfo parses and checks the header, gu3dfLoad
// reads the table and the texels of every level.
//
// A 3DF file is four text lines ("3df v1.1", the format name, "lod range: 1 256",
// "aspect ratio: 1 1"), then an NCC table (yiq, ayiq8422: 40 big-endian 16-bit
// values) or a palette (p8, ap88: 256 big-endian 32-bit entries), then the
// texels of each level, largest first, 16- and 32-bit texels big-endian.
//
// Only regular files are read (a pipe or a device is refused like a missing
// file). A file is accepted only when its size is exactly what its header promises,
// so a truncated or padded file is refused before any texel is read. gu3dfLoad
// parses the header again and refuses a file whose texels would not fill the
// caller's buffer exactly (the file may have changed since gu3dfGetInfo).
// mem_required is the size of the texels alone, as they lie in the file.
// The NCC table's packed_data holds the board's register layout: four Y values
// to a word, then each I and Q entry as 9-bit red, green, blue fields (r<<18 |
// g<<9 | b).
#include <glide.h>
#include <glideutl.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "record.h"
#include "texture_format.h"

namespace {

// The longest header line we take; real ones are under 20 characters.
constexpr int maxLineLength = 128;
constexpr long nccTableBytes = 40 * 2;
constexpr long paletteBytes = 256 * 4;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

struct FormatName {
  const char* name;
  GrTextureFormat_t format;
};

constexpr FormatName formatNames[] = {
    {"rgb332", GR_TEXFMT_RGB_332},
    {"yiq", GR_TEXFMT_YIQ_422},
    {"a8", GR_TEXFMT_ALPHA_8},
    {"i8", GR_TEXFMT_INTENSITY_8},
    {"ai44", GR_TEXFMT_ALPHA_INTENSITY_44},
    {"p8", GR_TEXFMT_P_8},
    {"argb8332", GR_TEXFMT_ARGB_8332},
    {"ayiq8422", GR_TEXFMT_AYIQ_8422},
    {"rgb565", GR_TEXFMT_RGB_565},
    {"argb1555", GR_TEXFMT_ARGB_1555},
    {"argb4444", GR_TEXFMT_ARGB_4444},
    {"ai88", GR_TEXFMT_ALPHA_INTENSITY_88},
    {"ap88", GR_TEXFMT_AP_88},
    {"argb8888", VGL_TEXFMT_ARGB_8888},
};

struct ParsedHeader {
  Gu3dfHeader header;
  long headerBytes;
  long tableBytes;
  FxU32 texelBytes;
};

bool equalsIgnoringCase(const std::string& a, const char* b) {
  if (a.size() != std::strlen(b)) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char c = a[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != b[i]) return false;
  }
  return true;
}

// One header line split at blanks; false when the line is too long or the file
// ends before its line feed.
bool readLineTokens(std::FILE* file, long* consumed, std::vector<std::string>* tokens) {
  tokens->clear();
  std::string token;
  for (int length = 0;; ++length) {
    int c = std::fgetc(file);
    if (c == EOF || length > maxLineLength) return false;
    ++*consumed;
    if (c == '\n' || c == ' ' || c == '\t' || c == '\r') {
      if (!token.empty()) tokens->push_back(token);
      token.clear();
      if (c == '\n') return true;
    } else {
      token.push_back(static_cast<char>(c));
    }
  }
}

// A small decimal number: 1 to 4 digits, nothing else.
bool parseSmallNumber(const std::string& text, int* value) {
  if (text.empty() || text.size() > 4) return false;
  int result = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    result = result * 10 + (c - '0');
  }
  *value = result;
  return true;
}

bool parseVersion(const std::string& text) {
  // v<major>.<minor>
  size_t dot = text.find('.');
  int major, minor;
  return text.size() > 1 && (text[0] == 'v' || text[0] == 'V') && dot != std::string::npos &&
         parseSmallNumber(text.substr(1, dot - 1), &major) &&
         parseSmallNumber(text.substr(dot + 1), &minor);
}

// LOD number of a level side of 1..256 texels, -1 for any other size.
int lodOfSize(int size) {
  for (int lod = GR_LOD_256; lod <= GR_LOD_1; ++lod)
    if (size == 256 >> lod) return lod;
  return -1;
}

int aspectOf(int width, int height) {
  static const int ratios[][2] = {{8, 1}, {4, 1}, {2, 1}, {1, 1}, {1, 2}, {1, 4}, {1, 8}};
  for (int aspect = GR_ASPECT_8x1; aspect <= GR_ASPECT_1x8; ++aspect)
    if (ratios[aspect][0] == width && ratios[aspect][1] == height) return aspect;
  return -1;
}

bool parseHeader(std::FILE* file, ParsedHeader* parsed) {
  long consumed = 0;
  std::vector<std::string> tokens;

  if (!readLineTokens(file, &consumed, &tokens) || tokens.size() != 2 ||
      !equalsIgnoringCase(tokens[0], "3df") || !parseVersion(tokens[1]))
    return false;

  if (!readLineTokens(file, &consumed, &tokens) || tokens.size() != 1) return false;
  int format = -1;
  for (const FormatName& entry : formatNames)
    if (equalsIgnoringCase(tokens[0], entry.name)) format = entry.format;
  if (format < 0) return false;

  int smallSize, largeSize;
  if (!readLineTokens(file, &consumed, &tokens) || tokens.size() != 4 ||
      !equalsIgnoringCase(tokens[0], "lod") || !equalsIgnoringCase(tokens[1], "range:") ||
      !parseSmallNumber(tokens[2], &smallSize) || !parseSmallNumber(tokens[3], &largeSize))
    return false;
  int smallLod = lodOfSize(smallSize);
  int largeLod = lodOfSize(largeSize);
  if (smallLod < 0 || largeLod < 0 || largeLod > smallLod) return false;

  int ratioWidth, ratioHeight;
  if (!readLineTokens(file, &consumed, &tokens) || tokens.size() != 4 ||
      !equalsIgnoringCase(tokens[0], "aspect") || !equalsIgnoringCase(tokens[1], "ratio:") ||
      !parseSmallNumber(tokens[2], &ratioWidth) || !parseSmallNumber(tokens[3], &ratioHeight))
    return false;
  int aspect = aspectOf(ratioWidth, ratioHeight);
  if (aspect < 0) return false;

  int width, height;
  glide::levelSize(largeLod, aspect, &width, &height);
  parsed->header.width = static_cast<FxU32>(width);
  parsed->header.height = static_cast<FxU32>(height);
  parsed->header.small_lod = smallLod;
  parsed->header.large_lod = largeLod;
  parsed->header.aspect_ratio = aspect;
  parsed->header.format = format;
  parsed->headerBytes = consumed;
  parsed->tableBytes = glide::usesNccTable(format)  ? nccTableBytes
                       : glide::usesPalette(format) ? paletteBytes
                                                    : 0;
  parsed->texelBytes = glide::mipmapBytes(format, smallLod, largeLod, aspect);
  return parsed->texelBytes > 0;
}

// Opens a regular file for reading. Anything else is refused: a pipe would
// keep the reader waiting for ever, and a device has no size to check.
std::FILE* openRegularFile(const char* filename) {
#ifdef _WIN32
  return std::fopen(filename, "rb");
#else
  const int fd = open(filename, O_RDONLY | O_NONBLOCK | O_CLOEXEC);  // a pipe opens without waiting
  if (fd < 0) return nullptr;
  struct stat st;
  std::FILE* file = nullptr;
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && fcntl(fd, F_SETFL, 0) == 0) file = fdopen(fd, "rb");
  if (!file) close(fd);
  return file;
#endif
}

// Opens the file and parses its header; refuses a file whose size differs from
// what the header promises. The file is left positioned after the header.
File openChecked(const char* filename, ParsedHeader* parsed) {
  if (!filename) return nullptr;
  File file(openRegularFile(filename));
  if (!file || !parseHeader(file.get(), parsed)) return nullptr;
  long expected = parsed->headerBytes + parsed->tableBytes + static_cast<long>(parsed->texelBytes);
  if (std::fseek(file.get(), 0, SEEK_END) != 0 || std::ftell(file.get()) != expected ||
      std::fseek(file.get(), parsed->headerBytes, SEEK_SET) != 0)
    return nullptr;
  return file;
}

FxU32 bigEndian16(const FxU8* p) { return static_cast<FxU32>(p[0] << 8 | p[1]); }

FxU32 bigEndian32(const FxU8* p) {
  return static_cast<FxU32>(p[0]) << 24 | static_cast<FxU32>(p[1]) << 16 |
         static_cast<FxU32>(p[2]) << 8 | p[3];
}

FxU32 packNccEntry(const FxI16* rgb) {
  return (static_cast<FxU32>(rgb[0]) & 0x1FF) << 18 | (static_cast<FxU32>(rgb[1]) & 0x1FF) << 9 |
         (static_cast<FxU32>(rgb[2]) & 0x1FF);
}

void readNccTable(const FxU8* bytes, GuNccTable* table) {
  for (int i = 0; i < 16; ++i) {
    FxU32 y = bigEndian16(bytes + 2 * i);
    table->yRGB[i] = static_cast<FxU8>(y > 255 ? 255 : y);
  }
  for (int i = 0; i < 12; ++i) {
    table->iRGB[i / 3][i % 3] = static_cast<FxI16>(bigEndian16(bytes + 32 + 2 * i));
    table->qRGB[i / 3][i % 3] = static_cast<FxI16>(bigEndian16(bytes + 56 + 2 * i));
  }
  for (int i = 0; i < 4; ++i) {
    table->packed_data[i] = static_cast<FxU32>(table->yRGB[4 * i]) |
                            static_cast<FxU32>(table->yRGB[4 * i + 1]) << 8 |
                            static_cast<FxU32>(table->yRGB[4 * i + 2]) << 16 |
                            static_cast<FxU32>(table->yRGB[4 * i + 3]) << 24;
    table->packed_data[4 + i] = packNccEntry(table->iRGB[i]);
    table->packed_data[8 + i] = packNccEntry(table->qRGB[i]);
  }
}

void readPalette(const FxU8* bytes, GuTexPalette* palette) {
  for (int i = 0; i < 256; ++i) palette->data[i] = bigEndian32(bytes + 4 * i);
}

// Texels were read as big-endian bytes; turn them into host-order words in place.
void toHostOrder(void* texels, FxU32 bytes, int texelSize) {
  FxU8* raw = static_cast<FxU8*>(texels);
  if (texelSize == 2) {
    for (FxU32 i = 0; i + 1 < bytes; i += 2) {
      FxU16 value = static_cast<FxU16>(bigEndian16(raw + i));
      std::memcpy(raw + i, &value, 2);
    }
  } else if (texelSize == 4) {
    for (FxU32 i = 0; i + 3 < bytes; i += 4) {
      FxU32 value = bigEndian32(raw + i);
      std::memcpy(raw + i, &value, 4);
    }
  }
}

}  // namespace

extern "C" {

FX_ENTRY FxBool FX_CALL gu3dfGetInfo(const char* filename, Gu3dfInfo* info) {
  glide::recordText("gu3dfGetInfo", filename);
  if (!info) return FXFALSE;
  ParsedHeader parsed;
  if (!openChecked(filename, &parsed)) return FXFALSE;
  info->header = parsed.header;
  info->mem_required = parsed.texelBytes;
  return FXTRUE;
}

FX_ENTRY FxBool FX_CALL gu3dfLoad(const char* filename, Gu3dfInfo* info) {
  glide::recordText("gu3dfLoad", filename);
  if (!info || !info->data) return FXFALSE;
  ParsedHeader parsed;
  File file = openChecked(filename, &parsed);
  // The caller's buffer holds mem_required bytes; anything else is not ours to fill.
  if (!file || parsed.texelBytes != info->mem_required) return FXFALSE;

  FxU8 tableBytes[paletteBytes];
  if (parsed.tableBytes > 0 &&
      std::fread(tableBytes, 1, static_cast<size_t>(parsed.tableBytes), file.get()) !=
          static_cast<size_t>(parsed.tableBytes))
    return FXFALSE;
  if (std::fread(info->data, 1, parsed.texelBytes, file.get()) != parsed.texelBytes)
    return FXFALSE;

  toHostOrder(info->data, parsed.texelBytes, glide::texelBytes(parsed.header.format));
  if (glide::usesNccTable(parsed.header.format))
    readNccTable(tableBytes, &info->table.nccTable);
  else if (glide::usesPalette(parsed.header.format))
    readPalette(tableBytes, &info->table.palette);
  info->header = parsed.header;
  return FXTRUE;
}

}  // extern "C"
