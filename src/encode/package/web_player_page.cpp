#include "encode/package/web_player_page.h"

#include "container/whole_file.h"
#include "catalog/output_names.h"
#include "encode/package/package_resources.h"
#include "encode/package/page_names.h"

namespace zq48 {

namespace {

std::string Attribute(const std::string& name, const std::string& value) {
  return " data-" + name + "=\"" + HtmlEscaped(value) + "\"";
}

// A file name as the URL of an attribute (relative to the page).
std::string UrlOf(const std::string& name, const std::string& fileName) {
  return " data-" + name + "=\"" + UrlAttribute(fileName) + "\"";
}

EncodeSettings SettingsOf(JobContext& context) {
  return context.state.snapshot.With([](const JobSnapshot& s) { return s.catalog.Settings(); });
}

}  // namespace

std::string WebPlayPageText(const WebPageFacts& f) {
  std::string width = std::to_string(f.width);
  std::string height = std::to_string(f.height);
  std::string canvas = "<canvas id=\"zqmPlayer\" width=\"" + width + "\" height=\"" + height +
                       "\" tabindex=\"0\"" + Attribute("auto-play", "false") +
                       Attribute("repeat-forever", "false") + Attribute("url-base", "codebase") +
                       Attribute("panel-enable", "true") + Attribute("panel-images-url", "buttons.gif") +
                       UrlOf("meta-url", f.metafileName);
  if (f.endImageOn) canvas += UrlOf("video-end-image-url", f.endImageName);
  if (f.titleImageOn) canvas += UrlOf("video-title-image-url", f.titleImageName);
  canvas += "></canvas>\n";
  return "<!DOCTYPE html>\n"
         "<html>\n<head>\n<meta charset=\"utf-8\">\n"
         "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
         "<title>" +
         HtmlEscaped(f.baseName) +
         "</title>\n"
         "<style>body { margin: 0; } canvas { display: block; }</style>\n"
         "</head>\n<body>\n" +
         canvas +
         "<!-- More settings, as attributes of the canvas: data-background-color=\"FFFFFF\"\n"
         "     data-panel-buttons-widths=\"15,15,15,7,6,1,6,15\" data-mute-audio=\"false\"\n"
         "     data-video-alpha-value=\"255\" -->\n"
         "<script src=\"zqmPlayer.js\"></script>\n"
         "</body>\n</html>\n";
}

bool WriteWebPlayPage(JobContext& context, const DriverRecord& record, const std::string& sourcePath) {
  EncodeSettings settings = SettingsOf(context);
  if (!settings.webPageOn) return true;
  const std::string& folder = settings.destinationFolder();
  WebPageFacts facts = WebPageFactsOf(settings, record, sourcePath);
  const std::string page = folder + PlayPageName(sourcePath);
  if (WriteWholeFile(page, WebPlayPageText(facts)) == WholeFileWrite::Written) return true;
  context.notifier.ShowApp("Error create the page for today's browsers");
  return false;
}

bool WriteWebPlayer(JobContext& context) {
  EncodeSettings settings = SettingsOf(context);
  if (!settings.webPageOn) return true;
  std::span<const std::uint8_t> bytes = ResourceBytes(PackageResource::WebPlayer);
  const std::string script = settings.destinationFolder() + ResourceFileName(PackageResource::WebPlayer);
  if (!bytes.empty() && WriteWholeFile(script, bytes) == WholeFileWrite::Written) return true;
  context.notifier.ShowApp("Error create the web player file zqmPlayer.js");
  return false;
}

}  // namespace zq48
