/**
 * Reads bits, most significant first, from a private copy of one decode
 * unit. The copy carries a few zero bytes after the data so that peeks near
 * the end need no bounds test of their own; reading further than that is
 * damage.
 */
final class Mp4vBits {

    private static final int PADDING = 8;

    private byte[] buf = new byte[4096];
    private int lengthBytes;
    private int pos;

    void reset(byte[] data, int offset, int length) {
        if (buf.length < length + PADDING) {
            buf = new byte[(length + PADDING) * 5 / 4];
        }
        System.arraycopy(data, offset, buf, 0, length);
        for (int i = length; i < length + PADDING; i++) {
            buf[i] = 0;
        }
        lengthBytes = length;
        pos = 0;
    }

    /** The next n bits (1..25) without consuming them. */
    int peek(int n) {
        int i = pos >>> 3;
        if (i > lengthBytes + 3) {
            throw Mp4vDamage.INSTANCE;
        }
        byte[] b = buf;
        int w = (b[i] << 24) | ((b[i + 1] & 0xff) << 16) | ((b[i + 2] & 0xff) << 8) | (b[i + 3] & 0xff);
        return (w << (pos & 7)) >>> (32 - n);
    }

    void skip(int n) {
        pos += n;
    }

    /** Reads n bits, 1..25. */
    int read(int n) {
        int v = peek(n);
        pos += n;
        return v;
    }

    int bit() {
        int v = peek(1);
        pos++;
        return v;
    }

    /** A marker bit; encoders set it to 1, a 0 means the data is damaged. */
    void marker() {
        if (bit() != 1) {
            throw Mp4vDamage.INSTANCE;
        }
    }

    /** Fails when the data has been read past its end. */
    void checkOverrun() {
        if (pos > lengthBytes * 8) {
            throw Mp4vDamage.INSTANCE;
        }
    }

    /** Skips the stuffing before a byte boundary: a 0 and up to seven 1s, a whole byte when aligned. */
    void skipStuffing() {
        pos += 8 - (pos & 7);
    }

    /**
     * Moves to the first start code prefix (00 00 01) at or after the current
     * byte-aligned position and returns the byte that follows it, leaving the
     * position after that byte; -1 (position at the end) when there is none.
     */
    int nextStartCode() {
        int i = (pos + 7) >>> 3;
        byte[] b = buf;
        int end = lengthBytes - 3;
        while (i <= end) {
            if (b[i + 2] > 1) {
                i += 3;
            } else if (b[i] == 0 && b[i + 1] == 0 && b[i + 2] == 1) {
                pos = (i + 4) * 8;
                return b[i + 3] & 0xff;
            } else {
                i++;
            }
        }
        pos = lengthBytes * 8;
        return -1;
    }

    /**
     * True when what remains before the next byte boundary is stuffing (a 0
     * followed by ones) and the aligned bits after it start with `prefixZeros`
     * zero bits and a one: a resync marker of that length.
     */
    boolean atResyncMarker(int prefixZeros) {
        int toAlign = 8 - (pos & 7);
        if (peek(toAlign) != (1 << (toAlign - 1)) - 1) {
            return false;
        }
        int save = pos;
        pos += toAlign;
        boolean marker = pos + prefixZeros + 1 <= lengthBytes * 8 && peek(prefixZeros + 1) == 1;
        pos = save;
        return marker;
    }
}
