/**
 * Decodes one macroblock of an intra or predicted picture: its header
 * (type, coded block pattern, quantiser change, motion vectors), its six
 * blocks, and its reconstruction into the current frame.
 */
final class Mp4vMacroblock {

    private final Mp4vMbMap map;
    private final Mp4vIntraPrediction intraPrediction;
    private final Mp4vMotionVectors vectors;
    private final Mp4vMotion motion = new Mp4vMotion();
    private final Mp4vIdct idct = new Mp4vIdct();
    private final Mp4vQuant quant;
    private final int[] block = new int[64];
    private final int[] positions = new int[64];
    private final int[] blockX = new int[4];
    private final int[] blockY = new int[4];

    // Per picture.
    private Mp4vBits in;
    private Mp4vFrame cur;
    private Mp4vFrame ref;
    private int rounding;
    private int fcode;
    private int dcThreshold;
    /** Quantiser of the macroblock being decoded (changes with DQUANT). */
    int qp;
    /** Video packet the macroblock belongs to. */
    int packet;

    Mp4vMacroblock(Mp4vMbMap map, Mp4vQuant quant) {
        this.map = map;
        this.quant = quant;
        intraPrediction = new Mp4vIntraPrediction(map);
        vectors = new Mp4vMotionVectors(map);
    }

    void startPicture(Mp4vBits in, Mp4vFrame cur, Mp4vFrame ref, Mp4vVopHeader vop) {
        this.in = in;
        this.cur = cur;
        this.ref = ref;
        rounding = vop.rounding;
        fcode = vop.fcode;
        dcThreshold = Mp4vTables.INTRA_DC_VLC_THRESHOLD[vop.intraDcThreshold];
        qp = vop.quant;
        packet = 0;
        map.startPicture();
    }

    void decodeIntraPicture(int mbx, int mby) {
        int mcbpc;
        do {
            mcbpc = Mp4vVlc.read(in, Mp4vVlc.MCBPC_INTRA, Mp4vVlc.MCBPC_BITS);
        } while (mcbpc == Mp4vVlc.MCBPC_STUFFING_INTRA);
        intra(mbx, mby, mcbpc & 3, mcbpc >= 4);
    }

    void decodePredictedPicture(int mbx, int mby) {
        int mcbpc;
        do {
            if (in.bit() != 0) {
                notCoded(mbx, mby);
                return;
            }
            mcbpc = Mp4vVlc.read(in, Mp4vVlc.MCBPC_INTER, Mp4vVlc.MCBPC_BITS);
        } while (mcbpc == Mp4vVlc.MCBPC_STUFFING_INTER);
        int kind = mcbpc >> 2;
        if (kind == Mp4vVlc.KIND_INTRA || kind == Mp4vVlc.KIND_INTRA_Q) {
            intra(mbx, mby, mcbpc & 3, kind == Mp4vVlc.KIND_INTRA_Q);
            return;
        }
        int cbp = ((Mp4vVlc.read(in, Mp4vVlc.CBPY, Mp4vVlc.CBPY_BITS) ^ 15) << 2) | (mcbpc & 3);
        if (kind == Mp4vVlc.KIND_INTER_Q) {
            changeQuant();
        }
        enter(mbx, mby, false);
        if (kind == Mp4vVlc.KIND_INTER_4V) {
            fourVectors(mbx, mby);
        } else {
            vectors.predict(0, mbx, mby, packet);
            int mvx = Mp4vMotionVectors.readComponent(in, fcode, vectors.predX);
            int mvy = Mp4vMotionVectors.readComponent(in, fcode, vectors.predY);
            vectors.setMacroblock(mbx, mby, mvx, mvy);
            predictLuma(mbx, mby, mvx, mvy);
            predictChroma(mbx, mby, (mvx >> 1) | (mvx & 1), (mvy >> 1) | (mvy & 1));
        }
        for (int n = 0; n < 6; n++) {
            if ((cbp & (32 >> n)) != 0) {
                interBlock(mbx, mby, n);
            }
        }
    }

    private void enter(int mbx, int mby, boolean isIntra) {
        int m = mby * map.mbWidth + mbx;
        map.packet[m] = packet;
        map.intra[m] = isIntra;
        map.qp[m] = qp;
    }

    private void changeQuant() {
        int q = qp + Mp4vTables.DQUANT[in.read(2)];
        qp = q < 1 ? 1 : (q > 31 ? 31 : q);
    }

    private void notCoded(int mbx, int mby) {
        enter(mbx, mby, false);
        vectors.setMacroblock(mbx, mby, 0, 0);
        predictLuma(mbx, mby, 0, 0);
        predictChroma(mbx, mby, 0, 0);
    }

    private void fourVectors(int mbx, int mby) {
        int sumX = 0;
        int sumY = 0;
        for (int n = 0; n < 4; n++) {
            vectors.predict(n, mbx, mby, packet);
            int mvx = Mp4vMotionVectors.readComponent(in, fcode, vectors.predX);
            int mvy = Mp4vMotionVectors.readComponent(in, fcode, vectors.predY);
            int i = vectors.index(mbx, mby, n);
            vectors.x[i] = mvx;
            vectors.y[i] = mvy;
            blockX[n] = mvx;
            blockY[n] = mvy;
            sumX += mvx;
            sumY += mvy;
        }
        int stride = cur.lumaStride;
        for (int n = 0; n < 4; n++) {
            motion.predict(ref.y, cur.y, stride, cur.lumaRows, mbx * 16 + (n & 1) * 8, mby * 16 + (n >> 1) * 8,
                    blockX[n], blockY[n], 8, rounding);
        }
        predictChroma(mbx, mby, chromaFromSum(sumX), chromaFromSum(sumY));
    }

    /** The chroma vector of four luma vectors, from their sum in sixteenth pels of chroma. */
    private static int chromaFromSum(int sum) {
        int a = Math.abs(sum);
        int v = (a >> 4) * 2 + Mp4vTables.CHROMA_ROUNDING[a & 15];
        return sum < 0 ? -v : v;
    }

    private void predictLuma(int mbx, int mby, int mvx, int mvy) {
        motion.predict(ref.y, cur.y, cur.lumaStride, cur.lumaRows, mbx * 16, mby * 16, mvx, mvy, 16, rounding);
    }

    private void predictChroma(int mbx, int mby, int mvx, int mvy) {
        int stride = cur.chromaStride;
        int rows = cur.chromaRows;
        motion.predict(ref.u, cur.u, stride, rows, mbx * 8, mby * 8, mvx, mvy, 8, rounding);
        motion.predict(ref.v, cur.v, stride, rows, mbx * 8, mby * 8, mvx, mvy, 8, rounding);
    }

    private void interBlock(int mbx, int mby, int n) {
        int count = Mp4vCoefficients.read(in, false, Mp4vTables.ZIGZAG, 0, block, 0, positions);
        quant.inter(block, 0, qp, positions, count);
        idct.transform(block, 0);
        Mp4vMotion.add(block, 0, planeOf(n), blockOffset(mbx, mby, n), strideOf(n));
        java.util.Arrays.fill(block, 0);
    }

    private void intra(int mbx, int mby, int cbpc, boolean dquant) {
        boolean acPred = in.bit() != 0;
        int cbp = (Mp4vVlc.read(in, Mp4vVlc.CBPY, Mp4vVlc.CBPY_BITS) << 2) | cbpc;
        boolean dcCodes = qp < dcThreshold;  // decided by the quantiser before this macroblock's change
        if (dquant) {
            changeQuant();
        }
        enter(mbx, mby, true);
        vectors.setMacroblock(mbx, mby, 0, 0);
        for (int n = 0; n < 6; n++) {
            intraBlock(mbx, mby, n, (cbp & (32 >> n)) != 0, acPred, dcCodes);
        }
    }

    private void intraBlock(int mbx, int mby, int n, boolean coded, boolean acPred, boolean dcCodes) {
        int dcScaler = n < 4 ? Mp4vTables.LUMA_DC_SCALER[qp] : Mp4vTables.CHROMA_DC_SCALER[qp];
        int predicted = intraPrediction.predictDc(n, mbx, mby, packet, dcScaler);
        int[] scan = !acPred ? Mp4vTables.ZIGZAG
                : (intraPrediction.fromAbove ? Mp4vTables.ALTERNATE_HORIZONTAL : Mp4vTables.ALTERNATE_VERTICAL);
        int dcDiff = 0;
        if (dcCodes) {
            dcDiff = readDcDifference(n < 4);
        }
        if (coded) {
            Mp4vCoefficients.read(in, true, scan, dcCodes ? 1 : 0, block, 0, positions);
        }
        block[0] += predicted + dcDiff;
        intraPrediction.finish(n, mbx, mby, block, 0, acPred, qp, dcScaler);
        quant.intra(block, 0, qp, dcScaler);
        idct.transform(block, 0);
        Mp4vMotion.put(block, 0, planeOf(n), blockOffset(mbx, mby, n), strideOf(n));
        java.util.Arrays.fill(block, 0);
    }

    private int readDcDifference(boolean luma) {
        int size = luma ? Mp4vVlc.read(in, Mp4vVlc.DC_SIZE_LUMA, Mp4vVlc.DC_SIZE_BITS)
                : Mp4vVlc.read(in, Mp4vVlc.DC_SIZE_CHROMA, Mp4vVlc.DC_SIZE_BITS);
        if (size == 0) {
            return 0;
        }
        int v = in.read(size);
        if ((v >> (size - 1)) == 0) {
            v -= (1 << size) - 1;
        }
        if (size > 8) {
            in.marker();
        }
        return v;
    }

    private byte[] planeOf(int n) {
        return n < 4 ? cur.y : (n == 4 ? cur.u : cur.v);
    }

    private int strideOf(int n) {
        return n < 4 ? cur.lumaStride : cur.chromaStride;
    }

    private int blockOffset(int mbx, int mby, int n) {
        if (n < 4) {
            return (mby * 16 + (n >> 1) * 8) * cur.lumaStride + mbx * 16 + (n & 1) * 8;
        }
        return mby * 8 * cur.chromaStride + mbx * 8;
    }
}
