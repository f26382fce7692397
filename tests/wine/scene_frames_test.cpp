// The plug-in DLL on our glide2x.dll draws the same whole frames as the
// native build: each scene of tests/scene runs here with the same input and
// its last frame is compared with the same reference image, within the same
// tolerance. Then its frames from each fast kernel are compared with the
// reference pixel path's.
#include <windows.h>
#include <zlib.h>

#include <glide.h>
#include <velmo_glide.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "plugin/vis.h"
#include "support.h"
#include "tests/scene/scene_input.h"

namespace {

const char* const kTextures[] = {"Light.3df", "Velmo1.3df", "VelmoFont.3df", "VelmoLogo.3df"};
const char kHostCaption[] = "7. Velmo Test Band - Glow In The Dark - Winamp";
const int kChannelThreshold = 6;
const double kMaxPixelsOverShare = 0.002;
const double kMaxMeanDifference = 0.25;

struct Image {
  int width = 0, height = 0;
  std::vector<unsigned> pixels;  // 0x00RRGGBB, top row first
};

unsigned readBigEndian(const unsigned char* p) {
  return (unsigned)p[0] << 24 | (unsigned)p[1] << 16 | (unsigned)p[2] << 8 | p[3];
}

int paeth(int a, int b, int c) {
  const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return a;
  return pb <= pc ? b : c;
}

// The reference images are 8-bit RGB, non-interlaced PNG.
bool readPng(const std::string& path, Image* image) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  std::vector<unsigned char> bytes;
  unsigned char buffer[65536];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.insert(bytes.end(), buffer, buffer + got);
  std::fclose(file);
  static const unsigned char signature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
  if (bytes.size() < 8 || std::memcmp(bytes.data(), signature, 8) != 0) return false;

  std::vector<unsigned char> compressed;
  size_t at = 8;
  while (at + 12 <= bytes.size()) {
    const unsigned length = readBigEndian(&bytes[at]);
    const std::string type(reinterpret_cast<const char*>(&bytes[at + 4]), 4);
    if (at + 12 + length > bytes.size()) return false;
    const unsigned char* data = &bytes[at + 8];
    if (type == "IHDR") {
      image->width = (int)readBigEndian(data);
      image->height = (int)readBigEndian(data + 4);
      if (data[8] != 8 || data[9] != 2 || data[12] != 0) return false;
    } else if (type == "IDAT") {
      compressed.insert(compressed.end(), data, data + length);
    }
    at += 12 + length;
  }
  const size_t stride = (size_t)image->width * 3;
  std::vector<unsigned char> raw((stride + 1) * image->height);
  uLongf rawSize = (uLongf)raw.size();
  if (uncompress(raw.data(), &rawSize, compressed.data(), (uLong)compressed.size()) != Z_OK ||
      rawSize != raw.size())
    return false;

  std::vector<unsigned char> previous(stride, 0), row(stride);
  image->pixels.assign((size_t)image->width * image->height, 0);
  for (int y = 0; y < image->height; y++) {
    const unsigned char filter = raw[y * (stride + 1)];
    const unsigned char* in = &raw[y * (stride + 1) + 1];
    for (size_t i = 0; i < stride; i++) {
      const int left = i >= 3 ? row[i - 3] : 0, up = previous[i], upLeft = i >= 3 ? previous[i - 3] : 0;
      int predicted = 0;
      switch (filter) {
        case 1: predicted = left; break;
        case 2: predicted = up; break;
        case 3: predicted = (left + up) / 2; break;
        case 4: predicted = paeth(left, up, upLeft); break;
        default: break;
      }
      row[i] = (unsigned char)(in[i] + predicted);
    }
    for (int x = 0; x < image->width; x++)
      image->pixels[(size_t)y * image->width + x] =
          (unsigned)row[3 * x] << 16 | (unsigned)row[3 * x + 1] << 8 | row[3 * x + 2];
    previous.swap(row);
  }
  return true;
}

LRESULT CALLBACK hostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_USER && wParam == 0 && lParam == 105) return 83000;
  return DefWindowProcA(window, message, wParam, lParam);
}

// A folder of its own per scene, with a copy of the plug-in under its own
// name (a fresh load, so the plug-in starts from its load-time state), the
// textures beside it and, when asked, an options file turning everything off.
std::string preparePlugin(const char* scene, bool everyOptionOff) {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  const std::string folder = std::string(temp) + "velmo_scene_" + scene + "_" +
                             std::to_string(GetCurrentProcessId()) + "\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string dll = folder + "vis_velmo_" + scene + ".dll";
  bool ok = CopyFileA("vis_velmo.dll", dll.c_str(), FALSE) != 0;
  for (const char* texture : kTextures) ok = CopyFileA(texture, (folder + texture).c_str(), FALSE) && ok;
  if (everyOptionOff) {
    FILE* ini = std::fopen((folder + "plugin.ini").c_str(), "w");
    if (ini) {
      std::fprintf(ini, "[Velmo's 3DFX Spectrum Analyzer]\n");
      for (const char* key : {"RotateX", "RotateY", "RotateZ", "DisplayBackSpec", "SpinToBeat",
                              "Reflect", "DisplayPlatform", "DisplayTime", "DisplaySong",
                              "RotateLogo", "PointedEnds"})
        std::fprintf(ini, "%s=0\n", key);
      std::fclose(ini);
    }
  }
  return ok ? dll : std::string();
}

// A hash of a frame's pixels (FNV-1a).
unsigned long long hashPixels(const std::vector<unsigned>& pixels) {
  unsigned long long hash = 1469598103934665603ull;
  for (unsigned p : pixels) hash = (hash ^ p) * 1099511628211ull;
  return hash;
}

// The last frame in `out`; with `hashes`, a hash of every frame as well.
bool renderScene(const char* scene, SceneInput input, int frames, bool everyOptionOff, Image* out,
                 std::vector<unsigned long long>* hashes = nullptr) {
  const std::string dll = preparePlugin(scene, everyOptionOff);
  if (dll.empty()) return false;
  HMODULE library = LoadLibraryA(dll.c_str());
  if (!library) return false;
  using GetHeader = VisHeader* (*)();
  auto getHeader =
      reinterpret_cast<GetHeader>(reinterpret_cast<void*>(GetProcAddress(library, "winampVisGetHeader")));
  if (!getHeader) return false;
  VisModule* module = getHeader()->getModule(0);

  HWND host = CreateWindowExA(0, "VelmoSceneHost", kHostCaption, WS_OVERLAPPEDWINDOW, 0, 0, 275,
                              116, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!host) {
    std::printf("no host window: Wine needs a display here (run under xvfb-run)\n");
    return false;
  }
  module->parentWindow = host;
  module->dllInstance = library;
  module->init(module);
  for (int f = 0; f < frames; f++) {
    fillSceneSpectrum(module->spectrumData, input, f);
    module->render(module);
    pumpMessages();
    if (hashes) {
      int width = 0, height = 0;
      vglGetFrameSize(&width, &height);
      out->pixels.assign((size_t)width * height, 0);
      if (width > 0 && vglReadFrame(GR_BUFFER_FRONTBUFFER, out->pixels.data(), width))
        hashes->push_back(hashPixels(out->pixels));
    }
  }
  int width = 0, height = 0;
  vglGetFrameSize(&width, &height);
  out->width = width;
  out->height = height;
  out->pixels.assign((size_t)width * height, 0);
  const bool read = width > 0 && vglReadFrame(GR_BUFFER_FRONTBUFFER, out->pixels.data(), width);
  module->quit(module);
  DestroyWindow(host);
  pumpMessages();
  return read;
}

void compareScene(const char* scene, SceneInput input, int frames, bool everyOptionOff) {
  Image frame, reference;
  const bool rendered = renderScene(scene, input, frames, everyOptionOff, &frame);
  CHECK(rendered);
  const std::string path = std::string(VELMO_SCENE_REFERENCE_DIR) + "/" + scene + ".png";
  const bool loaded = readPng(path, &reference);
  CHECK(loaded);
  if (!rendered || !loaded) return;
  CHECK_EQ(frame.width, reference.width);
  CHECK_EQ(frame.height, reference.height);
  if (frame.pixels.size() != reference.pixels.size()) return;

  long over = 0;
  double total = 0;
  int largest = 0;
  for (size_t i = 0; i < frame.pixels.size(); i++) {
    int worst = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
      const int d = std::abs((int)((frame.pixels[i] >> shift) & 255) - (int)((reference.pixels[i] >> shift) & 255));
      total += d;
      if (d > worst) worst = d;
    }
    if (worst > kChannelThreshold) over++;
    if (worst > largest) largest = worst;
  }
  const double mean = total / (3.0 * (double)frame.pixels.size());
  std::printf("%s: %ld pixels differ by more than %d, mean %.4f, largest %d\n", scene, over,
              kChannelThreshold, mean, largest);
  std::fflush(stdout);
  CHECK(over <= (long)(kMaxPixelsOverShare * frame.pixels.size()));
  CHECK(mean <= kMaxMeanDifference);
}

// The plug-in's frames from every fast kernel (each forced by its setting,
// capped at what the processor runs) on one and two threads are those of
// the reference pixel path, to the bit.
void compareKernels() {
  const int frames = 30;
  _putenv_s("VELMO_GLIDE_REFERENCE", "1");
  _putenv_s("VELMO_GLIDE_THREADS", "1");
  Image frame;
  std::vector<unsigned long long> reference;
  CHECK(renderScene("kernel_reference", SceneInput::sweep, frames, false, &frame, &reference));
  CHECK_EQ(reference.size(), (size_t)frames);
  _putenv_s("VELMO_GLIDE_REFERENCE", "");
  for (const char* kernel : {"portable", "sse2", "avx2", "avx512"}) {
    for (const char* threads : {"1", "2"}) {
      _putenv_s("VELMO_GLIDE_KERNEL", kernel);
      _putenv_s("VELMO_GLIDE_THREADS", threads);
      std::vector<unsigned long long> hashes;
      const std::string scene = std::string("kernel_") + kernel + "_" + threads;
      CHECK(renderScene(scene.c_str(), SceneInput::sweep, frames, false, &frame, &hashes));
      if (hashes != reference) std::printf("%s kernel, %s thread(s): frames differ\n", kernel, threads);
      CHECK(hashes == reference);
    }
  }
  _putenv_s("VELMO_GLIDE_KERNEL", "");
  _putenv_s("VELMO_GLIDE_THREADS", "");
}

}  // namespace

int main() {
  WNDCLASSA hostClass = {};
  hostClass.lpfnWndProc = hostWindowProc;
  hostClass.hInstance = GetModuleHandleA(nullptr);
  hostClass.lpszClassName = "VelmoSceneHost";
  RegisterClassA(&hostClass);

  compareScene("silence", SceneInput::silence, 60, false);
  compareScene("flat", SceneInput::flat, 60, false);
  compareScene("sweep", SceneInput::sweep, 300, false);
  compareScene("options_off", SceneInput::sweep, 300, true);
  compareKernels();
  return check::finish();
}
