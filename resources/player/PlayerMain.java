import java.awt.AWTError;
import java.awt.Dimension;
import java.awt.Frame;
import java.awt.GraphicsEnvironment;
import java.awt.HeadlessException;
import java.awt.event.WindowAdapter;
import java.awt.event.WindowEvent;
import java.io.File;
import java.io.IOException;

/**
 * The archive's command line: "java -jar zqmPlayer.jar PAGE-OR-METAFILE"
 * plays the film in a window of its own; with --check it shows nothing and
 * prints what it would play instead, and with --decode it decodes what it
 * would play into files, for scripts and tests on machines without a
 * display or a sound device.
 */
public final class PlayerMain {

    static final String USAGE =
            "Usage: java -jar zqmPlayer.jar [--bandwidth BPS] [--download-rate BPS] PAGE-OR-METAFILE\n"
            + "       java -jar zqmPlayer.jar --check [--bandwidth BPS] [--snapshot FILE.png] PAGE-OR-METAFILE\n"
            + "       java -jar zqmPlayer.jar --decode DIR [--bandwidth BPS] PAGE-OR-METAFILE\n"
            + "  PAGE-OR-METAFILE  an encoder's .html page, or its .meta.zq48 metafile (a path or a URL);\n"
            + "                    without --check or --decode the film plays in a window\n"
            + "  --check           print the page's parameters, the variants, the chosen one and its\n"
            + "                    stream headers instead of opening a window; exit 1 when anything\n"
            + "                    is missing or wrong\n"
            + "  --decode DIR      decode the variant the player would play into DIR/video.yuv (planar\n"
            + "                    4:2:0 pictures in display order) and DIR/audio.wav (16-bit PCM); print\n"
            + "                    'video: WIDTHxHEIGHT PICTURES' and 'audio: RATE CHANNELS SAMPLES';\n"
            + "                    exit 1 when a file is missing or a stream is damaged\n"
            + "  --bandwidth BPS   assume this many bits per second instead of measuring\n"
            + "  --download-rate BPS  in the window, fetch the streams no faster than this, as over a\n"
            + "                    slow link (the player then moves to a leaner variant)\n"
            + "  --snapshot FILE   with --check, also save the player's picture as a PNG image";

    private PlayerMain() {
    }

    public static void main(String[] args) {
        boolean check = false;
        String decodeDir = null;
        Long bandwidth = null;
        Long downloadRate = null;
        String snapshot = null;
        String target = null;
        for (int i = 0; i < args.length; i++) {
            String arg = args[i];
            if (arg.equals("--help") || arg.equals("-h")) {
                System.out.println(USAGE);
                return;
            } else if (arg.equals("--check")) {
                check = true;
            } else if (arg.equals("--decode") && i + 1 < args.length && decodeDir == null) {
                decodeDir = args[++i];
            } else if (arg.equals("--bandwidth") && i + 1 < args.length && args[i + 1].matches("[0-9]{1,18}")) {
                bandwidth = Long.valueOf(args[++i]);
            } else if (arg.equals("--download-rate") && i + 1 < args.length
                    && args[i + 1].matches("[1-9][0-9]{0,17}")) {
                downloadRate = Long.valueOf(args[++i]);
            } else if (arg.equals("--snapshot") && i + 1 < args.length) {
                snapshot = args[++i];
            } else if (!arg.startsWith("--") && target == null) {
                target = arg;
            } else {
                usageError("unexpected argument: " + arg);
            }
        }
        if (target == null) {
            usageError("no page or metafile given");
        }
        if (snapshot != null && !check) {
            usageError("--snapshot works with --check only");
        }
        if (check && decodeDir != null) {
            usageError("--check and --decode do not go together");
        }
        if (downloadRate != null && (check || decodeDir != null)) {
            usageError("--download-rate works in the window only");
        }
        if (check) {
            System.exit(SelfCheck.run(target, bandwidth, snapshot, System.out, System.err));
        }
        if (decodeDir != null) {
            System.exit(HeadlessDecode.run(target, bandwidth, decodeDir, System.out, System.err));
        }
        int status = openWindow(target, bandwidth, downloadRate);
        if (status != 0) {
            System.exit(status);
        }
        // Otherwise the window keeps the program running until it is closed.
    }

    private static void usageError(String message) {
        System.err.println("zqmPlayer: " + message);
        System.err.println(USAGE);
        System.exit(2);
    }

    private static int openWindow(String target, Long bandwidth, Long downloadRate) {
        if (GraphicsEnvironment.isHeadless()) {
            System.err.println(
                    "zqmPlayer: there is no display to open a window on; --check and --decode work without one");
            return 1;
        }
        StandaloneSite site;
        try {
            site = StandaloneSite.open(target);
        } catch (IOException e) {
            System.err.println("zqmPlayer: " + e.getMessage());
            return 1;
        }
        LoadedVariant sizing = null;
        if (site.page == null) {
            // Only to size the window as a page would; the applet loads (and reports) for itself.
            try {
                PlayerParameters parameters = new PlayerParameters(site::getParameter);
                sizing = LoadedVariant.load(parameters, parameters.baseUrl(site.codeBase, site.documentBase),
                        bandwidth);
            } catch (IOException e) {
                sizing = null;
            }
        }
        try {
            show(site, bandwidth, downloadRate, site.windowSize(sizing), new File(target).getName());
        } catch (AWTError | HeadlessException | UnsatisfiedLinkError e) {
            // A headless Java runtime, or a display that cannot be reached.
            System.err.println("zqmPlayer: cannot open a window (" + e.getMessage()
                    + "); --check and --decode work without one");
            return 1;
        }
        return 0;
    }

    private static void show(StandaloneSite site, Long bandwidth, Long downloadRate, Dimension size, String title) {
        zqmPlayer applet = new zqmPlayer();
        applet.setStub(site);
        applet.assumeBandwidth(bandwidth);
        applet.limitDownloads(downloadRate);
        applet.setPreferredSize(size);
        Frame frame = new Frame("zqmPlayer - " + title);
        frame.add(applet);
        frame.addWindowListener(new WindowAdapter() {
            @Override
            public void windowClosing(WindowEvent e) {
                applet.stop();
                applet.destroy();
                frame.dispose();
                System.exit(0);
            }
        });
        applet.init();
        frame.pack();
        frame.setVisible(true);
        applet.start();
    }
}
