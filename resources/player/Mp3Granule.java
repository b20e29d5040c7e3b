/**
 * The side information of one granule of one channel, and the scale
 * factors read for it from the main data.
 */
final class Mp3Granule {

    static final int BLOCK_NORMAL = 0;
    static final int BLOCK_START = 1;
    static final int BLOCK_SHORT = 2;
    static final int BLOCK_STOP = 3;

    int part23Length;
    int bigValues;
    int globalGain;
    int scalefacCompress;
    int blockType;
    boolean mixedBlock;
    final int[] tableSelect = new int[3];
    final int[] subblockGain = new int[3];
    /** Spectral lines (not pairs) where region 1 and region 2 start. */
    int region1Start;
    int region2Start;
    boolean preflag;
    boolean scalefacScale;
    int count1Table;

    /** Long-block scale factors by band (22, the last one always 0). */
    final int[] scalefacLong = new int[22];
    /** Short-block scale factors by band and window: [band * 3 + window] (13 bands, the last always 0). */
    final int[] scalefacShort = new int[39];

    /** Lines up to the last one the Huffman data set (the rest are zero). */
    int nonZeroEnd;

    boolean shortBlocks() {
        return blockType == BLOCK_SHORT;
    }
}
