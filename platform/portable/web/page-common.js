// What the demo's page and the bunnymark's page share: the canvas shown as
// large as whole screen pixels allow, the caption that folds where it would
// cover the picture, Fullscreen, the status line, the page's state for tests
// (window.spritedemoPage), and loading the program. Each page loads this
// first and takes what it uses from window.pageCommon.
'use strict';

window.pageCommon = (function () {
  const canvas = document.getElementById('screen');
  const statusLine = document.getElementById('status');
  const about = document.getElementById('about');
  const side = document.getElementById('side');
  const hint = document.getElementById('hint');
  const aboutToggle = document.getElementById('about-toggle');
  const fullscreenButton = document.getElementById('fullscreen');
  const params = new URLSearchParams(location.search);
  const touch = window.matchMedia('(pointer: coarse)').matches;

  // The smallest module with a SIMD instruction (a function returning
  // i8x16.splat of 0): it validates only where WebAssembly SIMD runs.
  const kSimdProbe = new Uint8Array([
    0x00, 0x61, 0x73, 0x6d, 0x01, 0x00, 0x00, 0x00, // magic, version
    0x01, 0x05, 0x01, 0x60, 0x00, 0x01, 0x7b,       // type: () -> v128
    0x03, 0x02, 0x01, 0x00,                         // one function of that type
    0x0a, 0x08, 0x01, 0x06, 0x00, 0x41, 0x00, 0xfd, 0x0f, 0x0b, // i32.const 0, i8x16.splat
  ]);

  const page = {
    state: 'loading', // then 'running', 'ended' or 'failed'
    build: '',        // 'simd' or 'nosimd'
    exitStatus: null,
    module: null,     // the module instance of the program's current or last run
  };
  window.spritedemoPage = page;

  // A problem opens the caption, over the picture if need be.
  function say(text, problem) {
    statusLine.textContent = text;
    statusLine.classList.toggle('problem', Boolean(problem));
    if (problem) showAbout(true); else placeCaption();
  }

  function fail(text) {
    page.state = 'failed';
    say(text, true);
  }

  // Folded, the caption leaves its one-line hint beside the button.
  function showAbout(shown) {
    about.hidden = !shown;
    hint.hidden = shown;
    aboutToggle.setAttribute('aria-expanded', String(shown));
  }

  // --- The canvas's size and place, and the controls beside it: for a page
  // with the frame's canvas and a box of controls (side) in its corner.

  // As many whole screen (device) pixels per frame pixel as fit in the
  // viewport, when that is at least the page's own 1:1; on a screen too small
  // for that, the largest size that fits, whole steps or not. Placed on whole
  // device pixels, centred.
  function fit(canvas, side) {
    const ratio = window.devicePixelRatio || 1;
    const roomWidth = document.documentElement.clientWidth;
    const roomHeight = document.documentElement.clientHeight;
    const steps = Math.floor(Math.min(roomWidth * ratio / canvas.width, roomHeight * ratio / canvas.height));
    const scale = steps >= ratio ? steps / ratio : Math.min(roomWidth / canvas.width, roomHeight / canvas.height);
    const width = canvas.width * scale;
    const height = canvas.height * scale;
    canvas.style.width = width + 'px';
    canvas.style.height = height + 'px';
    canvas.style.left = Math.floor((roomWidth - width) * ratio / 2) / ratio + 'px';
    canvas.style.top = Math.floor((roomHeight - height) * ratio / 2) / ratio + 'px';
    // The controls stacked up the side where the room is beside the canvas.
    side.classList.toggle('column', roomWidth - width > roomHeight - height);
  }

  function overlap(element, other) {
    const a = element.getBoundingClientRect();
    const b = other.getBoundingClientRect();
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
  }

  // The open caption folds (fold()) where it would cover the canvas: at the
  // start, when the page is resized and when the caption grows. It opens
  // only when asked, or to show a problem.
  function foldOffPicture(caption, canvas, fold) {
    if (!caption.hidden && overlap(caption, canvas)) fold();
  }

  function placeCaption() {
    fit(canvas, side);
    foldOffPicture(about, canvas, function () { showAbout(false); });
  }

  // --- Fullscreen: the whole page, so that its controls stay at hand. The
  // browser keeps the Esc that leaves fullscreen to itself; the next one
  // reaches the program and ends it, as before.
  function setUpFullscreen() {
    if (!document.fullscreenEnabled) return;
    fullscreenButton.hidden = false;
    control(fullscreenButton, function () {
      if (document.fullscreenElement) {
        document.exitFullscreen();
      } else {
        document.documentElement.requestFullscreen().catch(function (error) {
          say('The browser refused fullscreen: ' + error.message, true);
        });
      }
    });
    document.addEventListener('fullscreenchange', function () {
      fullscreenButton.textContent = document.fullscreenElement ? 'Leave fullscreen' : 'Fullscreen';
      placeCaption();
    });
  }

  function loadScript(src) {
    return new Promise(function (resolve, reject) {
      const script = document.createElement('script');
      script.src = src;
      script.onload = resolve;
      script.onerror = function () { reject(new Error('cannot load ' + src)); };
      document.head.appendChild(script);
    });
  }

  // The About button folding and opening the caption, Fullscreen, the canvas
  // fitted again and the caption folded where need be whenever the window
  // changes size, and both placed now.
  function setUpCaption() {
    control(aboutToggle, function () { showAbout(about.hidden); });
    setUpFullscreen();
    window.addEventListener('resize', placeCaption);
    placeCaption();
  }

  // A new instance of a program from factory (its build's createSpritedemo
  // or createBunnymark) on the page's canvas, started by callMain: its draws
  // capped by ?isa= as SPRITEDEMO_ISA caps them, its frames on a 2D canvas
  // with ?present=2d, and hooks for the rest (onExit, onAbort, ...).
  function createProgram(factory, hooks) {
    return factory(Object.assign({
      canvas: canvas,
      noInitialRun: true,
      print: function (line) { console.log(line); },
      printErr: function (line) { console.warn(line); },
      preRun: [function (m) {
        if (params.has('isa')) m.ENV.SPRITEDEMO_ISA = params.get('isa');
        if (params.has('present')) m.ENV.SPRITEDEMO_PRESENT = params.get('present');
      }],
    }, hooks));
  }

  // The build this browser runs, in page.build: 'simd', or 'nosimd' without
  // WebAssembly SIMD or with ?simd=0. False, the page failed with the reason,
  // where it can run none.
  function chooseBuild() {
    if (location.protocol === 'file:') {
      fail('Opened from a file, the page may not load the program: serve this folder and open its address ' +
           'instead, for example with ./scripts/run-web.sh in the source folder (or python3 -m http.server ' +
           'in this one).');
      return false;
    }
    if (typeof WebAssembly !== 'object') {
      fail('This browser cannot run WebAssembly, which the demo needs.');
      return false;
    }
    page.build = params.get('simd') !== '0' && WebAssembly.validate(kSimdProbe) ? 'simd' : 'nosimd';
    return true;
  }

  // After a click the page's controls give the keyboard back, so that Esc
  // reaches the program again.
  function control(element, action) {
    element.addEventListener('click', function () {
      action();
      element.blur();
    });
  }

  return {
    canvas, statusLine, about, side, hint, aboutToggle, fullscreenButton, params, touch, kSimdProbe, page,
    say, fail, showAbout, fit, overlap, foldOffPicture, placeCaption, setUpFullscreen, setUpCaption, loadScript,
    createProgram, chooseBuild, control,
  };
})();
