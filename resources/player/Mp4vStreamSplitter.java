/**
 * Cuts an elementary stream arriving in pieces into decode units. A unit
 * holds any headers (sequence, object, layer, group, user data) and the
 * picture that follows them; it ends where the next unit's first start code
 * begins.
 */
final class Mp4vStreamSplitter {

    private static final int VOP = 0xb6;

    private byte[] buf = new byte[65536];
    private int start;      // first byte of the unit being collected
    private int end;        // bytes held
    private int scan;       // next byte to examine for a start code prefix
    private boolean hasVop; // the unit being collected already holds a picture

    /** Appends the next piece of the stream. */
    void feed(byte[] data, int offset, int length) {
        if (length <= 0) {
            return;
        }
        if (end + length > buf.length) {
            int held = end - start;
            byte[] to = held + length > buf.length ? new byte[Math.max(buf.length * 2, held + length)] : buf;
            System.arraycopy(buf, start, to, 0, held);
            buf = to;
            scan -= start;
            end = held;
            start = 0;
        }
        System.arraycopy(data, offset, buf, end, length);
        end += length;
    }

    /** The next complete unit, or null when more data is needed. */
    byte[] next() {
        byte[] b = buf;
        while (scan + 3 < end) {
            if (b[scan + 2] > 1) {
                scan += 3;
            } else if (b[scan] == 0 && b[scan + 1] == 0 && b[scan + 2] == 1) {
                int at = scan;
                int code = b[scan + 3] & 0xff;
                scan += 4;
                if (hasVop && at > start) {
                    byte[] unit = java.util.Arrays.copyOfRange(b, start, at);
                    start = at;
                    hasVop = code == VOP;
                    return unit;
                }
                hasVop |= code == VOP;
            } else {
                scan++;
            }
        }
        return null;
    }

    /**
     * At the end of the stream, once next() has returned null: the last
     * unit (everything still held), or null.
     */
    byte[] finish() {
        if (end <= start) {
            return null;
        }
        byte[] unit = java.util.Arrays.copyOfRange(buf, start, end);
        start = end;
        scan = end;
        hasVop = false;
        return unit;
    }
}
