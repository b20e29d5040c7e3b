#include "encode/package/web_package.h"

#include <cstdio>
#include <filesystem>

#include "catalog/output_names.h"
#include "container/metafile.h"
#include "container/whole_file.h"
#include "encode/package/page_names.h"
#include "encode/package/web_player_page.h"

namespace zq48 {

namespace {

// Parameter names and the fixed values are page text; file names go through
// UrlAttribute first.
std::string Param(const std::string& name, const std::string& value) {
  return "<param name=\"" + name + "\" value=\"" + value + "\">\n";
}

std::string Commented(const std::string& name, const std::string& value) {
  return "<!-- <param name=\"" + name + "\" value=\"" + value + "\"> -->\n";
}


// Copies an image next to the page under its own name; a failed copy goes
// unnoticed (the page still names the image).
void CopyImage(const std::string& image, const std::string& folder) {
  std::error_code ec;
  std::filesystem::copy_file(image, folder + BaseName(image, true),
                             std::filesystem::copy_options::overwrite_existing, ec);
}

// Writes base name + ".html" into the destination folder and copies the
// title and end images beside it.
bool WriteAppletPage(JobContext& context, const DriverRecord& record, const std::string& sourcePath) {
  EncodeSettings settings =
      context.state.snapshot.With([](const JobSnapshot& s) { return s.catalog.Settings(); });
  const std::string& folder = settings.destinationFolder();
  WebPageFacts facts = WebPageFactsOf(settings, record, sourcePath);

  std::string name = folder + OutputBaseName(sourcePath) + ".html";
  // Written aside and renamed over the final name when whole: a reader never
  // sees half a page, and a failure leaves the earlier one in place.
  std::optional<WholeFile> f = WholeFile::Create(name);
  if (!f) {
    context.notifier.ShowApp("Error create HTML");
    return false;
  }
  std::vector<std::string> blocks = WebPageBlocks(facts);
  bool ok = true;
  for (std::size_t i = 0; i < blocks.size() && ok; ++i) {
    if (i == 3) {
      if (settings.titleImageOn) CopyImage(settings.titleImagePath, folder);
      if (settings.endImageOn) CopyImage(settings.endImagePath, folder);
    }
    ok = f->Write(blocks[i]);
  }
  if (!ok || !f->Commit()) {
    context.notifier.ShowApp("Error write HTML");
    return false;
  }
  return true;
}

}  // namespace

std::vector<std::string> WebPageBlocks(const WebPageFacts& f) {
  std::string head =
      "<!DOCTYPE html PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\n"
      "<html>\n<head>\n<title></title>\n</head>\n<body>\n"
      "<applet archive=\"zqmPlayer.jar\" code=\"zqmPlayer.class\" width=\"" +
      std::to_string(f.width) + "\" height=\"" + std::to_string(f.height) + "\">\n\n";
  std::string player = Param("AutoPlay", "false") + Param("RepeatForever", "false") +
                       Param("UrlBase", "codebase") + Param("PanelEnable", "true") +
                       Param("PanelImagesURL", "buttons.gif") + "\n";
  std::string meta = Param("MetaURL", UrlAttribute(f.metafileName));
  std::string options =
      "\n" + Commented("BackgroundColor", "FFFFFF") +
      (f.endImageOn ? Param("VideoEndImageURL", UrlAttribute(f.endImageName))
                    : Commented("VideoEndImageURL", "end.jpg")) +
      (f.titleImageOn ? Param("VideoTitleImageURL", UrlAttribute(f.titleImageName))
                      : Commented("VideoTitleImageURL", "title.jpg")) +
      Commented("PanelButtonsWidths", "15,15,15,7,6,1,6,15") + Commented("MuteAudio", "false") + "\n";
  std::string tail =
      "<!-- Under Microsoft JVM alpha blending is very slow, 255 turns off transparency -->\n" +
      Commented("VideoAlphaValue", "255") +
      "\n"
      "If you are not seeing graphics and video, your email reader or web browser is not "
      "equipped to show Java rich media. Please visit\n"
      "www.java.com !\n"
      "</applet>\n</body>\n</html>";
  return {head, player, meta, options, tail};
}

WebPageFacts WebPageFactsOf(const EncodeSettings& settings, const DriverRecord& record,
                            const std::string& sourcePath) {
  const std::string& folder = settings.destinationFolder();
  WebPageFacts facts;
  facts.baseName = OutputBaseName(sourcePath);
  facts.width = record.largestWidth + 20;
  facts.height = record.largestHeight + 16;
  facts.metafileName = MetafileName(folder, sourcePath, true);
  facts.titleImageOn = settings.titleImageOn;
  facts.titleImageName = BaseName(settings.titleImagePath, true);
  facts.endImageOn = settings.endImageOn;
  facts.endImageName = BaseName(settings.endImagePath, true);
  return facts;
}

bool PackageOutputs::WriteWebPage(JobContext& context, const DriverRecord& record,
                                  const std::string& sourcePath) {
  const bool ok = WriteAppletPage(context, record, sourcePath);
  // The page for today's browsers reports its own failure; the applet page decides the result.
  WriteWebPlayPage(context, record, sourcePath);
  return ok;
}

}  // namespace zq48
