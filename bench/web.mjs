// Size and start-up of the web build: every file of the site raw and
// gzip-compressed as a server would send it, then RUNS fresh loads in
// headless Chromium (page to start screen, the player's click to the first
// frame shown) and the frame rate over ten seconds of play.
//
//   node bench/web.mjs SITE [RUNS]
import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';
import { launch, serve, waitReady } from '../tests/web/browser.mjs';

const root = process.argv[2] ?? 'build-web/site';
const runs = Number(process.argv[3] ?? 7);
const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];

let raw = 0;
let gz = 0;
console.log('| file | bytes | gzip -9 bytes |\n|---|---|---|');
for (const name of fs.readdirSync(root).sort()) {
  const body = fs.readFileSync(path.join(root, name));
  const packed = zlib.gzipSync(body, { level: 9 }).length;
  raw += body.length;
  gz += packed;
  console.log(`| ${name} | ${body.length} | ${packed} |`);
}
console.log(`| whole site | ${raw} | ${gz} (${(gz / 1024).toFixed(1)} KiB) |\n`);

const site = await serve(path.resolve(root));
const chromium = await launch();
const ready = [];
const first = [];
const total = [];
let fps = 0;
for (let i = 0; i < runs; i++) {
  // A fresh context each time: nothing cached from the run before.
  const context = await chromium.browser.createBrowserContext();
  const page = await context.newPage();
  await page.setViewport({ width: 1024, height: 768 });
  await page.goto(site.url);
  await waitReady(page);
  const t = await page.evaluate(() => performance.now());
  await page.mouse.click(500, 300);
  const shown = await page.waitForFunction(
    () => (quondelFrames() > 0 ? performance.now() : 0), { polling: 1 });
  const f = await shown.jsonValue();
  ready.push(t);
  first.push(f - t);
  total.push(f);
  if (i === runs - 1) {
    await new Promise((r) => setTimeout(r, 1000));
    const a = await page.evaluate(() => [quondelFrames(), performance.now()]);
    await new Promise((r) => setTimeout(r, 10000));
    const b = await page.evaluate(() => [quondelFrames(), performance.now()]);
    fps = ((b[0] - a[0]) * 1000) / (b[1] - a[1]);
  }
  await context.close();
}
await chromium.close();
site.server.close();
const ms = (xs) => `${median(xs).toFixed(0)} (${Math.min(...xs).toFixed(0)} to ${Math.max(...xs).toFixed(0)})`;
console.log(`| over ${runs} loads, ms: median (range) | |\n|---|---|`);
console.log(`| page start to start screen ready | ${ms(ready)} |`);
console.log(`| click to first frame shown | ${ms(first)} |`);
console.log(`| page start to first frame, clicking at once | ${ms(total)} |`);
console.log(`\nframes per second over ten seconds of play: ${fps.toFixed(2)}`);
