/**
 * Buffers the incoming bytes and finds the next frame in them. A header is
 * taken when the header after its frame agrees with it (at the end of the
 * stream, when it continues the stream); anything else is junk and is
 * skipped byte by byte until the stream resynchronises. A frame whose
 * successor is damaged therefore counts as lost too: one frame, and no risk
 * of taking junk that looks like a header for a frame.
 */
final class Mp3FrameFinder {

    static final int NEED_MORE = 0;
    static final int FRAME = 1;
    /** The stream ended inside the frame whose header is current. */
    static final int TRUNCATED = 2;
    static final int END = 3;

    private byte[] buffer = new byte[8192];
    private int start;
    private int end;
    private boolean ended;

    /** The header of the frame at frameOffset() after FRAME or TRUNCATED. */
    final Mp3Header header = new Mp3Header();
    private final Mp3Header following = new Mp3Header();
    /** The last frame taken, for headers that cannot be checked against a following one. */
    private final Mp3Header previous = new Mp3Header();
    private boolean havePrevious;
    private long skippedBytes;
    private int junkRun;

    void feed(byte[] data, int offset, int length) {
        if (end + length > buffer.length) {
            System.arraycopy(buffer, start, buffer, 0, end - start);
            end -= start;
            start = 0;
            if (end + length > buffer.length) {
                byte[] bigger = new byte[Math.max(buffer.length * 2, end + length)];
                System.arraycopy(buffer, 0, bigger, 0, end);
                buffer = bigger;
            }
        }
        System.arraycopy(data, offset, buffer, end, length);
        end += length;
    }

    void endOfStream() {
        ended = true;
    }

    byte[] buffer() {
        return buffer;
    }

    int frameOffset() {
        return start;
    }

    /** Bytes passed over as junk so far. */
    long skippedBytes() {
        return skippedBytes;
    }

    /** Junk bytes skipped just before the current header (0 when it followed a frame directly). */
    int junkBefore() {
        return junkRun;
    }

    boolean havePrevious() {
        return havePrevious;
    }

    Mp3Header previous() {
        return previous;
    }

    /** Looks for the next frame; FRAME and TRUNCATED leave it current until consume(). */
    int locate() {
        while (true) {
            int available = end - start;
            if (available < 4) {
                if (!ended) {
                    return NEED_MORE;
                }
                skip(available);
                return END;
            }
            if (!header.parse(buffer, start) || header.frameBytes < header.mainDataOffset()) {
                skip(1);
                continue;
            }
            boolean matchesPrevious = havePrevious && header.sameStreamAs(previous);
            int length = header.frameBytes;
            if (available >= length + 4) {
                if (following.parse(buffer, start + length) && following.sameStreamAs(header)) {
                    return FRAME;
                }
                skip(1);
                continue;
            }
            if (!ended) {
                return NEED_MORE;
            }
            // Nothing follows to confirm this header: take it only if it continues the stream.
            if (havePrevious && !matchesPrevious) {
                skip(1);
                continue;
            }
            return available >= length ? FRAME : TRUNCATED;
        }
    }

    /** Moves past the current frame (or, when truncated, the rest of the stream). */
    void consume() {
        start = Math.min(end, start + header.frameBytes);
        previous.copyFrom(header);
        havePrevious = true;
        junkRun = 0;
    }

    /** Forgets the junk before the current header once it has been accounted for. */
    void acceptJunk() {
        junkRun = 0;
    }

    private void skip(int n) {
        start += n;
        skippedBytes += n;
        junkRun += n;
    }
}
