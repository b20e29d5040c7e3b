#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zq48 {

// A JSON text built field by field. Numbers are written without the process
// locale (a comma decimal would not be JSON); doubles that are not finite
// become null.
class JsonObject {
 public:
  JsonObject& Add(const std::string& key, const std::string& value);
  JsonObject& Add(const std::string& key, const char* value);
  JsonObject& Add(const std::string& key, std::int64_t value);
  JsonObject& Add(const std::string& key, int value) { return Add(key, static_cast<std::int64_t>(value)); }
  JsonObject& Add(const std::string& key, unsigned value) { return Add(key, static_cast<std::int64_t>(value)); }
  JsonObject& Add(const std::string& key, std::uint64_t value);
  JsonObject& Add(const std::string& key, double value);
  JsonObject& Add(const std::string& key, bool value);
  JsonObject& Add(const std::string& key, const JsonObject& value);
  // A value that is already JSON text (an array).
  JsonObject& AddRaw(const std::string& key, const std::string& json);

  std::string Text() const { return "{" + body_ + "}"; }

 private:
  JsonObject& Field(const std::string& key, const std::string& json);
  std::string body_;
};

// "[a,b,...]" of JSON texts.
std::string JsonArray(const std::vector<std::string>& items);

std::string JsonString(const std::string& text);
std::string JsonNumber(double value);
// The shortest text that reads back as this float: a single-precision value
// written as a double would carry digits it never had (1.2f as 1.2000000476837158).
std::string JsonFloat(float value);
std::string JsonNumber(std::int64_t value);

}  // namespace zq48
