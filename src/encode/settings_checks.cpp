#include "encode/settings_checks.h"

#include <sys/stat.h>
#include <unistd.h>
#include <sys/statfs.h>

#include <cerrno>
#include <filesystem>
#include <utility>

namespace zq48 {

RangeCheck CheckRange(EncodeSettings& settings, Notifier& notifier) {
  auto inRange = [](std::uint32_t v) { return v >= kRangeMin && v <= kRangeMax; };
  if (!inRange(settings.rangeBegin)) {
    notifier.ShowApp("Range begin must be more 48 and less 900.");
    return {false, false};
  }
  if (!inRange(settings.rangeEnd)) {
    notifier.ShowApp("Range end must be more 48 and less 900.");
    return {false, false};
  }
  if (settings.rangeEnd < settings.rangeBegin) {
    std::swap(settings.rangeBegin, settings.rangeEnd);
    return {true, true};
  }
  return {true, false};
}

namespace {

// Why a folder could not be created, in words that fit the kind of medium
// it was to be created on.
std::string CreateFailureText(const std::filesystem::path& path, int error) {
  std::filesystem::path probe = path;
  struct statfs fs {};
  while (!probe.empty() && statfs(probe.c_str(), &fs) != 0) {
    if (probe == probe.parent_path()) break;
    probe = probe.parent_path();
  }
  switch (static_cast<unsigned long>(fs.f_type)) {
    case 0x9660:      // ISO 9660
    case 0x15013346:  // UDF
      return "You cannot create this folder\nas the CD ROM medium is read-only.";
    case 0x6969:      // NFS
    case 0x517B:      // SMB
    case 0xFF534D42:  // CIFS
    case 0xFE534D42:  // SMB2
      return "You do not have permission to create\nthis folder on the network.";
    default:
      break;
  }
  if (error == EROFS) return "You cannot create this folder.\nThe medium may be write-protected.";
  return "You do not have permission\nto create this folder.";
}

std::string Normalise(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  for (std::size_t at; (at = folder.find("//")) != std::string::npos;) folder.erase(at, 1);
  return folder;
}

}  // namespace

std::optional<std::string> CheckDestinationFolder(const std::string& text, EncodeSettings& settings,
                                                  SettingsStore& store, Notifier& notifier) {
  std::string path = text;
  if (path.size() > 1 && path.back() == '/') path.pop_back();
  if (path.empty()) {
    // No folder at all: nothing could be created or written there.
    notifier.ShowApp(path + "\nThis is not a valid folder.");
    return std::nullopt;
  }

  struct stat st {};
  if (stat(path.c_str(), &st) != 0) {
    if (!notifier.Ask(path + "\nThis folder does not exist.\n\nDo you want to create it?",
                      kAppCaption))
      return std::nullopt;
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    if (ec || stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
      notifier.ShowApp(CreateFailureText(path, ec.value()));
      return std::nullopt;
    }
  } else if (!S_ISDIR(st.st_mode)) {
    notifier.ShowApp(path + "\nThis is a file not a directory.");
    return std::nullopt;
  }
  // Found out now, not by every variant of the job failing in turn.
  if (access(path.c_str(), W_OK) != 0) {
    notifier.ShowApp(path + (errno == EROFS ? "\nThis folder is on a read-only disk." : "\nYou do not have permission\nto write into this folder."));
    return std::nullopt;
  }

  std::string folder = Normalise(path);
  settings.setDestinationFolder(folder);
  store.WriteSettingString(folder, settings::kPathDest, settings::kRootSection);
  return folder;
}

std::optional<std::string> ValidateTimeRangeAndCrop(const RangeAndCrop& v,
                                                const InputCatalog& catalog) {
  if (v.begin > v.end) return "Begin time must be less than end time.";
  if (v.begin < 0) return "Begin offset must be non-negative value.";
  if (v.end < 0) return "End offset must be non-negative value.";
  if (v.bottom < 0) return "Bottom offset must be non-negative value.";
  if (v.left < 0) return "Left offset must be non-negative value.";
  if (v.right < 0) return "Right offset must be non-negative value.";
  if (v.top < 0) return "Top offset must be non-negative value.";
  // Sums in 64 bits, so huge margins cannot wrap around into "acceptable".
  for (const std::string& path : catalog.InputPaths()) {
    const MediaFacts& facts = catalog.Facts(path);
    if (static_cast<std::int64_t>(v.left) + v.right >= facts.width)
      return "Cropping left plus right must be less than width of film.";
  }
  for (const std::string& path : catalog.InputPaths()) {
    const MediaFacts& facts = catalog.Facts(path);
    if (static_cast<std::int64_t>(v.top) + v.bottom >= facts.height)
      return "Cropping top plus bottom must be less than height of film.";
  }
  return std::nullopt;
}

}  // namespace zq48
