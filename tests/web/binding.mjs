// The WebAssembly binding as the page's worker holds it (the package's API
// keeps its own to itself), from the web build.
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { join } from 'node:path';

export async function loadBinding(webDir) {
  const require = createRequire(join(webDir, 'package.json'));
  const createVavezeCore = require('./vaveze-core.cjs');
  const { makeVavezeBinding, VAVEZE_FORM } = require('./vaveze-binding.cjs');
  const binding = makeVavezeBinding(await createVavezeCore({ wasmBinary: readFileSync(join(webDir, 'vaveze-core.wasm')) }));
  return { binding, forms: VAVEZE_FORM };
}
