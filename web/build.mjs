// Builds the site into build-web/site (or the folder given): the page bundled by esbuild,
// the worker and the interpreter compiled to WebAssembly (build-web), the help pages, and
// the service worker with the list of every file it keeps for offline use.
import { build } from 'esbuild';
import { createHash } from 'node:crypto';
import { cpSync, mkdirSync, readFileSync, readdirSync, rmSync, statSync, writeFileSync } from 'node:fs';
import { dirname, join, relative } from 'node:path';
import { fileURLToPath } from 'node:url';

const here = dirname(fileURLToPath(import.meta.url));
const root = join(here, '..');
const wasmBuild = process.env.ZEF_WEB_BUILD || join(root, 'build-web');
const site = process.argv[2] || join(wasmBuild, 'site');

rmSync(site, { recursive: true, force: true });
mkdirSync(join(site, 'aide'), { recursive: true });

await build({
  entryPoints: [join(here, 'src', 'main.js')],
  bundle: true,
  minify: true,
  format: 'esm',
  target: ['es2020'],
  outfile: join(site, 'app.js'),
  legalComments: 'linked',
  logLevel: 'warning',
});
await build({
  entryPoints: [join(here, 'src', 'worker.js')],
  bundle: false,
  minify: true,
  outfile: join(site, 'worker.js'),
  logLevel: 'warning',
});

for (const file of ['index.html', 'style.css']) cpSync(join(here, 'src', file), join(site, file));
cpSync(join(root, 'packaging', 'zefpascal.svg'), join(site, 'zefpascal.svg'));
for (const file of ['zefengine.js', 'zefengine.wasm', 'zefrun-page.js', 'zefrun-page.wasm'])
  cpSync(join(wasmBuild, file), join(site, file));
for (const file of readdirSync(join(root, 'help'))) {
  if (/\.(html|txt|png|svg|css)$/.test(file)) cpSync(join(root, 'help', file), join(site, 'aide', file));
}

// Exercises published with the page: every NAME.essais folder of ZEF_EXERCICES (the
// examples by default) goes under exercices/NAME/, listed in exercices/index.json, and the
// page's "Tester avec les essais" offers them beside a folder of the computer.
const exercisesFrom = process.env.ZEF_EXERCICES || join(root, 'examples');
const published = [];
for (const entry of readdirSync(exercisesFrom)) {
  const folder = join(exercisesFrom, entry);
  if (!entry.endsWith('.essais') || !statSync(folder).isDirectory()) continue;
  const name = entry.slice(0, -'.essais'.length);
  const files = [];
  const take = (from, prefix) => {
    for (const file of readdirSync(from).sort()) {
      const path = join(from, file);
      if (file.startsWith('.')) continue;
      if (statSync(path).isDirectory()) take(path, `${prefix}${file}/`);
      else if (statSync(path).isFile()) {
        mkdirSync(join(site, 'exercices', name, prefix), { recursive: true });
        cpSync(path, join(site, 'exercices', name, prefix, file));
        files.push(`${prefix}${file}`);
      }
    }
  };
  take(folder, '');
  published.push({ name, files });
}
mkdirSync(join(site, 'exercices'), { recursive: true });
writeFileSync(join(site, 'exercices', 'index.json'), JSON.stringify(published.sort((a, b) => a.name.localeCompare(b.name))));

// The service worker keeps every file of this build, under a name that changes with them.
const list = [];
const walk = (folder) => {
  for (const name of readdirSync(folder)) {
    const path = join(folder, name);
    if (statSync(path).isDirectory()) walk(path);
    else list.push(relative(site, path).split('\\').join('/'));
  }
};
walk(site);
list.sort();
const hash = createHash('sha256');
for (const file of list) hash.update(file).update(readFileSync(join(site, file)));
const version = hash.digest('hex').slice(0, 16);
const sw = readFileSync(join(here, 'src', 'sw.js'), 'utf8')
  .replace('__VERSION__', version)
  .replace('[/* __FILES__ */]', JSON.stringify(['./', ...list]));
writeFileSync(join(site, 'sw.js'), sw);
console.log(`site: ${site} (${list.length + 1} fichiers, version ${version})`);
