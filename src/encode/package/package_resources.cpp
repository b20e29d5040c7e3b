#include "encode/package/package_resources.h"

#include "container/whole_file.h"
#include "encode/package/job_outputs.h"
#include "encode/package/package_resource_data.h"
#include "encode/package/web_player_page.h"

namespace zq48 {

namespace {

// Writes one of the program's own resources into the destination folder.
bool WriteResource(JobContext& context, PackageResource resource) {
  std::span<const std::uint8_t> bytes = ResourceBytes(resource);
  if (bytes.empty()) return false;
  std::string folder = context.state.snapshot.With(
      [](const JobSnapshot& s) { return s.catalog.Settings().destinationFolder(); });
  std::string name = folder + ResourceFileName(resource);
  // Another encoder may write the same archive into this folder right now:
  // each writes its own temporary file, and the renames replace whole files.
  switch (WriteWholeFile(name, bytes)) {
    case WholeFileWrite::Written:
      return true;
    case WholeFileWrite::NotCreated:
      context.notifier.ShowApp("Error create JAVA applet.");
      return false;
    case WholeFileWrite::NotWritten:
      context.notifier.ShowApp("Error write JAVA applet.");
      return false;
  }
  return false;
}

}  // namespace

std::span<const std::uint8_t> ResourceBytes(PackageResource resource) {
  switch (resource) {
    case PackageResource::PlayerArchive:
      return {package_data::kPlayerArchive, package_data::kPlayerArchiveSize};
    case PackageResource::ButtonImage:
      return {package_data::kButtonImage, package_data::kButtonImageSize};
    case PackageResource::WebPlayer:
      return {package_data::kWebPlayer, package_data::kWebPlayerSize};
  }
  return {};
}

const char* ResourceFileName(PackageResource resource) {
  switch (resource) {
    case PackageResource::PlayerArchive:
      return "zqmPlayer.jar";
    case PackageResource::ButtonImage:
      return "buttons.gif";
    case PackageResource::WebPlayer:
      return "zqmPlayer.js";
  }
  return "";
}

bool PackageOutputs::WriteResourceFile(JobContext& context, PackageResource resource) {
  const bool ok = WriteResource(context, resource);
  // The script of the page for today's browsers goes with the archive, and reports its own failure.
  if (resource == PackageResource::PlayerArchive) WriteWebPlayer(context);
  return ok;
}

}  // namespace zq48
