/**
 * One MPEG audio Layer III frame header: the 32 bits after which the frame's
 * length, sample count and side information size are known. Only headers
 * this decoder can play parse: Layer III, a bit rate from the table (no free
 * format), a defined sample rate and emphasis.
 */
final class Mp3Header {

    static final int MODE_STEREO = 0;
    static final int MODE_JOINT = 1;
    static final int MODE_DUAL = 2;
    static final int MODE_MONO = 3;

    private static final int[] KBPS_MPEG1 = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    private static final int[] KBPS_LSF = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
    /** Sample rates by rate index: MPEG-1, then MPEG-2, then MPEG-2.5, three each. */
    private static final int[] RATES = {44100, 48000, 32000, 22050, 24000, 16000, 11025, 12000, 8000};

    /** True for MPEG-2 and MPEG-2.5 (one granule per frame, other side information). */
    boolean lsf;
    boolean protectedByCrc;
    /** 0..8, see RATES: also selects the scale factor band layout. */
    int rateIndex;
    int sampleRate;
    int bitRateKbps;
    int mode;
    int modeExtension;
    int channels;
    int frameBytes;

    /** The header in the four bytes at offset, or false when they are not one this decoder plays. */
    boolean parse(byte[] b, int offset) {
        int h = (b[offset] & 0xFF) << 24 | (b[offset + 1] & 0xFF) << 16 | (b[offset + 2] & 0xFF) << 8
                | (b[offset + 3] & 0xFF);
        return parse(h);
    }

    boolean parse(int h) {
        if ((h >>> 21) != 0x7FF) {
            return false;
        }
        int version = (h >>> 19) & 3;   // 0: MPEG-2.5, 1: reserved, 2: MPEG-2, 3: MPEG-1
        int layer = (h >>> 17) & 3;     // 1: Layer III
        int rateBits = (h >>> 10) & 3;
        int bitRateIndex = (h >>> 12) & 15;
        if (version == 1 || layer != 1 || rateBits == 3 || bitRateIndex == 0 || bitRateIndex == 15
                || (h & 3) == 2) {
            return false;
        }
        lsf = version != 3;
        protectedByCrc = ((h >>> 16) & 1) == 0;
        rateIndex = rateBits + (version == 3 ? 0 : version == 2 ? 3 : 6);
        sampleRate = RATES[rateIndex];
        bitRateKbps = (lsf ? KBPS_LSF : KBPS_MPEG1)[bitRateIndex];
        int padding = (h >>> 9) & 1;
        mode = (h >>> 6) & 3;
        modeExtension = (h >>> 4) & 3;
        channels = mode == MODE_MONO ? 1 : 2;
        frameBytes = (lsf ? 72000 : 144000) * bitRateKbps / sampleRate + padding;
        return true;
    }

    int samplesPerFrame() {
        return lsf ? 576 : 1152;
    }

    int granules() {
        return lsf ? 1 : 2;
    }

    int sideInfoBytes() {
        if (lsf) {
            return channels == 1 ? 9 : 17;
        }
        return channels == 1 ? 17 : 32;
    }

    /** Header, optional check word and side information: where the frame's main data starts. */
    int mainDataOffset() {
        return 4 + (protectedByCrc ? 2 : 0) + sideInfoBytes();
    }

    boolean msStereo() {
        return mode == MODE_JOINT && (modeExtension & 2) != 0;
    }

    boolean intensityStereo() {
        return mode == MODE_JOINT && (modeExtension & 1) != 0;
    }

    /** Whether a following frame may belong to the same stream as this one. */
    boolean sameStreamAs(Mp3Header other) {
        return lsf == other.lsf && rateIndex == other.rateIndex && channels == other.channels;
    }

    void copyFrom(Mp3Header o) {
        lsf = o.lsf;
        protectedByCrc = o.protectedByCrc;
        rateIndex = o.rateIndex;
        sampleRate = o.sampleRate;
        bitRateKbps = o.bitRateKbps;
        mode = o.mode;
        modeExtension = o.modeExtension;
        channels = o.channels;
        frameBytes = o.frameBytes;
    }
}
