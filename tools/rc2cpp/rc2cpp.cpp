// Reads a resource script (the subset our dialog uses: DIALOG with STYLE,
// CAPTION, FONT and CONTROL lines, and BITMAP) and writes it as C++ tables
// for the POSIX build, with the bitmaps' files embedded. The tables export
// one VelmoResources record (platform/include/velmo_win32/dialog_resource.h).
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Style names a template may use, with Win32's values.
const std::map<std::string, std::uint32_t> kStyleNames = {
    {"WS_POPUP", 0x80000000u},
    {"WS_CHILD", 0x40000000u},
    {"WS_VISIBLE", 0x10000000u},
    {"WS_DISABLED", 0x08000000u},
    {"WS_CAPTION", 0x00C00000u},
    {"WS_BORDER", 0x00800000u},
    {"WS_DLGFRAME", 0x00400000u},
    {"WS_SYSMENU", 0x00080000u},
    {"WS_GROUP", 0x00020000u},
    {"WS_TABSTOP", 0x00010000u},
    {"DS_SETFONT", 0x40u},
    {"DS_MODALFRAME", 0x80u},
    {"BS_PUSHBUTTON", 0x0u},
    {"BS_DEFPUSHBUTTON", 0x1u},
    {"BS_CHECKBOX", 0x2u},
    {"BS_AUTOCHECKBOX", 0x3u},
    {"BS_GROUPBOX", 0x7u},
    {"BS_MULTILINE", 0x2000u},
    {"SS_LEFT", 0x0u},
    {"SS_BITMAP", 0xEu},
    {"SS_SUNKEN", 0x1000u},
    {"SBS_HORZ", 0x0u},
};

struct Token {
  enum Kind { kWord,
              kNumber,
              kString,
              kPunct,
              kEnd } kind;
  std::string text;
  long number = 0;
  int line = 0;
};

class Lexer {
 public:
  explicit Lexer(std::string source) : source_(std::move(source)) {}

  Token next() {
    skipSpaceAndComments();
    Token token{Token::kEnd, "", 0, line_};
    if (pos_ >= source_.size()) return token;
    const char c = source_[pos_];
    if (c == '"') {
      token.kind = Token::kString;
      token.text = readString();
    } else if (std::isdigit(static_cast<unsigned char>(c)) || (c == '-' && pos_ + 1 < source_.size() && std::isdigit(static_cast<unsigned char>(source_[pos_ + 1])))) {
      std::size_t used = 0;
      token.kind = Token::kNumber;
      token.number = std::stol(source_.substr(pos_, 24), &used, 0);
      pos_ += used;
      while (pos_ < source_.size() && (source_[pos_] == 'L' || source_[pos_] == 'l')) ++pos_;
    } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
      token.kind = Token::kWord;
      while (pos_ < source_.size() && (std::isalnum(static_cast<unsigned char>(source_[pos_])) || source_[pos_] == '_'))
        token.text += source_[pos_++];
    } else {
      token.kind = Token::kPunct;
      token.text = std::string(1, c);
      ++pos_;
    }
    return token;
  }

 private:
  void skipSpaceAndComments() {
    while (pos_ < source_.size()) {
      const char c = source_[pos_];
      if (c == '\n') {
        ++line_;
        ++pos_;
      } else if (std::isspace(static_cast<unsigned char>(c))) {
        ++pos_;
      } else if (source_.compare(pos_, 2, "//") == 0 || (c == '#' && atLineStart())) {
        while (pos_ < source_.size() && source_[pos_] != '\n') ++pos_;
      } else if (source_.compare(pos_, 2, "/*") == 0) {
        const std::size_t end = source_.find("*/", pos_ + 2);
        if (end == std::string::npos) throw error("unterminated comment");
        for (std::size_t i = pos_; i < end; ++i) line_ += source_[i] == '\n';
        pos_ = end + 2;
      } else {
        return;
      }
    }
  }

  bool atLineStart() const {
    for (std::size_t i = pos_; i-- > 0;) {
      if (source_[i] == '\n') return true;
      if (!std::isspace(static_cast<unsigned char>(source_[i]))) return false;
    }
    return true;
  }

  std::string readString() {
    std::string text;
    ++pos_;
    while (true) {
      if (pos_ >= source_.size() || source_[pos_] == '\n') throw error("unterminated string");
      const char c = source_[pos_++];
      if (c == '"') {
        if (pos_ < source_.size() && source_[pos_] == '"') {
          text += '"';
          ++pos_;
          continue;
        }
        return text;
      }
      text += c;
    }
  }

  std::runtime_error error(const std::string& what) const {
    return std::runtime_error("line " + std::to_string(line_) + ": " + what);
  }

  std::string source_;
  std::size_t pos_ = 0;
  int line_ = 1;
};

struct Control {
  std::string className, text;
  long textResource = 0;
  long id = 0;
  std::uint32_t style = 0;
  long x = 0, y = 0, width = 0, height = 0;
};

struct Dialog {
  long id = 0;
  std::uint32_t style = 0;
  std::string caption, fontName;
  long fontSize = 0;
  long x = 0, y = 0, width = 0, height = 0;
  std::vector<Control> controls;
};

struct Bitmap {
  long id = 0;
  std::vector<unsigned char> file;
};

class Parser {
 public:
  Parser(const std::string& source, std::string bitmapDir)
      : lexer_(source), bitmapDir_(std::move(bitmapDir)) {
    advance();
  }

  void parse(std::vector<Dialog>& dialogs, std::vector<Bitmap>& bitmaps) {
    while (current_.kind != Token::kEnd) {
      const long id = expectNumber();
      const std::string kind = expectWord();
      if (kind == "DIALOG") {
        dialogs.push_back(parseDialog(id));
      } else if (kind == "BITMAP") {
        bitmaps.push_back(Bitmap{id, readFile(expectString())});
      } else {
        fail("unsupported resource type " + kind);
      }
    }
  }

 private:
  Dialog parseDialog(long id) {
    Dialog dialog;
    dialog.id = id;
    dialog.x = expectNumber();
    expectPunct(",");
    dialog.y = expectNumber();
    expectPunct(",");
    dialog.width = expectNumber();
    expectPunct(",");
    dialog.height = expectNumber();
    while (true) {
      const std::string word = expectWord();
      if (word == "STYLE") {
        dialog.style = parseStyle();
      } else if (word == "CAPTION") {
        dialog.caption = expectString();
      } else if (word == "FONT") {
        dialog.fontSize = expectNumber();
        expectPunct(",");
        dialog.fontName = expectString();
      } else if (word == "BEGIN") {
        break;
      } else {
        fail("unsupported dialog statement " + word);
      }
    }
    while (true) {
      const std::string word = expectWord();
      if (word == "END") break;
      if (word != "CONTROL") fail("unsupported control statement " + word);
      dialog.controls.push_back(parseControl());
    }
    if (!dialog.fontName.empty()) dialog.style |= kStyleNames.at("DS_SETFONT");
    return dialog;
  }

  Control parseControl() {
    Control control;
    if (current_.kind == Token::kNumber) {
      control.textResource = expectNumber();
    } else {
      control.text = expectString();
    }
    expectPunct(",");
    control.id = expectNumber() & 0xFFFF;
    expectPunct(",");
    control.className = expectString();
    expectPunct(",");
    control.style = parseStyle() | kStyleNames.at("WS_CHILD") | kStyleNames.at("WS_VISIBLE");
    expectPunct(",");
    control.x = expectNumber();
    expectPunct(",");
    control.y = expectNumber();
    expectPunct(",");
    control.width = expectNumber();
    expectPunct(",");
    control.height = expectNumber();
    return control;
  }

  std::uint32_t parseStyle() {
    std::uint32_t style = 0;
    while (true) {
      if (current_.kind == Token::kNumber) {
        style |= static_cast<std::uint32_t>(expectNumber());
      } else {
        const std::string name = expectWord();
        const auto found = kStyleNames.find(name);
        if (found == kStyleNames.end()) fail("unknown style " + name);
        style |= found->second;
      }
      if (current_.kind != Token::kPunct || current_.text != "|") return style;
      advance();
    }
  }

  std::vector<unsigned char> readFile(const std::string& name) {
    const std::string path = bitmapDir_ + "/" + name;
    std::ifstream file(path, std::ios::binary);
    if (!file) fail("cannot read " + path);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(file), {});
  }

  void advance() { current_ = lexer_.next(); }

  long expectNumber() {
    if (current_.kind != Token::kNumber) fail("number expected");
    const long value = current_.number;
    advance();
    return value;
  }
  std::string expectWord() {
    if (current_.kind != Token::kWord) fail("keyword expected");
    std::string word = current_.text;
    advance();
    return word;
  }
  std::string expectString() {
    if (current_.kind != Token::kString) fail("quoted text expected");
    std::string text = current_.text;
    advance();
    return text;
  }
  void expectPunct(const char* punct) {
    if (current_.kind != Token::kPunct || current_.text != punct)
      fail(std::string("'") + punct + "' expected");
    advance();
  }

  [[noreturn]] void fail(const std::string& what) const {
    throw std::runtime_error("line " + std::to_string(current_.line) + ": " + what);
  }

  Lexer lexer_;
  std::string bitmapDir_;
  Token current_;
};

std::string quoted(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c >= 0x7F) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\%03o", c);
      out += escape;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

std::string generate(const std::vector<Dialog>& dialogs, const std::vector<Bitmap>& bitmaps) {
  std::ostringstream out;
  out << "// Generated by rc2cpp from the module's resource script; do not edit.\n"
         "#include \"velmo_win32/dialog_resource.h\"\n\n"
         "namespace {\n";
  for (const Dialog& dialog : dialogs) {
    out << "const VelmoDialogItem dialog" << dialog.id << "Items[] = {\n";
    for (const Control& c : dialog.controls) {
      out << "    {" << quoted(c.className) << ", " << quoted(c.text) << ", " << c.textResource
          << ", " << c.id << ", 0x" << std::hex << c.style << std::dec << "u, " << c.x << ", "
          << c.y << ", " << c.width << ", " << c.height << "},\n";
    }
    out << "};\n";
  }
  for (const Bitmap& bitmap : bitmaps) {
    out << "const unsigned char bitmap" << bitmap.id << "File[] = {";
    for (std::size_t i = 0; i < bitmap.file.size(); ++i)
      out << (i % 20 == 0 ? "\n    " : "") << static_cast<int>(bitmap.file[i]) << ",";
    out << "\n};\n";
  }
  out << "const VelmoDialogTemplate dialogs[] = {\n";
  for (const Dialog& d : dialogs) {
    out << "    {" << d.id << ", 0x" << std::hex << d.style << std::dec << "u, "
        << quoted(d.caption) << ", " << quoted(d.fontName) << ", " << d.fontSize << ", " << d.x
        << ", " << d.y << ", " << d.width << ", " << d.height << ", "
        << d.controls.size() << ", dialog" << d.id << "Items},\n";
  }
  out << "};\nconst VelmoBitmapResource bitmaps[] = {\n";
  for (const Bitmap& b : bitmaps)
    out << "    {" << b.id << ", bitmap" << b.id << "File, " << b.file.size() << "u},\n";
  out << "};\n}  // namespace\n\n"
         "extern \"C\" __attribute__((visibility(\"default\"))) const VelmoResources velmoResources = {\n"
      << "    " << dialogs.size() << ", dialogs, " << bitmaps.size() << ", bitmaps};\n";
  return out.str();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s SCRIPT.rc BITMAP_DIR OUTPUT.cpp\n", argv[0]);
    return 2;
  }
  try {
    std::ifstream input(argv[1]);
    if (!input) throw std::runtime_error("cannot read the script");
    const std::string source((std::istreambuf_iterator<char>(input)), {});
    std::vector<Dialog> dialogs;
    std::vector<Bitmap> bitmaps;
    Parser(source, argv[2]).parse(dialogs, bitmaps);
    if (dialogs.empty() || bitmaps.empty()) throw std::runtime_error("no dialog or no bitmap");
    std::ofstream output(argv[3]);
    output << generate(dialogs, bitmaps);
    output.close();
    if (!output) throw std::runtime_error(std::string("cannot write ") + argv[3]);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s: %s: %s\n", argv[0], argv[1], error.what());
    return 1;
  }
  return 0;
}
