// The page opened from disk in each browser of browsers.mjs, driven through
// its labels and roles: choose, list, switch an option, save (through the
// save dialog where the browser has one, else as a download), drop two
// files, an unrecognised file, a character Shift-JIS lacks; no network
// request all along. One set of cases for every browser.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { mkdirSync, readFileSync, writeFileSync } from 'node:fs';
import { join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';
import { after, afterEach, before, describe, test } from 'node:test';
import { browserNames, openPage } from './browsers.mjs';

const root = resolve(import.meta.dirname, '../..');
const webDir = resolve(root, process.env.VAVEZE_WEB ?? 'build-web');
const native = join(resolve(root, process.env.VAVEZE_BUILD ?? 'build'), 'cli/vaveze-list');
const sample = (name) => join(root, 'samples', name);
const listing = (...args) => spawnSync(native, args).stdout;
// The pane shows the --utf8 listing without its last line end.
const paneText = (...args) => listing('--utf8', ...args).toString().replace(/\n$/, '');

const role = (kind, name) => `::-p-aria([role="${kind}"]${name === undefined ? '' : `[name="${name}"]`})`;

for (const browserName of browserNames) {
  describe(browserName, () => {
    let tab;
    let page;
    before(async () => {
      tab = await openPage(browserName, pathToFileURL(join(webDir, 'vaveze.html')).href);
      page = tab.page;
    });
    after(() => tab?.close());
    afterEach(() => assert.deepEqual(tab.errors, [], 'errors in the page'));

    const valueOf = async (selector) => (await page.waitForSelector(selector)).evaluate((element) => element.value);
    const pane = () => valueOf(role('textbox', '文字抽出情報'));
    const status = async () => (await page.waitForSelector(role('status'))).evaluate((element) => element.textContent);
    const waitFor = (check, ...args) => page.waitForFunction(check, { timeout: 20_000 }, ...args);
    const listed = (text) =>
      waitFor((want) => document.querySelector('[role="status"]').textContent.includes(want), text);
    const alerted = (text) =>
      waitFor((want) => [...document.querySelectorAll('[role="alert"]')].some((box) => box.textContent.includes(want)), text);
    const pressSave = () => page.locator(role('button', 'テキスト出力')).click();
    const saved = () => tab.saved(pressSave);
    // What the status line says of a save: a download's name and folder are
    // the browser's to choose.
    const savedText = (name) => (tab.dialog ? `「${name}」を保存しました。` : `「${name}」をダウンロードとしてブラウザに渡しました。`);
    // As a user does: press "ファイル名" and pick files in the browser's dialog.
    async function choose(...paths) {
      const [chooser] = await Promise.all([page.waitForFileChooser(), page.locator('::-p-text(ファイル名)').click()]);
      await chooser.accept(paths);
    }

    test('choose a sample, switch an option, save byte for byte', async () => {
      await choose(sample('plan.zvw'));
      await listed('行を抽出しました');
      assert.equal(await pane(), paneText(sample('plan.zvw')));
      assert.equal(await valueOf(role('textbox', '選んだファイル')), 'plan.zvw');

      await page.locator(role('checkbox', 'ヘッダ情報を含む（※ZVSの場合は無関係）')).click();
      await waitFor((box, want) => box.value === want, await page.$(role('textbox', '文字抽出情報')),
        paneText('--header', sample('plan.zvw')));
      assert.match(await status(), /^ZVW 図面ファイル: \d+ 行を抽出しました。$/);

      const file = await saved();
      assert.equal(file?.name, 'plan.txt');
      assert.deepEqual(file.bytes, listing('--header', sample('plan.zvw')));
      await listed(savedText('plan.txt'));
    });

    test('the save dialog: cancelling changes nothing, a refused dialog downloads, a failed write says so', async (t) => {
      if (!tab.dialog) return t.skip('no save dialog in this browser');
      const before = await status();
      await tab.answerDialog('cancel');
      assert.equal(await tab.saved(pressSave, 1000), null);
      await listed(before);
      assert.equal(await page.$(role('alert')), null);

      await tab.answerDialog('refuse');
      const file = await tab.download(pressSave);
      assert.equal(file?.name, 'plan.txt');
      assert.deepEqual(file.bytes, listing('--header', sample('plan.zvw')));
      await listed('「plan.txt」をダウンロードとしてブラウザに渡しました。');

      await tab.answerDialog('full');
      await pressSave();
      await alerted('「plan.txt」に保存できませんでした。');
      await listed('「plan.txt」をダウンロードとしてブラウザに渡しました。');
      await page.locator('::-p-aria([role="alert"]) ::-p-text(OK)').click();
      await tab.answerDialog('save');
    });

    test('a character Shift-JIS lacks refuses the save, naming it', async () => {
      await page.focus(role('textbox', '文字抽出情報'));
      await page.keyboard.down('Control');
      await page.keyboard.press('End');
      await page.keyboard.up('Control');
      await page.keyboard.type('\nü');
      assert.equal(await pane(), `${paneText('--header', sample('plan.zvw'))}\nü`);
      const refused = () => pressSave().then(() => alerted('「ü」(U+00FC)'));
      assert.equal(await tab.saved(refused, 1000), null);
      assert.match(await page.$eval('[role="alert"]', (box) => box.textContent), /次の文字は Shift-JIS にないため、保存できません。/);
    });

    test('drop two files: a list, each listed on demand', async () => {
      const files = ['symbol.zvs', 'drawing.zvc'].map((name) => ({ name, bytes: [...readFileSync(sample(name))] }));
      await page.$eval(role('textbox', '文字抽出情報'), (target, list) => {
        const data = new DataTransfer();
        for (const { name, bytes } of list) data.items.add(new File([new Uint8Array(bytes)], name));
        target.dispatchEvent(new DragEvent('drop', { dataTransfer: data, bubbles: true, cancelable: true }));
      }, files);
      await listed('ZVS 図形ファイル');
      const options = await page.$$(role('option'));
      assert.deepEqual(await Promise.all(options.map((option) => option.evaluate((item) => item.textContent))),
        ['symbol.zvs', 'drawing.zvc']);
      assert.ok(await page.$(role('listbox', 'ファイル一覧')));
      await page.locator(role('option', 'drawing.zvc')).click();
      await listed('ZVC 図面ファイル');
      assert.equal(await pane(), paneText('--header', sample('drawing.zvc')));
    });

    test('an unrecognised file shows the warning, keeps the listing shown and its save name; no network request', async () => {
      const other = join(tab.folder, 'other.zvw');
      writeFileSync(other, 'nothing');
      await choose(other);
      await alerted('このファイルは、Zv_cad for Windows(Ver2.20～)図面ファイルではありません。');
      assert.equal(await status(), '「other.zvw」は抽出できませんでした（ZVW 図面ファイルではありません）。 表示は「drawing.zvc」のままです。');
      const file = await saved();
      assert.equal(file?.name, 'drawing.txt');
      assert.deepEqual(file.bytes, listing('--header', sample('drawing.zvc')));

      const artifacts = join(webDir, 'test-artifacts');
      mkdirSync(artifacts, { recursive: true });
      await page.screenshot({ path: join(artifacts, `page-${browserName}.png`) });
      assert.deepEqual(tab.requests.filter((url) => !/^(file|blob|data):/.test(url)), []);
    });
  });
}
