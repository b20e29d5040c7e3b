import java.lang.management.ManagementFactory;
import java.nio.file.Files;
import java.nio.file.Paths;
import java.util.ArrayList;
import java.util.List;

/**
 * java -cp zqmPlayer.jar:CLASSES DecodeSpeed FILE.video.zq48... : pictures
 * per second of the player archive's video decoder on whole stream files,
 * decoding alone and with the colour conversion the player does for every
 * picture it shows; per second of the thread's CPU time, after passes that
 * let the JIT compile, so that other work on the machine changes them little.
 */
public final class DecodeSpeed {
    private static final double SECONDS = 3;

    public static void main(String[] args) throws Exception {
        for (String file : args) {
            byte[] all = Files.readAllBytes(Paths.get(file));
            List<byte[]> units = new ArrayList<>();
            Mp4vStreamSplitter splitter = new Mp4vStreamSplitter();
            splitter.feed(all, 24, all.length - 24);
            for (byte[] u = splitter.next(); u != null; u = splitter.next()) {
                units.add(u);
            }
            byte[] last = splitter.finish();
            if (last != null) {
                units.add(last);
            }
            String size = "?";
            Mp4vDecoder first = new Mp4vDecoder();
            for (byte[] u : units) {
                Mp4vPicture p = first.decode(u, 0, u.length);
                if (p != null) {
                    size = p.width + "x" + p.height;
                    break;
                }
            }
            System.out.printf("%-8s decode %5.0f pictures/s, with colour %5.0f pictures/s  (%s)%n", size,
                    speed(units, false), speed(units, true), Paths.get(file).getFileName());
        }
    }

    /** CPU seconds of this thread so far: other work on the machine slows the clock, not this count. */
    private static double cpuSeconds() {
        return ManagementFactory.getThreadMXBean().getCurrentThreadCpuTime() / 1e9;
    }

    /**
     * Pictures per CPU second over whole passes of the stream: after passes
     * that let the JIT compile (at least two, for two seconds), as many as
     * take SECONDS.
     */
    private static double speed(List<byte[]> units, boolean colour) {
        double warm = cpuSeconds() + 2;
        for (int n = 0; n < 2 || cpuSeconds() < warm; n++) {
            pass(units, colour);
        }
        double started = cpuSeconds();
        long pictures = 0;
        while (pictures == 0 || cpuSeconds() - started < SECONDS) {
            pictures += pass(units, colour);
        }
        return pictures / (cpuSeconds() - started);
    }

    private static int pass(List<byte[]> units, boolean colour) {
        Mp4vDecoder decoder = new Mp4vDecoder();
        int pictures = 0;
        for (byte[] u : units) {
            Mp4vPicture p = decoder.decode(u, 0, u.length);
            if (p == null) {
                continue;
            }
            if (colour) {
                PictureImage.of(p);
            }
            pictures++;
        }
        return pictures;
    }
}
