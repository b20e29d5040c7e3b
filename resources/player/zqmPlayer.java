import java.applet.Applet;
import java.awt.BorderLayout;
import java.awt.EventQueue;
import java.io.IOException;
import java.net.URL;

/**
 * The web player applet the encoder's pages embed. The lower-case class
 * name is the one every page written so far names in its applet tag, so it
 * stays.
 *
 * It reads the page's parameters, loads the metafile, picks the variant the
 * measured bandwidth carries, reads that variant's stream headers and shows
 * the title image, the button panel and the variant's facts. Playing the
 * streams is not part of this version, and the player says so.
 */
public class zqmPlayer extends Applet {

    private static final long serialVersionUID = 1L;

    private PlayerView view;
    private PlayerParameters parameters;
    private boolean started;
    private Long givenBandwidth;

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

    /** For the standalone window's --bandwidth option; call before start(). */
    void assumeBandwidth(Long bitsPerSecond) {
        givenBandwidth = bitsPerSecond;
    }

    private void load() {
        try {
            URL base = parameters.baseUrl(getCodeBase(), getDocumentBase());
            PlayerImages images = new PlayerImages(parameters, base);
            EventQueue.invokeLater(() -> view.showImages(images));
            LoadedVariant variant = LoadedVariant.load(parameters, base, givenBandwidth);
            EventQueue.invokeLater(() -> view.showVariant(variant));
        } catch (IOException e) {
            EventQueue.invokeLater(() -> view.showFailure(e.getMessage()));
        }
    }
}
