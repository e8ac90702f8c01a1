// Assembles the WebAssembly build into what `make web` delivers:
//   vaveze.html       the page: one file, styles, scripts, worker and the
//                     WebAssembly inlined, with a policy that forbids every
//                     network request
//   vaveze.mjs, vaveze.cjs, vaveze-binding.cjs, vaveze-core.cjs, vaveze-core.wasm
//                     the Node.js API (npm pack in the output folder)
//   vaveze-list.mjs, vaveze-list-core.cjs, vaveze-list.wasm
//                     the command-line tool for Node: its launcher, and
//                     cli/ compiled for Node
//   README.md, LICENSE, package.json
// The page's script is bundled with the editor of its pane by esbuild (from
// web/package-lock.json: npm ci in web/ first), and every text it shows is
// the core's: the fixed ones are put in here, from the WebAssembly build
// itself, with the font and margins of the windows' table; the rest come
// from the window's flow in the worker as the page runs.
// Usage: node assemble.mjs WASM_BUILD_FOLDER TOOL_BUILD_FOLDER OUTPUT_FOLDER VERSION
import { createHash } from 'node:crypto';
import { chmodSync, copyFileSync, existsSync, readFileSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { join, resolve } from 'node:path';
import { gzipSync } from 'node:zlib';
import { fileURLToPath } from 'node:url';

const [built, toolBuilt, out, version] = process.argv.slice(2);
const here = new URL('.', import.meta.url);
const source = (name) => readFileSync(new URL(name, here), 'utf8');

const glue = readFileSync(join(built, 'vaveze-core.js'), 'utf8');
const wasm = readFileSync(join(built, 'vaveze-core.wasm'));

// The package.
copyFileSync(join(built, 'vaveze-core.wasm'), join(out, 'vaveze-core.wasm'));
writeFileSync(join(out, 'vaveze-core.cjs'), glue);
writeFileSync(join(out, 'vaveze-binding.cjs'), source('lib/core.js'));
writeFileSync(join(out, 'vaveze.mjs'), source('lib/vaveze.mjs'));
writeFileSync(join(out, 'vaveze.cjs'), source('lib/vaveze.cjs'));
writeFileSync(join(out, 'vaveze-list.mjs'), source('lib/vaveze-list.mjs'));
chmodSync(join(out, 'vaveze-list.mjs'), 0o755);
copyFileSync(join(toolBuilt, 'vaveze-list.js'), join(out, 'vaveze-list-core.cjs'));
copyFileSync(join(toolBuilt, 'vaveze-list.wasm'), join(out, 'vaveze-list.wasm'));
writeFileSync(join(out, 'README.md'), source('lib/README.md'));
copyFileSync(new URL('../LICENSE', here), join(out, 'LICENSE'));
const manifest = JSON.parse(source('package.json'));
delete manifest.devDependencies;
delete manifest.private;
manifest.version = version;
writeFileSync(join(out, 'package.json'), JSON.stringify(manifest, null, 2) + '\n');

// The fixed texts, from the core as built.
const require = createRequire(import.meta.url);
const createVavezeCore = require(join(out, 'vaveze-core.cjs'));
const { makeVavezeBinding } = require(join(out, 'vaveze-binding.cjs'));
const texts = makeVavezeBinding(await createVavezeCore({ wasmBinary: wasm })).texts.fixed();

// The page's script with the pane's editor, in one piece.
let esbuild;
try {
  esbuild = await import('esbuild');
} catch {
  throw new Error('esbuild is missing: run `npm ci` in web/ first (make web does)');
}
// The pane's editor writes its styles into a style element, let in by a
// nonce of this build: a digest of what the page is made of, so the same
// sources assemble the same page.
const styleNonce = createHash('sha256')
  .update(['page/page.js', 'page/pane.js', 'page/zip.js', 'page/page.css', 'package-lock.json'].map(source).join('\0'))
  .update(JSON.stringify(texts))
  .digest('base64');
const bundle = await esbuild.build({
  entryPoints: [fileURLToPath(new URL('page/page.js', here))],
  bundle: true,
  minify: true,
  format: 'iife',
  target: ['chrome105', 'firefox115'],
  define: { VAVEZE_TEXTS: JSON.stringify(texts), VAVEZE_STYLE_NONCE: JSON.stringify(styleNonce) },
  write: false,
  metafile: true,
  logLevel: 'error',
});
// The licences of the packages bundled, which travel with their code.
const packages = new Map();
for (const input of Object.keys(bundle.metafile.inputs)) {
  const match = /^(.*node_modules\/((?:@[^/]+\/)?[^/]+))\//.exec(input);
  if (match) packages.set(match[2], resolve(match[1]));
}
const licences = [...packages.keys()].sort().map((name) => {
  const folder = packages.get(name);
  const file = ['LICENSE', 'LICENSE.md', 'LICENSE.txt'].map((candidate) => join(folder, candidate)).find(existsSync);
  if (!file) throw new Error(`no licence file in ${name}`);
  return `${name}\n\n${readFileSync(file, 'utf8').trim()}`;
});

// The page. The worker runs from a Blob made of its inlined source, which
// works from file:// where a worker file could not be loaded.
// The WebAssembly goes in compressed, a third of its size in the page.
const workerSource = [
  `const VAVEZE_WASM_GZIP_BASE64 = '${gzipSync(wasm, { level: 9 }).toString('base64')}';`,
  glue,
  source('lib/core.js'),
  source('page/worker.js'),
].join('\n');
const pageScript = bundle.outputFiles[0].text;
// The margins and heights the windows share, from the core's table.
const look = texts.window;
const style = `:root { --margin: ${look.margin}px; --caption-height: ${look.captionHeight}px; ` +
  `--caption-indent: ${look.captionIndent}px; --pane-minimum-height: ${look.paneMinimumHeight}px; }\n${source('page/page.css')}`;

const hash = (text) => `'sha256-${createHash('sha256').update(text, 'utf8').digest('base64')}'`;
const policy = [
  "default-src 'none'",
  `script-src ${hash(pageScript)} 'wasm-unsafe-eval'`,
  'worker-src blob:',
  `style-src ${hash(style)} 'nonce-${styleNonce}'`,
  'img-src data:',
  "connect-src 'none'",
  "base-uri 'none'",
  "form-action 'none'",
].join('; ');

for (const [name, text] of [['worker', workerSource], ['page script', pageScript]])
  if (/<\/script/i.test(text)) throw new Error(`the ${name} holds a closing script tag`);

const escapeHtml = (text) => text.replace(/[&<>"]/g, (c) => ({ '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;' })[c]);
const page = source('page/vaveze.html')
  .replace(/@TEXT:(\w+)@/g, (_, name) => {
    if (texts[name] === undefined) throw new Error(`the core has no text ${name}`);
    return escapeHtml(texts[name]);
  })
  .replace('@POLICY@', () => policy)
  .replace('@STYLE@', () => style)
  .replace('@WORKER@', () => workerSource)
  .replace('@SCRIPT@', () => pageScript)
  .replaceAll('@VERSION@', () => version);
const notice = `\n<!-- The code of these packages is part of this page, under their licences:\n\n${
  licences.join('\n\n').replaceAll('--', '- -')}\n-->\n`;
writeFileSync(join(out, 'vaveze.html'), page + notice);
