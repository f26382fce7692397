// vis_velmo.dll as a host finds it: one undecorated export, the header and
// the module record at the byte offsets the host reads. (What the DLL exports
// and imports is read from the file itself by the abi tests.)
#include <windows.h>

#include <cstring>

#include "support.h"

namespace {

template <typename T>
T field(const void* record, int offset) {
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

  // VisHeader: version, description, getModule.
  const RecordLayout& at = kRecordLayout;
  void* header = getHeader();
  CHECK(header == getHeader());
  CHECK_EQ(field<int>(header, 0), 0x101);
  CHECK_STREQ(field<const char*>(header, at.headerDescription), "VELMO 3DFX Spectrum Analyzer");
  typedef void* (*GetModule)(int);
  GetModule getModule = field<GetModule>(header, at.headerGetModule);
  CHECK(insideImage(library, (void*)getModule));
  void* module = getModule(0);
  CHECK(module != nullptr);
  CHECK(getModule(0) == module);
  CHECK(getModule(1) == nullptr);
  CHECK(getModule(-1) == nullptr);
  if (module == nullptr) return check::finish();

  // VisModule, before the host has written anything.
  CHECK(insideImage(library, module));
  CHECK(insideImage(library, (const char*)module + at.moduleSize - 1));
  CHECK_STREQ(field<const char*>(module, 0), "Velmo's 3DFX Spectrum Analyzer");
  CHECK(field<void*>(module, at.parentWindow) == nullptr);
  CHECK(field<void*>(module, at.dllInstance) == nullptr);
  // sampleRate, channelCount, delayMs, waveformChannels.
  const int zeroFields[] = {at.sampleRate, at.sampleRate + 4, at.latencyMs + 4, at.waveformChannels};
  for (int offset : zeroFields) CHECK_EQ(field<int>(module, offset), 0);
  CHECK_EQ(field<int>(module, at.latencyMs), 150);
  CHECK_EQ(field<int>(module, at.spectrumChannels), 2);
  bool dataZero = true;
  for (int offset = at.spectrumData; offset < at.config; offset++)
    dataZero = dataZero && field<unsigned char>(module, offset) == 0;
  CHECK(dataZero);
  // config, init, render, quit.
  for (int offset = at.config; offset < at.userData; offset += (int)sizeof(void*)) {
    void* callback = field<void*>(module, offset);
    CHECK(callback != nullptr && insideImage(library, callback));
  }
  CHECK(field<void*>(module, at.userData) == nullptr);

  FreeLibrary(library);
  return check::finish();
}
