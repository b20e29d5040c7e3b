// A decoded picture turned into pixels to draw: studio-range BT.601 luma and
// chroma to full-range RGBA, each chroma sample covering two by two pixels,
// done beside the decoder so that drawing only copies: each chroma sample's
// terms are worked out once for the pixels it covers, and a pixel is one
// 32-bit store. And a short fingerprint of a picture's luma, which the page
// shows for its tests.

function pictureToRgba(p, rgba) {
  const w = p.width;
  const h = p.height;
  if ((rgba.byteOffset & 3) !== 0) return pictureToRgbaBytes(p, rgba);
  const out = new Uint32Array(rgba.buffer, rgba.byteOffset, w * h);
  const cw = (w + 1) >> 1;
  const ys = p.y;
  const us = p.u;
  const vs = p.v;
  const clamp = RGB_CLAMP;
  const opaque = RGB_LITTLE_ENDIAN ? 0xff000000 : 0xff;
  for (let row = 0; row < h; row++) {
    const c = (row >> 1) * cw;
    const q = row * w;
    for (let x = 0; x < w; x += 2) {
      // One chroma sample's share, for the two pixels of this row it covers.
      const u = us[c + (x >> 1)] - 128;
      const v = vs[c + (x >> 1)] - 128;
      const rv = 409 * v + 128 + RGB_CLAMP_OFFSET * 256;
      const guv = -100 * u - 208 * v + 128 + RGB_CLAMP_OFFSET * 256;
      const bu = 516 * u + 128 + RGB_CLAMP_OFFSET * 256;
      for (let i = x; i < x + 2 && i < w; i++) {
        const y = 298 * (ys[q + i] - 16);
        const r = clamp[(y + rv) >> 8];
        const g = clamp[(y + guv) >> 8];
        const b = clamp[(y + bu) >> 8];
        out[q + i] = RGB_LITTLE_ENDIAN ? (opaque | b << 16 | g << 8 | r) >>> 0 : (r << 24 | g << 16 | b << 8 | opaque) >>> 0;
      }
    }
  }
  return rgba;
}

/** The same, one byte at a time, for an array that does not start on a four-byte boundary. */
function pictureToRgbaBytes(p, rgba) {
  const w = p.width;
  const h = p.height;
  const cw = (w + 1) >> 1;
  let o = 0;
  for (let row = 0; row < h; row++) {
    const c = (row >> 1) * cw;
    let q = row * w;
    for (let x = 0; x < w; x++, q++) {
      const y = 298 * (p.y[q] - 16);
      const u = p.u[c + (x >> 1)] - 128;
      const v = p.v[c + (x >> 1)] - 128;
      rgba[o] = RGB_CLAMP[((y + 409 * v + 128) >> 8) + RGB_CLAMP_OFFSET];
      rgba[o + 1] = RGB_CLAMP[((y - 100 * u - 208 * v + 128) >> 8) + RGB_CLAMP_OFFSET];
      rgba[o + 2] = RGB_CLAMP[((y + 516 * u + 128) >> 8) + RGB_CLAMP_OFFSET];
      rgba[o + 3] = 255;
      o += 4;
    }
  }
  return rgba;
}

/** Channel values from -RGB_CLAMP_OFFSET up, limited to 0..255 (the sums above stay well inside). */
const RGB_CLAMP_OFFSET = 512;
const RGB_CLAMP = (() => {
  const t = new Uint8Array(1536);
  for (let i = 0; i < t.length; i++) t[i] = Math.max(0, Math.min(255, i - RGB_CLAMP_OFFSET));
  return t;
})();
/** Whether a 32-bit store puts its low byte first, as it does on every machine browsers run on today. */
const RGB_LITTLE_ENDIAN = new Uint8Array(new Uint32Array([1]).buffer)[0] === 1;

/** FNV-1a over the luma plane: the same number wherever the same picture is decoded. */
function lumaFingerprint(y) {
  let h = 0x811c9dc5;
  for (let i = 0; i < y.length; i++) h = Math.imul(h ^ y[i], 0x01000193);
  return h >>> 0;
}
