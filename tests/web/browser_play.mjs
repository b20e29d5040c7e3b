// node browser_play.mjs SCENARIO DIR PAGE [--seconds S] [--screenshot FILE]
//
// Serves DIR on 127.0.0.1, opens PAGE in headless Chromium (puppeteer-core)
// and plays it as the scenario says. Prints "name value" lines for the C++
// test to read (pictures as "picture INDEX FINGERPRINT VARIANT", samples as
// "sample AT CLOCK VIDEOTIME STATE"), and exits 1 with "error MESSAGE" when a
// check made here fails. Scenarios:
//   play        click Play, watch for S seconds
//   seek-paused play a little, pause, seek: the new picture is shown, still paused
//   sound-only  play a film without pictures to its end
//   throttle    start on the top rung over a link throttled below it: a switch
//               down without a frozen picture, and back up once the link is free
//   memory      play a long film at 32 times its pace, measuring the browser's memory
//   phone       an emulated phone: the film spans the width, a tap plays it
//   a11y        the accessibility tree names the controls
import { browserMemory, check, clickPlay, launch, openPlayer, serve, sleep } from './browser_harness.mjs';
import { KnownDevices } from 'puppeteer-core';

const args = process.argv.slice(2);
const option = (name, fallback) => {
  const i = args.indexOf(name);
  if (i < 0) return fallback;
  const v = args[i + 1];
  args.splice(i, 2);
  return v;
};
const seconds = Number(option('--seconds', '5'));
const screenshot = option('--screenshot', null);
const query = option('--query', '');
const [scenario, dir, pageName] = args;
const out = [];
const say = (name, value) => out.push(name + ' ' + String(value).replace(/\s+/g, ' '));

const status = (page) => page.evaluate(() => {
  const p = globalThis.zqmPlayer;
  const s = p.status();
  return { ...s, currentTime: p.currentTime, videoTime: p.videoTime, paused: p.paused, ended: p.ended,
    duration: p.duration, variant: p.currentVariant, dropped: p.droppedPictures, readyState: p.readyState };
});

/** Samples the player every `every` ms for `ms`; `during(sample)` may act on each. */
async function watch(page, ms, every = 250, during = async () => {}) {
  const samples = [];
  const started = Date.now();
  while (Date.now() - started < ms) {
    await sleep(every);
    const s = await status(page);
    s.at = (Date.now() - started) / 1000;
    samples.push(s);
    say('sample', `${s.at} ${s.currentTime} ${s.videoTime} ${s.state} ${s.variant}`);
    if (await during(s)) break;
  }
  return samples;
}

function report(s) {
  for (const k of ['state', 'phase', 'variant', 'clockSource', 'soundContext', 'currentTime', 'videoTime', 'duration',
    'picturesDrawn', 'dropped', 'paused', 'ended']) say(k, s[k]);
  for (const p of s.problems) say('problem', p);
  for (const [index, fp, variant] of s.fingerprints) say('picture', `${index} ${fp} ${variant}`);
}

const scenarios = {
  async play(page) {
    await clickPlay(page);
    await watch(page, seconds * 1000);
    const s = await status(page);
    report(s);
    if (screenshot) await page.screenshot({ path: screenshot });
  },

  async 'seek-paused'(page) {
    await clickPlay(page);
    await sleep(1500);
    await page.click('button[aria-label="Pause"]');
    const seeked = page.evaluate(() => new Promise((r) => document.getElementById('zqmPlayer')
      .addEventListener('seeked', () => r(true), { once: true })));
    await page.evaluate(() => { globalThis.zqmPlayer.currentTime = 3; });
    await Promise.race([seeked, sleep(5000)]);
    await sleep(200);
    const s = await status(page);
    report(s);
    check(s.paused && s.state === 'paused', 'still paused after the seek', s.state);
    check(Math.abs(s.videoTime - 3) < 0.07, 'the picture at 3 s is shown while paused, not ' + s.videoTime);
    check(Math.abs(s.currentTime - 3) < 1e-6, 'the clock stands at 3 s, not ' + s.currentTime);
  },

  async 'sound-only'(page) {
    const ended = page.evaluate(() => new Promise((r) => document.getElementById('zqmPlayer')
      .addEventListener('ended', () => r(true), { once: true })));
    await clickPlay(page);
    const d = await page.evaluate(() => globalThis.zqmPlayer.duration);
    await sleep(1000);
    const playing = await status(page);
    check(playing.clockSource === 'sound', 'the sound is the clock while it plays', playing.clockSource);
    const finished = await Promise.race([ended, sleep((d + 5) * 1000).then(() => false)]);
    const s = await status(page);
    report(s);
    check(finished && s.ended, 'the sound-only film plays to its end', s);
    check(s.currentTime >= d - 0.3, 'played ' + s.currentTime + ' of ' + d + ' s');
  },

  async throttle(page) {
    const top = await page.evaluate(() => globalThis.zqmPlayer.currentVariant);
    const rates = await page.evaluate(() => globalThis.zqmPlayer.variants.map((v) => v.videoBps + v.audioBps));
    const limit = Number(option('--limit', '0')) || Math.round(Math.max(...rates) * 0.5);
    const cdp = await page.createCDPSession();
    await cdp.send('Network.enable');
    await cdp.send('Network.emulateNetworkConditions', { offline: false, latency: 20, downloadThroughput: limit / 8,
      uploadThroughput: 1e6 });
    await clickPlay(page);
    let lastChange = null;
    let lastVideo = -1;
    let worstFreeze = 0;
    const freezeWatch = (s) => {
      if (s.videoTime !== lastVideo) {
        lastVideo = s.videoTime;
        lastChange = s.at;
      } else if (s.state === 'playing' && lastChange !== null) {
        worstFreeze = Math.max(worstFreeze, s.at - lastChange);
      }
      if (s.state !== 'playing') lastChange = s.at;
    };
    const down = await watch(page, 40000, 100, async (s) => {
      freezeWatch(s);
      return s.variant !== top && s.fingerprints.some((f) => f[2] !== top);
    });
    const switchedDown = down[down.length - 1].variant !== top;
    say('switched_down_at', down[down.length - 1].at);
    await sleep(2000);  // the pictures of the leaner stream show
    await watch(page, 1000, 100, async (s) => { freezeWatch(s); });
    await cdp.send('Network.emulateNetworkConditions', { offline: false, latency: 0, downloadThroughput: -1,
      uploadThroughput: -1 });
    const up = await watch(page, 30000, 250, async (s) => { freezeWatch(s); return s.variant === top; });
    const s = await status(page);
    report(s);
    say('worst_freeze', worstFreeze);
    check(switchedDown, 'the player switched down from variant ' + top + ' over a link of ' + limit + ' bps');
    check(worstFreeze <= 1.5, 'the picture froze for ' + worstFreeze + ' s while playing');
    check(up[up.length - 1].variant === top, 'back on the top rung within 30 s of the link being free');
  },

  async memory(page, browser) {
    // What the page holds, not garbage the collector has yet to take: each
    // reading follows a full collection.
    const cdp = await page.createCDPSession();
    const held = async () => {
      await cdp.send('HeapProfiler.collectGarbage');
      return browserMemory(browser);
    };
    await cdp.send('HeapProfiler.enable');
    await page.evaluate(() => { globalThis.zqmPlayer.playbackRate = 32; });
    await clickPlay(page);
    // The measure starts once playing is under way (the decoder's worker, the
    // sound's context and output are made then, whatever the film's length):
    // what grows after that grows with the film.
    await sleep(2000);
    const before = await held();
    let peak = before;
    const d = await page.evaluate(() => globalThis.zqmPlayer.duration);
    await watch(page, (d / 32 + 15) * 1000, 1000, async (s) => {
      peak = Math.max(peak, await held());
      return s.ended;
    });
    const s = await status(page);
    say('memory_before', before);
    say('memory_peak', peak);
    say('state', s.state);
    say('current_time', s.currentTime);
    check(s.ended || s.currentTime > d - 5, 'the film played to its end, not to ' + s.currentTime);
    check(peak - before < 200 * 1024 * 1024, 'the browser grew by ' + ((peak - before) / 1048576).toFixed(0) + ' MB');
  },

  async phone(page) {
    const widths = await page.evaluate(() => ({
      film: document.getElementById('zqmPlayer').getBoundingClientRect().width,
      window: window.innerWidth,
    }));
    say('film_width', widths.film);
    say('window_width', widths.window);
    check(widths.window <= 400, 'the page is laid out at the phone\'s width, not ' + widths.window);
    check(widths.film >= widths.window - 1, 'the film spans the width');
    await page.tap('#zqmPlayer');
    await sleep(2000);
    const s = await status(page);
    report(s);
    check(!s.paused && s.picturesDrawn > 0, 'a tap plays the film', s.state);
  },

  async a11y(page) {
    const tree = await page.accessibility.snapshot({ interestingOnly: true });
    const nodes = [];
    const walk = (n) => {
      nodes.push({ role: n.role, name: n.name });
      for (const c of n.children || []) walk(c);
    };
    walk(tree);
    for (const n of nodes) say('node', n.role + ' ' + n.name);
    for (const name of ['Play', 'Mute', 'Full screen']) {
      check(nodes.some((n) => n.role === 'button' && n.name === name), 'a button named ' + name);
    }
    check(nodes.some((n) => n.role === 'slider' && n.name === 'Position'), 'a slider named Position');
    check(nodes.some((n) => n.role === 'slider' && n.name === 'Volume'), 'a slider named Volume');
    await page.focus('#zqmPlayer');
    await page.keyboard.press('Space');
    await sleep(800);
    const s = await status(page);
    check(!s.paused, 'Space plays');
    const ring = await page.evaluate(() => getComputedStyle(document.querySelector('button[aria-label="Pause"]'),
      null).outlineStyle);
    say('outline', ring);
  },
};

async function main() {
  const server = await serve(dir, { ignoreRange: query.includes('norange') });
  const chromium = await launch();
  let failure = null;
  try {
    const emulate = scenario === 'phone' ? KnownDevices['iPhone 13'] : null;
    const { page, errors } = await openPlayer(chromium.browser, server.url(encodeURIComponent(pageName))
      + (query ? '?' + query : ''), { emulate, viewport: { width: 800, height: 600 } });
    await scenarios[scenario](page, chromium.browser);
    for (const e of errors) say('console_error', e);
    check(errors.length === 0, 'the page logged errors', errors);
  } catch (e) {
    failure = e;
  } finally {
    await chromium.close();
    server.close();
  }
  say('served', JSON.stringify(server.served));
  if (failure) say('error', failure.message);
  process.stdout.write(out.join('\n') + '\n');
  process.exit(failure ? 1 : 0);
}

main();
