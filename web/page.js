// Starts the game in this page: checks that the browser can draw with WebGL (and says so
// in the page when it cannot), downloads the program and its data under a progress bar, and
// starts them. The program's standard output goes to the console as log lines, its standard
// error as error lines. The one-file edition (<html data-edition="one-file">) carries the
// program and its data inside the page, so nothing is downloaded.
(function () {
  'use strict';

  var canvas = document.getElementById('canvas');
  var status = document.getElementById('status');
  var progress = document.getElementById('progress');
  var oneFile = document.documentElement.dataset.edition === 'one-file';

  // Every problem that stops the game is said in the page and on the console.
  var stopped = false;
  function showMessage(text) {
    stopped = true;
    var box = document.getElementById('message');
    box.textContent = text;
    box.hidden = false;
    status.textContent = 'Not started.';
    console.error(text);
  }

  function webglAvailable() {
    try {
      var probe = document.createElement('canvas');
      return !!(window.WebGLRenderingContext && probe.getContext('webgl'));
    } catch (e) {
      return false;
    }
  }

  if (!webglAvailable()) {
    showMessage('This game draws with WebGL, which this browser does not offer or has turned off. ' +
                'Turn on hardware acceleration (or WebGL) in the browser settings, or try another browser.');
    return;
  }

  // A browser does not let a page from a disk fetch the files beside it.
  if (window.location.protocol === 'file:' && !oneFile) {
    showMessage('This page needs a web server: a browser does not let a page opened from a ' +
                'disk load the game\'s files. Open zorbel.html, the one-file edition beside ' +
                'this folder, instead, or serve this folder (bash scripts/web.sh --serve) and ' +
                'open the address it prints.');
    return;
  }

  // What the sound output says of itself: the browser holds it until a key, a click or a
  // tap, the player may mute it, and a browser without Web Audio has none.
  var sound = document.getElementById('sound');
  var soundTexts = {
    waiting: 'Sound starts with your first key or click (or tap).',
    on: 'Sound is on.',
    muted: 'Sound is muted.',
    off: 'Sound is off.'
  };

  var paused = document.getElementById('paused');

  window.Module = {
    onSoundState: function (state) {
      sound.dataset.state = state;
      sound.textContent = soundTexts[state] || '';
    },
    // The game's pause, as the window reports it (Escape, a pad's Start, the pause button,
    // a hidden tab, leaving the window).
    onPauseState: function (isPaused) {
      paused.hidden = !isPaused;
    },
    canvas: canvas,
    print: function (text) { console.log(text); },
    printErr: function (text) { console.error(text); },
    onRuntimeInitialized: function () {
      status.textContent = '';
      document.getElementById('loading').hidden = true;
      canvas.focus();
      if (!oneFile) afterStart();
    },
    onAbort: function (what) {
      showMessage('The game stopped: ' + (what instanceof Error ? what.message : String(what)));
    }
  };

  // The page's address passes options as a command line would: index.html?mute starts muted
  // (--mute), ?nosettings neither reads nor keeps the player's choices (--no-settings), which
  // the game otherwise keeps in this browser (localStorage).
  var options = { mute: '--mute', nosettings: '--no-settings' };
  var asked = Object.keys(options).filter(function (name) {
    return new RegExp('[?&]' + name + '(&|=|$)').test(window.location.search);
  });
  if (asked.length > 0) window.Module.arguments = asked.map(function (name) { return options[name]; });

  // The controls say whether a pad plays. The game reads pads the browser lays out the
  // "standard" way only; another layout is named so the player knows why it does nothing.
  var padLine = document.getElementById('pad');
  function showPads() {
    var pads = navigator.getGamepads ? Array.prototype.slice.call(navigator.getGamepads()) : [];
    pads = pads.filter(function (pad) { return pad && pad.connected; });
    var playing = pads.filter(function (pad) { return pad.mapping === 'standard'; });
    if (playing.length > 0) {
      padLine.textContent = 'Pad connected: ' + playing.map(function (pad) { return pad.id; }).join(', ') + '.';
    } else if (pads.length > 0) {
      padLine.textContent = 'A pad is connected (' + pads[0].id + '), but the browser does not know its ' +
                            'layout, so the game cannot read it.';
    } else {
      padLine.textContent = 'No pad connected: press a button on one to use it.';
    }
  }
  window.addEventListener('gamepadconnected', showPads);
  window.addEventListener('gamepaddisconnected', showPads);

  // Keys reach the game while the picture has the focus; a click gives it back.
  canvas.addEventListener('mousedown', function () { canvas.focus(); });

  if (oneFile) return;

  // The program and the data package download together under one progress bar (their sizes
  // come from build.js, as the browser unpacks them); then their scripts, fetched meanwhile,
  // run in this order: the data package registers its files before the program starts.
  var sizes = (window.zorbelBuild && window.zorbelBuild.files) || {};
  var total = (sizes['zorbel.wasm'] || 0) + (sizes['zorbel-data.data'] || 0);
  var received = 0;
  function count(bytes) {
    received += bytes;
    if (total > 0 && !stopped) {
      progress.value = Math.min(1, received / total);
      status.textContent = 'Loading… ' + Math.floor(100 * progress.value) + '%';
    }
  }

  // The whole file as an ArrayBuffer, its bytes counted as they arrive. A failure rejects
  // with the message to show.
  function download(name) {
    return fetch(name).then(function (response) {
      if (!response.ok) throw new Error(response.status + ' ' + response.statusText);
      if (!response.body || !response.body.getReader) {
        return response.arrayBuffer().then(function (bytes) {
          count(bytes.byteLength);
          return bytes;
        });
      }
      var reader = response.body.getReader();
      var parts = [];
      var length = 0;
      return (function next() {
        return reader.read().then(function (part) {
          if (part.done) {
            var whole = new Uint8Array(length);
            parts.reduce(function (at, chunk) {
              whole.set(chunk, at);
              return at + chunk.length;
            }, 0);
            return whole.buffer;
          }
          parts.push(part.value);
          length += part.value.length;
          count(part.value.length);
          return next();
        });
      })();
    }).catch(function (error) {
      throw new Error('Could not load ' + name + ' from the server (' + error.message + ').');
    });
  }

  function runScripts(sources) {
    sources.forEach(function (source) {
      var script = document.createElement('script');
      script.src = source;
      script.async = false;
      script.onerror = function () {
        showMessage('Could not load ' + source + ' from the server.');
      };
      document.body.appendChild(script);
    });
  }

  // The program compiles while the data still downloads.
  var program = download('zorbel.wasm').then(function (bytes) {
    return WebAssembly.compile(bytes).catch(function (error) {
      throw new Error('The game could not start: ' + error.message);
    });
  });
  Promise.all([program, download('zorbel-data.data')]).then(function (files) {
    status.textContent = 'Starting…';
    Module.instantiateWasm = function (imports, receiveInstance) {
      WebAssembly.instantiate(files[0], imports).then(function (instance) {
        receiveInstance(instance, files[0]);
      }, function (error) {
        showMessage('The game could not start: ' + error.message);
      });
      return {};
    };
    var data = files[1];
    Module.getPreloadedPackage = function () {
      var handed = data;
      data = null;
      return handed;
    };
    runScripts(['zorbel-data.js', 'zorbel.js']);
  }, function (error) {
    showMessage(error.message);
  });

  // Once the game runs: the tab's icon, and a service worker that keeps this build's files,
  // so that the page also starts without a network (and can be installed). Not before, so
  // that neither slows the download of the game.
  function afterStart() {
    document.querySelector('link[rel="icon"]').href = 'zorbel-192.png';
    if (!('serviceWorker' in navigator) || !window.zorbelBuild) return;
    var worker = navigator.serviceWorker;
    var registered = worker.register('service-worker.js', { updateViaCache: 'none' });
    registered.catch(function (error) {
      console.warn('The game will not play offline: ' + error.message);
    });
  }
})();
