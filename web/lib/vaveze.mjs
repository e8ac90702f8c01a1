// VAveze for Node.js: the text listing of ZVW, ZVS, ZVC and ZVK files (and
// backups of them), from the same core as the window and vaveze-list.
//
//   import { listBytes } from 'vaveze';
//   const { status, format, reason, lines } = listBytes(bytes, 'plan.zvw', { header: true });
//   for (const line of lines) console.log(line.kind, line.text);  // line.bytes: Shift-JIS
//
// An ES module, as its WebAssembly is made ready before it is handed out;
// from CommonJS, vaveze.cjs's load() gives it.
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';

const require = createRequire(import.meta.url);
const createVavezeCore = require('./vaveze-core.cjs');
const { makeVavezeBinding, VAVEZE_FORM } = require('./vaveze-binding.cjs');

// One module for the process; the binding holds one parse at a time, and
// every call below finishes before it returns.
const binding = makeVavezeBinding(
  await createVavezeCore({ wasmBinary: readFileSync(new URL('./vaveze-core.wasm', import.meta.url)) }),
);

export const version = binding.version;

// The statuses of vaveze-list.
const status = Object.freeze({ ok: 0, notRecognised: 1, partial: 3 });

// The options listBytes takes: the window's three check boxes, and salvage.
const optionNames = new Set(['header', 'dimensions', 'blocks', 'salvage']);

// The core's codes by their numbers, named by the core: why a file was not
// listed, why a parse stopped early, what a line is.
const { notListed: notListedCodes, stops: stopCodes, lineKinds } = binding.codeNames;

const utf8 = new TextDecoder('utf-8');

const isBytes = (value) => ArrayBuffer.isView(value) && value.BYTES_PER_ELEMENT === 1;

// Lists the file `fileName` (only its extension counts) whose content is
// `bytes` (a Uint8Array or a Buffer). Options: header, dimensions, blocks,
// the window's three check boxes. Returns
//   status      as vaveze-list's exit status: 0 listed, 3 listed but the
//               file ends early or is damaged, 1 not recognised;
//   format      'ZVW', 'ZVS', 'ZVC', 'ZVK', or null when not recognised;
//   reason      why not all was listed, in English, as vaveze-list says it
//               ("not a ZVW drawing file: it does not start as one", "the
//               file ends at byte 1,234 inside a text record"), '' for 0;
//   reasonCode  the same as a code: for status 1 'notZvw', 'notZvs',
//               'notZvc', 'notZvk', 'notAnyFormat' (a backup's name) or
//               'unknownName'; for status 3 'endsEarly', 'unsupportedVersion',
//               'impossibleSize', 'numberOverflow' or 'outOfMemory'; null for 0;
//   offset      for status 3 the byte where the parse stopped, else null;
//   stop        the reason for status 3, else '' (as in earlier versions);
//   warning     the window's warning (Japanese) for a .zvw or .zvs name on
//               another file, or '';
//   lines       [{ bytes, text, kind, block }]: the line's Shift-JIS bytes,
//               its text as the tool's --utf8 output writes it, what it is
//               ('heading', 'headerText', 'layerGroup', 'layers', 'colors',
//               'lineTypes', 'text', 'dimensionText', 'blockName',
//               'blockText', 'blockDimensionText') and the number of its
//               block definition (from 0), null outside the block section.
// With { salvage: true } the file is read on past the places where it is
// damaged: the texts found there follow the other lines (under their
// sections' headings repeated), each line says whether it was salvaged
// (salvaged: true or false), and
//   skipped     [{ reason, reasonCode, from, to }]: each place passed over,
//               why reading could not go on there ('endsEarly',
//               'impossibleSize', 'damagedRecord', ...), the byte where it
//               could not and where records could be read again.
// Throws TypeError when bytes is not a byte array, fileName not a string or
// options names anything but these ({ headers: true } would otherwise list
// without the header, unnoticed), RangeError when memory runs out.
export function listBytes(bytes, fileName, options = {}) {
  if (!isBytes(bytes)) throw new TypeError(`listBytes: bytes must be a Uint8Array or a Buffer, not ${describe(bytes)}`);
  if (typeof fileName !== 'string') throw new TypeError(`listBytes: fileName must be a string, not ${describe(fileName)}`);
  if (options === null || typeof options !== 'object') throw new TypeError('listBytes: options must be an object');
  for (const name of Object.keys(options)) {
    if (!optionNames.has(name))
      throw new TypeError(`listBytes: unknown option '${name}' (the options are header, dimensions, blocks and salvage)`);
  }
  const view = new Uint8Array(bytes.buffer, bytes.byteOffset, bytes.byteLength);
  const salvage = Boolean(options.salvage);
  const parsed = binding.parse(fileName, view.length, (into) => into.set(view), salvage);
  if (parsed.format === null) {
    return {
      status: status.notRecognised, format: null, reason: parsed.notListed.text,
      reasonCode: notListedCodes[parsed.notListed.reason], offset: null, stop: '', warning: parsed.warning, lines: [],
    };
  }
  const partial = parsed.stop !== '';
  const listed = {
    status: partial ? status.partial : status.ok,
    format: parsed.format,
    reason: parsed.stop,
    reasonCode: partial ? stopCodes[parsed.stopReason] : null,
    offset: partial ? parsed.stopOffset : null,
    stop: parsed.stop,
    warning: '',
    lines: listedLines(options, salvage),
  };
  if (salvage) {
    listed.skipped = parsed.skipped.map(([reason, from, to, text]) => ({ reason: text, reasonCode: stopCodes[reason], from, to }));
  }
  return listed;
}


// The last parse's lines, from the records binding.cpp writes: per line the
// kind (u8, 0x80 added for a salvaged line), the block (i32), then the bytes
// and the UTF-8 text, each after its u32 length.
function listedLines(options, salvage) {
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
  const data = new DataView(all.buffer);
  const lines = [];
  for (let pos = 0; pos < total; ) {
    const kind = lineKinds[all[pos] & 0x7f];
    const salvaged = (all[pos] & 0x80) !== 0;
    const block = data.getInt32(pos + 1, true);
    const size = data.getUint32(pos + 5, true);
    const lineBytes = all.subarray(pos + 9, pos + 9 + size);
    pos += 9 + size;
    const textSize = data.getUint32(pos, true);
    const text = utf8.decode(all.subarray(pos + 4, pos + 4 + textSize));
    pos += 4 + textSize;
    const line = { bytes: lineBytes, text, kind, block: block < 0 ? null : block };
    if (salvage) line.salvaged = salvaged;
    lines.push(line);
  }
  return lines;
}

function describe(value) {
  if (value === null) return 'null';
  if (typeof value !== 'object') return typeof value;
  return value.constructor?.name ?? 'an object';
}

// The name a listing is saved under: `plan.zvw` -> `plan.txt`.
export function proposedTextName(path) {
  if (typeof path !== 'string') throw new TypeError(`proposedTextName: path must be a string, not ${describe(path)}`);
  return binding.proposedTextName(path);
}
