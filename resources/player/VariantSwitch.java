import java.util.List;

/**
 * When and where to move while playing: the streams download slower than
 * the variant needs, so the player moves to a leaner one. The rate is
 * measured over every stream being fetched together (they share the link)
 * and only after a few seconds, so a slow first response is not taken for a
 * slow link.
 */
final class VariantSwitch {

    static final long MEASURE_NANOS = 3000000000L;

    private VariantSwitch() {
    }

    /** Bits per second the link gave to these downloads together; -1 until they have run long enough. */
    static long linkRate(StreamDownload... downloads) {
        long bytes = 0;
        long nanos = 0;
        boolean running = false;
        for (StreamDownload download : downloads) {
            if (download == null) {
                continue;
            }
            bytes += download.received();
            nanos = Math.max(nanos, download.elapsedNanos());
            running |= !download.finished();
        }
        if (!running || nanos < MEASURE_NANOS) {
            return -1;
        }
        return bytes * 8L * 1000000000L / nanos;
    }

    /**
     * The pair to move to when the link gives measured bits per second while
     * current needs more: the richest leaner pair with a picture that fits,
     * else the leanest; null when there is no leaner one or no need.
     */
    static VariantChoice.Pair lower(List<VariantChoice.Pair> pairs, VariantChoice.Pair current, long measured) {
        if (measured < 0 || measured >= current.total()) {
            return null;
        }
        VariantChoice.Pair best = null;
        VariantChoice.Pair leanest = null;
        for (VariantChoice.Pair pair : pairs) {
            if (pair.videoRate == 0 || pair.total() >= current.total()) {
                continue;
            }
            if (pair.total() <= measured && (best == null || pair.total() > best.total())) {
                best = pair;
            }
            if (leanest == null || pair.total() < leanest.total()) {
                leanest = pair;
            }
        }
        return best != null ? best : leanest;
    }
}
