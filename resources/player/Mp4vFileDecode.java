/** Decodes a video stream file to planar 4:2:0 pictures. */
final class Mp4vFileDecode {

    private Mp4vFileDecode() {
    }

    public static void main(String[] args) {
        System.err.println("not yet");
        System.exit(1);
    }
}
