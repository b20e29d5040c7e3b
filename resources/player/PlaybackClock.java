/**
 * The film's position when the sound cannot give it: the system clock,
 * started and paused with playback. While sound plays, the sound line's
 * position is written into it every tick, so that when the sound ends (or
 * there is none) the pictures go on from where the sound left off.
 */
final class PlaybackClock {

    private long baseMicros;
    private long startNanos;
    private boolean running;

    synchronized long micros() {
        return running ? baseMicros + (System.nanoTime() - startNanos) / 1000 : baseMicros;
    }

    synchronized boolean running() {
        return running;
    }

    synchronized void start() {
        if (!running) {
            startNanos = System.nanoTime();
            running = true;
        }
    }

    synchronized void pause() {
        baseMicros = micros();
        running = false;
    }

    /** Moves the position, running on from there if it was running. */
    synchronized void set(long micros) {
        baseMicros = micros;
        startNanos = System.nanoTime();
    }
}
