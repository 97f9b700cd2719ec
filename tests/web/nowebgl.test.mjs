// The web game in a browser without WebGL, as hardened browsers, blocklisted
// graphics drivers and some virtual machines leave a page: SDL's software
// renderer draws on a 2D canvas. On a desktop and on a phone at a device
// pixel ratio of 2, the game starts from a choice, plays, runs on, and its
// picture fills the device's pixels at a whole scale, centred; its line
// saying so stays out of the messages panel.
//
// QUONDEL_SITE names the built site (scripts/web.sh test sets it).
import assert from 'node:assert/strict';
import path from 'node:path';
import { after, before, test } from 'node:test';
import { fileURLToPath } from 'node:url';
import { box, launch, notRed, open, redScale, serve, sleep, waitReady } from './browser.mjs';

const repo = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const FALLBACK = "no accelerated renderer; drawing with SDL's software renderer";

let chromium;
let site;

before(async () => {
  site = await serve(path.resolve(repo, process.env.QUONDEL_SITE ?? 'build-web/site'));
  chromium = await launch({ webgl: false });
});

after(async () => {
  await chromium?.close();
  site?.server.close();
});

const profiles = {
  desktop: { width: 1024, height: 768 },
  phone: { width: 390, height: 844, deviceScaleFactor: 2, isMobile: true, hasTouch: true },
};

for (const [name, viewport] of Object.entries(profiles)) {
  test(`without WebGL, ${name}: played on a 2D canvas, sharp and centred`, { timeout: 60000 }, async () => {
    const { page, errors } = await open(chromium.browser, site.url, viewport);
    assert.equal(await page.evaluate(() => document.createElement('canvas').getContext('webgl')), null,
      'this browser has WebGL');
    await waitReady(page);
    const play = await box(page, '#play');
    if (viewport.hasTouch) await page.touchscreen.tap(play.cx, play.cy);
    else await page.mouse.click(play.cx, play.cy);
    await page.waitForFunction(() => quondelFrames() > 0, { timeout: 5000 });

    // Held: the red fills the largest whole scale the device's pixels allow.
    const canvas = await box(page, '#canvas');
    const dpr = viewport.deviceScaleFactor ?? 1;
    await page.keyboard.down('Space');
    assert.equal(await redScale(page),
      Math.min(Math.floor((canvas.width * dpr) / 341), Math.floor((canvas.height * dpr) / 256)));
    await page.keyboard.up('Space');
    await notRed(page);

    // A few presses in the second scene, and the game runs on.
    for (let i = 0; i < 3; i++) {
      await page.keyboard.press('Space');
      await sleep(150);
    }
    const shown = await page.evaluate(() => quondelFrames());
    await sleep(1000);
    assert.ok((await page.evaluate(() => quondelFrames())) >= shown + 15, 'the game stopped');
    assert.equal(await page.evaluate(() => document.body.dataset.phase), 'playing');

    // It said once that it fell back, to the log only.
    const log = await page.$eval('#log', (e) => e.textContent.split('\n'));
    assert.equal(log.filter((line) => line === FALLBACK).length, 1, log.join(' | '));
    assert.ok(await page.$eval('#messages', (e) => e.hidden), 'the messages panel opened');
    assert.deepEqual(errors, []);
    await page.close();
  });
}
