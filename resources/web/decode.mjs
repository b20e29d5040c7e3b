// node decode.mjs DIR NAME.meta.zq48|PAGE.html [--bandwidth BPS] [--speed]
//
// Decodes the video of the variant the web player would choose (--bandwidth
// standing in for the measurement; files on disk count as unlimited) from
// its first picture to its last into DIR/video.yuv (planar 4:2:0, one
// picture after another) and prints "video: WIDTHxHEIGHT PICTURES". The
// sound stream's header and length are checked; its MP3 is left to the
// browser, which decodes it itself. Exits 1 with the reasons on standard
// error when a file is missing, a stream is cut short or damaged, or
// pictures are missing; what could be decoded is still written.
import { closeSync, existsSync, mkdirSync, openSync, readFileSync, writeSync } from 'node:fs';
import { basename, dirname, join } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { loadParts } from './load_parts.mjs';

const P = loadParts(['Mp4vDecoder', 'Mp4vStreamSplitter', 'unitCodingType', 'parseMetafile', 'parseVideoHeader',
  'parseAudioHeader', 'variantPairs', 'chooseVariant', 'streamBase', 'videoStreamName', 'audioStreamName',
  'VIDEO_HEADER_BYTES', 'AUDIO_HEADER_BYTES']);

/** The size of the pieces the decoder is fed, as a download hands them over. */
const CHUNK = 4096;

class Failure extends Error {}

function parseArguments(argv) {
  const args = { dir: null, target: null, bandwidth: null, speed: false };
  const rest = [];
  for (let i = 0; i < argv.length; i++) {
    if (argv[i] === '--bandwidth') {
      const v = argv[++i];
      if (!/^[0-9]{1,15}$/.test(v || '')) throw new Failure('--bandwidth needs a number of bits per second');
      args.bandwidth = Number(v);
    } else if (argv[i] === '--speed') {
      args.speed = true;
    } else {
      rest.push(argv[i]);
    }
  }
  if (rest.length !== 2) throw new Failure('usage: node decode.mjs DIR NAME.meta.zq48|PAGE.html [--bandwidth BPS]');
  [args.dir, args.target] = rest;
  return args;
}

function readFile(path, name) {
  if (!existsSync(path)) throw new Failure('cannot find ' + name);
  return new Uint8Array(readFileSync(path));
}

const REFERENCES = { amp: '&', lt: '<', gt: '>', quot: '"', apos: "'" };

/** An attribute's value as the browser reads it: character references replaced. */
function unescapeHtml(text) {
  return text.replace(/&(#[0-9]{1,7}|#[xX][0-9A-Fa-f]{1,6}|amp|lt|gt|quot|apos);/g, (whole, name) => {
    if (name[0] !== '#') return REFERENCES[name];
    const code = name[1] === 'x' || name[1] === 'X' ? parseInt(name.slice(2), 16) : parseInt(name.slice(1), 10);
    return code <= 0x10ffff ? String.fromCodePoint(code) : whole;
  });
}

/**
 * The metafile a page names (its MetaURL, as a parameter or a data attribute,
 * a URL relative to the page), or the target itself.
 */
function metafileOf(target) {
  if (!/\.html?$/i.test(target)) return target;
  const page = readFileSync(target, 'utf8');
  const m = page.match(/data-meta-url="([^"]*)"/) || page.match(/<param name="MetaURL" value="([^"]*)">/);
  if (!m) throw new Failure(basename(target) + ' gives no MetaURL');
  const url = new URL(unescapeHtml(m[1]), pathToFileURL(target));
  if (url.protocol !== 'file:') throw new Failure(basename(target) + ': its MetaURL ' + url.href + ' is not on this disk');
  return fileURLToPath(url);
}

/** The elementary stream: what the header says follows it, or what there is of it. */
function payload(file, headerBytes, dataSize, name, problems, warnings) {
  const present = file.length - headerBytes;
  if (present < dataSize) {
    problems.push(name + ' is cut short: its header promises ' + dataSize + ' bytes of stream, the file holds ' + present);
  } else if (present > dataSize) {
    warnings.push(name + ' has ' + (present - dataSize) + ' bytes after its stream; they are ignored');
  }
  if (dataSize === 0) problems.push(name + ' holds no stream (its header gives no length)');
  return file.subarray(headerBytes, headerBytes + Math.min(Math.max(present, 0), dataSize));
}

function decodeVideo(name, header, stream, yuvPath, problems, speed) {
  const splitter = new P.Mp4vStreamSplitter();
  const decoder = new P.Mp4vDecoder();
  const out = openSync(yuvPath, 'w');
  const count = { units: 0, pictures: 0, misshapen: 0, offTime: 0, width: 0, height: 0, firstTime: null };
  const frame = header.frameRateX1e6 ? 1e6 / header.frameRateX1e6 : 0;
  const take = (unit) => {
    if (P.unitCodingType(unit) !== -1) count.units++;
    const p = decoder.decode(unit);
    if (p === null) return;
    if (p.width !== header.width || p.height !== header.height) count.misshapen++;
    if (count.width === 0) {
      count.width = p.width;
      count.height = p.height;
    }
    if (frame > 0 && p.ticksPerSecond > 0) {
      // Our streams stamp picture n with n frame times: a picture lost in damage moves the later ones.
      const time = p.timeTicks / p.ticksPerSecond;
      if (count.firstTime === null) count.firstTime = time;
      if (Math.abs(time - count.firstTime - (count.units - 1) * frame) > frame / 2) count.offTime++;
    }
    writeSync(out, p.y);
    writeSync(out, p.u);
    writeSync(out, p.v);
    count.pictures++;
  };
  const started = performance.now();
  for (let at = 0; at < stream.length; at += CHUNK) {
    splitter.feed(stream.subarray(at, Math.min(at + CHUNK, stream.length)));
    for (let unit = splitter.next(); unit !== null; unit = splitter.next()) take(unit);
  }
  const last = splitter.finish();
  if (last !== null) take(last);
  const seconds = (performance.now() - started) / 1000;
  closeSync(out);
  const width = count.width > 0 ? count.width : header.width;
  const height = count.height > 0 ? count.height : header.height;
  console.log('video: ' + width + 'x' + height + ' ' + count.pictures);
  if (speed) console.log('speed: ' + (count.pictures / Math.max(seconds, 1e-6)).toFixed(1) + ' pictures/s');
  if (count.pictures === 0) problems.push(name + ': no picture could be decoded');
  if (decoder.damaged > 0) problems.push(name + ': ' + decoder.damaged + ' damaged pictures');
  if (count.misshapen > 0) {
    problems.push(name + ': ' + count.misshapen + ' pictures are not ' + header.width + ' x ' + header.height
      + ' as the header says');
  }
  if (count.offTime > 0) {
    problems.push(name + ': ' + count.offTime + ' pictures are out of place (their time stamps are more than'
      + ' half a frame away from their count at the frame rate): pictures are missing');
  }
}

function run(argv, problems, warnings) {
  const args = parseArguments(argv);
  const metaPath = metafileOf(args.target);
  const metaName = basename(metaPath);
  const folder = dirname(metaPath);
  let metafile;
  try {
    metafile = P.parseMetafile(readFile(metaPath, metaName));
  } catch (e) {
    throw e instanceof Failure ? e : new Failure(metaName + ': ' + e.message);
  }
  const pairs = P.variantPairs(metafile);
  if (pairs.length === 0) throw new Failure(metaName + ' lists no streams: the encoder finished no variant of this file');
  const chosen = P.chooseVariant(pairs, args.bandwidth === null ? Infinity : args.bandwidth);
  const base = P.streamBase(metaName);
  if (!existsSync(args.dir)) mkdirSync(args.dir, { recursive: true });
  const opened = [];
  if (chosen.videoRate !== 0) {
    const name = P.videoStreamName(base, chosen.videoRate);
    const file = readFile(join(folder, name), name);
    opened.push(() => {
      const header = P.parseVideoHeader(file, name);
      const stream = payload(file, P.VIDEO_HEADER_BYTES, header.dataSize, name, problems, warnings);
      decodeVideo(name, header, stream, join(args.dir, 'video.yuv'), problems, args.speed);
    });
  }
  if (chosen.audioRate !== 0) {
    const name = P.audioStreamName(base, chosen.audioRate);
    const file = readFile(join(folder, name), name);
    opened.push(() => {
      const header = P.parseAudioHeader(file, name);
      payload(file, P.AUDIO_HEADER_BYTES, header.dataSize, name, problems, warnings);
    });
  }
  for (const step of opened) {
    try {
      step();
    } catch (e) {
      problems.push(e.message);
    }
  }
}

const problems = [];
const warnings = [];
try {
  run(process.argv.slice(2), problems, warnings);
} catch (e) {
  problems.push(e instanceof Failure ? e.message : 'decoding stopped: ' + (e && e.stack ? e.stack : e));
}
for (const w of warnings) console.error('zqmPlayer: warning: ' + w);
for (const p of problems) console.error('zqmPlayer: ' + p);
process.exitCode = problems.length === 0 ? 0 : 1;
