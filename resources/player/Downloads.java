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

    /** The whole file; more than maxBytes means it is not the file we expect. */
    static byte[] readAll(URL url, String name, int maxBytes) throws IOException {
        return read(url, name, maxBytes, false);
    }

    /** At most the first count bytes: a stream's headers, without fetching the stream. */
    static byte[] readHead(URL url, String name, int count) throws IOException {
        return read(url, name, count, true);
    }

    private static byte[] read(URL url, String name, int limit, boolean head) throws IOException {
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
