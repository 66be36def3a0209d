// Browser tests of the browser build: serves build/web with the fixture pages, drives
// Debian's chromium (never a downloaded browser) through playwright-core, and checks that
// each markup variant is replaced by a player whose first card matches `corvida render`
// of the same card and whose Next button shows the next card.
//   node run.mjs WEB_DIR CORVIDA [--only NAME] [--keep]
// Exit status 0 when every check passed, 77 (skipped) when chromium is missing.
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import {fixtures, notStacks, page} from './fixtures.mjs';

const [webDir, corvida, ...rest] = process.argv.slice(2);
const only = rest.includes('--only') ? rest[rest.indexOf('--only') + 1] : null;
const CHROMIUM = process.env.CORVIDA_CHROMIUM || '/usr/bin/chromium';
// The desktop smoke test's tolerance: under 2% of pixels off by more than 24 in a channel.
const TOLERANCE = 24;
const MOST_DIFFERING = 0.02;

if (!fs.existsSync(CHROMIUM)) {
  console.log(`no browser at ${CHROMIUM}: skipped`);
  process.exit(77);
}
const {chromium} = await import('playwright-core');

// The site: build/web's files, the fixture pages, the stack under a name without an
// extension, and the renders to compare with.
const site = fs.mkdtempSync(path.join(os.tmpdir(), 'corvida-web-'));
for (const name of fs.readdirSync(webDir)) {
  if (/\.(js|wasm|html|stk|bmp)$/.test(name) || name === 'fonts')
    fs.symlinkSync(path.resolve(webDir, name), path.join(site, name));
}
fs.copyFileSync(path.join(webDir, 'demo.stk'), path.join(site, 'stack-file'));
for (const f of [...fixtures, notStacks]) fs.writeFileSync(path.join(site, f.name + '.html'), page(f.body));
for (const card of [1, 2]) {
  execFileSync(corvida, ['render', path.join(webDir, 'demo.stk'), '--card', String(card),
                         '-o', path.join(site, `render-${card}.png`)]);
}

const types = {'.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
               '.png': 'image/png', '.txt': 'text/plain'};
const server = http.createServer((req, res) => {
  const url = new URL(req.url, 'http://x');
  const file = path.join(site, decodeURIComponent(url.pathname));
  if (!file.startsWith(site) || !fs.existsSync(file) || fs.statSync(file).isDirectory()) {
    res.writeHead(404);
    res.end('not found');
    return;
  }
  const stat = fs.statSync(file);
  res.writeHead(200, {'Content-Type': types[path.extname(file)] || 'application/octet-stream',
                      'Content-Length': stat.size, 'Last-Modified': stat.mtime.toUTCString()});
  fs.createReadStream(file).pipe(res);
});
await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
const origin = `http://127.0.0.1:${server.address().port}`;

const browser = await chromium.launch({executablePath: CHROMIUM, headless: true,
                                       args: ['--no-sandbox', '--autoplay-policy=no-user-gesture-required']});
const failures = [];
const timings = [];
function check(name, what, ok, detail = '') {
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${name}: ${what}${detail ? ' (' + detail + ')' : ''}`);
  if (!ok) failures.push(`${name}: ${what} ${detail}`);
}

// Share of pixels of the player's canvas that differ from a render by more than the
// tolerance; computed in the page.
async function differingShare(p, id, render) {
  return p.evaluate(async ([id, render, tolerance]) => {
    const canvas = document.getElementById(id).querySelector('canvas');
    const img = new Image();
    img.src = render;
    await img.decode();
    const c = document.createElement('canvas');
    c.width = img.width;
    c.height = img.height;
    const g = c.getContext('2d');
    g.drawImage(img, 0, 0);
    if (img.width !== canvas.width || img.height !== canvas.height) return 1;
    const a = g.getImageData(0, 0, c.width, c.height).data;
    const b = canvas.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    let differing = 0;
    for (let i = 0; i < a.length; i += 4) {
      if (Math.abs(a[i] - b[i]) > tolerance || Math.abs(a[i + 1] - b[i + 1]) > tolerance ||
          Math.abs(a[i + 2] - b[i + 2]) > tolerance) ++differing;
    }
    return differing / (a.length / 4);
  }, [id, render, TOLERANCE]);
}

async function waitForLog(p, id, pattern, ms = 10000) {
  return p.waitForFunction(([id, pattern]) => {
    const el = document.getElementById(id);
    return el && el.corvida && el.corvida.lines.some((l) => new RegExp(pattern).test(l));
  }, [id, pattern], {timeout: ms}).then(() => true, () => false);
}

// Clicks the player (the click-to-play cover first) and waits for the first card.
async function startPlayer(p, id) {
  const start = Date.now();
  await p.click(`#${id} .cv-cover`);
  const shown = await p.waitForFunction((id) => {
    const el = document.getElementById(id);
    return el && el.dataset.state === 'playing' && el.corvida.lines.some((l) => /^card /.test(l));
  }, id, {timeout: 20000}).then(() => true, () => false);
  const ms = Date.now() - start;
  // Let the arrival's transition finish.
  await p.waitForTimeout(1500);
  return {shown, ms};
}

async function runFixture(f) {
  const p = await browser.newPage();
  const errors = [];
  p.on('pageerror', (e) => errors.push(String(e)));
  const loaded = Date.now();
  await p.goto(`${origin}/${f.name}.html`);
  const replaced = await p.waitForFunction((n) =>
    document.querySelectorAll('.corvida-player').length === n &&
    document.querySelectorAll('embed,object').length === 0, f.players, {timeout: 5000})
    .then(() => true, () => false);
  check(f.name, `${f.players} player element(s) replaced the tags`, replaced);
  const size = await p.evaluate(() => {
    const b = document.getElementById('p').getBoundingClientRect();
    return `${b.width}x${b.height}`;
  }).catch(() => 'none');
  check(f.name, 'the player has the tag\'s size', size === '512x342', size);
  const ids = f.players === 2 ? ['p', 'q'] : ['p'];
  for (const id of ids) {
    const {shown, ms} = await startPlayer(p, id);
    check(f.name, `player ${id} shows the first card`, shown);
    if (!shown) continue;
    timings.push(ms);
    const share = await differingShare(p, id, 'render-1.png');
    check(f.name, `player ${id}'s first card matches corvida render`, share < MOST_DIFFERING,
          `${(share * 100).toFixed(2)}% differ`);
  }
  // The first card's one button (Home, in the corner) goes to card 2; clicked at its
  // middle in the element's own pixels.
  const box = await p.locator('#p canvas').boundingBox();
  await p.mouse.click(box.x + 446 * box.width / 512, box.y + 304 * box.height / 342);
  const moved = await waitForLog(p, 'p', '^card 2 ');
  await p.waitForTimeout(1500);
  const share2 = moved ? await differingShare(p, 'p', 'render-2.png') : 1;
  check(f.name, 'a click on the button shows card 2', moved && share2 < MOST_DIFFERING,
        `${(share2 * 100).toFixed(2)}% differ`);
  check(f.name, 'no script errors on the page', errors.length === 0, errors.join('; '));
  if (f.name === 'plain-embed') await keyboardChecks(p, f.name);
  await p.close();
  void loaded;
}

// Ctrl+J opens Jump To Card in the canvas; typing a number and Return goes there.
async function keyboardChecks(p, name) {
  await p.focus('#p');
  const before = await p.evaluate(() => document.getElementById('p').corvida.frames);
  await p.keyboard.press('Control+KeyJ');
  await p.waitForTimeout(800);
  const after = await p.evaluate(() => document.getElementById('p').corvida.frames);
  check(name, 'Ctrl+J shows the jump dialog in the canvas', after > before);
  await p.keyboard.type('4');
  await p.keyboard.press('Enter');
  check(name, 'the jump dialog goes to the card typed', await waitForLog(p, 'p', '^card 4 '));
}

async function runNotStacks() {
  const p = await browser.newPage();
  await p.goto(`${origin}/${notStacks.name}.html`);
  await p.waitForTimeout(500);
  const left = await p.evaluate(() => [document.querySelectorAll('.corvida-player').length,
                                       document.querySelectorAll('embed,object').length]);
  check(notStacks.name, 'other embeds and objects stay', left[0] === 0 && left[1] === 2,
        left.join('/'));
  await p.close();
}

// Time from the start of the page's load to the first card on the canvas, with autoplay.
async function timeToFirstCard() {
  fs.writeFileSync(path.join(site, 'autoplay.html'),
                   page('<embed id="p" src="demo.stk" width="512" height="342" data-autoplay="true">'));
  const times = [];
  for (let run = 0; run < 3; ++run) {
    const p = await browser.newPage();
    await p.goto(`${origin}/autoplay.html`);
    const ok = await p.waitForFunction(() => document.getElementById('p').corvida &&
      document.getElementById('p').corvida.shownAt, null, {timeout: 20000}).then(() => true, () => false);
    if (ok) times.push(await p.evaluate(() => document.getElementById('p').corvida.shownAt));
    await p.close();
  }
  check('autoplay', 'the first card shows without a click', times.length === 3);
  times.sort((a, b) => a - b);
  if (times.length) console.log(`page load to first card (autoplay): median ${Math.round(times[1] || times[0])} ms`);
}

async function runMissing() {
  const p = await browser.newPage();
  fs.writeFileSync(path.join(site, 'missing.html'), page('<embed id="p" src="gone.stk">'));
  await p.goto(`${origin}/missing.html`);
  await p.click('#p .cv-cover');
  const panel = await p.waitForFunction(() => document.getElementById('p').dataset.state === 'error',
                                        null, {timeout: 10000}).then(() => true, () => false);
  const text = panel ? await p.textContent('#p .cv-error') : '';
  check('missing-stack', 'the error panel names the URL and the reason',
        panel && text.includes('/gone.stk') && text.includes('404'), text.replace(/\n+/g, ' '));
  await p.close();
}

try {
  for (const f of fixtures) if (!only || only === f.name) await runFixture(f);
  if (!only) {
    await runNotStacks();
    await runMissing();
    await timeToFirstCard();
  }
} finally {
  await browser.close();
  server.close();
  if (!rest.includes('--keep')) fs.rmSync(site, {recursive: true, force: true});
}
if (timings.length) {
  timings.sort((a, b) => a - b);
  console.log(`first card after the click: median ${timings[timings.length >> 1]} ms, ` +
              `slowest ${timings[timings.length - 1]} ms`);
}
console.log(failures.length ? `${failures.length} check(s) failed` : 'all browser checks passed');
process.exit(failures.length ? 1 : 0);
