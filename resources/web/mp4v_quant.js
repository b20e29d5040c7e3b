// Inverse quantisation of one block's levels, in the H.263 style (uniform
// steps) or the MPEG style (steps weighted by a matrix, default or loaded).

class Mp4vQuant {
  constructor() {
    this.mpeg = false;
    this.intraMatrix = Int32Array.from(Mp4vTables.DEFAULT_INTRA_MATRIX);
    this.interMatrix = Int32Array.from(Mp4vTables.DEFAULT_INTER_MATRIX);
  }

  useH263() {
    this.mpeg = false;
  }

  /** Switches to MPEG quantisation; a null matrix means the default one. */
  useMpeg(intra, inter) {
    this.mpeg = true;
    this.intraMatrix.set(intra || Mp4vTables.DEFAULT_INTRA_MATRIX);
    this.interMatrix.set(inter || Mp4vTables.DEFAULT_INTER_MATRIX);
  }

  /**
   * Intra block: any of the 64 positions may hold a level (AC prediction
   * fills the edges). The DC value is not limited: FFmpeg's encoder writes DC
   * levels a little beyond the range and reconstructs them unlimited.
   */
  intra(block, qp, dcScaler) {
    block[0] = block[0] * dcScaler;
    if (this.mpeg) {
      const w = this.intraMatrix;
      for (let i = 1; i < 64; i++) {
        const q = block[i];
        if (q !== 0) {
          const f = q > 0 ? (2 * q * w[i] * qp) >> 4 : -((-2 * q * w[i] * qp) >> 4);
          block[i] = saturate12(f);
        }
      }
    } else {
      const add = (qp - 1) | 1;
      const mul = 2 * qp;
      for (let i = 1; i < 64; i++) {
        const q = block[i];
        if (q !== 0) block[i] = saturate12(q > 0 ? q * mul + add : q * mul - add);
      }
    }
  }

  /**
   * Inter block whose levels sit at the `count` raster positions listed. May
   * add position 63 to the list (MPEG mismatch control); returns the new count.
   */
  inter(block, qp, positions, count) {
    if (this.mpeg) {
      const w = this.interMatrix;
      let sum = 0;
      let has63 = false;
      for (let k = 0; k < count; k++) {
        const i = positions[k];
        const q = block[i];
        let f = q > 0 ? ((2 * q + 1) * w[i] * qp) >> 4 : -(((-2 * q + 1) * w[i] * qp) >> 4);
        f = saturate12(f);
        block[i] = f;
        sum += f;
        has63 = has63 || i === 63;
      }
      if ((sum & 1) === 0) {
        block[63] ^= 1;
        if (!has63) positions[count++] = 63;
      }
    } else {
      const add = (qp - 1) | 1;
      const mul = 2 * qp;
      for (let k = 0; k < count; k++) {
        const i = positions[k];
        const q = block[i];
        block[i] = saturate12(q > 0 ? q * mul + add : q * mul - add);
      }
    }
    return count;
  }
}

function saturate12(f) {
  return f < -2048 ? -2048 : f > 2047 ? 2047 : f;
}
