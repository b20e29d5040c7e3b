// Which variant to play, as an adaptive player chooses: start on a
// conservative guess, step down when the buffer runs low and the link does
// not carry the variant, step up when the measured throughput exceeds a
// richer variant's rate with a margin and the buffer is healthy. The viewer
// may pin a variant instead. Buffer levels are in seconds of film.

/** Bits per second assumed before anything has been measured. */
const START_GUESS_BPS = 200000;
/** A variant is kept while it needs no more than this share of the throughput... */
const STAY_FACTOR = 0.9;
/** ...and one is moved up to only when it needs no more than this share. */
const UP_FACTOR = 0.7;
/** Below this many seconds buffered the player steps down when the link is short. */
const LOW_BUFFER_SECONDS = 6;
/** Above this many seconds buffered the player may step up. */
const UP_BUFFER_SECONDS = 4;
/** Seconds between two switches of the automatic choice. */
const HOLD_SECONDS = 3;

/** Playable pairs with a picture, leanest first (all pairs when none has one). */
function pairsByRate(pairs) {
  const withVideo = pairs.filter((p) => p.videoRate > 0);
  return (withVideo.length > 0 ? withVideo : pairs.slice()).sort((a, b) => a.total - b.total || a.index - b.index);
}

/** The richest pair needing no more than `bps`, else the leanest. */
function richestWithin(pairs, bps) {
  const sorted = pairsByRate(pairs);
  let best = sorted[0];
  for (const p of sorted) if (p.total <= bps) best = p;
  return best;
}

/** The pair to start on: the richest the guess carries with the margin of a step up. */
function startingPair(pairs, guessBps) {
  return richestWithin(pairs, guessBps * UP_FACTOR);
}

/**
 * The pair to play next. `s` holds: pairs, current (a pair), estimate and
 * recent (bits per second, see ThroughputEstimator), buffered (seconds of
 * the current stream ahead of the clock), sinceSwitch (seconds since the
 * last switch), downloadDone (the current stream is all here), pinned (a
 * pair index, or -1 for the automatic choice). Returns `current` to stay.
 */
function chooseNextPair(s) {
  if (s.pinned >= 0) return s.pairs.find((p) => p.index === s.pinned) || s.current;
  if (s.sinceSwitch < HOLD_SECONDS) return s.current;
  const sorted = pairsByRate(s.pairs);
  const at = sorted.indexOf(s.current);
  if (at < 0) return richestWithin(s.pairs, s.estimate * STAY_FACTOR);
  if (!s.downloadDone && s.buffered < LOW_BUFFER_SECONDS && s.estimate < s.current.total * STAY_FACTOR && at > 0) {
    const lower = richestWithin(s.pairs, s.estimate * STAY_FACTOR);
    return lower.total < s.current.total ? lower : sorted[at - 1];
  }
  if (s.buffered >= UP_BUFFER_SECONDS || s.downloadDone) {
    const upper = richestWithin(s.pairs, Math.min(s.estimate, s.recent) * UP_FACTOR);
    if (upper.total > s.current.total) return upper;
  }
  return s.current;
}
