#include "encode/engine.h"

#include "catalog/output_names.h"
#include "sources/avi_fourcc.h"

namespace zq48 {

Engine::Engine(InputCatalog& catalog, SettingsStore& store, Notifier& notifier, JobEvents& events,
               EngineParts parts)
    : catalog_(catalog),
      movieFiles_(parts.movieFiles.value_or(MovieFilesReadable())),
      media_{parts.generalMedia ? parts.generalMedia : &realGeneralMedia_,
             !movieFiles_ ? nullptr : parts.movieMedia ? parts.movieMedia : &realMovieMedia_},
      controller_(catalog, store, notifier, events, parts.workers ? *parts.workers : realWorkers_,
                  parts.outputs ? *parts.outputs : realOutputs_, movieFiles_) {}

std::optional<MediaFacts> Engine::Probe(const std::string& path, Notifier& notifier) const {
  // A catalog of its own: probing may run on any thread, the catalog is the
  // front end's.
  InputCatalog scratch;
  MediaProbe probe(scratch, notifier, media_);
  if (!probe.Probe(path)) return std::nullopt;
  return scratch.Facts(path);
}

std::string Engine::VideoCodecCode(const std::string& path) { return ReadAviVideoFourcc(path); }

bool Engine::AddToCatalog(const std::string& path, const MediaFacts& facts, Notifier& notifier) {
  if (std::optional<std::string> twin = BaseNameTwin(catalog_, path)) {
    notifier.ShowApp(BaseNameTwinText(path, *twin));
    return false;
  }
  catalog_.MutableFacts(path) = facts;
  catalog_.AddInputPath(path);
  return true;
}

}  // namespace zq48
