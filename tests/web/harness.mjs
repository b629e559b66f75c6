// SPDX-License-Identifier: MIT
// What the browser tests share: the folders (WEB_DIR, the first argument, is
// build-web/web made by scripts/web --build; screenshots go beside it in
// browser-test/), the project's server on that folder, and reading the game's
// picture in the page.
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

export const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
export const webDir = path.resolve(process.argv[2] || path.join(root, 'build-web/web'));
export const shots = path.join(webDir, '../browser-test');
fs.mkdirSync(shots, {recursive: true});
// The scripted game of the native golden trace, served beside the page.
fs.mkdirSync(path.join(webDir, 'test'), {recursive: true});
fs.copyFileSync(path.join(root, 'tests/game/golden_mouse.txt'), path.join(webDir, 'test/golden_mouse.txt'));

// The desktop's trace of that game, one line a frame (without the header).
export const goldenTrace = () =>
  fs.readFileSync(path.join(root, 'tests/game/golden_trace.csv'), 'utf8').trim().split('\n').slice(1);

// Starts web/serve.mjs on WEB_DIR: {server, url}.
export async function serve() {
  const server = spawn(process.execPath, [path.join(root, 'web/serve.mjs'), webDir], {stdio: ['ignore', 'pipe', 'inherit']});
  const url = await new Promise((resolve, reject) => {
    server.stdout.once('data', d => resolve(d.toString().trim()));
    server.once('exit', code => reject(new Error('the server ended with ' + code)));
  });
  return {server, url};
}

// Colours of the game's own 800x600 picture at the places the state of the
// frame it shows names, read in the page in one go so that they agree.
export function look(page) {
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
