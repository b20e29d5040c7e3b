/**
 * Decodes an MPEG audio Layer III stream frame by frame into interleaved
 * signed 16-bit PCM. Bytes arrive through feed() in any split.
 */
final class Mp3Decoder {

    Mp3Decoder() {
    }

    /** Appends bytes of the stream (any split). */
    void feed(byte[] data, int offset, int length) {
    }

    /** Marks the end of the stream, so that the last frame decodes without waiting for the next sync. */
    void endOfStream() {
    }

    /**
     * Decodes the next complete frame into pcm (interleaved, channels() values per sample instant).
     * Returns the samples per channel written, or 0 when no complete frame is buffered.
     */
    int decodeNext(short[] pcm) {
        return 0;
    }

    int sampleRate() {
        return 0;
    }

    int channels() {
        return 0;
    }

    int damagedFrames() {
        return 0;
    }
}
