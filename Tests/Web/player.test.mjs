// The page as a player, on a phone (playwright-core's Pixel 7, touch on, in portrait and landscape)
// and on a desktop: the whole picture on every screen, taps and keys, pause, exact seeks, the wake
// lock, a hidden page, and loading that shows its progress and its failures.
import { after, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { devices } from 'playwright-core';
import { PNG } from 'pngjs';
import { launchBrowser, nativeBuild, openDevicePage, settled, site, startServer } from './support.mjs';

const phone = devices['Pixel 7'];
const phoneTurned = devices['Pixel 7 landscape'];
const desktop = { viewport: { width: 1280, height: 1000 } };
const archive = join(site, 'tarnos.zip');
const fixtures = mkdtempSync(join(tmpdir(), 'zembravale-player-'));
// Exact frame times, and one between two frames, as the scrubber and the keys reach them.
const moments = [0, 40, 45, 55, 66.66, 100];

// The archive's download misbehaves on request: 'break' sends half and drops the connection,
// 'stall' sends half and then nothing; 'whole' serves it as it is.
const download = { mode: 'whole' };
let server;
let browser;

function captureRgb(seconds) {
  const png = PNG.sync.read(readFileSync(join(fixtures, 't' + String(Math.round(seconds * 1000)).padStart(7, '0') + '.png')));
  const rgb = Buffer.alloc(640 * 480 * 3);
  for (let i = 0; i < 640 * 480; ++i) png.data.copy(rgb, 3 * i, 4 * i, 4 * i + 3);
  return rgb;
}

async function canvasRgb(page) {
  return Buffer.from(await page.evaluate(() => window.zembravale.canvasRgb()), 'base64');
}

const state = (page) => page.evaluate(() => window.zembravale.state);
const waitState = (page, wanted, timeout = 10000) =>
  page.waitForFunction((s) => window.zembravale.state === s, wanted, { timeout, polling: 50 });
const presentedMore = (page, than, timeout = 20000) =>
  page.waitForFunction((n) => window.zembravale.presented > n, than, { timeout, polling: 50 });
const presented = (page) => page.evaluate(() => window.zembravale.presented);

function serveArchive(path, request, response) {
  if (path !== '/tarnos.zip' || download.mode === 'whole') return false;
  const bytes = readFileSync(archive);
  response.writeHead(200, { 'Content-Type': 'application/zip', 'Content-Length': bytes.length, 'Cache-Control': 'no-store' });
  response.write(bytes.subarray(0, bytes.length >> 1), () => {
    if (download.mode === 'break') setTimeout(() => response.destroy(), 100);
  });
  return true;
}

// A stand-in for the screen wake lock (headless Chromium has none): it logs what the page asks.
function wakeLockStandIn() {
  window.wakeLog = [];
  const lock = {
    async request(type) {
      const sentinel = new EventTarget();
      sentinel.type = type;
      sentinel.released = false;
      sentinel.release = async () => {
        if (sentinel.released) return;
        sentinel.released = true;
        window.wakeLog.push('release');
        sentinel.dispatchEvent(new Event('release'));
      };
      window.wakeLog.push('request');
      return sentinel;
    },
  };
  Object.defineProperty(Navigator.prototype, 'wakeLock', { get: () => lock, configurable: true });
  // The first chunks of sound handed to WebAudio, channel by channel.
  window.handedAudio = [];
  const start = AudioBufferSourceNode.prototype.start;
  AudioBufferSourceNode.prototype.start = function (...args) {
    if (window.handedAudio.length < 2) {
      window.handedAudio.push([Float32Array.from(this.buffer.getChannelData(0)), Float32Array.from(this.buffer.getChannelData(1))]);
    }
    return start.apply(this, args);
  };
}

before(async () => {
  execFileSync(join(nativeBuild, 'zembravale-capture'), ['--archive', archive, '--out', fixtures, '--at', ...moments.map(String)], { stdio: 'inherit' });
  server = await startServer(site, {}, serveArchive);
  browser = await launchBrowser();
});

after(async () => {
  if (browser) await browser.close();
  if (server) await server.close();
  rmSync(fixtures, { recursive: true, force: true });
});

describe('the picture', () => {
  // The largest whole factor where 1x fits, else the largest 4:3 box; sharp wherever it is
  // enlarged in device pixels.
  const screens = [
    { name: 'a phone in portrait', options: { device: phone }, box: [412, 309], sharp: true },
    { name: 'a phone in landscape', options: { device: phoneTurned }, box: [480, 360], sharp: true },
    { name: 'a desktop', options: desktop, box: [1280, 960], sharp: true },
    { name: 'a wide window', options: { viewport: { width: 1600, height: 500 } }, box: [640, 480], sharp: true },
    { name: 'a small window', options: { viewport: { width: 600, height: 400 } }, box: [533, 400], sharp: false },
  ];
  const layout = (page) => page.evaluate(() => {
    const r = document.getElementById('screen').getBoundingClientRect();
    return { x: r.x, y: r.y, w: r.width, h: r.height, vw: innerWidth, vh: innerHeight,
      sharp: document.getElementById('screen').classList.contains('sharp') };
  });
  const check = (l, box, sharp, name) => {
    assert.ok(l.x >= 0 && l.y >= 0 && l.x + l.w <= l.vw + 0.01 && l.y + l.h <= l.vh + 0.01, `${name}: ${JSON.stringify(l)} leaves the view`);
    assert.ok(Math.abs(l.w * 3 - l.h * 4) <= 4, `${name}: ${l.w} x ${l.h} is not 4:3`);
    assert.deepEqual([l.w, l.h], box, name);
    assert.ok(Math.abs(l.x - (l.vw - l.w) / 2) <= 1 && Math.abs(l.y - (l.vh - l.h) / 2) <= 1, `${name}: not centred`);
    assert.equal(l.sharp, sharp, `${name}: sharp`);
  };

  test('the whole picture shows on every screen, centred, and re-fits when a phone turns', async () => {
    for (const s of screens) {
      const { page, close } = await openDevicePage(browser, server.url, s.options);
      check(await layout(page), s.box, s.sharp, s.name);
      if (s.options.device === phone) {
        await page.setViewportSize(phoneTurned.viewport);
        await page.waitForFunction(() => document.getElementById('screen').getBoundingClientRect().width === 480);
        check(await layout(page), [480, 360], true, 'the phone turned');
      }
      await close();
    }
  });
});

describe('on a phone', () => {
  test('a tap starts, shows the controls, pauses once, stops; the controls fade; no key hints', async () => {
    const { page, log, close } = await openDevicePage(browser, server.url + '?t=30', { device: phone, init: wakeLockStandIn });
    assert.equal(await settled(page), 'idle');
    const help = await page.textContent('#help');
    assert.match(help, /[Tt]ap/);
    assert.doesNotMatch(help, /Space|Escape|\bF\b/);
    await page.tap('#start');
    await waitState(page, 'playing');
    await presentedMore(page, 5);
    // Left alone, the controls fade after about 3 s; a tap on the picture brings them back.
    await page.waitForFunction(() => document.body.classList.contains('controls-faded'), null, { timeout: 6000 });
    await page.touchscreen.tap(200, 200);
    assert.equal(await page.evaluate(() => document.body.classList.contains('controls-faded')), false);
    assert.equal(await page.isVisible('#play'), true);
    await page.tap('#play');
    await page.waitForTimeout(400);
    assert.equal(await state(page), 'paused', 'one tap, one press');
    await page.tap('#play');
    await waitState(page, 'playing');
    await page.tap('#stop');
    await waitState(page, 'idle');
    assert.equal(await page.isEnabled('#start'), true);
    assert.deepEqual(log.errors, []);
    await close();
  });
});

describe('playing', () => {
  test('pause holds the music clock and the picture while the audio runs on, and play goes on from there', async () => {
    const { page, log, close } = await openDevicePage(browser, server.url + '?t=100', { ...desktop, init: wakeLockStandIn });
    assert.equal(await settled(page), 'idle');
    await page.click('#start');
    await waitState(page, 'playing');
    await presentedMore(page, 20);
    // The sound handed over is the track's, left and right each from its own channel.
    const sound = await page.evaluate(() => {
      const [left, right] = window.handedAudio[0];
      const track = window.zembravale.trackSamples(100 * 44100, left.length);
      let wrong = 0;
      let stereo = 0;
      for (let i = 0; i < left.length; ++i) {
        if (left[i] * 32768 !== track[2 * i] || right[i] * 32768 !== track[2 * i + 1]) ++wrong;
        if (track[2 * i] !== track[2 * i + 1]) ++stereo;
      }
      return { wrong, stereo };
    });
    assert.equal(sound.wrong, 0);
    assert.ok(sound.stereo > 1000, 'the music is stereo there');

    await page.keyboard.press('Space');
    await waitState(page, 'paused');
    const held = await page.evaluate(() => ({ clock: window.zembravale.musicClock(), audio: window.zembravale.audioTime(), presented: window.zembravale.presented }));
    const picture = await canvasRgb(page);
    await page.waitForTimeout(800);
    const later = await page.evaluate(() => ({ clock: window.zembravale.musicClock(), audio: window.zembravale.audioTime(), presented: window.zembravale.presented }));
    assert.equal(later.clock, held.clock, 'the music clock holds');
    assert.equal(later.presented, held.presented, 'no frame while paused');
    assert.ok(later.audio - held.audio > 0.5, `the audio context runs on (${later.audio - held.audio} s)`);
    assert.ok((await canvasRgb(page)).equals(picture), 'the picture holds');

    await page.keyboard.press('k');
    await waitState(page, 'playing');
    await presentedMore(page, later.presented + 3);
    const resumed = await page.evaluate(() => window.zembravale.musicTime());
    // From the sample heard when the pause came: the clock may show it to within one sample.
    assert.ok(resumed >= held.clock - 1 / 44100 && resumed < held.clock + 1, `went on at ${resumed} s after pausing at ${held.clock} s`);

    await page.keyboard.press('Escape');
    await waitState(page, 'idle');
    assert.equal(await page.isEnabled('#start'), true, 'Start is live again after a stop');
    assert.deepEqual(await page.evaluate(() => window.wakeLog), ['request', 'release', 'request', 'release']);
    assert.deepEqual(log.errors, []);
    assert.deepEqual(log.consoleErrors, []);
    await close();
  });

  test('seeks by scrubber and by key show the frames zembravale-capture --at renders', async () => {
    const { page, log, close } = await openDevicePage(browser, server.url, desktop);
    assert.equal(await settled(page), 'idle');
    await page.click('#start');
    await waitState(page, 'playing');
    await page.keyboard.press('Space');
    await waitState(page, 'paused');
    const seekBy = async (how, act, expected) => {
      await act();
      await page.waitForFunction((t) => Math.abs(window.zembravale.currentSeconds() - t) < 0.02, expected, { timeout: 20000 });
      assert.ok((await canvasRgb(page)).equals(captureRgb(expected)), `${how}: the frame of ${expected} s`);
    };
    const scrubTo = (seconds) => () => page.evaluate((value) => {
      const scrubber = document.getElementById('scrubber');
      scrubber.value = String(value);
      scrubber.dispatchEvent(new Event('input', { bubbles: true }));
      scrubber.dispatchEvent(new Event('change', { bubbles: true }));
    }, seconds);
    await seekBy('scrubber', scrubTo(66.66), 66.66);
    await seekBy('scrubber', scrubTo(40), 40);
    await seekBy('Right', () => page.keyboard.press('ArrowRight'), 45);
    await seekBy('L', () => page.keyboard.press('l'), 55);
    await seekBy('J', () => page.keyboard.press('j'), 45);
    await seekBy('Left', () => page.keyboard.press('ArrowLeft'), 40);
    await seekBy('Home', () => page.keyboard.press('Home'), 0);
    await seekBy('scrubber', scrubTo(100), 100);
    await seekBy('0', () => page.keyboard.press('0'), 0);
    assert.equal(await state(page), 'paused', 'a seek while paused stays paused');
    // While playing, a seek goes on playing from the new moment, with the music.
    await page.keyboard.press('l');
    await page.keyboard.press('K');
    await waitState(page, 'playing');
    await presentedMore(page, (await presented(page)) + 10);
    const t = await page.evaluate(() => window.zembravale.musicTime());
    assert.ok(t >= 10 && t < 12, `plays on from 10 s, at ${t}`);
    await page.keyboard.press('ArrowRight');
    await page.waitForFunction(() => window.zembravale.musicTime() >= 15, null, { timeout: 10000 });
    assert.equal(await state(page), 'playing');
    // The link to this moment names it.
    await page.keyboard.press('Space');
    await waitState(page, 'paused');
    await scrubTo(40)();
    await page.click('#link');
    await page.waitForFunction(() => window.zembravale.lastLink !== '');
    assert.match(await page.evaluate(() => window.zembravale.lastLink), /[?&]t=40\.00$/);
    assert.deepEqual(log.errors, []);
    await close();
  });

  test('F and the button give full screen; Escape leaves it first, then stops; a hidden page pauses', async () => {
    const { page, log, close } = await openDevicePage(browser, server.url + '?t=20', desktop);
    assert.equal(await settled(page), 'idle');
    await page.click('#start');
    await waitState(page, 'playing');
    const full = () => page.evaluate(() => document.fullscreenElement !== null);
    await page.keyboard.press('f');
    await page.waitForFunction(() => document.fullscreenElement !== null, null, { timeout: 5000 });
    await page.keyboard.press('Escape');
    await page.waitForFunction(() => document.fullscreenElement === null, null, { timeout: 5000 });
    assert.equal(await state(page), 'playing', 'the first Escape only leaves full screen');
    await page.click('#full');
    await page.waitForFunction(() => document.fullscreenElement !== null, null, { timeout: 5000 });
    await page.click('#full');
    await page.waitForFunction(() => document.fullscreenElement === null, null, { timeout: 5000 });
    assert.equal(await full(), false);

    // Another tab or app: paused, and still paused on return.
    const setHidden = (hidden) => page.evaluate((h) => {
      Object.defineProperty(document, 'hidden', { value: h, configurable: true });
      Object.defineProperty(document, 'visibilityState', { value: h ? 'hidden' : 'visible', configurable: true });
      document.dispatchEvent(new Event('visibilitychange'));
    }, hidden);
    await setHidden(true);
    assert.equal(await state(page), 'paused');
    await setHidden(false);
    await page.waitForTimeout(300);
    assert.equal(await state(page), 'paused');

    await page.keyboard.press('Escape');
    await waitState(page, 'idle');
    assert.equal(await page.isEnabled('#start'), true);
    assert.deepEqual(log.errors, []);
    await close();
  });
});

describe('loading', () => {
  test('under a slow network the bar shows at once and only grows', async () => {
    const context = await browser.newContext(desktop);
    const page = await context.newPage();
    const cdp = await context.newCDPSession(page);
    await cdp.send('Network.enable');
    // 40 Mbit/s with 100 ms of latency: the 16 MB archive takes about 3 s.
    await cdp.send('Network.emulateNetworkConditions', { offline: false, latency: 100, downloadThroughput: 5e6, uploadThroughput: 1e6 });
    await page.goto(server.url, { waitUntil: 'commit' });
    await page.waitForSelector('#progress', { state: 'visible', timeout: 500 });
    const seen = [];
    while ((await state(page).catch(() => 'loading')) === 'loading') {
      seen.push(await page.evaluate(() => (document.getElementById('progress').hasAttribute('value') ? document.getElementById('progress').value : -1)).catch(() => -1));
      await page.waitForTimeout(100);
    }
    assert.equal(await state(page), 'idle');
    const values = await page.evaluate(() => window.zembravale.progress);
    for (let i = 1; i < values.length; ++i) assert.ok(values[i] >= values[i - 1], `the bar went back from ${values[i - 1]} to ${values[i]}`);
    assert.equal(values[values.length - 1], 1);
    const polled = seen.filter((v) => v > 0 && v < 0.8);
    assert.ok(new Set(polled).size >= 5, `the bar moved while downloading: ${polled.join(' ')}`);
    for (let i = 1; i < polled.length; ++i) assert.ok(polled[i] >= polled[i - 1]);
    await context.close();
  });

  test('a download that breaks off or stalls ends in a message and Try again, which loads anew', async () => {
    for (const mode of ['break', 'stall']) {
      download.mode = mode;
      const { page, log, close } = await openDevicePage(browser, server.url, {
        ...desktop,
        init: () => { window.zembravaleSettings = { stallSeconds: 1 }; },
      });
      const opened = Date.now();
      assert.equal(await settled(page, 30000), 'error', mode);
      assert.match(await page.textContent('#status'), mode === 'break' ? /broke off after [\d.]+ of [\d.]+ MB/ : /stalled: no data came for 1 s/);
      // a second without data, after half the archive: the message comes well before a ten-fold wait
      if (mode === 'stall') assert.ok(Date.now() - opened < 8000, `stalled after ${Date.now() - opened} ms`);
      assert.equal(await page.isVisible('#retry'), true);
      assert.equal(await page.isVisible('#start'), false);
      download.mode = 'whole';
      await page.click('#retry');
      await page.waitForFunction(() => window.zembravale && window.zembravale.state === 'idle', null, { timeout: 30000 });
      assert.deepEqual(log.errors, []);
      await close();
    }
  });
});
