// Inverse 8x8 DCT, separable, in double precision from a table of cosines:
// well inside the accuracy needed for the pictures to match other decoders'
// and the encoder's reconstruction. Rows and columns holding nothing are skipped.

class Mp4vIdct {
  constructor() {
    this.rows = new Float64Array(64);
  }

  /** Transforms block[0..63] in place; results are rounded and limited to -256..255. */
  transform(block) {
    const t = this.rows;
    const c = IDCT_COS;
    let lastRow = -1;
    for (let y = 0; y < 8; y++) {
      const r = y * 8;
      const b0 = block[r], b1 = block[r + 1], b2 = block[r + 2], b3 = block[r + 3];
      const b4 = block[r + 4], b5 = block[r + 5], b6 = block[r + 6], b7 = block[r + 7];
      if ((b1 | b2 | b3 | b4 | b5 | b6 | b7) === 0) {
        const v = b0 * c[0];
        for (let x = 0; x < 8; x++) t[r + x] = v;
        if (b0 !== 0) lastRow = y;
        continue;
      }
      lastRow = y;
      for (let x = 0; x < 8; x++) {
        t[r + x] = b0 * c[x] + b1 * c[8 + x] + b2 * c[16 + x] + b3 * c[24 + x]
          + b4 * c[32 + x] + b5 * c[40 + x] + b6 * c[48 + x] + b7 * c[56 + x];
      }
    }
    if (lastRow < 0) return;
    for (let x = 0; x < 8; x++) {
      for (let y = 0; y < 8; y++) {
        let s = 0;
        for (let v = 0; v <= lastRow; v++) s += t[v * 8 + x] * c[v * 8 + y];
        const o = ((s + 1024.5) | 0) - 1024;
        block[y * 8 + x] = o < -256 ? -256 : o > 255 ? 255 : o;
      }
    }
  }
}

/** IDCT_COS[u * 8 + x] = C(u) / 2 * cos((2x + 1) u pi / 16). */
const IDCT_COS = (() => {
  const cos = new Float64Array(64);
  for (let u = 0; u < 8; u++) {
    const k = u === 0 ? Math.sqrt(0.5) : 1.0;
    for (let x = 0; x < 8; x++) cos[u * 8 + x] = (k / 2) * Math.cos(((2 * x + 1) * u * Math.PI) / 16);
  }
  return cos;
})();
