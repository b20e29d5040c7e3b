/**
 * Which picture an MPEG-4 video unit holds, read from its picture header
 * without decoding it: the player counts pictures for their times and finds
 * the key frames it can switch streams at.
 */
final class VopHeaders {

    static final int NO_PICTURE = -1;
    static final int INTRA = 0;

    private static final int VOP_START = 0xB6;

    private VopHeaders() {
    }

    /**
     * The coding type of the unit's first picture header (0 intra, 1
     * predicted, 2 bidirectional, 3 sprite), or NO_PICTURE when it has none
     * (configuration headers only).
     */
    static int codingType(byte[] unit) {
        for (int i = 0; i + 4 < unit.length; i++) {
            if (unit[i] == 0 && unit[i + 1] == 0 && unit[i + 2] == 1 && (unit[i + 3] & 0xFF) == VOP_START) {
                return (unit[i + 4] & 0xFF) >> 6;
            }
        }
        return NO_PICTURE;
    }
}
