// Makes zorvane.html, the one file of the web page: the page's scripts and style inline,
// the module in base64 (a page opened from file:// may not fetch it), the worker's script
// as text, and a Content-Security-Policy that lets nothing be loaded from anywhere.
// node bundle.mjs --page DIR --module zorvane.wasm --zip fflate.js --version V --out zorvane.html
import { createHash } from 'node:crypto';
import { readFileSync, writeFileSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { argv, exit } from 'node:process';

const args = {};
for (let i = 2; i + 1 < argv.length; i += 2) args[argv[i].replace(/^--/, '')] = argv[i + 1];
const fail = (message) => {
  console.error(`bundle.mjs: ${message}`);
  exit(1);
};
const read = (path) => readFileSync(path, 'utf8');
const page = (name) => read(join(args.page, name));

const wasm = readFileSync(args.module);
// One stray call of the C library's stdio brings WASI imports, which a browser cannot give.
const imports = WebAssembly.Module.imports(new WebAssembly.Module(wasm)).map((i) => `${i.module}.${i.name}`);
if (imports.sort().join() !== 'zorvane.read,zorvane.seek,zorvane.write') fail(`the module imports ${imports.join(', ')}`);

const zipLicence = read(join(dirname(args.zip), '..', 'LICENSE')).replace(/--/g, '- -');
const scripts = [page('texts.js'), read(args.zip), page('expander.js'), page('page.js')];
const style = page('page.css');
const worker = page('expander.js') + page('worker.js');
for (const text of [...scripts, worker, style])
  if (/<\/(script|style)/i.test(text)) fail('a script or the style holds a closing tag');

const hash = (text) => `'sha256-${createHash('sha256').update(text, 'utf8').digest('base64')}'`;
const csp = [
  "default-src 'none'",
  `script-src ${scripts.map(hash).join(' ')} 'wasm-unsafe-eval'`,
  `style-src ${hash(style)}`,
  'worker-src blob:',
  'img-src data:',
  "connect-src 'none'",
  "form-action 'none'",
  "base-uri 'none'",
].join('; ');

const html = page('index.html')
  .replace('@CSP@', csp)
  .replace(/@VERSION@/g, args.version)
  .replace('@STYLE@', () => style)
  .replace('@MODULE@', wasm.toString('base64'))
  .replace('@WORKER@', () => worker)
  .replace('@SCRIPTS@', () => '<!-- The module carries the inflate code of zlib, under the zlib licence. -->\n' +
    `<!-- The zip writer fflate, under its licence:\n${zipLicence}-->\n` +
    scripts.map((s) => `<script>${s}</script>`).join('\n'));
writeFileSync(args.out, html);
