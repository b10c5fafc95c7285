// What the browser tests and the benchmark share: a static server on 127.0.0.1 for the built site
// (and a folder of test archives beside it), Debian's Chromium in headless mode, and a page whose
// console and errors are recorded.
import { createServer } from 'node:http';
import { createReadStream, existsSync, statSync } from 'node:fs';
import { extname, join, normalize, resolve } from 'node:path';
import { chromium } from 'playwright-core';

export const repo = resolve(new URL('../..', import.meta.url).pathname);
export const webBuild = resolve(process.env.WEB_BUILD || join(repo, 'build-web'));
export const nativeBuild = resolve(process.env.BUILD || join(repo, 'build'));
export const site = join(webBuild, 'site');

const types = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.wasm': 'application/wasm',
  '.zip': 'application/zip',
};

// Serves `root` at / and each of `mounts` ({ '/fixtures/': dir }) below its prefix; nothing else.
// `handle(path, request, response)`, when given, answers first: true when it did.
export async function startServer(root, mounts = {}, handle = null) {
  const server = createServer((request, response) => {
    const path = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
    if (handle !== null && handle(path, request, response)) return;
    let base = root;
    let rest = path;
    for (const [prefix, dir] of Object.entries(mounts)) {
      if (path.startsWith(prefix)) {
        base = dir;
        rest = path.slice(prefix.length - 1);
      }
    }
    const file = normalize(join(base, rest === '/' ? '/index.html' : rest));
    if (!file.startsWith(base) || !existsSync(file) || !statSync(file).isFile()) {
      response.writeHead(404, { 'Content-Type': 'text/plain' });
      response.end('not found');
      return;
    }
    response.writeHead(200, {
      'Content-Type': types[extname(file)] || 'application/octet-stream',
      'Content-Length': statSync(file).size,
      'Cache-Control': 'no-store',
    });
    createReadStream(file).pipe(response);
  });
  const sockets = new Set();
  server.on('connection', (socket) => {
    sockets.add(socket);
    socket.on('close', () => sockets.delete(socket));
  });
  await new Promise((done) => server.listen(0, '127.0.0.1', done));
  const { port } = server.address();
  return {
    url: `http://127.0.0.1:${port}/`,
    close: () => {
      for (const socket of sockets) socket.destroy();
      return new Promise((done) => server.close(done));
    },
  };
}

export const chromiumPath = process.env.CHROMIUM || '/usr/bin/chromium';

// Headless, with sound allowed without a gesture, and none of Chromium's own traffic (this machine
// has no network beyond its package mirrors).
export async function launchBrowser() {
  return chromium.launch({
    executablePath: chromiumPath,
    headless: true,
    args: [
      '--no-sandbox',
      '--disable-gpu',
      '--disable-quic',
      '--no-first-run',
      '--disable-background-networking',
      '--disable-component-update',
      '--disable-sync',
      '--autoplay-policy=no-user-gesture-required',
      '--disable-background-timer-throttling',
      '--disable-renderer-backgrounding',
    ],
  });
}

// A page at 1280 x 1000 that keeps what its console said and every uncaught error; `init` runs in
// the page before any of its scripts.
export async function openPage(browser, url, init) {
  const page = await browser.newPage({ viewport: { width: 1280, height: 1000 } });
  if (init) await page.addInitScript(init);
  const log = { errors: [], consoleErrors: [], messages: [] };
  page.on('pageerror', (error) => log.errors.push(String(error)));
  page.on('console', (message) => {
    log.messages.push(message.type() + ': ' + message.text());
    if (message.type() === 'error') log.consoleErrors.push(message.text());
  });
  await page.goto(url);
  return { page, log };
}

// A page in a context of its own: a device's descriptor from playwright-core (a phone's size,
// touch and pixel ratio) or a plain viewport; `init` runs in the page before any of its scripts.
export async function openDevicePage(browser, url, { device = {}, viewport, init, permissions } = {}) {
  const context = await browser.newContext({ ...device, ...(viewport ? { viewport } : {}), permissions });
  const page = await context.newPage();
  if (init) await page.addInitScript(init);
  const log = { errors: [], consoleErrors: [] };
  page.on('pageerror', (error) => log.errors.push(String(error)));
  page.on('console', (message) => {
    if (message.type() === 'error') log.consoleErrors.push(message.text());
  });
  await page.goto(url);
  return { page, log, close: () => context.close() };
}

// Waits until the page has left 'loading'; returns its state.
export async function settled(page, timeout = 60000) {
  await page.waitForFunction(() => window.zembravale && window.zembravale.state !== 'loading', null, {
    timeout,
    polling: 50,
  });
  return page.evaluate(() => window.zembravale.state);
}
