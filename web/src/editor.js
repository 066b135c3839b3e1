// The program editor of the page: CodeMirror with line numbers, a gutter of breakpoints, the
// colours the project's own colour rules give (computed by the worker) and the line where
// the run stopped.
import { EditorState, StateField, StateEffect, RangeSet, RangeSetBuilder, Compartment } from '@codemirror/state';
import {
  EditorView, Decoration, GutterMarker, gutter, lineNumbers, keymap, highlightActiveLine,
  drawSelection, highlightActiveLineGutter,
} from '@codemirror/view';
import { defaultKeymap, history, historyKeymap, indentWithTab } from '@codemirror/commands';
import { searchKeymap, highlightSelectionMatches } from '@codemirror/search';

// The editor's own words, in French.
const phrases = {
  'Find': 'Rechercher',
  'Replace': 'Remplacer',
  'next': 'suivant',
  'previous': 'précédent',
  'all': 'tout',
  'match case': 'respecter la casse',
  'by word': 'mot entier',
  'regexp': 'expression régulière',
  'replace': 'remplacer',
  'replace all': 'tout remplacer',
  'close': 'fermer',
  'Go to line': 'Aller à la ligne',
  'go': 'aller',
  'current match': 'occurrence courante',
  'on line': 'à la ligne',
  'replaced match on line $': 'occurrence remplacée ligne $',
  'replaced $ matches': '$ occurrences remplacées',
  'Control character': 'Caractère de contrôle',
  'Selection deleted': 'Sélection effacée',
};

// ---- Breakpoints ---------------------------------------------------------------------

const toggleBreakpointEffect = StateEffect.define({ map: (pos, change) => change.mapPos(pos) });
const setBreakpointsEffect = StateEffect.define();

class BreakpointMarker extends GutterMarker {
  toDOM() {
    const span = document.createElement('span');
    span.className = 'cm-point-arret';
    span.textContent = '●';
    span.title = "Point d'arrêt";
    return span;
  }
}
const breakpointMarker = new BreakpointMarker();

const breakpointField = StateField.define({
  create: () => RangeSet.empty,
  update(set, tr) {
    set = set.map(tr.changes);
    for (const e of tr.effects) {
      if (e.is(toggleBreakpointEffect)) {
        let has = false;
        set.between(e.value, e.value, () => { has = true; });
        set = has
          ? set.update({ filter: (from) => from !== e.value })
          : set.update({ add: [breakpointMarker.range(e.value)] });
      } else if (e.is(setBreakpointsEffect)) {
        set = RangeSet.of(e.value.map((pos) => breakpointMarker.range(pos)), true);
      }
    }
    return set;
  },
});

const breakpointGutter = [
  breakpointField,
  gutter({
    class: 'cm-breakpoint-gutter',
    markers: (view) => view.state.field(breakpointField),
    initialSpacer: () => breakpointMarker,
    domEventHandlers: {
      mousedown(view, line) {
        view.dispatch({ effects: toggleBreakpointEffect.of(line.from) });
        return true;
      },
    },
  }),
];

// ---- Colours and the stopped line ------------------------------------------------------

const setColoursEffect = StateEffect.define();
const colourField = StateField.define({
  create: () => Decoration.none,
  update(decorations, tr) {
    decorations = decorations.map(tr.changes);
    for (const e of tr.effects) if (e.is(setColoursEffect)) decorations = e.value;
    return decorations;
  },
  provide: (f) => EditorView.decorations.from(f),
});

const setStopLineEffect = StateEffect.define();
const stopLineField = StateField.define({
  create: () => Decoration.none,
  update(decorations, tr) {
    decorations = decorations.map(tr.changes);
    for (const e of tr.effects) {
      if (!e.is(setStopLineEffect)) continue;
      const { line, error } = e.value;
      if (line < 1 || line > tr.state.doc.lines) decorations = Decoration.none;
      else {
        const from = tr.state.doc.line(line).from;
        decorations = Decoration.set([
          Decoration.line({ class: error ? 'cm-ligne-erreur' : 'cm-ligne-arret' }).range(from),
        ]);
      }
    }
    return decorations;
  },
  provide: (f) => EditorView.decorations.from(f),
});

const markCache = new Map();
function colourMark(colour) {
  if (!markCache.has(colour)) markCache.set(colour, Decoration.mark({ attributes: { style: `color: ${colour}` } }));
  return markCache.get(colour);
}

export class ProgramEditor {
  constructor(parent, { text, onChange, keys }) {
    this.readOnly = new Compartment();
    this.view = new EditorView({
      parent,
      state: EditorState.create({
        doc: text,
        extensions: [
          EditorState.phrases.of(phrases),
          lineNumbers(),
          breakpointGutter,
          highlightActiveLineGutter(),
          history(),
          drawSelection(),
          highlightActiveLine(),
          highlightSelectionMatches(),
          colourField,
          stopLineField,
          keymap.of([...keys, ...defaultKeymap, ...historyKeymap, ...searchKeymap, indentWithTab]),
          EditorView.updateListener.of((u) => { if (u.docChanged || u.transactions.some((t) => t.effects.length)) onChange(u); }),
          this.readOnly.of(EditorState.readOnly.of(false)),
          EditorView.contentAttributes.of({ 'aria-label': 'Texte du programme', spellcheck: 'false' }),
        ],
      }),
    });
  }

  get text() { return this.view.state.doc.toString(); }

  setText(text) {
    this.view.dispatch({
      changes: { from: 0, to: this.view.state.doc.length, insert: text },
      effects: [setBreakpointsEffect.of([]), setStopLineEffect.of({ line: 0 })],
    });
  }

  // Breakpoint lines, counted from 0.
  breakpoints() {
    const lines = [];
    const doc = this.view.state.doc;
    this.view.state.field(breakpointField).between(0, doc.length, (from) => {
      lines.push(doc.lineAt(from).number - 1);
    });
    return [...new Set(lines)].sort((a, b) => a - b);
  }

  setBreakpoints(lines) {
    const doc = this.view.state.doc;
    const positions = lines.filter((l) => l >= 0 && l < doc.lines).map((l) => doc.line(l + 1).from);
    this.view.dispatch({ effects: setBreakpointsEffect.of(positions) });
  }

  toggleBreakpointAtCaret() {
    const line = this.view.state.doc.lineAt(this.view.state.selection.main.head);
    this.view.dispatch({ effects: toggleBreakpointEffect.of(line.from) });
  }

  // Colour runs from the worker: "start,length,#rrggbb;" over the text with its lines
  // joined by CR LF, as the colour rules count them.
  applyColours(runs) {
    const doc = this.view.state.doc;
    const builder = new RangeSetBuilder();
    const marks = [];
    for (const part of runs.split(';')) {
      if (!part) continue;
      const [start, length, colour] = part.split(',');
      marks.push([Number(start), Number(length), colour]);
    }
    marks.sort((a, b) => a[0] - b[0]);
    // From CR LF positions to the editor's: each line before a position counts one more.
    let lineNo = 1;
    let line = doc.line(1);
    let crlfStart = 0;
    const toPos = (p) => {
      while (lineNo < doc.lines && p >= crlfStart + line.length + 2) {
        crlfStart += line.length + 2;
        lineNo += 1;
        line = doc.line(lineNo);
      }
      return line.from + Math.min(p - crlfStart, line.length);
    };
    for (const [start, length, colour] of marks) {
      const from = toPos(start);
      const to = Math.min(toPos(start + length), doc.length);
      if (to > from) builder.add(from, to, colourMark(colour));
    }
    this.view.dispatch({ effects: setColoursEffect.of(builder.finish()) });
  }

  markStopLine(line, error) {
    this.view.dispatch({ effects: setStopLineEffect.of({ line, error }) });
    if (line >= 1 && line <= this.view.state.doc.lines) {
      const pos = this.view.state.doc.line(line).from;
      this.view.dispatch({ selection: { anchor: pos }, effects: EditorView.scrollIntoView(pos, { y: 'center' }) });
    }
  }

  lineText(line) {
    const doc = this.view.state.doc;
    return line >= 1 && line <= doc.lines ? doc.line(line).text : '';
  }

  wordAtCaret() {
    const state = this.view.state;
    const word = state.wordAt(state.selection.main.head);
    return word ? state.sliceDoc(word.from, word.to) : '';
  }

  setRunning(running) {
    // The text does not change under a run, as in the desktop editor.
    this.view.dispatch({ effects: this.readOnly.reconfigure(EditorState.readOnly.of(running)) });
  }

  focus() { this.view.focus(); }
}
