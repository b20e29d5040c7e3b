/**
 * One picture as the decoder works on it: three planes covering whole
 * macroblocks (luma 16 x 16, chroma 8 x 8 per macroblock), which the output
 * crops to the picture's own size.
 */
final class Mp4vFrame {

    final int mbWidth;
    final int mbHeight;
    final int lumaStride;
    final int lumaRows;
    final int chromaStride;
    final int chromaRows;
    final byte[] y;
    final byte[] u;
    final byte[] v;

    Mp4vFrame(int mbWidth, int mbHeight) {
        this.mbWidth = mbWidth;
        this.mbHeight = mbHeight;
        lumaStride = mbWidth * 16;
        lumaRows = mbHeight * 16;
        chromaStride = mbWidth * 8;
        chromaRows = mbHeight * 8;
        y = new byte[lumaStride * lumaRows];
        u = new byte[chromaStride * chromaRows];
        v = new byte[chromaStride * chromaRows];
    }

    void fillGrey() {
        java.util.Arrays.fill(y, (byte) 128);
        java.util.Arrays.fill(u, (byte) 128);
        java.util.Arrays.fill(v, (byte) 128);
    }

    /** A fresh picture holding this frame cropped to width x height. */
    Mp4vPicture crop(int width, int height, boolean keyFrame, boolean damaged, long timeTicks,
            int ticksPerSecond) {
        int cw = (width + 1) / 2;
        int ch = (height + 1) / 2;
        return new Mp4vPicture(width, height, cropPlane(y, lumaStride, width, height),
                cropPlane(u, chromaStride, cw, ch), cropPlane(v, chromaStride, cw, ch),
                keyFrame, damaged, timeTicks, ticksPerSecond);
    }

    private static byte[] cropPlane(byte[] plane, int stride, int w, int h) {
        byte[] out = new byte[w * h];
        for (int r = 0; r < h; r++) {
            System.arraycopy(plane, r * stride, out, r * w, w);
        }
        return out;
    }
}
