// The one-file editions embed the data folder in the program, and embedded files skip the
// preload plugins. Before the program starts, every PNG file under /data goes through them
// once (the browser's decoder of png_preload.js) without being created again; the program
// starts when the last one is done.
Module['preRun'] = Module['preRun'] || [];
Module['preRun'].push(function () {
  function decodePngFiles(folder) {
    FS.readdir(folder).forEach(function (name) {
      if (name === '.' || name === '..') return;
      var path = folder + '/' + name;
      if (FS.isDir(FS.stat(path).mode)) {
        decodePngFiles(path);
      } else if (/\.png$/.test(name)) {
        FS.createPreloadedFile(path, null, FS.readFile(path), true, true, null, null, true);
      }
    });
  }
  // The embedded files are made in another pre-run step, which may come after this one: the
  // files are walked once every step has run, and the program waits for that.
  addRunDependency('embedded PNG files');
  Promise.resolve().then(function () {
    try {
      decodePngFiles('/data');
    } finally {
      removeRunDependency('embedded PNG files');
    }
  });
});
