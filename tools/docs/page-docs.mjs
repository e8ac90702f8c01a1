// The page's screenshots in docs/ and the README's figure of its size, made
// again from the build (make docs): the page in Chromium, driven as a user
// would, as the page tests drive it.
// Usage: node tools/docs/page-docs.mjs WEB_BUILD_FOLDER
import { copyFileSync, mkdirSync, readFileSync, statSync, writeFileSync } from 'node:fs';
import { join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';
import { openPage } from '../../tests/web/browsers.mjs';

const root = resolve(import.meta.dirname, '../..');
const web = resolve(process.argv[2] ?? join(root, 'build-web'));
const sample = (name) => join(root, 'samples', name);

const tab = await openPage('chromium', pathToFileURL(join(web, 'vaveze.html')).href);
const { page } = tab;
const status = (text) => page.waitForFunction((want) => document.querySelector('#status').textContent.includes(want),
  { timeout: 20_000 }, text);
async function choose(paths) {
  const [chooser] = await Promise.all([page.waitForFileChooser(), page.click('#choose')]);
  await chooser.accept(paths);
}
async function keys(...chord) {
  for (const key of chord) await page.keyboard.down(key);
  for (const key of chord.reverse()) await page.keyboard.up(key);
}
try {
  await page.setViewport({ width: 640, height: 480 });
  await page.click('#header');
  await choose([sample('plan.zvw'), sample('drawing.zvc')]);
  await status('行を抽出しました');
  await page.screenshot({ path: join(root, 'docs/web-page.png') });

  // A site's drawings, those that mention 浴室 kept, 浴室 found in the pane.
  await page.setViewport({ width: 640, height: 520 });
  await page.click('#header');
  const site = join(tab.folder, '現場');
  mkdirSync(site);
  const files = [['1階平面図.zvw', 'plan.zvw'], ['1階平面図.bak', 'plan.zvw'], ['配置図.zvc', 'drawing.zvc'], ['記号.zvs', 'symbol.zvs']];
  for (const [name, source] of files) copyFileSync(sample(source), join(site, name));
  await choose(files.map(([name]) => join(site, name)));
  await status('行を抽出しました');
  await page.type('#filter', '浴室');
  await status('を含みます');
  await page.click('.cm-content');
  await keys('Control', 'Home');
  await keys('Control', 'f');
  await page.keyboard.type('浴室');
  await page.keyboard.press('Enter');
  await page.screenshot({ path: join(root, 'docs/web-file-list.png') });
} finally {
  await tab.close();
}

// "about 490 KB", to the nearest ten.
const kilobytes = Math.round(statSync(join(web, 'vaveze.html')).size / 10240) * 10;
const readme = join(root, 'README.md');
writeFileSync(readme, readFileSync(readme, 'utf8').replace(/(the whole program in one file \(about )\d+( KB\))/, `$1${kilobytes}$2`));
console.log(`docs/web-page.png, docs/web-file-list.png; vaveze.html about ${kilobytes} KB`);
