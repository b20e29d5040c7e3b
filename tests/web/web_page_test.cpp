// What a job writes for today's browsers: "BASE.play.html" beside each page,
// with the page's size and parameters, and "zqmPlayer.js" once, the script
// as built; both left out with --no-web-page, and the applet page the same
// either way. File names of any kind stay names in both pages: escaped in
// attributes and text, percent-encoded in URLs, and the film plays.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "encode/package/package_resources.h"
#include "encode/package/web_package.h"
#include "encode/package/web_player_page.h"
#include "web/html_tokens.h"
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
  EXPECT_TRUE(Has(page, "data-video-title-image-url=\"my%20title.png\"")) << page;
  EXPECT_TRUE(Has(page, "<title>clip</title>\n")) << page;
  EXPECT_TRUE(Has(page, "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n")) << page;
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

WebPageFacts FactsNamed(const std::string& base) {
  WebPageFacts facts;
  facts.baseName = base;
  facts.width = 260;
  facts.height = 192;
  facts.metafileName = base + ".meta.zq48";
  facts.endImageOn = facts.titleImageOn = true;
  facts.endImageName = base + " end.jpg";
  facts.titleImageName = base + " title.png";
  return facts;
}

std::string AppletPageText(const WebPageFacts& facts) {
  std::string page;
  for (const std::string& block : WebPageBlocks(facts)) page += block;
  return page;
}

// The tags and attribute names of a page, in order: its markup without the values.
std::vector<std::string> Markup(const HtmlTokens& tokens) {
  std::vector<std::string> markup;
  for (const HtmlTag& tag : tokens.tags) {
    markup.push_back((tag.end ? "/" : "") + tag.name);
    for (const auto& attribute : tag.attributes) markup.push_back("  " + attribute.first);
  }
  return markup;
}

// A URL of the page: only unreserved characters and escapes, naming the file itself.
void ExpectUrlOf(const std::string* url, const std::string& file) {
  ASSERT_NE(url, nullptr) << file;
  EXPECT_EQ(url->find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-._~%"),
            std::string::npos)
      << *url;
  EXPECT_EQ(PercentDecoded(*url), file);
}

// Each page of a hostile name has the markup of an ordinary one, and its
// values give the names back.
TEST(WebPage, NamesStayNamesInBothPages) {
  const HtmlTokens plainApplet = TokenizeHtml(AppletPageText(FactsNamed("clip")));
  const HtmlTokens plainPlay = TokenizeHtml(WebPlayPageText(FactsNamed("clip")));
  ASSERT_GT(plainApplet.tags.size(), 10u);
  for (const std::string name : {"x\"><svg\tonload=alert(1)>", "it's <b>bold</b> & &amp; done", "50% #1 ?q=a&b",
                                 "caf\xc3\xa9: \"quoted\" 'single'", "--><script>alert(1)</script>", "a\tb\nc"}) {
    SCOPED_TRACE(name);
    const WebPageFacts facts = FactsNamed(name);
    const HtmlTokens applet = TokenizeHtml(AppletPageText(facts));
    const HtmlTokens play = TokenizeHtml(WebPlayPageText(facts));
    EXPECT_EQ(Markup(applet), Markup(plainApplet));
    EXPECT_EQ(Markup(play), Markup(plainPlay));
    EXPECT_EQ(applet.title, "");
    EXPECT_EQ(play.title, name);
    std::vector<std::pair<std::string, std::string>> params;
    for (const HtmlTag& tag : applet.tags)
      if (tag.name == "param") params.emplace_back(*tag.Attribute("name"), *tag.Attribute("value"));
    for (const auto& [param, value] : params) {
      if (param == "MetaURL") ExpectUrlOf(&value, facts.metafileName);
      if (param == "VideoEndImageURL") ExpectUrlOf(&value, facts.endImageName);
      if (param == "VideoTitleImageURL") ExpectUrlOf(&value, facts.titleImageName);
    }
    EXPECT_EQ(params.size(), 8u);
    const HtmlTag& canvas = play.tags.at(std::find_if(play.tags.begin(), play.tags.end(),
                                                      [](const HtmlTag& t) { return t.name == "canvas"; }) -
                                         play.tags.begin());
    ExpectUrlOf(canvas.Attribute("data-meta-url"), facts.metafileName);
    ExpectUrlOf(canvas.Attribute("data-video-end-image-url"), facts.endImageName);
    ExpectUrlOf(canvas.Attribute("data-video-title-image-url"), facts.titleImageName);
  }

  // The bytes for the name that once ran its script in a viewer's browser.
  const WebPageFacts facts = FactsNamed("x\"><svg\tonload=alert(1)>");
  const std::string applet = AppletPageText(facts);
  const std::string play = WebPlayPageText(facts);
  EXPECT_TRUE(Has(applet, "\n<param name=\"MetaURL\" value=\"x%22%3E%3Csvg%09onload%3Dalert%281%29%3E.meta.zq48\">\n"))
      << applet;
  EXPECT_TRUE(Has(applet, "\n<param name=\"VideoEndImageURL\" value=\"x%22%3E%3Csvg%09onload%3Dalert%281%29%3E%20end.jpg\">\n"))
      << applet;
  EXPECT_TRUE(Has(play, "\n<title>x&quot;&gt;&lt;svg\tonload=alert(1)&gt;</title>\n")) << play;
  EXPECT_TRUE(Has(play, " data-meta-url=\"x%22%3E%3Csvg%09onload%3Dalert%281%29%3E.meta.zq48\"")) << play;
  EXPECT_TRUE(Has(WebPlayPageText(FactsNamed("it's & <b>")), "<title>it&#39;s &amp; &lt;b&gt;</title>"));
}

// A film named to break pages and URLs makes a package that both players
// play from their pages, its title image included.
TEST(WebPage, AFilmWithAHostileNamePlaysFromBothPages) {
  TempDir dir;
  const std::string base = "x\"><svg\tonload=alert(1)>_#1_100%_a&b?_it's";
  std::string input = dir.File("x\"><svg\tonload=alert(1)> #1 100% a&b? it's.avi");
  ClipSpec clip;
  clip.width = 176;
  clip.height = 144;
  clip.seconds = 1.0;
  WriteAvi(input, clip);
  std::string title = dir.File("<em>title<em> #2 & 'more'.gif");
  auto strip = ResourceBytes(PackageResource::ButtonImage);
  WriteBytes(title, Bytes(strip.begin(), strip.end()));
  std::string out = dir.File("out");
  fs::create_directories(out);
  CommandResult encode = RunCommand(std::string("'") + ZQ48ENC_PATH + "' -o " + ShellQuoted(out) +
                                        " --range-begin 100 --range-end 200 --title-image " + ShellQuoted(title) + " " +
                                        ShellQuoted(input),
                                    dir.File("zq48enc.stderr"));
  ASSERT_EQ(encode.status, 0) << encode.err;
  const std::string applet = out + "/" + base + ".html";
  const std::string play = out + "/" + base + ".play.html";
  ASSERT_TRUE(fs::exists(applet));
  ASSERT_TRUE(fs::exists(play));
  for (const std::string& page : {applet, play})
    for (const HtmlTag& tag : TokenizeHtml(Text(page)).tags) EXPECT_NE(tag.name, "svg") << page;

  CommandResult check = RunCommand("cd " + ShellQuoted(out) + " && '" ZQ48_JAVA "' -Djava.awt.headless=true -jar '" +
                                       std::string(ZQ48_PLAYER_JAR) + "' --check " + ShellQuoted(applet),
                                   dir.File("check.stderr"));
  EXPECT_EQ(check.status, 0) << check.out << check.err;
  EXPECT_TRUE(Has(check.out, "title image: <em>title<em> #2 & 'more'.gif, 80 x 32\n")) << check.out;
  EXPECT_TRUE(Has(check.out, "metafile: " + base + ".meta.zq48 ")) << check.out;
  PlayerDecode java = RunPlayerDecode(applet, dir.File("java"));
  EXPECT_EQ(java.run.status, 0) << java.run.err;
  EXPECT_GT(java.pictures, 0);
  WebDecode web = RunWebDecode(play, dir.File("web"));
  EXPECT_EQ(web.run.status, 0) << web.run.err;
  EXPECT_EQ(web.pictures, java.pictures);
}

}  // namespace
}  // namespace zq48::testing
