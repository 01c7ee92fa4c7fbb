// The browser half of the web screen (linked with --js-library): the canvas,
// the input the page delivers, and the one call that gives the browser its
// turn. ScreenWeb.cpp turns all of it into the screen contract; this side
// knows nothing of window messages.
//
// The page passes the canvas as Module.canvas. Each run of the program is a
// module instance of its own, so everything here belongs to one run and is
// let go of when it ends (spritedemo_web_close).

mergeInto(LibraryManager.library, {
  $WebScreen: {
    canvas: null,
    context: null,
    events: [],    // [kind, a, b]: 1 pointer move (x, y), 2 key down (virtual key, repeat), 3 close
    listeners: [], // [target, type, handler], to take them off again
    workStart: 0,  // when the program last got the thread back
    wake: null,    // resumes the program while it waits in a hidden page
    closing: false, // asked to close: it takes a few more passes of the loop to end

    // Windows virtual keys for the keys SDL's backend also reports: letters and
    // digits as their upper-case ASCII, and Esc, Tab, Backspace, Enter, Space.
    // Anything else is key 0.
    virtualKey: function(event) {
      var named = {Escape: 0x1B, Tab: 0x09, Backspace: 0x08, Enter: 0x0D, NumpadEnter: 0x0D, Space: 0x20};
      var code = event.code || '';
      if (named[code] !== undefined) return named[code];
      if (event.key === 'Escape' || event.key === 'Esc') return 0x1B;
      var match = /^(?:Key([A-Z])|Digit([0-9]))$/.exec(code);
      return match ? (match[1] || match[2]).charCodeAt(0) : 0;
    },

    // A pointer position in canvas pixels: the canvas may be shown larger
    // (or smaller) than its size in pixels. The portable layer pins it to the frame.
    pointerMoved: function(event) {
      var canvas = WebScreen.canvas;
      var box = canvas.getBoundingClientRect();
      if (box.width <= 0 || box.height <= 0) return;
      var x = Math.floor((event.clientX - box.left) * canvas.width / box.width);
      var y = Math.floor((event.clientY - box.top) * canvas.height / box.height);
      WebScreen.events.push([1, x, y]);
    },

    // Closing, even while the program waits for a frame that a hidden page
    // never paints.
    close: function() {
      WebScreen.events.push([3, 0, 0]);
      WebScreen.closing = true;
      if (WebScreen.wake) setTimeout(WebScreen.wake, 0);
    },

    listen: function(target, type, handler) {
      target.addEventListener(type, handler);
      WebScreen.listeners.push([target, type, handler]);
    },
  },

  spritedemo_web_open__deps: ['$WebScreen'],
  spritedemo_web_open: function() {
    var canvas = Module['canvas'];
    var context = canvas && canvas.getContext ? canvas.getContext('2d', {alpha: false}) : null;
    if (!context) return 0;
    WebScreen.canvas = canvas;
    WebScreen.context = context;
    WebScreen.listen(canvas, 'pointermove', WebScreen.pointerMoved);
    WebScreen.listen(canvas, 'pointerdown', WebScreen.pointerMoved); // a tap moves there too
    WebScreen.listen(window, 'keydown', function(event) {
      // Keys for the page's own controls (Esc closing a dialog) are not the program's.
      var target = event.target;
      if (target && target.closest && target.closest('dialog, button, input, select, textarea')) return;
      WebScreen.events.push([2, WebScreen.virtualKey(event), event.repeat ? 1 : 0]);
    });
    // Leaving the page is the user closing the program's window.
    WebScreen.listen(window, 'pagehide', WebScreen.close);
    // Lets the page ask the program to end, as closing its window would.
    Module['requestClose'] = WebScreen.close;
    Module['framesPresented'] = 0;
    Module['workMilliseconds'] = 0; // time the program held the thread, for measuring
    WebScreen.workStart = performance.now();
    return 1;
  },

  spritedemo_web_close__deps: ['$WebScreen'],
  spritedemo_web_close: function() {
    WebScreen.listeners.forEach(function(entry) { entry[0].removeEventListener(entry[1], entry[2]); });
    WebScreen.listeners = [];
    WebScreen.events = [];
    WebScreen.wake = null;
    Module['requestClose'] = function() {};
  },

  spritedemo_web_canvas_size__deps: ['$WebScreen'],
  spritedemo_web_canvas_size: function(width, height) {
    var canvas = WebScreen.canvas || Module['canvas'];
    HEAP32[width >> 2] = canvas ? canvas.width : 640;
    HEAP32[height >> 2] = canvas ? canvas.height : 480;
  },

  spritedemo_web_set_mode__deps: ['$WebScreen'],
  spritedemo_web_set_mode: function(width, height) {
    var canvas = WebScreen.canvas;
    if (!canvas) return 0;
    canvas.width = width;
    canvas.height = height;
    WebScreen.context.fillStyle = '#000';
    WebScreen.context.fillRect(0, 0, width, height);
    return 1;
  },

  // rgba: width x height pixels of R, G, B, A bytes in the module's memory.
  spritedemo_web_present__deps: ['$WebScreen'],
  spritedemo_web_present: function(rgba, width, height) {
    var context = WebScreen.context;
    if (!context) return;
    var bytes = new Uint8ClampedArray(HEAPU8.buffer, rgba, width * height * 4);
    context.putImageData(new ImageData(bytes, width, height), 0, 0);
    Module['framesPresented']++;
  },

  // The next event, or 0 when none is waiting.
  spritedemo_web_next_event__deps: ['$WebScreen'],
  spritedemo_web_next_event: function(kind, a, b) {
    var event = WebScreen.events.shift();
    if (!event) return 0;
    HEAP32[kind >> 2] = event[0];
    HEAP32[a >> 2] = event[1];
    HEAP32[b >> 2] = event[2];
    return 1;
  },

  // The one call that yields (named in ASYNCIFY_IMPORTS): the program's stack
  // is put aside, the browser runs (paints, delivers input), and the program
  // carries on from here. untilNextFrame: wait for the next animation frame;
  // in a hidden page, where there are none, until it shows again (no frames
  // drawn for nobody) or the program is asked to close; in a page that shows
  // but gets no animation frames, 100 ms. Otherwise just one turn.
  spritedemo_web_yield__deps: ['$WebScreen'],
  spritedemo_web_yield: function(untilNextFrame) {
    // Called again on the way back in, when handleSleep only hands over the result.
    if (Asyncify.state === Asyncify.State.Normal) {
      Module['workMilliseconds'] += performance.now() - WebScreen.workStart;
    }
    return Asyncify.handleSleep(function(wakeUp) {
      var done = false;
      var frame = 0;
      var timer = 0;
      function resume() {
        if (done) return;
        done = true;
        WebScreen.wake = null;
        if (frame) cancelAnimationFrame(frame);
        clearTimeout(timer);
        WebScreen.workStart = performance.now();
        try {
          wakeUp();
        } catch (e) {
          // The program ending: the standard exit unwinds through here, its
          // status already handed to the page (Module.onExit).
          if (!(e instanceof ExitStatus)) throw e;
        }
      }
      if (untilNextFrame) {
        frame = requestAnimationFrame(resume);
        if (document.hidden && !WebScreen.closing) {
          WebScreen.wake = resume;
        } else {
          timer = setTimeout(resume, 100);
        }
      } else {
        timer = setTimeout(resume, 0);
      }
    });
  },
});
