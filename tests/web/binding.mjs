// The WebAssembly binding as the page's worker holds it (the package's API
// keeps its own to itself), from the web build.
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { join } from 'node:path';

export async function loadBinding(webDir) {
  const require = createRequire(join(webDir, 'package.json'));
  const createVavezeCore = require('./vaveze-core.cjs');
  const { makeVavezeBinding, VAVEZE_FORM } = require('./vaveze-binding.cjs');
  const binding = makeVavezeBinding(await createVavezeCore({ wasmBinary: readFileSync(join(webDir, 'vaveze-core.wasm')) }));
  return { binding, forms: VAVEZE_FORM };
}

// The page's window flow in that binding, its effects carried out at once
// as the worker and the page would, with files { path, bytes } given: each
// read answered, each timer fired until none runs, the pane's pieces put
// together, questions answered `yes` unless told otherwise, what was
// written kept by path.
export function flowDriver(binding) {
  const files = new Map();
  const timers = new Set();
  const driver = { pane: '', status: '', asked: [], written: new Map(), save: null };
  const utf16 = new TextDecoder('utf-16le');
  let tag = 0;
  const carry = (effects) => {
    for (const effect of effects) {
      if (effect.kind === 'refresh' && 'status' in effect) driver.status = effect.status;
      else if (effect.kind === 'startPane') driver.pane = '';
      else if (effect.kind === 'append') driver.pane += utf16.decode(effect.units);
      else if (effect.kind === 'startTimer') timers.add(effect.timer);
      else if (effect.kind === 'stopTimer') timers.delete(effect.timer);
      else if (effect.kind === 'ask') driver.asked.push(effect.text);
      else if (effect.kind === 'chooseSaveTarget') driver.save = effect.name;
      else if (effect.kind === 'write') driver.written.set(effect.path, Buffer.from(effect.bytes));
      driver.pending.push(effect);
    }
  };
  driver.pending = [];
  driver.act = (name, args) => {
    const answer = binding.flow.act(name, args);
    assert.equal(answer.fault, undefined);
    carry(answer.effects);
    while (driver.pending.length > 0 || timers.size > 0) {
      const effect = driver.pending.shift();
      if (effect === undefined) {
        for (const timer of [...timers]) carry(binding.flow.act('timerFired', { a: timer, b: 1e6 }).effects);
      } else if (effect.kind === 'read') {
        const bytes = files.get(effect.path);
        const { room, put } = binding.flow.room(bytes.length);
        put(0, bytes);
        carry(binding.flow.act('fileRead', { a: effect.for, b: effect.index, c: effect.serial, d: room }).effects);
      } else if (effect.kind === 'ask') {
        const yes = effect.replies.find(({ caption }) => caption === 'はい') ?? effect.replies[0];
        carry(binding.flow.act('answered', { a: effect.serial, b: yes.reply }).effects);
      } else if (effect.kind === 'chooseSaveTarget') {
        carry(binding.flow.act('saveTargetChosen', { text: effect.name }).effects);
      } else if (effect.kind === 'write') {
        carry(binding.flow.act('fileWritten', { a: effect.for, b: effect.index, c: effect.serial }).effects);
      }
    }
    return driver;
  };
  driver.give = (given) => {
    for (const { path, bytes } of given) files.set(path, bytes);
    binding.flow.name(given.map(({ path, bytes }) => ({ path, size: bytes.length })));
    return driver.act('sourcesGiven', { a: ++tag });
  };
  return driver;
}
