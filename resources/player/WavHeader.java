/** The 44-byte header of a 16-bit PCM WAV file. */
final class WavHeader {

    static final int BYTES = 44;

    private WavHeader() {
    }

    static byte[] bytes(int rate, int channels, long samples) {
        long data = Math.min(samples * channels * 2, 0xFFFFFFFFL - 36);
        byte[] h = new byte[BYTES];
        ascii(h, 0, "RIFF");
        u32(h, 4, 36 + data);
        ascii(h, 8, "WAVE");
        ascii(h, 12, "fmt ");
        u32(h, 16, 16);
        u16(h, 20, 1);  // integer PCM
        u16(h, 22, channels);
        u32(h, 24, rate);
        u32(h, 28, (long) rate * channels * 2);
        u16(h, 32, channels * 2);
        u16(h, 34, 16);
        ascii(h, 36, "data");
        u32(h, 40, data);
        return h;
    }

    private static void ascii(byte[] to, int at, String text) {
        for (int i = 0; i < text.length(); i++) {
            to[at + i] = (byte) text.charAt(i);
        }
    }

    private static void u16(byte[] to, int at, int value) {
        to[at] = (byte) value;
        to[at + 1] = (byte) (value >> 8);
    }

    private static void u32(byte[] to, int at, long value) {
        u16(to, at, (int) value);
        u16(to, at + 2, (int) (value >> 16));
    }
}
