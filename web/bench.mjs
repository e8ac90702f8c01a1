// Speed of the WebAssembly build on the large benchmark files: the Node tool
// against the native one (whole runs, output to /dev/null), the parse and
// listing alone under Node, and the time from choosing a file in the page
// until its listing is shown (headless Chromium). Prints a Markdown table.
//
//   node web/bench.mjs NATIVE_BUILD WEB_BUILD BENCH_FILES [RUNS]
import { spawnSync } from 'node:child_process';
import { mkdtempSync, openSync, readFileSync, rmSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';

const [nativeBuild, webBuild, files, runsText = '3'] = process.argv.slice(2);
const runs = Number(runsText);
const all = ['--header', '--dimensions', '--blocks'];
const names = ['large.zvw', 'large.zvs', 'largest.zvc', 'largest.zvk', 'pane-full.zvw'];
const median = (values) => values.sort((a, b) => a - b)[Math.floor(values.length / 2)];
const seconds = (ms) => (ms / 1000).toFixed(2);
const megabytes = (file) => (readFileSync(file).length / 1e6).toFixed(0);

function timeRun(command, args) {
  const times = [];
  for (let i = 0; i < runs; ++i) {
    const start = performance.now();
    const result = spawnSync(command, args, { stdio: ['ignore', openSync('/dev/null', 'w'), 'ignore'] });
    times.push(performance.now() - start);
    if (result.status !== 0 && result.status !== 3) throw new Error(`${command} ${args.join(' ')}: ${result.status}`);
  }
  return median(times);
}

const { binding, forms } = await import(pathToFileURL(resolve(webBuild, 'vaveze.mjs')).href);
function timeInProcess(file, name) {
  const bytes = readFileSync(file);
  const times = [];
  for (let i = 0; i < runs; ++i) {
    const start = performance.now();
    binding.parse(name, bytes.length, (view) => view.set(bytes));
    binding.list({ header: true, dimensions: true, blocks: true }, forms.sjis, () => {});
    times.push(performance.now() - start);
  }
  return median(times);
}

async function timePage(file) {
  const { chromium } = createRequire(resolve('web/package.json'))('playwright-core');
  const userData = mkdtempSync(join(tmpdir(), 'vaveze-bench-'));
  const context = await chromium.launchPersistentContext(userData, {
    executablePath: '/usr/bin/chromium',
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking'],
  });
  try {
    const page = context.pages()[0] ?? (await context.newPage());
    await page.goto(pathToFileURL(resolve(webBuild, 'vaveze.html')).href);
    for (const box of ['header', 'dimensions', 'blocks']) await page.check(`#${box}`);
    // When the listing reaches the page, and when the pane has taken it.
    await page.evaluate(() => {
      const handler = worker.onmessage;
      worker.onmessage = (event) => {
        if (event.data.type === 'listed') window.benchListed = performance.now();
        handler(event);
        if (event.data.type === 'listed') window.benchShown = performance.now();
      };
    });
    const listed = [];
    const shown = [];
    for (let i = 0; i < runs; ++i) {
      await page.evaluate(() => {
        document.getElementById('status').textContent = '';
        window.benchStart = performance.now();
      });
      await page.getByLabel('ファイル名').setInputFiles(file);
      await page.waitForFunction(() => /行を抽出/.test(document.getElementById('status').textContent), null,
        { timeout: 300_000, polling: 20 });
      const marks = await page.evaluate(() => [window.benchStart, window.benchListed, window.benchShown]);
      listed.push(marks[1] - marks[0]);
      shown.push(marks[2] - marks[0]);
    }
    return [median(listed), median(shown)];
  } finally {
    await context.close();
    rmSync(userData, { recursive: true, force: true });
  }
}

console.log('| file | MB | lines | native tool s | Node tool s | Node share of native speed | Node parse+listing s |' +
  ' page: listing ready s | page: shown in the pane s |');
console.log('|---|---:|---:|---:|---:|---:|---:|---:|---:|');
for (const name of names) {
  const file = join(files, name);
  const nativeTime = timeRun(join(nativeBuild, 'cli/vaveze-list'), [...all, file]);
  const nodeTime = timeRun(process.execPath, [join(webBuild, 'vaveze-list.mjs'), ...all, file]);
  const inProcess = timeInProcess(file, name);
  const lines = spawnSync(join(nativeBuild, 'cli/vaveze-list'), [...all, file], { maxBuffer: 1 << 30 })
    .stdout.toString('latin1').split('\r\n').length - 1;
  const [listed, shown] = await timePage(file);
  console.log(`| ${name} | ${megabytes(file)} | ${lines} | ${seconds(nativeTime)} | ${seconds(nodeTime)} | ` +
    `${Math.round((100 * nativeTime) / nodeTime)} % | ${seconds(inProcess)} | ${seconds(listed)} | ${seconds(shown)} |`);
}
