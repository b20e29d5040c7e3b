// The motion vectors of the current picture, one per 8x8 luma block (half-pel
// units), their prediction from neighbouring blocks and the decoding of
// vector differences.

class Mp4vMotionVectors {
  constructor(map) {
    this.map = map;
    this.width = map.mbWidth * 2;
    this.x = new Int32Array(this.width * map.mbHeight * 2);
    this.y = new Int32Array(this.width * map.mbHeight * 2);
    this.predX = 0;
    this.predY = 0;
  }

  index(mbx, mby, n) {
    return (mby * 2 + (n >> 1)) * this.width + mbx * 2 + (n & 1);
  }

  setMacroblock(mbx, mby, mvx, mvy) {
    const i = this.index(mbx, mby, 0);
    const w = this.width;
    this.x[i] = this.x[i + 1] = this.x[i + w] = this.x[i + w + 1] = mvx;
    this.y[i] = this.y[i + 1] = this.y[i + w] = this.y[i + w + 1] = mvy;
  }

  /**
   * Predicts the vector of block n as the median of its left, upper and
   * upper-right (for the last block: upper-left) neighbours. A neighbour
   * outside the picture or the video packet does not count: one missing is
   * taken as zero, with two missing the third is the prediction, with none
   * left it is zero.
   */
  predict(n, mbx, mby, packet) {
    const bx = mbx * 2 + (n & 1);
    const by = mby * 2 + (n >> 1);
    const cx = n === 0 ? bx + 2 : n === 3 ? bx - 1 : bx + 1;
    const a = this.valid(bx - 1, by, packet);
    const b = this.valid(bx, by - 1, packet);
    const c = this.valid(cx, by - 1, packet);
    const missing = (a < 0 ? 1 : 0) + (b < 0 ? 1 : 0) + (c < 0 ? 1 : 0);
    const x = this.x;
    const y = this.y;
    if (missing === 3) {
      this.predX = 0;
      this.predY = 0;
    } else if (missing === 2) {
      const k = a >= 0 ? a : b >= 0 ? b : c;
      this.predX = x[k];
      this.predY = y[k];
    } else {
      this.predX = median(a < 0 ? 0 : x[a], b < 0 ? 0 : x[b], c < 0 ? 0 : x[c]);
      this.predY = median(a < 0 ? 0 : y[a], b < 0 ? 0 : y[b], c < 0 ? 0 : y[c]);
    }
  }

  valid(bx, by, packet) {
    if (bx < 0 || by < 0 || bx >= this.width) return -1;
    return this.map.inPacket(bx >> 1, by >> 1, packet) ? by * this.width + bx : -1;
  }

  /** Reads one component's difference and returns pred + difference, wrapped into range. */
  static readComponent(bits, fcode, pred) {
    const code = Mp4vVlc.read(bits, Mp4vVlc.MV, Mp4vVlc.MV_BITS);
    if (code === 0) return pred;
    const negative = bits.bit() !== 0;
    const shift = fcode - 1;
    let diff = code;
    if (shift > 0) diff = ((code - 1) << shift) + bits.read(shift) + 1;
    const v = pred + (negative ? -diff : diff);
    const width = 32 - (5 + fcode);
    return (v << width) >> width;
  }
}

function median(a, b, c) {
  return Math.max(Math.min(a, b), Math.min(Math.max(a, b), c));
}

/**
 * What the predictors need to know of the macroblocks decoded so far in the
 * picture: the video packet of each (neighbours in another packet, or outside
 * the picture, are not used), whether it is intra coded, and its quantiser.
 */
class Mp4vMbMap {
  constructor(mbWidth, mbHeight) {
    this.mbWidth = mbWidth;
    this.mbHeight = mbHeight;
    this.packet = new Int32Array(mbWidth * mbHeight);
    this.intra = new Uint8Array(mbWidth * mbHeight);
    this.qp = new Int32Array(mbWidth * mbHeight);
  }

  startPicture() {
    this.packet.fill(-1);
  }

  inPacket(mbx, mby, current) {
    return mbx >= 0 && mby >= 0 && mbx < this.mbWidth && mby < this.mbHeight
      && this.packet[mby * this.mbWidth + mbx] === current;
  }
}
