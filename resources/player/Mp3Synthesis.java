/**
 * The polyphase synthesis filterbank of one channel: each time slot's 32
 * subband samples are matrixed into 64 new values of a 1024-value history,
 * and 32 output samples are windowed sums of 16 history values each. The
 * matrixing runs through a 32-point cosine transform whose symmetries give
 * all 64 values.
 */
final class Mp3Synthesis {

    private static final float[] WINDOW = new float[512];

    static {
        double[] d = Mp3SynthesisWindow.coefficients();
        for (int i = 0; i < 512; i++) {
            WINDOW[i] = (float) d[i];
        }
    }

    private final float[] history = new float[1024];
    private int start;   // where the newest 64 values begin
    private final float[] slot = new float[32];
    private final float[] cosines = new float[32];
    private final Mp3Dct32 dct = new Mp3Dct32();

    void reset() {
        java.util.Arrays.fill(history, 0);
        start = 0;
    }

    /**
     * Filters one granule: samples[sb * 18 + t] for 18 time slots t, writing 18 * 32 output samples to
     * pcm at offset, every `stride` values (interleaving the channels).
     */
    void run(float[] samples, short[] pcm, int offset, int stride) {
        int out = offset;
        for (int t = 0; t < 18; t++) {
            matrix(samples, t);
            for (int j = 0; j < 32; j++) {
                float sum = 0;
                for (int i = 0; i < 8; i++) {
                    sum += history[(start + 128 * i + j) & 1023] * WINDOW[64 * i + j]
                            + history[(start + 128 * i + 96 + j) & 1023] * WINDOW[64 * i + 32 + j];
                }
                pcm[out] = toPcm(sum);
                out += stride;
            }
        }
    }

    /** Shifts the history by 64 and writes the new values from time slot t's subband samples. */
    private void matrix(float[] samples, int t) {
        for (int k = 0; k < 32; k++) {
            slot[k] = samples[k * 18 + t];
        }
        dct.run(slot, cosines);
        start = (start - 64) & 1023;
        // V[i] = X[16 + i] where X[j] = cos transform value j, extended by X[64 - j] = -X[j], X[j + 64] = -X[j].
        for (int i = 0; i < 16; i++) {
            history[start + i] = cosines[16 + i];
        }
        history[start + 16] = 0;
        for (int i = 17; i < 48; i++) {
            history[start + i] = -cosines[48 - i];
        }
        for (int i = 48; i < 64; i++) {
            history[start + i] = -cosines[i - 48];
        }
    }

    private static short toPcm(float v) {
        float s = v * 32768f;
        if (s >= 32767f) {
            return 32767;
        }
        if (s <= -32768f) {
            return -32768;
        }
        return (short) (s >= 0 ? s + 0.5f : s - 0.5f);
    }
}
