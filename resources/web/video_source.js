// The picture side of playing, run in a worker: it fetches the chosen
// variant's two stream files (the sound is handed to the page whole, for the
// browser's own MP3 decoding), cuts the video into units as they arrive,
// decodes them, and posts each picture as RGBA with its time, never more than
// the page has asked for. It keeps the units, so that Stop, Play, repeating
// and seeking start again without fetching twice. When the link is slower
// than the variant it fetches a leaner one and moves the pictures to it at a
// key frame.

/** How often the link is weighed. */
const WATCH_MS = 500;

/** One video stream being fetched and cut into units: {data, type, index} each, index its picture number. */
class VideoStream {
  constructor(url, name, onChange) {
    this.url = url;
    this.name = name;
    this.onChange = onChange;
    this.header = null;
    this.units = [];
    this.pictureCount = 0;
    this.received = 0;
    this.done = false;
    this.failure = null;
    this.started = Date.now();
    this.finished = 0;
    this.splitter = new Mp4vStreamSplitter();
    this.head = new Uint8Array(0);
    this.remaining = 0;  // payload bytes still expected
    this.controller = new AbortController();
  }

  get fps() {
    return this.header && this.header.frameRateX1e6 ? this.header.frameRateX1e6 / 1e6 : 25;
  }

  /** Seconds of pictures downloaded. */
  get seconds() {
    return this.pictureCount / this.fps;
  }

  cancel() {
    this.controller.abort();
  }

  async fetch() {
    try {
      const response = await fetch(this.url, { signal: this.controller.signal });
      if (!response.ok) throw new Error(this.name + ': ' + response.status + ' ' + response.statusText);
      const reader = response.body.getReader();
      for (;;) {
        const { done, value } = await reader.read();
        if (done) break;
        this.received += value.length;
        this.take(value);
        this.onChange();
      }
      if (this.header === null) throw new Error(this.name + " is shorter than a video stream's headers");
      const last = this.splitter.finish();
      if (last !== null) this.add(last);
    } catch (e) {
      if (this.controller.signal.aborted) return;
      this.failure = e && e.message ? e.message : String(e);
    }
    this.done = true;
    this.finished = Date.now();
    this.onChange();
  }

  take(bytes) {
    if (this.header === null) {
      const joined = new Uint8Array(this.head.length + bytes.length);
      joined.set(this.head, 0);
      joined.set(bytes, this.head.length);
      if (joined.length < VIDEO_HEADER_BYTES) {
        this.head = joined;
        return;
      }
      this.header = parseVideoHeader(joined, this.name);
      this.remaining = this.header.dataSize;
      bytes = joined.subarray(VIDEO_HEADER_BYTES);
    }
    // Bytes after the stream the header describes are not part of it.
    const use = Math.min(bytes.length, this.remaining);
    this.remaining -= use;
    this.splitter.feed(bytes.subarray(0, use));
    for (let unit = this.splitter.next(); unit !== null; unit = this.splitter.next()) this.add(unit);
  }

  add(data) {
    const type = unitCodingType(data);
    this.units.push({ data, type, index: this.pictureCount });
    if (type !== -1) this.pictureCount++;
  }

  /** The unit of the last key frame at or before picture `index`, else 0. */
  keyUnitAtOrBefore(index) {
    let k = 0;
    for (let i = 0; i < this.units.length && this.units[i].index <= index; i++) {
      if (this.units[i].type === 0) k = i;
    }
    return k;
  }

  /** The unit of the first key frame at or after `seconds`, or -1 (not downloaded yet). */
  keyUnitAtOrAfter(seconds) {
    for (let i = 0; i < this.units.length; i++) {
      const u = this.units[i];
      if (u.type === 0 && u.index / this.fps >= seconds - 1e-6) return i;
    }
    return -1;
  }
}

class VideoSource {
  constructor(post) {
    this.post = post;
    this.stream = null;
    this.leaner = null;       // a stream being fetched to move to
    this.audio = { received: 0, done: true, controller: null };
    this.decoder = null;
    this.next = 0;            // next unit to decode
    this.skipBelow = 0;       // pictures below this number are decoded but not shown (after a seek)
    this.generation = 0;
    this.credits = 0;
    this.scheduled = false;
    this.pairs = [];
    this.pair = null;
    this.base = '';
    this.streamBase = '';
    this.switchingGivenUp = false;
    this.decodeMs = 0;
    this.decoded = 0;
    this.watch = 0;
    this.sentEnd = false;
  }

  receive(m) {
    switch (m.type) {
      case 'start': return this.start(m);
      case 'credit':
        if (m.generation === this.generation) this.credits += m.count;
        return this.schedule();
      case 'seek': return this.seek(m.seconds, m.generation, m.credits);
      case 'speed': return this.measureSpeed();
      case 'close':
        if (this.stream) this.stream.cancel();
        if (this.leaner) this.leaner.cancel();
        if (this.audio.controller) this.audio.controller.abort();
        clearInterval(this.watch);
        return undefined;
      default: return undefined;
    }
  }

  start(m) {
    this.pairs = m.pairs;
    this.pair = m.pair;
    this.base = m.base;
    this.streamBase = m.streamBase;
    this.generation = m.generation;
    this.credits = m.credits;
    if (m.videoName) {
      this.stream = new VideoStream(new URL(m.videoName, m.base).href, m.videoName, () => this.changed());
      this.stream.fetch();
    }
    if (m.audioName) this.fetchAudio(new URL(m.audioName, m.base).href, m.audioName);
    this.watch = setInterval(() => this.considerSwitch(), WATCH_MS);
  }

  async fetchAudio(url, name) {
    const audio = { received: 0, done: false, controller: new AbortController(), started: Date.now() };
    this.audio = audio;
    try {
      const response = await fetch(url, { signal: audio.controller.signal });
      if (!response.ok) throw new Error(name + ': ' + response.status + ' ' + response.statusText);
      const reader = response.body.getReader();
      const pieces = [];
      for (;;) {
        const { done, value } = await reader.read();
        if (done) break;
        pieces.push(value);
        audio.received += value.length;
      }
      const file = new Uint8Array(audio.received);
      let at = 0;
      for (const p of pieces) {
        file.set(p, at);
        at += p.length;
      }
      const header = parseAudioHeader(file, name);
      const payload = file.slice(AUDIO_HEADER_BYTES, AUDIO_HEADER_BYTES + header.dataSize);
      const note = payload.length < header.dataSize
        ? name + ' is cut short: its header promises ' + header.dataSize + ' bytes, the file holds ' + payload.length
        : null;
      this.post({ type: 'audio', bytes: payload.buffer, note }, [payload.buffer]);
    } catch (e) {
      if (!audio.controller.signal.aborted) this.post({ type: 'audio', bytes: null, note: e.message || String(e) });
    }
    audio.done = true;
  }

  changed() {
    const s = this.stream;
    if (s.header && !this.headerSent) {
      this.headerSent = true;
      this.post({ type: 'header', header: s.header });
    }
    this.post({ type: 'progress', seconds: s.seconds, done: s.done, failure: s.failure });
    this.schedule();
  }

  seek(seconds, generation, credits) {
    this.generation = generation;
    this.credits = credits;
    this.sentEnd = false;
    const s = this.stream;
    if (s === null) return;
    const target = Math.max(0, Math.round(seconds * s.fps));
    this.next = s.keyUnitAtOrBefore(target);
    this.skipBelow = target;
    if (this.decoder === null || this.next === 0) this.restartDecoder();
    this.schedule();
  }

  /** A fresh decoder that has read the stream's configuration from its first unit. */
  restartDecoder() {
    this.decoder = new Mp4vDecoder();
    if (this.next > 0 && this.stream.units.length > 0) this.decoder.decode(this.stream.units[0].data);
  }

  schedule() {
    if (this.scheduled) return;
    this.scheduled = true;
    setTimeout(() => {
      this.scheduled = false;
      this.step();
    }, 0);
  }

  /** Decodes units until one picture is posted, then yields so that messages get through. */
  step() {
    const s = this.stream;
    if (s === null || this.credits <= 0) return;
    if (this.decoder === null) this.restartDecoder();
    while (this.next < s.units.length) {
      const unit = s.units[this.next++];
      const started = performance.now();
      const p = this.decoder.decode(unit.data);
      if (p === null || unit.index < this.skipBelow) {
        this.decodeMs += performance.now() - started;
        continue;
      }
      const rgba = pictureToRgba(p, new Uint8ClampedArray(p.width * p.height * 4));
      this.decodeMs += performance.now() - started;
      this.decoded++;
      this.credits--;
      this.post({
        type: 'picture', generation: this.generation, time: unit.index / s.fps, index: unit.index,
        width: p.width, height: p.height, rgba: rgba.buffer, key: p.keyFrame, damaged: p.damaged,
        fingerprint: lumaFingerprint(p.y), decodedPerSecond: this.decoded / Math.max(this.decodeMs / 1000, 1e-6),
        variant: this.pair.index,
      }, [rgba.buffer]);
      this.schedule();
      return;
    }
    if (s.done && !this.sentEnd) {
      this.sentEnd = true;
      this.post({ type: 'end', generation: this.generation, damaged: this.decoder.damaged });
    }
  }

  /** Bits per second the link gave the downloads together; -1 until they have run long enough. */
  linkRate() {
    const s = this.stream;
    if (s === null) return -1;
    const running = !s.done || !this.audio.done;
    const ms = Date.now() - s.started;
    if (!running || ms < SWITCH_MEASURE_MS) return -1;
    return Math.floor(((s.received + this.audio.received) * 8 * 1000) / ms);
  }

  considerSwitch() {
    if (this.leaner !== null) {
      this.tryMove();
      return;
    }
    if (this.switchingGivenUp || this.stream === null) return;
    const lower = leanerVariant(this.pairs, this.pair, this.linkRate());
    if (lower === null) return;
    const name = videoStreamName(this.streamBase, lower.videoRate);
    this.leaner = new VideoStream(new URL(name, this.base).href, name, () => this.tryMove());
    this.leaner.pair = lower;
    this.leaner.fetch();
  }

  /** Moves to the leaner stream once it holds a key frame at or after the next picture to decode. */
  tryMove() {
    const l = this.leaner;
    const s = this.stream;
    if (l === null || s === null) return;
    if (l.failure !== null || (l.done && l.header === null)) {
      this.leaner = null;
      this.switchingGivenUp = true;  // the leaner stream cannot be had: do not ask again and again
      return;
    }
    const position = this.next < s.units.length ? s.units[this.next].index / s.fps : s.seconds;
    const k = l.keyUnitAtOrAfter(position);
    if (k < 0) {
      if (l.done) this.leaner = null;
      return;
    }
    s.cancel();
    this.stream = l;
    this.leaner = null;
    this.pair = l.pair;
    l.onChange = () => this.changed();
    this.next = k;
    this.skipBelow = 0;
    this.restartDecoder();
    this.post({ type: 'switched', pair: l.pair, header: l.header });
    this.changed();
  }

  /** Decodes the whole downloaded stream once more, as fast as it goes, for the speed figure. */
  measureSpeed() {
    const s = this.stream;
    if (s === null) return;
    const decoder = new Mp4vDecoder();
    const started = performance.now();
    let pictures = 0;
    for (const unit of s.units) {
      const p = decoder.decode(unit.data);
      if (p !== null) {
        pictures++;
        pictureToRgba(p, new Uint8ClampedArray(p.width * p.height * 4));
      }
    }
    const seconds = (performance.now() - started) / 1000;
    this.post({ type: 'speed', pictures, seconds, perSecond: pictures / Math.max(seconds, 1e-6) });
  }
}
