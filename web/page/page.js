// The page: the window's controls, in a browser. The user's session lives
// in the worker (the core's, through the WebAssembly binding), which reads,
// parses and lists the files and composes every text shown; this side keeps
// the controls, the file list, the pane, the questions and the messages.
// The fixed texts are the core's too, put in when the page is assembled
// (VAVEZE_TEXTS).
/* global VAVEZE_TEXTS */
import { createPane } from './pane.js';
import { ZipFull, ZipWriter } from './zip.js';

const T = VAVEZE_TEXTS;
const $ = (id) => document.getElementById(id);
const ui = {
  chooser: $('chooser'),
  fileName: $('file-name'),
  header: $('header'),
  dimensions: $('dimensions'),
  blocks: $('blocks'),
  save: $('save'),
  saveAll: $('save-all'),
  stop: $('stop'),
  fileArea: $('file-area'),
  filter: $('filter'),
  files: $('files'),
  messages: $('messages'),
  notice: $('notice'),
  noticeText: $('notice-text'),
  progress: $('progress'),
  status: $('status'),
  dropHint: $('drop-hint'),
  question: $('question'),
  questionText: $('question-text'),
};
// What a find came to, in the status line as the windows say it; a find
// that needs no word gives the status line back.
let statusBeforeFind = null;
const pane = createPane($('pane'), T.paneCaption, T, async ({ notFound, wrapped, backward }) => {
  if (notFound === undefined && !wrapped) {
    if (statusBeforeFind !== null) ui.status.textContent = statusBeforeFind;
    statusBeforeFind = null;
    return;
  }
  statusBeforeFind ??= ui.status.textContent;
  ui.status.textContent = notFound === undefined ? (backward ? T.wrappedBackward : T.wrappedForward) : await say('notFound', notFound);
}, (selection, lastQuery) => call('findFieldStart', selection, ui.filter.value, lastQuery));

const worker = new Worker(
  URL.createObjectURL(new Blob([$('worker-source').textContent], { type: 'text/javascript' })),
);
$('worker-source').remove();

const state = {
  files: [],       // { file, path, problem }, in the order chosen or dropped (file null: a folder not read)
  entries: [],     // what the worker's file list says of each: { state, saved, tooltip }, once read
  holding: null,   // the indexes the filter keeps, or null for every file
  filterRun: 0,    // id of the newest filter; an older one stops
  archive: '',     // the zip's name, before .zip
  list: 0,         // id of the newest list of files; what the worker says of an older one is dropped
  batch: null,     // "save every listing" while it runs: { stop }
  current: -1,     // index of the file chosen last
  request: 0,      // id of the newest request; older answers are dropped
  busy: false,     // a file is being read or listed
  saving: false,   // the pane is being saved
  shown: false,    // the pane shows a file's listing
  filled: true,    // the listing shown is all in the pane
  statusTaken: false,  // the status line says something the fill must not replace
  listedWith: '',  // the options of the listing asked for last
  statusBeforeSave: '',  // shown again when a save is cancelled or fails
  tickets: new Map(),    // texts asked of the worker, by ticket
  nextTicket: 0,
};

function options() {
  return { header: ui.header.checked, dimensions: ui.dimensions.checked, blocks: ui.blocks.checked };
}

function send(message, transfer = []) {
  state.request += 1;
  if (message.options) state.listedWith = JSON.stringify(message.options);
  worker.postMessage({ ...message, id: state.request }, transfer);
}

// A text the worker composes from the session: texts[what](...args) of
// web/lib/core.js.
function say(what, ...args) {
  const ticket = ++state.nextTicket;
  worker.postMessage({ type: 'say', ticket, what, args });
  return new Promise((resolve) => state.tickets.set(ticket, resolve));
}

// What the worker answers: calls[what](...args) of worker.js; rejected
// with the worker's error.
function call(what, ...args) {
  const ticket = ++state.nextTicket;
  worker.postMessage({ type: 'call', ticket, what, args });
  return new Promise((resolve, reject) => state.tickets.set(ticket, { resolve, reject }));
}

function showMessage(text, kind = 'warning') {
  const box = document.createElement('div');
  box.className = `message ${kind}`;
  box.setAttribute('role', 'alert');
  const caption = document.createElement('strong');
  caption.textContent = kind === 'warning' ? T.warningCaption : T.applicationTitle;
  const body = document.createElement('p');
  body.textContent = text;
  const close = document.createElement('button');
  close.type = 'button';
  close.textContent = T.ok;
  close.addEventListener('click', () => box.remove());
  box.append(caption, body, close);
  ui.messages.append(box);
}

function clearMessages() {
  ui.messages.replaceChildren();
}

// The page's own modal question, Yes or Cancel (the default); true for Yes.
// A second question while one is up (a drop meanwhile) is answered Cancel.
function ask(question) {
  if (ui.question.open) return Promise.resolve(false);
  ui.questionText.textContent = question;
  ui.question.returnValue = '';
  ui.question.showModal();
  return new Promise((resolve) => {
    ui.question.addEventListener('close', () => resolve(ui.question.returnValue === 'yes'), { once: true });
  });
}

// Whether the pane's edits may be replaced: none, or the user says so.
async function mayReplaceEdits(question) {
  return !pane.edited || ask(question);
}

function setBusy(busy) {
  state.busy = busy;
  document.body.setAttribute('aria-busy', busy ? 'true' : 'false');
  if (!busy && !state.batch?.running) ui.progress.hidden = true;
}

// How far a file is read; while every listing is saved, the bar is the
// batch's and only the status line tells of a file opened meanwhile.
function showProgress({ status, done, total }) {
  if (!state.statusTaken) ui.status.textContent = status;
  if (state.batch?.running) return;
  ui.progress.hidden = false;
  if (total > 0) {
    ui.progress.max = total;
    ui.progress.value = done;
  } else {
    ui.progress.removeAttribute('value');
  }
}

function showNotice(text) {
  ui.noticeText.textContent = text;
  ui.notice.hidden = text === '';
}

// What an open says besides the listing: the notice beside the pane, and
// the warning after the status line, so that it already says why while the
// message is up.
function showOpened({ notice, warning }) {
  showNotice(notice);
  if (warning) showMessage(warning);
}

function showNotListed(data) {
  setBusy(false);
  ui.status.textContent = data.status;
  showOpened(data);
  // The file shown was still going into the pane: it goes in again whole,
  // under the status line that says why the new file was not listed.
  if (!state.filled) {
    state.statusTaken = true;
    relist();
  }
}

function takeSlice(data) {
  if (data.first) {
    pane.begin(data.units);
    state.filled = false;
    state.shown = true;
    if (data.notice !== undefined) showOpened(data);
  } else {
    pane.append(data.units);
  }
  if (!state.statusTaken && data.status !== null) ui.status.textContent = data.status;
  if (!data.last) return;
  state.statusTaken = false;
  pane.finish();
  state.filled = true;
  setBusy(false);
  if (!data.complete) showMessage(T.paneFull, 'error');
  // An option changed while the file was being read.
  if (state.listedWith !== JSON.stringify(options())) relist();
}

// An entry of the list as the worker's file list has it: its state (a
// mark, and the colour of a file not listed or not written), the tooltip
// saying why, and whether the filter keeps it.
function paintEntry(item, index) {
  const entry = state.entries[index];
  item.setAttribute('aria-selected', String(index === state.current));
  item.dataset.state = entry?.state ?? 'notRead';
  item.dataset.saved = entry?.saved ?? '';
  item.title = entry?.tooltip ?? state.files[index].path;
  item.hidden = state.holding !== null && !state.holding.has(index);
}

// The list shows only with several files: one behaves as the window did.
function renderFileList() {
  ui.fileArea.hidden = state.files.length < 2;
  ui.files.replaceChildren(
    ...state.files.map(({ path }, index) => {
      const item = document.createElement('li');
      item.setAttribute('role', 'option');
      item.textContent = path;
      item.addEventListener('click', () => openFile(index));
      paintEntry(item, index);
      return item;
    }),
  );
}

function setEntry(index, entry) {
  state.entries[index] = entry;
  const item = ui.files.children[index];
  if (item) paintEntry(item, index);
}

async function openFile(index, asked = false) {
  if (!asked && !(await mayReplaceEdits(T.editsLostOpen))) return;
  const { file, path } = state.files[index];
  state.current = index;
  statusBeforeFind = null;
  for (const [at, item] of [...ui.files.children].entries()) item.setAttribute('aria-selected', String(at === index));
  clearMessages();
  ui.fileName.value = file?.name ?? path;
  state.statusTaken = false;
  setBusy(true);
  send({ type: 'open', index, list: state.list, options: options() });
}

// A new list of files, { file, path, problem } each, replaces the old one;
// `archive` names the zip of its listings.
async function takeFiles(files, archive = T.archiveStem) {
  if (files.length === 0 || state.batch || !(await mayReplaceEdits(T.editsLostOpen))) return;
  state.files = files;
  state.list += 1;
  state.entries = files.map(() => null);
  state.holding = null;
  state.archive = archive;
  state.filterRun += 1;
  ui.filter.value = '';
  call('files', files).then((entries) => {
    if (state.files === files) entries.forEach((entry, index) => state.entries[index] ?? setEntry(index, entry));
  }, callFailed);
  renderFileList();
  openFile(0, true);
}

const chosen = (fileList) => Array.from(fileList, (file) => ({ file, path: file.name, problem: '' }));

// UTF-8 bytewise, as the command line's walk orders names.
const utf8 = new TextEncoder();
function bytewise(a, b) {
  const [x, y] = [utf8.encode(a), utf8.encode(b)];
  for (let i = 0; i < Math.min(x.length, y.length); ++i) if (x[i] !== y[i]) return x[i] - y[i];
  return x.length - y.length;
}

// Every file below `folder` (an entry of a drop), depth first in bytewise
// order of names, at `prefix` + its path below it; a folder the browser
// cannot read is an entry saying why.
async function walk(folder, prefix, found) {
  const children = [];
  try {
    const reader = folder.createReader();
    for (;;) {
      const some = await new Promise((resolve, reject) => reader.readEntries(resolve, reject));
      if (some.length === 0) break;
      children.push(...some);
    }
  } catch (error) {
    found.push({ entry: null, path: prefix.slice(0, -1) || folder.name, problem: error?.message ?? String(error) });
    return;
  }
  children.sort((a, b) => bytewise(a.name, b.name));
  for (const child of children) {
    if (child.isDirectory) await walk(child, `${prefix}${child.name}/`, found);
    else found.push({ entry: child, path: prefix + child.name, problem: '', walked: true });
  }
}

// A drop with folders: their drawings as `vaveze-list -r` walks them,
// each at its path below the folder, the zip named after it; with several
// things dropped, below the place they came from, so that two folders'
// files stay apart. A file dropped as itself is taken whatever its name.
async function takeDrop(entries) {
  const found = [];
  const alone = entries.length === 1;
  for (const entry of entries) {
    if (entry.isDirectory) await walk(entry, alone ? '' : `${entry.name}/`, found);
    else found.push({ entry, path: entry.name, problem: '' });
  }
  const drawing = await call('drawingNames', found.map(({ path }) => path.slice(path.lastIndexOf('/') + 1)));
  const kept = found.filter(({ walked }, index) => !walked || drawing[index]);
  if (kept.length === 0) {
    ui.status.textContent = T.noDrawings;
    return;
  }
  const files = await Promise.all(kept.map(async ({ entry, path, problem }) => {
    if (entry === null) return { file: null, path, problem };
    try {
      return { file: await new Promise((resolve, reject) => entry.file(resolve, reject)), path, problem };
    } catch (error) {
      return { file: null, path, problem: error?.message ?? String(error) };
    }
  }));
  takeFiles(files, alone ? entries[0].name : T.archiveStem);
}

function relist() {
  setBusy(true);
  send({ type: 'list', options: options() });
}

// A box takes effect at once on the file shown; with edits in the pane the
// user is asked first, and Cancel puts the box back.
async function optionChanged(box) {
  if (!state.shown || state.busy) return;  // taken when the listing arrives
  if (!(await mayReplaceEdits(T.editsLostRelist))) {
    box.checked = !box.checked;
    return;
  }
  state.statusTaken = false;
  relist();
  if (ui.filter.value !== '') filter().catch(callFailed);
}

// The file list's filter: only the files whose listing, with the boxes as
// they are, holds the text (the core's rule), each read afresh one at a
// time between whatever else the page asks; a newer filter stops this one.
async function filter() {
  const run = ++state.filterRun;
  const needle = ui.filter.value;
  const count = state.files.length;
  if (needle === '') {
    state.holding = null;
    renderFileList();
    return;
  }
  const holding = new Set();
  const boxes = options();
  for (let index = 0; index < count; ++index) {
    const status = await say('filtering', needle, index, count);
    if (run !== state.filterRun) return;
    ui.status.textContent = status;
    const { holds, entry } = await call('holds', index, boxes, needle);
    if (run !== state.filterRun) return;
    setEntry(index, entry);
    if (holds) holding.add(index);
  }
  const status = await say('filtered', needle, holding.size, count);
  if (run !== state.filterRun) return;
  state.holding = holding;
  renderFileList();
  ui.status.textContent = status;
}

function save() {
  if (state.current < 0) {
    ui.status.textContent = T.noFileToSave;
    ui.chooser.focus();
    return;
  }
  // The pane is about to be replaced: what it holds now is not the listing.
  if (state.busy) {
    ui.status.textContent = T.stillFilling;
    return;
  }
  if (state.saving) return;
  state.saving = true;
  state.statusBeforeSave = ui.status.textContent;
  ui.status.textContent = T.preparingSave;
  const units = pane.units();
  worker.postMessage({ type: 'save', units }, [units.buffer]);
}

// Handed to the browser as a download: where it lands and under which name
// (plan(1).txt beside an earlier plan.txt) is the browser's choice.
function handOver(blob, name) {
  const url = URL.createObjectURL(blob);
  const link = document.createElement('a');
  link.href = url;
  link.download = name;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(url), 60_000);
}

function download(bytes, name, lines) {
  handOver(new Blob([bytes], { type: 'text/plain' }), name);
  pane.saved();
  return say('download', name, lines);
}

// Where the browser lets the page ask where to save (Chromium, Edge), the
// user picks the folder and name, as in the window; the file is replaced
// only once it is written whole. Elsewhere, or when the browser refuses the
// dialog (the click too long ago), a download. Returns the status text.
async function saveListing({ bytes, name, lines }) {
  if (typeof window.showSaveFilePicker !== 'function') return download(bytes, name, lines);
  const [description] = T.saveFilter.split('|');
  let file;
  try {
    file = await window.showSaveFilePicker({
      suggestedName: name,
      types: [{ description, accept: { 'text/plain': ['.txt'] } }],
    });
  } catch (error) {
    if (error.name === 'AbortError') return state.statusBeforeSave;  // the user cancelled
    return download(bytes, name, lines);
  }
  let writable;
  try {
    writable = await file.createWritable();
    await writable.write(bytes);
    await writable.close();
  } catch (error) {
    await writable?.abort().catch(() => {});
    showMessage(await say('saveFailed', file.name, error.message), 'error');
    return state.statusBeforeSave;
  }
  pane.saved();
  return say('saved', file.name, lines);
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
async function writeAt(folder, target, bytes) {
  const writable = await (await fileAt(folder, target, true)).createWritable();
  try {
    await writable.write(bytes);
    await writable.close();
  } catch (error) {
    await writable.abort().catch(() => {});
    throw error;
  }
}

// "Save every listing": each file listed afresh with the boxes as they are,
// in the worker, a file per step, saved under the command line's names into
// a folder the user picks where the browser lets a page write into one,
// else into one zip download. One question first, when files would be
// replaced or the pane's edits left out. Stop ends it between two files.
async function saveAll() {
  if (state.files.length === 0) {
    ui.status.textContent = T.noFileToSave;
    ui.chooser.focus();
    return;
  }
  if (state.batch) return;
  state.batch = { stop: false };
  const focused = document.activeElement;
  try {
    await runBatch();
  } finally {
    state.batch = null;
    ui.stop.hidden = true;
    ui.progress.hidden = !state.busy;
    ui.saveAll.disabled = false;
    ui.chooser.disabled = false;
    if (document.activeElement === ui.stop || document.activeElement === document.body) focused?.focus();
  }
}

async function runBatch() {
  let folder = null;
  // Asked at once, while the press still counts as the user's.
  if (typeof window.showDirectoryPicker === 'function') {
    try {
      folder = await window.showDirectoryPicker({ id: 'vaveze-save-all', mode: 'readwrite' });
    } catch (error) {
      if (error.name === 'AbortError') return;  // the user cancelled; else refused: a zip
    }
  }
  const { targets, progress } = await call('batchBegin', options());
  let existing = 0;
  if (folder) for (const target of targets) if (await fileAt(folder, target, false)) existing += 1;
  const question = await say('saveAllQuestion', existing, targets.length, pane.edited);
  if (question !== '' && !(await ask(question))) {
    await call('batchEnd', false, '', '');
    return;
  }
  ui.saveAll.disabled = true;
  ui.chooser.disabled = true;
  ui.stop.hidden = false;
  ui.stop.focus();
  state.statusTaken = true;
  showProgress({ status: progress, done: 0, total: targets.length });
  state.batch.running = true;
  ui.status.textContent = progress;
  const zip = folder ? null : new ZipWriter();
  for (let index = 0; index < targets.length && !state.batch.stop; ++index) {
    const step = await call('batchNext', index);
    if (step === null) break;
    let { entry } = step;
    if (entry.saved === 'saved') {
      try {
        if (zip) await zip.add(targets[index], step.bytes);
        else await writeAt(folder, targets[index], step.bytes);
      } catch (error) {
        entry = await call('batchNotWritten', index, error instanceof ZipFull ? T.archiveFull : error.message);
      }
    }
    setEntry(index, entry);
    ui.progress.value = index + 1;
    if (step.progress !== '') ui.status.textContent = step.progress;
  }
  let archive = '';
  if (zip?.count > 0) {
    archive = `${state.archive}.zip`;
    handOver(zip.finish(), archive);
  }
  ui.status.textContent = await call('batchEnd', state.batch.stop, folder?.name ?? '', archive);
  state.statusTaken = state.busy;
}

function failed(data) {
  ui.status.textContent = '';
  showMessage(data.outOfMemory ? T.outOfMemory : data.message, 'error');
}

// What the worker says of a save; one save at a time, whatever was asked
// after it.
function takeSave(data) {
  switch (data.type) {
  case 'refused':
    state.saving = false;
    ui.status.textContent = state.statusBeforeSave;
    showMessage(data.message);
    break;
  case 'saved':
    saveListing(data).then((text) => {
      state.saving = false;
      ui.status.textContent = text;
    });
    break;
  case 'failed':
    state.saving = false;
    failed(data);
    break;
  }
}

worker.onmessage = ({ data }) => {
  if (data.type === 'said' || data.type === 'answer' || (data.type === 'failed' && data.ticket !== undefined)) {
    const waiting = state.tickets.get(data.ticket);
    state.tickets.delete(data.ticket);
    if (typeof waiting === 'function') waiting(data.text ?? data.message);
    else if (data.type === 'answer') waiting?.resolve(data.value);
    else waiting?.reject(Object.assign(new Error(data.message), { outOfMemory: data.outOfMemory }));
    return;
  }
  if (data.type === 'entry') {
    if (data.list === state.list) setEntry(data.index, data.entry);
    return;
  }
  if (data.request === 'save') {
    takeSave(data);
    return;
  }
  if (data.id !== state.request) return;
  switch (data.type) {
  case 'progress':
    showProgress(data);
    break;
  case 'slice':
    takeSlice(data);
    break;
  case 'notListed':
    showNotListed(data);
    break;
  case 'failed':
    setBusy(false);
    failed(data);
    break;
  }
};

ui.chooser.addEventListener('change', () => {
  takeFiles(chosen(ui.chooser.files));
  ui.chooser.value = '';
});
for (const box of [ui.header, ui.dimensions, ui.blocks]) box.addEventListener('change', () => optionChanged(box));
ui.save.addEventListener('click', save);
ui.saveAll.addEventListener('click', () => saveAll().catch(callFailed));
ui.stop.addEventListener('click', () => {
  if (state.batch) state.batch.stop = true;
});
// Read once the typing pauses, and not in the middle of a word being
// composed by an input method.
let typing = 0;
ui.filter.addEventListener('input', (event) => {
  clearTimeout(typing);
  if (!event.isComposing) typing = setTimeout(() => filter().catch(callFailed), 250);
});
ui.filter.addEventListener('compositionend', () => {
  clearTimeout(typing);
  typing = setTimeout(() => filter().catch(callFailed), 250);
});

// The worker failed a call: memory ran out, or the core threw.
function callFailed(error) {
  state.statusTaken = false;
  ui.status.textContent = '';
  showMessage(error.outOfMemory ? T.outOfMemory : error.message, 'error');
}
ui.question.addEventListener('cancel', () => (ui.question.returnValue = 'cancel'));

// Ctrl+O, Ctrl+S and Ctrl+Shift+S are the buttons, and Ctrl+F the pane's
// find, wherever the focus is; the browser does not save the page itself,
// and its own find would see only the lines in view.
document.addEventListener('keydown', (event) => {
  if (!(event.ctrlKey || event.metaKey) || event.altKey || ui.question.open) return;
  const key = event.key.toLowerCase();
  if (event.shiftKey) {
    if (key === 's') {
      event.preventDefault();
      saveAll().catch(callFailed);
    }
    return;
  }
  if (key === 'o') {
    event.preventDefault();
    ui.chooser.click();
  } else if (key === 's') {
    event.preventDefault();
    save();
  } else if (key === 'f') {
    event.preventDefault();
    event.stopPropagation();
    pane.openFind();
  }
}, true);

// Closing the page or going elsewhere with edits in the pane asks first
// (in the browser's own words: a page may not word that question).
window.addEventListener('beforeunload', (event) => {
  if (pane.edited) event.preventDefault();
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
  if (entries.some((entry) => entry?.isDirectory)) takeDrop(entries.filter(Boolean)).catch(callFailed);
  else takeFiles(chosen(event.dataTransfer.files));
}, true);
