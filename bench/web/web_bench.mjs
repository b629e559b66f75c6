// SPDX-License-Identifier: MIT
// The web build in headless Chromium beside the desktop build of the same run:
//   node bench/web/web_bench.mjs WEB_DIR NATIVE_REPLAY [SECONDS]
// prints the time from page load to the game's start pause and to its first
// frame (the median of five loads of the site to deploy, WEB_DIR/../site, as
// a host serves it), frames a second and main-thread time a frame over SECONDS of play
// (60 by default), what the page loads, and the scripted game of the golden
// trace run on a virtual clock in the page and natively (NATIVE_REPLAY is the
// desktop's replay tool), as milliseconds a frame.
import { spawn, spawnSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { chromium } from '../../web/node_modules/playwright-core/index.mjs';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const [webDir, replay, secondsArg] = process.argv.slice(2);
const seconds = Number(secondsArg || 60);
fs.mkdirSync(path.join(webDir, 'test'), {recursive: true});
fs.copyFileSync(path.join(root, 'tests/game/golden_mouse.txt'), path.join(webDir, 'test/golden_mouse.txt'));

const serve = dir => {
  const server = spawn(process.execPath, [path.join(root, 'web/serve.mjs'), dir], {stdio: ['ignore', 'pipe', 'inherit']});
  return [server, new Promise(r => server.stdout.once('data', d => r(d.toString().trim())))];
};
const [server, urlReady] = serve(webDir);
const [siteServer, siteUrlReady] = serve(path.join(webDir, '../site'));
const [url, siteUrl] = await Promise.all([urlReady, siteUrlReady]);
const browser = await chromium.launch({executablePath: process.env.RALLEX_CHROMIUM || '/usr/bin/chromium',
                                       args: ['--no-sandbox']});
const row = (name, value, target = '') => console.log(`${name.padEnd(44)} ${String(value).padStart(12)}  ${target}`);

try {
  // Loading, five times from the site: the median says more on a busy machine.
  const loads = [];
  for (let i = 0; i < 5; i++) {
    const c = await browser.newContext({viewport: {width: 1024, height: 800}});
    const p = await c.newPage();
    await p.goto(siteUrl);
    await p.waitForFunction(() => window.rallexStatus.firstPauseAt !== null, null, {timeout: 30000});
    const s = await p.evaluate(() => window.rallexStatus);
    loads.push([s.firstPauseAt - s.loadedAt, s.firstFrameAt - s.loadedAt]);
    await c.close();
  }
  const median = k => loads.map(l => l[k]).sort((a, b) => a - b)[2];
  row('load to start pause, site (ms, median of 5)', Math.round(median(0)), 'target < 600');
  row('load to first frame, site (ms, median of 5)', Math.round(median(1)));
  row('  all five to the start pause', loads.map(l => Math.round(l[0])).join(' '));

  // Loading and playing in real time.
  const context = await browser.newContext({viewport: {width: 1024, height: 800}});
  const page = await context.newPage();
  let bytes = 0;
  const files = [];
  page.on('response', async r => {
    try {
      const n = (await r.body()).length;
      bytes += n;
      files.push([new URL(r.url()).pathname, n]);
    } catch {}
  });
  const cdp = await context.newCDPSession(page);
  await cdp.send('Performance.enable');
  await page.goto(url);
  await page.waitForFunction(() => window.rallexStatus.frames >= 1, null, {timeout: 30000});
  const s0 = await page.evaluate(() => window.rallexStatus);
  row('load to start pause, build folder (ms)', Math.round(s0.firstPauseAt - s0.loadedAt));
  row('load to first frame, build folder (ms)', Math.round(s0.firstFrameAt - s0.loadedAt));
  const metric = async () => Object.fromEntries((await cdp.send('Performance.getMetrics')).metrics.map(m => [m.name, m.value]));
  const m0 = await metric();
  const counts = () => page.evaluate(() => [performance.now(), window.rallexStatus.frames, window.rallexStatus.pausedMs,
                                             !!window.rallexStatus.ended]);
  const [, f0, p0] = await counts();
  const t0 = Date.now();
  // The frame rate second by second. The game stands still for a second after
  // each point: a second in which a pause began, and the two after it (the
  // pause runs into them), are not seconds of play.
  const rates = [];
  // The computer wins a game left alone in about a minute; the seconds after
  // its end are not play either.
  let last = await counts(), sincePause = 3, endedAfter = null;
  for (let i = 0; i < seconds; i++) {
    await page.waitForTimeout(1000);
    const now = await counts();
    if (now[3]) {
      endedAfter = i + 1;
      break;
    }
    sincePause = now[2] !== last[2] ? 0 : sincePause + 1;
    if (sincePause >= 3) rates.push((now[1] - last[1]) * 1000 / (now[0] - last[0]));
    last = now;
  }
  const m1 = await metric();
  const [, f1, p1] = await counts();
  const wall = (Date.now() - t0) / 1000;
  const frames = f1 - f0;
  rates.sort((a, b) => a - b);
  const at = q => rates.length ? rates[Math.min(rates.length - 1, Math.floor(q * rates.length))].toFixed(1) : '-';
  row(`frames a second of play (median of ${rates.length} s)`, at(0.5), 'target 60');
  row('  lowest and highest second', `${at(0)} ${at(0.999)}`);
  row('  seconds paused after points', ((p1 - p0) / 1000).toFixed(1));
  if (endedAfter !== null) row('  the game ended after (s)', endedAfter);
  const busy = (m1.TaskDuration - m0.TaskDuration) / wall;
  row('main thread busy (% of one core)', (busy * 100).toFixed(1), 'target < 25');
  row('main thread a frame (ms)', ((m1.TaskDuration - m0.TaskDuration) * 1000 / Math.max(1, frames)).toFixed(2));
  row('loaded by the game page (bytes)', bytes);
  for (const [name, n] of files.sort((a, b) => b[1] - a[1]).slice(0, 4)) row(`  ${name}`, n);
  const font = fs.statSync(path.join(webDir, 'soundfonts/default-GM.sf2')).size;
  const synth = ['synth/libfluidsynth.js', 'synth/js-synthesizer.min.js']
                    .reduce((n, f) => n + fs.statSync(path.join(webDir, f)).size, 0);
  row('with music: plus sound font and synthesizer', bytes + font + synth, 'target < 12 MB');
  row('rallex.wasm (bytes)', fs.statSync(path.join(webDir, 'rallex.wasm')).size);
  await context.close();

  // The scripted game on a virtual clock: the rules and the drawing of a frame.
  const scripted = await browser.newContext();
  const sp = await scripted.newPage();
  await sp.goto(url + '?script=test/golden_mouse.txt');
  await sp.waitForFunction(() => window.rallexStatus.frames >= 1, null, {timeout: 30000});
  const w0 = Date.now();
  await sp.waitForFunction(() => window.rallexStatus.ended, null, {timeout: 600000, polling: 100});
  const webMs = Date.now() - w0;
  const webFrames = (await sp.evaluate(() => window.rallexStatus.trace.length));
  await scripted.close();
  const n0 = Date.now();
  const native = spawnSync(replay, [path.join(root, 'tests/game/golden_mouse.txt')], {cwd: path.join(root, 'assets'),
                                                                                       maxBuffer: 1 << 26});
  const nativeMs = Date.now() - n0;
  const nativeFrames = native.stdout.toString().trim().split('\n').length - 1;
  row('scripted game, web (ms a frame)', (webMs / webFrames).toFixed(3));
  row('scripted game, native replay (ms a frame)', (nativeMs / nativeFrames).toFixed(3),
      'native replay skips converting frames for a display');

  // The effect copies of 800 x 600 pictures, timed by the same program in the
  // page and natively (EFFECT_TIMING, built beside the replay tool): natively
  // at the processor's best level and, where that is AVX-512, at AVX2 too,
  // whose 256-bit vectors are nearer the page's 128. Each copy's time is the
  // least of three runs of each, taken in turns: a shared machine only ever
  // slows a run down.
  const pageTiming = async () => {
    const timing = await browser.newContext();
    const tp = await timing.newPage();
    const lines = [];
    tp.on('console', m => { if (/^(effect|level) /.test(m.text())) lines.push(m.text()); });
    await tp.goto(url + '?program=effect_timing');
    await tp.waitForFunction(() => window.rallexStatus.ended, null, {timeout: 600000, polling: 200});
    await timing.close();
    return lines;
  };
  const effectTiming = level => spawnSync(path.join(path.dirname(replay), 'effect_timing'), [], {
    cwd: path.join(root, 'assets'), env: level ? {...process.env, RALLEX_CPU: level} : process.env,
  }).stdout.toString().trim().split('\n');
  const levelOf = lines => (lines.find(l => l.startsWith('level ')) || 'level ?').split(' ')[1];
  const us = lines => Object.fromEntries(lines.filter(l => l.startsWith('effect ')).map(l => l.split(' '))
                                             .map(([, name, depth, t]) => [`${name}${depth}`, Number(t)]));
  const least = (a, b) => (a ? Object.fromEntries(Object.entries(b).map(([k, v]) => [k, Math.min(v, a[k] ?? v)])) : b);
  let webLines = [], webUs = null;
  const natives = [];
  for (let round = 0; round < 3; ++round) {
    webLines = await pageTiming();
    webUs = least(webUs, us(webLines));
    const bestLines = effectTiming(null);
    if (!round) {
      natives.push([levelOf(bestLines), null]);
      if (natives[0][0] === 'avx3') natives.push(['avx2', null]);
    }
    natives[0][1] = least(natives[0][1], us(bestLines));
    if (natives[1]) natives[1][1] = least(natives[1][1], us(effectTiming('avx2')));
  }
  console.log(`effect copy (µs a copy; page at ${levelOf(webLines)})`.padEnd(44), 'web'.padStart(8),
              ...natives.map(([level]) => `${level.padStart(8)}  web/${level.padEnd(5)}`));
  const over = natives.map(() => 0);
  let copies = 0;
  for (const name of Object.keys(natives[0][1])) {
    if (!(name in webUs)) continue;
    ++copies;
    console.log(`  ${name}`.padEnd(44), webUs[name].toFixed(0).padStart(8), ...natives.map(([, n], i) => {
      const ratio = webUs[name] / n[name];
      if (ratio > 3) ++over[i];
      return `${n[name].toFixed(0).padStart(8)}  ${ratio.toFixed(2).padStart(9)} `;
    }));
  }
  natives.forEach(([level], i) => row(`copies over 3 times native ${level}`, `${over[i]} of ${copies}`,
                                      i === 0 ? 'target 0' : ''));
} finally {
  await browser.close();
  server.kill();
  siteServer.kill();
}
