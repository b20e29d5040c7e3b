#pragma once

#include <string>

#include "core/notifier.h"
#include "catalog/input_catalog.h"
#include "sources/general_media.h"
#include "sources/movie_media.h"

namespace zq48 {

// The media services probing may use. Without a movie service, movie files
// cannot be decoded here and their probe fails quietly.
struct MediaServices {
  const GeneralMediaService* general = nullptr;
  const MovieMediaService* movie = nullptr;
};

// Probes files into the catalog: decides the decoding path, reads the media
// facts, checks that the file really decodes, and tells the user what is
// wrong with a file it refuses. Facts stored before a failure stay.
class MediaProbe {
 public:
  MediaProbe(InputCatalog& catalog, Notifier& notifier, MediaServices services)
      : catalog_(catalog), notifier_(notifier), services_(services) {}

  // True when the file was accepted. `durationText` (when given) receives the
  // duration text of the general path; movie files have none.
  bool Probe(const std::string& path, std::string* durationText = nullptr);

 private:
  bool ProbeGeneral(const std::string& path, MediaFacts& facts);
  bool StoreDetectedStreams(const std::string& path, MediaFacts& facts);
  bool CheckDecode(const std::string& path, std::uint64_t size, MediaFacts& facts);
  bool ProbeMovie(const std::string& path, MediaFacts& facts);
  bool StoreMovieTracks(const MovieFacts& movie, MediaFacts& facts);
  bool Refuse(const std::string& text);

  InputCatalog& catalog_;
  Notifier& notifier_;
  MediaServices services_;
};

// The WAVEFORMATEX sample rate of a movie's 16.16 sound description rate:
// the known rates map to whole hertz (the Macintosh rates to 11000 and
// 22000), any other to 0.
std::uint32_t SamplesPerSecOfSoundRate(std::uint32_t rateFixed);

}  // namespace zq48
