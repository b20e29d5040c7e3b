// One picture as the decoder works on it: three planes covering whole
// macroblocks, which the output crops to the picture's own size; and the
// picture handed out: planar 4:2:0, chroma (width+1)/2 x (height+1)/2.

class Mp4vFrame {
  constructor(mbWidth, mbHeight) {
    this.mbWidth = mbWidth;
    this.mbHeight = mbHeight;
    this.lumaStride = mbWidth * 16;
    this.lumaRows = mbHeight * 16;
    this.chromaStride = mbWidth * 8;
    this.chromaRows = mbHeight * 8;
    this.y = new Uint8Array(this.lumaStride * this.lumaRows);
    this.u = new Uint8Array(this.chromaStride * this.chromaRows);
    this.v = new Uint8Array(this.chromaStride * this.chromaRows);
  }

  fillGrey() {
    this.y.fill(128);
    this.u.fill(128);
    this.v.fill(128);
  }

  /**
   * A fresh picture of this frame cropped to width x height: {width, height,
   * y, u, v, keyFrame, damaged, timeTicks, ticksPerSecond}.
   */
  crop(width, height, keyFrame, damaged, timeTicks, ticksPerSecond) {
    const cw = (width + 1) >> 1;
    const ch = (height + 1) >> 1;
    return {
      width, height,
      y: cropPlane(this.y, this.lumaStride, width, height),
      u: cropPlane(this.u, this.chromaStride, cw, ch),
      v: cropPlane(this.v, this.chromaStride, cw, ch),
      keyFrame, damaged, timeTicks, ticksPerSecond,
    };
  }
}

function cropPlane(plane, stride, w, h) {
  if (stride === w) return plane.slice(0, w * h);
  const out = new Uint8Array(w * h);
  for (let r = 0; r < h; r++) out.set(plane.subarray(r * stride, r * stride + w), r * w);
  return out;
}
