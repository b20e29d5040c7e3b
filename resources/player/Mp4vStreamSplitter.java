/**
 * Cuts an elementary stream arriving in pieces into decode units, each
 * ending where the next picture's unit begins.
 */
final class Mp4vStreamSplitter {

    void feed(byte[] data, int offset, int length) {
    }

    byte[] next() {
        return null;
    }

    byte[] finish() {
        return null;
    }
}
