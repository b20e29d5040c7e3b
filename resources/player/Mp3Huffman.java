/**
 * Decodes a granule's quantised spectrum: the big-values region in pairs
 * through the code books its three regions select (with escape bits for
 * values of 15 and more), then quadruples of magnitude 0 or 1 until the
 * granule's bits run out.
 */
final class Mp3Huffman {

    /** Escape bits of table numbers 16..31. */
    private static final int[] LINBITS = {1, 2, 3, 4, 6, 8, 10, 13, 4, 5, 6, 7, 8, 9, 11, 13};

    /** Pair books by table number 0..31; null for 0 (all zero) and the unused numbers 4 and 14. */
    private static final Mp3HuffmanBook[] PAIRS = new Mp3HuffmanBook[32];
    private static final Mp3HuffmanBook QUAD_A;
    private static final Mp3HuffmanBook QUAD_B;

    static {
        pair(1, 2, Mp3HuffmanTables.CODES_1, Mp3HuffmanTables.LENGTHS_1);
        pair(2, 3, Mp3HuffmanTables.CODES_2, Mp3HuffmanTables.LENGTHS_2);
        pair(3, 3, Mp3HuffmanTables.CODES_3, Mp3HuffmanTables.LENGTHS_3);
        pair(5, 4, Mp3HuffmanTables.CODES_5, Mp3HuffmanTables.LENGTHS_5);
        pair(6, 4, Mp3HuffmanTables.CODES_6, Mp3HuffmanTables.LENGTHS_6);
        pair(7, 6, Mp3HuffmanTables.CODES_7, Mp3HuffmanTables.LENGTHS_7);
        pair(8, 6, Mp3HuffmanTables.CODES_8, Mp3HuffmanTables.LENGTHS_8);
        pair(9, 6, Mp3HuffmanTables.CODES_9, Mp3HuffmanTables.LENGTHS_9);
        pair(10, 8, Mp3HuffmanTables.CODES_10, Mp3HuffmanTables.LENGTHS_10);
        pair(11, 8, Mp3HuffmanTables.CODES_11, Mp3HuffmanTables.LENGTHS_11);
        pair(12, 8, Mp3HuffmanTables.CODES_12, Mp3HuffmanTables.LENGTHS_12);
        pair(13, 16, Mp3HuffmanTables.CODES_13, Mp3HuffmanTables.LENGTHS_13);
        pair(15, 16, Mp3HuffmanTables.CODES_15, Mp3HuffmanTables.LENGTHS_15);
        pair(16, 16, Mp3HuffmanTables.CODES_16, Mp3HuffmanTables.LENGTHS_16);
        pair(24, 16, Mp3HuffmanTables.CODES_24, Mp3HuffmanTables.LENGTHS_24);
        for (int t = 17; t < 32; t++) {
            if (t != 24) {
                PAIRS[t] = PAIRS[t < 24 ? 16 : 24];
            }
        }
        int[] identity = new int[16];
        for (int i = 0; i < 16; i++) {
            identity[i] = i;
        }
        QUAD_A = new Mp3HuffmanBook(Mp3HuffmanTables.CODES_QUAD_A, Mp3HuffmanTables.LENGTHS_QUAD_A, identity);
        QUAD_B = new Mp3HuffmanBook(Mp3HuffmanTables.CODES_QUAD_B, Mp3HuffmanTables.LENGTHS_QUAD_B, identity);
    }

    private Mp3Huffman() {
    }

    /** Symbols are x * 16 + y whatever the book's size. */
    private static void pair(int table, int size, int[] codes, int[] lengths) {
        int[] symbols = new int[size * size];
        for (int i = 0; i < symbols.length; i++) {
            symbols[i] = (i / size) << 4 | (i % size);
        }
        PAIRS[table] = new Mp3HuffmanBook(codes, lengths, symbols);
    }

    /**
     * Decodes the spectrum of g from the reader's position up to bit position end into out (576 values,
     * all written) and sets g.nonZeroEnd. False when the data cannot belong to this granule.
     */
    static boolean decode(Mp3Bits bits, Mp3Granule g, int end, int[] out) {
        int bigEnd = g.bigValues * 2;
        int i = 0;
        for (int region = 0; region < 3; region++) {
            int regionEnd = Math.min(bigEnd, region == 0 ? g.region1Start : region == 1 ? g.region2Start : 576);
            if (i >= regionEnd) {
                continue;
            }
            int table = g.tableSelect[region];
            if (table == 0) {
                while (i < regionEnd) {
                    out[i++] = 0;
                }
                continue;
            }
            Mp3HuffmanBook book = PAIRS[table];
            if (book == null) {
                return false;
            }
            int linbits = table >= 16 ? LINBITS[table - 16] : 0;
            for (; i < regionEnd; i += 2) {
                int symbol = book.decode(bits);
                out[i] = value(bits, symbol >>> 4, linbits);
                out[i + 1] = value(bits, symbol & 15, linbits);
            }
        }
        if (bits.position() > end) {
            return false;
        }
        i = decodeQuadruples(bits, g.count1Table == 0 ? QUAD_A : QUAD_B, Math.max(i, bigEnd), end, out);
        g.nonZeroEnd = i;
        while (i < 576) {
            out[i++] = 0;
        }
        return true;
    }

    private static int value(Mp3Bits bits, int magnitude, int linbits) {
        if (magnitude == 15 && linbits > 0) {
            magnitude += bits.read(linbits);
        }
        if (magnitude != 0 && bits.readFlag()) {
            return -magnitude;
        }
        return magnitude;
    }

    /** The count1 region from line i; returns the line after the last one it set. */
    private static int decodeQuadruples(Mp3Bits bits, Mp3HuffmanBook book, int i, int end, int[] out) {
        while (i + 4 <= 576 && bits.position() < end) {
            int symbol = book.decode(bits);
            for (int k = 0; k < 4; k++) {
                out[i + k] = value(bits, symbol >>> (3 - k) & 1, 0);
            }
            if (bits.position() > end) {
                // The last code ran past the granule: it was padding, not a quadruple.
                out[i] = out[i + 1] = out[i + 2] = out[i + 3] = 0;
                break;
            }
            i += 4;
        }
        return i;
    }
}
