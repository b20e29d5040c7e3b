import javax.sound.sampled.AudioFormat;
import javax.sound.sampled.AudioSystem;
import javax.sound.sampled.SourceDataLine;

/**
 * The sound half of playback, on a thread of its own: decodes the audio
 * stream as it downloads and writes it to a Java Sound line, without the
 * MP3 encoder's start-up delay. The line's frame position is the film's
 * clock, so the pictures follow the sound.
 *
 * Without a sound device (none installed, busy, a headless machine, an
 * applet not allowed to play) the stream is still decoded, to learn how
 * long it lasts, and the film plays silently on the system clock.
 */
final class SoundOutput {

    /** How far the line is filled ahead of what is heard. */
    static final int LINE_MILLIS = 500;

    private final StreamDownload source;
    private final long end;
    private final SoundLevel level;
    private final Thread thread;
    private final Object lineLock = new Object();
    private SourceDataLine line;     // under lineLock; null until the first frame, or without a device
    private boolean playing;         // under lineLock: started and not paused
    private volatile int rate;
    private volatile boolean ready;  // the line is full (or there is none): playback may start
    private volatile boolean silent;
    private volatile boolean decoded;
    private volatile boolean ended;
    private volatile long samples;   // per channel, decoded so far (the start-up delay left out)
    private volatile boolean closed;
    private volatile String problem;

    SoundOutput(StreamDownload source, StreamHeaders.Audio header, SoundLevel level) {
        this.source = source;
        this.end = StreamHeaders.AUDIO_BYTES + header.dataSize;
        this.level = level;
        this.thread = new Thread(this::run, "zqmPlayer sound");
        thread.setDaemon(true);
    }

    void start() {
        thread.start();
    }

    /** Full enough to start: the line holds its buffer, or there is no line to wait for. */
    boolean ready() {
        return ready;
    }

    /** Playing on the system clock: there is no sound device. */
    boolean silent() {
        return silent;
    }

    /** Heard to the end (with a line), or decoded to the end (without). */
    boolean ended() {
        return ended;
    }

    /** The end of the sound, once the whole stream is decoded; -1 before. */
    long endMicros() {
        return decoded && rate > 0 ? samples * 1000000L / rate : -1;
    }

    /** The position heard now, or -1 when the line does not give the clock. */
    long positionMicros() {
        synchronized (lineLock) {
            if (line == null || silent || ended || rate == 0) {
                return -1;
            }
            return line.getLongFramePosition() * 1000000L / rate;
        }
    }

    String problem() {
        return problem;
    }

    void play() {
        synchronized (lineLock) {
            playing = true;
            if (line != null) {
                line.start();
            }
        }
    }

    void pause() {
        synchronized (lineLock) {
            playing = false;
            if (line != null) {
                line.stop();
            }
        }
    }

    void close() {
        closed = true;
        thread.interrupt();
        synchronized (lineLock) {
            if (line != null) {
                line.stop();
                line.flush();
                line.close();  // also wakes the sound thread from a blocked write
            }
        }
    }

    private void run() {
        Mp3Decoder decoder = new Mp3Decoder();
        Mp3StartTrim trim = new Mp3StartTrim();
        short[] pcm = new short[2 * 1152];
        byte[] bytes = new byte[pcm.length * 2];
        byte[] input = new byte[4096];
        long position = StreamHeaders.AUDIO_BYTES;
        boolean fed = false;
        try {
            while (!closed) {
                int n = decoder.decodeNext(pcm);
                if (n > 0) {
                    int delay = trim.dropFrom(n);
                    samples += n - delay;
                    play(decoder, pcm, delay, n - delay, bytes);
                    continue;
                }
                if (fed) {
                    break;
                }
                int got = position >= end ? -1
                        : source.read(position, input, 0, (int) Math.min(input.length, end - position), true);
                if (got < 0) {
                    decoder.endOfStream();
                    fed = true;
                } else {
                    decoder.feed(input, 0, got);
                    position += got;
                }
            }
            decoded = true;
            if (!closed && source.finished() && source.received() < end) {
                problem = source.failure() != null ? source.failure() : source.name + " is cut short";
            }
            ready = true;
            drain();
        } catch (InterruptedException e) {
            // Closed.
        } catch (RuntimeException e) {
            problem = "the sound stopped: " + e;
        } finally {
            decoded = true;
            ready = true;
            ended = true;
        }
    }

    /** Plays count samples per channel of pcm from sample `from` on. */
    private void play(Mp3Decoder decoder, short[] pcm, int from, int count, byte[] bytes) {
        if (rate == 0) {
            rate = decoder.sampleRate();
            open(decoder.sampleRate(), decoder.channels());
        }
        if (silent || count == 0) {
            return;
        }
        int values = count * decoder.channels();
        int first = from * decoder.channels();
        int gain = level.gain256();
        for (int i = 0; i < values; i++) {
            int sample = pcm[first + i] * gain >> 8;
            bytes[2 * i] = (byte) sample;
            bytes[2 * i + 1] = (byte) (sample >> 8);
        }
        SourceDataLine out;
        synchronized (lineLock) {
            out = line;
            if (out == null || closed) {
                return;
            }
            if (out.available() < 2 * values) {
                ready = true;  // the line is full: from here on it plays what it holds
            }
        }
        out.write(bytes, 0, 2 * values);  // waits while the line is full (or stopped)
    }

    private void open(int sampleRate, int channels) {
        AudioFormat format = new AudioFormat(sampleRate, 16, channels, true, false);
        try {
            SourceDataLine opened = AudioSystem.getSourceDataLine(format);
            opened.open(format, sampleRate * channels * 2 * LINE_MILLIS / 1000);
            synchronized (lineLock) {
                if (closed) {
                    opened.close();
                    return;
                }
                line = opened;
                if (playing) {
                    line.start();
                }
            }
        } catch (Exception e) {
            // LineUnavailableException, IllegalArgumentException (no mixer for the format), SecurityException.
            silent = true;
            ready = true;
        }
    }

    /** Waits until the line has played everything written. */
    private void drain() {
        SourceDataLine out;
        synchronized (lineLock) {
            out = line;
        }
        if (out != null && !silent && !closed) {
            out.drain();
        }
    }
}
