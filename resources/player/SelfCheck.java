import java.applet.Applet;
import java.awt.Dimension;
import java.awt.Graphics2D;
import java.awt.image.BufferedImage;
import java.io.File;
import java.io.IOException;
import java.io.PrintStream;
import java.net.URL;
import java.util.ArrayList;
import java.util.List;
import java.util.Map;
import javax.imageio.ImageIO;

/**
 * "--check": the player's whole start-up without a window, printing what it
 * found and would play. Runs headless, so scripts and tests can prove a
 * package works on machines without a display.
 */
final class SelfCheck {

    private SelfCheck() {
    }

    /**
     * Everything the applet does short of showing a window; returns the exit
     * status. Every problem found is reported, not just the first.
     */
    static int run(String target, Long bandwidth, String snapshot, PrintStream out, PrintStream err) {
        List<String> problems = new ArrayList<String>();
        try {
            inspect(target, bandwidth, snapshot, out, err, problems);
        } catch (IOException e) {
            problems.add(e.getMessage());
        } catch (ClassNotFoundException e) {
            problems.add("the archive has no class " + e.getMessage());
        }
        for (String problem : problems) {
            err.println("zqmPlayer: " + problem);
        }
        return problems.isEmpty() ? 0 : 1;
    }

    private static void inspect(String target, Long bandwidth, String snapshot, PrintStream out, PrintStream err,
            List<String> problems) throws IOException, ClassNotFoundException {
        StandaloneSite site = StandaloneSite.open(target);
        out.println("target: " + target);
        Class<?> player = Class.forName("zqmPlayer");
        if (!Applet.class.isAssignableFrom(player)) {
            problems.add("zqmPlayer is not an applet");
        }
        out.println("applet class: " + player.getName() + " extends " + player.getSuperclass().getName());
        if (site.page != null) {
            describePage(site.page, out, problems, err);
        }
        PlayerParameters parameters = new PlayerParameters(site::getParameter);
        for (String line : parameters.describe()) {
            out.println("parameter " + line);
        }
        problems.addAll(parameters.problems);
        URL base = parameters.baseUrl(site.getCodeBase(), site.getDocumentBase());
        PlayerImages images = new PlayerImages(parameters, base);
        problems.addAll(images.problems);
        out.println("title image: " + PlayerImages.describe(parameters.videoTitleImageUrl, images.title));
        out.println("end image: " + PlayerImages.describe(parameters.videoEndImageUrl, images.end));
        out.println("button strip: " + (parameters.panelEnable
                ? PlayerImages.describe(parameters.panelImagesUrl, images.buttons) : "off"));

        LoadedVariant variant = LoadedVariant.load(parameters, base, bandwidth);
        for (String line : variant.factLines()) {
            out.println(line);
        }

        // Painting off screen proves the component draws what it was given.
        Dimension size = site.windowSize(variant);
        BufferedImage picture = new BufferedImage(size.width, size.height, BufferedImage.TYPE_INT_RGB);
        PlayerView view = new PlayerView(parameters);
        view.showImages(images);
        view.showVariant(variant);
        Graphics2D g = picture.createGraphics();
        view.render(g, size.width, size.height);
        g.dispose();
        if (snapshot != null && !ImageIO.write(picture, "png", new File(snapshot))) {
            problems.add("cannot write " + snapshot);
        }
    }

    private static void describePage(AppletPage page, PrintStream out, List<String> problems, PrintStream err) {
        out.println("page applet: code " + page.code + ", archive " + page.archive + ", "
                + page.width + " x " + page.height);
        if (page.code == null || !(page.code.equals("zqmPlayer.class") || page.code.equals("zqmPlayer"))) {
            problems.add("the page's applet tag runs " + page.code + ", not zqmPlayer.class");
        }
        for (Map.Entry<String, String> name : page.spelledNames.entrySet()) {
            if (!PlayerParameters.isKnown(name.getKey())) {
                err.println("zqmPlayer: the page's parameter " + name.getValue() + " means nothing to this player");
            }
        }
    }
}
