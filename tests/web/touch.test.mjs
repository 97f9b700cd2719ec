// The web build away from the desktop: a phone played by touch alone,
// upright and sideways, and a tablet; a gamepad on the browser's Gamepad API, with the
// CPU slowed 4x; and the site installable and playing offline.
//
// QUONDEL_SITE names the built site (scripts/web.sh test sets it); with
// QUONDEL_WEB_SHOTS set to a directory, the phone scenario also leaves its
// screenshots there (phone-upright.png, phone-sideways.png).
import assert from 'node:assert/strict';
import path from 'node:path';
import { after, before, test } from 'node:test';
import { fileURLToPath } from 'node:url';
import { assertAccessible, box, launch, notRed, open, redScale, serve, sleep, waitReady } from './browser.mjs';

const repo = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const root = path.resolve(repo, process.env.QUONDEL_SITE ?? 'build-web/site');
const shots = process.env.QUONDEL_WEB_SHOTS;
const UPRIGHT = { width: 390, height: 844, deviceScaleFactor: 3, isMobile: true, hasTouch: true };
const SIDEWAYS = { ...UPRIGHT, width: 844, height: 390, isLandscape: true };

let chromium;
let site;

before(async () => {
  site = await serve(root);
  chromium = await launch();
});

after(async () => {
  await chromium?.close();
  site?.server.close();
});

const frames = (page) => page.evaluate(() => quondelFrames());

// Scene two by the action button: five taps end the game.
async function fiveTaps(page) {
  const action = await box(page, '#act button');
  for (let i = 0; i < 5; i++) {
    await page.touchscreen.tap(action.cx, action.cy);
    await sleep(150);
  }
  await page.waitForSelector('#end:not([hidden])', { timeout: 5000 });
}

// Fingers on the touch screen by id, sent as the device would: each event
// lists every finger still down.
function touchScreen(page, cdp) {
  const down = new Map();
  const send = (type) => cdp.send('Input.dispatchTouchEvent',
    { type, touchPoints: type === 'touchEnd' || type === 'touchCancel' ? [] : [...down].map(([id, p]) => ({ id, x: p.cx, y: p.cy })) });
  return {
    put: async (id, selector) => {
      const had = down.has(id);
      down.set(id, await box(page, selector));
      await send(had ? 'touchMove' : 'touchStart');
    },
    up: async (type = 'touchEnd') => {
      down.clear();
      await send(type);
    },
  };
}

test('a phone, upright and sideways, played by touch alone', { timeout: 120000 }, async () => {
  const { page, errors } = await open(chromium.browser, site.url, UPRIGHT);
  const cdp = await page.createCDPSession();
  const fingers = touchScreen(page, cdp);
  await waitReady(page);

  // Every control named, and below the picture.
  const names = await page.$$eval('.touch button', (bs) => bs.filter((b) => b.offsetParent).map((b) => b.ariaLabel));
  assert.deepEqual(names.sort(), ['Action (Space)', 'Down', 'Left', 'Right', 'Up']);
  await assertAccessible(page, 'on the start screen');
  // The warning zooms for those who need it larger, and back. (Headless
  // Chromium zooms no page by a synthetic touch pinch, so this is the
  // pinch a touchpad sends, which the page's viewport allows or forbids.)
  const warning = await box(page, '.warning');
  await cdp.send('Input.synthesizePinchGesture',
    { x: warning.cx, y: warning.cy, scaleFactor: 2, gestureSourceType: 'mouse' });
  assert.ok((await page.evaluate(() => visualViewport.scale)) > 1.5, 'the warning did not zoom');
  await cdp.send('Input.synthesizePinchGesture', { x: 50, y: 50, scaleFactor: 0.2, gestureSourceType: 'mouse' });
  // A tap on the warning's text, as to zoom or scroll it, starts nothing;
  // the prompt asks for a tap on a choice.
  const text = await box(page, '.warning');
  await page.touchscreen.tap(text.cx, text.cy);
  await sleep(300);
  assert.equal(await page.evaluate(() => Module._quondel_frames()), 1, 'a tap on the warning started the game');
  assert.equal(await page.$eval('#prompt', (p) => p.textContent), 'Tap a choice to play');
  await page.tap('#play');
  await page.waitForFunction(() => quondelFrames() > 0, { timeout: 5000 });
  assert.ok((await box(page, '#dpad')).y >= (await box(page, '#canvas')).y + 256, 'controls over the picture');

  // A spread on the controls and on the text, a pan on both: the page
  // neither zooms nor scrolls.
  for (const selector of ['#dpad', '.touch-hint']) {
    const b = await box(page, selector);
    await cdp.send('Input.synthesizePinchGesture', { x: b.cx, y: b.cy, scaleFactor: 2.5, gestureSourceType: 'touch' });
    await cdp.send('Input.synthesizeScrollGesture',
      { x: b.cx, y: b.cy, xDistance: -120, yDistance: -200, gestureSourceType: 'touch' });
  }
  const view = () => page.evaluate(() => [visualViewport.scale, scrollX, scrollY, visualViewport.pageTop]);
  assert.deepEqual(await view(), [1, 0, 0, 0]);
  if (shots) await page.screenshot({ path: path.join(shots, 'phone-upright.png') });
  await assertAccessible(page, 'while playing');

  // The keys the page feeds the game, in order.
  await page.evaluate(() => {
    window.fed = [];
    for (const type of ['keydown', 'keyup']) {
      window.addEventListener(type, (e) => { if (!e.isTrusted) fed.push(`${type} ${e.code}`); });
    }
  });
  const fed = () => page.evaluate(() => fed.splice(0).join(', '));

  // An arrow and the action held together; the arrow finger slides on.
  await fingers.put(1, '[aria-label="Left"]');
  await fingers.put(2, '[aria-label="Action (Space)"]');
  assert.equal(await redScale(page), 3);
  await fingers.put(1, '[aria-label="Up"]');
  assert.equal(await fed(), 'keydown ArrowLeft, keydown Space, keyup ArrowLeft, keydown ArrowUp');

  // Turned mid-game, still held: the picture refits at once, larger, with
  // the controls in the bars beside it, and the game goes on.
  const before = await frames(page);
  await page.setViewport(SIDEWAYS);
  assert.equal(await redScale(page), 4);
  assert.ok((await frames(page)) > before + 5, 'the game stopped on turning');
  const canvas = await box(page, '#canvas');
  const bar = Math.floor((Math.floor(canvas.width * 3) - 4 * 341) / 2) / 3;
  const dpad = await box(page, '#dpad');
  assert.ok(dpad.x + dpad.width <= canvas.x + bar + 1, 'd-pad over the picture');
  assert.ok((await box(page, '#act')).x >= canvas.x + canvas.width - bar - 1, 'action over the picture');

  // Let go: the scene moves on; then five taps end the game.
  await fingers.up();
  assert.deepEqual((await fed()).split(', ').sort(), ['keyup ArrowUp', 'keyup Space']);
  await notRed(page);
  await fiveTaps(page);
  assert.equal(await page.$eval('#end-text', (e) => e.textContent), 'The game has ended.');
  await assertAccessible(page, 'on the end screen');

  // Played again by tap; the picture itself is the action button, and a
  // cancelled touch lets go.
  const again = await box(page, '#again');
  await Promise.all([page.waitForNavigation(), page.touchscreen.tap(again.cx, again.cy)]);
  await page.waitForFunction(() => quondelFrames() > 10, { timeout: 20000 });
  if (shots) await page.screenshot({ path: path.join(shots, 'phone-sideways.png') });
  await fingers.put(1, '#canvas');
  assert.equal(await redScale(page), 4);
  await fingers.up('touchCancel');
  await notRed(page);
  assert.deepEqual(await view(), [1, 0, 0, 0]);
  // SDL's own touch handler asks to cancel every touch, cancellable or not.
  assert.deepEqual(errors.filter((e) => !e.startsWith('Ignored attempt to cancel a touchcancel')), []);
  await page.close();
});

// A tablet upright: the picture at the largest whole scale it allows,
// held red by the picture itself, five taps to the end. At density 1:
// headless Chromium composites in software, and a tablet's canvas at
// density 2 (2048 x 2202) runs at a third of the frame rate there.
test('a tablet, played by touch alone', { timeout: 60000 }, async () => {
  const { page } = await open(chromium.browser, site.url,
    { width: 1024, height: 1366, deviceScaleFactor: 1, isMobile: true, hasTouch: true });
  const fingers = touchScreen(page, await page.createCDPSession());
  await waitReady(page);
  await page.tap('#play');
  await page.waitForFunction(() => quondelFrames() > 0, { timeout: 5000 });
  const canvas = await box(page, '#canvas');
  await fingers.put(1, '#canvas');
  assert.equal(await redScale(page), Math.min(Math.floor(canvas.width / 341), Math.floor(canvas.height / 256)));
  await fingers.up();
  await notRed(page);
  await fiveTaps(page);
  await page.close();
});

test('no touch controls on a desktop with a mouse', { timeout: 30000 }, async () => {
  const { page } = await open(chromium.browser, site.url);
  await waitReady(page);
  await page.click('#play');
  await page.waitForFunction(() => quondelFrames() > 5, { timeout: 10000 });
  assert.deepEqual(await page.$$eval('.touch', (els) => els.filter((e) => e.offsetParent)), []);
  await page.close();
});

// A standard-mapping pad, as the Gamepad API reports one: button 0 is A.
function fakePad() {
  const pad = {
    id: 'Test pad (STANDARD GAMEPAD)', index: 0, connected: true, mapping: 'standard', timestamp: 1,
    axes: [0, 0, 0, 0], buttons: Array.from({ length: 17 }, () => ({ pressed: false, touched: false, value: 0 })),
  };
  Object.defineProperty(Navigator.prototype, 'getGamepads', { value: () => [pad, null, null, null] });
  window.padButton = (i, down) => {
    pad.buttons[i] = { pressed: down, touched: down, value: down ? 1 : 0 };
    pad.timestamp++;
  };
}

test('a gamepad chooses and plays the game, also with the CPU slowed 4x', { timeout: 90000 }, async (t) => {
  const page = await chromium.browser.newPage();
  await page.setViewport({ width: 1024, height: 768 });
  await page.evaluateOnNewDocument(fakePad);
  await page.goto(site.url);
  await waitReady(page);
  // The d-pad moves the highlight to reduced flashing; A, let go, plays it.
  const padPress = async (i) => {
    await page.evaluate((i) => padButton(i, true), i);
    await sleep(150);
    await page.evaluate((i) => padButton(i, false), i);
    await sleep(150);
  };
  await padPress(15);
  assert.equal(await page.evaluate(() => document.activeElement.id), 'play-reduced');
  assert.equal(await page.evaluate(() => Module._quondel_frames()), 1, 'the d-pad started the game');
  await padPress(0);
  await page.waitForFunction(() => quondelFrames() > 0, { timeout: 10000 });
  assert.equal(await page.evaluate(() => Module._quondel_reduce_flashing()), 1);
  await page.evaluate(() => padButton(0, true));
  assert.equal(await redScale(page), 2);
  const cdp = await page.createCDPSession();
  await cdp.send('Emulation.setCPUThrottlingRate', { rate: 4 });
  const f0 = await page.evaluate(() => [quondelFrames(), performance.now()]);
  await sleep(5000);
  const f1 = await page.evaluate(() => [quondelFrames(), performance.now()]);
  const fps = ((f1[0] - f0[0]) * 1000) / (f1[1] - f0[1]);
  // Only a stall fails: a busy machine slows the throttled page further
  // still, so bench/web.sh measures the rate itself.
  t.diagnostic(`${fps.toFixed(2)} frames per second at 4x slowdown`);
  assert.ok(fps >= 10, `${fps.toFixed(2)} frames per second at 4x slowdown`);
  await cdp.send('Emulation.setCPUThrottlingRate', { rate: 1 });

  await page.evaluate(() => padButton(0, false));
  await notRed(page);
  for (let i = 0; i < 5; i++) {
    await page.evaluate(() => padButton(0, true));
    await sleep(120);
    await page.evaluate(() => padButton(0, false));
    await sleep(120);
  }
  await page.waitForSelector('#end:not([hidden])', { timeout: 5000 });
  // A normal start and end leave nothing for the player to read.
  assert.ok(await page.$eval('#messages', (m) => m.hidden), await page.$eval('#log', (l) => l.textContent));
  await page.close();
});

test('installable, and playing offline after one visit', { timeout: 60000 }, async () => {
  const own = await serve(root);  // a server to switch off
  const off = () => {
    own.server.closeAllConnections();
    own.server.close();
  };
  try {
    const { page, errors } = await open(chromium.browser, own.url);
    await page.evaluate(() => navigator.serviceWorker.ready);
    const cdp = await page.createCDPSession();
    assert.deepEqual((await cdp.send('Page.getInstallabilityErrors')).installabilityErrors, []);
    assert.match((await page.evaluate(() => caches.keys())).join(), /^quondel-[0-9a-f]{16}$/);

    off();
    await page.reload();
    await waitReady(page);
    await page.click('#play');
    await page.waitForFunction(() => quondelFrames() > 30, { timeout: 10000 });
    assert.deepEqual(errors, []);
    await page.close();
  } finally {
    off();
  }
});
