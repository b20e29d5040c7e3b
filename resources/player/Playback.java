import java.awt.image.BufferedImage;

/**
 * One play of the film from its start: the clock and the schedule. The
 * sound line's position is the clock while sound plays; otherwise the
 * system clock runs on from the last position the sound gave. A presenter
 * thread hands each picture to the view when its time has come, dropping
 * the ones that are late, and holds the clock while the first second (or,
 * after the link fell behind, the next second) is still downloading.
 */
final class Playback {

    static final int BUFFERING = 0;
    static final int PLAYING = 1;
    static final int PAUSED = 2;

    /** How much has to be downloaded ahead before the clock starts. */
    static final long BUFFER_MICROS = 1000000;
    static final long TICK_MILLIS = 10;
    static final long POSITION_EVERY_MICROS = 100000;

    /** What the view is told; called on the presenter thread. */
    interface Listener {
        void picture(BufferedImage image);

        void progress(int state, long micros, long durationMicros);

        /** The film played to its end; problems that cut it short, or null. */
        void ended(String problem);
    }

    private final VideoPipeline video;   // null: the variant has no picture
    private final SoundOutput sound;     // null: no sound, or no sound device was found before
    private final long durationMicros;
    private final Listener listener;
    private final PlaybackClock clock = new PlaybackClock();
    private final Thread presenter;
    private volatile boolean paused;
    private volatile boolean closed;

    Playback(StreamDownload videoDownload, StreamHeaders.Video videoHeader, StreamDownload audioDownload,
            StreamHeaders.Audio audioHeader, SoundLevel level, Listener listener) {
        this.video = videoDownload == null ? null : new VideoPipeline(videoDownload, videoHeader, this::now);
        this.sound = audioDownload == null ? null : new SoundOutput(audioDownload, audioHeader, level);
        this.durationMicros = videoHeader != null ? videoHeader.durationUs : 0;
        this.listener = listener;
        this.presenter = new Thread(this::present, "zqmPlayer presenter");
        presenter.setDaemon(true);
    }

    void start() {
        if (video != null) {
            video.start();
        }
        if (sound != null) {
            sound.start();
        }
        presenter.start();
    }

    void pause() {
        paused = true;
    }

    void resume() {
        paused = false;
    }

    boolean paused() {
        return paused;
    }

    void close() {
        closed = true;
        presenter.interrupt();
        if (video != null) {
            video.close();
        }
        if (sound != null) {
            sound.close();
        }
    }

    VideoPipeline video() {
        return video;
    }

    /** The film's position now. */
    long now() {
        long heard = sound == null ? -1 : sound.positionMicros();
        if (heard >= 0 && clock.running()) {
            clock.set(heard);
            return heard;
        }
        return clock.micros();
    }

    private void present() {
        int state = BUFFERING;
        long reported = -POSITION_EVERY_MICROS;
        try {
            while (!closed) {
                int wanted = paused ? PAUSED : state == PAUSED ? BUFFERING : state;
                if (wanted == BUFFERING && buffered()) {
                    wanted = PLAYING;
                } else if (wanted == PLAYING && video != null && video.starved()) {
                    wanted = BUFFERING;  // the link fell behind: wait for the next second
                }
                if (wanted != state) {
                    run(wanted == PLAYING);
                    state = wanted;
                    reported = -POSITION_EVERY_MICROS;
                }
                long now = now();
                if (state == PLAYING && video != null) {
                    VideoPipeline.Frame frame = video.due(now);
                    if (frame != null) {
                        listener.picture(frame.image);
                    }
                }
                if (Math.abs(now - reported) >= POSITION_EVERY_MICROS || wanted != state) {
                    listener.progress(state, now, duration());
                    reported = now;
                }
                if (state == PLAYING && over(now)) {
                    listener.progress(state, now, duration());
                    listener.ended(problems());
                    return;
                }
                Thread.sleep(TICK_MILLIS);
            }
        } catch (InterruptedException e) {
            // Closed.
        } catch (RuntimeException e) {
            if (!closed) {
                listener.ended("playback stopped: " + e);
            }
        } finally {
            clock.pause();
            if (sound != null && closed) {
                sound.close();
            }
        }
    }

    private void run(boolean on) {
        if (on) {
            clock.start();
            if (sound != null) {
                sound.play();
            }
        } else {
            clock.pause();
            if (sound != null) {
                sound.pause();
            }
        }
    }

    private boolean buffered() {
        boolean pictures = video == null || video.finished() || (video.hasFrame() && video.buffered(BUFFER_MICROS));
        return pictures && (sound == null || sound.ready());
    }

    /** Both halves have played out. */
    private boolean over(long now) {
        boolean pictures = video == null
                || (video.finished() && !video.hasFrame() && now >= video.lastMicros() + video.frameMicros());
        boolean heard = sound == null
                || (sound.silent() ? sound.endMicros() < 0 ? sound.ended() : now >= sound.endMicros() : sound.ended());
        return pictures && heard;
    }

    private long duration() {
        if (durationMicros > 0) {
            return durationMicros;
        }
        return sound != null ? Math.max(0, sound.endMicros()) : 0;
    }

    private String problems() {
        String pictures = video == null ? null : video.problem();
        String heard = sound == null ? null : sound.problem();
        if (pictures != null && heard != null) {
            return pictures + "; " + heard;
        }
        return pictures != null ? pictures : heard;
    }
}
