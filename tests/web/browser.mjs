// What the browser test and the web benchmark share: a plain static file
// server on 127.0.0.1, as any web host would be, and the system's Chromium.
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm' };

// Serves root until closed; resolves to { server, url }.
export function serve(root) {
  const server = http.createServer((req, res) => {
    const name = new URL(req.url, 'http://x').pathname.replace(/\/$/, '/index.html');
    fs.readFile(path.join(root, path.normalize(name)), (err, body) => {
      res.writeHead(err ? 404 : 200, { 'Content-Type': types[path.extname(name)] ?? 'application/octet-stream' });
      res.end(err ? '' : body);
    });
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => {
    resolve({ server, url: `http://127.0.0.1:${server.address().port}/` });
  }));
}

// Headless Chromium ($CHROMIUM, else Debian's) with a fresh profile that
// close() removes. The network is closed and there is no GPU: nothing to
// reach out to, and WebGL on Chromium's software rasteriser.
export async function launch() {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'quondel-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
    headless: true,
    userDataDir: profile,
    args: ['--no-sandbox', '--disable-gpu', '--enable-unsafe-swiftshader', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  return {
    browser,
    close: async () => {
      await browser.close();
      fs.rmSync(profile, { recursive: true, force: true });
    },
  };
}

// Resolves once the start screen invites the player in.
export function waitReady(page) {
  return page.waitForFunction(
    () => document.getElementById('prompt').textContent === 'Click or press any key to play', { timeout: 20000 });
}
