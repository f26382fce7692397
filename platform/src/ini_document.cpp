// Reading and writing INI files in the layout the profile functions keep.
#include "ini_document.h"

#include "text_compare.h"

namespace velmo_win32 {
namespace {

constexpr std::string_view utf8Mark = "\xEF\xBB\xBF";

// Names and values stop at an embedded NUL, as C strings do, and lose the
// blanks around what is left: what is written back then reads the same.
std::string untilNulTrimmed(std::string_view text) {
  return std::string(trimProfileSpace(text.substr(0, text.find('\0'))));
}

IniSection* findSection(IniDocument& document, std::string_view name) {
  for (auto& section : document.sections) {
    if (equalsIgnoringCase(section.name, name)) return &section;
  }
  return nullptr;
}

}  // namespace

// Ctrl-Z counts as white space: DOS editors ended files with it.
bool isProfileSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == 0x1A;
}

std::string_view trimProfileSpace(std::string_view text) {
  while (!text.empty() && isProfileSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isProfileSpace(text.back())) text.remove_suffix(1);
  return text;
}

IniDocument parseIni(std::string_view bytes) {
  IniDocument document;
  if (bytes.substr(0, utf8Mark.size()) == utf8Mark) {
    document.utf8Mark = true;
    bytes.remove_prefix(utf8Mark.size());
  }
  document.sections.emplace_back();
  IniSection* section = &document.sections.back();
  while (!bytes.empty()) {
    const size_t end = std::min(bytes.find_first_of("\r\n"), bytes.size());
    std::string_view line = trimProfileSpace(bytes.substr(0, end));
    bytes.remove_prefix(end);
    while (!bytes.empty() && (bytes.front() == '\r' || bytes.front() == '\n')) bytes.remove_prefix(1);
    if (line.empty()) continue;

    if (line.front() == '[') {
      const size_t close = line.rfind(']');
      if (close != std::string_view::npos) {
        document.sections.push_back(
            IniSection{untilNulTrimmed(line.substr(1, close - 1)), {}});
        section = &document.sections.back();
        continue;
      }
    }

    IniKey key;
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
      key.name = untilNulTrimmed(line);
    } else {
      key.name = untilNulTrimmed(line.substr(0, equals));
      key.value = untilNulTrimmed(line.substr(equals + 1));
    }
    // Of several nameless lines in a row only the first is kept.
    if (key.name.empty() && !section->keys.empty() && section->keys.back().name.empty()) continue;
    section->keys.push_back(std::move(key));
  }
  return document;
}

std::string serializeIni(const IniDocument& document) {
  std::string out;
  if (document.utf8Mark) out += utf8Mark;
  for (const auto& section : document.sections) {
    if (!section.name.empty()) out += "[" + section.name + "]\r\n";
    for (const auto& key : section.keys) {
      out += key.name;
      if (key.value) out += "=" + *key.value;
      out += "\r\n";
    }
  }
  return out;
}

const IniKey* findKey(const IniDocument& document, std::string_view section, std::string_view key) {
  section = trimProfileSpace(section);
  key = trimProfileSpace(key);
  for (const auto& candidate : document.sections) {
    if (!equalsIgnoringCase(candidate.name, section)) continue;
    for (const auto& entry : candidate.keys) {
      if (equalsIgnoringCase(entry.name, key)) return &entry;
    }
    return nullptr;  // only the first section of that name is searched
  }
  return nullptr;
}

bool setValue(IniDocument& document, std::string_view section, std::string_view key,
              std::string_view value) {
  // A new name keeps its trailing spaces, a value loses its leading ones.
  while (!section.empty() && isProfileSpace(section.front())) section.remove_prefix(1);
  while (!key.empty() && isProfileSpace(key.front())) key.remove_prefix(1);
  while (!value.empty() && isProfileSpace(value.front())) value.remove_prefix(1);

  IniSection* target = findSection(document, trimProfileSpace(section));
  if (!target) {
    document.sections.push_back(IniSection{std::string(section), {}});
    target = &document.sections.back();
  }
  const std::string_view wanted = trimProfileSpace(key);
  for (auto& entry : target->keys) {
    if (!equalsIgnoringCase(entry.name, wanted)) continue;
    if (entry.value && *entry.value == value) return false;
    entry.value = std::string(value);
    return true;
  }
  target->keys.push_back(IniKey{std::string(key), std::string(value)});
  return true;
}

bool deleteKey(IniDocument& document, std::string_view section, std::string_view key) {
  for (auto& candidate : document.sections) {
    if (!equalsIgnoringCase(candidate.name, section)) continue;
    for (auto it = candidate.keys.begin(); it != candidate.keys.end(); ++it) {
      if (equalsIgnoringCase(it->name, key)) {
        candidate.keys.erase(it);
        return true;
      }
    }
  }
  return false;
}

bool deleteSection(IniDocument& document, std::string_view section) {
  for (auto it = document.sections.begin(); it != document.sections.end(); ++it) {
    if (equalsIgnoringCase(it->name, section)) {
      if (it == document.sections.begin()) {
        it->keys.clear();  // the nameless section itself stays as the anchor
      } else {
        document.sections.erase(it);
      }
      return true;
    }
  }
  return false;
}

}  // namespace velmo_win32
