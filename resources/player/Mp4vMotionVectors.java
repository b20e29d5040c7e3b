/**
 * The motion vectors of the current picture, one per 8x8 luma block
 * (half-pel units), their prediction from neighbouring blocks and the
 * decoding of vector differences.
 */
final class Mp4vMotionVectors {

    private final Mp4vMbMap map;
    private final int width;
    final int[] x;
    final int[] y;
    /** Outcome of predict. */
    int predX;
    int predY;

    Mp4vMotionVectors(Mp4vMbMap map) {
        this.map = map;
        width = map.mbWidth * 2;
        x = new int[width * map.mbHeight * 2];
        y = new int[width * map.mbHeight * 2];
    }

    /** Index of block n (0..3) of macroblock (mbx, mby). */
    int index(int mbx, int mby, int n) {
        return (mby * 2 + (n >> 1)) * width + mbx * 2 + (n & 1);
    }

    void setMacroblock(int mbx, int mby, int mvx, int mvy) {
        int i = index(mbx, mby, 0);
        x[i] = mvx;
        x[i + 1] = mvx;
        x[i + width] = mvx;
        x[i + width + 1] = mvx;
        y[i] = mvy;
        y[i + 1] = mvy;
        y[i + width] = mvy;
        y[i + width + 1] = mvy;
    }

    /**
     * Predicts the vector of block n of macroblock (mbx, mby) as the median of
     * its left, upper and upper-right (for the last block: upper-left)
     * neighbours. A neighbour outside the picture or the video packet does
     * not count: one missing is taken as zero, with two missing the third is
     * the prediction, with none left it is zero.
     */
    void predict(int n, int mbx, int mby, int packet) {
        int bx = mbx * 2 + (n & 1);
        int by = mby * 2 + (n >> 1);
        int cx = n == 0 ? bx + 2 : (n == 3 ? bx - 1 : bx + 1);
        int a = valid(bx - 1, by, packet);
        int b = valid(bx, by - 1, packet);
        int c = valid(cx, by - 1, packet);
        int missing = (a < 0 ? 1 : 0) + (b < 0 ? 1 : 0) + (c < 0 ? 1 : 0);
        if (missing == 3) {
            predX = 0;
            predY = 0;
        } else if (missing == 2) {
            int k = a >= 0 ? a : (b >= 0 ? b : c);
            predX = x[k];
            predY = y[k];
        } else {
            predX = median(a < 0 ? 0 : x[a], b < 0 ? 0 : x[b], c < 0 ? 0 : x[c]);
            predY = median(a < 0 ? 0 : y[a], b < 0 ? 0 : y[b], c < 0 ? 0 : y[c]);
        }
    }

    private int valid(int bx, int by, int packet) {
        if (bx < 0 || by < 0 || bx >= width) {
            return -1;
        }
        return map.inPacket(bx >> 1, by >> 1, packet) ? by * width + bx : -1;
    }

    private static int median(int a, int b, int c) {
        return Math.max(Math.min(a, b), Math.min(Math.max(a, b), c));
    }

    /** Reads one vector component's difference and returns pred + difference, wrapped into range. */
    static int readComponent(Mp4vBits in, int fcode, int pred) {
        int code = Mp4vVlc.read(in, Mp4vVlc.MV, Mp4vVlc.MV_BITS);
        if (code == 0) {
            return pred;
        }
        boolean negative = in.bit() != 0;
        int shift = fcode - 1;
        int diff = code;
        if (shift > 0) {
            diff = ((code - 1) << shift) + in.read(shift) + 1;
        }
        int v = pred + (negative ? -diff : diff);
        int bits = 5 + fcode;
        return (v << (32 - bits)) >> (32 - bits);
    }
}
