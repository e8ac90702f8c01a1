// One .zip file made in the page, for browsers that let a page save into
// no folder: each entry deflated by the browser's CompressionStream where it
// makes the entry smaller (else stored), names in UTF-8 with the flag that
// says so (bit 11), made by Unix (an ordinary file, rw-r--r--), so that
// Japanese names come out as they are: unzip tools take a name made by
// MS-DOS for code page 437 (or the system's), whatever the flag says. No ZIP64:
// 65,535 entries and 4 GiB at most, past which add() refuses (ZipFull) and
// what is already in stays a whole zip file.
const kLocalHeader = 30;
const kCentralHeader = 46;
const kEnd = 22;
const kVersion = 20;  // 2.0: deflate, folders in names
const kMadeByUnix = (3 << 8) | kVersion;
const kRegularFile = 0o100644 << 16;  // st_mode, in the external attributes' high half
const kUtf8Names = 0x0800;
const kStored = 0;
const kDeflated = 8;

const crcTable = (() => {
  const table = new Uint32Array(256);
  for (let n = 0; n < 256; ++n) {
    let c = n;
    for (let k = 0; k < 8; ++k) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
    table[n] = c >>> 0;
  }
  return table;
})();

export function crc32(bytes) {
  let crc = 0xffffffff;
  for (let i = 0; i < bytes.length; ++i) crc = crcTable[(crc ^ bytes[i]) & 0xff] ^ (crc >>> 8);
  return (crc ^ 0xffffffff) >>> 0;
}

// The bytes deflated without a wrapper, or null where the browser cannot.
async function deflateRaw(bytes) {
  try {
    const stream = new Blob([bytes]).stream().pipeThrough(new CompressionStream('deflate-raw'));
    return new Uint8Array(await new Response(stream).arrayBuffer());
  } catch {
    return null;
  }
}

// MS-DOS time and date, local, as zip tools show them.
function dosTime(when) {
  const year = Math.min(Math.max(when.getFullYear(), 1980), 2107);
  return {
    time: (when.getHours() << 11) | (when.getMinutes() << 5) | (when.getSeconds() >> 1),
    date: ((year - 1980) << 9) | ((when.getMonth() + 1) << 5) | when.getDate(),
  };
}

export class ZipFull extends Error {}

export class ZipWriter {
  #entries = [];  // a Blob per entry: its local header, name and data
  #central = [];  // its central directory record
  #offset = 0;

  constructor(when = new Date()) {
    this.when = dosTime(when);
  }

  get count() {
    return this.#entries.length;
  }

  // Adds `bytes` (a Uint8Array) under `path` ('/' between names).
  async add(path, bytes) {
    const name = new TextEncoder().encode(path);
    const crc = crc32(bytes);
    const deflated = await deflateRaw(bytes);
    const [method, data] = deflated !== null && deflated.length < bytes.length ? [kDeflated, deflated] : [kStored, bytes];
    const size = kLocalHeader + name.length + data.length;
    if (this.#entries.length >= 0xffff || this.#offset + size > 0xffffffff) throw new ZipFull();

    // The fields a local header and a central record share, from "version needed".
    const common = (view, at) => {
      view.setUint16(at, kVersion, true);
      view.setUint16(at + 2, kUtf8Names, true);
      view.setUint16(at + 4, method, true);
      view.setUint16(at + 6, this.when.time, true);
      view.setUint16(at + 8, this.when.date, true);
      view.setUint32(at + 10, crc, true);
      view.setUint32(at + 14, data.length, true);
      view.setUint32(at + 18, bytes.length, true);
      view.setUint16(at + 22, name.length, true);
    };
    const local = new DataView(new ArrayBuffer(kLocalHeader));
    local.setUint32(0, 0x04034b50, true);
    common(local, 4);
    const central = new DataView(new ArrayBuffer(kCentralHeader));
    central.setUint32(0, 0x02014b50, true);
    central.setUint16(4, kMadeByUnix, true);
    common(central, 6);
    central.setUint32(38, kRegularFile, true);
    central.setUint32(42, this.#offset, true);
    this.#entries.push(new Blob([local, name, data]));
    this.#central.push(new Blob([central, name]));
    this.#offset += size;
  }

  // The whole file.
  finish() {
    const directory = new Blob(this.#central);
    const end = new DataView(new ArrayBuffer(kEnd));
    end.setUint32(0, 0x06054b50, true);
    end.setUint16(8, this.#entries.length, true);
    end.setUint16(10, this.#entries.length, true);
    end.setUint32(12, directory.size, true);
    end.setUint32(16, this.#offset, true);
    return new Blob([...this.#entries, directory, end], { type: 'application/zip' });
  }
}
