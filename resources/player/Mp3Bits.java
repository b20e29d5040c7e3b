/**
 * Reads bits, most significant first, from a byte array. Reading past the
 * limit yields zero bits and sets the overrun flag rather than throwing, so
 * that damaged data is noticed once per granule instead of per read.
 */
final class Mp3Bits {

    private byte[] data;
    private int position;   // in bits
    private int limit;      // in bits

    void reset(byte[] bytes, int byteOffset, int byteLimit) {
        data = bytes;
        position = byteOffset * 8;
        limit = byteLimit * 8;
    }

    int position() {
        return position;
    }

    void seek(int bitPosition) {
        position = bitPosition;
    }

    boolean overrun() {
        return position > limit;
    }

    /** The next n bits (0..24) without consuming them. */
    int peek(int n) {
        if (n == 0) {
            return 0;
        }
        int byteIndex = position >> 3;
        int window = 0;
        int limitBytes = (limit + 7) >> 3;
        for (int i = 0; i < 4; i++) {
            int k = byteIndex + i;
            window = window << 8 | (k < limitBytes ? data[k] & 0xFF : 0);
        }
        return (window << (position & 7)) >>> (32 - n);
    }

    void skip(int n) {
        position += n;
    }

    /** The next n bits (0..24). */
    int read(int n) {
        int v = peek(n);
        position += n;
        return v;
    }

    boolean readFlag() {
        return read(1) != 0;
    }
}
