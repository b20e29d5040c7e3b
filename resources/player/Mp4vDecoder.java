/** Decodes an MPEG-4 video elementary stream, one unit at a time. */
final class Mp4vDecoder {

    Mp4vDecoder() {
    }

    /**
     * Decodes one unit as cut by Mp4vStreamSplitter (configuration headers
     * and/or one picture). Returns the picture it completes, or null when the
     * unit holds none. Never throws, whatever the bytes.
     */
    Mp4vPicture decode(byte[] data, int offset, int length) {
        return null;
    }

    int width() {
        return 0;
    }

    int height() {
        return 0;
    }

    int damagedPictures() {
        return 0;
    }
}
