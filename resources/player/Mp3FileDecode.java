/** Command line: decodes an audio stream file or a raw MP3 file into a 16-bit PCM WAV file. */
final class Mp3FileDecode {

    private Mp3FileDecode() {
    }

    public static void main(String[] args) {
        System.exit(1);
    }
}
