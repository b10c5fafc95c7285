// The browser build in Debian's headless Chromium: its frames against the native capture tool's,
// byte for byte; a run with music started by a click; and the pages shown for a bad archive.
import { after, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { PNG } from 'pngjs';
import { launchBrowser, nativeBuild, openPage, settled, site, startServer } from './support.mjs';

const archive = join(site, 'tarnos.zip');
const capture = join(nativeBuild, 'zembravale-capture');

// Moments across the intro (to 15.36 s), part one (to 84.48 s), part two (to 243.84 s) and the
// last second; some fall between two frames, where the later frame is shown.
const moments = [0, 0.5, 3.01, 7.25, 12.5, 16, 22.5, 30, 41.7, 55, 66.66, 78.9, 85, 95.5, 110, 120, 133.3,
  150, 166.6, 180, 199.9, 215, 230, 243, 244.5];
// These are loaded as ?t=T&still=1 pages; the others are sought to in one page.
const stillPages = [3.01, 120, 230];

const fixtures = mkdtempSync(join(tmpdir(), 'zembravale-web-'));
let server;
let browser;

function captureName(seconds) {
  return 't' + String(Math.round(seconds * 1000)).padStart(7, '0') + '.png';
}

function pngRgb(file) {
  const png = PNG.sync.read(readFileSync(file));
  assert.equal(png.width, 640);
  assert.equal(png.height, 480);
  const rgb = Buffer.alloc(640 * 480 * 3);
  for (let i = 0; i < 640 * 480; ++i) {
    rgb[3 * i] = png.data[4 * i];
    rgb[3 * i + 1] = png.data[4 * i + 1];
    rgb[3 * i + 2] = png.data[4 * i + 2];
  }
  return rgb;
}

// The differing pixels, for a message that says where to look.
function describeDifference(actual, expected) {
  let count = 0;
  let first = -1;
  for (let i = 0; i < actual.length; i += 3) {
    if (actual[i] !== expected[i] || actual[i + 1] !== expected[i + 1] || actual[i + 2] !== expected[i + 2]) {
      if (first < 0) first = i / 3;
      ++count;
    }
  }
  if (count === 0) return 'no difference';
  const x = first % 640;
  const y = Math.floor(first / 640);
  const at = (b) => [b[3 * first], b[3 * first + 1], b[3 * first + 2]].join(',');
  return `${count} pixels differ; the first at (${x}, ${y}): page ${at(actual)}, capture ${at(expected)}`;
}

async function canvasRgb(page) {
  return Buffer.from(await page.evaluate(() => window.zembravale.canvasRgb()), 'base64');
}

// A copy of the archive without the music, by Python's zipfile (members stay as they were).
function writeArchiveWithoutMusic(to) {
  execFileSync('python3', ['-c', `
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as src, zipfile.ZipFile(sys.argv[2], 'w') as dst:
    for info in src.infolist():
        if not info.filename.lower().endswith('.mp3'):
            dst.writestr(info, src.read(info.filename))
`, archive, to]);
}

before(async () => {
  execFileSync(capture, ['--archive', archive, '--out', fixtures, '--at', ...moments.map(String)], { stdio: 'inherit' });
  const bytes = readFileSync(archive);
  // The front half of a real archive: its central directory is gone.
  writeFileSync(join(fixtures, 'cut.zip'), bytes.subarray(0, bytes.length >> 1));
  writeFileSync(join(fixtures, 'garbage.zip'), Buffer.from('this is no zip archive\n'.repeat(64)));
  writeArchiveWithoutMusic(join(fixtures, 'nomusic.zip'));
  server = await startServer(site, { '/fixtures/': fixtures });
  browser = await launchBrowser();
});

after(async () => {
  if (browser) await browser.close();
  if (server) await server.close();
  rmSync(fixtures, { recursive: true, force: true });
});

describe('frames', () => {
  test('a page sought to each moment shows the frame zembravale-capture --at writes', async () => {
    const { page, log } = await openPage(browser, server.url);
    assert.equal(await settled(page), 'idle');
    const wrong = [];
    for (const t of moments.filter((m) => !stillPages.includes(m))) {
      await page.evaluate((seconds) => window.zembravale.seek(seconds), t);
      const difference = describeDifference(await canvasRgb(page), pngRgb(join(fixtures, captureName(t))));
      if (difference !== 'no difference') wrong.push(`${t} s: ${difference}`);
    }
    assert.deepEqual(wrong, []);
    assert.deepEqual(log.errors, []);
    await page.close();
  });

  test('a still page shows only that frame, at the top-left corner', async () => {
    for (const t of stillPages) {
      const { page, log } = await openPage(browser, `${server.url}?t=${t}&still=1`);
      assert.equal(await settled(page), 'still');
      const expected = pngRgb(join(fixtures, captureName(t)));
      assert.equal(describeDifference(await canvasRgb(page), expected), 'no difference', `${t} s`);
      const layout = await page.evaluate(() => {
        const box = document.getElementById('screen').getBoundingClientRect();
        return { x: box.x, y: box.y, w: box.width, h: box.height, panel: getComputedStyle(document.getElementById('panel')).display };
      });
      assert.deepEqual(layout, { x: 0, y: 0, w: 640, h: 480, panel: 'none' });
      // What the page shows is what the program drew: the screenshot of the canvas equals it too.
      const shot = PNG.sync.read(await page.screenshot({ clip: { x: 0, y: 0, width: 640, height: 480 } }));
      let same = 0;
      for (let i = 0; i < 640 * 480; ++i) {
        if (shot.data[4 * i] === expected[3 * i] && shot.data[4 * i + 1] === expected[3 * i + 1] &&
            shot.data[4 * i + 2] === expected[3 * i + 2]) ++same;
      }
      assert.equal(same, 640 * 480, `${t} s: the screenshot differs from the canvas in ${640 * 480 - same} pixels`);
      assert.deepEqual(log.errors, []);
      await page.close();
    }
  });
});

describe('playback', () => {
  test('a click plays the music and the picture follows its clock; Escape stops cleanly', async () => {
    const { page, log } = await openPage(browser, `${server.url}?t=100`);
    assert.equal(await settled(page), 'idle');
    await page.click('#start');
    await page.waitForFunction(() => window.zembravale.state === 'playing' && window.zembravale.presented > 10, null, { timeout: 20000 });
    const first = await page.evaluate(() => ({ music: window.zembravale.musicTime(), audio: window.zembravale.audioTime() }));
    assert.ok(first.music >= 100 && first.music < 102, `starts at 100 s, not ${first.music}`);
    await page.waitForFunction((from) => window.zembravale.musicTime() >= from + 10, first.music, { timeout: 30000, polling: 100 });
    const last = await page.evaluate(() => ({
      music: window.zembravale.musicTime(),
      audio: window.zembravale.audioTime(),
      presented: window.zembravale.presented,
      animationFrames: window.zembravale.animationFrames,
    }));
    // The music clock runs with the audio context's, not with the page's own.
    const musicRan = last.music - first.music;
    const audioRan = last.audio - first.audio;
    assert.ok(Math.abs(musicRan - audioRan) < 0.25, `music ran ${musicRan} s while the audio ran ${audioRan} s`);
    assert.ok(last.presented >= 0.8 * last.animationFrames,
      `${last.presented} frames presented on ${last.animationFrames} animation frames`);
    const picture = await canvasRgb(page);
    assert.ok(picture.some((b) => b !== 0), 'the picture is not black');
    await page.keyboard.press('Escape');
    await page.waitForFunction(() => window.zembravale.state === 'idle', null, { timeout: 5000 });
    const afterStop = await page.evaluate(() => window.zembravale.presented);
    await page.waitForTimeout(300);
    assert.equal(await page.evaluate(() => window.zembravale.presented), afterStop, 'frames go on after Escape');
    assert.equal(await page.isVisible('#start'), true);
    assert.deepEqual(log.errors, []);
    assert.deepEqual(log.consoleErrors, []);
    await page.close();
  });
});

describe('bad archives', () => {
  const cases = [
    { name: 'missing', archive: 'fixtures/none.zip', boxes: ["[DoFileLengthInDataFileLookup] Can't open Datafile!!!", "[LoadFileFromDataFile] Can't open Zipfile!!!"], fetch: true },
    { name: 'cut in half', archive: 'fixtures/cut.zip', boxes: ["[DoFileLengthInDataFileLookup] Can't open Datafile!!!"] },
    { name: 'not a zip', archive: 'fixtures/garbage.zip', boxes: ["[LoadFileFromDataFile] Can't open Zipfile!!!"] },
    { name: 'without music', archive: 'fixtures/nomusic.zip', boxes: ['[FLoadFile] Couldn\'t load file: rorozuzorozori.mp3.'] },
  ];
  for (const c of cases) {
    test(`an archive ${c.name} ends in the message boxes' texts on the page`, async () => {
      const { page, log } = await openPage(browser, `${server.url}?archive=${c.archive}`);
      assert.equal(await settled(page), 'error');
      const shown = await page.evaluate(() => ({
        status: document.getElementById('status').textContent,
        boxes: document.getElementById('boxes').textContent,
        visible: getComputedStyle(document.getElementById('panel')).display !== 'none',
      }));
      assert.ok(shown.visible);
      assert.match(shown.status, /The production cannot start: Couldn't load mp3/);
      if (c.fetch) assert.match(shown.status, /HTTP 404/);
      for (const box of c.boxes) assert.ok(shown.boxes.includes(box), `${box} in\n${shown.boxes}`);
      assert.ok(shown.boxes.includes('[BassPlayer Error] Couldn\'t load mp3'), shown.boxes);
      assert.deepEqual(log.errors, []);
      // The one console error allowed is the browser's own line about the missing file.
      assert.deepEqual(log.consoleErrors.filter((e) => !/404/.test(e)), []);
      await page.close();
    });
  }

  const browsers = [
    { name: 'WebAssembly', init: () => { delete window.WebAssembly; }, text: /cannot run WebAssembly/ },
    { name: 'Web Audio', init: () => { delete window.AudioContext; delete window.webkitAudioContext; }, text: /no Web Audio/ },
  ];
  for (const b of browsers) {
    test(`a browser without ${b.name} is told so on the page`, async () => {
      const { page, log } = await openPage(browser, server.url, b.init);
      assert.equal(await settled(page), 'error');
      assert.match(await page.textContent('#status'), b.text);
      assert.equal(await page.isVisible('#start'), false);
      assert.deepEqual(log.errors, []);
      await page.close();
    });
  }
});
