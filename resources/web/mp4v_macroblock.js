// Decodes one macroblock of an intra or predicted picture: its header (type,
// coded block pattern, quantiser change, motion vectors), its six blocks, and
// its reconstruction into the current frame.

class Mp4vMacroblock {
  constructor(map, quant) {
    this.map = map;
    this.quant = quant;
    this.intraPrediction = new Mp4vIntraPrediction(map);
    this.vectors = new Mp4vMotionVectors(map);
    this.motion = new Mp4vMotion();
    this.idct = new Mp4vIdct();
    this.block = new Int32Array(64);
    this.positions = new Int32Array(65);
    this.blockX = new Int32Array(4);
    this.blockY = new Int32Array(4);
    this.bits = null;
    this.cur = null;
    this.ref = null;
    this.rounding = 0;
    this.fcode = 1;
    this.dcThreshold = 0;
    /** Quantiser of the macroblock being decoded (changes with DQUANT). */
    this.qp = 1;
    /** Video packet the macroblock belongs to. */
    this.packet = 0;
  }

  startPicture(bits, cur, ref, vop) {
    this.bits = bits;
    this.cur = cur;
    this.ref = ref;
    this.rounding = vop.rounding;
    this.fcode = vop.fcode;
    this.dcThreshold = Mp4vTables.INTRA_DC_VLC_THRESHOLD[vop.intraDcThreshold];
    this.qp = vop.quant;
    this.packet = 0;
    this.block.fill(0);  // a picture given up half way may have left levels behind
    this.map.startPicture();
  }

  decodeIntraPicture(mbx, mby) {
    let mcbpc;
    do {
      mcbpc = Mp4vVlc.read(this.bits, Mp4vVlc.MCBPC_INTRA, Mp4vVlc.MCBPC_BITS);
    } while (mcbpc === Mp4vVlc.MCBPC_STUFFING_INTRA);
    this.intra(mbx, mby, mcbpc & 3, mcbpc >= 4);
  }

  decodePredictedPicture(mbx, mby) {
    const bits = this.bits;
    let mcbpc;
    do {
      if (bits.bit() !== 0) {
        this.notCoded(mbx, mby);
        return;
      }
      mcbpc = Mp4vVlc.read(bits, Mp4vVlc.MCBPC_INTER, Mp4vVlc.MCBPC_BITS);
    } while (mcbpc === Mp4vVlc.MCBPC_STUFFING_INTER);
    const kind = mcbpc >> 2;
    if (kind === Mp4vVlc.KIND_INTRA || kind === Mp4vVlc.KIND_INTRA_Q) {
      this.intra(mbx, mby, mcbpc & 3, kind === Mp4vVlc.KIND_INTRA_Q);
      return;
    }
    const cbp = ((Mp4vVlc.read(bits, Mp4vVlc.CBPY, Mp4vVlc.CBPY_BITS) ^ 15) << 2) | (mcbpc & 3);
    if (kind === Mp4vVlc.KIND_INTER_Q) this.changeQuant();
    this.enter(mbx, mby, false);
    if (kind === Mp4vVlc.KIND_INTER_4V) {
      this.fourVectors(mbx, mby);
    } else {
      const vectors = this.vectors;
      vectors.predict(0, mbx, mby, this.packet);
      const mvx = Mp4vMotionVectors.readComponent(bits, this.fcode, vectors.predX);
      const mvy = Mp4vMotionVectors.readComponent(bits, this.fcode, vectors.predY);
      vectors.setMacroblock(mbx, mby, mvx, mvy);
      this.predictLuma(mbx, mby, mvx, mvy);
      this.predictChroma(mbx, mby, (mvx >> 1) | (mvx & 1), (mvy >> 1) | (mvy & 1));
    }
    for (let n = 0; n < 6; n++) {
      if ((cbp & (32 >> n)) !== 0) this.interBlock(mbx, mby, n);
    }
  }

  enter(mbx, mby, isIntra) {
    const m = mby * this.map.mbWidth + mbx;
    this.map.packet[m] = this.packet;
    this.map.intra[m] = isIntra ? 1 : 0;
    this.map.qp[m] = this.qp;
  }

  changeQuant() {
    const q = this.qp + Mp4vTables.DQUANT[this.bits.read(2)];
    this.qp = q < 1 ? 1 : q > 31 ? 31 : q;
  }

  notCoded(mbx, mby) {
    this.enter(mbx, mby, false);
    this.vectors.setMacroblock(mbx, mby, 0, 0);
    this.predictLuma(mbx, mby, 0, 0);
    this.predictChroma(mbx, mby, 0, 0);
  }

  fourVectors(mbx, mby) {
    const vectors = this.vectors;
    let sumX = 0;
    let sumY = 0;
    for (let n = 0; n < 4; n++) {
      vectors.predict(n, mbx, mby, this.packet);
      const mvx = Mp4vMotionVectors.readComponent(this.bits, this.fcode, vectors.predX);
      const mvy = Mp4vMotionVectors.readComponent(this.bits, this.fcode, vectors.predY);
      const i = vectors.index(mbx, mby, n);
      vectors.x[i] = mvx;
      vectors.y[i] = mvy;
      this.blockX[n] = mvx;
      this.blockY[n] = mvy;
      sumX += mvx;
      sumY += mvy;
    }
    const cur = this.cur;
    for (let n = 0; n < 4; n++) {
      this.motion.predict(this.ref.y, cur.y, cur.lumaStride, cur.lumaRows, mbx * 16 + (n & 1) * 8,
        mby * 16 + (n >> 1) * 8, this.blockX[n], this.blockY[n], 8, this.rounding);
    }
    this.predictChroma(mbx, mby, chromaFromSum(sumX), chromaFromSum(sumY));
  }

  predictLuma(mbx, mby, mvx, mvy) {
    const cur = this.cur;
    this.motion.predict(this.ref.y, cur.y, cur.lumaStride, cur.lumaRows, mbx * 16, mby * 16, mvx, mvy, 16,
      this.rounding);
  }

  predictChroma(mbx, mby, mvx, mvy) {
    const cur = this.cur;
    const stride = cur.chromaStride;
    const rows = cur.chromaRows;
    this.motion.predict(this.ref.u, cur.u, stride, rows, mbx * 8, mby * 8, mvx, mvy, 8, this.rounding);
    this.motion.predict(this.ref.v, cur.v, stride, rows, mbx * 8, mby * 8, mvx, mvy, 8, this.rounding);
  }

  interBlock(mbx, mby, n) {
    const block = this.block;
    const count = Mp4vCoefficients.read(this.bits, false, Mp4vTables.ZIGZAG, 0, block, this.positions);
    this.quant.inter(block, this.qp, this.positions, count);
    this.idct.transform(block);
    Mp4vMotion.add(block, this.planeOf(n), this.blockOffset(mbx, mby, n), this.strideOf(n));
    block.fill(0);
  }

  intra(mbx, mby, cbpc, dquant) {
    const acPred = this.bits.bit() !== 0;
    const cbp = (Mp4vVlc.read(this.bits, Mp4vVlc.CBPY, Mp4vVlc.CBPY_BITS) << 2) | cbpc;
    const dcCodes = this.qp < this.dcThreshold;  // decided by the quantiser before this macroblock's change
    if (dquant) this.changeQuant();
    this.enter(mbx, mby, true);
    this.vectors.setMacroblock(mbx, mby, 0, 0);
    for (let n = 0; n < 6; n++) this.intraBlock(mbx, mby, n, (cbp & (32 >> n)) !== 0, acPred, dcCodes);
  }

  intraBlock(mbx, mby, n, coded, acPred, dcCodes) {
    const qp = this.qp;
    const block = this.block;
    const prediction = this.intraPrediction;
    const dcScaler = n < 4 ? Mp4vTables.LUMA_DC_SCALER[qp] : Mp4vTables.CHROMA_DC_SCALER[qp];
    const predicted = prediction.predictDc(n, mbx, mby, this.packet, dcScaler);
    const scan = !acPred ? Mp4vTables.ZIGZAG
      : prediction.fromAbove ? Mp4vTables.ALTERNATE_HORIZONTAL : Mp4vTables.ALTERNATE_VERTICAL;
    const dcDiff = dcCodes ? this.readDcDifference(n < 4) : 0;
    if (coded) Mp4vCoefficients.read(this.bits, true, scan, dcCodes ? 1 : 0, block, this.positions);
    block[0] += predicted + dcDiff;
    prediction.finish(n, mbx, mby, block, acPred, qp, dcScaler);
    this.quant.intra(block, qp, dcScaler);
    this.idct.transform(block);
    Mp4vMotion.put(block, this.planeOf(n), this.blockOffset(mbx, mby, n), this.strideOf(n));
    block.fill(0);
  }

  readDcDifference(luma) {
    const bits = this.bits;
    const size = Mp4vVlc.read(bits, luma ? Mp4vVlc.DC_SIZE_LUMA : Mp4vVlc.DC_SIZE_CHROMA, Mp4vVlc.DC_SIZE_BITS);
    if (size === 0) return 0;
    let v = bits.read(size);
    if (v >> (size - 1) === 0) v -= (1 << size) - 1;
    if (size > 8) bits.marker();
    return v;
  }

  planeOf(n) {
    return n < 4 ? this.cur.y : n === 4 ? this.cur.u : this.cur.v;
  }

  strideOf(n) {
    return n < 4 ? this.cur.lumaStride : this.cur.chromaStride;
  }

  blockOffset(mbx, mby, n) {
    const cur = this.cur;
    if (n < 4) return (mby * 16 + (n >> 1) * 8) * cur.lumaStride + mbx * 16 + (n & 1) * 8;
    return mby * 8 * cur.chromaStride + mbx * 8;
  }
}

/** The chroma vector of four luma vectors, from their sum in sixteenth pels of chroma. */
function chromaFromSum(sum) {
  const a = Math.abs(sum);
  const v = (a >> 4) * 2 + Mp4vTables.CHROMA_ROUNDING[a & 15];
  return sum < 0 ? -v : v;
}
