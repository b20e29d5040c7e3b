// Loads the player's pieces under Node.js as the browser gets them: joined in
// the order of parts.txt into one strict script, whose top-level names it returns.
import { readFileSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';

const here = dirname(fileURLToPath(import.meta.url));

export function partNames() {
  return readFileSync(join(here, 'parts.txt'), 'utf8').split('\n').map((l) => l.trim())
    .filter((l) => l && !l.startsWith('#'));
}

export function loadParts(names) {
  const text = partNames().map((p) => readFileSync(join(here, p), 'utf8')).join('\n');
  const exported = '{' + names.map((n) => `${n}: typeof ${n} === 'undefined' ? undefined : ${n}`).join(', ') + '}';
  return new Function('"use strict";\n' + text + '\nreturn ' + exported + ';')();
}
