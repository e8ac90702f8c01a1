// VAveze for Node.js: the text listing of ZVW, ZVS, ZVC and ZVK files (and
// backups of them), from the same core as the window and vaveze-list.
//
//   import { listBytes } from 'vaveze';
//   const { status, format, lines } = listBytes(bytes, 'plan.zvw', { header: true });
//   for (const line of lines) console.log(line.text);  // line.bytes: Shift-JIS
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';

const require = createRequire(import.meta.url);
const createVavezeCore = require('./vaveze-core.cjs');
const { makeVavezeBinding, vavezeProposedTextName, VAVEZE_FORM, VAVEZE_FILE_PROBLEM } = require('./vaveze-binding.cjs');

// One module for the process; the binding holds one parse at a time, and
// every call below finishes before it returns.
export const binding = makeVavezeBinding(
  await createVavezeCore({ wasmBinary: readFileSync(new URL('./vaveze-core.wasm', import.meta.url)) }),
);

export const version = binding.version;
export { VAVEZE_FORM as forms, VAVEZE_FILE_PROBLEM as fileProblems };

// The statuses of vaveze-list.
export const status = Object.freeze({ ok: 0, notRecognised: 1, partial: 3 });

const utf8 = new TextDecoder('utf-8');

// Lists the file `fileName` (only its extension counts) whose content is
// `bytes` (a Uint8Array). Options: header, dimensions, blocks, the window's
// three check boxes. Returns { status, format, stop, warning, lines }:
// status as vaveze-list's exit status (0 listed, 3 listed but the file ends
// early, 1 not recognised); format 'ZVW', 'ZVS', 'ZVC', 'ZVK' or null; stop
// why the parse ended early ("the file ends at byte 1,234 inside a text
// record"), '' when it read the file to its end; warning the
// window's warning for a Windows-format extension on another file, or '';
// each line { bytes: Shift-JIS Uint8Array, text: string } as the tool's
// --utf8 output writes it. Throws RangeError when memory runs out.
export function listBytes(bytes, fileName, options = {}) {
  const parsed = binding.parse(String(fileName), bytes.length, (view) => view.set(bytes));
  if (parsed.format === null) {
    return { status: status.notRecognised, format: null, stop: '', warning: parsed.warning, lines: [] };
  }

  const records = [];
  let total = 0;
  binding.list(options, VAVEZE_FORM.records, (chunk) => {
    records.push(chunk.slice());
    total += chunk.length;
  });
  const all = new Uint8Array(total);
  let at = 0;
  for (const chunk of records) {
    all.set(chunk, at);
    at += chunk.length;
  }
  const view = new DataView(all.buffer);
  const lines = [];
  for (let pos = 0; pos < total; ) {
    const size = view.getUint32(pos, true);
    const lineBytes = all.subarray(pos + 4, pos + 4 + size);
    pos += 4 + size;
    const textSize = view.getUint32(pos, true);
    lines.push({ bytes: lineBytes, text: utf8.decode(all.subarray(pos + 4, pos + 4 + textSize)) });
    pos += 4 + textSize;
  }
  const partial = parsed.stop !== '';
  return { status: partial ? status.partial : status.ok, format: parsed.format, stop: parsed.stop, warning: '', lines };
}

// The name a listing is saved under: `plan.zvw` -> `plan.txt`.
export const proposedTextName = vavezeProposedTextName;
