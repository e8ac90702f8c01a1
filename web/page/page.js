// The page: the window's controls, in a browser. Files are read, parsed and
// listed by the worker; this side keeps the controls, the file list, the
// status line and the messages.
/* global vavezeProposedTextName */
'use strict';

const kWarningCaption = '警告';
const kMostCharactersNamed = 20;
const kKindDescriptions = {
  ZVW: 'ZVW 図面ファイル',
  ZVS: 'ZVS 図形ファイル',
  ZVC: 'ZVC 図面ファイル（MS-DOS）',
  ZVK: 'ZVK 図形ファイル（MS-DOS）',
};

const utf16 = new TextDecoder('utf-16le');
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
  pane: $('pane'),
  progress: $('progress'),
  status: $('status'),
  dropHint: $('drop-hint'),
};

const worker = new Worker(
  URL.createObjectURL(new Blob([$('worker-source').textContent], { type: 'text/javascript' })),
);
$('worker-source').remove();

const state = {
  files: [],      // File objects, in the order chosen or dropped
  current: -1,    // index of the file in the pane
  listed: false,  // the pane holds the current file's listing
  request: 0,     // id of the newest request; older answers are dropped
  listedWith: '', // the options of the listing asked for last
  shownName: '',  // the file whose listing the pane shows; '' for none
  statusBeforeSave: '',  // shown again when a save is cancelled or fails
};

function options() {
  return { header: ui.header.checked, dimensions: ui.dimensions.checked, blocks: ui.blocks.checked };
}

function send(message) {
  state.request += 1;
  if (message.options) state.listedWith = JSON.stringify(message.options);
  worker.postMessage({ ...message, id: state.request });
}

function showMessage(text, kind = 'warning') {
  const box = document.createElement('div');
  box.className = `message ${kind}`;
  box.setAttribute('role', 'alert');
  const caption = document.createElement('strong');
  caption.textContent = kind === 'warning' ? kWarningCaption : 'VAveze';
  const body = document.createElement('p');
  body.textContent = text;
  const close = document.createElement('button');
  close.type = 'button';
  close.textContent = 'OK';
  close.addEventListener('click', () => box.remove());
  box.append(caption, body, close);
  ui.messages.append(box);
}

function clearMessages() {
  ui.messages.replaceChildren();
}

function setBusy(busy) {
  document.body.setAttribute('aria-busy', busy ? 'true' : 'false');
  if (!busy) ui.progress.hidden = true;
}

function showProgress({ phase, done, total }) {
  ui.progress.hidden = false;
  if (phase === 'read' && total > 0) {
    ui.progress.max = total;
    ui.progress.value = done;
    ui.status.textContent = `読み込み中… ${Math.floor((done * 100) / total)}%`;
  } else {
    ui.progress.removeAttribute('value');
    ui.status.textContent = phase === 'parse' ? '解析中…' : '抽出中…';
  }
}

// Why a file was not listed: the file could not be read, or was not what its
// extension promised.
function notListedReason(name, problem) {
  if (problem === 'empty') return '空のファイルです';
  if (problem === 'unreadable') return '読み込みに失敗しました';
  const dot = name.lastIndexOf('.');
  const extension = dot < 0 ? '' : name.slice(dot).toUpperCase();
  if (['ZVW', 'ZVS', 'ZVC', 'ZVK'].some((kind) => extension === `.${kind}`))
    return `${kKindDescriptions[extension.slice(1)]}ではありません`;
  if (extension === '.BAK' || extension.startsWith('.BK') || extension === '.ZV$')
    return 'Zv_cad のどの形式のファイルでもありません';
  if (extension === '') return '拡張子がなく、形式がわかりません';
  return `拡張子「${extension.toLowerCase()}」の形式には対応していません`;
}

// The pane keeps what it shows (the user may have typed into it), and the
// status line says so.
function showNotListed(problem) {
  setBusy(false);
  const name = state.files[state.current].name;
  let text = `「${name}」は抽出できませんでした（${notListedReason(name, problem)}）。`;
  if (state.shownName !== '') text += ` 表示は「${state.shownName}」のままです。`;
  ui.status.textContent = text;
}

function statusText(result) {
  let text = `${kKindDescriptions[result.format]}: ${result.lines} 行を抽出しました。`;
  if (result.stop) text += ` ファイルを最後まで読めなかったため、読めたところまでを表示しています(${result.stop})。`;
  if (!result.complete) text += ' 表示できる文字数の上限に達したため、途中で打ち切りました。';
  return text;
}

function showListing(result) {
  if (result.format === null) {
    showNotListed(result.empty ? 'empty' : '');
    // After the status line, so that it already says why while the message is up.
    if (result.warning) showMessage(result.warning);
    return;
  }
  setBusy(false);
  if (result.warning) showMessage(result.warning);
  ui.pane.value = utf16.decode(result.text);
  state.shownName = state.files[state.current].name;
  ui.pane.scrollTop = 0;
  state.listed = true;
  ui.status.textContent = statusText(result);
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
      item.textContent = file.name;
      item.addEventListener('click', () => openFile(index));
      return item;
    }),
  );
  ui.files.setAttribute('role', 'listbox');
}

function openFile(index) {
  const file = state.files[index];
  state.current = index;
  state.listed = false;
  renderFileList();
  clearMessages();
  ui.fileName.value = file.name;
  setBusy(true);
  showProgress({ phase: 'read', done: 0, total: file.size });
  send({ type: 'open', file, options: options() });
}

function takeFiles(fileList) {
  const files = Array.from(fileList);
  if (files.length === 0) return;
  state.files = files;
  openFile(0);
}

function relist() {
  if (!state.listed) return;
  setBusy(true);
  showProgress({ phase: 'list' });
  send({ type: 'list', options: options() });
}

// 「字」(U+5B57) for a printable character, U+XXXX for any other; twenty
// at most, then how many more.
function describeCharacters(codePoints) {
  const names = [];
  for (const c of codePoints) {
    if (names.length === kMostCharactersNamed) {
      names.push(`ほか ${codePoints.length - kMostCharactersNamed} 文字`);
      break;
    }
    const code = `U+${c.toString(16).toUpperCase().padStart(4, '0')}`;
    const character = String.fromCodePoint(c);
    names.push(/\p{C}/u.test(character) ? code : `「${character}」(${code})`);
  }
  return names.join('、');
}

function save() {
  if (state.current < 0) {
    ui.chooser.focus();
    return;
  }
  // The pane is about to be replaced: what it holds now is not the listing.
  if (document.body.getAttribute('aria-busy') === 'true') return;
  setBusy(true);
  state.statusBeforeSave = ui.status.textContent;
  ui.status.textContent = '保存の準備中…';
  send({ type: 'save', text: ui.pane.value });
}

// Proposed from the file whose listing the pane shows, not from a later
// file that could not be listed.
function saveName() {
  return vavezeProposedTextName(state.shownName || state.files[state.current].name);
}

// Handed to the browser as a download: where it lands and under which name
// (plan(1).txt beside an earlier plan.txt) is the browser's choice.
function download(bytes) {
  const url = URL.createObjectURL(new Blob([bytes], { type: 'text/plain' }));
  const link = document.createElement('a');
  link.href = url;
  link.download = saveName();
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(url), 60_000);
  return `「${link.download}」をダウンロードとしてブラウザに渡しました。`;
}

// Where the browser lets the page ask where to save (Chromium, Edge), the
// user picks the folder and name, as in the window; the file is replaced
// only once it is written whole. Elsewhere, or when the browser refuses the
// dialog (the click too long ago), a download. Returns the status text.
async function saveListing(bytes) {
  if (typeof window.showSaveFilePicker !== 'function') return download(bytes);
  let file;
  try {
    file = await window.showSaveFilePicker({
      suggestedName: saveName(),
      types: [{ description: 'テキスト ファイル', accept: { 'text/plain': ['.txt'] } }],
    });
  } catch (error) {
    if (error.name === 'AbortError') return state.statusBeforeSave;  // the user cancelled
    return download(bytes);
  }
  let writable;
  try {
    writable = await file.createWritable();
    await writable.write(bytes);
    await writable.close();
  } catch (error) {
    await writable?.abort().catch(() => {});
    showMessage(`「${file.name}」に保存できませんでした。\n${error.message}`, 'error');
    return state.statusBeforeSave;
  }
  return `「${file.name}」を保存しました。`;
}

worker.onmessage = ({ data }) => {
  if (data.id !== state.request) return;
  switch (data.type) {
  case 'progress':
    showProgress(data);
    break;
  case 'listed':
    showListing(data);
    break;
  case 'unreadable':
    showNotListed('unreadable');
    break;
  case 'saved':
    setBusy(false);
    ui.status.textContent = '';
    if (data.unencodable) {
      showMessage(
        `次の文字は Shift-JIS にないため、保存できません。\n${describeCharacters(data.unencodable)}\n` +
          'これらの文字を書き換えてから、もう一度保存してください。',
      );
    } else {
      saveListing(data.bytes).then((text) => {
        ui.status.textContent = text;
      });
    }
    break;
  case 'failed':
    setBusy(false);
    ui.status.textContent = '';
    showMessage(data.outOfMemory ? 'メモリが足りないため、処理できませんでした。' : data.message, 'error');
    break;
  }
};

ui.chooser.addEventListener('change', () => {
  takeFiles(ui.chooser.files);
  ui.chooser.value = '';
});
for (const box of [ui.header, ui.dimensions, ui.blocks]) box.addEventListener('change', relist);
ui.save.addEventListener('click', save);

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
  dragDepth = 0;
  setDragging(false);
  takeFiles(event.dataTransfer.files);
});
