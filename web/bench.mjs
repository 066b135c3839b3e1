// The page's first paint on 127.0.0.1 in headless Chromium (median of several loads, a
// fresh browser profile each time, so nothing is cached), the time until the interpreter is
// ready, and the whole site's size compressed with gzip, as a server would send it.
import { chromium } from 'playwright-core';
import { readdirSync, readFileSync, statSync } from 'node:fs';
import { join } from 'node:path';
import { gzipSync } from 'node:zlib';
import { serve } from './serve.mjs';

const site = process.argv[2] || new URL('../build-web/site', import.meta.url).pathname;
const loads = Number(process.env.BENCH_RUNS || 5);

let raw = 0;
let compressed = 0;
const walk = (folder) => {
  for (const name of readdirSync(folder)) {
    const path = join(folder, name);
    if (statSync(path).isDirectory()) walk(path);
    else {
      const bytes = readFileSync(path);
      raw += bytes.length;
      compressed += gzipSync(bytes, { level: 9 }).length;
    }
  }
};
walk(site);

const server = await serve(site, 0);
const address = `http://127.0.0.1:${server.address().port}/`;
const paints = [];
const ready = [];
for (let i = 0; i < loads; ++i) {
  const browser = await chromium.launch({
    executablePath: process.env.ZEF_CHROMIUM || '/usr/bin/chromium',
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync'],
  });
  const page = await browser.newPage();
  await page.goto(address);
  await page.waitForSelector('body[data-pret="1"]');
  const [paint, prêt] = await page.evaluate(() => [
    performance.getEntriesByName('first-contentful-paint')[0]?.startTime ?? NaN,
    performance.now(),
  ]);
  paints.push(paint);
  ready.push(prêt);
  await browser.close();
}
server.close();
const median = (list) => [...list].sort((a, b) => a - b)[Math.floor(list.length / 2)];
console.log(`premier affichage : ${median(paints).toFixed(0)} ms (médiane de ${loads} chargements)`);
console.log(`interpréteur prêt : ${median(ready).toFixed(0)} ms`);
console.log(`site : ${(raw / 1024).toFixed(0)} Ko, ${(compressed / 1024).toFixed(0)} Ko compressé (gzip -9)`);
