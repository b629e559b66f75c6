// SPDX-License-Identifier: MIT
// The web build in headless Chromium: node tests/web/browser_test.mjs WEB_DIR
// (WEB_DIR is build-web/web, made by scripts/web --build). Screenshots go to
// WEB_DIR/../browser-test/.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { chromium } from '../../web/node_modules/playwright-core/index.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const root = path.resolve(here, '../..');
const webDir = path.resolve(process.argv[2] || path.join(root, 'build-web/web'));
const shots = path.join(webDir, '../browser-test');
fs.mkdirSync(shots, {recursive: true});
// The scripted game of the native golden trace, served beside the page.
fs.mkdirSync(path.join(webDir, 'test'), {recursive: true});
fs.copyFileSync(path.join(root, 'tests/game/golden_mouse.txt'), path.join(webDir, 'test/golden_mouse.txt'));

let server, url, browser;

before(async () => {
  server = spawn(process.execPath, [path.join(root, 'web/serve.mjs'), webDir], {stdio: ['ignore', 'pipe', 'inherit']});
  url = await new Promise((resolve, reject) => {
    server.stdout.once('data', d => resolve(d.toString().trim()));
    server.once('exit', code => reject(new Error('the server ended with ' + code)));
  });
  browser = await chromium.launch({
    executablePath: process.env.RALLEX_CHROMIUM || '/usr/bin/chromium',
    // As a browser does by default: audio only after a click or a key.
    args: ['--no-sandbox', '--autoplay-policy=user-gesture-required'],
  });
});

after(async () => {
  if (browser) await browser.close();
  if (server) server.kill();
});

async function open(query = '', options = {}) {
  const context = await browser.newContext({viewport: {width: 1024, height: 800}, ...options});
  const page = await context.newPage();
  const problems = [];
  page.on('pageerror', e => problems.push(e.message));
  await page.goto(url + query);
  return {page, context, problems};
}

const status = page => page.evaluate(() => window.rallexStatus);
const waitFor = (page, fn, arg, timeout = 20000) => page.waitForFunction(fn, arg, {timeout});

// Colours of the game's own 800x600 picture at the places the state of the
// frame it shows names, read in the page in one go so that they agree.
async function look(page) {
  return page.evaluate(() => {
    const c = document.getElementById('screen');
    const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    const at = (x, y) => {
      const i = (Math.round(y) * c.width + Math.round(x)) * 4;
      return {r: d[i], g: d[i + 1], b: d[i + 2]};
    };
    const s = window.rallexStatus.state;
    const middle = r => at(r[0] + r[2] / 2, r[1] + r[3] / 2);
    const side = r => at(r[0] + r[2] / 5, r[1] + r[3] / 2);
    const yellow = (x0, x1) => {
      let n = 0;
      for (let y = 540; y < 600; y++)
        for (let x = x0; x < x1; x++) {
          const p = at(x, y);
          if (p.r > 180 && p.g > 180 && p.b < 100) n++;
        }
      return n;
    };
    return {width: c.width, height: c.height, state: s, court: at(400, 200), ball: middle(s.ball),
            player: {middle: middle(s.player), side: side(s.player)},
            computer: {middle: middle(s.computer), side: side(s.computer)},
            yellowLeft: yellow(0, 400), yellowRight: yellow(400, 800)};
  });
}

test('the first frame shows the court, both paddles, the ball and both scores', async () => {
  const {page, context, problems} = await open();
  await waitFor(page, () => window.rallexStatus.frames >= 5);
  const f = await look(page);
  await page.screenshot({path: path.join(shots, 'first-frames.png')});
  const s = await status(page);
  console.log(`# load to first frame ${Math.round(s.firstFrameAt - s.loadedAt)} ms`);
  assert.equal(f.width, 800);
  assert.equal(f.height, 600);
  assert.ok(f.court.b > f.court.r + 40, `court at (400, 200) is blue: ${JSON.stringify(f.court)}`);
  // The ball is orange; the paddles are grey with a red middle.
  assert.ok(f.ball.r > 150 && f.ball.b < 100, `ball ${JSON.stringify(f.ball)} at ${f.state.ball}`);
  for (const who of ['player', 'computer']) {
    const {middle, side} = f[who];
    assert.ok(middle.r > 150 && middle.g < 100, `${who} paddle's middle ${JSON.stringify(middle)} at ${f.state[who]}`);
    assert.ok(side.r > 120 && Math.abs(side.r - side.b) < 40, `${who} paddle's side ${JSON.stringify(side)}`);
  }
  // Both score lines are yellow text below the court.
  assert.ok(f.yellowLeft > 30, 'your score is written');
  assert.ok(f.yellowRight > 30, "the computer's score is written");
  // The picture fills the window with its aspect kept.
  const box = await page.locator('#screen').boundingBox();
  assert.ok(Math.abs(box.width / box.height - 4 / 3) < 0.01, `canvas ${box.width}x${box.height}`);
  assert.deepEqual(problems, []);
  await context.close();
});

test('the mouse moves the paddle with pointer lock, Escape gives the pointer back, a finger moves the paddle, a second Escape ends the game', async () => {
  const {page, context} = await open('', {hasTouch: true});
  await waitFor(page, () => window.rallexStatus.frames >= 3);
  await page.mouse.click(512, 300);
  await waitFor(page, () => window.rallexStatus.locked);
  const playerX = async () => (await status(page)).state.player[0];
  // The paddle moves on the game's next frames; after a point the game
  // pauses for a second, so give it time.
  const settled = async (want) => {
    await waitFor(page, w => {
      const x = window.rallexStatus.state.player[0];
      return w.below !== undefined ? x < w.below : x > w.above;
    }, want, 5000).catch(() => {});
    return playerX();
  };
  const move = async (dx, steps) => {
    for (let i = 0; i < steps; i++) {
      await page.mouse.move(512 + dx * (i + 1), 300);
      await page.waitForTimeout(20);
    }
  };
  const x0 = await playerX();
  await move(-15, 8);
  const x1 = await settled({below: x0 - 40});
  assert.ok(x1 < x0 - 40, `left: ${x0} -> ${x1}`);
  await page.mouse.move(512 - 15 * 8 + 1, 300);
  await move(15, 8);
  const x2 = await settled({above: x1 + 40});
  assert.ok(x2 > x1 + 40, `right: ${x1} -> ${x2}`);

  // Touch: the paddle follows the finger's motion over the picture.
  await page.keyboard.press('Escape');  // gives the pointer back; the game goes on
  await waitFor(page, () => !window.rallexStatus.locked);
  const box = await page.locator('#screen').boundingBox();
  const cdp = await context.newCDPSession(page);
  const touch = (type, x) => cdp.send('Input.dispatchTouchEvent', {
    type, touchPoints: type === 'touchEnd' ? [] : [{x: box.x + x, y: box.y + box.height * 0.9}]});
  const t0 = await playerX();
  await touch('touchStart', box.width * 0.6);
  for (let i = 1; i <= 10; i++) {
    await touch('touchMove', box.width * (0.6 - 0.03 * i));
    await page.waitForTimeout(20);
  }
  await touch('touchEnd', 0);
  // 30% of the picture's width is 240 of its pixels (the paddle stops at the
  // court's edge, so it starts far enough from it).
  const t1 = await settled({below: t0 - 200});
  assert.ok(t0 - t1 > 200 && t0 - t1 <= 250, `touch: ${t0} -> ${t1}`);
  assert.equal((await status(page)).ended, false, 'the first Escape only gave the pointer back');
  // The second Escape reaches the game, which ends; the page says so.
  await page.keyboard.press('Escape');
  await waitFor(page, () => window.rallexStatus.ended, undefined, 5000);
  assert.equal((await status(page)).exitStatus, 0);
  assert.match(await page.textContent('#line'), /^You left the game at \d+–\d+\.$/);
  assert.equal(await page.locator('#again').isVisible(), true);
  await context.close();
});

test('a hidden tab pauses the game and showing it goes on', async () => {
  const {page, context} = await open();
  await waitFor(page, () => window.rallexStatus.frames >= 90);  // past the start pause, the ball moving
  // Headless Chromium keeps every tab visible (another tab in front and a
  // minimised window change nothing), so the page is told what a browser
  // tells it when its tab goes behind another: hidden, then a visibilitychange.
  const setHidden = hidden => page.evaluate(h => {
    Object.defineProperty(document, 'hidden', {configurable: true, get: () => h});
    Object.defineProperty(document, 'visibilityState', {configurable: true, get: () => (h ? 'hidden' : 'visible')});
    document.dispatchEvent(new Event('visibilitychange'));
  }, hidden);
  await setHidden(true);
  await page.waitForTimeout(300);
  const a = (await status(page)).state;
  await page.waitForTimeout(700);
  const b = (await status(page)).state;
  assert.deepEqual(b.ball, a.ball, 'the ball stays while hidden');
  assert.deepEqual(b.score, a.score);
  await setHidden(false);
  await page.waitForTimeout(700);
  const c = (await status(page)).state;
  assert.notDeepEqual(c.ball, b.ball, 'the ball moves again once shown');
  await context.close();
});

test("a scripted game's trace equals the desktop's on every frame", async () => {
  const {page, context, problems} = await open('?script=test/golden_mouse.txt');
  await waitFor(page, () => window.rallexStatus.ended, undefined, 180000);
  const trace = (await status(page)).trace;
  const golden = fs.readFileSync(path.join(root, 'tests/game/golden_trace.csv'), 'utf8').trim().split('\n').slice(1);
  assert.equal(trace.length, golden.length, 'frames');
  const first = trace.findIndex((line, i) => line !== golden[i]);
  assert.equal(first, -1, first < 0 ? '' : `frame ${first + 1}: ${trace[first]} against ${golden[first]}`);
  // The last frame has the player at 10 and the computer at 5: the page says so.
  assert.deepEqual(golden[golden.length - 1].split(',').slice(8, 10), ['10', '5']);
  assert.equal(await page.textContent('#line'), 'You won, 10–5.');
  assert.equal(await page.textContent('#result'), 'You won, 10–5.');
  assert.deepEqual(problems, []);
  await context.close();
});

test('the page starts muted; after a key every sample the rules ask for is heard', async () => {
  const {page, context} = await open('?script=test/golden_mouse.txt&realtime=1');
  await waitFor(page, () => window.rallexStatus.frames >= 1);
  const before = await status(page);
  assert.equal(before.unmuted, false);
  assert.ok(before.audio.every(b => b.peak === 0), 'nothing is heard before a gesture');
  await page.keyboard.press('Shift');
  await waitFor(page, () => ['wall', 'paddle', 'doh', 'woohoo'].every(
    n => window.rallexStatus.sounds.some(s => s.name === n)), undefined, 30000);
  await page.waitForTimeout(300);
  const s = await status(page);
  assert.equal(s.unmuted, true);
  const first = s.sounds[0].at;
  const quiet = s.audio.filter(b => b.at < first - 30);
  assert.ok(quiet.length > 5 && quiet.every(b => b.peak < 0.001), 'silence before the first sample');
  for (const sound of s.sounds) {
    const heard = s.audio.filter(b => b.at >= sound.at && b.at < sound.at + 200);
    const peak = Math.max(0, ...heard.map(b => b.peak));
    assert.ok(peak > 0.02, `${sound.name} at ${Math.round(sound.at)} ms: loudest ${peak}`);
  }
  await context.close();
});

test('a MIDI file plays through the synthesizer and its completion notice comes', async () => {
  // format1_tempo_map.mid lasts 4.07 s (as mido reads it).
  const {page, context, problems} = await open('?program=music_check');
  await waitFor(page, () => window.rallexStatus.trace.length > 0);
  await page.keyboard.press('Shift');
  const started = await page.evaluate(() => performance.now());
  assert.equal((await status(page)).trace[0], 'music started');
  await waitFor(page, () => window.rallexStatus.trace.length > 1, undefined, 30000);
  const s = await status(page);
  const ended = await page.evaluate(() => performance.now());
  assert.equal(s.trace[1], 'music ended');
  const loud = s.audio.filter(b => b.peak > 0.01);
  assert.ok(loud.length > 20, `blocks with music: ${loud.length}`);
  const heard = (loud[loud.length - 1].at - loud[0].at) / 1000;
  assert.ok(heard > 3 && heard < 6, `music heard for ${heard.toFixed(2)} s`);
  assert.ok(ended - started > 4, 'the notice comes after the piece');
  assert.deepEqual(problems, []);
  await context.close();
});

test('a page that cannot run the game says why in one line', async () => {
  const cases = [
    ['no WebAssembly', c => c.addInitScript(() => { delete window.WebAssembly; }), /needs WebAssembly/],
    ['the program missing', c => c.route('**/rallex.wasm', r => r.fulfill({status: 404, body: ''})), /stopped|could not/i],
    ['the game files missing', c => c.route('**/rallex.data', r => r.fulfill({status: 404, body: ''})), /stopped|could not/i],
  ];
  for (const [name, breakIt, says] of cases) {
    const context = await browser.newContext();
    await breakIt(context);
    const page = await context.newPage();
    await page.goto(url);
    await waitFor(page, () => window.rallexStatus && window.rallexStatus.error !== null, undefined, 15000);
    const line = await page.textContent('#line');
    assert.match(line, says, name);
    assert.ok(!line.includes('\n') && line.length < 200, `${name}: one line: ${line}`);
    await context.close();
  }
});

test("the game's page links the licences of everything it ships, each text there", async () => {
  const context = await browser.newContext();
  const page = await context.newPage();
  await page.goto(url);
  await page.click('text=Licences');
  await page.waitForURL(/licenses\.html$/);
  const links = await page.$$eval('td a', as => as.map(a => a.href));
  assert.equal(links.length, 6);
  for (const link of links) {
    const response = await page.request.get(link);
    assert.equal(response.status(), 200, link);
    assert.ok((await response.text()).length > 500, `${link} holds a licence text`);
  }
  await context.close();
});

test("a porter's program, built against the installed package, runs in the page", async () => {
  // tests/web/porter_build.sh put examples/ built for the web beside the page.
  assert.ok(fs.existsSync(path.join(webDir, 'sprite.wasm')), 'sprite.wasm is there (tests/web/porter_build.sh)');
  const {page, context, problems} = await open('?program=sprite');
  await waitFor(page, () => window.rallexStatus.frames > 10);
  // The sprite's yellow (#FFCC00) is on the 640 x 480 picture.
  const yellow = await page.evaluate(() => {
    const c = document.getElementById('screen');
    const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    let n = 0;
    for (let i = 0; i < d.length; i += 4) if (d[i] > 240 && d[i + 1] > 190 && d[i + 1] < 220 && d[i + 2] < 30) n++;
    return [c.width, c.height, n];
  });
  assert.deepEqual(yellow.slice(0, 2), [640, 480]);
  assert.ok(yellow[2] > 100, `the sprite is drawn (${yellow[2]} yellow pixels)`);
  assert.deepEqual(problems, []);
  await context.close();
});

test('message boxes are dialogs of the page, answered by keyboard', async () => {
  const {page, context, problems} = await open('?program=dialog_check');
  const dialog = page.locator('dialog.rallex-message');
  await dialog.waitFor({state: 'visible'});
  assert.match(await dialog.textContent(), /Play another game\?/);
  assert.deepEqual(await dialog.locator('button').allTextContents(), ['Yes', 'No']);
  await page.keyboard.press('n');
  await waitFor(page, () => window.rallexStatus.trace.length >= 1);
  await waitFor(page, () => document.querySelector('dialog.rallex-message h2')?.textContent === 'Error');
  assert.match(await page.locator('dialog.rallex-message').textContent(), /DirectDraw could not be set up\./);
  await page.keyboard.press('Enter');  // the focused OK button
  await waitFor(page, () => window.rallexStatus.ended);
  assert.deepEqual((await status(page)).trace, ['no', 'ok']);
  assert.equal(await page.locator('dialog.rallex-message').count(), 0);
  assert.deepEqual(problems, []);
  await context.close();
});
