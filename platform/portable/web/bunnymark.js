// The bunnymark's page: picks the build this browser runs, puts bunny.spr in
// the program's file system and starts it with the page's query as its
// options, and shows in the caption the count and frame rate the program
// gives as its window's title. Sizing, folding and Fullscreen are the demo
// page's (page-common.js).
//
// ?bunnies=N starts with N bunnies (100 without it); with &frames=K it stops
// after frame K, showing what spritedemo-bunnymark --bunnies N --frames K
// --seed S makes headless, frame-rate text aside (&seed=S, 1 without it).
// ?simd=0, ?isa=NAME and ?present=2d as on the demo's page.
'use strict';

(function () {
  const {params, touch, hint, page, say, fail, setUpCaption, loadScript, createProgram, chooseBuild, statusLine} =
    window.pageCommon;
  const countLine = document.getElementById('count');
  const said = []; // what the program wrote on standard error

  // The page's query as the program's command line.
  function options() {
    const args = [];
    for (const name of ['bunnies', 'seed', 'frames']) {
      if (params.has(name)) args.push('--' + name, params.get(name));
    }
    return args;
  }

  function ended(status) {
    page.exitStatus = status;
    page.state = 'ended';
    if (status !== 0) {
      say('The bunnymark ended with status ' + status + (said.length ? ': ' + said.join(' ') : '') + ' ', true);
    } else {
      say(params.has('frames') ? 'Stopped after frame ' + params.get('frames') + '. ' : 'The bunnymark has ended. ');
    }
    const again = document.createElement('button');
    again.textContent = 'Run it again';
    again.onclick = function () { location.reload(); };
    statusLine.appendChild(again);
  }

  async function run(bunny) {
    let module;
    try {
      module = await createProgram(window.createBunnymark, {
        printErr: function (line) { said.push(line); console.warn(line); },
        onExit: ended,
        onAbort: function (what) { fail('The bunnymark stopped: ' + what); },
        onTitle: function (title) { countLine.textContent = document.title = title; },
      });
    } catch (error) {
      fail('The bunnymark could not start: ' + error);
      return;
    }
    if (bunny) module.FS.writeFile('bunny.spr', bunny);
    page.module = module;
    page.state = 'running';
    say('Running' + (page.build === 'simd' ? '.' : ' (without WebAssembly SIMD).'));
    module.callMain(options());
  }

  async function start() {
    if (!chooseBuild()) return;
    let bunny = null; // without it the program says so and ends
    try {
      const [, response] = await Promise.all([
        loadScript(page.build === 'simd' ? 'spritedemo-bunnymark.js' : 'spritedemo-bunnymark-nosimd.js'),
        fetch('bunny.spr'),
      ]);
      if (response.ok) bunny = new Uint8Array(await response.arrayBuffer());
    } catch (error) {
      fail('The bunnymark could not load: ' + error.message);
      return;
    }
    run(bunny);
  }

  document.getElementById('how').textContent = touch
    ? 'Hold a finger on it to add bunnies; leaving the page ends it.'
    : 'Hold the mouse button down over it to add bunnies; Esc ends it.';
  hint.textContent = touch ? 'Hold a finger on it.' : 'Hold the button down on it.';
  setUpCaption();
  start();
})();
