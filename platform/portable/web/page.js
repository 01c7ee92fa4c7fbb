// The page around the demo: picks the build this browser runs, puts the
// sprite files in the program's file system and starts it, shows the canvas
// as large as whole screen pixels allow, and runs the demo again with sprite
// files or PNGs dropped on the page or picked, or with the samples again.
// Dropped sprite files are checked, and PNGs packed, by spritetool's own code
// (spritetool.js); the page only decodes PNGs, exactly, with pngjs.
//
// One program instance lives at a time: a new run starts only after the last
// one has ended, and from a fresh stack (see ended), so nothing of the old
// instance stays reachable.
//
// For tests: ?simd=0 takes the build without SIMD, ?isa=NAME caps the draws'
// kernels as SPRITEDEMO_ISA does, ?present=2d shows frames on a 2D canvas
// instead of WebGL; window.spritedemoPage tells what runs.
'use strict';

(function () {
  const {canvas, statusLine, hint, touch, page, say, fail, placeCaption, setUpCaption, loadScript,
         createProgram, chooseBuild, control} = window.pageCommon;
  const filePicker = document.getElementById('files');
  const samplesButton = document.getElementById('samples');
  const which = document.getElementById('which');

  const kPngSignature = [0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a];
  const kRoles = {'girl.spr': 'the girl', 'bg.spr': 'the background'};
  // How a PNG is packed for each role: the girl centred on the pointer, the
  // background pinned to the top-left corner when asked (as the guide packs them).
  const kHotspotCenter = 1;
  const kMaxSide = 32767; // of a sprite frame, whose sides are signed 16-bit

  const samples = {}; // name in the program's working directory -> the sample's bytes
  const files = {};   // name -> the bytes the next run gets
  const chosen = {};  // name -> the name of the user's file now used for it
  let restarting = false;
  let runningLine = ''; // what the status line says while the current run runs
  const packed = {};  // name -> {role, bytes, command} of a file packed from a PNG, offered for download
  let spritetool = null; // the module instance that checks and packs (spritetool.js)

  // --- Running the program.

  async function fetchSample(name) {
    try {
      const response = await fetch(name);
      if (response.ok) {
        samples[name] = files[name] = new Uint8Array(await response.arrayBuffer());
      }
    } catch (error) {
      // Left out: the program runs without it, as it would with the file missing.
    }
  }

  function ended(status) {
    page.exitStatus = status;
    if (restarting) {
      restarting = false;
      page.module = null;
      // Not from here: this runs inside the old instance's exit, and the new
      // instance would keep that stack (and through it the old instance) in
      // the stack traces of the errors it makes while starting.
      setTimeout(run, 0);
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
    page.module = null;
    say('Starting\u2026');
    let module;
    try {
      module = await createProgram(window.createSpritedemo, {
        onExit: ended,
        onAbort: function (what) { fail('The demo stopped: ' + what); },
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
    const uses = Object.keys(chosen).map(function (name) { return chosen[name] + ' as ' + kRoles[name]; });
    runningLine = 'Running' + (page.build === 'simd' ? '' : ' (without WebAssembly SIMD)') +
      (uses.length ? ', with ' + uses.join(' and ') : '') + '.';
    say(runningLine);
    samplesButton.hidden = uses.length === 0;
    module.callMain([]);
  }

  // The program reads its files only when it starts: new files mean a new
  // run, once the running one has ended.
  function restart() {
    if (page.state === 'running' && page.module) {
      restarting = true;
      page.module.requestClose();
    } else if (page.state !== 'loading') {
      run();
    }
  }

  // --- Files from the user: dropped or picked, one or several at once.

  // Calls use(address) with bytes copied into spritetool's memory.
  function withBytes(bytes, use) {
    const at = spritetool._malloc(Math.max(bytes.length, 1));
    try {
      spritetool.HEAPU8.set(bytes, at);
      return use(at);
    } finally {
      spritetool._free(at);
    }
  }

  // Why bytes do not load as a sprite file, in the demo's own reader's words
  // (those of spritetool info), or '' when they load.
  function spriteProblem(bytes) {
    const reason = withBytes(bytes, function (at) {
      return spritetool.UTF8ToString(spritetool._spritetool_check(at, bytes.length));
    });
    return reason ? 'did not load (' + reason + ')' : '';
  }

  function isPng(bytes) {
    return kPngSignature.every(function (value, i) { return bytes[i] === value; });
  }

  // A PNG's pixels as 8-bit RGBA, as spritetool reads them: palettes and grey
  // widened, 16-bit samples cut to their high byte, no gamma, alpha from the
  // file or 255. Not by the browser, whose canvas keeps premultiplied colour.
  async function decodePng(bytes) {
    if (!window.png) await loadScript('pngjs.js');
    return new Promise(function (resolve, reject) {
      const decoder = new window.png.PNG({skipRescale: true}); // rescaling would round 16-bit samples
      let info = null;
      decoder.on('metadata', function (metadata) { info = metadata; });
      decoder.parse(bytes, function (error, image) {
        if (error) {
          reject(error);
          return;
        }
        const samples = image.data;
        const rgba = new Uint8Array(image.width * image.height * 4);
        if (info.palette || info.depth === 8) {
          rgba.set(samples.subarray(0, rgba.length));
        } else if (info.depth === 16) {
          for (let i = 0; i < rgba.length; i++) rgba[i] = samples[i] >> 8;
        } else {
          const scale = 255 / ((1 << info.depth) - 1); // 1, 2 and 4 bits: 255, 85, 17, whole
          for (let i = 0; i < rgba.length; i++) rgba[i] = samples[i] * scale;
        }
        resolve({width: image.width, height: image.height, rgba: rgba});
      });
    });
  }

  // The SPRITE file spritetool makes of a decoded PNG for a role.
  function pack(image, role, fixed) {
    const hotspot = role === 'girl.spr' ? kHotspotCenter : 0;
    const corner = fixed ? 0 : -1;
    return withBytes(image.rgba, function (at) {
      const bytes = spritetool._spritetool_pack(at, image.width, image.height, hotspot, corner, corner);
      return bytes ? spritetool.HEAPU8.slice(bytes, bytes + spritetool._spritetool_packed_size()) : null;
    });
  }

  // The spritetool command that makes the same file, the name quoted for a shell.
  function packCommand(name, role, fixed) {
    const quoted = /^[\w.,+-]+$/.test(name) ? name : "'" + name.replace(/'/g, "'\\''") + "'";
    return 'spritetool pack ' + quoted + ' -o ' + role +
      (role === 'girl.spr' ? ' --hotspot center' : fixed ? ' --fixed 0,0' : '');
  }

  // Links to save what was packed from PNGs, with how spritetool would make it.
  function showPacked() {
    const line = document.getElementById('packed');
    const made = Object.values(packed);
    for (const link of line.querySelectorAll('a')) URL.revokeObjectURL(link.href);
    line.textContent = '';
    line.hidden = made.length === 0;
    if (!made.length) return;
    line.append('Packed from your PNGs: ');
    made.forEach(function (file, i) {
      const link = document.createElement('a');
      link.href = URL.createObjectURL(new Blob([file.bytes], {type: 'application/octet-stream'}));
      link.download = file.role;
      link.textContent = file.role;
      link.title = 'as ' + file.command + ' makes it';
      const command = document.createElement('code');
      command.textContent = file.command;
      line.append(i ? ', ' : '', link, ' (', command, ')');
    });
    line.append('. Save them to use them again, here or with the demo on Windows or Linux.');
    placeCaption();
  }

  // A first guess at each file's role: a name saying background is the
  // background, others the girl; the second file of a role takes the other.
  function guessRoles(offers) {
    const taken = {};
    return offers.map(function (offer) {
      let role = /bg|back/i.test(offer.name) ? 'bg.spr' : 'girl.spr';
      if (taken[role]) role = Object.keys(kRoles).find(function (r) { return !taken[r]; }) || '';
      taken[role] = true;
      return role;
    });
  }

  // One question for all the files: which is the girl, which the background.
  function askRoles(offers) {
    const rows = document.getElementById('which-files');
    rows.textContent = '';
    const guesses = guessRoles(offers);
    const screenSized = function (image) { return image.width === canvas.width && image.height === canvas.height; };
    const choices = offers.map(function (offer, i) {
      const row = document.createElement('label');
      const select = document.createElement('select');
      for (const [value, text] of Object.entries(kRoles).concat([['', 'not used']])) {
        select.add(new Option(text, value, false, value === guesses[i]));
      }
      row.append(select, ' ' + offer.name);
      rows.appendChild(row);
      let fixed = null;
      if (offer.image) {
        // A background the size of the screen fills it only when fixed at 0,0.
        const fixedRow = document.createElement('label');
        fixed = document.createElement('input');
        fixed.type = 'checkbox';
        fixed.checked = screenSized(offer.image);
        fixedRow.append(fixed, ' fixed at 0,0 (its top-left corner stays there, not on the pointer)');
        fixedRow.className = 'fixed';
        const showFixed = function () { fixedRow.hidden = select.value !== 'bg.spr'; };
        select.addEventListener('change', showFixed);
        showFixed();
        rows.appendChild(fixedRow);
      }
      return {select: select, fixed: fixed};
    });
    which.returnValue = '';
    which.onclose = function () {
      if (which.returnValue !== 'use') return;
      let used = false;
      choices.forEach(function (choice, i) {
        const role = choice.select.value;
        const offer = offers[i];
        if (!role) return;
        let bytes = offer.bytes;
        delete packed[role];
        if (offer.image) {
          const fixed = role === 'bg.spr' && choice.fixed.checked;
          bytes = pack(offer.image, role, fixed);
          packed[role] = {role: role, bytes: bytes, command: packCommand(offer.name, role, fixed)};
        }
        files[role] = bytes;
        chosen[role] = offer.name;
        used = true;
      });
      showPacked();
      if (used) restart();
    };
    which.showModal();
  }

  async function offered(fileList) {
    if (which.open || !fileList.length) return; // still asking about the last ones
    if (page.state === 'running') say(runningLine); // a problem with files before is past
    const offers = [];
    const refused = [];
    for (const file of Array.from(fileList)) {
      const bytes = new Uint8Array(await file.arrayBuffer());
      if (isPng(bytes)) {
        try {
          const image = await decodePng(bytes);
          if (image.width > kMaxSide || image.height > kMaxSide) {
            refused.push(file.name + ' is larger than a sprite can be (' + kMaxSide + ' pixels a side)');
          } else {
            offers.push({name: file.name, image: image});
          }
        } catch (error) {
          refused.push(file.name + ' could not be read as a PNG (' + error.message + ')');
        }
        continue;
      }
      const problem = spriteProblem(bytes);
      if (problem) {
        refused.push(file.name + ' ' + problem);
      } else {
        offers.push({name: file.name, bytes: bytes});
      }
    }
    if (refused.length) {
      say(refused.join('; ') + '; nothing changed for ' + (refused.length > 1 ? 'them.' : 'it.'), true);
    }
    if (offers.length && !which.open) askRoles(offers); // unless files dropped meanwhile are being asked about
  }

  function useSamples() {
    for (const name of Object.keys(chosen)) {
      delete chosen[name];
      delete packed[name];
      if (samples[name]) files[name] = samples[name]; else delete files[name];
    }
    showPacked();
    restart();
  }

  // --- Controls and captions.

  function setUpControls() {
    document.getElementById('how').textContent = touch
      ? 'Move your finger over it; leaving the page ends it.'
      : 'Move the pointer over it; Esc ends it.';
    hint.textContent = touch ? 'Move a finger over it.' : 'Move the pointer over it.';
    document.getElementById('files-how').textContent = touch
      ? 'Pick PNGs or .spr files made with spritetool (Sprite files) to see them as the girl or the ' +
        'background; PNGs are packed as spritetool packs them, for you to save.'
      : 'Drop PNGs or .spr files made with spritetool on the page, or pick them (Sprite files), to see them ' +
        'as the girl or the background; PNGs are packed as spritetool packs them, for you to save.';
    control(samplesButton, useSamples);
    filePicker.addEventListener('change', function () {
      offered(filePicker.files);
      filePicker.value = ''; // the same file picked again is a change too
      filePicker.blur();
    });
    document.addEventListener('dragover', function (event) {
      event.preventDefault();
      document.body.classList.add('drop-target');
    });
    document.addEventListener('dragleave', function () { document.body.classList.remove('drop-target'); });
    document.addEventListener('drop', function (event) {
      event.preventDefault();
      document.body.classList.remove('drop-target');
      if (event.dataTransfer) offered(event.dataTransfer.files);
    });
    setUpCaption();
  }

  async function start() {
    if (!chooseBuild()) return;
    try {
      await Promise.all([
        loadScript(page.build === 'simd' ? 'spritedemo.js' : 'spritedemo-nosimd.js'),
        loadScript('spritetool.js'),
        fetchSample('girl.spr'),
        fetchSample('bg.spr'),
      ]);
      spritetool = await window.createSpritetool();
    } catch (error) {
      fail('The demo could not load: ' + error.message);
      return;
    }
    run();
  }
  setUpControls();
  start();
})();
