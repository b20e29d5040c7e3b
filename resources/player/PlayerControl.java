import java.awt.image.BufferedImage;
import java.io.IOException;
import java.net.URL;
import java.util.List;

/**
 * What the buttons drive: the chosen variant's downloads (started with the
 * first Play and kept for every later one), the play in progress, the
 * volume, starting again at the end when the page asks for it, and moving to
 * a leaner variant when the link does not keep up. Button methods are
 * called on the event thread; playback reports arrive on its own threads.
 */
final class PlayerControl {

    static final long WATCH_MILLIS = 500;

    private final PlayerParameters parameters;
    private final URL base;
    private final PlayerView view;
    private final StreamDownload.Throttle throttle;  // null: as fast as the link goes
    private final SoundLevel level;
    private final List<VariantChoice.Pair> pairs;
    private final String streamBase;
    private final int variantCount;

    // Under this object's lock.
    private VariantChoice.Pair pair;
    private final String audioName;
    private final StreamHeaders.Audio audioHeader;
    private final String firstVideoName;
    private StreamHeaders.Video videoHeader;
    private StreamDownload video;
    private StreamDownload audio;
    private Playback playback;
    private boolean fetchingHeader;
    private boolean switchingGivenUp;
    private boolean closed;
    private Thread watcher;

    PlayerControl(PlayerParameters parameters, URL base, LoadedVariant variant, PlayerView view,
            StreamDownload.Throttle throttle) {
        this.parameters = parameters;
        this.base = base;
        this.view = view;
        this.throttle = throttle;
        this.level = new SoundLevel(parameters.muteAudio);
        this.pairs = VariantChoice.pairs(variant.metafile);
        this.streamBase = VariantChoice.streamBase(variant.metaName);
        this.variantCount = variant.variantCount;
        this.pair = variant.chosen;
        this.firstVideoName = variant.videoName;
        this.videoHeader = variant.video;
        this.audioName = variant.audioName;
        this.audioHeader = variant.audio;
    }

    SoundLevel level() {
        return level;
    }

    synchronized void play() {
        if (closed) {
            return;
        }
        if (playback != null) {
            playback.resume();
            return;
        }
        try {
            fetch();
        } catch (IOException e) {
            view.showEnded(e.getMessage());
            return;
        }
        begin();
        if (watcher == null) {
            watcher = new Thread(this::watch, "zqmPlayer link watch");
            watcher.setDaemon(true);
            watcher.start();
        }
    }

    /** Pause, or go on when paused. */
    synchronized void pause() {
        if (playback != null) {
            if (playback.paused()) {
                playback.resume();
            } else {
                playback.pause();
            }
        }
    }

    synchronized boolean paused() {
        return playback != null && playback.paused();
    }

    synchronized void stop() {
        if (playback != null) {
            playback.close();
            playback = null;
        }
        view.showStopped();
    }

    void volumeDown() {
        level.quieter();
        view.showLevel();
    }

    void volumeUp() {
        level.louder();
        view.showLevel();
    }

    void toggleMute() {
        level.toggleMute();
        view.showLevel();
    }

    /** The applet is leaving the page for good. */
    synchronized void close() {
        closed = true;
        if (playback != null) {
            playback.close();
            playback = null;
        }
        for (StreamDownload download : new StreamDownload[] {video, audio}) {
            if (download != null) {
                download.cancel();
            }
        }
        if (watcher != null) {
            watcher.interrupt();
        }
    }

    private void fetch() throws IOException {
        if (video == null && firstVideoName != null) {
            video = StreamDownload.start(Downloads.resolve(base, firstVideoName), firstVideoName, throttle);
        }
        if (audio == null && audioName != null) {
            audio = StreamDownload.start(Downloads.resolve(base, audioName), audioName, throttle);
        }
    }

    private void begin() {
        Reports reports = new Reports();
        Playback started = new Playback(video, videoHeader, audio, audioHeader, level, reports);
        reports.of = started;
        playback = started;
        view.showPlaying();
        started.start();
    }

    /** The reports of one play; those of a play already stopped are ignored. */
    private final class Reports implements Playback.Listener {
        private Playback of;  // set under the lock before the play starts

        @Override
        public void picture(BufferedImage image) {
            if (current()) {
                view.showPicture(image);
            }
        }

        @Override
        public void progress(int state, long micros, long durationMicros) {
            if (current()) {
                view.showProgress(state, micros, durationMicros);
            }
        }

        @Override
        public void ended(String problem) {
            synchronized (PlayerControl.this) {
                if (!current() || closed) {
                    return;
                }
                playback.close();
                playback = null;
                if (parameters.repeatForever && problem == null) {
                    begin();
                } else {
                    view.showEnded(problem);
                }
            }
        }

        private boolean current() {
            synchronized (PlayerControl.this) {
                return of == playback;
            }
        }
    }

    /** Every so often: does the link keep up with the variant? */
    private void watch() {
        try {
            while (true) {
                Thread.sleep(WATCH_MILLIS);
                synchronized (this) {
                    if (closed) {
                        return;
                    }
                    considerSwitch();
                }
            }
        } catch (InterruptedException e) {
            // Closed.
        }
    }

    private void considerSwitch() {
        if (playback == null || playback.paused() || fetchingHeader || switchingGivenUp || video == null
                || playback.video() == null || playback.video().switching()) {
            return;
        }
        VariantChoice.Pair lower = VariantSwitch.lower(pairs, pair, VariantSwitch.linkRate(video, audio));
        if (lower == null) {
            return;
        }
        String name = VariantChoice.videoName(streamBase, lower.videoRate);
        StreamDownload next;
        try {
            next = StreamDownload.start(Downloads.resolve(base, name), name, throttle);
        } catch (IOException e) {
            return;
        }
        fetchingHeader = true;
        Playback during = playback;
        Thread header = new Thread(() -> attach(during, lower, next), "zqmPlayer switch");
        header.setDaemon(true);
        header.start();
    }

    /** Once the leaner stream's headers are here, the pictures move to it at its next key frame. */
    private void attach(Playback during, VariantChoice.Pair lower, StreamDownload next) {
        StreamHeaders.Video header = null;
        try {
            if (next.await(StreamHeaders.VIDEO_BYTES)) {
                byte[] bytes = new byte[StreamHeaders.VIDEO_BYTES];
                next.read(0, bytes, 0, bytes.length, true);
                header = StreamHeaders.Video.parse(bytes, next.name);
            }
        } catch (IOException | InterruptedException e) {
            header = null;
        }
        synchronized (this) {
            fetchingHeader = false;
            if (header == null || closed || playback != during || during.video() == null) {
                next.cancel();
                switchingGivenUp |= header == null;  // the leaner stream cannot be had: do not ask again and again
                return;
            }
            StreamHeaders.Video chosenHeader = header;
            pair = lower;
            during.video().switchTo(next, header, (from, to) -> switched(from, to, chosenHeader, lower));
        }
    }

    private synchronized void switched(StreamDownload from, StreamDownload to, StreamHeaders.Video header,
            VariantChoice.Pair lower) {
        if (from == video) {
            from.cancel();
            video = to;
            videoHeader = header;
        }
        view.showNote("variant " + (lower.index + 1) + " of " + variantCount + ": the link is slower than "
                + "the picture needs");
    }
}
