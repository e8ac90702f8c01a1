// The page's worker: runs the window's flow (the core's, through the
// WebAssembly binding) and reads the files it asks for with the browser's
// APIs straight into the module's memory, so that the page never waits. The
// page hands in the user's actions and carries out the other effects.
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
let binding = null;

// The status line tells how far a big file chosen is read, at every step
// of kProgressStep bytes.
const kProgressStep = 8 << 20;

// The files the page gave, by the tag of each giving: { files: [{ file,
// problem }] in the flow's order (file null: a folder not read), archive:
// the zip's name }; those of lists before the flow's are let go.
const given = new Map();
let listTag = 0;  // of the flow's list, as its reads say

// Hands the flow an action and the page what came of it: every effect but
// the reads, which are carried out here once the page has the rest.
function act(id, name, args) {
  const answer = binding.flow.act(name, args);
  const effects = [];
  const reads = [];
  const transfer = [];
  for (const effect of answer.effects ?? []) {
    if (effect.kind === 'read') {
      reads.push(effect);
      continue;
    }
    if (effect.kind === 'countExisting') effect.archive = given.get(listTag)?.archive;
    for (const data of [effect.units, effect.bytes]) if (data) transfer.push(data.buffer);
    effects.push(effect);
  }
  postMessage({ type: 'effects', id, ...answer, effects }, transfer);
  reads.forEach(read);
}

async function read({ for: purpose, open, index, tag, serial }) {
  listTag = tag;
  for (const old of given.keys()) if (old < tag) given.delete(old);
  const { file = null, problem = '' } = given.get(tag)?.files[index] ?? {};
  let failure = problem;
  let room = -1;
  if (file !== null) {
    const into = binding.flow.room(file.size);
    room = into.room;
    try {
      if (room >= 0) await readInto(file, into.put, open);
    } catch (error) {
      failure = error?.message || error?.name || String(error);
    }
  }
  guarded(null, () => act(null, 'fileRead', { a: purpose, b: index, c: serial, d: room, text: failure }));
}

// Reads `file` in the pieces the browser gives; put(offset, bytes) takes
// each. A file the user chose is told of as it goes, when big.
async function readInto(file, put, told) {
  const reader = file.stream().getReader();
  let at = 0;
  for (let step = kProgressStep; ;) {
    const { done, value: piece } = await reader.read();
    if (done) break;
    const take = Math.min(piece.length, file.size - at);
    put(at, piece.subarray(0, take));
    at += take;
    if (told && at >= step) {
      step = at + kProgressStep;
      const status = at < file.size ? binding.texts.reading(file.name, Math.floor((at * 100) / file.size))
        : binding.texts.extracting(file.name);
      postMessage({ type: 'progress', status, done: at, total: file.size });
    }
  }
  // The file changed after it was chosen; the browser has no words for it.
  if (at !== file.size) throw new DOMException('', 'NotReadableError');
}

// Files for the flow's list: from each group, the files chosen, or those
// found below a folder dropped (`walked`), which the core puts in its walk's
// order and takes only the drawings of.
function give(id, { tag, groups, archive }) {
  const files = [];
  for (const group of groups) {
    const byPath = new Map(group.files.map((entry) => [entry.path, entry]));
    const named = binding.flow.name(group.files.map(({ path, file, problem }) => ({ path, problem, size: file?.size ?? 0 })),
      group.walked);
    files.push(...named.map((path) => byPath.get(path)));
  }
  given.set(tag, { files, archive });
  act(id, 'sourcesGiven', { a: tag });
}

// The worker's guard: a fault of this script is said in the core's words,
// and the next message is answered as before. (The flow's own faults are
// caught by the core's guard in the module.)
function guarded(id, body) {
  const stack = binding.stack();
  try {
    body();
  } catch (error) {
    postMessage({ type: 'effects', id, effects: [], fault: binding.fault(error, stack).message });
  }
}

let queue = bindingReady.then((ready) => (binding = ready));
onmessage = ({ data }) => {
  queue = queue.then(() => guarded(data.id, () => {
    if (data.type === 'act') act(data.id, data.name, data.args);
    else if (data.type === 'give') give(data.id, data);
    else postMessage({ type: 'fieldStart', id: data.id, start: binding.flow.findStart(data.selection) });
  }));
};
