#!/usr/bin/env node
// vaveze-list for Node.js: the native tool itself (cli/), compiled to
// WebAssembly with Node's file system. Same options, output, messages and
// exit statuses; -j is taken, and the files are read one after another.
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { setFlagsFromString } from 'node:v8';

// The process is the tool's alone, so the engine is set for its one run: a
// function is recompiled by the optimizing compiler only once some hundred
// million bytes of its baseline code have run. A file of any size is read
// through in baseline code; over a long batch, the functions that every file
// runs are optimized once. At the engine's own threshold, dozens of
// functions were compiled again while a single large file was read, and on
// two cores that compiling held the reading back (some 10 ms of 90 on a
// 76 MB drawing).
setFlagsFromString('--wasm-tiering-budget=100000000');

const createVavezeList = createRequire(import.meta.url)('./vaveze-list-core.cjs');
const tool = await createVavezeList({ wasmBinary: readFileSync(new URL('./vaveze-list.wasm', import.meta.url)) });
// The program ends the process with its exit status.
tool.callMain(process.argv.slice(2));
