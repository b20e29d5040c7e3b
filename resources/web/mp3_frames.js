// The MP3 sound stream cut into its frames as it downloads, so that the
// browser can decode it a few seconds at a time: each frame's place, sample
// rate and length come from its 4-byte header (MPEG-1, 2 and 2.5, Layer III).

const MP3_BITRATES_V1 = [0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320];
const MP3_BITRATES_V2 = [0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160];
const MP3_SAMPLE_RATES = { 3: [44100, 48000, 32000], 2: [22050, 24000, 16000], 0: [11025, 12000, 8000] };
/** The encoder's start-up delay plus the decoder's: the heard sound starts this many samples into the output. */
const MP3_START_DELAY_SAMPLES = 576 + 529;
/** Bytes of earlier frames a frame's data may begin in (the bit reservoir), at most. */
const MP3_RESERVOIR_BYTES = 511;

/** The frame whose header starts at `b[at]`, or null when those bytes are no Layer III header. */
function mp3FrameHeader(b, at) {
  if (b[at] !== 0xff || (b[at + 1] & 0xe0) !== 0xe0) return null;
  const version = (b[at + 1] >> 3) & 3;
  const layer = (b[at + 1] >> 1) & 3;
  const bitrateIndex = b[at + 2] >> 4;
  const rateIndex = (b[at + 2] >> 2) & 3;
  if (version === 1 || layer !== 1 || bitrateIndex === 0 || bitrateIndex === 15 || rateIndex === 3) return null;
  const mpeg1 = version === 3;
  const kbps = (mpeg1 ? MP3_BITRATES_V1 : MP3_BITRATES_V2)[bitrateIndex];
  const sampleRate = MP3_SAMPLE_RATES[version][rateIndex];
  const padding = (b[at + 2] >> 1) & 1;
  return {
    length: Math.floor(((mpeg1 ? 144 : 72) * kbps * 1000) / sampleRate) + padding,
    sampleRate,
    samples: mpeg1 ? 1152 : 576,
    channels: (b[at + 3] >> 6) === 3 ? 1 : 2,
  };
}

/**
 * Collects whole frames from pieces of the stream: `frames` holds
 * {offset, length} per frame (stream offsets), `bytes` the stream from
 * `bytesStart` on. Bytes that are not a frame are skipped, as a decoder
 * resynchronises.
 */
class Mp3FrameReader {
  constructor() {
    this.format = null;        // {sampleRate, samples, channels} of the first frame
    this.frames = [];
    this.firstFrame = 0;       // number of frames[0]
    this.store = new Uint8Array(65536);
    this.used = 0;             // bytes held in store
    this.bytesStart = 0;       // stream offset of store[0]
    this.scan = 0;             // stream offset of the next byte to examine
    this.skipped = 0;
  }

  /** Appends the next piece of the stream. */
  feed(piece) {
    if (this.used + piece.length > this.store.length) {
      const grown = new Uint8Array(Math.max(this.store.length * 2, this.used + piece.length));
      grown.set(this.store.subarray(0, this.used), 0);
      this.store = grown;
    }
    this.store.set(piece, this.used);
    this.used += piece.length;
    const end = this.bytesStart + this.used;
    while (this.scan + 4 <= end) {
      const h = mp3FrameHeader(this.store, this.scan - this.bytesStart);
      if (h === null || (this.format && h.sampleRate !== this.format.sampleRate)) {
        this.scan++;
        this.skipped++;
        continue;
      }
      if (this.scan + h.length > end) break;
      if (this.format === null) this.format = { sampleRate: h.sampleRate, samples: h.samples, channels: h.channels };
      this.frames.push({ offset: this.scan, length: h.length });
      this.scan += h.length;
    }
  }

  /** Starts over at frame number `frame`, whose header is at stream offset `offset` (a seek). */
  restartAt(frame, offset) {
    this.frames = [];
    this.firstFrame = frame;
    this.used = 0;
    this.bytesStart = offset;
    this.scan = offset;
  }

  get frameCount() {
    return this.firstFrame + this.frames.length;
  }

  /** The bytes of frames [from, to), both counted from the stream's start (a copy). */
  frameBytes(from, to) {
    const a = this.frames[from - this.firstFrame];
    const z = this.frames[to - 1 - this.firstFrame];
    return this.store.slice(a.offset - this.bytesStart, z.offset + z.length - this.bytesStart);
  }

  /** Bytes held. */
  get heldBytes() {
    return this.used;
  }

  /** Forgets the frames before `frame` and their bytes: what has been played and is not needed again. */
  forgetBefore(frame) {
    const drop = Math.min(frame - this.firstFrame, this.frames.length);
    if (drop <= 0) return;
    this.frames.splice(0, drop);
    this.firstFrame += drop;
    const keepFrom = this.frames.length > 0 ? this.frames[0].offset : this.scan;
    const cut = keepFrom - this.bytesStart;
    this.store.copyWithin(0, cut, this.used);
    this.used -= cut;
    this.bytesStart = keepFrom;
  }
}

/**
 * Frames to decode before a chunk so that its first frame comes out as in a
 * decode of the whole stream: the frames its data may begin in (the bit
 * reservoir) and two more for the overlap of the transform and the filter bank.
 */
function mp3PrimingFrames(frameLength) {
  return Math.ceil(MP3_RESERVOIR_BYTES / Math.max(1, frameLength)) + 2;
}

/** Where frames start in the stream, one entry every this many frames, for seeking back into forgotten sound. */
const MP3_INDEX_STEP = 32;

class Mp3FrameIndex {
  constructor() {
    this.offsets = [];  // offsets[k]: stream offset of frame k * MP3_INDEX_STEP
  }

  /** Notes the frames of `reader` not yet noted. */
  note(reader) {
    for (;;) {
      const frame = this.offsets.length * MP3_INDEX_STEP;
      if (frame < reader.firstFrame || frame >= reader.frameCount) return;
      this.offsets.push(reader.frames[frame - reader.firstFrame].offset);
    }
  }

  /** The latest indexed frame at or before `frame`: {frame, offset}, or null. */
  at(frame) {
    const k = Math.min(this.offsets.length - 1, Math.floor(frame / MP3_INDEX_STEP));
    return k < 0 ? null : { frame: k * MP3_INDEX_STEP, offset: this.offsets[k] };
  }
}
