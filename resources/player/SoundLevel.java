/**
 * The volume the buttons set, read by the sound thread for every block it
 * plays: ten steps from silent to the stream's own level, and mute, which
 * keeps the level for when the sound comes back.
 */
final class SoundLevel {

    static final int STEPS = 10;

    private volatile int step = STEPS;
    private volatile boolean muted;

    SoundLevel(boolean muted) {
        this.muted = muted;
    }

    void louder() {
        step = Math.min(STEPS, step + 1);
    }

    void quieter() {
        step = Math.max(0, step - 1);
    }

    void toggleMute() {
        muted = !muted;
    }

    boolean muted() {
        return muted;
    }

    int step() {
        return step;
    }

    /** The factor samples are multiplied by, in 1/256. */
    int gain256() {
        return muted ? 0 : step * 256 / STEPS;
    }
}
