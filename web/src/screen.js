// The screen window of the page: a white drawing area where the program's text is drawn at
// pixel positions (a line is 18 pixels high, a character 8 pixels wide, as GOTOXY counts
// them), that grows and scrolls to the cursor as the program writes further down.
const LINE = 18;
const COLUMN = 8;
const FONT = '13.3px "DejaVu Sans Mono", "Liberation Mono", monospace';

export class ProgramScreen {
  constructor(canvas, frame, input) {
    this.canvas = canvas;
    this.frame = frame;
    this.input = input;
    this.drawings = []; // since the last CLRSCR, to draw again when the area grows
    this.cleared = false;
    this.cursor = { x: 0, y: 0 };
    this.onLine = null;
    input.addEventListener('keydown', (e) => {
      if (e.key !== 'Enter') return;
      e.preventDefault();
      const text = input.value;
      this.hideInput();
      if (this.onLine) this.onLine(text);
    });
    this.reset();
  }

  reset() {
    this.drawings = [];
    this.cleared = false;
    this.cursor = { x: 0, y: 0 };
    this.resize(this.frame.clientWidth || 640, this.frame.clientHeight || 360);
    this.hideInput();
  }

  context() {
    const c = this.canvas.getContext('2d');
    c.font = FONT;
    c.textBaseline = 'top';
    return c;
  }

  resize(width, height) {
    const w = Math.max(width, this.canvas.width);
    const h = Math.max(height, this.canvas.height);
    if (w === this.canvas.width && h === this.canvas.height && this.canvas.dataset.ready) return;
    this.canvas.width = w;
    this.canvas.height = h;
    this.canvas.dataset.ready = '1';
    this.repaint();
  }

  repaint() {
    const c = this.context();
    c.fillStyle = '#fff';
    c.fillRect(0, 0, this.canvas.width, this.canvas.height);
    if (this.cleared) this.outline(c);
    c.fillStyle = '#000';
    for (const d of this.drawings) this.drawOne(c, d);
  }

  outline(c) {
    c.strokeStyle = '#000';
    c.strokeRect(0.5, 0.5, this.canvas.width - 1, this.canvas.height - 1);
  }

  drawOne(c, { x, y, s }) {
    const chars = [...s];
    c.fillStyle = '#fff';
    c.fillRect(x, y, chars.length * COLUMN, LINE);
    c.fillStyle = '#000';
    chars.forEach((ch, i) => c.fillText(ch, x + i * COLUMN, y + 2));
  }

  // The events of one slice of the run, in order.
  play(events) {
    for (const e of events) {
      switch (e.t) {
        case 'draw': {
          const width = [...e.s].length * COLUMN;
          // Far beyond any window: the text is kept, the area does not grow without end.
          if (e.x + width < 1e5 && e.y < 1e5) this.resize(e.x + width + COLUMN, e.y + LINE * 2);
          this.drawings.push(e);
          this.drawOne(this.context(), e);
          break;
        }
        case 'clear':
          this.drawings = [];
          this.cleared = true;
          this.repaint();
          break;
        case 'cursor':
          this.cursor = { x: e.x, y: e.y };
          if (e.y < 1e5) this.resize(0, e.y + LINE * 2);
          break;
        default:
          break;
      }
    }
    this.scrollToCursor();
  }

  scrollToCursor() {
    const { y } = this.cursor;
    const f = this.frame;
    if (y + LINE > f.scrollTop + f.clientHeight) f.scrollTop = y + LINE - f.clientHeight + 4;
    else if (y < f.scrollTop) f.scrollTop = y;
  }

  // READ and READLN: the input line over the cursor position.
  askLine(x, y) {
    this.cursor = { x, y };
    this.resize(x + COLUMN * 24, y + LINE * 2);
    this.input.style.left = `${x}px`;
    this.input.style.top = `${y}px`;
    this.input.value = '';
    this.input.hidden = false;
    this.scrollToCursor();
    this.input.focus();
  }

  hideInput() {
    this.input.hidden = true;
  }

  // What the screen shows, row by row, for the tests and for copying.
  text() {
    const rows = new Map();
    for (const d of this.drawings) {
      if (!rows.has(d.y)) rows.set(d.y, []);
      rows.get(d.y).push(d);
    }
    return [...rows.keys()].sort((a, b) => a - b).map((y) => {
      const cells = [];
      for (const d of rows.get(y)) [...d.s].forEach((ch, i) => { cells[Math.round(d.x / COLUMN) + i] = ch; });
      return Array.from(cells, (ch) => ch || ' ').join('');
    }).join('\n');
  }
}
