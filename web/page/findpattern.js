// The page's find as the windows find: the core gives the letters it
// compares without regard to case (`letterFolds`: for each range, its first
// letter, its last and the first it folds to), and the editor's search is
// given a regular expression that matches those letters in either case and
// every other character as it is. The editor's own rule would also fold
// Greek, Cyrillic and Roman numerals (Ⅱ and ⅱ), which the windows tell apart.

// The other case of `code` under `folds`, or -1.
function otherCase(code, folds) {
  for (let i = 0; i + 2 < folds.length; i += 3) {
    const first = folds.charCodeAt(i);
    const last = folds.charCodeAt(i + 1);
    const folded = folds.charCodeAt(i + 2);
    if (code >= first && code <= last) return folded + (code - first);
    if (code >= folded && code <= folded + (last - first)) return first + (code - folded);
  }
  return -1;
}

// The regular expression (its source, for a case-sensitive search with the
// u flag, as the editor makes it) that finds `needle` under `folds`.
export function findPattern(needle, folds) {
  let pattern = '';
  for (const character of needle) {
    const other = character.length === 1 ? otherCase(character.charCodeAt(0), folds) : -1;
    if (other >= 0) pattern += `[${character}${String.fromCharCode(other)}]`;
    else pattern += character.replace(/[\\^$.*+?()[\]{}|/]/g, '\\$&');
  }
  return pattern;
}
