/**
 * DC and AC prediction of intra blocks. Every intra block leaves its DC
 * value and the quantised levels of its top row and left column behind; a
 * later block predicts its DC from the left or the upper neighbour
 * (whichever direction the DC gradient favours) and, when the macroblock
 * says so, the first row or column of levels from that same neighbour.
 */
final class Mp4vIntraPrediction {

    /** DC of a neighbour that cannot be used. */
    private static final int NO_DC = 1024;

    private final Mp4vMbMap map;
    private final int lumaWidth;
    private final int chromaWidth;
    /** Per component (Y, Cb, Cr): DC per block, and 16 entries per block: row levels 1..7 at 1..7, column levels at 9..15. */
    private final int[][] dc = new int[3][];
    private final int[][] edges = new int[3][];

    /** Outcome of predictDc: predict from the block above (else from the left). */
    boolean fromAbove;
    private int predComponent;
    private int predIndex;  // neighbour used, -1 when it cannot be used
    private int predQp;

    Mp4vIntraPrediction(Mp4vMbMap map) {
        this.map = map;
        lumaWidth = map.mbWidth * 2;
        chromaWidth = map.mbWidth;
        int luma = lumaWidth * map.mbHeight * 2;
        int chroma = chromaWidth * map.mbHeight;
        dc[0] = new int[luma];
        dc[1] = new int[chroma];
        dc[2] = new int[chroma];
        edges[0] = new int[luma * 16];
        edges[1] = new int[chroma * 16];
        edges[2] = new int[chroma * 16];
    }

    /**
     * Chooses the prediction direction of block n (0..3 luma, 4 Cb, 5 Cr)
     * of the macroblock at (mbx, mby) in video packet `packet` and returns
     * the predicted quantised DC.
     */
    int predictDc(int n, int mbx, int mby, int packet, int dcScaler) {
        int comp;
        int bx;
        int by;
        int width;
        if (n < 4) {
            comp = 0;
            bx = mbx * 2 + (n & 1);
            by = mby * 2 + (n >> 1);
            width = lumaWidth;
        } else {
            comp = n - 3;
            bx = mbx;
            by = mby;
            width = chromaWidth;
        }
        int shift = comp == 0 ? 1 : 0;
        int left = usable(bx - 1, by, shift, packet) ? by * width + bx - 1 : -1;
        int upLeft = usable(bx - 1, by - 1, shift, packet) ? (by - 1) * width + bx - 1 : -1;
        int up = usable(bx, by - 1, shift, packet) ? (by - 1) * width + bx : -1;
        int[] d = dc[comp];
        int fa = left >= 0 ? d[left] : NO_DC;
        int fb = upLeft >= 0 ? d[upLeft] : NO_DC;
        int fc = up >= 0 ? d[up] : NO_DC;
        int pred;
        fromAbove = Math.abs(fa - fb) < Math.abs(fb - fc);
        if (fromAbove) {
            pred = fc;
            predIndex = up;
            predQp = up >= 0 ? map.qp[(by - 1 >> shift) * map.mbWidth + (bx >> shift)] : 0;
        } else {
            pred = fa;
            predIndex = left;
            predQp = left >= 0 ? map.qp[(by >> shift) * map.mbWidth + (bx - 1 >> shift)] : 0;
        }
        predComponent = comp;
        return (pred + (dcScaler >> 1)) / dcScaler;
    }

    private boolean usable(int bx, int by, int shift, int packet) {
        if (bx < 0 || by < 0) {
            return false;
        }
        int mbx = bx >> shift;
        int mby = by >> shift;
        return map.inPacket(mbx, mby, packet) && map.intra[mby * map.mbWidth + mbx];
    }

    /**
     * After predictDc for block n and the block's levels (DC included) are in
     * block[off..]: adds the predicted AC levels if `acPred`, and remembers the
     * block's DC value and edge levels for the blocks after it.
     */
    void finish(int n, int mbx, int mby, int[] block, int off, boolean acPred, int qp, int dcScaler) {
        int comp = predComponent;
        int[] e = edges[comp];
        if (acPred && predIndex >= 0) {
            int src = predIndex * 16;
            int step = fromAbove ? 1 : 8;
            int from = fromAbove ? src : src + 8;
            for (int i = 1; i < 8; i++) {
                int level = e[from + i];
                if (level != 0) {
                    if (predQp != qp) {
                        level = roundedDiv(level * predQp, qp);
                    }
                    block[off + i * step] += level;
                }
            }
        }
        int index = n < 4
                ? (mby * 2 + (n >> 1)) * lumaWidth + mbx * 2 + (n & 1)
                : mby * chromaWidth + mbx;
        int dst = index * 16;
        for (int i = 1; i < 8; i++) {
            e[dst + i] = block[off + i];
            e[dst + 8 + i] = block[off + i * 8];
        }
        int value = block[off] * dcScaler;
        dc[comp][index] = value < 0 ? 0 : (value > 2047 ? 2047 : value);
    }

    private static int roundedDiv(int a, int b) {
        return (a > 0 ? a + (b >> 1) : a - (b >> 1)) / b;
    }
}
