// Size and start-up of the web build: every file of the site raw and
// gzip-compressed as a server would send it, then RUNS fresh loads in
// headless Chromium on a desktop and on an emulated phone (3x density,
// touch), the phone also with the CPU slowed 4x: page to start screen,
// the player's click or tap to the game's frames on the screen (and in
// which part of the work), the frame rate over ten seconds of play and the
// page's main-thread time in them; each with WebGL and without it (the
// game then draws on a 2D canvas through SDL's software renderer).
//
//   node bench/web.mjs SITE [RUNS]
import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';
import { launch, serve, waitReady } from '../tests/web/browser.mjs';

const root = process.argv[2] ?? 'build-web/site';
const runs = Number(process.argv[3] ?? 5);
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
const browsers = { WebGL: await launch(), '2D canvas': await launch({ webgl: false }) };
const PHONE = { width: 390, height: 844, deviceScaleFactor: 3, isMobile: true, hasTouch: true };

// One fresh load (nothing cached from the run before): the start screen
// ready, then the player's click or tap to the first frame shown, with
// the CPU slowed by the given rate from the start screen on.
async function load(chromium, viewport, rate) {
  const context = await chromium.browser.createBrowserContext();
  const page = await context.newPage();
  await page.setViewport(viewport);
  await page.goto(site.url);
  await waitReady(page);
  const cdp = await page.createCDPSession();
  await cdp.send('Emulation.setCPUThrottlingRate', { rate });
  // The choice's place is found before the clock starts.
  const choice = await page.$eval('#play', (b) => {
    const r = b.getBoundingClientRect();
    return { x: r.x + r.width / 2, y: r.y + r.height / 2 };
  });
  const t = await page.evaluate(() => performance.now());
  if (viewport.hasTouch) await page.touchscreen.tap(choice.x, choice.y);
  else await page.mouse.click(choice.x, choice.y);
  // The tap uncovers the game's first frame, drawn behind the warning; the
  // time is taken when the next one, the first drawn after the tap, has
  // been shown, and the page's thread is free again.
  const shown = await page.waitForFunction(
    () => (quondelFrames() > 1 ? performance.now() : 0), { polling: 1 });
  const f = await shown.jsonValue();
  // Where that time goes: the page until it lets the game go (the tap's
  // events), then the game's next frame drawn and shown. The game's
  // start-up and first frame ran before, behind the warning.
  const [main, waiting, play] = await page.evaluate(() => ['quondel-main', 'quondel-waiting', 'quondel-play'].map(
    (name) => performance.getEntriesByName(name)[0]?.startTime ?? NaN));
  // Ten seconds of play: frames shown, and the share of them the page's
  // main thread (the game, SDL and the browser's work for the page) was busy.
  await cdp.send('Performance.enable');
  const busy = async () => (await cdp.send('Performance.getMetrics')).metrics.find((m) => m.name === 'TaskDuration').value;
  await new Promise((r) => setTimeout(r, 1000));
  const a = await page.evaluate(() => [quondelFrames(), performance.now()]);
  const busyA = await busy();
  await new Promise((r) => setTimeout(r, 10000));
  const b = await page.evaluate(() => [quondelFrames(), performance.now()]);
  const busyB = await busy();
  const fps = ((b[0] - a[0]) * 1000) / (b[1] - a[1]);
  const cpu = (100 * (busyB - busyA) * 1000) / (b[1] - a[1]);
  await context.close();
  return { ready: t, first: f - t, page: play - t, shown: f - play, startup: waiting - main, total: f, fps, cpu };
}

const ms = (xs) => `${median(xs).toFixed(0)} (${Math.min(...xs).toFixed(0)} to ${Math.max(...xs).toFixed(0)})`;
const one = (xs) => `${median(xs).toFixed(1)} (${Math.min(...xs).toFixed(1)} to ${Math.max(...xs).toFixed(1)})`;
const modes = Object.keys(browsers);
console.log(`| over ${runs} loads: median (range) | ${modes.join(' | ')} |\n|---|${modes.map(() => '---|').join('')}`);
for (const [name, viewport, rate] of [['desktop', { width: 1024, height: 768 }, 1], ['phone', PHONE, 1],
  ['phone, CPU slowed 4x', PHONE, 4]]) {
  const r = {};
  for (const mode of modes) {
    r[mode] = [];
    for (let i = 0; i < runs; i++) r[mode].push(await load(browsers[mode], viewport, rate));
  }
  const row = (what, f, key) => console.log(`| ${name}: ${what} | ${modes.map((m) => f(r[m].map((x) => x[key]))).join(' | ')} |`);
  row('page start to start screen ready, ms', ms, 'ready');
  row('click or tap to the game\'s frames shown, ms', ms, 'first');
  row('&nbsp; the page, to letting the game go, ms', ms, 'page');
  row('&nbsp; the game\'s next frame, drawn and shown, ms', ms, 'shown');
  row('the game\'s start-up and first frame, behind the warning, ms', ms, 'startup');
  row('page start to first frame, at once, ms', ms, 'total');
  row('frames per second over ten seconds of play', one, 'fps');
  row('main thread busy while playing, % of one core', one, 'cpu');
}
for (const b of Object.values(browsers)) await b.close();
site.server.close();
