// The page around the show: the title and "click to start", the music through chiptune3
// (libopenmpt in an AudioWorklet), the canvas in the page's 4:3 box, and the end.
//
// The show (show.js, from web/main.cpp) draws each frame at Module.musicTime(): the module's
// position chiptune3 last reported, moved on by the audio clock since the report, less what the
// audio context says lies between its clock and the ear (outputLatency and baseLatency).
// index.html?at=SECONDS[&size=WxH][&frames=N] draws one frame instead, without sound, and
// leaves the outcome in window.orduneDone ("" when drawn) for whoever reads the canvas.
import createShow from './show.js';
import { ChiptuneJsPlayer } from './chiptune3.js';

const params = new URLSearchParams(location.search);
const canvas = document.getElementById('canvas');
const title = document.getElementById('title');
const prompt = document.getElementById('prompt');

// The largest 4:3 box centred in the page, in CSS pixels.
function place() {
  const w = Math.min(innerWidth, Math.round(innerHeight * 4 / 3));
  const h = Math.min(innerHeight, Math.round(innerWidth * 3 / 4));
  Object.assign(canvas.style, {
    width: `${w}px`, height: `${h}px`,
    left: `${(innerWidth - w) / 2}px`, top: `${(innerHeight - h) / 2}px`,
  });
  return [w, h];
}

// The box, and the drawing buffer at its size in device pixels. The show keeps the buffer it
// starts with; a resized page (full screen entered late, a turned phone) only moves the box.
function layout() {
  const [w, h] = place();
  canvas.width = Math.round(w * devicePixelRatio);
  canvas.height = Math.round(h * devicePixelRatio);
  addEventListener('resize', place);
}

function say(text) {
  prompt.textContent = text;
  title.hidden = false;
}

if (params.has('at')) {
  title.hidden = true;
  const args = ['--at', params.get('at')];
  for (const name of ['size', 'frames'])
    if (params.has(name)) args.push(`--${name}`, params.get(name));
  createShow({
    canvas, arguments: args,
    showDone: (message) => { window.orduneDone = message; },
  });
} else {
  title.addEventListener('click', start, { once: true });
}

async function start() {
  say('loading…');
  try {
    await document.documentElement.requestFullscreen();
  } catch {
    // A page in a frame or a browser without it plays full-page all the same.
  }
  layout();
  const player = new ChiptuneJsPlayer({ repeatCount: 0, interpolationFilter: 4, stereoSeparation: 100 });
  let report = null;
  let over = false;
  player.onProgress((data) => {
    // Reports already on their way when the show ended must not hide the title again.
    if (over)
      return;
    report = { position: data.pos, at: player.context.currentTime };
    title.hidden = true;
  });
  player.onError((e) => say(`the music cannot play (${e.type})`));
  player.onInitialized(() => player.load('music.xm'));
  const musicTime = () => {
    if (!report || over)
      return -1;
    const context = player.context;
    const latency = (context.outputLatency || 0) + (context.baseLatency || 0);
    // Kept where a test (or a curious visitor) can read it.
    window.orduneHeard = report.position + (context.currentTime - report.at) - latency;
    return window.orduneHeard;
  };
  const end = () => {
    if (over)
      return;
    over = true;
    player.stop();
    if (document.fullscreenElement)
      document.exitFullscreen().catch(() => {});
    say('click to watch again');
    title.addEventListener('click', () => location.reload(), { once: true });
  };
  addEventListener('keydown', (e) => { if (e.key === 'Escape') end(); });
  // Escape in full screen is the browser's own: leaving full screen ends the show too.
  document.addEventListener('fullscreenchange', () => { if (!document.fullscreenElement) end(); });
  await createShow({
    canvas, musicTime,
    showDone: (message) => { if (message) say(message); else end(); },
  });
}
