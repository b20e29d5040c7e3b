// The engine's folders are layers: a file includes only headers of its own
// folder and of the folders above it, so there is no include cycle between
// folders. Read from the #include lines of src/.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Each folder with its rank: a folder may include folders of a lower rank
// only. Folders of the same rank (the two stages, the two front ends) do
// not include each other.
const std::map<std::string, int> kLayers = {
    {"core", 0},  {"catalog", 1}, {"container", 2}, {"video", 3}, {"audio", 3},
    {"sources", 4}, {"encode", 5}, {"serve", 6},     {"cli", 7},       {"ui", 7},
};

struct Include {
  std::string file;  // relative to src/
  std::string folder;
  std::string line;
};

std::vector<Include> FolderIncludes() {
  const fs::path src = ZQ48_SOURCE_DIR "/src";
  const std::regex include(R"(^\s*#\s*include\s+"([a-z_]+)/)");
  std::vector<Include> found;
  for (const auto& entry : fs::recursive_directory_iterator(src)) {
    const std::string ext = entry.path().extension().string();
    if (ext != ".h" && ext != ".cpp") continue;
    std::ifstream in(entry.path());
    std::string line;
    std::smatch m;
    while (std::getline(in, line)) {
      if (std::regex_search(line, m, include))
        found.push_back({fs::relative(entry.path(), src).string(), m[1].str(), line});
    }
  }
  return found;
}

std::string TopFolder(const std::string& file) { return file.substr(0, file.find('/')); }

TEST(SourceLayers, EveryFolderIsALayerAndIncludesOnlyTheLayersAboveIt) {
  const std::vector<Include> includes = FolderIncludes();
  ASSERT_GT(includes.size(), 100u);  // the sources were found
  std::set<std::string> folders;
  for (const auto& entry : fs::directory_iterator(ZQ48_SOURCE_DIR "/src"))
    if (entry.is_directory()) folders.insert(entry.path().filename().string());
  for (const std::string& f : folders) EXPECT_TRUE(kLayers.count(f)) << "src/" << f << " has no layer";
  for (const Include& inc : includes) {
    const std::string from = TopFolder(inc.file);
    if (inc.folder == from || !kLayers.count(from) || !kLayers.count(inc.folder)) continue;
    EXPECT_LT(kLayers.at(inc.folder), kLayers.at(from)) << inc.file << ": " << inc.line;
  }
}

// The desktop program learns about files through the engine's facade, as
// the command line does; only the preview player plays a file with the
// decoding sources itself.
TEST(SourceLayers, TheDesktopProgramAsksTheEngineAboutFiles) {
  for (const Include& inc : FolderIncludes()) {
    if (TopFolder(inc.file) == "ui" && inc.folder == "sources") {
      EXPECT_EQ(inc.file, "ui/preview_player.cpp") << inc.line;
    }
  }
}

}  // namespace
