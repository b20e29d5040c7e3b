/**
 * Inverse 8x8 DCT in integers, the one xvidcore decodes with (and FFmpeg
 * picks for streams xvidcore wrote, which say so in their user data): a
 * fixed-point row pass whose table and rounding term depend on the row, then
 * a column pass of butterflies with 16-bit fixed-point tangents. An IDCT is
 * only specified to an accuracy, so decoders differ in the last level; with
 * the encoder's own, every decoder of these streams shows the same pixels,
 * and tests can hold the decoder to FFmpeg's pictures exactly.
 *
 * <p>Row pass (row v of the block, coefficients x0..x7, table c1..c7 of the
 * row, rounder r): the even sums a0..a3 of c4 x0 + r and c2, c4, c6 terms,
 * the odd sums b0..b3 of c1, c3, c5, c7 terms, output (a +/- b) >> 11 kept as
 * 16 bits. The rounders of rows 0..2 leave 32, 1 and 1 in rows that held
 * nothing: they are the column pass's rounding, so those rows are always
 * computed. Column pass: tan(pi/16), tan(2pi/16), tan(3pi/16) and sqrt(1/2)
 * as multiplies keeping the high 16 bits, output >> 6 kept as 16 bits.
 */
final class Mp4vIdct {

    /** Per row: c1..c7 = round(2^14 * sqrt(2) * cos(k pi / 16) * the row's scale). */
    private static final int[] TAB04 = {22725, 21407, 19266, 16384, 12873, 8867, 4520};
    private static final int[] TAB17 = {31521, 29692, 26722, 22725, 17855, 12299, 6270};
    private static final int[] TAB26 = {29692, 27969, 25172, 21407, 16819, 11585, 5906};
    private static final int[] TAB35 = {26722, 25172, 22654, 19266, 15137, 10426, 5315};
    private static final int[][] ROW_TABLES = {TAB04, TAB17, TAB26, TAB35, TAB04, TAB35, TAB26, TAB17};
    private static final int[] ROW_ROUNDERS = {65536, 3597, 2260, 1203, 0, 120, 512, 512};
    private static final int TAN1 = 0x32EC;
    private static final int TAN2 = 0x6A0A;
    private static final int TAN3 = 0xAB0E;
    private static final int SQRT2 = 0x5A82;

    /** Transforms block[off..off+63] (raster order, row = vertical frequency) in place. */
    void transform(int[] block, int off) {
        for (int v = 0; v < 8; v++) {
            row(block, off + v * 8, ROW_TABLES[v], ROW_ROUNDERS[v], v < 3);
        }
        for (int u = 0; u < 8; u++) {
            column(block, off + u);
        }
    }

    private static void row(int[] b, int r, int[] tab, int rnd, boolean always) {
        int x0 = b[r];
        int x1 = b[r + 1];
        int x2 = b[r + 2];
        int x3 = b[r + 3];
        int x4 = b[r + 4];
        int x5 = b[r + 5];
        int x6 = b[r + 6];
        int x7 = b[r + 7];
        if (!always && (x0 | x1 | x2 | x3 | x4 | x5 | x6 | x7) == 0) {
            return;
        }
        int c1 = tab[0];
        int c2 = tab[1];
        int c3 = tab[2];
        int c4 = tab[3];
        int c5 = tab[4];
        int c6 = tab[5];
        int c7 = tab[6];
        int k = c4 * x0 + rnd;
        int a0 = k + c2 * x2 + c4 * x4 + c6 * x6;
        int a1 = k + c6 * x2 - c4 * x4 - c2 * x6;
        int a2 = k - c6 * x2 - c4 * x4 + c2 * x6;
        int a3 = k - c2 * x2 + c4 * x4 - c6 * x6;
        int b0 = c1 * x1 + c3 * x3 + c5 * x5 + c7 * x7;
        int b1 = c3 * x1 - c7 * x3 - c1 * x5 - c5 * x7;
        int b2 = c5 * x1 - c1 * x3 + c7 * x5 + c3 * x7;
        int b3 = c7 * x1 - c5 * x3 + c3 * x5 - c1 * x7;
        b[r] = (short) ((a0 + b0) >> 11);
        b[r + 1] = (short) ((a1 + b1) >> 11);
        b[r + 2] = (short) ((a2 + b2) >> 11);
        b[r + 3] = (short) ((a3 + b3) >> 11);
        b[r + 4] = (short) ((a3 - b3) >> 11);
        b[r + 5] = (short) ((a2 - b2) >> 11);
        b[r + 6] = (short) ((a1 - b1) >> 11);
        b[r + 7] = (short) ((a0 - b0) >> 11);
    }

    /** (c * x) >> 16: a 16-bit fixed-point multiply. */
    private static int mul(int c, int x) {
        return (c * x) >> 16;
    }

    private static void column(int[] b, int u) {
        // Odd part.
        int in1 = b[u + 8];
        int in3 = b[u + 24];
        int in5 = b[u + 40];
        int in7 = b[u + 56];
        int t0 = mul(TAN1, in7) + in1;
        int t1 = mul(TAN1, in1) - in7;
        int t2 = mul(TAN3, in5) + in3;
        int t3 = mul(TAN3, in3) - in5;
        int o7 = t0 + t2;
        int o4 = t1 - t3;
        t0 -= t2;
        t1 += t3;
        int o6 = 2 * mul(SQRT2, t0 + t1);
        int o5 = 2 * mul(SQRT2, t0 - t1);
        // Even part.
        int in0 = b[u];
        int in2 = b[u + 16];
        int in4 = b[u + 32];
        int in6 = b[u + 48];
        int e3 = mul(TAN2, in6) + in2;
        int e2 = mul(TAN2, in2) - in6;
        int s0 = in0 + in4;
        int s1 = in0 - in4;
        int f0 = s0 + e3;
        int f3 = s0 - e3;
        int f1 = s1 + e2;
        int f2 = s1 - e2;
        b[u] = (short) ((f0 + o7) >> 6);
        b[u + 56] = (short) ((f0 - o7) >> 6);
        b[u + 24] = (short) ((f3 + o4) >> 6);
        b[u + 32] = (short) ((f3 - o4) >> 6);
        b[u + 8] = (short) ((f1 + o6) >> 6);
        b[u + 48] = (short) ((f1 - o6) >> 6);
        b[u + 16] = (short) ((f2 + o5) >> 6);
        b[u + 40] = (short) ((f2 - o5) >> 6);
    }
}
