// SPDX-License-Identifier: MIT
// The page around the game: loads it, says in one line what is going on,
// offers the browser's full screen, how the picture is scaled and filtered
// (remembered in localStorage), and a new start once the game has ended.
// window.rallexStatus shows what the page has seen (frames, the game's state,
// the sounds asked for and the audio played), for people and tests alike.
(function() {
  'use strict';
  var line = document.getElementById('line');
  var canvas = document.getElementById('screen');
  var again = document.getElementById('again');
  var full = document.getElementById('full');
  var say = function(text) { line.textContent = text; };
  var params = new URLSearchParams(location.search);
  // ?program=NAME runs another program of the page's folder (NAME.js, .wasm,
  // .data) than the page's own, which its meta rallex-program names (with the
  // name the page calls it by); the page installed for other programs has
  // none, and says so.
  var own = document.querySelector('meta[name="rallex-program"]');
  var asked = params.get('program') || '';
  var program = /^[a-z_][a-z0-9_]*$/.test(asked) ? asked : own ? own.content : '';
  var name = program && program === (own && own.content) ? own.dataset.name || program : program;

  var status = window.rallexStatus = {
    loadedAt: performance.now(), firstPauseAt: null, pausedMs: 0, firstFrameAt: null, frames: 0, state: null, sounds: [], audio: [],
    trace: [], traceAt: [], locked: false, lockRefused: false, unmuted: false, ended: false, exitStatus: null, error: null,
    fitted: null, starts: 0
  };
  var fail = function(text) {
    status.error = text;
    say(text);
  };
  if (typeof WebAssembly !== 'object') {
    fail((name || 'This page') + ' needs WebAssembly, which this browser does not offer.');
    return;
  }
  // The pixel loops are built for WebAssembly's vector instructions: a module
  // using one (i8x16.splat, i8x16.popcnt) must validate.
  var simd = new Uint8Array([0, 97, 115, 109, 1, 0, 0, 0, 1, 5, 1, 96, 0, 1, 123, 3, 2, 1, 0, 10, 10, 1, 8, 0, 65, 0,
    253, 15, 253, 98, 11]);
  if (!WebAssembly.validate(simd)) {
    fail((name || 'This page') + ' needs WebAssembly SIMD, which this browser does not offer.');
    return;
  }
  if (!program) {
    fail('No program to start: open this page as index.html?program=NAME, with NAME.js, NAME.wasm and NAME.data beside it.');
    return;
  }
  if (!own || own.content !== program) document.title = name;

  // What the player has to play with: a touch screen, a mouse, or both. A
  // browser that knows of no pointer at all (a headless one) counts as a mouse.
  var touch = (navigator.maxTouchPoints || 0) > 0 || 'ontouchstart' in window;
  var mouse = !touch || !window.matchMedia || window.matchMedia('(any-pointer: fine)').matches;
  var hint = function() {
    if (status.ended || status.error) return;
    var parts = [];
    if (!status.unmuted) parts.push(mouse ? 'Sound starts with your first click or key.' : 'Touch the game for sound;');
    if (status.locked) parts.push('Escape gives the mouse back.');
    else if (!mouse) parts.push(status.unmuted ? 'Slide a finger over the game to play.' : 'slide a finger over it to play.');
    else if (touch) parts.push('Click the game or slide a finger over it to play; Escape ends it.');
    else parts.push('Click the game to play with the mouse; Escape ends it.');
    say(parts.join(' '));
  };

  // What the game and its platform layer tell the page.
  var page = {
    frame: function(n) {
      status.frames = n;
      if (n === 1) { status.firstFrameAt = performance.now(); hint(); }
    },
    // {frame, ball, player, computer: [x, y, width, height], score: [player, computer]}
    state: function(state) { status.state = state; },
    // A long wait of the program: the game's start pause, once set up, and
    // its pause after each point.
    pause: function(ms) {
      if (status.firstPauseAt === null) status.firstPauseAt = performance.now();
      status.pausedMs += ms;
    },
    sound: function(name) { status.sounds.push({name: name, at: performance.now()}); },
    // Per block of audio played: its loudest sample and when it was played.
    audio: function(block) {
      var peak = 0, l = block.left, r = block.right;
      for (var i = 0; i < l.length; i++) peak = Math.max(peak, Math.abs(l[i]), Math.abs(r[i]));
      status.audio.push({at: performance.now(), peak: peak, frames: l.length});
      if (status.audio.length > 20000) status.audio.splice(0, 10000);
    },
    gesture: function() { if (!status.unmuted) { status.unmuted = true; hint(); } },
    pointerLock: function(on) { status.locked = on; hint(); },
    pointerLockRefused: function() { status.lockRefused = true; },
    trace: function(text) { status.trace.push(text); status.traceAt.push(performance.now()); },
    // Where the picture was placed, in device pixels of the stage.
    fitted: function(shown) { status.fitted = shown; }
  };

  // The game ends when a side reaches 10 points (or the player leaves with
  // Escape); the last state it showed tells the page who won.
  var result = document.getElementById('result');
  var outcome = function(score) {
    if (!score) return 'The game has ended.';
    var you = score[0], computer = score[1];
    var final = you + '–' + computer;
    if (you >= 10 && you > computer) return 'You won, ' + final + '.';
    if (computer >= 10 && computer > you) return 'The computer won, ' + final + '.';
    return 'You left the game at ' + final + '.';
  };
  var instance = null;
  var ended = function(code) {
    status.ended = true;
    status.exitStatus = code;
    if (document.pointerLockElement) document.exitPointerLock();
    var text = code === 0 ? outcome(status.state && status.state.score) : 'The game has stopped (status ' + code + ').';
    say(text);
    result.textContent = text;
    result.hidden = false;
    again.hidden = false;
    again.focus();
  };
  full.addEventListener('click', function() {
    var stage = document.getElementById('stage');
    if (document.fullscreenElement) document.exitFullscreen();
    else if (stage.requestFullscreen) stage.requestFullscreen().catch(function() {});
    canvas.focus();
  });

  // How the picture is scaled and filtered: the player's choice, kept in
  // the browser for the next visit.
  var display = {scaling: 'aspect', filter: 'nearest'};
  var scaling = document.getElementById('scaling'), filter = document.getElementById('filter');
  try {
    var kept = JSON.parse(localStorage.getItem('rallex.display') || '{}');
    if (['aspect', 'integer', 'stretch'].indexOf(kept.scaling) >= 0) display.scaling = kept.scaling;
    if (['nearest', 'linear'].indexOf(kept.filter) >= 0) display.filter = kept.filter;
  } catch (e) { /* no storage (a private window, a file: page): the defaults */ }
  scaling.value = display.scaling;
  filter.value = display.filter;
  var choose = function() {
    display = {scaling: scaling.value, filter: filter.value};
    try { localStorage.setItem('rallex.display', JSON.stringify(display)); } catch (e) { /* kept for this visit only */ }
    if (instance && instance.rallexSetDisplay) instance.rallexSetDisplay(display);
  };
  scaling.addEventListener('change', choose);
  filter.addEventListener('change', choose);

  // The program compiled once: a new start instantiates it again without
  // downloading it (its data comes from the browser's own store, see
  // --use-preload-cache in web/CMakeLists.txt).
  var compiled = null;
  var compile = function(url) {
    return fetch(url).then(function(r) {
      if (!r.ok) throw new Error('could not load ' + url + ' (' + r.status + ')');
      // Compiled while it downloads where the server names it application/wasm.
      return WebAssembly.compileStreaming ?
        WebAssembly.compileStreaming(r.clone()).catch(function() { return r.arrayBuffer().then(WebAssembly.compile); }) :
        r.arrayBuffer().then(WebAssembly.compile);
    });
  };
  var options = function() {
    return {
      canvas: canvas,
      rallexPage: page,
      rallexDisplay: display,
      rallexGestured: status.unmuted,
      print: function(text) { console.log(text); },
      printErr: function(text) { console.warn(text); },
      onExit: ended,
      onAbort: function(what) { fail(name + ' stopped: ' + what); },
      instantiateWasm: function(imports, receive) {
        if (!compiled) compiled = compile(program + '.wasm');
        compiled.then(function(module) {
          return WebAssembly.instantiate(module, imports).then(function(made) { receive(made, module); });
        }).catch(function(e) { fail(name + ' could not start: ' + (e && e.message || e)); });
        return {};
      }
    };
  };

  // ?script=FILE plays a scripted game: FILE holds one mouse x motion a line,
  // one per frame, on a virtual clock (&realtime=1: on the real one);
  // &frames=N stops after N frames.
  var scripted = {};
  var ready = Promise.resolve();
  if (params.has('script')) {
    ready = fetch(params.get('script')).then(function(r) {
      if (!r.ok) throw new Error('no script ' + params.get('script'));
      return r.text();
    }).then(function(text) {
      scripted.rallexScript = text.split('\n').filter(function(s) { return s.trim() !== ''; }).map(Number);
      scripted.rallexMaxFrames = Number(params.get('frames') || 0);
      scripted.rallexRealTime = params.get('realtime') === '1';
    });
  }

  // A start, the first or again: a new instance of the program on the same
  // canvas, once the last one has let go of the page.
  var start = function() {
    // The options become the program's Module (what it adds, rallexStop and
    // rallexSetDisplay, is there as soon as it runs).
    var o = instance = Object.assign(options(), scripted);
    status.starts++;
    return createRallex(o).then(function() { canvas.focus(); });
  };
  again.addEventListener('click', function() {
    if (instance && instance.rallexStop) instance.rallexStop();
    instance = null;
    again.hidden = true;
    result.hidden = true;
    Object.assign(status, {ended: false, exitStatus: null, frames: 0, state: null, firstFrameAt: null, trace: [], traceAt: [], sounds: [], audio: []});
    hint();
    start().catch(function(e) { fail(name + ' could not start: ' + (e && e.message || e)); });
  });

  var script = document.createElement('script');
  script.src = program + '.js';
  script.onerror = function() { fail('Could not load ' + script.src + ' from the server.'); };
  script.onload = function() {
    ready.then(start)
      .catch(function(e) { if (!status.ended) fail(name + ' could not start: ' + (e && e.message || e)); });
  };
  document.body.appendChild(script);
  window.addEventListener('error', function(e) { if (!status.ended) fail(name + ' stopped: ' + e.message); });
})();
