// The page's player: music in (the demo, files, the microphone, a tab's
// sound), the plug-in driven 75 times a second as the desktop player drives
// it, the picture in the canvas, and the keys. The plug-in, our Glide, the
// spectrum and the player's main window are the program in velmo.wasm
// (web/src/page_player.cpp); this module is the page around them.
import createVelmo from './velmo.js';

const kFramesPerSecond = 75;  // the rate the plug-in's motion is made for
const kSeekSeconds = 5;       // Winamp's arrow-key step
const kVolumeStep = 0.05;
const kMaxFramesPerPaint = 4; // fell further behind: do not race to catch up
const WM_KEYDOWN = 0x100, WM_KEYUP = 0x101;
// How the player takes the spectrum (page_player.cpp, Timing).
const Timing = { stopped: 0, heard: 1, live: 2, frameTime: 3 };

const $ = (id) => document.getElementById(id);
const params = new URLSearchParams(location.search);
let velmo = null;        // the program
let audio = null;        // the AudioContext, made on the first use
let picture = null;      // the canvas's 2D context

// Calls one of the program's functions with text arguments (and a text
// result for 'string'). Not ccall: while a modal waits, ccall hands back a
// promise even for a call that does not wait.
function callWithText(name, result, ...args) {
  const held = [];
  const values = args.map((arg) => {
    if (typeof arg !== 'string') return arg;
    const size = velmo.lengthBytesUTF8(arg) + 1;
    const pointer = velmo._malloc(size);
    velmo.stringToUTF8(arg, pointer, size);
    held.push(pointer);
    return pointer;
  });
  try {
    const value = velmo['_' + name](...values);
    return result === 'string' ? velmo.UTF8ToString(value) : value;
  } finally {
    held.forEach((pointer) => velmo._free(pointer));
  }
}

function say(text, problem = false) {
  $('status').textContent = text;
  $('status').classList.toggle('problem', problem);
}

function overlay(text) {
  $('overlay').hidden = !text;
  $('overlay').textContent = text || '';
}

// ---- what the browser must offer -------------------------------------------

// A module of one function that uses a SIMD instruction: valid only where
// WebAssembly SIMD is supported.
const kSimdProbe = new Uint8Array([0, 97, 115, 109, 1, 0, 0, 0, 1, 5, 1, 96, 0, 1, 123, 3, 2, 1, 0,
                                   10, 10, 1, 8, 0, 65, 0, 253, 15, 253, 98, 11]);

function missingFeatures() {
  const missing = [];
  if (typeof WebAssembly !== 'object' || typeof WebAssembly.instantiate !== 'function') {
    missing.push('WebAssembly (to run the plug-in)');
  } else if (!WebAssembly.validate(kSimdProbe)) {
    missing.push('WebAssembly SIMD (to draw fast enough)');
  }
  if (!(window.AudioContext || window.webkitAudioContext)) {
    missing.push('the Web Audio API (to play music and hear it)');
  }
  return missing;
}

function audioContext() {
  if (!audio) {
    const Context = window.AudioContext || window.webkitAudioContext;
    // 44.1 kHz, the demo's rate: files are heard at it, and the spectrum's
    // bins are those of the desktop player for 44.1 kHz music.
    audio = new Context({ sampleRate: 44100, latencyHint: 'interactive' });
    audio.addEventListener('statechange', () => transport.audioStateChanged());
  }
  if (audio.state === 'suspended') audio.resume().catch(() => {});
  return audio;
}

// ---- the playlist and its clock --------------------------------------------

// Tracks are decoded whole; the clock is the audio output's (what is being
// heard), or the wall clock while the browser keeps the sound off until a click.
const transport = {
  tracks: [],        // { artist, title, buffer }
  index: 0,
  state: 'stopped',  // 'playing', 'paused', 'stopped'
  source: null,
  gain: null,
  volume: 1,
  offset: 0,         // frame heard at `since`
  since: 0,          // audio time (s) or wall time (ms) of that frame
  byWallClock: false,

  get track() { return this.tracks[this.index] || null; },
  get rate() { return this.track ? this.track.buffer.sampleRate : 44100; },

  caption() {
    if (!this.track) return 'Winamp';
    return callWithText('velmoPageCaption', 'string', this.index + 1, this.track.artist, this.track.title);
  },

  audioTime() {
    const stamp = audio.getOutputTimestamp ? audio.getOutputTimestamp() : null;
    if (stamp && stamp.contextTime > 0) return stamp.contextTime;
    return Math.max(0, audio.currentTime - (audio.outputLatency || audio.baseLatency || 0));
  },

  heardFrame() {
    if (this.state === 'stopped') return 0;
    if (this.state === 'paused') return this.offset;
    const elapsed = this.byWallClock ? (performance.now() - this.since) / 1000 : this.audioTime() - this.since;
    const frame = this.offset + Math.max(0, elapsed) * this.rate;
    return Math.min(Math.floor(frame), this.track.buffer.length);
  },

  // Starts the sound at `frame`; the clock counts from there.
  startAt(frame) {
    this.silence();
    const ctx = audioContext();
    this.offset = Math.max(0, Math.min(frame, this.track.buffer.length));
    this.byWallClock = ctx.state !== 'running';
    this.since = this.byWallClock ? performance.now() : this.audioTime();
    if (!this.gain) {
      this.gain = ctx.createGain();
      this.gain.connect(ctx.destination);
    }
    this.gain.gain.value = this.volume;
    const source = ctx.createBufferSource();
    source.buffer = this.track.buffer;
    source.connect(this.gain);
    // On the wall clock the picture's clock decides when the track ends, not the silent source.
    source.addEventListener('ended', () => { if (this.source === source && !this.byWallClock) this.trackEnded(); });
    source.start(0, this.offset / this.rate);
    this.source = source;
  },

  silence() {
    if (!this.source) return;
    const source = this.source;
    this.source = null;
    try { source.stop(); } catch (e) { /* never started */ }
    source.disconnect();
  },

  audioStateChanged() {
    // The browser let the sound on (a click): the picture was running on
    // the wall clock; the sound joins it where it is.
    if (audio.state === 'running' && this.state === 'playing' && this.byWallClock) {
      this.startAt(this.heardFrame());
    }
  },

  trackEnded() {
    if (this.index + 1 < this.tracks.length) {
      this.open(this.index + 1);
      this.startAt(0);
    } else {
      this.stop();
    }
  },

  open(index) {
    this.index = index;
    display.captionChanged();
  },

  play() {
    if (!this.track) return;
    if (this.state === 'paused') {
      this.state = 'playing';
      this.startAt(this.offset);
      return;
    }
    this.state = 'playing';  // Winamp's play restarts the current track
    this.startAt(0);
  },
  pause() {
    if (this.state === 'playing') {
      this.offset = this.heardFrame();
      this.state = 'paused';
      this.silence();
    } else if (this.state === 'paused') {
      this.play();
    }
  },
  stop() {
    this.state = 'stopped';
    this.offset = 0;
    this.silence();
  },
  step(direction) {
    const index = this.index + direction;
    if (index < 0 || index >= this.tracks.length) return;
    const was = this.state;
    this.stop();
    this.open(index);
    if (was !== 'stopped') this.play();
  },
  seekBy(seconds) {
    if (this.state === 'stopped') return;
    const target = this.heardFrame() + Math.round(seconds * this.rate);
    if (this.state === 'paused') this.offset = Math.max(0, Math.min(target, this.track.buffer.length));
    else this.startAt(target);
  },
  changeVolume(step) {
    this.volume = Math.min(1, Math.max(0, this.volume + step));
    if (this.gain) this.gain.gain.value = this.volume;
  },

  // Replaces the playlist and plays its first track.
  playList(tracks) {
    live.stop();
    this.stop();
    this.tracks = tracks;
    this.open(0);
    this.play();
  },

  // Frames [first, first + count) as interleaved stereo into the program's memory.
  fill(first, count, out) {
    const buffer = this.track.buffer;
    const left = buffer.getChannelData(0);
    const right = buffer.numberOfChannels > 1 ? buffer.getChannelData(1) : left;
    const heap = velmo.HEAPF32;
    const base = out >> 2;
    for (let i = 0; i < count; i++) {
      const frame = first + i;
      const inside = frame >= 0 && frame < buffer.length;
      heap[base + 2 * i] = inside ? left[frame] : 0;
      heap[base + 2 * i + 1] = inside ? right[frame] : 0;
    }
  },
};

// ---- live input: the microphone or a shared tab's sound ---------------------

const live = {
  stream: null,
  analysers: null,
  samples: null,
  started: 0,
  name: '',

  get active() { return this.stream !== null; },

  async start(kind) {
    const ctx = audioContext();
    let stream;
    try {
      if (kind === 'microphone') {
        stream = await navigator.mediaDevices.getUserMedia({
          audio: { echoCancellation: false, noiseSuppression: false, autoGainControl: false } });
      } else {
        stream = await navigator.mediaDevices.getDisplayMedia({ video: true, audio: true });
      }
    } catch (e) {
      say(kind === 'microphone' ? 'The microphone was not allowed or is not there.'
                                : 'No tab was shared.', true);
      return false;
    }
    if (stream.getAudioTracks().length === 0) {
      stream.getTracks().forEach((track) => track.stop());
      say('The shared tab brought no sound: share a tab and tick "Share tab audio".', true);
      return false;
    }
    transport.stop();
    this.stop();
    const source = ctx.createMediaStreamSource(stream);
    // Two channels before the split: mono is heard on both sides.
    const stereo = new GainNode(ctx, { channelCount: 2, channelCountMode: 'explicit',
                                       channelInterpretation: 'speakers' });
    const splitter = ctx.createChannelSplitter(2);
    source.connect(stereo);
    stereo.connect(splitter);
    this.analysers = [0, 1].map((channel) => {
      const analyser = ctx.createAnalyser();
      analyser.fftSize = 2048;
      splitter.connect(analyser, channel);
      return analyser;
    });
    this.samples = [new Float32Array(2048), new Float32Array(2048)];
    this.stream = stream;
    this.source = source;
    this.started = performance.now();
    stream.getTracks().forEach((track) => track.addEventListener('ended', () => this.stop()));
    display.captionChanged();
    return true;
  },

  stop() {
    if (!this.stream) return;
    this.stream.getTracks().forEach((track) => track.stop());
    this.source.disconnect();
    this.stream = null;
    display.captionChanged();
  },

  // The newest `count` frames: live input cannot look ahead.
  fill(count, out) {
    this.analysers.forEach((analyser, channel) => analyser.getFloatTimeDomainData(this.samples[channel]));
    const heap = velmo.HEAPF32;
    const base = out >> 2;
    const skip = this.samples[0].length - count;
    for (let i = 0; i < count; i++) {
      heap[base + 2 * i] = this.samples[0][skip + i];
      heap[base + 2 * i + 1] = this.samples[1][skip + i];
    }
  },
};

// ---- the still: every frame up to one, each at its own time -----------------

// ?demo&still=N draws the demo's frames 0..N at their own times (not the
// audio clock), as `velmo snapshot --at N/75` does, then holds frame N.
// With &bench they are drawn as fast as they go, and the page says how fast
// (data-fps on the body, and the console).
const still = {
  bench: false,
  last: -1,
  frame: 0,   // the next frame to draw
  get active() { return this.last >= 0; },
  heardFrame() { return Math.floor(this.frame * transport.rate / kFramesPerSecond); },
  positionMs() { return Math.floor(this.frame * 1000 / kFramesPerSecond); },
  get shown() { return this.frame - 1; },
};

// ---- the display: the plug-in's run and the canvas --------------------------

const display = {
  state: 'closed',  // 'starting', 'running', 'closed'
  clockStart: 0,
  drawn: 0,
  shownCaption: null,

  async open() {
    if (this.state !== 'closed') return;
    this.state = 'starting';
    overlay('');
    // The plug-in's init: its message box, if a texture fails, waits here.
    const started = await velmo.ccall('velmoPageStart', 'number', ['number', 'number'], [transport.rate, 2],
                                      { async: true });
    if (!started) {
      this.state = 'closed';
      paint();
      document.body.dataset.display = 'closed';
      return;
    }
    this.state = 'running';
    this.clockStart = performance.now();
    this.drawn = 0;
    this.captionChanged();
    $('picture').focus({ preventScroll: true });
  },

  closed() {
    this.state = 'closed';
    paint();
    overlay('The display is closed (Escape). The music goes on; Enter opens the display again.');
    document.body.dataset.display = 'closed';
  },

  captionChanged() {
    const caption = live.active ? '1. Live input - Winamp' : transport.caption();
    if (caption === this.shownCaption) return;
    this.shownCaption = caption;
    callWithText('velmoPageSetCaption', null, caption);
    $('caption').textContent = caption;
  },

  // One frame of the plug-in; false once its display has closed.
  renderOne() {
    let heard = 0, timing = Timing.stopped;
    if (still.active) {
      heard = still.heardFrame();
      timing = Timing.frameTime;
    } else if (live.active) {
      timing = Timing.live;
    } else if (transport.state !== 'stopped') {
      heard = transport.heardFrame();
      timing = Timing.heard;
    }
    return velmo._velmoPageRenderFrame(heard, timing) !== 0;
  },

  tick(now) {
    if (this.state !== 'running') return;
    let count;
    if (still.active) {
      count = still.bench ? 0 : Math.min(10, still.last + 1 - still.frame);  // the clock is the frame count
    } else {
      const due = Math.floor((now - this.clockStart) * kFramesPerSecond / 1000) + 1;
      if (due - this.drawn > kMaxFramesPerPaint) this.drawn = due - kMaxFramesPerPaint;
      count = due - this.drawn;
    }
    for (let i = 0; i < count; i++) {
      if (!this.renderOne()) {
        this.closed();
        return;
      }
      this.drawn++;
      if (still.active) document.body.dataset.frame = String(still.frame++);
    }
    if (count > 0) paint();
    if (document.body.dataset.display !== 'running') document.body.dataset.display = 'running';
  },
};

// Every frame of the still, each a whole frame (spectrum, plug-in, Glide,
// canvas), as fast as they go; the page keeps answering in between.
async function benchmark() {
  const started = performance.now();
  let frames = 0, yielded = started;
  while (still.frame <= still.last && display.state === 'running') {
    if (!display.renderOne()) break;
    paint();
    document.body.dataset.frame = String(still.frame++);
    frames++;
    if (performance.now() - yielded > 200) {
      await new Promise((resume) => setTimeout(resume, 0));
      yielded = performance.now();
    }
  }
  const fps = frames / ((performance.now() - started) / 1000);
  document.body.dataset.fps = fps.toFixed(1);
  console.log(`velmo: ${frames} whole frames at ${fps.toFixed(1)} frames per second`);
}

function paint() {
  const width = velmo._velmoPageFrameWidth(), height = velmo._velmoPageFrameHeight();
  if (!width || !height) {
    picture.fillStyle = '#000';
    picture.fillRect(0, 0, picture.canvas.width, picture.canvas.height);
    return;
  }
  if (picture.canvas.width !== width || picture.canvas.height !== height) {
    picture.canvas.width = width;
    picture.canvas.height = height;
  }
  const pixels = new Uint8ClampedArray(velmo.HEAPU8.buffer, velmo._velmoPagePixels(), width * height * 4);
  picture.putImageData(new ImageData(pixels, width, height), 0, 0);
}

function animate(now) {
  requestAnimationFrame(animate);
  if (transport.state === 'playing' && transport.byWallClock && !still.active &&
      transport.heardFrame() >= transport.track.buffer.length) {
    transport.trackEnded();
  }
  display.tick(now);
  if (!still.active && !live.active) display.captionChanged();
  updateStatus();
}

function updateStatus() {
  if ($('status').classList.contains('problem')) return;
  let text = '';
  if (still.active) text = `Frame ${still.shown} of the demo, drawn at its own time.`;
  else if (live.active) text = 'Listening.';
  else if (transport.track) {
    const seconds = Math.floor(transport.heardFrame() / transport.rate);
    const time = `${Math.floor(seconds / 60)}:${String(seconds % 60).padStart(2, '0')}`;
    text = { playing: 'Playing', paused: 'Paused', stopped: 'Stopped' }[transport.state] +
           (transport.state === 'stopped' ? '' : ` ${time}`) +
           (transport.byWallClock && transport.state === 'playing' ? ' (silent until you click the page)' : '');
  }
  if ($('status').textContent !== text) $('status').textContent = text;
}

// ---- what the program asks of the page (Module.velmoPage) -------------------

const pageHooks = {
  playPositionMs() {
    if (still.active) return still.positionMs();
    if (live.active) return Math.floor(performance.now() - live.started);
    if (transport.state === 'stopped' || !transport.track) return -1;
    return Math.floor(transport.heardFrame() * 1000 / transport.rate);
  },
  trackLengthSeconds() {
    return transport.track && !live.active ? Math.floor(transport.track.buffer.length / transport.rate) : -1;
  },
  playState() {
    if (still.active || live.active) return 1;
    return { playing: 1, paused: 3, stopped: 0 }[transport.state];
  },
  // A key the plug-in passed on to our main window: Winamp's keys.
  hostKey(key) {
    if (still.active || live.active) return;
    switch (key) {
      case 0x5A: transport.step(-1); break;          // Z
      case 0x58: transport.play(); break;            // X
      case 0x43: case 0x20: transport.pause(); break; // C, space
      case 0x56: transport.stop(); break;            // V
      case 0x42: transport.step(1); break;           // B
      case 0x25: transport.seekBy(-kSeekSeconds); break;
      case 0x27: transport.seekBy(kSeekSeconds); break;
      case 0x26: transport.changeVolume(kVolumeStep); break;
      case 0x28: transport.changeVolume(-kVolumeStep); break;
    }
  },
  fillWindow(first, count, out) {
    if (live.active) live.fill(count, out);
    else transport.fill(first, count, out);
  },
  openFailed(why) { say('The plug-in cannot be loaded: ' + why, true); },
  startFailed(why) { say(why + '; the music goes on without the picture.', true); },
};

// ---- keys ---------------------------------------------------------------------

// DOM key codes to Win32 virtual-key codes, and the USB usage ids the
// desktop player puts in lParam as the scan code.
function virtualKey(code) {
  let m;
  if ((m = /^Key([A-Z])$/.exec(code))) return m[1].charCodeAt(0);
  if ((m = /^Digit([0-9])$/.exec(code))) return m[1].charCodeAt(0);
  if ((m = /^F([0-9]+)$/.exec(code)) && +m[1] >= 1 && +m[1] <= 12) return 0x6F + +m[1];
  if ((m = /^Numpad([0-9])$/.exec(code))) return 0x60 + +m[1];
  return {
    Escape: 0x1B, Space: 0x20, Enter: 0x0D, NumpadEnter: 0x0D, Backspace: 0x08, Tab: 0x09,
    ArrowLeft: 0x25, ArrowUp: 0x26, ArrowRight: 0x27, ArrowDown: 0x28, PageUp: 0x21,
    PageDown: 0x22, End: 0x23, Home: 0x24, Insert: 0x2D, Delete: 0x2E, Pause: 0x13,
    ShiftLeft: 0x10, ShiftRight: 0x10, ControlLeft: 0x11, ControlRight: 0x11, AltLeft: 0x12,
    AltRight: 0x12, NumpadAdd: 0x6B, NumpadSubtract: 0x6D, NumpadMultiply: 0x6A,
    NumpadDivide: 0x6F, NumpadDecimal: 0x6E,
  }[code] || 0;
}

function scanCode(code) {
  let m;
  if ((m = /^Key([A-Z])$/.exec(code))) return 0x04 + m[1].charCodeAt(0) - 65;
  if ((m = /^Digit([0-9])$/.exec(code))) return m[1] === '0' ? 0x27 : 0x1D + +m[1];
  return { Enter: 0x28, Escape: 0x29, Backspace: 0x2A, Tab: 0x2B, Space: 0x2C, ArrowRight: 0x4F,
           ArrowLeft: 0x50, ArrowDown: 0x51, ArrowUp: 0x52 }[code] || 0;
}

function keyParam(event, down) {
  let param = 1 | (scanCode(event.code) << 16);
  if (!down) param |= (1 << 30) | (1 << 31);  // was down, now released
  else if (event.repeat) param |= 1 << 30;    // auto-repeat: was already down
  return param | 0;
}

function onKey(event) {
  if (!velmo || event.ctrlKey || event.metaKey || event.altKey) return;
  const target = event.target;
  if (target !== document.body && target !== $('picture') && target !== document.documentElement) return;
  const down = event.type === 'keydown';
  if (event.code === 'F11') {
    if (down && !event.repeat) toggleFullscreen();
    event.preventDefault();
    return;
  }
  if (event.code === 'Enter' && down && display.state === 'closed' && (transport.track || live.active)) {
    display.open();
    event.preventDefault();
    return;
  }
  const key = virtualKey(event.code);
  if (!key) return;
  event.preventDefault();
  velmo._velmoPageKey(down ? WM_KEYDOWN : WM_KEYUP, key, keyParam(event, down));
}

function toggleFullscreen() {
  if (document.fullscreenElement) document.exitFullscreen();
  else $('stage').requestFullscreen().catch(() => {});
}

// ---- music in -----------------------------------------------------------------

async function decodeFiles(files) {
  const ctx = audioContext();
  const tracks = [];
  for (const file of files) {
    try {
      const buffer = await ctx.decodeAudioData(await file.arrayBuffer());
      // Like the desktop player without tags: the file's name is the title.
      tracks.push({ artist: '', title: file.name.replace(/\.[^.]*$/, '') || file.name, buffer });
    } catch (e) {
      say(`${file.name}: this browser cannot play it.`, true);
    }
  }
  return tracks;
}

async function playFiles(files) {
  if (!files.length) return;
  say(files.length === 1 ? `Opening ${files[0].name}...` : `Opening ${files.length} files...`);
  const tracks = await decodeFiles(files);
  if (!tracks.length) return;
  if (tracks.length === files.length) say('');
  still.last = -1;
  transport.playList(tracks);
  await display.open();
}

let demoTrack = null;

function makeDemoTrack() {
  if (demoTrack) return demoTrack;
  const ctx = audioContext();
  const samples = velmo._velmoPageDemo() >> 2;
  const frames = velmo._velmoPageDemoFrames();
  const rate = velmo._velmoPageDemoRate();
  const buffer = ctx.createBuffer(2, frames, rate);
  const left = buffer.getChannelData(0), right = buffer.getChannelData(1);
  const heap = velmo.HEAPF32;
  for (let i = 0; i < frames; i++) {
    left[i] = heap[samples + 2 * i];
    right[i] = heap[samples + 2 * i + 1];
  }
  velmo._velmoPageDemoRelease();
  demoTrack = { artist: velmo.UTF8ToString(velmo._velmoPageDemoArtist()),
                title: velmo.UTF8ToString(velmo._velmoPageDemoTitle()), buffer };
  return demoTrack;
}

async function playDemo(stillFrame = -1) {
  const track = makeDemoTrack();
  still.last = stillFrame;
  still.frame = 0;
  if (still.active) {
    live.stop();
    transport.stop();
    transport.tracks = [track];
    transport.open(0);
  } else {
    transport.playList([track]);
  }
  await display.open();
}

async function playLive(kind) {
  still.last = -1;
  if (await live.start(kind)) {
    say('');
    await display.open();
  }
}

async function configure() {
  $('settings').disabled = true;
  try {
    await velmo.ccall('velmoPageConfigure', null, [], [], { async: true });
  } finally {
    $('settings').disabled = false;
  }
}

// ---- start ----------------------------------------------------------------------

// The program's end (exit) unwinds through whatever called into it: that is
// not an error of the page's.
window.addEventListener('error', (event) => {
  if (event.error && event.error.name === 'ExitStatus') event.preventDefault();
});

function programEnded(status) {
  display.state = 'ended';
  for (const id of ['demo', 'microphone', 'tab', 'settings', 'file']) $(id).disabled = true;
  transport.stop();
  live.stop();
  overlay(`The plug-in ended the player (exit status ${status}). Reload the page to start again.`);
}

async function start() {
  const missing = missingFeatures();
  if (missing.length) {
    $('needs').hidden = false;
    $('needs').textContent = 'This page needs ' + missing.join(' and ') +
        ', which this browser does not offer. Any current Firefox, Chrome, Edge or Safari has them.';
    overlay('');
    return;
  }
  picture = $('picture').getContext('2d', { alpha: false });
  try {
    velmo = await createVelmo({
      velmoPage: pageHooks,
      print: (text) => console.log(text),
      printErr: (text) => console.error(text),
      quit: (status, toThrow) => { programEnded(status); throw toThrow; },
    });
  } catch (e) {
    say('The program could not be loaded: ' + e, true);
    overlay('');
    return;
  }
  if (!velmo._velmoPageOpen()) return;

  for (const id of ['demo', 'microphone', 'tab', 'settings', 'file']) $(id).disabled = false;
  $('open').removeAttribute('aria-disabled');
  if (!navigator.mediaDevices || !navigator.mediaDevices.getUserMedia) $('microphone').disabled = true;
  if (!navigator.mediaDevices || !navigator.mediaDevices.getDisplayMedia) $('tab').disabled = true;
  $('demo').addEventListener('click', () => playDemo());
  $('microphone').addEventListener('click', () => playLive('microphone'));
  $('tab').addEventListener('click', () => playLive('tab'));
  $('settings').addEventListener('click', () => configure());
  $('file').addEventListener('change', (event) => playFiles([...event.target.files]));
  document.addEventListener('keydown', onKey);
  document.addEventListener('keyup', onKey);
  // The first click lets the sound on, where the browser held it back.
  document.addEventListener('pointerdown', () => { if (audio) audio.resume().catch(() => {}); });
  document.addEventListener('dragover', (event) => {
    event.preventDefault();
    document.body.classList.add('dragging');
  });
  document.addEventListener('dragleave', () => document.body.classList.remove('dragging'));
  document.addEventListener('drop', (event) => {
    event.preventDefault();
    document.body.classList.remove('dragging');
    playFiles([...event.dataTransfer.files]);
  });
  requestAnimationFrame(animate);

  // Exposed for people poking around, and for the tests.
  window.velmoPage = {
    spectrum: () => Array.from(velmo.HEAPU8.subarray(velmo._velmoPageSpectrum(),
                                                     velmo._velmoPageSpectrum() + 1152)),
    get display() { return display.state; },
    get caption() { return display.shownCaption; },
    get transport() { return transport.state; },
    // Draws the next `frames` frames of the still, each at its own time.
    step(frames = 1) {
      if (!still.active || display.state !== 'running') return;
      still.last = Math.max(still.last, still.frame + frames - 1);
    },
  };

  if (params.has('demo')) {
    const stillFrame = params.has('still') ? Math.max(0, parseInt(params.get('still'), 10) || 0) : -1;
    still.bench = stillFrame >= 0 && params.has('bench');
    playDemo(stillFrame).then(() => { if (still.bench) benchmark(); });
  } else {
    overlay('Play the demo, open music or drop a file here.');
  }
}

start();
