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
    context: null, // the 2D context, or null when frames go through WebGL
    gl: null,      // WebGL: the context, its program, the frame texture and the size uniform
    program: null,
    texture: null,
    size: null,
    events: [],    // [kind, a, b]: 1 pointer move (x, y), 2 key down (virtual key, repeat), 3 close,
                   // 4 button down (x, y), 5 button up (x, y)
    listeners: [], // [target, type, handler], to take them off again
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
      WebScreen.pointerEvent(1, event);
    },

    // An event of kind at the pointer's position, when the canvas is shown.
    pointerEvent: function(kind, event) {
      var canvas = WebScreen.canvas;
      var box = canvas.getBoundingClientRect();
      if (box.width <= 0 || box.height <= 0) return;
      var x = Math.floor((event.clientX - box.left) * canvas.width / box.width);
      var y = Math.floor((event.clientY - box.top) * canvas.height / box.height);
      WebScreen.events.push([kind, x, y]);
    },

    // The left button, a pen's tip or the first finger, as the left mouse
    // button. Captured while down, so that its release arrives from beside
    // the canvas too; a cancelled touch is a release.
    buttonPressed: function(event) {
      WebScreen.pointerEvent(1, event); // a tap moves there too
      if (event.button !== 0 || !event.isPrimary) return;
      WebScreen.pointerEvent(4, event);
      if (WebScreen.canvas.setPointerCapture) WebScreen.canvas.setPointerCapture(event.pointerId);
    },
    buttonReleased: function(event) {
      if (!event.isPrimary || (event.type === 'pointerup' && event.button !== 0)) return;
      WebScreen.pointerEvent(5, event);
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

    // RGB565 frames straight to the GPU: uploading them costs the page's
    // thread less than widening them and putting them on a 2D canvas. Plain
    // sampling turns a 5-bit channel c into c * 255 / 31 rounded, not the bit
    // replication the other screens show, so the shader takes back each
    // channel's integer value and replicates its bits itself. The drawing
    // buffer is kept, so the canvas can be read like a 2D one. Null where the
    // canvas gives no WebGL.
    startWebGL: function(canvas) {
      var gl = canvas.getContext('webgl', {alpha: false, antialias: false, depth: false, stencil: false,
                                           preserveDrawingBuffer: true});
      if (!gl || !WebScreen.prepareWebGL(gl)) return null;
      // A lost context (a GPU reset, say) takes everything made in it along;
      // once it is back, make it all again.
      WebScreen.listen(canvas, 'webglcontextlost', function(event) { event.preventDefault(); });
      WebScreen.listen(canvas, 'webglcontextrestored', function() {
        if (WebScreen.prepareWebGL(gl)) WebScreen.sizeWebGL(canvas.width, canvas.height);
      });
      return gl;
    },

    // The program, the triangle and the frame texture; false when the shaders
    // do not link.
    prepareWebGL: function(gl) {
      var precision = gl.getShaderPrecisionFormat(gl.FRAGMENT_SHADER, gl.HIGH_FLOAT).precision > 0 ? 'highp' : 'mediump';
      var shaders = [
        [gl.VERTEX_SHADER, 'attribute vec2 corner; void main() { gl_Position = vec4(corner, 0.0, 1.0); }'],
        [gl.FRAGMENT_SHADER, 'precision ' + precision + ' float;\n' +
          'uniform sampler2D frame; uniform vec2 size;\n' +
          'void main() {\n' +
          '  vec3 c = texture2D(frame, vec2(gl_FragCoord.x, size.y - gl_FragCoord.y) / size).rgb;\n' +
          '  vec3 v = floor(c * vec3(31.0, 63.0, 31.0) + 0.5);\n' +
          '  gl_FragColor = vec4((v * vec3(8.0, 4.0, 8.0) + floor(v / vec3(4.0, 16.0, 4.0))) / 255.0, 1.0);\n' +
          '}'],
      ];
      var program = WebScreen.program = gl.createProgram();
      shaders.forEach(function(entry) {
        var shader = gl.createShader(entry[0]);
        gl.shaderSource(shader, entry[1]);
        gl.compileShader(shader);
        gl.attachShader(program, shader);
      });
      gl.linkProgram(program);
      if (!gl.getProgramParameter(program, gl.LINK_STATUS)) return false;
      gl.useProgram(program);
      // One triangle covering the whole canvas.
      gl.bindBuffer(gl.ARRAY_BUFFER, gl.createBuffer());
      gl.bufferData(gl.ARRAY_BUFFER, new Float32Array([-1, -1, 3, -1, -1, 3]), gl.STATIC_DRAW);
      var corner = gl.getAttribLocation(program, 'corner');
      gl.enableVertexAttribArray(corner);
      gl.vertexAttribPointer(corner, 2, gl.FLOAT, false, 0, 0);
      WebScreen.size = gl.getUniformLocation(program, 'size');
      WebScreen.texture = gl.createTexture();
      gl.bindTexture(gl.TEXTURE_2D, WebScreen.texture);
      [[gl.TEXTURE_MIN_FILTER, gl.NEAREST], [gl.TEXTURE_MAG_FILTER, gl.NEAREST],
       [gl.TEXTURE_WRAP_S, gl.CLAMP_TO_EDGE], [gl.TEXTURE_WRAP_T, gl.CLAMP_TO_EDGE]].forEach(function(pair) {
        gl.texParameteri(gl.TEXTURE_2D, pair[0], pair[1]);
      });
      gl.pixelStorei(gl.UNPACK_ALIGNMENT, 2);
      return true;
    },

    // A black frame texture of the canvas's size, filling it.
    sizeWebGL: function(width, height) {
      var gl = WebScreen.gl;
      gl.viewport(0, 0, width, height);
      gl.uniform2f(WebScreen.size, width, height);
      gl.texImage2D(gl.TEXTURE_2D, 0, gl.RGB, width, height, 0, gl.RGB, gl.UNSIGNED_SHORT_5_6_5, null);
      gl.clearColor(0, 0, 0, 1);
      gl.clear(gl.COLOR_BUFFER_BIT);
    },
  },

  // 0 without a canvas; 2 when frames go through WebGL (asked for with
  // allowWebGL), 1 when on the 2D canvas.
  spritedemo_web_open__deps: ['$WebScreen'],
  spritedemo_web_open: function(allowWebGL) {
    var canvas = Module['canvas'];
    if (!canvas || !canvas.getContext) return 0;
    WebScreen.gl = allowWebGL ? WebScreen.startWebGL(canvas) : null;
    WebScreen.context = WebScreen.gl ? null : canvas.getContext('2d', {alpha: false});
    if (!WebScreen.gl && !WebScreen.context) return 0;
    WebScreen.canvas = canvas;
    WebScreen.listen(canvas, 'pointermove', WebScreen.pointerMoved);
    WebScreen.listen(canvas, 'pointerdown', WebScreen.buttonPressed);
    WebScreen.listen(canvas, 'pointerup', WebScreen.buttonReleased);
    WebScreen.listen(canvas, 'pointercancel', WebScreen.buttonReleased);
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
    Module['presentedWith'] = WebScreen.gl ? 'WebGL' : '2D canvas';
    return WebScreen.gl ? 2 : 1;
  },

  spritedemo_web_close__deps: ['$WebScreen'],
  spritedemo_web_close: function() {
    WebScreen.listeners.forEach(function(entry) { entry[0].removeEventListener(entry[1], entry[2]); });
    WebScreen.listeners = [];
    WebScreen.events = [];
    // The canvas keeps its WebGL context for the next run, which makes its own.
    if (WebScreen.gl) {
      WebScreen.gl.deleteTexture(WebScreen.texture);
      WebScreen.gl.deleteProgram(WebScreen.program);
      WebScreen.gl = null;
    }
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
    if (WebScreen.gl) {
      WebScreen.sizeWebGL(width, height);
    } else {
      WebScreen.context.fillStyle = '#000';
      WebScreen.context.fillRect(0, 0, width, height);
    }
    return 1;
  },

  // pixels: width x height RGB565 words, rows without gaps, in the module's
  // memory (2-byte aligned); through WebGL.
  spritedemo_web_present_565__deps: ['$WebScreen'],
  spritedemo_web_present_565: function(pixels, width, height) {
    var gl = WebScreen.gl;
    if (!gl) return;
    gl.texSubImage2D(gl.TEXTURE_2D, 0, 0, 0, width, height, gl.RGB, gl.UNSIGNED_SHORT_5_6_5,
                     new Uint16Array(HEAPU8.buffer, pixels, width * height));
    gl.drawArrays(gl.TRIANGLES, 0, 3);
    Module['framesPresented']++;
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

  // The window's title, for the page to show (Module.onTitle, when it gave one).
  spritedemo_web_title: function(text) {
    if (Module['onTitle']) Module['onTitle'](UTF8ToString(text));
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
