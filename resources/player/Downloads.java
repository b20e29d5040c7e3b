import java.io.ByteArrayOutputStream;
import java.io.FileNotFoundException;
import java.io.IOException;
import java.io.InputStream;
import java.net.MalformedURLException;
import java.net.URL;
import java.nio.charset.StandardCharsets;

/**
 * Reading the player's files from the server (or from disk when run
 * standalone). Messages name the file as the page does, the URL only where
 * it helps to find it.
 */
final class Downloads {
    private Downloads() {
    }

    /**
     * A file name from the page, relative to base. The encoder keeps spaces
     * (and any other character) of the names it copies, so they are escaped
     * here as a browser would; an existing %xx escape is kept.
     */
    static URL resolve(URL base, String name) throws MalformedURLException {
        StringBuilder escaped = new StringBuilder();
        for (byte b : name.getBytes(StandardCharsets.UTF_8)) {
            int c = b & 0xFF;
            if (c <= ' ' || c >= 0x7F || "\"#<>\\^`{|}".indexOf(c) >= 0) {
                escaped.append(String.format("%%%02X", c));
            } else {
                escaped.append((char) c);
            }
        }
        return new URL(base, escaped.toString());
    }

    /**
     * A file's own name as a relative URL of one path segment: every byte but
     * letters, digits and - . _ ~ percent-encoded, as the encoder writes names
     * into its pages.
     */
    static String pathSegment(String fileName) {
        StringBuilder out = new StringBuilder();
        for (byte b : fileName.getBytes(StandardCharsets.UTF_8)) {
            int c = b & 0xFF;
            if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || "-._~".indexOf(c) >= 0) {
                out.append((char) c);
            } else {
                out.append(String.format("%%%02X", c));
            }
        }
        return out.toString();
    }

    /**
     * A name from the page as its file is called, for messages: %xx escapes
     * decoded when they make UTF-8 text, else the name as given.
     */
    static String shown(String name) {
        if (name.indexOf('%') < 0) {
            return name;
        }
        ByteArrayOutputStream bytes = new ByteArrayOutputStream();
        byte[] given = name.getBytes(StandardCharsets.UTF_8);
        for (int i = 0; i < given.length; i++) {
            int high = i + 2 < given.length && given[i] == '%' ? Character.digit(given[i + 1], 16) : -1;
            int low = high >= 0 ? Character.digit(given[i + 2], 16) : -1;
            if (low >= 0) {
                bytes.write(high * 16 + low);
                i += 2;
            } else {
                bytes.write(given[i]);
            }
        }
        try {
            return StandardCharsets.UTF_8.newDecoder().decode(java.nio.ByteBuffer.wrap(bytes.toByteArray())).toString();
        } catch (java.nio.charset.CharacterCodingException e) {
            return name;
        }
    }

    /** The whole file; more than maxBytes means it is not the file we expect. */
    static byte[] readAll(URL url, String name, int maxBytes) throws IOException {
        return read(url, name, maxBytes, false);
    }

    /** At most the first count bytes: a stream's headers, without fetching the stream. */
    static byte[] readHead(URL url, String name, int count) throws IOException {
        return read(url, name, count, true);
    }

    private static byte[] read(URL url, String reference, int limit, boolean head) throws IOException {
        String name = shown(reference);
        InputStream in;
        try {
            in = url.openStream();
        } catch (FileNotFoundException e) {
            throw new IOException("cannot find " + name + " (" + url + ")");
        } catch (IOException e) {
            throw new IOException("cannot open " + name + ": " + e.getMessage());
        }
        ByteArrayOutputStream out = new ByteArrayOutputStream();
        byte[] buffer = new byte[4096];
        try {
            while (out.size() <= limit) {
                int want = head ? Math.min(buffer.length, limit - out.size()) : buffer.length;
                int n = want == 0 ? -1 : in.read(buffer, 0, want);
                if (n < 0) {
                    break;
                }
                out.write(buffer, 0, n);
            }
        } catch (IOException e) {
            throw new IOException("cannot read " + name + ": " + e.getMessage());
        } finally {
            in.close();
        }
        if (out.size() > limit) {
            throw new IOException(name + " is larger than " + limit + " bytes");
        }
        return out.toByteArray();
    }
}
