// The page around the program: it fetches the archive (showing how far it is), starts the
// production, plays its music through WebAudio, shows its frames on the canvas, and gives the
// viewer the controls of a video player: play and pause, a scrubber, the time, full screen, a link
// to the moment, keys, taps. The program (zembravale.js and .wasm) draws every pixel; this file
// only moves them to the canvas.
//
// Parameters: ?t=SECONDS starts at that moment; with &still=1 the page shows only the frame at that
// moment (no sound, no controls); ?archive=URL plays another archive.
'use strict';

(function () {
  const kCaption = 'z e m b r a v A L e';
  const kSampleRate = 44100;
  const kWidth = 640;
  const kHeight = 480;
  const kEndSeconds = 245;
  // The audio is handed over in chunks a little ahead of what is heard: enough to ride out a slow
  // frame, little enough that a stop is a stop.
  const kChunkFrames = 8192;
  const kAheadSeconds = 0.5;
  const kLeadSeconds = 0.08;
  const kShownBoxes = 12;
  // The controls fade after this long without input while the production plays.
  const kControlsMs = 3000;
  const kDoubleTapMs = 350;
  // Work done between frames: music decoded while loading, then the spectra a seek needs.
  const kLoadSliceMs = 40;
  const kIdleSliceMs = 8;
  const kPlayingSliceMs = 3;
  const kMusicPiece = 16384;  // track frames decoded at a time, about 0.4 s of music
  // Parts of the loading bar: the download, then the pictures, then the music.
  const kDownloadShare = 0.8;
  const kPicturesShare = 0.85;
  const settings = Object.assign({ stallSeconds: 20 }, window.zembravaleSettings || {});

  const params = new URLSearchParams(window.location.search);
  const still = params.get('still') === '1';
  const startAt = Math.min(kEndSeconds, Math.max(0, Number.parseFloat(params.get('t') || '0') || 0));
  const archiveUrl = params.get('archive') || 'tarnos.zip';

  const byId = (id) => document.getElementById(id);
  const picture = byId('screen');
  const picture2d = picture.getContext('2d', { alpha: false });
  const panel = byId('panel');
  const startButton = byId('start');
  const retryButton = byId('retry');
  const loading = byId('loading');
  const progress = byId('progress');
  const stepLine = byId('step');
  const statusLine = byId('status');
  const boxList = byId('boxes');
  const help = byId('help');
  const controls = byId('controls');
  const playButton = byId('play');
  const timeLine = byId('time');
  const scrubber = byId('scrubber');
  const marks = byId('marks');
  const linkButton = byId('link');
  const fullButton = byId('full');
  const stopButton = byId('stop');
  const toast = byId('toast');
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
    prepared: false,
    progress: [],
    wakeLockHeld: false,
    lastLink: '',
    timings: {},  // milliseconds from the page's start to each loading step
  };
  window.zembravale = hook;

  function mark(step) {
    hook.timings[step] = Math.round(performance.now());
  }

  function setState(state) {
    hook.state = state;
    document.body.dataset.state = state;
  }

  function message(e) {
    return e && e.message ? e.message : String(e);
  }

  // Lets the browser paint and take input before the next piece of work.
  function yieldToBrowser() {
    return new Promise((done) => {
      const channel = new MessageChannel();
      channel.port1.onmessage = () => done();
      channel.port2.postMessage(0);
    });
  }

  function nextPaint() {
    return new Promise((done) => requestAnimationFrame(() => setTimeout(done, 0)));
  }

  // --- The loading bar: its value only grows ---
  function showProgress(value, text) {
    if (value === null) {
      progress.removeAttribute('value');
    } else {
      const grown = Math.max(hook.progress.length ? hook.progress[hook.progress.length - 1] : 0, Math.min(1, value));
      progress.value = grown;
      hook.progress.push(grown);
    }
    if (text !== undefined) stepLine.textContent = text;
  }

  function megabytes(bytes) {
    return (bytes / 1e6).toFixed(1);
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

  // The end of the road: a clear message on the page instead of a blank one; `retry` offers to
  // load the page again (a download that broke off may well come through the next time).
  function fail(text, retry) {
    if (hook.state === 'error') return;
    hook.failure = text;
    setState('error');
    stopEverything();
    document.body.classList.remove('still');
    panel.hidden = false;
    controls.hidden = true;
    loading.hidden = true;
    startButton.hidden = true;
    retryButton.hidden = !retry;
    statusLine.textContent = text;
    showBoxes();
    if (retry) retryButton.focus();
  }

  // --- The music ---
  // The decoded track (in the program's memory) handed to WebAudio in chunks, each scheduled to
  // start the very sample the one before ends. The music clock is the position heard: the
  // context's output time, moved on smoothly with the page's clock between its updates, never past
  // what the context has played, never past what was handed over, never backwards.
  class Music {
    constructor() {
      this.context = null;
      this.sources = new Set();
      this.pool = [];
      this.module = undefined;
    }

    // Within a click, tap or key press: browsers start sound only then.
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
      const module = this.module;
      const buffer = this.pool.pop() || this.context.createBuffer(2, kChunkFrames, kSampleRate);
      const left = buffer.getChannelData(0);
      const right = buffer.getChannelData(1);
      const first = this.nextFrame;
      // The samples of this chunk are decoded first if the decoding has not reached them yet.
      const decoded = module._zv_decode_music_to(first + kChunkFrames);
      const have = Math.max(0, Math.min(kChunkFrames, decoded - first));
      // Read after decoding: the track may have moved in memory.
      const samples = module.HEAP16;
      let at = (module._zv_track() >> 1) + first * 2;
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
      if (this.module === undefined) return this.reading || 0;
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
  let soughtTo = -1;   // the moment the production stands at, ready to play from; -1 after a run
  let pausedAt = 0;    // the track frame heard when the pause came
  let shownSeconds = 0;
  let scrubbing = false;

  // What the program calls (through Module.page).
  const page = {
    box(caption, text) {
      boxes.push({ caption, text });
    },
    present(pointer, width, height) {
      const heap = program.HEAPU8;
      if (image === null || image.data.buffer !== heap.buffer || image.pointer !== pointer) {
        image = new ImageData(new Uint8ClampedArray(heap.buffer, pointer, width * height * 4), width, height);
        image.pointer = pointer;
      }
      picture2d.putImageData(image, 0, 0);
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
      showTime(seconds);
    },
    ended() {
      finishRun();
    },
  };

  // --- The wake lock: the screen stays on while the production plays ---
  const wake = { sentinel: null, wanted: false };

  async function holdWakeLock() {
    wake.wanted = true;
    if (wake.sentinel !== null || !navigator.wakeLock || document.hidden) return;
    try {
      const sentinel = await navigator.wakeLock.request('screen');
      if (!wake.wanted || wake.sentinel !== null) {
        sentinel.release().catch(() => {});
        return;
      }
      wake.sentinel = sentinel;
      hook.wakeLockHeld = true;
      sentinel.addEventListener('release', () => {
        if (wake.sentinel === sentinel) {
          wake.sentinel = null;
          hook.wakeLockHeld = false;
        }
      });
    } catch (e) {
      // Refused (low battery, a policy): the production plays on all the same.
    }
  }

  function letWakeLockGo() {
    wake.wanted = false;
    const sentinel = wake.sentinel;
    wake.sentinel = null;
    hook.wakeLockHeld = false;
    if (sentinel !== null) sentinel.release().catch(() => {});
  }

  // --- Running, pausing, seeking ---
  function stopEverything() {
    if (program !== null) program._zv_stop();
    music.stop();
    letWakeLockGo();
  }

  function finishRun() {
    stopEverything();
    soughtTo = -1;
    if (hook.state === 'error') return;
    setState('idle');
    panel.hidden = false;
    controls.hidden = true;
    startButton.disabled = false;
    startButton.focus();
    showControls();
  }

  function seekProgram(seconds) {
    soughtTo = program._zv_seek(Math.min(kEndSeconds, Math.max(0, seconds)));
    showTime(soughtTo);
    return soughtTo;
  }

  // The music from track frame `from`, the picture from music time `seconds`.
  // The button shows what a press does: pause while playing, play otherwise.
  function showPlayButton(playing) {
    playButton.innerHTML = playing ? '&#10074;&#10074;' : '&#9654;';
    playButton.setAttribute('aria-label', playing ? 'Pause' : 'Play');
  }

  function run(from, resumeSeconds) {
    soughtTo = -1;
    setState('playing');
    showPlayButton(true);
    music.start(program, from);
    if (resumeSeconds === undefined) {
      program._zv_play();
    } else {
      program._zv_resume(resumeSeconds);
    }
    holdWakeLock();
    hook.animationFrames = 0;
    countAnimationFrames();
    showControls();
  }

  async function start() {
    if (hook.state !== 'idle') return;
    startButton.disabled = true;
    try {
      const opening = music.open();
      if (soughtTo < 0) seekProgram(startAt);
      await opening;
      if (hook.state !== 'idle') return;
      panel.hidden = true;
      controls.hidden = false;
      hook.presented = 0;
      hook.frameGaps = [];
      run(Math.round(soughtTo * kSampleRate));
    } catch (e) {
      fail('The music could not start: ' + message(e));
    }
  }

  function pause() {
    if (hook.state !== 'playing') return;
    pausedAt = music.frames();
    program._zv_stop();
    music.stop();
    letWakeLockGo();
    setState('paused');
    showPlayButton(false);
    showControls();
  }

  async function resume() {
    if (hook.state !== 'paused') return;
    try {
      await music.open();
    } catch (e) {
      fail('The music could not start: ' + message(e));
      return;
    }
    if (hook.state !== 'paused') return;
    // The very sample the pause came at, unless a seek moved the production since.
    const from = soughtTo >= 0 ? Math.round(soughtTo * kSampleRate) : Math.round(pausedAt);
    const resumeAt = soughtTo >= 0 ? undefined : from / kSampleRate;
    run(from, resumeAt);
  }

  function togglePlay() {
    if (hook.state === 'playing') {
      pause();
    } else if (hook.state === 'paused') {
      resume();
    } else if (hook.state === 'idle') {
      start();
    }
  }

  // A seek shows the frame zembravale-capture --at renders there; the music follows when playing.
  function seek(seconds) {
    if (program === null || !['idle', 'playing', 'paused'].includes(hook.state)) return -1;
    const wasPlaying = hook.state === 'playing';
    if (wasPlaying) {
      program._zv_stop();
      music.stop();
    }
    const at = seekProgram(seconds);
    if (wasPlaying) {
      if (at >= kEndSeconds) {
        finishRun();
      } else {
        run(Math.round(at * kSampleRate));
      }
    }
    return at;
  }

  // The moment on the screen: where the keys seek from and the link points to.
  function currentSeconds() {
    if (soughtTo >= 0) return soughtTo;
    return hook.state === 'playing' || hook.state === 'paused' ? hook.lastMusicTime : shownSeconds;
  }

  function countAnimationFrames() {
    if (hook.state !== 'playing') return;
    hook.animationFrames += 1;
    requestAnimationFrame(countAnimationFrames);
  }

  // --- What the program does between frames: the rest of the music, then the work a seek needs ---
  let backgroundRunning = false;
  let musicDecoded = false;

  function workInBackground() {
    if (backgroundRunning || hook.prepared || program === null || still) return;
    backgroundRunning = true;
    const slice = () => {
      if (hook.state === 'error' || hook.state === 'still') {
        backgroundRunning = false;
        return;
      }
      const budget = hook.state === 'playing' ? kPlayingSliceMs : kIdleSliceMs;
      if (!musicDecoded) {
        const until = performance.now() + budget;
        do {
          musicDecoded = program._zv_decode_music(kMusicPiece) >= 1;
        } while (!musicDecoded && performance.now() < until);
        if (musicDecoded) mark('decoded');
      } else if (program._zv_prepare(budget) === 1) {
        hook.prepared = true;
        mark('prepared');
        backgroundRunning = false;
        return;
      }
      // On the animation frames while they come; a hidden page has none, so a timer then.
      if (document.hidden) {
        setTimeout(slice, 50);
      } else {
        requestAnimationFrame(slice);
      }
    };
    requestAnimationFrame(slice);
  }

  // --- The picture's size: whole factors, else the largest 4:3 box ---
  function fitScreen() {
    if (still) return;
    const width = document.documentElement.clientWidth || window.innerWidth;
    const height = document.documentElement.clientHeight || window.innerHeight;
    const factor = Math.floor(Math.min(width / kWidth, height / kHeight));
    let w;
    let h;
    if (factor >= 1) {
      w = kWidth * factor;
      h = kHeight * factor;
    } else if (width * 3 <= height * 4) {
      w = width;
      h = Math.floor((width * 3) / 4);
    } else {
      h = height;
      w = Math.floor((height * 4) / 3);
    }
    picture.style.width = w + 'px';
    picture.style.height = h + 'px';
    // Enlarged in device pixels: sharp blocks; shrunk: smoothed.
    picture.classList.toggle('sharp', w * (window.devicePixelRatio || 1) >= kWidth);
  }

  function fullscreenElement() {
    return document.fullscreenElement || document.webkitFullscreenElement || null;
  }

  function toggleFullscreen() {
    if (still) return;
    if (fullscreenElement()) {
      const exit = document.exitFullscreen || document.webkitExitFullscreen;
      Promise.resolve(exit.call(document)).catch(() => {});
      return;
    }
    const root = document.documentElement;
    const request = root.requestFullscreen || root.webkitRequestFullscreen;
    if (!request) return;
    Promise.resolve(request.call(root, { navigationUI: 'hide' }))
      .then(() => {
        // A phone is asked to hold landscape; where that is refused, nothing more is said.
        const orientation = window.screen.orientation;
        return orientation && orientation.lock ? orientation.lock('landscape') : undefined;
      })
      .catch(() => {});
  }

  // --- The control bar ---
  let fadeTimer = 0;

  function showControls() {
    document.body.classList.remove('controls-faded', 'idle-pointer');
    clearTimeout(fadeTimer);
    if (hook.state === 'playing' && !scrubbing) {
      fadeTimer = setTimeout(() => {
        if (hook.state === 'playing' && !scrubbing) document.body.classList.add('controls-faded', 'idle-pointer');
      }, kControlsMs);
    }
  }

  function clock(seconds) {
    const whole = Math.max(0, Math.floor(seconds));
    return Math.floor(whole / 60) + ':' + String(whole % 60).padStart(2, '0');
  }

  function showTime(seconds) {
    shownSeconds = seconds;
    timeLine.textContent = clock(seconds) + ' / ' + clock(kEndSeconds);
    if (!scrubbing) scrubber.value = String(Math.min(kEndSeconds, seconds).toFixed(2));
  }

  function markParts() {
    marks.textContent = '';
    const count = program._zv_part_count();
    // Drawn from the earliest window to the latest, so the colours follow the timeline.
    const parts = [];
    for (let i = 0; i < count; ++i) {
      parts.push({
        name: program.UTF8ToString(program._zv_part_name(i)),
        start: program._zv_part_start(i),
        end: program._zv_part_end(i),
      });
    }
    parts.sort((a, b) => a.start - b.start);
    hook.parts = parts;
    for (const part of parts) {
      const from = Math.max(0, Math.min(kEndSeconds, part.start));
      const to = Math.max(from, Math.min(kEndSeconds, part.end));
      if (to <= from) continue;
      const mark = document.createElement('span');
      mark.style.left = (100 * from) / kEndSeconds + '%';
      mark.style.width = (100 * (to - from)) / kEndSeconds + '%';
      mark.title = part.name + ': ' + clock(from) + ' to ' + clock(to);
      mark.dataset.part = part.name;
      marks.appendChild(mark);
    }
  }

  let toastTimer = 0;
  function say(text) {
    toast.textContent = text;
    toast.hidden = false;
    clearTimeout(toastTimer);
    toastTimer = setTimeout(() => {
      toast.hidden = true;
    }, 3000);
  }

  async function copyLink() {
    const url = new URL(window.location.href);
    url.searchParams.delete('still');
    url.searchParams.set('t', currentSeconds().toFixed(2));
    const link = url.toString();
    hook.lastLink = link;
    try {
      await navigator.clipboard.writeText(link);
      say('Link copied: ' + link);
    } catch (e) {
      // No clipboard (an insecure page, a refusal): the link is shown to copy by hand.
      say(link);
    }
  }

  function helpText() {
    const touchOnly = window.matchMedia && window.matchMedia('(hover: none) and (pointer: coarse)').matches;
    if (touchOnly) return 'Tap the picture for the controls \u00b7 double-tap: full screen';
    return 'Space or K: pause \u00b7 \u2190 \u2192: 5 s \u00b7 J L: 10 s \u00b7 Home or 0: start \u00b7 ' +
      'F or a double-click: full screen \u00b7 Escape stops';
  }

  // --- Keys, as video sites use them ---
  function onKey(event) {
    if (still || event.altKey || event.ctrlKey || event.metaKey) return;
    const key = event.key;
    const code = event.code;
    let handled = true;
    if (key === ' ' || code === 'Space' || key === 'k' || key === 'K') {
      togglePlay();
    } else if (key === 'ArrowLeft') {
      seek(currentSeconds() - 5);
    } else if (key === 'ArrowRight') {
      seek(currentSeconds() + 5);
    } else if (key === 'j' || key === 'J') {
      seek(currentSeconds() - 10);
    } else if (key === 'l' || key === 'L') {
      seek(currentSeconds() + 10);
    } else if (key === 'Home' || key === '0') {
      seek(0);
    } else if (key === 'f' || key === 'F') {
      toggleFullscreen();
    } else if (key === 'Escape') {
      if (fullscreenElement()) {
        toggleFullscreen();
      } else if (hook.state === 'playing' || hook.state === 'paused') {
        finishRun();
      }
    } else {
      handled = false;
    }
    if (handled) {
      event.preventDefault();
      if (hook.state !== 'idle') showControls();
    }
  }

  // --- Taps and the mouse: a tap counts once, whatever events the browser adds for it ---
  let lastTap = 0;
  let lastTouch = -Infinity;

  function onStagePointerUp(event) {
    if (event.pointerType === 'mouse') return;
    lastTouch = performance.now();
    const now = performance.now();
    if (now - lastTap < kDoubleTapMs) {
      lastTap = 0;
      toggleFullscreen();
    } else {
      lastTap = now;
    }
    showControls();
  }

  function onStageDoubleClick() {
    // A double tap already did it; the double click the browser makes of it does nothing more.
    if (performance.now() - lastTouch < 1000) return;
    toggleFullscreen();
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
  hook.musicClock = () => music.frames() / kSampleRate;
  hook.audioTime = () => (music.context !== null ? music.context.currentTime : 0);
  hook.seek = (seconds) => (hook.state === 'loading' ? -1 : seek(seconds));
  hook.renderRange = (from, to, fps) => program._zv_render_range(from, to, fps);
  hook.start = start;
  hook.pause = pause;
  hook.resume = resume;
  hook.currentSeconds = currentSeconds;
  // `count` frames of the decoded track from `first`, interleaved left and right.
  hook.trackSamples = (first, count) => {
    const at = (program._zv_track() >> 1) + first * 2;
    return Array.from(program.HEAP16.subarray(at, at + count * 2));
  };

  // --- Loading ---
  class DownloadError extends Error {}

  // The archive's bytes, with the bar following them. A download that stalls or breaks off is an
  // error with the reason; a missing file is { status } for the caller to decide.
  async function download(url) {
    const controller = new AbortController();
    let stalled = false;
    let timer = 0;
    const watch = () => {
      clearTimeout(timer);
      timer = setTimeout(() => {
        stalled = true;
        controller.abort();
      }, settings.stallSeconds * 1000);
    };
    let received = 0;
    let total = 0;
    const why = (e) => {
      const got = total > 0 ? megabytes(received) + ' of ' + megabytes(total) + ' MB' : megabytes(received) + ' MB';
      if (stalled) {
        return new DownloadError(`The download of ${url} stalled: no data came for ${settings.stallSeconds} s (${got} received).`);
      }
      return new DownloadError(`The download of ${url} broke off after ${got} (${message(e)}).`);
    };
    watch();
    try {
      const response = await fetch(url, { signal: controller.signal, cache: 'no-store' });
      if (!response.ok) {
        clearTimeout(timer);
        return { status: response.status + ' ' + response.statusText };
      }
      // A compressed response's length is not the length of what arrives.
      const encoded = (response.headers.get('Content-Encoding') || 'identity') !== 'identity';
      total = encoded ? 0 : Number(response.headers.get('Content-Length')) || 0;
      showProgress(total > 0 ? 0 : null, total > 0 ? `Downloading: 0.0 of ${megabytes(total)} MB` : 'Downloading');
      if (!response.body || !response.body.getReader) {
        const whole = new Uint8Array(await response.arrayBuffer());
        clearTimeout(timer);
        return { bytes: whole };
      }
      const reader = response.body.getReader();
      let buffer = new Uint8Array(total > 0 ? total : 1 << 20);
      for (;;) {
        const { done, value } = await reader.read();
        watch();
        if (done) break;
        if (received + value.length > buffer.length) {
          const grown = new Uint8Array(Math.max(buffer.length * 2, received + value.length));
          grown.set(buffer.subarray(0, received));
          buffer = grown;
        }
        buffer.set(value, received);
        received += value.length;
        if (total > 0) {
          showProgress((kDownloadShare * received) / total, `Downloading: ${megabytes(received)} of ${megabytes(total)} MB`);
        } else {
          showProgress(null, `Downloading: ${megabytes(received)} MB`);
        }
      }
      clearTimeout(timer);
      if (total > 0 && received < total) throw new Error('the server sent less than it announced');
      return { bytes: received === buffer.length ? buffer : buffer.subarray(0, received) };
    } catch (e) {
      clearTimeout(timer);
      if (e instanceof DownloadError) throw e;
      throw why(e);
    }
  }

  async function boot() {
    setState('loading');
    help.textContent = helpText();
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
    showProgress(0, 'Loading');
    // The archive and the program load side by side; a failure is kept for later, never left
    // unhandled.
    const fetching = download(archiveUrl).then((result) => result, (error) => ({ error }));
    mark('begin');
    program = await window.createZembravale({
      page,
      print: (text) => console.log(text),
      printErr: (text) => console.warn(text),
      onAbort: (what) => fail('The program stopped: ' + what),
    });
    mark('program');
    const fetched = await fetching;
    mark('archive');
    if (fetched.error !== undefined) {
      fail(message(fetched.error), true);
      return;
    }
    let archiveProblem = '';
    if (fetched.bytes !== undefined) {
      program.FS.writeFile('/tarnos.zip', fetched.bytes);
    } else {
      // Started without it, the production shows the boxes of a missing archive.
      archiveProblem = archiveUrl + ' could not be fetched (HTTP ' + fetched.status + '). ';
    }
    showProgress(kDownloadShare, 'Decoding the pictures');
    await nextPaint();
    if (program._zv_open(program.allocateUTF8OnStack('/tarnos.zip')) !== 1) {
      fail(archiveProblem + 'The production cannot start: ' + program.UTF8ToString(program._zv_failure()) + '.');
      return;
    }
    mark('pictures');
    showProgress(kPicturesShare, 'Decoding the music');
    await yieldToBrowser();
    // From the start the production needs only the beginning of the music, decoded with the
    // pictures; the rest follows between frames. Elsewhere the first seek needs all of it.
    for (;;) {
      if (startAt === 0 && !still) break;
      const until = performance.now() + kLoadSliceMs;
      let share = 0;
      do {
        share = program._zv_decode_music(kMusicPiece);
      } while (share < 1 && performance.now() < until);
      showProgress(kPicturesShare + (1 - kPicturesShare) * share, `Decoding the music: ${Math.floor(100 * share)}%`);
      if (share >= 1) break;
      await yieldToBrowser();
    }
    showProgress(1, '');
    mark('music');
    showBoxes();
    markParts();
    seekProgram(startAt);
    mark('sought');
    if (still) {
      setState('still');
      return;
    }
    loading.hidden = true;
    startButton.hidden = false;
    statusLine.textContent = startAt > 0 ? 'Starts at ' + clock(soughtTo) + ' (' + soughtTo.toFixed(2) + ' s)' : '';
    startButton.disabled = false;
    setState('idle');
    workInBackground();
  }

  document.title = kCaption;
  fitScreen();
  window.addEventListener('resize', fitScreen);
  if (window.screen.orientation) window.screen.orientation.addEventListener('change', fitScreen);
  document.addEventListener('fullscreenchange', fitScreen);
  document.addEventListener('webkitfullscreenchange', fitScreen);
  window.addEventListener('keydown', onKey);
  // A key held on a focused button must not click it as well.
  window.addEventListener('keyup', (event) => {
    if (event.key === ' ' && event.target instanceof HTMLButtonElement) event.preventDefault();
  });
  const stage = byId('stage');
  stage.addEventListener('pointerup', onStagePointerUp);
  stage.addEventListener('dblclick', onStageDoubleClick);
  panel.addEventListener('pointerup', (event) => {
    if (event.target === panel) onStagePointerUp(event);
  });
  panel.addEventListener('dblclick', (event) => {
    if (event.target === panel) onStageDoubleClick();
  });
  document.addEventListener('pointermove', (event) => {
    if (event.pointerType === 'mouse') showControls();
  });
  controls.addEventListener('pointerdown', () => showControls());
  startButton.addEventListener('click', start);
  retryButton.addEventListener('click', () => window.location.reload());
  playButton.addEventListener('click', togglePlay);
  fullButton.addEventListener('click', toggleFullscreen);
  stopButton.addEventListener('click', () => {
    if (hook.state === 'playing' || hook.state === 'paused') finishRun();
  });
  linkButton.addEventListener('click', copyLink);
  scrubber.addEventListener('input', () => {
    scrubbing = true;
    timeLine.textContent = clock(Number(scrubber.value)) + ' / ' + clock(kEndSeconds);
    showControls();
  });
  scrubber.addEventListener('change', () => {
    scrubbing = false;
    seek(Number(scrubber.value));
    showControls();
  });
  // Hidden (another tab, another app, a locked phone): the production pauses and stays paused.
  document.addEventListener('visibilitychange', () => {
    if (document.hidden) {
      pause();
    } else if (hook.state === 'playing') {
      holdWakeLock();
    }
  });
  window.addEventListener('error', (event) => {
    event.preventDefault();
    fail('Something went wrong: ' + event.message);
  });
  window.addEventListener('unhandledrejection', (event) => {
    event.preventDefault();
    fail('Something went wrong: ' + message(event.reason));
  });
  boot().catch((e) => fail('Something went wrong: ' + message(e)));
})();
