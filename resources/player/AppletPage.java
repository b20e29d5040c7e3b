import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.util.LinkedHashMap;
import java.util.Locale;
import java.util.Map;
import java.util.regex.Matcher;
import java.util.regex.Pattern;

/**
 * The applet tag of a web page as the standalone player needs it: its size,
 * the class and archive it names, and its parameters. Parameters inside
 * HTML comments are not parameters, just as a browser ignores them.
 */
final class AppletPage implements PlayerParameters.Source {

    private static final Pattern COMMENT = Pattern.compile("<!--.*?-->", Pattern.DOTALL);
    private static final Pattern APPLET = Pattern.compile(
            "<applet\\b([^>]*)>(.*?)(?:</applet\\s*>|\\z)", Pattern.CASE_INSENSITIVE | Pattern.DOTALL);
    private static final Pattern PARAM = Pattern.compile("<param\\b([^>]*)>", Pattern.CASE_INSENSITIVE);
    private static final Pattern ATTRIBUTE = Pattern.compile(
            "([A-Za-z_:][-A-Za-z0-9_:.]*)\\s*(?:=\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\s\"'>]+)))?");
    private static final Pattern REFERENCE = Pattern.compile("&(#[0-9]{1,7}|#[xX][0-9A-Fa-f]{1,6}|amp|lt|gt|quot|apos);");

    final int width;
    final int height;
    final String code;       // the class attribute, e.g. "zqmPlayer.class"
    final String archive;    // the archive attribute, e.g. "zqmPlayer.jar"
    /** Parameter names in lower case, since applet parameter names ignore case. */
    final Map<String, String> parameters = new LinkedHashMap<String, String>();
    /** The names as the page spells them, in page order. */
    final Map<String, String> spelledNames = new LinkedHashMap<String, String>();

    private AppletPage(Map<String, String> appletAttributes, String body) {
        width = number(appletAttributes.get("width"));
        height = number(appletAttributes.get("height"));
        code = appletAttributes.get("code");
        archive = appletAttributes.get("archive");
        Matcher param = PARAM.matcher(body);
        while (param.find()) {
            Map<String, String> attributes = attributes(param.group(1));
            String name = attributes.get("name");
            if (name != null) {
                String key = name.toLowerCase(Locale.ROOT);
                parameters.put(key, attributes.containsKey("value") ? attributes.get("value") : "");
                spelledNames.put(key, name);
            }
        }
    }

    static AppletPage parse(byte[] page) throws IOException {
        String text = COMMENT.matcher(new String(page, StandardCharsets.UTF_8)).replaceAll("");
        Matcher applet = APPLET.matcher(text);
        if (!applet.find()) {
            throw new IOException("the page has no <applet> tag");
        }
        return new AppletPage(attributes(applet.group(1)), applet.group(2));
    }

    @Override
    public String get(String name) {
        return parameters.get(name.toLowerCase(Locale.ROOT));
    }

    private static Map<String, String> attributes(String tagBody) {
        Map<String, String> attributes = new LinkedHashMap<String, String>();
        Matcher attribute = ATTRIBUTE.matcher(tagBody);
        while (attribute.find()) {
            String value = attribute.group(2) != null ? attribute.group(2)
                    : attribute.group(3) != null ? attribute.group(3)
                    : attribute.group(4) != null ? attribute.group(4) : "";
            attributes.put(attribute.group(1).toLowerCase(Locale.ROOT), unescape(value));
        }
        return attributes;
    }

    private static int number(String value) {
        return value != null && value.trim().matches("[0-9]{1,5}") ? Integer.parseInt(value.trim()) : 0;
    }

    /** The character references a hand-edited page is likely to hold. */
    static String unescape(String value) {
        if (value.indexOf('&') < 0) {
            return value;
        }
        StringBuilder out = new StringBuilder();
        Matcher reference = REFERENCE.matcher(value);
        int from = 0;
        while (reference.find()) {
            out.append(value, from, reference.start());
            String name = reference.group(1);
            if (name.startsWith("#")) {
                boolean hex = name.startsWith("#x") || name.startsWith("#X");
                int codePoint = Integer.parseInt(name.substring(hex ? 2 : 1), hex ? 16 : 10);
                if (Character.isValidCodePoint(codePoint)) {
                    out.appendCodePoint(codePoint);
                } else {
                    out.append(reference.group());
                }
            } else {
                out.append(name.equals("amp") ? '&' : name.equals("lt") ? '<' : name.equals("gt") ? '>'
                        : name.equals("quot") ? '"' : '\'');
            }
            from = reference.end();
        }
        return out.append(value.substring(from)).toString();
    }
}
