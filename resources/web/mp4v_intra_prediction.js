// DC and AC prediction of intra blocks. Every intra block leaves its DC
// value and the quantised levels of its top row and left column behind; a
// later block predicts its DC from the left or the upper neighbour (whichever
// the DC gradient favours) and, when the macroblock says so, the first row or
// column of levels from that same neighbour.

/** DC of a neighbour that cannot be used. */
const NO_DC = 1024;

class Mp4vIntraPrediction {
  constructor(map) {
    this.map = map;
    this.lumaWidth = map.mbWidth * 2;
    this.chromaWidth = map.mbWidth;
    const luma = this.lumaWidth * map.mbHeight * 2;
    const chroma = this.chromaWidth * map.mbHeight;
    // Per component (Y, Cb, Cr): DC per block; 16 entries per block, row levels at 1..7, column levels at 9..15.
    this.dc = [new Int32Array(luma), new Int32Array(chroma), new Int32Array(chroma)];
    this.edges = [new Int32Array(luma * 16), new Int32Array(chroma * 16), new Int32Array(chroma * 16)];
    /** Outcome of predictDc: predict from the block above (else from the left). */
    this.fromAbove = false;
    this.predComponent = 0;
    this.predIndex = -1;
    this.predQp = 0;
  }

  /** Chooses the direction of block n (0..3 luma, 4 Cb, 5 Cr) and returns the predicted quantised DC. */
  predictDc(n, mbx, mby, packet, dcScaler) {
    let comp, bx, by, width;
    if (n < 4) {
      comp = 0;
      bx = mbx * 2 + (n & 1);
      by = mby * 2 + (n >> 1);
      width = this.lumaWidth;
    } else {
      comp = n - 3;
      bx = mbx;
      by = mby;
      width = this.chromaWidth;
    }
    const shift = comp === 0 ? 1 : 0;
    const left = this.usable(bx - 1, by, shift, packet) ? by * width + bx - 1 : -1;
    const upLeft = this.usable(bx - 1, by - 1, shift, packet) ? (by - 1) * width + bx - 1 : -1;
    const up = this.usable(bx, by - 1, shift, packet) ? (by - 1) * width + bx : -1;
    const d = this.dc[comp];
    const fa = left >= 0 ? d[left] : NO_DC;
    const fb = upLeft >= 0 ? d[upLeft] : NO_DC;
    const fc = up >= 0 ? d[up] : NO_DC;
    const map = this.map;
    let pred;
    this.fromAbove = Math.abs(fa - fb) < Math.abs(fb - fc);
    if (this.fromAbove) {
      pred = fc;
      this.predIndex = up;
      this.predQp = up >= 0 ? map.qp[((by - 1) >> shift) * map.mbWidth + (bx >> shift)] : 0;
    } else {
      pred = fa;
      this.predIndex = left;
      this.predQp = left >= 0 ? map.qp[(by >> shift) * map.mbWidth + ((bx - 1) >> shift)] : 0;
    }
    this.predComponent = comp;
    return ((pred + (dcScaler >> 1)) / dcScaler) | 0;
  }

  usable(bx, by, shift, packet) {
    if (bx < 0 || by < 0) return false;
    const mbx = bx >> shift;
    const mby = by >> shift;
    return this.map.inPacket(mbx, mby, packet) && this.map.intra[mby * this.map.mbWidth + mbx] === 1;
  }

  /**
   * After predictDc and with the block's levels (DC included) in block: adds
   * the predicted AC levels if acPred, and keeps the block's DC value and edge
   * levels for the blocks after it.
   */
  finish(n, mbx, mby, block, acPred, qp, dcScaler) {
    const comp = this.predComponent;
    const e = this.edges[comp];
    if (acPred && this.predIndex >= 0) {
      const src = this.predIndex * 16;
      const step = this.fromAbove ? 1 : 8;
      const from = this.fromAbove ? src : src + 8;
      const predQp = this.predQp;
      for (let i = 1; i < 8; i++) {
        let level = e[from + i];
        if (level !== 0) {
          if (predQp !== qp) level = roundedDiv(level * predQp, qp);
          block[i * step] += level;
        }
      }
    }
    const index = n < 4
      ? (mby * 2 + (n >> 1)) * this.lumaWidth + mbx * 2 + (n & 1)
      : mby * this.chromaWidth + mbx;
    const dst = index * 16;
    for (let i = 1; i < 8; i++) {
      e[dst + i] = block[i];
      e[dst + 8 + i] = block[i * 8];
    }
    const value = block[0] * dcScaler;
    this.dc[comp][index] = value < 0 ? 0 : value > 2047 ? 2047 : value;
  }
}

function roundedDiv(a, b) {
  return ((a > 0 ? a + (b >> 1) : a - (b >> 1)) / b) | 0;
}
