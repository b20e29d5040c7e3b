import java.net.URL;

/**
 * How many bits per second the player may ask of the link to its files.
 *
 * The estimate comes from timing the metafile download. The metafile is a
 * few dozen bytes, so its time is one request's round trip, not a transfer
 * rate: bytes/second of so small a file would rate every network link below
 * the smallest variant. Instead the round trip bounds what a TCP connection
 * can deliver: at most one receive window (64 KiB, the classic window without
 * scaling) per round trip. That ranks a LAN or broadband link (a few dozen
 * milliseconds) above every variant and a slow or far link (a second or
 * more) near the bottom of the ladder. Files on this computer have no such
 * limit.
 */
final class Bandwidth {

    static final long WINDOW_BYTES = 65536;
    /** Clock resolution is not bandwidth: a round trip below this counts as this. */
    static final long MIN_ROUND_TRIP_NANOS = 1000000L;

    final long bitsPerSecond;  // Long.MAX_VALUE when unlimited
    final String how;

    private Bandwidth(long bitsPerSecond, String how) {
        this.bitsPerSecond = bitsPerSecond;
        this.how = how;
    }

    static Bandwidth measured(URL url, long elapsedNanos) {
        if ("file".equalsIgnoreCase(url.getProtocol())) {
            return new Bandwidth(Long.MAX_VALUE, "local file");
        }
        long roundTrip = Math.max(elapsedNanos, MIN_ROUND_TRIP_NANOS);
        long bps = WINDOW_BYTES * 8 * 1000000000L / roundTrip;
        return new Bandwidth(bps, "metafile round trip " + (roundTrip / 1000000L) + " ms");
    }

    static Bandwidth given(long bitsPerSecond) {
        return new Bandwidth(bitsPerSecond, "given");
    }

    boolean unlimited() {
        return bitsPerSecond == Long.MAX_VALUE;
    }

    String describe() {
        return (unlimited() ? "unlimited" : bitsPerSecond + " bps") + " (" + how + ")";
    }
}
