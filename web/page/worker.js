// The page's worker: expands one file after another, each in a fresh instance of the
// module (memory that a file made grow is given back with it). The source is read in
// slices and the expanded bytes leave in pieces, gathered into blobs, which the browser
// may keep on disk: nothing holds a whole file in the module. Messages:
//   in:  {type: 'init', module}, {type: 'expand', id, file}
//   out: {type: 'progress', id, done, total}, {type: 'expanded', id, blob, length},
//        {type: 'failed', id, error}
'use strict';

let compiled = null;
// Slices of the source read at once: few calls into the file, little memory.
const sliceBytes = 4 << 20;
// Expanded bytes gathered into one blob part.
const partBytes = 16 << 20;

function expandFile(id, file) {
  const expander = new ZvExpander.Expander(compiled);
  const reader = new FileReaderSync();
  let slice = new Uint8Array(0);
  let used = 0;
  let read = 0;
  // A cabinet's reader moves about in the file; the slice read is dropped.
  const seek = (offset) => {
    if (offset > file.size) return false;
    read = offset;
    slice = new Uint8Array(0);
    used = 0;
    return true;
  };
  const source = (max) => {
    if (used === slice.length) {
      if (read >= file.size) return slice.subarray(0, 0);
      try {
        slice = new Uint8Array(reader.readAsArrayBuffer(file.slice(read, read + sliceBytes)));
      } catch (e) {
        return null;
      }
      if (slice.length === 0) return null;
      read += slice.length;
      used = 0;
      postMessage({ type: 'progress', id, done: read, total: file.size });
    }
    const n = Math.min(max, slice.length - used);
    used += n;
    return slice.subarray(used - n, used);
  };

  // The pieces are copied into one buffer, which becomes a blob part when it is full: the
  // browser takes a few large parts much faster than many small ones.
  const parts = [];
  const buffer = new Uint8Array(partBytes);
  let filled = 0;
  const sink = (view) => {
    for (let at = 0; at < view.length;) {
      const n = Math.min(view.length - at, partBytes - filled);
      buffer.set(view.subarray(at, at + n), filled);
      filled += n;
      at += n;
      if (filled === partBytes) {
        parts.push(new Blob([buffer]));
        filled = 0;
      }
    }
    return true;
  };

  const result = expander.expand(source, sink, seek);
  if (result.error) {
    postMessage({ type: 'failed', id, error: result.error });
    return;
  }
  parts.push(new Blob([buffer.subarray(0, filled)]));
  postMessage({ type: 'expanded', id, blob: new Blob(parts), length: result.length });
}

onmessage = ({ data }) => {
  if (data.type === 'init') {
    compiled = data.module;
  } else if (data.type === 'expand') {
    try {
      expandFile(data.id, data.file);
    } catch (e) {
      // A trap of the module (no memory left) ends this file only.
      postMessage({ type: 'failed', id: data.id, error: 'memory' });
    }
  }
};
