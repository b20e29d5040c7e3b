// What the browser tests share: a package folder served over HTTP on
// 127.0.0.1 (honouring Range requests, or ignoring them as simple servers
// do), headless Chromium started through puppeteer-core with a fresh profile,
// and the facts read from the page. Nothing here is skipped: a missing
// Chromium or puppeteer-core fails the test.
import { createReadStream, mkdtempSync, readdirSync, readFileSync, rmSync, statSync } from 'node:fs';
import { createServer } from 'node:http';
import { tmpdir } from 'node:os';
import { extname, join, normalize } from 'node:path';
import puppeteer from 'puppeteer-core';

const TYPES = { '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.gif': 'image/gif',
  '.png': 'image/png', '.jpg': 'image/jpeg' };

export const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

/** Serves `dir`; `ignoreRange` answers every request with the whole file, as Python's http.server does. */
export async function serve(dir, { ignoreRange = false } = {}) {
  const served = {};
  const server = createServer((req, res) => {
    const name = decodeURIComponent(new URL(req.url, 'http://x').pathname).replace(/^\/+/, '');
    const path = normalize(join(dir, name));
    let size;
    try {
      if (!path.startsWith(normalize(dir))) throw new Error('outside');
      size = statSync(path).size;
    } catch (e) {
      res.writeHead(404);
      res.end();
      return;
    }
    const range = ignoreRange ? null : /^bytes=(\d+)-(\d*)$/.exec(req.headers.range || '');
    const start = range ? Number(range[1]) : 0;
    const end = range && range[2] ? Math.min(Number(range[2]), size - 1) : size - 1;
    res.writeHead(range ? 206 : 200, {
      'Content-Type': TYPES[extname(path)] || 'application/octet-stream', 'Content-Length': end - start + 1,
      'Cache-Control': 'no-store', ...(range ? { 'Content-Range': `bytes ${start}-${end}/${size}` } : {}),
    });
    served[name] = (served[name] || 0) + (end - start + 1);
    createReadStream(path, { start, end }).pipe(res);
  });
  await new Promise((r) => server.listen(0, '127.0.0.1', r));
  return {
    url: (name) => `http://127.0.0.1:${server.address().port}/${name}`,
    served,
    close: () => {
      server.closeAllConnections();
      server.close();
    },
  };
}

/** Headless Chromium with a fresh profile; `close()` ends it and removes the profile. */
export async function launch() {
  const profile = mkdtempSync(join(tmpdir(), 'zq48-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: process.env.ZQ48_CHROMIUM || '/usr/bin/chromium',
    headless: true,
    userDataDir: profile,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync', '--mute-audio',
      '--autoplay-policy=no-user-gesture-required', '--disable-renderer-backgrounding',
      '--disable-background-timer-throttling', '--disable-backgrounding-occluded-windows'],
  });
  return {
    browser,
    close: async () => {
      await browser.close().catch(() => {});
      rmSync(profile, { recursive: true, force: true });
    },
  };
}

/** Opens `url` in a new page, records its errors, and waits until the player is ready. */
export async function openPlayer(browser, url, { viewport = null, emulate = null } = {}) {
  const page = await browser.newPage();
  const errors = [];
  page.on('pageerror', (e) => errors.push('exception: ' + e.message));
  page.on('console', (m) => {
    if (m.type() === 'error' && !/favicon/.test(m.location().url || '')) errors.push('console: ' + m.text());
  });
  if (emulate) await page.emulate(emulate);
  else if (viewport) await page.setViewport(viewport);
  await page.goto(url);
  await page.waitForFunction(() => globalThis.zqmPlayer && globalThis.zqmPlayer.readyState >= 1
    || (globalThis.zqmPlayer && globalThis.zqmPlayer.status().state === 'failed'), { timeout: 15000 });
  const state = await page.evaluate(() => globalThis.zqmPlayer.status().state);
  if (state === 'failed') {
    throw new Error('the player failed: ' + JSON.stringify(await page.evaluate(() => globalThis.zqmPlayer.status().problems)));
  }
  return { page, errors };
}

/** Clicks the Play button as a viewer would. */
export async function clickPlay(page) {
  await page.click('button[aria-label="Play"]');
}

/**
 * Memory of Chromium and all its child processes, in bytes: the sum of their
 * proportional set sizes (/proc/PID/smaps_rollup), so that pages the
 * processes share are counted once, not once per process.
 */
export function browserMemory(browser) {
  const root = browser.process().pid;
  const children = new Map();
  for (const entry of readdirSync('/proc')) {
    if (!/^\d+$/.test(entry)) continue;
    try {
      const stat = readFileSync(`/proc/${entry}/stat`, 'utf8');
      const ppid = Number(stat.slice(stat.lastIndexOf(')') + 2).split(' ')[1]);
      if (!children.has(ppid)) children.set(ppid, []);
      children.get(ppid).push(Number(entry));
    } catch (e) {
      // Gone meanwhile.
    }
  }
  let total = 0;
  const visit = (pid) => {
    try {
      const m = /^Pss:\s+(\d+) kB/m.exec(readFileSync(`/proc/${pid}/smaps_rollup`, 'utf8'));
      if (m) total += Number(m[1]) * 1024;
    } catch (e) {
      return;
    }
    for (const c of children.get(pid) || []) visit(c);
  };
  visit(root);
  return total;
}

/** Fails with `message` (and the facts) unless `ok`. */
export function check(ok, message, facts) {
  if (!ok) throw new Error(message + (facts === undefined ? '' : '\n' + JSON.stringify(facts)));
}

export function tempDir() {
  const d = mkdtempSync(join(tmpdir(), 'zq48-web-'));
  return { path: d, remove: () => rmSync(d, { recursive: true, force: true }) };
}
