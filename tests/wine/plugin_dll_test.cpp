// vis_velmo.dll as Winamp finds it: one undecorated export, the header and
// the module record at the byte offsets the host reads.
#include <windows.h>

#include <cstring>

#include "check.h"

namespace {

template <typename T>
T at(const void* record, int offset) {
  T value;
  std::memcpy(&value, (const char*)record + offset, sizeof value);
  return value;
}

// The module image's address range, from its PE headers.
bool insideImage(HMODULE image, const void* p) {
  const char* base = (const char*)image;
  const IMAGE_DOS_HEADER* dos = (const IMAGE_DOS_HEADER*)base;
  const IMAGE_NT_HEADERS* nt = (const IMAGE_NT_HEADERS*)(base + dos->e_lfanew);
  return (const char*)p >= base && (const char*)p < base + nt->OptionalHeader.SizeOfImage;
}

}  // namespace

int main() {
  HMODULE library = LoadLibraryA("vis_velmo.dll");
  CHECK(library != nullptr);
  if (library == nullptr) return check::finish();

  typedef void* (*GetHeader)();
  GetHeader getHeader = (GetHeader)(void*)GetProcAddress(library, "winampVisGetHeader");
  CHECK(getHeader != nullptr);
  if (getHeader == nullptr) return check::finish();
  CHECK(GetProcAddress(library, "_winampVisGetHeader") == nullptr);
  CHECK(GetProcAddress(library, "getModule") == nullptr);

  // VisHeader: version, description, getModule; 4 bytes each.
  void* header = getHeader();
  CHECK(header == getHeader());
  CHECK_EQ(at<int>(header, 0), 0x101);
  CHECK_STREQ(at<const char*>(header, 4), "VELMO 3DFX Spectrum Analyzer");
  typedef void* (*GetModule)(int);
  GetModule getModule = at<GetModule>(header, 8);
  CHECK(insideImage(library, (void*)getModule));
  void* module = getModule(0);
  CHECK(module != nullptr);
  CHECK(getModule(0) == module);
  CHECK(getModule(1) == nullptr);
  CHECK(getModule(-1) == nullptr);
  if (module == nullptr) return check::finish();

  // VisModule, 2360 bytes, before the host has written anything.
  CHECK(insideImage(library, module));
  CHECK(insideImage(library, (const char*)module + 2359));
  CHECK_STREQ(at<const char*>(module, 0), "Velmo's 3DFX Spectrum Analyzer");
  const int zeroFields[] = {4, 8, 12, 16, 24, 32};
  for (int offset : zeroFields) CHECK_EQ(at<int>(module, offset), 0);
  CHECK_EQ(at<int>(module, 20), 150);
  CHECK_EQ(at<int>(module, 28), 2);
  bool dataZero = true;
  for (int offset = 36; offset < 2340; offset++) dataZero = dataZero && at<unsigned char>(module, offset) == 0;
  CHECK(dataZero);
  for (int offset = 2340; offset <= 2352; offset += 4) {
    void* callback = at<void*>(module, offset);
    CHECK(callback != nullptr && insideImage(library, callback));
  }
  CHECK(at<void*>(module, 2356) == nullptr);

  // Imports: Windows system DLLs and glide2x.dll only (the runtime is inside).
  const char* base = (const char*)library;
  const IMAGE_NT_HEADERS* nt = (const IMAGE_NT_HEADERS*)(base + ((const IMAGE_DOS_HEADER*)base)->e_lfanew);
  const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  const IMAGE_IMPORT_DESCRIPTOR* import = (const IMAGE_IMPORT_DESCRIPTOR*)(base + directory.VirtualAddress);
  const char* allowed[] = {"glide2x.dll", "kernel32.dll", "user32.dll", "gdi32.dll", "msvcrt.dll",
                           "advapi32.dll"};
  for (; import->Name != 0; import++) {
    const char* name = base + import->Name;
    bool known = false;
    for (const char* ok : allowed) known = known || lstrcmpiA(name, ok) == 0;
    if (!known) std::printf("unexpected import %s\n", name);
    CHECK(known);
  }

  FreeLibrary(library);
  return check::finish();
}
