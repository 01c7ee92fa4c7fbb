// The page around the demo: picks the build this browser runs, puts the
// sprite files in the program's file system and starts it, shows the canvas
// at a whole number of screen pixels per frame pixel, and runs the demo
// again with a sprite file dropped on the page.
//
// For tests: ?simd=0 takes the build without SIMD, ?isa=NAME caps the draws'
// kernels as SPRITEDEMO_ISA does; window.spritedemoPage tells what runs.
'use strict';

(function () {
  const canvas = document.getElementById('screen');
  const statusLine = document.getElementById('status');
  const which = document.getElementById('which');
  const params = new URLSearchParams(location.search);

  // The smallest module with a SIMD instruction (a function returning
  // i8x16.splat of 0): it validates only where WebAssembly SIMD runs.
  const kSimdProbe = new Uint8Array([
    0x00, 0x61, 0x73, 0x6d, 0x01, 0x00, 0x00, 0x00, // magic, version
    0x01, 0x05, 0x01, 0x60, 0x00, 0x01, 0x7b,       // type: () -> v128
    0x03, 0x02, 0x01, 0x00,                         // one function of that type
    0x0a, 0x08, 0x01, 0x06, 0x00, 0x41, 0x00, 0xfd, 0x0f, 0x0b, // i32.const 0, i8x16.splat
  ]);
  const kMagic = [0x53, 0x50, 0x52, 0x49, 0x54, 0x45, 0x00]; // "SPRITE" and its terminator
  const kRoles = {'girl.spr': 'the girl', 'bg.spr': 'the background'};

  const page = {
    state: 'loading', // then 'running', 'ended' or 'failed'
    build: '',        // 'simd' or 'nosimd'
    exitStatus: null,
    module: null,     // the module instance of the program's last run
  };
  window.spritedemoPage = page;

  const files = {};   // name in the program's working directory -> bytes
  const dropped = {}; // name -> the name of the dropped file now used for it
  let restarting = false;

  function say(text, problem) {
    statusLine.textContent = text;
    statusLine.classList.toggle('problem', Boolean(problem));
  }

  function fail(text) {
    page.state = 'failed';
    say(text, true);
  }

  // As many whole screen (device) pixels per frame pixel as fit, when that is
  // at least the page's own 1:1. Otherwise 1:1, the page scrolling if only
  // the height is short; shrunk to the width only where 640 does not fit.
  function fit() {
    const ratio = window.devicePixelRatio || 1;
    const around = canvas.parentElement.offsetHeight - canvas.offsetHeight;
    const roomWidth = document.documentElement.clientWidth - 16;
    const roomHeight = window.innerHeight - around;
    const steps = Math.floor(Math.min(roomWidth * ratio / canvas.width, roomHeight * ratio / canvas.height));
    const scale = steps >= ratio ? steps / ratio : Math.min(1, roomWidth / canvas.width);
    canvas.style.width = canvas.width * scale + 'px';
    canvas.style.height = canvas.height * scale + 'px';
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

  async function fetchSample(name) {
    try {
      const response = await fetch(name);
      if (response.ok) {
        files[name] = new Uint8Array(await response.arrayBuffer());
      }
    } catch (error) {
      // Left out: the program runs without it, as it would with the file missing.
    }
  }

  function ended(status) {
    page.exitStatus = status;
    if (restarting) {
      restarting = false;
      run();
      return;
    }
    page.state = 'ended';
    // A failed display set-up is written to the error log (the status is 0 then too).
    const fs = page.module.FS;
    const log = fs.analyzePath('ErrLog.txt').exists ? fs.readFile('ErrLog.txt', {encoding: 'utf8'}).trim() : '';
    if (log || status !== 0) {
      say('The demo ended with status ' + status + (log ? ', its error log says: ' + log : '') + '. ', true);
    } else {
      say('The demo has ended. ');
    }
    const again = document.createElement('button');
    again.textContent = 'Run it again';
    again.onclick = run;
    statusLine.appendChild(again);
  }

  async function run() {
    page.state = 'loading';
    page.exitStatus = null;
    say('Starting\u2026');
    let module;
    try {
      module = await window.createSpritedemo({
        canvas: canvas,
        noInitialRun: true,
        print: function (line) { console.log(line); },
        printErr: function (line) { console.warn(line); },
        onExit: ended,
        onAbort: function (what) { fail('The demo stopped: ' + what); },
        preRun: [function (m) {
          if (params.has('isa')) m.ENV.SPRITEDEMO_ISA = params.get('isa');
        }],
      });
    } catch (error) {
      fail('The demo could not start: ' + error);
      return;
    }
    for (const name of Object.keys(files)) {
      module.FS.writeFile(name, files[name]);
    }
    page.module = module;
    page.state = 'running';
    const uses = Object.keys(dropped).map(function (name) { return dropped[name] + ' as ' + kRoles[name]; });
    say('Running' + (page.build === 'simd' ? '' : ' (without WebAssembly SIMD)') +
        (uses.length ? ', with ' + uses.join(' and ') : '') + '.');
    module.callMain([]);
  }

  // The program reads its files only when it starts: a new file means a new run.
  function useFile(name, bytes, shownName) {
    files[name] = bytes;
    dropped[name] = shownName;
    if (page.state === 'running' && page.module) {
      restarting = true;
      page.module.requestClose();
    } else if (page.state !== 'loading') {
      run();
    }
  }

  async function offered(file) {
    if (which.open) return; // still asking about the last one
    const bytes = new Uint8Array(await file.arrayBuffer());
    if (bytes.length < kMagic.length || kMagic.some(function (value, i) { return bytes[i] !== value; })) {
      say(file.name + ' is not a SPRITE file (those start with "SPRITE"); nothing changed.', true);
      return;
    }
    document.getElementById('which-file').textContent = file.name;
    which.returnValue = '';
    which.onclose = function () {
      if (which.returnValue in kRoles) {
        useFile(which.returnValue, bytes, file.name);
      }
    };
    which.showModal();
  }

  document.addEventListener('dragover', function (event) {
    event.preventDefault();
    document.body.classList.add('drop-target');
  });
  document.addEventListener('dragleave', function () { document.body.classList.remove('drop-target'); });
  document.addEventListener('drop', function (event) {
    event.preventDefault();
    document.body.classList.remove('drop-target');
    const file = event.dataTransfer && event.dataTransfer.files[0];
    if (file) offered(file);
  });

  window.addEventListener('resize', fit);
  fit();

  async function start() {
    if (typeof WebAssembly !== 'object') {
      fail('This browser cannot run WebAssembly, which the demo needs.');
      return;
    }
    page.build = params.get('simd') !== '0' && WebAssembly.validate(kSimdProbe) ? 'simd' : 'nosimd';
    try {
      await Promise.all([
        loadScript(page.build === 'simd' ? 'spritedemo.js' : 'spritedemo-nosimd.js'),
        fetchSample('girl.spr'),
        fetchSample('bg.spr'),
      ]);
    } catch (error) {
      fail('The demo could not load: ' + error.message);
      return;
    }
    run();
  }
  start();
})();
