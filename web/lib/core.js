// The JavaScript side of the WebAssembly binding (web/binding.cpp): moves
// bytes and text in and out of the module's memory. Plain script, so that
// the page's worker can take it as it is and Node can require it.
'use strict';

// What vz_list writes: the forms of binding.cpp.
const VAVEZE_FORM = Object.freeze({ sjis: 0, utf8: 1, pane: 2, records: 3 });
const VAVEZE_FORMATS = Object.freeze([null, 'ZVW', 'ZVS', 'ZVC', 'ZVK']);
const VAVEZE_FILE_PROBLEM = Object.freeze({
  none: 0, notFound: 1, noPermission: 2, isFolder: 3, notRegularFile: 4, empty: 5, tooLarge: 6, readError: 7,
});

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
    // when the file is not recognised; stop says why the parse ended early
    // ('' when it read the file to its end); warning is the window's warning
    // or ''. Throws RangeError when memory runs out.
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
        stop: module.UTF8ToString(module._vz_stop()),
        warning: module.UTF8ToString(module._vz_warning()),
        // The stop's parts for messages in other languages: the core's
        // StopReason number, the byte offset, the record ('' when unknown).
        stopParts: {
          reason: module._vz_stop_reason(),
          offset: module._vz_stop_offset(),
          record: module.UTF8ToString(module._vz_stop_record()),
        },
      };
    },

    // The core's words for a file that cannot be read (the FileProblem
    // numbers of core/readers/FileAccess.h).
    describeFileProblem(problem, systemMessage = '') {
      return withString(systemMessage, (pointer) => module.UTF8ToString(module._vz_file_problem(problem, pointer)));
    },

    // Lists the last parse; `onChunk(bytes)` receives the output in pieces
    // that are valid only during the call. `complete` is false when the
    // pane's character limit cut the listing. `prefix` (bytes) goes before
    // every line of the sjis and utf8 forms.
    list(options, form, onChunk, prefix = new Uint8Array(0)) {
      const bits = (options.header ? 1 : 0) | (options.dimensions ? 2 : 0) | (options.blocks ? 4 : 0);
      const prefixPointer = module._vz_alloc(prefix.length) >>> 0;
      if (prefixPointer === 0) throw new RangeError('out of memory');
      try {
        module.HEAPU8.set(prefix, prefixPointer);
        if (module._vz_set_prefix(prefixPointer, prefix.length) < 0) throw new RangeError('out of memory');
      } finally {
        module._vz_free(prefixPointer);
      }
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

    // A path in code page 932, "?" for each character it lacks (bytes).
    encodePath(text) {
      return withUnits(text, (pointer) => {
        if (module._vz_encode_path(pointer, text.length) < 0) throw new RangeError('out of memory');
        const data = module._vz_save_data() >>> 0;
        return module.HEAPU8.slice(data, data + (module._vz_save_size() >>> 0));
      });
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
  module.exports = { makeVavezeBinding, vavezeProposedTextName, VAVEZE_FORM, VAVEZE_FORMATS, VAVEZE_FILE_PROBLEM };
}
