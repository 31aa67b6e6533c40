// The demo's sound through Web Audio: a processor node pulls the wave
// device's queued blocks from the backend. Browsers only start an audio
// context in the handler of a click or a key.
'use strict';

const SOUND_RATE = 44100;    // the player's first choice of rate
const SOUND_CHUNK = 2048;    // frames per callback, 46 ms

const sound = { context: null, node: null, left: 0, right: 0 };

// Open the output; returns its rate, or 0 when the page has no sound.
function soundStart() {
  try {
    sound.context = new AudioContext({ sampleRate: SOUND_RATE });
  } catch (err) {
    console.warn('no audio context:', err);
    return 0;
  }
  sound.left = Module._malloc(SOUND_CHUNK * 4);
  sound.right = Module._malloc(SOUND_CHUNK * 4);
  sound.node = sound.context.createScriptProcessor(SOUND_CHUNK, 0, 2);
  sound.node.onaudioprocess = e => {
    const out = e.outputBuffer;
    const n = out.length;
    Module._pf_webAudioPull(sound.left, sound.right, n);
    out.getChannelData(0).set(Module.HEAPF32.subarray(sound.left >> 2, (sound.left >> 2) + n));
    out.getChannelData(1).set(Module.HEAPF32.subarray(sound.right >> 2, (sound.right >> 2) + n));
  };
  sound.node.connect(sound.context.destination);
  sound.context.resume();
  return sound.context.sampleRate;
}

// Silence at once: the demo has ended and its process goes away.
function soundStop() {
  if (!sound.context) return;
  sound.node.onaudioprocess = null;
  sound.node.disconnect();
  sound.context.close();
  sound.context = null;
}
