#pragma once
// The reception loop's queue: capture buffers on their way from a source's thread to the reception
// loop. Samples at the receiver's 9600 Hz go in, in pieces of any size; whole 12288-sample buffers
// come out, in order, with the stream's events in their place between them. The memory is taken
// once, when the queue is made.
//
// When the reception loop falls behind and every place is taken, a file source waits for room
// (nothing of a recording is lost), while a live source drops the oldest buffer (the newest
// sound matters most) and the drop is counted.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

namespace mosaic::station {

class ReceptionQueue {
 public:
  enum class WhenFull { Wait, DropOldest };
  enum class Kind {
    Buffer,   // a capture buffer of 12288 samples
    Stopped,  // the stream stopped (no sound arrives); the samples short of a buffer were dropped
    Resumed,  // sound arrives again
    Ended,    // the source has nothing more (the end of a file)
  };
  struct Item {
    Kind kind = Kind::Buffer;
    const std::int16_t* samples = nullptr;  // Buffer: valid until the next take()
  };

  ReceptionQueue(std::size_t places, WhenFull whenFull);

  // The source's side, from one thread. False once the queue is cancelled.
  bool pushSamples(const std::int16_t* samples, std::size_t count);
  bool pushEvent(Kind kind);

  // The reception loop's side: the next item, waiting up to `wait` for one.
  std::optional<Item> take(std::chrono::milliseconds wait);

  // Ends the queue: both sides stop waiting, and pushing fails from now on.
  void cancel();

  // Buffers a live source dropped because the loop fell behind; samples short of a whole buffer
  // that a stop or the end left out.
  long long droppedBuffers() const;
  long long leftOverSamples() const;

 private:
  struct Place {
    Kind kind = Kind::Buffer;
    std::vector<std::int16_t> samples;
  };
  // Puts what `fill` writes into the next free place; false when cancelled.
  template <typename Fill>
  bool enqueue(Kind kind, Fill fill);

  const WhenFull whenFull_;
  // The buffer being filled, the source's alone.
  std::vector<std::int16_t> filling_;
  std::size_t filled_ = 0;

  mutable std::mutex lock_;
  std::condition_variable changed_;
  std::vector<Place> places_;
  std::size_t head_ = 0;
  std::size_t count_ = 0;
  bool cancelled_ = false;
  long long dropped_ = 0;
  long long leftOver_ = 0;
  // The buffer handed out last, the loop's alone.
  std::vector<std::int16_t> current_;
};

}  // namespace mosaic::station
