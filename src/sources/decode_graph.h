#pragma once

#include <atomic>
#include <climits>
#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/blocking_queue.h"
#include "core/buffer_pool.h"
#include "sources/display_view.h"
#include "sources/ffmpeg_handles.h"
#include "sources/sound_converter.h"
#include "sources/timestamp_mender.h"

namespace zq48 {

// Decodes one input file as fast as the decoders run and hands the results
// to callbacks: pictures as packed 24-bit blue-green-red with bottom-up rows
// at the negotiated size, sound as interleaved signed 16-bit PCM in the
// format announced at Open (the source's rate, its channels, at most two:
// more are mixed down) whatever the stream turns into on the way, each with
// its time in seconds from the start of the range.
//
// Pictures and sound share one time line: its 0 is the earlier of the first
// picture's and the first sound's times as they decode (after edit lists,
// codec priming and reordering), so a stream that starts late keeps its
// distance from the other. Sound that starts after 0 is preceded by silence;
// the picture on screen at a range's start is delivered at its time 0. Time
// stamps that start again or jump within the file are mended into one
// running time line. Pictures are delivered as they are meant to be seen:
// at the size their pixel aspect ratio gives and turned upright. Of several
// streams of a kind the default one is decoded. Streams that are not decoded
// are skipped; the source still runs to its end.
//
// Threads: one reads the file; the picture branch decodes, converts and
// delivers on a second, the sound branch on a third. A reader that keeps up
// with the decode queues what it takes (each variant's pipeline does), so
// decoding the next picture overlaps with encoding the last. Completion is
// reported once, after every branch has reached its end.
class DecodeGraph {
 public:
  using Delivery = std::function<void(double time, const std::uint8_t* data, std::size_t bytes)>;
  // Pictures handed on as shared buffers, for readers that keep them past the call.
  using SharedDelivery = std::function<void(double time, std::shared_ptr<const std::vector<std::uint8_t>>)>;

  enum class OpenStatus {
    Ok,
    NoSource,       // the file does not open
    VideoFailed,    // no picture stream, or no decoder for it
    NoAudioStream,  // sound was asked for but the file has none
    AudioFailed,    // no decoder for the sound
  };

  DecodeGraph() = default;
  ~DecodeGraph();
  DecodeGraph(const DecodeGraph&) = delete;
  DecodeGraph& operator=(const DecodeGraph&) = delete;

  OpenStatus Open(const std::string& path, bool decodeVideo, bool decodeAudio);
  // What the last Open answered.
  OpenStatus LastOpenStatus() const { return openStatus_; }

  // The negotiated formats, valid after a successful Open. The size is the
  // picture as shown (see DisplayViewOf).
  int width() const { return width_; }
  int height() const { return height_; }
  int channels() const { return channels_; }
  int sampleRate() const { return sampleRate_; }

  // Start and stop positions in 100 ns units from the start of the file.
  // Delivery then covers [start, stop); a stop at or before the start
  // delivers nothing. Without a range the whole file is delivered. Decoding
  // starts at the key picture before the start, so the first picture
  // delivered is the one shown at the start; the sound of a range is
  // exactly round(length x rate) samples when the file has that much.
  void SetRange(std::int64_t start100ns, std::int64_t stop100ns);

  // Starts delivering. `pictures` and `sound` run on the graph's threads;
  // `completed` runs once when every branch has ended (not after Stop).
  bool Run(Delivery pictures, Delivery sound, std::function<void()> completed);
  // The same with the pictures as shared buffers (no copy is made for them).
  bool Run(SharedDelivery pictures, Delivery sound, std::function<void()> completed);
  // The end of the time line once every branch has ended: the later of the
  // last picture's end and the last sound's end, in seconds from the range
  // start. Read it in (or after) `completed`.
  double TimelineEnd() const { return std::max(picturesEnd_, soundEnd_); }
  void Pause();
  void Resume();
  // Ends delivery and waits for every thread. No callback runs after it returns.
  void Stop();

 private:
  struct Branch {
    int stream = -1;
    ff::CodecContextPtr decoder;
    std::unique_ptr<BlockingQueue<ff::PacketPtr>> packets;
    std::unique_ptr<TimestampMender> mender;
  };

  void SeekToRangeStart();
  double FirstKeyPictureTime();
  void ReadPackets();
  void DecodePictures();
  void DecodeSound();
  // Decodes a branch's queued packets, handing every frame to `body` until
  // it returns false; the decoder is drained at the end unless the graph stops.
  template <class Body>
  void DecodeBranch(Branch& branch, Body&& body);
  bool HandlePicture(const AVFrame& frame, double& lastTime);
  bool PushPicture(const AVFrame& frame, double time);
  bool ConvertPicture(const AVFrame& frame, std::vector<std::uint8_t>& bgr);
  bool DeliverSilence(double seconds);
  bool DeliverSound(const AVFrame& frame);
  // Waits while paused; true when stopping (a stop ends the wait too).
  bool StoppedAfterPause();
  void PartEnded();
  double SecondsOf(const AVStream* stream, std::int64_t pts) const;

  OpenStatus OpenBranches(const std::string& path, bool decodeVideo, bool decodeAudio);

  OpenStatus openStatus_ = OpenStatus::NoSource;
  ff::FormatContextPtr source_;
  Branch video_;
  Branch audio_;
  int width_ = 0;
  int height_ = 0;
  DisplayView view_;
  int channels_ = 0;
  int sampleRate_ = 0;
  double rangeStart_ = 0.0;   // seconds from the file's start
  double rangeLength_ = 1e300;  // seconds delivered from the range start
  double origin_ = 0.0;       // the time line's 0, in seconds of the file's time stamps
  std::deque<ff::PacketPtr> replay_;  // packets read to find the origin, read again first

  ff::FramePtr beforeStart_{av_frame_alloc()};  // the latest picture before the range start
  bool picturesDelivered_ = false;
  double picturesEnd_ = 0.0;  // the end of the last picture delivered
  double soundEnd_ = 0.0;     // the end of the last sound delivered
  ff::SwsPtr sws_;
  int swsFormat_ = -1;
  int swsWidth_ = 0;
  int swsHeight_ = 0;
  std::vector<std::uint8_t> unturned_;  // a picture before it is turned upright
  std::unique_ptr<SoundConverter> sound_;
  std::int64_t soundDelivered_ = 0;  // sample blocks handed on so far
  std::int64_t soundLimit_ = INT64_MAX;
  double nextSoundTime_ = -1.0;

  std::shared_ptr<BufferPool> pool_ = std::make_shared<BufferPool>();  // picture buffers to reuse
  Delivery deliverPictures_;
  SharedDelivery deliverSharedPictures_;
  Delivery deliverSound_;
  std::function<void()> completed_;

  std::mutex pauseMutex_;
  std::condition_variable pauseChanged_;
  bool paused_ = false;
  std::atomic<bool> stopping_{false};
  std::atomic<int> runningParts_{0};
  std::vector<std::thread> threads_;
};

}  // namespace zq48
