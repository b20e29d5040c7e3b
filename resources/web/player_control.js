// The player in the page. It loads the metafile and the streams' headers,
// starts on a conservative variant, and plays: the film's time is one clock
// (play_clock.js) that follows the sound while it plays; the video is
// downloaded in the page (video_track.js) and decoded in a worker
// (video_source.js), each picture shown when the clock reaches it, late ones
// dropped (picture_schedule.js); the sound plays as it downloads
// (sound_output.js). The link is measured from the downloads as their bytes
// arrive (throughput_estimator.js) and the variant chosen from it and the
// buffer (rate_choice.js); a switch keeps showing the current stream until
// the new one has a key frame. Playing waits ("Buffering...") when the
// download falls behind and goes on once RESUME_SECONDS are here.

/** Seconds that must be downloaded ahead of the clock before playing goes on. */
const RESUME_SECONDS = 2;
const SEEK_STEP_SECONDS = 5;
const NOTE_MS = 5000;
/** How often the rate choice is made, and time updates are sent. */
const CHOICE_MS = 500;
const TIME_UPDATE_MS = 250;
/** Decode requests that may be in the worker at once. */
const DECODES_IN_FLIGHT = 6;
/** Longest wait for the sound to be heard before the clock starts on the system clock. */
const SOUND_START_WAIT = 0.5;

class WebPlayer {
  constructor(canvas, scriptUrl) {
    this.canvas = canvas;
    this.scriptUrl = scriptUrl;
    this.p = readPlayerParameters(canvas);
    this.problems = this.p.problems.slice();
    this.view = new PlayerView(canvas, this.p);
    this.clock = new PlayClock(() => performance.now() / 1000);
    this.sound = new SoundOutput();
    this.sound.onStateChange = () => this.soundStateChanged();
    this.volumeLevel = 1;
    this.isMuted = this.p.muteAudio;
    this.rate = 1;
    this.state = 'loading';     // loading, failed, ready, waiting, playing, paused, ended
    this.pairs = [];
    this.failedPairs = new Set();
    this.pinned = -1;
    this.pair = null;           // the pair whose pictures are shown
    this.video = null;          // its VideoTrack
    this.pending = null;        // {pair, video, sound}: a switch waiting for a key frame
    this.tracks = new Map();    // pair index -> VideoTrack, kept so that a switch back costs no download
    this.worker = null;
    this.generation = 0;
    this.acceptBefore = null;   // {generation, time}: pictures of the stream before a switch, still shown
    this.queue = [];
    this.inFlight = 0;
    this.next = 0;              // next unit of this.video to decode
    this.showFrom = 0;          // pictures below this number are decoded, not shown (after a seek)
    this.seeking = false;
    this.holdSince = -1;        // system seconds since when the clock waits for the sound to be heard
    this.videoTime = 0;
    this.drawn = 0;
    this.dropped = 0;
    this.checksum = 0;
    this.fingerprints = [];
    this.speed = null;
    this.lastSwitch = -Infinity;
    this.lastChoice = 0;
    this.lastTimeUpdate = 0;
    this.note = null;
    this.noteUntil = 0;
    this.estimator = new ThroughputEstimator(START_GUESS_BPS);
    this.meter = new LinkMeter(this.estimator, () => performance.now() / 1000);
    this.controls = new PlayerControls(canvas, this.p.panelEnable, {
      user: () => this.sound.unlock(),
      toggle: () => (this.paused ? this.play() : this.pause()),
      seek: (t) => this.seek(t),
      seekBy: (d) => this.seek(this.currentTime + d),
      volume: (v) => this.setVolume(v),
      volumeBy: (d) => this.setVolume(Math.max(0, Math.min(1, this.volumeLevel + d))),
      toggleMute: () => this.setMuted(!this.isMuted),
      fullScreen: () => this.toggleFullScreen(),
      quality: (i) => { this.variant = i; },
    });
    this.sound.setVolume(this.volumeLevel, this.isMuted);
    this.api = makePlayerApi(this);
    canvas.player = this.api;
    const loop = () => {
      requestAnimationFrame(loop);
      this.tick();
    };
    requestAnimationFrame(loop);
    // Hidden pages get no animation frames: the sound and the downloads still need tending.
    setInterval(() => {
      if (document.hidden) this.tick();
    }, 250);
  }

  // ---- loading -----------------------------------------------------------------

  async load() {
    try {
      const p = this.p;
      if (location.protocol === 'file:') {
        throw new Error('this page was opened from a file; browsers let a page read its film only from a web'
          + ' server: put the folder on one (or run "python3 -m http.server" in it) and open the page over http');
      }
      if (!p.metaUrl) throw new Error('the page gives no data-meta-url');
      this.base = playerBaseUrl(p.urlBase, this.scriptUrl, document.baseURI);
      this.metaName = displayName(p.metaUrl);
      if (!document.title) document.title = this.metaName.replace(/\.meta\.zq48$/, '');
      addViewportSetting();
      this.loadImages();
      const metaUrl = new URL(p.metaUrl, this.base);
      const response = await fetchWithRetries(metaUrl.href, this.metaName);
      let metafile;
      try {
        metafile = parseMetafile(new Uint8Array(await response.arrayBuffer()));
      } catch (e) {
        throw new Error(this.metaName + ': ' + e.message);
      }
      this.pairs = variantPairs(metafile);
      if (this.pairs.length === 0) throw new Error(this.metaName + ' lists no streams');
      this.streamBase = streamBase(p.metaUrl);
      const given = new URLSearchParams(location.search).get('bandwidth');
      if (given !== null && /^[0-9]+$/.test(given)) this.estimator.startGuess = Number(given);
      await this.readHeaders();
      this.controls.setVariants(this.variants);
      const start = this.pinned >= 0 ? this.pairs[this.pinned] : startingPair(this.usablePairs(), this.estimator.estimate);
      this.usePair(start);
      // The decoder's script is fetched now, before the streams compete with it for the link.
      if (this.pairs.some((pair) => pair.videoRate)) this.startWorker();
      this.state = 'ready';
      this.view.setLines(this.facts());
      this.fire('loadedmetadata');
      this.fire('durationchange');
      if (p.autoPlay || new URLSearchParams(location.search).has('autoplay')) this.play();
    } catch (e) {
      this.fail(e && e.message ? e.message : String(e));
    }
  }

  /** Every variant's video header (its size and length), with a tiny request each. */
  async readHeaders() {
    this.headers = await Promise.all(this.pairs.map(async (pair) => {
      if (!pair.videoRate) return null;
      const name = videoStreamName(this.streamBase, pair.videoRate);
      try {
        return parseVideoHeader(await readHead(new URL(name, this.base).href, VIDEO_HEADER_BYTES), displayName(name));
      } catch (e) {
        this.problems.push(e.message);
        this.failedPairs.add(pair.index);
        return null;
      }
    }));
    this.variants = this.pairs.map((pair, i) => ({
      width: this.headers[i] ? this.headers[i].width : 0,
      height: this.headers[i] ? this.headers[i].height : 0,
      videoBps: pair.videoRate,
      audioBps: pair.audioRate,
    }));
    if (this.pairs.every((pair) => pair.videoRate && this.failedPairs.has(pair.index))
        && this.pairs.every((pair) => !pair.audioRate)) {
      throw new Error('none of the video streams can be read: ' + this.problems.join('; '));
    }
  }

  usablePairs() {
    const ok = this.pairs.filter((p) => !this.failedPairs.has(p.index));
    return ok.length > 0 ? ok : this.pairs;
  }

  loadImages() {
    const image = (name, use) => {
      if (!name) return;
      const img = new Image();
      img.onload = () => {
        use(img);
        this.view.dirty = true;
      };
      img.onerror = () => this.problems.push(displayName(name) + ': the image could not be loaded');
      img.src = new URL(name, this.base).href;
    };
    image(this.p.videoTitleImageUrl, (img) => { this.view.title = img; });
    image(this.p.videoEndImageUrl, (img) => { this.view.end = img; });
  }

  facts() {
    const lines = [];
    const h = this.video ? this.video.header || this.headers[this.pair.index] : null;
    if (h) {
      lines.push(h.width + ' x ' + h.height + ', ' + (h.frameRateX1e6 / 1e6).toFixed(2) + ' fps, '
        + (h.durationUs / 1e6).toFixed(1) + ' s');
    }
    lines.push('video ' + this.pair.videoRate + ' bps, audio ' + this.pair.audioRate + ' bps');
    return lines;
  }

  /** Makes `pair` the one played (before playing, or after a seek when nothing is shown yet). */
  usePair(pair) {
    this.pair = pair;
    this.video = pair.videoRate ? this.videoTrack(pair) : null;
    if (this.video) this.video.onChange = () => this.videoChanged();
    const header = this.headers[pair.index];
    if (header) {
      this.view.frame = { width: header.width, height: header.height };
      this.controls.setShape(header.width, header.height);
    }
    this.sound.setTrack(pair.audioRate ? this.soundTrack(pair) : null);
  }

  videoTrack(pair) {
    let track = this.tracks.get(pair.index);
    if (!track || track.failure) {
      const name = videoStreamName(this.streamBase, pair.videoRate);
      track = new VideoTrack(new URL(name, this.base).href, displayName(name), pair, this.meter, () => {});
      this.tracks.set(pair.index, track);
    }
    return track;
  }

  soundTrack(pair) {
    const name = audioStreamName(this.streamBase, pair.audioRate);
    const track = new SoundTrack(new URL(name, this.base).href, displayName(name), this.meter, () => {});
    track.start();
    return track;
  }

  videoChanged() {
    if (this.video && this.video.failure) this.videoFailed(this.video.failure);
  }

  fail(message) {
    this.state = 'failed';
    this.problems.push(message);
    this.sound.stop();
    this.view.setLines(['Cannot play: ' + message]);
    this.error = { code: 4, message };
    this.fire('error');
  }

  showNote(text) {
    this.note = text;
    this.noteUntil = performance.now() + NOTE_MS;
    if (!this.problems.includes(text)) this.problems.push(text);
  }

  // ---- the public actions --------------------------------------------------------

  get paused() {
    return !(this.state === 'playing' || this.state === 'waiting');
  }

  play() {
    this.sound.unlock();
    if (!this.paused || this.state === 'loading' || this.state === 'failed') return;
    if (this.state === 'ended' || this.state === 'ready') {
      if (this.state === 'ended') this.seekTo(0, false);
      this.startDownloads();
    }
    this.view.phase = 'film';
    this.fire('play');
    this.enterWaiting(this.clock.now());
  }

  pause() {
    if (this.paused) return;
    const t = this.clockNow();
    this.clock.stop();
    this.clock.seek(t);
    this.sound.stop();
    this.state = 'paused';
    this.fire('pause');
  }

  /** Seeks to `seconds`: the picture at that time is shown even while paused. */
  seek(seconds) {
    if (this.state === 'loading' || this.state === 'failed') return;
    const d = this.duration;
    const t = Math.max(0, Math.min(seconds, Number.isFinite(d) ? Math.max(0, d - 0.001) : seconds));
    if (this.state === 'ready') {
      this.startDownloads();
      this.state = 'paused';
    }
    if (this.state === 'ended') this.state = 'paused';
    this.seekTo(t, true);
  }

  seekTo(t, announce) {
    const wasPlaying = !this.paused;
    this.clock.stop();
    this.clock.seek(t);
    this.sound.stop();
    this.view.phase = 'film';
    this.restartPictures(t);
    this.seeking = announce;
    if (!this.video && announce) this.finishSeek();
    if (wasPlaying) this.enterWaiting(t);
    this.fire('timeupdate');
  }

  finishSeek() {
    this.seeking = false;
    this.fire('seeked');
  }

  setVolume(v) {
    this.volumeLevel = Math.max(0, Math.min(1, v));
    this.sound.setVolume(this.volumeLevel, this.isMuted);
    this.fire('volumechange');
  }

  setMuted(m) {
    this.isMuted = !!m;
    this.sound.setVolume(this.volumeLevel, this.isMuted);
    this.fire('volumechange');
  }

  setRate(rate) {
    if (!(rate > 0)) return;
    this.rate = rate;
    this.clock.setRate(rate);
    if (this.state === 'playing') this.sound.restart(this.clockNow(), rate);
    this.fire('ratechange');
  }

  toggleFullScreen() {
    const box = this.controls.box;
    const current = document.fullscreenElement || document.webkitFullscreenElement;
    if (current) (document.exitFullscreen || document.webkitExitFullscreen).call(document);
    else if (box.requestFullscreen) box.requestFullscreen().catch(() => {});
    else if (box.webkitRequestFullscreen) box.webkitRequestFullscreen();
  }

  get duration() {
    const h = this.headers && this.pair ? this.headers[this.pair.index] : null;
    if (h) return h.durationUs / 1e6;
    const s = this.sound.track;
    if (s && s.endTime > 0) return s.endTime;
    if (s && s.header && s.header.bitRate > 0) return (s.header.dataSize * 8) / s.header.bitRate;
    return NaN;
  }

  get currentTime() {
    return this.clockNow();
  }

  set variant(index) {
    this.pinned = Number.isInteger(index) && index >= 0 && index < this.pairs.length ? index : -1;
    this.lastChoice = 0;
    if (this.pinned >= 0 && this.state === 'ready') this.usePair(this.pairs[this.pinned]);
  }

  // ---- the film ------------------------------------------------------------------

  clockNow() {
    return this.clock.now(this.holdSince >= 0 ? null : this.sound.position());
  }

  startDownloads() {
    if (this.video) this.video.start();
    if (!this.worker && this.video) this.startWorker();
    if (this.video) this.resetDecoder(this.video, this.pair);
  }

  startWorker() {
    const onMessage = (m) => this.fromWorker(m);
    try {
      const worker = new Worker(this.scriptUrl);
      worker.onmessage = (e) => onMessage(e.data);
      worker.onerror = (e) => {
        e.preventDefault();
        this.fail('the picture decoder failed: ' + (e.message || 'unknown error'));
      };
      this.worker = { send: (m) => worker.postMessage(m) };
    } catch (e) {
      // Where a worker cannot be started the decoder runs beside the page.
      const inPage = new VideoSource((m) => setTimeout(() => onMessage(m), 0));
      this.worker = { send: (m) => setTimeout(() => inPage.receive(m), 0) };
    }
  }

  /** A fresh decoder for `track`, once its first unit is here. */
  resetDecoder(track, pair) {
    this.generation++;
    this.inFlight = 0;
    this.decoderReady = track.units.length > 0;
    if (this.decoderReady) {
      this.worker.send({ type: 'reset', generation: this.generation, first: track.units[0].data, variant: pair.index });
    }
  }

  /** Pictures from `t` on: the ones queued before are forgotten, decoding goes back to a key frame. */
  restartPictures(t) {
    this.queue = [];
    this.acceptBefore = null;
    if (!this.video) return;
    const target = Math.floor(t * this.video.fps + 1e-6);
    this.showFrom = target;
    this.next = this.video.keyUnitAtOrBefore(target);
    if (this.worker) this.resetDecoder(this.video, this.pair);
  }

  enterWaiting(t) {
    this.clock.stop();
    this.clock.seek(t);
    this.sound.stop();
    if (this.state !== 'waiting') {
      this.state = 'waiting';
      this.fire('waiting');
    }
  }

  /** Enough is downloaded to play from `t`. */
  canPlayFrom(t) {
    const d = this.duration;
    const need = Math.min(RESUME_SECONDS, Number.isFinite(d) ? Math.max(0, d - t - 0.05) : RESUME_SECONDS);
    if (this.video && !this.video.failure && !this.video.done && this.video.seconds < t + need) return false;
    if (this.video && this.video.units.length === 0 && !this.video.failure) return false;
    const s = this.sound.track;
    if (s && !s.failure && !s.format && !s.done) return false;
    if (s && !s.failure && this.sound.bufferedAhead(t) < need) return false;
    return true;
  }

  /** The download has fallen behind the clock. */
  starved(t) {
    if (this.video && !this.video.failure && !this.video.done && this.video.seconds <= t) return true;
    const s = this.sound.track;
    return !!(s && !s.failure && this.sound.bufferedAhead(t) <= 0.05);
  }

  startPlaying(t) {
    this.state = 'playing';
    this.clock.seek(t);
    this.clock.start(t);
    this.sound.restart(t, this.rate);
    this.holdSince = this.sound.track && this.sound.running ? performance.now() / 1000 : -1;
    if (this.holdSince >= 0) this.clock.stop();
    this.fire('playing');
  }

  soundStateChanged() {
    // The browser let the sound start (or stopped it): the sound goes on from the clock's time.
    if (this.state === 'playing') this.sound.restart(this.clockNow(), this.rate);
  }

  tick() {
    try {
      this.meter.tick();
      this.view.fitToScreen();
      this.advance();
      this.render();
    } catch (e) {
      this.fail('the player failed: ' + (e && e.message ? e.message : e));
    }
  }

  advance() {
    if (this.state === 'loading' || this.state === 'failed' || this.state === 'ready') return;
    const sys = performance.now() / 1000;
    if (this.holdSince >= 0 && this.state === 'playing') {
      const heard = this.sound.position();
      if (heard !== null || sys - this.holdSince > SOUND_START_WAIT || !this.sound.running) {
        this.holdSince = -1;
        this.clock.start(heard !== null ? heard : this.clock.position);
      }
    }
    let t = this.clockNow();
    if (this.state === 'waiting' && this.canPlayFrom(t)) this.startPlaying(t);
    if (this.state === 'playing' && this.starved(t)) this.enterWaiting(t);
    if (this.video) this.video.setPlayTime(t);
    if (this.sound.track) this.sound.pump(t);
    this.considerSwitch(t);
    this.moveToPending();
    this.feedDecoder(t);
    this.showDue(t);
    if (this.state === 'playing' && this.reachedEnd(t)) {
      this.finish();
      t = this.clock.position;
    }
    if (this.sound.problem && !this.problems.includes(this.sound.problem)) this.showNote(this.sound.problem);
    if (!this.paused && performance.now() - this.lastTimeUpdate >= TIME_UPDATE_MS) {
      this.lastTimeUpdate = performance.now();
      this.fire('timeupdate');
    }
  }

  reachedEnd(t) {
    const d = this.duration;
    if (this.video && !this.video.failure) return Number.isFinite(d) && t >= d;
    const s = this.sound.track;
    if (s && !s.failure) return this.sound.ended && this.sound.position() === null && t >= this.sound.scheduledUntil;
    return !Number.isFinite(d) || t >= d;
  }

  finish() {
    const d = this.duration;
    this.clock.stop();
    this.clock.seek(Number.isFinite(d) ? d : this.clock.position);
    this.sound.stop();
    if (this.p.repeatForever) {
      this.seekTo(0, false);
      this.enterWaiting(0);
      return;
    }
    this.state = 'ended';
    this.view.phase = 'end';
    this.view.dirty = true;
    this.fire('timeupdate');
    this.fire('pause');
    this.fire('ended');
  }

  // ---- pictures --------------------------------------------------------------------

  feedDecoder(t) {
    const p = this.pending;
    if (p && p.keyUnit !== undefined && this.video) {
      const u = this.video.units[this.next];
      const reached = u ? u.index / this.video.fps >= p.keyTime - 1e-6 : this.video.done || this.video.failure;
      if (reached || Math.floor(t * this.video.fps) / this.video.fps >= p.keyTime) this.switchNow();
    }
    const track = this.video;
    if (!track || !this.worker) return;
    if (!this.decoderReady) {
      if (track.units.length === 0) return;
      this.resetDecoder(track, this.pair);
      this.next = Math.max(this.next, 0);
    }
    const fps = track.fps;
    const clockPicture = Math.floor(t * fps + 1e-6);
    while (this.inFlight < DECODES_IN_FLIGHT && this.queue.length + this.inFlight < PICTURES_AHEAD
           && this.next < track.units.length) {
      const before = this.next;
      this.next = nextUnitToDecode(track.units, this.next, Math.max(clockPicture, this.showFrom), fps);
      if (this.next > before) this.dropped += this.pictureCount(track, before, this.next);
      const u = track.units[this.next++];
      const time = u.index / fps;
      const show = u.type !== -1 && u.index >= this.showFrom && (this.paused || pictureWorthShowing(time, t));
      this.inFlight++;
      this.worker.send({ type: 'decode', generation: this.generation, data: u.data, index: u.index, time, show });
    }
  }

  pictureCount(track, from, to) {
    let n = 0;
    for (let i = from; i < to; i++) if (track.units[i].type !== -1) n++;
    return n;
  }

  fromWorker(m) {
    switch (m.type) {
      case 'picture':
      case 'decoded': {
        const current = m.generation === this.generation;
        const before = this.acceptBefore && m.generation === this.acceptBefore.generation;
        if (current) this.inFlight = Math.max(0, this.inFlight - 1);
        if (m.type === 'picture' && (current || (before && m.time < this.acceptBefore.time))) {
          this.queue.push(m);
          this.queue.sort((a, b) => a.time - b.time);
        } else if (m.type === 'decoded' && current && m.index >= this.showFrom && !this.paused) {
          this.dropped++;
        }
        return;
      }
      case 'speed':
        this.speed = m;
        return;
      default:
    }
  }

  showDue(t) {
    if (this.view.phase !== 'film') return;
    const { show, dropped } = takeDuePictures(this.queue, t);
    this.dropped += dropped;
    if (show === null) return;
    this.view.setPicture(show.width, show.height, show.rgba);
    this.videoTime = show.time;
    this.drawn++;
    this.checksum = (Math.imul(this.checksum, 31) + show.fingerprint) >>> 0;
    if (this.fingerprints.length < 2000) this.fingerprints.push([show.index, show.fingerprint, show.variant]);
    if (this.shownVariant !== show.variant) {
      const first = this.shownVariant === undefined;
      this.shownVariant = show.variant;
      if (!first) this.fire('variantchange');
    }
    if (this.seeking) this.finishSeek();
  }

  // ---- the rate choice -----------------------------------------------------------------

  considerSwitch(t) {
    if (this.paused && this.state !== 'paused') return;
    const now = performance.now();
    if (now - this.lastChoice < CHOICE_MS || !this.video) return;
    this.lastChoice = now;
    const target = this.pending ? this.pending.pair : this.pair;
    const next = chooseNextPair({
      pairs: this.usablePairs(), current: this.pair, estimate: this.estimator.estimate,
      recent: this.estimator.recent, buffered: this.video.done ? Infinity : this.video.seconds - t,
      sinceSwitch: (now - this.lastSwitch) / 1000, downloadDone: this.video.done, pinned: this.pinned,
    });
    // A switch under way is seen through (its download is not thrown away and
    // started again); only a choice of yet another variant replaces it.
    if (next === target || (this.pending && next === this.pair)) return;
    if (this.pending) this.dropPending();
    if (next === this.pair) return;
    const video = next.videoRate ? this.videoTrack(next) : null;
    if (video === null) return;
    video.start();
    this.pending = { pair: next, video, sound: next.audioRate ? this.soundTrack(next) : null };
    this.lastSwitch = now;
  }

  dropPending() {
    const p = this.pending;
    this.pending = null;
    if (p.sound) p.sound.cancel();
    if (p.video !== this.video) p.video.cancel();
  }

  /**
   * Plans the move to the pending stream once it holds a key frame at or
   * after the next picture to decode: the current stream is decoded up to that
   * key frame's time, and the new one from it (switchNow, from feedDecoder).
   */
  moveToPending() {
    const p = this.pending;
    if (!p || !this.video || p.keyUnit !== undefined) return;
    if (p.video.failure) {
      this.failedPairs.add(p.pair.index);
      this.showNote(p.video.failure.message);
      this.pending = null;
      if (p.sound) p.sound.cancel();
      return;
    }
    if (!p.video.header) return;
    const current = this.video;
    const from = this.next < current.units.length ? current.units[this.next].index / current.fps
      : current.seconds;
    const k = p.video.keyUnitAtOrAfter(Math.ceil(from * p.video.fps - 1e-6));
    if (k < 0) {
      if (p.video.done) this.pending = null;  // no key frame left in the film: stay, and keep what is here
      return;
    }
    p.keyUnit = k;
    p.keyTime = p.video.units[k].index / p.video.fps;
  }

  /** The current stream has been decoded up to the pending stream's key frame: decoding goes on in the new one. */
  switchNow() {
    const p = this.pending;
    const current = this.video;
    const old = this.generation;
    current.cancel();
    this.video = p.video;
    this.pair = p.pair;
    this.pending = null;
    this.resetDecoder(p.video, p.pair);
    this.acceptBefore = { generation: old, time: p.keyTime };
    this.queue = this.queue.filter((m) => m.time < p.keyTime);
    this.next = p.keyUnit;
    this.showFrom = 0;
    if (p.sound) this.sound.changeTrack(p.sound);
    const h = p.video.header;
    this.view.frame = { width: h.width, height: h.height };
    this.controls.setShape(h.width, h.height);
    this.lastSwitch = performance.now();
  }

  videoFailed(failure) {
    this.failedPairs.add(this.pair.index);
    if (this.sound.track && !this.sound.track.failure) {
      this.showNote(failure.message + ': playing the sound alone');
      this.video = null;
      return;
    }
    this.fail(failure.message);
  }

  // ---- showing ------------------------------------------------------------------------

  render() {
    const v = this.view;
    const s = this.sound.track;
    if (s && s.failure && !this.soundFailureShown) {
      this.soundFailureShown = true;
      if (this.video) this.showNote(s.failure.message + ': playing the pictures alone');
      else if (this.state !== 'failed') this.fail(s.failure.message);
    }
    let lines = [];
    if (this.state === 'ready' || this.state === 'loading') lines = v.lines;
    else if (this.state === 'failed') lines = v.lines;
    else if (this.state === 'waiting' && v.phase === 'film') lines = ['Buffering...'];
    if (!this.video && this.state !== 'ready' && this.state !== 'failed' && this.state !== 'loading') {
      lines = lines.concat(['Sound only']);
    }
    if (this.note && performance.now() < this.noteUntil) lines = lines.concat([this.note]);
    if (this.state !== 'ready' && this.state !== 'loading' && this.state !== 'failed') v.setLines(lines);
    else if (lines !== v.lines) v.setLines(lines);
    v.render();
    if (this.pair) {
      this.controls.update({
        paused: this.paused, time: this.clock.position, duration: this.duration, volume: this.volumeLevel,
        muted: this.isMuted, downloaded: this.video ? this.video.seconds : (s ? Math.min(s.downloadedUntil, 1e9) : 0),
        pinned: this.pinned,
      });
    }
  }

  fire(name) {
    this.canvas.dispatchEvent(new Event(name));
  }

  /** What the player has done so far, for tests and for the curious. */
  status() {
    return {
      state: this.state, phase: this.view.phase, variant: this.pair ? this.pair.index : -1,
      estimate: this.estimator.estimate, picturesDrawn: this.drawn, picturesDropped: this.dropped,
      checksum: this.checksum, fingerprints: this.fingerprints, clockSource: this.clock.source,
      clockSeconds: this.clock.position, videoTime: this.videoTime,
      soundContext: this.sound.context ? this.sound.context.state : 'none',
      soundSeconds: this.sound.context ? this.sound.context.currentTime : 0, speed: this.speed,
      volume: this.volumeLevel, muted: this.isMuted, problems: this.problems,
    };
  }

  /** Decodes the downloaded video once more as fast as it goes; the figure appears in status().speed. */
  measureSpeed() {
    if (this.worker && this.video) this.worker.send({ type: 'speed', units: this.video.units.map((u) => u.data) });
  }
}

/** A name for messages: the last part of a (percent-encoded) URL, decoded. */
function displayName(url) {
  const last = url.split(/[?#]/)[0].split('/').pop();
  try {
    return decodeURIComponent(last);
  } catch (e) {
    return last;
  }
}

/** A phone lays the page out at its own width only with a viewport setting. */
function addViewportSetting() {
  if (document.querySelector('meta[name="viewport"]')) return;
  const meta = document.createElement('meta');
  meta.name = 'viewport';
  meta.content = 'width=device-width, initial-scale=1';
  document.head.appendChild(meta);
}

/** A small file fetched whole, retried as the streams are. */
async function fetchWithRetries(url, name, headers = {}) {
  for (let attempt = 0; ; attempt++) {
    let response = null;
    try {
      response = await fetch(url, { cache: 'no-store', headers });
    } catch (e) {
      if (attempt + 1 >= DOWNLOAD_TRIES) throw new Error(name + ': ' + (e.message || e));
    }
    if (response && response.ok) return response;
    if (response && (response.status === 404 || response.status === 410 || attempt + 1 >= DOWNLOAD_TRIES)) {
      throw new Error(name + ': ' + response.status + ' ' + response.statusText);
    }
    await new Promise((r) => setTimeout(r, RETRY_WAIT_MS[attempt]));
  }
}

/** The first `count` bytes of a file, without fetching the rest (a server that ignores Range is cut off). */
async function readHead(url, count) {
  const response = await fetchWithRetries(url, displayName(url), { Range: 'bytes=0-' + (count - 1) });
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
