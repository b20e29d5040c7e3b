import java.io.BufferedOutputStream;
import java.io.File;
import java.io.FileOutputStream;
import java.io.IOException;
import java.io.OutputStream;
import java.io.RandomAccessFile;
import java.nio.file.Files;

/**
 * Command line: java -cp zqmPlayer.jar Mp3FileDecode IN OUT.wav decodes an
 * audio stream file (its 12-byte header is skipped unless the file starts
 * with a frame sync) or a raw MP3 file into a 16-bit PCM WAV file at the
 * stream's rate and channel count. Prints "audio: RATE CHANNELS SAMPLES";
 * exits with 1 and the reasons on stderr if a frame was damaged, bytes had
 * to be skipped or IN cannot be read.
 */
final class Mp3FileDecode {

    private static final int STREAM_HEADER_BYTES = 12;
    /** Not a multiple of any frame length, so that frames arrive split. */
    private static final int FEED_BYTES = 1237;

    private Mp3FileDecode() {
    }

    public static void main(String[] args) {
        if (args.length != 2) {
            System.err.println("usage: Mp3FileDecode IN OUT.wav");
            System.exit(2);
        }
        byte[] input;
        try {
            input = Files.readAllBytes(new File(args[0]).toPath());
        } catch (IOException | RuntimeException e) {
            System.err.println("cannot read " + args[0] + ": " + e.getMessage());
            System.exit(1);
            return;
        }
        int skip = startsWithSync(input) || input.length < STREAM_HEADER_BYTES ? 0 : STREAM_HEADER_BYTES;
        Mp3Decoder decoder = new Mp3Decoder();
        long samples;
        try {
            samples = writeWav(decoder, input, skip, new File(args[1]));
        } catch (IOException e) {
            System.err.println("cannot write " + args[1] + ": " + e.getMessage());
            System.exit(1);
            return;
        }
        System.out.println("audio: " + decoder.sampleRate() + " " + decoder.channels() + " " + samples);
        boolean failed = false;
        if (decoder.damagedFrames() > 0) {
            System.err.println(decoder.damagedFrames() + " damaged frame(s) decoded as silence (last: "
                    + decoder.lastProblem() + ")");
            failed = true;
        }
        if (decoder.skippedBytes() > 0) {
            System.err.println(decoder.skippedBytes() + " byte(s) outside frames skipped");
            failed = true;
        }
        if (samples == 0) {
            System.err.println("no audio frames in " + args[0]);
            failed = true;
        }
        System.exit(failed ? 1 : 0);
    }

    private static boolean startsWithSync(byte[] b) {
        return b.length >= 2 && (b[0] & 0xFF) == 0xFF && (b[1] & 0xE0) == 0xE0;
    }

    /**
     * Feeds the stream in pieces the way a download arrives and writes every frame, in the first frame's
     * channel count; returns the samples per channel.
     */
    private static long writeWav(Mp3Decoder decoder, byte[] input, int from, File file) throws IOException {
        short[] pcm = new short[2 * 1152];
        byte[] bytes = new byte[4 * 1152];
        long samples = 0;
        int rate = 0;
        int channels = 0;
        try (OutputStream out = new BufferedOutputStream(new FileOutputStream(file))) {
            out.write(new byte[44]);   // the header follows once the length is known
            int fed = from;
            int n;
            while (true) {
                n = decoder.decodeNext(pcm);
                if (n == 0) {
                    if (fed == input.length) {
                        break;
                    }
                    int piece = Math.min(FEED_BYTES, input.length - fed);
                    decoder.feed(input, fed, piece);
                    fed += piece;
                    if (fed == input.length) {
                        decoder.endOfStream();
                    }
                    continue;
                }
                if (channels == 0) {
                    channels = decoder.channels();
                    rate = decoder.sampleRate();
                }
                int values = toBytes(pcm, n, decoder.channels(), channels, bytes);
                out.write(bytes, 0, values * 2);
                samples += n;
            }
        }
        try (RandomAccessFile raf = new RandomAccessFile(file, "rw")) {
            raf.write(wavHeader(rate, Math.max(channels, 1), samples));
        }
        return samples;
    }

    /** Little-endian samples in the output's channel count (a frame of another count is mixed or copied). */
    private static int toBytes(short[] pcm, int n, int frameChannels, int outChannels, byte[] bytes) {
        int k = 0;
        for (int i = 0; i < n; i++) {
            for (int c = 0; c < outChannels; c++) {
                int v;
                if (frameChannels == outChannels) {
                    v = pcm[i * frameChannels + c];
                } else if (frameChannels == 1) {
                    v = pcm[i];
                } else {
                    v = (pcm[2 * i] + pcm[2 * i + 1]) / 2;
                }
                bytes[k++] = (byte) v;
                bytes[k++] = (byte) (v >> 8);
            }
        }
        return n * outChannels;
    }

    private static byte[] wavHeader(int rate, int channels, long samples) {
        long dataBytes = samples * channels * 2;
        byte[] h = new byte[44];
        ascii(h, 0, "RIFF");
        le32(h, 4, 36 + dataBytes);
        ascii(h, 8, "WAVE");
        ascii(h, 12, "fmt ");
        le32(h, 16, 16);
        le16(h, 20, 1);   // PCM
        le16(h, 22, channels);
        le32(h, 24, rate);
        le32(h, 28, (long) rate * channels * 2);
        le16(h, 32, channels * 2);
        le16(h, 34, 16);
        ascii(h, 36, "data");
        le32(h, 40, dataBytes);
        return h;
    }

    private static void ascii(byte[] b, int at, String s) {
        for (int i = 0; i < s.length(); i++) {
            b[at + i] = (byte) s.charAt(i);
        }
    }

    private static void le16(byte[] b, int at, int v) {
        b[at] = (byte) v;
        b[at + 1] = (byte) (v >> 8);
    }

    private static void le32(byte[] b, int at, long v) {
        for (int i = 0; i < 4; i++) {
            b[at + i] = (byte) (v >> (8 * i));
        }
    }
}
