// Fixed tables of the video syntax: scan orders, DC scalers, default
// quantiser matrices, and the variable length codes of macroblock headers.

const Mp4vTables = {
  ZIGZAG: Int32Array.of(
    0, 1, 8, 16, 9, 2, 3, 10, 17, 24, 32, 25, 18, 11, 4, 5,
    12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6, 7, 14, 21, 28,
    35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
    58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63),
  /** For intra blocks whose AC levels are predicted from the block above. */
  ALTERNATE_HORIZONTAL: Int32Array.of(
    0, 1, 2, 3, 8, 9, 16, 17, 10, 11, 4, 5, 6, 7, 15, 14,
    13, 12, 19, 18, 24, 25, 32, 33, 26, 27, 20, 21, 22, 23, 28, 29,
    30, 31, 34, 35, 40, 41, 48, 49, 42, 43, 36, 37, 38, 39, 44, 45,
    46, 47, 50, 51, 56, 57, 58, 59, 52, 53, 54, 55, 60, 61, 62, 63),
  /** For intra blocks whose AC levels are predicted from the block on the left. */
  ALTERNATE_VERTICAL: Int32Array.of(
    0, 8, 16, 24, 1, 9, 2, 10, 17, 25, 32, 40, 48, 56, 57, 49,
    41, 33, 26, 18, 3, 11, 4, 12, 19, 27, 34, 42, 50, 58, 35, 43,
    51, 59, 20, 28, 5, 13, 6, 14, 21, 29, 36, 44, 52, 60, 37, 45,
    53, 61, 22, 30, 7, 15, 23, 31, 38, 46, 54, 62, 39, 47, 55, 63),
  LUMA_DC_SCALER: Int32Array.of(
    0, 8, 8, 8, 8, 10, 12, 14, 16, 17, 18, 19, 20, 21, 22, 23,
    24, 25, 26, 27, 28, 29, 30, 31, 32, 34, 36, 38, 40, 42, 44, 46),
  CHROMA_DC_SCALER: Int32Array.of(
    0, 8, 8, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13, 14,
    14, 15, 15, 16, 16, 17, 17, 18, 18, 19, 20, 21, 22, 23, 24, 25),
  DEFAULT_INTRA_MATRIX: Int32Array.of(
    8, 17, 18, 19, 21, 23, 25, 27, 17, 18, 19, 21, 23, 25, 27, 28,
    20, 21, 22, 23, 24, 26, 28, 30, 21, 22, 23, 24, 26, 28, 30, 32,
    22, 23, 24, 26, 28, 30, 32, 35, 23, 24, 26, 28, 30, 32, 35, 38,
    25, 26, 28, 30, 32, 35, 38, 41, 27, 28, 30, 32, 35, 38, 41, 45),
  DEFAULT_INTER_MATRIX: Int32Array.of(
    16, 17, 18, 19, 20, 21, 22, 23, 17, 18, 19, 20, 21, 22, 23, 24,
    18, 19, 20, 21, 22, 23, 24, 25, 19, 20, 21, 22, 23, 24, 26, 27,
    20, 21, 22, 23, 25, 26, 27, 28, 21, 22, 23, 24, 26, 27, 28, 30,
    22, 23, 24, 26, 27, 28, 30, 31, 23, 24, 25, 27, 28, 30, 31, 33),
  /** Quantiser below which intra DC has its own code, by intra_dc_vlc_thr. */
  INTRA_DC_VLC_THRESHOLD: Int32Array.of(99, 13, 15, 17, 19, 21, 23, 0),
  DQUANT: Int32Array.of(-1, -2, 1, 2),
  /** Sixteenth-pel remainder of a summed chroma vector to half-pel units. */
  CHROMA_ROUNDING: Int32Array.of(0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 2),
};

/**
 * Lookup tables of variable length codes: every possible next `bits`-bit word
 * maps to the code's value and length (entry = value << 8 | length; 0 = no code).
 */
const Mp4vVlc = (() => {
  function build(bits, codes, lengths) {
    const table = new Int32Array(1 << bits);
    for (let i = 0; i < codes.length; i++) {
      const shift = bits - lengths[i];
      const first = codes[i] << shift;
      for (let j = 0; j < 1 << shift; j++) table[first + j] = (i << 8) | lengths[i];
    }
    return table;
  }
  return {
    /** Intra MCBPC value: (intraQ ? 4 : 0) + chroma cbp; 8 is stuffing. */
    MCBPC_STUFFING_INTRA: 8,
    /** Inter MCBPC value: kind * 4 + chroma cbp; 20 is stuffing. */
    KIND_INTER: 0, KIND_INTRA: 1, KIND_INTER_Q: 2, KIND_INTRA_Q: 3, KIND_INTER_4V: 4,
    MCBPC_STUFFING_INTER: 20,
    MCBPC_BITS: 9, CBPY_BITS: 6, MV_BITS: 12, DC_SIZE_BITS: 12,
    MCBPC_INTRA: build(9, [1, 1, 2, 3, 1, 1, 2, 3, 1], [1, 3, 3, 3, 4, 6, 6, 6, 9]),
    MCBPC_INTER: build(9,
      [1, 3, 2, 5, 3, 4, 3, 3, 3, 7, 6, 5, 4, 4, 3, 2, 2, 5, 4, 5, 1],
      [1, 4, 4, 6, 5, 8, 8, 7, 3, 7, 7, 9, 6, 9, 9, 9, 3, 7, 7, 8, 9]),
    CBPY: build(6,
      [3, 5, 4, 9, 3, 7, 2, 11, 2, 3, 5, 10, 4, 8, 6, 3],
      [4, 5, 5, 4, 5, 4, 6, 4, 5, 6, 4, 4, 4, 4, 4, 2]),
    MV: build(12,
      [1, 1, 1, 1, 3, 5, 4, 3, 11, 10, 9, 17, 16, 15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 7, 6, 5, 4, 3, 2, 3, 2],
      [1, 2, 3, 4, 6, 7, 7, 7, 9, 9, 9, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 11, 11, 11, 11, 11, 11, 12, 12]),
    DC_SIZE_LUMA: build(12, [3, 3, 2, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1], [3, 2, 2, 3, 3, 4, 5, 6, 7, 8, 9, 10, 11]),
    DC_SIZE_CHROMA: build(12, [3, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1], [2, 2, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12]),
    read(bits, table, width) {
      const e = table[bits.peek(width)];
      if (e === 0) throw MP4V_DAMAGE;
      bits.skip(e & 0xff);
      return e >>> 8;
    },
  };
})();
