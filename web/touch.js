// The touch controls and the full-screen button. Fingers hold the game's keys through
// Module._zorbelTouchKey(key, down), the way the keyboard holds them: a drag anywhere on the
// picture is a stick (its start is the centre), the pad's arrows are held where the finger
// is, and each button holds its key; a key is held while any finger holds it. Pause presses
// Escape once per touch. The controls show on a touch screen, or from the first touch.
(function () {
  'use strict';

  // The buttons: what each says and the key it holds (a value of the game's Key), or what it
  // does: pause, or help (the page's text, below the game). The button of a key the game
  // does not have is hidden once the game runs.
  var kButtons = [
    { label: 'Camera', key: 0 },
    { label: 'Pause', pause: true },
    { label: 'Mute', key: 7 },
    { label: 'Score', key: 8 },
    { label: 'Help', help: true }
  ];
  var kLeft = 3;
  var kRight = 4;
  var kUp = 5;
  var kDown = 6;
  // A drag shorter than this (CSS px) holds no direction; on the pad, a finger this share
  // of its radius from the centre.
  var kStickDeadZone = 12;
  var kPadDeadZone = 0.25;
  // How far the stick's knob follows the finger (CSS px).
  var kKnobTravel = 40;
  // Off an axis by more than this share of the distance, the direction holds that axis too:
  // eight directions of 45 degrees each.
  var kAxisShare = Math.sin(Math.PI / 8);

  var root = document.documentElement;
  var picture = document.getElementById('picture');
  var stick = document.getElementById('stick');
  var dpad = document.getElementById('dpad');
  var buttons = document.getElementById('buttons');
  var pauseButton = null;

  function game(name) {
    return window.Module && window.Module[name];
  }

  // The keys each finger (pointer id) holds, and the keys the game was told are down.
  var fingers = new Map();
  var told = [];

  function tellKeys() {
    var touchKey = game('_zorbelTouchKey');
    if (!touchKey) return;
    var held = [];
    fingers.forEach(function (keys) {
      keys.forEach(function (key) { held[key] = true; });
    });
    for (var key = 0; key < Math.max(held.length, told.length); ++key) {
      if (!!held[key] === !!told[key]) continue;
      touchKey(key, held[key] ? 1 : 0);
      told[key] = !!held[key];
    }
  }

  function hold(pointer, keys) {
    fingers.set(pointer, keys);
    tellKeys();
  }

  function release(pointer) {
    if (!fingers.delete(pointer)) return;
    tellKeys();
  }

  // The arrows of a finger dx, dy (CSS px, y down) from where its stick is centred.
  function directions(dx, dy, deadZone) {
    var distance = Math.sqrt(dx * dx + dy * dy);
    var keys = [];
    if (distance < deadZone) return keys;
    if (dx > kAxisShare * distance) keys.push(kRight);
    if (dx < -kAxisShare * distance) keys.push(kLeft);
    if (dy < -kAxisShare * distance) keys.push(kUp);
    if (dy > kAxisShare * distance) keys.push(kDown);
    return keys;
  }

  // Follows one finger from its pointerdown on element until it lifts: move(event) gives the
  // keys it holds at each position, done() runs when it lifts. The element keeps the finger
  // when it slides off.
  function follow(element, event, move, done) {
    var pointer = event.pointerId;
    if (element.setPointerCapture) element.setPointerCapture(pointer);
    hold(pointer, move(event));
    var onMove = function (moved) {
      if (moved.pointerId === pointer) hold(pointer, move(moved));
    };
    var onEnd = function (ended) {
      if (ended.pointerId !== pointer) return;
      ['pointerup', 'pointercancel', 'lostpointercapture'].forEach(function (type) {
        element.removeEventListener(type, onEnd);
      });
      element.removeEventListener('pointermove', onMove);
      release(pointer);
      if (done) done();
    };
    element.addEventListener('pointermove', onMove);
    ['pointerup', 'pointercancel', 'lostpointercapture'].forEach(function (type) {
      element.addEventListener(type, onEnd);
    });
  }

  // On a touch screen, or from the first touch anywhere on the page.
  function showControls() {
    root.classList.add('touch');
  }
  if (window.matchMedia && window.matchMedia('(pointer: coarse)').matches) showControls();
  window.addEventListener('pointerdown', function (event) {
    if (event.pointerType === 'touch') showControls();
  }, true);

  // A touch on the picture (not on its buttons) centres a stick there.
  picture.addEventListener('pointerdown', function (event) {
    if (event.pointerType === 'mouse' || event.target.closest('button')) return;
    event.preventDefault();
    var box = picture.getBoundingClientRect();
    var x = event.clientX;
    var y = event.clientY;
    stick.style.left = x - box.left + 'px';
    stick.style.top = y - box.top + 'px';
    stick.hidden = false;
    var knob = stick.firstElementChild;
    follow(picture, event, function (moved) {
      var dx = moved.clientX - x;
      var dy = moved.clientY - y;
      var along = function (d) { return Math.max(-kKnobTravel, Math.min(kKnobTravel, d)); };
      knob.style.transform = 'translate(' + along(dx) + 'px, ' + along(dy) + 'px)';
      return directions(dx, dy, kStickDeadZone);
    }, function () {
      stick.hidden = true;
    });
  });

  // The pad holds the arrows of where the finger is on it.
  dpad.addEventListener('pointerdown', function (event) {
    event.preventDefault();
    follow(dpad, event, function (moved) {
      var box = dpad.getBoundingClientRect();
      var radius = box.width / 2;
      return directions(moved.clientX - box.left - radius, moved.clientY - box.top - radius,
                        kPadDeadZone * radius);
    });
  });

  kButtons.forEach(function (entry) {
    var button = document.createElement('button');
    button.type = 'button';
    button.textContent = entry.label;
    button.dataset.control = entry.label.toLowerCase();
    button.addEventListener('pointerdown', function (event) {
      // No focus move: the keys keep reaching the game.
      event.preventDefault();
      if (entry.pause) {
        var press = game('_zorbelPausePress');
        if (press) press();
        return;
      }
      if (entry.help) {
        document.querySelector('.controls').scrollIntoView({ behavior: 'smooth' });
        return;
      }
      button.classList.add('held');
      follow(button, event, function () {
        return [entry.key];
      }, function () {
        button.classList.remove('held');
      });
    });
    if (entry.pause) pauseButton = button;
    entry.button = button;
    buttons.appendChild(button);
  });

  // Leaving the page lifts every finger: their ends may never come.
  function releaseAll() {
    fingers.clear();
    tellKeys();
  }
  window.addEventListener('blur', releaseAll);
  document.addEventListener('visibilitychange', function () {
    if (document.hidden) releaseAll();
  });

  // Once the game runs: hide the buttons of keys it does not have (a release changes nothing
  // in the game), and follow its pause on the pause button.
  var previous = window.Module || {};
  var onRuntimeInitialized = previous.onRuntimeInitialized;
  previous.onRuntimeInitialized = function () {
    if (onRuntimeInitialized) onRuntimeInitialized();
    kButtons.forEach(function (entry) {
      var known = entry.key === undefined || game('_zorbelTouchKey')(entry.key, 0);
      entry.button.hidden = !known;
    });
  };
  var onPauseState = previous.onPauseState;
  previous.onPauseState = function (paused) {
    if (onPauseState) onPauseState(paused);
    pauseButton.textContent = paused ? 'Resume' : 'Pause';
  };

  // Full screen shows the picture and its controls alone, turned to landscape where the
  // browser allows it.
  var stage = document.getElementById('stage');
  var fullscreen = document.getElementById('fullscreen');
  var request = stage.requestFullscreen || stage.webkitRequestFullscreen;
  var exit = document.exitFullscreen || document.webkitExitFullscreen;
  var current = function () {
    return document.fullscreenElement || document.webkitFullscreenElement || null;
  };
  if (request && exit && (document.fullscreenEnabled || document.webkitFullscreenEnabled)) {
    fullscreen.hidden = false;
    var enter = function () {
      var entered = request.call(stage, { navigationUI: 'hide' });
      Promise.resolve(entered).then(function () {
        var orientation = screen.orientation;
        if (orientation && orientation.lock) return orientation.lock('landscape');
      }).catch(function () {});
    };
    fullscreen.addEventListener('click', function () {
      if (current()) exit.call(document);
      else enter();
    });
    // The game asks for this on the player's first gesture when the full screen was their
    // kept choice.
    previous.requestGameFullScreen = enter;
    var name = function () {
      fullscreen.textContent = current() ? 'Leave full screen' : 'Full screen';
    };
    document.addEventListener('fullscreenchange', name);
    document.addEventListener('webkitfullscreenchange', name);
  }
})();
