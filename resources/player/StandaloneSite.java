import java.applet.AppletContext;
import java.applet.AppletStub;
import java.awt.Dimension;
import java.io.File;
import java.io.IOException;
import java.net.URL;
import java.util.Locale;

/**
 * What a browser would give the applet, for running it outside one: the
 * page's parameters and the two base URLs. The target is a page (its applet
 * tag's parameters apply) or a metafile (it is the MetaURL, everything else
 * keeps its default). Either is a file path or a URL.
 */
final class StandaloneSite implements AppletStub {

    static final int MAX_PAGE_BYTES = 1 << 20;

    final String target;
    final AppletPage page;  // null when the target is a metafile
    final URL documentBase;
    final URL codeBase;     // the target's folder, where the archive sits beside the page
    private final PlayerParameters.Source source;

    private StandaloneSite(String target, AppletPage page, URL documentBase, URL codeBase,
            PlayerParameters.Source source) {
        this.target = target;
        this.page = page;
        this.documentBase = documentBase;
        this.codeBase = codeBase;
        this.source = source;
    }

    static StandaloneSite open(String target) throws IOException {
        boolean isUrl = target.matches("[A-Za-z][A-Za-z0-9+.-]*://.*");
        URL url = isUrl ? new URL(target) : new File(target).getAbsoluteFile().toURI().toURL();
        URL folder = new URL(url, ".");
        if (target.toLowerCase(Locale.ROOT).endsWith(".zq48")) {
            // The parameter is a URL, as the page would give it: a file's own name is encoded.
            String name = isUrl ? url.getPath().substring(url.getPath().lastIndexOf('/') + 1)
                    : Downloads.pathSegment(new File(target).getName());
            PlayerParameters.Source metafileOnly =
                    parameter -> parameter.equalsIgnoreCase(PlayerParameters.META_URL) ? name : null;
            return new StandaloneSite(target, null, folder, folder, metafileOnly);
        }
        AppletPage page = AppletPage.parse(Downloads.readAll(url, target, MAX_PAGE_BYTES));
        return new StandaloneSite(target, page, url, folder, page);
    }

    /** The applet tag's size, else what the encoder's page would give the chosen variant. */
    Dimension windowSize(LoadedVariant variant) {
        if (page != null && page.width > 0 && page.height > 0) {
            return new Dimension(page.width, page.height);
        }
        if (variant != null && variant.video != null) {
            return new Dimension(variant.video.width + 20, variant.video.height + 16);
        }
        return new Dimension(260, 192);  // the page size for 240 x 176 frames, a common ladder top
    }

    @Override
    public boolean isActive() {
        return true;
    }

    @Override
    public URL getDocumentBase() {
        return documentBase;
    }

    @Override
    public URL getCodeBase() {
        return codeBase;
    }

    @Override
    public String getParameter(String name) {
        return source.get(name);
    }

    /** There is no browser to ask; the player never needs one. */
    @Override
    public AppletContext getAppletContext() {
        return null;
    }

    @Override
    public void appletResize(int width, int height) {
    }
}
