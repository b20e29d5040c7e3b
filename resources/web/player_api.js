// The player as a page's script sees it, with a <video> element's names: the
// element with id "zqmPlayer" carries it as its `player` property, and the
// events (play, pause, playing, waiting, timeupdate, seeked, ended, error,
// variantchange, ...) are fired on that element.

const HAVE_NOTHING = 0;
const HAVE_METADATA = 1;
const HAVE_CURRENT_DATA = 2;
const HAVE_ENOUGH_DATA = 4;

function makePlayerApi(player) {
  return {
    play() {
      player.play();
      return Promise.resolve();
    },
    pause() {
      player.pause();
    },
    get currentTime() { return player.currentTime; },
    set currentTime(t) { player.seek(Number(t)); },
    get duration() { return player.duration; },
    get paused() { return player.paused; },
    get ended() { return player.state === 'ended'; },
    get seeking() { return player.seeking; },
    get volume() { return player.volumeLevel; },
    set volume(v) { player.setVolume(Number(v)); },
    get muted() { return player.isMuted; },
    set muted(m) { player.setMuted(m); },
    get playbackRate() { return player.rate; },
    set playbackRate(r) { player.setRate(Number(r)); },
    get buffered() {
      const until = player.video ? player.video.seconds
        : player.sound.track ? Math.min(player.sound.track.downloadedUntil, player.duration || 0) : 0;
      const ranges = until > 0 ? [[0, until]] : [];
      return { length: ranges.length, start: (i) => ranges[i][0], end: (i) => ranges[i][1] };
    },
    get readyState() {
      switch (player.state) {
        case 'loading': case 'failed': return HAVE_NOTHING;
        case 'ready': return HAVE_METADATA;
        case 'waiting': return HAVE_CURRENT_DATA;
        default: return HAVE_ENOUGH_DATA;
      }
    },
    get error() { return player.error || null; },
    get videoTime() { return player.videoTime; },
    get variants() { return (player.variants || []).map((v) => ({ ...v })); },
    get variant() { return player.pinned; },
    set variant(i) { player.variant = Number(i); },
    /** The variant whose pictures are shown (the automatic choice's or the pinned one). */
    get currentVariant() { return player.pair ? player.pair.index : -1; },
    get droppedPictures() { return player.dropped; },
    status() { return player.status(); },
    measureSpeed() { player.measureSpeed(); },
  };
}
