// SPDX-License-Identifier: MIT
// The page around the game: loads it, says in one line what is going on, and
// offers the browser's full screen and a new start once the game has ended.
// window.rallexStatus shows what the page has seen (frames, the game's state,
// the sounds asked for and the audio played), for people and tests alike.
(function() {
  'use strict';
  var line = document.getElementById('line');
  var canvas = document.getElementById('screen');
  var again = document.getElementById('again');
  var full = document.getElementById('full');
  var say = function(text) { line.textContent = text; };

  var status = window.rallexStatus = {
    loadedAt: performance.now(), firstPauseAt: null, pausedMs: 0, firstFrameAt: null, frames: 0, state: null, sounds: [], audio: [],
    trace: [], locked: false, lockRefused: false, unmuted: false, ended: false, exitStatus: null, error: null
  };
  var fail = function(text) {
    status.error = text;
    say(text);
  };
  if (typeof WebAssembly !== 'object') {
    fail('Rallex needs WebAssembly, which this browser does not offer.');
    return;
  }

  var hint = function() {
    if (status.ended || status.error) return;
    var parts = [];
    if (!status.unmuted) parts.push('Sound starts with your first click or key.');
    parts.push(status.locked ? 'Escape gives the mouse back.' : 'Click the game to play with the mouse; Escape ends it.');
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
    trace: function(text) { status.trace.push(text); }
  };

  var ended = function(code) {
    status.ended = true;
    status.exitStatus = code;
    if (document.pointerLockElement) document.exitPointerLock();
    say(code === 0 ? 'The game has ended.' : 'The game has stopped (status ' + code + ').');
    again.hidden = false;
    again.focus();
  };
  again.addEventListener('click', function() { location.reload(); });
  full.addEventListener('click', function() {
    var stage = document.getElementById('stage');
    if (document.fullscreenElement) document.exitFullscreen();
    else if (stage.requestFullscreen) stage.requestFullscreen().catch(function() {});
    canvas.focus();
  });

  var options = {
    canvas: canvas,
    rallexPage: page,
    print: function(text) { console.log(text); },
    printErr: function(text) { console.warn(text); },
    onExit: ended,
    onAbort: function(what) { fail('Rallex stopped: ' + what); }
  };

  // ?script=FILE plays a scripted game: FILE holds one mouse x motion a line,
  // one per frame, on a virtual clock (&realtime=1: on the real one);
  // &frames=N stops after N frames.
  var params = new URLSearchParams(location.search);
  var ready = Promise.resolve();
  if (params.has('script')) {
    ready = fetch(params.get('script')).then(function(r) {
      if (!r.ok) throw new Error('no script ' + params.get('script'));
      return r.text();
    }).then(function(text) {
      options.rallexScript = text.split('\n').filter(function(s) { return s.trim() !== ''; }).map(Number);
      options.rallexMaxFrames = Number(params.get('frames') || 0);
      options.rallexRealTime = params.get('realtime') === '1';
    });
  }

  var script = document.createElement('script');
  // ?program=NAME runs another program of the page's folder instead.
  var program = /^[a-z_]+$/.test(params.get('program') || '') ? params.get('program') : 'rallex';
  script.src = program + '.js';
  script.onerror = function() { fail('Could not load ' + script.src + ' from the server.'); };
  script.onload = function() {
    ready.then(function() { return createRallex(options); }).then(function() { canvas.focus(); })
      .catch(function(e) { if (!status.ended) fail('Rallex could not start: ' + (e && e.message || e)); });
  };
  document.body.appendChild(script);
  window.addEventListener('error', function(e) { if (!status.ended) fail('Rallex stopped: ' + e.message); });
})();
