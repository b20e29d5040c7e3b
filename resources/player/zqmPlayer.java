import java.applet.Applet;
import java.awt.BorderLayout;
import java.io.IOException;
import java.net.URL;

/**
 * The web player applet the encoder's pages embed. The lower-case class
 * name is the one every page written so far names in its applet tag, so it
 * stays.
 *
 * It reads the page's parameters, loads the metafile, picks the variant the
 * measured bandwidth carries, reads that variant's stream headers and shows
 * the title image, the button panel and the variant's facts. Play (or the
 * page's AutoPlay) fetches the streams and plays them while they download.
 */
public class zqmPlayer extends Applet {

    private static final long serialVersionUID = 1L;

    private PlayerView view;
    private PlayerParameters parameters;
    private boolean started;
    private Long givenBandwidth;
    private StreamDownload.Throttle throttle;
    private volatile PlayerControl control;
    private volatile boolean destroyed;

    @Override
    public String getAppletInfo() {
        return "zqmPlayer, the ZQ48 Encoder web player";
    }

    @Override
    public String[][] getParameterInfo() {
        return PlayerParameters.INFO.clone();
    }

    @Override
    public void init() {
        parameters = new PlayerParameters(this::getParameter);
        setLayout(new BorderLayout());
        setBackground(parameters.backgroundColor);
        view = new PlayerView(parameters);
        add(view, BorderLayout.CENTER);
    }

    /** Loading runs once, off the browser's applet thread: files may be slow to come. */
    @Override
    public void start() {
        if (started) {
            return;
        }
        started = true;
        Thread loader = new Thread(this::load, "zqmPlayer loader");
        loader.setDaemon(true);
        loader.start();
    }

    /** Leaving the page pauses the film; coming back does not start it again by itself. */
    @Override
    public void stop() {
        PlayerControl c = control;
        if (c != null && !c.paused()) {
            c.pause();
        }
    }

    @Override
    public void destroy() {
        PlayerControl c;
        synchronized (this) {
            destroyed = true;
            c = control;
        }
        if (c != null) {
            c.close();
        }
    }

    /** For the standalone window's --bandwidth option; call before start(). */
    void assumeBandwidth(Long bitsPerSecond) {
        givenBandwidth = bitsPerSecond;
    }

    /** For the standalone window's --download-rate option: a slow link, simulated; call before start(). */
    void limitDownloads(Long bitsPerSecond) {
        throttle = bitsPerSecond == null ? null : new StreamDownload.Throttle(bitsPerSecond);
    }

    private void load() {
        try {
            URL base = parameters.baseUrl(getCodeBase(), getDocumentBase());
            PlayerImages images = new PlayerImages(parameters, base);
            view.showImages(images);
            LoadedVariant variant = LoadedVariant.load(parameters, base, givenBandwidth);
            view.showVariant(variant);
            if (variant.video == null && variant.audio == null) {
                return;
            }
            PlayerControl ready = new PlayerControl(parameters, base, variant, view, throttle);
            synchronized (this) {
                if (destroyed) {
                    return;
                }
                control = ready;
            }
            view.connect(ready);
            if (parameters.autoPlay) {
                ready.play();
            }
        } catch (IOException e) {
            view.showFailure(e.getMessage());
        } catch (RuntimeException e) {
            view.showFailure("the player failed: " + e);
        }
    }
}
