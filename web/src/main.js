// The page of Zef Pascal: the editor, the screen, the commands and the views around the
// worker that runs the program (worker.js). Nothing of the language is decided here: the
// worker's interpreter says what a run did, and the page shows it.
import { ProgramEditor } from './editor.js';
import { ProgramScreen } from './screen.js';
import { Trials, publishedExercises, publishedFiles } from './trials.js';

const $ = (id) => document.getElementById(id);
const Paused = 997;
const Waiting = 996;

// A new program; like every program, it ends on its END. line (a line after it would be
// one line too many for the language).
const TEMPLATE = "PROGRAM Exemple;\nVAR Nom: STRING;\nBEGIN\n  WRITE('Votre nom ? ');\n  READLN(Nom);\n  WRITE('Bonjour ');\n  WRITELN(Nom);\nEND.";
const store = {
  get: (key, fallback) => { try { return localStorage.getItem(`zef.${key}`) ?? fallback; } catch (e) { return fallback; } },
  set: (key, value) => { try { localStorage.setItem(`zef.${key}`, value); } catch (e) { /* full or refused */ } },
};

// ---- The worker ------------------------------------------------------------------------

const worker = new Worker('worker.js');
let workerReady = false;
const readyWaiters = [];
const whenReady = () => (workerReady ? Promise.resolve() : new Promise((r) => readyWaiters.push(r)));
const send = (message, transfer) => whenReady().then(() => worker.postMessage(message, transfer || []));

// ---- State of the page --------------------------------------------------------------

let programName = store.get('nom', 'PAS1.PAS');
let runState = 'idle'; // idle | running | waiting | stopped (a stopped run can be continued)
let lastState = null;
let colourAsked = 0;

const screen = new ProgramScreen($('ecran'), $('ecranCadre'), $('saisie'));
screen.onLine = (text) => {
  setRunState('running');
  send({ type: 'line', text });
};

const editor = new ProgramEditor($('editeur'), {
  text: store.get('programme', TEMPLATE),
  onChange: (update) => {
    if (update.docChanged) {
      store.set('programme', editor.text);
      askColours();
    }
    store.set('pointsArret', JSON.stringify(editor.breakpoints()));
    showCaret();
  },
  keys: [
    { key: 'F5', run: () => (editor.toggleBreakpointAtCaret(), true) },
    { key: 'Ctrl-F7', run: () => (togglePasapas(), true) },
    { key: 'F1', run: () => (helpOnWord(), true) },
    { key: 'Mod-s', run: () => (save(), true), preventDefault: true },
  ],
});
try { editor.setBreakpoints(JSON.parse(store.get('pointsArret', '[]'))); } catch (e) { /* none */ }
$('pasapas').checked = store.get('pasapas', '0') === '1';
showTitle();

function showTitle() {
  const title = `ZuzOvozov - ${programName}`;
  $('titreEditeur').textContent = title;
  document.title = `${programName} – Zef Pascal`;
}

function showCaret() {
  const state = editor.view.state;
  const line = state.doc.lineAt(state.selection.main.head);
  $('etatPosition').textContent = `Ligne ${line.number}, colonne ${state.selection.main.head - line.from + 1}`;
}

function askColours() {
  const id = ++colourAsked;
  const text = editor.text;
  setTimeout(() => { if (id === colourAsked) send({ type: 'colour', id, text }); }, 60);
}

// ---- Running --------------------------------------------------------------------------

function setRunState(state, words) {
  runState = state;
  const busy = state === 'running' || state === 'waiting';
  $('arreter').disabled = !busy;
  $('executer').disabled = busy;
  $('continuer').disabled = busy;
  editor.setRunning(busy);
  if (words) $('etatExecution').textContent = words;
  $('titreEcran').textContent = `ZuzOvozov - ${programName}${words ? ` — ${words}` : ''}`;
  document.body.dataset.run = state;
}

function run(fresh) {
  if (runState === 'running' || runState === 'waiting') return;
  // Continuing with no stopped run starts one, as in the desktop IDE.
  const isFresh = fresh || runState !== 'stopped';
  if (isFresh) screen.reset();
  editor.markStopLine(0);
  setRunState('running', 'Exécution...');
  send({
    type: 'run',
    fresh: isFresh,
    text: editor.text,
    breakpoints: editor.breakpoints(),
    args: store.get('parametres', ''),
    name: programName,
    step: $('pasapas').checked,
  });
}

function stop() {
  if (runState !== 'running' && runState !== 'waiting') return;
  screen.hideInput();
  send({ type: 'stop', waiting: runState === 'waiting' });
}

function togglePasapas() {
  $('pasapas').checked = !$('pasapas').checked;
  store.set('pasapas', $('pasapas').checked ? '1' : '0');
}

let slicesSinceStop = -1;
let slices = 0;
function onSlice({ status, events, state, slicesSinceStop: sinceStop }) {
  slices += 1;
  slicesSinceStop = sinceStop;
  lastState = state;
  screen.play(events);
  for (const e of events) if (e.t === 'print') printText(e.s);
  if (status === Paused) {
    setRunState('running', state.words);
    return;
  }
  if (status === Waiting) {
    setRunState('waiting', state.words);
    if (state.box) {
      const box = events.filter((e) => e.t === 'box').pop();
      showMessageBox(box ? box.s : '');
    } else {
      screen.askLine(state.x, state.y);
    }
    return;
  }
  showVariables(state.variables);
  // Once over (status 0) or abandoned (-1), the next run is a fresh one; a stop on an
  // error cannot be continued either.
  const over = status === 0 || status < 0 || state.onError;
  setRunState(over ? 'idle' : 'stopped', state.words);
  editor.markStopLine(status === 0 ? 0 : state.line + 1, state.onError);
  if (state.errors.length > 0) showErrors(state.errors, state.line + 1);
}

// ---- Boxes ----------------------------------------------------------------------------

function showMessageBox(text) {
  const box = $('boiteMessage');
  $('messageTexte').textContent = text;
  box.onclose = () => {
    setRunState('running', 'Exécution...');
    send({ type: 'boxClosed' });
  };
  box.showModal();
}

function showErrors(errors, line) {
  const queue = [...errors];
  const next = () => {
    const error = queue.shift();
    if (!error) { editor.focus(); return; }
    const box = $('boiteErreur');
    $('erreurMessage').textContent = error.message;
    const text = editor.lineText(line).trim();
    $('erreurLigne').textContent = line > 0 ? `Ligne ${line} : ${text}` : '';
    $('erreurDetail').textContent = error.detail || '';
    box.onclose = () => {
      if (box.returnValue === 'aide') openHelp(error.help);
      else next();
    };
    box.showModal();
  };
  next();
}

// The help pages carry no style of their own: the page gives them one, as the desktop's
// help window does.
const HELP_STYLE = `body { font: 15px/1.45 system-ui, "DejaVu Sans", sans-serif; margin: 1em 1.5em; max-width: 52em; color: #1b1b1b; background: #fff; }
code, pre, td { font-family: "DejaVu Sans Mono", monospace; } table { border-collapse: collapse; } td, th { border: 1px solid #999; padding: 0.2em 0.5em; vertical-align: top; }
h1, h2, h3 { color: #1b4f8f; } .nav { font-size: 90%; }`;
$('aideCadre').addEventListener('load', () => {
  const doc = $('aideCadre').contentDocument;
  if (!doc || doc.getElementById('styleZef')) return;
  const style = doc.createElement('style');
  style.id = 'styleZef';
  style.textContent = HELP_STYLE;
  doc.head.append(style);
});

function openHelp(target) {
  const frame = $('aideCadre');
  frame.src = `aide/${target || 'index.html'}`;
  $('boiteAide').showModal();
}

let helpIndex = null;
async function helpOnWord() {
  const word = editor.wordAtCaret().toLowerCase();
  if (!helpIndex) {
    try {
      const text = await (await fetch('aide/motscles.txt')).text();
      helpIndex = text.split('\n').filter((l) => l && !l.startsWith('#')).map((l) => l.split('|').map((p) => p.trim()));
    } catch (e) { helpIndex = []; }
  }
  const entry = word && helpIndex.find(([keyword]) => keyword.toLowerCase() === word);
  openHelp(entry ? entry[1] : 'index.html');
}

// ---- Variables -------------------------------------------------------------------------

function showVariables(rows) {
  const body = $('variables').tBodies[0];
  body.replaceChildren();
  for (const row of rows) {
    row.values.forEach((value, i) => {
      const tr = document.createElement('tr');
      const name = row.array ? `${row.name}[${i + 1}]` : row.name;
      for (const [text, changed] of [[name, false], [row.type, false], [value, row.changed[i]]]) {
        const td = document.createElement('td');
        td.textContent = text;
        if (changed) td.className = 'change';
        tr.append(td);
      }
      body.append(tr);
    });
  }
}

// ---- Printer --------------------------------------------------------------------------

function printText(text) {
  $('impression').textContent = text;
  // The browser's print dialog; the page shows only the printed text meanwhile.
  setTimeout(() => window.print(), 0);
}

// ---- Program files: open, save, new -----------------------------------------------------

function decodeSource(bytes) {
  try {
    return new TextDecoder('utf-8', { fatal: true }).decode(bytes).replace(/^\uFEFF/, '');
  } catch (e) {
    return new TextDecoder('windows-1252').decode(bytes);
  }
}

function openProgram(file) {
  file.arrayBuffer().then((buffer) => {
    // The file's last line break ends its last line, as the desktop reads it.
    editor.setText(decodeSource(new Uint8Array(buffer)).replace(/\r\n?/g, '\n').replace(/\n$/, ''));
    programName = file.name.toUpperCase();
    store.set('nom', programName);
    screen.reset();
    setRunState('idle', 'Prêt');
    showTitle();
  });
}

function download(name, blob) {
  const a = document.createElement('a');
  a.href = URL.createObjectURL(blob);
  a.download = name;
  document.body.append(a);
  a.click();
  a.remove();
  setTimeout(() => URL.revokeObjectURL(a.href), 10000);
}

function save() {
  // CR LF line ends, UTF-8, as the desktop saves a new program.
  const text = `${editor.text.replace(/\r?\n/g, '\r\n')}\r\n`;
  download(programName.toLowerCase(), new Blob([text], { type: 'text/plain;charset=utf-8' }));
}

function newProgram() {
  if (runState === 'running' || runState === 'waiting') return;
  if (editor.text !== TEMPLATE && !window.confirm(`Remplacer « ${programName} » par un nouveau programme ? Le texte actuel sera perdu s'il n'a pas été enregistré.`)) return;
  editor.setText(TEMPLATE);
  programName = 'PAS1.PAS';
  store.set('nom', programName);
  screen.reset();
  setRunState('idle', 'Prêt');
  showTitle();
}

// ---- The programs' files in the browser ----------------------------------------------

function showFiles(list) {
  const ul = $('listeFichiers');
  ul.replaceChildren();
  if (list.length === 0) {
    const li = document.createElement('li');
    li.textContent = 'Aucun fichier pour le moment.';
    ul.append(li);
  }
  for (const f of list) {
    const li = document.createElement('li');
    const name = document.createElement('span');
    name.textContent = `${f.name} (${f.size} octets)`;
    const get = document.createElement('button');
    get.textContent = 'Télécharger';
    get.onclick = () => send({ type: 'readFile', name: f.name });
    const del = document.createElement('button');
    del.textContent = 'Supprimer';
    del.onclick = () => {
      if (window.confirm(`Supprimer le fichier « ${f.name} » ?`)) send({ type: 'deleteFile', name: f.name });
    };
    li.append(name, get, del);
    ul.append(li);
  }
}

// ---- Exercises --------------------------------------------------------------------------

const pendingCases = new Map(); // the cases the worker runs, by id
const trials = new Trials({
  panel: $('essaisCadre'),
  title: $('essaisTitre'),
  list: $('essaisListe'),
  runCase: (c) => new Promise((resolve) => {
    const id = `${Date.now()}-${Math.random()}`;
    pendingCases.set(id, resolve);
    send({ type: 'runCase', id, text: editor.text, name: programName, ...c });
  }),
  programName: () => programName,
  showLine: (line) => editor.markStopLine(line, true),
});

// ---- Messages from the worker ------------------------------------------------------------

worker.onmessage = ({ data }) => {
  switch (data.type) {
    case 'ready':
      workerReady = true;
      readyWaiters.splice(0).forEach((r) => r());
      document.body.dataset.pret = '1';
      break;
    case 'colours':
      // Only the answer to the latest text: every change asks again.
      if (data.id === colourAsked) editor.applyColours(data.runs);
      break;
    case 'slice':
      onSlice(data);
      break;
    case 'ended':
      showFiles(data.files);
      break;
    case 'files':
      showFiles(data.files);
      break;
    case 'fileBytes':
      download(data.name.split('/').pop(), new Blob([data.bytes]));
      break;
    case 'caseDone': {
      const resolve = pendingCases.get(data.id);
      pendingCases.delete(data.id);
      if (resolve) resolve(data.result);
      break;
    }
    case 'failure':
      $('etatExecution').textContent = `Erreur : ${data.text}`;
      break;
    default:
      break;
  }
};

// ---- Commands ---------------------------------------------------------------------------

$('executer').onclick = () => run(true);
$('continuer').onclick = () => run(false);
$('arreter').onclick = stop;
$('pointArret').onclick = () => { editor.toggleBreakpointAtCaret(); editor.focus(); };
$('pasapas').onchange = () => store.set('pasapas', $('pasapas').checked ? '1' : '0');
$('nouveau').onclick = newProgram;
$('ouvrir').onclick = () => $('choixProgramme').click();
$('choixProgramme').onchange = (e) => { if (e.target.files[0]) openProgram(e.target.files[0]); e.target.value = ''; };
$('enregistrer').onclick = save;
$('aide').onclick = () => openHelp('index.html');
$('parametres').onclick = () => {
  const box = $('boiteParametres');
  $('parametresTexte').value = store.get('parametres', '');
  box.onclose = () => { if (box.returnValue === 'ok') store.set('parametres', $('parametresTexte').value); };
  box.showModal();
};
$('fichiers').onclick = () => {
  send({ type: 'files' });
  $('boiteFichiers').showModal();
};
$('importer').onclick = () => $('choixFichiers').click();
$('choixFichiers').onchange = async (e) => {
  for (const file of e.target.files) {
    const bytes = await file.arrayBuffer();
    send({ type: 'importFile', name: file.name, bytes }, [bytes]);
  }
  e.target.value = '';
};
$('essais').onclick = async () => {
  const list = await publishedExercises();
  const holder = $('listePublies');
  holder.replaceChildren();
  for (const exercise of list) {
    const button = document.createElement('button');
    button.textContent = exercise.name;
    button.dataset.exercice = exercise.name;
    button.onclick = async () => {
      $('boiteEssais').close();
      await trials.load(await publishedFiles(exercise));
    };
    holder.append(button, ' ');
  }
  $('essaisPublies').hidden = list.length === 0;
  $('boiteEssais').showModal();
};
$('essaisDossier').onclick = () => $('choixDossierEssais').click();
$('choixDossierEssais').onchange = async (e) => {
  $('boiteEssais').close();
  await trials.load([...e.target.files]);
  e.target.value = '';
};

document.addEventListener('keydown', (e) => {
  // The keys of the run work wherever the focus is (on the screen's input line too).
  if (e.key === 'F9') { e.preventDefault(); run(true); } else if (e.key === 'F7' && !e.ctrlKey) { e.preventDefault(); run(false); } else if (e.key === 'F2' && e.ctrlKey) { e.preventDefault(); stop(); }
}, true);

setRunState('idle', 'Prêt');
askColours();
showCaret();
editor.focus();

// Offline once loaded: the service worker keeps the site's files.
if ('serviceWorker' in navigator && location.protocol !== 'file:') {
  navigator.serviceWorker.register('sw.js').catch(() => { /* the page works without it */ });
}

// For the tests and anyone curious: what the screen shows and where the run stands.
window.zef = { screen, editor, state: () => lastState, runState: () => runState, trials, slices: () => slices, slicesSinceStop: () => slicesSinceStop };
