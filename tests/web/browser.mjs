// What the browser test and the web benchmark share: a plain static file
// server on 127.0.0.1, as any web host would be, and the system's Chromium.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import http from 'node:http';
import { createRequire } from 'node:module';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';
import puppeteer from 'puppeteer-core';

const types = {
  '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.png': 'image/png',
  '.webmanifest': 'application/manifest+json',
};

// Serves root until closed; resolves to { server, url }. With gzip, every
// file goes compressed to a browser that takes it, as real hosts send it.
export function serve(root, { gzip = false } = {}) {
  const server = http.createServer((req, res) => {
    const name = new URL(req.url, 'http://x').pathname.replace(/\/$/, '/index.html');
    fs.readFile(path.join(root, path.normalize(name)), (err, body) => {
      const headers = { 'Content-Type': types[path.extname(name)] ?? 'application/octet-stream' };
      if (!err && gzip && /\bgzip\b/.test(req.headers['accept-encoding'] ?? '')) {
        body = zlib.gzipSync(body);
        headers['Content-Encoding'] = 'gzip';
      }
      res.writeHead(err ? 404 : 200, headers);
      res.end(err ? '' : body);
    });
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => {
    resolve({ server, url: `http://127.0.0.1:${server.address().port}/` });
  }));
}

// Headless Chromium ($CHROMIUM, else Debian's) with a fresh profile that
// close() removes. The network is closed and there is no GPU: nothing to
// reach out to, and WebGL on Chromium's software rasteriser, or with
// webgl false none at all, as a hardened browser or a blocklisted
// graphics driver leaves a page.
export async function launch({ webgl = true } = {}) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'quondel-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
    headless: true,
    userDataDir: profile,
    args: ['--no-sandbox', '--disable-gpu', '--enable-unsafe-swiftshader', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
      ...(webgl ? [] : ['--disable-webgl', '--disable-3d-apis'])],
  });
  return {
    browser,
    close: async () => {
      await browser.close();
      fs.rmSync(profile, { recursive: true, force: true });
    },
  };
}

// Resolves once the start screen invites the player in.
export function waitReady(page) {
  return page.waitForFunction(() => document.body.dataset.phase === 'ready', { timeout: 20000 });
}

// axe-core's checks on the page as it is now (every rule it runs by
// default, the WCAG ones and its best practices): fails with each broken
// rule and the elements that break it.
const axeSource = fs.readFileSync(createRequire(import.meta.url).resolve('axe-core/axe.min.js'), 'utf8');
export async function assertAccessible(page, when) {
  if (!(await page.evaluate(() => 'axe' in window))) await page.evaluate(axeSource);
  const found = await page.evaluate(async () => (await axe.run(document)).violations.map(
    (v) => `${v.id} (${v.nodes.map((n) => n.target.join(' ')).join(', ')})`));
  assert.deepEqual(found, [], `axe-core ${when}`);
}

export const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// Polls check() every 100 ms until it returns { ok: true, ... }; fails
// with the last answer after the given seconds.
export async function until(what, seconds, check) {
  const end = Date.now() + seconds * 1000;
  let last;
  while (Date.now() < end) {
    last = await check();
    if (last.ok) return last;
    await sleep(100);
  }
  throw new Error(`${what}: ${JSON.stringify(last)}`);
}

// A fresh page with the given viewport, collecting every console error,
// uncaught exception and failed request.
export async function open(browser, url, viewport = { width: 1024, height: 768 }) {
  const page = await browser.newPage();
  await page.setViewport(viewport);
  const errors = [];
  page.on('console', (m) => { if (m.type() === 'error') errors.push(m.text()); });
  page.on('pageerror', (e) => errors.push(e.message));
  page.on('requestfailed', (r) => errors.push(`${r.url()}: ${r.failure()?.errorText}`));
  await page.goto(url);
  return { page, errors };
}

// An element's box as the page lays it out, in CSS pixels, with its
// centre. The prototype's own measure: the page may give SDL another one.
export const box = (page, selector) => page.$eval(selector, (e) => {
  const r = Element.prototype.getBoundingClientRect.call(e);
  return { x: r.x, y: r.y, width: r.width, height: r.height, cx: r.x + r.width / 2, cy: r.y + r.height / 2 };
});

// The held red over the whole canvas; resolves to the picture's scale in
// device pixels, from the size of the red (341 x 256 per unit of scale),
// after checking it is centred in the canvas to a device pixel.
export async function redScale(page) {
  const clip = await box(page, '#canvas');
  const s = await until('the picture turning red', 10, async () => {
    const r = await shares(page, clip);
    return { ok: r.red > 0.2, ...r };
  });
  const scale = Math.round(s.redSize[1] / 256);
  assert.ok(Math.abs(s.redSize[0] - 341 * scale) <= 2 && Math.abs(s.redSize[1] - 256 * scale) <= 2,
    `red ${s.redSize} is not the 341 x 256 view at a whole scale`);
  const dpr = await page.evaluate(() => devicePixelRatio);
  const margins = [clip.width * dpr - s.redAt[0] - s.redSize[0] - s.redAt[0],
    clip.height * dpr - s.redAt[1] - s.redSize[1] - s.redAt[1]];
  assert.ok(margins.every((m) => Math.abs(m) <= 2), `red at ${s.redAt} is off the centre by ${margins} px`);
  return scale;
}

export const notRed = (page) => until('the red gone', 5, async () => {
  const r = await shares(page, await box(page, '#canvas'));
  return { ok: r.red < 0.05, red: r.red };
});

// Shares of a screenshot region's pixels that are the held red, and that
// are colours of the given list; with the bounding box of the red, in the
// screenshot's (device) pixels.
export async function shares(page, clip, colours = []) {
  const png = await page.screenshot({ clip, encoding: 'base64' });
  return page.evaluate(async (png, colours) => {
    const img = new Image();
    img.src = `data:image/png;base64,${png}`;
    await img.decode();
    const c = new OffscreenCanvas(img.width, img.height);
    const ctx = c.getContext('2d');
    ctx.drawImage(img, 0, 0);
    const px = ctx.getImageData(0, 0, img.width, img.height).data;
    const known = new Set(colours);
    let red = 0;
    let listed = 0;
    const box = [img.width, img.height, -1, -1];
    for (let i = 0; i < px.length; i += 4) {
      // The held intro clears to full red; its flicker adds at most 6.
      if (px[i] === 255 && px[i + 1] <= 6 && px[i + 2] <= 6) {
        red++;
        const x = (i / 4) % img.width;
        const y = Math.floor(i / 4 / img.width);
        box[0] = Math.min(box[0], x);
        box[1] = Math.min(box[1], y);
        box[2] = Math.max(box[2], x);
        box[3] = Math.max(box[3], y);
      }
      if (known.has((px[i] << 16) | (px[i + 1] << 8) | px[i + 2])) listed++;
    }
    const n = px.length / 4;
    return { red: red / n, listed: listed / n, redAt: [box[0], box[1]], redSize: [box[2] - box[0] + 1, box[3] - box[1] + 1] };
  }, png, colours);
}
