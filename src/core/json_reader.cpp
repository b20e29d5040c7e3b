#include "core/json_reader.h"

#include <charconv>
#include <cmath>
#include <type_traits>

namespace zq48 {

namespace {

constexpr int kMaxDepth = 200;

// Appends a code point as UTF-8.
void AppendUtf8(std::string& out, std::uint32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The length of the UTF-8 sequence at `s` (well formed, shortest form, no
// surrogates), or 0.
std::size_t Utf8Length(std::string_view s) {
  const auto b = [&s](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char c = b(0);
  std::size_t n = c < 0x80 ? 1 : c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
  if (n == 0 || s.size() < n) return 0;
  for (std::size_t i = 1; i < n; ++i)
    if ((b(i) & 0xC0) != 0x80) return 0;
  if (c == 0xE0 && b(1) < 0xA0) return 0;   // overlong
  if (c == 0xED && b(1) > 0x9F) return 0;   // surrogate
  if (c == 0xF0 && b(1) < 0x90) return 0;   // overlong
  if (c == 0xF4 && b(1) > 0x8F) return 0;   // above U+10FFFF
  return n;
}

}  // namespace

// A recursive-descent reader over the text; the first error ends it.
class JsonParser {
 public:
  explicit JsonParser(std::string_view text) : text_(text) {
    if (text_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
  }

  std::variant<JsonValue, JsonError> Document() {
    JsonValue value;
    if (!Value(value, 0)) return error_;
    SkipSpace();
    if (pos_ < text_.size()) return Fail("text after the end of the document");
    return value;
  }

 private:
  JsonError Fail(std::string what) {
    if (error_.text.empty()) error_ = {line_, std::move(what)};
    return error_;
  }
  bool Failed(std::string what) {
    Fail(std::move(what));
    return false;
  }

  void SkipSpace() {
    while (pos_ < text_.size()) {
      const char c = text_[pos_];
      if (c == '\n') ++line_;
      if (c != ' ' && c != '\t' && c != '\n' && c != '\r') return;
      ++pos_;
    }
  }

  bool Literal(std::string_view word) {
    if (text_.substr(pos_, word.size()) != word) return Failed("not a JSON value");
    pos_ += word.size();
    return true;
  }

  bool Value(JsonValue& out, int depth) {
    SkipSpace();
    out.line_ = line_;
    if (pos_ >= text_.size()) return Failed("the document ends where a value should be");
    if (depth > kMaxDepth) return Failed("nested too deeply");
    switch (text_[pos_]) {
      case '{': return Object(out, depth);
      case '[': return Array(out, depth);
      case '"': out.kind_ = JsonValue::Kind::String; return String(out.text_);
      case 't': out.kind_ = JsonValue::Kind::Bool; out.boolean_ = true; return Literal("true");
      case 'f': out.kind_ = JsonValue::Kind::Bool; return Literal("false");
      case 'n': out.kind_ = JsonValue::Kind::Null; return Literal("null");
      default: out.kind_ = JsonValue::Kind::Number; return Number(out.text_);
    }
  }

  bool Object(JsonValue& out, int depth) {
    out.kind_ = JsonValue::Kind::Object;
    ++pos_;
    SkipSpace();
    if (pos_ < text_.size() && text_[pos_] == '}') return ++pos_, true;
    for (;;) {
      SkipSpace();
      if (pos_ >= text_.size() || text_[pos_] != '"') return Failed("expected a key in double quotes");
      std::string key;
      if (!String(key)) return false;
      if (out.Find(key)) return Failed("\"" + key + "\" given twice");
      SkipSpace();
      if (pos_ >= text_.size() || text_[pos_] != ':') return Failed("expected ':' after \"" + key + "\"");
      ++pos_;
      JsonValue value;
      if (!Value(value, depth + 1)) return false;
      out.members_.emplace_back(std::move(key), std::move(value));
      SkipSpace();
      if (pos_ < text_.size() && text_[pos_] == ',') {
        ++pos_;
        continue;
      }
      if (pos_ < text_.size() && text_[pos_] == '}') return ++pos_, true;
      return Failed("expected ',' or '}'");
    }
  }

  bool Array(JsonValue& out, int depth) {
    out.kind_ = JsonValue::Kind::Array;
    ++pos_;
    SkipSpace();
    if (pos_ < text_.size() && text_[pos_] == ']') return ++pos_, true;
    for (;;) {
      JsonValue item;
      if (!Value(item, depth + 1)) return false;
      out.items_.push_back(std::move(item));
      SkipSpace();
      if (pos_ < text_.size() && text_[pos_] == ',') {
        ++pos_;
        continue;
      }
      if (pos_ < text_.size() && text_[pos_] == ']') return ++pos_, true;
      return Failed("expected ',' or ']'");
    }
  }

  bool Hex4(std::uint32_t& out) {
    if (text_.size() - pos_ < 4) return Failed("a \\u escape needs four hex digits");
    out = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = text_[pos_++];
      const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
      if (digit < 0) return Failed("a \\u escape needs four hex digits");
      out = out * 16 + static_cast<std::uint32_t>(digit);
    }
    return true;
  }

  bool Unicode(std::string& out) {
    std::uint32_t c = 0;
    if (!Hex4(c)) return false;
    if (c >= 0xDC00 && c <= 0xDFFF) return Failed("a lone low surrogate in a \\u escape");
    if (c >= 0xD800 && c <= 0xDBFF) {
      std::uint32_t low = 0;
      if (text_.substr(pos_, 2) != "\\u") return Failed("a high surrogate without its low one");
      pos_ += 2;
      if (!Hex4(low)) return false;
      if (low < 0xDC00 || low > 0xDFFF) return Failed("a high surrogate without its low one");
      c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
    }
    AppendUtf8(out, c);
    return true;
  }

  bool Escape(std::string& out) {
    if (pos_ >= text_.size()) return Failed("the document ends inside a string");
    const char c = text_[pos_++];
    switch (c) {
      case '"': out += '"'; return true;
      case '\\': out += '\\'; return true;
      case '/': out += '/'; return true;
      case 'b': out += '\b'; return true;
      case 'f': out += '\f'; return true;
      case 'n': out += '\n'; return true;
      case 'r': out += '\r'; return true;
      case 't': out += '\t'; return true;
      case 'u': return Unicode(out);
      default: return Failed(std::string("an unknown escape \\") + c);
    }
  }

  bool String(std::string& out) {
    ++pos_;  // the opening quote
    for (;;) {
      if (pos_ >= text_.size()) return Failed("the document ends inside a string");
      const char c = text_[pos_];
      if (c == '"') return ++pos_, true;
      if (c == '\\') {
        ++pos_;
        if (!Escape(out)) return false;
        continue;
      }
      if (static_cast<unsigned char>(c) < 0x20) return Failed("a control character inside a string");
      const std::size_t n = Utf8Length(text_.substr(pos_));
      if (n == 0) return Failed("text that is not UTF-8");
      out.append(text_.substr(pos_, n));
      pos_ += n;
    }
  }

  bool Digits() {
    const std::size_t start = pos_;
    while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') ++pos_;
    return pos_ > start;
  }

  // -?(0|[1-9][0-9]*)(.[0-9]+)?([eE][+-]?[0-9]+)?
  bool Number(std::string& out) {
    const std::size_t start = pos_;
    if (text_[pos_] == '-') ++pos_;
    if (pos_ < text_.size() && text_[pos_] == '0') {
      ++pos_;
    } else if (!Digits()) {
      return Failed("not a JSON value");
    }
    if (pos_ < text_.size() && text_[pos_] == '.') {
      ++pos_;
      if (!Digits()) return Failed("a number needs digits after its '.'");
    }
    if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
      ++pos_;
      if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-')) ++pos_;
      if (!Digits()) return Failed("a number needs digits in its exponent");
    }
    out.assign(text_.substr(start, pos_ - start));
    return true;
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  int line_ = 1;
  JsonError error_;
};

namespace {

template <class T>
std::optional<T> Convert(const std::string& text) {
  T value{};
  const char* end = text.data() + text.size();
  auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || stop != end) return std::nullopt;
  if constexpr (std::is_floating_point_v<T>) {
    if (!std::isfinite(value)) return std::nullopt;
  }
  return value;
}

}  // namespace

std::optional<double> JsonValue::Double() const {
  return kind_ == Kind::Number ? Convert<double>(text_) : std::nullopt;
}

std::optional<float> JsonValue::Float() const {
  return kind_ == Kind::Number ? Convert<float>(text_) : std::nullopt;
}

// "50", and also "50.0" or "5e1": a whole number in any notation.
std::optional<long long> JsonValue::Whole() const {
  if (kind_ != Kind::Number) return std::nullopt;
  if (std::optional<long long> plain = Convert<long long>(text_)) return plain;
  const std::optional<double> x = Double();
  constexpr double kExact = 9007199254740992.0;  // 2^53: every whole double below it is exact
  if (!x || std::trunc(*x) != *x || std::fabs(*x) >= kExact) return std::nullopt;
  return static_cast<long long>(*x);
}

const JsonValue* JsonValue::Find(std::string_view key) const {
  for (const Member& m : members_)
    if (m.first == key) return &m.second;
  return nullptr;
}

std::variant<JsonValue, JsonError> ParseJson(std::string_view text) { return JsonParser(text).Document(); }

}  // namespace zq48
