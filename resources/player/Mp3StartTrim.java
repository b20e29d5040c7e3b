/**
 * The MP3 encoder's start-up delay, taken off the front of the decoded
 * sound: an MP3 stream begins with the encoder's own delay (576 samples,
 * LAME's) and its decoding adds the synthesis filter's (529 samples), so
 * the film's first sound is heard 1105 samples into the decoded stream
 * (138 ms at 8000 Hz). The pictures start at once; without the trim the
 * lips move before the words.
 */
final class Mp3StartTrim {

    /** Samples per channel before the film's own sound: 576 (encoder) + 529 (decoder). */
    static final int DELAY_SAMPLES = 576 + 529;

    private int left = DELAY_SAMPLES;

    /**
     * Of a block of count samples per channel just decoded, how many at its
     * start are still delay and must not be heard.
     */
    int dropFrom(int count) {
        int drop = Math.min(left, count);
        left -= drop;
        return drop;
    }
}
