// The page: the window's controls in a browser, a view of the window's flow
// (the core's), which runs in the page's worker. Each control hands the
// flow an action; the effects that come back are carried out in their
// order: the parts they name rendered from the state sent with them, the
// pane filled, questions asked in the page's own modal box, the flow's
// timers run, a listing written through the browser's save dialog or as a
// download, every listing into a folder picked or one zip file. The fixed
// texts are the core's, put in when the page is assembled (VAVEZE_TEXTS).
/* global VAVEZE_TEXTS */
import { createPane } from './pane.js';
import { ZipFull, ZipWriter } from './zip.js';

const T = VAVEZE_TEXTS;
const $ = (id) => document.getElementById(id);
const ui = {
  chooser: $('chooser'),
  choose: $('choose'),
  fileName: $('file-name'),
  boxes: [$('header'), $('dimensions'), $('blocks')],
  save: $('save'),
  saveTable: $('save-table'),
  saveAll: $('save-all'),
  stop: $('stop'),
  fileArea: $('file-area'),
  filter: $('filter'),
  files: $('files'),
  hitsArea: $('hits-area'),
  hits: $('hits').tBodies[0],
  searchRunning: $('search-running'),
  searchProgress: $('search-progress'),
  stopSearch: $('stop-search'),
  noticeOffer: $('notice-offer'),
  messages: $('messages'),
  notice: $('notice'),
  noticeText: $('notice-text'),
  progress: $('progress'),
  statusLine: $('status-line'),
  status: $('status'),
  dropHint: $('drop-hint'),
  question: $('question'),
  questionText: $('question-text'),
  replies: $('replies'),
};

const worker = new Worker(URL.createObjectURL(new Blob([$('worker-source').textContent], { type: 'text/javascript' })));
$('worker-source').remove();

let lastId = 0;
let pending = 0;          // messages to the worker whose effects have not come back
let flowIdle = true;      // the flow has no work left, as its last effects said
let holdsEdits = false;   // ... and whether the pane holds edits it would lose
let reading = false;      // the progress bar tells how far a file chosen is read
let lastTag = 0;          // of the last files given
const answers = new Map();  // by id: what waits for the worker's answer to a message
let finds = Promise.resolve();  // the last find, until its effects are carried out

function send(message, transfer = []) {
  pending += 1;
  showBusy();
  worker.postMessage({ ...message, id: ++lastId }, transfer);
  return lastId;
}

// Hands the flow an action by its name, with what it takes of a, b, c, d
// (numbers), text, units and pane (UTF-16): binding.cpp's kActions.
const act = (name, args = {}, transfer = []) => send({ type: 'act', name, args }, transfer);

// The page is busy while the flow works (the pane fills, files are read or
// saved) and not while it waits for the user.
function showBusy() {
  document.body.setAttribute('aria-busy', String(pending > 0 || (!flowIdle && !ui.question.open)));
}

// ---- What the flow shows ----

function showMessage(text, error, caption = error ? T.applicationTitle : T.warningCaption) {
  const close = Object.assign(document.createElement('button'), { type: 'button', textContent: T.ok });
  const box = document.createElement('div');
  box.className = `message ${error ? 'error' : 'warning'}`;
  box.setAttribute('role', 'alert');
  box.append(Object.assign(document.createElement('strong'), { textContent: caption }),
    Object.assign(document.createElement('p'), { textContent: text }), close);
  close.addEventListener('click', () => box.remove());
  ui.messages.append(box);
}

function paintRow(item, { name, folder, mark, tooltip, hidden }) {
  item.replaceChildren(name);
  if (folder) item.append(Object.assign(document.createElement('span'), { className: 'folder', textContent: folder }));
  item.dataset.mark = mark;
  item.title = tooltip;
  item.hidden = hidden;
}

function renderList({ shown, filter, rows }) {
  ui.fileArea.hidden = !shown;
  if (ui.filter.value !== filter) ui.filter.value = filter;
  ui.files.replaceChildren(...rows.map((row, index) => {
    const item = document.createElement('li');
    item.setAttribute('role', 'option');
    item.addEventListener('click', () => act('entryChosen', { a: index }));
    paintRow(item, row);
    return item;
  }));
}

// The lines that hold the filter's text, as the search finds them: the
// file, the line's number, the line with the match marked.
function renderHits({ shown, fresh, running, done, count, rows }) {
  ui.hitsArea.hidden = !shown;
  if (fresh) ui.hits.replaceChildren();
  ui.hits.append(...rows.map(({ file, line, text, position, length }) => {
    const row = document.createElement('tr');
    const cells = [file, String(line), ''].map((content) => Object.assign(document.createElement('td'), { textContent: content }));
    cells[2].append(text.slice(0, position), Object.assign(document.createElement('mark'), { textContent: text.substr(position, length) }),
      text.slice(position + length));
    row.append(...cells);
    row.addEventListener('click', () => actWithPane('hitChosen', { a: row.sectionRowIndex }));
    return row;
  }));
  ui.searchRunning.hidden = !running;
  ui.searchProgress.max = count;
  ui.searchProgress.value = done;
}

// 中止 takes the keyboard while every listing is saved, and gives it back.
let focusBeforeBatch = null;
function renderProgress({ running, done, count }) {
  if (running && ui.stop.hidden) {
    focusBeforeBatch = document.activeElement;
    ui.stop.hidden = false;
    ui.progress.hidden = false;
    ui.stop.focus();
  }
  ui.choose.disabled = running;
  ui.saveAll.disabled = running;
  ui.saveTable.disabled = running;
  ui.progress.max = count;
  ui.progress.value = done;
  if (!running && !ui.stop.hidden) {
    ui.stop.hidden = true;
    ui.progress.hidden = true;
    if (document.activeElement === ui.stop || document.activeElement === document.body) focusBeforeBatch?.focus();
    placeDone();
  }
}

function render(state) {
  if ('status' in state) {
    ui.status.textContent = state.status;
    ui.status.title = state.status;
  }
  if ('notice' in state) {
    ui.noticeText.textContent = state.notice;
    ui.notice.hidden = state.notice === '';
    ui.noticeOffer.textContent = state.offer;
    ui.noticeOffer.hidden = state.offer === '';
  }
  // A file chosen: what was said of the one before goes.
  if ('path' in state) {
    ui.fileName.value = state.path;
    ui.messages.replaceChildren();
  }
  if (state.boxes) ui.boxes.forEach((box) => (box.checked = state.boxes[box.id]));
  if (state.list) renderList(state.list);
  if ('selected' in state)
    [...ui.files.children].forEach((item, index) => item.setAttribute('aria-selected', String(index === state.selected)));
  if (state.progress) renderProgress(state.progress);
  if (state.hits) renderHits(state.hits);
  if ('filling' in state) {
    ui.save.disabled = state.filling;
    document.body.classList.toggle('filling', state.filling);
  }
}

// The page's own modal question, with the answers the flow offers; Escape
// gives the one it names.
function ask({ serial, text, replies, default: first, escape }) {
  ui.questionText.textContent = text;
  ui.replies.replaceChildren(...replies.map(({ reply, caption }) =>
    Object.assign(document.createElement('button'), { value: reply, className: 'button', textContent: caption, autofocus: reply === first })));
  ui.question.returnValue = String(escape);
  ui.question.addEventListener('close', () => act('answered', { a: serial, b: Number(ui.question.returnValue) }), { once: true });
  ui.question.showModal();
}

// The page has no bell: the status line flashes.
function beep() {
  ui.statusLine.classList.remove('beep');
  void ui.statusLine.offsetWidth;
  ui.statusLine.classList.add('beep');
}

// ---- Saving ----

// Handed to the browser as a download: where it lands and under which name
// (plan(1).txt beside an earlier plan.txt) is the browser's choice.
function handOver(blob, name) {
  const url = URL.createObjectURL(blob);
  const link = Object.assign(document.createElement('a'), { href: url, download: name });
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(url), 60_000);
}

// Where the browser lets the page ask where to save (Chromium, Edge), the
// user picks the folder and name, as in the window. Elsewhere, or when the
// browser refuses the dialog (the click too long ago), a download.
let saveTarget = null;
async function chooseSaveTarget({ name, table }) {
  saveTarget = null;
  if (typeof window.showSaveFilePicker === 'function') {
    const [description] = (table ? T.tableFilter : T.saveFilter).split('|');
    const accept = table ? { 'text/csv': ['.csv'] } : { 'text/plain': ['.txt'] };
    try {
      saveTarget = await window.showSaveFilePicker({ suggestedName: name, types: [{ description, accept }] });
    } catch (error) {
      if (error.name === 'AbortError') name = '';  // the user cancelled
    }
  }
  act('saveTargetChosen', { text: saveTarget?.name ?? name });
}

// Where すべて出力 puts the listings: a folder the user picks, where the
// browser lets a page write into one, else one zip file handed over as a
// download once every listing is in.
let place = null;
async function countExisting({ paths, archive }) {
  place = null;
  let folder = null;
  if (typeof window.showDirectoryPicker === 'function') {
    try {
      folder = await window.showDirectoryPicker({ id: 'vaveze-save-all', mode: 'readwrite' });
    } catch (error) {
      if (error.name === 'AbortError') return act('existingCounted', { c: 1 });  // else refused: a zip
    }
  }
  let existing = 0;
  if (folder) for (const path of paths) if (await fileAt(folder, path, false)) existing += 1;
  place = folder ? { folder } : { zip: new ZipWriter(), name: `${archive ?? T.archiveStem}.zip` };
  return act('existingCounted', { a: existing, b: folder ? 0 : 1, text: folder?.name ?? place.name });
}

function placeDone() {
  if (place?.zip?.count > 0) handOver(place.zip.finish(), place.name);
  place = null;
}

// The file at `target` ('/' between names) below `folder`, or null.
async function fileAt(folder, target, create) {
  const names = target.split('/');
  let at = folder;
  try {
    for (const name of names.slice(0, -1)) at = await at.getDirectoryHandle(name, { create });
    return await at.getFileHandle(names.at(-1), { create });
  } catch (error) {
    if (create) throw error;
    return null;
  }
}

// Written whole or not at all: the browser replaces the file on close.
async function writeWhole(file, bytes) {
  const writable = await file.createWritable();
  try {
    await writable.write(bytes);
    await writable.close();
  } catch (error) {
    await writable.abort().catch(() => {});
    throw error;
  }
}

async function write({ for: purpose, saveAll, index, serial, path, bytes }) {
  let failure = '';
  let downloaded = false;
  try {
    if (saveAll && place?.folder) await writeWhole(await fileAt(place.folder, path, true), bytes);
    else if (saveAll) await place.zip.add(path, bytes);
    else if (saveTarget) await writeWhole(saveTarget, bytes);
    else {
      handOver(new Blob([bytes], { type: 'text/plain' }), path);
      downloaded = true;
    }
  } catch (error) {
    failure = error instanceof ZipFull ? T.archiveFull : (error?.message || error?.name || String(error));
  }
  act('fileWritten', { a: purpose, b: index, c: serial, d: downloaded ? 1 : 0, text: failure });
}

// ---- The flow's timers ----

// Each fires again once the effects of its last firing have come back, so a
// step never waits behind the one before, until the flow stops it.
const timers = new Map();  // by the flow's number: { ms, handle, fire, firing: the message it fired with }
let lastPieceNanoseconds = 0;

function stopTimer({ timer }) {
  clearTimeout(timers.get(timer)?.handle);
  timers.delete(timer);
}

function startTimer({ timer, ms }) {
  stopTimer({ timer });
  const entry = {
    ms,
    firing: 0,
    fire() {
      entry.handle = 0;
      entry.firing = act('timerFired', { a: timer, b: lastPieceNanoseconds });
    },
  };
  entry.handle = setTimeout(entry.fire, ms);
  timers.set(timer, entry);
}

// ---- Carrying out the effects ----

const carriers = {
  refresh: render,
  entry: ({ index, row }) => ui.files.children[index] && paintRow(ui.files.children[index], row),
  ask,
  // The browser's open dialog holds nothing up: the files chosen come as files given.
  chooseFiles() {
    act('filesChosen');
    ui.chooser.click();
  },
  chooseSaveTarget,
  tell: ({ error, caption, text }) => showMessage(text, error, caption),
  startPane: () => pane.begin(),
  append({ units }) {
    const start = performance.now();
    pane.append(units);
    lastPieceNanoseconds = Math.round((performance.now() - start) * 1e6);
  },
  finishPane: () => pane.finish(),
  paneSaved: () => pane.saved(),
  select: ({ position, length }) => pane.select(position, length),
  startTimer,
  stopTimer,
  write,
  countExisting,
  beep,
  focus: () => ui.choose.focus(),
  // Only after closeRequested, which the page never sends: the browser asks
  // before the page goes (beforeunload).
  close() {},
};

function carry({ id, effects, idle, holdsEdits: edits, fault }) {
  if (reading && ui.stop.hidden) ui.progress.hidden = true;
  reading = false;
  for (const effect of effects) {
    const carrier = carriers[effect.kind];
    if (!carrier) throw new Error(`no carrier for the flow's effect ${effect.kind}`);
    carrier(effect)?.catch?.(failed);
  }
  if (fault) showMessage(fault, true);
  for (const entry of timers.values()) if (entry.firing === id && entry.handle === 0) entry.handle = setTimeout(entry.fire, entry.ms);
  if (id !== null) pending -= 1;
  answers.get(id)?.();
  answers.delete(id);
  flowIdle = idle ?? flowIdle;
  holdsEdits = edits ?? holdsEdits;
  showBusy();
}

function failed(error) {
  showMessage(error?.message ?? String(error), true);
}

worker.onmessage = ({ data }) => {
  if (data.type === 'effects') {
    carry(data);
  } else if (data.type === 'fieldStart') {
    pending -= 1;
    answers.get(data.id)?.(data.start);
    answers.delete(data.id);
    showBusy();
  } else if (data.type === 'progress' && ui.stop.hidden) {
    // A big file chosen is being read: how far, until the flow speaks.
    reading = true;
    ui.status.textContent = data.status;
    ui.progress.hidden = false;
    ui.progress.max = data.total;
    ui.progress.value = data.done;
  }
};

const pane = createPane($('pane'), T.paneCaption, T, {
  edited: () => act('paneEdited', { a: 1 }),
  // Each find starts from the selection the one before left: Enter pressed
  // twice finds the next match twice.
  find({ needle, backward }) {
    finds = finds.then(() => new Promise((found) => {
      const { from, to } = pane.selection();
      const units = pane.units();
      answers.set(act('find', { units: needle, a: backward ? 1 : 0, b: backward ? from : to, pane: units }, [units.buffer]), found);
    }));
  },
  fieldStart: (selection) => new Promise((resolve) => {
    answers.set(send({ type: 'fieldStart', selection }), resolve);
  }),
});

// ---- Files given ----

// Files for the flow's list, in groups: files chosen or dropped as they
// are, or those found below a folder dropped (walked: the core keeps the
// drawings, in its walk's order). `archive` names the zip of their listings.
function give(groups, archive = T.archiveStem) {
  send({ type: 'give', tag: ++lastTag, groups, archive });
}

const chosen = (files) => [{ walked: false, files: Array.from(files, (file) => ({ path: file.name, file, problem: '' })) }];

const fileOf = (entry) => new Promise((resolve, reject) => entry.file(resolve, reject));

// Every file below `folder` (an entry of a drop), at `prefix` + its path
// below it; a folder the browser cannot read is an entry saying why.
async function walk(folder, prefix, found) {
  const children = [];
  try {
    const reader = folder.createReader();
    for (let some; (some = await new Promise((resolve, reject) => reader.readEntries(resolve, reject))).length > 0; )
      children.push(...some);
  } catch (error) {
    found.push({ path: prefix.slice(0, -1) || folder.name, file: null, problem: error?.message ?? String(error) });
    return;
  }
  for (const child of children) {
    if (child.isDirectory) {
      await walk(child, `${prefix}${child.name}/`, found);
      continue;
    }
    try {
      found.push({ path: prefix + child.name, file: await fileOf(child), problem: '' });
    } catch (error) {
      found.push({ path: prefix + child.name, file: null, problem: error?.message ?? String(error) });
    }
  }
}

// A drop with folders: their drawings as `vaveze-list -r` walks them,
// each at its path below the folder, the zip named after it; with several
// things dropped, below the place they came from, so that two folders'
// files stay apart. A file dropped as itself is taken whatever its name.
async function takeDrop(entries) {
  const alone = entries.length === 1;
  const groups = [];
  for (const entry of entries) {
    const found = [];
    if (entry.isDirectory) await walk(entry, alone ? '' : `${entry.name}/`, found);
    else found.push({ path: entry.name, file: await fileOf(entry), problem: '' });
    groups.push({ walked: entry.isDirectory, files: found });
  }
  give(groups, alone ? entries[0].name : T.archiveStem);
}

// ---- The controls ----

// An action that hands the flow the pane's text as it is now.
function actWithPane(name, args = {}) {
  const units = pane.units();
  act(name, { ...args, pane: units }, [units.buffer]);
}
const save = () => actWithPane('saveClicked');
ui.hits.parentElement.tHead.rows[0].append(...T.hitColumns.split('|').map((heading) =>
  Object.assign(document.createElement('th'), { scope: 'col', textContent: heading })));
ui.choose.addEventListener('click', () => act('openClicked'));
ui.chooser.addEventListener('change', () => {
  if (ui.chooser.files.length > 0) give(chosen(ui.chooser.files));
  ui.chooser.value = '';
});
ui.boxes.forEach((box, index) => box.addEventListener('change', () => act('optionToggled', { a: index, b: box.checked ? 1 : 0 })));
ui.save.addEventListener('click', save);
ui.saveAll.addEventListener('click', () => act('saveAllClicked'));
ui.saveTable.addEventListener('click', () => act('saveTableClicked'));
ui.stopSearch.addEventListener('click', () => act('stopSearchClicked'));
ui.noticeOffer.addEventListener('click', () => act('noticeOfferTaken'));
ui.stop.addEventListener('click', () => act('stopClicked'));
// Not in the middle of a word being composed by an input method.
ui.filter.addEventListener('input', (event) => event.isComposing || act('filterTyped', { units: ui.filter.value }));
ui.filter.addEventListener('compositionend', () => act('filterTyped', { units: ui.filter.value }));
// Enter: to the first line that holds the text.
ui.filter.addEventListener('keydown', (event) => {
  if (event.key !== 'Enter' || event.isComposing) return;
  event.preventDefault();
  actWithPane('filterEntered');
});

// Ctrl+O, Ctrl+S and Ctrl+Shift+S are the buttons, and Ctrl+F the pane's
// find, wherever the focus is; the browser does not save the page itself,
// and its own find would see only the lines in view.
document.addEventListener('keydown', (event) => {
  if (!(event.ctrlKey || event.metaKey) || event.altKey || ui.question.open) return;
  const key = event.key.toLowerCase();
  const command = event.shiftKey ? { s: () => act('saveAllClicked') }[key]
    : { o: () => act('openClicked'), s: save, f: () => pane.openFind() }[key];
  if (!command) return;
  event.preventDefault();
  event.stopPropagation();
  command();
}, true);

// Closing the page or going elsewhere with edits in the pane asks first
// (in the browser's own words: a page may not word that question).
window.addEventListener('beforeunload', (event) => {
  if (holdsEdits) event.preventDefault();
});

// The whole page takes dropped files; text dragged inside the pane stays as
// it is.
let dragDepth = 0;
const carriesFiles = (event) => Array.from(event.dataTransfer?.types ?? []).includes('Files');
function setDragging(on) {
  document.body.classList.toggle('dragging', on);
  ui.dropHint.hidden = !on;
}
document.addEventListener('dragenter', (event) => {
  if (!carriesFiles(event)) return;
  event.preventDefault();
  dragDepth += 1;
  setDragging(true);
});
document.addEventListener('dragover', (event) => {
  if (!carriesFiles(event)) return;
  event.preventDefault();
  event.dataTransfer.dropEffect = 'copy';
});
document.addEventListener('dragleave', (event) => {
  if (!carriesFiles(event)) return;
  dragDepth = Math.max(0, dragDepth - 1);
  if (dragDepth === 0) setDragging(false);
});
document.addEventListener('drop', (event) => {
  if (!carriesFiles(event)) return;
  event.preventDefault();
  event.stopPropagation();
  dragDepth = 0;
  setDragging(false);
  // The entries only answer during the event.
  const entries = Array.from(event.dataTransfer.items ?? [], (item) => item.webkitGetAsEntry?.() ?? null);
  if (entries.some((entry) => entry?.isDirectory)) takeDrop(entries.filter(Boolean)).catch(failed);
  else give(chosen(event.dataTransfer.files));
}, true);
