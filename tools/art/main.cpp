// velmo_art: draws one of the plug-in's textures into a PNG file for mk3df.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <exception>
#include <string>

#include "art.h"
#include "tdf/png_io.h"

int main(int argc, char** argv) {
  CLI::App app{"velmo_art: draws one of the plug-in's four textures into a PNG picture."};
  std::string which, output, fontPath;
  app.add_option("texture", which, "light, bars, font or logo")
      ->required()
      ->check(CLI::IsMember({"light", "bars", "font", "logo"}));
  app.add_option("output", output, "PNG file to write")->required();
  app.add_option("--font", fontPath, "TrueType font for the font and logo textures");
  CLI11_PARSE(app, argc, argv);

  if ((which == "font" || which == "logo") && fontPath.empty()) {
    std::fprintf(stderr, "velmo_art: the %s texture needs --font\n", which.c_str());
    return 1;
  }
  try {
    velmo::tools::Image image = which == "light"  ? velmo::art::makeLight()
                                : which == "bars" ? velmo::art::makeBars()
                                : which == "font" ? velmo::art::makeFontSheet(fontPath)
                                                  : velmo::art::makeLogo(fontPath);
    velmo::tools::writePng(output, image);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "velmo_art: %s\n", error.what());
    return 1;
  }
  return 0;
}
