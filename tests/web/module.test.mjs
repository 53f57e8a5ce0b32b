// The web page's module through the page's own glue: the corpus byte-exact, what each
// file is and is called, the errors, the imports, and memory that stays fixed.
// ZV_WEB_MODULE names zorvane.wasm, ZV_WEB_CORPUS the folder MakeCorpus wrote.
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { join } from 'node:path';
import { test } from 'node:test';

const { Expander, headBytes } = createRequire(import.meta.url)('../../web/page/expander.js');
const wasm = new WebAssembly.Module(readFileSync(process.env.ZV_WEB_MODULE));
const corpus = process.env.ZV_WEB_CORPUS;
const cases = JSON.parse(readFileSync(join(corpus, 'corpus.json'), 'utf8'));
const formats = ['plain', 'szdd', 'short', 'kwaj', 'cabinet'];
const rules = ['none', 'recorded', 'table', 'header'];

// A source that hands out pieces of uneven size, so that every refill of the decoders is
// met, and moves where a cabinet's reader asks, unless it may not.
function pieces(bytes, failAt = -1, seeks = true) {
  let pos = 0;
  let calls = 0;
  const read = (max) => {
    if (failAt >= 0 && pos >= failAt) return null;
    const n = Math.min(max, 1 + ((calls++ * 7919) % 65536), bytes.length - pos);
    pos += n;
    return bytes.subarray(pos - n, pos);
  };
  const seek = (offset) => {
    if (!seeks || offset > bytes.length) return false;
    pos = offset;
    return true;
  };
  return [read, seek];
}

function expandAll(expander, bytes, options = {}) {
  const out = [];
  const [read, seek] = pieces(bytes, options.failAt, options.seeks);
  const result = expander.expand(read, (view) => {
    out.push(Buffer.from(view));
    return options.refuse ? false : true;
  }, seek);
  return { ...result, bytes: Buffer.concat(out) };
}

test('the module imports the page\'s three calls and nothing of WASI', () => {
  const imports = WebAssembly.Module.imports(wasm).map((i) => `${i.module}.${i.name}`).sort();
  assert.deepEqual(imports, ['zorvane.read', 'zorvane.seek', 'zorvane.write']);
});

for (const c of cases) {
  test(`${c.file}: format, extension, name and expanded bytes`, () => {
    const bytes = readFileSync(join(corpus, c.file));
    const expander = new Expander(wasm);
    const probe = expander.probe(bytes.subarray(0, headBytes), bytes.length);
    assert.equal(probe.format, formats[c.format]);
    if (c.format !== 2) assert.equal(probe.method, c.method);
    assert.equal(probe.fault !== '', c.fault !== 0);
    assert.equal(probe.refused, c.recorded === 2);
    assert.deepEqual(expander.extension(c.file), { text: c.extension, rule: rules[c.rule] });
    if (c.output) assert.deepEqual(expander.outputName(c.file, c.extension), { name: c.output });
    const result = expandAll(expander, bytes);
    if (c.code >= 0) {
      assert.equal(result.length, c.code);
      assert.ok(result.bytes.equals(readFileSync(join(corpus, `${c.file}.expected`))), 'expanded bytes differ');
    } else {
      assert.equal(result.code, c.code);
    }
  });
}

test('output names follow the naming rules and refuse what cannot stand in a file name', () => {
  const expander = new Expander(wasm);
  const table = [
    ['SETUP.EX_', 'exe', { name: 'SETUP.exe' }],
    ['a.b.WA_', 'wav', { name: 'a.b.wav' }],
    ['セットアップ.EX_', 'exe', { name: 'セットアップ.exe' }],
    ['ソフト.EX_', 'ｅｘｅ', { name: 'ソフト.ｅｘｅ' }],
    ['README', 'txt', { fault: 'nodot' }],
    ['SETUP.EX_', '', { fault: 'noextension' }],
    ['SETUP.EX_', '../x', { fault: 'unsafe' }],
    ['SETUP.EX_', 'e:x', { fault: 'unsafe' }],
    ['SETUP.EX_', 'ex\u0001', { fault: 'unsafe' }],
    ['SETUP.EX_', 'exe ', { fault: 'unsafe' }],
    ['disk/SETUP.EX_', 'exe', { fault: 'unsafe' }],
    ['NOTES.TXT', 'txt', { fault: 'same' }],
    [`${'n'.repeat(252)}.EX_`, 'exe', { fault: 'toolong' }],
    [`${'n'.repeat(251)}.EX_`, 'exe', { name: `${'n'.repeat(251)}.exe` }],
  ];
  for (const [name, ext, expected] of table) assert.deepEqual(expander.outputName(name, ext), expected, name.slice(0, 20));
});

test('the table decides by the first three characters after the last dot', () => {
  const expander = new Expander(wasm);
  expander.probe(new Uint8Array(0), 0);
  const table = [['SETUP.EX_1', 'exe'], ['readme.Tx_', 'txt'], ['a.b.c.WA_', 'wav'], ['file.in_', ''], ['file.ex', ''],
                 ['NODOT', '']];
  for (const [name, ext] of table) assert.equal(expander.extension(name).text, ext, name);
});

test('a refused sink, an unreadable source and a cut header give their errors', () => {
  const readme = readFileSync(join(corpus, 'README.TX_'));
  assert.equal(expandAll(new Expander(wasm), readme, { refuse: true }).error, 'write');
  assert.equal(expandAll(new Expander(wasm), readme, { failAt: 5000 }).error, 'truncated');
  assert.equal(new Expander(wasm).probe(readme.subarray(0, 12), 12).fault, 'truncated');
});

test('a cabinet whose entries lie beyond the bytes probed waits for its expansion; one that cannot seek fails', () => {
  const bytes = readFileSync(join(corpus, 'ACPI.SY_'));
  const table = [
    [bytes.length, bytes.length, '', { text: 'sys', rule: 'recorded' }],
    [60, bytes.length, '', { text: '', rule: 'none' }],
    [60, 60, 'truncated', { text: '', rule: 'none' }],
  ];
  for (const [head, size, fault, extension] of table) {
    const expander = new Expander(wasm);
    const probe = expander.probe(bytes.subarray(0, head), size);
    assert.deepEqual([probe.format, probe.fault], ['cabinet', fault], `${head} of ${size}`);
    assert.deepEqual(expander.extension('ACPI.SY_'), extension, `${head} of ${size}`);
  }
  assert.equal(expandAll(new Expander(wasm), bytes, { seeks: false }).error, 'truncated');
});

test('memory stays fixed whatever the header claims or the data yields', () => {
  const expander = new Expander(wasm);
  const before = expander.memorySize();
  for (const file of ['CLAIM.EX_', 'DEFLATE.DA_', 'HUFF.DA_', 'README.TX_', 'WINDOW.EX_']) {
    const bytes = readFileSync(join(corpus, file));
    expander.probe(bytes.subarray(0, headBytes), bytes.length);
    expandAll(expander, bytes);
  }
  // LZX's largest window is 2 MiB.
  assert.ok(expander.memorySize() <= Math.max(before, 3 << 20), `memory grew to ${expander.memorySize()} bytes`);
});
