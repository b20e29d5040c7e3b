// Motion compensation: a block's prediction from the reference picture at a
// half-pel motion vector, and writing or adding IDCT output. Vectors may point
// outside the picture; such reads take the nearest edge pixel, from a small
// scratch copy.

const SCRATCH_STRIDE = 17;

class Mp4vMotion {
  constructor() {
    this.scratch = new Uint8Array(SCRATCH_STRIDE * SCRATCH_STRIDE);
  }

  /** Predicts the size x size block at (x, y) of a plane from ref displaced by (mvx, mvy) half pels. */
  predict(ref, dst, stride, rows, x, y, mvx, mvy, size, rounding) {
    const sx = x + (mvx >> 1);
    const sy = y + (mvy >> 1);
    const hx = mvx & 1;
    const hy = mvy & 1;
    let src, srcOff, srcStride;
    if (sx >= 0 && sy >= 0 && sx + size + hx <= stride && sy + size + hy <= rows) {
      src = ref;
      srcOff = sy * stride + sx;
      srcStride = stride;
    } else {
      this.fillClamped(ref, stride, rows, sx, sy, size + hx, size + hy);
      src = this.scratch;
      srcOff = 0;
      srcStride = SCRATCH_STRIDE;
    }
    interpolate(src, srcOff, srcStride, dst, y * stride + x, stride, size, hx, hy, rounding);
  }

  fillClamped(ref, stride, rows, sx, sy, w, h) {
    const s = this.scratch;
    for (let r = 0; r < h; r++) {
      let yy = sy + r;
      yy = yy < 0 ? 0 : yy >= rows ? rows - 1 : yy;
      const line = yy * stride;
      for (let c = 0; c < w; c++) {
        let xx = sx + c;
        xx = xx < 0 ? 0 : xx >= stride ? stride - 1 : xx;
        s[r * SCRATCH_STRIDE + c] = ref[line + xx];
      }
    }
  }

  /** Adds an 8x8 residual to the prediction already in dst, limiting to 0..255. */
  static add(block, dst, d, stride) {
    for (let r = 0; r < 8; r++) {
      const o = d + r * stride;
      const b = r * 8;
      for (let c = 0; c < 8; c++) {
        const p = dst[o + c] + block[b + c];
        dst[o + c] = p < 0 ? 0 : p > 255 ? 255 : p;
      }
    }
  }

  /** Writes an 8x8 intra block, limiting to 0..255. */
  static put(block, dst, d, stride) {
    for (let r = 0; r < 8; r++) {
      const o = d + r * stride;
      const b = r * 8;
      for (let c = 0; c < 8; c++) {
        const p = block[b + c];
        dst[o + c] = p < 0 ? 0 : p > 255 ? 255 : p;
      }
    }
  }
}

// The prediction of a size x size block from src (offset so, stride ss) at
// a half-pel position (hx, hy) into dst (offset d, stride ds). Neighbouring
// samples and sums are carried along the row, so each is read once.
function interpolate(src, so, ss, dst, d, ds, size, hx, hy, rounding) {
  if (hx === 0 && hy === 0) {
    for (let r = 0; r < size; r++) {
      const a = so + r * ss;
      const o = d + r * ds;
      for (let c = 0; c < size; c++) dst[o + c] = src[a + c];
    }
  } else if (hy === 0) {
    const add = 1 - rounding;
    for (let r = 0; r < size; r++) {
      const a = so + r * ss;
      const o = d + r * ds;
      let left = src[a];
      for (let c = 0; c < size; c++) {
        const right = src[a + c + 1];
        dst[o + c] = (left + right + add) >> 1;
        left = right;
      }
    }
  } else if (hx === 0) {
    const add = 1 - rounding;
    for (let r = 0; r < size; r++) {
      const a = so + r * ss;
      const o = d + r * ds;
      for (let c = 0; c < size; c++) dst[o + c] = (src[a + c] + src[a + c + ss] + add) >> 1;
    }
  } else {
    const add = 2 - rounding;
    for (let r = 0; r < size; r++) {
      const a = so + r * ss;
      const b = a + ss;
      const o = d + r * ds;
      let left = src[a] + src[b];
      for (let c = 0; c < size; c++) {
        const right = src[a + c + 1] + src[b + c + 1];
        dst[o + c] = (left + right + add) >> 2;
        left = right;
      }
    }
  }
}
