// What the browser checks and the browser benchmark share: a site folder holding the
// browser build's files, a local server for it, and Debian's chromium driven through
// playwright-core.
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';

export const CHROMIUM = process.env.CORVIDA_CHROMIUM || '/usr/bin/chromium';

// A new temporary folder with links to the browser build's files.
export function makeSite(webDir) {
  const site = fs.mkdtempSync(path.join(os.tmpdir(), 'corvida-web-'));
  for (const name of fs.readdirSync(webDir)) {
    if (/\.(js|wasm|html|stk|bmp|mov)$/.test(name) || name === 'fonts')
      fs.symlinkSync(path.resolve(webDir, name), path.join(site, name));
  }
  return site;
}

const TYPES = {'.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
               '.png': 'image/png', '.txt': 'text/plain'};

// Serves `site` on 127.0.0.1 with lengths and modification times; resolves to the server
// and its origin. `delayMs` holds back each answer that long, as a distant server would.
export async function serve(site, {delayMs = 0} = {}) {
  const server = http.createServer((req, res) => {
    if (delayMs > 0) setTimeout(() => answer(req, res), delayMs);
    else answer(req, res);
  });
  function answer(req, res) {
    const url = new URL(req.url, 'http://x');
    const file = path.join(site, decodeURIComponent(url.pathname));
    if (!file.startsWith(site) || !fs.existsSync(file) || fs.statSync(file).isDirectory()) {
      res.writeHead(404);
      res.end('not found');
      return;
    }
    const stat = fs.statSync(file);
    res.writeHead(200, {'Content-Type': TYPES[path.extname(file)] || 'application/octet-stream',
                        'Content-Length': stat.size, 'Last-Modified': stat.mtime.toUTCString()});
    fs.createReadStream(file).pipe(res);
  }
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  return {server, origin: `http://127.0.0.1:${server.address().port}`};
}

// Debian's chromium, headless, sound allowed without a gesture; null when it is missing.
export async function launch() {
  if (!fs.existsSync(CHROMIUM)) return null;
  const {chromium} = await import('playwright-core');
  return chromium.launch({executablePath: CHROMIUM, headless: true,
                          args: ['--no-sandbox', '--autoplay-policy=no-user-gesture-required']});
}
