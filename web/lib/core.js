// The JavaScript side of the WebAssembly binding (web/binding.cpp): moves
// bytes and text in and out of the module's memory. Plain script, so that
// the page's worker can take it as it is and Node can require it.
'use strict';

// What vz_list writes: the forms of binding.cpp.
const VAVEZE_FORM = Object.freeze({ sjis: 0, utf8: 1, pane: 2, records: 3 });
const VAVEZE_FORMATS = Object.freeze([null, 'ZVW', 'ZVS', 'ZVC', 'ZVK']);
// A file list's entry: core/session/filelist.h's FileState and SaveState.
const VAVEZE_FILE_STATES = Object.freeze(['notRead', 'listed', 'partial', 'notRecognised']);
const VAVEZE_SAVE_STATES = Object.freeze([null, 'saved', 'notWritten']);

// `module` is what createVavezeCore() resolved to.
function makeVavezeBinding(module) {
  let sink = null;
  module.onChunk = (pointer, size) => sink(module.HEAPU8.subarray(pointer, pointer + size));
  const text = (pointer) => module.UTF8ToString(pointer >>> 0);

  // Calls `use` with the strings in the module's memory (UTF-8, NUL-ended).
  function withStrings(strings, use) {
    const pointers = [];
    try {
      for (const string of strings) {
        const size = module.lengthBytesUTF8(string) + 1;
        const pointer = module._vz_alloc(size) >>> 0;
        if (pointer === 0) throw new RangeError('out of memory');
        pointers.push(pointer);
        module.stringToUTF8(string, pointer, size);
      }
      return use(...pointers);
    } finally {
      for (const pointer of pointers) module._vz_free(pointer);
    }
  }
  const say = (call, ...strings) => withStrings(strings, (...pointers) => text(call(...pointers)));

  // The text's UTF-16 code units (a string or a Uint16Array) in the
  // module's memory.
  function withUnits(units, use) {
    const pointer = module._vz_alloc(units.length * 2) >>> 0;
    if (pointer === 0) throw new RangeError('out of memory');
    try {
      if (typeof units === 'string') {
        const heap = module.HEAPU16;
        const first = pointer >>> 1;
        for (let i = 0; i < units.length; ++i) heap[first + i] = units.charCodeAt(i);
      } else {
        module.HEAPU16.set(units, pointer >>> 1);
      }
      return use(pointer);
    } finally {
      module._vz_free(pointer);
    }
  }

  // What the last open came to.
  function opened(kind) {
    if (kind < 0) throw new RangeError('out of memory');
    return {
      format: VAVEZE_FORMATS[kind],
      notListed: { reason: module._vz_not_listed_reason(), text: text(module._vz_not_listed_text()) },
      stop: text(module._vz_stop()),
      stopReason: module._vz_stop_reason(),
      stopOffset: module._vz_stop_offset(),
      warning: text(module._vz_warning()),
    };
  }

  // Room for `size` bytes in the module's memory while `use(pointer)` runs,
  // which may be async.
  function withRoom(size, use) {
    const pointer = module._vz_alloc(size) >>> 0;
    if (pointer === 0) throw new RangeError('out of memory');
    let async = false;
    try {
      const result = use(pointer);
      if (result instanceof Promise) {
        async = true;
        return result.finally(() => module._vz_free(pointer));
      }
      return result;
    } finally {
      if (!async) module._vz_free(pointer);
    }
  }
  function batchStep(index) {
    if (index === -2) throw new RangeError('out of memory');
    if (index < 0) return null;
    const data = module._vz_batch_listing_data() >>> 0;
    return { index, bytes: module.HEAPU8.slice(data, data + (module._vz_batch_listing_size() >>> 0)) };
  }
  const parseAt = (name, pointer, size, salvage = false) =>
    opened(withStrings([name], (namePointer) => module._vz_parse(namePointer, pointer, size, salvage ? 1 : 0)));

  // The core's names of its codes, by their numbers (binding.cpp's
  // CodeNamesJson): the line kinds as the Node API spells them, lowerCamel.
  const names = JSON.parse(text(module._vz_code_names()));
  names.lineKinds = names.lineKinds.map((name) => name.replace(/_(.)/g, (_, letter) => letter.toUpperCase()));

  return {
    version: text(module._vz_version()),
    codeNames: names,

    // The worker's guard, at the start of each request and when a fault
    // escaped it. A C++ exception that left the module (a number here)
    // left the module's stack where it was thrown: it is put back, so that
    // the module answers the next request. Gives what to show: { outOfMemory,
    // message }, the message in the core's words.
    stack: () => module.stackSave(),
    fault(error, stack) {
      module.stackRestore(stack);
      const outOfMemory = error instanceof RangeError;
      const what = typeof error === 'number' ? '' : String(error?.message ?? error);
      return { outOfMemory, message: say((pointer) => module._vz_fault_message(outOfMemory ? 0 : 1, pointer), what) };
    },
    // The tests' hook: the next open or listing fails as if memory ran out
    // ('memory') or the program were at fault ('internal').
    testFault: (kind) => module._vz_test_fault(kind === 'memory' ? 0 : 1),

    // Opens a file of `size` bytes called `name` in the session; `fill(view)`
    // copies the bytes into the Uint8Array it is given. A file listed
    // becomes the file shown; one that is not leaves it as it was. The
    // result's format is null when the file is not recognised, and
    // notListed says why (the core's NotListedReason number and English
    // words); stop says why the parse ended early ('' when it read the file
    // to its end), stopReason and stopOffset the core's StopReason number
    // and the byte; warning is the window's warning or ''. With `salvage`
    // the file is read on past its damaged places, and skipped lists each
    // place passed over as [the core's StopReason number, from, to]. Throws
    // RangeError when memory runs out.
    parse(name, size, fill, salvage = false) {
      return withRoom(size, (pointer) => {
        fill(module.HEAPU8.subarray(pointer, pointer + size));
        const parsed = parseAt(name, pointer, size, salvage);
        if (salvage) parsed.skipped = JSON.parse(text(module._vz_skipped()));
        return parsed;
      });
    },

    // The same, for bytes that arrive in pieces: `fill(put)` calls
    // put(offset, bytes) for each piece and returns a promise.
    parseStreamed(name, size, fill) {
      return withRoom(size, async (pointer) => {
        await fill((offset, bytes) => module.HEAPU8.set(bytes, pointer + offset));
        return parseAt(name, pointer, size);
      });
    },

    // The page could not read the file called `name`, for the browser's
    // reason `message`: it is the file chosen, and not listed.
    unreadable(name, message) {
      withStrings([name, message], (namePointer, messagePointer) => module._vz_unreadable(namePointer, messagePointer));
    },

    // Lists the file shown; `onChunk(bytes)` receives the output in pieces
    // that are valid only during the call. `complete` is false when the
    // pane's character limit cut the listing.
    list(options, form, onChunk) {
      sink = onChunk;
      let result;
      try {
        result = module._vz_list(optionBits(options), form);
      } finally {
        sink = null;
      }
      if (result < 0) throw new RangeError('out of memory');
      return { complete: result === 1, lines: module._vz_lines() };
    },

    // Lists the file shown as the pane shows it, and keeps that listing
    // for paneBytes: its text as UTF-16 code units (lines joined by LF), a
    // copy of the module's.
    listPane(options) {
      const result = module._vz_list_pane(optionBits(options));
      if (result < 0) throw new RangeError('out of memory');
      const first = module._vz_pane_text() >>> 1;
      const units = module.HEAPU16.slice(first, first + (module._vz_pane_units() >>> 0));
      return { units, complete: result === 1, lines: module._vz_lines() };
    },

    // The first lines of listPane's text, up to `characters`, without
    // listing the rest; `complete` when they are every line.
    listFirst(options, characters) {
      const result = module._vz_list_first(optionBits(options), characters);
      if (result < 0) throw new RangeError('out of memory');
      const first = module._vz_first_text() >>> 1;
      return { units: module.HEAPU16.slice(first, first + (module._vz_first_units() >>> 0)), complete: result === 1 };
    },

    // The pane's text (a string or UTF-16 code units, lines ended by LF) as
    // the bytes to save: { bytes, lines } or, when code page 932 lacks some
    // of its characters, { unencodable: [code points] }.
    paneBytes(paneText) {
      const count = withUnits(paneText, (pointer) => module._vz_pane_bytes(pointer, paneText.length));
      if (count < 0) throw new RangeError('out of memory');
      if (count > 0) {
        const first = module._vz_unencodable() >>> 2;
        return { unencodable: Array.from(module.HEAPU32.subarray(first, first + count)) };
      }
      const data = module._vz_save_data() >>> 0;
      const bytes = module.HEAPU8.slice(data, data + (module._vz_save_size() >>> 0));
      return { bytes, lines: module._vz_save_lines() };
    },

    // The files chosen or dropped, as the list keeps them: set([{ path,
    // problem }]) names them (a path below the folder dropped, '/' between
    // names; problem: why a folder could not be read); each entry is then
    // { state, saved, tooltip }: state 'notRead', 'listed', 'partial' or
    // 'notRecognised'; saved null, 'saved' or 'notWritten'.
    files: {
      set(entries) {
        for (const { path, problem = '' } of entries)
          withStrings([path, problem], (pathPointer, problemPointer) => module._vz_files_add(pathPointer, problemPointer));
        module._vz_files_set();
      },
      // Whether a folder's walk takes a file of this name (the core's one
      // list of extensions).
      isDrawingName: (name) => withStrings([name], (pointer) => module._vz_is_drawing_name(pointer)) === 1,
      entry(index) {
        const bits = module._vz_file_state(index);
        return { state: VAVEZE_FILE_STATES[bits & 3], saved: VAVEZE_SAVE_STATES[bits >> 2], tooltip: text(module._vz_file_tooltip(index)) };
      },
      // The last file parsed (or unreadable) was entry `index`.
      record(index) {
        module._vz_file_record(index);
        return this.entry(index);
      },
      unreadable(index, message) {
        withStrings([message], (pointer) => module._vz_file_unreadable(index, pointer));
        return this.entry(index);
      },
      // Whether entry `index`, of `size` bytes that fill(put) reads as
      // parseStreamed's does, listed with `options`, holds `needle`: its
      // own parse, the file shown stays.
      holds(index, size, fill, options, needle) {
        return withRoom(size, async (pointer) => {
          await fill((offset, bytes) => module.HEAPU8.set(bytes, pointer + offset));
          const result = withUnits(needle, (needlePointer) =>
            module._vz_filter_file(index, pointer, size, optionBits(options), needlePointer, needle.length));
          if (result < 0) throw new RangeError('out of memory');
          return result === 1;
        });
      },
    },

    // "Save every listing" over the file list, a file per step.
    batch: {
      // The count, and each file's name to save under ('/' between names).
      begin(options) {
        const count = module._vz_batch_begin(optionBits(options));
        const targets = [];
        for (let i = 0; i < count; ++i) targets.push(text(module._vz_batch_target(i)));
        return targets;
      },
      // The next file, read as parseStreamed's: { index, bytes }, the
      // listing to write at its target when its entry says saved; null
      // when the batch is done.
      next(size, fill) {
        return withRoom(size, async (pointer) => {
          await fill((offset, bytes) => module.HEAPU8.set(bytes, pointer + offset));
          return batchStep(module._vz_batch_next(pointer, size));
        });
      },
      // The next file could not be read, for the browser's reason.
      unreadable: (message) => batchStep(withStrings([message], (pointer) => module._vz_batch_unreadable(pointer))),
      notWritten(index, message) {
        withStrings([message], (pointer) => module._vz_batch_not_written(index, pointer));
      },
      // While it runs: how far, and the next file.
      progress: () => text(module._vz_batch_progress()),
      // Ends it: what it came to, and where the listings went (the folder
      // picked, or the download; '' for neither).
      end: (stopped, folder, archive) =>
        say((folderPointer, archivePointer) => module._vz_batch_end(stopped ? 1 : 0, folderPointer, archivePointer), folder, archive),
    },

    // What the find field starts with when find is opened: the selection
    // when it lies within one line, else the filter's text, else the last
    // query (the core's one rule).
    findFieldStart: (selection, filter, lastQuery) =>
      [selection, filter, lastQuery][withStrings([selection, filter, lastQuery], module._vz_find_field_start)],

    shownName: () => text(module._vz_shown_name()),
    // The name the listing shown is proposed to be saved under.
    proposedName: () => text(module._vz_proposed_name()),

    // The texts the page shows, all the core's (Japanese).
    texts: {
      // Every one that never changes, by name (binding.cpp's FixedTextsJson).
      fixed: () => JSON.parse(text(module._vz_fixed_texts())),
      // For the session as it is: the file shown and the last one chosen.
      listed: (lines, complete) => text(module._vz_listed_status(lines, complete ? 0 : 1)),
      notListed: () => text(module._vz_not_listed_status()),
      notice: () => text(module._vz_pane_notice()),
      filling: (shown, total) => text(module._vz_filling_status(shown, total)),
      reading: (name, percent) => say((pointer) => module._vz_reading_status(pointer, percent), name),
      extracting: (name) => say(module._vz_extracting_status, name),
      saved: (name, lines) => say((pointer) => module._vz_saved_status(pointer, lines), name),
      download: (name, lines) => say((pointer) => module._vz_download_status(pointer, lines), name),
      saveFailed: (name, message) => say(module._vz_save_failed_message, name, message),
      saveAllQuestion: (existing, targets, paneEdits) => text(module._vz_save_all_question(existing, targets, paneEdits ? 1 : 0)),
      notFound: (needle) => say(module._vz_not_found_status, needle),
      filtering: (needle, done, count) => say((pointer) => module._vz_filtering_status(pointer, done, count), needle),
      filtered: (needle, holding, count) => say((pointer) => module._vz_filtered_status(pointer, holding, count), needle),
      // For the characters the last paneBytes found code page 932 lacks.
      unencodable: () => text(module._vz_unencodable_message()),
    },
  };
}

function optionBits(options) {
  return (options.header ? 1 : 0) | (options.dimensions ? 2 : 0) | (options.blocks ? 4 : 0) | (options.salvage ? 8 : 0);
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
