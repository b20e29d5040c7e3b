/**
 * Inverse quantisation of one block's levels, in the H.263 style (uniform
 * steps) or the MPEG style (steps weighted by a matrix, default or loaded).
 */
final class Mp4vQuant {

    private boolean mpeg;
    private final int[] intraMatrix = Mp4vTables.DEFAULT_INTRA_MATRIX.clone();
    private final int[] interMatrix = Mp4vTables.DEFAULT_INTER_MATRIX.clone();

    void useH263() {
        mpeg = false;
    }

    /** Switches to MPEG quantisation; a null matrix means the default one. */
    void useMpeg(int[] intra, int[] inter) {
        mpeg = true;
        System.arraycopy(intra != null ? intra : Mp4vTables.DEFAULT_INTRA_MATRIX, 0, intraMatrix, 0, 64);
        System.arraycopy(inter != null ? inter : Mp4vTables.DEFAULT_INTER_MATRIX, 0, interMatrix, 0, 64);
    }

    /**
     * Intra block: every one of the 64 positions may hold a level (AC
     * prediction fills the edges). The DC value is not limited: FFmpeg's
     * encoder writes DC levels a little beyond the range, reconstructs them
     * unlimited, and so does its decoder.
     */
    void intra(int[] block, int off, int qp, int dcScaler) {
        block[off] = block[off] * dcScaler;
        if (mpeg) {
            int[] w = intraMatrix;
            for (int i = 1; i < 64; i++) {
                int q = block[off + i];
                if (q != 0) {
                    int f = q > 0 ? (2 * q * w[i] * qp) >> 4 : -((-2 * q * w[i] * qp) >> 4);
                    block[off + i] = saturate(f);
                }
            }
        } else {
            int add = (qp - 1) | 1;
            int mul = 2 * qp;
            for (int i = 1; i < 64; i++) {
                int q = block[off + i];
                if (q != 0) {
                    block[off + i] = saturate(q > 0 ? q * mul + add : q * mul - add);
                }
            }
        }
    }

    /**
     * Inter block whose levels sit at the `count` raster positions listed.
     * May add position 63 to the list (MPEG mismatch control); returns the new count.
     */
    int inter(int[] block, int off, int qp, int[] positions, int count) {
        if (mpeg) {
            int[] w = interMatrix;
            int sum = 0;
            boolean has63 = false;
            for (int k = 0; k < count; k++) {
                int i = positions[k];
                int q = block[off + i];
                int f = q > 0 ? ((2 * q + 1) * w[i] * qp) >> 4 : -(((-2 * q + 1) * w[i] * qp) >> 4);
                f = saturate(f);
                block[off + i] = f;
                sum += f;
                has63 |= i == 63;
            }
            if ((sum & 1) == 0) {
                block[off + 63] ^= 1;
                if (!has63) {
                    positions[count++] = 63;
                }
            }
        } else {
            int add = (qp - 1) | 1;
            int mul = 2 * qp;
            for (int k = 0; k < count; k++) {
                int i = positions[k];
                int q = block[off + i];
                block[off + i] = saturate(q > 0 ? q * mul + add : q * mul - add);
            }
        }
        return count;
    }

    private static int saturate(int f) {
        return f < -2048 ? -2048 : (f > 2047 ? 2047 : f);
    }
}
