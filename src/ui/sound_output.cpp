#include "ui/sound_output.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>
#include <cstring>

namespace zq48 {

namespace {
// Beyond this much sound waiting to be played, the oldest is dropped: the
// output fell behind and catching up matters more than every sample.
constexpr qsizetype kMaxPendingBytes = 1 << 20;
}  // namespace

std::unique_ptr<SoundOutput> SoundOutput::Create(int sampleRate, int channels) {
  const QAudioDevice device = QMediaDevices::defaultAudioOutput();
  if (device.isNull() || sampleRate <= 0 || channels <= 0) return nullptr;
  QAudioFormat format;
  format.setSampleRate(sampleRate);
  format.setChannelCount(channels);
  format.setSampleFormat(QAudioFormat::Int16);
  if (!device.isFormatSupported(format)) return nullptr;
  std::unique_ptr<SoundOutput> output(new SoundOutput);
  output->sink_ = std::make_unique<QAudioSink>(device, format);
  output->buffer_.open(QIODevice::ReadOnly);
  output->sink_->start(&output->buffer_);
  return output;
}

SoundOutput::~SoundOutput() {
  if (sink_) sink_->stop();
}

void SoundOutput::Write(const std::uint8_t* data, std::size_t bytes) { buffer_.Append(data, bytes); }
void SoundOutput::Clear() { buffer_.Clear(); }
void SoundOutput::Suspend() { sink_->suspend(); }
void SoundOutput::Resume() { sink_->resume(); }
void SoundOutput::SetGain(double gain) { sink_->setVolume(gain); }

void SoundOutput::Buffer::Append(const std::uint8_t* data, std::size_t bytes) {
  std::lock_guard lock(mutex_);
  pending_.append(reinterpret_cast<const char*>(data), static_cast<qsizetype>(bytes));
  if (pending_.size() > kMaxPendingBytes) pending_.remove(0, pending_.size() - kMaxPendingBytes);
}

void SoundOutput::Buffer::Clear() {
  std::lock_guard lock(mutex_);
  pending_.clear();
}

qint64 SoundOutput::Buffer::readData(char* data, qint64 maxSize) {
  std::lock_guard lock(mutex_);
  const qint64 n = std::min<qint64>(maxSize, pending_.size()) & ~qint64{1};
  std::memcpy(data, pending_.constData(), static_cast<std::size_t>(n));
  pending_.remove(0, n);
  std::memset(data + n, 0, static_cast<std::size_t>(maxSize - n));
  return maxSize;
}

}  // namespace zq48
