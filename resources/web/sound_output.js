// The sound, played as it downloads. The MP3 stream is cut into frames
// (mp3_frames.js); a few seconds at a time are decoded by the browser itself
// (decodeAudioData at the stream's own rate, after enough earlier frames to
// rebuild the decoder's state) and scheduled back to back on the sound
// context's timeline, so only those few seconds are ever held decoded and
// memory stays bounded whatever the film's length. The encoder's and the
// decoder's start-up delay is cut off, so that the sound heard at film time t
// is the sound of time t. A sound stream changes (a variant switch) at the
// end of what is already scheduled, without a gap.

const SOUND_HEADER_BYTES = 12;
/** Seconds of film decoded at a time. */
const SOUND_CHUNK_SECONDS = 2;
/** Seconds of sound kept scheduled ahead: more than a hidden page's timers may sleep. */
const SOUND_AHEAD_SECONDS = 5;
/** Seconds of compressed sound held ahead of the play position before the download pauses. */
const SOUND_DOWNLOAD_AHEAD_SECONDS = 120;
/** Context seconds between scheduling the first piece and its start. */
const SOUND_START_LEAD = 0.06;

/** One sound stream file, downloading into frames. */
class SoundTrack {
  constructor(url, name, meter, onChange) {
    this.name = name;
    this.onChange = onChange;
    this.reader = new Mp3FrameReader();
    this.index = new Mp3FrameIndex();
    this.header = null;
    this.head = new Uint8Array(0);
    this.playFrame = 0;       // the frame being played: what is before it may be forgotten
    this.download = null;
    this.url = url;
    this.meter = meter;
    this.failure = null;
  }

  get done() {
    return this.download !== null && this.download.done;
  }

  start(fileOffset = 0) {
    if (this.download) this.download.cancel();
    const d = new StreamDownload(this.url, this.name, this.meter, (piece, at) => this.take(piece, at),
      () => this.wantsMore());
    this.download = d;
    d.run(fileOffset).then(() => {
      if (d !== this.download) return;
      if (d.failure) this.failure = d.failure;
      this.onChange();
    });
  }

  cancel() {
    if (this.download) this.download.cancel();
  }

  take(piece, at) {
    if (at < SOUND_HEADER_BYTES) {
      const joined = new Uint8Array(this.head.length + piece.length);
      joined.set(this.head, 0);
      joined.set(piece, this.head.length);
      this.head = joined;
      if (this.head.length < SOUND_HEADER_BYTES) return;
      this.header = parseAudioHeader(this.head, this.name);
      piece = this.head.subarray(SOUND_HEADER_BYTES);
      at = SOUND_HEADER_BYTES;
    }
    const payloadAt = at - SOUND_HEADER_BYTES;
    const limit = this.header ? this.header.dataSize : Infinity;
    if (payloadAt >= limit) return;
    this.reader.feed(piece.subarray(0, Math.max(0, limit - payloadAt)));
    this.index.note(this.reader);
    this.onChange();
  }

  get format() {
    return this.reader.format;
  }

  /** Film seconds of the start of frame `frame`. */
  frameTime(frame) {
    const f = this.format;
    return f ? (frame * f.samples - MP3_START_DELAY_SAMPLES) / f.sampleRate : 0;
  }

  /** Film seconds up to which sound is downloaded (Infinity once all of it is). */
  get downloadedUntil() {
    if (this.done) return Infinity;
    return this.format ? this.frameTime(this.reader.frameCount) : 0;
  }

  /** Film seconds of the whole stream, once downloaded (else 0). */
  get endTime() {
    return this.done && this.format ? this.frameTime(this.reader.frameCount) : 0;
  }

  wantsMore() {
    const f = this.format;
    if (!f) return true;
    const ahead = ((this.reader.frameCount - this.playFrame) * f.samples) / f.sampleRate;
    return ahead < SOUND_DOWNLOAD_AHEAD_SECONDS;
  }

  /** Playing goes on from frame `frame`: earlier frames are dropped, forgotten ones fetched again. */
  playFrom(frame) {
    const f = this.format;
    const priming = f ? mp3PrimingFrames(this.reader.frames.length ? this.reader.frames[0].length : 0) : 0;
    const needed = Math.max(0, frame - priming);
    this.playFrame = frame;
    if (needed < this.reader.firstFrame) {
      const entry = this.index.at(needed);
      const restartFrame = entry ? entry.frame : 0;
      const offset = entry ? entry.offset : 0;
      this.reader.restartAt(restartFrame, offset);
      this.start(offset + SOUND_HEADER_BYTES);
    } else {
      this.reader.forgetBefore(needed);
      if (this.download) this.download.resume();
    }
  }
}

/** Decodes frames [from, to) of `track` at the stream's own rate: an AudioBuffer. */
function decodeMp3Frames(track, from, to) {
  const f = track.format;
  const Offline = globalThis.OfflineAudioContext || globalThis.webkitOfflineAudioContext;
  const context = new Offline(f.channels, 1, f.sampleRate);
  const bytes = track.reader.frameBytes(from, to);
  return new Promise((resolve, reject) => {
    const p = context.decodeAudioData(bytes.buffer, resolve, reject);
    if (p && p.then) p.then(resolve, reject);
  });
}

class SoundOutput {
  constructor() {
    this.context = null;
    this.gain = null;
    this.track = null;
    this.nextTrack = null;    // a track to change to at the end of what is scheduled
    this.playing = false;
    this.rate = 1;
    this.anchorFilm = 0;      // film time at context time anchorContext
    this.anchorContext = -1;  // -1: nothing scheduled since the last restart
    this.scheduledUntil = 0;  // film time up to which sound is scheduled
    this.sources = [];
    this.decoding = false;
    this.generation = 0;
    this.volume = 1;
    this.muted = false;
    this.problem = null;
    this.onStateChange = null;
    this.ended = false;       // the stream has been scheduled to its end
  }

  /** Creates or wakes the sound context: call inside a click or key handler, as browsers require. */
  unlock() {
    const Context = globalThis.AudioContext || globalThis.webkitAudioContext;
    if (!Context) return;
    if (this.context === null) {
      try {
        this.context = new Context();
      } catch (e) {
        this.problem = 'the browser gives no sound (' + (e.message || e) + ')';
        return;
      }
      this.gain = this.context.createGain();
      this.gain.connect(this.context.destination);
      this.applyVolume();
      this.context.onstatechange = () => this.onStateChange && this.onStateChange(this.context.state);
    }
    if (this.context.state !== 'running') this.context.resume().catch(() => {});
  }

  get running() {
    return this.context !== null && this.context.state === 'running';
  }

  setVolume(volume, muted) {
    this.volume = volume;
    this.muted = muted;
    this.applyVolume();
  }

  applyVolume() {
    if (this.gain) this.gain.gain.value = this.muted ? 0 : this.volume * this.volume;
  }

  /** Plays `track` from now on (null: no sound). */
  setTrack(track) {
    if (this.track && this.track !== track) this.track.cancel();
    this.track = track;
    this.nextTrack = null;
  }

  /** Changes to `track` where the sound already scheduled ends. */
  changeTrack(track) {
    if (track === this.track) return;
    if (this.nextTrack && this.nextTrack !== track) this.nextTrack.cancel();
    this.nextTrack = track;
  }

  /** Starts (or starts again) at film time `film`, at `rate` times real time. */
  restart(film, rate) {
    this.stop();
    this.playing = true;
    this.rate = rate;
    this.anchorFilm = film;
    this.anchorContext = -1;
    this.scheduledUntil = film;
    this.ended = false;
    if (this.track && this.track.format) this.track.playFrom(this.frameAt(this.track, film));
  }

  stop() {
    this.generation++;
    this.playing = false;
    this.decoding = false;
    for (const s of this.sources) {
      try {
        s.stop();
      } catch (e) {
        // Never started or already ended.
      }
      s.disconnect();
    }
    this.sources = [];
  }

  frameAt(track, film) {
    const f = track.format;
    return Math.max(0, Math.floor((film * f.sampleRate + MP3_START_DELAY_SAMPLES) / f.samples));
  }

  /** The context's time of what is heard now. */
  heardContextTime() {
    const c = this.context;
    if (c.getOutputTimestamp) {
      const stamp = c.getOutputTimestamp();
      if (stamp.contextTime > 0 && stamp.performanceTime > 0) {
        return stamp.contextTime + Math.max(0, performance.now() - stamp.performanceTime) / 1000;
      }
    }
    return c.currentTime - (c.outputLatency || 0) - (c.baseLatency || 0);
  }

  /** Film time of the sound heard now, or null when no sound is playing. */
  position() {
    if (!this.playing || !this.running || this.anchorContext < 0) return null;
    const film = this.anchorFilm + (this.heardContextTime() - this.anchorContext) * this.rate;
    if (film < this.anchorFilm || film > this.scheduledUntil) return null;
    return film;
  }

  /** Seconds of sound downloaded ahead of `film` (Infinity without sound or when all is here). */
  bufferedAhead(film) {
    if (!this.track || this.track.failure) return Infinity;
    return this.track.downloadedUntil - film;
  }

  /** Decodes and schedules what comes next when less than a few seconds are scheduled ahead of `film`. */
  pump(film) {
    if (!this.playing || !this.running || this.decoding || this.ended || !this.track) return;
    if (this.anchorContext >= 0 && this.scheduledUntil - film > SOUND_AHEAD_SECONDS * Math.max(1, this.rate)) return;
    const start = Math.max(this.scheduledUntil, film);
    if (this.nextTrack && this.nextTrack.format && this.nextTrack.downloadedUntil > start + SOUND_CHUNK_SECONDS) {
      this.track.cancel();
      this.track = this.nextTrack;
      this.nextTrack = null;
      this.track.playFrom(this.frameAt(this.track, start));
    }
    const track = this.track;
    if (!track.format) return;
    const f = track.format;
    const kept = Math.ceil(start * f.sampleRate + MP3_START_DELAY_SAMPLES - 1e-6);
    const first = Math.floor(kept / f.samples);
    const count = Math.max(1, Math.round((SOUND_CHUNK_SECONDS * Math.max(1, this.rate) * f.sampleRate) / f.samples));
    const last = Math.min(first + count, track.reader.frameCount);
    if (last <= first || (last < first + count && !track.done)) {
      if (track.done && last <= first) this.ended = true;
      return;
    }
    if (first < track.reader.firstFrame) {
      track.playFrom(first);
      return;
    }
    const from = Math.max(track.reader.firstFrame, first - mp3PrimingFrames(track.reader.frames[0].length));
    this.decoding = true;
    const generation = this.generation;
    track.playFrom(first);
    decodeMp3Frames(track, from, last).then((buffer) => {
      if (generation !== this.generation) return;
      this.decoding = false;
      const cut = kept - from * f.samples;
      const length = Math.min(buffer.length - cut, last * f.samples - kept);
      if (length > 0) this.schedule(buffer, cut / f.sampleRate, length / f.sampleRate, (kept - MP3_START_DELAY_SAMPLES) / f.sampleRate);
      else this.ended = track.done;
    }, (e) => {
      if (generation !== this.generation) return;
      this.decoding = false;
      this.problem = track.name + ': the browser could not decode the sound (' + (e && e.message ? e.message : e) + ')';
      this.ended = true;
    });
  }

  /** Plays `seconds` of `buffer` from `offset` at film time `film`, right after what is scheduled. */
  schedule(buffer, offset, seconds, film) {
    const c = this.context;
    if (this.anchorContext < 0) {
      this.anchorContext = c.currentTime + SOUND_START_LEAD;
      this.anchorFilm = film;
    }
    let when = this.anchorContext + (film - this.anchorFilm) / this.rate;
    if (when < c.currentTime) {
      // Decoded too late for its start: its beginning is not heard, the rest keeps its time.
      const late = (c.currentTime - when) * this.rate;
      if (late >= seconds) {
        this.scheduledUntil = film + seconds;
        return;
      }
      offset += late;
      seconds -= late;
      film += late;
      when = c.currentTime;
    }
    const source = c.createBufferSource();
    source.buffer = buffer;
    source.playbackRate.value = this.rate;
    source.connect(this.gain);
    source.start(when, offset, seconds);
    source.onended = () => {
      const i = this.sources.indexOf(source);
      if (i >= 0) this.sources.splice(i, 1);
      source.disconnect();
    };
    this.sources.push(source);
    this.scheduledUntil = film + seconds;
  }
}
