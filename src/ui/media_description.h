#pragma once

#include <QString>

namespace zq48 {

class Engine;

// A few lines on what a media file holds, for the file dialog's preview,
// from the engine's probe (which reads movie files as far as it does).
QString DescribeMedia(const Engine& engine, const QString& path);

}  // namespace zq48
