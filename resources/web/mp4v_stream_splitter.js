// Cutting the video stream into the units the decoder takes, and telling
// which picture a unit holds without decoding it.

/**
 * Cuts an elementary stream arriving in pieces into decode units. A unit
 * holds any headers and the picture that follows them; it ends where the next
 * unit's first start code begins. `unitStart` is the stream offset of the
 * unit last handed out.
 */
class Mp4vStreamSplitter {
  constructor() {
    this.buf = new Uint8Array(65536);
    this.start = 0;      // first byte of the unit being collected
    this.end = 0;        // bytes held
    this.scan = 0;       // next byte to examine for a start code prefix
    this.hasVop = false; // the unit being collected already holds a picture
    this.dropped = 0;    // stream bytes before buf[0]
    this.unitStart = 0;
  }

  feed(data) {
    const length = data.length;
    if (length <= 0) return;
    if (this.end + length > this.buf.length) {
      const held = this.end - this.start;
      const to = held + length > this.buf.length ? new Uint8Array(Math.max(this.buf.length * 2, held + length)) : this.buf;
      if (to === this.buf) to.copyWithin(0, this.start, this.end);
      else to.set(this.buf.subarray(this.start, this.end), 0);
      this.buf = to;
      this.scan -= this.start;
      this.dropped += this.start;
      this.end = held;
      this.start = 0;
    }
    this.buf.set(data, this.end);
    this.end += length;
  }

  /** The next complete unit (a copy), or null when more data is needed. */
  next() {
    const b = this.buf;
    while (this.scan + 3 < this.end) {
      const s = this.scan;
      if (b[s + 2] > 1) {
        this.scan += 3;
      } else if (b[s] === 0 && b[s + 1] === 0 && b[s + 2] === 1) {
        const code = b[s + 3];
        this.scan += 4;
        if (this.hasVop && s > this.start) {
          const unit = b.slice(this.start, s);
          this.unitStart = this.dropped + this.start;
          this.start = s;
          this.hasVop = code === 0xb6;
          return unit;
        }
        this.hasVop = this.hasVop || code === 0xb6;
      } else {
        this.scan++;
      }
    }
    return null;
  }

  /** At the end of the stream, once next() gave null: the last unit (all still held), or null. */
  finish() {
    if (this.end <= this.start) return null;
    const unit = this.buf.slice(this.start, this.end);
    this.unitStart = this.dropped + this.start;
    this.start = this.end;
    this.scan = this.end;
    this.hasVop = false;
    return unit;
  }
}

/** The coding type of a unit's first picture header (0 I, 1 P, 2 B, 3 S), or -1 without one. */
function unitCodingType(unit) {
  for (let i = 0; i + 4 < unit.length; i++) {
    if (unit[i] === 0 && unit[i + 1] === 0 && unit[i + 2] === 1 && unit[i + 3] === 0xb6) return unit[i + 4] >> 6;
  }
  return -1;
}
