// corvida.js: one script tag, and every stack on the page plays. Finds the <embed> and
// <object> elements that name a stack, puts a player element of the same size in each
// one's place, and runs one player per element in its own instance of the WebAssembly
// module. This script is the browser for the player: it starts each instance through the
// plug-in's entry points, streams the stack to it with fetch, answers its requests for
// further files with fetch, and passes it the canvas's input. Sound goes out through one
// Web Audio context for the page; preferences, scripts' files and the download cache are
// kept in the site's IndexedDB; a .stk file dropped on a player (or handed to
// CorvidaPlayer.playFile) plays from memory.
//
// Page-wide options: window.CorvidaPlayer = {config: {autoplay, baseUrl, scaling,
// letterbox}} before this script; per element through the attributes data-autoplay,
// data-scaling ("whole" or "fit") and data-letterbox ("false" to fill the element).
(function () {
  'use strict';

  const STACK_TYPES = ['application/cvtu', 'application/corvida'];
  const script = document.currentScript;
  const scriptBase = new URL('.', script && script.src ? script.src : location.href).href;
  const pageConfig = Object.assign(
    {autoplay: false, baseUrl: scriptBase, scaling: 'whole', letterbox: true},
    (window.CorvidaPlayer && window.CorvidaPlayer.config) || {});
  const assetBase = new URL(pageConfig.baseUrl, location.href).href;

  // Attribute and parameter names are matched without regard to case.
  function attr(el, name) {
    for (const a of el.attributes) if (a.name.toLowerCase() === name) return a.value;
    return null;
  }
  function param(obj, name) {
    for (const p of obj.querySelectorAll('param')) {
      if ((attr(p, 'name') || '').toLowerCase() === name) return attr(p, 'value');
    }
    return null;
  }
  // The path part of a URL ends in ".stk" (any case); query and fragment do not count.
  function namesStack(url) {
    const path = url.split('#')[0].split('?')[0];
    return /\.stk$/i.test(path.trim());
  }
  // The stack URL an element names, or null when it is not a stack element.
  function stackOf(el) {
    const tag = el.tagName.toLowerCase();
    const type = (attr(el, 'type') || '').toLowerCase().split(';')[0].trim();
    const urls = tag === 'embed' ? [attr(el, 'src')]
                                 : [attr(el, 'data'), param(el, 'src'), param(el, 'filename')];
    for (const url of urls) {
      if (url && (namesStack(url) || STACK_TYPES.includes(type))) return url.trim();
    }
    return null;
  }

  // Pixels from an attribute ("512", "512px"); null for percentages and the like.
  function pixels(value) {
    const m = /^\s*(\d+)(px)?\s*$/i.exec(value || '');
    return m ? parseInt(m[1], 10) : null;
  }
  function sizeOf(el) {
    const box = el.getBoundingClientRect();
    const width = pixels(attr(el, 'width')) || Math.round(box.width) || 512;
    const height = pixels(attr(el, 'height')) || Math.round(box.height) || 342;
    return {width: Math.min(width, 4096), height: Math.min(height, 4096)};
  }

  // Where the card lies in the element: scaled by the largest whole factor that fits so
  // the pixels stay sharp (shrunk to fit when the element is smaller), centred on black.
  function layout(card, room, scaling) {
    if (card.width <= 0 || card.height <= 0) return {width: 0, height: 0};
    const fit = Math.min(room.width / card.width, room.height / card.height);
    const factor = scaling === 'fit' || fit < 1 ? fit : Math.floor(fit);
    return {width: Math.max(1, Math.floor(card.width * factor)),
            height: Math.max(1, Math.floor(card.height * factor))};
  }

  // One audio context for the page, made by the first player that makes sound. Browsers
  // start it only after a gesture: the click-to-play click, or any later click or key on
  // a player, resumes it, as does coming back to a page that was hidden.
  let audioContext = null;
  function pageAudio() {
    if (audioContext) return audioContext;
    const Context = window.AudioContext || window.webkitAudioContext;
    if (!Context) return null;
    try {
      audioContext = new Context();
    } catch (e) {
      return null;
    }
    return audioContext;
  }
  function resumeAudio() {
    const context = pageAudio();
    if (context && context.state !== 'running' && context.state !== 'closed')
      context.resume().catch(() => {});
  }
  document.addEventListener('visibilitychange', () => {
    if (!document.hidden && audioContext && audioContext.state !== 'running') resumeAudio();
  });

  // The site's storage: the module's folder /corvida (preferences in config/, scripts'
  // files and the download cache in data/) is an IndexedDB file system. Each player loads
  // it before it starts and stores what it changed shortly after each change and when the
  // page goes away. Players store only what they changed themselves, so two players of a
  // site never remove each other's files. Face files are fetched again rather than kept.
  const STORAGE = '/corvida';
  const NOT_KEPT = /^\/corvida\/(data\/fonts|program)(\/|$)/;
  const STORE_DELAY_MS = 300;

  // Triggers a download of `bytes` as the file `name`.
  function download(name, bytes, type) {
    const url = URL.createObjectURL(new Blob([bytes], {type}));
    const a = document.createElement('a');
    a.href = url;
    a.download = name;
    a.style.display = 'none';
    document.body.appendChild(a);
    a.click();
    a.remove();
    setTimeout(() => URL.revokeObjectURL(url), 60000);
  }

  // Marks on the page's timeline for the benchmark (the first of each name counts).
  function mark(name) {
    if (performance.mark) performance.mark('corvida:' + name);
  }

  // The module's script and compiled code are fetched once for the whole page.
  // Everything goes at once: the module's script, its code (compiled as it arrives), the
  // list of face files and the faces the first card will likely need.
  let moduleReady = null;
  function loadModule() {
    if (moduleReady) return moduleReady;
    const script = new Promise((resolve, reject) => {
      const tag = document.createElement('script');
      tag.src = assetBase + 'corvida-player.js';
      tag.onload = () => resolve();
      tag.onerror = () => reject(new Error('cannot load ' + tag.src));
      document.head.appendChild(tag);
    });
    const compiled = WebAssembly.compileStreaming(fetch(assetBase + 'corvida-player.wasm'));
    const fonts = fetch(assetBase + 'fonts/index.txt').then((r) => (r.ok ? r.text() : ''), () => '');
    const faces = fonts.then(fetchLikelyFaces);
    moduleReady = Promise.all([script, compiled, fonts, faces])
      .then(([, compiled, fonts, faces]) => ({compiled, fonts, faces}));
    return moduleReady;
  }

  // The face files the players of this site asked for first, remembered per site; the
  // sans serif faces before any was.
  const FACES_KEY = 'corvida-first-faces';
  const FIRST_FACES = 4;
  function likelyFaces() {
    try {
      const kept = JSON.parse(localStorage.getItem(FACES_KEY) || 'null');
      if (Array.isArray(kept)) return kept.filter((f) => typeof f === 'string').slice(0, FIRST_FACES);
    } catch (e) {
      // No storage for this page, or nothing readable in it.
    }
    return ['LiberationSans-Regular.ttf', 'LiberationSans-Bold.ttf'];
  }
  function rememberFace(file) {
    try {
      const faces = JSON.parse(localStorage.getItem(FACES_KEY) || '[]');
      if (!Array.isArray(faces) || faces.includes(file) || faces.length >= FIRST_FACES) return;
      faces.push(file);
      localStorage.setItem(FACES_KEY, JSON.stringify(faces));
    } catch (e) {
      // Not remembered: the next visit fetches it when needed, as this one did.
    }
  }
  // The likely faces the list names, fetched while the module compiles: name -> bytes.
  function fetchLikelyFaces(index) {
    const listed = new Set(index.split('\n').map((l) => l.trim()).filter(Boolean));
    const wanted = likelyFaces().filter((f) => listed.has(f));
    return Promise.all(wanted.map((f) => fetch(assetBase + 'fonts/' + encodeURIComponent(f))
      .then((r) => (r.ok ? r.arrayBuffer() : null), () => null)
      .then((bytes) => [f, bytes])))
      .then((pairs) => new Map(pairs.filter(([, bytes]) => bytes && bytes.byteLength > 0)));
  }

  const STYLE = `
.corvida-player{position:relative;display:inline-flex;align-items:center;justify-content:center;
  background:#000;overflow:hidden;outline:none;vertical-align:bottom;font:13px sans-serif}
.corvida-player canvas{image-rendering:pixelated;image-rendering:crisp-edges;display:block}
.corvida-player .cv-cover{position:absolute;inset:0;display:flex;align-items:center;
  justify-content:center;flex-direction:column;gap:8px;color:#fff;background:rgba(0,0,0,.55);
  cursor:pointer;text-align:center;padding:8px}
.corvida-player .cv-play{width:0;height:0;border-style:solid;border-width:22px 0 22px 38px;
  border-color:transparent transparent transparent #fff}
.corvida-player .cv-bar{position:absolute;left:10%;right:10%;bottom:12px;height:6px;
  background:#444;display:none}
.corvida-player .cv-bar div{height:100%;width:0;background:#8cf}
.corvida-player .cv-error{position:absolute;inset:0;background:#fee;color:#600;padding:12px;
  display:none;overflow:auto;text-align:left;white-space:pre-wrap}
.corvida-player .cv-menu-button{position:absolute;right:2px;top:2px;width:18px;height:18px;
  border:none;border-radius:3px;background:rgba(0,0,0,.35);color:#fff;cursor:pointer;
  padding:0;font:bold 12px sans-serif;opacity:.5}
.corvida-player .cv-menu-button:hover{opacity:1}
.corvida-player .cv-menu{position:absolute;right:2px;top:22px;background:#fff;color:#000;
  border:1px solid #888;box-shadow:2px 2px 6px rgba(0,0,0,.4);display:none;min-width:140px}
.corvida-player .cv-menu div{padding:4px 10px;cursor:pointer}
.corvida-player .cv-menu div:hover{background:#36c;color:#fff}
.corvida-player .cv-notice{position:absolute;left:8px;right:8px;bottom:8px;background:#ffd;
  color:#000;border:1px solid #aa8;padding:6px 8px;display:none;cursor:pointer}`;
  function addStyle() {
    if (document.getElementById('corvida-style')) return;
    const style = document.createElement('style');
    style.id = 'corvida-style';
    style.textContent = STYLE;
    document.head.appendChild(style);
  }

  // The player's menu commands the page's menu offers.
  const COMMANDS = {jump: 206, find: 207, save: 103, export: 105, preferences: 651};

  function hasFiles(e) {
    return e.dataTransfer && Array.from(e.dataTransfer.types || []).includes('Files');
  }
  // The first .stk file of a drop (or of a list of files), or null.
  function droppedStack(files) {
    return Array.from(files || []).find((f) => /\.stk$/i.test(f.name)) || null;
  }
  function droppedFiles(e) {
    return e.dataTransfer ? Array.from(e.dataTransfer.files || []) : [];
  }
  // A name as the stack's files are matched: the file systems stacks were made on did not
  // tell case apart.
  function fileKey(name) {
    return name.toLowerCase();
  }

  function mods(e) {
    return (e.shiftKey ? 1 : 0) | (e.ctrlKey ? 2 : 0) | (e.altKey ? 4 : 0) | (e.metaKey ? 8 : 0);
  }

  class Player {
    constructor(original, url) {
      this.url = new URL(url, document.baseURI).href;
      // The type the page declares is the stack stream's type, as a browser would send it.
      const declared = (attr(original, 'type') || '').toLowerCase().split(';')[0].trim();
      this.type = STACK_TYPES.includes(declared) ? declared : '';
      this.size = sizeOf(original);
      const own = (name, fallback) => {
        const value = attr(original, 'data-' + name);
        return value === null ? fallback : value;
      };
      this.autoplay = String(own('autoplay', pageConfig.autoplay)) === 'true';
      this.scaling = own('scaling', pageConfig.scaling);
      this.letterbox = String(own('letterbox', pageConfig.letterbox)) !== 'false';
      this.lines = [];
      this.state = 'waiting';
      this.streams = Promise.resolve();
      this.build(original);
    }

    build(original) {
      const el = document.createElement('div');
      el.className = 'corvida-player';
      el.tabIndex = 0;
      el.style.width = this.size.width + 'px';
      el.style.height = this.size.height + 'px';
      if (original.id) el.id = original.id;
      el.dataset.stack = this.url;
      el.corvida = this;
      this.el = el;
      this.canvas = document.createElement('canvas');
      this.canvas.width = this.size.width;
      this.canvas.height = this.size.height;
      this.context = this.canvas.getContext('2d');
      el.appendChild(this.canvas);
      this.bar = this.part('cv-bar', '<div></div>');
      this.error = this.part('cv-error', '');
      this.menuButton = document.createElement('button');
      this.menuButton.className = 'cv-menu-button';
      this.menuButton.textContent = '\u2261';
      this.menuButton.title = 'Menu';
      el.appendChild(this.menuButton);
      this.menu = this.part('cv-menu',
        '<div data-do="jump">Jump To Card\u2026</div><div data-do="find">Find Text\u2026</div>' +
        '<div data-do="fullscreen">Full Screen</div><div data-do="save">Save Stack As\u2026</div>' +
        '<div data-do="export">Export Screen\u2026</div>' +
        '<div data-do="preferences">Preferences\u2026</div><div data-do="about">About</div>');
      this.notice = this.part('cv-notice', '');
      this.notice.addEventListener('click', () => { this.notice.style.display = 'none'; });
      this.cover = this.part('cv-cover', '<div class="cv-play"></div><div>Click to play</div>');
      this.cover.style.display = 'flex';
      this.layOut(this.size);
      original.replaceWith(el);
      this.setState('waiting');
      this.wire();
      if (this.autoplay) this.start();
    }

    part(cls, html) {
      const div = document.createElement('div');
      div.className = cls;
      div.innerHTML = html;
      this.el.appendChild(div);
      return div;
    }

    setState(state) {
      this.state = state;
      this.el.dataset.state = state;
    }

    log(line) {
      this.lines.push(line);
      this.el.dispatchEvent(new CustomEvent('corvida-log', {detail: line}));
    }

    layOut(card) {
      const room = document.fullscreenElement === this.el
        ? {width: screen.width, height: screen.height}
        : {width: this.size.width, height: this.size.height};
      const shown = this.letterbox ? layout(card, room, this.scaling) : room;
      this.canvas.style.width = shown.width + 'px';
      this.canvas.style.height = shown.height + 'px';
      this.showCursor();
    }

    // The stack's cursors are pictures in card pixels: they are shown as large as the
    // card's pixels are on the page (by whole factors, up to the size browsers allow).
    showCursor() {
      const css = this.cursorCss || 'default';
      const factor = Math.min(4, Math.max(1, Math.floor(
          parseFloat(this.canvas.style.width) / (this.canvas.width || 1) + 0.01)));
      const picture = /^url\("data:image\/svg\+xml;utf8,<svg [^>]*width='16' height='16'>/;
      if (factor === 1 || !picture.test(css)) {
        this.canvas.style.cursor = css;
        return;
      }
      const side = 16 * factor;
      this.canvas.style.cursor = css
          .replace("width='16' height='16'>",
                   `width='${side}' height='${side}' viewBox='0 0 16 16' shape-rendering='crispEdges'>`)
          .replace(/"\) (\d+) (\d+),/, (all, x, y) => `") ${x * factor} ${y * factor},`);
    }

    // The first click starts the player (and, being a gesture, lets it make sound); it is
    // not passed to the stack.
    wire() {
      this.cover.addEventListener('click', (e) => {
        e.stopPropagation();
        // The downloads go out first: making the audio context takes the page a while.
        this.start();
        resumeAudio();
      });
      // Any later gesture on the player brings back sound the browser suspended.
      for (const type of ['pointerdown', 'keydown']) {
        this.el.addEventListener(type, () => {
          if (audioContext && audioContext.state !== 'running') resumeAudio();
        }, true);
      }
      // A stack file dropped on the player plays in it (the cover counts as a click).
      this.el.addEventListener('dragover', (e) => {
        if (hasFiles(e)) e.preventDefault();
      });
      this.el.addEventListener('drop', (e) => {
        const files = droppedFiles(e);
        if (!droppedStack(files)) return;
        e.preventDefault();
        e.stopPropagation();
        this.playFile(files);
      });
      this.menuButton.addEventListener('click', (e) => {
        e.stopPropagation();
        this.toggleMenu();
      });
      this.menu.addEventListener('click', (e) => {
        const what = e.target.dataset.do;
        this.toggleMenu(false);
        if (what) this.command(what);
      });
      this.el.addEventListener('contextmenu', (e) => {
        e.preventDefault();
        this.toggleMenu();
      });
      document.addEventListener('fullscreenchange', () => this.layOut(this.canvas));
    }

    toggleMenu(show) {
      const open = show === undefined ? this.menu.style.display !== 'block' : show;
      this.menu.style.display = open ? 'block' : 'none';
    }

    command(what) {
      if (what === 'fullscreen') {
        if (document.fullscreenElement) document.exitFullscreen();
        else this.el.requestFullscreen().catch(() => {});
      } else if (what === 'about') {
        alert('Corvida Player\nPlays Corvida stacks in the page.\nStack: ' + this.url);
      } else if (this.module && COMMANDS[what]) {
        // The player's own commands, as from its menu.
        this.el.focus();
        this.module._corvida_command(COMMANDS[what]);
      }
    }

    // Plays a stack file from the user's disk: streamed from memory under a file: URL, so
    // nothing goes over the network; the player starts first when it has not yet. `files`
    // is the stack file, or the files dropped together: the first stack among them, and
    // the others as the files beside it.
    playFile(files) {
      const list = files instanceof Blob ? [files] : Array.from(files || []);
      const file = droppedStack(list) || list[0];
      if (!file) return;
      // The stack's folder: named after the stack file's size and time, so files of the
      // same name dropped with another stack stay apart in the cache.
      this.dropFolder = file.size + '-' + file.lastModified;
      this.beside = new Map(list.filter((f) => f !== file).map((f) => [fileKey(f.name), f]));
      this.missing = [];
      this.notice.style.display = 'none';
      if (this.state === 'waiting') {
        this.file = file;
        this.start();
        resumeAudio();
      } else if (this.module) {
        this.streams = this.streams.then(() => this.streamFile(file)).catch(() => {});
      }
    }

    async start() {
      if (this.state !== 'waiting') return;
      this.setState('loading');
      this.cover.style.display = 'none';
      this.bar.style.display = 'block';
      // The stack comes while the module compiles and the site's storage is read.
      const early = this.file ? null : this.fetchEarly(this.url);
      openStorage();
      let loaded;
      try {
        loaded = await loadModule();
        mark('compiled');
        this.module = await CorvidaModule({
          corvida: this.bridge(),
          locateFile: (file) => assetBase + file,
          instantiateWasm: (imports, done) => {
            WebAssembly.instantiate(loaded.compiled, imports)
              .then((instance) => done(instance, loaded.compiled));
            return {};
          },
        });
      } catch (e) {
        this.fail(assetBase + 'corvida-player.wasm', String(e && e.message ? e.message : e));
        return;
      }
      const m = this.module;
      mark('instance');
      await this.loadStorage();
      mark('storage');
      this.writeFaces(loaded.faces);
      const fonts = this.withString(loaded.fonts, (p) => p);
      if (!m._corvida_start(this.size.width, this.size.height, fonts)) {
        this.fail(this.url, 'the player could not start');
        return;
      }
      m._free(fonts);
      mark('started');
      this.listen();
      m._corvida_run();
      this.el.focus();
      if (this.file) {
        this.streams = this.streams.then(() => this.streamFile(this.file)).catch(() => {});
      } else {
        this.fetchStream(this.url, true, early);
      }
    }

    // Starts fetching `url` at once and reads all of it: the response and its pieces, or
    // the error that stopped it.
    fetchEarly(url) {
      return fetch(url).then(async (response) => {
        if (!response.ok) return {response};
        const length = parseInt(response.headers.get('Content-Length') || '0', 10) || 0;
        const chunks = [];
        let received = 0;
        try {
          const reader = response.body.getReader();
          for (;;) {
            const {done, value} = await reader.read();
            if (done) break;
            chunks.push(value);
            received += value.length;
            if (length > 0) this.bar.firstChild.style.width = Math.min(100, 100 * received / length) + '%';
          }
        } catch (error) {
          return {response, chunks, error};
        }
        return {response, chunks};
      }, (error) => ({error}));
    }

    // The likely faces fetched with the module go where the player looks for face files
    // before it fetches one.
    writeFaces(faces) {
      const FS = this.module.FS;
      try {
        FS.mkdirTree(STORAGE + '/data/fonts');
        for (const [file, bytes] of faces || []) FS.writeFile(STORAGE + '/data/fonts/' + file, new Uint8Array(bytes));
      } catch (e) {
        this.log('face files could not be written: ' + e);
      }
    }

    // Loads the site's stored files into the module's folder, then watches for changes.
    async loadStorage() {
      const FS = this.module.FS;
      const IDBFS = FS.filesystems && FS.filesystems.IDBFS;
      if (!IDBFS || !window.indexedDB) return;
      try {
        FS.mkdir(STORAGE);
        FS.mount(IDBFS, {}, STORAGE);
      } catch (e) {
        this.log('site storage unavailable: ' + e);
        return;
      }
      this.storage = {IDBFS, mount: FS.lookupPath(STORAGE).node.mount, known: new Set(),
                      timer: 0, dirty: false, storing: false};
      // The connection opened early serves when it is the one the file system would open.
      const db = await openStorage();
      if (db && IDBFS.dbs && !IDBFS.dbs[STORAGE] && IDBFS.DB_VERSION === STORAGE_VERSION &&
          IDBFS.DB_STORE_NAME === STORAGE_STORE)
        IDBFS.dbs[STORAGE] = db;
      const loaded = await new Promise((resolve) => FS.syncfs(true, (err) => resolve(!err)));
      if (!loaded) this.log('site storage could not be read');
      this.storage.known = new Set(Object.keys(await this.localFiles()));
      this.watchWrites();
      const leave = () => this.storeNow();
      window.addEventListener('pagehide', leave);
      document.addEventListener('visibilitychange', () => {
        if (document.hidden) leave();
      });
    }

    // The module's stored files and folders (not the face files), by path.
    localFiles() {
      const {IDBFS, mount} = this.storage;
      return new Promise((resolve) => IDBFS.getLocalSet(mount, (err, set) => {
        const entries = err ? {} : set.entries;
        for (const path of Object.keys(entries)) if (NOT_KEPT.test(path)) delete entries[path];
        resolve(entries);
      }));
    }

    // Every write, removal or rename under the stored folder schedules storing.
    watchWrites() {
      const FS = this.module.FS;
      const mark = (path) => {
        if (typeof path === 'string' && path.startsWith(STORAGE + '/') && !NOT_KEPT.test(path))
          this.storeSoon();
      };
      const close = FS.close;
      FS.close = (stream) => {
        const path = stream && stream.path;
        const wrote = stream && (stream.flags & 3) !== 0;  // opened for writing
        const result = close(stream);
        if (wrote) mark(path);
        return result;
      };
      for (const name of ['unlink', 'rmdir', 'rename']) {
        const original = FS[name];
        FS[name] = (...args) => {
          const result = original(...args);
          args.forEach(mark);
          return result;
        };
      }
    }

    // True when nothing this player changed waits to be stored.
    storageIdle() {
      const storage = this.storage;
      return !storage || (!storage.dirty && !storage.storing && !storage.timer);
    }

    storeSoon() {
      const storage = this.storage;
      storage.dirty = true;
      if (!storage.timer) storage.timer = setTimeout(() => this.storeNow(), STORE_DELAY_MS);
    }

    // Stores what this player added, changed or removed since it last looked; files other
    // players of the site stored meanwhile stay.
    async storeNow() {
      const storage = this.storage;
      if (!storage || !storage.dirty || storage.storing) return;
      clearTimeout(storage.timer);
      storage.timer = 0;
      storage.dirty = false;
      storage.storing = true;
      try {
        const local = await this.localFiles();
        const remote = await new Promise((resolve, reject) => storage.IDBFS.getRemoteSet(
          storage.mount, (err, set) => (err ? reject(err) : resolve(set))));
        for (const path of Object.keys(remote.entries)) {
          if (!local[path] && !storage.known.has(path)) delete remote.entries[path];
        }
        storage.known = new Set(Object.keys(local));
        await new Promise((resolve, reject) => storage.IDBFS.reconcile(
          {type: 'local', entries: local}, remote, (err) => (err ? reject(err) : resolve())));
        this.stored = (this.stored || 0) + 1;
        this.el.dispatchEvent(new CustomEvent('corvida-stored'));
      } catch (e) {
        this.log('site storage could not be written: ' + e);
      } finally {
        storage.storing = false;
        if (storage.dirty) this.storeSoon();
      }
    }

    // Sound: the module asks for the page's rate when its first sound opens; this player's
    // node then pulls mixed frames from it as the context plays them.
    openAudio() {
      const context = pageAudio();
      if (!context) return 0;
      if (!this.audioNode) {
        const frames = 2048;
        const node = context.createScriptProcessor(frames, 0, 2);
        this.audio = {frames: 0, audible: 0, peak: 0};
        node.onaudioprocess = (e) => this.fillAudio(e.outputBuffer);
        node.connect(context.destination);
        this.audioNode = node;
      }
      return context.sampleRate;
    }

    fillAudio(buffer) {
      const left = buffer.getChannelData(0);
      const right = buffer.getChannelData(1);
      const m = this.module;
      const frames = buffer.length;
      if (!m) {
        left.fill(0);
        right.fill(0);
        return;
      }
      if (!this.audioBuffer) this.audioBuffer = m._malloc(frames * 4);
      m._corvida_audio_fill(this.audioBuffer, frames);
      const samples = m.HEAP16.subarray(this.audioBuffer >> 1, (this.audioBuffer >> 1) + frames * 2);
      let peak = 0;
      for (let i = 0; i < frames; ++i) {
        const l = samples[2 * i];
        const r = samples[2 * i + 1];
        left[i] = l / 32768;
        right[i] = r / 32768;
        peak = Math.max(peak, Math.abs(l), Math.abs(r));
      }
      this.audio.frames += frames;
      if (peak > 0) this.audio.audible += frames;
      this.audio.peak = Math.max(this.audio.peak, peak);
    }

    // What the module calls back (Module.corvida).
    bridge() {
      return {
        showFrame: (bytes, width, height) => this.showFrame(bytes, width, height),
        setCursor: (name) => {
          this.cursorCss = name;
          this.showCursor();
        },
        copyText: (text) => {
          if (navigator.clipboard) navigator.clipboard.writeText(text).catch(() => {});
        },
        getUrl: (url) => this.fetchStream(new URL(url, this.url).href, false),
        log: (line) => this.log(line),
        // The player could not take the stack's stream (larger than it takes, cut short):
        // the page shows why instead of loading for ever. A stack asked for by the one
        // playing leaves that one on show.
        stackFailed: (url, reason) => {
          if (this.state === 'loading') this.fail(url, reason);
          else this.log('stack stream failed: ' + url + ': ' + reason);
        },
        fullScreen: (on) => {
          if (on && !document.fullscreenElement) this.el.requestFullscreen().catch(() => {});
          if (!on && document.fullscreenElement === this.el) document.exitFullscreen();
        },
        fontUrl: (file) => {
          rememberFace(file);
          return assetBase + 'fonts/' + encodeURIComponent(file);
        },
        // The work between waking and sleeping again when it showed a frame, kept while
        // the benchmark asks.
        waking: () => {
          this.wokeAt = performance.now();
          this.framesAtWake = this.frames;
        },
        sleeping: () => {
          if (this.workTimes && this.wokeAt && this.framesAtWake !== this.frames)
            this.workTimes.push([this.wokeAt, performance.now() - this.wokeAt]);
          this.wokeAt = 0;
        },
        audioRate: () => this.openAudio(),
        audioRunning: () => !!audioContext && audioContext.state === 'running',
        offerDownload: (name, bytes, type) => {
          download(name, bytes, type);
          this.log('download ' + name);
        },
      };
    }

    showFrame(bytes, width, height) {
      if (this.canvas.width !== width || this.canvas.height !== height) {
        this.canvas.width = width;
        this.canvas.height = height;
        this.layOut({width, height});
      }
      const data = new Uint8ClampedArray(bytes.buffer, bytes.byteOffset, width * height * 4);
      this.context.putImageData(new ImageData(data, width, height), 0, 0);
      if (this.state === 'loading') {
        this.setState('playing');
        this.shownAt = performance.now();
        mark('first-card');
      }
      this.frames = (this.frames || 0) + 1;
      if (this.frameTimes) this.frameTimes.push(performance.now());  // set by the benchmark
    }

    withString(text, use) {
      const m = this.module;
      const size = m.lengthBytesUTF8 ? m.lengthBytesUTF8(text) + 1 : text.length * 4 + 1;
      const p = m._malloc(size);
      m.stringToUTF8(text, p, size);
      return use(p);
    }

    call(name, strings, ...numbers) {
      const m = this.module;
      const ptrs = strings.map((s) => this.withString(s, (p) => p));
      try {
        return m[name](...ptrs, ...numbers);
      } finally {
        ptrs.forEach((p) => m._free(p));
      }
    }

    sendKey(down, repeat, code, key, modifiers) {
      const m = this.module;
      const c = this.withString(code, (p) => p);
      const k = this.withString(key, (p) => p);
      m._corvida_key(down ? 1 : 0, repeat ? 1 : 0, c, k, modifiers);
      m._free(c);
      m._free(k);
    }

    // Canvas input in card pixels; pointer events bring mouse, pen and touch alike.
    listen() {
      const m = this.module;
      const canvas = this.canvas;
      const point = (e) => {
        const box = canvas.getBoundingClientRect();
        const x = Math.floor((e.clientX - box.left) * canvas.width / box.width);
        const y = Math.floor((e.clientY - box.top) * canvas.height / box.height);
        const inside = x >= 0 && y >= 0 && x < canvas.width && y < canvas.height;
        return {x, y, inside};
      };
      let clicks = 0;
      let lastDown = 0;
      const mouse = (kind, e, steps) => {
        const p = point(e);
        const button = e.button === 2 ? 2 : 0;
        const buttons = (e.buttons & 1) | (e.buttons & 2);
        m._corvida_mouse(kind, p.x, p.y, button, buttons, mods(e), clicks, steps || 0,
                         p.inside ? 1 : 0);
      };
      canvas.addEventListener('pointerdown', (e) => {
        this.toggleMenu(false);
        this.el.focus();
        const now = performance.now();
        clicks = now - lastDown < 500 ? clicks + 1 : 1;
        lastDown = now;
        canvas.setPointerCapture(e.pointerId);
        mouse(1, e);
        e.preventDefault();
      });
      canvas.addEventListener('pointerup', (e) => mouse(2, e));
      canvas.addEventListener('pointermove', (e) => mouse(0, e));
      canvas.addEventListener('wheel', (e) => {
        const steps = e.deltaY < 0 ? 1 : e.deltaY > 0 ? -1 : 0;
        if (steps) mouse(3, e, steps);
        e.preventDefault();
      }, {passive: false});
      const key = (down) => (e) => {
        this.sendKey(down, e.repeat, e.code, e.key, mods(e));
        // The player's shortcuts are its own, not the browser's.
        if (e.key !== 'F5' && e.key !== 'F11' && e.key !== 'F12') e.preventDefault();
      };
      this.el.addEventListener('keydown', key(true));
      this.el.addEventListener('keyup', key(false));
      this.el.addEventListener('focus', () => m._corvida_focus(1));
      this.el.addEventListener('blur', () => m._corvida_focus(0));
    }

    // Streams a URL to the player, one stream at a time as a browser does. The stack's
    // own stream shows progress, and its failure the error panel.
    fetchStream(url, isStack, early) {
      this.streams = this.streams.then(() => this.stream(url, isStack, early)).catch(() => {});
      return this.streams;
    }

    // `early`: the fetch started before the player could take the stream (fetchEarly).
    async stream(url, isStack, early) {
      let response;
      if (/^file:/i.test(url) && location.protocol !== 'file:') {
        // Beside a dropped stack: one of the files dropped with it, or missing.
        const file = this.besideDropped(url);
        if (file) return this.streamBeside(url, file);
        this.log('cannot fetch ' + url);
        this.call('_corvida_url_failed', [url]);
        this.reportMissing(url);
        return;
      }
      let got = null;
      try {
        got = early ? await early : null;
        if (got && !got.response) throw got.error;
        response = got ? got.response : await fetch(url);
      } catch (e) {
        const hint = location.protocol === 'file:'
          ? '\n\nPages opened from a file cannot fetch stacks: serve the page over http ' +
            '(for example with `make web-serve`).'
          : '';
        this.log('cannot fetch ' + url);
        this.call('_corvida_url_failed', [url]);
        if (isStack) this.fail(url, 'the request failed (' + (e.message || e) + ')' + hint);
        return;
      }
      if (!response.ok) {
        this.log('cannot fetch ' + url + ': ' + response.status);
        this.call('_corvida_url_failed', [url]);
        if (isStack) this.fail(url, 'the server answered ' + response.status + ' ' +
                                      response.statusText);
        return;
      }
      // A body the server compressed arrives decoded, so its Content-Length is not the
      // length the player receives (announced, it failed the stream); one read whole
      // before the player took it has its own length.
      const encoding = (response.headers.get('Content-Encoding') || 'identity').trim();
      const announced = parseInt(response.headers.get('Content-Length') || '0', 10) || 0;
      const length = got && !got.error ? (got.chunks || []).reduce((n, c) => n + c.length, 0)
                                       : /^identity$/i.test(encoding) ? announced : 0;
      const modified = Date.parse(response.headers.get('Last-Modified') || '');
      const stamp = isNaN(modified) ? 0 : Math.floor(modified / 1000) >>> 0;
      const served = (response.headers.get('Content-Type') || '').split(';')[0];
      const type = isStack && this.type ? this.type : served;
      const reader = got ? piecesReader(got.chunks || [], got.error) : response.body.getReader();
      const failed = await this.pump(url, type, length, stamp, reader, isStack);
      if (failed) this.fail(url, 'the download broke off (' + failed + ')');
    }

    // The file dropped with the stack that `url` names beside it, or null.
    besideDropped(url) {
      const parts = new URL(url).pathname.split('/');
      if (!this.beside || parts.length !== 3 || parts[1] !== this.dropFolder) return null;
      let name = '';
      try {
        name = decodeURIComponent(parts[2]);
      } catch (e) {
        return null;
      }
      return this.beside.get(fileKey(name)) || null;
    }

    async streamBeside(url, file) {
      const stamp = Math.floor(file.lastModified / 1000) >>> 0;
      const failed = await this.pump(url, file.type || '', file.size, stamp,
                                     file.stream().getReader(), false);
      if (failed) this.log('cannot read ' + file.name + ': ' + failed);
    }

    // A dropped stack asked for a file that was not dropped with it: the notice names
    // every such file.
    reportMissing(url) {
      let name = '';
      try {
        name = decodeURIComponent(new URL(url).pathname.split('/').pop());
      } catch (e) {
        return;
      }
      if (!name || !this.missing) return;
      if (!this.missing.includes(name)) this.missing.push(name);
      const names = this.missing.map((n) => '"' + n + '"');
      const listed = names.length === 1 ? names[0]
        : names.slice(0, -1).join(', ') + ' and ' + names[names.length - 1];
      this.notice.textContent = 'The stack asked for ' + listed + ', which ' +
        (names.length === 1 ? 'was' : 'were') + ' not dropped with it. Drop the stack ' +
        'together with the files beside it to play them.';
      this.notice.style.display = 'block';
      this.log('missing beside the dropped stack: ' + name);
    }

    // A stack file from the user's disk, in a file: folder of its own.
    async streamFile(file) {
      if (this.state === 'error') {
        this.error.style.display = 'none';
        this.setState('loading');
      }
      this.bar.style.display = 'block';
      const url = 'file:///' + (this.dropFolder || file.size + '-' + file.lastModified) + '/' +
                  encodeURIComponent(file.name);
      this.log('playing dropped file ' + file.name);
      const stamp = Math.floor(file.lastModified / 1000) >>> 0;
      const failed = await this.pump(url, 'application/corvida', file.size, stamp,
                                     file.stream().getReader(), true);
      if (failed) this.fail(file.name, 'the file could not be read (' + failed + ')');
    }

    // One stream to the module from a reader of its bytes; the error text when it broke off.
    async pump(url, type, length, stamp, reader, isStack) {
      const m = this.module;
      this.call('_corvida_stream_begin', [url, type], length, stamp);
      let received = 0;
      let reason = 0;
      let failed = '';
      try {
        for (;;) {
          const {done, value} = await reader.read();
          if (done) break;
          const p = m._malloc(value.length);
          m.HEAPU8.set(value, p);
          this.withString(url, (u) => {
            m._corvida_stream_data(u, p, value.length);
            m._free(u);
          });
          m._free(p);
          received += value.length;
          if (isStack && length > 0) {
            this.bar.firstChild.style.width = Math.min(100, 100 * received / length) + '%';
          }
        }
      } catch (e) {
        reason = 1;
        if (isStack) failed = String(e.message || e);
      }
      this.withString(url, (u) => {
        m._corvida_stream_end(u, reason);
        m._free(u);
      });
      if (isStack) this.bar.style.display = 'none';
      return failed;
    }

    fail(url, reason) {
      this.setState('error');
      this.cover.style.display = 'none';
      this.bar.style.display = 'none';
      this.error.style.display = 'block';
      this.error.textContent = 'This stack cannot be played.\n\n' + url + '\n\n' + reason;
      this.log('error: ' + url + ': ' + reason);
    }
  }

  // A reader of pieces already read, ending with `error` when the download broke off.
  function piecesReader(chunks, error) {
    let next = 0;
    return {
      read: async () => {
        if (next < chunks.length) return {done: false, value: chunks[next++]};
        if (error) throw error;
        return {done: true, value: undefined};
      },
    };
  }

  // The site's database, opened while the module compiles (opening it can take long on
  // a busy machine) as the module's file system opens it: the same version, store and
  // index. The module's file system then uses this connection; null when there is none.
  const STORAGE_VERSION = 21;
  const STORAGE_STORE = 'FILE_DATA';
  let storageDatabase = null;
  function openStorage() {
    if (storageDatabase) return storageDatabase;
    storageDatabase = new Promise((resolve) => {
      let request;
      try {
        request = window.indexedDB && indexedDB.open(STORAGE, STORAGE_VERSION);
      } catch (e) {
        request = null;
      }
      if (!request) return resolve(null);
      request.onupgradeneeded = (e) => {
        const db = request.result;
        const store = db.objectStoreNames.contains(STORAGE_STORE)
          ? e.target.transaction.objectStore(STORAGE_STORE) : db.createObjectStore(STORAGE_STORE);
        if (!store.indexNames.contains('timestamp'))
          store.createIndex('timestamp', 'timestamp', {unique: false});
      };
      request.onsuccess = () => resolve(request.result);
      request.onerror = (e) => {
        e.preventDefault();
        resolve(null);
      };
    });
    return storageDatabase;
  }

  // Replaces every stack element under `root` not yet replaced. An <object> that names a
  // stack is replaced with whatever it wraps, so an <embed> inside it counts once.
  function scan(root) {
    if (!root.querySelectorAll) return;
    const found = [];
    const elements = root.matches && root.matches('embed,object') ? [root] : [];
    elements.push(...root.querySelectorAll('object,embed'));
    for (const el of elements) {
      if (!el.isConnected || el.closest('.corvida-player')) continue;
      const url = stackOf(el);
      if (!url) continue;
      let outer = el.parentElement && el.parentElement.closest('object');
      let inStackObject = false;
      for (; outer; outer = outer.parentElement && outer.parentElement.closest('object')) {
        if (stackOf(outer)) inStackObject = true;
      }
      if (!inStackObject) found.push([el, url]);
    }
    for (const [el, url] of found) if (el.isConnected) new Player(el, url);
  }

  function begin() {
    addStyle();
    scan(document);
    new MutationObserver((records) => {
      for (const r of records) for (const node of r.addedNodes) if (node.nodeType === 1) scan(node);
    }).observe(document.documentElement, {childList: true, subtree: true});
  }

  // Plays a stack file in a new player put after `where` (an element), or at the end of
  // the page; the player starts at once (a drop is the gesture). `files`: the stack file,
  // or the files dropped together (the stack and the files beside it).
  function playFile(files, where) {
    const list = files instanceof Blob ? [files] : Array.from(files || []);
    const file = droppedStack(list) || list[0];
    if (!file) return null;
    const embed = document.createElement('embed');
    embed.setAttribute('type', 'application/corvida');
    embed.setAttribute('width', '512');
    embed.setAttribute('height', '342');
    embed.setAttribute('data-autoplay', 'false');  // started with the file below
    const holder = document.createElement('div');
    holder.appendChild(embed);
    if (where && where.after) where.after(holder);
    else document.body.appendChild(holder);
    const player = new Player(embed, 'file:///' + encodeURIComponent(file.name));
    player.playFile(list);
    return player;
  }

  window.CorvidaPlayer = Object.assign(window.CorvidaPlayer || {}, {
    config: pageConfig,
    playFile,
    audioContext: () => audioContext,
    players: () => Array.from(document.querySelectorAll('.corvida-player')).map((e) => e.corvida),
    namesStack,
    layout,
  });
  if (document.readyState === 'loading') document.addEventListener('DOMContentLoaded', begin);
  else begin();
})();
