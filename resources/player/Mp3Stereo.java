/**
 * Joint stereo: mid/side lines become left/right, and above the right
 * channel's last non-zero band the intensity-coded bands are spread from
 * the left channel by their position: a tangent ratio in MPEG-1, powers of
 * 2^-1/4 or 2^-1/2 at the low sampling rates. Bands without intensity
 * coding (and MPEG-1 position 7, which means none) get mid/side if the
 * frame uses it. Works on the reordered spectrum.
 */
final class Mp3Stereo {

    private static final float SQRT_HALF = (float) Math.sqrt(0.5);
    private static final int MPEG1_POSITIONS = 7;
    private static final float[] MPEG1_LEFT = new float[MPEG1_POSITIONS];
    private static final float[] MPEG1_RIGHT = new float[MPEG1_POSITIONS];
    /** [intensity scale][position] for the low sampling rates (positions up to 31). */
    private static final float[][] LSF_LEFT = new float[2][32];
    private static final float[][] LSF_RIGHT = new float[2][32];

    static {
        for (int p = 0; p < MPEG1_POSITIONS; p++) {
            double s = Math.sin(p * Math.PI / 12);
            double c = Math.cos(p * Math.PI / 12);
            MPEG1_LEFT[p] = (float) (s / (s + c));
            MPEG1_RIGHT[p] = (float) (c / (s + c));
        }
        for (int scale = 0; scale < 2; scale++) {
            for (int p = 0; p < 32; p++) {
                double step = Math.pow(2.0, -(scale + 1) / 4.0);
                boolean odd = (p & 1) != 0;
                LSF_LEFT[scale][p] = (float) (odd ? Math.pow(step, (p + 1) >> 1) : 1);
                LSF_RIGHT[scale][p] = (float) (!odd && p > 0 ? Math.pow(step, p >> 1) : 1);
            }
        }
    }

    private final boolean[] windowHasSignal = new boolean[3];

    /** right is the right channel's granule (its scale factors hold the intensity positions). */
    void run(float[] left, float[] rightLines, Mp3Granule right, Mp3Header header) {
        boolean ms = header.msStereo();
        if (!header.intensityStereo()) {
            if (ms) {
                midSide(left, rightLines, 0, 576, 1);
            }
            return;
        }
        int rate = header.rateIndex;
        boolean signalBelow = false;
        int longCount = 22;
        if (right.shortBlocks()) {
            int[] bands = Mp3Bands.SHORT[rate];
            int firstShort = right.mixedBlock ? Mp3Bands.MIXED_FIRST_SHORT_BAND : 0;
            for (int w = 0; w < 3; w++) {
                windowHasSignal[w] = false;
                for (int sfb = 12; sfb >= firstShort; sfb--) {
                    int start = bands[sfb] * 3 + w;
                    int width = bands[sfb + 1] - bands[sfb];
                    int position = right.scalefacShort[(sfb == 12 ? 11 : sfb) * 3 + w];
                    windowHasSignal[w] |= hasSignal(rightLines, start, width, 3);
                    band(left, rightLines, start, width, 3, windowHasSignal[w] ? -1 : position, header, right, ms);
                }
                signalBelow |= windowHasSignal[w];
            }
            if (!right.mixedBlock) {
                return;
            }
            longCount = Mp3Bands.mixedLongBands(rate);
        }
        int[] bands = Mp3Bands.LONG[rate];
        for (int sfb = longCount - 1; sfb >= 0; sfb--) {
            int start = bands[sfb];
            int width = bands[sfb + 1] - start;
            int position = right.scalefacLong[sfb == 21 ? 20 : sfb];
            signalBelow |= hasSignal(rightLines, start, width, 1);
            band(left, rightLines, start, width, 1, signalBelow ? -1 : position, header, right, ms);
        }
    }

    /** One band: intensity from the left channel at position, or (position < 0) plain or mid/side. */
    private static void band(float[] l, float[] r, int start, int width, int stride, int position,
                             Mp3Header header, Mp3Granule right, boolean ms) {
        float kl;
        float kr;
        if (position < 0 || (!header.lsf && position >= MPEG1_POSITIONS)) {
            if (ms) {
                midSide(l, r, start, width, stride);
            }
            return;
        }
        if (header.lsf) {
            int scale = right.scalefacCompress & 1;
            kl = LSF_LEFT[scale][position & 31];
            kr = LSF_RIGHT[scale][position & 31];
        } else {
            kl = MPEG1_LEFT[position];
            kr = MPEG1_RIGHT[position];
        }
        for (int i = 0, k = start; i < width; i++, k += stride) {
            float v = l[k];
            l[k] = v * kl;
            r[k] = v * kr;
        }
    }

    private static boolean hasSignal(float[] lines, int start, int width, int stride) {
        for (int i = 0, k = start; i < width; i++, k += stride) {
            if (lines[k] != 0) {
                return true;
            }
        }
        return false;
    }

    private static void midSide(float[] l, float[] r, int start, int width, int stride) {
        for (int i = 0, k = start; i < width; i++, k += stride) {
            float m = l[k];
            float s = r[k];
            l[k] = (m + s) * SQRT_HALF;
            r[k] = (m - s) * SQRT_HALF;
        }
    }
}
