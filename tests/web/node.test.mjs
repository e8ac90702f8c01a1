// The Node package: the tool is the native tool's code, so the native
// tool's behaviour cases (tests/cli/cli_test.cpp) run over it as they stand;
// then its listings of every sample and fuzz seed against the native
// tool's, which holds the WebAssembly build of the core to the native one
// on real files; then the API, listBytes, and the page's save.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { cpSync, existsSync, mkdirSync, mkdtempSync, readdirSync, readFileSync, rmSync, symlinkSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';
import { after, test } from 'node:test';
import { flowDriver, loadBinding } from './binding.mjs';

const root = resolve(import.meta.dirname, '../..');
const nativeBuild = resolve(root, process.env.VAVEZE_BUILD ?? 'build');
const webBuild = resolve(root, process.env.VAVEZE_WEB ?? 'build-web');
const native = join(nativeBuild, 'cli/vaveze-list');
const nodeTool = join(webBuild, 'vaveze-list.mjs');
const seeds = join(nativeBuild, 'fuzz/seeds');
const api = await import(pathToFileURL(join(webBuild, 'vaveze.mjs')).href);
const { listBytes } = api;
const { binding, forms } = await loadBinding(webBuild);
const work = mkdtempSync(join(tmpdir(), 'vaveze-web-'));
after(() => rmSync(work, { recursive: true, force: true }));

const sample = (name) => join(root, 'samples', name);

test('the Node tool passes the native tool\'s behaviour cases', () => {
  const cases = spawnSync(join(nativeBuild, 'tests/cli/cli_test'), ['--gtest_brief=1'], {
    env: { ...process.env, VAVEZE_LIST: nodeTool },
    encoding: 'utf8',
  });
  assert.equal(cases.status, 0, `${cases.stdout}${cases.stderr}`);
});

// Every input, as [name in the test folder, source path]; no two names share
// a stem, so no two listings share a .txt.
function inputs() {
  const stem = (name) => name.replace(/[.$]/g, '-');
  const list = readdirSync(join(root, 'samples')).map((name) => [`${stem(name)}${name.slice(name.lastIndexOf('.'))}`, sample(name)]);
  const extensions = { zvw: ['.zvw', '.bak'], zvs: ['.zvs', '.bk1'], zvc: ['.zvc', '.zv$'], zvk: ['.zvk', '.BAK'], text: ['.zvw'] };
  for (const [corpus, suffixes] of Object.entries(extensions)) {
    for (const seed of readdirSync(join(seeds, corpus)))
      for (const suffix of suffixes) list.push([`${corpus}-${seed}${stem(suffix)}${suffix}`, join(seeds, corpus, seed)]);
  }
  return list;
}

test('every sample and seed, under each extension that selects a reader: the native tool\'s listings', () => {
  const files = inputs();
  assert.ok(files.length > 300, `only ${files.length} inputs: are the fuzz seeds built?`);
  const results = {};
  for (const [tool, command] of [['native', [native]], ['node', [process.execPath, nodeTool]]]) {
    const folder = join(work, tool);
    mkdirSync(folder);
    for (const [name, source] of files) cpSync(source, join(folder, name));
    const run = spawnSync(command[0], [...command.slice(1), '--save', '--header', '--dimensions', '--blocks',
      ...files.map(([name]) => name)], { cwd: folder });
    const texts = readdirSync(folder).filter((name) => name.endsWith('.txt')).sort();
    results[tool] = { status: run.status, stderr: run.stderr.toString(), texts: texts.map((name) => [name, readFileSync(join(folder, name))]) };
  }
  assert.deepEqual(results.node, results.native);
});

test('listBytes: lines with their kinds and blocks, and the reason of every status', () => {
  const plan = readFileSync(sample('plan.zvw'));
  const all = { header: true, dimensions: true, blocks: true };
  const listed = listBytes(plan, 'plan.zvw', all);
  assert.deepEqual([listed.status, listed.format, listed.reason, listed.reasonCode, listed.offset], [0, 'ZVW', '', null, null]);
  // Shift-JIS named, as to a pipe the tool follows the locale; a later --utf8 wins.
  const tool = (...args) => spawnSync(native, ['--sjis', ...args, sample('plan.zvw')]).stdout;
  const joined = (field, end) => Buffer.concat(listed.lines.map((line) => Buffer.concat([Buffer.from(line[field]), Buffer.from(end)])));
  assert.deepEqual(joined('bytes', '\r\n'), tool('--header', '--dimensions', '--blocks'));
  assert.deepEqual(joined('text', '\n'), tool('--utf8', '--header', '--dimensions', '--blocks'));
  // Each kind where the sample has it, in order, and blocks only in the block section.
  const kinds = [...new Set(listed.lines.map((line) => `${line.kind}:${line.block}`))];
  assert.deepEqual(kinds, ['heading:null', 'headerText:null', 'layerGroup:null', 'layers:null', 'colors:null',
    'lineTypes:null', 'text:null', 'dimensionText:null', 'blockName:0', 'blockText:0', 'blockDimensionText:0',
    'blockName:1', 'blockText:1']);

  const cases = [
    [plan.subarray(0, 300), 'plan.bak', [3, 'ZVW', 'the file ends at byte 300 inside a file header', 'endsEarly', 300]],
    [new Uint8Array(10), 'plan.zvw', [1, null, 'not a ZVW drawing file: it does not start as one', 'notZvw', null]],
    [plan, 'plan.bk1', [0, 'ZVW', '', null, null]],
    [new Uint8Array(10), 'plan.zv$', [1, null, 'not a backup of a ZVW, ZVS, ZVC or ZVK file: it starts as none of them', 'notAnyFormat', null]],
    [plan, 'plan.txt', [1, null, "not a drawing or symbol file: the name does not end in .zvw, .zvs, .zvc, .zvk or a backup's extension", 'unknownName', null]],
    [new Uint8Array(0), 'plan.zvw', [1, null, 'is empty', 'empty', null]],
  ];
  for (const [bytes, name, expected] of cases) {
    const result = listBytes(bytes, name);
    assert.deepEqual([result.status, result.format, result.reason, result.reasonCode, result.offset], expected, name);
  }
  assert.match(listBytes(new Uint8Array(10), 'plan.zvw').warning, /図面ファイルではありません/);

  // A text whose pair holds a line feed reads as the tool's UTF-8 (and the C
  // library's, which Python hands out) writes it: one line, the feed's picture.
  const sofa = Buffer.from([6, 0x83, 0x5c, 0x83, 0x74, 0x83, 0x40]);
  const feed = Buffer.concat([plan]);
  Buffer.from([6, 0x82, 0x0a, 0x41, 0x42, 0x43, 0x44]).copy(feed, feed.indexOf(sofa));
  const fed = join(work, 'fed.zvw');
  writeFileSync(fed, feed);
  const text = listBytes(feed, 'fed.zvw').lines.map((line) => `${line.text}\n`).join('');
  assert.match(text, /\u240a/);
  assert.equal(text, spawnSync(native, ['--utf8', fed]).stdout.toString());
  for (const [bytes, name, options] of [[plan.buffer, 'plan.zvw'], ['plan', 'plan.zvw'], [null, 'plan.zvw'],
    [[1, 2], 'plan.zvw'], [plan, 7], [plan, 'plan.zvw', { headers: true }]])
    assert.throws(() => listBytes(bytes, name, options), TypeError);
});

test('listBytes with salvage: the lines found past a damaged place after the rest, as the tool lists them', () => {
  const plan = readFileSync(sample('plan.zvw'));
  const damaged = Buffer.concat([plan.subarray(0, 12000), plan.subarray(12007)]);
  const all = { header: true, dimensions: true, blocks: true };
  const ordinary = listBytes(damaged, 'plan.zvw', all);
  const salvaged = listBytes(damaged, 'plan.zvw', { ...all, salvage: true });
  assert.equal(ordinary.skipped, undefined);
  assert.ok(ordinary.lines.every((line) => !('salvaged' in line)));
  assert.deepEqual([salvaged.status, salvaged.reason, salvaged.offset], [ordinary.status, ordinary.reason, ordinary.offset]);
  assert.deepEqual(salvaged.lines.slice(0, ordinary.lines.length).map((line) => line.text), ordinary.lines.map((line) => line.text));
  assert.deepEqual(salvaged.lines.map((line) => line.salvaged),
    salvaged.lines.map((_, index) => index >= ordinary.lines.length));
  assert.ok(salvaged.lines.length > ordinary.lines.length + 1);
  const [place] = salvaged.skipped;
  assert.ok(typeof place.reasonCode === 'string' && place.reason !== '' && place.from < place.to, JSON.stringify(place));
  const file = join(work, 'damaged.zvw');
  writeFileSync(file, damaged);
  const tool = spawnSync(native, ['--sjis', '--header', '--dimensions', '--blocks', '--salvage', file]).stdout;
  assert.deepEqual(Buffer.concat(salvaged.lines.map((line) => Buffer.concat([Buffer.from(line.bytes), Buffer.from('\r\n')]))), tool);
});

test('the package as a Node user finds it: three exports, require() through load(), its licence', () => {
  assert.deepEqual(Object.keys(api).sort(), ['listBytes', 'proposedTextName', 'version']);
  // Installed as a dependency of a CommonJS program.
  const user = join(work, 'user');
  mkdirSync(join(user, 'node_modules'), { recursive: true });
  symlinkSync(webBuild, join(user, 'node_modules', 'vaveze'));
  const run = spawnSync(process.execPath, ['-e', `require('vaveze').load().then(({ listBytes }) =>
    console.log(listBytes(require('fs').readFileSync(${JSON.stringify(sample('plan.zvw'))}), 'plan.zvw').format))`], { cwd: user, encoding: 'utf8' });
  assert.equal(run.stdout, 'ZVW\n', run.stderr);
  const manifest = JSON.parse(readFileSync(join(webBuild, 'package.json'), 'utf8'));
  assert.equal(manifest.license, 'MIT');
  for (const file of manifest.files) assert.ok(existsSync(join(webBuild, file)), file);
  assert.ok(manifest.files.includes('LICENSE'));
});

test('the worker\'s guard: a fault in a call is said in the core\'s words, and the next call is answered', () => {
  const plan = readFileSync(sample('plan.zvw'));
  const parse = () => binding.parse('plan.zvw', plan.length, (view) => view.set(plan));
  for (const [kind, says] of [['memory', /メモリが足りない/], ['internal', /内部エラー/]]) {
    const stack = binding.stack();
    binding.testFault(kind);
    let fault = null;
    try {
      parse();
    } catch (error) {
      fault = binding.fault(error, stack);
    }
    assert.equal(fault?.outOfMemory, kind === 'memory', kind);
    assert.match(fault.message, says);
    assert.equal(parse().format, 'ZVW');
    assert.ok(binding.list({}, forms.utf8, () => {}).lines > 0);
  }
});

test('the page\'s pane saves back to the listing\'s bytes on every input', () => {
  const flow = flowDriver(binding);
  for (let box = 0; box < 3; ++box) flow.act('optionToggled', { a: box, b: 1 });
  for (const [name, source] of inputs()) {
    const bytes = readFileSync(source);
    if (binding.parse(name, bytes.length, (view) => view.set(bytes)).format === null) continue;
    const chunks = [];
    binding.list({ header: true, dimensions: true, blocks: true }, forms.sjis, (chunk) => chunks.push(Buffer.from(chunk)));
    flow.written.clear();
    flow.give([{ path: name, bytes }]).act('saveClicked', { pane: flow.pane });
    assert.deepEqual(flow.written.get(flow.save), Buffer.concat(chunks), name);
  }
});

