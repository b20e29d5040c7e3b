// The decoding side of playing, run in a worker so that the page stays
// responsive: the page hands it units of one stream in decoding order, and
// it answers each with the picture as RGBA (when the page still wants to show
// it) or with a note that it was decoded only (a picture the clock has left
// behind, which later pictures still refer to). Downloads, timing and which
// units to decode are the page's (player_control.js).

class VideoSource {
  constructor(post) {
    this.post = post;
    this.decoder = null;
    this.generation = 0;
    this.variant = -1;
  }

  receive(m) {
    switch (m.type) {
      case 'reset': return this.reset(m);
      case 'decode': return this.decode(m);
      case 'speed': return this.measureSpeed(m.units);
      default: return undefined;
    }
  }

  /** A new decoder for a stream, configured by its first unit (its headers and first picture). */
  reset(m) {
    this.decoder = new Mp4vDecoder();
    this.generation = m.generation;
    this.variant = m.variant;
    if (m.first) this.decoder.decode(m.first);
  }

  decode(m) {
    if (m.generation !== this.generation || this.decoder === null) {
      this.post({ type: 'decoded', generation: m.generation, index: m.index, shown: false });
      return;
    }
    const started = performance.now();
    const p = this.decoder.decode(m.data);
    if (p === null || !m.show) {
      this.post({ type: 'decoded', generation: m.generation, index: m.index, shown: false,
        ms: performance.now() - started });
      return;
    }
    const rgba = pictureToRgba(p, new Uint8ClampedArray(p.width * p.height * 4));
    this.post({
      type: 'picture', generation: m.generation, time: m.time, index: m.index, width: p.width, height: p.height,
      rgba: rgba.buffer, key: p.keyFrame, damaged: p.damaged, fingerprint: lumaFingerprint(p.y),
      variant: this.variant, ms: performance.now() - started,
    }, [rgba.buffer]);
  }

  /** Decodes the given units once more, as fast as it goes, for the speed figure. */
  measureSpeed(units) {
    const decoder = new Mp4vDecoder();
    const started = performance.now();
    let pictures = 0;
    for (const data of units) {
      const p = decoder.decode(data);
      if (p !== null) {
        pictures++;
        pictureToRgba(p, new Uint8ClampedArray(p.width * p.height * 4));
      }
    }
    const seconds = (performance.now() - started) / 1000;
    this.post({ type: 'speed', pictures, seconds, perSecond: pictures / Math.max(seconds, 1e-6) });
  }
}
