// The page opened from disk in headless Chromium, driven through its labels:
// choose, list, switch an option, save, drop two files, an unrecognised
// file, a character Shift-JIS lacks; no network request all along.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { mkdirSync, mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';
import { after, before, test } from 'node:test';

const root = resolve(import.meta.dirname, '../..');
const { chromium } = createRequire(join(root, 'web/package.json'))('playwright-core');
const webDir = resolve(root, process.env.VAVEZE_WEB ?? 'build-web');
const native = join(resolve(root, process.env.VAVEZE_BUILD ?? 'build'), 'cli/vaveze-list');
const sample = (name) => join(root, 'samples', name);
const listing = (...args) => spawnSync(native, args).stdout;
// The pane shows the --utf8 listing without its last line end.
const paneText = (...args) => listing('--utf8', ...args).toString().replace(/\n$/, '');

let context;
let page;
const requests = [];
const userData = mkdtempSync(join(tmpdir(), 'vaveze-chromium-'));

before(async () => {
  context = await chromium.launchPersistentContext(userData, {
    executablePath: '/usr/bin/chromium',
    headless: true,
    acceptDownloads: true,
    viewport: { width: 640, height: 520 },
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  page = context.pages()[0] ?? (await context.newPage());
  context.on('request', (request) => requests.push(request.url()));
  page.on('pageerror', (error) => assert.fail(`page error: ${error.message}`));
  await page.goto(pathToFileURL(join(webDir, 'vaveze.html')).href);
});

after(async () => {
  await context?.close();
  rmSync(userData, { recursive: true, force: true });
});

const status = () => page.getByRole('status');
const pane = () => page.getByLabel('文字抽出情報');

async function listed(text) {
  await page.waitForFunction((want) => document.getElementById('status').textContent.includes(want), text);
}

test('choose a sample, switch an option, save byte for byte', async () => {
  await page.getByLabel('ファイル名').setInputFiles(sample('plan.zvw'));
  await listed('行を抽出しました');
  assert.equal(await pane().inputValue(), paneText(sample('plan.zvw')));
  assert.equal(await page.getByRole('textbox', { name: '選んだファイル' }).inputValue(), 'plan.zvw');

  await page.getByLabel('ヘッダ情報を含む（※ZVSの場合は無関係）').check();
  await page.waitForFunction((want) => document.getElementById('pane').value === want, paneText('--header', sample('plan.zvw')));
  assert.match(await status().textContent(), /^ZVW 図面ファイル: \d+ 行を抽出しました。$/);

  const [download] = await Promise.all([page.waitForEvent('download'), page.getByRole('button', { name: 'テキスト出力' }).click()]);
  assert.equal(download.suggestedFilename(), 'plan.txt');
  assert.deepEqual(readFileSync(await download.path()), listing('--header', sample('plan.zvw')));
});

test('a character Shift-JIS lacks refuses the save, naming it', async () => {
  await pane().fill(`${await pane().inputValue()}\nü`);
  await page.getByRole('button', { name: 'テキスト出力' }).click();
  await page.getByRole('alert').filter({ hasText: '「ü」(U+00FC)' }).waitFor();
  assert.match(await page.getByRole('alert').textContent(), /次の文字は Shift-JIS にないため、保存できません。/);
});

test('drop two files: a list, each listed on demand', async () => {
  const files = ['symbol.zvs', 'drawing.zvc'].map((name) => ({ name, bytes: [...readFileSync(sample(name))] }));
  const transfer = await page.evaluateHandle((list) => {
    const data = new DataTransfer();
    for (const { name, bytes } of list) data.items.add(new File([new Uint8Array(bytes)], name));
    return data;
  }, files);
  await page.dispatchEvent('#pane', 'drop', { dataTransfer: transfer });
  await listed('ZVS 図形ファイル');
  const list = page.getByRole('listbox', { name: 'ファイル一覧' });
  assert.deepEqual(await list.getByRole('option').allTextContents(), ['symbol.zvs', 'drawing.zvc']);
  await list.getByRole('option', { name: 'drawing.zvc' }).click();
  await listed('ZVC 図面ファイル');
  assert.equal(await pane().inputValue(), paneText('--header', sample('drawing.zvc')));
});

test('an unrecognised file shows the warning, keeps the listing shown and its save name; no network request', async () => {
  await page.getByLabel('ファイル名').setInputFiles({ name: 'other.zvw', mimeType: 'application/octet-stream', buffer: Buffer.from('nothing') });
  await page.getByRole('alert').filter({ hasText: 'このファイルは、Zv_cad for Windows(Ver2.20～)図面ファイルではありません。' }).waitFor();
  assert.equal(await status().textContent(), '「other.zvw」は抽出できませんでした（ZVW 図面ファイルではありません）。 表示は「drawing.zvc」のままです。');
  const [download] = await Promise.all([page.waitForEvent('download'), page.getByRole('button', { name: 'テキスト出力' }).click()]);
  assert.equal(download.suggestedFilename(), 'drawing.txt');
  assert.deepEqual(readFileSync(await download.path()), listing('--header', sample('drawing.zvc')));

  const artifacts = join(webDir, 'test-artifacts');
  mkdirSync(artifacts, { recursive: true });
  await page.screenshot({ path: join(artifacts, 'page.png') });
  assert.deepEqual(requests.filter((url) => !/^(file|blob|data):/.test(url)), []);
});
