// The film's clock: one monotonic time that the pictures follow. While the
// sound plays it follows the sound's output position (what is heard now);
// while it cannot (no sound, a suspended or stalled sound context, muted
// before the context could start) it runs on the system clock. It never jumps
// when it changes source: a difference between the two is taken up by
// running the clock at between none and twice its rate until it meets the
// sound, so it never goes back and never skips ahead.

/** Differences below this are the readings' own jitter and left alone. */
const CLOCK_DEAD_BAND = 0.005;

class PlayClock {
  /** `systemSeconds()` is a monotonic system time in seconds (performance.now() / 1000 in a page). */
  constructor(systemSeconds) {
    this.systemSeconds = systemSeconds;
    this.running = false;
    this.position = 0;      // film seconds at `readAt`
    this.readAt = 0;        // system seconds of the last reading
    this.rate = 1;
    this.source = 'system';
  }

  /** Starts running from the present position, or from `at` when given. */
  start(at) {
    if (at !== undefined) this.position = at;
    this.readAt = this.systemSeconds();
    this.running = true;
  }

  /** Holds the clock where it is. */
  stop(sound = null) {
    if (this.running) this.now(sound);
    this.running = false;
  }

  /** Moves the clock to `t` (a seek), running or not. */
  seek(t) {
    this.position = t;
    this.readAt = this.systemSeconds();
  }

  setRate(rate) {
    if (this.running) this.now(null);
    this.rate = rate;
  }

  /**
   * The film time now. `sound` is the film time the sound output is at right
   * now, or null when no sound is playing.
   */
  now(sound = null) {
    if (!this.running) return this.position;
    const s = this.systemSeconds();
    const step = Math.max(0, s - this.readAt) * this.rate;
    this.readAt = s;
    let t = this.position + step;
    if (sound !== null && Number.isFinite(sound)) {
      const difference = sound - t;
      if (Math.abs(difference) > CLOCK_DEAD_BAND) t += Math.max(-step, Math.min(step, difference));
      this.source = 'sound';
    } else {
      this.source = 'system';
    }
    this.position = t;
    return t;
  }
}
