import java.awt.Color;
import java.awt.Graphics;
import java.awt.image.BufferedImage;

/**
 * The button panel, cut from one strip image. The strip holds the buttons
 * side by side, each as wide as the page's PanelButtonsWidths says, in two
 * rows: the top half at rest, the bottom half pressed. With the default
 * widths the eight pieces are play, pause, stop, a gap, volume down, a
 * divider, volume up and mute; the gap and the divider are not buttons.
 * Without a strip the same pieces are drawn as plain boxes.
 */
final class ButtonStrip {

    static final int PLAY = 0;
    static final int PAUSE = 1;
    static final int STOP = 2;
    static final int GAP = 3;
    static final int VOLUME_DOWN = 4;
    static final int DIVIDER = 5;
    static final int VOLUME_UP = 6;
    static final int MUTE = 7;

    /** The height of a row when there is no strip to take it from. */
    static final int PLAIN_ROW = 16;

    private final BufferedImage strip;  // null: plain boxes
    private final int[] lefts;          // x of each piece within the strip
    private final int[] widths;         // clipped to the strip's width

    ButtonStrip(BufferedImage strip, int[] pageWidths) {
        this.strip = strip;
        int limit = strip == null ? Integer.MAX_VALUE : strip.getWidth();
        lefts = new int[pageWidths.length];
        widths = new int[pageWidths.length];
        int x = 0;
        for (int i = 0; i < pageWidths.length; i++) {
            lefts[i] = x;
            widths[i] = Math.max(0, Math.min(pageWidths[i], limit - x));
            x += widths[i];
        }
    }

    int count() {
        return widths.length;
    }

    int width() {
        return widths.length == 0 ? 0 : lefts[widths.length - 1] + widths[widths.length - 1];
    }

    int rowHeight() {
        return strip == null ? PLAIN_ROW : strip.getHeight() / 2;
    }

    /** Whether the piece reacts to the mouse: spacers and pieces cut off the strip do not. */
    boolean isButton(int index) {
        return index >= 0 && index < widths.length && widths[index] > 0 && index != GAP && index != DIVIDER;
    }

    /** The piece under x (relative to the panel's left edge), or -1. */
    int pieceAt(int x) {
        for (int i = 0; i < widths.length; i++) {
            if (x >= lefts[i] && x < lefts[i] + widths[i]) {
                return i;
            }
        }
        return -1;
    }

    void paint(Graphics g, int x, int y, boolean[] pressed) {
        int row = rowHeight();
        for (int i = 0; i < widths.length; i++) {
            if (widths[i] == 0) {
                continue;
            }
            boolean down = i < pressed.length && pressed[i];
            int dx = x + lefts[i];
            if (strip != null) {
                int sy = down ? row : 0;
                g.drawImage(strip, dx, y, dx + widths[i], y + row, lefts[i], sy, lefts[i] + widths[i], sy + row, null);
            } else {
                g.setColor(down ? Color.DARK_GRAY : Color.LIGHT_GRAY);
                g.fill3DRect(dx, y, widths[i], row, !down);
            }
        }
    }
}
