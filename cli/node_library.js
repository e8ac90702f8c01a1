// Library functions of the emscripten runtime replaced for the Node tool.
mergeInto(LibraryManager.library, {
  // The runtime makes /dev/random at start, and its own version loads
  // Node's crypto module for it then, some 6 ms of every run; the tool never
  // reads the device, so the module is loaded only if something does.
  $getRandomDevice: function() {
    var device;
    return function() {
      if (!device) {
        var crypto = require('crypto');
        device = function() { return crypto.randomBytes(1)[0]; };
      }
      return device();
    };
  },
});
