// The web build audited by Lighthouse as a visitor meets it: the site
// served gzip-compressed from 127.0.0.1 to the system's headless Chromium,
// RUNS fresh audits per form factor (Lighthouse's emulated phone, with its
// 4x slower CPU and slow network, then its desktop). Prints, per form
// factor, the four scores, Total Blocking Time and Largest Contentful
// Paint as medians of the runs with their ranges, and the machine's load.
//
//   node bench/web-audit.mjs SITE [RUNS]
import { execFile } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { promisify } from 'node:util';
import { serve } from '../tests/web/browser.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const root = path.resolve(process.argv[2] ?? 'build-web/site');
const runs = Number(process.argv[3] ?? 5);
const lighthouse = path.join(here, 'web-audit/node_modules/.bin/lighthouse');
const chromium = process.env.CHROMIUM ?? '/usr/bin/chromium';
// Running as root needs --no-sandbox; the rest keeps Chromium off a
// network it cannot reach, as in the browser tests.
const flags = ['--headless=new', '--no-sandbox', '--enable-unsafe-swiftshader', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'];
const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];
const spread = (xs, f = (x) => x) => `${f(median(xs))} (${f(Math.min(...xs))} to ${f(Math.max(...xs))})`;

const site = await serve(root, { gzip: true });
const out = fs.mkdtempSync(path.join(os.tmpdir(), 'quondel-audit-'));
const load = [];
const rows = [];
try {
  for (const [name, preset] of [['mobile', []], ['desktop', ['--preset=desktop']]]) {
    const r = [];
    for (let i = 0; i < runs; i++) {
      load.push(os.loadavg()[0]);
      const file = path.join(out, `${name}-${i}.json`);
      // Asynchronously: this process serves the site meanwhile.
      await promisify(execFile)(lighthouse, [site.url, ...preset, '--output=json', `--output-path=${file}`,
        '--quiet', `--chrome-flags=${flags.join(' ')}`], { env: { ...process.env, CHROME_PATH: chromium } });
      const report = JSON.parse(fs.readFileSync(file, 'utf8'));
      const score = (c) => Math.round(report.categories[c].score * 100);
      r.push({
        performance: score('performance'), accessibility: score('accessibility'),
        'best practices': score('best-practices'), SEO: score('seo'),
        tbt: report.audits['total-blocking-time'].numericValue,
        lcp: report.audits['largest-contentful-paint'].numericValue,
      });
    }
    const col = (k, f) => spread(r.map((x) => x[k]), f);
    rows.push(`| ${name} | ${['performance', 'accessibility', 'best practices', 'SEO'].map((k) => col(k)).join(' | ')}`
      + ` | ${col('tbt', (v) => v.toFixed(0))} | ${col('lcp', (v) => v.toFixed(0))} |`);
  }
} finally {
  site.server.close();
  fs.rmSync(out, { recursive: true, force: true });
}
console.log(`Lighthouse, ${runs} runs per form factor: median (range)\n`);
console.log('| | performance | accessibility | best practices | SEO | Total Blocking Time, ms | Largest Contentful Paint, ms |');
console.log('|---|---|---|---|---|---|---|');
for (const row of rows) console.log(row);
console.log(`\nload average (1 min) at the runs' starts: ${spread(load, (v) => v.toFixed(2))} on ${os.cpus().length} cores`);
