/**
 * A fast 32-point cosine transform, X[j] = sum s[k] cos(j (2k + 1) pi / 64),
 * by the even/odd split: the even outputs are the half-size transform of
 * s[k] + s[31 - k], the odd ones sums of neighbouring outputs of the
 * half-size transform of (s[k] - s[31 - k]) / (2 cos((2k + 1) pi / 64)).
 */
final class Mp3Dct32 {

    /** [level][k]: 1 / (2 cos((2k + 1) pi / (2n))) for n = 32, 16. */
    private static final float[][] FACTORS = new float[2][];

    /** Below this size the transform is a plain matrix product: fewer calls, same precision. */
    private static final int DIRECT = 8;
    /** [j * 8 + k]: cos(j (2k + 1) pi / 16). */
    private static final float[] DIRECT_COS = new float[DIRECT * DIRECT];

    static {
        for (int j = 0; j < DIRECT; j++) {
            for (int k = 0; k < DIRECT; k++) {
                DIRECT_COS[j * DIRECT + k] = (float) Math.cos(j * (2 * k + 1) * Math.PI / (2 * DIRECT));
            }
        }
        for (int level = 0, n = 32; level < 2; level++, n >>= 1) {
            FACTORS[level] = new float[n / 2];
            for (int k = 0; k < n / 2; k++) {
                FACTORS[level][k] = (float) (0.5 / Math.cos((2 * k + 1) * Math.PI / (2 * n)));
            }
        }
    }

    /** Scratch per level: sums then differences (n values), and the transformed halves. */
    private final float[][] work = new float[3][];
    private final float[][] result = new float[3][];

    Mp3Dct32() {
        for (int level = 0, n = 32; level < 3; level++, n >>= 1) {
            work[level] = new float[n];
            result[level] = new float[n];
        }
    }

    /** Transforms in[0..31] into out[0..31]. */
    void run(float[] in, float[] out) {
        System.arraycopy(in, 0, work[0], 0, 32);
        transform(0, 32);
        System.arraycopy(result[0], 0, out, 0, 32);
    }

    /** Transforms work[level] (n values) into result[level]. */
    private void transform(int level, int n) {
        float[] s = work[level];
        float[] x = result[level];
        if (n == DIRECT) {
            for (int j = 0, t = 0; j < DIRECT; j++) {
                float sum = 0;
                for (int k = 0; k < DIRECT; k++, t++) {
                    sum += s[k] * DIRECT_COS[t];
                }
                x[j] = sum;
            }
            return;
        }
        int half = n / 2;
        float[] next = work[level + 1];
        float[] factors = FACTORS[level];
        // Even outputs.
        for (int k = 0; k < half; k++) {
            next[k] = s[k] + s[n - 1 - k];
        }
        transform(level + 1, half);
        float[] y = result[level + 1];
        for (int m = 0; m < half; m++) {
            x[2 * m] = y[m];
        }
        // Odd outputs.
        for (int k = 0; k < half; k++) {
            next[k] = (s[k] - s[n - 1 - k]) * factors[k];
        }
        transform(level + 1, half);
        for (int m = 0; m < half - 1; m++) {
            x[2 * m + 1] = y[m] + y[m + 1];
        }
        x[n - 1] = y[half - 1];
    }
}
