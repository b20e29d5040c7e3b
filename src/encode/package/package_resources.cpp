#include "encode/package/package_resources.h"

#include "encode/package/package_resource_data.h"

namespace zq48 {

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

}  // namespace zq48
