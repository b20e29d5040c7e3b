import java.awt.image.BufferedImage;
import java.awt.image.DataBufferInt;

/**
 * A decoded picture turned into an image to paint: studio-range BT.601
 * luma and chroma to full-range RGB, each chroma sample covering two by two
 * pixels. Done on the decoding thread so that painting only copies.
 */
final class PictureImage {

    private PictureImage() {
    }

    static BufferedImage of(Mp4vPicture picture) {
        int w = picture.width;
        int h = picture.height;
        BufferedImage image = new BufferedImage(w, h, BufferedImage.TYPE_INT_RGB);
        int[] rgb = ((DataBufferInt) image.getRaster().getDataBuffer()).getData();
        int cw = (w + 1) / 2;
        byte[] ys = picture.y;
        byte[] us = picture.u;
        byte[] vs = picture.v;
        for (int row = 0; row < h; row++) {
            int c = (row >> 1) * cw;
            int p = row * w;
            for (int x = 0; x < w; x += 2) {
                // One chroma sample's share, for the two pixels of this row it covers.
                int u = (us[c + (x >> 1)] & 0xFF) - 128;
                int v = (vs[c + (x >> 1)] & 0xFF) - 128;
                int rv = 409 * v + 128;
                int guv = -100 * u - 208 * v + 128;
                int bu = 516 * u + 128;
                int y = 298 * ((ys[p + x] & 0xFF) - 16);
                rgb[p + x] = clamp((y + rv) >> 8) << 16 | clamp((y + guv) >> 8) << 8 | clamp((y + bu) >> 8);
                if (x + 1 < w) {
                    y = 298 * ((ys[p + x + 1] & 0xFF) - 16);
                    rgb[p + x + 1] = clamp((y + rv) >> 8) << 16 | clamp((y + guv) >> 8) << 8 | clamp((y + bu) >> 8);
                }
            }
        }
        return image;
    }

    /** Whether the picture's planes are as large as its size says; a decoder fault otherwise. */
    static boolean wellFormed(Mp4vPicture picture) {
        int w = picture.width;
        int h = picture.height;
        int chroma = ((w + 1) / 2) * ((h + 1) / 2);
        return w > 0 && h > 0 && picture.y != null && picture.u != null && picture.v != null
                && picture.y.length >= w * h && picture.u.length >= chroma && picture.v.length >= chroma;
    }

    private static int clamp(int value) {
        return value < 0 ? 0 : value > 255 ? 255 : value;
    }
}
