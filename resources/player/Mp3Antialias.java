/**
 * Alias reduction: butterflies across each boundary between two subbands
 * of long-block lines, undoing the aliasing of the analysis filterbank.
 * Short blocks get none; mixed blocks only between their two long subbands.
 */
final class Mp3Antialias {

    private static final double[] C = {-0.6, -0.535, -0.33, -0.185, -0.095, -0.041, -0.0142, -0.0037};
    private static final float[] CS = new float[8];
    private static final float[] CA = new float[8];

    static {
        for (int i = 0; i < 8; i++) {
            double norm = Math.sqrt(1 + C[i] * C[i]);
            CS[i] = (float) (1 / norm);
            CA[i] = (float) (C[i] / norm);
        }
    }

    private Mp3Antialias() {
    }

    /** lines: the reordered spectrum; limit: the line after the last non-zero one. */
    static void run(float[] lines, Mp3Granule g, int limit) {
        int boundaries;
        if (g.shortBlocks()) {
            if (!g.mixedBlock) {
                return;
            }
            boundaries = 1;
        } else {
            // Past the last non-zero subband both sides of a boundary are zero.
            boundaries = Math.min(31, (limit + 17) / 18);
        }
        for (int sb = 1; sb <= boundaries; sb++) {
            int edge = sb * 18;
            for (int i = 0; i < 8; i++) {
                float below = lines[edge - 1 - i];
                float above = lines[edge + i];
                lines[edge - 1 - i] = below * CS[i] - above * CA[i];
                lines[edge + i] = above * CS[i] + below * CA[i];
            }
        }
    }
}
