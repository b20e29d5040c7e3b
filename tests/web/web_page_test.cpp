// What a job writes for today's browsers: "BASE.play.html" beside each page,
// with the page's size and parameters, and "zqmPlayer.js" once, the script
// as built; both left out with --no-web-page, and the applet page the same
// either way.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "encode/package/web_player_page.h"
#include "web/web_package.h"

namespace zq48::testing {
namespace {

namespace fs = std::filesystem;

std::string Text(const std::string& path) {
  Bytes b = ReadBytes(path);
  return std::string(b.begin(), b.end());
}

TEST(WebPage, TheJobWritesThePlayPageAndTheScriptBesideThePackage) {
  TempDir dir;
  ClipSpec clip;
  clip.width = 176;
  clip.height = 144;
  std::string title = dir.File("my title.png");
  WriteBytes(title, Bytes{0x89, 'P', 'N', 'G'});
  std::string out = EncodeWebPackage(dir, clip, 20, 100, 200, "--title-image '" + title + "'");
  std::string page = Text(out + "/clip.play.html");
  std::string applet = Text(out + "/clip.html");
  // The same size as the applet page.
  std::size_t w = applet.find("width=\"");
  ASSERT_NE(w, std::string::npos);
  std::string size = applet.substr(w, applet.find("\">", w) - w);  // width="W" height="H"
  EXPECT_TRUE(Has(page, "<canvas id=\"zqmPlayer\" " + size + "\"")) << page;
  EXPECT_TRUE(Has(page, "data-meta-url=\"clip.meta.zq48\"")) << page;
  EXPECT_TRUE(Has(page, "data-panel-images-url=\"buttons.gif\"")) << page;
  EXPECT_TRUE(Has(page, "data-video-title-image-url=\"my title.png\"")) << page;
  EXPECT_FALSE(Has(page, "data-video-end-image-url")) << page;
  EXPECT_TRUE(Has(page, "<script src=\"zqmPlayer.js\"></script>")) << page;
  EXPECT_EQ(ReadBytes(out + "/zqmPlayer.js"), ReadBytes(ZQ48_WEB_PLAYER_JS));
  EXPECT_GT(ReadBytes(out + "/zqmPlayer.js").size(), 20000u);
  for (const auto& entry : fs::directory_iterator(out))
    EXPECT_EQ(entry.path().filename().string().find(".part-"), std::string::npos) << entry.path();

  TempDir without;
  std::string bare = EncodeWebPackage(without, clip, 20, 100, 200, "--no-web-page --title-image '" + title + "'");
  EXPECT_FALSE(fs::exists(bare + "/clip.play.html"));
  EXPECT_FALSE(fs::exists(bare + "/zqmPlayer.js"));
  EXPECT_TRUE(fs::exists(bare + "/zqmPlayer.jar"));
  EXPECT_EQ(Text(bare + "/clip.html"), applet);
}

TEST(WebPage, FileNamesAreEscapedInTheAttributes) {
  WebPageFacts facts;
  facts.width = 260;
  facts.height = 192;
  facts.metafileName = "a&b.meta.zq48";
  facts.endImageOn = true;
  facts.endImageName = "say \"end\" <now>.jpg";
  std::string page = WebPlayPageText(facts);
  EXPECT_TRUE(Has(page, "width=\"260\" height=\"192\"")) << page;
  EXPECT_TRUE(Has(page, "data-meta-url=\"a&amp;b.meta.zq48\"")) << page;
  EXPECT_TRUE(Has(page, "data-video-end-image-url=\"say &quot;end&quot; &lt;now&gt;.jpg\"")) << page;
  EXPECT_FALSE(Has(page, "data-video-title-image-url")) << page;
}

}  // namespace
}  // namespace zq48::testing
