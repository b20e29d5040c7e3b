#include "core/json_writer.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace zq48 {

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
          out += escaped;
        } else {
          out += static_cast<char>(c);  // UTF-8 passes through as it is
        }
    }
  }
  return out + "\"";
}

std::string JsonNumber(double value) {
  if (!std::isfinite(value)) return "null";
  char text[32];
  auto [end, error] = std::to_chars(text, text + sizeof text, value);  // shortest exact form, no locale
  return error == std::errc() ? std::string(text, end) : "null";
}

std::string JsonFloat(float value) {
  if (!std::isfinite(value)) return "null";
  char text[32];
  auto [end, error] = std::to_chars(text, text + sizeof text, value);
  return error == std::errc() ? std::string(text, end) : "null";
}

std::string JsonNumber(std::int64_t value) { return std::to_string(value); }

std::string JsonArray(const std::vector<std::string>& items) {
  std::string out = "[";
  for (std::size_t i = 0; i < items.size(); ++i) out += (i ? "," : "") + items[i];
  return out + "]";
}

JsonObject& JsonObject::Field(const std::string& key, const std::string& json) {
  if (!body_.empty()) body_ += ',';
  body_ += JsonString(key) + ":" + json;
  return *this;
}

JsonObject& JsonObject::Add(const std::string& key, const std::string& value) {
  return Field(key, JsonString(value));
}
JsonObject& JsonObject::Add(const std::string& key, const char* value) {
  return Field(key, JsonString(value));
}
JsonObject& JsonObject::Add(const std::string& key, std::int64_t value) {
  return Field(key, JsonNumber(value));
}
JsonObject& JsonObject::Add(const std::string& key, std::uint64_t value) {
  return Field(key, std::to_string(value));
}
JsonObject& JsonObject::Add(const std::string& key, double value) { return Field(key, JsonNumber(value)); }
JsonObject& JsonObject::Add(const std::string& key, bool value) { return Field(key, value ? "true" : "false"); }
JsonObject& JsonObject::Add(const std::string& key, const JsonObject& value) {
  return Field(key, value.Text());
}
JsonObject& JsonObject::AddRaw(const std::string& key, const std::string& json) { return Field(key, json); }

}  // namespace zq48
