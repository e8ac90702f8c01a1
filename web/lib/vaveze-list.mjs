#!/usr/bin/env node
// vaveze-list for Node.js: the same interface, output bytes, messages and
// exit statuses as the native tool, on the WebAssembly build of the core.
import fs from 'node:fs';
import { randomBytes } from 'node:crypto';
import { binding, fileProblems as FILE_PROBLEM, forms, proposedTextName, version } from './vaveze.mjs';

const kExitOk = 0;
const kExitNotRecognised = 1;
const kExitUsage = 2;
const kExitPartial = 3;
const kExitWriteError = 4;

const kUsage =
  'Usage: vaveze-list [OPTION]... FILE\n' +
  '       vaveze-list --save [OPTION]... FILE...\n' +
  'Lists every text of a ZVW, ZVS, ZVC or ZVK file (or a backup of one), one per line.\n' +
  '\n' +
  '  --header      include the header section (ZVW, ZVC, ZVK)\n' +
  '  --dimensions  include the texts of dimensions (ZVW, ZVS)\n' +
  '  --blocks      include the block section (ZVW, ZVS)\n' +
  '  --save        write each listing to a .txt file beside its source\n' +
  '  --utf8        write UTF-8 with LF line ends instead of Shift-JIS with CR LF\n' +
  '  --help        show this help and exit\n' +
  '  --version     show the version and exit\n' +
  '\n' +
  'Exit status: 0 listed, 3 listed but the file could not be read to its end,\n' +
  '1 not recognised, 2 usage error, 4 the listing could not be written.\n';

// The C library's words for the errors a file or a write can meet, so that
// messages read as the native tool's.
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

function errorText(error) {
  if (error instanceof RangeError) return kErrorTexts.ENOMEM;
  return kErrorTexts[error.code] ?? String(error.message ?? error);
}

function writeAll(fd, bytes) {
  for (let at = 0; at < bytes.length; ) {
    try {
      at += fs.writeSync(fd, bytes, at, bytes.length - at);
    } catch (error) {
      if (error.code !== 'EAGAIN') throw error;  // a non-blocking pipe that is full: try again
    }
  }
}

const complain = (message) => writeAll(2, Buffer.from(`vaveze-list: ${message}\n`));
const report = (line) => writeAll(2, Buffer.from(`${line}\n`));

// Parses the arguments; returns -1 to go on, or an exit status.
function parseArguments(args, options) {
  let optionsEnded = false;
  for (const arg of args) {
    if (optionsEnded || arg === '' || arg[0] !== '-' || arg === '-') {
      options.files.push(arg);
    } else if (arg === '--') {
      optionsEnded = true;
    } else if (arg === '--header') {
      options.listing.header = true;
    } else if (arg === '--dimensions') {
      options.listing.dimensions = true;
    } else if (arg === '--blocks') {
      options.listing.blocks = true;
    } else if (arg === '--save') {
      options.save = true;
    } else if (arg === '--utf8') {
      options.utf8 = true;
    } else if (arg === '--help') {
      writeAll(1, Buffer.from(kUsage));
      return kExitOk;
    } else if (arg === '--version') {
      writeAll(1, Buffer.from(`vaveze-list (VAveze) ${version}\n`));
      return kExitOk;
    } else {
      complain(`unknown option ${arg}`);
      writeAll(2, Buffer.from(kUsage));
      return kExitUsage;
    }
  }
  if (options.files.length === 0 || (!options.save && options.files.length > 1)) {
    complain(options.files.length === 0 ? 'no file given' : 'several files need --save');
    writeAll(2, Buffer.from(kUsage));
    return kExitUsage;
  }
  return -1;
}

// Reads a whole file as the core's file access does, saying why it could
// not: { problem, message, bytes }.
function readFile(path) {
  const failedWith = (error) => {
    if (error.code === 'ENOENT' || error.code === 'ENOTDIR') return { problem: FILE_PROBLEM.notFound };
    if (error.code === 'EACCES' || error.code === 'EPERM') return { problem: FILE_PROBLEM.noPermission };
    return { problem: FILE_PROBLEM.readError, message: errorText(error) };
  };
  let status;
  try {
    status = fs.statSync(path);
  } catch (error) {
    return failedWith(error);
  }
  // A FIFO or a device is never opened: it could wait for ever.
  if (status.isDirectory()) return { problem: FILE_PROBLEM.isFolder };
  if (!status.isFile()) return { problem: FILE_PROBLEM.notRegularFile };
  let bytes;
  try {
    bytes = fs.readFileSync(path);
  } catch (error) {
    if (error instanceof RangeError || error.code === 'ERR_FS_FILE_TOO_LARGE') return { problem: FILE_PROBLEM.tooLarge };
    return failedWith(error);
  }
  return bytes.length === 0 ? { problem: FILE_PROBLEM.empty } : { problem: FILE_PROBLEM.none, bytes };
}

// Detects the format of one file and parses it into the binding; the status
// is kExitNotRecognised, kExitPartial or kExitOk. A file that cannot be read
// is examined as holding no byte, so that its extension may still warn.
function detectOne(path) {
  const file = readFile(path);
  const bytes = file.bytes ?? new Uint8Array(0);
  let parsed;
  try {
    parsed = binding.parse(path.slice(path.lastIndexOf('/') + 1), bytes.length, (view) => view.set(bytes));
  } catch {
    file.problem = FILE_PROBLEM.tooLarge;
    parsed = { format: null, warning: '' };
  }
  if (parsed.format === null) {
    const notRecognised = (problem, warning = false) => ({ status: kExitNotRecognised, problem, warning });
    if (file.problem !== FILE_PROBLEM.none && file.problem !== FILE_PROBLEM.empty)
      return notRecognised(`${path}: ${binding.describeFileProblem(file.problem, file.message)}`);
    if (parsed.warning !== '') return notRecognised(parsed.warning, true);
    if (file.problem !== FILE_PROBLEM.none) return notRecognised(`${path}: ${binding.describeFileProblem(file.problem)}`);
    return notRecognised(`${path}: not a recognised drawing or symbol file`);
  }
  if (parsed.stop !== '') return { status: kExitPartial, problem: `${path}: ${parsed.stop}`, stop: parsed.stop };
  return { status: kExitOk, problem: '' };
}

// Lists the parsed file to a descriptor; the error of a failed write, else
// null. After a failed write nothing more is written.
function listTo(fd, options) {
  let failure = null;
  const { lines } = binding.list(options.listing, options.utf8 ? forms.utf8 : forms.sjis, (chunk) => {
    if (failure !== null) return;
    try {
      writeAll(fd, chunk);
    } catch (error) {
      failure = error;
    }
  });
  return { failure, lines };
}

function listToStdout(options) {
  const result = detectOne(options.files[0]);
  if (result.warning) report(result.problem);
  else if (result.problem !== '') complain(result.problem);
  if (result.status === kExitNotRecognised) return result.status;
  const { failure } = listTo(1, options);
  if (failure !== null) {
    complain(`standard output: ${errorText(failure)}`);
    return kExitWriteError;
  }
  return result.status;
}

function folderPart(path) {
  return path.slice(0, path.lastIndexOf('/') + 1);
}

function temporaryName(target) {
  const letters = 'ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789';
  return target + '.' + Array.from(randomBytes(6), (b) => letters[b % letters.length]).join('');
}

// Streams the listing into a new file in the target's folder that replaces
// the target only when complete, so a failed write never destroys an
// existing file. Returns { failure, lines }.
function saveAtomically(target, options) {
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
  let { failure, lines } = listTo(fd, options);
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

// Saves each listing beside its source and reports one line per file.
function saveEach(options) {
  let worst = kExitOk;
  for (const path of options.files) {
    const result = detectOne(path);
    let line;
    if (result.status === kExitNotRecognised) {
      line = result.warning ? `${path}: ${result.problem}` : result.problem;
    } else {
      const target = folderPart(path) + proposedTextName(path);
      const { failure, lines } = saveAtomically(target, options);
      if (failure === null) {
        line = `${path} -> ${target} (${lines} lines)`;
        if (result.status === kExitPartial) line += `; ${result.stop}`;
      } else {
        line = `${target}: ${errorText(failure)}`;
        result.status = kExitWriteError;
      }
    }
    complain(line);
    worst = Math.max(worst, result.status);
  }
  return worst;
}

const options = { listing: { header: false, dimensions: false, blocks: false }, save: false, utf8: false, files: [] };
const early = parseArguments(process.argv.slice(2), options);
process.exitCode = early >= 0 ? early : options.save ? saveEach(options) : listToStdout(options);
