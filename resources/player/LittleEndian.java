/** Unsigned little-endian fields, the byte order of every file the encoder writes. */
final class LittleEndian {
    private LittleEndian() {
    }

    static long u32(byte[] bytes, int offset) {
        return (bytes[offset] & 0xFFL) | (bytes[offset + 1] & 0xFFL) << 8
                | (bytes[offset + 2] & 0xFFL) << 16 | (bytes[offset + 3] & 0xFFL) << 24;
    }

    static int u16(byte[] bytes, int offset) {
        return (bytes[offset] & 0xFF) | (bytes[offset + 1] & 0xFF) << 8;
    }
}
