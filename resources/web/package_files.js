// The files of a package as the player reads them: the metafile (which
// variants exist), the stream headers and the stream files' names.

const META_SUFFIX = '.meta.zq48';
const VIDEO_HEADER_BYTES = 24;
const AUDIO_HEADER_BYTES = 12;
/** Far more variants than any ladder has; a larger count means a damaged file. */
const MAX_RATES = 4096;

function u32(b, at) {
  return (b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (b[at + 3] << 24)) >>> 0;
}

function u16(b, at) {
  return b[at] | (b[at + 1] << 8);
}

/**
 * The metafile: u32 video count, u32 audio count, then the video rates and
 * the audio rates, little-endian. Throws an Error saying what is wrong.
 */
function parseMetafile(bytes) {
  if (bytes.length < 8) throw new Error('the metafile is ' + bytes.length + ' bytes, too short for its two counts');
  const videoCount = u32(bytes, 0);
  const audioCount = u32(bytes, 4);
  if (videoCount > MAX_RATES || audioCount > MAX_RATES) {
    throw new Error('the metafile lists ' + videoCount + ' video and ' + audioCount
      + ' audio rates, more than a metafile can hold');
  }
  const expected = 8 + 4 * (videoCount + audioCount);
  if (bytes.length !== expected) {
    throw new Error('the metafile is ' + bytes.length + ' bytes but its counts (' + videoCount + ' video, '
      + audioCount + ' audio) make ' + expected);
  }
  const videoRates = [];
  const audioRates = [];
  for (let i = 0; i < videoCount; i++) videoRates.push(u32(bytes, 8 + 4 * i));
  for (let i = 0; i < audioCount; i++) audioRates.push(u32(bytes, 8 + 4 * (videoCount + i)));
  return { videoRates, audioRates };
}

function checkVersion(version, name) {
  if (version !== 2) {
    throw new Error(name + ' has format ' + version + ', not 2'
      + (version === 0 ? ' (the encoder never finished it)' : ''));
  }
}

/** A video stream file's two records. */
function parseVideoHeader(bytes, name) {
  if (bytes.length < VIDEO_HEADER_BYTES) throw new Error(name + " is shorter than a video stream's headers");
  checkVersion(u32(bytes, 0), name);
  return {
    durationUs: u32(bytes, 4), dataSize: u32(bytes, 8), frameRateX1e6: u32(bytes, 12),
    width: u16(bytes, 16), height: u16(bytes, 18), bitRate: u32(bytes, 20),
  };
}

/** An audio stream file's record. */
function parseAudioHeader(bytes, name) {
  if (bytes.length < AUDIO_HEADER_BYTES) throw new Error(name + " is shorter than an audio stream's header");
  checkVersion(u32(bytes, 0), name);
  return { bitRate: u32(bytes, 4), dataSize: u32(bytes, 8) };
}

/**
 * The playable pairs: the i-th video and the i-th audio rate belong to the
 * same variant; when the counts differ the extra entries stand alone (rate 0
 * meaning no stream of that kind).
 */
function variantPairs(metafile) {
  const count = Math.max(metafile.videoRates.length, metafile.audioRates.length);
  const pairs = [];
  for (let i = 0; i < count; i++) {
    const videoRate = i < metafile.videoRates.length ? metafile.videoRates[i] : 0;
    const audioRate = i < metafile.audioRates.length ? metafile.audioRates[i] : 0;
    pairs.push({ index: i, videoRate, audioRate, total: videoRate + audioRate });
  }
  return pairs;
}

/**
 * The richest pair the bandwidth carries; when none fits, the leanest, so a
 * slow link still gets a picture. Ties go to the earlier variant; null when
 * there is nothing to play.
 */
function chooseVariant(pairs, bitsPerSecond) {
  let best = null;
  let leanest = null;
  for (const pair of pairs) {
    if (pair.total <= bitsPerSecond && (best === null || pair.total > best.total)) best = pair;
    if (leanest === null || pair.total < leanest.total) leanest = pair;
  }
  return best !== null ? best : leanest;
}

/** The metafile's name without ".meta.zq48": what every stream name starts with. */
function streamBase(metaName) {
  return metaName.endsWith(META_SUFFIX) ? metaName.slice(0, -META_SUFFIX.length) : metaName;
}

function videoStreamName(base, rate) {
  return base + '_' + rate + 'bps.video.zq48';
}

function audioStreamName(base, rate) {
  return base + '_' + rate + 'bps.audio.zq48';
}
