import java.io.BufferedOutputStream;
import java.io.FileOutputStream;
import java.io.IOException;
import java.io.OutputStream;
import java.nio.file.Files;
import java.nio.file.NoSuchFileException;
import java.nio.file.Paths;
import java.util.LinkedHashSet;
import java.util.Set;

/**
 * java -cp zqmPlayer.jar Mp4vFileDecode IN OUT.yuv: decodes a video stream
 * file (its headers are skipped when it does not start with a start code)
 * or a raw elementary stream, and writes every picture as planar 4:2:0 in
 * display order. Prints "video: WIDTHxHEIGHT PICTURES"; exits 1, saying why,
 * when IN cannot be read or any picture had to be concealed.
 */
final class Mp4vFileDecode {

    private static final int PIECE = 65536;

    private Mp4vFileDecode() {
    }

    public static void main(String[] args) {
        if (args.length != 2) {
            System.err.println("usage: Mp4vFileDecode IN OUT.yuv");
            System.exit(2);
        }
        try {
            System.exit(run(args[0], args[1]));
        } catch (NoSuchFileException e) {
            System.err.println(args[0] + ": no such file");
        } catch (IOException e) {
            System.err.println("error: " + e.getMessage());
        }
        System.exit(1);
    }

    private static int run(String inName, String outName) throws IOException {
        byte[] file = Files.readAllBytes(Paths.get(inName));
        int skip = startsWithStartCode(file) ? 0 : Math.min(file.length, StreamHeaders.VIDEO_BYTES);
        Mp4vDecoder decoder = new Mp4vDecoder();
        Mp4vStreamSplitter splitter = new Mp4vStreamSplitter();
        Set<String> reasons = new LinkedHashSet<>();
        int count = 0;
        try (OutputStream out = new BufferedOutputStream(new FileOutputStream(outName), 1 << 20)) {
            for (int at = skip; at < file.length; at += PIECE) {
                splitter.feed(file, at, Math.min(PIECE, file.length - at));
                for (byte[] unit = splitter.next(); unit != null; unit = splitter.next()) {
                    count += emit(decoder, unit, out, reasons);
                }
            }
            byte[] last = splitter.finish();
            if (last != null) {
                count += emit(decoder, last, out, reasons);
            }
        }
        System.out.println("video: " + decoder.width() + "x" + decoder.height() + " " + count);
        if (decoder.damagedPictures() > 0) {
            System.err.println(decoder.damagedPictures() + " of " + count + " pictures were concealed: "
                    + String.join("; ", reasons));
            return 1;
        }
        if (count == 0) {
            System.err.println(inName + ": no pictures");
            return 1;
        }
        return 0;
    }

    private static boolean startsWithStartCode(byte[] b) {
        return b.length >= 4 && b[0] == 0 && b[1] == 0 && b[2] == 1;
    }

    private static int emit(Mp4vDecoder decoder, byte[] unit, OutputStream out, Set<String> reasons)
            throws IOException {
        Mp4vPicture p = decoder.decode(unit, 0, unit.length);
        if (p == null) {
            return 0;
        }
        if (p.damaged && reasons.size() < 8) {
            reasons.add(decoder.damageReason());
        }
        out.write(p.y);
        out.write(p.u);
        out.write(p.v);
        return 1;
    }
}
