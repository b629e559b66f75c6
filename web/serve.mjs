// SPDX-License-Identifier: MIT
// node serve.mjs FOLDER [PORT] [--https KEY CERT]: serves FOLDER on 127.0.0.1
// (a free port unless PORT is given) and prints the URL on its first line;
// with --https, over TLS with the key and certificate in those PEM files.
import http from 'node:http';
import https from 'node:https';
import fs from 'node:fs';
import path from 'node:path';

const args = process.argv.slice(2);
const tlsAt = args.indexOf('--https');
const tls = tlsAt < 0 ? null : {key: fs.readFileSync(args[tlsAt + 1]), cert: fs.readFileSync(args[tlsAt + 2])};
if (tlsAt >= 0) args.splice(tlsAt, 3);
const root = path.resolve(args[0] || '.');
const port = Number(args[1] || 0);
const types = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript; charset=utf-8', '.mjs': 'text/javascript',
  '.wasm': 'application/wasm', '.data': 'application/octet-stream', '.sf2': 'application/octet-stream',
  '.ttf': 'font/ttf', '.txt': 'text/plain; charset=utf-8', '.css': 'text/css', '.png': 'image/png',
  '.svg': 'image/svg+xml',
};

const serve = (req, res) => {
  let name;
  try {
    name = decodeURIComponent(new URL(req.url, 'http://x').pathname);
  } catch {
    res.writeHead(400).end();
    return;
  }
  if (name.endsWith('/')) name += 'index.html';
  const file = path.join(root, path.normalize(name));
  if (!file.startsWith(root + path.sep)) {
    res.writeHead(403).end();
    return;
  }
  fs.stat(file, (err, info) => {
    if (err || !info.isFile()) {
      res.writeHead(404, {'Content-Type': 'text/plain'}).end('not found\n');
      return;
    }
    res.writeHead(200, {
      'Content-Type': types[path.extname(file)] || 'application/octet-stream',
      'Content-Length': info.size,
      'Cache-Control': 'no-cache',
    });
    if (req.method === 'HEAD') res.end();
    else fs.createReadStream(file).pipe(res);
  });
};
const server = tls ? https.createServer(tls, serve) : http.createServer(serve);
server.listen(port, '127.0.0.1', () => {
  console.log(`${tls ? 'https' : 'http'}://127.0.0.1:${server.address().port}/`);
});
