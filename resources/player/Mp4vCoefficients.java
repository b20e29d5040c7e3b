/**
 * Reads the run/level/last events of one 8x8 block (the intra and the
 * inter table, each with its three escape forms) and places the quantised
 * levels along a scan order.
 */
final class Mp4vCoefficients {

    private Mp4vCoefficients() {
    }

    private static final int BITS = 12;
    private static final int ESCAPE = 1 << 17;

    private static final int[] INTRA_CODES = {
        0x2, 0x6, 0xf, 0xd, 0xc, 0x15, 0x13, 0x12, 0x17, 0x1f, 0x1e, 0x1d, 0x25, 0x24, 0x23, 0x21,
        0x21, 0x20, 0xf, 0xe, 0x7, 0x6, 0x20, 0x21, 0x50, 0x51, 0x52, 0xe, 0x14, 0x16, 0x1c, 0x20,
        0x1f, 0xd, 0x22, 0x53, 0x55, 0xb, 0x15, 0x1e, 0xc, 0x56, 0x11, 0x1b, 0x1d, 0xb, 0x10, 0x22,
        0xa, 0xd, 0x1c, 0x8, 0x12, 0x1b, 0x54, 0x14, 0x1a, 0x57, 0x19, 0x9, 0x18, 0x23, 0x17, 0x19,
        0x18, 0x7, 0x58, 0x7, 0xc, 0x16, 0x17, 0x6, 0x5, 0x4, 0x59, 0xf, 0x16, 0x5, 0xe, 0x4,
        0x11, 0x24, 0x10, 0x25, 0x13, 0x5a, 0x15, 0x5b, 0x14, 0x13, 0x1a, 0x15, 0x14, 0x13, 0x12, 0x11,
        0x26, 0x27, 0x5c, 0x5d, 0x5e, 0x5f, 0x3,
    };
    private static final int[] INTRA_LENGTHS = {
        2, 3, 4, 5, 5, 6, 6, 6, 7, 8, 8, 8, 9, 9, 9, 9,
        10, 10, 10, 10, 11, 11, 11, 11, 12, 12, 12, 4, 6, 7, 8, 9,
        9, 10, 11, 12, 12, 5, 7, 9, 10, 12, 6, 8, 9, 10, 6, 9,
        10, 6, 9, 10, 7, 9, 12, 7, 9, 12, 8, 10, 8, 11, 8, 9,
        9, 10, 12, 4, 6, 8, 9, 10, 11, 11, 12, 6, 9, 10, 6, 10,
        7, 11, 7, 11, 7, 12, 8, 12, 8, 8, 8, 9, 9, 9, 9, 9,
        11, 11, 12, 12, 12, 12, 7,
    };
    private static final int[] INTRA_RUNS = {
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1,
        1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4,
        4, 5, 5, 5, 6, 6, 6, 7, 7, 7, 8, 8, 9, 9, 10, 11,
        12, 13, 14, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 2, 2,
        3, 3, 4, 4, 5, 5, 6, 6, 7, 8, 9, 10, 11, 12, 13, 14,
        15, 16, 17, 18, 19, 20,
    };
    private static final int[] INTRA_LEVELS = {
        1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16,
        17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 1, 2, 3, 4, 5,
        6, 7, 8, 9, 10, 1, 2, 3, 4, 5, 1, 2, 3, 4, 1, 2,
        3, 1, 2, 3, 1, 2, 3, 1, 2, 3, 1, 2, 1, 2, 1, 1,
        1, 1, 1, 1, 2, 3, 4, 5, 6, 7, 8, 1, 2, 3, 1, 2,
        1, 2, 1, 2, 1, 2, 1, 2, 1, 1, 1, 1, 1, 1, 1, 1,
        1, 1, 1, 1, 1, 1,
    };
    private static final int INTRA_FIRST_LAST = 67;

    private static final int[] INTER_CODES = {
        0x2, 0xf, 0x15, 0x17, 0x1f, 0x25, 0x24, 0x21, 0x20, 0x7, 0x6, 0x20, 0x6, 0x14, 0x1e, 0xf,
        0x21, 0x50, 0xe, 0x1d, 0xe, 0x51, 0xd, 0x23, 0xd, 0xc, 0x22, 0x52, 0xb, 0xc, 0x53, 0x13,
        0xb, 0x54, 0x12, 0xa, 0x11, 0x9, 0x10, 0x8, 0x16, 0x55, 0x15, 0x14, 0x1c, 0x1b, 0x21, 0x20,
        0x1f, 0x1e, 0x1d, 0x1c, 0x1b, 0x1a, 0x22, 0x23, 0x56, 0x57, 0x7, 0x19, 0x5, 0xf, 0x4, 0xe,
        0xd, 0xc, 0x13, 0x12, 0x11, 0x10, 0x1a, 0x19, 0x18, 0x17, 0x16, 0x15, 0x14, 0x13, 0x18, 0x17,
        0x16, 0x15, 0x14, 0x13, 0x12, 0x11, 0x7, 0x6, 0x5, 0x4, 0x24, 0x25, 0x26, 0x27, 0x58, 0x59,
        0x5a, 0x5b, 0x5c, 0x5d, 0x5e, 0x5f, 0x3,
    };
    private static final int[] INTER_LENGTHS = {
        2, 4, 6, 7, 8, 9, 9, 10, 10, 11, 11, 11, 3, 6, 8, 10,
        11, 12, 4, 8, 10, 12, 5, 9, 10, 5, 9, 12, 5, 10, 12, 6,
        10, 12, 6, 10, 6, 10, 6, 10, 7, 12, 7, 7, 8, 8, 9, 9,
        9, 9, 9, 9, 9, 9, 11, 11, 12, 12, 4, 9, 11, 6, 11, 6,
        6, 6, 7, 7, 7, 7, 8, 8, 8, 8, 8, 8, 8, 8, 9, 9,
        9, 9, 9, 9, 9, 9, 10, 10, 10, 10, 11, 11, 11, 11, 12, 12,
        12, 12, 12, 12, 12, 12, 7,
    };
    private static final int[] INTER_RUNS = {
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1,
        1, 1, 2, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5, 5, 5, 6,
        6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 12, 13, 14, 15, 16,
        17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 0, 0, 0, 1, 1, 2,
        3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18,
        19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34,
        35, 36, 37, 38, 39, 40,
    };
    private static final int[] INTER_LEVELS = {
        1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 1, 2, 3, 4,
        5, 6, 1, 2, 3, 4, 1, 2, 3, 1, 2, 3, 1, 2, 3, 1,
        2, 3, 1, 2, 1, 2, 1, 2, 1, 2, 1, 1, 1, 1, 1, 1,
        1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 3, 1, 2, 1,
        1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
        1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
        1, 1, 1, 1, 1, 1,
    };
    private static final int INTER_FIRST_LAST = 58;

    /** One table of events: its lookup and its largest level per run and run per level. */
    private static final class Table {
        final int[] lookup;
        final int[][] maxLevel = new int[2][64];
        final int[][] maxRun = new int[2][64];

        Table(int[] codes, int[] lengths, int[] runs, int[] levels, int firstLast) {
            int n = runs.length;
            int[] entries = new int[codes.length];
            for (int i = 0; i < n; i++) {
                int last = i >= firstLast ? 1 : 0;
                entries[i] = (last << 16) | (runs[i] << 10) | (levels[i] << 5);
                maxLevel[last][runs[i]] = Math.max(maxLevel[last][runs[i]], levels[i]);
                maxRun[last][levels[i]] = Math.max(maxRun[last][levels[i]], runs[i]);
            }
            entries[n] = ESCAPE;
            lookup = new int[1 << BITS];
            for (int i = 0; i < codes.length; i++) {
                int shift = BITS - lengths[i];
                int first = codes[i] << shift;
                for (int j = 0; j < (1 << shift); j++) {
                    lookup[first + j] = entries[i] | lengths[i];
                }
            }
        }
    }

    private static final Table INTRA = new Table(INTRA_CODES, INTRA_LENGTHS, INTRA_RUNS, INTRA_LEVELS,
            INTRA_FIRST_LAST);
    private static final Table INTER = new Table(INTER_CODES, INTER_LENGTHS, INTER_RUNS, INTER_LEVELS,
            INTER_FIRST_LAST);

    /**
     * Reads the events of one block from scan position `first` on, storing
     * each level at block[offset + scan[position]] and that raster position
     * in `positions`. Returns how many levels were stored.
     */
    static int read(Mp4vBits in, boolean intra, int[] scan, int first, int[] block, int offset, int[] positions) {
        Table table = intra ? INTRA : INTER;
        int[] lookup = table.lookup;
        int i = first;
        int count = 0;
        for (;;) {
            int e = lookup[in.peek(BITS)];
            if (e == 0) {
                throw Mp4vDamage.INSTANCE;
            }
            in.skip(e & 31);
            int level;
            if ((e & ESCAPE) != 0) {
                int form = in.peek(2);
                if (form == 3) {
                    in.skip(2);
                    int last = in.bit();
                    int run = in.read(6);
                    in.marker();
                    level = (in.read(12) << 20) >> 20;
                    in.marker();
                    if (level == 0) {
                        throw Mp4vDamage.INSTANCE;
                    }
                    e = (last << 16) | (run << 10);
                } else {
                    in.skip(form == 2 ? 2 : 1);
                    e = lookup[in.peek(BITS)];
                    if (e == 0 || (e & ESCAPE) != 0) {
                        throw Mp4vDamage.INSTANCE;
                    }
                    in.skip(e & 31);
                    int last = (e >>> 16) & 1;
                    int run = (e >>> 10) & 63;
                    level = (e >>> 5) & 31;
                    if (form == 2) {
                        run += table.maxRun[last][level] + 1;
                        e = (last << 16) | (run << 10);
                    } else {
                        level += table.maxLevel[last][run];
                    }
                    if (in.bit() != 0) {
                        level = -level;
                    }
                }
            } else {
                level = (e >>> 5) & 31;
                if (in.bit() != 0) {
                    level = -level;
                }
            }
            i += (e >>> 10) & 63;
            if (i > 63) {
                throw Mp4vDamage.INSTANCE;
            }
            int pos = scan[i];
            block[offset + pos] = level;
            positions[count++] = pos;
            i++;
            if ((e & (1 << 16)) != 0) {
                return count;
            }
        }
    }
}
