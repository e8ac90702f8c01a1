// The JavaScript side of the WebAssembly binding (web/binding.cpp): moves
// bytes and text in and out of the module's memory. Plain script, so that
// the page's worker can take it as it is and Node can require it.
'use strict';

// What vz_list writes: the forms of binding.cpp.
const VAVEZE_FORM = Object.freeze({ sjis: 0, utf8: 1, pane: 2, records: 3 });
const VAVEZE_FORMATS = Object.freeze([null, 'ZVW', 'ZVS', 'ZVC', 'ZVK']);

// `module` is what createVavezeCore() resolved to.
function makeVavezeBinding(module) {
  let sink = null;
  module.onChunk = (pointer, size) => sink(module.HEAPU8.subarray(pointer, pointer + size));

  function withString(text, use) {
    const size = module.lengthBytesUTF8(text) + 1;
    const pointer = module._vz_alloc(size) >>> 0;
    if (pointer === 0) throw new RangeError('out of memory');
    try {
      module.stringToUTF8(text, pointer, size);
      return use(pointer);
    } finally {
      module._vz_free(pointer);
    }
  }

  // The text's UTF-16 code units in the module's memory.
  function withUnits(text, use) {
    const pointer = module._vz_alloc(text.length * 2) >>> 0;
    if (pointer === 0) throw new RangeError('out of memory');
    try {
      const units = module.HEAPU16;
      const first = pointer >>> 1;
      for (let i = 0; i < text.length; ++i) units[first + i] = text.charCodeAt(i);
      return use(pointer);
    } finally {
      module._vz_free(pointer);
    }
  }

  return {
    version: module.UTF8ToString(module._vz_version()),

    // Parses a file of `size` bytes called `name`; `fill(view)` copies the
    // bytes into the Uint8Array it is given. The result's format is null
    // when the file is not recognised, and notListed says why (the core's
    // NotListedReason number and English words); stop says why the parse
    // ended early ('' when it read the file to its end), stopReason and
    // stopOffset the core's StopReason number and the byte; warning is the
    // window's warning or ''. Throws RangeError when memory runs out.
    parse(name, size, fill) {
      const pointer = module._vz_alloc(size) >>> 0;
      if (pointer === 0) throw new RangeError('out of memory');
      let kind;
      try {
        fill(module.HEAPU8.subarray(pointer, pointer + size));
        kind = withString(name, (namePointer) => module._vz_parse(namePointer, pointer, size));
      } finally {
        module._vz_free(pointer);
      }
      if (kind < 0) throw new RangeError('out of memory');
      return {
        format: VAVEZE_FORMATS[kind],
        notListed: { reason: module._vz_not_listed_reason(), text: module.UTF8ToString(module._vz_not_listed_text()) },
        stop: module.UTF8ToString(module._vz_stop()),
        stopReason: module._vz_stop_reason(),
        stopOffset: module._vz_stop_offset(),
        warning: module.UTF8ToString(module._vz_warning()),
      };
    },

    // Lists the last parse; `onChunk(bytes)` receives the output in pieces
    // that are valid only during the call. `complete` is false when the
    // pane's character limit cut the listing.
    list(options, form, onChunk) {
      const bits = (options.header ? 1 : 0) | (options.dimensions ? 2 : 0) | (options.blocks ? 4 : 0);
      sink = onChunk;
      let result;
      try {
        result = module._vz_list(bits, form);
      } finally {
        sink = null;
      }
      if (result < 0) throw new RangeError('out of memory');
      return { complete: result === 1, lines: module._vz_lines() };
    },

    // The pane's text as the bytes to save: { bytes } or, when code page
    // 932 lacks some of its characters, { unencodable: [code points] }.
    paneBytes(text) {
      const count = withUnits(text, (pointer) => module._vz_pane_bytes(pointer, text.length));
      if (count < 0) throw new RangeError('out of memory');
      if (count > 0) {
        const first = module._vz_unencodable() >>> 2;
        return { unencodable: Array.from(module.HEAPU32.subarray(first, first + count)) };
      }
      const data = module._vz_save_data() >>> 0;
      return { bytes: module.HEAPU8.slice(data, data + (module._vz_save_size() >>> 0)) };
    },
  };
}

// The save dialog's proposal: the name part with its extension replaced by
// ".txt" (".txt" appended when it has none).
function vavezeProposedTextName(path) {
  const name = path.slice(path.lastIndexOf('/') + 1);
  const dot = name.lastIndexOf('.');
  return (dot < 0 ? name : name.slice(0, dot)) + '.txt';
}

if (typeof module === 'object' && module.exports) {
  module.exports = { makeVavezeBinding, vavezeProposedTextName, VAVEZE_FORM, VAVEZE_FORMATS };
}
