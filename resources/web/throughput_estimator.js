// How fast the link is, from the bytes of the stream downloads as they
// arrive: two exponentially weighted moving averages of bits per second, a
// fast one that sees a drop quickly and a slow one that is not fooled by a
// burst, each sample weighted by how long it took. The estimate is the lower
// of the two, so the player is quick to step down and slow to step up.

/** Half-lives, in seconds of download time. */
const FAST_HALF_LIFE = 2;
const SLOW_HALF_LIFE = 8;
/** Download time, or bytes, that must be measured before the averages count. */
const MIN_MEASURED_SECONDS = 0.5;
const MIN_MEASURED_BYTES = 32768;

class Ewma {
  constructor(halfLife) {
    this.alpha = Math.exp(Math.log(0.5) / halfLife);
    this.value = 0;
    this.weight = 0;
  }

  add(weight, value) {
    const a = this.alpha ** weight;
    this.value = value * (1 - a) + a * this.value;
    this.weight += weight;
  }

  /** The average with the bias of its zero start removed. */
  get estimate() {
    const zeroFactor = 1 - this.alpha ** this.weight;
    return zeroFactor > 0 ? this.value / zeroFactor : 0;
  }
}

class ThroughputEstimator {
  /** `startGuess`: bits per second assumed until enough has been measured. */
  constructor(startGuess) {
    this.startGuess = startGuess;
    this.fast = new Ewma(FAST_HALF_LIFE);
    this.slow = new Ewma(SLOW_HALF_LIFE);
    this.measuredSeconds = 0;
    this.measuredBytes = 0;
  }

  /** `bytes` arrived over `seconds` of a download that was waiting for them. */
  sample(seconds, bytes) {
    if (!(seconds > 0) || bytes < 0) return;
    const bps = (bytes * 8) / seconds;
    this.fast.add(seconds, bps);
    this.slow.add(seconds, bps);
    this.measuredSeconds += seconds;
    this.measuredBytes += bytes;
  }

  get measured() {
    return this.measuredSeconds >= MIN_MEASURED_SECONDS || this.measuredBytes >= MIN_MEASURED_BYTES;
  }

  /** Bits per second. */
  get estimate() {
    if (!this.measured) return this.startGuess;
    return Math.min(this.fast.estimate, this.slow.estimate);
  }

  /** The fast average alone: what the link gives lately, used to see a lifted limit. */
  get recent() {
    return this.measured ? this.fast.estimate : this.startGuess;
  }
}

/**
 * Turns the arrivals of one or more concurrent downloads into samples: the
 * time counted is only the time some download was waiting for bytes, so a
 * pause between downloads does not read as a slow link. Feed it `active`
 * (downloads in progress) and `bytes` as they change; call `tick()` now and
 * then to hand the time since the last tick to the estimator.
 */
class LinkMeter {
  constructor(estimator, systemSeconds) {
    this.estimator = estimator;
    this.systemSeconds = systemSeconds;
    this.active = 0;
    this.pendingBytes = 0;
    this.since = systemSeconds();
  }

  /** A download began (true) or ended (false). */
  setActive(started) {
    this.tick();
    this.active = Math.max(0, this.active + (started ? 1 : -1));
  }

  arrived(bytes) {
    this.pendingBytes += bytes;
  }

  tick() {
    const now = this.systemSeconds();
    const seconds = now - this.since;
    this.since = now;
    if (this.active > 0 && seconds > 0) this.estimator.sample(seconds, this.pendingBytes);
    this.pendingBytes = 0;
  }
}
