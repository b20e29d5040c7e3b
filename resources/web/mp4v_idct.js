// Inverse 8x8 DCT in integers, the one xvidcore decodes with (and FFmpeg
// picks for streams xvidcore wrote, which say so in their user data): a
// fixed-point row pass whose table and rounding term depend on the row, then
// a column pass of butterflies with 16-bit fixed-point tangents. An IDCT is
// only specified to an accuracy, so decoders differ in the last level; with
// the encoder's own, every decoder of these streams shows the same pixels,
// and tests can hold the decoder to FFmpeg's pictures exactly.
//
// Row pass (row v of the block, coefficients x0..x7, table c1..c7 of the
// row, rounder r):  a0..a3 = c4 x0 + r  (+/-) c2 x2, c4 x4, c6 x6 ...,
// b0..b3 = the odd terms, output (a_i +/- b_i) >> 11 kept as 16 bits.
// The rounders of rows 0..2 leave 32, 1 and 1 in rows that held nothing:
// they are the column pass's rounding, so those rows are always computed.
// Column pass: tangents tan(pi/16), tan(2pi/16), tan(3pi/16) and sqrt(1/2)
// as multiplies keeping the high 16 bits, output >> 6 kept as 16 bits.

class Mp4vIdct {
  /** Transforms block[0..63] (raster order, row = vertical frequency) in place. */
  transform(block) {
    for (let v = 0; v < 8; v++) idctRow(block, v * 8, IDCT_ROW_TABLES[v], IDCT_ROW_ROUNDERS[v], v < 3);
    for (let u = 0; u < 8; u++) idctColumn(block, u);
  }
}

/** Per row: c1..c7 = round(2^14 * sqrt(2) * cos(k pi / 16) * the row's scale). */
const IDCT_TAB04 = [22725, 21407, 19266, 16384, 12873, 8867, 4520];
const IDCT_TAB17 = [31521, 29692, 26722, 22725, 17855, 12299, 6270];
const IDCT_TAB26 = [29692, 27969, 25172, 21407, 16819, 11585, 5906];
const IDCT_TAB35 = [26722, 25172, 22654, 19266, 15137, 10426, 5315];
const IDCT_ROW_TABLES = [IDCT_TAB04, IDCT_TAB17, IDCT_TAB26, IDCT_TAB35, IDCT_TAB04, IDCT_TAB35, IDCT_TAB26,
  IDCT_TAB17];
const IDCT_ROW_ROUNDERS = [65536, 3597, 2260, 1203, 0, 120, 512, 512];
const IDCT_TAN1 = 0x32ec;
const IDCT_TAN2 = 0x6a0a;
const IDCT_TAN3 = 0xab0e;
const IDCT_SQRT2 = 0x5a82;

function idctRow(b, r, tab, rnd, always) {
  const x0 = b[r], x1 = b[r + 1], x2 = b[r + 2], x3 = b[r + 3];
  const x4 = b[r + 4], x5 = b[r + 5], x6 = b[r + 6], x7 = b[r + 7];
  if (!always && (x0 | x1 | x2 | x3 | x4 | x5 | x6 | x7) === 0) return;
  const c1 = tab[0], c2 = tab[1], c3 = tab[2], c4 = tab[3], c5 = tab[4], c6 = tab[5], c7 = tab[6];
  const k = c4 * x0 + rnd;
  const a0 = k + c2 * x2 + c4 * x4 + c6 * x6;
  const a1 = k + c6 * x2 - c4 * x4 - c2 * x6;
  const a2 = k - c6 * x2 - c4 * x4 + c2 * x6;
  const a3 = k - c2 * x2 + c4 * x4 - c6 * x6;
  const b0 = c1 * x1 + c3 * x3 + c5 * x5 + c7 * x7;
  const b1 = c3 * x1 - c7 * x3 - c1 * x5 - c5 * x7;
  const b2 = c5 * x1 - c1 * x3 + c7 * x5 + c3 * x7;
  const b3 = c7 * x1 - c5 * x3 + c3 * x5 - c1 * x7;
  b[r] = ((a0 + b0) | 0) >> 11 << 16 >> 16;
  b[r + 1] = ((a1 + b1) | 0) >> 11 << 16 >> 16;
  b[r + 2] = ((a2 + b2) | 0) >> 11 << 16 >> 16;
  b[r + 3] = ((a3 + b3) | 0) >> 11 << 16 >> 16;
  b[r + 4] = ((a3 - b3) | 0) >> 11 << 16 >> 16;
  b[r + 5] = ((a2 - b2) | 0) >> 11 << 16 >> 16;
  b[r + 6] = ((a1 - b1) | 0) >> 11 << 16 >> 16;
  b[r + 7] = ((a0 - b0) | 0) >> 11 << 16 >> 16;
}

/** (c * x) >> 16 in 32-bit arithmetic: a 16-bit fixed-point multiply. */
function idctMul(c, x) {
  return Math.imul(c, x) >> 16;
}

function idctColumn(b, u) {
  // Odd part.
  const in1 = b[8 + u], in3 = b[24 + u], in5 = b[40 + u], in7 = b[56 + u];
  let t0 = idctMul(IDCT_TAN1, in7) + in1;
  let t1 = idctMul(IDCT_TAN1, in1) - in7;
  const t2 = idctMul(IDCT_TAN3, in5) + in3;
  const t3 = idctMul(IDCT_TAN3, in3) - in5;
  const o7 = t0 + t2;
  const o4 = t1 - t3;
  t0 -= t2;
  t1 += t3;
  const o6 = 2 * idctMul(IDCT_SQRT2, t0 + t1);
  const o5 = 2 * idctMul(IDCT_SQRT2, t0 - t1);
  // Even part.
  const in0 = b[u], in2 = b[16 + u], in4 = b[32 + u], in6 = b[48 + u];
  const e3 = idctMul(IDCT_TAN2, in6) + in2;
  const e2 = idctMul(IDCT_TAN2, in2) - in6;
  const s0 = in0 + in4;
  const s1 = in0 - in4;
  const f0 = s0 + e3;
  const f3 = s0 - e3;
  const f1 = s1 + e2;
  const f2 = s1 - e2;
  b[u] = (f0 + o7) >> 6 << 16 >> 16;
  b[56 + u] = (f0 - o7) >> 6 << 16 >> 16;
  b[24 + u] = (f3 + o4) >> 6 << 16 >> 16;
  b[32 + u] = (f3 - o4) >> 6 << 16 >> 16;
  b[8 + u] = (f1 + o6) >> 6 << 16 >> 16;
  b[48 + u] = (f1 - o6) >> 6 << 16 >> 16;
  b[16 + u] = (f2 + o5) >> 6 << 16 >> 16;
  b[40 + u] = (f2 - o5) >> 6 << 16 >> 16;
}
