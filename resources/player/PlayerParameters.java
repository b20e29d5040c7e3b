import java.awt.Color;
import java.net.MalformedURLException;
import java.net.URL;
import java.util.ArrayList;
import java.util.List;

/**
 * Every parameter the encoder's page can give the player, read once, with
 * the player's defaults for those the page leaves out or comments out.
 *
 * A value that does not parse falls back to the default and is noted in
 * {@link #problems}: a browser would rather show a player than nothing, and
 * the self-check prints the notes so a broken page is still noticed.
 */
final class PlayerParameters {

    /** Where the parameter values come from: the applet's page or a parsed page file. */
    interface Source {
        String get(String name);
    }

    static final String AUTO_PLAY = "AutoPlay";
    static final String REPEAT_FOREVER = "RepeatForever";
    static final String URL_BASE = "UrlBase";
    static final String PANEL_ENABLE = "PanelEnable";
    static final String PANEL_IMAGES_URL = "PanelImagesURL";
    static final String META_URL = "MetaURL";
    static final String VIDEO_END_IMAGE_URL = "VideoEndImageURL";
    static final String VIDEO_TITLE_IMAGE_URL = "VideoTitleImageURL";
    static final String BACKGROUND_COLOR = "BackgroundColor";
    static final String PANEL_BUTTONS_WIDTHS = "PanelButtonsWidths";
    static final String MUTE_AUDIO = "MuteAudio";
    static final String VIDEO_ALPHA_VALUE = "VideoAlphaValue";

    /** Name, kind and meaning of each parameter, as Applet.getParameterInfo reports them. */
    static final String[][] INFO = {
        {AUTO_PLAY, "boolean", "start playing as soon as the page opens (default false)"},
        {REPEAT_FOREVER, "boolean", "start again at the end (default false)"},
        {URL_BASE, "codebase | documentbase | URL", "what relative file names are resolved against (default codebase)"},
        {PANEL_ENABLE, "boolean", "show the button panel (default true)"},
        {PANEL_IMAGES_URL, "file name", "the strip of button images (default buttons.gif)"},
        {META_URL, "file name", "the metafile listing the stream variants (required)"},
        {VIDEO_END_IMAGE_URL, "file name", "image shown when playback ends (default none)"},
        {VIDEO_TITLE_IMAGE_URL, "file name", "image shown before playback starts (default none)"},
        {BACKGROUND_COLOR, "RRGGBB", "colour around the picture and panel (default FFFFFF)"},
        {PANEL_BUTTONS_WIDTHS, "list of pixel widths", "how the button strip is cut (default 15,15,15,7,6,1,6,15)"},
        {MUTE_AUDIO, "boolean", "start with the sound off (default false)"},
        {VIDEO_ALPHA_VALUE, "0..255", "opacity of what is drawn over the picture; 255 is opaque (default 192)"},
    };

    static final int[] DEFAULT_BUTTON_WIDTHS = {15, 15, 15, 7, 6, 1, 6, 15};
    static final String DEFAULT_PANEL_IMAGES = "buttons.gif";
    static final int DEFAULT_ALPHA = 192;

    final boolean autoPlay;
    final boolean repeatForever;
    final String urlBase;
    final boolean panelEnable;
    final String panelImagesUrl;
    final String metaUrl;              // null when the page gives none
    final String videoEndImageUrl;     // null: no end image
    final String videoTitleImageUrl;   // null: no title image
    final Color backgroundColor;
    final int[] panelButtonsWidths;
    final boolean muteAudio;
    final int videoAlphaValue;
    final List<String> problems = new ArrayList<String>();

    PlayerParameters(Source source) {
        autoPlay = bool(source, AUTO_PLAY, false);
        repeatForever = bool(source, REPEAT_FOREVER, false);
        urlBase = text(source, URL_BASE, "codebase");
        panelEnable = bool(source, PANEL_ENABLE, true);
        panelImagesUrl = text(source, PANEL_IMAGES_URL, DEFAULT_PANEL_IMAGES);
        metaUrl = text(source, META_URL, null);
        videoEndImageUrl = text(source, VIDEO_END_IMAGE_URL, null);
        videoTitleImageUrl = text(source, VIDEO_TITLE_IMAGE_URL, null);
        backgroundColor = colour(source, BACKGROUND_COLOR, Color.WHITE);
        panelButtonsWidths = widths(source, PANEL_BUTTONS_WIDTHS);
        muteAudio = bool(source, MUTE_AUDIO, false);
        videoAlphaValue = alpha(source, VIDEO_ALPHA_VALUE);
    }

    /**
     * The folder relative file names are taken from. "codebase" (the page's
     * own setting) is where the archive came from, "documentbase" is the
     * page's folder; anything else names that folder itself.
     */
    URL baseUrl(URL codeBase, URL documentBase) throws MalformedURLException {
        if (urlBase.equalsIgnoreCase("codebase")) {
            return codeBase;
        }
        if (urlBase.equalsIgnoreCase("documentbase")) {
            return new URL(documentBase, ".");
        }
        String folder = urlBase.endsWith("/") ? urlBase : urlBase + "/";
        return new URL(documentBase, folder);
    }

    /** One "Name = value" line per parameter, for the self-check. */
    List<String> describe() {
        List<String> lines = new ArrayList<String>();
        lines.add(AUTO_PLAY + " = " + autoPlay);
        lines.add(REPEAT_FOREVER + " = " + repeatForever);
        lines.add(URL_BASE + " = " + urlBase);
        lines.add(PANEL_ENABLE + " = " + panelEnable);
        lines.add(PANEL_IMAGES_URL + " = " + panelImagesUrl);
        lines.add(META_URL + " = " + (metaUrl == null ? "(none)" : metaUrl));
        lines.add(VIDEO_END_IMAGE_URL + " = " + (videoEndImageUrl == null ? "(none)" : videoEndImageUrl));
        lines.add(VIDEO_TITLE_IMAGE_URL + " = " + (videoTitleImageUrl == null ? "(none)" : videoTitleImageUrl));
        lines.add(BACKGROUND_COLOR + " = " + hex(backgroundColor));
        lines.add(PANEL_BUTTONS_WIDTHS + " = " + join(panelButtonsWidths));
        lines.add(MUTE_AUDIO + " = " + muteAudio);
        lines.add(VIDEO_ALPHA_VALUE + " = " + videoAlphaValue);
        return lines;
    }

    static boolean isKnown(String name) {
        for (String[] row : INFO) {
            if (row[0].equalsIgnoreCase(name)) {
                return true;
            }
        }
        return false;
    }

    static String join(int[] values) {
        StringBuilder text = new StringBuilder();
        for (int i = 0; i < values.length; i++) {
            text.append(i == 0 ? "" : ",").append(values[i]);
        }
        return text.toString();
    }

    static String hex(Color colour) {
        return String.format("%06X", colour.getRGB() & 0xFFFFFF);
    }

    // An empty value counts as absent: an applet tag cannot tell the two apart either.
    private static String text(Source source, String name, String fallback) {
        String value = source.get(name);
        if (value == null || value.trim().isEmpty()) {
            return fallback;
        }
        return value.trim();
    }

    private boolean bool(Source source, String name, boolean fallback) {
        String value = text(source, name, null);
        if (value == null) {
            return fallback;
        }
        if (value.equalsIgnoreCase("true")) {
            return true;
        }
        if (value.equalsIgnoreCase("false")) {
            return false;
        }
        problems.add(name + ": \"" + value + "\" is neither true nor false; using " + fallback);
        return fallback;
    }

    private Color colour(Source source, String name, Color fallback) {
        String value = text(source, name, null);
        if (value == null) {
            return fallback;
        }
        String digits = value.startsWith("#") ? value.substring(1) : value;
        if (digits.matches("[0-9A-Fa-f]{6}")) {
            return new Color(Integer.parseInt(digits, 16));
        }
        problems.add(name + ": \"" + value + "\" is not a RRGGBB colour; using " + hex(fallback));
        return fallback;
    }

    private int[] widths(Source source, String name) {
        String value = text(source, name, null);
        if (value == null) {
            return DEFAULT_BUTTON_WIDTHS.clone();
        }
        String[] parts = value.split(",");
        int[] widths = new int[parts.length];
        for (int i = 0; i < parts.length; i++) {
            String part = parts[i].trim();
            widths[i] = part.matches("[0-9]{1,4}") ? Integer.parseInt(part) : 0;
            if (widths[i] <= 0) {
                problems.add(name + ": \"" + value + "\" is not a list of positive widths; using "
                        + join(DEFAULT_BUTTON_WIDTHS));
                return DEFAULT_BUTTON_WIDTHS.clone();
            }
        }
        return widths;
    }

    private int alpha(Source source, String name) {
        String value = text(source, name, null);
        if (value == null) {
            return DEFAULT_ALPHA;
        }
        if (value.matches("[0-9]{1,3}") && Integer.parseInt(value) <= 255) {
            return Integer.parseInt(value);
        }
        problems.add(name + ": \"" + value + "\" is not a number from 0 to 255; using " + DEFAULT_ALPHA);
        return DEFAULT_ALPHA;
    }
}
