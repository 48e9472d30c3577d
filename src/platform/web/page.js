// The page's side of the game: the canvas, the keyboard, the game's files in the browser's storage,
// the sounds, and the controls under the picture. The game's code reaches it as Module.page; the
// page itself never calls into the game, which asks for what it needs once a frame. (No `??` here:
// the build's minifier drops the parentheses around it.)
(function () {
  'use strict';
  const cols = 80, rows = 25, glyphw = 8, glyphh = 16;
  const width = cols * glyphw, height = rows * glyphh;
  const rate = 6000; // counter ticks a millisecond: six million a second
  const params = new URLSearchParams(location.search);
  const $ = (id) => document.getElementById(id);

  function say(text) {
    const line = document.createElement('div');
    line.textContent = text;
    $('said').appendChild(line);
  }

  // The clock stands still while the page is hidden: the game waits for it, and does not run the
  // frames it missed when it shows again.
  let hiddenat = document.hidden ? performance.now() : null;
  let paused = 0;
  let showwaiters = [];
  function clock() {
    const now = hiddenat === null ? performance.now() : hiddenat;
    return Math.floor((now - paused) * rate);
  }
  function stamp(eventtime) {
    return Math.min(clock(), Math.max(0, Math.floor((eventtime - paused) * rate)));
  }

  // A wait of no time goes round the browser's event loop through a message, which, unlike a timer,
  // is not held back to several milliseconds when it comes again and again.
  const soon = [];
  const channel = new MessageChannel();
  channel.port1.onmessage = () => soon.shift()();
  function wait(ms) {
    return new Promise((resolve) => {
      if (hiddenat !== null) {
        showwaiters.push(resolve);
      } else if (ms <= 0) {
        soon.push(resolve);
        channel.port2.postMessage(0);
      } else {
        setTimeout(resolve, Math.ceil(ms));
      }
    });
  }

  // Keys: the game's virtual-key codes by the key's place on the keyboard; letters follow the
  // layout, as they do in the game's window.
  const places = {
    Escape: 0x1b, Minus: 0xbd, Equal: 0xbb, Backspace: 0x08, Tab: 0x09, BracketLeft: 0xdb,
    BracketRight: 0xdd, Enter: 0x0d, ControlLeft: 0xa2, ControlRight: 0xa3, Semicolon: 0xba,
    Quote: 0xde, Backquote: 0xc0, ShiftLeft: 0xa0, ShiftRight: 0xa1, Backslash: 0xdc, Comma: 0xbc,
    Period: 0xbe, Slash: 0xbf, AltLeft: 0xa4, AltRight: 0xa5, Space: 0x20, CapsLock: 0x14,
    NumLock: 0x90, ScrollLock: 0x91, NumpadMultiply: 0x6a, NumpadSubtract: 0x6d, NumpadAdd: 0x6b,
    NumpadDecimal: 0x6e, NumpadDivide: 0x6f, NumpadEnter: 0x0d, IntlBackslash: 0xe2,
    PrintScreen: 0x2c, Pause: 0x13, Home: 0x24, End: 0x23, PageUp: 0x21, PageDown: 0x22,
    ArrowLeft: 0x25, ArrowUp: 0x26, ArrowRight: 0x27, ArrowDown: 0x28, Insert: 0x2d, Delete: 0x2e,
    MetaLeft: 0x5b, MetaRight: 0x5c, ContextMenu: 0x5d,
  };
  function vkof(e) {
    const c = e.code;
    if (/^Key[A-Z]$/.test(c))
      return /^[a-z]$/i.test(e.key) ? e.key.toUpperCase().charCodeAt(0) : c.charCodeAt(3);
    if (/^Digit[0-9]$/.test(c)) return c.charCodeAt(5);
    if (/^Numpad[0-9]$/.test(c)) return 0x60 + (c.charCodeAt(6) - 48);
    const f = /^F([0-9]+)$/.exec(c);
    if (f && f[1] >= 1 && f[1] <= 12) return 0x6f + Number(f[1]);
    return places[c] || 0;
  }
  const heard = []; // [code, down, tick], in order; code 0 is every key up
  const held = {}; // event.code -> the code its press went in as, so its release matches
  let frame = 0;
  const keylog = [];
  function releaseall() {
    for (const k in held) delete held[k];
    heard.push([0, 0, clock()]);
  }
  // The browser's own use of a key the game may want (scrolling, focus, find) is not made; its
  // reload, developer tools and shortcuts with Ctrl or the system key are left alone.
  function mine(e, vk) {
    if (e.code === 'F5' || e.code === 'F12') return false;
    if ((e.ctrlKey || e.metaKey) && e.code !== 'ControlLeft' && e.code !== 'ControlRight' && !/^(Arrow|Space|Enter|Tab)/.test(e.code))
      return false;
    return vk !== 0;
  }
  addEventListener('keydown', (e) => {
    gesture();
    const vk = e.code in held ? held[e.code] : vkof(e);
    if (mine(e, vk) || e.code === 'F11') e.preventDefault();
    if (e.code === 'F11' && !e.repeat) fullscreen();
    if (e.repeat || vk === 0) return;
    held[e.code] = vk;
    heard.push([vk, 1, stamp(e.timeStamp)]);
  });
  addEventListener('keyup', (e) => {
    const vk = e.code in held ? held[e.code] : vkof(e);
    delete held[e.code];
    if (mine(e, vk)) e.preventDefault();
    if (vk !== 0) heard.push([vk, 0, stamp(e.timeStamp)]);
  });
  addEventListener('blur', releaseall);
  document.addEventListener('visibilitychange', () => {
    if (document.hidden) {
      if (hiddenat === null) hiddenat = performance.now();
      releaseall();
    } else if (hiddenat !== null) {
      paused += performance.now() - hiddenat;
      hiddenat = null;
      const waiting = showwaiters;
      showwaiters = [];
      waiting.forEach((w) => w());
    }
  });
  function takekeys(into, most) {
    const n = Math.min(most, heard.length);
    const out = HEAPF64.subarray(into >> 3, (into >> 3) + 3 * n);
    for (let i = 0; i < n; i++) {
      const [code, down, at] = heard.shift();
      out.set([code, down, at], 3 * i);
      if (tracing) keylog.push({ frame, code, down });
    }
    return n;
  }

  // The picture: 80 by 25 cells of the font in the 16 colours, on a canvas of the font's own size
  // that the page scales by whole multiples with crisp pixels.
  let canvas, context, image, pixels, font;
  const colours = new Uint32Array(16);
  const shown = new Uint16Array(cols * rows * 2);
  const tracing = params.has('trace');
  const trace = []; // in tests: the screen's text at each frame that changed it
  function open(fontat) {
    font = HEAPU8.slice(fontat, fontat + 256 * glyphh);
    canvas = $('screen');
    // Drawn straight to the screen rather than through the page's compositing: the frame meter
    // changes a few cells many times a second, and each composited update of the canvas cost
    // the renderer about as much again as the rest of the idle menu.
    context = canvas.getContext('2d', { alpha: false, desynchronized: true });
    image = context.createImageData(width, height);
    pixels = new Uint32Array(image.data.buffer);
    shown.fill(0);
    fit();
  }
  function drawcell(x, y) {
    const i = 2 * (y * cols + x);
    const g = shown[i] & 0xff, a = shown[i + 1];
    const fg = colours[a & 15], bg = colours[(a >> 4) & 15];
    let p = y * glyphh * width + x * glyphw;
    for (let gy = 0; gy < glyphh; gy++, p += width) {
      const bits = font[g * glyphh + gy];
      for (let gx = 0; gx < glyphw; gx++) pixels[p + gx] = bits & (0x80 >> gx) ? fg : bg;
    }
  }
  function present(at, left, top, right, bottom) {
    if (!image) return;
    const cells = HEAPU16.subarray(at >> 1, (at >> 1) + cols * rows * 2);
    let x0 = cols, x1 = -1, y0 = rows, y1 = -1;
    for (let y = Math.max(top, 0); y <= bottom && y < rows; y++)
      for (let x = Math.max(left, 0); x <= right && x < cols; x++) {
        const i = 2 * (y * cols + x);
        const ch = cells[i] & 0xff, attr = cells[i + 1] & 0xff;
        if (ch === shown[i] && attr === shown[i + 1]) continue;
        shown[i] = ch;
        shown[i + 1] = attr;
        drawcell(x, y);
        x0 = Math.min(x0, x), x1 = Math.max(x1, x), y0 = Math.min(y0, y), y1 = Math.max(y1, y);
      }
    if (x1 < 0) return;
    if (window.dropple.firstshown === null) window.dropple.firstshown = performance.now();
    context.putImageData(image, 0, 0, x0 * glyphw, y0 * glyphh, (x1 - x0 + 1) * glyphw, (y1 - y0 + 1) * glyphh);
    if (tracing) {
      trace.push({ frame, rows: textrows() });
      if (trace.length > 2000) trace.shift();
    }
  }
  function palette(at) {
    let differs = false;
    for (let i = 0; i < 16; i++) {
      const r = HEAPU8[at + 3 * i], g = HEAPU8[at + 3 * i + 1], b = HEAPU8[at + 3 * i + 2];
      const v = (0xff000000 | (b << 16) | (g << 8) | r) >>> 0;
      differs = differs || colours[i] !== v;
      colours[i] = v;
    }
    if (!differs || !image) return;
    for (let y = 0; y < rows; y++) for (let x = 0; x < cols; x++) drawcell(x, y);
    context.putImageData(image, 0, 0);
  }
  function textrows() {
    const out = [];
    for (let y = 0; y < rows; y++) {
      let s = '';
      for (let x = 0; x < cols; x++) s += String.fromCharCode(shown[2 * (y * cols + x)]);
      out.push(s);
    }
    return out;
  }
  // The largest whole multiple of the picture, in the display's own pixels, that fits.
  function fit() {
    if (!canvas) return;
    const box = $('game').getBoundingClientRect();
    const ratio = devicePixelRatio || 1;
    const s = Math.max(1, Math.floor(Math.min((box.width * ratio) / width, (box.height * ratio) / height)));
    canvas.style.width = (width * s) / ratio + 'px';
    canvas.style.height = (height * s) / ratio + 'px';
  }
  addEventListener('resize', fit);
  document.addEventListener('fullscreenchange', fit);
  function fullscreen() {
    if (document.fullscreenElement) document.exitFullscreen();
    else $('game').requestFullscreen().catch(() => {});
  }

  // The game's files, each an entry of the page's storage under "dropple:" and its bare name,
  // held in memory as well. A refused storage (a browser's privacy settings, a sandboxed frame)
  // leaves the memory only.
  const prefix = 'dropple:';
  const files = new Map();
  let store = null;
  try {
    store = window.localStorage;
    store.setItem(prefix, '');
    store.removeItem(prefix);
  } catch (e) {
    store = null;
  }
  const tobytes = (s) => Uint8Array.from(s, (c) => c.charCodeAt(0));
  function tostring(bytes) {
    let s = '';
    for (let i = 0; i < bytes.length; i += 8192) s += String.fromCharCode.apply(null, bytes.subarray(i, i + 8192));
    return s;
  }
  function loadfiles() {
    if (!store) return;
    for (const name of [...files.keys()]) if (!name.startsWith('watching/')) files.delete(name);
    for (let i = 0; i < store.length; i++) {
      const key = store.key(i);
      if (key.startsWith(prefix) && key.length > prefix.length) files.set(key.slice(prefix.length), tobytes(store.getItem(key)));
    }
  }
  loadfiles();
  // Two tabs of the game share the storage: a game's end is filed by one tab at a time, on what the
  // storage holds then. The hold is an entry naming its tab, taken over once it is five seconds
  // old, so a tab closed while it held the files holds up no other. 1 when held (or no storage).
  const me = Math.random().toString(36).slice(2);
  const lockkey = 'dropple-hold';
  function holdfiles(hold) {
    if (!store) return 1;
    try {
      const [who, when] = (store.getItem(lockkey) || ' 0').split(' ');
      if (!hold) {
        if (who === me) store.removeItem(lockkey);
        return 1;
      }
      if (who !== me && who !== '' && Date.now() - Number(when) < 5000) return 0;
      store.setItem(lockkey, me + ' ' + Date.now());
      loadfiles();
    } catch (e) {
      // A storage that cannot hold the entry cannot keep the files either: the save says so.
    }
    return 1;
  }
  function readfile(name, into, most) {
    const f = files.get(name);
    if (!f) return -1;
    const n = Math.min(most, f.length);
    HEAPU8.set(f.subarray(0, n), into);
    return n;
  }
  function replacefile(name, bytes) {
    if (store && !name.startsWith('watching/')) {
      try {
        store.setItem(prefix + name, tostring(bytes));
      } catch (e) {
        return "the browser's storage for this page is full";
      }
    }
    files.set(name, bytes);
    if (name.startsWith('replays/')) listreplays();
    return '';
  }
  function removefile(name) {
    if (!files.has(name)) return 0;
    if (store) store.removeItem(prefix + name);
    files.delete(name);
    if (name.startsWith('replays/')) listreplays();
    return 1;
  }
  function names(folder) {
    const found = [];
    for (const name of files.keys())
      if (name.startsWith(folder + '/') && !name.slice(folder.length + 1).includes('/')) found.push(name.slice(folder.length + 1));
    return found;
  }
  // The names in the folder, each ended by a line break.
  const listfolder = (folder) => names(folder).map((n) => n + '\n').join('');

  // The newest kept replays, each to download.
  function listreplays() {
    const list = $('replays');
    if (!list) return;
    list.textContent = '';
    const kept = names('replays').filter((n) => n.endsWith('.replay')).sort().reverse().slice(0, 8);
    for (const name of kept) {
      const a = document.createElement('a');
      a.textContent = name;
      a.download = name;
      a.href = URL.createObjectURL(new Blob([files.get('replays/' + name)]));
      list.appendChild(a);
    }
    $('kept').hidden = kept.length === 0;
  }

  // A replay file the player opens is watched as the command line's --replay does: the page loads
  // again with it, since the game plays one or the other from its start.
  const watchkey = 'dropple-watch';
  function watch(file) {
    file.arrayBuffer().then((buffer) => {
      try {
        sessionStorage.setItem(watchkey, tostring(new Uint8Array(buffer)));
        location.search = '?watch';
      } catch (e) {
        say('This browser keeps nothing for this page, so it cannot open a replay.');
      }
    });
  }
  if (params.has('watch')) {
    let bytes = null;
    try {
      const s = sessionStorage.getItem(watchkey);
      sessionStorage.removeItem(watchkey);
      if (s !== null) bytes = tobytes(s);
    } catch (e) {}
    if (bytes) {
      files.set('watching/replay', bytes);
      Module.arguments = ['--replay', 'watching/replay'];
    }
  }

  // Sounds: the browser allows them from the player's first key or click on; the game then makes
  // them all, the next frame.
  let audio = null, volume = null, wanted = false;
  const sounds = new Map(), playing = new Map();
  function gesture() {
    if (!audio && window.AudioContext) {
      audio = new AudioContext();
      volume = audio.createGain();
      volume.gain.value = 50 / 128; // the level the other platforms mix at
      volume.connect(audio.destination);
      wanted = true;
    } else if (audio && audio.state === 'suspended') {
      audio.resume();
    }
  }
  addEventListener('pointerdown', gesture);
  function wantsounds() {
    const w = wanted;
    wanted = false;
    return w;
  }
  function addsound(name, samples, samplerate) {
    const buffer = audio.createBuffer(1, samples.length, samplerate);
    const data = buffer.getChannelData(0);
    for (let i = 0; i < samples.length; i++) data[i] = samples[i] / 32768;
    sounds.set(name, buffer);
  }
  // Each sound plays on its own: asked for again it starts over, while the others go on.
  function play(name) {
    const buffer = sounds.get(name);
    if (!buffer) return;
    if (tracing) window.dropple.played.push(name);
    const before = playing.get(name);
    if (before) before.stop();
    const source = audio.createBufferSource();
    source.buffer = buffer;
    source.connect(volume);
    source.start();
    playing.set(name, source);
    source.onended = () => playing.get(name) === source && playing.delete(name);
  }

  // A string for the game, in memory it frees; none for the empty string.
  function cstring(s) {
    if (!s) return 0;
    const size = lengthBytesUTF8(s) + 1;
    const at = _malloc(size);
    stringToUTF8(s, at, size);
    return at;
  }

  function framebegins() {
    frame++;
  }

  Module.page = {
    clock, wait, open, present, palette, takekeys, readfile, replacefile, removefile, listfolder, holdfiles,
    wantsounds, addsound, play, framebegins, cstring, close,
  };
  // Read by the page's tests and benchmark: the screen as shown, the frame count, keys by frame,
  // the files, and when the first picture was drawn (milliseconds after the page was asked for).
  window.dropple = {
    rows: textrows, frame: () => frame, trace, keylog, files, stored: () => store !== null,
    ended: null, output: [], firstshown: null, sounds: () => sounds.size, played: [],
  };

  Module.print = (text) => {
    console.log(text);
    window.dropple.output.push(text);
  };
  Module.printErr = (text) => {
    console.warn(text);
    window.dropple.output.push(text);
  };
  // The game has given the page back: once it has printed its last lines (a watched replay's end,
  // settings that could not be kept), the page says so and offers to play again.
  function close() {
    setTimeout(() => {
      window.dropple.ended = true;
      $('again').hidden = false;
      const lines = window.dropple.output.filter((l) => l.trim() !== '');
      if (lines.length) say(lines.join('; '));
    }, 0);
  }

  function controls() {
    $('full').onclick = fullscreen;
    $('open').onchange = (e) => e.target.files[0] && watch(e.target.files[0]);
    addEventListener('dragover', (e) => e.preventDefault());
    addEventListener('drop', (e) => {
      e.preventDefault();
      if (e.dataTransfer.files[0]) watch(e.dataTransfer.files[0]);
    });
    $('again').onclick = () => (location.href = location.pathname);
    if (!store) say('This browser keeps no storage for this page: settings, records and replays last only until it is closed.');
    listreplays();
    fit();
  }
  if (document.readyState === 'loading') document.addEventListener('DOMContentLoaded', controls);
  else controls();
})();
