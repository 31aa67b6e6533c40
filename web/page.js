// The page around the demo: loading, the start cover (sound needs a click
// or a key first), full screen, the end screen, and `varnek`, what the page
// knows of the run for a curious viewer or a test.
'use strict';

const $ = id => document.getElementById(id);

const varnek = {
  state: 'loading',   // loading, ready, running, ended
  loadedAt: 0,        // performance.now() when the program and its data were in
  startedAt: 0,
  // As each step of the timeline ends: its frames and the engine's work a
  // frame (mean and median, ms, the pacing waits left out).
  steps: [],          // {step, name, at, frames, meanMs, medianMs}
  endCode: null,
  threadsEnded: false,   // every thread of the demo has ended, after its end
  firstFrameAt: () => picture.firstFrameAt,
  framesDrawn: () => picture.framesDrawn,
  refreshHz: () => picture.refreshHz,
  pacedByPage: () => Module.pacedByPage,
  // Frames of sound played and their loudness (RMS, full scale 1).
  audio: () => (varnek.state === 'running'
    ? { frames: Module._pf_webAudioFrames(), rms: Module._pf_webAudioRms(), rate: sound.context ? sound.context.sampleRate : 0 }
    : varnek.lastAudio),
  lastAudio: { frames: 0, rms: 0, rate: 0 },
};

function fullScreenToggle() {
  if (document.fullscreenElement) document.exitFullscreen();
  else $('stage').requestFullscreen().catch(err => console.warn('full screen refused:', err));
}

function showMessage(text) {
  $('message').textContent = text;
  $('message').hidden = false;
}

function start() {
  if (varnek.state !== 'ready') return;
  varnek.state = 'running';
  varnek.startedAt = performance.now();
  $('start').hidden = true;
  Module._pf_webSetAudioRate(soundStart());
  picturePace();
  Module.running = true;
  Module.callMain([]);
}

var Module = {
  running: false,
  pacedByPage: 0,
  print: text => console.log(text),
  printErr: text => console.warn(text),
  setStatus: text => { if (text) $('status').textContent = text; },
  onRuntimeInitialized() {
    varnek.state = 'ready';
    varnek.loadedAt = performance.now();
    $('start-button').disabled = false;
    $('start-button').textContent = 'Start';
    $('status').textContent = 'Click or press a key to start, with sound';
  },
  onStep(step, name, frames, meanMs, medianMs) {
    varnek.steps.push({ step, name, at: performance.now(), frames, meanMs, medianMs });
  },
  onMessageBox(text, caption) { showMessage(caption + ': ' + text); },
  onDemoEnd(code) {
    varnek.lastAudio = varnek.audio();
    varnek.state = 'ended';
    varnek.endCode = code;
    Module.running = false;
    soundStop();
    if (document.fullscreenElement) document.exitFullscreen();
    $('end').hidden = false;
  },
  onThreadsEnded() { varnek.threadsEnded = true; },
  onAbort(what) { showMessage('The demo stopped: ' + what); },
};

// Starting takes the first click or key; that key goes no further.
$('start').addEventListener('click', start);
window.addEventListener('keydown', e => {
  if (varnek.state === 'ready' && !e.altKey && !e.ctrlKey && !e.metaKey) {
    e.preventDefault();
    e.stopImmediatePropagation();
    start();
  }
}, true);
$('again').addEventListener('click', () => location.reload());
$('full').addEventListener('click', fullScreenToggle);
$('screen').addEventListener('dblclick', fullScreenToggle);
keysAttach(fullScreenToggle);
pictureStart($('screen'));
if (!window.crossOriginIsolated) {
  showMessage('This page needs its server to send the cross-origin isolation headers ' +
              '(scripts/serve_web.py does): without them it gets no threads, and the demo cannot run.');
}
