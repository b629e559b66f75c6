// SPDX-License-Identifier: MIT
// FluidSynth's C calls of fluidsynth_web.h, forwarded to FluidSynth's own
// WebAssembly build through js-synthesizer. Its two scripts are served with
// the page under synth/ and loaded when the first sound font is, so that a
// program without music never loads them.
mergeInto(LibraryManager.library, {
  $RS: {
    next: 1,
    objects: {},
    scripts: null,  // the promise of the two scripts, once asked for
    add: function(o) { var id = RS.next++; RS.objects[id] = o; return id; },
    load: function() {
      if (RS.scripts) return RS.scripts;
      var one = function(src) {
        return new Promise(function(resolve, reject) {
          var s = document.createElement('script');
          s.src = src;
          s.onload = resolve;
          s.onerror = function() { reject(new Error('could not load ' + src)); };
          document.head.appendChild(s);
        });
      };
      RS.scripts = one('synth/libfluidsynth.js').then(function() { return one('synth/js-synthesizer.min.js'); })
                       .then(function() { return JSSynth.waitForReady(); });
      return RS.scripts;
    },
    // A setting kept until the synthesizer is made from it.
    set: function(id, name, value) {
      var o = RS.objects[id];
      if (!o) return -1;
      o.values[UTF8ToString(name)] = value;
      return 0;
    },
    // The running synthesizer of a handle, or null before its font loaded.
    synth: function(id) { var o = RS.objects[id]; return o && o.synth; }
  },

  fluid_set_log_function: function() { return 0; },

  new_fluid_settings__deps: ['$RS'],
  new_fluid_settings: function() { return RS.add({values: {}}); },
  delete_fluid_settings__deps: ['$RS'],
  delete_fluid_settings: function(id) { delete RS.objects[id]; },
  fluid_settings_setnum__deps: ['$RS'],
  fluid_settings_setnum: function(id, name, value) { return RS.set(id, name, value); },
  fluid_settings_setint__deps: ['$RS'],
  fluid_settings_setint: function(id, name, value) { return RS.set(id, name, value); },

  new_fluid_synth__deps: ['$RS'],
  new_fluid_synth: function(settings) {
    var o = RS.objects[settings];
    return o ? RS.add({values: o.values, synth: null, scratch: null}) : 0;
  },
  delete_fluid_synth__deps: ['$RS'],
  delete_fluid_synth: function(id) {
    var o = RS.objects[id];
    if (o && o.synth) o.synth.close();
    delete RS.objects[id];
  },

  fluid_synth_sfload__deps: ['$RS'],
  fluid_synth_sfload__async: true,
  fluid_synth_sfload: function(id, path) {
    var file = UTF8ToString(path);
    return Asyncify.handleAsync(function() {
      var o = RS.objects[id];
      if (!o) return Promise.resolve(-1);
      var bytes;
      try { bytes = FS.readFile(file); } catch (e) { return Promise.resolve(-1); }
      return RS.load().then(function() {
        var synth = new JSSynth.Synthesizer();
        var gain = o.values['synth.gain'];
        synth.init(o.values['synth.sample-rate'] || 44100, gain === undefined ? {} : {initialGain: gain});
        var copy = bytes.buffer.slice(bytes.byteOffset, bytes.byteOffset + bytes.byteLength);
        return synth.loadSFont(copy).then(function(font) {
          if (o.synth) o.synth.close();
          o.synth = synth;
          return font;
        }, function() { synth.close(); return -1; });
      }, function() { return -1; });
    });
  },

  fluid_synth_system_reset__deps: ['$RS'],
  fluid_synth_system_reset: function(id) { var s = RS.synth(id); if (s) s.midiSystemReset(); return 0; },
  fluid_synth_noteon__deps: ['$RS'],
  fluid_synth_noteon: function(id, ch, key, vel) { var s = RS.synth(id); if (s) s.midiNoteOn(ch, key, vel); return 0; },
  fluid_synth_noteoff__deps: ['$RS'],
  fluid_synth_noteoff: function(id, ch, key) { var s = RS.synth(id); if (s) s.midiNoteOff(ch, key); return 0; },
  fluid_synth_key_pressure__deps: ['$RS'],
  fluid_synth_key_pressure: function(id, ch, key, v) { var s = RS.synth(id); if (s) s.midiKeyPressure(ch, key, v); return 0; },
  fluid_synth_cc__deps: ['$RS'],
  fluid_synth_cc: function(id, ch, c, v) { var s = RS.synth(id); if (s) s.midiControl(ch, c, v); return 0; },
  fluid_synth_program_change__deps: ['$RS'],
  fluid_synth_program_change: function(id, ch, p) { var s = RS.synth(id); if (s) s.midiProgramChange(ch, p); return 0; },
  fluid_synth_channel_pressure__deps: ['$RS'],
  fluid_synth_channel_pressure: function(id, ch, v) { var s = RS.synth(id); if (s) s.midiChannelPressure(ch, v); return 0; },
  fluid_synth_pitch_bend__deps: ['$RS'],
  fluid_synth_pitch_bend: function(id, ch, v) { var s = RS.synth(id); if (s) s.midiPitchBend(ch, v); return 0; },
  fluid_synth_sysex__deps: ['$RS'],
  fluid_synth_sysex: function(id, data, length) {
    var s = RS.synth(id);
    if (s) s.midiSysEx(HEAPU8.slice(data, data + length));
    return 0;
  },
  fluid_synth_all_notes_off__deps: ['$RS'],
  fluid_synth_all_notes_off: function(id, ch) {
    var s = RS.synth(id);
    if (s) { if (ch < 0) s.midiAllNotesOff(); else s.midiAllNotesOff(ch); }
    return 0;
  },
  // Renders into the two float channels at their offsets; the player calls it
  // with strides of 1.
  fluid_synth_write_float__deps: ['$RS'],
  fluid_synth_write_float: function(id, frames, left, loff, lincr, right, roff, rincr) {
    var o = RS.objects[id];
    if (!o || !o.synth || frames <= 0) return 0;
    if (!o.scratch || o.scratch[0].length < frames) o.scratch = [new Float32Array(frames), new Float32Array(frames)];
    var l = o.scratch[0].subarray(0, frames), r = o.scratch[1].subarray(0, frames);
    o.synth.render([l, r]);
    var lp = (left >> 2) + loff, rp = (right >> 2) + roff;
    for (var i = 0; i < frames; i++) { HEAPF32[lp + i * lincr] = l[i]; HEAPF32[rp + i * rincr] = r[i]; }
    return 0;
  },
  fluid_synth_get_active_voice_count__deps: ['$RS'],
  fluid_synth_get_active_voice_count: function(id) {
    var s = RS.synth(id);
    return s && s.isPlaying() ? 1 : 0;
  }
});
