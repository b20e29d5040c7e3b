#pragma once

#include <string>

namespace zq48 {

// How file names go into the pages: any byte a file system allows may be in
// a name, and none of them may break the page or the URL it stands for.

// Text safe inside a quoted attribute value and inside an element's text:
// &, ", <, > and ' become character references.
std::string HtmlEscaped(const std::string& text);

// A file name as a relative URL of one path segment: every byte outside
// letters, digits and - . _ ~ is percent-encoded (UTF-8 bytes one by one).
// That covers what a path segment must encode (#, ?, %, space, quotes,
// < >, controls, non-ASCII) and also : (which would read as a scheme),
// & and ' (which pages and scripts would otherwise have to quote); ordinary
// names come out unchanged.
std::string UrlPathSegment(const std::string& fileName);

// A file name for an attribute whose value is a URL: both of the above.
std::string UrlAttribute(const std::string& fileName);

}  // namespace zq48
