// Internal: an INI file as the Win32 profile functions see it.
//
// Reading keeps every section and every non-blank line in order: a line
// "name = value" becomes a key with its name and value trimmed, any other line
// (a comment, a bare word) a key without value. Blank lines are dropped.
// Writing gives "[section]", "name=value" or the bare line, each ended by
// CR LF. Lines before the first section belong to a nameless section written
// without a header. A UTF-8 byte-order mark is kept. This is the layout that
// Wine's kernel32 reads and writes, byte for byte.
#ifndef VELMO_WIN32_INI_DOCUMENT_H
#define VELMO_WIN32_INI_DOCUMENT_H

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmo_win32 {

struct IniKey {
  std::string name;
  std::optional<std::string> value;
};

struct IniSection {
  std::string name;
  std::vector<IniKey> keys;
};

struct IniDocument {
  bool utf8Mark = false;
  std::vector<IniSection> sections;  // sections[0] is the nameless one
};

bool isProfileSpace(char c);
std::string_view trimProfileSpace(std::string_view text);

IniDocument parseIni(std::string_view bytes);
std::string serializeIni(const IniDocument& document);

// The first key of the first section with these names (case-insensitive,
// surrounding white space ignored), or null.
const IniKey* findKey(const IniDocument& document, std::string_view section, std::string_view key);

// Sets a value; returns whether the document changed. A new key goes to the
// end of the first matching section, a new section to the end of the file.
bool setValue(IniDocument& document, std::string_view section, std::string_view key,
              std::string_view value);
// Each removes the first match only; returns whether anything went.
bool deleteKey(IniDocument& document, std::string_view section, std::string_view key);
bool deleteSection(IniDocument& document, std::string_view section);

}  // namespace velmo_win32

#endif
