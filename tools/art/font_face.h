// A TrueType face through FreeType, rendering anti-aliased glyph masks at a
// size that may differ across and down (our textures are drawn stretched).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velmo::art {

struct GlyphMask {
  int width = 0, height = 0;
  int left = 0, top = 0;          // bitmap origin relative to the pen: x right, y up
  double advance = 0;             // pen advance in pixels
  std::vector<uint8_t> coverage;  // width x height, 0..255
  bool empty() const { return width == 0 || height == 0; }
};

class FontFace {
 public:
  // Throws std::runtime_error naming the file when it cannot be opened.
  explicit FontFace(const std::string& path);
  ~FontFace();
  FontFace(const FontFace&) = delete;
  FontFace& operator=(const FontFace&) = delete;

  // The em square in pixels, across and down.
  void setEmSize(double across, double down);

  // Nothing for a character the face lacks.
  bool hasChar(uint32_t codepoint) const;
  GlyphMask render(uint32_t codepoint) const;

  // Scaled metrics of the face, in pixels, y up.
  double ascender() const;
  double descender() const;

 private:
  struct Handles;
  Handles* handles_;
};

}  // namespace velmo::art
