// The player in the page: loads the metafile and chooses the variant (from
// the measured bandwidth), shows the title, and on Play runs the film: the
// pictures come from the VideoSource in a worker, the sound is the clock,
// each picture is shown when the clock reaches its time (late ones are
// dropped), and the film pauses with "Buffering..." whenever the pictures
// catch up with the download. Buttons, keys and the position bar drive it.
// `status()` tells a test what it did.

/** Pictures decoded ahead of the clock, at most. */
const MAX_QUEUED = 4;
/** Seconds of pictures downloaded before the film starts or goes on. */
const BUFFER_SECONDS = 1;
const SEEK_STEP_SECONDS = 5;
const NOTE_MS = 4000;

class WebPlayer {
  constructor(canvas, scriptUrl) {
    this.canvas = canvas;
    this.scriptUrl = scriptUrl;
    this.p = readPlayerParameters(canvas);
    this.view = new PlayerView(canvas, this.p);
    this.clock = new SoundClock();
    this.clock.muted = this.p.muteAudio;
    this.problems = this.p.problems.slice();
    this.state = 'loading';   // loading, failed, ready, buffering, playing, paused, ended
    this.source = null;
    this.generation = 0;
    this.queue = [];
    this.downloaded = 0;
    this.downloadDone = false;
    this.sourceEnded = false;
    this.soundWaiting = false;
    this.startAt = 0;
    this.awaitFirstPicture = false;
    this.note = null;
    this.noteUntil = 0;
    this.pressed = [];
    this.drawn = 0;
    this.dropped = 0;
    this.checksum = 0;
    this.fingerprints = [];
    this.lastShownTime = 0;
    this.decodedPerSecond = 0;
    this.speed = null;
    this.variant = -1;
    this.frameSeconds = 0.04;
    this.listen();
    requestAnimationFrame(() => this.tick());
  }

  async load() {
    try {
      const p = this.p;
      if (!p.metaUrl) throw new Error('the page gives no data-meta-url');
      const query = new URLSearchParams(location.search);
      this.base = playerBaseUrl(p.urlBase, this.scriptUrl, document.baseURI);
      this.loadImages();
      const metaUrl = new URL(p.metaUrl, this.base);
      const started = performance.now();
      const response = await fetch(metaUrl.href, { cache: 'no-store' });
      if (!response.ok) throw new Error(p.metaUrl + ': ' + response.status + ' ' + response.statusText);
      const bytes = new Uint8Array(await response.arrayBuffer());
      const elapsed = performance.now() - started;
      let metafile;
      try {
        metafile = parseMetafile(bytes);
      } catch (e) {
        throw new Error(p.metaUrl + ': ' + e.message);
      }
      this.pairs = variantPairs(metafile);
      if (this.pairs.length === 0) throw new Error(p.metaUrl + ' lists no streams');
      const given = query.get('bandwidth');
      this.bandwidth = given !== null && /^[0-9]+$/.test(given) ? Number(given)
        : measuredBandwidth(elapsed, metaUrl.protocol === 'file:');
      this.pair = chooseVariant(this.pairs, this.bandwidth);
      this.variant = this.pair.index;
      this.streamBase = streamBase(p.metaUrl);
      this.videoName = this.pair.videoRate ? videoStreamName(this.streamBase, this.pair.videoRate) : null;
      this.audioName = this.pair.audioRate ? audioStreamName(this.streamBase, this.pair.audioRate) : null;
      if (this.videoName) {
        this.header = parseVideoHeader(await readHead(new URL(this.videoName, this.base).href, VIDEO_HEADER_BYTES),
          this.videoName);
        this.view.frame = { width: this.header.width, height: this.header.height };
        this.view.duration = this.header.durationUs / 1e6;
        this.frameSeconds = this.header.frameRateX1e6 ? 1e6 / this.header.frameRateX1e6 : 0.04;
      }
      this.state = 'ready';
      this.view.lines = this.facts();
      if (p.autoPlay || query.has('autoplay')) this.play();
    } catch (e) {
      this.fail(e && e.message ? e.message : String(e));
    }
  }

  loadImages() {
    const image = (name, use) => {
      if (!name) return;
      const img = new Image();
      img.onload = () => use(img);
      img.onerror = () => this.problems.push(name + ': the image could not be loaded');
      img.src = new URL(name, this.base).href;
    };
    image(this.p.panelImagesUrl, (img) => { this.view.strip = new ButtonStrip(img, this.p.panelButtonsWidths); });
    image(this.p.videoTitleImageUrl, (img) => { this.view.title = img; });
    image(this.p.videoEndImageUrl, (img) => { this.view.end = img; });
  }

  facts() {
    const lines = [];
    if (this.header) {
      const h = this.header;
      lines.push(h.width + ' x ' + h.height + ', ' + (h.frameRateX1e6 / 1e6).toFixed(2) + ' fps, '
        + (h.durationUs / 1e6).toFixed(1) + ' s');
    }
    lines.push('video ' + this.pair.videoRate + ' bps, audio ' + this.pair.audioRate + ' bps');
    lines.push('variant ' + (this.pair.index + 1) + ' of ' + this.pairs.length + ', bandwidth '
      + (this.bandwidth === Infinity ? 'unlimited' : this.bandwidth + ' bps'));
    return lines;
  }

  fail(message) {
    this.state = 'failed';
    this.problems.push(message);
    this.view.lines = ['Cannot play: ' + message];
  }

  // ---- the buttons ----------------------------------------------------------

  play() {
    if (this.state === 'paused') return this.resume();
    if (this.state !== 'ready' && this.state !== 'ended') return;
    if (this.clock.context && this.clock.context.state !== 'running') this.clock.context.resume().catch(() => {});
    if (this.source === null) this.startSource();
    else this.restartAt(0);
    this.view.phase = 'film';
    this.enterBuffering(0);
  }

  /** Pause, or go on when paused. */
  pause() {
    if (this.state === 'playing' || this.state === 'buffering') {
      this.clock.pause();
      this.state = 'paused';
    } else if (this.state === 'paused') {
      this.resume();
    }
  }

  resume() {
    this.enterBuffering(this.clock.now());
  }

  stop() {
    if (this.source === null || this.state === 'ready' || this.state === 'loading' || this.state === 'failed') return;
    this.clock.pause();
    this.restartAt(0);
    this.clock.offset = 0;
    this.view.position = 0;
    this.view.phase = 'title';
    this.state = 'ready';
    this.view.lines = this.facts();
  }

  seek(seconds) {
    if (this.source === null || !['playing', 'paused', 'buffering', 'ended'].includes(this.state)) return;
    const duration = this.view.duration || this.clock.duration;
    const t = Math.max(0, Math.min(seconds, Math.max(0, duration - this.frameSeconds)));
    const wasPaused = this.state === 'paused';
    this.clock.pause();
    this.restartAt(t);
    this.clock.offset = t;
    this.view.position = t;
    this.view.phase = 'film';
    if (wasPaused) this.state = 'paused';
    else this.enterBuffering(t);
  }

  // ---- the picture source ------------------------------------------------------

  startSource() {
    const onMessage = (m) => this.fromSource(m);
    try {
      const worker = new Worker(this.scriptUrl);
      worker.onmessage = (e) => onMessage(e.data);
      worker.onerror = (e) => {
        e.preventDefault();
        this.fail('the picture worker failed: ' + (e.message || 'unknown error'));
      };
      this.source = { send: (m) => worker.postMessage(m) };
    } catch (e) {
      // Pages opened from disk may not start workers: decode beside the page instead.
      const inPage = new VideoSource((m) => setTimeout(() => onMessage(m), 0));
      this.source = { send: (m) => setTimeout(() => inPage.receive(m), 0) };
    }
    this.generation++;
    this.source.send({
      type: 'start', pairs: this.pairs, pair: this.pair, base: this.base, streamBase: this.streamBase,
      videoName: this.videoName, audioName: this.audioName, generation: this.generation, credits: MAX_QUEUED,
    });
    this.soundWaiting = this.audioName !== null;
    this.awaitFirstPicture = this.videoName !== null;
  }

  /** Pictures from `seconds` on, the ones queued from before forgotten. */
  restartAt(seconds) {
    this.generation++;
    this.queue = [];
    this.sourceEnded = false;
    this.awaitFirstPicture = this.videoName !== null;
    this.source.send({ type: 'seek', seconds, generation: this.generation, credits: MAX_QUEUED });
  }

  fromSource(m) {
    switch (m.type) {
      case 'picture':
        if (m.generation !== this.generation) return;
        this.queue.push(m);
        this.awaitFirstPicture = false;
        this.decodedPerSecond = m.decodedPerSecond;
        return;
      case 'progress':
        this.downloaded = m.seconds;
        this.downloadDone = m.done;
        if (m.failure) this.problems.push(m.failure);
        return;
      case 'end':
        if (m.generation === this.generation) this.sourceEnded = true;
        return;
      case 'audio':
        if (m.note) this.problems.push(m.note);
        this.clock.setSound(m.bytes).then((problem) => {
          if (problem && this.audioName) this.problems.push(problem);
          this.soundWaiting = false;
        });
        return;
      case 'switched':
        this.pair = m.pair;
        this.variant = m.pair.index;
        this.showNote('variant ' + (m.pair.index + 1) + ' of ' + this.pairs.length
          + ': the link is slower than the picture needs');
        return;
      case 'speed':
        this.speed = m;
        return;
      case 'header':
        return;
      default:
    }
  }

  showNote(text) {
    this.note = text;
    this.noteUntil = performance.now() + NOTE_MS;
  }

  // ---- the film ------------------------------------------------------------------

  enterBuffering(at) {
    this.clock.pause();
    this.clock.offset = at;
    this.startAt = at;
    this.state = 'buffering';
  }

  /** Enough is here to play from the clock's position. */
  buffered() {
    if (this.soundWaiting || (this.awaitFirstPicture && !this.sourceEnded)) return false;
    if (this.videoName === null) return true;
    return this.downloadDone || this.downloaded >= this.startAt + BUFFER_SECONDS || this.queue.length >= MAX_QUEUED;
  }

  tick() {
    requestAnimationFrame(() => this.tick());
    try {
      this.advance();
      this.render();
    } catch (e) {
      this.fail('the player failed: ' + (e && e.message ? e.message : e));
    }
  }

  advance() {
    if (this.state === 'buffering' && this.buffered()) {
      this.state = 'playing';
      this.clock.start(this.startAt);
    }
    if (this.state !== 'playing') return;
    const t = this.clock.now();
    this.view.position = t;
    let shown = null;
    while (this.queue.length > 0 && this.queue[0].time <= t) {
      if (shown !== null) this.dropped++;
      shown = this.queue.shift();
      this.source.send({ type: 'credit', count: 1, generation: this.generation });
    }
    if (shown !== null) this.show(shown);
    if (this.queue.length === 0 && !this.sourceEnded && this.videoName !== null && !this.downloadDone
        && t >= this.downloaded - this.frameSeconds) {
      this.enterBuffering(t);  // the pictures caught up with the download
      return;
    }
    const duration = Math.max(this.view.duration, this.clock.duration);
    const picturesDone = this.videoName === null || (this.sourceEnded && this.queue.length === 0);
    if (picturesDone && t >= Math.min(duration, this.lastShownTime + this.frameSeconds)) this.finish();
  }

  show(m) {
    this.view.setPicture(m.width, m.height, m.rgba);
    this.lastShownTime = m.time;
    this.drawn++;
    this.checksum = (Math.imul(this.checksum, 31) + m.fingerprint) >>> 0;
    if (this.fingerprints.length < 1000) this.fingerprints.push([m.index, m.fingerprint, m.variant]);
  }

  finish() {
    this.clock.pause();
    if (this.p.repeatForever) {
      this.restartAt(0);
      this.enterBuffering(0);
      return;
    }
    this.state = 'ended';
    this.view.phase = 'end';
  }

  render() {
    const v = this.view;
    if (this.state === 'buffering' && v.phase === 'film') v.lines = ['Buffering...'];
    else if (this.state === 'paused') v.lines = ['Paused'];
    else if (this.state === 'playing' || this.state === 'ended') v.lines = [];
    const lines = v.lines.slice();
    if (this.note && performance.now() < this.noteUntil) v.lines = lines.concat([this.note]);
    const pressed = this.pressed.slice();
    pressed[BUTTON.PLAY] = pressed[BUTTON.PLAY] || this.state === 'playing' || this.state === 'buffering';
    pressed[BUTTON.PAUSE] = pressed[BUTTON.PAUSE] || this.state === 'paused';
    pressed[BUTTON.MUTE] = pressed[BUTTON.MUTE] || this.clock.muted;
    v.render(pressed, this.clock);
    v.lines = lines;
  }

  // ---- mouse and keys --------------------------------------------------------------

  listen() {
    const c = this.canvas;
    const at = (e) => {
      const r = c.getBoundingClientRect();
      return [((e.clientX - r.left) * c.width) / r.width, ((e.clientY - r.top) * c.height) / r.height];
    };
    c.addEventListener('pointerdown', (e) => {
      c.focus();
      const hit = this.view.hit(...at(e));
      if (hit && hit.button !== undefined) this.pressed[hit.button] = true;
      if (hit && hit.seek !== undefined) this.seek(hit.seek * (this.view.duration || this.clock.duration));
    });
    c.addEventListener('pointerup', (e) => {
      const hit = this.view.hit(...at(e));
      if (hit && hit.button !== undefined && this.pressed[hit.button]) this.act(hit.button);
      this.pressed = [];
    });
    c.addEventListener('pointerleave', () => { this.pressed = []; });
    document.addEventListener('keydown', (e) => {
      if (e.target !== c && e.target !== document.body) return;
      const keys = {
        ' ': () => (this.state === 'playing' || this.state === 'buffering' || this.state === 'paused'
          ? this.pause() : this.play()),
        ArrowLeft: () => this.seek(this.clock.now() - SEEK_STEP_SECONDS),
        ArrowRight: () => this.seek(this.clock.now() + SEEK_STEP_SECONDS),
        ArrowUp: () => this.clock.louder(),
        ArrowDown: () => this.clock.quieter(),
      };
      if (keys[e.key]) {
        e.preventDefault();
        keys[e.key]();
      }
    });
  }

  act(button) {
    switch (button) {
      case BUTTON.PLAY: return this.play();
      case BUTTON.PAUSE: return this.pause();
      case BUTTON.STOP: return this.stop();
      case BUTTON.VOLUME_DOWN: return this.clock.quieter();
      case BUTTON.VOLUME_UP: return this.clock.louder();
      case BUTTON.MUTE: return this.clock.toggleMute();
      default: return undefined;
    }
  }

  /** What the player has done so far, for tests and for the curious. */
  status() {
    return {
      state: this.state, phase: this.view.phase, variant: this.variant, bandwidth: String(this.bandwidth),
      picturesDrawn: this.drawn, picturesDropped: this.dropped, checksum: this.checksum,
      fingerprints: this.fingerprints, clockSource: this.clock.source_, clockSeconds: this.clock.now(),
      soundContext: this.clock.context ? this.clock.context.state : 'none',
      soundSeconds: this.clock.context ? this.clock.context.currentTime : 0,
      decodedPerSecond: this.decodedPerSecond, speed: this.speed, volume: this.clock.level,
      muted: this.clock.muted, problems: this.problems,
    };
  }

  /** Decodes the downloaded video once more as fast as it goes; the figure appears in status().speed. */
  measureSpeed() {
    if (this.source) this.source.send({ type: 'speed' });
  }
}

/** The first `count` bytes of a file, without fetching the rest. */
async function readHead(url, count) {
  const response = await fetch(url, { headers: { Range: 'bytes=0-' + (count - 1) } });
  if (!response.ok) throw new Error(decodeURIComponent(url.split('/').pop()) + ': ' + response.status + ' '
    + response.statusText);
  const reader = response.body.getReader();
  const head = new Uint8Array(count);
  let got = 0;
  while (got < count) {
    const { done, value } = await reader.read();
    if (done) break;
    const take = Math.min(value.length, count - got);
    head.set(value.subarray(0, take), got);
    got += take;
  }
  reader.cancel().catch(() => {});
  return head.subarray(0, got);
}
