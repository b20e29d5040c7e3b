#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace zq48 {

// One value of a JSON document as read, with the line it begins on, so that
// whoever refuses a value can say where it stands. Numbers keep the text
// they were written with and are converted on request, without the process
// locale and to the type asked for (a float read as a float, not through a
// double).
class JsonValue {
 public:
  enum class Kind { Null, Bool, Number, String, Array, Object };
  using Member = std::pair<std::string, JsonValue>;

  Kind kind() const { return kind_; }
  int line() const { return line_; }

  bool IsNull() const { return kind_ == Kind::Null; }
  // The value of a Bool.
  bool Bool() const { return boolean_; }
  // A String's text (UTF-8), or a Number as written.
  const std::string& Text() const { return text_; }
  std::optional<double> Double() const;
  std::optional<float> Float() const;
  // A Number without fraction or exponent that fits.
  std::optional<long long> Whole() const;

  const std::vector<JsonValue>& Items() const { return items_; }
  const std::vector<Member>& Members() const { return members_; }
  // An Object's member of that name, or null.
  const JsonValue* Find(std::string_view key) const;

 private:
  friend class JsonParser;
  Kind kind_ = Kind::Null;
  int line_ = 1;
  bool boolean_ = false;
  std::string text_;
  std::vector<JsonValue> items_;
  std::vector<Member> members_;
};

// Where and why a text is not JSON.
struct JsonError {
  int line = 1;
  std::string text;
};

// Reads a whole document (UTF-8, an optional byte-order mark first). An
// object naming a key twice, text that is not UTF-8 and nesting deeper than
// a few hundred levels are refused too.
std::variant<JsonValue, JsonError> ParseJson(std::string_view text);

}  // namespace zq48
