// The canvas: each display frame the page takes the demo's newest picture
// (320 x 240 RGBA from the backend) and draws it; CSS scales it up. The same
// callback paces the demo when the display runs at 60 Hz.
'use strict';

const picture = {
  canvas: null,
  context: null,
  image: null,
  framesDrawn: 0,
  firstFrameAt: 0,     // performance.now() of the first picture, 0 before
  refreshHz: 0,        // the display's measured rate, 0 for its first second
  intervals: [],
  lastCallback: 0,
};

// The display's rate, measured again every 60 frame callbacks (the window
// may move to another display): the median of the last 60 intervals.
function pictureMeasure(t) {
  if (picture.lastCallback) picture.intervals.push(t - picture.lastCallback);
  picture.lastCallback = t;
  if (picture.intervals.length < 60) return;
  picture.refreshHz = 1000 / picture.intervals.sort((a, b) => a - b)[30];
  picture.intervals = [];
  if (Module.running) picturePace();
}

// The frame callback is the demo's 60 Hz refresh on a 60 Hz display; on any
// other the backend keeps its own 60 Hz clock.
function picturePace() {
  Module.pacedByPage = picture.refreshHz > 58 && picture.refreshHz < 62 ? 1 : 0;
  Module._pf_webSetPacing(Module.pacedByPage);
}

function pictureFrame(t) {
  pictureMeasure(t);
  if (Module.running) {
    if (Module.pacedByPage) Module._pf_webRefresh();
    const at = Module._pf_webTakeFrame();
    if (at) {
      picture.image.data.set(Module.HEAPU8.subarray(at, at + 320 * 240 * 4));
      picture.context.putImageData(picture.image, 0, 0);
      if (!picture.framesDrawn++) picture.firstFrameAt = performance.now();
    }
  }
  requestAnimationFrame(pictureFrame);
}

// The canvas as large as its box allows, aspect kept, in whole multiples of
// its size where one fits, so every demo pixel is the same size.
function pictureFit() {
  const box = picture.canvas.parentElement;
  let scale = Math.min(box.clientWidth / 320, box.clientHeight / 240);
  if (scale >= 1) scale = Math.floor(scale);
  picture.canvas.style.width = 320 * scale + 'px';
  picture.canvas.style.height = 240 * scale + 'px';
}

function pictureStart(canvas) {
  picture.canvas = canvas;
  picture.context = canvas.getContext('2d');
  picture.image = picture.context.createImageData(320, 240);
  // The box changes with the window and on entering or leaving full screen.
  new ResizeObserver(pictureFit).observe(canvas.parentElement);
  requestAnimationFrame(pictureFrame);
}
