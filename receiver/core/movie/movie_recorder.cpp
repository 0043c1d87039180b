#include "receiver/core/movie/movie_recorder.h"

#include <algorithm>
#include <utility>

namespace mosaic {

namespace {
constexpr const char* kStartSave = "Start save";
constexpr const char* kPauseSave = "Pause save";
constexpr const char* kResume = "Resume";
}  // namespace

std::string counterText(long long frames) {
  return std::to_string(frames) + " frames saved    " + std::to_string(frames * kMovieFrameBytes) +
         " bytes saved";
}

MovieRecorder::MovieRecorder(MovieFiles& files, Report report)
    : files_(files),
      report_(std::move(report)),
      frameBuffer_(static_cast<std::size_t>(kFramesPerBlock) * kMovieFrameBytes, 0) {}

// The owner finishes the recorder while it can still show a report; this is the last resort.
MovieRecorder::~MovieRecorder() {
  report_ = nullptr;
  finish();
}

void MovieRecorder::beginOpen() {
  controls_.saveText = kStartSave;
  savingActive_ = false;
  fileOpen_ = true;
}

void MovieRecorder::cancelOpen() {
  fileOpen_ = false;
  flushedFrames_ = 0;
  controls_.saveEnabled = false;
}

void MovieRecorder::openFile(const std::string& path) {
  // The file in use is finished first, so that none of its frames are lost.
  if (file_) completeFile();
  std::string error;
  auto file = files_.create(path, error);
  if (!file) {
    enterNoFile();
    if (report_)
      report_("The movie file cannot be created:\n" + path + "\n" + error + "\n\nNo file is open.");
    return;
  }
  file_ = std::move(file);
  path_ = path;
  fileOpen_ = true;
  savingActive_ = false;
  controls_.saveText = kStartSave;
  controls_.closeEnabled = true;
  controls_.saveEnabled = true;
  std::fill(frameBuffer_.begin(), frameBuffer_.end(), 0);
  bufferedFrames_ = 0;
  flushedFrames_ = 0;
  framesInFile_ = 0;
  lowSpaceReported_ = false;
  showCounts(0);
}

void MovieRecorder::toggleSaving() {
  if (!file_ || !controls_.saveEnabled) return;  // the button is greyed then
  savingActive_ = !savingActive_;
  controls_.saveText = savingActive_ ? kPauseSave : kResume;
  if (savingActive_) checkFreeSpace();
}

void MovieRecorder::closeFile() {
  if (!file_) return;
  completeFile();
}

void MovieRecorder::frameFinished(std::span<const std::uint8_t, kMovieFrameBytes> frame) {
  if (!savingActive_ || !file_) return;
  std::copy(frame.begin(), frame.end(),
            frameBuffer_.begin() + static_cast<std::ptrdiff_t>(bufferedFrames_) * kMovieFrameBytes);
  ++bufferedFrames_;
  if (bufferedFrames_ == kFramesPerBlock) {
    if (!writeBuffered(kFramesPerBlock)) return;
    bufferedFrames_ = 0;
    if (fileOpen_) flushedFrames_ += kFramesPerBlock;
  }
  if (fileOpen_) showCounts(static_cast<long long>(flushedFrames_) + bufferedFrames_);
}

void MovieRecorder::finish() {
  if (file_) completeFile();
}

bool MovieRecorder::writeBuffered(int frames) {
  if (frames == 0) return true;
  std::string error;
  const int written = file_->appendFrames(frameBuffer_.data(), frames, error);
  framesInFile_ += written;
  if (written < frames) {
    abandonFile("Writing the movie file failed", error);
    return false;
  }
  checkFreeSpace();
  return true;
}

void MovieRecorder::checkFreeSpace() {
  if (!file_ || lowSpaceReported_) return;
  const long long free = file_->freeBytes();
  if (free < 0 || free >= kLowSpaceBytes) return;
  lowSpaceReported_ = true;
  if (report_) {
    const long long frames = free / kMovieFrameBytes;
    report_("The disk of the movie file is nearly full:\n" + path_ + "\n" + std::to_string(free) +
            " bytes are free, room for " + std::to_string(frames) + " more frames (about " +
            std::to_string(frames * 128 / 100 / 60) +
            " minutes).\n\nSaving goes on; make room or choose a file on another disk.");
  }
}

bool MovieRecorder::completeFile() {
  if (!writeBuffered(bufferedFrames_)) return false;
  std::string error;
  const bool closed = file_->close(error);
  file_.reset();
  enterNoFile();
  if (!closed) {
    if (report_) {
      report_("Closing the movie file failed:\n" + path_ + "\n" + error +
              "\n\nThe frames written to it may not have been kept.");
    }
  }
  return closed;
}

void MovieRecorder::abandonFile(const std::string& what, const std::string& reason) {
  std::string ignored;
  file_->close(ignored);
  file_.reset();
  enterNoFile();
  showCounts(framesInFile_);
  if (report_) {
    report_(what + ":\n" + path_ + "\n" + reason +
            "\n\nSaving has stopped and the file is closed. It holds the " +
            std::to_string(framesInFile_) + " frames written.");
  }
}

void MovieRecorder::enterNoFile() {
  fileOpen_ = false;
  savingActive_ = false;
  bufferedFrames_ = 0;
  flushedFrames_ = 0;
  controls_.closeEnabled = false;
  controls_.saveEnabled = false;
  controls_.saveText = kStartSave;
}

void MovieRecorder::showCounts(long long frames) { controls_.counterText = counterText(frames); }

}  // namespace mosaic
