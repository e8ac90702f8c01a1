// The page: the window's controls, in a browser. The user's session lives
// in the worker (the core's, through the WebAssembly binding), which reads,
// parses and lists the files and composes every text shown; this side keeps
// the controls, the file list, the pane, the questions and the messages.
// The fixed texts are the core's too, put in when the page is assembled
// (VAVEZE_TEXTS).
/* global VAVEZE_TEXTS */
import { createPane } from './pane.js';

const T = VAVEZE_TEXTS;
const $ = (id) => document.getElementById(id);
const ui = {
  chooser: $('chooser'),
  fileName: $('file-name'),
  header: $('header'),
  dimensions: $('dimensions'),
  blocks: $('blocks'),
  save: $('save'),
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
const pane = createPane($('pane'), T.paneCaption, T);

const worker = new Worker(
  URL.createObjectURL(new Blob([$('worker-source').textContent], { type: 'text/javascript' })),
);
$('worker-source').remove();

const state = {
  files: [],       // File objects, in the order chosen or dropped
  current: -1,     // index of the file chosen last
  notListed: new Set(),  // indexes of the files that could not be listed
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
  if (!busy) ui.progress.hidden = true;
}

function showProgress({ status, done, total }) {
  ui.progress.hidden = false;
  if (total > 0) {
    ui.progress.max = total;
    ui.progress.value = done;
  } else {
    ui.progress.removeAttribute('value');
  }
  if (!state.statusTaken) ui.status.textContent = status;
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
  state.notListed.add(state.current);
  renderFileList();
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
    if (data.notice !== undefined) {
      state.notListed.delete(state.current);
      renderFileList();
      showOpened(data);
    }
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

function renderFileList() {
  ui.files.hidden = state.files.length < 2;
  ui.files.replaceChildren(
    ...state.files.map((file, index) => {
      const item = document.createElement('li');
      item.setAttribute('role', 'option');
      item.setAttribute('aria-selected', String(index === state.current));
      item.classList.toggle('not-listed', state.notListed.has(index));
      item.textContent = file.name;
      item.addEventListener('click', () => openFile(index));
      return item;
    }),
  );
}

async function openFile(index, asked = false) {
  if (!asked && !(await mayReplaceEdits(T.editsLostOpen))) return;
  const file = state.files[index];
  state.current = index;
  renderFileList();
  clearMessages();
  ui.fileName.value = file.name;
  state.statusTaken = false;
  setBusy(true);
  send({ type: 'open', file, options: options() });
}

async function takeFiles(fileList) {
  const files = Array.from(fileList);
  if (files.length === 0 || !(await mayReplaceEdits(T.editsLostOpen))) return;
  state.files = files;
  state.notListed.clear();
  openFile(0, true);
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
function download(bytes, name, lines) {
  const url = URL.createObjectURL(new Blob([bytes], { type: 'text/plain' }));
  const link = document.createElement('a');
  link.href = url;
  link.download = name;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(url), 60_000);
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
  if (data.type === 'said' || (data.type === 'failed' && data.ticket !== undefined)) {
    state.tickets.get(data.ticket)?.(data.text ?? data.message);
    state.tickets.delete(data.ticket);
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
  takeFiles(ui.chooser.files);
  ui.chooser.value = '';
});
for (const box of [ui.header, ui.dimensions, ui.blocks]) box.addEventListener('change', () => optionChanged(box));
ui.save.addEventListener('click', save);
ui.question.addEventListener('cancel', () => (ui.question.returnValue = 'cancel'));

// Ctrl+O and Ctrl+S are the two buttons, wherever the focus is; the
// browser does not save the page itself.
document.addEventListener('keydown', (event) => {
  if (!(event.ctrlKey || event.metaKey) || event.altKey || event.shiftKey || ui.question.open) return;
  const key = event.key.toLowerCase();
  if (key === 'o') {
    event.preventDefault();
    ui.chooser.click();
  } else if (key === 's') {
    event.preventDefault();
    save();
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
  takeFiles(event.dataTransfer.files);
}, true);
