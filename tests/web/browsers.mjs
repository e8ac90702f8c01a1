// The browsers the page is tested in, behind one face: Debian's Chromium
// (DevTools protocol) and Firefox ESR (WebDriver BiDi), both through
// puppeteer-core from web/package-lock.json. Each starts headless on a
// profile of its own whose downloads land in a folder of the test's, so a
// download is read back from disk as the user would find it. Chromium
// offers pages a save dialog, which a headless browser cannot show: there
// the test answers it in the dialog's stead (pickerStub).
import { mkdirSync, mkdtempSync, readdirSync, readFileSync, rmSync, statSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { setTimeout as sleep } from 'node:timers/promises';

const root = resolve(import.meta.dirname, '../..');
const puppeteer = createRequire(join(root, 'web/package.json'))('puppeteer-core');

const viewport = { width: 640, height: 520 };
const launchers = {
  async chromium(downloads) {
    const browser = await puppeteer.launch({
      browser: 'chrome',
      executablePath: '/usr/bin/chromium',
      headless: true,
      defaultViewport: viewport,
      args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
        '--disable-component-update', '--disable-sync'],
    });
    const session = await browser.target().createCDPSession();
    await session.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
    return browser;
  },
  firefox(downloads) {
    return puppeteer.launch({
      browser: 'firefox',
      executablePath: '/usr/bin/firefox-esr',
      headless: true,
      defaultViewport: viewport,
      extraPrefsFirefox: {
        'browser.download.dir': downloads,
        'browser.download.folderList': 2,
        'browser.download.useDownloadDir': true,
        'browser.download.always_ask_before_handling_new_types': false,
      },
    });
  },
};
export const browserNames = Object.keys(launchers);

// Stands in for Chromium's save dialog. It answers as the test last set
// (window.vavezeTestPicker.answer: 'save'; 'cancel'; 'refuse' as a browser
// does when the click is too long ago; 'full', a file whose write fails)
// and records each call: the name proposed and the bytes written, in a
// file that counts only once closed.
function pickerStub() {
  const calls = [];
  window.vavezeTestPicker = { answer: 'save', calls };
  window.showSaveFilePicker = async (options = {}) => {
    const call = { suggestedName: options.suggestedName, bytes: [], closed: false };
    calls.push(call);
    if (window.vavezeTestPicker.answer === 'cancel') throw new DOMException('The user aborted a request.', 'AbortError');
    if (window.vavezeTestPicker.answer === 'refuse')
      throw new DOMException('Must be handling a user gesture to show a file picker.', 'SecurityError');
    const writable = {
      async write(data) {
        if (window.vavezeTestPicker.answer === 'full') throw new DOMException('The disk is full.', 'QuotaExceededError');
        for (const byte of new Uint8Array(await new Blob([data]).arrayBuffer())) call.bytes.push(byte);
      },
      async close() {
        call.closed = true;
      },
      async abort() {},
    };
    return { kind: 'file', name: options.suggestedName, createWritable: async () => writable };
  };
}

// The browser `name` with `url` open. The result's page is puppeteer's;
// requests and errors collect every request the page made and every error
// it did not catch.
export async function openPage(name, url) {
  const folder = mkdtempSync(join(tmpdir(), `vaveze-${name}-`));
  const downloads = join(folder, 'downloads');
  mkdirSync(downloads);
  const browser = await launchers[name](downloads);
  const page = (await browser.pages())[0] ?? (await browser.newPage());
  const requests = [];
  const errors = [];
  page.on('request', (request) => requests.push(request.url()));
  page.on('pageerror', (error) => errors.push(error.message));
  await page.goto(url);
  const dialog = await page.evaluate(() => typeof window.showSaveFilePicker === 'function');
  if (dialog) await page.evaluate(pickerStub);
  const pickerCalls = () => page.evaluate(() => window.vavezeTestPicker.calls);

  return {
    name,
    browser,
    page,
    requests,
    errors,
    folder,

    // Whether the browser offers the page a save dialog; how the test
    // answers it.
    dialog,
    answerDialog: (answer) => page.evaluate((value) => (window.vavezeTestPicker.answer = value), answer),

    // The page afresh, the save dialog answered as before.
    async reload() {
      await page.reload();
      if (dialog) await page.evaluate(pickerStub);
    },

    // Runs `action`, a save, and gives what it saved, { name, bytes }:
    // through the save dialog where there is one, else the download; null
    // when nothing came within `wait` ms.
    async saved(action, wait = 20_000) {
      if (!dialog) return this.download(action, wait);
      const before = (await pickerCalls()).length;
      await action();
      try {
        await page.waitForFunction((count) => window.vavezeTestPicker.calls[count]?.closed, { timeout: wait }, before);
      } catch {
        return null;
      }
      const call = (await pickerCalls())[before];
      return { name: call.suggestedName, bytes: Buffer.from(call.bytes) };
    },

    // Runs `action` and gives the download it started, { name, bytes },
    // once its file has stopped changing; null when none came within `wait`
    // ms. (Both browsers write a download under a name of their own and
    // rename it when it is complete.)
    async download(action, wait = 20_000) {
      for (const old of readdirSync(downloads)) rmSync(join(downloads, old), { force: true });
      await action();
      let last = '';
      for (const started = Date.now(); Date.now() - started < wait; await sleep(100)) {
        let files;
        try {
          files = readdirSync(downloads).map((file) => [file, statSync(join(downloads, file)).size]);
        } catch {
          continue;  // renamed between the two calls
        }
        const seen = JSON.stringify(files);
        if (files.length === 1 && !/\.(part|crdownload)$/.test(files[0][0]) && seen === last)
          return { name: files[0][0], bytes: readFileSync(join(downloads, files[0][0])) };
        last = seen;
      }
      return null;
    },

    async close() {
      await browser.close();
      rmSync(folder, { recursive: true, force: true });
    },
  };
}
