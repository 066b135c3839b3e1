// "Tester avec les essais" in the page: the cases of an exercise (a folder of NAME.in,
// NAME.out, NAME.args and a data folder fichiers/), each run by the worker in a fresh
// zefrun and judged as zefcorrige judges it; the view lists the verdicts and shows a
// failed case's expected and obtained outputs side by side.
const DATA_FOLDER = 'fichiers';

function decodeText(bytes) {
  try {
    return new TextDecoder('utf-8', { fatal: true }).decode(bytes);
  } catch (e) {
    return new TextDecoder('windows-1252').decode(bytes);
  }
}

// The cases of the chosen files: the folder's own files name the cases (extensions in any
// letter case, names starting with "." skipped); files under fichiers/ go into every run.
export async function readCases(files) {
  const cases = new Map();
  const dataFiles = [];
  let folder = '';
  for (const file of files) {
    const path = (file.webkitRelativePath || file.name).split('/');
    if (path.length > 1) folder = path[0];
    const inside = path.length > 1 ? path.slice(1) : path;
    if (inside[0] === DATA_FOLDER && inside.length > 1) {
      dataFiles.push({ name: inside.slice(1).join('/'), bytes: await file.arrayBuffer() });
      continue;
    }
    if (inside.length !== 1 || inside[0].startsWith('.')) continue;
    const match = /^(.*)\.(in|out|args)$/i.exec(inside[0]);
    if (!match) continue;
    const [, name, kind] = match;
    if (!cases.has(name)) cases.set(name, { name });
    const bytes = new Uint8Array(await file.arrayBuffer());
    const c = cases.get(name);
    if (kind.toLowerCase() === 'in') c.input = bytes;
    else if (kind.toLowerCase() === 'out') c.expected = decodeText(bytes);
    else c.args = decodeText(bytes).split(/\r?\n/)[0];
  }
  const list = [...cases.values()].sort((a, b) => (a.name < b.name ? -1 : a.name > b.name ? 1 : 0));
  return { folder, cases: list, dataFiles };
}

// The exercises published with the page (exercices/index.json), each as the files a folder
// chooser would give: a name relative to the exercise's folder, and the bytes.
export async function publishedExercises() {
  try {
    const response = await fetch('exercices/index.json');
    return response.ok ? await response.json() : [];
  } catch (e) {
    return [];
  }
}

export async function publishedFiles(exercise) {
  return Promise.all(exercise.files.map(async (name) => {
    const bytes = await (await fetch(`exercices/${encodeURIComponent(exercise.name)}/${name.split('/').map(encodeURIComponent).join('/')}`)).arrayBuffer();
    return { webkitRelativePath: `${exercise.name}.essais/${name}`, name: name.split('/').pop(), arrayBuffer: async () => bytes };
  }));
}

export class Trials {
  constructor({ panel, title, list, runCase, programName, showLine }) {
    Object.assign(this, { panel, title, list, runCase, programName, showLine });
    this.exercise = null;
    this.results = [];
  }

  async load(files) {
    this.exercise = await readCases(files);
    await this.runAll();
  }

  async runAll() {
    const { folder, cases, dataFiles } = this.exercise;
    this.panel.hidden = false;
    this.panel.open = true;
    this.title.textContent = `Essais de ${this.programName()} (${folder || 'exercice'})`;
    this.list.replaceChildren();
    this.results = [];
    if (cases.length === 0) {
      this.list.textContent = 'Aucun essai dans ce dossier (fichiers NOM.in, NOM.out, NOM.args).';
      return;
    }
    const missing = cases.find((c) => c.expected === undefined);
    if (missing) {
      this.list.textContent = `L'essai « ${missing.name} » n'a pas de sortie attendue (${missing.name}.out).`;
      return;
    }
    for (const c of cases) {
      const row = document.createElement('div');
      row.className = 'essai';
      row.textContent = `… ${c.name}`;
      this.list.append(row);
      const result = await this.runCase({
        input: c.input || new Uint8Array(0), args: c.args || '', dataFiles, expected: c.expected, exact: false,
      });
      this.results.push({ name: c.name, ...result });
      this.show(row, c, result);
    }
    const passed = this.results.filter((r) => r.passed).length;
    const summary = document.createElement('div');
    summary.className = 'essai resume';
    summary.textContent = `${passed} essai${passed > 1 ? 's' : ''} réussi${passed > 1 ? 's' : ''} sur ${cases.length}`;
    this.list.append(summary);
  }

  show(row, testCase, result) {
    row.className = `essai ${result.passed ? 'bon' : 'faux'}`;
    row.replaceChildren();
    const head = document.createElement('div');
    const verdict = document.createElement('span');
    verdict.className = 'verdict';
    verdict.textContent = `${result.passed ? '✓' : '✗'} ${testCase.name} : ${result.text}`;
    head.append(verdict);
    row.append(head);
    if (result.passed) return;
    if (result.line > 0) {
      const go = document.createElement('button');
      go.textContent = `Voir la ligne ${result.line}`;
      go.onclick = () => this.showLine(result.line);
      head.append(' ', go);
    }
    // Side by side: what was expected and what the program wrote, the first differing
    // line marked.
    const sides = document.createElement('div');
    sides.className = 'cote';
    for (const [label, text] of [['Attendu', result.expected], ['Obtenu', result.obtained]]) {
      const column = document.createElement('div');
      const caption = document.createElement('div');
      caption.textContent = label;
      const pre = document.createElement('pre');
      (text || '').split('\n').forEach((line, i, all) => {
        if (i === all.length - 1 && line === '') return;
        const span = document.createElement('div');
        span.textContent = line || ' ';
        if (i + 1 === result.differenceLine) span.className = 'differe';
        pre.append(span);
      });
      column.append(caption, pre);
      sides.append(column);
    }
    row.append(sides);
  }
}
