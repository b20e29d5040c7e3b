/**
 * One Huffman code book as nested lookup tables: the first up to 8 bits
 * index a table whose entries either give the symbol and the bits it used,
 * or point to a table for the next bits. Built once from (code, length)
 * lists; read-only afterwards.
 */
final class Mp3HuffmanBook {

    private static final int LEVEL_BITS = 8;
    private static final int SUBTABLE = 0x80000000;

    private int[] lut = new int[256];
    private int used;
    private final int rootBits;

    /** symbols[i] is what code i stands for. */
    Mp3HuffmanBook(int[] codes, int[] lengths, int[] symbols) {
        int[] all = new int[codes.length];
        for (int i = 0; i < all.length; i++) {
            all[i] = i;
        }
        int root = buildLevel(codes, lengths, symbols, all, all.length, 0);
        rootBits = root >>> 24 & 0x7F;
        int[] trimmed = new int[used];
        System.arraycopy(lut, 0, trimmed, 0, used);
        lut = trimmed;
    }

    /** The symbol of the code at the reader's position, consuming exactly its bits. */
    int decode(Mp3Bits bits) {
        int base = 0;
        int k = rootBits;
        while (true) {
            int e = lut[base + bits.peek(k)];
            if (e >= 0) {
                bits.skip(e >>> 16);
                return e & 0xFFFF;
            }
            bits.skip(k);
            k = e >>> 24 & 0x7F;
            base = e & 0xFFFFFF;
        }
    }

    /** Builds the table for the codes in members, whose first `consumed` bits are already read. */
    private int buildLevel(int[] codes, int[] lengths, int[] symbols, int[] members, int count, int consumed) {
        int longest = 1;
        for (int m = 0; m < count; m++) {
            longest = Math.max(longest, lengths[members[m]] - consumed);
        }
        int k = Math.min(longest, LEVEL_BITS);
        int base = allocate(1 << k);
        int[][] groups = new int[1 << k][];
        int[] groupSizes = new int[1 << k];
        for (int m = 0; m < count; m++) {
            int i = members[m];
            int rest = lengths[i] - consumed;
            int restCode = codes[i] & ((1 << rest) - 1);
            if (rest <= k) {
                int first = restCode << (k - rest);
                for (int j = 0; j < 1 << (k - rest); j++) {
                    lut[base + first + j] = rest << 16 | symbols[i];
                }
            } else {
                int top = restCode >>> (rest - k);
                if (groups[top] == null) {
                    groups[top] = new int[count];
                }
                groups[top][groupSizes[top]++] = i;
            }
        }
        for (int top = 0; top < groups.length; top++) {
            if (groups[top] != null) {
                // Built first: building may replace lut with a larger copy.
                int sub = buildLevel(codes, lengths, symbols, groups[top], groupSizes[top], consumed + k);
                lut[base + top] = SUBTABLE | sub;
            }
        }
        return k << 24 | base;
    }

    private int allocate(int n) {
        while (used + n > lut.length) {
            int[] bigger = new int[lut.length * 2];
            System.arraycopy(lut, 0, bigger, 0, used);
            lut = bigger;
        }
        int base = used;
        used += n;
        return base;
    }
}
