// The JavaScript side of the WebAssembly binding (web/binding.cpp): moves
// bytes and text in and out of the module's memory. Plain script, so that
// the page's worker can take it as it is and Node can require it.
'use strict';

// What vz_list writes: the forms of binding.cpp.
const VAVEZE_FORM = Object.freeze({ sjis: 0, utf8: 1, records: 3 });
const VAVEZE_FORMATS = Object.freeze([null, 'ZVW', 'ZVS', 'ZVC', 'ZVK']);

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

  // The core's names of its codes, by their numbers (binding.cpp's
  // CodeNamesJson): the line kinds as the Node API spells them, lowerCamel.
  const names = JSON.parse(text(module._vz_code_names()));
  names.lineKinds = names.lineKinds.map((name) => name.replace(/_(.)/g, (_, letter) => letter.toUpperCase()));
  const actions = new Map(names.actions.map((name, number) => [name, number]));

  return {
    version: text(module._vz_version()),
    codeNames: names,

    // The guard of a caller (the Node API's tests; the worker's, for faults
    // of its own script), at the start of each call and when a fault escaped
    // it. A C++ exception that left the module (a number here) left the
    // module's stack where it was thrown: it is put back, so that the module
    // answers the next call. Gives what to show: { outOfMemory, message },
    // the message in the core's words. (The flow's actions have the core's
    // guard inside the module.)
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
      const pointer = module._vz_alloc(size) >>> 0;
      if (pointer === 0) throw new RangeError('out of memory');
      try {
        fill(module.HEAPU8.subarray(pointer, pointer + size));
        const parsed = opened(withStrings([name], (namePointer) => module._vz_parse(namePointer, pointer, size, salvage ? 1 : 0)));
        if (salvage) parsed.skipped = JSON.parse(text(module._vz_skipped()));
        return parsed;
      } finally {
        module._vz_free(pointer);
      }
    },

    // Lists the file shown; `onChunk(bytes)` receives the output in pieces
    // that are valid only during the call.
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

    // The name a listing of the file at `path` is proposed to be saved
    // under: 'plan.zvw' -> 'plan.txt' (the core's rule).
    proposedTextName: (path) => say(module._vz_proposed_text_name, path),

    // The texts the page shows, all the core's (Japanese).
    texts: {
      // Every one that never changes, by name, and the window's look
      // (binding.cpp's FixedTextsJson).
      fixed: () => JSON.parse(text(module._vz_fixed_texts())),
      // While the page reads a file the user chose, and lists it.
      reading: (name, percent) => say((pointer) => module._vz_reading_status(pointer, percent), name),
      extracting: (name) => say(module._vz_extracting_status, name),
    },

    // The page's window: the core's window flow, a view of which the page
    // is (core/window). act(name, arguments) hands it an action by its name
    // (binding.cpp's kActions, with what each takes of the arguments: a, b,
    // c, d numbers, text, units and pane UTF-16) and gives what came of it:
    // { effects, idle, holdsEdits } or { fault }. Each effect is an object of
    // binding.cpp's EffectJson; an append carries its `units` (UTF-16) and a
    // write its `bytes`.
    flow: {
      act(name, { a = 0, b = 0, c = 0, d = 0, text: words = '', units = '', pane = '' } = {}) {
        const answer = JSON.parse(withUnits(units, (unitsPointer) => withUnits(pane, (panePointer) =>
          withStrings([words], (wordsPointer) => text(module._vz_flow_act(actions.get(name), a, b, c, d, wordsPointer,
            unitsPointer, units.length, panePointer, pane.length))))));
        for (const effect of answer.effects ?? []) {
          if (effect.kind === 'append') {
            const first = (module._vz_flow_pane_text() >>> 1) + effect.from;
            effect.units = module.HEAPU16.slice(first, first - effect.from + effect.to);
          } else if (effect.kind === 'write') {
            const data = module._vz_flow_written_data(effect.data) >>> 0;
            effect.bytes = module.HEAPU8.slice(data, data + (module._vz_flow_written_size(effect.data) >>> 0));
          }
        }
        return answer;
      },
      // Names the files of the next sourcesGiven: { path, problem, size }
      // each; with `walked`, the files found below a folder dropped, of which
      // the walk keeps those it takes, in its order. Returns the paths named
      // by this call, in their order.
      name(files, walked = false) {
        let named = 0;
        for (const { path, problem = '', size = 0 } of files)
          named = withStrings([path, problem], (pathPointer, problemPointer) => module._vz_flow_name(pathPointer, problemPointer, size));
        const from = named - files.length;
        const count = walked && files.length > 0 ? module._vz_flow_walked(from) : files.length;
        return Array.from({ length: count }, (_, i) => text(module._vz_flow_named(from + i)));
      },
      // Room in the module for the bytes of a file of `size` bytes being
      // read: { room, put(offset, bytes) }, room -1 when memory is short;
      // the room goes with the action fileRead (as d).
      // What the find field starts with when find is opened over the pane's
      // `selection` (a string): the selection when it lies within one line,
      // else the filter's text, else the text last looked for (the core's
      // one rule, over what the flow keeps).
      findStart: (selection) => text(withUnits(selection, (pointer) => module._vz_flow_find_start(pointer, selection.length))),
      room(size) {
        const room = module._vz_flow_read_room(size);
        return { room, put: (offset, bytes) => module.HEAPU8.set(bytes, (module._vz_flow_read_data(room) >>> 0) + offset) };
      },
    },
  };
}

function optionBits(options) {
  return (options.header ? 1 : 0) | (options.dimensions ? 2 : 0) | (options.blocks ? 4 : 0) | (options.salvage ? 8 : 0);
}

if (typeof module === 'object' && module.exports) {
  module.exports = { makeVavezeBinding, VAVEZE_FORM, VAVEZE_FORMATS };
}
