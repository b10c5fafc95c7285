// The browser build's figures, beside the native ones of the same work on this machine:
// - page load to the first frame of ?t=120&still=1 (best and median of 5);
// - the whole production rendered offline in the page (every frame of 0 to 245 s at 60 fps, the
//   frames zembravale-capture writes, without writing them) against the native renderer doing the
//   same in the whole-production benchmark;
// - 60 s of playback in part two: the worst and mean gap between presented frames, and how many
//   gaps are over 33 ms;
// - the size of the site folder.
// Wall-clock figures: run it on a quiet machine.
import { execFileSync } from 'node:child_process';
import { readdirSync, statSync } from 'node:fs';
import { join } from 'node:path';
import { launchBrowser, nativeBuild, openPage, settled, site, startServer } from './support.mjs';

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.floor(sorted.length / 2)];
}

function folderBytes(dir) {
  return readdirSync(dir).reduce((sum, name) => {
    const path = join(dir, name);
    const stat = statSync(path);
    return sum + (stat.isDirectory() ? folderBytes(path) : stat.size);
  }, 0);
}

const server = await startServer(site);
const browser = await launchBrowser();
try {
  const loads = [];
  for (let i = 0; i < 5; ++i) {
    const started = performance.now();
    const { page } = await openPage(browser, `${server.url}?t=120&still=1`);
    await settled(page);
    loads.push(performance.now() - started);
    await page.close();
  }
  console.log(`page load to the first frame of ?t=120&still=1: best ${Math.min(...loads).toFixed(0)} ms, ` +
    `median ${median(loads).toFixed(0)} ms (target under 3000 ms)`);

  const { page } = await openPage(browser, server.url);
  await settled(page);
  const webMs = await page.evaluate(() => window.zembravale.renderRange(0, 245, 60));
  console.log(`whole production offline in the page: ${(webMs / 1000).toFixed(2)} s for 14,700 frames ` +
    `(${(webMs / 14700).toFixed(2)} ms a frame)`);
  const bench = join(nativeBuild, 'zembravale-bench');
  try {
    const out = execFileSync(bench, ['--benchmark_filter=BM_WholeProduction'], { encoding: 'utf8', stdio: ['ignore', 'pipe', 'ignore'] });
    const row = out.match(/^whole production\s+(\d+)\s+([\d.]+)/m);
    if (row) {
      const nativeMs = (Number(row[1]) * Number(row[2])) / 1000;
      console.log(`native, the same frames (zembravale-bench, thread CPU time): ${(nativeMs / 1000).toFixed(2)} s: ` +
        `the page takes ${(webMs / nativeMs).toFixed(2)} x (target at most 2 x)`);
    } else {
      console.log('native benchmark printed no whole-production row');
    }
  } catch (e) {
    console.log(`native benchmark not run (${bench}: ${e.message.split('\n')[0]})`);
  }

  await page.goto(`${server.url}?t=150`);
  await settled(page);
  await page.click('#start');
  await page.waitForFunction(() => window.zembravale.musicTime() >= 210, null, { timeout: 120000, polling: 500 });
  const play = await page.evaluate(() => ({ gaps: window.zembravale.frameGaps, rafs: window.zembravale.animationFrames, presented: window.zembravale.presented }));
  await page.keyboard.press('Escape');
  const gaps = play.gaps.slice(5);
  const mean = gaps.reduce((a, b) => a + b, 0) / gaps.length;
  console.log(`playback of part two, 150 to 210 s: ${play.presented} frames on ${play.rafs} animation frames, ` +
    `mean gap ${mean.toFixed(2)} ms (${(1000 / mean).toFixed(1)} fps), worst ${Math.max(...gaps).toFixed(1)} ms, ` +
    `${gaps.filter((g) => g > 33).length} over 33 ms`);
  await page.close();
} finally {
  await browser.close();
  await server.close();
}
console.log(`site folder: ${(folderBytes(site) / 1e6).toFixed(1)} MB (target under 25 MB)`);
