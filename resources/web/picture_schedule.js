// When pictures are shown, dropped and decoded: a picture is shown once the
// clock reaches its time, and the ones it overtook are dropped; when the
// decoder has fallen far behind the clock, decoding skips to the latest key
// frame the clock has passed, so that the pictures catch up instead of
// trailing the sound for ever.

/** Pictures the decoder may be ahead of the clock (decoded and waiting). */
const PICTURES_AHEAD = 4;
/** Seconds behind the clock at which decoding skips to a key frame instead of catching up picture by picture. */
const FAR_BEHIND_SECONDS = 0.5;

/**
 * Takes the pictures due at clock time `t` from the front of `queue` (sorted
 * by time): the last one due is to be shown, the others were overtaken.
 */
function takeDuePictures(queue, t) {
  let show = null;
  let dropped = 0;
  while (queue.length > 0 && queue[0].time <= t + 1e-6) {
    if (show !== null) dropped++;
    show = queue.shift();
  }
  return { show, dropped };
}

/**
 * The unit to decode next. `units` are a stream's units ({index, type}, type
 * 0 a key frame, index the picture number), `next` the unit the decoder would
 * take next, `clockPicture` the picture number the clock is at. Far behind,
 * the latest key frame at or before the clock (past `next`) is taken, so
 * that everything between is never decoded.
 */
function nextUnitToDecode(units, next, clockPicture, fps) {
  if (next >= units.length) return next;
  const farBehind = Math.max(1, Math.round(FAR_BEHIND_SECONDS * fps));
  if (clockPicture - units[next].index < farBehind) return next;
  let key = next;
  for (let i = next + 1; i < units.length && units[i].index <= clockPicture; i++) {
    if (units[i].type === 0) key = i;
  }
  return key;
}

/**
 * Whether a decoded picture is worth converting and sending: one the clock
 * has left far behind is only decoded (later pictures refer to it).
 */
function pictureWorthShowing(pictureTime, clockTime) {
  return pictureTime + FAR_BEHIND_SECONDS > clockTime;
}
