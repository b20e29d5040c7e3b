import java.awt.image.BufferedImage;
import java.util.concurrent.ArrayBlockingQueue;
import java.util.concurrent.TimeUnit;
import java.util.function.LongSupplier;

/**
 * The picture half of playback, on a thread of its own: splits and decodes
 * the video stream as it downloads and queues each picture, ready to paint,
 * with the time it is due. The queue is short, so decoding runs only a few
 * pictures ahead of the clock. Picture n is due at n / frame rate, or as its
 * time stamp says, which our streams make the same thing. A picture
 * already late when it comes out of the decoder is not converted at all.
 *
 * Switching to another variant's stream happens here, at a key frame: the
 * new stream is read ahead (without decoding) up to the first intra picture
 * at or after the next picture of the old one, and decoding goes on there.
 */
final class VideoPipeline {

    static final int QUEUE_LENGTH = 4;

    /** A picture to paint and when. */
    static final class Frame {
        final long micros;
        final BufferedImage image;

        Frame(long micros, BufferedImage image) {
            this.micros = micros;
            this.image = image;
        }
    }

    /** Told when decoding has moved to another stream. */
    interface SwitchListener {
        void switched(StreamDownload from, StreamDownload to);
    }

    private final ArrayBlockingQueue<Frame> queue = new ArrayBlockingQueue<Frame>(QUEUE_LENGTH);
    private final LongSupplier clock;
    private final Thread thread;
    private volatile Stream current;
    private volatile Stream pending;
    private volatile SwitchListener switchListener;
    private volatile boolean finished;
    private volatile boolean closed;
    private volatile String problem;
    private volatile long lastMicros = -1;
    private volatile int dropped;

    /** One stream being read: its download, its units and the count of its pictures so far. */
    private static final class Stream {
        final StreamDownload download;
        final StreamHeaders.Video header;
        final VideoUnits units;
        final double frameMicros;
        int index;
        byte[] configuration;  // the first unit, with the headers a decoder needs before any picture
        long firstTicks = Long.MIN_VALUE;
        byte[] key;            // in a stream to switch to: the key frame to switch at, once found

        Stream(StreamDownload download, StreamHeaders.Video header) {
            this.download = download;
            this.header = header;
            this.units = new VideoUnits(download, header);
            this.frameMicros = header.frameRateX1e6 > 0 ? 1e12 / header.frameRateX1e6 : 1e6 / 15;
        }

        long time(int n) {
            return (long) (n * frameMicros);
        }

        /**
         * The picture's own time stamp, counted from the stream's first
         * picture: it stays right when damage has lost pictures before it,
         * where counting would show the rest early. Without stamps, the count.
         */
        long stampedTime(Mp4vPicture picture, long counted) {
            if (picture.ticksPerSecond <= 0) {
                return counted;
            }
            if (firstTicks == Long.MIN_VALUE) {
                firstTicks = picture.timeTicks - counted * picture.ticksPerSecond / 1000000L;
            }
            return (picture.timeTicks - firstTicks) * 1000000L / picture.ticksPerSecond;
        }
    }

    VideoPipeline(StreamDownload download, StreamHeaders.Video header, LongSupplier clock) {
        this.current = new Stream(download, header);
        this.clock = clock;
        this.thread = new Thread(this::run, "zqmPlayer video");
        thread.setDaemon(true);
    }

    void start() {
        thread.start();
    }

    void close() {
        closed = true;
        thread.interrupt();
    }

    /** Asks to go on with another variant's stream from its next key frame. */
    void switchTo(StreamDownload download, StreamHeaders.Video header, SwitchListener listener) {
        switchListener = listener;
        pending = new Stream(download, header);
    }

    boolean switching() {
        return pending != null;
    }

    /** The next picture due at or before now, dropping older ones that are late; null when none is due. */
    Frame due(long now) {
        Frame show = null;
        for (Frame next = queue.peek(); next != null && next.micros <= now; next = queue.peek()) {
            if (show != null) {
                dropped++;
            }
            show = queue.poll();
        }
        return show;
    }

    boolean hasFrame() {
        return !queue.isEmpty();
    }

    /** Every picture decoded and queued. */
    boolean finished() {
        return finished;
    }

    /** Waiting for bytes with nothing left to show: playback has to wait for the link. */
    boolean starved() {
        return queue.isEmpty() && !finished && current.units.starved();
    }

    /** Whether enough is downloaded beyond the decoder to play this long without waiting. */
    boolean buffered(long micros) {
        Stream s = current;
        if (s.units.downloadFinished() || finished) {
            return true;
        }
        long bytesPerSecond = Math.max(1, s.header.bitRate / 8);
        return s.units.bytesAhead() >= bytesPerSecond * micros / 1000000L;
    }

    /** When the last picture so far is due; -1 before the first. */
    long lastMicros() {
        return lastMicros;
    }

    long frameMicros() {
        return (long) current.frameMicros;
    }

    int dropped() {
        return dropped;
    }

    /** Why the pictures stopped early, or null. */
    String problem() {
        return problem;
    }

    private void run() {
        Mp4vDecoder decoder = new Mp4vDecoder();
        try {
            while (!closed) {
                Stream s = current;
                byte[] unit = s.units.next(true);
                if (unit == null) {
                    break;
                }
                if (s.configuration == null) {
                    s.configuration = unit;
                }
                decode(decoder, s, unit);
                if (pending != null) {
                    decoder = trySwitch(decoder);
                }
            }
            if (!closed) {
                problem = current.units.shortfall();
            }
        } catch (InterruptedException e) {
            // Closed.
        } catch (RuntimeException e) {
            problem = "the pictures stopped: " + e;
        } finally {
            finished = true;
        }
    }

    private void decode(Mp4vDecoder decoder, Stream s, byte[] unit) throws InterruptedException {
        boolean isPicture = VopHeaders.codingType(unit) != VopHeaders.NO_PICTURE;
        Mp4vPicture picture = decoder.decode(unit, 0, unit.length);
        if (!isPicture && picture == null) {
            return;
        }
        long micros = s.time(s.index++);
        if (picture == null || !PictureImage.wellFormed(picture)) {
            return;  // a picture not coded, or lost: the one before stays on screen
        }
        micros = s.stampedTime(picture, micros);
        lastMicros = micros;
        if (micros + s.frameMicros < clock.getAsLong() && !queue.isEmpty()) {
            dropped++;
            return;
        }
        Frame frame = new Frame(micros, PictureImage.of(picture));
        while (!closed && !queue.offer(frame, 100, TimeUnit.MILLISECONDS)) {
            // The queue is full: the clock has not reached the queued pictures yet.
        }
    }

    /**
     * Reads ahead in the pending stream to its first key frame at or after
     * the old stream's position, then keeps decoding the old stream until it
     * gets there; from that picture on, decoding continues in the new stream
     * with a fresh decoder.
     */
    private Mp4vDecoder trySwitch(Mp4vDecoder decoder) throws InterruptedException {
        Stream next = pending;
        long from = current.time(current.index);
        while (next.key == null) {
            byte[] unit = next.units.next(false);
            if (unit == null) {
                if (next.units.ended()) {
                    pending = null;  // the stream ended before reaching the position: stay with this one
                }
                return decoder;
            }
            if (next.configuration == null) {
                next.configuration = unit;
            }
            int type = VopHeaders.codingType(unit);
            if (type == VopHeaders.INTRA && next.time(next.index) >= from) {
                next.key = unit;
            } else if (type != VopHeaders.NO_PICTURE) {
                next.index++;
            }
        }
        if (from + current.frameMicros / 2 < next.time(next.index)) {
            return decoder;  // the old stream still has pictures before the key frame
        }
        Mp4vDecoder fresh = new Mp4vDecoder();
        if (next.configuration != next.key) {
            fresh.decode(next.configuration, 0, next.configuration.length);
        }
        Stream old = current;
        current = next;
        pending = null;
        decode(fresh, next, next.key);
        next.key = null;
        SwitchListener listener = switchListener;
        if (listener != null) {
            listener.switched(old.download, next.download);
        }
        return fresh;
    }
}
