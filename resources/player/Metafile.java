import java.io.IOException;

/**
 * The list of variants the encoder made of one input file: the measured bit
 * rates of its video streams and of its audio streams, in the order the
 * variants were encoded. Layout: u32 video count, u32 audio count, then the
 * video rates and the audio rates, all little-endian, nothing after them.
 */
final class Metafile {

    /** Far more variants than any ladder has; a larger count means a damaged file. */
    static final int MAX_RATES = 4096;
    static final int MAX_BYTES = 8 + 4 * 2 * MAX_RATES;

    final long[] videoRates;
    final long[] audioRates;

    private Metafile(long[] videoRates, long[] audioRates) {
        this.videoRates = videoRates;
        this.audioRates = audioRates;
    }

    static Metafile parse(byte[] bytes) throws IOException {
        if (bytes.length < 8) {
            throw new IOException("the metafile is " + bytes.length + " bytes, too short for its two counts");
        }
        long videoCount = LittleEndian.u32(bytes, 0);
        long audioCount = LittleEndian.u32(bytes, 4);
        if (videoCount > MAX_RATES || audioCount > MAX_RATES) {
            throw new IOException("the metafile lists " + videoCount + " video and " + audioCount
                    + " audio rates, more than a metafile can hold");
        }
        long expected = 8 + 4 * (videoCount + audioCount);
        if (bytes.length != expected) {
            throw new IOException("the metafile is " + bytes.length + " bytes but its counts ("
                    + videoCount + " video, " + audioCount + " audio) make " + expected);
        }
        long[] video = new long[(int) videoCount];
        long[] audio = new long[(int) audioCount];
        for (int i = 0; i < video.length; i++) {
            video[i] = LittleEndian.u32(bytes, 8 + 4 * i);
        }
        for (int i = 0; i < audio.length; i++) {
            audio[i] = LittleEndian.u32(bytes, 8 + 4 * (video.length + i));
        }
        return new Metafile(video, audio);
    }
}
