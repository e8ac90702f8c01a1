// Damaged files through the WebAssembly build and the native library: a few
// thousand copies of the fuzz seeds, damaged the same way on every run (a
// fixed random seed), listed by listBytes in this process and by the C
// library (vaveze_list_file, tests/capi/list_many.cpp) in one process, with
// every combination of the three options. Both must give the same lines,
// byte for byte and as text, the same status and format, the same warning,
// and the same reason, offset and sentence of an early stop.
//
// VAVEZE_DAMAGED_COPIES=N sets the number of damaged copies per seed file
// (default 24) for a longer run by hand.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { mkdirSync, mkdtempSync, readdirSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';
import { after, test } from 'node:test';

const root = resolve(import.meta.dirname, '../..');
const nativeBuild = resolve(root, process.env.VAVEZE_BUILD ?? 'build');
const webBuild = resolve(root, process.env.VAVEZE_WEB ?? 'build-web');
const lister = join(nativeBuild, 'tests/capi/capi_list_many');
const copiesPerSeed = Number(process.env.VAVEZE_DAMAGED_COPIES ?? 24);
const { listBytes } = await import(pathToFileURL(join(webBuild, 'vaveze.mjs')).href);
const work = mkdtempSync(join(tmpdir(), 'vaveze-damaged-'));
after(() => rmSync(work, { recursive: true, force: true }));

// xorshift32: the same stream of numbers on every run and machine.
function randomFrom(seed) {
  let x = seed >>> 0 || 1;
  return (below) => {
    x ^= x << 13;
    x ^= x >>> 17;
    x ^= x << 5;
    x >>>= 0;
    return x % below;
  };
}

const concat = (...parts) => Buffer.concat(parts.map((part) => Buffer.from(part)));
const extremes = [0, 1, 0x7f, 0x80, 0xff, 0x7fff, 0x8000, 0xffff, 0x10000, 0x7fffffff, 0x80000000, 0xffffffff];
const numberTexts = ['0', '-1', '99999999999999999999', '-2147483649', '4294967296', '3.5e38', '1e39', '-', '', '1,1'];

// Each damage takes the bytes and the random source and returns new bytes.
const damages = {
  cut: (bytes, random) => bytes.subarray(0, random(bytes.length + 1)),
  flip(bytes, random) {
    const copy = Buffer.from(bytes);
    for (let n = 1 + random(8); n > 0 && copy.length > 0; --n) copy[random(copy.length)] ^= 1 << random(8);
    return copy;
  },
  insert(bytes, random) {
    const at = random(bytes.length + 1);
    const fill = random(2) === 0 ? () => random(256) : ((byte) => () => byte)(random(256));
    return concat(bytes.subarray(0, at), Buffer.from(Array.from({ length: 1 + random(64) }, fill)), bytes.subarray(at));
  },
  delete(bytes, random) {
    const at = random(bytes.length + 1);
    return concat(bytes.subarray(0, at), bytes.subarray(at + 1 + random(64)));
  },
  duplicate(bytes, random) {
    const from = random(bytes.length + 1);
    const span = bytes.subarray(from, from + 1 + random(512));
    const to = random(bytes.length + 1);
    return concat(bytes.subarray(0, to), span, bytes.subarray(to));
  },
  // A field that looks like a count or size (a small non-zero
  // little-endian number after a random place) set to an extreme.
  extremeCount(bytes, random) {
    const copy = Buffer.from(bytes);
    const width = [1, 2, 4][random(3)];
    for (let at = random(copy.length + 1); at + width <= copy.length; ++at) {
      const value = copy.readUIntLE(at, width);
      if (value === 0 || value > 4096) continue;
      copy.writeUIntLE(extremes[random(extremes.length)] % 2 ** (8 * width), at, width);
      break;
    }
    return copy;
  },
  // A number written as text (the MS-DOS formats' fields) replaced by an
  // extreme one.
  extremeNumber(bytes, random) {
    const text = bytes.toString('latin1');
    const found = /-?\d+(\.\d+)?/g;
    found.lastIndex = random(text.length + 1);
    const match = found.exec(text);
    if (match === null) return bytes;
    const replacement = numberTexts[random(numberTexts.length)];
    return concat(bytes.subarray(0, match.index), Buffer.from(replacement, 'latin1'), bytes.subarray(match.index + match[0].length));
  },
};
const damageNames = Object.keys(damages);

// The extensions a copy is named with: mostly its own format's, now and
// then a backup's (the first matching magic decides) or another format's.
const extensions = { zvw: ['.zvw', '.bak', '.zvs'], zvs: ['.zvs', '.bk1', '.zvw'], zvc: ['.zvc', '.zv$', '.zvk'], zvk: ['.zvk', '.BAK', '.zvc'] };

// Writes the seeds, the regression inputs and the damaged copies into
// `folder`; returns their names.
function writeInputs(folder) {
  const random = randomFrom(0x5eed2023);
  const names = [];
  const keep = (name, bytes) => {
    writeFileSync(join(folder, name), bytes);
    names.push(name);
  };
  for (const [format, [own, ...others]] of Object.entries(extensions)) {
    const sources = [join(nativeBuild, 'fuzz/seeds', format), join(root, 'fuzz/regressions', format)];
    for (const [index, file] of sources.flatMap((dir) => readdirSync(dir).sort().map((name) => join(dir, name))).entries()) {
      const seed = readFileSync(file);
      keep(`${format}-${index}${own}`, seed);
      for (let copy = 0; copy < copiesPerSeed; ++copy) {
        let bytes = seed;
        for (let n = 1 + random(3); n > 0; --n) bytes = damages[damageNames[random(damageNames.length)]](bytes, random);
        const extension = random(16) === 0 ? others[random(others.length)] : own;
        keep(`${format}-${index}-${copy}${extension}`, bytes);
      }
    }
  }
  return names;
}

// The records of list_many.cpp for one file, in flag order.
function readRecords(output, at, count) {
  const records = [];
  const field = () => {
    const end = output.indexOf(0x0a, at);
    const numbers = output.toString('latin1', at, end).split(' ').map(Number);
    at = end + 1;
    return numbers;
  };
  const take = (size) => output.subarray(at, (at += size));
  for (let n = 0; n < count; ++n) {
    const [status, format, reason, offset, lines, messageSize, warningSize] = field();
    const message = take(messageSize).toString();
    const record = { status, format, reason, offset, message, warning: take(warningSize).toString(), lines: [] };
    for (let line = 0; line < lines; ++line) {
      const [size, textSize, kind, block] = field();
      record.lines.push({ bytes: take(size), text: take(textSize).toString(), kind, block });
    }
    records.push(record);
  }
  return { records, at };
}

const formats = [null, 'ZVW', 'ZVS', 'ZVC', 'ZVK'];
// The C library's line kinds by their numbers in vaveze.h, named as the
// Node API names the core's: VAVEZE_LINE_BLOCK_NAME is 'blockName'.
const lineKinds = [];
for (const [, name, value] of readFileSync(join(root, 'core/capi/vaveze.h'), 'utf8').matchAll(/VAVEZE_LINE_(\w+) = (\d+)/g))
  lineKinds[Number(value)] = name.toLowerCase().replace(/_(.)/g, (_, letter) => letter.toUpperCase());
const toolStatus = [0, 3, 1];  // VAVEZE_OK, _PARTIAL, _NOT_RECOGNISED as vaveze-list's exit status
const outcomeNames = ['complete', 'partial', 'not recognised'];
// The early stops' VAVEZE_REASON_* from 1 up, as listBytes names them.
const stopCodes = [null, 'endsEarly', 'unsupportedVersion', 'impossibleSize', 'numberOverflow', 'outOfMemory'];

test('damaged copies of the seeds: the WebAssembly build lists what the native library lists', (t) => {
  const folder = join(work, 'inputs');
  mkdirSync(folder);
  const names = writeInputs(folder);
  assert.ok(names.length > 3000, `only ${names.length} inputs: are the fuzz seeds built?`);
  const native = spawnSync(lister, { input: names.map((name) => join(folder, name)).join('\n'), maxBuffer: 1 << 30 });
  assert.equal(native.status, 0, `${lister}: ${native.error ?? native.stderr}`);

  const outcomes = {};
  let at = 0;
  for (const name of names) {
    const bytes = readFileSync(join(folder, name));
    const read = readRecords(native.stdout, at, 8);
    at = read.at;
    read.records.forEach((want, flags) => {
      const options = { header: (flags & 1) !== 0, dimensions: (flags & 2) !== 0, blocks: (flags & 4) !== 0 };
      const got = listBytes(bytes, name, options);
      const what = `${name} with ${JSON.stringify(options)}`;
      const partial = want.status === 1;
      assert.deepEqual(
        { status: got.status, format: got.format, warning: got.warning, stop: got.stop, offset: got.offset,
          reason: partial ? got.reasonCode : null },
        { status: toolStatus[want.status], format: formats[want.format], warning: want.warning,
          stop: partial ? want.message : '', offset: partial ? want.offset : null, reason: stopCodes[want.reason] ?? null },
        what);
      assert.equal(got.lines.length, want.lines.length, `${what}: lines`);
      got.lines.forEach((line, index) => {
        assert.deepEqual(Buffer.from(line.bytes), want.lines[index].bytes, `${what}: line ${index}`);
        assert.equal(line.text, want.lines[index].text, `${what}: line ${index} as text`);
        assert.equal(line.kind, lineKinds[want.lines[index].kind], `${what}: line ${index}'s kind`);
        assert.equal(line.block, want.lines[index].block < 0 ? null : want.lines[index].block, `${what}: line ${index}'s block`);
      });
      if (flags === 0) {
        const outcome = `${outcomeNames[want.status]} ${want.reason}`;
        outcomes[outcome] = (outcomes[outcome] ?? 0) + 1;
      }
    });
  }
  assert.equal(at, native.stdout.length, 'the native lister wrote more than was read');
  t.diagnostic(`${names.length} files: ${JSON.stringify(outcomes)}`);
});
