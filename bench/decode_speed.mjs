// node bench/decode_speed.mjs WEB_DIR FILE.video.zq48... [--seconds S]
//
// Pictures per second of the web player's video decoder (from WEB_DIR, as
// the browser loads it) on whole stream files: decoding alone, and decoding
// with the colour conversion the player does for every picture it draws.
// Figures are per second of the process's CPU time, after passes that let
// the JIT warm up, so that other work on the machine changes them little.
import { readFileSync } from 'node:fs';
import { basename, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';

const args = process.argv.slice(2);
let seconds = 3;
const files = [];
for (let i = 0; i < args.length; i++) {
  if (args[i] === '--seconds') seconds = Number(args[++i]);
  else files.push(args[i]);
}
const webDir = resolve(files.shift());
const { loadParts } = await import(pathToFileURL(webDir + '/load_parts.mjs').href);
const P = loadParts(['Mp4vDecoder', 'Mp4vStreamSplitter', 'pictureToRgba']);

function units(stream) {
  const splitter = new P.Mp4vStreamSplitter();
  splitter.feed(stream);
  const out = [];
  for (let u = splitter.next(); u !== null; u = splitter.next()) out.push(u);
  const last = splitter.finish();
  if (last !== null) out.push(last);
  return out;
}

/** CPU seconds of this process so far: a machine busy with other work slows the clock, not this count. */
function cpuSeconds() {
  const u = process.cpuUsage();
  return (u.user + u.system) / 1e6;
}

/**
 * Pictures per CPU second over whole passes of the stream: after passes
 * that let the JIT compile (at least two, for one second), as many as take
 * `seconds`.
 */
function speed(list, colour) {
  let rgba = null;
  const pass = () => {
    const decoder = new P.Mp4vDecoder();
    let pictures = 0;
    for (const unit of list) {
      const p = decoder.decode(unit);
      if (p === null) continue;
      if (colour) {
        if (rgba === null || rgba.length !== p.width * p.height * 4) rgba = new Uint8ClampedArray(p.width * p.height * 4);
        P.pictureToRgba(p, rgba);
      }
      pictures++;
    }
    return pictures;
  };
  const warm = cpuSeconds() + 1;
  for (let n = 0; n < 2 || cpuSeconds() < warm; n++) pass();
  const started = cpuSeconds();
  let pictures = 0;
  while (pictures === 0 || cpuSeconds() - started < seconds) pictures += pass();
  return pictures / (cpuSeconds() - started);
}

for (const file of files) {
  const list = units(new Uint8Array(readFileSync(file)).subarray(24));
  const first = new P.Mp4vDecoder();
  let size = '?';
  for (const unit of list) {
    const p = first.decode(unit);
    if (p !== null) {
      size = p.width + 'x' + p.height;
      break;
    }
  }
  console.log(size.padEnd(8) + ' decode ' + speed(list, false).toFixed(0).padStart(5) + ' pictures/s, with colour '
    + speed(list, true).toFixed(0).padStart(5) + ' pictures/s  (' + basename(file) + ')');
}
