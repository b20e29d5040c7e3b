#include "ui/list_acceptance.h"

#include <QDir>
#include <QFileInfo>

namespace zq48 {

namespace {

void CollectMatches(const QDir& dir, const QString& pattern, QStringList& out) {
  // Case-sensitive like the extension check, or CLIP.AVI would come in by folder.
  const QFileInfoList files = dir.entryInfoList(
      {pattern}, QDir::Files | QDir::Hidden | QDir::CaseSensitive, QDir::Name);
  for (const QFileInfo& file : files) out << file.absoluteFilePath();
  const QFileInfoList subs =
      dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
  for (const QFileInfo& sub : subs) {
    if (!sub.isSymLink()) CollectMatches(QDir(sub.absoluteFilePath()), pattern, out);
  }
}

}  // namespace

QStringList SplitPatterns(const QString& patternList) {
  return patternList.split(';', Qt::SkipEmptyParts);
}

bool ExtensionAccepted(const QString& fileName, const QString& patternList) {
  const qsizetype dot = fileName.lastIndexOf('.');
  if (dot < 0) return false;
  const QString extension = fileName.mid(dot);
  for (const QString& pattern : SplitPatterns(patternList)) {
    if (pattern.startsWith('*') && pattern.mid(1) == extension) return true;
  }
  return false;
}

QStringList ExpandFolder(const QString& folder, const QString& patternList) {
  QStringList out;
  for (const QString& pattern : SplitPatterns(patternList)) CollectMatches(QDir(folder), pattern, out);
  return out;
}

QString ResolveLink(const QString& path) {
  const QFileInfo info(path);
  if (info.isSymLink()) {
    const QString target = info.canonicalFilePath();
    if (!target.isEmpty()) return target;
  }
  return info.absoluteFilePath();
}

}  // namespace zq48
