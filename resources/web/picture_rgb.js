// A decoded picture turned into pixels to draw: studio-range BT.601 luma and
// chroma to full-range RGBA, each chroma sample covering two by two pixels,
// done beside the decoder so that drawing only copies. And a short
// fingerprint of a picture's luma, which the page shows for its tests.

function pictureToRgba(p, rgba) {
  const w = p.width;
  const h = p.height;
  const cw = (w + 1) >> 1;
  const ys = p.y;
  const us = p.u;
  const vs = p.v;
  let o = 0;
  for (let row = 0; row < h; row++) {
    const c = (row >> 1) * cw;
    let q = row * w;
    for (let x = 0; x < w; x++, q++) {
      const y = 298 * (ys[q] - 16);
      const u = us[c + (x >> 1)] - 128;
      const v = vs[c + (x >> 1)] - 128;
      const r = (y + 409 * v + 128) >> 8;
      const g = (y - 100 * u - 208 * v + 128) >> 8;
      const b = (y + 516 * u + 128) >> 8;
      rgba[o] = r < 0 ? 0 : r > 255 ? 255 : r;
      rgba[o + 1] = g < 0 ? 0 : g > 255 ? 255 : g;
      rgba[o + 2] = b < 0 ? 0 : b > 255 ? 255 : b;
      rgba[o + 3] = 255;
      o += 4;
    }
  }
  return rgba;
}

/** FNV-1a over the luma plane: the same number wherever the same picture is decoded. */
function lumaFingerprint(y) {
  let h = 0x811c9dc5;
  for (let i = 0; i < y.length; i++) h = Math.imul(h ^ y[i], 0x01000193);
  return h >>> 0;
}
