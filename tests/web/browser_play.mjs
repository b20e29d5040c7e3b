// node browser_play.mjs DIR PAGE.play.html [--seconds S] [--rate BPS] [--screenshot FILE] [--bandwidth BPS]
//
// Serves DIR over HTTP on 127.0.0.1 (optionally sending the video stream
// files no faster than BPS), opens the page in headless Chromium driven
// through its DevTools pipe, clicks Play on the button strip, lets it play
// for S seconds, and prints one JSON line: the player's status(), the
// browser's console errors and the bytes served. Needs nothing but Node.js
// and Chromium.
import { spawn } from 'node:child_process';
import { createReadStream, mkdtempSync, readFileSync, rmSync, statSync, writeFileSync } from 'node:fs';
import { createServer } from 'node:http';
import { tmpdir } from 'node:os';
import { extname, join, normalize } from 'node:path';

const args = process.argv.slice(2);
const option = (name, fallback) => {
  const i = args.indexOf(name);
  if (i < 0) return fallback;
  const v = args[i + 1];
  args.splice(i, 2);
  return v;
};
const seconds = Number(option('--seconds', '6'));
const rate = Number(option('--rate', '0'));
const screenshot = option('--screenshot', null);
const bandwidth = option('--bandwidth', null);
const chromium = option('--chromium', process.env.ZQ48_CHROMIUM || '/usr/bin/chromium');
const [dir, page] = args;
const deadline = setTimeout(() => finish({ error: 'the browser run took too long' }), (seconds + 40) * 1000);

const types = { '.html': 'text/html', '.js': 'text/javascript', '.gif': 'image/gif', '.png': 'image/png',
  '.jpg': 'image/jpeg' };
const served = {};

/** Files of DIR; video stream files at no more than `rate` bits per second when given. */
const server = createServer((req, res) => {
  const name = decodeURIComponent(new URL(req.url, 'http://x').pathname).replace(/^\/+/, '');
  const path = normalize(join(dir, name));
  let size;
  try {
    size = statSync(path).size;
  } catch (e) {
    res.writeHead(404);
    res.end();
    return;
  }
  const range = /^bytes=(\d+)-(\d*)$/.exec(req.headers.range || '');
  const start = range ? Number(range[1]) : 0;
  const end = range && range[2] ? Math.min(Number(range[2]), size - 1) : size - 1;
  res.writeHead(range ? 206 : 200, {
    'Content-Type': types[extname(path)] || 'application/octet-stream', 'Content-Length': end - start + 1,
    'Cache-Control': 'no-store', ...(range ? { 'Content-Range': `bytes ${start}-${end}/${size}` } : {}),
  });
  served[name] = (served[name] || 0) + (end - start + 1);
  const slow = rate > 0 && name.endsWith('.video.zq48') && !range;
  if (!slow) {
    createReadStream(path, { start, end }).pipe(res);
    return;
  }
  const bytes = readFileSync(path).subarray(start, end + 1);
  const piece = Math.max(256, Math.floor(rate / 8 / 20));
  let at = 0;
  const timer = setInterval(() => {
    if (res.destroyed) return clearInterval(timer);
    res.write(bytes.subarray(at, at + piece));
    at += piece;
    if (at >= bytes.length) {
      clearInterval(timer);
      res.end();
    }
  }, 50);
});

/** The facts a test checks, one "name value" a line after the JSON line. */
function summary(r) {
  const s = r.status || {};
  const lines = [`error ${r.error ? r.error.replace(/\s+/g, ' ') : '-'}`, `state ${s.state}`, `phase ${s.phase}`,
    `drawn ${s.picturesDrawn}`, `dropped ${s.picturesDropped}`, `checksum ${s.checksum}`,
    `clock_source ${s.clockSource}`, `clock_seconds ${s.clockSeconds}`, `sound_context ${s.soundContext}`,
    `sound_seconds ${s.soundSeconds}`, `variant ${s.variant}`, `speed ${r.speed ? r.speed.perSecond : 0}`,
    `problems ${(s.problems || []).length}`, `console_errors ${(r.errors || []).length}`];
  for (const e of r.errors || []) lines.push(`console_error ${e.replace(/\s+/g, ' ')}`);
  for (const p of s.problems || []) lines.push(`problem ${p.replace(/\s+/g, ' ')}`);
  for (const sample of r.samples || []) lines.push(`sample ${sample.at} ${sample.clock} ${sample.drawn}`);
  for (const [index, fp, variant] of s.fingerprints || []) lines.push(`picture ${index} ${fp} ${variant}`);
  return lines;
}

let browser = null;
const profile = mkdtempSync(join(tmpdir(), 'zq48-chromium-'));
let finished = false;

function finish(result) {
  if (finished) return;
  finished = true;
  clearTimeout(deadline);
  process.stdout.write(JSON.stringify({ ...result, served }) + '\n');
  process.stdout.write(summary(result).join('\n') + '\n');
  if (browser) browser.kill('SIGKILL');
  server.close();
  server.closeAllConnections();
  setTimeout(() => {
    rmSync(profile, { recursive: true, force: true });
    process.exit(result.error ? 1 : 0);
  }, 300);
}

/** The DevTools protocol over the pipe: JSON messages ending in a NUL byte. */
class Pipe {
  constructor(child) {
    this.out = child.stdio[3];
    this.id = 0;
    this.waiting = new Map();
    this.handlers = [];
    let pending = '';
    child.stdio[4].on('data', (chunk) => {
      pending += chunk.toString('utf8');
      for (let nul = pending.indexOf('\0'); nul >= 0; nul = pending.indexOf('\0')) {
        const m = JSON.parse(pending.slice(0, nul));
        pending = pending.slice(nul + 1);
        if (m.id !== undefined && this.waiting.has(m.id)) {
          const { resolve, reject } = this.waiting.get(m.id);
          this.waiting.delete(m.id);
          if (m.error) reject(new Error(m.error.message));
          else resolve(m.result);
        } else {
          for (const h of this.handlers) h(m);
        }
      }
    });
  }

  send(method, params = {}, sessionId = undefined) {
    const id = ++this.id;
    this.out.write(JSON.stringify({ id, method, params, ...(sessionId ? { sessionId } : {}) }) + '\0');
    return new Promise((resolve, reject) => this.waiting.set(id, { resolve, reject }));
  }
}

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

async function main() {
  await new Promise((r) => server.listen(0, '127.0.0.1', r));
  const url = `http://127.0.0.1:${server.address().port}/${encodeURIComponent(page)}`
    + (bandwidth ? `?bandwidth=${bandwidth}` : '');
  browser = spawn(chromium, ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync', '--mute-audio',
    '--disable-extensions', '--remote-debugging-pipe', `--user-data-dir=${profile}`, '--window-size=800,600',
    'about:blank'], { stdio: ['ignore', 'ignore', 'ignore', 'pipe', 'pipe'] });
  browser.on('exit', () => finish({ error: 'the browser ended by itself' }));
  const cdp = new Pipe(browser);
  const { targetInfos } = await cdp.send('Target.getTargets');
  const target = targetInfos.find((t) => t.type === 'page');
  const { sessionId } = await cdp.send('Target.attachToTarget', { targetId: target.targetId, flatten: true });
  const errors = [];
  cdp.handlers.push((m) => {
    if (m.method === 'Runtime.exceptionThrown') {
      errors.push('exception: ' + JSON.stringify(m.params.exceptionDetails.exception?.description
        || m.params.exceptionDetails.text));
    } else if (m.method === 'Runtime.consoleAPICalled' && (m.params.type === 'error' || m.params.type === 'assert')) {
      errors.push('console: ' + m.params.args.map((a) => a.value ?? a.description).join(' '));
    } else if (m.method === 'Log.entryAdded' && m.params.entry.level === 'error') {
      // The browser's own request for a site icon is no fault of the page.
      if (!/favicon\.ico/.test(m.params.entry.url || '')) errors.push('log: ' + m.params.entry.text);
    } else if (m.method === 'Target.attachedToTarget') {
      // The picture worker: its errors count too.
      const worker = m.params.sessionId;
      cdp.send('Runtime.enable', {}, worker).catch(() => {});
      cdp.send('Runtime.runIfWaitingForDebugger', {}, worker).catch(() => {});
    }
  });
  await cdp.send('Runtime.enable', {}, sessionId);
  await cdp.send('Log.enable', {}, sessionId);
  await cdp.send('Page.enable', {}, sessionId);
  await cdp.send('Target.setAutoAttach', { autoAttach: true, waitForDebuggerOnStart: false, flatten: true },
    sessionId);
  await cdp.send('Page.navigate', { url }, sessionId);
  const evaluate = async (expression) => {
    const r = await cdp.send('Runtime.evaluate', { expression, returnByValue: true, awaitPromise: true }, sessionId);
    return r.result.value;
  };
  // Wait for the player to be ready, then click Play on the button strip.
  let status = null;
  for (let i = 0; i < 100; i++) {
    status = await evaluate('globalThis.zqmPlayer ? globalThis.zqmPlayer.status() : null');
    if (status && status.state !== 'loading') break;
    await sleep(100);
  }
  if (!status || status.state !== 'ready') return finish({ error: 'the player did not get ready', status, errors });
  await sleep(300);  // the button strip image
  const button = await evaluate(`(() => { const p = globalThis.zqmPlayer, v = p.view, r = p.canvas.getBoundingClientRect();
    return { x: r.left + v.panelLeft() + v.strip.lefts[0] + 5, y: r.top + p.canvas.height - (v.panelHeight >> 1) }; })()`);
  for (const type of ['mousePressed', 'mouseReleased']) {
    await cdp.send('Input.dispatchMouseEvent', { type, x: button.x, y: button.y, button: 'left', clickCount: 1 },
      sessionId);
  }
  const samples = [];
  const started = Date.now();
  while (Date.now() - started < seconds * 1000) {
    await sleep(500);
    status = await evaluate('globalThis.zqmPlayer.status()');
    samples.push({ at: (Date.now() - started) / 1000, clock: status.clockSeconds, drawn: status.picturesDrawn,
      state: status.state });
  }
  let shot = null;
  if (screenshot) {
    const { data } = await cdp.send('Page.captureScreenshot', { format: 'png' }, sessionId);
    writeFileSync(screenshot, Buffer.from(data, 'base64'));
    shot = screenshot;
  }
  await evaluate('globalThis.zqmPlayer.measureSpeed()');
  let speed = null;
  for (let i = 0; i < 100 && !speed; i++) {
    await sleep(100);
    speed = (await evaluate('globalThis.zqmPlayer.status()')).speed;
  }
  const userAgent = await evaluate('navigator.userAgent');
  finish({ status, samples, errors, speed, screenshot: shot, userAgent });
}

main().catch((e) => finish({ error: String(e && e.stack ? e.stack : e) }));
