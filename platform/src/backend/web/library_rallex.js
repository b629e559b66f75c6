// SPDX-License-Identifier: MIT
// The page's side of the browser backend (web_backend.cpp): the canvas, DOM
// events, the clock and the waits, Web Audio and message boxes. The page
// (web/index.html) gives Module.canvas and, optionally, Module.rallexPage with
// hooks that it wants to hear from (frames shown, audio, pointer lock, the
// end) and Module.rallexDisplay, how the picture is scaled. The event codes
// and fields are RWP's, made from protocol.def.
mergeInto(LibraryManager.library, {
  $RW__deps: ['$RWP'],
  $RW: {
    t0: 0,
    events: [],
    wake: null,            // the pending wait for an event, if any
    relativeWanted: false,
    locked: false,
    lockEndedAt: -1e9,
    lastX: null, lastY: null,
    touch: null,
    image: null,
    imageAt: 0,  // where in memory the image is a view of
    ctx: null,
    audio: null,
    dialogOpen: false,
    gestured: false,
    frames: 0,
    // What rallex_web_init attached, as [target, type, listener, options]:
    // the input's, taken away when the program ends, and the fit's, kept so
    // that the last picture still fits until the page lets the program go.
    inputListeners: [],
    fitListeners: [],
    resizeObserver: null,
    // How the picture is scaled ('aspect', 'integer' or 'stretch') and
    // filtered ('nearest' or 'linear'), and where it is shown in device
    // pixels of the stage.
    display: {scaling: 'aspect', filter: 'nearest'},
    shown: null,
    scratch: 0,  // 16 bytes of the program's memory for the placing calls
    // KeyboardEvent.code -> the keyboard's set-1 scan code as DirectInput
    // numbers keys (extended keys with 0x80).
    keys: {
      Escape: 0x01, Digit1: 0x02, Digit2: 0x03, Digit3: 0x04, Digit4: 0x05, Digit5: 0x06, Digit6: 0x07,
      Digit7: 0x08, Digit8: 0x09, Digit9: 0x0A, Digit0: 0x0B, Minus: 0x0C, Equal: 0x0D, Backspace: 0x0E,
      Tab: 0x0F, KeyQ: 0x10, KeyW: 0x11, KeyE: 0x12, KeyR: 0x13, KeyT: 0x14, KeyY: 0x15, KeyU: 0x16,
      KeyI: 0x17, KeyO: 0x18, KeyP: 0x19, BracketLeft: 0x1A, BracketRight: 0x1B, Enter: 0x1C,
      ControlLeft: 0x1D, KeyA: 0x1E, KeyS: 0x1F, KeyD: 0x20, KeyF: 0x21, KeyG: 0x22, KeyH: 0x23,
      KeyJ: 0x24, KeyK: 0x25, KeyL: 0x26, Semicolon: 0x27, Quote: 0x28, Backquote: 0x29,
      ShiftLeft: 0x2A, Backslash: 0x2B, KeyZ: 0x2C, KeyX: 0x2D, KeyC: 0x2E, KeyV: 0x2F, KeyB: 0x30,
      KeyN: 0x31, KeyM: 0x32, Comma: 0x33, Period: 0x34, Slash: 0x35, ShiftRight: 0x36,
      NumpadMultiply: 0x37, AltLeft: 0x38, Space: 0x39, CapsLock: 0x3A, F1: 0x3B, F2: 0x3C, F3: 0x3D,
      F4: 0x3E, F5: 0x3F, F6: 0x40, F7: 0x41, F8: 0x42, F9: 0x43, F10: 0x44, NumLock: 0x45,
      ScrollLock: 0x46, Numpad7: 0x47, Numpad8: 0x48, Numpad9: 0x49, NumpadSubtract: 0x4A,
      Numpad4: 0x4B, Numpad5: 0x4C, Numpad6: 0x4D, NumpadAdd: 0x4E, Numpad1: 0x4F, Numpad2: 0x50,
      Numpad3: 0x51, Numpad0: 0x52, NumpadDecimal: 0x53, IntlBackslash: 0x56, F11: 0x57, F12: 0x58,
      NumpadEnter: 0x9C, ControlRight: 0x9D, NumpadDivide: 0xB5, PrintScreen: 0xB7, AltRight: 0xB8,
      Pause: 0xC5, Home: 0xC7, ArrowUp: 0xC8, PageUp: 0xC9, ArrowLeft: 0xCB, ArrowRight: 0xCD,
      End: 0xCF, ArrowDown: 0xD0, PageDown: 0xD1, Insert: 0xD2, Delete: 0xD3, MetaLeft: 0xDB,
      MetaRight: 0xDC, ContextMenu: 0xDD
    },
    hook: function(name, arg) {
      var page = Module['rallexPage'];
      if (page && typeof page[name] === 'function') page[name](arg);
    },
    listen: function(list, target, type, listener, options) {
      target.addEventListener(type, listener, options);
      list.push([target, type, listener, options]);
    },
    unlisten: function(list) {
      while (list.length) {
        var l = list.pop();
        l[0].removeEventListener(l[1], l[2], l[3]);
      }
    },
    // Queues an event by its name in RWP.events, with its fields by name.
    push: function(name, fields) {
      var e = new Array(RWP.eventInts).fill(0);
      e[0] = RWP.events[name];
      for (var k in fields) e[RWP.fields[k]] = fields[k];
      RW.events.push(e);
      if (RW.wake) { var w = RW.wake; RW.wake = null; w(1); }
    },
    // The area the picture is placed in (the canvas's parent, the page's
    // stage) in device pixels.
    area: function() {
      var c = Module['canvas'], box = c.parentElement || document.body;
      var ratio = window.devicePixelRatio || 1;
      return {ratio: ratio, box: box, w: Math.floor(box.clientWidth * ratio), h: Math.floor(box.clientHeight * ratio)};
    },
    // The pointer's place in the picture's pixels, as the presentation maps a
    // point of the area to the picture (a point beside it: the nearest edge).
    place: function(clientX, clientY) {
      var c = Module['canvas'], s = RW.shown;
      if (!s || !RW.scratch) return [0, 0];
      var r = s.box.getBoundingClientRect();
      _rallex_web_to_picture(s.x, s.y, s.w, s.h, c.width, c.height,
                             Math.floor((clientX - r.left - s.box.clientLeft) * s.ratio),
                             Math.floor((clientY - r.top - s.box.clientTop) * s.ratio), RW.scratch);
      return [HEAP32[RW.scratch >> 2], HEAP32[(RW.scratch >> 2) + 1]];
    },
    motion: function(x, y) {
      if (RW.lastX !== null) {
        var dx = x - RW.lastX, dy = y - RW.lastY;
        if (dx || dy) RW.push('MouseMotion', {x: x, y: y, dx: dx, dy: dy});
      }
      RW.lastX = x; RW.lastY = y;
    },
    gesture: function() {
      RW.gestured = true;
      RWAudio.wake();
      RW.hook('gesture');
    },
    lock: function() {
      var c = Module['canvas'];
      if (!RW.relativeWanted || RW.locked || !c.requestPointerLock || document.hidden) return;
      try {
        var p = c.requestPointerLock();
        if (p && p.catch) p.catch(function() { RW.hook('pointerLockRefused'); });
      } catch (e) { RW.hook('pointerLockRefused'); }
    },
    // Places the picture in its area as the presentation says for the
    // chosen scaling, counting device pixels, so that whole multiples are
    // whole on a dense screen too. The canvas is absolutely placed in the area.
    fit: function() {
      var c = Module['canvas'];
      if (!c.width || !c.height || !RW.scratch) return;
      var a = RW.area(), scaling = RWP.scalings.indexOf(RW.display.scaling);
      _rallex_web_picture_rect(scaling < 0 ? 0 : scaling, c.width, c.height, a.w, a.h, RW.scratch);
      var i = RW.scratch >> 2;
      var s = {x: HEAP32[i], y: HEAP32[i + 1], w: HEAP32[i + 2], h: HEAP32[i + 3], ratio: a.ratio, box: a.box};
      RW.shown = s;
      c.style.position = 'absolute';
      c.style.left = s.x / s.ratio + 'px';
      c.style.top = s.y / s.ratio + 'px';
      c.style.width = s.w / s.ratio + 'px';
      c.style.height = s.h / s.ratio + 'px';
      c.style.imageRendering = RW.display.filter === 'linear' ? 'auto' : 'pixelated';
      RW.hook('fitted', {x: s.x, y: s.y, w: s.w, h: s.h, ratio: s.ratio});
    },
    setDisplay: function(display) {
      if (display && RWP.scalings.indexOf(display.scaling) >= 0) RW.display.scaling = display.scaling;
      if (display && (display.filter === 'nearest' || display.filter === 'linear')) RW.display.filter = display.filter;
      RW.fit();
    },
    // The program has ended: its input goes, the pointer is given back; the
    // picture stays fitted until the page lets the program go (stop).
    ended: function() {
      RW.unlisten(RW.inputListeners);
      if (document.pointerLockElement === Module['canvas']) document.exitPointerLock();
    },
    stop: function() {
      RW.ended();
      RW.unlisten(RW.fitListeners);
      if (RW.resizeObserver) RW.resizeObserver.disconnect();
      RW.resizeObserver = null;
    },
    // A turn for the browser that is not held back as nested timeouts are.
    turn: function(f) {
      if (!RW.channel) {
        RW.channel = new MessageChannel();
        RW.turns = [];
        RW.channel.port1.onmessage = function() { var t = RW.turns.shift(); if (t) t(); };
      }
      RW.turns.push(f);
      RW.channel.port2.postMessage(0);
    }
  },

  rallex_web_init__deps: ['$RW', '$RWAudio', 'malloc'],
  rallex_web_init: function() {
    if (RW.scratch) return;  // once per program: its listeners are attached once
    RW.t0 = performance.now();
    RW.scratch = _malloc(16);
    var c = Module['canvas'];
    RW.ctx = c.getContext('2d', {alpha: false});
    // A page that has had a click or key already (a game started again)
    // keeps its sound on.
    RW.gestured = !!Module['rallexGestured'];
    RW.setDisplay(Module['rallexDisplay']);
    Module['rallexSetDisplay'] = RW.setDisplay;
    Module['rallexStop'] = RW.stop;
    var fitOn = function(target, type) { RW.listen(RW.fitListeners, target, type, RW.fit); };
    var on = function(target, type, listener, options) { RW.listen(RW.inputListeners, target, type, listener, options); };
    // The area changes size with the window, a rotation, full screen and the
    // bar below it; the device pixels change with the zoom.
    fitOn(window, 'resize');
    fitOn(document, 'fullscreenchange');
    if (typeof ResizeObserver === 'function' && c.parentElement) {
      RW.resizeObserver = new ResizeObserver(function() { RW.fit(); });
      RW.resizeObserver.observe(c.parentElement);
    }
    var button = function(e) { return e.button === 0 ? 0 : e.button === 2 ? 1 : e.button === 1 ? 2 : 3; };
    on(c, 'mousedown', function(e) {
      RW.gesture();
      RW.lock();
      RW.push('MouseButton', {button: button(e), pressed: 1});
    });
    on(window, 'mouseup', function(e) { RW.push('MouseButton', {button: button(e), pressed: 0}); });
    on(c, 'contextmenu', function(e) { e.preventDefault(); });
    on(document, 'mousemove', function(e) {
      if (RW.locked) {
        if (e.movementX || e.movementY) RW.push('MouseMotion', {dx: e.movementX, dy: e.movementY});
        return;
      }
      // Without pointer lock (refused, or not asked for): motion follows the
      // pointer's place over the picture.
      var p = RW.place(e.clientX, e.clientY);
      RW.motion(p[0], p[1]);
    });
    on(c, 'wheel', function(e) {
      e.preventDefault();
      RW.push('MouseWheel', {dy: e.deltaY < 0 ? 1 : -1});
    }, {passive: false});
    on(document, 'pointerlockchange', function() {
      var was = RW.locked;
      RW.locked = document.pointerLockElement === Module['canvas'];
      RW.lastX = null;
      if (was && !RW.locked) RW.lockEndedAt = performance.now();
      RW.hook('pointerLock', RW.locked);
    });
    on(document, 'pointerlockerror', function() { RW.hook('pointerLockRefused'); });
    // Touch: the paddle follows the finger.
    var touchAt = function(e) { var t = e.changedTouches[0]; return RW.place(t.clientX, t.clientY); };
    on(c, 'touchstart', function(e) {
      e.preventDefault();
      RW.gesture();
      var p = touchAt(e);
      RW.touch = p;
      RW.lastX = p[0]; RW.lastY = p[1];
    }, {passive: false});
    on(c, 'touchmove', function(e) {
      e.preventDefault();
      var p = touchAt(e);
      RW.motion(p[0], p[1]);
    }, {passive: false});
    on(c, 'touchend', function(e) { e.preventDefault(); RW.touch = null; RW.lastX = null; }, {passive: false});
    var key = function(e, down) {
      if (RW.dialogOpen) return;
      var code = RW.keys[e.code];
      if (code === undefined) return;
      if (down) RW.gesture();
      if (code === 0x01) {
        // Escape gives the pointer back first, as browsers want; only a
        // further Escape reaches the program.
        if (RW.locked) {
          e.preventDefault();
          document.exitPointerLock();
          return;
        }
        if (performance.now() - RW.lockEndedAt < 250) return;
      }
      if (!e.ctrlKey && !e.metaKey && code !== 0x57 && code !== 0x58) e.preventDefault();
      RW.push(down ? 'KeyDown' : 'KeyUp', {scan: code, repeat: down && e.repeat ? 1 : 0});
    };
    on(window, 'keydown', function(e) { key(e, true); });
    on(window, 'keyup', function(e) { key(e, false); });
    // A hidden page is a program without the focus: the game pauses.
    on(document, 'visibilitychange', function() {
      RW.push(document.hidden ? 'FocusLost' : 'FocusGained', {});
      RW.hook('visibility', !document.hidden);
    });
  },

  // The program returned from its main: its input goes, and the page is told
  // (Module.onExit) with the status.
  rallex_web_ended__deps: ['$RW'],
  rallex_web_ended: function(status) {
    RW.ended();
    if (Module['onExit']) Module['onExit'](status);
  },

  rallex_web_now__deps: ['$RW'],
  rallex_web_now: function() { return performance.now() - RW.t0; },

  // Sleeps until the clock reaches now + ms. Short waits (a frame's) end on an
  // animation frame of the browser, which paces the picture with the screen;
  // long ones, and those of a hidden page, on a timer. A browser may stop
  // animation frames altogether (an occluded window, a headless one with
  // nothing new to draw), so a timer a little past the deadline ends the wait
  // in any case.
  rallex_web_sleep__deps: ['$RW'],
  rallex_web_sleep__async: true,
  rallex_web_sleep: function(ms) {
    Asyncify.handleSleep(function(wakeUp) {
      var done = false, backup = null;
      var wake = function() {
        if (done) return;
        done = true;
        if (backup !== null) clearTimeout(backup);
        wakeUp();
      };
      var deadline = performance.now() + ms;
      if (ms >= 500) RW.hook('pause', ms);
      if (ms >= 40 || document.hidden || typeof requestAnimationFrame !== 'function') {
        setTimeout(wake, ms);
        return;
      }
      backup = setTimeout(wake, ms + 20);
      var frame = function() {
        if (done) return;
        var left = deadline - performance.now();
        if (left <= 0) { wake(); return; }
        // Less than a quarter frame left: a timer is closer than the next frame.
        if (left < 4 || document.hidden) { setTimeout(wake, left); return; }
        requestAnimationFrame(frame);
      };
      requestAnimationFrame(frame);
    });
  },

  rallex_web_wait_event__deps: ['$RW'],
  rallex_web_wait_event__async: true,
  rallex_web_wait_event: function(ms) {
    return Asyncify.handleSleep(function(wakeUp) {
      if (RW.events.length) { wakeUp(1); return; }
      var timer = setTimeout(function() { RW.wake = null; wakeUp(0); }, ms);
      RW.wake = function(v) { clearTimeout(timer); wakeUp(v); };
    });
  },

  rallex_web_yield__deps: ['$RW'],
  rallex_web_yield__async: true,
  rallex_web_yield: function() {
    Asyncify.handleSleep(function(wakeUp) { RW.turn(wakeUp); });
  },

  rallex_web_next_event__deps: ['$RW'],
  rallex_web_next_event: function(out) {
    var e = RW.events.shift();
    if (!e) return 0;
    for (var i = 0; i < RWP.eventInts; i++) HEAP32[(out >> 2) + i] = e[i];
    return 1;
  },

  rallex_web_message_box__deps: ['$RW'],
  rallex_web_message_box__async: true,
  rallex_web_message_box: function(text, caption, yesNo) {
    text = UTF8ToString(text);
    caption = UTF8ToString(caption);
    return Asyncify.handleSleep(function(wakeUp) {
      var IDOK = 1, IDYES = 6, IDNO = 7;
      var d = document.createElement('dialog');
      d.className = 'rallex-message';
      var h = document.createElement('h2'); h.textContent = caption; d.appendChild(h);
      var p = document.createElement('p'); p.textContent = text; d.appendChild(p);
      var row = document.createElement('div'); d.appendChild(row);
      var answer = function(v) {
        d.close();
        d.remove();
        RW.dialogOpen = false;
        RW.hook('messageBoxClosed', v);
        wakeUp(v);
      };
      var button = function(label, v) {
        var b = document.createElement('button');
        b.textContent = label;
        b.addEventListener('click', function() { answer(v); });
        row.appendChild(b);
        return b;
      };
      var first = yesNo ? button('Yes', IDYES) : button('OK', IDOK);
      if (yesNo) button('No', IDNO);
      d.addEventListener('keydown', function(e) {
        if (yesNo && e.key.toLowerCase() === 'y') { e.preventDefault(); answer(IDYES); }
        else if (yesNo && e.key.toLowerCase() === 'n') { e.preventDefault(); answer(IDNO); }
      });
      // Escape answers a box that has only OK; a Yes/No box wants an answer.
      d.addEventListener('cancel', function(e) { e.preventDefault(); if (!yesNo) answer(IDOK); });
      if (document.pointerLockElement) document.exitPointerLock();
      RW.dialogOpen = true;
      document.body.appendChild(d);
      d.showModal();
      first.focus();
      RW.hook('messageBox', {text: text, caption: caption, yesNo: !!yesNo});
    });
  },

  rallex_web_set_title: function(title) { document.title = UTF8ToString(title); },

  rallex_web_set_icon: function(argb, width, height) {
    var c = document.createElement('canvas');
    c.width = width; c.height = height;
    var g = c.getContext('2d'), img = g.createImageData(width, height);
    for (var i = 0; i < width * height; i++) {
      var v = HEAPU32[(argb >> 2) + i];
      img.data[i * 4] = (v >>> 16) & 255; img.data[i * 4 + 1] = (v >>> 8) & 255;
      img.data[i * 4 + 2] = v & 255; img.data[i * 4 + 3] = (v >>> 24) & 255;
    }
    g.putImageData(img, 0, 0);
    var link = document.querySelector('link[rel="icon"]') || document.createElement('link');
    link.rel = 'icon';
    link.href = c.toDataURL();
    document.head.appendChild(link);
  },

  rallex_web_present__deps: ['$RW'],
  rallex_web_present: function(rgba, width, height) {
    var c = Module['canvas'];
    if (c.width !== width || c.height !== height) {
      c.width = width; c.height = height;
      RW.fit();
    }
    // The image is a view of the program's memory, so nothing is copied on
    // the way; it is made again when the picture moves, changes size or the
    // memory grows (which replaces the buffer the view was of).
    var img = RW.image;
    if (!img || RW.imageAt !== rgba || img.width !== width || img.height !== height ||
        img.data.buffer !== HEAPU8.buffer) {
      RW.image = img = new ImageData(new Uint8ClampedArray(HEAPU8.buffer, rgba, width * height * 4), width, height);
      RW.imageAt = rgba;
    }
    RW.ctx.putImageData(img, 0, 0);
    RW.frames++;
    RW.hook('frame', RW.frames);
  },

  rallex_web_relative_mouse__deps: ['$RW'],
  rallex_web_relative_mouse: function(on) {
    RW.relativeWanted = !!on;
    RW.lastX = null;
    if (!on && RW.locked && document.exitPointerLock) document.exitPointerLock();
  },

  rallex_web_cursor_visible: function(on) { Module['canvas'].style.cursor = on ? 'default' : 'none'; },

  rallex_web_has_focus: function() { return document.hidden ? 0 : 1; },

  rallex_web_desktop_size: function(w, h) {
    HEAP32[w >> 2] = (window.screen && screen.width) || window.innerWidth;
    HEAP32[h >> 2] = (window.screen && screen.height) || window.innerHeight;
  },

  // Web Audio plays the platform's mixer. Sound is muted until the first click
  // or key (it never starts on its own when the page opens), so the audio
  // context is made then, inside the gesture, which lets it start at once;
  // until then a timer pulls and drops what the mixer plays, so that the
  // sounds' positions keep time. Where the page may run an audio worklet (a
  // secure context: https or localhost), the page pulls the mixer and posts
  // its blocks to the worklet, keeping a little ahead of what the worklet has
  // played; elsewhere a script processor pulls it on its own.
  $RWAudio: {
    block: 1024,  // frames pulled from the mixer at a time
    lead: 2048,   // frames the worklet is kept ahead by (46 ms at 44.1 kHz)
    // The worklet's side: plays the posted blocks in order and tells how many
    // frames it has played. A block that comes late is made up for by dropping
    // as much of what follows, so the sound stays where the game put it.
    worklet: [
      'class RallexFeed extends AudioWorkletProcessor {',
      '  constructor() {',
      '    super();',
      '    this.blocks = []; this.at = 0; this.late = 0; this.played = 0; this.told = 0;',
      '    this.port.onmessage = (e) => { this.blocks.push(e.data); };',
      '  }',
      '  process(inputs, outputs) {',
      '    const l = outputs[0][0], r = outputs[0][1] || l, n = l.length;',
      '    let i = 0;',
      '    while (this.blocks.length && (i < n || this.late > 0)) {',
      '      const b = this.blocks[0], frames = b.length / 2;',
      '      if (this.late > 0) {',
      '        const skip = Math.min(this.late, frames - this.at);',
      '        this.at += skip; this.late -= skip;',
      '      }',
      '      for (; i < n && this.at < frames; i++, this.at++) { l[i] = b[2 * this.at]; r[i] = b[2 * this.at + 1]; }',
      '      if (this.at >= frames) { this.blocks.shift(); this.at = 0; }',
      '    }',
      '    if (i < n) { l.fill(0, i); r.fill(0, i); this.late += n - i; }',
      '    this.played += n;',
      '    if (this.played - this.told >= 256) { this.told = this.played; this.port.postMessage(this.played); }',
      '    return true;',
      '  }',
      '}',
      "registerProcessor('rallex-feed', RallexFeed);"
    ].join('\n'),
    // Pulls a block of n frames from the mixer into two float channels and
    // shows it to the page.
    pull: function(a, left, right, time) {
      var n = left.length;
      {{{ makeDynCall('vii', 'a.pull') }}}(a.buffer, n);
      var s = HEAP16.subarray(a.buffer >> 1, (a.buffer >> 1) + n * 2);
      var k = 1 / 32768;
      for (var i = 0; i < n; i++) { left[i] = s[2 * i] * k; right[i] = s[2 * i + 1] * k; }
      RW.hook('audio', {left: left, right: right, rate: a.rate, time: time});
    },
    // Whether the mixer is being played; if not, the timer keeps its time.
    playing: function(a) { return a.ctx !== null && a.ctx.state === 'running' && a.node !== null; },
    // Keeps the worklet RWAudio.lead frames ahead of what it has played.
    topUp: function(a) {
      if (!a.port || a.ctx.state !== 'running') return;
      while (a.written - a.played < RWAudio.lead) {
        var l = new Float32Array(RWAudio.block), r = new Float32Array(RWAudio.block);
        RWAudio.pull(a, l, r, a.ctx.currentTime + (a.written - a.played) / a.ctx.sampleRate);
        var both = new Float32Array(2 * RWAudio.block);
        for (var i = 0; i < RWAudio.block; i++) { both[2 * i] = l[i]; both[2 * i + 1] = r[i]; }
        a.port.postMessage(both, [both.buffer]);
        a.written += RWAudio.block;
      }
    },
    startWorklet: function(a) {
      var url = URL.createObjectURL(new Blob([RWAudio.worklet], {type: 'text/javascript'}));
      return a.ctx.audioWorklet.addModule(url).then(function() {
        URL.revokeObjectURL(url);
        if (RW.audio !== a) return;
        var node = new AudioWorkletNode(a.ctx, 'rallex-feed', {numberOfInputs: 0, outputChannelCount: [2]});
        a.port = node.port;
        a.port.onmessage = function(e) { a.played = e.data; RWAudio.topUp(a); };
        node.connect(a.ctx.destination);
        a.node = node;
        RWAudio.topUp(a);
      });
    },
    // The first gesture: the audio context, at the mixer's rate, and its node.
    wake: function() {
      var a = RW.audio;
      if (!a) return;
      if (a.ctx) {
        if (a.ctx.state !== 'running') a.ctx.resume();
        return;
      }
      var AC = window.AudioContext || window.webkitAudioContext;
      try { a.ctx = new AC({sampleRate: a.rate, latencyHint: 'interactive'}); } catch (e) { return; }
      if (a.ctx.sampleRate !== a.rate) {
        // A browser that will not play at the mixer's rate stays silent.
        a.ctx.close();
        return;
      }
      if (window.isSecureContext && a.ctx.audioWorklet && typeof AudioWorkletNode === 'function') {
        RWAudio.startWorklet(a).catch(function() { if (RW.audio === a && !a.node) RWAudio.startScriptProcessor(a); });
        a.ctx.addEventListener('statechange', function() { RWAudio.topUp(a); });
      } else {
        RWAudio.startScriptProcessor(a);
      }
    },
    startScriptProcessor: function(a) {
      var node = a.ctx.createScriptProcessor(RWAudio.block, 0, 2);
      node.onaudioprocess = function(ev) {
        RWAudio.pull(a, ev.outputBuffer.getChannelData(0), ev.outputBuffer.getChannelData(1), ev.playbackTime);
      };
      node.connect(a.ctx.destination);
      a.node = node;
    }
  },

  rallex_web_open_audio__deps: ['$RW', '$RWAudio', 'malloc'],
  rallex_web_open_audio: function(rate, frames, pull) {
    if (!(window.AudioContext || window.webkitAudioContext) || RW.audio) return 0;
    var size = RWAudio.block;
    var a = {rate: rate, ctx: null, pull: pull, buffer: _malloc(size * 4), node: null, port: null, written: 0,
             played: 0, mutedAt: performance.now(), pumped: 0};
    RW.audio = a;
    if (RW.gestured) RWAudio.wake();
    a.pump = setInterval(function() {
      var now = performance.now();
      if (RWAudio.playing(a)) { a.mutedAt = now; a.pumped = 0; return; }
      var due = Math.floor((now - a.mutedAt) * rate / 1000) - a.pumped;
      while (due >= size) {
        {{{ makeDynCall('vii', 'a.pull') }}}(a.buffer, size);
        a.pumped += size;
        due -= size;
      }
    }, 20);
    return rate;
  },

  rallex_web_close_audio__deps: ['$RW', 'free'],
  rallex_web_close_audio: function() {
    var a = RW.audio;
    if (!a) return;
    RW.audio = null;
    clearInterval(a.pump);
    if (a.node) {
      a.node.onaudioprocess = null;
      if (a.port) a.port.onmessage = null;
      a.node.disconnect();
    }
    if (a.ctx) a.ctx.close();
    _free(a.buffer);
  }
});
