/**
 * The decode units of one video stream file as its bytes arrive: the
 * payload range of the download, cut by the stream splitter. The reader
 * either waits for bytes (decoding) or takes only what is here (looking
 * ahead in a stream it may switch to).
 */
final class VideoUnits {

    private final StreamDownload source;
    private final long end;
    private final Mp4vStreamSplitter splitter = new Mp4vStreamSplitter();
    private final byte[] buffer = new byte[8192];
    private long position = StreamHeaders.VIDEO_BYTES;
    private boolean fed;      // the whole payload went into the splitter
    private boolean ended;    // and the splitter's last unit came out
    private volatile boolean waiting;

    VideoUnits(StreamDownload source, StreamHeaders.Video header) {
        this.source = source;
        this.end = StreamHeaders.VIDEO_BYTES + header.dataSize;
    }

    /**
     * The next unit, or null: at the end of the stream (ended() says so) or,
     * when wait is false, because its bytes have not arrived yet.
     */
    byte[] next(boolean wait) throws InterruptedException {
        while (!ended) {
            byte[] unit = splitter.next();
            if (unit != null) {
                return unit;
            }
            if (fed) {
                ended = true;
                return splitter.finish();
            }
            int want = (int) Math.min(buffer.length, end - position);
            int n = want <= 0 ? -1 : source.read(position, buffer, 0, want, false);
            if (n == 0) {
                if (!wait) {
                    return null;
                }
                waiting = true;
                try {
                    n = source.read(position, buffer, 0, want, true);
                } finally {
                    waiting = false;
                }
            }
            if (n < 0) {
                fed = true;
            } else {
                splitter.feed(buffer, 0, n);
                position += n;
            }
        }
        return null;
    }

    boolean ended() {
        return ended;
    }

    /** Whether the decoder is waiting for the download: the link is behind the pictures. */
    boolean starved() {
        return waiting;
    }

    /** Bytes downloaded beyond what the splitter has been given. */
    long bytesAhead() {
        return Math.max(0, Math.min(end, source.received()) - position);
    }

    boolean downloadFinished() {
        return source.finished();
    }

    /** Why the stream ends before its header's length, or null. */
    String shortfall() {
        if (!source.finished() || source.received() >= end) {
            return null;
        }
        String why = source.failure();
        return why != null ? why : source.name + " is cut short: it ends " + (end - source.received())
                + " bytes before the length its header gives";
    }
}
