// The web build in headless Chromium (WebGL 2 on SwiftShader), driven through playwright-core:
// serves build-web/ on a local port, opens index.html?at=T&size=WxH for each time and saves the
// canvas as OUT/T.png; with --fps, opens index.html?at=T&frames=N instead and prints the frames
// a second the page reports; with --live, plays the show as a visitor does.
//
//   node web_frames.mjs BUILD_WEB OUT WxH T1 T2 ...          frames
//   node web_frames.mjs BUILD_WEB - WxH --fps N T1 T2 ...    frames a second
//   node web_frames.mjs BUILD_WEB OUT WxH --live             the title, a click, 8 s of the show
//                                                            (OUT/live.png), Escape
//
// Ready means the page's window.orduneDone is set: "" when the frame is drawn, else the fault.
import { createServer } from 'node:http';
import { readFile, writeFile } from 'node:fs/promises';
import { extname, join, normalize } from 'node:path';
import { createRequire } from 'node:module';

const require = createRequire(new URL('../web/', import.meta.url));
const { chromium } = require('playwright-core');

const [root, out, size, ...rest] = process.argv.slice(2);
const fps = rest[0] === '--fps' ? Number(rest[1]) : 0;
const live = rest[0] === '--live';
const times = fps ? rest.slice(2) : rest;

const types = {
  '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
  '.data': 'application/octet-stream', '.xm': 'application/octet-stream',
};
const server = createServer(async (request, response) => {
  const path = normalize(decodeURIComponent(new URL(request.url, 'http://x').pathname));
  try {
    const body = await readFile(join(root, path === '/' ? 'index.html' : path));
    response.writeHead(200, { 'Content-Type': types[extname(path)] || 'application/octet-stream' });
    response.end(body);
  } catch {
    response.writeHead(404);
    response.end();
  }
});
await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
const base = `http://127.0.0.1:${server.address().port}/index.html`;

const browser = await chromium.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  args: ['--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--ignore-gpu-blocklist',
    '--autoplay-policy=user-gesture-required'],
});

// The live show: the title waits for a click; after it the music's reports start the show
// (the title goes), the heard time passes 8 s, and Escape ends it with the title back.
async function playLive(page) {
  await page.goto(base);
  const prompt = () => page.evaluate(() => document.getElementById('prompt').textContent);
  if ((await prompt()) !== 'click to start')
    throw new Error(`the title says "${await prompt()}", not "click to start"`);
  await page.click('#title');
  await page.waitForFunction(() => document.getElementById('title').hidden, null, { timeout: 60000 });
  await page.waitForFunction(() => window.orduneHeard > 8, null, { timeout: 60000 });
  await page.screenshot({ path: join(out, 'live.png') });
  await page.keyboard.press('Escape');
  await page.waitForFunction(() => !document.getElementById('title').hidden, null, { timeout: 10000 });
  if ((await prompt()) !== 'click to watch again')
    throw new Error(`after Escape the title says "${await prompt()}"`);
}
let failed = false;
try {
  const [w, h] = size.split('x').map(Number);
  const page = await browser.newPage({ viewport: { width: w, height: h } });
  page.on('pageerror', (e) => console.error(`web: page error: ${e.message}`));
  if (live)
    await playLive(page).catch((e) => {
      console.error(`web: the live show: ${e.message}`);
      failed = true;
    });
  for (const t of live ? [] : times) {
    const query = fps ? `at=${t}&size=${size}&frames=${fps}` : `at=${t}&size=${size}`;
    await page.goto(`${base}?${query}`);
    await page.waitForFunction(() => window.orduneDone !== undefined, null, { timeout: 600000 });
    const message = await page.evaluate(() => window.orduneDone);
    if (fps) {
      console.log(`${t} ${message}`);
      failed ||= !message.startsWith('frames a second');
      continue;
    }
    if (message) {
      console.error(`web: at ${t}: ${message}`);
      failed = true;
      continue;
    }
    const url = await page.evaluate(() => document.getElementById('canvas').toDataURL('image/png'));
    await writeFile(join(out, `${t}.png`), Buffer.from(url.split(',')[1], 'base64'));
  }
} finally {
  await browser.close();
  server.close();
}
process.exit(failed ? 1 : 0);
