// The Node tool against the native vaveze-list: the same listings on every
// sample and fuzz seed, under each extension that selects a reader, and the
// same output, messages and exit status per file and for whole batches.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { cpSync, mkdirSync, mkdtempSync, readdirSync, readFileSync, rmSync, symlinkSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';
import { after, test } from 'node:test';

const root = resolve(import.meta.dirname, '../..');
const nativeBuild = resolve(root, process.env.VAVEZE_BUILD ?? 'build');
const webBuild = resolve(root, process.env.VAVEZE_WEB ?? 'build-web');
const native = join(nativeBuild, 'cli/vaveze-list');
const nodeTool = join(webBuild, 'vaveze-list.mjs');
const seeds = join(nativeBuild, 'fuzz/seeds');
const { binding, forms, listBytes } = await import(pathToFileURL(join(webBuild, 'vaveze.mjs')).href);
const work = mkdtempSync(join(tmpdir(), 'vaveze-web-'));
after(() => rmSync(work, { recursive: true, force: true }));

const run = (command, args, cwd) => {
  const [file, ...rest] = command === 'node' ? [process.execPath, nodeTool] : [native];
  const result = spawnSync(file, [...rest, ...args], { cwd, maxBuffer: 1 << 30 });
  return { status: result.status, stdout: result.stdout, stderr: result.stderr.toString('latin1') };
};

// Every input, as [name in the test folder, source path]; no two names share
// a stem, so no two listings share a .txt.
function inputs() {
  const stem = (name) => name.replace(/[.$]/g, '-');
  const list = readdirSync(join(root, 'samples')).map((name) => [`${stem(name)}${name.slice(name.lastIndexOf('.'))}`, join(root, 'samples', name)]);
  const extensions = { zvw: ['.zvw', '.bak'], zvs: ['.zvs', '.bk1'], zvc: ['.zvc', '.zv$'], zvk: ['.zvk', '.BAK'], text: ['.zvw'] };
  for (const [corpus, suffixes] of Object.entries(extensions)) {
    for (const seed of readdirSync(join(seeds, corpus)))
      for (const suffix of suffixes) list.push([`${corpus}-${seed}${stem(suffix)}${suffix}`, join(seeds, corpus, seed)]);
  }
  return list;
}

test('--save on every sample and seed: the same listings', () => {
  const files = inputs();
  assert.ok(files.length > 300, `only ${files.length} inputs: are the fuzz seeds built?`);
  for (const options of [[], ['--header', '--dimensions', '--blocks'], ['--utf8', '--blocks']]) {
    const results = {};
    for (const tool of ['native', 'node']) {
      const folder = join(work, `${tool}${options.join('')}`);
      mkdirSync(folder);
      for (const [name, source] of files) cpSync(source, join(folder, name));
      const result = run(tool, ['--save', ...options, ...files.map(([name]) => name)], folder);
      const texts = readdirSync(folder).filter((name) => name.endsWith('.txt')).sort();
      results[tool] = { ...result, texts: texts.map((name) => [name, readFileSync(join(folder, name))]) };
    }
    assert.deepEqual(results.node.texts, results.native.texts, `listings with ${options}`);
  }
});

test('standard output and status per file and on usage errors', () => {
  const folder = join(work, 'single');
  mkdirSync(folder);
  mkdirSync(join(folder, 'folder.zvw'));
  writeFileSync(join(folder, 'bad.zvs'), 'not a symbol file');
  writeFileSync(join(folder, 'notes.txt'), 'hello');
  writeFileSync(join(folder, 'empty.zvw'), '');
  writeFileSync(join(folder, 'empty.zvc'), '');
  const cases = [
    [], ['--bogus', 'x.zvw'], ['missing.zvw'], ['folder.zvw'], ['bad.zvs'], ['notes.txt'], ['empty.zvw'],
    ['empty.zvc'], ['/dev/null'],
  ];
  inputs().forEach(([, source], index) => index % 8 === 0 && cases.push([source], ['--utf8', '--blocks', source]));
  for (const name of readdirSync(join(root, 'samples'))) {
    const sample = join(root, 'samples', name);
    cases.push([sample], ['--header', sample], ['--dimensions', '--blocks', sample], ['--utf8', '--header', sample]);
  }
  for (const args of cases) {
    const [nodeResult, nativeResult] = [run('node', args, folder), run('native', args, folder)];
    assert.equal(nodeResult.status, nativeResult.status, `status of vaveze-list ${args.join(' ')}`);
    assert.deepEqual(nodeResult.stdout, nativeResult.stdout, `output of vaveze-list ${args.join(' ')}`);
    assert.equal(nodeResult.stderr, nativeResult.stderr, `messages of vaveze-list ${args.join(' ')}`);
  }
});

test('batches: several files, folders, saved trees and names taken twice', () => {
  const tree = join(work, 'tree');
  const samples = (name) => join(root, 'samples', name);
  for (const folder of ['a', 'b/c', '図面①']) mkdirSync(join(tree, folder), { recursive: true });
  for (const [name, source] of [['a/plan.zvw', 'plan.zvw'], ['a/plan.bak', 'plan.zvw'], ['a/plan.ZVS', 'symbol.zvs'],
    ['b/c/symbol.zvk', 'symbol.zvk'], ['図面①/drawing.zvc', 'drawing.zvc']])
    cpSync(samples(source), join(tree, name));
  writeFileSync(join(tree, 'b/notes.txt'), 'hello');
  writeFileSync(join(tree, 'b/cut.zvw'), readFileSync(samples('plan.zvw')).subarray(0, 300));
  writeFileSync(join(tree, 'b/empty.zvk'), '');
  symlinkSync('../a', join(tree, 'b/link'));
  const cases = [
    ['tree/a/plan.zvw', 'tree/b/c/symbol.zvk', 'missing.zvw'], ['-H', 'tree/b/cut.zvw'], ['-r', 'tree'],
    ['-rh', '--utf8', '-j', '2', 'tree'], ['-r', '--sjis', '--header', 'tree/図面①', 'tree/a/plan.bak'],
    ['--save', '--output-dir', 'out', '-r', 'tree', 'tree/a/plan.zvw'], ['--save', '-q', '--jobs=3', 'tree/a/plan.bak', 'tree/a/plan.zvw'],
    ['--save', '--output-dir=tree/a/plan.zvw', 'tree/b/c/symbol.zvk'], ['-j', '0', 'x'], ['--output-dir', 'x', 'y'], ['-rx'],
  ];
  for (const args of cases) {
    const results = {};
    for (const tool of ['native', 'node']) {
      const folder = join(work, `batch-${tool}`);
      rmSync(folder, { recursive: true, force: true });
      cpSync(tree, join(folder, 'tree'), { recursive: true });
      const saved = () => readdirSync(folder, { recursive: true }).filter((name) => name.endsWith('.txt')).sort();
      results[tool] = { ...run(tool, args, folder), texts: saved().map((name) => [name, readFileSync(join(folder, name))]) };
    }
    assert.deepEqual(results.node, results.native, `vaveze-list ${args.join(' ')}`);
  }
});

test('listBytes gives the lines, format and status of the tool', () => {
  const sample = join(root, 'samples/plan.zvw');
  const listed = listBytes(readFileSync(sample), 'plan.zvw', { header: true });
  assert.equal(listed.format, 'ZVW');
  assert.equal(listed.status, 0);
  const joined = (field, end) => listed.lines.map((line) => Buffer.concat([Buffer.from(line[field]), Buffer.from(end)]));
  assert.deepEqual(Buffer.concat(joined('bytes', '\r\n')), run('native', ['--header', sample]).stdout);
  assert.equal(listed.lines.map((line) => `${line.text}\n`).join(''), run('native', ['--utf8', '--header', sample]).stdout.toString());

  const cut = listBytes(readFileSync(sample).subarray(0, 300), 'plan.bak');
  assert.deepEqual([cut.status, cut.format], [3, 'ZVW']);
  const wrong = listBytes(new Uint8Array(10), 'plan.zvw');
  assert.equal(wrong.status, 1);
  assert.match(wrong.warning, /図面ファイルではありません/);
});

test('the page\'s pane saves back to the listing\'s bytes on every input', () => {
  const utf16 = new TextDecoder('utf-16le');
  const collect = (form) => {
    const chunks = [];
    binding.list({ header: true, dimensions: true, blocks: true }, form, (chunk) => chunks.push(Buffer.from(chunk)));
    return Buffer.concat(chunks);
  };
  for (const [name, source] of inputs()) {
    const bytes = readFileSync(source);
    if (binding.parse(name, bytes.length, (view) => view.set(bytes)).format === null) continue;
    const saved = binding.paneBytes(utf16.decode(collect(forms.pane)));
    assert.deepEqual(Buffer.from(saved.bytes), collect(forms.sjis), name);
  }
});
