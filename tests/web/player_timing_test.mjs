// The player's clock, its picture schedule and its rate choice, run by
// Node.js on simulated time: a sound context that is held back and let go, a
// decoder slower than the film, a page hidden for a minute, and links whose
// throughput drops and recovers.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { loadParts } from '../../resources/web/load_parts.mjs';

const P = loadParts(['PlayClock', 'takeDuePictures', 'nextUnitToDecode', 'pictureWorthShowing', 'ThroughputEstimator',
  'LinkMeter', 'chooseNextPair', 'startingPair', 'START_GUESS_BPS']);

/** Simulated system time, in seconds. */
function simulatedTime() {
  const t = { now: 0 };
  t.read = () => t.now;
  return t;
}

test('the clock runs on the system time while the sound context is held back, and meets the sound without a jump', () => {
  const sys = simulatedTime();
  const clock = new P.PlayClock(sys.read);
  clock.start(0);
  // Held back (autoplay rules, a stalled download) and restarted now and then: only the time run counts.
  let readings = [];
  for (let cycle = 0; cycle < 5; cycle++) {
    for (let i = 0; i < 100; i++) {
      sys.now += 0.01;
      readings.push(clock.now(null));
    }
    clock.stop();
    sys.now += 3;  // waiting for data
    clock.start();
  }
  assert.ok(Math.abs(clock.now(null) - 5) < 0.02, 'five seconds run, not ' + clock.now(null));
  assert.equal(clock.source, 'system');
  // The context is let go: its sound starts 80 ms behind the clock. The clock never goes back or leaps.
  const soundStart = clock.now(null) - 0.08;
  const soundAt = sys.now;
  readings = [];
  let last = clock.now(null);
  for (let i = 0; i < 200; i++) {
    sys.now += 0.016;
    const t = clock.now(soundStart + (sys.now - soundAt));
    assert.ok(t >= last, 'never back');
    assert.ok(t - last <= 2 * 0.016 + 1e-9, 'never a leap');
    last = t;
  }
  assert.equal(clock.source, 'sound');
  assert.ok(Math.abs(last - (soundStart + (sys.now - soundAt))) < 0.01, 'on the sound after 3 s');
});

test('a paused clock resumes where it stopped, however long the pause', () => {
  const sys = simulatedTime();
  const clock = new P.PlayClock(sys.read);
  clock.start(0);
  sys.now = 4;
  assert.equal(clock.now(4), 4);
  clock.stop(4);
  sys.now = 40;
  assert.equal(clock.now(null), 4);
  clock.start();
  sys.now = 40.5;
  assert.ok(Math.abs(clock.now(null) - 4.5) < 1e-9);
});

/**
 * Plays `seconds` of a film of `fps` with a key frame every `keyEvery`
 * pictures through the schedule, with a decoder taking `decodeSeconds(i)`
 * per picture and a clock read every 1/60 s except while `hidden(t)`.
 * Returns the lag of the shown picture behind the clock at each reading.
 */
function simulatePlay({ seconds, fps, keyEvery, decodeSeconds, hidden = () => false }) {
  const units = [];
  for (let i = 0; i < seconds * fps; i++) units.push({ index: i, type: i % keyEvery === 0 ? 0 : 1 });
  const queue = [];
  let next = 0;
  let decoderFreeAt = 0;
  let shown = null;
  const lags = [];
  for (let t = 0; t < seconds; t += 1 / 60) {
    if (hidden(t)) continue;
    // The decoder works through the units it was given until it catches up with now.
    while (decoderFreeAt <= t && next < units.length && queue.length < 4) {
      next = P.nextUnitToDecode(units, next, Math.floor(t * fps), fps);
      const u = units[next++];
      decoderFreeAt = Math.max(decoderFreeAt, t) + decodeSeconds(u.index);
      if (P.pictureWorthShowing(u.index / fps, t)) queue.push({ time: u.index / fps, index: u.index });
    }
    const { show } = P.takeDuePictures(queue, t);
    if (show) shown = show;
    if (shown) lags.push({ t, lag: t - shown.time });
  }
  return lags;
}

test('pictures decoded late are dropped, and decoding far behind skips to a key frame', () => {
  // A decoder at 0.8 times the film's pace: without skipping, the pictures would trail by 12 s after 60 s.
  const lags = simulatePlay({ seconds: 60, fps: 15, keyEvery: 30, decodeSeconds: () => 1 / 12 });
  const worst = Math.max(...lags.filter((l) => l.t > 2).map((l) => l.lag));
  assert.ok(worst < 2.6, 'the picture trails by at most a key-frame interval and a little, not ' + worst);
  // A decoder that stalls once for 3 s, then keeps up: one picture behind at most once it has caught up.
  const stall = simulatePlay({ seconds: 20, fps: 15, keyEvery: 30, decodeSeconds: (i) => (i === 90 ? 3 : 0.01) });
  const after = stall.filter((l) => l.t > 9.5).map((l) => l.lag);
  assert.ok(Math.max(...after) <= 1 / 15 + 1e-9, 'trailing ' + Math.max(...after));
});

test('after the page was hidden for 60 s the picture is back on the clock at once', () => {
  const lags = simulatePlay({
    seconds: 80, fps: 15, keyEvery: 30, decodeSeconds: () => 0.02, hidden: (t) => t >= 10 && t < 70,
  });
  const back = lags.filter((l) => l.t >= 70 && l.t < 72.5).map((l) => l.lag);
  assert.ok(back.length > 0);
  assert.ok(Math.max(...back.slice(10)) <= 2.1, 'no minute of pictures replayed: ' + Math.max(...back));
  assert.ok(Math.max(...lags.filter((l) => l.t >= 73).map((l) => l.lag)) <= 1 / 15 + 1e-9);
  // The clock itself, on a sound that played on while the page was hidden, reads the sound's time.
  const sys = simulatedTime();
  const clock = new P.PlayClock(sys.read);
  clock.start(10);
  sys.now = 60;
  assert.ok(Math.abs(clock.now(70) - 70) < 1e-9);
});

// ---- the rate choice ----

const PAIRS = [
  { index: 0, videoRate: 300000, audioRate: 32000, total: 332000 },
  { index: 1, videoRate: 150000, audioRate: 16000, total: 166000 },
  { index: 2, videoRate: 60000, audioRate: 8000, total: 68000 },
];

/**
 * Plays a simulated film over a link giving `bps(t)`: the current pair's
 * video is downloaded as fast as the link allows, the buffer drains at the
 * film's pace, the estimator is fed every 0.25 s, and the choice made every
 * 0.5 s (a switch taking effect at once). Returns the pair played at each half second.
 */
function simulateLink(bps, seconds) {
  const estimator = new P.ThroughputEstimator(P.START_GUESS_BPS);
  let current = P.startingPair(PAIRS, estimator.estimate);
  let buffered = 0;
  let sinceSwitch = 0;
  let stalls = 0;
  const played = [];
  for (let t = 0; t < seconds; t += 0.25) {
    const link = bps(t);
    estimator.sample(0.25, (link * 0.25) / 8);
    buffered += (0.25 * link) / current.total;
    if (buffered >= 0.25) buffered -= 0.25;
    else stalls++;
    buffered = Math.min(buffered, 20);  // the download pauses this far ahead
    sinceSwitch += 0.25;
    if (Math.round(t * 4) % 2 === 0) {
      const next = P.chooseNextPair({ pairs: PAIRS, current, estimate: estimator.estimate, recent: estimator.recent,
        buffered, sinceSwitch, downloadDone: false, pinned: -1 });
      if (next !== current) {
        current = next;
        sinceSwitch = 0;
      }
      played.push({ t, index: current.index, buffered });
    }
  }
  return { played, stalls };
}

test('the rate choice starts low, climbs on a fast link, steps down on a slow one and back up when it recovers', () => {
  assert.equal(P.startingPair(PAIRS, P.START_GUESS_BPS).index, 2, 'a conservative start');
  // 1 Mbit/s for 20 s, 100 kbit/s for 40 s, 1 Mbit/s again.
  const r = simulateLink((t) => (t < 20 || t >= 60 ? 1e6 : 1e5), 100);
  const at = (t) => r.played.find((p) => p.t >= t).index;
  assert.equal(at(10), 0, 'up to the top within 10 s of a fast link');
  assert.equal(at(55), 2, 'down to the rung the slow link carries');
  const downAt = r.played.find((p) => p.t >= 20 && p.index !== 0).t;
  assert.ok(downAt < 45, 'stepped down while the buffer lasted, at ' + downAt);
  assert.equal(r.stalls, 0, 'the buffer never ran dry');
  const upAgain = r.played.find((p) => p.t >= 60 && p.index === 0);
  assert.ok(upAgain && upAgain.t < 90, 'back at the top within 30 s of the link recovering');
  // It never switches up and down within a few seconds (no flapping).
  let switches = 0;
  for (let i = 1; i < r.played.length; i++) if (r.played[i].index !== r.played[i - 1].index) switches++;
  assert.ok(switches <= 5, switches + ' switches');
});

test('a link that just carries the middle rung settles there, and a pinned variant is kept whatever the link', () => {
  const r = simulateLink(() => 250000, 60);
  assert.equal(r.played[r.played.length - 1].index, 1);
  const pinned = P.chooseNextPair({ pairs: PAIRS, current: PAIRS[2], estimate: 1e7, recent: 1e7, buffered: 30,
    sinceSwitch: 100, downloadDone: false, pinned: 0 });
  assert.equal(pinned.index, 0);
});

test('the link meter counts only time a download was waiting for bytes', () => {
  const sys = simulatedTime();
  const estimator = new P.ThroughputEstimator(P.START_GUESS_BPS);
  const meter = new P.LinkMeter(estimator, sys.read);
  meter.setActive(true);
  for (let i = 0; i < 8; i++) {
    sys.now += 0.25;
    meter.arrived(12500);  // 400 kbit/s
    meter.tick();
  }
  meter.setActive(false);
  sys.now += 30;  // an idle half minute between downloads is no slow link
  meter.tick();
  assert.ok(Math.abs(estimator.estimate - 400000) < 1000, String(estimator.estimate));
});
