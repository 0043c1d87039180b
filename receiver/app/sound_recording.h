#pragma once
// "Record sound": the receiver's input as the receiver takes it (9600 Hz, 16-bit mono) written
// to a WAV file. The sound goes to a temporary file beside the chosen one, which takes the chosen
// name only when the recording ends, its header then telling the length: a file of that name is
// never a half-written one. A disk that fills up ends the recording with what fitted, kept under
// the chosen name. Plain C++: the window calls it once per buffer.

#include <cstddef>
#include <cstdint>
#include <string>

namespace mosaic {

class SoundRecording {
 public:
  SoundRecording() = default;
  ~SoundRecording();  // a recording still running is ended and kept
  SoundRecording(const SoundRecording&) = delete;
  SoundRecording& operator=(const SoundRecording&) = delete;

  // Begins a recording into `path`; false with `error` set when the file cannot be made.
  bool start(const std::string& path, std::string& error);
  // Appends `count` samples. False with `error` saying what was kept when the file takes no
  // more: the recording has then ended with what was written.
  bool append(const std::int16_t* samples, std::size_t count, std::string& error);
  // Ends the recording: the file gets its length and the chosen name. False with `error` set
  // when that fails, the sound staying in the temporary file named in the error.
  bool finish(std::string& error);

  bool active() const { return fd_ >= 0; }
  double seconds() const;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::string tempPath_;
  int fd_ = -1;
  std::uint64_t dataBytes_ = 0;
};

}  // namespace mosaic
