#include "encode/package/web_player_page.h"

#include "container/whole_file.h"
#include "catalog/output_names.h"
#include "encode/package/package_resources.h"

namespace zq48 {

namespace {

// File names go into attribute values: quotes, ampersands and angle brackets are escaped.
std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '"': out += "&quot;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string Attribute(const std::string& name, const std::string& value) {
  return " data-" + name + "=\"" + Escaped(value) + "\"";
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
                       Attribute("meta-url", f.metafileName);
  if (f.endImageOn) canvas += Attribute("video-end-image-url", f.endImageName);
  if (f.titleImageOn) canvas += Attribute("video-title-image-url", f.titleImageName);
  canvas += "></canvas>\n";
  return "<!DOCTYPE html>\n"
         "<html>\n<head>\n<meta charset=\"utf-8\">\n<title></title>\n"
         "<style>body { margin: 0; } canvas { display: block; outline: none; }</style>\n"
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
  const std::string page = folder + OutputBaseName(sourcePath) + ".play.html";
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
