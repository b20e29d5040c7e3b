/**
 * What the predictors need to know about the macroblocks decoded so far in
 * the current picture: which video packet each belongs to (neighbours in
 * another packet, or outside the picture, are not used for prediction),
 * whether it is intra coded, and its quantiser.
 */
final class Mp4vMbMap {

    final int mbWidth;
    final int mbHeight;
    final int[] packet;
    final boolean[] intra;
    final int[] qp;

    Mp4vMbMap(int mbWidth, int mbHeight) {
        this.mbWidth = mbWidth;
        this.mbHeight = mbHeight;
        packet = new int[mbWidth * mbHeight];
        intra = new boolean[mbWidth * mbHeight];
        qp = new int[mbWidth * mbHeight];
    }

    void startPicture() {
        java.util.Arrays.fill(packet, -1);
    }

    /** True when the macroblock at (mbx, mby) exists and lies in video packet `current`. */
    boolean inPacket(int mbx, int mby, int current) {
        return mbx >= 0 && mby >= 0 && mbx < mbWidth && mby < mbHeight && packet[mby * mbWidth + mbx] == current;
    }
}
