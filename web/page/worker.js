// The page's worker: reads a chosen file, parses and lists it with the
// WebAssembly core and turns the edited pane back into Shift-JIS, so that
// the page never waits. The parse of the last file stays, so a changed
// option lists again without reading the file again.
/* global VAVEZE_WASM_BASE64, createVavezeCore, makeVavezeBinding, VAVEZE_FORM */
'use strict';

function decodeBase64(text) {
  const binary = atob(text);
  const bytes = new Uint8Array(binary.length);
  for (let i = 0; i < binary.length; ++i) bytes[i] = binary.charCodeAt(i);
  return bytes;
}

const bindingReady = createVavezeCore({ wasmBinary: decodeBase64(VAVEZE_WASM_BASE64) }).then(makeVavezeBinding);
let parsed = null;  // the last parse: { format, stop, warning }

function progress(id, phase, done, total) {
  postMessage({ type: 'progress', id, phase, done, total });
}

// The file's bytes, read in pieces so that the page can show how far.
async function readFile(id, file) {
  const bytes = new Uint8Array(file.size);
  const reader = file.stream().getReader();
  let at = 0;
  for (;;) {
    const { done, value } = await reader.read();
    if (done) break;
    const take = Math.min(value.length, bytes.length - at);
    bytes.set(value.subarray(0, take), at);
    at += take;
    progress(id, 'read', at, bytes.length);
  }
  return bytes.subarray(0, at);
}

// The pane's text goes to the page as UTF-16 bytes in a transferred buffer:
// cloning a string of millions of characters can take Chromium longer than
// the whole parse.
function listPane(binding, id, options) {
  progress(id, 'list', 0, 0);
  const chunks = [];
  let size = 0;
  const { complete, lines } = binding.list(options, VAVEZE_FORM.pane, (chunk) => {
    chunks.push(chunk.slice());
    size += chunk.length;
  });
  const text = new Uint8Array(size);
  let at = 0;
  for (const chunk of chunks) {
    text.set(chunk, at);
    at += chunk.length;
  }
  postMessage({ type: 'listed', id, ...parsed, complete, lines, text }, [text.buffer]);
}

async function handle(message) {
  const binding = await bindingReady;
  const { id } = message;
  try {
    if (message.type === 'open') {
      parsed = null;
      let bytes;
      try {
        bytes = await readFile(id, message.file);
      } catch {
        postMessage({ type: 'unreadable', id });
        return;
      }
      progress(id, 'parse', 0, 0);
      parsed = binding.parse(message.file.name, bytes.length, (view) => view.set(bytes));
      const empty = bytes.length === 0;
      bytes = null;
      if (parsed.format === null) {
        postMessage({ type: 'listed', id, ...parsed, empty, complete: true, lines: 0, text: new Uint8Array(0) });
        return;
      }
      listPane(binding, id, message.options);
    } else if (message.type === 'list') {
      if (parsed !== null && parsed.format !== null) listPane(binding, id, message.options);
    } else if (message.type === 'save') {
      postMessage({ type: 'saved', id, ...binding.paneBytes(message.text) });
    }
  } catch (error) {
    postMessage({ type: 'failed', id, outOfMemory: error instanceof RangeError, message: String(error) });
  }
}

// One request at a time, in the order they came.
let queue = Promise.resolve();
onmessage = (event) => {
  queue = queue.then(() => handle(event.data));
};
