/**
 * The frame check word of protected frames: CRC-16 (polynomial 0x8005,
 * preset to all ones) over the last two header bytes and the side
 * information.
 */
final class Mp3Crc {

    private Mp3Crc() {
    }

    /** Whether the check word stored after the header of the frame at offset matches its contents. */
    static boolean matches(byte[] frame, int offset, int sideInfoBytes) {
        int crc = 0xFFFF;
        crc = update(crc, frame[offset + 2]);
        crc = update(crc, frame[offset + 3]);
        for (int i = 0; i < sideInfoBytes; i++) {
            crc = update(crc, frame[offset + 6 + i]);
        }
        int stored = (frame[offset + 4] & 0xFF) << 8 | (frame[offset + 5] & 0xFF);
        return crc == stored;
    }

    private static int update(int crc, byte value) {
        int v = value & 0xFF;
        for (int bit = 7; bit >= 0; bit--) {
            boolean high = ((crc >>> 15) & 1) != ((v >>> bit) & 1);
            crc = (crc << 1) & 0xFFFF;
            if (high) {
                crc ^= 0x8005;
            }
        }
        return crc;
    }
}
