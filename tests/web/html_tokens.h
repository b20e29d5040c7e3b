#pragma once

// The elements and attributes a browser would find in a page, for tests that
// check no file name turns into markup. A tokenizer after the HTML standard's
// rules for the cases that matter here: start and end tags with quoted,
// unquoted and bare attributes (names end at white space, "/", ">" or "="),
// comments, doctype, raw text inside <title>, <style> and <script>, and
// character references in attribute values and title text.

#include <cctype>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace zq48::testing {

struct HtmlTag {
  std::string name;  // lower case
  bool end = false;
  std::vector<std::pair<std::string, std::string>> attributes;  // values with references replaced

  const std::string* Attribute(const std::string& attribute) const {
    for (const auto& a : attributes)
      if (a.first == attribute) return &a.second;
    return nullptr;
  }
};

struct HtmlTokens {
  std::vector<HtmlTag> tags;
  std::string title;  // references replaced
};

// The named references a page writer may use, and numeric ones of ASCII
// characters (all that escaping needs).
inline std::string HtmlUnescaped(const std::string& text) {
  static const std::pair<const char*, const char*> kNamed[] = {
      {"amp;", "&"}, {"lt;", "<"}, {"gt;", ">"}, {"quot;", "\""}, {"apos;", "'"}};
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '&') {
      out += text[i];
      continue;
    }
    bool done = false;
    for (const auto& [name, value] : kNamed) {
      if (text.compare(i + 1, std::string(name).size(), name) == 0) {
        out += value;
        i += std::string(name).size();
        done = true;
        break;
      }
    }
    if (!done && i + 2 < text.size() && text[i + 1] == '#') {
      bool hex = text[i + 2] == 'x' || text[i + 2] == 'X';
      std::size_t end = text.find(';', i);
      if (end != std::string::npos) {
        std::string digits = text.substr(i + (hex ? 3 : 2), end - i - (hex ? 3 : 2));
        out += static_cast<char>(std::stoi(digits, nullptr, hex ? 16 : 10) & 0x7f);
        i = end;
        done = true;
      }
    }
    if (!done) out += '&';
  }
  return out;
}

inline HtmlTokens TokenizeHtml(const std::string& page) {
  HtmlTokens tokens;
  auto space = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r'; };
  auto lower = [](std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
  };
  std::size_t i = 0;
  const std::size_t n = page.size();
  while (i < n) {
    if (page[i] != '<') {
      ++i;
      continue;
    }
    if (page.compare(i, 4, "<!--") == 0) {
      std::size_t end = page.find("-->", i + 4);
      i = end == std::string::npos ? n : end + 3;
      continue;
    }
    if (page.compare(i, 2, "<!") == 0) {
      std::size_t end = page.find('>', i);
      i = end == std::string::npos ? n : end + 1;
      continue;
    }
    const bool end = i + 1 < n && page[i + 1] == '/';
    std::size_t at = i + (end ? 2 : 1);
    if (at >= n || !std::isalpha(static_cast<unsigned char>(page[at]))) {
      ++i;  // a "<" that starts no tag is text
      continue;
    }
    HtmlTag tag;
    tag.end = end;
    while (at < n && !space(page[at]) && page[at] != '/' && page[at] != '>') tag.name += page[at++];
    tag.name = lower(tag.name);
    while (at < n && page[at] != '>') {
      if (space(page[at]) || page[at] == '/') {
        ++at;
        continue;
      }
      std::string name(1, page[at++]);  // a first "=" belongs to the name
      while (at < n && !space(page[at]) && page[at] != '/' && page[at] != '>' && page[at] != '=') name += page[at++];
      while (at < n && space(page[at])) ++at;
      std::string value;
      if (at < n && page[at] == '=') {
        ++at;
        while (at < n && space(page[at])) ++at;
        if (at < n && (page[at] == '"' || page[at] == '\'')) {
          const char quote = page[at++];
          while (at < n && page[at] != quote) value += page[at++];
          ++at;
        } else {
          while (at < n && !space(page[at]) && page[at] != '>') value += page[at++];
        }
      }
      tag.attributes.emplace_back(lower(name), HtmlUnescaped(value));
    }
    i = at + 1;
    tokens.tags.push_back(tag);
    if (!tag.end && (tag.name == "title" || tag.name == "style" || tag.name == "script")) {
      // Raw text up to the element's own end tag.
      std::size_t close = lower(page).find("</" + tag.name, i);
      if (close == std::string::npos) close = n;
      if (tag.name == "title") tokens.title = HtmlUnescaped(page.substr(i, close - i));
      i = close;
    }
  }
  return tokens;
}

// A relative URL's path as the server would name the file: %xx escapes decoded.
inline std::string PercentDecoded(const std::string& url) {
  std::string out;
  for (std::size_t i = 0; i < url.size(); ++i) {
    if (url[i] == '%' && i + 2 < url.size() && std::isxdigit(static_cast<unsigned char>(url[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(url[i + 2]))) {
      out += static_cast<char>(std::stoi(url.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += url[i];
    }
  }
  return out;
}

}  // namespace zq48::testing
