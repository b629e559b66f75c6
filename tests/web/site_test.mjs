// SPDX-License-Identifier: MIT
// The folder to deploy, in headless Chromium: node tests/web/site_test.mjs BUILD_WEB
// (BUILD_WEB is build-web: scripts/web --build made site/ there, and
// tests/web/porter_build.sh the porter's site in porter-site/). The site is
// served as a static host would, over http on localhost and over https with a
// certificate made for the test; nothing is added to it.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { spawn, execFileSync } from 'node:child_process';
import crypto from 'node:crypto';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';
import { fileURLToPath } from 'node:url';
import { chromium } from '../../web/node_modules/playwright-core/index.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const root = path.resolve(here, '../..');
const buildDir = path.resolve(process.argv[2] || path.join(root, 'build-web'));
const site = path.join(buildDir, 'site');
const porterSite = path.join(buildDir, 'porter-site');
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'rallex-site-'));

const servers = [];
let browser;

async function serve(folder, ...extra) {
  const server = spawn(process.execPath, [path.join(root, 'web/serve.mjs'), folder, ...extra],
                       {stdio: ['ignore', 'pipe', 'inherit']});
  servers.push(server);
  return new Promise((resolve, reject) => {
    server.stdout.once('data', d => resolve(d.toString().trim()));
    server.once('exit', code => reject(new Error('the server ended with ' + code)));
  });
}

let plain, secure, porter;
before(async () => {
  const key = path.join(scratch, 'key.pem'), cert = path.join(scratch, 'cert.pem');
  execFileSync('openssl', ['req', '-x509', '-newkey', 'rsa:2048', '-nodes', '-days', '1', '-subj', '/CN=127.0.0.1',
                           '-keyout', key, '-out', cert], {stdio: 'ignore'});
  [plain, secure, porter] = await Promise.all([serve(site), serve(site, '0', '--https', key, cert), serve(porterSite)]);
  browser = await chromium.launch({
    executablePath: process.env.RALLEX_CHROMIUM || '/usr/bin/chromium',
    args: ['--no-sandbox', '--autoplay-policy=user-gesture-required'],
  });
});

after(async () => {
  if (browser) await browser.close();
  for (const s of servers) s.kill();
  fs.rmSync(scratch, {recursive: true, force: true});
});

// A page whose every console message, browser log entry (failed loads,
// deprecations, interventions) and uncaught error is kept.
async function open(url, options = {}) {
  const context = await browser.newContext({viewport: {width: 1024, height: 800}, ignoreHTTPSErrors: true, ...options});
  const page = await context.newPage();
  const said = [];
  page.on('console', m => said.push(`console ${m.type()}: ${m.text()}`));
  page.on('pageerror', e => said.push(`error: ${e.message}`));
  const cdp = await context.newCDPSession(page);
  cdp.on('Log.entryAdded', ({entry}) => said.push(`log ${entry.level} (${entry.source}): ${entry.text} ${entry.url || ''}`));
  await cdp.send('Log.enable');
  await page.goto(url);
  return {page, context, said};
}
const waitFor = (page, fn, arg, timeout = 20000) => page.waitForFunction(fn, arg, {timeout});
const noisy = said => said.filter(s => !s.startsWith('console log:') && !s.startsWith('console info:') &&
                                      !s.startsWith('log verbose') && !s.startsWith('log info'));

test('the console stays empty on load and in play, from localhost and over https', async () => {
  for (const url of [plain, secure]) {
    const {page, context, said} = await open(url);
    await waitFor(page, () => window.rallexStatus.frames >= 3);
    await page.mouse.click(512, 300);  // sound on, pointer lock
    await waitFor(page, () => window.rallexStatus.locked);
    for (let i = 0; i < 30; i++) {
      await page.mouse.move(512 + 10 * Math.sin(i / 3), 300);
      await page.waitForTimeout(30);
    }
    // Some of the game's sounds, heard.
    await waitFor(page, () => window.rallexStatus.audio.some(b => b.peak > 0.02), undefined, 30000);
    await page.keyboard.press('Escape');
    await waitFor(page, () => !window.rallexStatus.locked);
    await page.waitForTimeout(400);  // an Escape right after the one that freed the pointer is taken as the same
    await page.keyboard.press('Escape');
    await waitFor(page, () => window.rallexStatus.ended);
    const s = await page.evaluate(() => ({secure: window.isSecureContext, error: window.rallexStatus.error}));
    assert.equal(s.secure, true, url);
    assert.equal(s.error, null, url);
    assert.deepEqual(noisy(said), [], url);
    await context.close();
  }
});

test("the gallery's pages and an example run from it keep the console empty too", async () => {
  for (const [query, ready] of [['gallery.html', null], ['gallery/sprite.html', null],
                                ['index.html?program=sprite', () => window.rallexStatus.frames > 3]]) {
    const {page, context, said} = await open(plain + query);
    await page.waitForLoadState('load');
    if (ready) await waitFor(page, ready);
    await page.waitForTimeout(500);
    assert.deepEqual(noisy(said), [], query);
    await context.close();
  }
});

test('without an audio worklet the script processor plays the game, the sounds on time', async () => {
  const context = await browser.newContext({viewport: {width: 1024, height: 800}});
  await context.addInitScript(() => { delete window.AudioWorkletNode; });
  const bare = await context.newPage();
  await bare.goto(plain);
  await waitFor(bare, () => window.rallexStatus.frames >= 3);
  await bare.keyboard.press('Shift');
  await waitFor(bare, () => window.rallexStatus.sounds.length >= 2, undefined, 60000);
  await bare.waitForTimeout(300);
  const s = await bare.evaluate(() => window.rallexStatus);
  for (const sound of s.sounds) {
    const heard = s.audio.filter(b => b.at >= sound.at && b.at < sound.at + 200);
    assert.ok(Math.max(0, ...heard.map(b => b.peak)) > 0.02, `${sound.name} at ${Math.round(sound.at)} ms is heard`);
  }
  await context.close();
});

test('the Licences link opens in a tab of its own and the game goes on', async () => {
  const {page, context} = await open(plain);
  await waitFor(page, () => window.rallexStatus.frames >= 3);
  const [licences] = await Promise.all([context.waitForEvent('page'), page.click('text=Licences')]);
  await licences.waitForLoadState();
  assert.match(licences.url(), /licenses\.html$/);
  assert.match(page.url(), /\/$/, 'the game keeps its tab');
  const before = await page.evaluate(() => window.rallexStatus.frames);
  await page.waitForTimeout(500);
  const s = await page.evaluate(() => window.rallexStatus);
  assert.ok(s.frames > before && !s.ended, `the game goes on: ${before} -> ${s.frames} frames`);
  await context.close();
});

// Every file the site holds, relative to it.
function listing(folder) {
  return fs.readdirSync(folder, {recursive: true, withFileTypes: true}).filter(e => e.isFile())
    .map(e => path.relative(folder, path.join(e.parentPath ?? e.path, e.name))).sort();
}

test('the site holds only what visitors load, each compressed copy equal to its file', () => {
  const files = listing(site);
  const originals = files.filter(f => !/\.(gz|br)$/.test(f));
  // The game's page and program, the gallery with the examples' programs,
  // and what the pages load or link; no test program, no build file.
  const examples = /set\(EXAMPLES([^)]*)\)/.exec(fs.readFileSync(path.join(root, 'examples/CMakeLists.txt'), 'utf8'))[1]
                       .split(/\s+/).filter(Boolean);
  const program = new RegExp(`^(${['rallex', ...examples].join('|')})\\.(js|wasm|data)$`);
  const page = /^(index\.html|page\.js|icon\.svg|licenses\.html|gallery\.html|gallery\/.+|licenses\/[^/]+\.txt|sources\/[^/]+|fonts\/[^/]+\.ttf|synth\/[^/]+\.js|soundfonts\/[^/]+\.sf2)$/;
  assert.deepEqual(originals.filter(f => !program.test(f) && !page.test(f)), [], 'nothing but the pages');
  for (const f of ['index.html', 'rallex.wasm', 'rallex.data', 'licenses.html', 'icon.svg', 'gallery.html', 'sprite.wasm'])
    assert.ok(originals.includes(f), f);
  for (const f of ['index.html', 'page.js', 'rallex.js', 'rallex.wasm', 'rallex.data', 'soundfonts/default-GM.sf2'])
    assert.ok(files.includes(f + '.gz') && files.includes(f + '.br'), `${f} has compressed copies`);
  for (const f of files.filter(f => /\.(gz|br)$/.test(f))) {
    const original = fs.readFileSync(path.join(site, f.slice(0, -3)));
    const unpacked = f.endsWith('.gz') ? zlib.gunzipSync(fs.readFileSync(path.join(site, f)))
                                       : zlib.brotliDecompressSync(fs.readFileSync(path.join(site, f)));
    assert.ok(unpacked.equals(original), `${f} unpacks to its file`);
  }
});

test('the licences page links every licence in full and every source package whole', async () => {
  const {page, context} = await open(plain + 'licenses.html');
  const links = await page.$$eval('#licences a[href^="licenses/"]', as => as.map(a => a.getAttribute('href')));
  assert.ok(links.length >= 8, `licence links: ${links}`);
  assert.ok(links.includes('licenses/highway.txt'), 'Highway, compiled into the program, is listed');
  for (const link of links) {
    const text = fs.readFileSync(path.join(site, link), 'utf8');
    assert.ok(!text.includes('/usr/share/common-licenses'), `${link} points to files a visitor does not have`);
    // A text that refers to the GPL or Apache carries it whole.
    if (/GNU (Lesser )?General Public License/.test(text))
      assert.match(text, /END OF TERMS AND CONDITIONS/, `${link} has the GPL's full text`);
    if (/Apache License/.test(text)) assert.match(text, /END OF TERMS AND CONDITIONS/, `${link} has Apache's full text`);
  }
  const runtime = fs.readFileSync(path.join(site, 'licenses/emscripten-runtime.txt'), 'utf8');
  for (const part of ['system/lib/libc/musl', 'system/lib/libcxx/', 'system/lib/libcxxabi/', 'system/lib/compiler-rt/'])
    assert.ok(runtime.includes(part), `the runtime's licences cover ${part}`);
  // The source packages: each .dsc listed, and every file it names beside it
  // with the size and SHA-256 that the .dsc gives.
  const sources = await page.$$eval('#sources a', as => as.map(a => a.getAttribute('href')));
  const dscs = sources.filter(s => s.endsWith('.dsc'));
  // FreeType, built into the program, is served whole; a data package that
  // this machine's archive did not give is at least linked on Debian's.
  assert.ok(dscs.some(d => d.startsWith('sources/freetype_')), 'FreeType\'s source package is served');
  for (const want of ['fonts-liberation', 'timgm6mb-soundfont'])
    assert.ok(dscs.some(d => d.startsWith(`sources/${want}_`)) ||
              sources.some(s => s.startsWith(`https://sources.debian.org/src/${want}/`)), `${want}'s source`);
  for (const dsc of dscs) {
    const sums = fs.readFileSync(path.join(site, dsc), 'utf8').split(/^Checksums-Sha256:\n/m)[1].split(/\n(?! )/)[0];
    for (const [, sha, size, name] of sums.matchAll(/^ ([0-9a-f]{64}) (\d+) (\S+)$/gm)) {
      assert.ok(sources.includes('sources/' + name), `${name} of ${dsc} is listed`);
      const bytes = fs.readFileSync(path.join(site, 'sources', name));
      assert.equal(bytes.length, Number(size), name);
      assert.equal(crypto.createHash('sha256').update(bytes).digest('hex'), sha, name);
    }
  }
  for (const s of sources.filter(s => !/^https:/.test(s))) assert.ok(fs.existsSync(path.join(site, s)), `${s} is in the site`);
  await context.close();
});

test("the installed page speaks of the program it starts, not of the game", async () => {
  const none = await open(porter);
  await waitFor(none.page, () => window.rallexStatus && window.rallexStatus.error !== null);
  assert.match(await none.page.textContent('#line'), /No program to start.*\?program=NAME/);
  assert.doesNotMatch(await none.page.title(), /Rallex/);
  await none.context.close();
  const sprite = await open(porter + '?program=sprite');
  await waitFor(sprite.page, () => window.rallexStatus.frames > 3);
  // The title is the program's window's.
  assert.equal(await sprite.page.title(), 'Rallex sprite example');
  assert.deepEqual(noisy(sprite.said), []);
  const licences = await sprite.page.evaluate(() => fetch('licenses.html').then(r => r.text()));
  assert.doesNotMatch(licences, /the game/);
  await sprite.context.close();
});
