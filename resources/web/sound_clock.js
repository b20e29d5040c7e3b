// The clock of a play: the sound as the browser plays it (Web Audio, the MP3
// decoded by the browser itself), so that pictures follow the sound; the
// system clock when there is no sound, or when the browser does not let the
// sound run (no device, or no click yet that allows it).

const VOLUME_STEPS = 10;

class SoundClock {
  constructor() {
    this.context = null;
    this.buffer = null;
    this.gain = null;
    this.source = null;
    this.running = false;
    this.offset = 0;        // seconds at the last start or pause
    this.startedAt = 0;     // context or system time of the last start
    this.usesSound = false;
    this.level = VOLUME_STEPS;
    this.muted = false;
  }

  /** Decodes the MP3 payload; the clock is then the sound when the browser plays it. */
  async setSound(bytes) {
    try {
      const Context = globalThis.AudioContext || globalThis.webkitAudioContext;
      if (!Context || !bytes) return 'no sound: ' + (bytes ? 'the browser has no Web Audio' : 'no sound stream');
      this.context = this.context || new Context();
      this.buffer = await this.context.decodeAudioData(bytes);
      this.gain = this.context.createGain();
      this.gain.connect(this.context.destination);
      this.applyLevel();
      return null;
    } catch (e) {
      this.buffer = null;
      return 'the browser could not decode the sound (' + (e && e.message ? e.message : e) + ')';
    }
  }

  get duration() {
    return this.buffer ? this.buffer.duration : 0;
  }

  /** Starts (or goes on) at `seconds`; the sound is the clock when its context runs. */
  async start(seconds) {
    this.stopSource();
    this.offset = seconds;
    this.running = true;
    this.usesSound = false;
    if (this.buffer && this.context) {
      if (this.context.state !== 'running') {
        try {
          await Promise.race([this.context.resume(), new Promise((r) => setTimeout(r, 300))]);
        } catch (e) {
          // Not allowed yet: the system clock stands in.
        }
      }
      if (!this.running) return;
      if (this.context.state === 'running' && seconds < this.buffer.duration) {
        this.source = this.context.createBufferSource();
        this.source.buffer = this.buffer;
        this.source.connect(this.gain);
        this.source.start(0, seconds);
        this.usesSound = true;
        this.startedAt = this.context.currentTime;
        return;
      }
    }
    this.startedAt = performance.now() / 1000;
  }

  pause() {
    if (!this.running) return;
    this.offset = this.now();
    this.running = false;
    this.stopSource();
  }

  stopSource() {
    if (this.source) {
      try {
        this.source.stop();
      } catch (e) {
        // Already ended.
      }
      this.source.disconnect();
      this.source = null;
    }
  }

  /** Seconds into the film. */
  now() {
    if (!this.running) return this.offset;
    if (this.usesSound) return this.offset + (this.context.currentTime - this.startedAt);
    return this.offset + (performance.now() / 1000 - this.startedAt);
  }

  get source_() {
    return this.usesSound ? 'sound' : 'system';
  }

  quieter() {
    this.level = Math.max(0, this.level - 1);
    this.applyLevel();
  }

  louder() {
    this.level = Math.min(VOLUME_STEPS, this.level + 1);
    this.applyLevel();
  }

  toggleMute() {
    this.muted = !this.muted;
    this.applyLevel();
  }

  applyLevel() {
    if (this.gain) this.gain.gain.value = this.muted ? 0 : (this.level / VOLUME_STEPS) ** 2;
  }
}
