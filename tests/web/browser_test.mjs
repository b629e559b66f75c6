// SPDX-License-Identifier: MIT
// The web build in headless Chromium, driven by playwright-core, for what
// needs Chromium's own controls (touch events, pointer lock) or audio, which
// headless Firefox does not play here: node tests/web/browser_test.mjs
// WEB_DIR (see harness.mjs). The tests that run in both engines are in
// page_test.mjs.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { chromium } from '../../web/node_modules/playwright-core/index.mjs';
import { webDir, goldenTrace, serve, shots } from './harness.mjs';

let server, url, browser;

before(async () => {
  ({server, url} = await serve());
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
  // 30% of the picture's width is 240 of its pixels, slid towards the far
  // side of the court (the paddle stops at its edges). A point scored
  // meanwhile puts the paddles back where a game starts: the slide is made
  // again.
  let t0, t1;
  for (let attempt = 0; attempt < 3; attempt++) {
    const score = (await status(page)).state.score.join();
    t0 = await playerX();
    const way = t0 >= 360 ? -1 : 1, from = 0.45 - 0.15 * way;
    await touch('touchStart', box.width * from);
    for (let i = 1; i <= 10; i++) {
      await touch('touchMove', box.width * (from + 0.03 * i * way));
      await page.waitForTimeout(20);
    }
    await touch('touchEnd', 0);
    t1 = await settled(way < 0 ? {below: t0 - 200} : {above: t0 + 200});
    if ((await status(page)).state.score.join() === score) break;
  }
  assert.ok(Math.abs(t1 - t0) > 200 && Math.abs(t1 - t0) <= 250, `touch: ${t0} -> ${t1}`);
  assert.equal((await status(page)).ended, false, 'the first Escape only gave the pointer back');
  // The second Escape reaches the game, which ends; the page says so.
  await page.keyboard.press('Escape');
  await waitFor(page, () => window.rallexStatus.ended, undefined, 5000);
  assert.equal((await status(page)).exitStatus, 0);
  assert.match(await page.textContent('#line'), /^You left the game at \d+–\d+\.$/);
  assert.equal(await page.locator('#again').isVisible(), true);
  await context.close();
});

test("a scripted game's trace equals the desktop's on every frame", async () => {
  const {page, context, problems} = await open('?script=test/golden_mouse.txt');
  await waitFor(page, () => window.rallexStatus.ended, undefined, 180000);
  const trace = (await status(page)).trace;
  const golden = goldenTrace();
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
  // Its last note starts 3.23 s in (read from the file's events and tempo
  // map). Sound starts only with the key, pressed once the music has
  // started, so the time is counted from the music's start.
  const heard = (loud[loud.length - 1].at - s.traceAt[0]) / 1000;
  assert.ok(heard > 3.0 && heard < 6, `music heard until ${heard.toFixed(2)} s into the piece`);
  assert.ok(ended - started > 4, 'the notice comes after the piece');
  assert.deepEqual(problems, []);
  await context.close();
});

test("a porter's program, built against the installed package, runs in the page", async () => {
  // web/build_gallery.sh put examples/ built for the web beside the page.
  assert.ok(fs.existsSync(path.join(webDir, 'sprite.wasm')), 'sprite.wasm is there (web/build_gallery.sh)');
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

test('the gallery: every example runs in the page at its picture\'s size, and every link of the gallery leads to a file', async () => {
  // web/build_gallery.sh wrote gallery.html and gallery/ beside the page.
  const pages = ['gallery.html', ...fs.readdirSync(path.join(webDir, 'gallery')).filter(f => f.endsWith('.html'))
    .map(f => 'gallery/' + f)];
  for (const name of pages) {
    const html = fs.readFileSync(path.join(webDir, name), 'utf8');
    for (const [, link] of html.matchAll(/(?:href|src)="([^"#?]+)/g))
      assert.ok(fs.existsSync(path.join(webDir, path.dirname(name), link)), `${name} links to ${link}, which is missing`);
  }
  const html = fs.readFileSync(path.join(webDir, 'gallery.html'), 'utf8');
  const programs = [...new Set([...html.matchAll(/href="index\.html\?program=([a-z_]+)"/g)].map(m => m[1]))];
  assert.ok(programs.length >= 10, `the gallery runs ${programs.length} examples`);
  for (const name of programs) {
    assert.ok(fs.existsSync(path.join(webDir, name + '.wasm')), `${name}.wasm is beside the page`);
    // The picture's size from its screenshot's header (PNG: width and height at 16 and 20).
    const png = fs.readFileSync(path.join(webDir, 'gallery', name + '.png'));
    const size = [png.readUInt32BE(16), png.readUInt32BE(20)];
    const {page, context, problems} = await open('?program=' + name);
    // The errors example starts with a warning box, which Enter answers.
    await waitFor(page, () => window.rallexStatus.frames > 5 || document.querySelector('dialog.rallex-message'));
    if (await page.locator('dialog.rallex-message').count()) {
      await page.keyboard.press('Enter');
      await waitFor(page, () => window.rallexStatus.frames > 5);
    }
    const seen = await page.evaluate(() => {
      const c = document.getElementById('screen');
      const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
      const colours = new Set();
      for (let i = 0; i < d.length; i += 4 * 97) colours.add((d[i] << 16) | (d[i + 1] << 8) | d[i + 2]);
      return [c.width, c.height, colours.size];
    });
    assert.deepEqual(seen.slice(0, 2), size, `${name} shows a picture of its screenshot's size`);
    assert.ok(seen[2] > 1, `${name} draws something, not one colour all over`);
    await page.screenshot({path: path.join(shots, `gallery-${name}.png`)});
    assert.deepEqual(problems, [], `${name} runs without errors in the page`);
    await context.close();
  }
});
