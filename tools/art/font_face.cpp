#include "font_face.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <stdexcept>

namespace velmo::art {

struct FontFace::Handles {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
};

FontFace::FontFace(const std::string& path) : handles_(new Handles) {
  if (FT_Init_FreeType(&handles_->library) != 0) {
    delete handles_;
    throw std::runtime_error("cannot start FreeType");
  }
  if (FT_New_Face(handles_->library, path.c_str(), 0, &handles_->face) != 0) {
    FT_Done_FreeType(handles_->library);
    delete handles_;
    throw std::runtime_error(path + ": cannot open font");
  }
}

FontFace::~FontFace() {
  FT_Done_Face(handles_->face);
  FT_Done_FreeType(handles_->library);
  delete handles_;
}

void FontFace::setEmSize(double across, double down) {
  FT_Set_Char_Size(handles_->face, static_cast<FT_F26Dot6>(std::lround(across * 64)),
                   static_cast<FT_F26Dot6>(std::lround(down * 64)), 72, 72);
}

bool FontFace::hasChar(uint32_t codepoint) const {
  return FT_Get_Char_Index(handles_->face, codepoint) != 0;
}

GlyphMask FontFace::render(uint32_t codepoint) const {
  GlyphMask mask;
  FT_UInt index = FT_Get_Char_Index(handles_->face, codepoint);
  if (index == 0 || FT_Load_Glyph(handles_->face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) != 0)
    return mask;
  FT_GlyphSlot slot = handles_->face->glyph;
  mask.advance = slot->advance.x / 64.0;
  mask.left = slot->bitmap_left;
  mask.top = slot->bitmap_top;
  const FT_Bitmap& bitmap = slot->bitmap;
  if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) return mask;
  mask.width = static_cast<int>(bitmap.width);
  mask.height = static_cast<int>(bitmap.rows);
  mask.coverage.resize(static_cast<size_t>(mask.width) * mask.height);
  for (int y = 0; y < mask.height; ++y)
    for (int x = 0; x < mask.width; ++x)
      mask.coverage[static_cast<size_t>(y) * mask.width + x] = bitmap.buffer[y * bitmap.pitch + x];
  return mask;
}

double FontFace::ascender() const { return handles_->face->size->metrics.ascender / 64.0; }
double FontFace::descender() const { return handles_->face->size->metrics.descender / 64.0; }

}  // namespace velmo::art
