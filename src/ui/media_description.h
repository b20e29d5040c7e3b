#pragma once

#include <QString>

namespace zq48 {

// A few lines on what a media file holds, for the file dialog's preview.
QString DescribeMedia(const QString& path, bool movieFilesAvailable);

}  // namespace zq48
