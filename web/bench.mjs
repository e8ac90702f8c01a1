// Speed of the WebAssembly build on the large benchmark files: the Node tool
// against the native one, as a user runs them (whole processes, output to
// /dev/null); the parse and listing alone under Node; and the time from
// choosing a file in the page until its listing is shown (headless
// Chromium). Prints a Markdown table.
//
// The tools: medians of 9 alternating runs each of the Node tool, of
// `node -e 0` (Node's own start) and of the native tool, all options and
// --sjis; the Node tool's own work is its time less Node's start, and its
// speed is the native tool's time over that. Both outputs must be the same
// bytes. VAVEZE_BENCH_PAGE=0 leaves the page out.
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
const toolRuns = 9;
const withPage = process.env.VAVEZE_BENCH_PAGE !== '0';
const all = ['--header', '--dimensions', '--blocks'];
const names = ['large.zvw', 'large.zvs', 'largest.zvc', 'largest.zvk', 'pane-full.zvw'];
const median = (values) => values.sort((a, b) => a - b)[Math.floor(values.length / 2)];
const seconds = (ms) => (ms / 1000).toFixed(2);
const megabytes = (file) => (readFileSync(file).length / 1e6).toFixed(0);

// Medians of alternating runs of each command ([file, ...args]), in ms.
function timeAlternating(commands) {
  const times = commands.map(() => []);
  const output = openSync('/dev/null', 'w');
  for (let i = 0; i < toolRuns; ++i) {
    commands.forEach(([command, ...args], k) => {
      const start = performance.now();
      const result = spawnSync(command, args, { stdio: ['ignore', output, 'ignore'] });
      times[k].push(performance.now() - start);
      if (result.status !== 0 && result.status !== 3) throw new Error(`${command} ${args.join(' ')}: ${result.status}`);
    });
  }
  return times.map(median);
}

function sameOutput(commands) {
  const [first, ...rest] = commands.map(([command, ...args]) => spawnSync(command, args, { maxBuffer: 1 << 30 }).stdout);
  return rest.every((output) => output.equals(first));
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

console.log('| file | MB | lines | native tool ms | Node tool ms | node -e 0 ms | Node tool\'s own work, share of native speed |' +
  ' Node parse+listing s | page: listing ready s | page: shown in the pane s |');
console.log('|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|');
for (const name of names) {
  const file = join(files, name);
  const native = [join(nativeBuild, 'cli/vaveze-list'), ...all, '--sjis', file];
  const nodeTool = [process.execPath, join(webBuild, 'vaveze-list.mjs'), ...all, '--sjis', file];
  if (!sameOutput([native, nodeTool])) throw new Error(`${name}: the Node tool's output differs from the native tool's`);
  const [nodeTime, nodeStart, nativeTime] = timeAlternating([nodeTool, [process.execPath, '-e', '0'], native]);
  const inProcess = timeInProcess(file, name);
  const lines = spawnSync(native[0], native.slice(1), { maxBuffer: 1 << 30 }).stdout.toString('latin1').split('\r\n').length - 1;
  const [listed, shown] = withPage ? (await timePage(file)).map(seconds) : ['', ''];
  console.log(`| ${name} | ${megabytes(file)} | ${lines} | ${Math.round(nativeTime)} | ${Math.round(nodeTime)} | ${Math.round(nodeStart)} | ` +
    `${Math.round((100 * nativeTime) / (nodeTime - nodeStart))} % | ${seconds(inProcess)} | ${listed} | ${shown} |`);
}
