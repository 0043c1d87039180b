#pragma once
// Reading a still picture given to the tool, with its size checked before it is decoded.

#include <QImage>

#include <string>

namespace mosaic::tool {

// The largest picture accepted, in either direction: far beyond what the 160 x 128 video area
// shows, and small enough to decode quickly (a 16000 x 16000 picture would take gigabytes).
inline constexpr int kMaxPictureSide = 8192;

// Reads `path` into `picture` when it is in a picture format Qt reads. A file in no such format
// leaves `picture` null and is no error (it may be a video). False with `error` naming the file
// and the reason when it is a picture that is too large or cannot be decoded.
bool readPicture(const std::string& path, QImage& picture, std::string& error);

// The same for a picture held in memory; `name` is used in messages.
bool readPictureBytes(const QByteArray& bytes, const std::string& name, QImage& picture,
                      std::string& error);

}  // namespace mosaic::tool
