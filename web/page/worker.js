// The page's worker: holds the user's session (the core's, through the
// WebAssembly binding), reads a chosen file into it, lists it for the pane
// and turns the edited pane back into Shift-JIS, so that the page never
// waits; and composes every text the page shows from the session's state.
// The parse of the file shown stays, so a changed option lists again
// without reading the file again.
/* global VAVEZE_WASM_GZIP_BASE64, createVavezeCore, makeVavezeBinding */
'use strict';

function decodeBase64(text) {
  const binary = atob(text);
  const bytes = new Uint8Array(binary.length);
  for (let i = 0; i < binary.length; ++i) bytes[i] = binary.charCodeAt(i);
  return bytes;
}

async function wasmBinary() {
  const compressed = new Blob([decodeBase64(VAVEZE_WASM_GZIP_BASE64)]);
  return new Uint8Array(await new Response(compressed.stream().pipeThrough(new DecompressionStream('gzip'))).arrayBuffer());
}

const bindingReady = wasmBinary().then((binary) => createVavezeCore({ wasmBinary: binary })).then(makeVavezeBinding);

// The file is read in the pieces the browser gives, straight into the
// module's memory; the page is told how far at every step of
// kProgressStep bytes.
const kProgressStep = 8 << 20;
// The pane's listing goes to the page in slices: a first one small enough
// to show at once, then slices the pane takes in well under a frame's
// budget of a busy page.
const kFirstSliceUnits = 1 << 13;
const kSliceUnits = 1 << 19;

// A read of the file failed: the browser's error, kept apart from running
// out of memory.
class Unreadable {
  constructor(error) {
    this.message = error === null ? '' : (error?.message ?? String(error));
  }
}

async function readInto(binding, id, file, put) {
  let at = 0;
  try {
    // (A reader into a buffer of the worker's own was no faster, and in
    // Chromium now and then stopped for good half way.)
    const reader = file.stream().getReader();
    for (let told = 0; ;) {
      const { done, value: piece } = await reader.read();
      if (done) break;
      const take = Math.min(piece.length, file.size - at);
      put(at, piece.subarray(0, take));
      at += take;
      if (id !== null && at - told >= kProgressStep) {
        told = at;
        progress(id, binding.texts.reading(file.name, Math.floor((at * 100) / file.size)), at, file.size);
      }
    }
  } catch (error) {
    throw new Unreadable(error);
  }
  // The file changed after it was chosen.
  if (at !== file.size) throw new Unreadable(null);
}

function progress(id, status, done = 0, total = 0) {
  postMessage({ type: 'progress', id, status, done, total });
}

// Where the slices of the pane's text from `from` end: at ends of lines.
function sliceEnds(units, from) {
  const ends = [];
  for (let at = from; at < units.length; ) {
    let end = at + kSliceUnits >= units.length ? units.length : units.indexOf(10, at + kSliceUnits);
    if (end < 0) end = units.length;
    ends.push(end);
    at = end + 1;
  }
  return ends;
}

function countLines(units, from, to) {
  let lines = 1;
  for (let at = units.indexOf(10, from); at >= 0 && at < to; at = units.indexOf(10, at + 1)) ++lines;
  return lines;
}

// Lists the file shown for the pane and hands it over a slice at a time,
// each with the status line for it: how far while it goes in, the
// listing's status with the last. The first lines go ahead, before the rest
// is listed. The first slice carries `opened`, the notice and warning of
// an open.
function listPane(binding, id, options, opened = {}) {
  const post = (slice, units) => postMessage({ type: 'slice', id, ...slice, units }, [units.buffer]);
  let from = 0;
  let shown = 0;
  const ahead = binding.listFirst(options, kFirstSliceUnits);
  if (!ahead.complete && ahead.units.length > 0) {
    from = ahead.units.length + 1;
    shown = countLines(ahead.units, 0, ahead.units.length);
    post({ first: true, last: false, status: null, ...opened }, ahead.units);
  }
  const { units, complete, lines } = binding.listPane(options);
  const ends = sliceEnds(units, from);
  if (ends.length === 0) ends.push(units.length);
  ends.forEach((end, index) => {
    const last = index === ends.length - 1;
    if (!last) shown += countLines(units, from, end);
    const status = last ? binding.texts.listed(lines, complete) : binding.texts.filling(shown, lines);
    const first = from === 0;
    post({ first, last, status, complete, ...(first ? opened : {}) }, units.slice(from, end));
    from = end + 1;
  });
}

// The files of the page's list, in its order: { file, path, problem }, the
// File (null for a folder that could not be read, which `problem` says).
let files = [];

async function open(binding, id, index, list, options) {
  const { file, path, problem } = files[index];
  let result;
  try {
    if (file === null) throw new Unreadable({ message: problem });
    progress(id, binding.texts.reading(file.name, 0), 0, file.size);
    result = await binding.parseStreamed(file.name, file.size, async (put) => {
      await readInto(binding, id, file, put);
      progress(id, binding.texts.extracting(file.name));
    });
  } catch (error) {
    if (!(error instanceof Unreadable)) throw error;
    binding.unreadable(file?.name ?? path, error.message);
    result = { format: null, warning: '' };
  }
  postMessage({ type: 'entry', list, index, entry: binding.files.record(index) });
  const opened = { notice: binding.texts.notice(), warning: result.warning };
  if (result.format === null) {
    postMessage({ type: 'notListed', id, status: binding.texts.notListed(), ...opened });
    return;
  }
  listPane(binding, id, options, opened);
}

function save(binding, units) {
  const result = binding.paneBytes(units);
  if (result.unencodable) {
    postMessage({ type: 'refused', request: 'save', message: binding.texts.unencodable() });
    return;
  }
  postMessage({ type: 'saved', request: 'save', bytes: result.bytes, lines: result.lines, name: binding.proposedName() },
    [result.bytes.buffer]);
}

// Reads entry `index` with `use(size, fill)`, whose fill(put) puts its
// bytes; Unreadable when the browser could not read them.
function readEntry(binding, index, use) {
  const { file, problem } = files[index];
  if (file === null) throw new Unreadable({ message: problem });
  return use(file.size, (put) => readInto(binding, null, file, put));
}

// What the page asks and waits for, by name: the file list's filter and
// "save every listing" a step at a time, so that whatever else the page
// asks meanwhile is answered between two files.
const calls = {
  files(binding, list) {
    files = list;
    binding.files.set(list);
    return list.map((_, index) => binding.files.entry(index));
  },
  drawingNames: (binding, names) => names.map((name) => binding.files.isDrawingName(name)),
  findFieldStart: (binding, selection, filter, lastQuery) => binding.findFieldStart(selection, filter, lastQuery),
  async holds(binding, index, options, needle) {
    let holds = false;
    try {
      holds = await readEntry(binding, index, (size, fill) => binding.files.holds(index, size, fill, options, needle));
    } catch (error) {
      if (!(error instanceof Unreadable)) throw error;
      binding.files.unreadable(index, error.message);
    }
    return { holds, entry: binding.files.entry(index) };
  },
  batchBegin: (binding, options) => ({ targets: binding.batch.begin(options), progress: binding.batch.progress() }),
  async batchNext(binding, index) {
    let step;
    try {
      step = await readEntry(binding, index, (size, fill) => binding.batch.next(size, fill));
    } catch (error) {
      if (!(error instanceof Unreadable)) throw error;
      step = binding.batch.unreadable(error.message);
    }
    return step && { ...step, entry: binding.files.entry(step.index), progress: binding.batch.progress() };
  },
  batchNotWritten(binding, index, message) {
    binding.batch.notWritten(index, message);
    return binding.files.entry(index);
  },
  batchEnd: (binding, stopped, folder, archive) => binding.batch.end(stopped, folder, archive),
};

async function handle(message) {
  const binding = await bindingReady;
  const { id } = message;
  const stack = binding.stack();
  try {
    switch (message.type) {
    case 'open':
      await open(binding, id, message.index, message.list, message.options);
      break;
    case 'list':
      progress(id, binding.texts.extracting(binding.shownName()));
      listPane(binding, id, message.options);
      break;
    case 'save':
      save(binding, message.units);
      break;
    case 'say':
      postMessage({ type: 'said', ticket: message.ticket, text: binding.texts[message.what](...message.args) });
      break;
    case 'call': {
      const value = await calls[message.what](binding, ...message.args);
      postMessage({ type: 'answer', ticket: message.ticket, value }, value?.bytes ? [value.bytes.buffer] : []);
      break;
    }
    }
  } catch (error) {
    // The worker's guard: whatever escaped the request (memory that ran
    // out, a fault of the core or of this script) is said in the core's
    // words, and the next request is answered as before.
    postMessage({ type: 'failed', id, request: message.type, ticket: message.ticket, ...binding.fault(error, stack) });
  }
}

// One request at a time, in the order they came.
let queue = Promise.resolve();
onmessage = (event) => {
  queue = queue.then(() => handle(event.data));
};
