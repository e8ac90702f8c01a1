// VAveze for Node.js from CommonJS. The API is an ES module (vaveze.mjs),
// which require() cannot load, as it makes its WebAssembly ready before it
// is handed out; load() gives it:
//
//   const { listBytes } = await require('vaveze').load();
'use strict';

exports.load = () => import('./vaveze.mjs');
