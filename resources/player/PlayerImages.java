import java.awt.image.BufferedImage;
import java.io.ByteArrayInputStream;
import java.io.IOException;
import java.net.URL;
import java.util.ArrayList;
import java.util.List;
import javax.imageio.ImageIO;

/**
 * The pictures the page names: the title image, the end image and the strip
 * of button images. A missing or unreadable one leaves its field null and a
 * note in {@link #problems}; the player still runs without it.
 */
final class PlayerImages {

    /** Larger than any picture a page of this size would carry. */
    static final int MAX_BYTES = 16 << 20;

    final BufferedImage title;
    final BufferedImage end;
    final BufferedImage buttons;
    final List<String> problems = new ArrayList<String>();

    PlayerImages(PlayerParameters parameters, URL base) {
        title = load(base, parameters.videoTitleImageUrl);
        end = load(base, parameters.videoEndImageUrl);
        buttons = parameters.panelEnable ? load(base, parameters.panelImagesUrl) : null;
    }

    private BufferedImage load(URL base, String name) {
        if (name == null) {
            return null;
        }
        try {
            // ImageIO's own URL reading may cache to disk, which an applet may not do.
            byte[] bytes = Downloads.readAll(Downloads.resolve(base, name), name, MAX_BYTES);
            BufferedImage image = ImageIO.read(new ByteArrayInputStream(bytes));
            if (image == null) {
                problems.add(Downloads.shown(name) + " is not an image this player can read");
            }
            return image;
        } catch (IOException e) {
            problems.add(e.getMessage());
            return null;
        }
    }

    static String describe(String name, BufferedImage image) {
        if (name == null) {
            return "none";
        }
        String shown = Downloads.shown(name);
        return image == null ? shown + " (not loaded)" : shown + ", " + image.getWidth() + " x " + image.getHeight();
    }
}
