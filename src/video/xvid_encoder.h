#pragma once

#include <cstdint>
#include <memory>

#include "video/picture_quality.h"

namespace zq48 {

// The parameters of one MPEG-4 Part 2 encoder instance.
struct XvidSettings {
  int width = 0;
  int height = 0;
  int frameIncrement = 1;  // a picture lasts frameIncrement / timeBase seconds
  int timeBase = 25;
  int bitRate = 0;         // bits per second, single-pass rate control
  int maxKeyInterval = 250;
  int minQuantizer = 1;
  int maxQuantizer = 31;
};

// The codec's time base for a frame rate: a rate with a fractional part
// counts in thousandths (29.970 -> 29969 per 1000, 12.5 -> 12500 per 1000),
// a whole rate per picture (25 -> 25 per 1).
struct TimeBase {
  int frameIncrement;
  int timeBase;
  bool operator==(const TimeBase&) const = default;
};
TimeBase CodecTimeBase(float frameRate);

// One xvidcore encoder instance. Instances are independent of each other,
// so several encodes could run side by side.
class XvidEncoder {
 public:
  // Creates an instance; nothing on failure, with the codec's result in `result`.
  static std::unique_ptr<XvidEncoder> Create(const XvidSettings& settings, int* result);
  ~XvidEncoder();
  XvidEncoder(const XvidEncoder&) = delete;
  XvidEncoder& operator=(const XvidEncoder&) = delete;

  // Encodes one packed 24-bit blue-green-red picture with bottom-up rows of
  // width x 3 bytes. Returns the bytes written to `out`, or a negative codec
  // error; `errors` gets how far the encoded picture is from the one given
  // (the codec measures it on its own reconstruction, in its own planes).
  int Encode(const std::uint8_t* picture, std::uint8_t* out, int outCapacity, PlaneErrors* errors = nullptr);

  const XvidSettings& settings() const { return settings_; }

 private:
  XvidEncoder(void* handle, const XvidSettings& settings) : handle_(handle), settings_(settings) {}
  void* handle_;
  XvidSettings settings_;
};

}  // namespace zq48
