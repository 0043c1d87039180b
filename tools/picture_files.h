#pragma once
// Writing the receiver's pictures: one file, or a numbered series in a folder.

#include <QImage>

#include <string>

namespace mosaic::tool {

// Writes `image` to `path` whole or not at all, in the format its suffix names (PNG when Qt
// writes no such format). False with `error` set on failure.
bool writeImage(const QImage& image, const std::string& path, std::string& error);

// DIR/frame-00001.png for picture 1, and so on.
std::string numberedPicturePath(const std::string& dir, int number);

// Creates the folder (and its parents) unless it exists; false with `error` set on failure.
bool makeFolder(const std::string& dir, std::string& error);

}  // namespace mosaic::tool
