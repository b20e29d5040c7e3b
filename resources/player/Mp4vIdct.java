/**
 * Inverse 8x8 DCT, separable, in double precision from a table of cosines,
 * so it is well inside the accuracy the decoder needs for its pictures to
 * match other decoders' and the encoder's reconstruction. Rows and columns
 * that hold nothing are skipped.
 */
final class Mp4vIdct {

    /** COS[u * 8 + x] = C(u) / 2 * cos((2x + 1) u pi / 16). */
    private static final double[] COS = new double[64];

    static {
        for (int u = 0; u < 8; u++) {
            double c = u == 0 ? Math.sqrt(0.5) : 1.0;
            for (int x = 0; x < 8; x++) {
                COS[u * 8 + x] = c / 2 * Math.cos((2 * x + 1) * u * Math.PI / 16);
            }
        }
    }

    private final double[] rows = new double[64];

    /** Transforms block[off..off+63] in place; results are rounded and limited to -256..255. */
    void transform(int[] block, int off) {
        double[] t = rows;
        double[] c = COS;
        int lastRow = -1;
        for (int y = 0; y < 8; y++) {
            int r = off + y * 8;
            int b0 = block[r];
            int b1 = block[r + 1];
            int b2 = block[r + 2];
            int b3 = block[r + 3];
            int b4 = block[r + 4];
            int b5 = block[r + 5];
            int b6 = block[r + 6];
            int b7 = block[r + 7];
            int t0 = y * 8;
            if ((b1 | b2 | b3 | b4 | b5 | b6 | b7) == 0) {
                double v = b0 * c[0];
                for (int x = 0; x < 8; x++) {
                    t[t0 + x] = v;
                }
                if (b0 != 0) {
                    lastRow = y;
                }
                continue;
            }
            lastRow = y;
            for (int x = 0; x < 8; x++) {
                t[t0 + x] = b0 * c[x] + b1 * c[8 + x] + b2 * c[16 + x] + b3 * c[24 + x]
                        + b4 * c[32 + x] + b5 * c[40 + x] + b6 * c[48 + x] + b7 * c[56 + x];
            }
        }
        if (lastRow < 0) {
            return;
        }
        for (int x = 0; x < 8; x++) {
            for (int y = 0; y < 8; y++) {
                double s = 0;
                for (int v = 0; v <= lastRow; v++) {
                    s += t[v * 8 + x] * c[v * 8 + y];
                }
                int o = (int) (s + 1024.5) - 1024;
                block[off + y * 8 + x] = o < -256 ? -256 : (o > 255 ? 255 : o);
            }
        }
    }
}
