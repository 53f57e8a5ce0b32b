// The module's C API for JavaScript: one instance of the compiled module per file, texts
// in and out as strings, the source read and the expanded bytes handed out in pieces.
// Shared by the page's worker and the module's tests under Node.js.
'use strict';

const ZvExpander = (() => {
  // The module's LZ errors, and what a user is told of them.
  const errors = {
    '-3': 'truncated',    // the data ends early, or the file could not be read
    '-4': 'write',        // the expanded bytes could not be taken
    '-5': 'memory',
    '-8': 'method',       // a compression method that cannot be expanded
    '-9': 'corrupt',      // the data is malformed
    '-10': 'archive',     // a cabinet of several files
    '-11': 'spanned',     // a cabinet that continues in another or from one
  };
  const formats = ['plain', 'szdd', 'short', 'kwaj', 'cabinet'];
  const rules = ['none', 'recorded', 'table', 'header'];
  const nameFaults = ['', 'nodot', 'noextension', 'unsafe', 'toolong', 'same'];
  // What the probe is given of a file's start: room for the longest KWAJ header.
  const headBytes = 160 * 1024;

  const utf8 = new TextEncoder();
  const utf8Text = new TextDecoder();
  // A KWAJ header's extension is code page 932, as the program on Windows reads it.
  const cp932Text = new TextDecoder('shift_jis');

  class Expander {
    // module: the compiled WebAssembly.Module.
    constructor(module) {
      this.source = null;
      this.seeker = null;
      this.sink = null;
      const imports = {
        zorvane: {
          read: (p, n) => this.read(p, n),
          seek: (offset) => (this.seeker && this.seeker(offset) ? 1 : 0),
          write: (p, n) => this.write(p, n),
        },
      };
      this.instance = new WebAssembly.Instance(module, imports);
      this.api = this.instance.exports;
    }

    // A view of the module's memory, made anew: memory that grows detaches the old views.
    bytes(p, n) {
      return new Uint8Array(this.api.memory.buffer, p, n);
    }

    memorySize() {
      return this.api.memory.buffer.byteLength;
    }

    // A NUL-terminated copy of bytes in the module's memory; free it with zv_free.
    put(bytes) {
      const p = this.api.zv_alloc(bytes.length + 1);
      const view = this.bytes(p, bytes.length + 1);
      view.set(bytes);
      view[bytes.length] = 0;
      return p;
    }

    text(p, decoder = utf8Text) {
      if (!p) return null;
      const memory = new Uint8Array(this.api.memory.buffer);
      let end = p;
      while (memory[end]) end++;
      return decoder.decode(memory.subarray(p, end));
    }

    // What a file is, from its first bytes (at least headBytes of them, or all).
    probe(head, fileSize) {
      const p = this.put(head);
      const format = this.api.zv_probe(p, head.length, fileSize);
      this.api.zv_free(p);
      const fault = this.api.zv_probe_fault();
      const length = this.api.zv_probe_length();
      return {
        format: formats[format],
        method: this.api.zv_probe_method(),
        fault: fault ? errors[fault] || 'corrupt' : '',
        length: length < 0 ? null : length,
        refused: this.api.zv_probe_recorded() === 2,
      };
    }

    // The extension a row starts with, after probe(): {text, rule}.
    extension(name) {
      const p = this.put(utf8.encode(name));
      const q = this.api.zv_extension(p);
      const rule = rules[this.api.zv_extension_rule()];
      const text = this.text(q, rule === 'recorded' ? cp932Text : utf8Text);
      this.api.zv_free(p);
      return { text, rule };
    }

    // The expanded file's name: {name} or {fault}.
    outputName(name, extension) {
      const p = this.put(utf8.encode(name));
      const q = this.put(utf8.encode(extension));
      const result = this.text(this.api.zv_output_name(p, q));
      const fault = nameFaults[this.api.zv_name_fault()];
      this.api.zv_free(p);
      this.api.zv_free(q);
      return result === null ? { fault } : { name: result };
    }

    // Expands a source into a sink: read(max) gives the next bytes (empty at the end,
    // null when it cannot be read); seek(offset), which only cabinets need, moves the
    // source and returns whether it could; write(bytes) takes a view that is valid only
    // during the call and returns false to stop. {length} or {error, code}.
    expand(read, write, seek = null) {
      this.source = read;
      this.seeker = seek;
      this.sink = write;
      try {
        const code = this.api.zv_expand();
        return code >= 0 ? { length: code } : { error: errors[code] || 'corrupt', code };
      } finally {
        this.source = null;
        this.seeker = null;
        this.sink = null;
      }
    }

    read(p, n) {
      const chunk = this.source(n);
      if (chunk === null) return -1;
      this.bytes(p, chunk.length).set(chunk);
      return chunk.length;
    }

    write(p, n) {
      return this.sink(this.bytes(p, n)) === false ? 0 : 1;
    }
  }

  return { Expander, headBytes };
})();

if (typeof module !== 'undefined') module.exports = ZvExpander;
