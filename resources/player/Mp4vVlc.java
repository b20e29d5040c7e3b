/**
 * The variable length codes of macroblock headers, looked up in one step:
 * each table maps every possible next `bits`-bit word to the code's value
 * and length (entry = value << 8 | length; 0 = no such code).
 */
final class Mp4vVlc {

    private Mp4vVlc() {
    }

    /** Value of an intra MCBPC code: (intraQ ? 4 : 0) + chroma cbp; 8 is stuffing. */
    static final int MCBPC_STUFFING_INTRA = 8;
    /** Value of an inter MCBPC code: kind * 4 + chroma cbp, kinds below; 20 is stuffing. */
    static final int KIND_INTER = 0;
    static final int KIND_INTRA = 1;
    static final int KIND_INTER_Q = 2;
    static final int KIND_INTRA_Q = 3;
    static final int KIND_INTER_4V = 4;
    static final int MCBPC_STUFFING_INTER = 20;

    static final int MCBPC_BITS = 9;
    static final int CBPY_BITS = 6;
    static final int MV_BITS = 12;
    static final int DC_SIZE_BITS = 12;

    static final int[] MCBPC_INTRA = build(MCBPC_BITS,
            new int[] {1, 1, 2, 3, 1, 1, 2, 3, 1},
            new int[] {1, 3, 3, 3, 4, 6, 6, 6, 9});

    static final int[] MCBPC_INTER = build(MCBPC_BITS,
            new int[] {1, 3, 2, 5, 3, 4, 3, 3, 3, 7, 6, 5, 4, 4, 3, 2, 2, 5, 4, 5, 1},
            new int[] {1, 4, 4, 6, 5, 8, 8, 7, 3, 7, 7, 9, 6, 9, 9, 9, 3, 7, 7, 8, 9});

    /** Coded block pattern of the four luma blocks, as for intra macroblocks. */
    static final int[] CBPY = build(CBPY_BITS,
            new int[] {3, 5, 4, 9, 3, 7, 2, 11, 2, 3, 5, 10, 4, 8, 6, 3},
            new int[] {4, 5, 5, 4, 5, 4, 6, 4, 5, 6, 4, 4, 4, 4, 4, 2});

    /** Magnitude class of a motion vector difference, 0..32. */
    static final int[] MV = build(MV_BITS,
            new int[] {1, 1, 1, 1, 3, 5, 4, 3, 11, 10, 9, 17, 16, 15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5,
                4, 7, 6, 5, 4, 3, 2, 3, 2},
            new int[] {1, 2, 3, 4, 6, 7, 7, 7, 9, 9, 9, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10,
                10, 11, 11, 11, 11, 11, 11, 12, 12});

    /** Size in bits of an intra luma DC difference. */
    static final int[] DC_SIZE_LUMA = build(DC_SIZE_BITS,
            new int[] {3, 3, 2, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1},
            new int[] {3, 2, 2, 3, 3, 4, 5, 6, 7, 8, 9, 10, 11});

    /** Size in bits of an intra chroma DC difference. */
    static final int[] DC_SIZE_CHROMA = build(DC_SIZE_BITS,
            new int[] {3, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1},
            new int[] {2, 2, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});

    /** Code i has value i. */
    static int[] build(int bits, int[] codes, int[] lengths) {
        int[] values = new int[codes.length];
        for (int i = 0; i < values.length; i++) {
            values[i] = i;
        }
        return build(bits, codes, lengths, values);
    }

    static int[] build(int bits, int[] codes, int[] lengths, int[] values) {
        int[] table = new int[1 << bits];
        for (int i = 0; i < codes.length; i++) {
            int shift = bits - lengths[i];
            int first = codes[i] << shift;
            for (int j = 0; j < (1 << shift); j++) {
                table[first + j] = (values[i] << 8) | lengths[i];
            }
        }
        return table;
    }

    static int read(Mp4vBits in, int[] table, int bits) {
        int e = table[in.peek(bits)];
        if (e == 0) {
            throw Mp4vDamage.INSTANCE;
        }
        in.skip(e & 0xff);
        return e >>> 8;
    }
}
