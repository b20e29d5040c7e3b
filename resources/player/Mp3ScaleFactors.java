/**
 * Reads the scale factors at the start of a granule's main data: MPEG-1's
 * two bit widths with the second granule sharing groups of bands with the
 * first, or the four band groups of the low sampling rates, whose widths
 * are packed into scalefac_compress (differently for the intensity-coded
 * right channel).
 */
final class Mp3ScaleFactors {

    private static final int[] SLEN1 = {0, 0, 0, 0, 3, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4};
    private static final int[] SLEN2 = {0, 1, 2, 3, 0, 1, 2, 3, 1, 2, 3, 1, 2, 3, 2, 3};
    /** Long-block band groups that one scfsi flag covers. */
    private static final int[] GROUP_START = {0, 6, 11, 16, 21};

    /** Values per width group: [compression case][long, short, mixed][group]. */
    private static final int[][][] LSF_COUNTS = {
        {{6, 5, 5, 5}, {9, 9, 9, 9}, {6, 9, 9, 9}},
        {{6, 5, 7, 3}, {9, 9, 12, 6}, {6, 9, 12, 6}},
        {{11, 10, 0, 0}, {18, 18, 0, 0}, {15, 18, 0, 0}},
        {{7, 7, 7, 0}, {12, 12, 12, 0}, {6, 15, 12, 0}},
        {{6, 6, 6, 3}, {12, 9, 9, 6}, {6, 12, 9, 6}},
        {{8, 8, 5, 0}, {15, 12, 9, 0}, {6, 18, 9, 0}},
    };

    private final int[] slen = new int[4];
    private final int[] values = new int[40];

    /** MPEG-1: granule gr of channel ch; first is the same channel's granule 0. */
    void readMpeg1(Mp3Bits bits, Mp3Granule g, Mp3Granule first, boolean[] scfsi, int gr) {
        int slen1 = SLEN1[g.scalefacCompress];
        int slen2 = SLEN2[g.scalefacCompress];
        if (g.shortBlocks()) {
            int sfb = 0;
            if (g.mixedBlock) {
                for (int b = 0; b < 8; b++) {
                    g.scalefacLong[b] = bits.read(slen1);
                }
                sfb = Mp3Bands.MIXED_FIRST_SHORT_BAND;
            }
            for (; sfb < 12; sfb++) {
                int width = sfb < 6 ? slen1 : slen2;
                for (int w = 0; w < 3; w++) {
                    g.scalefacShort[sfb * 3 + w] = bits.read(width);
                }
            }
            clearLastShortBand(g);
            return;
        }
        for (int group = 0; group < 4; group++) {
            boolean shared = gr == 1 && scfsi[group];
            int width = group < 2 ? slen1 : slen2;
            for (int b = GROUP_START[group]; b < GROUP_START[group + 1]; b++) {
                g.scalefacLong[b] = shared ? first.scalefacLong[b] : bits.read(width);
            }
        }
        g.scalefacLong[21] = 0;
    }

    /** MPEG-2 and MPEG-2.5; intensityRight for the right channel of an intensity-coded frame. */
    void readLsf(Mp3Bits bits, Mp3Granule g, boolean intensityRight) {
        int caseIndex = unpackWidths(g, intensityRight);
        int layout = !g.shortBlocks() ? 0 : g.mixedBlock ? 2 : 1;
        int[] counts = LSF_COUNTS[caseIndex][layout];
        int n = 0;
        for (int group = 0; group < 4; group++) {
            for (int i = 0; i < counts[group]; i++) {
                values[n++] = bits.read(slen[group]);
            }
        }
        while (n < values.length) {
            values[n++] = 0;
        }
        distribute(g);
    }

    /** Fills slen from scalefac_compress and sets the preemphasis flag; returns the LSF_COUNTS case. */
    private int unpackWidths(Mp3Granule g, boolean intensityRight) {
        int sfc = g.scalefacCompress;
        g.preflag = false;
        if (!intensityRight) {
            if (sfc < 400) {
                set((sfc >> 4) / 5, (sfc >> 4) % 5, (sfc & 15) >> 2, sfc & 3);
                return 0;
            }
            if (sfc < 500) {
                sfc -= 400;
                set((sfc >> 2) / 5, (sfc >> 2) % 5, sfc & 3, 0);
                return 1;
            }
            sfc -= 500;
            set(sfc / 3, sfc % 3, 0, 0);
            g.preflag = true;
            return 2;
        }
        int half = sfc >> 1;
        if (half < 180) {
            set(half / 36, (half % 36) / 6, half % 6, 0);
            return 3;
        }
        if (half < 244) {
            half -= 180;
            set((half & 63) >> 4, (half & 15) >> 2, half & 3, 0);
            return 4;
        }
        half -= 244;
        set(half / 3, half % 3, 0, 0);
        return 5;
    }

    private void set(int a, int b, int c, int d) {
        slen[0] = a;
        slen[1] = b;
        slen[2] = c;
        slen[3] = d;
    }

    /** Spreads the values read in order over long bands, then (band, window) pairs. */
    private void distribute(Mp3Granule g) {
        int n = 0;
        if (!g.shortBlocks()) {
            for (int b = 0; b < 21; b++) {
                g.scalefacLong[b] = values[n++];
            }
            g.scalefacLong[21] = 0;
            return;
        }
        int firstShort = 0;
        if (g.mixedBlock) {
            for (int b = 0; b < 6; b++) {
                g.scalefacLong[b] = values[n++];
            }
            firstShort = Mp3Bands.MIXED_FIRST_SHORT_BAND;
        }
        for (int i = firstShort * 3; i < 36; i++) {
            g.scalefacShort[i] = values[n++];
        }
        clearLastShortBand(g);
    }

    private static void clearLastShortBand(Mp3Granule g) {
        g.scalefacShort[36] = 0;
        g.scalefacShort[37] = 0;
        g.scalefacShort[38] = 0;
    }
}
