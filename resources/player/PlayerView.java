import java.awt.Canvas;
import java.awt.Color;
import java.awt.Dimension;
import java.awt.Font;
import java.awt.FontMetrics;
import java.awt.Graphics;
import java.awt.Graphics2D;
import java.awt.Image;
import java.awt.Rectangle;
import java.awt.RenderingHints;
import java.awt.event.MouseAdapter;
import java.awt.event.MouseEvent;
import java.awt.image.BufferedImage;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;

/**
 * The player's face: the picture area (title image and, until stream
 * playback arrives, the chosen variant's facts) above the button panel.
 * The applet and the standalone window both show this one component; the
 * self-check paints it into an image to prove it paints.
 */
final class PlayerView extends Canvas {

    private static final long serialVersionUID = 1L;

    static final String PLAYBACK_NOTE = "Stream playback is not available in this version.";

    private final PlayerParameters parameters;
    private final boolean[] pressed;
    private ButtonStrip buttons;
    private PlayerImages images;
    private List<String> facts = new ArrayList<String>();
    private Dimension frame;  // the chosen video's size; null until known or without video
    private String failure;
    private boolean loaded;
    private boolean muted;
    private BufferedImage offscreen;

    PlayerView(PlayerParameters parameters) {
        this.parameters = parameters;
        this.muted = parameters.muteAudio;
        this.buttons = new ButtonStrip(null, parameters.panelButtonsWidths);
        this.pressed = new boolean[buttons.count()];
        setBackground(parameters.backgroundColor);
        addMouseListener(new MouseAdapter() {
            @Override
            public void mousePressed(MouseEvent e) {
                press(e.getX(), e.getY(), true);
            }

            @Override
            public void mouseReleased(MouseEvent e) {
                press(e.getX(), e.getY(), false);
            }
        });
    }

    /** Call on the event thread once the images are loaded (they may be missing). */
    void showImages(PlayerImages images) {
        this.images = images;
        this.buttons = new ButtonStrip(images.buttons, parameters.panelButtonsWidths);
        repaint();
    }

    /** Call on the event thread when the variant is chosen. */
    void showVariant(LoadedVariant variant) {
        this.loaded = true;
        this.facts = variant.summaryLines();
        this.frame = variant.video == null ? null : new Dimension(variant.video.width, variant.video.height);
        repaint();
    }

    /** Call on the event thread when loading failed. */
    void showFailure(String message) {
        this.loaded = true;
        this.failure = message;
        repaint();
    }

    @Override
    public Dimension getPreferredSize() {
        return new Dimension(260, 192);
    }

    @Override
    public void update(Graphics g) {
        paint(g);  // everything is painted anew; clearing first would only flicker
    }

    @Override
    public void paint(Graphics g) {
        int w = getWidth();
        int h = getHeight();
        if (w <= 0 || h <= 0) {
            return;
        }
        if (offscreen == null || offscreen.getWidth() != w || offscreen.getHeight() != h) {
            offscreen = new BufferedImage(w, h, BufferedImage.TYPE_INT_RGB);
        }
        Graphics2D og = offscreen.createGraphics();
        render(og, w, h);
        og.dispose();
        g.drawImage(offscreen, 0, 0, null);
    }

    void render(Graphics2D g, int w, int h) {
        g.setRenderingHint(RenderingHints.KEY_TEXT_ANTIALIASING, RenderingHints.VALUE_TEXT_ANTIALIAS_ON);
        g.setRenderingHint(RenderingHints.KEY_INTERPOLATION, RenderingHints.VALUE_INTERPOLATION_BILINEAR);
        g.setColor(parameters.backgroundColor);
        g.fillRect(0, 0, w, h);

        int panelHeight = parameters.panelEnable ? buttons.rowHeight() : 0;
        Rectangle picture = pictureArea(w, h - panelHeight);
        g.setColor(Color.BLACK);
        g.fillRect(picture.x, picture.y, picture.width, picture.height);
        if (images != null && images.title != null) {
            drawFitted(g, images.title, picture);
        }
        drawFacts(g, picture);
        if (parameters.panelEnable) {
            buttons.paint(g, panelLeft(w), h - panelHeight, pressedNow());
        }
    }

    /** The chosen variant's frame, centred above the panel; the whole area until it is known. */
    private Rectangle pictureArea(int w, int h) {
        int pw = frame == null ? w : Math.min(w, frame.width);
        int ph = frame == null ? h : Math.min(h, frame.height);
        return new Rectangle((w - pw) / 2, (h - ph) / 2, pw, ph);
    }

    private static void drawFitted(Graphics g, Image image, Rectangle area) {
        int iw = image.getWidth(null);
        int ih = image.getHeight(null);
        if (iw <= 0 || ih <= 0) {
            return;
        }
        double scale = Math.min(area.width / (double) iw, area.height / (double) ih);
        int dw = (int) Math.round(iw * scale);
        int dh = (int) Math.round(ih * scale);
        g.drawImage(image, area.x + (area.width - dw) / 2, area.y + (area.height - dh) / 2, dw, dh, null);
    }

    private void drawFacts(Graphics g, Rectangle area) {
        List<String> text = new ArrayList<String>();
        if (!loaded) {
            text.add("Loading...");
        } else if (failure != null) {
            text.add("Cannot play: " + failure);
        } else {
            text.addAll(facts);
            text.add(PLAYBACK_NOTE);
        }
        g.setFont(new Font(Font.DIALOG, Font.PLAIN, 10));
        FontMetrics metrics = g.getFontMetrics();
        List<String> lines = new ArrayList<String>();
        for (String paragraph : text) {
            wrap(paragraph, metrics, area.width - 8, lines);
        }
        int lineHeight = metrics.getHeight();
        int boxHeight = Math.min(area.height, lines.size() * lineHeight + 6);
        int top = area.y + area.height - boxHeight;
        // The picture shows through the facts box unless the page asks for 255.
        g.setColor(new Color(0, 0, 0, parameters.videoAlphaValue));
        g.fillRect(area.x, top, area.width, boxHeight);
        g.setColor(Color.WHITE);
        Graphics clipped = g.create(area.x, area.y, area.width, area.height);
        int y = top - area.y + 3 + metrics.getAscent();
        for (String line : lines) {
            clipped.drawString(line, 4, y);
            y += lineHeight;
        }
        clipped.dispose();
    }

    private static void wrap(String paragraph, FontMetrics metrics, int width, List<String> lines) {
        StringBuilder line = new StringBuilder();
        for (String word : paragraph.split(" ")) {
            String longer = line.length() == 0 ? word : line + " " + word;
            if (line.length() > 0 && metrics.stringWidth(longer) > width) {
                lines.add(line.toString());
                line.setLength(0);
                line.append(word);
            } else {
                line.setLength(0);
                line.append(longer);
            }
        }
        lines.add(line.toString());
    }

    private int panelLeft(int w) {
        return Math.max(0, (w - buttons.width()) / 2);
    }

    private boolean[] pressedNow() {
        boolean[] now = pressed.clone();
        if (ButtonStrip.MUTE < now.length) {
            now[ButtonStrip.MUTE] = muted;  // mute stays down while the sound is off
        }
        return now;
    }

    private void press(int x, int y, boolean down) {
        if (!parameters.panelEnable || y < getHeight() - buttons.rowHeight()) {
            if (!down) {
                Arrays.fill(pressed, false);
                repaint();
            }
            return;
        }
        int piece = buttons.pieceAt(x - panelLeft(getWidth()));
        if (!down) {
            if (piece == ButtonStrip.MUTE && pressed[piece]) {
                muted = !muted;
            }
            Arrays.fill(pressed, false);
        } else if (buttons.isButton(piece)) {
            pressed[piece] = true;
        }
        repaint();
    }
}
