// Runs a WASI command under Node.js: node run-wasi.mjs PROGRAM.wasm FOLDER [ARG...]
// FOLDER is the one folder the program may use, seen by it as /work; the exit status is its own.
import { readFileSync } from 'node:fs';
import { argv, exit } from 'node:process';
import { WASI } from 'node:wasi';

const [program, folder, ...args] = argv.slice(2);
const wasi = new WASI({ version: 'preview1', args: [program, ...args], env: {}, preopens: { '/work': folder },
                        returnOnExit: true });
const module = await WebAssembly.compile(readFileSync(program));
const instance = await WebAssembly.instantiate(module, wasi.getImportObject());
exit(wasi.start(instance));
