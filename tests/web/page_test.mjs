// SPDX-License-Identifier: MIT
// The page in both browser engines, Chromium (over CDP) and Firefox ESR (over
// WebDriver BiDi), driven by puppeteer-core: the first frames, where the
// picture goes at a phone's and desktops' sizes, the scaling the player
// chooses and the page remembers, what the page says, a new start after the
// end, a hidden tab, message boxes and a page that cannot start.
//   node tests/web/page_test.mjs WEB_DIR   (see harness.mjs;
//   RALLEX_WEB_ENGINES=chromium or firefox for one engine)
import { test, before, after, describe } from 'node:test';
import assert from 'node:assert/strict';
import path from 'node:path';
import puppeteer from '../../web/node_modules/puppeteer-core/lib/esm/puppeteer/puppeteer-core.js';
import { shots, goldenTrace, serve, look } from './harness.mjs';

const engines = {
  chromium: () => puppeteer.launch({
    browser: 'chrome', executablePath: process.env.RALLEX_CHROMIUM || '/usr/bin/chromium',
    // As a browser does by default: audio only after a click or a key.
    args: ['--no-sandbox', '--autoplay-policy=user-gesture-required'],
  }),
  firefox: () => puppeteer.launch({browser: 'firefox', executablePath: process.env.RALLEX_FIREFOX || '/usr/bin/firefox-esr'}),
};
const chosen = (process.env.RALLEX_WEB_ENGINES || 'chromium,firefox').split(',');

// The bar below the stage is 32 CSS pixels high (web/index.html).
const BAR = 32;

// The picture's rectangle in CSS pixels for each window, worked by hand from
// the 800 x 600 picture: the stage is the window less the bar, counted in
// device pixels (CSS pixels times the ratio); with the aspect kept the side
// that limits fills it, the other is cut to a whole device pixel, and the
// picture is centred (halves dropped).
const sizes = [
  // A phone upright, touch, 3 device pixels a CSS pixel: the stage is
  // 1170 x 2436; 1170 * 600 / 800 = 877.5 -> 877 high, (2436 - 877) / 2 =
  // 779.5 -> 779 down: 259.67 CSS pixels, 292.33 high.
  {w: 390, h: 844, ratio: 3, touch: true, only: 'chromium', rect: [0, 779 / 3, 390, 877 / 3]},
  // The same size without touch: 390 x 812; 292.5 -> 292 high, (812 - 292) / 2 = 260.
  {w: 390, h: 844, ratio: 1, rect: [0, 260, 390, 292]},
  // 800 x 568: 568 * 800 / 600 = 757.3 -> 757 wide, (800 - 757) / 2 = 21.5 -> 21.
  {w: 800, h: 600, ratio: 1, rect: [21, 0, 757, 568]},
  // 1280 x 688: 917.3 -> 917, (1280 - 917) / 2 = 181.5 -> 181.
  {w: 1280, h: 720, ratio: 1, rect: [181, 0, 917, 688]},
  // 1920 x 1048: 1397.3 -> 1397, (1920 - 1397) / 2 = 261.5 -> 261.
  {w: 1920, h: 1080, ratio: 1, rect: [261, 0, 1397, 1048]},
];

let server, url;
before(async () => { ({server, url} = await serve()); });
after(() => { if (server) server.kill(); });

const canvasRect = page => page.evaluate(() => {
  const r = document.getElementById('screen').getBoundingClientRect();
  return [r.x, r.y, r.width, r.height];
});
const near = (got, want, what) => {
  for (let i = 0; i < 4; i++)
    assert.ok(Math.abs(got[i] - want[i]) < 0.02, `${what}: canvas at ${got.map(v => v.toFixed(2))}, wanted ${want.map(v => v.toFixed(2))}`);
};
const waitFor = (page, fn, arg, timeout = 30000) => page.waitForFunction(fn, {timeout, polling: 50}, arg);
const status = page => page.evaluate(() => window.rallexStatus);
const pause = (page, ms) => page.evaluate(t => new Promise(r => setTimeout(r, t)), ms);

for (const engine of Object.keys(engines).filter(e => chosen.includes(e))) {
  describe(engine, () => {
    let browser;
    before(async () => {
      const started = Date.now();
      browser = await engines[engine]();
      console.log(`# ${engine} ${await browser.version()} started in ${Date.now() - started} ms`);
    });
    after(async () => { if (browser) await browser.close(); });

    // A page of its own (storage included) at a size.
    const open = async (size, query = '') => {
      const context = await browser.createBrowserContext();
      const page = await context.newPage();
      const problems = [];
      page.on('pageerror', e => problems.push(e.message));
      await page.setViewport({width: size.w, height: size.h, deviceScaleFactor: size.ratio || 1,
                              ...(size.touch ? {hasTouch: true, isMobile: true} : {})});
      await page.goto(url + query);
      return {page, context, problems};
    };

    test('the first frames show the court, both paddles, the ball and both scores', async () => {
      const {page, context, problems} = await open({w: 1024, h: 800});
      await waitFor(page, () => window.rallexStatus.frames >= 5);
      const f = await look(page);
      await page.screenshot({path: path.join(shots, `${engine}-first-frames.png`)});
      const s = await status(page);
      console.log(`# ${engine}: load to first frame ${Math.round(s.firstFrameAt - s.loadedAt)} ms`);
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
      assert.deepEqual(problems, []);
      await context.close();
    });

    test('a hidden tab pauses the game and showing it goes on', async () => {
      const {page, context} = await open({w: 1024, h: 800});
      await waitFor(page, () => window.rallexStatus.frames >= 90);  // past the start pause, the ball moving
      // Headless browsers keep every tab visible, so the page is told what a
      // browser tells it when its tab goes behind another: hidden, then a
      // visibilitychange.
      const setHidden = hidden => page.evaluate(h => {
        Object.defineProperty(document, 'hidden', {configurable: true, get: () => h});
        Object.defineProperty(document, 'visibilityState', {configurable: true, get: () => (h ? 'hidden' : 'visible')});
        document.dispatchEvent(new Event('visibilitychange'));
      }, hidden);
      await setHidden(true);
      await pause(page, 300);
      const a = (await status(page)).state;
      await pause(page, 700);
      const b = (await status(page)).state;
      assert.deepEqual(b.ball, a.ball, 'the ball stays while hidden');
      assert.deepEqual(b.score, a.score);
      await setHidden(false);
      await pause(page, 700);
      const c = (await status(page)).state;
      assert.notDeepEqual(c.ball, b.ball, 'the ball moves again once shown');
      await context.close();
    });

    test('message boxes are dialogs of the page, answered by keyboard', async () => {
      const {page, context, problems} = await open({w: 1024, h: 800}, '?program=dialog_check');
      await page.waitForSelector('dialog.rallex-message', {visible: true, timeout: 30000});
      const dialog = () => page.evaluate(() => {
        const d = document.querySelector('dialog.rallex-message');
        return d && {caption: d.querySelector('h2').textContent, text: d.querySelector('p').textContent,
                     buttons: [...d.querySelectorAll('button')].map(b => b.textContent)};
      });
      const asked = await dialog();
      assert.match(asked.text, /Play another game\?/);
      assert.deepEqual(asked.buttons, ['Yes', 'No']);
      await page.keyboard.press('n');
      await waitFor(page, () => window.rallexStatus.trace.length >= 1);
      await waitFor(page, () => document.querySelector('dialog.rallex-message h2')?.textContent === 'Error');
      assert.match((await dialog()).text, /DirectDraw could not be set up\./);
      await page.keyboard.press('Enter');  // the focused OK button
      await waitFor(page, () => window.rallexStatus.ended);
      assert.deepEqual((await status(page)).trace, ['no', 'ok']);
      assert.equal(await dialog(), null);
      assert.deepEqual(problems, []);
      await context.close();
    });

    test('a page that cannot run the game says why in one line', async () => {
      const missing = file => async page => {
        await page.setRequestInterception(true);
        page.on('request', r => (r.url().endsWith(file) ? r.respond({status: 404, body: ''}) : r.continue()));
      };
      const cases = [
        ['no WebAssembly', page => page.evaluateOnNewDocument(() => { delete window.WebAssembly; }), /needs WebAssembly/],
        // A browser whose WebAssembly has no vector instructions (their opcodes
        // all start with the byte 0xFD) refuses any module that uses one.
        ['no WebAssembly SIMD', page => page.evaluateOnNewDocument(() => {
          const validate = WebAssembly.validate;
          WebAssembly.validate = bytes => !new Uint8Array(bytes).includes(0xFD) && validate(bytes);
        }), /needs WebAssembly SIMD/],
        ['the program missing', missing('/rallex.wasm'), /stopped|could not/i],
        ['the game files missing', missing('/rallex.data'), /stopped|could not/i],
      ];
      for (const [name, breakIt, says] of cases) {
        const context = await browser.createBrowserContext();
        const page = await context.newPage();
        await breakIt(page);
        await page.goto(url);
        await waitFor(page, () => window.rallexStatus && window.rallexStatus.error !== null, undefined, 15000);
        const line = await page.evaluate(() => document.getElementById('line').textContent);
        assert.match(line, says, name);
        assert.ok(!line.includes('\n') && line.length < 200, `${name}: one line: ${line}`);
        await context.close();
      }
    });

    test('the whole picture is inside the window and as large as fits, on opening and on turning', async () => {
      for (const size of sizes.filter(s => !s.only || s.only === engine)) {
        const {page, context, problems} = await open(size);
        await waitFor(page, () => window.rallexStatus.frames >= 3);
        const what = `${size.w}x${size.h} at ${size.ratio}${size.touch ? ' touch' : ''}`;
        near(await canvasRect(page), size.rect, what);
        const bar = await page.evaluate(() => document.getElementById('bar').getBoundingClientRect().toJSON());
        assert.equal(bar.bottom, size.h, `${what}: the bar is at the bottom`);
        assert.equal(bar.height, BAR);
        await page.screenshot({path: path.join(shots, `${engine}-${size.w}x${size.h}${size.touch ? '-touch' : ''}.png`)});
        if (size.w === 390 && !size.touch) {
          // Turned on its side: 844 x 358; the height limits, 358 * 800 / 600
          // = 477.3 -> 477 wide, (844 - 477) / 2 = 183.5 -> 183.
          await page.setViewport({width: 844, height: 390});
          await waitFor(page, () => document.getElementById('screen').getBoundingClientRect().width > 400, undefined, 5000);
          near(await canvasRect(page), [183, 0, 477, 358], `${what} turned`);
        }
        assert.deepEqual(problems, []);
        await context.close();
      }
    });

    if (engine === 'chromium') test('a finger moves the paddle on a phone held upright', async () => {
      const {page, context} = await open(sizes[0]);
      await waitFor(page, () => window.rallexStatus.frames >= 90);  // past the start pause
      const playerX = async () => (await status(page)).state.player[0];
      // The picture is 390 CSS pixels wide for its 800: a finger sliding 117
      // CSS pixels (30%) to the left moves the paddle 240 picture pixels.
      const [x, y, w, h] = await canvasRect(page);
      const at = f => x + w * f, row = y + h * 0.9;
      // The slide goes towards the far side of the court (the paddle stops at
      // its edges). A point scored meanwhile puts the paddles back where a
      // game starts: the slide is made again.
      let x0, moved;
      for (let attempt = 0; attempt < 3; attempt++) {
        const score = (await status(page)).state.score.join();
        x0 = await playerX();
        const way = x0 >= 360 ? -1 : 1, from = 0.45 - 0.15 * way;
        await page.touchscreen.touchStart(at(from), row);
        for (let i = 1; i <= 10; i++) {
          await page.touchscreen.touchMove(at(from + 0.03 * i * way), row);
          await pause(page, 20);
        }
        await page.touchscreen.touchEnd();
        await waitFor(page, ([x, w]) => (window.rallexStatus.state.player[0] - x) * w > 200, [x0, way], 5000).catch(() => {});
        moved = Math.abs(await playerX() - x0);
        if ((await status(page)).state.score.join() === score) break;
      }
      assert.ok(moved > 200 && moved <= 250, `touch: ${x0} moved ${moved}`);
      await context.close();
    });

    test('whole multiples count device pixels, stretch fills the stage, and the choice is remembered', async () => {
      // 1920 x 1080 at 2 device pixels a CSS pixel: the stage is 3840 x 2096.
      const size = {w: 1920, h: 1080, ratio: 2};
      const {page, context, problems} = await open(size);
      await waitFor(page, () => window.rallexStatus.frames >= 3);
      const choose = async (id, value) => {
        await page.evaluate(() => { document.getElementById('view').open = true; });
        await page.select('#' + id, value);
      };
      // min(3840 / 800, 2096 / 600) = min(4.8, 3.49) -> 3 times: 2400 x 1800
      // device pixels at ((3840 - 2400) / 2, (2096 - 1800) / 2) = (720, 148),
      // which are 1200 x 900 CSS pixels at (360, 74): 1.5 CSS pixels a picture
      // pixel, 3 device pixels.
      await choose('scaling', 'integer');
      near(await canvasRect(page), [360, 74, 1200, 900], 'integer');
      await choose('filter', 'linear');
      assert.equal(await page.evaluate(() => document.getElementById('screen').style.imageRendering), 'auto');
      await page.reload();
      await waitFor(page, () => window.rallexStatus.frames >= 3);
      near(await canvasRect(page), [360, 74, 1200, 900], 'integer, after a reload');
      assert.deepEqual(await page.evaluate(() => [document.getElementById('scaling').value,
                                                  document.getElementById('filter').value,
                                                  document.getElementById('screen').style.imageRendering]),
                       ['integer', 'linear', 'auto']);
      await choose('scaling', 'stretch');
      near(await canvasRect(page), [0, 0, 1920, 1048], 'stretch');
      await choose('filter', 'nearest');
      assert.equal(await page.evaluate(() => document.getElementById('screen').style.imageRendering), 'pixelated');
      assert.deepEqual(problems, []);
      await context.close();
    });

    test('at the end the page says the score; a new start downloads nothing and attaches nothing twice', async () => {
      // The scripted game of the desktop's golden trace, left after 1000 frames.
      const {page, context, problems} = await open({w: 1024, h: 768}, '?script=test/golden_mouse.txt&frames=1000');
      // Every listener added and removed on the page, by target and type.
      await page.evaluateOnNewDocument(() => {
        const counts = window.rallexListeners = {};
        const name = t => (t === window ? 'window' : t === document ? 'document' : t.id || t.nodeName) + ' ';
        const add = EventTarget.prototype.addEventListener, remove = EventTarget.prototype.removeEventListener;
        EventTarget.prototype.addEventListener = function(type, f, o) {
          counts[name(this) + type] = (counts[name(this) + type] || 0) + 1;
          return add.call(this, type, f, o);
        };
        EventTarget.prototype.removeEventListener = function(type, f, o) {
          counts[name(this) + type] = (counts[name(this) + type] || 0) - 1;
          return remove.call(this, type, f, o);
        };
      });
      await page.reload();
      await waitFor(page, () => window.rallexStatus.frames >= 3);
      const listening = await page.evaluate(() => ({...window.rallexListeners}));
      await waitFor(page, () => window.rallexStatus.ended, undefined, 60000);
      // Frame by frame as on the desktop, where the player has 2 and the
      // computer 1 at frame 1000.
      const golden = goldenTrace().slice(0, 1000), trace = (await status(page)).trace;
      assert.equal(trace.length, 1000);
      const first = trace.findIndex((line, i) => line !== golden[i]);
      assert.equal(first, -1, first < 0 ? '' : `frame ${first + 1}: ${trace[first]} against ${golden[first]}`);
      assert.deepEqual(golden[999].split(',').slice(8, 10), ['2', '1']);
      const said = await page.evaluate(() => [document.getElementById('line').textContent,
                                              document.getElementById('result').textContent,
                                              document.getElementById('result').hidden]);
      assert.deepEqual(said, ['You left the game at 2–1.', 'You left the game at 2–1.', false]);
      const ended = await page.evaluate(() => ({...window.rallexListeners}));
      assert.ok(ended['window keydown'] < listening['window keydown'], 'the keys are no longer the program\'s');

      const asked = [];
      page.on('request', r => asked.push(new URL(r.url()).pathname));
      await page.click('#again');
      await waitFor(page, () => !window.rallexStatus.ended && window.rallexStatus.frames >= 3);
      const s = await status(page);
      assert.equal(s.starts, 2);
      assert.deepEqual(s.state.score, [0, 0]);
      assert.equal(await page.evaluate(() => document.getElementById('result').hidden), true);
      assert.deepEqual(asked.filter(p => /\.(js|wasm|data)$/.test(p)), [], 'nothing of the program downloaded again');
      const again = await page.evaluate(() => ({...window.rallexListeners}));
      for (const key of Object.keys(listening).filter(k => listening[k] > 0))
        assert.equal(again[key], listening[key], `${key}: attached as often as on the first start`);
      assert.deepEqual(problems, []);
      await context.close();
    });

    test('the hint speaks of touch on a touch screen and of the mouse and keys elsewhere', async () => {
      const line = page => page.evaluate(() => document.getElementById('line').textContent);
      if (engine === 'chromium') {  // touch is emulated in Chromium only
        const {page, context} = await open({w: 390, h: 844, ratio: 1, touch: true});
        await waitFor(page, () => window.rallexStatus.frames >= 3);
        assert.equal(await line(page), 'Touch the game for sound; slide a finger over it to play.');
        await page.touchscreen.tap(200, 400);
        await waitFor(page, () => window.rallexStatus.unmuted);
        assert.equal(await line(page), 'Slide a finger over the game to play.');
        await context.close();
      }
      const {page, context} = await open({w: 800, h: 600});
      await waitFor(page, () => window.rallexStatus.frames >= 3);
      assert.equal(await line(page), 'Sound starts with your first click or key. Click the game to play with the mouse; Escape ends it.');
      await page.keyboard.press('Shift');
      await waitFor(page, () => window.rallexStatus.unmuted);
      assert.equal(await line(page), 'Click the game to play with the mouse; Escape ends it.');
      await context.close();
    });

    test('a game left with Escape says the score; a new start keeps the sound on', async () => {
      const {page, context} = await open({w: 800, h: 600});
      await waitFor(page, () => window.rallexStatus.frames >= 3);
      await page.keyboard.press('Shift');
      await waitFor(page, () => window.rallexStatus.unmuted);
      await page.keyboard.press('Escape');  // the pointer is not locked: the game ends
      await waitFor(page, () => window.rallexStatus.ended);
      assert.equal(await page.evaluate(() => document.getElementById('line').textContent), 'You left the game at 0–0.');
      await page.click('#again');
      await waitFor(page, () => !window.rallexStatus.ended && window.rallexStatus.frames >= 3);
      assert.equal((await status(page)).unmuted, true);
      // The new game's first sound is heard without another key. (Headless
      // Firefox here plays no audio at all, before a new start or after.)
      if (engine === 'chromium') {
        await waitFor(page, () => window.rallexStatus.sounds.length >= 1, undefined, 20000);
        await pause(page, 300);
        const s = await status(page);
        const heard = s.audio.filter(b => b.at >= s.sounds[0].at && b.at < s.sounds[0].at + 250);
        const peak = Math.max(0, ...heard.map(b => b.peak));
        assert.ok(peak > 0.02, `${s.sounds[0].name} after the new start: loudest ${peak}`);
      }
      await context.close();
    });
  });
}
