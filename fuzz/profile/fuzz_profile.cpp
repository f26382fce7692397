// Runs an arbitrary sequence of profile reads and writes on an arbitrary INI
// file. Every read gets a heap buffer of exactly the size it is told, so a
// write past it is reported. Two properties are checked on top of "no crash":
// a bounded read always terminates its text inside the buffer, and a plain
// value written under a plain section and key reads back unchanged, whatever
// the rest of the file holds.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <windows.h>

namespace {

const std::string& iniPath() {
  static const std::string path = [] {
    const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(base) + "/velmo-fuzz-profile-" + std::to_string(getpid()) + ".ini";
  }();
  return path;
}

void fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "profile property broken: %s (%s)\n", what, detail.c_str());
  std::abort();
}

// Section, key or value text with the characters an INI file gives meaning
// to ('[', ']', '=', ';', line ends, blanks, NUL) kept away.
std::string plainWord(FuzzedDataProvider& in) {
  std::string raw = in.ConsumeRandomLengthString(24);
  std::string word;
  for (char c : raw)
    if (std::isalnum(static_cast<unsigned char>(c))) word += c;
  if (word.empty()) word = "k";
  return word;
}

// Any text, or a null pointer (the functions give null section/key/value a
// meaning of their own).
const char* maybeNull(FuzzedDataProvider& in, std::string& storage) {
  storage = in.ConsumeRandomLengthString(48);
  return in.ConsumeBool() ? nullptr : storage.c_str();
}

void boundedRead(FuzzedDataProvider& in, const char* path) {
  std::string section, key, fallback;
  const char* s = maybeNull(in, section);
  const char* k = maybeNull(in, key);
  const char* d = maybeNull(in, fallback);
  const DWORD size = in.ConsumeIntegralInRange<DWORD>(0, 80);
  std::vector<char> buffer(size == 0 ? 1 : size, '\x7f');
  const DWORD n = GetPrivateProfileStringA(s, k, d, buffer.data(), size, path);
  if (size == 0) return;
  if (n >= size) fail("result longer than the buffer", std::to_string(n) + " >= " + std::to_string(size));
  if (s && k && buffer[n] != '\0') fail("text not terminated at its length", std::to_string(n));
}

void roundTrip(FuzzedDataProvider& in, const char* path) {
  const std::string section = plainWord(in), key = plainWord(in), value = plainWord(in);
  if (!WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path)) return;
  char back[64];
  GetPrivateProfileStringA(section.c_str(), key.c_str(), "<missing>", back, sizeof back, path);
  if (value != back) fail("written value does not read back", section + "/" + key + "=" + value + " read " + back);
  // Every key the plug-in writes holds "0" or "1"; its reader is the integer one.
  const int number = in.ConsumeIntegralInRange<int>(-100000, 100000);
  const std::string text = std::to_string(number);
  WritePrivateProfileStringA(section.c_str(), key.c_str(), text.c_str(), path);
  const UINT got = GetPrivateProfileIntA(section.c_str(), key.c_str(), 12345, path);
  if (static_cast<int>(got) != number) fail("written number does not read back", text + " read " + std::to_string(static_cast<int>(got)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const std::string& path = iniPath();

  const std::string contents = in.ConsumeRandomLengthString(4096);
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(contents.data(), 1, contents.size(), f);
    std::fclose(f);
  }

  for (int step = 0; step < 16 && in.remaining_bytes() > 0; ++step) {
    std::string a, b, c;
    switch (in.ConsumeIntegralInRange(0, 3)) {
      case 0: {
        const char* s = maybeNull(in, a);
        const char* k = maybeNull(in, b);
        GetPrivateProfileIntA(s, k, in.ConsumeIntegral<INT>(), path.c_str());
        break;
      }
      case 1:
        boundedRead(in, path.c_str());
        break;
      case 2: {
        const char* s = maybeNull(in, a);
        const char* k = maybeNull(in, b);
        const char* v = maybeNull(in, c);
        WritePrivateProfileStringA(s, k, v, path.c_str());
        break;
      }
      case 3:
        roundTrip(in, path.c_str());
        break;
    }
  }
  unlink(path.c_str());
  return 0;
}
