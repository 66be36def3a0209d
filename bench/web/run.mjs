// The browser build's figures, each beside its goal, in Debian's headless chromium on this
// machine: page load to the first card of the demo stack (with autoplay), what the page
// downloads for it (compressed with gzip -9, as a server would send it), and the player's
// work per step of a full-card transition. Baselines from the same run stand beside them:
// an empty page's load, and the time between the frames the page shows.
//   node bench/web/run.mjs WEB_DIR [--runs N]
// Reports only: the exit status is 0 unless the browser could not be driven at all.
import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';
import {page} from '../../tests/web/fixtures.mjs';
import {CHROMIUM, launch, makeSite, serve} from '../../tests/web/harness.mjs';

const [webDir, ...rest] = process.argv.slice(2);
const runs = rest.includes('--runs') ? Number(rest[rest.indexOf('--runs') + 1]) : 5;
const LOAD_GOAL_MS = 1000;
const SIZE_GOAL_BYTES = 4 * 1024 * 1024;
const STEP_GOAL_MS = 2;

const browser = await launch();
if (!browser) {
  console.log(`no browser at ${CHROMIUM}: skipped`);
  process.exit(0);
}
const site = makeSite(webDir);
fs.writeFileSync(path.join(site, 'autoplay.html'),
                 page('<embed id="p" src="demo.stk" width="512" height="342" data-autoplay="true">'));
fs.writeFileSync(path.join(site, 'empty.html'), page(''));
fs.writeFileSync(path.join(site, 'click.html'),
                 page('<embed id="p" src="demo.stk" width="512" height="342">'));
const {server, origin} = await serve(site);
// The same site as a distant server answers it: each request answered 100 ms late.
const DISTANT_MS = 100;
const distant = await serve(site, {delayMs: DISTANT_MS});

const median = (list) => [...list].sort((a, b) => a - b)[list.length >> 1];
const at = (list, share) => {
  const sorted = [...list].sort((a, b) => a - b);
  return sorted[Math.min(sorted.length - 1, Math.floor(sorted.length * share))];
};
const verdict = (value, goal) => `${value <= goal ? 'within' : 'OVER'} the goal (${(value / goal).toFixed(2)} of it)`;

// One load of the autoplay page: the time to the first card, when each file had come (from
// the start of the navigation), and the bytes of each response.
async function loadOnce(from = origin) {
  const p = await browser.newPage();
  const bodies = [];
  p.on('response', (r) => bodies.push(r.body().then((b) => [new URL(r.url()).pathname, b], () => null)));
  await p.goto(`${from}/autoplay.html`);
  const shown = await p.waitForFunction(() => {
    const el = document.getElementById('p');
    return el && el.corvida && el.corvida.shownAt;
  }, null, {timeout: 30000}).then((h) => h.jsonValue(), () => 0);
  // The files (when asked for, when in) and the page script's marks, in time order.
  const arrivals = await p.evaluate(() => [
    ...performance.getEntriesByType('resource')
      .map((e) => [new URL(e.name).pathname, Math.round(e.startTime), Math.round(e.responseEnd)]),
    ...performance.getEntriesByType('mark').filter((e) => e.name.startsWith('corvida:'))
      .map((e) => [e.name, null, Math.round(e.startTime)]),
  ].sort((a, b) => a[2] - b[2]));
  const files = (await Promise.all(bodies)).filter(Boolean);
  await p.close();
  return {shown, arrivals, files};
}

// From the click-to-play click to the first card (the click also makes the audio context).
async function clickOnce() {
  const p = await browser.newPage();
  await p.goto(`${origin}/click.html`);
  await p.waitForSelector('#p .cv-cover');
  const clickedAt = await p.evaluate(() => new Promise((resolve) => {
    document.querySelector('#p .cv-cover').addEventListener('click', () => resolve(performance.now()),
                                                           {capture: true, once: true});
    document.querySelector('#p .cv-cover').click();
  }));
  const shown = await p.waitForFunction(() => document.getElementById('p').corvida.shownAt,
                                        null, {timeout: 30000}).then((h) => h.jsonValue(), () => 0);
  await p.close();
  return shown ? shown - clickedAt : 0;
}

async function emptyLoad() {
  const p = await browser.newPage();
  await p.goto(`${origin}/empty.html`);
  const ms = await p.evaluate(() => performance.getEntriesByType('navigation')[0].loadEventEnd);
  await p.close();
  return ms;
}

// The player's work per shown step of card 2's full-card transition (its Next button).
async function transitionSteps() {
  const p = await browser.newPage();
  await p.goto(`${origin}/click.html`);
  await p.click('#p .cv-cover');
  await p.waitForFunction(() => document.getElementById('p').corvida.lines.some((l) => /^card 1 /.test(l)),
                          null, {timeout: 30000});
  await p.waitForTimeout(1500);
  await p.focus('#p');
  await p.keyboard.press('Control+KeyJ');
  await p.waitForTimeout(500);
  await p.keyboard.type('2');
  await p.keyboard.press('Enter');
  await p.waitForFunction(() => document.getElementById('p').corvida.lines.some((l) => /^card 2 /.test(l)),
                          null, {timeout: 10000});
  await p.waitForTimeout(1500);
  await p.evaluate(() => {
    const player = document.getElementById('p').corvida;
    player.frameTimes = [];
    player.workTimes = [];
  });
  const box = await p.locator('#p canvas').boundingBox();
  await p.mouse.click(box.x + 340 * box.width / 512, box.y + 304 * box.height / 342);
  await p.waitForTimeout(3000);
  const [times, work] = await p.evaluate(() => {
    const player = document.getElementById('p').corvida;
    return [player.frameTimes, player.workTimes];
  });
  await p.close();
  let last = 1;
  while (last < times.length && times[last] - times[last - 1] < 500) ++last;
  const shown = times.slice(0, last);
  const gaps = shown.slice(1).map((t, i) => t - shown[i]);
  const steps = work.filter(([t]) => t >= shown[0] - 50 && t <= shown[last - 1]).map(([, ms]) => ms);
  return {frames: shown.length, gaps, steps};
}

try {
  const loads = [];
  for (let run = 0; run < runs; ++run) loads.push(await loadOnce());
  const empties = [];
  for (let run = 0; run < runs; ++run) empties.push(await emptyLoad());
  const shownTimes = loads.map((l) => l.shown).filter((ms) => ms > 0);
  console.log(`== browser: page load to the first card (autoplay, ${shownTimes.length} of ${runs} loads)`);
  if (loads[0].shown) {
    // The first load is a first visit: nothing in the browser's caches or the site's storage.
    console.log(`  first visit ${loads[0].shown.toFixed(0)} ms; goal under ${LOAD_GOAL_MS} ms: ` +
                verdict(loads[0].shown, LOAD_GOAL_MS));
  }
  if (shownTimes.length) {
    const ms = median(shownTimes);
    console.log(`  all loads: median ${ms.toFixed(0)} ms, fastest ${Math.min(...shownTimes).toFixed(0)} ms, ` +
                `slowest ${Math.max(...shownTimes).toFixed(0)} ms; goal under ${LOAD_GOAL_MS} ms: ` +
                verdict(ms, LOAD_GOAL_MS));
    console.log(`  baseline: an empty page with the script loads in ${median(empties).toFixed(0)} ms ` +
                `(the first card takes ${(ms / Math.max(1, median(empties))).toFixed(1)} times that)`);
    // When each file of the median load had come, from the start of the navigation.
    const typical = loads.find((l) => l.shown === ms) || loads[0];
    for (const [what, start, end] of typical.arrivals) {
      const asked = start === null ? ' '.repeat(18) : `asked at ${String(start).padStart(5)} ms, `;
      console.log(`  ${what.padEnd(34)} ${asked}${start === null ? '   at' : 'in at'} ${String(end).padStart(5)} ms`);
    }
  }

  const clicks = [];
  for (let run = 0; run < runs; ++run) clicks.push(await clickOnce());
  const clicked = clicks.filter((ms) => ms > 0);
  if (clicked.length) {
    console.log(`  after the click-to-play click: median ${median(clicked).toFixed(0)} ms ` +
                `(${clicked.length} of ${runs}); goal under ${LOAD_GOAL_MS} ms: ` +
                verdict(median(clicked), LOAD_GOAL_MS));
  }
  // Each step that waits for the one before costs a round trip more from a distant server.
  const far = [];
  for (let run = 0; run < runs; ++run) far.push((await loadOnce(distant.origin)).shown);
  const farShown = far.filter((ms) => ms > 0);
  if (farShown.length) {
    const ms = median(farShown);
    console.log(`  from a server answering ${DISTANT_MS} ms late: median ${ms.toFixed(0)} ms ` +
                `(${farShown.length} of ${runs} loads); goal under ${LOAD_GOAL_MS} ms: ${verdict(ms, LOAD_GOAL_MS)}`);
  }

  console.log('== browser: what the page downloads for the first card (gzip -9)');
  const files = loads[0].files;
  let sent = 0;
  let packed = 0;
  for (const [file, bytes] of files) {
    const gz = zlib.gzipSync(bytes, {level: 9}).length;
    sent += bytes.length;
    packed += gz;
    console.log(`  ${file.padEnd(26)} ${String(bytes.length).padStart(9)} bytes, ${String(gz).padStart(9)} compressed`);
  }
  console.log(`  all ${files.length} files: ${sent} bytes, ${packed} compressed; goal under ` +
              `${SIZE_GOAL_BYTES} compressed: ${verdict(packed, SIZE_GOAL_BYTES)}`);

  console.log('== browser: the player\'s work per step of a full-card transition');
  const {frames, gaps, steps} = await transitionSteps();
  if (steps.length) {
    const ms = median(steps);
    console.log(`  ${frames} frames; work per shown step: median ${ms.toFixed(2)} ms, 90% under ` +
                `${at(steps, 0.9).toFixed(2)} ms; goal under ${STEP_GOAL_MS} ms: ${verdict(ms, STEP_GOAL_MS)}`);
    console.log(`  baseline: the page shows a frame every ${median(gaps).toFixed(1)} ms ` +
                `(the work takes ${(100 * ms / Math.max(0.1, median(gaps))).toFixed(0)}% of it)`);
  } else {
    console.log('  no transition steps were seen');
  }
} finally {
  await browser.close();
  server.close();
  distant.server.close();
  fs.rmSync(site, {recursive: true, force: true});
}
