#pragma once

#include <QString>
#include <QStringList>

namespace zq48 {

// What the file list takes in.
struct AcceptFlags {
  bool files = true;           // plain files
  bool folders = true;         // folders, expanded to their media files
  bool duplicateNames = false; // two rows with the same file name
  bool checkExtension = true;  // a plain file's extension must be one of the patterns
};

// The patterns of a list written "*.avi;*.mpg;".
QStringList SplitPatterns(const QString& patternList);

// Whether the file name's extension (from its last ".", as written: case
// matters) is the extension of one of the patterns. Matched as a whole, so
// that neither "clip.av" nor a name without extension passes.
bool ExtensionAccepted(const QString& fileName, const QString& patternList);

// The files of a folder and all its sub-folders that match a pattern, pattern
// by pattern, each folder's files in name order before its sub-folders.
// Linked sub-folders are not entered, so a link loop cannot trap the walk.
QStringList ExpandFolder(const QString& folder, const QString& patternList);

// The path a link points to, or the path itself (absolute) when it is no link
// or a dangling one.
QString ResolveLink(const QString& path);

}  // namespace zq48
