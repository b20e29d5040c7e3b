/**
 * The hybrid filterbank's second half for one channel: per subband an
 * inverse MDCT (one of 36 points for long blocks, three of 12 for short
 * ones), the block type's window, overlap-add with the previous granule's
 * second half, and the inversion of every other sample in odd subbands.
 * Long blocks compute half their outputs and mirror the rest.
 */
final class Mp3Imdct {

    /**
     * [i * 18 + k]: cos(pi / 72 * (2i + 19) * (2k + 1)) for the outputs i = 0..8 and 18..26 (stored as
     * rows 0..17); the other outputs mirror them: y[17 - i] = -y[i], y[53 - i] = y[i].
     */
    private static final float[] LONG_COS = new float[18 * 18];
    /** [block type][i]: the long windows (type 2 unused). */
    private static final float[][] LONG_WINDOWS = new float[4][36];
    /** [i * 6 + k]: window(i) * cos(pi / 24 * (2i + 7) * (2k + 1)). */
    private static final float[] SHORT_TABLE = new float[12 * 6];

    static {
        for (int row = 0; row < 18; row++) {
            int i = row < 9 ? row : row + 9;
            for (int k = 0; k < 18; k++) {
                LONG_COS[row * 18 + k] = (float) Math.cos(Math.PI / 72 * (2 * i + 19) * (2 * k + 1));
            }
        }
        for (int type = 0; type < 4; type++) {
            for (int i = 0; i < 36; i++) {
                LONG_WINDOWS[type][i] = (float) longWindow(type, i);
            }
        }
        for (int i = 0; i < 12; i++) {
            double w = Math.sin(Math.PI / 12 * (i + 0.5));
            for (int k = 0; k < 6; k++) {
                SHORT_TABLE[i * 6 + k] = (float) (w * Math.cos(Math.PI / 24 * (2 * i + 7) * (2 * k + 1)));
            }
        }
    }

    private static double longWindow(int type, int i) {
        double sine36 = Math.sin(Math.PI / 36 * (i + 0.5));
        if (type == Mp3Granule.BLOCK_START) {
            return i < 18 ? sine36 : i < 24 ? 1 : i < 30 ? Math.sin(Math.PI / 12 * (i - 18 + 0.5)) : 0;
        }
        if (type == Mp3Granule.BLOCK_STOP) {
            return i < 6 ? 0 : i < 12 ? Math.sin(Math.PI / 12 * (i - 6 + 0.5)) : i < 18 ? 1 : sine36;
        }
        return sine36;
    }

    /** The second halves of the last granule's blocks, [subband * 18 + i]. */
    private final float[] overlap = new float[576];
    private final float[] block = new float[36];
    private final float[] unique = new float[18];

    void reset() {
        java.util.Arrays.fill(overlap, 0);
    }

    /** Transforms the reordered spectrum `lines` in place into 18 time samples per subband. */
    void run(float[] lines, Mp3Granule g) {
        for (int sb = 0; sb < 32; sb++) {
            int base = sb * 18;
            if (isSilent(lines, base)) {
                java.util.Arrays.fill(block, 0);
            } else if (g.shortBlocks() && !(g.mixedBlock && sb < 2)) {
                shortBlocks(lines, base);
            } else {
                // The long subbands of a mixed block use the normal window.
                longBlock(lines, base, g.shortBlocks() ? Mp3Granule.BLOCK_NORMAL : g.blockType);
            }
            for (int i = 0; i < 18; i++) {
                lines[base + i] = block[i] + overlap[base + i];
                overlap[base + i] = block[i + 18];
            }
            if ((sb & 1) != 0) {
                for (int i = 1; i < 18; i += 2) {
                    lines[base + i] = -lines[base + i];
                }
            }
        }
    }

    private static boolean isSilent(float[] lines, int base) {
        for (int i = 0; i < 18; i++) {
            if (lines[base + i] != 0) {
                return false;
            }
        }
        return true;
    }

    private void longBlock(float[] lines, int base, int type) {
        for (int row = 0, t = 0; row < 18; row++) {
            float sum = 0;
            for (int k = 0; k < 18; k++, t++) {
                sum += lines[base + k] * LONG_COS[t];
            }
            unique[row] = sum;
        }
        float[] window = LONG_WINDOWS[type];
        for (int i = 0; i < 9; i++) {
            float a = unique[i];
            float b = unique[9 + i];
            block[i] = a * window[i];
            block[17 - i] = -a * window[17 - i];
            block[18 + i] = b * window[18 + i];
            block[35 - i] = b * window[35 - i];
        }
    }

    private void shortBlocks(float[] lines, int base) {
        java.util.Arrays.fill(block, 0);
        for (int w = 0; w < 3; w++) {
            int offset = 6 + 6 * w;
            for (int i = 0, t = 0; i < 12; i++) {
                float sum = 0;
                for (int k = 0; k < 6; k++, t++) {
                    sum += lines[base + 3 * k + w] * SHORT_TABLE[t];
                }
                block[offset + i] += sum;
            }
        }
    }
}
