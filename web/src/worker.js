// The page's worker: it holds the interpreter (zefengine, WebAssembly) and runs the
// program in slices, so that the page stays responsive and its Stop is seen between two
// slices. The program's files live in the browser's storage (IDBFS, mounted at /fichiers,
// the programs' working folder) and are saved there at the end of every run.
/* global createZefEngine, createZefrun */
importScripts('zefengine.js', 'zefrun-page.js');

const FOLDER = '/fichiers';
const Paused = 997;
const Waiting = 996;

let engine = null;
let api = null;
let stepMode = false;
let running = false;
// Slices run since Stop came in, for the page's tests: Stop is seen at the next slice.
let slicesSinceStop = -1;

function syncFiles(load) {
  return new Promise((resolve) => engine.FS.syncfs(load, (error) => resolve(!error)));
}

const ready = createZefEngine({ locateFile: (file) => file }).then(async (module) => {
  engine = module;
  const w = (name, ret, args) => module.cwrap(name, ret, args);
  api = {
    setProgram: w('zef_set_program', null, ['string', 'string']),
    setArguments: w('zef_set_arguments', null, ['string']),
    setName: w('zef_set_program_name', null, ['string']),
    start: w('zef_start', 'number', ['number']),
    resume: w('zef_resume', 'number', ['number']),
    giveLine: w('zef_give_line', null, ['string']),
    closeBox: w('zef_close_box', null, []),
    interrupt: w('zef_interrupt', null, []),
    clearInterrupt: w('zef_clear_interrupt', null, []),
    events: w('zef_events', 'string', []),
    state: w('zef_state', 'string', []),
    colours: w('zef_colours', 'string', ['string']),
    judge: w('zef_judge', 'string', ['string', 'number', 'string', 'string', 'number']),
  };
  const fs = module.FS;
  try { fs.mkdir(FOLDER); } catch (e) { /* already there */ }
  fs.mount(fs.filesystems.IDBFS, {}, FOLDER);
  await syncFiles(true);
  fs.chdir(FOLDER);
  postMessage({ type: 'ready' });
});

function report(status) {
  const events = JSON.parse(api.events());
  const state = JSON.parse(api.state());
  postMessage({ type: 'slice', status, events, state, slicesSinceStop });
}

async function goOn(status) {
  report(status);
  if (status === Paused) {
    // The page's messages (Stop among them) come in before the next slice.
    setTimeout(() => {
      if (slicesSinceStop >= 0) slicesSinceStop += 1;
      goOn(api.resume(stepMode ? 1 : 0));
    }, 0);
    return;
  }
  if (status === Waiting) return; // the page answers with a line or the box closed
  running = false;
  await syncFiles(false);
  postMessage({ type: 'ended', status, files: listFiles() });
}

function listFiles() {
  const fs = engine.FS;
  const out = [];
  const walk = (folder, prefix) => {
    for (const name of fs.readdir(folder)) {
      if (name === '.' || name === '..') continue;
      const path = `${folder}/${name}`;
      const stat = fs.stat(path);
      if (fs.isDir(stat.mode)) walk(path, `${prefix}${name}/`);
      else out.push({ name: `${prefix}${name}`, size: stat.size });
    }
  };
  walk(FOLDER, '');
  return out.sort((a, b) => a.name.localeCompare(b.name, 'fr'));
}

// A name given by the page stays inside the programs' folder.
function insideFolder(name) {
  const parts = String(name).split('/').filter((p) => p && p !== '.' && p !== '..');
  if (parts.length === 0) throw new Error('nom de fichier vide');
  return `${FOLDER}/${parts.join('/')}`;
}

// ---- Exercises: each case in a fresh zefrun, as zefcorrige runs them ----------------------

// The bounds of a graded run (the grader's own).
const CASE_LIMITS = ['--max-statements', '50000000', '--max-cpu', '5', '--max-output', '1048576', '--max-fichiers', '33554432'];
let zefrunModule = null;
const encoder = new TextEncoder();
const decoder = new TextDecoder();

async function runOneCase({ text, input, args, dataFiles, expected, exact }) {
  if (!zefrunModule) zefrunModule = await WebAssembly.compile(await (await fetch('zefrun-page.wasm')).arrayBuffer());
  const inputBytes = input instanceof Uint8Array ? input : encoder.encode(input || '');
  let at = 0;
  const out = [];
  const err = [];
  let status = null;
  const run = await createZefrun({
    instantiateWasm(imports, receive) {
      WebAssembly.instantiate(zefrunModule, imports).then((instance) => receive(instance));
      return {};
    },
    stdin: () => (at < inputBytes.length ? inputBytes[at++] : null),
    stdout: (c) => { if (c !== null) out.push(c & 255); },
    stderr: (c) => { if (c !== null) err.push(c & 255); },
    quit: (code) => { status = code; },
    onExit: (code) => { status = code; },
  });
  const fs = run.FS;
  fs.mkdir('/essai');
  for (const file of dataFiles || []) {
    const parts = file.name.split('/').filter((p) => p && p !== '.' && p !== '..');
    for (let i = 1; i < parts.length; ++i) {
      try { fs.mkdir(`/essai/${parts.slice(0, i).join('/')}`); } catch (e) { /* there */ }
    }
    fs.writeFile(`/essai/${parts.join('/')}`, new Uint8Array(file.bytes));
  }
  fs.writeFile('/essai/prog.pas', text.replace(/\r?\n/g, '\r\n'));
  fs.chdir('/essai');
  const record = fs.open('/statut', 'w');
  const argv = ['--locale', 'fr_FR', ...CASE_LIMITS, '--status-fd', String(record.fd)];
  if (args) argv.push('--args', args);
  argv.push('prog.pas');
  try {
    const code = run.callMain(argv);
    if (status === null) status = code;
  } catch (e) {
    if (status === null) status = e && typeof e.status === 'number' ? e.status : 2;
  }
  let end = '';
  try { end = decoder.decode(fs.readFile('/statut')); } catch (e) { /* none */ }
  const output = decoder.decode(new Uint8Array(out));
  const verdict = JSON.parse(api.judge(output, status, end, expected, exact ? 1 : 0));
  verdict.errors = decoder.decode(new Uint8Array(err));
  verdict.status = status;
  return verdict;
}

const handlers = {
  async runCase(message) {
    let result;
    try {
      result = await runOneCase(message);
    } catch (error) {
      result = { passed: false, verdict: 'Exécution impossible', text: `Exécution impossible : ${error}`, obtained: '', expected: '' };
    }
    postMessage({ type: 'caseDone', id: message.id, result });
  },
  colour({ id, text }) {
    postMessage({ type: 'colours', id, runs: api.colours(text) });
  },
  run({ text, breakpoints, args, name, step, fresh }) {
    if (running && fresh) return;
    stepMode = !!step;
    api.setProgram(text, breakpoints.join(','));
    api.setArguments(args || '');
    api.setName(name || '');
    api.clearInterrupt();
    slicesSinceStop = -1;
    running = true;
    goOn(fresh ? api.start(stepMode ? 1 : 0) : api.resume(stepMode ? 1 : 0));
  },
  line({ text }) {
    if (!running) return;
    api.giveLine(text);
    goOn(api.resume(stepMode ? 1 : 0));
  },
  boxClosed() {
    if (!running) return;
    api.closeBox();
    goOn(api.resume(stepMode ? 1 : 0));
  },
  stop({ waiting }) {
    if (!running) return;
    api.interrupt();
    slicesSinceStop = 0;
    // A run waiting for the user is not in a slice: it stops at once.
    if (waiting) {
      slicesSinceStop = 1;
      goOn(api.resume(0));
    }
  },
  files() {
    postMessage({ type: 'files', files: listFiles() });
  },
  async importFile({ name, bytes }) {
    const path = insideFolder(name);
    const fs = engine.FS;
    const parts = path.split('/');
    for (let i = 3; i < parts.length; ++i) {
      try { fs.mkdir(parts.slice(0, i).join('/')); } catch (e) { /* there */ }
    }
    fs.writeFile(path, new Uint8Array(bytes));
    await syncFiles(false);
    postMessage({ type: 'files', files: listFiles() });
  },
  readFile({ name }) {
    const bytes = engine.FS.readFile(insideFolder(name));
    postMessage({ type: 'fileBytes', name, bytes }, [bytes.buffer]);
  },
  async deleteFile({ name }) {
    engine.FS.unlink(insideFolder(name));
    await syncFiles(false);
    postMessage({ type: 'files', files: listFiles() });
  },
};

onmessage = async (event) => {
  await ready;
  const message = event.data;
  try {
    await handlers[message.type](message);
  } catch (error) {
    postMessage({ type: 'failure', text: String(error && error.message ? error.message : error) });
  }
};
