/**
 * The bit reservoir: the main data of the last frames, back to which a
 * frame's main_data_begin may point (at most 511 bytes), followed by the
 * current frame's own main data.
 */
final class Mp3Reservoir {

    private static final int KEEP = 512;
    private final byte[] data = new byte[4096];
    private int length;

    byte[] data() {
        return data;
    }

    int length() {
        return length;
    }

    /** Forgets everything: after lost data, old bytes would not belong to what follows. */
    void clear() {
        length = 0;
    }

    /** Appends a frame's main data; returns where it starts in data(). */
    int append(byte[] source, int from, int to) {
        int n = Math.max(0, Math.min(to - from, data.length - KEEP));
        if (length + n > data.length) {
            int keep = Math.min(length, KEEP);
            System.arraycopy(data, length - keep, data, 0, keep);
            length = keep;
        }
        System.arraycopy(source, from, data, length, n);
        int start = length;
        length += n;
        return start;
    }
}
