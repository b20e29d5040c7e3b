#pragma once

#include <QIODevice>
#include <QByteArray>
#include <memory>
#include <mutex>

class QAudioSink;

namespace zq48 {

// Plays the preview's 16-bit PCM on the default audio output. The decoder's
// thread writes; the audio output pulls on the GUI thread. Where there is
// no output device, Create gives nothing and the preview stays silent.
class SoundOutput {
 public:
  static std::unique_ptr<SoundOutput> Create(int sampleRate, int channels);
  ~SoundOutput();

  void Write(const std::uint8_t* data, std::size_t bytes);  // any thread
  void Clear();
  void Suspend();
  void Resume();
  void SetGain(double gain);

 private:
  // Hands the audio output what has been written; silence when it runs dry,
  // so that the output keeps going through a slow picture.
  class Buffer : public QIODevice {
   public:
    void Append(const std::uint8_t* data, std::size_t bytes);
    void Clear();

   protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

   private:
    std::mutex mutex_;
    QByteArray pending_;
  };

  SoundOutput() = default;

  Buffer buffer_;
  std::unique_ptr<QAudioSink> sink_;
};

}  // namespace zq48
