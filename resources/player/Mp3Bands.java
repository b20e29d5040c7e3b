/**
 * Scale factor band boundaries (in spectral lines, cumulative) for the nine
 * sample rates, in header rate index order: 44 100, 48 000, 32 000,
 * 22 050, 24 000, 16 000, 11 025, 12 000 and 8 000 Hz. Short-block
 * boundaries count lines of one window. At 24 000 Hz band 18 starts at
 * line 332, where LAME puts it (a decoder using 330 there misreads the
 * Huffman regions of granules whose region 2 starts at that band).
 */
final class Mp3Bands {

    private Mp3Bands() {
    }

    static final int[][] LONG = {
        {0, 4, 8, 12, 16, 20, 24, 30, 36, 44, 52, 62, 74, 90, 110, 134, 162, 196, 238, 288, 342, 418, 576},
        {0, 4, 8, 12, 16, 20, 24, 30, 36, 42, 50, 60, 72, 88, 106, 128, 156, 190, 230, 276, 330, 384, 576},
        {0, 4, 8, 12, 16, 20, 24, 30, 36, 44, 54, 66, 82, 102, 126, 156, 194, 240, 296, 364, 448, 550, 576},
        {0, 6, 12, 18, 24, 30, 36, 44, 54, 66, 80, 96, 116, 140, 168, 200, 238, 284, 336, 396, 464, 522, 576},
        {0, 6, 12, 18, 24, 30, 36, 44, 54, 66, 80, 96, 114, 136, 162, 194, 232, 278, 332, 394, 464, 540, 576},
        {0, 6, 12, 18, 24, 30, 36, 44, 54, 66, 80, 96, 116, 140, 168, 200, 238, 284, 336, 396, 464, 522, 576},
        {0, 6, 12, 18, 24, 30, 36, 44, 54, 66, 80, 96, 116, 140, 168, 200, 238, 284, 336, 396, 464, 522, 576},
        {0, 6, 12, 18, 24, 30, 36, 44, 54, 66, 80, 96, 116, 140, 168, 200, 238, 284, 336, 396, 464, 522, 576},
        {0, 12, 24, 36, 48, 60, 72, 88, 108, 132, 160, 192, 232, 280, 336, 400, 476, 566, 568, 570, 572, 574, 576},
    };

    static final int[][] SHORT = {
        {0, 4, 8, 12, 16, 22, 30, 40, 52, 66, 84, 106, 136, 192},
        {0, 4, 8, 12, 16, 22, 28, 38, 50, 64, 80, 100, 126, 192},
        {0, 4, 8, 12, 16, 22, 30, 42, 58, 78, 104, 138, 180, 192},
        {0, 4, 8, 12, 18, 24, 32, 42, 56, 74, 100, 132, 174, 192},
        {0, 4, 8, 12, 18, 26, 36, 48, 62, 80, 104, 136, 180, 192},
        {0, 4, 8, 12, 18, 26, 36, 48, 62, 80, 104, 134, 174, 192},
        {0, 4, 8, 12, 18, 26, 36, 48, 62, 80, 104, 134, 174, 192},
        {0, 4, 8, 12, 18, 26, 36, 48, 62, 80, 104, 134, 174, 192},
        {0, 8, 16, 24, 36, 52, 72, 96, 124, 160, 162, 164, 166, 192},
    };

    /** Added to the long-block scale factors of frames with the preemphasis flag. */
    static final int[] PRETAB = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 3, 3, 3, 2, 0};

    /** The long bands of a mixed block: those below line 36 (the first two subbands). */
    static int mixedLongBands(int rateIndex) {
        int[] bands = LONG[rateIndex];
        int n = 0;
        while (bands[n + 1] <= 36) {
            n++;
        }
        return n;
    }

    /** The first short band of a mixed block. */
    static final int MIXED_FIRST_SHORT_BAND = 3;
}
