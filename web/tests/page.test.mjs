// The page in a real browser (Debian's Chromium, headless, driven by playwright-core) on a
// server bound to 127.0.0.1: what a learner does, from typing a program to checking an
// exercise, offline included. ZEF_SITE names the built site (make web-site).
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { join, dirname } from 'node:path';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';
import { serve } from '../serve.mjs';

const here = dirname(fileURLToPath(import.meta.url));
const root = join(here, '..', '..');
const site = process.env.ZEF_SITE || join(root, 'build-web', 'site');
let server;
let browser;
let address;

before(async () => {
  server = await serve(site, 0);
  address = `http://127.0.0.1:${server.address().port}/`;
  browser = await chromium.launch({
    executablePath: process.env.ZEF_CHROMIUM || '/usr/bin/chromium',
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync'],
  });
});

after(async () => {
  await browser?.close();
  server?.close();
});

async function openPage(context) {
  const page = await (context || browser).newPage({ viewport: { width: 1280, height: 800 } });
  const errors = [];
  page.on('pageerror', (e) => errors.push(e.message));
  await page.goto(address);
  await page.waitForSelector('body[data-pret="1"]');
  page.errors = errors;
  return page;
}

// Puts a program in the editor; lines as the learner types them.
const setProgram = (page, lines, breakpoints = []) => page.evaluate(([text, marks]) => {
  window.zef.editor.setText(text);
  window.zef.editor.setBreakpoints(marks);
}, [lines.join('\n'), breakpoints]);
const screenText = (page) => page.evaluate(() => window.zef.screen.text());
const ended = (page) => page.waitForSelector('body[data-run="idle"], body[data-run="stopped"]');

test('a program runs, reads a typed line, and its output is on the screen', async () => {
  const page = await openPage();
  await setProgram(page, ['PROGRAM Salut;', 'VAR Nom: STRING;', 'VAR I: INTEGER;', 'BEGIN', "  WRITE('Nom ? ');",
    '  READLN(Nom);', '  FOR I:=1 TO 2 DO', '    WRITELN(Nom);', 'END.']);
  await page.keyboard.press('F9');
  const input = await page.waitForSelector('#saisie:not([hidden])');
  assert.equal(await page.textContent('#etatExecution'), "En attente d'une saisie");
  await input.type('Zoé');
  await page.keyboard.press('Enter');
  await ended(page);
  assert.equal(await screenText(page), 'Nom ? Zoé\nZoé\nZoé');
  assert.equal(await page.textContent('#etatExecution'), 'Terminé');
  // The Variables view shows the values the run left.
  assert.match(await page.textContent('#variables'), /NOMChaîneZoé/);
  // The editor's colours come from the colour rules: a keyword and a comment differ.
  const colours = await page.evaluate(() => [...document.querySelectorAll('.cm-content span[style]')].map((s) => s.style.color));
  assert.ok(new Set(colours).size >= 2, colours.join(' '));
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('Stop ends an endless loop at the next slice, with its message', async () => {
  const page = await openPage();
  await setProgram(page, ['PROGRAM Boucle;', 'VAR I: INTEGER;', 'BEGIN', '  WHILE 1 = 1 DO', '    I := I + 1;',
    '  WEND;', 'END.']);
  await page.keyboard.press('F9');
  // Let it run for a while: the stop comes in the middle of a slice.
  await page.waitForFunction(() => window.zef.slices() >= 3);
  await page.click('#arreter');
  await page.waitForSelector('#boiteErreur[open]');
  // The slice running when Stop came in was the last but one: the next one sees it at its
  // first statement (a slice lasts a few tens of milliseconds).
  assert.equal(await page.evaluate(() => window.zef.slicesSinceStop()), 1);
  assert.equal(await page.textContent('#erreurMessage'), 'Exécution interrompue');
  // A line of the loop, as in the desktop's box: where the run would go on.
  assert.match(await page.textContent('#erreurLigne'), /^Ligne [456] : /);
  await page.click('#erreurOk');
  await page.close();
});

test('a breakpoint after a FOR body stops once; stepping and continuing go on from it', async () => {
  const page = await openPage();
  await setProgram(page, ['PROGRAM Pas;', 'VAR I, S: INTEGER;', 'BEGIN', '  FOR I:=1 TO 3 DO', '    S := S + I;',
    '  WRITELN(S);', "  WRITELN('fin');", 'END.'], [5]);
  await page.keyboard.press('F9');
  await ended(page);
  assert.equal(await page.textContent('#etatExecution'), "Arrêté ligne 6 (point d'arrêt)");
  assert.equal(await screenText(page), '');
  assert.match(await page.textContent('#variables'), /SEntier6/);
  // One step, in step mode: the WRITELN runs, and the run stops before the next line.
  await page.check('#pasapas');
  await page.keyboard.press('F7');
  await page.waitForFunction(() => document.querySelector('#etatExecution').textContent.startsWith('Pas à pas'));
  assert.equal(await page.textContent('#etatExecution'), 'Pas à pas ligne 7');
  assert.equal(await screenText(page), '6');
  await page.uncheck('#pasapas');
  await page.keyboard.press('F7');
  await page.waitForSelector('body[data-run="idle"]');
  assert.equal(await screenText(page), '6\nfin');
  assert.equal(await page.textContent('#etatExecution'), 'Terminé');
  await page.close();
});

test('an error shows its line, and its help opens at its entry', async () => {
  const page = await openPage();
  await setProgram(page, ['PROGRAM Div;', 'VAR I, J: INTEGER;', 'BEGIN', '  I := 4;', '  J := I \\ 0;', 'END.']);
  await page.keyboard.press('F9');
  await page.waitForSelector('#boiteErreur[open]');
  const message = await page.textContent('#erreurMessage');
  assert.match(message, /division par zéro/);
  assert.equal(await page.textContent('#erreurLigne'), 'Ligne 5 : J := I \\ 0;');
  assert.match(await page.textContent('#etatExecution'), /^Arrêté ligne 5 : /);
  assert.equal(await page.locator('.cm-ligne-erreur').count(), 1);
  await page.click('#erreurAide');
  await page.waitForSelector('#boiteAide[open]');
  const frame = page.frameLocator('#aideCadre');
  // The entry the help opened at is the one that names the message.
  const entry = await page.waitForFunction(() => {
    const f = document.querySelector('#aideCadre');
    const hash = decodeURIComponent(new URL(f.src).hash.slice(1));
    const anchor = hash && f.contentDocument && f.contentDocument.getElementsByName(hash)[0];
    return anchor ? anchor.textContent : null;
  });
  assert.equal(await entry.jsonValue(), message);
  assert.ok(await frame.locator('h1').count() > 0);
  await page.close();
});

test('exercise: the right program passes every case, a wrong one shows "Sortie différente"', async () => {
  const page = await openPage();
  const { readFileSync } = await import('node:fs');
  const right = readFileSync(join(root, 'examples', 'table.pas'), 'latin1').replace(/\r\n/g, '\n').replace(/\n$/, '');
  // The cases come from a folder of the computer, or from the exercises published with the
  // page (the build publishes the examples' table.essais).
  const check = async (text, published) => {
    await page.evaluate((t) => {
      window.zef.editor.setText(t);
      document.querySelector('#essaisListe').replaceChildren();
    }, text);
    await page.click('#essais');
    if (published) await page.click('#listePublies button[data-exercice="table"]');
    else await page.setInputFiles('#choixDossierEssais', join(root, 'examples', 'table.essais'));
    await page.waitForSelector('.essai.resume');
    return page.locator('.essai:not(.resume)').allTextContents();
  };
  const passed = await check(Buffer.from(right, 'latin1').toString('utf8'), false);
  assert.ok(passed.length >= 2);
  for (const row of passed) assert.match(row, /^✓ /, row);
  const wrong = await check(Buffer.from(right, 'latin1').toString('utf8').replace("WRITE(' = ');", "WRITE(' == ');"), true);
  assert.equal(wrong.length, passed.length);
  for (const row of wrong) assert.match(row, /^✗ .*Sortie différente/, row);
  // The side-by-side view marks the first differing line in both outputs.
  assert.ok(await page.locator('.essai.faux .differe').count() >= 2);
  await page.close();
});

test('a file a program writes is still there after a reload, and the page works offline', async () => {
  const context = await browser.newContext();
  let page = await openPage(context);
  await setProgram(page, ['PROGRAM Ecrit;', 'VAR F: TEXTFILE;', 'BEGIN', "  ASSIGN(F,'notes.txt');", '  REWRITE(F);',
    "  WRITELN(F,'gardé');", '  CLOSE(F);', 'END.']);
  await page.keyboard.press('F9');
  await page.waitForSelector('body[data-run="idle"]');
  // The service worker has kept the site once it is active.
  await page.evaluate(() => navigator.serviceWorker.ready);
  await page.close();

  await context.setOffline(true);
  page = await openPage(context);
  // The program in the editor came back with the page.
  assert.match(await page.evaluate(() => window.zef.editor.text), /notes\.txt/);
  await setProgram(page, ['PROGRAM Lit;', 'VAR F: TEXTFILE;', 'VAR S: STRING;', 'BEGIN', "  ASSIGN(F,'notes.txt');",
    '  RESET(F);', '  READLN(F,S);', '  CLOSE(F);', '  WRITELN(S);', 'END.']);
  await page.keyboard.press('F9');
  await page.waitForSelector('body[data-run="idle"]');
  assert.equal(await screenText(page), 'gardé');
  await page.click('#fichiers');
  assert.match(await page.textContent('#listeFichiers'), /notes\.txt/i);
  assert.deepEqual(page.errors, []);
  await context.close();
});

test('SHOWMESSAGE waits for its box to be closed; the printed lines go to the print dialog at the end', async () => {
  const page = await openPage();
  // The print dialog is the browser's: the test stands in for it and keeps what it got.
  await page.evaluate(() => { window.print = () => { window.printed = document.querySelector('#impression').textContent; }; });
  await setProgram(page, ['PROGRAM Boite;', 'BEGIN', "  SHOWMESSAGE 'Bonjour';", "  WRITELN('après');",
    '  ASSIGNPRN(PRN);', '  REWRITE(PRN);', "  WRITELN(PRN,'Ligne imprimée');", '  CLOSE(PRN);', 'END.']);
  await page.keyboard.press('F9');
  await page.waitForSelector('#boiteMessage[open]');
  assert.equal(await page.textContent('#messageTexte'), 'Bonjour');
  // Nothing after the box runs while it is open.
  assert.equal(await screenText(page), '');
  await page.click('#boiteMessage button');
  await page.waitForSelector('body[data-run="idle"]');
  assert.equal(await screenText(page), 'après');
  await page.waitForFunction(() => window.printed !== undefined);
  assert.equal(await page.evaluate(() => window.printed), 'Ligne imprimée\r\n');
  await page.close();
});
