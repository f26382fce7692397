// velmo_soak FRAMES [EVERY]: renders FRAMES frames of the plug-in on moving
// spectra as fast as it goes (no presenter), printing the resident memory
// every EVERY frames, then the growth after warm-up (the first tenth).
// Exits 1 when memory grew by more than 1 MB after warm-up.
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "plugin_host.h"

int main(int argc, char** argv) {
  const long frames = argc > 1 ? std::atol(argv[1]) : 1000000;
  const long every = argc > 2 ? std::atol(argv[2]) : 50000;
  if (frames <= 0 || every <= 0) {
    std::fprintf(stderr, "usage: velmo_soak FRAMES [EVERY]\n");
    return 2;
  }
  hardening::PluginHost host;
  if (!host.ready()) {
    std::fprintf(stderr, "velmo_soak: %s\n", host.why().c_str());
    return 2;
  }
  host.module()->init(host.module());
  const long warmUp = frames / 10;
  long settled = hardening::residentKilobytes(), highest = 0;
  const auto start = std::chrono::steady_clock::now();
  std::printf("%12s %12s %10s\n", "frame", "resident kB", "fps");
  for (long frame = 0; frame < frames; ++frame) {
    host.fillSpectrum(frame);
    host.setPlayPosition(static_cast<int>(frame * 13));
    host.module()->render(host.module());
    hardening::PluginHost::pumpMessages();
    if (frame == warmUp) settled = hardening::residentKilobytes();
    if ((frame + 1) % every == 0) {
      const long resident = hardening::residentKilobytes();
      if (frame > warmUp && resident > highest) highest = resident;
      const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      std::printf("%12ld %12ld %10.0f\n", frame + 1, resident, (frame + 1) / seconds);
      std::fflush(stdout);
    }
  }
  host.module()->quit(host.module());
  const long growth = highest > settled ? highest - settled : 0;
  std::printf("after warm-up (frame %ld): %ld kB; highest later: %ld kB; growth %ld kB\n", warmUp, settled,
              highest, growth);
  return growth > 1024 ? 1 : 0;
}
