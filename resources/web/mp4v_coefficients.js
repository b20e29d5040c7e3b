// Reads the run/level/last events of one 8x8 block (the intra and the inter
// table, each with its three escape forms) and places the quantised levels
// along a scan order.

const Mp4vCoefficients = (() => {
  const BITS = 12;
  const ESCAPE = 1 << 17;

  const INTRA = {
    codes: [
      0x2, 0x6, 0xf, 0xd, 0xc, 0x15, 0x13, 0x12, 0x17, 0x1f, 0x1e, 0x1d, 0x25, 0x24, 0x23, 0x21,
      0x21, 0x20, 0xf, 0xe, 0x7, 0x6, 0x20, 0x21, 0x50, 0x51, 0x52, 0xe, 0x14, 0x16, 0x1c, 0x20,
      0x1f, 0xd, 0x22, 0x53, 0x55, 0xb, 0x15, 0x1e, 0xc, 0x56, 0x11, 0x1b, 0x1d, 0xb, 0x10, 0x22,
      0xa, 0xd, 0x1c, 0x8, 0x12, 0x1b, 0x54, 0x14, 0x1a, 0x57, 0x19, 0x9, 0x18, 0x23, 0x17, 0x19,
      0x18, 0x7, 0x58, 0x7, 0xc, 0x16, 0x17, 0x6, 0x5, 0x4, 0x59, 0xf, 0x16, 0x5, 0xe, 0x4,
      0x11, 0x24, 0x10, 0x25, 0x13, 0x5a, 0x15, 0x5b, 0x14, 0x13, 0x1a, 0x15, 0x14, 0x13, 0x12, 0x11,
      0x26, 0x27, 0x5c, 0x5d, 0x5e, 0x5f, 0x3],
    lengths: [
      2, 3, 4, 5, 5, 6, 6, 6, 7, 8, 8, 8, 9, 9, 9, 9,
      10, 10, 10, 10, 11, 11, 11, 11, 12, 12, 12, 4, 6, 7, 8, 9,
      9, 10, 11, 12, 12, 5, 7, 9, 10, 12, 6, 8, 9, 10, 6, 9,
      10, 6, 9, 10, 7, 9, 12, 7, 9, 12, 8, 10, 8, 11, 8, 9,
      9, 10, 12, 4, 6, 8, 9, 10, 11, 11, 12, 6, 9, 10, 6, 10,
      7, 11, 7, 11, 7, 12, 8, 12, 8, 8, 8, 9, 9, 9, 9, 9,
      11, 11, 12, 12, 12, 12, 7],
    runs: [
      0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
      0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1,
      1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4,
      4, 5, 5, 5, 6, 6, 6, 7, 7, 7, 8, 8, 9, 9, 10, 11,
      12, 13, 14, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 2, 2,
      3, 3, 4, 4, 5, 5, 6, 6, 7, 8, 9, 10, 11, 12, 13, 14,
      15, 16, 17, 18, 19, 20],
    levels: [
      1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16,
      17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 1, 2, 3, 4, 5,
      6, 7, 8, 9, 10, 1, 2, 3, 4, 5, 1, 2, 3, 4, 1, 2,
      3, 1, 2, 3, 1, 2, 3, 1, 2, 3, 1, 2, 1, 2, 1, 1,
      1, 1, 1, 1, 2, 3, 4, 5, 6, 7, 8, 1, 2, 3, 1, 2,
      1, 2, 1, 2, 1, 2, 1, 2, 1, 1, 1, 1, 1, 1, 1, 1,
      1, 1, 1, 1, 1, 1],
    firstLast: 67,
  };

  const INTER = {
    codes: [
      0x2, 0xf, 0x15, 0x17, 0x1f, 0x25, 0x24, 0x21, 0x20, 0x7, 0x6, 0x20, 0x6, 0x14, 0x1e, 0xf,
      0x21, 0x50, 0xe, 0x1d, 0xe, 0x51, 0xd, 0x23, 0xd, 0xc, 0x22, 0x52, 0xb, 0xc, 0x53, 0x13,
      0xb, 0x54, 0x12, 0xa, 0x11, 0x9, 0x10, 0x8, 0x16, 0x55, 0x15, 0x14, 0x1c, 0x1b, 0x21, 0x20,
      0x1f, 0x1e, 0x1d, 0x1c, 0x1b, 0x1a, 0x22, 0x23, 0x56, 0x57, 0x7, 0x19, 0x5, 0xf, 0x4, 0xe,
      0xd, 0xc, 0x13, 0x12, 0x11, 0x10, 0x1a, 0x19, 0x18, 0x17, 0x16, 0x15, 0x14, 0x13, 0x18, 0x17,
      0x16, 0x15, 0x14, 0x13, 0x12, 0x11, 0x7, 0x6, 0x5, 0x4, 0x24, 0x25, 0x26, 0x27, 0x58, 0x59,
      0x5a, 0x5b, 0x5c, 0x5d, 0x5e, 0x5f, 0x3],
    lengths: [
      2, 4, 6, 7, 8, 9, 9, 10, 10, 11, 11, 11, 3, 6, 8, 10,
      11, 12, 4, 8, 10, 12, 5, 9, 10, 5, 9, 12, 5, 10, 12, 6,
      10, 12, 6, 10, 6, 10, 6, 10, 7, 12, 7, 7, 8, 8, 9, 9,
      9, 9, 9, 9, 9, 9, 11, 11, 12, 12, 4, 9, 11, 6, 11, 6,
      6, 6, 7, 7, 7, 7, 8, 8, 8, 8, 8, 8, 8, 8, 9, 9,
      9, 9, 9, 9, 9, 9, 10, 10, 10, 10, 11, 11, 11, 11, 12, 12,
      12, 12, 12, 12, 12, 12, 7],
    runs: [
      0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1,
      1, 1, 2, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5, 5, 5, 6,
      6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 12, 13, 14, 15, 16,
      17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 0, 0, 0, 1, 1, 2,
      3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18,
      19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34,
      35, 36, 37, 38, 39, 40],
    levels: [
      1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 1, 2, 3, 4,
      5, 6, 1, 2, 3, 4, 1, 2, 3, 1, 2, 3, 1, 2, 3, 1,
      2, 3, 1, 2, 1, 2, 1, 2, 1, 2, 1, 1, 1, 1, 1, 1,
      1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 3, 1, 2, 1,
      1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
      1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
      1, 1, 1, 1, 1, 1],
    firstLast: 58,
  };

  /** One table of events: its lookup and its largest level per run and run per level ([last * 64 + x]). */
  function table(t) {
    const n = t.runs.length;
    const entries = new Int32Array(t.codes.length);
    const maxLevel = new Int32Array(128);
    const maxRun = new Int32Array(128);
    for (let i = 0; i < n; i++) {
      const last = i >= t.firstLast ? 1 : 0;
      entries[i] = (last << 16) | (t.runs[i] << 10) | (t.levels[i] << 5);
      maxLevel[last * 64 + t.runs[i]] = Math.max(maxLevel[last * 64 + t.runs[i]], t.levels[i]);
      maxRun[last * 64 + t.levels[i]] = Math.max(maxRun[last * 64 + t.levels[i]], t.runs[i]);
    }
    entries[n] = ESCAPE;
    const lookup = new Int32Array(1 << BITS);
    for (let i = 0; i < t.codes.length; i++) {
      const shift = BITS - t.lengths[i];
      const first = t.codes[i] << shift;
      for (let j = 0; j < 1 << shift; j++) lookup[first + j] = entries[i] | t.lengths[i];
    }
    return { lookup, maxLevel, maxRun };
  }

  const intraTable = table(INTRA);
  const interTable = table(INTER);

  /**
   * Reads the events of one block from scan position `first` on, storing each
   * level at block[scan[position]] and that raster position in `positions`.
   * Returns how many levels were stored.
   */
  function read(bits, intra, scan, first, block, positions) {
    const t = intra ? intraTable : interTable;
    const lookup = t.lookup;
    let i = first;
    let count = 0;
    for (;;) {
      let e = lookup[bits.peek(BITS)];
      if (e === 0) throw MP4V_DAMAGE;
      bits.skip(e & 31);
      let level;
      if ((e & ESCAPE) !== 0) {
        const form = bits.peek(2);
        if (form === 3) {
          bits.skip(2);
          const last = bits.bit();
          const run = bits.read(6);
          bits.marker();
          level = (bits.read(12) << 20) >> 20;
          bits.marker();
          if (level === 0) throw MP4V_DAMAGE;
          e = (last << 16) | (run << 10);
        } else {
          bits.skip(form === 2 ? 2 : 1);
          e = lookup[bits.peek(BITS)];
          if (e === 0 || (e & ESCAPE) !== 0) throw MP4V_DAMAGE;
          bits.skip(e & 31);
          const last = (e >>> 16) & 1;
          let run = (e >>> 10) & 63;
          level = (e >>> 5) & 31;
          if (form === 2) {
            run += t.maxRun[last * 64 + level] + 1;
            e = (last << 16) | (run << 10);
          } else {
            level += t.maxLevel[last * 64 + run];
          }
          if (bits.bit() !== 0) level = -level;
        }
      } else {
        level = (e >>> 5) & 31;
        if (bits.bit() !== 0) level = -level;
      }
      i += (e >>> 10) & 63;
      if (i > 63) throw MP4V_DAMAGE;
      const pos = scan[i];
      block[pos] = level;
      positions[count++] = pos;
      i++;
      if ((e & (1 << 16)) !== 0) return count;
    }
  }

  return { read };
})();
