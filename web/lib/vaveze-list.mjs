#!/usr/bin/env node
// vaveze-list for Node.js: the same interface, output bytes, messages and
// exit statuses as the native tool, on the WebAssembly build of the core.
// Files are read one after another; -j is taken and changes nothing, since
// the output never depends on it.
import fs from 'node:fs';
import { randomBytes } from 'node:crypto';
import { binding, forms, proposedTextName, version } from './vaveze.mjs';

const kExitOk = 0;
const kExitNotRecognised = 1;
const kExitUsage = 2;
const kExitPartial = 3;
const kExitWriteError = 4;
const kMaxJobs = 256;

// --- Messages: English here, Japanese from the catalogue the native tool
// uses (vaveze-ja.json, made from its ja.po) when the locale asks for it.

// As gettext decides: the locale's categories, then LANGUAGE's list, which
// counts only under a locale other than C.
function wantsJapanese(env) {
  const asked = env.LC_ALL || env.LC_MESSAGES || env.LANG || '';
  if (asked === '' || asked === 'C' || asked === 'POSIX') return false;
  const languages = (env.LANGUAGE || asked).split(':');
  return languages.some((language) => language.startsWith('ja'));
}

const catalogue = (() => {
  if (!wantsJapanese(process.env)) return {};
  try {
    return JSON.parse(fs.readFileSync(new URL('./vaveze-ja.json', import.meta.url), 'utf8'));
  } catch {
    return {};
  }
})();

const tr = (english) => catalogue[english] ?? english;
// The catalogue's language has one form for every count.
const trN = (singular, plural, n) => catalogue[singular] ?? (n === 1 ? singular : plural);
const fill = (pattern, args) => pattern.replace(/%([1-9])/g, (all, k) => (k <= args.length ? args[k - 1] : ''));

const kHelp =
  'Usage: vaveze-list [OPTION]... FILE...\n' +
  'Lists every text of ZVW, ZVS, ZVC and ZVK files (and their backups), one per line.\n' +
  '\n' +
  '  --header             include the header section (ZVW, ZVC, ZVK)\n' +
  '  --dimensions         include the texts of dimensions (ZVW, ZVS)\n' +
  '  --blocks             include the block section (ZVW, ZVS)\n' +
  '  -r, --recursive      list the drawings in the folders named, and below\n' +
  "  -H, --with-filename  start each line with the file's path\n" +
  "  -h, --no-filename    never start lines with the file's path\n" +
  '  --save               write each listing to a .txt file beside its source\n' +
  '  --output-dir DIR     with --save: write the listings under DIR instead\n' +
  '  --utf8, --sjis       write UTF-8 with LF, or Shift-JIS with CR LF\n' +
  '  -j, --jobs N         read N files at once (default: one per processor)\n' +
  '  -q, --quiet          no progress line, no line per saved file\n' +
  '  --help, --version\n' +
  '\n' +
  'Exit status: 0 listed, 1 not recognised, 2 usage error, 3 listed in part,\n' +
  '4 a listing could not be written. See vaveze-list(1) for more.\n';

// The C library's words for the errors a file or a write can meet.
const kErrorTexts = {
  EACCES: 'Permission denied',
  EAGAIN: 'Resource temporarily unavailable',
  EBADF: 'Bad file descriptor',
  EBUSY: 'Device or resource busy',
  EDQUOT: 'Disk quota exceeded',
  EEXIST: 'File exists',
  EFBIG: 'File too large',
  EINVAL: 'Invalid argument',
  EIO: 'Input/output error',
  EISDIR: 'Is a directory',
  ELOOP: 'Too many levels of symbolic links',
  EMFILE: 'Too many open files',
  ENAMETOOLONG: 'File name too long',
  ENFILE: 'Too many open files in system',
  ENOENT: 'No such file or directory',
  ENOMEM: 'Cannot allocate memory',
  ENOSPC: 'No space left on device',
  ENOTDIR: 'Not a directory',
  ENXIO: 'No such device or address',
  EPERM: 'Operation not permitted',
  EPIPE: 'Broken pipe',
  EROFS: 'Read-only file system',
  ETXTBSY: 'Text file busy',
  EXDEV: 'Invalid cross-device link',
};

const errorText = (error) =>
  error instanceof RangeError ? kErrorTexts.ENOMEM : kErrorTexts[error.code] ?? String(error.message ?? error);

function writeAll(fd, bytes) {
  for (let at = 0; at < bytes.length; ) {
    try {
      at += fs.writeSync(fd, bytes, at, bytes.length - at);
    } catch (error) {
      if (error.code !== 'EAGAIN') throw error;  // a non-blocking pipe that is full: try again
    }
  }
}

function writeMessage(text) {
  try {
    writeAll(2, Buffer.from(text));
  } catch {
    // Nowhere left to say it.
  }
}

const say = (text) => writeMessage(`vaveze-list: ${text}\n`);
const sayAbout = (file, reason) => say(`${file}: ${reason}`);

function usageError(problem) {
  say(problem);
  writeMessage(`${tr('Usage: vaveze-list [OPTION]... FILE...')}\n${tr("Try 'vaveze-list --help' for more information.")}\n`);
  return kExitUsage;
}

// --- Options.

// Returns -1 to go on, or an exit status.
function parseArguments(args, options) {
  let optionsEnded = false;
  for (let i = 0; i < args.length; ++i) {
    const arg = args[i];
    // The value of an option: glued on ("--jobs=4", "-j4") or the next argument.
    const value = (glued, name) => {
      if (glued !== '') return glued;
      if (i + 1 < args.length) return args[++i];
      usageError(fill(tr("option '%1' needs a value"), [name]));
      return null;
    };
    const jobs = (glued, name) => {
      const operand = value(glued, name);
      if (operand === null) return kExitUsage;
      const n = /^[0-9]+$/.test(operand) ? Number(operand) : 0;
      if (n < 1 || n > kMaxJobs) return usageError(fill(tr("'%1' is not a number of jobs from 1 to 256"), [operand]));
      options.jobs = n;
      return -1;
    };

    if (optionsEnded || arg.length < 2 || arg[0] !== '-') {
      options.files.push(arg);
    } else if (arg === '--') {
      optionsEnded = true;
    } else if (arg.startsWith('--')) {
      const eq = arg.indexOf('=');
      const name = eq < 0 ? arg : arg.slice(0, eq);
      const glued = eq < 0 ? '' : arg.slice(eq + 1);
      if (eq >= 0 && name !== '--jobs' && name !== '--output-dir')
        return usageError(fill(tr("option '%1' takes no value"), [name]));
      const flags = {
        '--header': () => { options.listing.header = true; },
        '--dimensions': () => { options.listing.dimensions = true; },
        '--blocks': () => { options.listing.blocks = true; },
        '--save': () => { options.save = true; },
        '--utf8': () => { options.output = 'utf8'; },
        '--sjis': () => { options.output = 'sjis'; },
        '--recursive': () => { options.recursive = true; },
        '--with-filename': () => { options.prefix = 'always'; },
        '--no-filename': () => { options.prefix = 'never'; },
        '--quiet': () => { options.quiet = true; },
      };
      if (flags[name]) {
        flags[name]();
      } else if (name === '--jobs') {
        const status = jobs(glued, name);
        if (status >= 0) return status;
      } else if (name === '--output-dir') {
        const dir = value(glued, name);
        if (dir === null) return kExitUsage;
        options.outputDir = dir;
      } else if (name === '--help') {
        writeAll(1, Buffer.from(tr(kHelp)));
        return kExitOk;
      } else if (name === '--version') {
        writeAll(1, Buffer.from(`vaveze-list (VAveze) ${version}\n`));
        return kExitOk;
      } else {
        return usageError(fill(tr("unknown option '%1'"), [name]));
      }
    } else {
      // One or more short options: "-rq", "-j4", "-j 4".
      const shorts = {
        r: () => { options.recursive = true; },
        H: () => { options.prefix = 'always'; },
        h: () => { options.prefix = 'never'; },
        q: () => { options.quiet = true; },
      };
      for (let k = 1; k < arg.length; ++k) {
        const c = arg[k];
        if (c === 'j') {
          const status = jobs(arg.slice(k + 1), '-j');
          if (status >= 0) return status;
          break;
        }
        if (!Object.hasOwn(shorts, c)) return usageError(fill(tr("unknown option '%1'"), [`-${c}`]));
        shorts[c]();
      }
    }
  }
  if (options.files.length === 0) return usageError(tr('no file given'));
  if (options.outputDir !== null && !options.save) return usageError(tr('--output-dir needs --save'));
  return -1;
}

// --- Paths, as the native tool composes them.

// "a" + "b" -> "a/b"; an empty part adds nothing but the separator.
function joinPath(folder, name) {
  if (folder === '') return name;
  return folder.endsWith('/') ? folder + name : `${folder}/${name}`;
}
const fileName = (path) => path.slice(path.lastIndexOf('/') + 1);
function parentPath(path) {
  const slash = path.lastIndexOf('/');
  if (slash < 0) return '';
  const parent = path.slice(0, slash).replace(/\/+$/, '');
  return parent === '' ? '/' : parent;
}
function upperExtension(path) {
  const name = fileName(path);
  const dot = name.lastIndexOf('.');
  return dot < 0 ? '' : name.slice(dot).replace(/[a-z]/g, (c) => c.toUpperCase());
}
function isDrawingName(path) {
  const ext = upperExtension(path);
  return ['.ZVW', '.ZVS', '.ZVC', '.ZVK', '.BAK', '.ZV$'].includes(ext) || ext.startsWith('.BK');
}
const isMainFormat = (path) => ['.ZVW', '.ZVS', '.ZVC', '.ZVK'].includes(upperExtension(path));

// --- The files of a run.

const tryStat = (stat, path) => {
  try {
    return stat(path);
  } catch {
    return null;
  }
};
const sizeOf = (path) => {
  const status = tryStat(fs.statSync, path);
  return status?.isFile() ? status.size : 0;
};

// Each folder in bytewise order of its names, depth first; links to folders
// are not followed, other names than the drawings' passed over.
function walk(folder, relative, out) {
  let names;
  try {
    names = fs.readdirSync(folder);
  } catch (error) {
    out.push({ path: folder, relative, size: 0, walkProblem: errorText(error) });
    return;
  }
  names.sort((a, b) => Buffer.compare(Buffer.from(a), Buffer.from(b)));
  for (const name of names) {
    const path = joinPath(folder, name);
    const link = tryStat(fs.lstatSync, path);
    if (link?.isDirectory()) {
      walk(path, joinPath(relative, name), out);
      continue;
    }
    if (!isDrawingName(name)) continue;
    if (link?.isSymbolicLink() && tryStat(fs.statSync, path)?.isDirectory()) continue;
    out.push({ path, relative: joinPath(relative, name), size: sizeOf(path), walkProblem: '' });
  }
}

function collectSources(named, recursive) {
  const sources = [];
  for (const path of named) {
    if (recursive && tryStat(fs.statSync, path)?.isDirectory()) walk(path, '', sources);
    else sources.push({ path, relative: fileName(path), size: sizeOf(path), walkProblem: '' });
  }
  return sources;
}

// --- Where each listing of --save goes, settled before any is written.

// How two paths compare as files: "./a//b" is "a/b".
function pathKey(path) {
  const absolute = path.startsWith('/');
  const parts = [];
  for (const part of path.split('/')) {
    if (part === '' || part === '.') continue;
    if (part === '..' && parts.length > 0 && parts.at(-1) !== '..') parts.pop();
    else if (part !== '..' || !absolute) parts.push(part);
  }
  return (absolute ? '/' : '') + parts.join('/');
}

function settleTargets(sources, outputDir) {
  const folder = (source) =>
    outputDir === null ? parentPath(source.path) : joinPath(outputDir, parentPath(source.relative));
  const target = (source, name) => joinPath(folder(source), name);
  const plain = (source) => target(source, proposedTextName(source.path));
  const taken = new Set(sources.map((source) => pathKey(source.path)));
  const targets = sources.map(() => null);
  // First the plain names: the main formats in order, then the backups.
  for (const mainPass of [true, false]) {
    sources.forEach((source, i) => {
      if (source.walkProblem !== '' || isMainFormat(source.path) !== mainPass) return;
      const path = plain(source);
      if (taken.has(pathKey(path))) return;
      taken.add(pathKey(path));
      targets[i] = { path, takenPlainName: null };
    });
  }
  // Then the whole names of those whose plain name was taken, numbered in
  // the rare case that one is taken too.
  sources.forEach((source, i) => {
    if (targets[i] !== null || source.walkProblem !== '') return;
    const whole = fileName(source.path);
    let path = target(source, `${whole}.txt`);
    for (let n = 2; taken.has(pathKey(path)); ++n) path = target(source, `${whole}.${n}.txt`);
    taken.add(pathKey(path));
    targets[i] = { path, takenPlainName: plain(source) };
  });
  return targets;
}

// --- One file.

// Reads the whole file as the core's file access does: { problem, message, bytes }.
function readFile(path) {
  const failedWith = (error) => {
    if (error.code === 'ENOENT' || error.code === 'ENOTDIR') return { problem: 'notFound' };
    if (error.code === 'EACCES' || error.code === 'EPERM') return { problem: 'noPermission' };
    return { problem: 'readError', message: errorText(error) };
  };
  let status;
  try {
    status = fs.statSync(path);
  } catch (error) {
    return failedWith(error);
  }
  // A FIFO or a device is never opened: it could wait for ever.
  if (status.isDirectory()) return { problem: 'isFolder' };
  if (!status.isFile()) return { problem: 'notRegularFile' };
  let bytes;
  try {
    bytes = fs.readFileSync(path);
  } catch (error) {
    if (error instanceof RangeError || error.code === 'ERR_FS_FILE_TOO_LARGE') return { problem: 'tooLarge' };
    return failedWith(error);
  }
  return bytes.length === 0 ? { problem: 'empty' } : { problem: '', bytes };
}

function fileProblemText({ problem, message }) {
  const texts = {
    notFound: 'no such file',
    noPermission: 'no permission to read it',
    isFolder: 'is a folder',
    notRegularFile: 'is not a regular file (a FIFO, device or socket), so it was not opened',
    empty: 'is empty',
    tooLarge: 'is too large to be read into memory',
  };
  if (texts[problem]) return tr(texts[problem]);
  return message ? fill(tr('could not be read: %1'), [message]) : tr('could not be read');
}

function notRecognisedText(path) {
  const ext = upperExtension(path);
  if (ext === '.ZVW') return tr('not a ZVW drawing file: it does not start as one');
  if (ext === '.ZVS') return tr('not a ZVS symbol file: it does not start as one');
  if (ext === '.ZVC') return tr('not a ZVC drawing file: it does not start as one');
  if (ext === '.ZVK') return tr('not a ZVK symbol file: it does not start as one');
  if (isDrawingName(path)) return tr('not a backup of a ZVW, ZVS, ZVC or ZVK file: it starts as none of them');
  return tr(
    "not a drawing or symbol file: the name does not end in .zvw, .zvs, .zvc, .zvk or a backup's extension",
  );
}

// Where and why the parse stopped: the core's sentence, or the catalogue's
// built from its parts.
function partialText(parsed) {
  const patterns = [
    null,
    parsed.stopParts.record === '' ? 'the file ends at byte %1' : 'the file ends at byte %1 inside the %2',
    'version not supported, at byte %1 in the %2',
    'a declared count or size that cannot be right for this file, at byte %1 in the %2',
    'a number beyond the single-precision range, at byte %1 in the %2',
    'out of memory, at byte %1 in the %2',
  ];
  const { reason, offset, record } = parsed.stopParts;
  const pattern = patterns[reason];
  if (!pattern || !catalogue[pattern] || (record === '' && reason !== 1)) return parsed.stop;
  return fill(tr(pattern), [offset.toLocaleString('en-US'), tr(record)]);
}

// Detects and parses; the status is kExitOk, kExitPartial or kExitNotRecognised.
function prepare(source) {
  if (source.walkProblem !== '') return { status: kExitNotRecognised, reason: source.walkProblem };
  const file = readFile(source.path);
  const bytes = file.bytes ?? new Uint8Array(0);
  let parsed = { format: null, warning: '' };
  if (file.problem !== 'notFound') parsed = binding.parse(fileName(source.path), bytes.length, (view) => view.set(bytes));
  if (parsed.format === null) {
    const reason = file.problem !== '' ? fileProblemText(file) : notRecognisedText(source.path);
    return { status: kExitNotRecognised, reason };
  }
  return parsed.stop === '' ? { status: kExitOk, listed: true } : { status: kExitPartial, listed: true, reason: partialText(parsed) };
}

// Lists the parsed file to a descriptor: { failure, lines }. After a failed
// write nothing more is written.
function listTo(fd, settings, prefix) {
  let failure = null;
  const { lines } = binding.list(settings.listing, settings.utf8 ? forms.utf8 : forms.sjis, (chunk) => {
    if (failure !== null) return;
    try {
      writeAll(fd, chunk);
    } catch (error) {
      failure = error;
    }
  }, prefix);
  return { failure, lines };
}

const temporaryName = (target) =>
  `${target}.${Array.from(randomBytes(6), (b) => 'ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789'[b % 62]).join('')}`;

// Streams the listing into a new file beside the target that replaces it
// only when complete, so a failed write never destroys an existing file.
function saveAtomically(target, settings) {
  try {
    fs.mkdirSync(parentPath(target) || '.', { recursive: true, mode: 0o777 });
  } catch {
    // A failure shows when the file is made.
  }
  let temp;
  let fd;
  for (;;) {
    temp = temporaryName(target);
    try {
      // An ordinary new file's mode; an existing target's mode is kept below.
      fd = fs.openSync(temp, fs.constants.O_RDWR | fs.constants.O_CREAT | fs.constants.O_EXCL, 0o666);
      break;
    } catch (error) {
      if (error.code !== 'EEXIST') return { failure: error, lines: 0 };
    }
  }
  let { failure, lines } = listTo(fd, settings);
  try {
    if (failure === null && fs.existsSync(target)) fs.fchmodSync(fd, fs.statSync(target).mode & 0o7777);
  } catch (error) {
    failure = error;
  }
  try {
    fs.closeSync(fd);
  } catch (error) {
    failure ??= error;
  }
  try {
    if (failure === null) fs.renameSync(temp, target);
  } catch (error) {
    failure = error;
  }
  if (failure !== null) fs.rmSync(temp, { force: true });
  return { failure, lines };
}

function savedLine(target, result) {
  let text = fill(trN('listed in %2 (%1 line)', 'listed in %2 (%1 lines)', result.lines), [String(result.lines), target.path]);
  if (target.takenPlainName !== null) text += fill(tr('; %1 is taken by another file of this run'), [target.takenPlainName]);
  if (result.status === kExitPartial) text += fill(tr('; %1, what was read is listed'), [result.reason]);
  return text;
}

// Lists or saves one file and says what happened; its exit status.
function runOne(source, target, settings, progress) {
  let result;
  try {
    result = prepare(source);
  } catch {
    result = { status: kExitNotRecognised, reason: tr('not enough memory to read it') };
  }
  const about = (file, reason) => {
    progress.hide();
    sayAbout(file, reason);
  };
  const partialNote = () => fill(tr('%1, what was read is listed'), [result.reason]);
  try {
    if (target !== null) {
      if (result.listed) {
        const { failure, lines } = saveAtomically(target.path, settings);
        result.lines = lines;
        if (failure !== null) {
          result.status = kExitWriteError;
          result.failure = errorText(failure);
        }
      }
      if (result.status === kExitNotRecognised) about(source.path, result.reason);
      else if (result.status === kExitWriteError)
        about(target.path, fill(tr('the listing of %1 could not be written: %2'), [source.path, result.failure]));
      else if (!settings.quiet) about(source.path, savedLine(target, result));
      else if (result.status === kExitPartial) about(source.path, partialNote());
    } else {
      if (result.status === kExitPartial) about(source.path, partialNote());
      else if (result.status === kExitNotRecognised) about(source.path, result.reason);
      if (result.listed) {
        const prefix = settings.pathPrefix
          ? Buffer.concat([settings.utf8 ? Buffer.from(source.path) : binding.encodePath(source.path), Buffer.from(':')])
          : undefined;
        const { failure } = listTo(1, settings, prefix);
        // A reader that went away ends the run quietly, as the signal ends
        // the native tool.
        if (failure?.code === 'EPIPE') process.exit(128 + 13);
        if (failure !== null) {
          about(tr('standard output'), errorText(failure));
          result.status = kExitWriteError;
        }
      }
    }
  } catch {
    result.status = kExitWriteError;
  }
  progress.advance(source.size);
  return result.status;
}

// --- Progress and summary.

function progressLine(enabled, files, bytes) {
  const start = Date.now();
  let lastDraw = 0;
  let shownWidth = 0;
  let filesDone = 0;
  let bytesDone = 0;
  // CJK characters take two columns.
  const width = (text) => Array.from(text).reduce((sum, c) => sum + (c.codePointAt(0) >= 0x3000 ? 2 : 1), 0);
  const draw = () => {
    const seconds = (Date.now() - start) / 1000;
    const rate = seconds > 0 ? bytesDone / seconds : 0;
    const left = rate > 0 && bytes > bytesDone ? Math.floor((bytes - bytesDone) / rate) : 0;
    const text = fill(tr('%1/%2 files, %3 MB/s, %4 left'), [
      String(filesDone), String(files), (rate / 1e6).toFixed(1), `${Math.floor(left / 60)}:${String(left % 60).padStart(2, '0')}`,
    ]);
    const shown = width(text);
    writeMessage(`\r${text}${' '.repeat(Math.max(0, shownWidth - shown))}`);
    shownWidth = shown;
  };
  return {
    advance(size) {
      ++filesDone;
      bytesDone += size;
      if (!enabled || Date.now() - lastDraw < 100) return;
      lastDraw = Date.now();
      draw();
    },
    hide() {
      if (shownWidth === 0) return;
      writeMessage(`\r${' '.repeat(shownWidth)}\r`);
      shownWidth = 0;
    },
  };
}

// A listing that could not be written outweighs a file not recognised,
// which outweighs a file listed in part.
const severity = (status) => ({ [kExitWriteError]: 3, [kExitNotRecognised]: 2, [kExitPartial]: 1 })[status] ?? 0;

function summary(statuses) {
  const count = (status) => statuses.filter((s) => s === status).length;
  const files = statuses.length;
  return fill(
    trN('%1 file: %2 complete, %3 partial, %4 not recognised, %5 failed to write',
      '%1 files: %2 complete, %3 partial, %4 not recognised, %5 failed to write', files),
    [files, count(kExitOk), count(kExitPartial), count(kExitNotRecognised), count(kExitWriteError)].map(String),
  );
}

function run(options) {
  const sources = collectSources(options.files, options.recursive);
  const batch = options.recursive || options.files.length > 1;
  const targets = options.save ? settleTargets(sources, options.outputDir) : sources.map(() => null);
  const settings = {
    listing: options.listing,
    utf8: options.output === 'utf8' || (options.output === 'auto' && !options.save && process.stdout.isTTY === true),
    pathPrefix: !options.save && (options.prefix === 'always' || (options.prefix === 'auto' && batch)),
    quiet: options.quiet,
  };
  const totalBytes = sources.reduce((sum, source) => sum + source.size, 0);
  const progress = progressLine(!options.quiet && sources.length > 1 && process.stderr.isTTY === true, sources.length, totalBytes);
  const statuses = sources.map((source, i) => runOne(source, targets[i], settings, progress));
  progress.hide();
  if (batch) say(summary(statuses));
  return statuses.reduce((worst, status) => (severity(status) > severity(worst) ? status : worst), kExitOk);
}

const options = {
  listing: { header: false, dimensions: false, blocks: false },
  save: false, output: 'auto', recursive: false, prefix: 'auto', quiet: false, jobs: 0, outputDir: null, files: [],
};
const early = parseArguments(process.argv.slice(2), options);
process.exitCode = early >= 0 ? early : run(options);
