// SPDX-License-Identifier: MIT
// The media control interface's command strings, for MIDI files on the
// sequencer. Devices are kept by alias; the one that plays drives the
// synthesiser. Completion notices are posted from the program's thread: each
// time it looks for messages (and at each command) the playing device is asked
// whether it reached its end.
#include <strings.h>
#include <sys/stat.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/mmsystem.h"
#include "platform/winbase.h"
#include "platform/winuser.h"
#include "user/user_internal.h"
#include "winmm/synth.h"

namespace platform::winmm {
namespace {

// MIDI files larger than this are not taken for MIDI files.
constexpr long long kLargestFile = 16 << 20;

enum class Mode { Stopped, Playing, Paused };

struct Device {
  MCIDEVICEID id = 0;
  std::string alias;
  midi::Song song;
  Mode mode = Mode::Stopped;
  uint64_t position = 0;  // microseconds, while not playing
  HWND notifyWindow = nullptr;
  bool notifyPending = false;
};

struct State {
  std::vector<std::unique_ptr<Device>> devices;
  MCIDEVICEID nextId = 1;
  Device* playing = nullptr;  // the device the synthesiser plays for
  bool hooked = false;
};

State& S() {
  static State state;
  return state;
}

bool Same(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

Device* Find(const std::string& name) {
  for (auto& d : S().devices)
    if (strcasecmp(d->alias.c_str(), name.c_str()) == 0) return d.get();
  return nullptr;
}

void Notify(Device& d, HWND window, WPARAM flag) {
  if (window) PostMessageA(window, MM_MCINOTIFY, flag, static_cast<LPARAM>(d.id));
}

// Ends the device's pending notice with flag.
void EndNotice(Device& d, WPARAM flag) {
  if (!d.notifyPending) return;
  d.notifyPending = false;
  Notify(d, d.notifyWindow, flag);
  d.notifyWindow = nullptr;
}

// Takes the synthesiser away from the device, keeping its position.
void Halt(Device& d, Mode mode) {
  if (S().playing == &d) {
    d.position = midi::Synth::Get().Halt();
    S().playing = nullptr;
  }
  d.mode = mode;
}

// A play that reached its end: the device stops there and a waiting notice is
// answered.
void CheckEnd() {
  State& s = S();
  if (!s.playing) return;
  auto& synth = midi::Synth::Get();
  if (!synth.Ended()) return;
  Device& d = *s.playing;
  d.position = synth.Position();
  s.playing = nullptr;
  d.mode = Mode::Stopped;
  EndNotice(d, MCI_NOTIFY_SUCCESSFUL);
}

void Hook(void*) { CheckEnd(); }

void Close(Device& d) {
  Halt(d, Mode::Stopped);
  EndNotice(d, MCI_NOTIFY_ABORTED);
  midi::Synth::Get().Close();
  auto& list = S().devices;
  for (auto it = list.begin(); it != list.end(); ++it)
    if (it->get() == &d) {
      list.erase(it);
      break;
    }
}

// ---------------------------------------------------------------------------
// Parsing

struct Words {
  std::vector<std::string> list;
  size_t at = 0;
  bool Done() const { return at >= list.size(); }
  const std::string& Peek() const { return list[at]; }
  std::string Take() { return list[at++]; }
};

MCIERROR Split(const char* text, Words& words) {
  const char* p = text;
  while (*p) {
    while (*p == ' ' || *p == '\t') ++p;
    if (!*p) break;
    std::string word;
    if (*p == '"') {
      const char* close = strchr(p + 1, '"');
      if (!close) return MCIERR_NO_CLOSING_QUOTE;
      word.assign(p + 1, close);
      p = close + 1;
      if (*p && *p != ' ' && *p != '\t') return MCIERR_EXTRA_CHARACTERS;
    } else {
      const char* start = p;
      while (*p && *p != ' ' && *p != '\t') ++p;
      word.assign(start, p);
    }
    words.list.push_back(word);
  }
  return 0;
}

// A time in milliseconds.
MCIERROR Number(Words& w, uint64_t& ms) {
  if (w.Done()) return MCIERR_MISSING_PARAMETER;
  std::string text = w.Take();
  if (text.empty() || text.size() > 9) return MCIERR_BAD_INTEGER;
  ms = 0;
  for (char c : text) {
    if (!isdigit(static_cast<unsigned char>(c))) return MCIERR_BAD_INTEGER;
    ms = ms * 10 + static_cast<uint64_t>(c - '0');
  }
  return 0;
}

MCIERROR Answer(const std::string& text, LPSTR out, UINT length) {
  if (!out) return 0;
  if (text.size() + 1 > length) return length ? (out[0] = 0, MCIERR_PARAM_OVERFLOW) : MCIERR_PARAM_OVERFLOW;
  memcpy(out, text.c_str(), text.size() + 1);
  return 0;
}

bool HasMidiExtension(const std::string& file) {
  size_t dot = file.find_last_of('.');
  size_t slash = file.find_last_of("/\\");
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return false;
  std::string ext = file.substr(dot + 1);
  return Same(ext, "mid") || Same(ext, "midi") || Same(ext, "rmi") || Same(ext, "kar");
}

MCIERROR ReadFile(const std::string& name, std::vector<uint8_t>& bytes) {
  struct stat info;
  if (stat(name.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return MCIERR_FILE_NOT_FOUND;
  if (info.st_size > kLargestFile) return MCIERR_INVALID_FILE;
  FILE* f = fopen(name.c_str(), "rb");
  if (!f) return MCIERR_FILE_NOT_FOUND;
  bytes.resize(static_cast<size_t>(info.st_size));
  size_t got = bytes.empty() ? 0 : fread(bytes.data(), 1, bytes.size(), f);
  fclose(f);
  if (got != bytes.size()) return MCIERR_FILE_READ;
  return 0;
}

// ---------------------------------------------------------------------------
// Commands

struct Flags {
  bool notify = false;
  bool wait = false;
};

MCIERROR Open(Words& w, const Flags& flags, LPSTR out, UINT length, HWND callback) {
  if (w.Done()) return MCIERR_MISSING_DEVICE_NAME;
  std::string element = w.Take();
  std::string type, alias;
  // "type!element" names both at once.
  if (size_t bang = element.find('!'); bang != std::string::npos) {
    type = element.substr(0, bang);
    element = element.substr(bang + 1);
  }
  while (!w.Done()) {
    std::string word = w.Take();
    if (Same(word, "type") || Same(word, "alias")) {
      std::string& slot = Same(word, "type") ? type : alias;
      if (!slot.empty()) return MCIERR_DUPLICATE_FLAGS;
      if (w.Done()) return MCIERR_MISSING_STRING_ARGUMENT;
      slot = w.Take();
    } else if (Same(word, "shareable")) {
      continue;
    } else {
      return MCIERR_UNRECOGNIZED_KEYWORD;
    }
  }
  if (element.empty()) return MCIERR_MISSING_DEVICE_NAME;
  if (type.empty()) {
    if (!HasMidiExtension(element)) return MCIERR_EXTENSION_NOT_FOUND;
  } else if (!Same(type, "sequencer")) {
    return MCIERR_INVALID_DEVICE_NAME;
  }
  std::string name = alias.empty() ? element : alias;
  if (Same(name, "all")) return MCIERR_CANNOT_USE_ALL;
  if (Find(name)) return alias.empty() ? MCIERR_DEVICE_OPEN : MCIERR_DUPLICATE_ALIAS;

  // The answer (the device number) must fit before anything is opened.
  if (out && std::to_string(S().nextId).size() + 1 > length) return MCIERR_PARAM_OVERFLOW;
  auto device = std::make_unique<Device>();
  std::vector<uint8_t> bytes;
  if (MCIERROR e = ReadFile(element, bytes)) return e;
  if (!midi::ParseSong(bytes.data(), bytes.size(), device->song)) return MCIERR_INVALID_FILE;
  switch (midi::Synth::Get().Open()) {
    case midi::Synth::OpenResult::Ok:
      break;
    case midi::Synth::OpenResult::NoSynthesizer:
    case midi::Synth::OpenResult::NoSoundFont:
      return MCIERR_SEQ_NOMIDIPRESENT;
    case midi::Synth::OpenResult::NoOutput:
      return MCIERR_HARDWARE;
  }
  State& s = S();
  if (!s.hooked) {
    user::AddPumpHook(&Hook, nullptr);
    s.hooked = true;
  }
  device->id = s.nextId++;
  device->alias = name;
  Device& d = *device;
  s.devices.push_back(std::move(device));
  if (MCIERROR e = Answer(std::to_string(d.id), out, length)) return e;
  if (flags.notify) Notify(d, callback, MCI_NOTIFY_SUCCESSFUL);
  return 0;
}

MCIERROR Play(Device& d, Words& w, const Flags& flags, HWND callback) {
  bool hasFrom = false, hasTo = false;
  uint64_t fromMs = 0, toMs = 0;
  while (!w.Done()) {
    std::string word = w.Take();
    if (Same(word, "from") || Same(word, "to")) {
      bool isFrom = Same(word, "from");
      if (isFrom ? hasFrom : hasTo) return MCIERR_DUPLICATE_FLAGS;
      if (MCIERROR e = Number(w, isFrom ? fromMs : toMs)) return e;
      (isFrom ? hasFrom : hasTo) = true;
    } else {
      return MCIERR_UNRECOGNIZED_KEYWORD;
    }
  }
  const uint64_t length = d.song.lengthMicros;
  if ((hasFrom && fromMs * 1000 > length) || (hasTo && toMs * 1000 > length) ||
      (hasFrom && hasTo && fromMs > toMs))
    return MCIERR_OUTOFRANGE;
  State& s = S();
  if (s.playing && s.playing != &d) return MCIERR_SEQ_PORT_INUSE;

  // This play replaces whatever the device was doing.
  Halt(d, Mode::Stopped);
  EndNotice(d, MCI_NOTIFY_SUPERSEDED);
  uint64_t from = hasFrom ? fromMs * 1000 : d.position;
  uint64_t to = hasTo ? toMs * 1000 : length;
  if (from > to) from = to;
  if (flags.notify && callback) {
    d.notifyPending = true;
    d.notifyWindow = callback;
  }
  if (from >= to) {
    // Nothing left to play: done at once.
    d.position = from;
    EndNotice(d, MCI_NOTIFY_SUCCESSFUL);
    return 0;
  }
  midi::Synth::Get().Play(&d.song, from, to);
  s.playing = &d;
  d.mode = Mode::Playing;
  if (flags.wait) {
    while (s.playing == &d && !midi::Synth::Get().Ended()) Sleep(5);
    CheckEnd();
  }
  return 0;
}

MCIERROR Status(Device& d, Words& w, LPSTR out, UINT length) {
  if (w.Done()) return MCIERR_MISSING_PARAMETER;
  std::string item = w.Take();
  std::string answer;
  if (Same(item, "mode")) {
    answer = d.mode == Mode::Playing ? "playing" : d.mode == Mode::Paused ? "paused" : "stopped";
  } else if (Same(item, "length")) {
    answer = std::to_string(d.song.lengthMicros / 1000);
  } else if (Same(item, "position")) {
    uint64_t at = S().playing == &d ? midi::Synth::Get().Position() : d.position;
    answer = std::to_string(at / 1000);
  } else if (Same(item, "ready")) {
    answer = "true";
  } else if (Same(item, "time")) {
    if (w.Done() || !Same(w.Take(), "format")) return MCIERR_MISSING_PARAMETER;
    answer = "milliseconds";
  } else {
    return MCIERR_UNRECOGNIZED_KEYWORD;
  }
  if (!w.Done()) return MCIERR_UNRECOGNIZED_KEYWORD;
  return Answer(answer, out, length);
}

MCIERROR Seek(Device& d, Words& w) {
  if (w.Done() || !Same(w.Take(), "to")) return MCIERR_MISSING_PARAMETER;
  if (w.Done()) return MCIERR_MISSING_PARAMETER;
  uint64_t at = 0;
  if (Same(w.Peek(), "start")) {
    w.Take();
  } else if (Same(w.Peek(), "end")) {
    w.Take();
    at = d.song.lengthMicros;
  } else {
    uint64_t ms = 0;
    if (MCIERROR e = Number(w, ms)) return e;
    at = ms * 1000;
    if (at > d.song.lengthMicros) return MCIERR_OUTOFRANGE;
  }
  if (!w.Done()) return MCIERR_UNRECOGNIZED_KEYWORD;
  Halt(d, Mode::Stopped);
  EndNotice(d, MCI_NOTIFY_ABORTED);
  d.position = at;
  return 0;
}

MCIERROR Run(const char* command, LPSTR out, UINT length, HWND callback) {
  if (out && length) out[0] = 0;
  if (!command) return MCIERR_MISSING_COMMAND_STRING;
  Words w;
  if (MCIERROR e = Split(command, w)) return e;
  if (w.Done()) return MCIERR_MISSING_COMMAND_STRING;
  // "notify" and "wait" may stand anywhere after the command word.
  Flags flags;
  std::string verb = w.Take();
  std::vector<std::string> rest;
  for (size_t i = w.at; i < w.list.size(); ++i) {
    if (Same(w.list[i], "notify")) flags.notify = true;
    else if (Same(w.list[i], "wait")) flags.wait = true;
    else rest.push_back(w.list[i]);
  }
  Words args;
  args.list = std::move(rest);

  CheckEnd();
  if (Same(verb, "open")) return Open(args, flags, out, length, callback);

  static const char* const kKnown[] = {"play", "stop", "pause", "resume", "close", "status", "seek", "set"};
  bool known = false;
  for (const char* k : kKnown) known = known || Same(verb, k);
  if (!known) return MCIERR_UNRECOGNIZED_COMMAND;
  if (args.Done()) return MCIERR_MISSING_DEVICE_NAME;
  std::string name = args.Take();

  if (Same(name, "all")) {
    if (!Same(verb, "close") && !Same(verb, "stop")) return MCIERR_CANNOT_USE_ALL;
    if (!args.Done()) return MCIERR_UNRECOGNIZED_KEYWORD;
    State& s = S();
    if (Same(verb, "close")) {
      while (!s.devices.empty()) Close(*s.devices.front());
    } else {
      for (auto& d : s.devices) {
        Halt(*d, Mode::Stopped);
        EndNotice(*d, MCI_NOTIFY_ABORTED);
      }
    }
    return 0;
  }

  Device* d = Find(name);
  if (!d) return MCIERR_INVALID_DEVICE_NAME;

  // A notifying command takes the place of an earlier notice of its device.
  auto supersede = [&] {
    if (flags.notify) EndNotice(*d, MCI_NOTIFY_SUPERSEDED);
  };
  auto done = [&](MCIERROR e) {
    if (e == 0 && flags.notify) Notify(*d, callback, MCI_NOTIFY_SUCCESSFUL);
    return e;
  };

  if (Same(verb, "play")) return Play(*d, args, flags, callback);
  if (Same(verb, "resume")) {
    if (!args.Done()) return MCIERR_UNRECOGNIZED_KEYWORD;
    if (d->mode != Mode::Paused) return done(0);
    return Play(*d, args, flags, callback);
  }
  if (Same(verb, "stop") || Same(verb, "pause")) {
    if (!args.Done()) return MCIERR_UNRECOGNIZED_KEYWORD;
    bool pause = Same(verb, "pause");
    if (d->mode == Mode::Playing || !pause) Halt(*d, pause ? Mode::Paused : Mode::Stopped);
    EndNotice(*d, MCI_NOTIFY_ABORTED);
    return done(0);
  }
  if (Same(verb, "close")) {
    if (!args.Done()) return MCIERR_UNRECOGNIZED_KEYWORD;
    MCIDEVICEID id = d->id;
    Close(*d);
    if (flags.notify && callback) PostMessageA(callback, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, static_cast<LPARAM>(id));
    return 0;
  }
  if (Same(verb, "seek")) {
    MCIERROR e = Seek(*d, args);
    return done(e);
  }
  if (Same(verb, "status")) {
    MCIERROR e = Status(*d, args, out, length);
    if (e == 0) supersede();
    return done(e);
  }
  // set NAME time format milliseconds: the one time format there is.
  if (args.Done()) return MCIERR_MISSING_PARAMETER;
  if (!Same(args.Take(), "time") || args.Done() || !Same(args.Take(), "format")) return MCIERR_UNRECOGNIZED_KEYWORD;
  if (args.Done()) return MCIERR_MISSING_PARAMETER;
  std::string format = args.Take();
  if (!Same(format, "milliseconds") && !Same(format, "ms")) return MCIERR_BAD_TIME_FORMAT;
  if (!args.Done()) return MCIERR_UNRECOGNIZED_KEYWORD;
  supersede();
  return done(0);
}

struct ErrorText {
  MCIERROR code;
  const char* text;
};
constexpr ErrorText kErrorTexts[] = {
    {0, "The specified command was carried out."},
    {MCIERR_INVALID_DEVICE_ID, "Invalid MCI device ID. Use the ID returned when opening the MCI device."},
    {MCIERR_UNRECOGNIZED_KEYWORD, "The driver cannot recognize the specified command parameter."},
    {MCIERR_UNRECOGNIZED_COMMAND, "The driver cannot recognize the specified command."},
    {MCIERR_HARDWARE, "There is a problem with your media device. Make sure it is working correctly."},
    {MCIERR_INVALID_DEVICE_NAME, "The specified device is not open or is not recognized by MCI."},
    {MCIERR_OUT_OF_MEMORY, "Not enough memory available for this task."},
    {MCIERR_DEVICE_OPEN, "The device name is already being used as an alias by this application. Use a unique alias."},
    {MCIERR_MISSING_COMMAND_STRING, "No command was specified."},
    {MCIERR_PARAM_OVERFLOW, "The output string was too large to fit in the return buffer. Increase the size of the buffer."},
    {MCIERR_MISSING_STRING_ARGUMENT, "The specified command requires a character-string parameter. Please provide one."},
    {MCIERR_BAD_INTEGER, "The specified integer is invalid for this command."},
    {MCIERR_MISSING_PARAMETER, "The specified command requires a parameter. Please supply one."},
    {MCIERR_UNSUPPORTED_FUNCTION, "The MCI device you are using does not support the specified command."},
    {MCIERR_FILE_NOT_FOUND, "Cannot find the specified file. Make sure the path and filename are correct."},
    {MCIERR_CANNOT_USE_ALL, "The device name 'all' is not allowed for this command."},
    {MCIERR_EXTENSION_NOT_FOUND, "The specified extension has no device type associated with it. Specify a device type."},
    {MCIERR_OUTOFRANGE, "The specified parameter is out of range for the specified command."},
    {MCIERR_DUPLICATE_ALIAS, "The specified alias is already being used in this application. Use a unique alias."},
    {MCIERR_MISSING_DEVICE_NAME, "The specified command requires an alias, file, driver, or device name. Please supply one."},
    {MCIERR_BAD_TIME_FORMAT, "The specified value for the time format is invalid."},
    {MCIERR_NO_CLOSING_QUOTE, "A closing double-quotation mark is missing from the parameter value. Please supply one."},
    {MCIERR_DUPLICATE_FLAGS, "A parameter or value was specified twice. Only specify it once."},
    {MCIERR_INVALID_FILE, "The specified file cannot be played on the specified MCI device. The file may be corrupt, or not in the correct format."},
    {MCIERR_EXTRA_CHARACTERS, "Cannot specify extra characters after a string enclosed in quotation marks."},
    {MCIERR_SEQ_PORT_INUSE, "The specified MIDI port is already in use. Wait until it is free; then try again."},
    {MCIERR_SEQ_NOMIDIPRESENT, "There are no MIDI devices installed on the system."},
    {MCIERR_FILE_READ, "A problem occurred in reading the specified file. Make sure the file is still present."},
};

}  // namespace

}  // namespace platform::winmm

MCIERROR mciSendStringA(LPCSTR command, LPSTR returnString, UINT returnLength, HWND callback) {
  return platform::winmm::Run(command, returnString, returnLength, callback);
}

BOOL mciGetErrorStringA(MCIERROR error, LPSTR buffer, UINT length) {
  if (!buffer || length == 0) return FALSE;
  for (const auto& row : platform::winmm::kErrorTexts) {
    if (row.code != error) continue;
    size_t n = strlen(row.text);
    if (n >= length) n = length - 1;
    memcpy(buffer, row.text, n);
    buffer[n] = 0;
    return TRUE;
  }
  buffer[0] = 0;
  return FALSE;
}
