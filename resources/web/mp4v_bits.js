// Reads bits, most significant first, from a private copy of one decode
// unit. The copy carries a few zero bytes after the data so that peeks near
// the end need no bounds test of their own; reading further is damage.

/** What the video decoder throws inside itself; it never leaves the decoder. */
const MP4V_DAMAGE = new Error('damaged video data');

class Mp4vBits {
  constructor() {
    this.buf = new Uint8Array(4096);
    this.lengthBytes = 0;
    this.pos = 0;
  }

  reset(data, offset, length) {
    const padding = 8;
    if (this.buf.length < length + padding) this.buf = new Uint8Array(((length + padding) * 5) >> 2);
    this.buf.set(data.subarray(offset, offset + length), 0);
    this.buf.fill(0, length, length + padding);
    this.lengthBytes = length;
    this.pos = 0;
  }

  /** The next n bits (1..25) without consuming them. */
  peek(n) {
    const i = this.pos >>> 3;
    if (i > this.lengthBytes + 3) throw MP4V_DAMAGE;
    const b = this.buf;
    const w = (b[i] << 24) | (b[i + 1] << 16) | (b[i + 2] << 8) | b[i + 3];
    return (w << (this.pos & 7)) >>> (32 - n);
  }

  skip(n) {
    this.pos += n;
  }

  read(n) {
    const v = this.peek(n);
    this.pos += n;
    return v;
  }

  bit() {
    const v = this.peek(1);
    this.pos++;
    return v;
  }

  /** A marker bit; encoders set it to 1, a 0 means the data is damaged. */
  marker() {
    if (this.bit() !== 1) throw MP4V_DAMAGE;
  }

  checkOverrun() {
    if (this.pos > this.lengthBytes * 8) throw MP4V_DAMAGE;
  }

  /** Skips the stuffing before a byte boundary: a 0 and up to seven 1s, a whole byte when aligned. */
  skipStuffing() {
    this.pos += 8 - (this.pos & 7);
  }

  /**
   * Moves to the first start code prefix (00 00 01) at or after the current
   * byte-aligned position and returns the byte after it, leaving the position
   * after that byte; -1 (position at the end) when there is none.
   */
  nextStartCode() {
    let i = (this.pos + 7) >>> 3;
    const b = this.buf;
    const end = this.lengthBytes - 3;
    while (i <= end) {
      if (b[i + 2] > 1) {
        i += 3;
      } else if (b[i] === 0 && b[i + 1] === 0 && b[i + 2] === 1) {
        this.pos = (i + 4) * 8;
        return b[i + 3];
      } else {
        i++;
      }
    }
    this.pos = this.lengthBytes * 8;
    return -1;
  }

  /**
   * True when what remains before the next byte boundary is stuffing (a 0
   * then ones) and the aligned bits after it start with prefixZeros zero bits
   * and a one: a resync marker of that length.
   */
  atResyncMarker(prefixZeros) {
    const toAlign = 8 - (this.pos & 7);
    if (this.peek(toAlign) !== (1 << (toAlign - 1)) - 1) return false;
    const save = this.pos;
    this.pos += toAlign;
    const marker = this.pos + prefixZeros + 1 <= this.lengthBytes * 8 && this.peek(prefixZeros + 1) === 1;
    this.pos = save;
    return marker;
  }
}
