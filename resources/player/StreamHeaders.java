import java.io.IOException;

/**
 * The fixed records at the start of a stream file. A video stream file
 * starts with a file record (version, playing time in microseconds, payload
 * bytes) and a video record (frame rate x 1,000,000, u16 width, u16 height,
 * bit rate); an audio stream file with one audio record (version, bit rate,
 * payload bytes). All little-endian; the codec's stream follows.
 */
final class StreamHeaders {

    static final int VIDEO_BYTES = 24;
    static final int AUDIO_BYTES = 12;
    /** The only format the encoder writes; an unfinished audio file still says 0. */
    static final long VERSION = 2;

    private StreamHeaders() {
    }

    static final class Video {
        final long durationUs;
        final long dataSize;
        final long frameRateX1e6;
        final int width;
        final int height;
        final long bitRate;

        private Video(byte[] b) {
            durationUs = LittleEndian.u32(b, 4);
            dataSize = LittleEndian.u32(b, 8);
            frameRateX1e6 = LittleEndian.u32(b, 12);
            width = LittleEndian.u16(b, 16);
            height = LittleEndian.u16(b, 18);
            bitRate = LittleEndian.u32(b, 20);
        }

        static Video parse(byte[] bytes, String name) throws IOException {
            if (bytes.length < VIDEO_BYTES) {
                throw new IOException(name + " is shorter than a video stream's headers");
            }
            checkVersion(LittleEndian.u32(bytes, 0), name);
            return new Video(bytes);
        }
    }

    static final class Audio {
        final long bitRate;
        final long dataSize;

        private Audio(byte[] b) {
            bitRate = LittleEndian.u32(b, 4);
            dataSize = LittleEndian.u32(b, 8);
        }

        static Audio parse(byte[] bytes, String name) throws IOException {
            if (bytes.length < AUDIO_BYTES) {
                throw new IOException(name + " is shorter than an audio stream's header");
            }
            checkVersion(LittleEndian.u32(bytes, 0), name);
            return new Audio(bytes);
        }
    }

    private static void checkVersion(long version, String name) throws IOException {
        if (version != VERSION) {
            throw new IOException(name + " has format " + version + ", not " + VERSION
                    + (version == 0 ? " (the encoder never finished it)" : ""));
        }
    }
}
