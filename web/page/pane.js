// The pane of the listing: an editor that lays out only the lines in view
// (CodeMirror), so a listing of a million lines shows at once, goes in a
// slice at a time while the page keeps answering, and select-all, copy,
// find and every edit reach every line without the browser laying out the
// whole text. It behaves as a plain text box: no indentation of its own,
// Tab moves to the next control, a find bar of the page's own (Ctrl+F,
// F3, Shift+F3, Escape). The editor puts its styles in a style element of
// its own, which the page's policy lets in by the nonce the page was
// assembled with (VAVEZE_STYLE_NONCE).
import { Annotation, Compartment, EditorState, Transaction } from '@codemirror/state';
import { EditorView, drawSelection, keymap } from '@codemirror/view';
import {
  cursorLineEnd, cursorLineStart, history, historyKeymap, insertNewline, selectLineEnd, selectLineStart, standardKeymap,
} from '@codemirror/commands';
/* global VAVEZE_STYLE_NONCE */
import {
  SearchQuery, closeSearchPanel, findNext, findPrevious, getSearchQuery, openSearchPanel, search, searchKeymap,
  setSearchQuery,
} from '@codemirror/search';
import { findPattern } from './findpattern.js';

// Marks the transactions of a fill, which are not the user's edits.
const filling = Annotation.define();
const utf16 = new TextDecoder('utf-16le');

function element(tag, properties, ...children) {
  const node = Object.assign(document.createElement(tag), properties);
  node.append(...children);
  return node;
}

// The editor's query for what the user typed, under the core's rule; the
// text typed goes with it, for the field and the status line.
function findQuery(needle, texts) {
  const query = new SearchQuery({ search: findPattern(needle, texts.letterFolds), caseSensitive: true, regexp: true });
  query.needle = needle;
  return query;
}

// What the user typed of the editor's query: the editor's own (from the
// selection, as Ctrl+F opens the bar) is its text as it is.
const needleOf = (query) => query.needle ?? query.search;

// Ctrl+F: the find bar, the focus in its field, which holds, selected, what
// the core's rule picks (`fieldStart`: the selection within a line, else the
// filter's text, else the last query). The rule runs in the worker: the
// field holds the last query until its answer comes, and keeps whatever the
// user typed meanwhile. (The editor's own command would make its query from
// the selection by a rule of its own.)
function openFind(texts, fieldStart) {
  return (view) => {
    const { from, to } = view.state.selection.main;
    const selection = view.state.sliceDoc(from, Math.min(to, from + texts.longestFindSelection + 1));
    const last = needleOf(getSearchQuery(view.state));
    if (!openSearchPanel(view)) return false;
    view.dispatch({ effects: setSearchQuery.of(findQuery(last, texts)) });
    const field = view.dom.querySelector('.find-field');
    field.focus();
    field.select();
    fieldStart(selection, last).then((start) => {
      if (start === last || field.value !== last || !field.isConnected) return;
      view.dispatch({ effects: setSearchQuery.of(findQuery(start, texts)) });
      if (document.activeElement === field) field.select();
    }, () => {});
    return true;
  };
}

// findNext or findPrevious that tells `told` what the status line says of
// it, as the windows do: nothing found, or found only round the end (the
// start).
function finding(command, backward, told) {
  return (view) => {
    const before = view.state.selection.main;
    const found = command(view);
    const after = view.state.selection.main;
    const search = needleOf(getSearchQuery(view.state));
    if (!found) {
      if (search !== '') told({ notFound: search });
    } else {
      told({ wrapped: backward ? after.from >= before.from : after.from < before.to, backward });
    }
    return found;
  };
}

// The find bar: a field and three buttons; Enter finds the next match,
// Shift+Enter the one before, Escape closes the bar.
function findBar(view, texts, next, previous) {
  const field = element('input', { type: 'search', className: 'find-field', value: needleOf(getSearchQuery(view.state)) });
  field.setAttribute('main-field', 'true');
  field.setAttribute('aria-label', texts.findField);
  const query = () => view.dispatch({ effects: setSearchQuery.of(findQuery(field.value, texts)) });
  field.addEventListener('input', query);
  field.addEventListener('keydown', (event) => {
    if (event.key === 'Enter') {
      event.preventDefault();
      (event.shiftKey ? previous : next)(view);
    } else if (event.key === 'Escape') {
      event.preventDefault();
      closeSearchPanel(view);
    }
  });
  const button = (text, command) => {
    const node = element('button', { type: 'button', textContent: text });
    node.addEventListener('click', () => command(view));
    return node;
  };
  const dom = element('div', { className: 'find-bar' },
    element('label', {}, texts.findField, ' ', field),
    button(texts.findNext, next), button(texts.findPrevious, previous), button(texts.findClose, closeSearchPanel));
  dom.setAttribute('role', 'search');
  return {
    dom,
    top: true,
    // Opened by a command of the editor's own (F3 with nothing to find),
    // the bar starts from the editor's query: from here on, the core's.
    // Ctrl+F (openFind) has put the core's in already. Either way what is
    // typed next goes into the field, never into the listing.
    mount() {
      field.focus();
      field.select();
      queueMicrotask(() => {
        if (getSearchQuery(view.state).needle === undefined) query();
      });
    },
    update(update) {
      const search = needleOf(getSearchQuery(update.state));
      if (search !== field.value && update.transactions.some((tr) => tr.effects.some((e) => e.is(setSearchQuery))))
        field.value = search;
    },
  };
}

// Font names, not texts: MS Gothic's Japanese name is written with escapes.
const kFonts = '"MS Gothic", "\uFF2D\uFF33 \u30B4\u30B7\u30C3\u30AF", "Osaka-Mono", "IPAGothic", "Noto Sans Mono CJK JP", monospace';
const look = EditorView.theme({
  '&': { height: '100%', backgroundColor: '#fff', color: '#000' },
  '&.cm-focused': { outline: '1px solid #0078d7' },
  '.cm-scroller': { overflow: 'scroll', fontFamily: kFonts, fontSize: '16px', lineHeight: '1.25' },
  '.cm-content': { padding: '2px 0' },
  '.cm-line': { padding: '0 4px' },
  '.cm-panels': { backgroundColor: '#f0f0f0', color: '#000' },
  '.find-bar': { display: 'flex', gap: '6px', alignItems: 'center', padding: '3px 6px', font: '14px system-ui, sans-serif' },
  '.find-bar input, .find-bar button': { font: 'inherit' },
  '.cm-searchMatch': { backgroundColor: '#fff2a8' },
  '.cm-searchMatch-selected': { backgroundColor: '#ffc870' },
});

// The pane in `host`, named `label`. The host and the text element answer
// `value` and `textLength` as a text area does. `told` hears what a find
// came to: { notFound: text } or { wrapped, backward }; `fieldStart(selection,
// lastQuery)` gives (a promise of) the text the find field starts with.
export function createPane(host, label, texts, told, fieldStart) {
  const editable = new Compartment();
  const next = finding(findNext, false, told);
  const previous = finding(findPrevious, true, told);
  const open = openFind(texts, fieldStart);
  let edited = false;
  const extensions = [
    history(),
    drawSelection(),
    search({ createPanel: (view) => findBar(view, texts, next, previous) }),
    keymap.of([
      // As in a text box: Enter only ends the line, Home and End go to
      // the line's very start and end.
      { key: 'Enter', run: insertNewline },
      { key: 'Home', run: cursorLineStart, shift: selectLineStart },
      { key: 'End', run: cursorLineEnd, shift: selectLineEnd },
      ...standardKeymap,
      ...historyKeymap,
      ...searchKeymap.filter((binding) => binding.key !== 'Mod-Alt-g').map((binding) => {
        if (binding.run === findNext) return { ...binding, run: next, shift: previous };
        if (binding.run === openSearchPanel) return { ...binding, run: open };
        return binding;
      }),
    ]),
    editable.of(EditorState.readOnly.of(false)),
    EditorView.contentAttributes.of({ 'aria-label': label }),
    look,
    EditorView.cspNonce.of(VAVEZE_STYLE_NONCE),
    EditorView.updateListener.of((update) => {
      if (update.transactions.some((tr) => tr.docChanged && !tr.annotation(filling))) edited = true;
    }),
  ];
  const view = new EditorView({ state: EditorState.create({ extensions }), parent: host });
  for (const node of [host, view.contentDOM]) {
    Object.defineProperties(node, {
      value: { get: () => view.state.doc.toString() },
      textLength: { get: () => view.state.doc.length },
    });
  }
  const fillOnly = [filling.of(true), Transaction.addToHistory.of(false)];

  return {
    // A new listing: its first slice (UTF-16 code units, whole lines
    // joined by LF); the pane takes no edits until finish().
    begin(units) {
      const query = getSearchQuery(view.state);  // the last query stays for the next find
      view.setState(EditorState.create({ doc: utf16.decode(units), extensions }));
      view.dispatch({
        effects: [editable.reconfigure(EditorState.readOnly.of(true)), setSearchQuery.of(query)], annotations: fillOnly,
      });
      view.scrollDOM.scrollTo(0, 0);
      edited = false;
    },
    // The next slice of lines.
    append(units) {
      view.dispatch({ changes: { from: view.state.doc.length, insert: `\n${utf16.decode(units)}` }, annotations: fillOnly });
    },
    finish() {
      view.dispatch({ effects: editable.reconfigure(EditorState.readOnly.of(false)), annotations: fillOnly });
      edited = false;
    },
    // The user changed the text since the listing went in or was saved.
    get edited() {
      return edited;
    },
    saved() {
      edited = false;
    },
    // The text as UTF-16 code units, lines joined by LF.
    units() {
      const units = new Uint16Array(view.state.doc.length);
      let at = 0;
      for (const iterator = view.state.doc.iter(); !iterator.next().done; ) {
        const piece = iterator.value;
        for (let i = 0; i < piece.length; ++i) units[at + i] = piece.charCodeAt(i);
        at += piece.length;
      }
      return units;
    },
    // Ctrl+F, wherever the focus is.
    openFind: () => open(view),
    element: view.contentDOM,
  };
}
