// Feeds arbitrary bytes to gu3dfGetInfo and then gu3dfLoad, the way the
// texture loader calls them: the file is read twice, and the texel buffer is
// exactly the size gu3dfGetInfo asked for, so any read or write past what the
// header promised lands outside the heap block and is reported.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <glide.h>
#include <glideutl.h>

namespace {

// One in-memory file for the whole run, reached by its /proc path so the
// reader opens it like any other file.
struct MemoryFile {
  int fd = -1;
  char path[64] = {};

  MemoryFile() {
    fd = memfd_create("fuzz3df", 0);
    if (fd < 0) {
      std::perror("memfd_create");
      std::abort();
    }
    std::snprintf(path, sizeof path, "/proc/self/fd/%d", fd);
  }

  void replace(const uint8_t* data, size_t size) {
    if (ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) {
      std::perror("memfd write");
      std::abort();
    }
  }
};

// Largest texel data a Glide 2 texture can need: a full 256x256 mipmap chain
// of 32-bit texels (our ARGB extension) is well under this.
constexpr FxU32 maxTexelBytes = 4u * 256u * 256u * 2u;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static MemoryFile file;
  file.replace(data, size);

  Gu3dfInfo info;
  std::memset(&info, 0xA5, sizeof info);
  if (!gu3dfGetInfo(file.path, &info)) return 0;

  // A header the reader accepted must describe a texture Glide 2 can hold.
  if (info.header.width < 1 || info.header.width > 256 || info.header.height < 1 ||
      info.header.height > 256 || info.mem_required == 0 || info.mem_required > maxTexelBytes) {
    std::fprintf(stderr, "accepted header out of range: %ux%u, %u bytes\n",
                 static_cast<unsigned>(info.header.width), static_cast<unsigned>(info.header.height),
                 static_cast<unsigned>(info.mem_required));
    std::abort();
  }

  void* texels = std::malloc(info.mem_required);
  if (!texels) return 0;
  info.data = texels;
  gu3dfLoad(file.path, &info);
  std::free(texels);
  return 0;
}
