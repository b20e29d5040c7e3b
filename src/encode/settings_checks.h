#pragma once

#include <optional>
#include <string>

#include "core/notifier.h"
#include "core/settings_store.h"
#include "catalog/input_catalog.h"
#include "catalog/encode_settings.h"
#include "catalog/range_and_crop.h"

namespace zq48 {

struct RangeCheck {
  bool ok = false;
  bool swapped = false;  // begin and end were given the other way round and were swapped
};

// Checks the simple bit-rate range before a job starts. A value outside
// 48..900 is refused with a message; an end below the begin is not refused
// but swapped in place, so whoever shows the values must show them again.
RangeCheck CheckRange(EncodeSettings& settings, Notifier& notifier);

// Checks the destination folder the user typed. A missing folder is created
// (with every missing parent) when the user agrees. On success the
// normalised folder (one trailing "/", no doubled "/") is stored in the
// settings and persisted as "PathDest", and returned. Every refusal is
// shown through the notifier.
std::optional<std::string> CheckDestinationFolder(const std::string& text, EncodeSettings& settings,
                                                  SettingsStore& store, Notifier& notifier);

inline constexpr const char* kInvalidInputCaption = "Error - invalid input";

// The first check the values fail, as the message to show (with the caption
// above), or nothing when they are acceptable for every file of the list.
std::optional<std::string> ValidateTimeRangeAndCrop(const RangeAndCrop& values,
                                                const InputCatalog& catalog);

}  // namespace zq48
