#pragma once
// The movie recorder: while saving, the picture value bytes of every received buffer's symbols
// 1..48 (one 7056-byte frame) are kept in memory and appended to a headerless movie file in
// blocks of 50 frames. It also holds what its three buttons and its counter label show.
//
// Nothing received is dropped without a word: frames still in memory are written when the file
// is closed, when another file is opened and when the program ends, and a file that cannot be
// created or written is reported, after which the recorder holds no file.

#include "receiver/core/demodulation/symbol_planes.h"
#include "receiver/core/movie/movie_file.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace mosaic {

// What the recorder's controls show: "Close file", the save button and the counter label.
struct RecorderControls {
  bool closeEnabled = false;
  bool saveEnabled = false;
  std::string saveText = "Start save";
  std::string counterText = "0 frames saved";
};

class MovieRecorder {
 public:
  using Report = std::function<void(const std::string& message)>;

  static constexpr int kFramesPerBlock = 50;
  // Less free space than ten blocks (about ten minutes of saving) on the file's disk is reported
  // when saving starts and after a block, once per file, while there is still room.
  static constexpr long long kLowSpaceBytes = 10LL * kFramesPerBlock * kMovieFrameBytes;

  // `report` tells the user about a file that cannot be created or written.
  MovieRecorder(MovieFiles& files, Report report);
  ~MovieRecorder();
  MovieRecorder(const MovieRecorder&) = delete;
  MovieRecorder& operator=(const MovieRecorder&) = delete;

  // "Open file to save", before the save dialog: saving stops while the user chooses.
  void beginOpen();
  // The save dialog was cancelled: a file already open stays open (only "Close file" is left).
  void cancelOpen();
  // A file was chosen: the file already open is completed and closed, then `path` is made empty.
  void openFile(const std::string& path);
  // "Start save", "Pause save" and "Resume".
  void toggleSaving();
  // "Close file": the frames still in memory are written and the file is closed.
  void closeFile();
  // Once per received buffer, after the picture: keeps the run's frame while saving and writes
  // every 50th frame's block to the file.
  void frameFinished(std::span<const std::uint8_t, kMovieFrameBytes> frame);
  // At program end: writes the frames still in memory and closes the file.
  void finish();

  const RecorderControls& controls() const { return controls_; }
  bool fileOpen() const { return fileOpen_; }
  bool savingActive() const { return savingActive_; }
  int bufferedFrames() const { return bufferedFrames_; }
  int flushedFrames() const { return flushedFrames_; }

 private:
  // Appends the first `frames` frames of the buffer; on failure reports, closes the file and
  // leaves the recorder without a file, counting the whole frames that were written.
  bool writeBuffered(int frames);
  // Warns (once per file) when the file's disk has little room left.
  void checkFreeSpace();
  // Writes what is buffered and closes the file; false (reported) when something was lost.
  bool completeFile();
  // Closes the file after a failure and returns to "no file", the label showing what was kept.
  void abandonFile(const std::string& what, const std::string& reason);
  void enterNoFile();
  void showCounts(long long frames);

  MovieFiles& files_;
  Report report_;
  std::unique_ptr<MovieFile> file_;
  std::string path_;
  bool fileOpen_ = false;
  bool savingActive_ = false;
  std::vector<std::uint8_t> frameBuffer_;
  int bufferedFrames_ = 0;
  int flushedFrames_ = 0;
  long long framesInFile_ = 0;  // written to the current file since it was opened
  bool lowSpaceReported_ = false;
  RecorderControls controls_;
};

// The counter label's text for `frames` saved frames.
std::string counterText(long long frames);

}  // namespace mosaic
