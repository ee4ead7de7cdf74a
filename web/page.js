// Starts the game in this page: checks that the browser can draw with WebGL (and says so
// in the page when it cannot), then loads the data package and the program. The program's
// standard output goes to the console as log lines, its standard error as error lines.
(function () {
  'use strict';

  var canvas = document.getElementById('canvas');
  var status = document.getElementById('status');

  function showMessage(text) {
    var box = document.getElementById('message');
    box.textContent = text;
    box.hidden = false;
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
    status.textContent = 'Not started.';
    showMessage('This game draws with WebGL, which this browser does not offer or has turned off. ' +
                'Turn on hardware acceleration (or WebGL) in the browser settings, or try another browser.');
    console.error('WebGL is not available: the game cannot start');
    return;
  }

  // What the sound output says of itself: the browser holds it until a key or a click,
  // the player may mute it, and a browser without Web Audio has none.
  var sound = document.getElementById('sound');
  var soundTexts = {
    waiting: 'Sound starts with your first key or click.',
    on: 'Sound is on.',
    muted: 'Sound is muted.',
    off: 'Sound is off.'
  };

  window.Module = {
    onSoundState: function (state) {
      sound.dataset.state = state;
      sound.textContent = soundTexts[state] || '';
    },
    canvas: canvas,
    print: function (text) { console.log(text); },
    printErr: function (text) { console.error(text); },
    setStatus: function (text) {
      // The loader reports download progress as "Downloading data... (x/y)".
      if (text) status.textContent = text;
    },
    onRuntimeInitialized: function () {
      status.textContent = '';
      canvas.focus();
    },
    onAbort: function (what) {
      showMessage('The game stopped: ' + what);
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

  // In this order: the data package registers its files before the program starts.
  ['zorbel-data.js', 'zorbel.js'].forEach(function (source) {
    var script = document.createElement('script');
    script.src = source;
    script.async = false;
    script.onerror = function () {
      showMessage('Could not load ' + source + ' from the server.');
    };
    document.body.appendChild(script);
  });
})();
