// The page: the list of files, what each is and will be called (the module, on this
// thread: it reads only a file's start), and their expansion in the worker, delivered
// as a download, one zip, or into a folder the user chooses.
'use strict';

(() => {
  const $ = (id) => document.getElementById(id);
  const rows = [];
  const jobs = new Map();
  const nameFaults = ['nodot', 'noextension', 'unsafe', 'toolong', 'same'];
  // Not damaged: what the page does not expand.
  const refusals = ['archive', 'spanned'];
  const cabinetMethods = [null, 'MSZIP', 'Quantum', 'LZX'];
  let lang = (navigator.languages && navigator.languages[0]) || navigator.language || 'en';
  lang = lang.toLowerCase().startsWith('ja') ? 'ja' : 'en';
  let nextId = 1;
  let expander = null;
  let worker = null;

  function t(key, ...values) {
    return ZvTexts[lang][key].replace(/\{(\d)\}/g, (_, i) => values[i]);
  }

  // ---- Texts and language

  function applyTexts() {
    document.documentElement.lang = lang;
    for (const el of document.querySelectorAll('[data-text]')) el.textContent = t(el.dataset.text);
    for (const el of document.querySelectorAll('[data-title]')) el.title = t(el.dataset.title);
    $('language').textContent = t('switchTo');
    $('language').title = t('switchTitle');
    for (const row of rows) showRow(row);
    showCount();
  }

  function showMessage(key) {
    $('message').textContent = key ? t(key) : '';
    $('message').hidden = !key;
  }

  // ---- Rows

  function formatText(row) {
    if (row.format === 'kwaj') return t('kwaj', row.method);
    if (row.format === 'cabinet')
      return t('cabinet', row.method ? cabinetMethods[row.method] || row.method : t('cabinetStored'));
    return t(row.format);
  }

  function byteText(n) {
    return n === null || n === undefined ? '?' : `${n} Byte`;
  }

  function stateText(row) {
    switch (row.state) {
      case 'ready':
        if (!row.ext) return t('stateNeedsExt');
        return t(row.format === 'plain' ? 'statePlain' : 'stateReady');
      case 'damaged': return t('stateDamaged', t(row.reason));
      case 'queued': return t('stateQueued');
      case 'expanding': return t('stateExpanding');
      case 'expanded': return t('stateExpanded', row.output);
      case 'exists': return t('stateExists', row.output);
      case 'needsExt': return t('stateNeedsExt');
      default: return t('stateFailed', t(row.reason));
    }
  }

  function cell(tr, className) {
    const td = tr.insertCell();
    if (className) td.className = className;
    return td;
  }

  function makeRow(row) {
    const tr = document.createElement('tr');
    tr.dataset.id = row.id;
    const pick = document.createElement('input');
    pick.type = 'checkbox';
    pick.addEventListener('change', () => select(row, pick.checked));
    cell(tr, 'pick').append(pick);
    cell(tr, 'name').textContent = row.path;
    cell(tr, 'format');
    const ext = document.createElement('input');
    ext.className = 'ext';
    ext.value = row.ext;
    ext.addEventListener('input', () => {
      row.ext = ext.value;
      // A row refused for its name is ready again once the name may be good.
      if (row.state === 'needsExt' || (row.state === 'failed' && nameFaults.includes(row.reason))) row.state = 'ready';
      checkExtension(row);
      showRow(row);
    });
    cell(tr, 'extension').append(ext);
    cell(tr, 'number size').textContent = byteText(row.file.size);
    cell(tr, 'number expanded');
    cell(tr, 'number ratio');
    cell(tr, 'state');
    tr.addEventListener('click', (e) => {
      if (e.target.tagName !== 'INPUT') select(row, !row.selected);
    });
    row.tr = tr;
    row.pick = pick;
    row.extInput = ext;
    $('list').tBodies[0].append(tr);
  }

  function showRow(row) {
    const cells = row.tr.cells;
    cells[2].textContent = formatText(row);
    row.extInput.placeholder = t('unknownExt');
    const expanded = row.length;
    cells[5].textContent = byteText(expanded);
    cells[6].textContent = expanded ? `${((row.file.size * 100) / expanded).toFixed(1)} %` : '';
    const state = cells[7];
    state.className = `state ${row.state}`;
    state.textContent = stateText(row);
    if (row.refused) {
      const note = document.createElement('span');
      note.className = 'note';
      note.textContent = '⚠';
      note.title = t('recordedRefused');
      state.append(note);
    }
    if (row.state === 'expanding') {
      const bar = document.createElement('progress');
      bar.max = row.total || 1;
      bar.value = row.done || 0;
      state.append(bar);
    }
    row.tr.classList.toggle('selected', row.selected);
    row.pick.checked = row.selected;
  }

  function select(row, on) {
    row.selected = on;
    showRow(row);
    $('all').checked = rows.length > 0 && rows.every((r) => r.selected);
  }

  function checkExtension(row) {
    const name = expander.outputName(row.file.name, row.ext);
    row.extInput.classList.toggle('bad', !!name.fault && row.ext !== '');
    row.extInput.title = name.fault ? t(name.fault) : name.name;
  }

  function showCount() {
    $('count').textContent = t('count', rows.length);
    $('empty').hidden = rows.length > 0;
  }

  async function addFile(file, folder) {
    const row = { id: nextId++, file, folder, path: folder + file.name, selected: false };
    let head;
    try {
      head = new Uint8Array(await file.slice(0, ZvExpander.headBytes).arrayBuffer());
    } catch (e) {
      head = null;
    }
    if (head) {
      Object.assign(row, expander.probe(head, file.size));
      const ext = expander.extension(file.name);
      row.ext = ext.text;
      row.state = refusals.includes(row.fault) ? 'failed' : row.fault ? 'damaged' : 'ready';
      row.reason = row.fault;
    } else {
      Object.assign(row, { format: 'plain', method: 0, length: null, ext: '', state: 'damaged', reason: 'unreadable' });
    }
    rows.push(row);
    makeRow(row);
    showRow(row);
    checkExtension(row);
    showCount();
  }

  // Files as dropped or picked: {file, folder} with folder '' or 'NAME/.../'. From folders
  // only the files whose name ends in '_' are taken, as the window takes them.
  async function addFiles(entries) {
    showMessage(null);
    for (const { file, folder } of entries) {
      if (folder && !file.name.endsWith('_')) continue;
      await addFile(file, folder);
    }
  }

  // A folder component that could leave the folder it is written into is left out.
  function safeFolder(path) {
    const parts = path.split('/').slice(0, -1).filter((p) => p && p !== '.' && p !== '..');
    return parts.length ? `${parts.join('/')}/` : '';
  }

  function readEntries(reader) {
    return new Promise((resolve, reject) => reader.readEntries(resolve, reject));
  }

  async function walk(entry, folder, out) {
    if (entry.isFile) {
      const file = await new Promise((resolve, reject) => entry.file(resolve, reject));
      out.push({ file, folder });
    } else if (entry.isDirectory) {
      const reader = entry.createReader();
      for (let batch = await readEntries(reader); batch.length; batch = await readEntries(reader))
        for (const child of batch) await walk(child, `${folder}${entry.name}/`, out);
    }
  }

  async function onDrop(e) {
    e.preventDefault();
    $('drop').classList.remove('over');
    const out = [];
    const entries = [...e.dataTransfer.items].map((item) => item.webkitGetAsEntry && item.webkitGetAsEntry());
    if (entries.every((entry) => entry)) {
      // A dropped file has no folder, so it is taken whatever its name.
      for (const entry of entries) await walk(entry, '', out).catch(() => {});
    } else {
      for (const file of e.dataTransfer.files) out.push({ file, folder: '' });
    }
    await addFiles(out.map((o) => ({ file: o.file, folder: safeFolder(o.folder) })));
  }

  // ---- Expansion

  function runJob(row) {
    return new Promise((resolve) => {
      jobs.set(row.id, { row, resolve });
      worker.postMessage({ type: 'expand', id: row.id, file: row.file });
    });
  }

  function onWorkerMessage({ data }) {
    const job = jobs.get(data.id);
    if (!job) return;
    const { row } = job;
    if (data.type === 'progress') {
      row.state = 'expanding';
      row.done = data.done;
      row.total = data.total;
      const bar = row.tr.querySelector('progress');
      if (bar) bar.value = data.done;
      else showRow(row);
      return;
    }
    jobs.delete(data.id);
    if (data.type === 'expanded') {
      row.length = data.length;
      job.resolve({ row, blob: data.blob });
    } else {
      row.state = 'failed';
      row.reason = data.error;
      showRow(row);
      job.resolve(null);
    }
  }

  function download(blob, name) {
    const a = document.createElement('a');
    a.href = URL.createObjectURL(blob);
    a.download = name;
    document.body.append(a);
    a.click();
    a.remove();
    setTimeout(() => URL.revokeObjectURL(a.href), 60000);
  }

  function done(row) {
    row.state = 'expanded';
    row.selected = false;
    showRow(row);
  }

  async function zip(results) {
    const chunks = [];
    const finished = new Promise((resolve, reject) => {
      const archive = new fflate.Zip((err, chunk, final) => {
        if (err) reject(err);
        chunks.push(chunk);
        if (final) resolve(new Blob(chunks, { type: 'application/zip' }));
      });
      (async () => {
        const names = new Set();
        for (const { row, blob } of results) {
          let name = row.folder + row.output;
          for (let n = 2; names.has(name.toLowerCase()); n++) name = `${row.folder}(${n}) ${row.output}`;
          names.add(name.toLowerCase());
          const entry = new fflate.ZipPassThrough(name);
          archive.add(entry);
          const reader = blob.stream().getReader();
          for (let part = await reader.read(); !part.done; part = await reader.read()) entry.push(part.value);
          entry.push(new Uint8Array(0), true);
        }
        archive.end();
      })().catch(reject);
    });
    return finished;
  }

  async function writeInto(dir, { row, blob }) {
    let folder = dir;
    for (const part of row.folder.split('/').filter(Boolean))
      folder = await folder.getDirectoryHandle(part, { create: true });
    // An existing file is never replaced.
    const exists = await folder.getFileHandle(row.output).then(() => true, () => false);
    if (exists) {
      row.state = 'exists';
      showRow(row);
      return;
    }
    const handle = await folder.getFileHandle(row.output, { create: true });
    const writable = await handle.createWritable();
    await writable.write(blob);
    await writable.close();
    done(row);
  }

  async function expandSelected(intoFolder) {
    showMessage(null);
    const chosen = rows.filter((r) => r.selected);
    if (!chosen.length) {
      showMessage('noSelection');
      return;
    }
    let dir = null;
    if (intoFolder) {
      try {
        dir = await window.showDirectoryPicker({ mode: 'readwrite' });
      } catch (e) {
        return;
      }
    }
    const runs = [];
    for (const row of chosen) {
      // Damaged: its state says why. Queued or expanding: it is on its way already.
      if (row.fault || row.state === 'queued' || row.state === 'expanding') continue;
      const name = expander.outputName(row.file.name, row.ext);
      if (name.fault) {
        row.state = name.fault === 'noextension' ? 'needsExt' : 'failed';
        row.reason = name.fault;
        showRow(row);
        continue;
      }
      row.output = name.name;
      row.state = 'queued';
      showRow(row);
      runs.push(runJob(row));
    }
    const results = (await Promise.all(runs)).filter(Boolean);
    if (dir) {
      for (const result of results) {
        await writeInto(dir, result).catch(() => {
          result.row.state = 'failed';
          result.row.reason = 'write';
          showRow(result.row);
        });
      }
    } else if (results.length === 1) {
      download(results[0].blob, results[0].row.output);
      done(results[0].row);
    } else if (results.length > 1) {
      download(await zip(results), t('zipName'));
      results.forEach(({ row }) => done(row));
    }
    $('all').checked = false;
  }

  function removeSelected() {
    showMessage(null);
    if (!rows.some((r) => r.selected)) {
      showMessage('noRemoveSelection');
      return;
    }
    for (let i = rows.length - 1; i >= 0; i--) {
      if (!rows[i].selected) continue;
      rows[i].tr.remove();
      rows.splice(i, 1);
    }
    $('all').checked = false;
    showCount();
  }

  // ---- Start

  async function start() {
    const bytes = Uint8Array.from(atob($('zv-module').textContent.trim()), (c) => c.charCodeAt(0));
    const module = await WebAssembly.compile(bytes);
    expander = new ZvExpander.Expander(module);
    const source = new Blob([$('zv-worker').textContent], { type: 'text/javascript' });
    worker = new Worker(URL.createObjectURL(source));
    worker.onmessage = onWorkerMessage;
    worker.postMessage({ type: 'init', module });

    $('language').addEventListener('click', () => {
      lang = lang === 'ja' ? 'en' : 'ja';
      applyTexts();
    });
    $('files').addEventListener('change', async (e) => {
      await addFiles([...e.target.files].map((file) => ({ file, folder: '' })));
      e.target.value = '';
    });
    $('folder').addEventListener('change', async (e) => {
      await addFiles([...e.target.files].map((file) => ({ file, folder: safeFolder(file.webkitRelativePath) })));
      e.target.value = '';
    });
    $('all').addEventListener('change', (e) => rows.forEach((r) => select(r, e.target.checked)));
    $('expand').addEventListener('click', () => expandSelected(false));
    $('expand-into').addEventListener('click', () => expandSelected(true));
    $('expand-into').hidden = typeof window.showDirectoryPicker !== 'function';
    $('remove').addEventListener('click', removeSelected);
    const drop = $('drop');
    document.addEventListener('dragover', (e) => {
      e.preventDefault();
      drop.classList.add('over');
    });
    document.addEventListener('dragleave', () => drop.classList.remove('over'));
    document.addEventListener('drop', onDrop);
    applyTexts();
    document.body.dataset.ready = '1';
  }

  start();
})();
