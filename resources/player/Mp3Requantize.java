/**
 * Turns quantised values into spectral amplitudes: |v|^(4/3) times the
 * band's gain 2^((global_gain - 210 - 8 * subblock_gain - scale factor
 * steps) / 4). Short blocks come out reordered so that the three windows
 * of each frequency line sit next to each other (line * 3 + window), the
 * order the inverse transform takes them in.
 */
final class Mp3Requantize {

    private static final int MAX_MAGNITUDE = 8206;   // 15 plus 13 escape bits
    private static final float[] POW43 = new float[MAX_MAGNITUDE + 1];
    private static final int GAIN_OFFSET = 420;
    private static final float[] GAIN = new float[GAIN_OFFSET + 64];

    static {
        for (int i = 0; i < POW43.length; i++) {
            POW43[i] = (float) Math.pow(i, 4.0 / 3.0);
        }
        for (int i = 0; i < GAIN.length; i++) {
            GAIN[i] = (float) Math.pow(2.0, (i - GAIN_OFFSET) / 4.0);
        }
    }

    private Mp3Requantize() {
    }

    static void run(int[] quantised, Mp3Granule g, int rateIndex, float[] out) {
        int[] longBands = Mp3Bands.LONG[rateIndex];
        int shift = g.scalefacScale ? 4 : 2;   // quarter steps per scale factor unit
        int base = g.globalGain - 210;
        if (!g.shortBlocks()) {
            for (int sfb = 0; sfb < 22; sfb++) {
                int sf = g.scalefacLong[sfb] + (g.preflag ? Mp3Bands.PRETAB[sfb] : 0);
                scaleRun(quantised, out, longBands[sfb], longBands[sfb + 1], gain(base - shift * sf));
            }
            return;
        }
        int firstShort = 0;
        if (g.mixedBlock) {
            int longCount = Mp3Bands.mixedLongBands(rateIndex);
            for (int sfb = 0; sfb < longCount; sfb++) {
                int sf = g.scalefacLong[sfb] + (g.preflag ? Mp3Bands.PRETAB[sfb] : 0);
                scaleRun(quantised, out, longBands[sfb], longBands[sfb + 1], gain(base - shift * sf));
            }
            firstShort = Mp3Bands.MIXED_FIRST_SHORT_BAND;
            // Lines between the long part and the first short band (only at 8 kHz) stay silent.
            for (int i = longBands[longCount]; i < Mp3Bands.SHORT[rateIndex][firstShort] * 3; i++) {
                out[i] = 0;
            }
        }
        int[] shortBands = Mp3Bands.SHORT[rateIndex];
        for (int sfb = firstShort; sfb < 13; sfb++) {
            int width = shortBands[sfb + 1] - shortBands[sfb];
            int start = shortBands[sfb] * 3;
            for (int w = 0; w < 3; w++) {
                float gain = gain(base - 8 * g.subblockGain[w] - shift * g.scalefacShort[sfb * 3 + w]);
                int in = start + w * width;
                int o = start + w;
                for (int f = 0; f < width; f++, o += 3) {
                    out[o] = amplitude(quantised[in + f], gain);
                }
            }
        }
    }

    private static void scaleRun(int[] quantised, float[] out, int from, int to, float gain) {
        for (int i = from; i < to; i++) {
            out[i] = amplitude(quantised[i], gain);
        }
    }

    private static float amplitude(int v, float gain) {
        if (v == 0) {
            return 0;
        }
        if (v > 0) {
            return POW43[Math.min(v, MAX_MAGNITUDE)] * gain;
        }
        return -POW43[Math.min(-v, MAX_MAGNITUDE)] * gain;
    }

    private static float gain(int quarterSteps) {
        int i = quarterSteps + GAIN_OFFSET;
        return GAIN[i < 0 ? 0 : i >= GAIN.length ? GAIN.length - 1 : i];
    }
}
