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
 * The player's face: the picture area above the button panel. Before the
 * film (and after Stop) it shows the title image with the chosen variant's
 * facts, while playing the pictures with a position bar and the time, after
 * the film the end image. The applet and the standalone window both show
 * this one component; the self-check paints it into an image to prove it
 * paints. The show methods may be called on any thread.
 */
final class PlayerView extends Canvas {

    private static final long serialVersionUID = 1L;

    static final int TITLE = 0;
    static final int FILM = 1;
    static final int END = 2;

    /** How long a note (volume, variant) stays over the picture. */
    static final long NOTE_NANOS = 2000000000L;
    static final int BAR_HEIGHT = 3;

    private final PlayerParameters parameters;
    private final boolean[] pressed;
    private volatile ButtonStrip buttons;
    private volatile PlayerImages images;
    private volatile List<String> facts = new ArrayList<String>();
    private volatile Dimension frame;  // the chosen video's size; null until known or without video
    private volatile String failure;
    private volatile boolean loaded;
    private volatile PlayerControl control;
    private volatile int phase = TITLE;
    private volatile int playState = Playback.BUFFERING;
    private volatile BufferedImage picture;
    private volatile long positionMicros;
    private volatile long durationMicros;
    private volatile String endProblem;
    private volatile String note;
    private volatile long noteUntil;
    private BufferedImage offscreen;

    PlayerView(PlayerParameters parameters) {
        this.parameters = parameters;
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

    /** Once the images are loaded (they may be missing). */
    void showImages(PlayerImages images) {
        this.images = images;
        this.buttons = new ButtonStrip(images.buttons, parameters.panelButtonsWidths);
        repaint();
    }

    /** When the variant is chosen. */
    void showVariant(LoadedVariant variant) {
        this.facts = variant.summaryLines();
        this.frame = variant.video == null ? null : new Dimension(variant.video.width, variant.video.height);
        this.loaded = true;
        repaint();
    }

    /** The buttons work from now on. */
    void connect(PlayerControl control) {
        this.control = control;
        repaint();
    }

    /** When loading failed. */
    void showFailure(String message) {
        this.failure = message;
        this.loaded = true;
        repaint();
    }

    void showPlaying() {
        picture = null;
        endProblem = null;
        positionMicros = 0;
        playState = Playback.BUFFERING;
        phase = FILM;
        repaint();
    }

    void showPicture(BufferedImage image) {
        picture = image;
        repaint();
    }

    void showProgress(int state, long micros, long duration) {
        playState = state;
        positionMicros = micros;
        durationMicros = duration;
        repaint();
    }

    void showStopped() {
        picture = null;
        positionMicros = 0;
        phase = TITLE;
        repaint();
    }

    /** The film is over; problem says what cut it short, or is null. */
    void showEnded(String problem) {
        endProblem = problem;
        phase = END;
        repaint();
    }

    void showLevel() {
        PlayerControl c = control;
        if (c != null) {
            SoundLevel level = c.level();
            showNote(level.muted() ? "Sound off" : "Volume " + level.step() * 100 / SoundLevel.STEPS + "%");
        }
    }

    /** A line over the picture for a moment. */
    void showNote(String text) {
        note = text;
        noteUntil = System.nanoTime() + NOTE_NANOS;
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

        ButtonStrip strip = buttons;
        int panelHeight = parameters.panelEnable ? strip.rowHeight() : 0;
        Rectangle area = pictureArea(w, h - panelHeight);
        g.setColor(Color.BLACK);
        g.fillRect(area.x, area.y, area.width, area.height);
        PlayerImages shown = images;
        int now = phase;
        BufferedImage film = picture;
        if (now == FILM && film != null) {
            g.drawImage(film, area.x, area.y, area.width, area.height, null);
        } else if (now == END && shown != null && shown.end != null) {
            drawFitted(g, shown.end, area);
        } else if (now == END && film != null) {
            g.drawImage(film, area.x, area.y, area.width, area.height, null);
        } else if (shown != null && shown.title != null) {
            drawFitted(g, shown.title, area);
        }
        drawText(g, area, overlay(now));
        if (now != TITLE) {
            drawPosition(g, area, w, h, strip);
        }
        if (parameters.panelEnable) {
            strip.paint(g, panelLeft(w, strip), h - panelHeight, pressedNow());
        }
    }

    /** The lines over the picture: facts before the film, state and notes during and after it. */
    private List<String> overlay(int now) {
        List<String> text = new ArrayList<String>();
        if (!loaded) {
            text.add("Loading...");
        } else if (failure != null) {
            text.add("Cannot play: " + failure);
        } else if (now == TITLE) {
            text.addAll(facts);
        } else if (now == END && endProblem != null) {
            text.add("Stopped: " + endProblem);
        } else if (now == FILM && playState == Playback.BUFFERING) {
            text.add("Buffering...");
        } else if (now == FILM && playState == Playback.PAUSED) {
            text.add("Paused");
        }
        String line = note;
        if (line != null && System.nanoTime() < noteUntil) {
            text.add(line);
        }
        return text;
    }

    /** The position bar along the picture's foot and the time beside the buttons (or over the picture). */
    private void drawPosition(Graphics2D g, Rectangle area, int w, int h, ButtonStrip strip) {
        long duration = durationMicros;
        long position = Math.max(0, positionMicros);
        g.setColor(new Color(255, 255, 255, parameters.videoAlphaValue / 3));
        g.fillRect(area.x, area.y + area.height - BAR_HEIGHT, area.width, BAR_HEIGHT);
        if (duration > 0) {
            int done = (int) Math.min(area.width, area.width * Math.min(position, duration) / duration);
            g.setColor(new Color(255, 200, 0, parameters.videoAlphaValue));
            g.fillRect(area.x, area.y + area.height - BAR_HEIGHT, done, BAR_HEIGHT);
        }
        String time = clock(position) + (duration > 0 ? " / " + clock(duration) : "");
        g.setFont(new Font(Font.DIALOG, Font.PLAIN, 10));
        FontMetrics metrics = g.getFontMetrics();
        int right = panelLeft(w, strip) + strip.width() + 4;
        if (parameters.panelEnable && right + metrics.stringWidth(time) <= w) {
            g.setColor(parameters.backgroundColor.getRed() + parameters.backgroundColor.getGreen()
                    + parameters.backgroundColor.getBlue() > 384 ? Color.BLACK : Color.WHITE);
            g.drawString(time, right, h - strip.rowHeight() + (strip.rowHeight() + metrics.getAscent()) / 2 - 1);
        } else {
            g.setColor(new Color(0, 0, 0, parameters.videoAlphaValue));
            g.fillRect(area.x, area.y, metrics.stringWidth(time) + 6, metrics.getHeight() + 2);
            g.setColor(Color.WHITE);
            g.drawString(time, area.x + 3, area.y + 1 + metrics.getAscent());
        }
    }

    static String clock(long micros) {
        long seconds = micros / 1000000L;
        return seconds / 60 + ":" + (seconds % 60 < 10 ? "0" : "") + seconds % 60;
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

    private void drawText(Graphics g, Rectangle area, List<String> text) {
        if (text.isEmpty()) {
            return;
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

    private static int panelLeft(int w, ButtonStrip strip) {
        return Math.max(0, (w - strip.width()) / 2);
    }

    /** The buttons as pressed by the mouse; mute stays down while the sound is off, pause while paused. */
    private boolean[] pressedNow() {
        boolean[] now = pressed.clone();
        PlayerControl c = control;
        boolean muted = c != null ? c.level().muted() : parameters.muteAudio;
        if (ButtonStrip.MUTE < now.length) {
            now[ButtonStrip.MUTE] |= muted;
        }
        if (ButtonStrip.PAUSE < now.length && phase == FILM && playState == Playback.PAUSED) {
            now[ButtonStrip.PAUSE] = true;
        }
        return now;
    }

    private void press(int x, int y, boolean down) {
        ButtonStrip strip = buttons;
        if (!parameters.panelEnable || y < getHeight() - strip.rowHeight()) {
            if (!down) {
                Arrays.fill(pressed, false);
                repaint();
            }
            return;
        }
        int piece = strip.pieceAt(x - panelLeft(getWidth(), strip));
        if (!down) {
            if (piece >= 0 && piece < pressed.length && pressed[piece]) {
                act(piece);
            }
            Arrays.fill(pressed, false);
        } else if (strip.isButton(piece) && piece < pressed.length) {
            pressed[piece] = true;
        }
        repaint();
    }

    /** A button released where it was pressed. */
    private void act(int piece) {
        PlayerControl c = control;
        if (c == null) {
            return;  // still loading, or nothing to play
        }
        switch (piece) {
            case ButtonStrip.PLAY:
                c.play();
                break;
            case ButtonStrip.PAUSE:
                c.pause();
                break;
            case ButtonStrip.STOP:
                c.stop();
                break;
            case ButtonStrip.VOLUME_DOWN:
                c.volumeDown();
                break;
            case ButtonStrip.VOLUME_UP:
                c.volumeUp();
                break;
            case ButtonStrip.MUTE:
                c.toggleMute();
                break;
            default:
                break;
        }
    }
}
