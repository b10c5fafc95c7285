// The page around the program: it fetches the archive, starts the production, plays its music
// through WebAudio, shows its frames on the canvas, and takes the keys and clicks. The program
// (zembravale.js and .wasm) draws every pixel; this file only moves them to the canvas.
//
// Parameters: ?t=SECONDS starts at that moment; with &still=1 the page shows only the frame at that
// moment (no sound, no button); ?archive=URL plays another archive.
'use strict';

(function () {
  const kCaption = 'z e m b r a v A L e';
  const kSampleRate = 44100;
  const kWidth = 640;
  const kHeight = 480;
  // The audio is handed over in chunks a little ahead of what is heard: enough to ride out a slow
  // frame, little enough that a stop is a stop.
  const kChunkFrames = 8192;
  const kAheadSeconds = 0.5;
  const kLeadSeconds = 0.08;
  const kShownBoxes = 12;

  const params = new URLSearchParams(window.location.search);
  const still = params.get('still') === '1';
  const startAt = Math.max(0, Number.parseFloat(params.get('t') || '0') || 0);
  const archiveUrl = params.get('archive') || 'tarnos.zip';

  const screen = document.getElementById('screen');
  const screen2d = screen.getContext('2d', { alpha: false });
  const panel = document.getElementById('panel');
  const startButton = document.getElementById('start');
  const statusLine = document.getElementById('status');
  const boxList = document.getElementById('boxes');
  if (still) document.body.classList.add('still');

  const boxes = [];
  const hook = {
    state: 'loading',
    failure: '',
    boxes,
    presented: 0,
    animationFrames: 0,
    frameGaps: [],
    lastMusicTime: 0,
  };
  window.zembravale = hook;

  function setState(state) {
    hook.state = state;
    document.body.dataset.state = state;
  }

  function showBoxes() {
    if (boxes.length === 0) {
      boxList.hidden = true;
      return;
    }
    const line = (b) => '[' + b.caption + '] ' + b.text;
    let lines;
    if (boxes.length <= kShownBoxes) {
      lines = boxes.map(line);
    } else {
      const head = boxes.slice(0, kShownBoxes - 3).map(line);
      const tail = boxes.slice(boxes.length - 2).map(line);
      lines = head.concat(['... ' + (boxes.length - head.length - tail.length) + ' more ...'], tail);
    }
    boxList.textContent = lines.join('\n');
    boxList.hidden = false;
  }

  // The end of the road: a clear message on the page instead of a blank one.
  function fail(text) {
    if (hook.state === 'error') return;
    hook.failure = text;
    setState('error');
    stopEverything();
    document.body.classList.remove('still');
    panel.hidden = false;
    startButton.hidden = true;
    statusLine.textContent = text;
    showBoxes();
  }

  // The music: the decoded track (in the program's memory) handed to WebAudio in chunks, each
  // scheduled to start the very sample the one before ends. The music clock is the position heard:
  // the context's output time, moved on smoothly with the page's clock between its updates, never
  // past what the context has played, never past what was handed over, never backwards.
  class Music {
    constructor() {
      this.context = null;
      this.sources = new Set();
      this.pool = [];
    }

    // Within a click or key press: browsers start sound only then.
    open() {
      if (this.context === null) {
        const Context = window.AudioContext || window.webkitAudioContext;
        try {
          this.context = new Context({ sampleRate: kSampleRate, latencyHint: 'interactive' });
        } catch (e) {
          this.context = new Context();
        }
      }
      return this.context.resume();
    }

    start(module, fromFrame) {
      this.stop();
      this.module = module;
      this.track = module._zv_track();
      this.trackFrames = module._zv_track_frames();
      this.reading = fromFrame;
      this.nextFrame = fromFrame;
      this.beginSegment();
      this.pump();
    }

    // A run of chunks back to back from the next frame to hand over, starting a moment from now.
    beginSegment() {
      const rate = this.context.sampleRate;
      this.segmentTime = Math.ceil((this.context.currentTime + kLeadSeconds) * rate) / rate;
      this.segmentFrame = this.nextFrame;
    }

    timeOf(frame) {
      return this.segmentTime + (frame - this.segmentFrame) / kSampleRate;
    }

    pump() {
      if (this.module === undefined) return;
      const now = this.context.currentTime;
      // Handed too little (the tab slept, a frame took long): go on from where the sound broke off.
      if (this.timeOf(this.nextFrame) < now + 0.01) this.beginSegment();
      while (this.timeOf(this.nextFrame) < now + kAheadSeconds) this.handChunk();
    }

    handChunk() {
      const buffer = this.pool.pop() || this.context.createBuffer(2, kChunkFrames, kSampleRate);
      const left = buffer.getChannelData(0);
      const right = buffer.getChannelData(1);
      const samples = this.module.HEAP16;
      const first = this.nextFrame;
      const have = Math.max(0, Math.min(kChunkFrames, this.trackFrames - first));
      let at = (this.track >> 1) + first * 2;
      for (let i = 0; i < have; ++i, at += 2) {
        left[i] = samples[at] / 32768;
        right[i] = samples[at + 1] / 32768;
      }
      // After the end of the track: silence, so the clock still reaches the end of the production.
      left.fill(0, have);
      right.fill(0, have);
      const source = this.context.createBufferSource();
      source.buffer = buffer;
      source.connect(this.context.destination);
      source.onended = () => {
        this.sources.delete(source);
        source.disconnect();
        this.pool.push(buffer);
      };
      source.start(this.timeOf(first));
      this.sources.add(source);
      this.nextFrame = first + kChunkFrames;
    }

    heardTime() {
      const context = this.context;
      let heard = context.currentTime;
      if (typeof context.getOutputTimestamp === 'function') {
        const stamp = context.getOutputTimestamp();
        if (stamp.performanceTime > 0 && stamp.contextTime > 0) {
          const smooth = stamp.contextTime + (performance.now() - stamp.performanceTime) / 1000;
          heard = Math.min(heard, smooth);
        }
      }
      return heard;
    }

    // The audible track frame, as a real number.
    frames() {
      if (this.module === undefined) return 0;
      const frame = this.segmentFrame + (this.heardTime() - this.segmentTime) * kSampleRate;
      this.reading = Math.max(this.reading, Math.min(frame, this.nextFrame));
      return this.reading;
    }

    stop() {
      for (const source of this.sources) {
        source.onended = null;
        try {
          source.stop();
        } catch (e) {
          // never started: nothing to stop
        }
        source.disconnect();
        this.pool.push(source.buffer);
      }
      this.sources.clear();
      this.module = undefined;
    }
  }

  const music = new Music();
  let program = null;
  let image = null;
  let lastFrameAt = 0;
  let soughtTo = -1;  // the moment the production stands at, ready to play from; -1 after a run

  const page = {
    spaceHeld: false,
    box(caption, text) {
      boxes.push({ caption, text });
    },
    present(pointer, width, height) {
      const heap = program.HEAPU8;
      if (image === null || image.data.buffer !== heap.buffer || image.pointer !== pointer) {
        image = new ImageData(new Uint8ClampedArray(heap.buffer, pointer, width * height * 4), width, height);
        image.pointer = pointer;
      }
      screen2d.putImageData(image, 0, 0);
    },
    audioFrames() {
      music.pump();
      return music.frames();
    },
    framePresented(seconds) {
      const now = performance.now();
      if (hook.presented > 0) hook.frameGaps.push(now - lastFrameAt);
      lastFrameAt = now;
      hook.presented += 1;
      hook.lastMusicTime = seconds;
    },
    ended() {
      finishRun();
    },
  };

  function stopEverything() {
    if (program !== null) program._zv_stop();
    music.stop();
  }

  function finishRun() {
    stopEverything();
    soughtTo = -1;
    if (hook.state === 'error') return;
    setState('idle');
    panel.hidden = false;
    startButton.disabled = false;
    startButton.focus();
  }

  function seek(seconds) {
    soughtTo = program._zv_seek(seconds);
    return soughtTo;
  }

  async function start() {
    if (hook.state !== 'idle') return;
    startButton.disabled = true;
    try {
      const opening = music.open();
      if (soughtTo < 0) seek(startAt);
      await opening;
      panel.hidden = true;
      hook.presented = 0;
      hook.animationFrames = 0;
      hook.frameGaps = [];
      setState('playing');
      music.start(program, Math.round(soughtTo * kSampleRate));
      program._zv_play();
      countAnimationFrames();
    } catch (e) {
      fail('The music could not start: ' + (e && e.message ? e.message : e));
    }
  }

  function countAnimationFrames() {
    if (hook.state !== 'playing') return;
    hook.animationFrames += 1;
    requestAnimationFrame(countAnimationFrames);
  }

  // The largest whole factor that fits, centred on black; smaller than 640 x 480 shows the middle.
  function fitScreen() {
    if (still) return;
    const factor = Math.max(1, Math.floor(Math.min(window.innerWidth / kWidth, window.innerHeight / kHeight)));
    screen.style.width = kWidth * factor + 'px';
    screen.style.height = kHeight * factor + 'px';
  }

  function toggleFullscreen() {
    if (document.fullscreenElement) {
      document.exitFullscreen().catch(() => {});
    } else if (document.documentElement.requestFullscreen) {
      document.documentElement.requestFullscreen().catch(() => {});
    }
  }

  function onKey(event, down) {
    if (event.code === 'Space') page.spaceHeld = down;
    if (!down) return;
    if (event.key === 'Escape' && hook.state === 'playing') {
      event.preventDefault();
      finishRun();
    } else if ((event.key === 'f' || event.key === 'F') && !still) {
      toggleFullscreen();
    }
  }

  // Test hooks: the canvas as the scenes drew it, red, green and blue bytes, in base64.
  hook.canvasRgb = function () {
    const pointer = program._zv_canvas_words();
    const words = program.HEAPU32.subarray(pointer >> 2, (pointer >> 2) + kWidth * kHeight);
    const bytes = new Uint8Array(words.length * 3);
    for (let i = 0; i < words.length; ++i) {
      const w = words[i];
      bytes[3 * i] = (w >>> 16) & 255;
      bytes[3 * i + 1] = (w >>> 8) & 255;
      bytes[3 * i + 2] = w & 255;
    }
    let text = '';
    for (let i = 0; i < bytes.length; i += 0x8000) text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
    return btoa(text);
  };
  hook.musicTime = () => hook.lastMusicTime;
  hook.audioTime = () => (music.context !== null ? music.context.currentTime : 0);
  hook.seek = (seconds) => seek(seconds);
  hook.renderRange = (from, to, fps) => program._zv_render_range(from, to, fps);
  hook.start = start;

  async function boot() {
    setState('loading');
    if (typeof WebAssembly !== 'object' || typeof WebAssembly.instantiate !== 'function') {
      fail('This browser cannot run WebAssembly, which zembravale needs.');
      return;
    }
    if (!still && !(window.AudioContext || window.webkitAudioContext)) {
      fail('This browser has no Web Audio, which zembravale needs for its music.');
      return;
    }
    if (typeof window.createZembravale !== 'function') {
      fail('zembravale.js did not load: the page is incomplete.');
      return;
    }
    // Fetched while the program loads; a failure is kept for later, never left unhandled.
    const fetching = fetch(archiveUrl)
      .then((response) => {
        if (!response.ok) throw new Error('HTTP ' + response.status + ' ' + response.statusText);
        return response.arrayBuffer();
      })
      .then((bytes) => ({ bytes }), (error) => ({ error }));
    program = await window.createZembravale({
      page,
      print: (text) => console.log(text),
      printErr: (text) => console.warn(text),
      onAbort: (what) => fail('The program stopped: ' + what),
    });
    let archiveProblem = '';
    const fetched = await fetching;
    if (fetched.bytes !== undefined) {
      program.FS.writeFile('/tarnos.zip', new Uint8Array(fetched.bytes));
    } else {
      // Started without it, the production shows the boxes of a missing archive.
      const why = fetched.error && fetched.error.message ? fetched.error.message : fetched.error;
      archiveProblem = archiveUrl + ' could not be fetched (' + why + '). ';
    }
    if (program._zv_open(program.allocateUTF8OnStack('/tarnos.zip')) !== 1) {
      fail(archiveProblem + 'The production cannot start: ' + program.UTF8ToString(program._zv_failure()) + '.');
      return;
    }
    showBoxes();
    seek(startAt);
    if (still) {
      setState('still');
      return;
    }
    statusLine.textContent = startAt > 0 ? 'Starts at ' + soughtTo.toFixed(2) + ' s' : '';
    startButton.disabled = false;
    setState('idle');
  }

  document.title = kCaption;
  fitScreen();
  window.addEventListener('resize', fitScreen);
  document.addEventListener('fullscreenchange', fitScreen);
  window.addEventListener('keydown', (event) => onKey(event, true));
  window.addEventListener('keyup', (event) => onKey(event, false));
  screen.addEventListener('dblclick', () => {
    if (!still) toggleFullscreen();
  });
  panel.addEventListener('dblclick', (event) => {
    if (event.target === panel) toggleFullscreen();
  });
  startButton.addEventListener('click', start);
  window.addEventListener('error', (event) => {
    event.preventDefault();
    fail('Something went wrong: ' + event.message);
  });
  window.addEventListener('unhandledrejection', (event) => {
    event.preventDefault();
    fail('Something went wrong: ' + (event.reason && event.reason.message ? event.reason.message : event.reason));
  });
  boot().catch((e) => fail('Something went wrong: ' + (e && e.message ? e.message : e)));
})();
