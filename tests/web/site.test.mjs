// The web build played in the system's headless Chromium, served from
// 127.0.0.1: the start screen and its warning, the intro's stamp, the red
// of the held hand, the frame rate, the end, a failed start, the key that
// starts the game, fullscreen, a keyboard alone choosing reduced flashing,
// and axe-core's accessibility checks on each screen.
//
// QUONDEL_SITE and QUONDEL_SITE_BROKEN (the site without res/stamp.bmp) name
// the built sites; scripts/web.sh test sets both.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { after, before, test } from 'node:test';
import { fileURLToPath } from 'node:url';
import { assertAccessible, launch, open as openPage, serve, shares, sleep, until, waitReady } from './browser.mjs';

const repo = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const VIEW_W = 341;  // the 256 x 256 canvas shown at 4:3
const VIEW_H = 256;

// The opaque colours of a 32-bit BMP (rows of blue, green, red, alpha).
function bmpColours(file) {
  const d = fs.readFileSync(file);
  const colours = new Set();
  for (let i = d.readUInt32LE(10); i + 4 <= d.length; i += 4) {
    if (d[i + 3] === 255) colours.add((d[i + 2] << 16) | (d[i + 1] << 8) | d[i]);
  }
  return [...colours];
}

let chromium;
let site;
let broken;

before(async () => {
  site = await serve(path.resolve(repo, process.env.QUONDEL_SITE ?? 'build-web/site'));
  broken = await serve(path.resolve(repo, process.env.QUONDEL_SITE_BROKEN ?? 'build-web/site-without-stamp'));
  chromium = await launch();
});

after(async () => {
  await chromium?.close();
  site?.server.close();
  broken?.server.close();
});

// A fresh page at the size of a small laptop screen.
const open = (url) => openPage(chromium.browser, url);

const visible = (page, id) => page.$eval(`#${id}`, (e) => !e.hidden && e.offsetParent !== null);

// Screen rectangle of canvas pixels x0..x1, y0..y1 inside the engine's
// letterbox: the largest whole-number scale of the 4:3 view, centred.
async function canvasRect(page, x0, y0, x1, y1) {
  const box = await page.$eval('#canvas', (c) => {
    const r = c.getBoundingClientRect();
    return { left: r.left, top: r.top, width: r.width, height: r.height };
  });
  const scale = Math.min(Math.floor(box.width / VIEW_W), Math.floor(box.height / VIEW_H));
  assert.ok(scale >= 1, `canvas ${box.width} x ${box.height} too small`);
  const left = box.left + Math.floor((box.width - scale * VIEW_W) / 2);
  const top = box.top + Math.floor((box.height - scale * VIEW_H) / 2);
  const sx = (scale * VIEW_W) / 256;
  return {
    x: Math.ceil(left + x0 * sx), y: Math.ceil(top + y0 * scale),
    width: Math.floor((x1 - x0) * sx), height: Math.floor((y1 - y0) * scale),
  };
}

async function press(page, key, ms = 120) {
  await page.keyboard.down(key);
  await sleep(ms);
  await page.keyboard.up(key);
  await sleep(ms);
}

test('played from the start screen to the end', { timeout: 90000 }, async () => {
  const { page, errors } = await open(site.url);

  // The warning, as worded for every platform, stands before anything moves.
  await waitReady(page);
  const warning = fs.readFileSync(path.join(repo, 'packaging/photosensitivity.txt'), 'utf8').trim();
  const shown = await page.$eval('#start .warning', (p) => `${p.firstChild.textContent}: ${p.lastChild.textContent}`);
  assert.equal(shown, warning);
  assert.ok(await visible(page, 'start'));
  assert.equal(await page.evaluate(() => quondelFrames()), 0, 'the game started before the gesture');
  // It started behind the warning and waits there, its first frame drawn.
  assert.equal(await page.evaluate(() => Module._quondel_frames()), 1, 'the game ran on before the gesture');
  assert.equal(await page.evaluate(() => document.activeElement.id), 'play');
  await assertAccessible(page, 'on the start screen');
  // Watches whether the game's keys still reach the browser (and scroll).
  await page.evaluate(() => {
    window.keysLetThrough = [];
    window.addEventListener('keydown', (e) => { if (!e.defaultPrevented) keysLetThrough.push(e.code); });
  });

  // A click on the warning or beside the choices starts nothing; one on
  // "Play": the intro, its stamp at the centre.
  const warningBox = await page.$eval('#start .warning', (p) => p.getBoundingClientRect().toJSON());
  await page.mouse.click(warningBox.x + warningBox.width / 2, warningBox.y + warningBox.height / 2);
  await page.mouse.click(10, 300);
  await sleep(300);
  assert.ok(await visible(page, 'start'), 'a click beside the choices started the game');
  assert.equal(await page.evaluate(() => Module._quondel_frames()), 1, 'a click beside the choices started the game');
  await page.click('#play');
  assert.ok(!(await visible(page, 'start')));
  const stamp = bmpColours(path.join(repo, 'res/stamp.bmp'));
  const centre = await canvasRect(page, 100, 96, 134, 160);
  await until('the stamp at the centre', 10, async () => {
    const s = await shares(page, centre, stamp);
    return { ok: s.listed > 0.6, ...s };
  });
  assert.equal(await page.evaluate(() => document.activeElement.id), 'canvas');
  await assertAccessible(page, 'while playing');

  // Space held: once the drift is over, the canvas turns red.
  await page.keyboard.down('Space');
  const view = await canvasRect(page, 0, 0, 256, 256);
  await until('the canvas turning red', 10, async () => {
    const s = await shares(page, view);
    return { ok: s.red > 0.5, ...s };
  });

  // The game's own frame count over five seconds, still held.
  const f0 = await page.evaluate(() => [quondelFrames(), performance.now()]);
  await sleep(5000);
  const f1 = await page.evaluate(() => [quondelFrames(), performance.now()]);
  const fps = ((f1[0] - f0[0]) * 1000) / (f1[1] - f0[1]);
  assert.ok(fps >= 29 && fps <= 31, `${fps.toFixed(2)} frames per second`);
  assert.ok((await shares(page, view)).red > 0.5, 'no longer red while held');

  // Release, then five separate presses: the end, and an offer to play again.
  await page.keyboard.up('Space');
  await sleep(300);
  assert.ok((await shares(page, view)).red < 0.3, 'still red after the release');
  for (let i = 0; i < 5; i++) await press(page, 'Space');
  await page.waitForSelector('#end:not([hidden])', { timeout: 5000 });
  assert.equal(await page.$eval('#end-text', (e) => e.textContent), 'The game has ended.');
  assert.equal(await page.$eval('#again', (e) => e.textContent), 'Play again');
  assert.equal(await page.evaluate(() => document.activeElement.id), 'again');
  assert.equal(await page.$eval('#said', (e) => e.textContent), 'The game has ended.');
  await assertAccessible(page, 'on the end screen');
  assert.deepEqual(await page.evaluate(() => keysLetThrough.filter((k) => k === 'Space')), []);
  assert.equal(await page.evaluate(() => window.scrollY + document.scrollingElement.scrollTop), 0);
  assert.deepEqual(errors, []);

  // Play again: straight back into the intro, without a second gesture.
  await Promise.all([page.waitForNavigation(), page.click('#again')]);
  await page.waitForFunction(() => quondelFrames() > 10, { timeout: 20000 });
  assert.ok(!(await visible(page, 'start')));
  await page.close();
});

test('a missing picture: the reasons on the page, without a tap', { timeout: 60000 }, async () => {
  const { page } = await open(broken.url);
  await page.waitForSelector('#end:not([hidden])', { timeout: 10000 });
  assert.equal(await page.$eval('#end-text', (e) => e.textContent), 'The game could not start.');
  const log = await page.$eval('#log', (e) => (e.offsetParent !== null ? e.textContent : ''));
  assert.match(log, /^res\/stamp\.bmp: .+$/m);
  assert.match(log, /^init failed$/m);
  assert.equal(await page.$eval('#said', (e) => e.textContent), 'The game could not start.');
  await page.close();
});

test('the key that starts the game is the page\'s, held and repeating', { timeout: 60000 }, async () => {
  const { page, errors } = await open(site.url);
  await waitReady(page);
  await page.keyboard.down('Space');
  await page.waitForFunction(() => quondelFrames() > 100, { timeout: 10000 });
  await page.keyboard.down('Space');  // a repeat, as a held key sends
  await sleep(300);
  assert.ok((await shares(page, await canvasRect(page, 0, 0, 256, 256))).red < 0.3, 'the hand closed');
  assert.deepEqual(errors, []);
  await page.close();
});

test('fullscreen by F11 and by the button', { timeout: 60000 }, async () => {
  const { page, errors } = await open(site.url);
  await waitReady(page);
  assert.ok(await page.$eval('#fullscreen', (b) => b.disabled), 'fullscreen offered before the game runs');
  // Enter on the highlighted choice, which has the keyboard, starts it too.
  await press(page, 'Enter');
  await page.waitForFunction(() => quondelFrames() > 5, { timeout: 10000 });
  // The engine adopts the canvas's size on the page as its window.
  const size = await page.$eval('#canvas', (c) => [c.width, c.height, c.clientWidth, c.clientHeight]);
  assert.deepEqual(size.slice(0, 2), size.slice(2));

  const fullscreen = () => page.evaluate(() => document.fullscreenElement?.id ?? null);
  await press(page, 'F11', 300);
  await until('fullscreen after F11', 5, async () => ({ ok: (await fullscreen()) === 'canvas' }));
  await press(page, 'F11', 300);
  await until('windowed after a second F11', 5, async () => ({ ok: (await fullscreen()) === null }));
  await page.click('#fullscreen');
  await until('fullscreen after the button', 5, async () => ({ ok: (await fullscreen()) === 'canvas' }));
  // Left by the browser (Esc) behind the game's back: one F11 brings it back.
  await page.evaluate(() => document.exitFullscreen());
  await until('windowed after leaving', 5, async () => ({ ok: (await fullscreen()) === null }));
  await press(page, 'F11', 300);
  await until('fullscreen after leaving and F11', 5, async () => ({ ok: (await fullscreen()) === 'canvas' }));
  assert.deepEqual(errors, []);
  await page.close();
});

test('a keyboard alone chooses reduced flashing, remembered; a runtime error shown', { timeout: 60000 }, async () => {
  const { page } = await open(`${site.url}?reduce-flashing=0`);
  await waitReady(page);
  const chosen = () => page.$$eval('.choices button', (bs) => bs.filter((b) => b.ariaPressed === 'true').map((b) => b.id));
  const focused = () => page.evaluate(() => document.activeElement.id);
  assert.deepEqual(await chosen(), ['play']);
  assert.equal(await focused(), 'play');
  // The start screen as a screen reader finds it: the warning as a named
  // region (the picture it covers out of reach), readiness told.
  const tree = () => page.accessibility.snapshot({ interestingOnly: false });
  const find = (node, role) => (node.role === role ? node : node.children?.map((c) => find(c, role)).find(Boolean));
  assert.equal(find(await tree(), 'region')?.name, 'Photosensitivity warning');
  assert.equal(find(await tree(), 'application'), undefined);
  assert.match(await page.$eval('#said', (e) => e.textContent), /^Ready\. Tab moves/);

  // Stray keys start nothing; Tab and Shift+Tab move between the choices,
  // each with its ring.
  await press(page, 'Escape');
  await press(page, 'KeyQ');
  await press(page, 'ArrowDown');
  await press(page, 'Tab');
  assert.equal(await focused(), 'play-reduced');
  await page.keyboard.down('Shift');
  await press(page, 'Tab');
  await page.keyboard.up('Shift');
  assert.equal(await focused(), 'play');
  await press(page, 'Tab');
  assert.equal(await focused(), 'play-reduced');
  assert.equal(await page.evaluate(() => getComputedStyle(document.activeElement).outlineStyle), 'solid');
  assert.ok(await visible(page, 'start'));
  assert.equal(await page.evaluate(() => Module._quondel_frames()), 1, 'a stray key started the game');

  // Enter plays the focused choice; the game itself reports the mode.
  await press(page, 'Enter');
  await page.waitForFunction(() => quondelFrames() > 5, { timeout: 10000 });
  assert.equal(await page.evaluate(() => Module._quondel_reduce_flashing()), 1);
  assert.equal(await focused(), 'canvas');
  assert.equal(find(await tree(), 'application')?.name, 'The game Quondel');

  // The clock failing under the running game: the page says so, with why.
  await page.evaluate(() => { performance.now = () => { throw new Error('the clock failed'); }; });
  await page.waitForSelector('#end:not([hidden])', { timeout: 5000 });
  assert.equal(await page.$eval('#end-text', (e) => e.textContent), 'The game stopped with an error.');
  assert.match(await page.$eval('#log', (e) => (e.offsetParent !== null ? e.textContent : '')), /the clock failed/);

  // Without the address the last choice stands, until plain Play; the
  // address wins over it.
  await page.goto(site.url);
  await waitReady(page);
  assert.deepEqual(await chosen(), ['play-reduced']);
  assert.equal(await focused(), 'play-reduced');
  await page.click('#play');
  await page.waitForFunction(() => quondelFrames() > 5, { timeout: 10000 });
  assert.equal(await page.evaluate(() => Module._quondel_reduce_flashing()), 0);
  await page.goto(site.url);
  assert.deepEqual(await chosen(), ['play']);
  await page.goto(`${site.url}?reduce-flashing=1`);
  assert.deepEqual(await chosen(), ['play-reduced']);
  await page.close();
});
