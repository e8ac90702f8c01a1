// Speed of the WebAssembly build on the large benchmark files: the Node tool
// against the native one, as a user runs them (whole processes, output to
// /dev/null); the parse and listing alone under Node; and the page in
// headless Chromium (through puppeteer-core): from choosing a file until
// its first lines and its whole listing are shown, the longest task that
// held the page meanwhile, then select all, copy and find in it. Prints a
// Markdown table.
//
// The tools: medians of 9 alternating runs each of the Node tool, of
// `node -e 0` (Node's own start) and of the native tool, all options and
// --sjis; the Node tool's own work is its time less Node's start, and its
// speed is the native tool's time over that. Both outputs must be the same
// bytes. VAVEZE_BENCH_PAGE=0 leaves the page out, VAVEZE_BENCH_TOOLS=0 the
// tools; VAVEZE_BENCH_FILES=large.zvw,... picks the files;
// VAVEZE_BENCH_ACTIONS=0 leaves out select all, copy and find.
//
//   node web/bench.mjs NATIVE_BUILD WEB_BUILD BENCH_FILES [RUNS]
import { spawnSync } from 'node:child_process';
import { openSync, readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';

const [nativeBuild, webBuild, files, runsText = '3'] = process.argv.slice(2);
const runs = Number(runsText);
const toolRuns = 9;
const withPage = process.env.VAVEZE_BENCH_PAGE !== '0';
const withTools = process.env.VAVEZE_BENCH_TOOLS !== '0';
const puppeteer = createRequire(resolve(import.meta.dirname, 'package.json'))('puppeteer-core');
const all = ['--header', '--dimensions', '--blocks'];
const names = process.env.VAVEZE_BENCH_FILES?.split(',') ??
  ['large.zvw', 'large.zvs', 'largest.zvc', 'largest.zvk', 'pane-full.zvw'];
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

const { binding, forms } = withTools ? await import(pathToFileURL(resolve(webBuild, 'vaveze.mjs')).href) : {};
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

// Page measures, from the file input's `change` event: when the pane first
// holds lines (the end of the first frame painted after), when the whole
// listing is in (the page no longer busy), and every task of the page's
// main thread longer than 50 ms meanwhile (the browser's long tasks).
function watchPage() {
  window.benchLongTasks = [];
  new PerformanceObserver((list) => {
    for (const entry of list.getEntries()) window.benchLongTasks.push([entry.startTime, entry.duration]);
  }).observe({ type: 'longtask' });
  document.addEventListener('change', (event) => {
    if (event.target.type !== 'file') return;
    const start = event.timeStamp;
    const marks = { start };
    window.benchMarks = marks;
    const pane = document.getElementById('pane');
    const frame = () => requestAnimationFrame(() => setTimeout(() => {
      const now = performance.now();
      if (marks.first === undefined && pane.textLength > 0) marks.first = now - start;
      if (marks.first !== undefined && document.body.getAttribute('aria-busy') === 'false') {
        marks.all = now - start;
        marks.long = window.benchLongTasks.filter(([at]) => at >= start).map(([, duration]) => duration);
      } else {
        frame();
      }
    }, 0));
    frame();
  }, true);
}

// After the whole listing is in: select all and copy it, and find its last
// line with the page's find bar; each until the frame after.
async function timeActions(page, lastLine) {
  const untilFrame = () => page.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => setTimeout(resolve, 0))));
  const timed = async (action) => {
    await page.evaluate(() => (window.benchActionStart = performance.now()));
    await action();
    await untilFrame();
    return page.evaluate(() => performance.now() - window.benchActionStart);
  };
  const keys = async (...chord) => {
    for (const key of chord) await page.keyboard.down(key);
    for (const key of chord.reverse()) await page.keyboard.up(key);
  };
  await page.focus('#pane [role="textbox"]');
  const selectAll = await timed(() => keys('Control', 'a'));
  const copy = await timed(() => keys('Control', 'c'));
  await keys('Control', 'f');
  await page.keyboard.type(lastLine);
  const find = await timed(() => page.keyboard.press('Enter'));
  return { selectAll, copy, find };
}

async function timePage(file, lastLine) {
  const browser = await puppeteer.launch({
    browser: 'chrome',
    executablePath: '/usr/bin/chromium',
    headless: true,
    defaultViewport: { width: 640, height: 520 },
    args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking'],
  });
  try {
    const first = [];
    const all = [];
    const longest = [];
    let actions = null;
    for (let i = 0; i < runs; ++i) {
      const page = await browser.newPage();
      await page.evaluateOnNewDocument(watchPage);
      await page.goto(pathToFileURL(resolve(webBuild, 'vaveze.html')).href);
      for (const box of ['header', 'dimensions', 'blocks']) await page.click(`#${box}`);
      await (await page.$('#chooser')).uploadFile(file);
      await page.waitForFunction(() => window.benchMarks?.all !== undefined, { timeout: 600_000, polling: 50 });
      const marks = await page.evaluate(() => window.benchMarks);
      first.push(marks.first);
      all.push(marks.all);
      longest.push(Math.max(0, ...marks.long));
      if (i === runs - 1 && process.env.VAVEZE_BENCH_ACTIONS !== '0') actions = await timeActions(page, lastLine);
      await page.close();
    }
    return { first: median(first), all: median(all), longest: median(longest), ...actions };
  } finally {
    await browser.close();
  }
}

console.log('| file | MB | lines | native tool ms | Node tool ms | node -e 0 ms | Node tool\'s own work, share of native speed |' +
  ' Node parse+listing s | page: first lines s | page: whole listing s | page: longest task ms |' +
  ' page: select all, copy, find the last line ms |');
console.log('|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---|');
for (const name of names) {
  const file = join(files, name);
  const native = [join(nativeBuild, 'cli/vaveze-list'), ...all, '--sjis', file];
  const nodeTool = [process.execPath, join(webBuild, 'vaveze-list.mjs'), ...all, '--sjis', file];
  const listed = spawnSync(native[0], ['--utf8', ...native.slice(1)], { maxBuffer: 1 << 30 }).stdout.toString().split('\n');
  const lines = listed.length - 1;
  let tools = ['', '', '', '', ''];
  if (withTools) {
    if (!sameOutput([native, nodeTool])) throw new Error(`${name}: the Node tool's output differs from the native tool's`);
    const [nodeTime, nodeStart, nativeTime] = timeAlternating([nodeTool, [process.execPath, '-e', '0'], native]);
    tools = [Math.round(nativeTime), Math.round(nodeTime), Math.round(nodeStart),
      `${Math.round((100 * nativeTime) / (nodeTime - nodeStart))} %`, seconds(timeInProcess(file, name))];
  }
  let page = ['', '', '', ''];
  if (withPage) {
    const times = await timePage(file, listed[lines - 1]);
    const ms = Math.round;
    page = [seconds(times.first), seconds(times.all), ms(times.longest),
      times.selectAll === undefined ? '' : `${ms(times.selectAll)}, ${ms(times.copy)}, ${ms(times.find)}`];
  }
  console.log(`| ${name} | ${megabytes(file)} | ${lines} | ${[...tools, ...page].join(' | ')} |`);
}
