// Assembles the WebAssembly build into what `make web` delivers:
//   vaveze.html       the page: one file, styles, scripts, worker and the
//                     WebAssembly inlined, with a policy that forbids every
//                     network request
//   vaveze.mjs, vaveze-binding.cjs, vaveze-core.cjs, vaveze-core.wasm
//                     the Node.js API (npm pack in the output folder)
//   vaveze-list.mjs, vaveze-list-core.cjs, vaveze-list.wasm
//                     the command-line tool for Node: its launcher, and
//                     cli/ compiled for Node
//   README.md, package.json
// Usage: node assemble.mjs WASM_BUILD_FOLDER TOOL_BUILD_FOLDER OUTPUT_FOLDER VERSION
import { createHash } from 'node:crypto';
import { chmodSync, copyFileSync, readFileSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';

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
writeFileSync(join(out, 'vaveze-list.mjs'), source('lib/vaveze-list.mjs'));
chmodSync(join(out, 'vaveze-list.mjs'), 0o755);
copyFileSync(join(toolBuilt, 'vaveze-list.js'), join(out, 'vaveze-list-core.cjs'));
copyFileSync(join(toolBuilt, 'vaveze-list.wasm'), join(out, 'vaveze-list.wasm'));
writeFileSync(join(out, 'README.md'), source('lib/README.md'));
const manifest = JSON.parse(source('package.json'));
delete manifest.devDependencies;
delete manifest.private;
manifest.version = version;
writeFileSync(join(out, 'package.json'), JSON.stringify(manifest, null, 2) + '\n');

// The page. The worker runs from a Blob made of its inlined source, which
// works from file:// where a worker file could not be loaded.
const workerSource = [
  `const VAVEZE_WASM_BASE64 = '${wasm.toString('base64')}';`,
  glue,
  source('lib/core.js'),
  source('page/worker.js'),
].join('\n');
const pageScript = source('lib/core.js') + source('page/page.js');
const style = source('page/page.css');

const hash = (text) => `'sha256-${createHash('sha256').update(text, 'utf8').digest('base64')}'`;
const policy = [
  "default-src 'none'",
  `script-src ${hash(pageScript)} 'wasm-unsafe-eval'`,
  'worker-src blob:',
  `style-src ${hash(style)}`,
  'img-src data:',
  "connect-src 'none'",
  "base-uri 'none'",
  "form-action 'none'",
].join('; ');

for (const [name, text] of [['worker', workerSource], ['page script', pageScript]])
  if (/<\/script/i.test(text)) throw new Error(`the ${name} holds a closing script tag`);

const page = source('page/vaveze.html')
  .replace('@POLICY@', () => policy)
  .replace('@STYLE@', () => style)
  .replace('@WORKER@', () => workerSource)
  .replace('@SCRIPT@', () => pageScript)
  .replaceAll('@VERSION@', () => version);
writeFileSync(join(out, 'vaveze.html'), page);
