import java.io.FileNotFoundException;
import java.io.IOException;
import java.io.InputStream;
import java.net.URL;

/**
 * One stream file fetched in the background and kept whole in memory as it
 * arrives: playback starts on the first second of it and starts again
 * (Stop, RepeatForever) without fetching it twice. Readers of bytes not yet
 * here wait for them. The rate it measures is what the player holds against
 * the variant's rate to decide whether the link keeps up.
 */
final class StreamDownload {

    /** Far beyond any stream of the ladder; more means the file is not a stream. */
    static final int MAX_BYTES = 1 << 30;

    /**
     * A stand-in for a slow link, shared by the downloads that run over it:
     * at most bitsPerSecond altogether since the link was made.
     */
    static final class Throttle {
        private final long bitsPerSecond;
        private final long startNanos = System.nanoTime();
        private long granted;

        Throttle(long bitsPerSecond) {
            this.bitsPerSecond = Math.max(1, bitsPerSecond);
        }

        void take(int bytes) throws InterruptedException {
            long due;
            synchronized (this) {
                granted += bytes;
                due = startNanos + granted * 8 * 1000000000L / bitsPerSecond;
            }
            long wait = due - System.nanoTime();
            if (wait > 0) {
                Thread.sleep(wait / 1000000L, (int) (wait % 1000000L));
            }
        }
    }

    final String name;
    private final URL url;
    private final Throttle throttle;  // null: as fast as the link goes
    private final long startNanos = System.nanoTime();
    private byte[] data = new byte[1 << 16];
    private int size;
    private boolean done;
    private String failure;
    private long doneNanos;
    private volatile boolean cancelled;

    private StreamDownload(URL url, String name, Throttle throttle) {
        this.url = url;
        this.name = Downloads.shown(name);
        this.throttle = throttle;
    }

    static StreamDownload start(URL url, String name, Throttle throttle) {
        StreamDownload download = new StreamDownload(url, name, throttle);
        Thread thread = new Thread(download::run, "zqmPlayer download " + name);
        thread.setDaemon(true);
        thread.start();
        return download;
    }

    /** Stops fetching; what arrived stays readable and the file counts as ended there. */
    void cancel() {
        cancelled = true;
    }

    private void run() {
        InputStream in;
        try {
            in = url.openStream();
        } catch (FileNotFoundException e) {
            end("cannot find " + name + " (" + url + ")");
            return;
        } catch (IOException | RuntimeException e) {
            end("cannot open " + name + ": " + e.getMessage());
            return;
        }
        byte[] buffer = new byte[16384];
        String problem = null;
        try {
            while (!cancelled) {
                int n = in.read(buffer);
                if (n < 0) {
                    break;
                }
                if (throttle != null) {
                    throttle.take(n);
                }
                if (!append(buffer, n)) {
                    problem = name + " is larger than " + MAX_BYTES + " bytes";
                    break;
                }
            }
        } catch (IOException | RuntimeException e) {
            problem = "cannot read " + name + ": " + e.getMessage();
        } catch (InterruptedException e) {
            problem = "the download of " + name + " was interrupted";
        } finally {
            try {
                in.close();
            } catch (IOException e) {
                // Everything wanted has been read.
            }
        }
        end(problem);
    }

    private synchronized boolean append(byte[] bytes, int count) {
        if (size + (long) count > MAX_BYTES) {
            return false;
        }
        if (size + count > data.length) {
            byte[] larger = new byte[(int) Math.min(MAX_BYTES, Math.max(2L * data.length, size + (long) count))];
            System.arraycopy(data, 0, larger, 0, size);
            data = larger;
        }
        System.arraycopy(bytes, 0, data, size, count);
        size += count;
        notifyAll();
        return true;
    }

    private synchronized void end(String problem) {
        done = true;
        failure = problem;
        doneNanos = System.nanoTime();
        notifyAll();
    }

    /**
     * Copies bytes from position on. Returns how many (at least one), 0 when
     * none have arrived yet and wait is false, -1 at the end of the file.
     */
    synchronized int read(long position, byte[] to, int offset, int length, boolean wait)
            throws InterruptedException {
        while (position >= size && !done) {
            if (!wait) {
                return 0;
            }
            wait();
        }
        if (position >= size) {
            return -1;
        }
        int n = (int) Math.min(length, size - position);
        System.arraycopy(data, (int) position, to, offset, n);
        return n;
    }

    /** Waits until count bytes are here or the file has ended; false when it ended short. */
    synchronized boolean await(long count) throws InterruptedException {
        while (size < count && !done) {
            wait();
        }
        return size >= count;
    }

    synchronized int received() {
        return size;
    }

    synchronized boolean finished() {
        return done;
    }

    /** Why the download ended early, or null. */
    synchronized String failure() {
        return failure;
    }

    synchronized long elapsedNanos() {
        return (done ? doneNanos : System.nanoTime()) - startNanos;
    }

    /** Bits per second since the request was made, the waiting for the server included. */
    synchronized long bitsPerSecond() {
        long elapsed = Math.max(1, elapsedNanos());
        return size * 8L * 1000000000L / elapsed;
    }
}
