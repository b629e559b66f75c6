// SPDX-License-Identifier: MIT
// node web/gallery.mjs EXAMPLES OUT: the gallery page of the examples in
// EXAMPLES (examples/) written into the page's folder OUT: gallery.html, and
// gallery/ with each example's screenshot (its golden picture) and its source
// as a page of its own. Each example is listed with its screenshot, what its
// leading comment says, its source and a link that runs it in the page
// (index.html?program=NAME; the programs are built beside the page by
// web/build_gallery.sh). The order is the one of the examples' CMake list.
import fs from 'node:fs';
import path from 'node:path';

const [examples, out] = process.argv.slice(2);
if (!examples || !out) {
  console.error('usage: node web/gallery.mjs EXAMPLES OUT');
  process.exit(2);
}

const escape = (text) => text.replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;');

// The names from "set(EXAMPLES ...)" of the examples' CMakeLists.txt.
const cmake = fs.readFileSync(path.join(examples, 'CMakeLists.txt'), 'utf8');
const list = /set\(EXAMPLES([^)]*)\)/.exec(cmake);
if (!list) throw new Error('no set(EXAMPLES ...) in the examples\' CMakeLists.txt');
const names = list[1].split(/\s+/).filter(Boolean);

// The first paragraph of the leading comment (after the licence line), as one
// line of prose; the example's page shows the rest in its source.
function summarise(source) {
  const lines = [];
  for (const line of source.split('\n')) {
    if (!line.startsWith('//')) break;
    if (line.includes('SPDX-License-Identifier')) continue;
    lines.push(line.replace(/^\/\/ ?/, ''));
  }
  return lines.join('\n').trim().split(/\n\s*\n/)[0].replace(/\s+/g, ' ');
}

const style = `
  body { margin: 0 auto; max-width: 72em; padding: 1em 1.5em; background: #111; color: #ddd; font: 15px/1.45 sans-serif; }
  a { color: #9bd; }
  h1 { font-size: 1.6em; margin: .3em 0; }
  ul.gallery { list-style: none; padding: 0; display: grid; grid-template-columns: repeat(auto-fill, minmax(20em, 1fr)); gap: 1.2em; }
  ul.gallery li { background: #1c1c1c; border: 1px solid #333; padding: .6em; }
  ul.gallery img { width: 100%; height: auto; display: block; }
  .shot { max-width: 100%; height: auto; display: block; }
  ul.gallery h2 { font-size: 1.1em; margin: .5em 0 .2em; }
  p.summary { margin: .2em 0 .5em; }
  nav a { margin-right: 1em; }
  pre { background: #0b0b0b; border: 1px solid #333; padding: .8em; overflow-x: auto; font: 13px/1.35 monospace; }
`;
// UP leads from the page to the site's top (the icon is there).
const page = (title, body, up = '') => `<!DOCTYPE html>
<!-- SPDX-License-Identifier: MIT -->
<!-- Written by web/gallery.mjs from examples/; edit those, not this. -->
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>${escape(title)}</title>
<link rel="icon" href="${up}icon.svg" type="image/svg+xml">
<style>${style}</style>
</head>
<body>
${body}
</body>
</html>
`;

fs.mkdirSync(path.join(out, 'gallery'), { recursive: true });
const cards = [];
for (const name of names) {
  const source = fs.readFileSync(path.join(examples, `${name}.cpp`), 'utf8');
  const summary = summarise(source);
  const shot = path.join(examples, 'golden', `${name}.png`);
  if (!fs.existsSync(shot)) throw new Error(`no screenshot ${shot} (scripts/bless-gallery makes it)`);
  fs.copyFileSync(shot, path.join(out, 'gallery', `${name}.png`));
  const run = `index.html?program=${name}`;
  fs.writeFileSync(path.join(out, 'gallery', `${name}.html`), page(`Rallex example: ${name}`, `
<nav><a href="../gallery.html">All examples</a><a href="../${run}">Run it in the page</a></nav>
<h1>${escape(name)}</h1>
<img class="shot" src="${name}.png" alt="${escape(name)} on the headless backend">
<p class="summary">${escape(summary)}</p>
<h2>${escape(name)}.cpp</h2>
<pre>${escape(source)}</pre>
<p>It includes <a href="example.h.html">example.h</a>, the window and message loop the examples share.</p>
`, '../'));
  cards.push(`<li>
  <a href="${run}"><img src="gallery/${name}.png" alt="${escape(name)}" loading="lazy"></a>
  <h2>${escape(name)}</h2>
  <p class="summary">${escape(summary)}</p>
  <a href="${run}">Run it</a> · <a href="gallery/${name}.html">Source</a>
</li>`);
}
const shared = fs.readFileSync(path.join(examples, 'example.h'), 'utf8');
fs.writeFileSync(path.join(out, 'gallery', 'example.h.html'), page('Rallex examples: example.h', `
<nav><a href="../gallery.html">All examples</a></nav>
<h1>example.h</h1>
<pre>${escape(shared)}</pre>
`, '../'));
fs.writeFileSync(path.join(out, 'gallery.html'), page('Rallex examples', `
<nav><a href="index.html">Play Rallex</a><a href="licenses.html">Licences</a></nav>
<h1>Rallex examples</h1>
<p>Small programs on the Rallex media layer, one subject each. Every one is built from the same source for
the desktop and for this page, against the installed library alone. The pictures are their golden
screenshots, made on the headless backend after a fixed script of frames and input.</p>
<ul class="gallery">
${cards.join('\n')}
</ul>
`));
console.error(`gallery: ${names.length} examples in ${path.join(out, 'gallery.html')}`);
