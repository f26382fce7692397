// The layers as the sources keep them. Every #include of the plug-in, our
// Glide, the platform layer, the player and the web page is resolved the way
// the build finds it, and must keep to the rules:
//   - the plug-in (plugin/ display/ scene/ settings/ analysis/) includes its
//     own headers, Glide's (glide.h, glideutl.h) and Win32's (windows.h);
//   - glide/ and platform/ include nothing of the plug-in, the player or
//     the page;
//   - host/ and web/, hosts both, reach the plug-in only through its ABI
//     header (vis_abi.h); the player includes nothing of the page.
// Headers not found in the tree are the system's.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "temp_folder.h"

namespace {

namespace fs = std::filesystem;

const char* const kPluginFolders[] = {"plugin", "display", "scene", "settings", "analysis"};
const char* const kLayerFolders[] = {"plugin", "display", "scene", "settings", "analysis", "glide", "platform", "host", "web"};
// Where the build looks for names not beside the including file: the
// repository's top (the plug-in's folders name each other from there) and
// the folders the libraries export.
const char* const kIncludeFolders[] = {"", "glide/include", "platform/include", "plugin/include", "host"};

struct Include {
  std::string file;  // the including file, from the repository's top
  int line;
  std::string named;  // as written
  std::string found;  // the file it resolves to, from the top; empty for the system's
};

std::string fromTop(const fs::path& path, const fs::path& root) {
  return fs::relative(path, root).generic_string();
}

std::string resolve(const fs::path& root, const fs::path& file, const std::string& named, bool quoted) {
  if (quoted && fs::is_regular_file(file.parent_path() / named)) {
    return fromTop(fs::canonical(file.parent_path() / named), root);
  }
  for (const char* folder : kIncludeFolders) {
    const fs::path candidate = root / folder / named;
    if (fs::is_regular_file(candidate)) return fromTop(fs::canonical(candidate), root);
  }
  return "";
}

std::vector<Include> includesOf(const fs::path& top) {
  const fs::path root = fs::canonical(top);
  static const std::regex directive(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
  std::vector<Include> includes;
  for (const char* folder : kLayerFolders) {
    if (!fs::is_directory(root / folder)) continue;
    for (const auto& entry : fs::recursive_directory_iterator(root / folder)) {
      const std::string extension = entry.path().extension().string();
      if (extension != ".cpp" && extension != ".h") continue;
      std::ifstream source(entry.path());
      std::string text;
      for (int line = 1; std::getline(source, text); line++) {
        std::smatch match;
        if (!std::regex_search(text, match, directive)) continue;
        includes.push_back({fromTop(entry.path(), root), line, match[2],
                            resolve(root, entry.path(), match[2], match[1] == "\"")});
      }
    }
  }
  return includes;
}

std::string folderOf(const std::string& path) { return path.substr(0, path.find('/')); }

bool inPlugin(const std::string& path) {
  for (const char* folder : kPluginFolders)
    if (folderOf(path) == folder) return true;
  return false;
}

// What is wrong with one include, or empty.
std::string breach(const Include& include) {
  const std::string& to = include.found;
  if (to.empty()) return "";
  const std::string from = folderOf(include.file);
  if (inPlugin(include.file)) {
    const bool allowed = inPlugin(to) || to == "glide/include/glide.h" || to == "glide/include/glideutl.h" ||
                         to == "platform/include/windows.h";
    return allowed ? "" : "the plug-in includes " + to;
  }
  if (from == "glide" || from == "platform") {
    return inPlugin(to) || folderOf(to) == "host" || folderOf(to) == "web" ? from + "/ includes " + to : "";
  }
  if (from == "host" || from == "web") {
    const std::string who = from == "host" ? "the player" : "the page";
    if (inPlugin(to) && to != "plugin/include/vis_abi.h") {
      return who + " includes " + to + " (only vis_abi.h is the plug-in's to share)";
    }
    if (from == "host" && folderOf(to) == "web") return "the player includes " + to;
  }
  return "";
}

std::vector<std::string> breaches(const fs::path& root) {
  std::vector<std::string> found;
  for (const Include& include : includesOf(root)) {
    const std::string why = breach(include);
    if (!why.empty()) found.push_back(include.file + ":" + std::to_string(include.line) + ": " + why);
  }
  return found;
}

TEST(Layers, EveryIncludeKeepsToTheRules) {
  const fs::path root = VELMO_SOURCE_DIR;
  const std::vector<Include> includes = includesOf(root);
  ASSERT_GT(includes.size(), 400u) << "the sources were not read";
  int toGlide = 0, toAbi = 0;
  for (const Include& include : includes) {
    toGlide += include.found == "glide/include/glide.h";
    toAbi += include.found == "plugin/include/vis_abi.h";
  }
  EXPECT_GT(toGlide, 0) << "includes in angle brackets were not resolved";
  EXPECT_GT(toAbi, 1) << "the ABI header was not found";
  EXPECT_EQ(breaches(root), std::vector<std::string>{});
}

// The rules catch a break of each kind, in a tree laid out for the purpose.
TEST(Layers, ABreakOfEachKindIsCaught) {
  velmo_test::TempFolder tree{"velmo-layers"};
  auto lay = [&](const std::string& path, const std::string& text) {
    fs::create_directories(fs::path(tree.path(path)).parent_path());
    ASSERT_TRUE(velmo_test::writeFile(tree.path(path), text));
  };
  lay("plugin/include/vis_abi.h", "");
  lay("plugin/lifecycle.h", "");
  lay("glide/include/glide.h", "");
  lay("glide/include/velmo_glide.h", "");
  lay("settings/settings.h", "");
  lay("host/audio/spectrum.h", "");
  lay("host/vis/loader.cpp", "#include <vis_abi.h>\n#include \"plugin/lifecycle.h\"\n");
  lay("scene/frame.cpp", "#include <glide.h>\n  #  include <velmo_glide.h>\n#include \"audio/spectrum.h\"\n");
  lay("glide/src/state.cpp", "#include \"glide.h\"\n#include \"settings/settings.h\"\n#include <vector>\n");
  lay("web/src/player.cpp", "#include \"audio/spectrum.h\"\n#include \"plugin/lifecycle.h\"\n");
  EXPECT_THAT(breaches(tree.path()),
              ::testing::UnorderedElementsAre(
                  "scene/frame.cpp:2: the plug-in includes glide/include/velmo_glide.h",
                  "scene/frame.cpp:3: the plug-in includes host/audio/spectrum.h",
                  "glide/src/state.cpp:2: glide/ includes settings/settings.h",
                  "host/vis/loader.cpp:2: the player includes plugin/lifecycle.h (only vis_abi.h is the plug-in's to share)",
                  "web/src/player.cpp:2: the page includes plugin/lifecycle.h (only vis_abi.h is the plug-in's to share)"));
}

}  // namespace
