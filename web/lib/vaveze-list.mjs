#!/usr/bin/env node
// vaveze-list for Node.js: the native tool itself (cli/), compiled to
// WebAssembly with Node's file system. Same options, output, messages and
// exit statuses; -j is taken, and the files are read one after another.
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';

const createVavezeList = createRequire(import.meta.url)('./vaveze-list-core.cjs');
const tool = await createVavezeList({ wasmBinary: readFileSync(new URL('./vaveze-list.wasm', import.meta.url)) });
// The program ends the process with its exit status.
tool.callMain(process.argv.slice(2));
