// One fixed run of profile reads and writes, and of wsprintfA formats, on INI
// files it lays out in the current directory. Every result goes to standard
// output. Built natively against our layer and for Win32 to run under Wine;
// the test compares the two outputs and the files they leave.
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <string>

#ifdef _WIN32
static const char separator = '\\';
static std::string currentDirectory() {
  char buffer[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, buffer);
  return buffer;
}
#else
#include <unistd.h>
static const char separator = '/';
static std::string currentDirectory() {
  char buffer[4096];
  return getcwd(buffer, sizeof buffer) ? buffer : ".";
}
#endif

static std::string pathOf(const char* name) { return currentDirectory() + separator + name; }

static void lay(const char* name, const std::string& content) {
  FILE* file = fopen(pathOf(name).c_str(), "wb");
  fwrite(content.data(), 1, content.size(), file);
  fclose(file);
}

// Shows a buffer of `length` bytes with NULs as '|'.
static std::string shown(const char* buffer, size_t length) {
  std::string text;
  for (size_t i = 0; i < length; ++i) text += buffer[i] ? buffer[i] : '|';
  return text;
}

static void readString(const char* file, const char* section, const char* key, const char* fallback,
                       DWORD size) {
  char buffer[8192];
  memset(buffer, '#', sizeof buffer);
  const DWORD result = GetPrivateProfileStringA(section, key, fallback, buffer, size, pathOf(file).c_str());
  printf("string %s [%s] [%s] def=[%s] size=%lu -> %lu [%s]\n", file, section ? section : "(null)",
         key ? key : "(null)", fallback ? fallback : "(null)", (unsigned long)size, (unsigned long)result,
         shown(buffer, size > 0 ? (result + 1 < size ? result + 1 : size) : 0).c_str());
}

static void readInt(const char* file, const char* section, const char* key) {
  const UINT value = GetPrivateProfileIntA(section, key, 77, pathOf(file).c_str());
  printf("int %s [%s] [%s] -> %d\n", file, section, key, (int)value);
}

static void writeString(const char* file, const char* section, const char* key, const char* value) {
  const BOOL result = WritePrivateProfileStringA(section, key, value, pathOf(file).c_str());
  printf("write %s [%s] [%s] [%s] -> %d\n", file, section ? section : "(null)", key ? key : "(null)",
         value ? value : "(null)", result ? 1 : 0);
}

static void profiles() {
  lay("plain.ini", "[Settings]\nRotateX=1\nRotateY=0\n");
  lay("crlf.ini", "; written by hand\r\n[Other]\r\nkeep=me\r\n\r\n[Settings]\r\nRotateX=1\r\n; end\r\n");
  lay("empty.ini", "");
  lay("values.ini",
      "[V]\nseven=7\nminus=-1\nhex=0x10\nHEX=0X10\nword=abc\nnothing=\npadded=   42   \nplus=+5\n"
      "binary=0b101\noctal=0o17\ntrailing=12abc\nhuge=99999999999\nlow=-2147483649\n"
      "quoted=\"42\"\nsingle='q'\nhalf=\"open\nzeros=0000000000000000000000000000012\ntab=\t-3\n"
      "bare\n");
  lay("dupes.ini", "[SETTINGS]\nrotatex=0\nRotateX=1\n[other]\nRotateY=2\n[settings]\nRotateY=5\n");
  lay("spaces.ini",
      "  [ Spaced ]  \n  key one  =  value one  \nkey2=   \n\t tab = x\t\n=novalue\n=second\nbare\n"
      "; c = 1 \n[Tail] junk\n[Unclosed\nk=v\n");
  lay("bom.ini", "\xEF\xBB\xBF[S]\nkey=1\n");
  lay("ctrlz.ini", "[S]\na=1\x1A\n");
  std::string longValue(5000, 'v');
  lay("long.ini", "[L]\nlong=" + longValue + "\n" + std::string(3000, 'k') + "=short\nafter=1\n");

  // Reads.
  const char* valueKeys[] = {"seven", "minus", "hex", "HEX", "word", "nothing", "padded", "plus",
                             "binary", "octal", "trailing", "huge", "low", "quoted", "single",
                             "half", "zeros", "tab", "bare", "missing", " SEVEN "};
  for (const char* key : valueKeys) {
    readInt("values.ini", "V", key);
    readString("values.ini", "v", key, "fallback  ", 64);
  }
  readInt("missing.ini", "V", "seven");
  readString("missing.ini", "V", "seven", "fallback", 64);
  readString("missing.ini", "V", "seven", nullptr, 64);
  readString("missing.ini", nullptr, nullptr, "fallback", 64);
  for (DWORD size = 0; size <= 9; ++size) {
    readString("values.ini", "V", "quoted", "d", size);
    readString("values.ini", "V", "word", "default", size);
    readString("values.ini", "V", "missing", "default", size);
  }
  for (DWORD size = 1; size <= 14; ++size) {
    readString("plain.ini", "Settings", nullptr, "", size);
    readString("dupes.ini", nullptr, nullptr, "", size);
  }
  readString("values.ini", "V", nullptr, "", 400);
  readString("values.ini", "Nowhere", nullptr, "listless", 64);
  readString("spaces.ini", nullptr, nullptr, "", 200);
  const char* spacedKeys[] = {"key one", "KEY ONE", "key2", "tab", "", "bare", "; c", "k"};
  for (const char* key : spacedKeys) {
    readString("spaces.ini", "Spaced", key, "d", 64);
    readString("spaces.ini", " spaced ", key, "d", 64);
  }
  readString("spaces.ini", "Tail", nullptr, "none", 64);
  readString("spaces.ini", "Unclosed", "k", "none", 64);
  readString("dupes.ini", "Settings", "RotateX", "d", 64);
  readString("dupes.ini", "Settings", "RotateY", "d", 64);
  readString("bom.ini", "S", "key", "d", 64);
  readString("ctrlz.ini", "S", "a", "d", 64);
  readString("long.ini", "L", "long", "d", 100);
  readString("long.ini", "L", "after", "d", 100);
  readString("empty.ini", "S", "a", "empty", 64);

  // Writes.
  writeString("plain.ini", "Settings", "RotateY", "1");
  writeString("plain.ini", "settings", "ROTATEX", "1");
  writeString("plain.ini", "Settings", "SpinToBeat", "0");
  writeString("plain.ini", "Velmo's 3DFX Spectrum Analyzer", "Reflect", "1");
  writeString("plain.ini", "Settings", "RotateX", nullptr);
  writeString("plain.ini", "Settings", "NoSuchKey", nullptr);
  writeString("plain.ini", "Nowhere", nullptr, nullptr);
  writeString("plain.ini", nullptr, "key", "value");
  writeString("plain.ini", "Settings", "  leading", "   spaced value ");
  readString("plain.ini", "Settings", "leading", "d", 64);
  writeString("crlf.ini", "Settings", "RotateZ", "0");
  writeString("crlf.ini", "Other", "keep", "me");
  writeString("empty.ini", "Fresh", "a", "1");
  writeString("missing.ini", "Gone", "a", nullptr);
  writeString("missing.ini", "Gone", nullptr, nullptr);
  writeString("created.ini", "Velmo's 3DFX Spectrum Analyzer", "RotateX", "1");
  const char* flags[] = {"RotateY", "RotateZ", "DisplayBackSpec", "SpinToBeat", "Reflect",
                         "DisplayPlatform", "DisplayTime", "DisplaySong", "RotateLogo", "PointedEnds"};
  for (const char* flag : flags) writeString("created.ini", "Velmo's 3DFX Spectrum Analyzer", flag, "0");
  readInt("created.ini", "velmo's 3dfx spectrum analyzer", "pointedends");
  writeString("dupes.ini", "settings", "RotateZ", "3");
  writeString("dupes.ini", "Settings", "RotateX", nullptr);
  writeString("dupes.ini", "Settings", "RotateX", nullptr);
  writeString("dupes.ini", "SETTINGS", nullptr, nullptr);
  writeString("spaces.ini", "Spaced", "key one", "changed");
  writeString("spaces.ini", "Spaced", "bare", "now set");
  writeString("values.ini", "V", "nothing", "");
  writeString("values.ini", "V", "seven", "");
  writeString("bom.ini", "S", "more", "2");
  writeString("ctrlz.ini", "S", "b", "2");
  writeString("long.ini", "L", "after", std::string(2000, 'w').c_str());
}

static void formats() {
  struct IntCase {
    const char* format;
    int value;
  };
  const IntCase cases[] = {
      {"%i", 83},
      {"%d", -42},
      {"%02i", 7},
      {"%05d", -42},
      {"%5.3d", -42},
      {"%-5d|", -42},
      {"%-05d|", 7},
      {"%u", -1},
      {"%x", 255},
      {"%X", 48879},
      {"%#x", 255},
      {"%#X", 255},
      {"%#8x", 255},
      {"%08x", 255},
      {"%.4x", 10},
      {"%lu", 12345},
      {"%hd", 123},
      {"%c", 'z'},
      {"%3c", 'q'},
      {"%-3c|", 'q'},
      {"%d%%", 100},
      {"%q", 0},
      {"%5q", 0},
      {"%5", 0},
      {"%", 0},
      {"100%", 0},
      {"%li", -9},
      {"%ld", 1},
  };
  for (const IntCase& c : cases) {
    char buffer[64];
    memset(buffer, '#', sizeof buffer);
    const int length = wsprintfA(buffer, c.format, c.value);
    printf("wsprintf [%s] %d -> %d [%s]\n", c.format, c.value, length, buffer);
  }
  const char* stringFormats[] = {"%s", "%10s|", "%-10s|", "%.3s", "%.0s", "%05s", "[%s:%s]"};
  for (const char* format : stringFormats) {
    char buffer[64];
    const int length = wsprintfA(buffer, format, "abcdef", "gh");
    printf("wsprintf [%s] -> %d [%s]\n", format, length, buffer);
  }
  char buffer[64];
  const int length = wsprintfA(buffer, "%s", (const char*)NULL);
  printf("wsprintf null -> %d [%s]\n", length, buffer);
}

int main() {
  profiles();
  formats();
  return 0;
}
