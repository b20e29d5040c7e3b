/**
 * Motion compensation: builds a block's prediction from the reference
 * picture at a half-pel motion vector, and adds or writes IDCT output.
 * Vectors may point outside the picture; such reads take the nearest edge
 * pixel, from a small scratch copy.
 */
final class Mp4vMotion {

    private static final int SCRATCH_STRIDE = 17;
    private final byte[] scratch = new byte[SCRATCH_STRIDE * SCRATCH_STRIDE];

    /**
     * Predicts the size x size block at (x, y) of a plane (dst and ref share
     * stride and rows) from ref displaced by (mvx, mvy) half pels.
     */
    void predict(byte[] ref, byte[] dst, int stride, int rows, int x, int y, int mvx, int mvy, int size,
            int rounding) {
        int sx = x + (mvx >> 1);
        int sy = y + (mvy >> 1);
        int hx = mvx & 1;
        int hy = mvy & 1;
        byte[] src;
        int srcOff;
        int srcStride;
        if (sx >= 0 && sy >= 0 && sx + size + hx <= stride && sy + size + hy <= rows) {
            src = ref;
            srcOff = sy * stride + sx;
            srcStride = stride;
        } else {
            fillClamped(ref, stride, rows, sx, sy, size + hx, size + hy);
            src = scratch;
            srcOff = 0;
            srcStride = SCRATCH_STRIDE;
        }
        interpolate(src, srcOff, srcStride, dst, y * stride + x, stride, size, hx, hy, rounding);
    }

    private void fillClamped(byte[] ref, int stride, int rows, int sx, int sy, int w, int h) {
        byte[] s = scratch;
        for (int r = 0; r < h; r++) {
            int yy = sy + r;
            yy = yy < 0 ? 0 : (yy >= rows ? rows - 1 : yy);
            int line = yy * stride;
            for (int c = 0; c < w; c++) {
                int xx = sx + c;
                xx = xx < 0 ? 0 : (xx >= stride ? stride - 1 : xx);
                s[r * SCRATCH_STRIDE + c] = ref[line + xx];
            }
        }
    }

    /**
     * The prediction of a size x size block from src (offset so, stride ss)
     * at a half-pel position (hx, hy) into dst (offset d, stride ds).
     * Neighbouring samples and sums are carried along the row, so each is
     * read once.
     */
    private static void interpolate(byte[] src, int so, int ss, byte[] dst, int d, int ds, int size, int hx,
            int hy, int rounding) {
        if (hx == 0 && hy == 0) {
            for (int r = 0; r < size; r++) {
                System.arraycopy(src, so + r * ss, dst, d + r * ds, size);
            }
        } else if (hy == 0) {
            int add = 1 - rounding;
            for (int r = 0; r < size; r++) {
                int a = so + r * ss;
                int o = d + r * ds;
                int left = src[a] & 0xff;
                for (int c = 0; c < size; c++) {
                    int right = src[a + c + 1] & 0xff;
                    dst[o + c] = (byte) ((left + right + add) >> 1);
                    left = right;
                }
            }
        } else if (hx == 0) {
            int add = 1 - rounding;
            for (int r = 0; r < size; r++) {
                int a = so + r * ss;
                int o = d + r * ds;
                for (int c = 0; c < size; c++) {
                    dst[o + c] = (byte) (((src[a + c] & 0xff) + (src[a + c + ss] & 0xff) + add) >> 1);
                }
            }
        } else {
            int add = 2 - rounding;
            for (int r = 0; r < size; r++) {
                int a = so + r * ss;
                int b = a + ss;
                int o = d + r * ds;
                int left = (src[a] & 0xff) + (src[b] & 0xff);
                for (int c = 0; c < size; c++) {
                    int right = (src[a + c + 1] & 0xff) + (src[b + c + 1] & 0xff);
                    dst[o + c] = (byte) ((left + right + add) >> 2);
                    left = right;
                }
            }
        }
    }

    /** Adds an 8x8 residual to the prediction already in dst, limiting to 0..255. */
    static void add(int[] block, int off, byte[] dst, int d, int stride) {
        for (int r = 0; r < 8; r++) {
            int o = d + r * stride;
            int b = off + r * 8;
            for (int c = 0; c < 8; c++) {
                int p = (dst[o + c] & 0xff) + block[b + c];
                dst[o + c] = (byte) (p < 0 ? 0 : (p > 255 ? 255 : p));
            }
        }
    }

    /** Writes an 8x8 intra block, limiting to 0..255. */
    static void put(int[] block, int off, byte[] dst, int d, int stride) {
        for (int r = 0; r < 8; r++) {
            int o = d + r * stride;
            int b = off + r * 8;
            for (int c = 0; c < 8; c++) {
                int p = block[b + c];
                dst[o + c] = (byte) (p < 0 ? 0 : (p > 255 ? 255 : p));
            }
        }
    }
}
