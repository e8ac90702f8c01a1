// The pane of the listing: an editor that lays out only the lines in view
// (CodeMirror), so a listing of a million lines shows at once, goes in a
// piece at a time while the page keeps answering, and select-all, copy and
// every edit reach every line without the browser laying out the whole
// text. It behaves as a plain text box: no indentation of its own, Tab moves
// to the next control, a find bar of the page's own (Ctrl+F, F3, Shift+F3,
// Escape) whose finds the window's flow answers. The editor puts its styles
// in a style element of its own, which the page's policy lets in by the
// nonce the page was assembled with (VAVEZE_STYLE_NONCE).
import { Annotation, Compartment, EditorState, StateEffect, StateField, Transaction } from '@codemirror/state';
import { EditorView, drawSelection, keymap, showPanel } from '@codemirror/view';
import {
  cursorLineEnd, cursorLineStart, history, historyKeymap, insertNewline, selectLineEnd, selectLineStart, standardKeymap,
} from '@codemirror/commands';
/* global VAVEZE_STYLE_NONCE */

// Marks the transactions of a fill, which are not the user's edits.
const filling = Annotation.define();
const utf16 = new TextDecoder('utf-16le');
const showFind = StateEffect.define();

function element(tag, properties, ...children) {
  const node = Object.assign(document.createElement(tag), properties);
  node.append(...children);
  return node;
}

// The pane in `host`, named `label`, with the window's font. The host and
// the text element answer `value`, `textLength`, `selectionStart` and
// `selectionEnd` as a text area does. `on` hears the user: edited() at the
// first edit of a listing; find({ needle, backward }) from the find bar;
// fieldStart(selection) gives (a promise of) the text the find
// field starts with.
export function createPane(host, label, texts, on) {
  const editable = new Compartment();
  let edited = false;
  let query = '';  // what was last looked for
  let field = null;

  const find = (backward) => () => {
    if (field === null) return false;
    query = field.value;
    if (query !== '') on.find({ needle: query, backward });
    return true;
  };
  const close = (view) => {
    if (field === null) return false;
    view.dispatch({ effects: showFind.of(false) });
    view.focus();
    return true;
  };
  // The find bar: a field and three buttons; Enter finds the next match,
  // Shift+Enter the one before, Escape closes the bar.
  function findBar(view) {
    field = element('input', { type: 'search', className: 'find-field', value: query });
    field.setAttribute('aria-label', texts.findField);
    field.addEventListener('keydown', (event) => {
      if (event.key === 'Enter') {
        event.preventDefault();
        find(event.shiftKey)();
      } else if (event.key === 'Escape') {
        event.preventDefault();
        close(view);
      }
    });
    const button = (text, command) => {
      const node = element('button', { type: 'button', textContent: text });
      node.addEventListener('click', command);
      return node;
    };
    const dom = element('div', { className: 'find-bar' },
      element('label', {}, texts.findField, ' ', field),
      button(texts.findNext, find(false)), button(texts.findPrevious, find(true)), button(texts.findClose, () => close(view)));
    dom.setAttribute('role', 'search');
    return {
      dom,
      top: true,
      mount() {
        field.focus();
        field.select();
      },
      destroy() {
        field = null;
      },
    };
  }
  const findShown = StateField.define({
    create: () => false,
    update: (shown, tr) => tr.effects.reduce((was, effect) => (effect.is(showFind) ? effect.value : was), shown),
    provide: (shown) => showPanel.from(shown, (open) => (open ? findBar : null)),
  });

  // Ctrl+F: the find bar, the focus in its field, which holds, selected, what
  // the core's rule picks (`fieldStart`: the selection within a line, else the
  // filter's text, else the last query). The rule runs in the worker: the
  // field holds the last query until its answer comes, and keeps whatever the
  // user typed meanwhile.
  function openFind(view) {
    const { from, to } = view.state.selection.main;
    const selection = view.state.sliceDoc(from, Math.min(to, from + texts.longestFindSelection + 1));
    if (field === null) view.dispatch({ effects: showFind.of(true) });
    field.value = query;
    field.focus();
    field.select();
    const asked = field;
    on.fieldStart(selection).then((start) => {
      if (start === query || asked !== field || field.value !== query) return;
      field.value = start;
      if (document.activeElement === field) field.select();
    }, () => {});
    return true;
  }

  const fonts = [...texts.window.fontFamilies.map((family) => JSON.stringify(family)), 'monospace'].join(', ');
  const extensions = [
    history(),
    drawSelection(),
    findShown,
    keymap.of([
      // As in a text box: Enter only ends the line, Home and End go to
      // the line's very start and end.
      { key: 'Enter', run: insertNewline },
      { key: 'Home', run: cursorLineStart, shift: selectLineStart },
      { key: 'End', run: cursorLineEnd, shift: selectLineEnd },
      { key: 'F3', run: (view) => find(false)() || openFind(view), shift: (view) => find(true)() || openFind(view) },
      { key: 'Escape', run: close },
      ...standardKeymap,
      ...historyKeymap,
    ]),
    editable.of(EditorState.readOnly.of(false)),
    EditorView.contentAttributes.of({ 'aria-label': label }),
    EditorView.theme({
      '&': { height: '100%', backgroundColor: '#fff', color: '#000' },
      '&.cm-focused': { outline: '1px solid #0078d7' },
      '.cm-scroller': { overflow: 'scroll', fontFamily: fonts, fontSize: `${texts.window.fontPixels}px`, lineHeight: '1.25' },
      '.cm-content': { padding: '2px 0' },
      '.cm-line': { padding: '0 4px' },
      '.cm-panels': { backgroundColor: '#f0f0f0', color: '#000' },
      '.find-bar': { display: 'flex', gap: '6px', alignItems: 'center', padding: '3px 6px', font: '14px system-ui, sans-serif' },
      '.find-bar input, .find-bar button': { font: 'inherit' },
    }),
    EditorView.cspNonce.of(VAVEZE_STYLE_NONCE),
    EditorView.updateListener.of((update) => {
      if (edited || !update.transactions.some((tr) => tr.docChanged && !tr.annotation(filling))) return;
      edited = true;
      on.edited();
    }),
  ];
  const view = new EditorView({ state: EditorState.create({ extensions }), parent: host });
  for (const node of [host, view.contentDOM]) {
    Object.defineProperties(node, {
      value: { get: () => view.state.doc.toString() },
      textLength: { get: () => view.state.doc.length },
      selectionStart: { get: () => view.state.selection.main.from },
      selectionEnd: { get: () => view.state.selection.main.to },
    });
  }
  const fillOnly = [filling.of(true), Transaction.addToHistory.of(false)];

  return {
    // A new listing: the pane empties and takes no edits until finish().
    begin() {
      view.setState(EditorState.create({ extensions }));
      view.dispatch({ effects: editable.reconfigure(EditorState.readOnly.of(true)), annotations: fillOnly });
      view.scrollDOM.scrollTo(0, 0);
      edited = false;
    },
    // The next piece of it (UTF-16 code units, lines joined by LF).
    append(units) {
      view.dispatch({ changes: { from: view.state.doc.length, insert: utf16.decode(units) }, annotations: fillOnly });
    },
    finish() {
      view.dispatch({ effects: editable.reconfigure(EditorState.readOnly.of(false)), annotations: fillOnly });
      edited = false;
    },
    // What the pane holds was saved.
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
    selection: () => view.state.selection.main,
    select(position, length) {
      view.dispatch({ selection: { anchor: position, head: position + length }, scrollIntoView: true });
    },
    // Ctrl+F, wherever the focus is.
    openFind: () => openFind(view),
  };
}
