// The studio's page: builds the panel from what the plug-in registered
// (GET /api/panel), shows the viewer picture with the overlay's marker and
// passes the mouse to the overlay, and drives the font command, keyframes,
// projects and renders through the JSON API.
'use strict';

const token = new URLSearchParams(location.search).get('token') || '';
const $ = (id) => document.getElementById(id);
const state = { panel: null, values: {}, clip: null, time: 0, dragging: false, rendering: false };

function say(message) { $('status').textContent = message || ''; }

async function api(path, body, method) {
  const options = { method: method || (body === undefined ? 'GET' : 'POST'), headers: { 'X-Horaz-Token': token } };
  if (body !== undefined) {
    options.headers['Content-Type'] = 'application/json';
    options.body = typeof body === 'string' ? body : JSON.stringify(body);
  }
  const response = await fetch(path, options);
  const type = response.headers.get('Content-Type') || '';
  const result = type.startsWith('application/json') ? await response.json() : await response.blob();
  if (!response.ok) throw new Error(result.error || response.statusText);
  return result;
}

// Requests that change the project run one after the other, in order.
let queue = Promise.resolve();
function serial(task) {
  queue = queue.then(task).catch((error) => say(error.message));
  return queue;
}

// --- the viewer ---------------------------------------------------------------

// The viewer shows the frame at its display aspect, fitted into 768 x 432.
function viewerSize() {
  const clip = state.clip;
  const displayHeight = clip.width / clip.aspect;
  const fit = Math.min(768 / clip.width, 432 / displayHeight);
  return { width: Math.max(16, Math.round(clip.width * fit)), height: Math.max(16, Math.round(displayHeight * fit)) };
}

let pictureUrl = null;
async function showViewer() {
  const { width, height } = viewerSize();
  const picture = await api(`/api/viewer.png?time=${state.time}&width=${width}&height=${height}`);
  if (pictureUrl) URL.revokeObjectURL(pictureUrl);
  pictureUrl = URL.createObjectURL(picture);
  const image = $('viewer');
  image.width = width;
  image.height = height;
  image.src = pictureUrl;
}

function pointerAt(event) {
  const image = $('viewer');
  const box = image.getBoundingClientRect();
  return { x: (event.clientX - box.left) * image.width / box.width, y: (event.clientY - box.top) * image.height / box.height };
}

function sendPointer(kind, position) {
  const { width, height } = viewerSize();
  return serial(async () => {
    const answer = await api(`/api/viewer/${kind}`, { ...position, width, height, time: state.time });
    if (kind === 'press') state.dragging = answer.answer === 1;
    await refresh();
  });
}

// Drags are coalesced: one in flight at a time, then the latest position.
let dragInFlight = false;
let dragWaiting = null;
function sendDrag(position) {
  dragWaiting = position;
  if (dragInFlight) return queue;
  dragInFlight = true;
  const next = dragWaiting;
  dragWaiting = null;
  return sendPointer('drag', next).then(() => {
    dragInFlight = false;
    if (dragWaiting) return sendDrag(dragWaiting);
  });
}

function setUpViewer() {
  const image = $('viewer');
  let last = null;
  image.addEventListener('pointerdown', (event) => {
    image.setPointerCapture(event.pointerId);
    last = pointerAt(event);
    sendPointer('press', last);
  });
  image.addEventListener('pointermove', (event) => {
    if (!(event.buttons & 1) || !last) return;
    last = pointerAt(event);
    sendDrag(last);
  });
  image.addEventListener('pointerup', (event) => {
    if (!last) return;
    const position = pointerAt(event);
    // The overlay takes the clock where the mouse let go.
    if (position.x !== last.x || position.y !== last.y) sendDrag(position);
    last = null;
    queue.then(() => sendPointer('release', position));
  });
  $('mode').addEventListener('change', () => serial(() => api('/api/viewer/settings', { mode: Number($('mode').value) })));
  $('time').addEventListener('input', () => setTime(Number($('time').value)));
  $('previous-frame').addEventListener('click', () => setTime(state.time - 1));
  $('next-frame').addEventListener('click', () => setTime(state.time + 1));
}

function setTime(time) {
  const first = state.clip.output.start;
  const last = first + state.clip.output.frames - 1;
  state.time = Math.min(last, Math.max(first, Math.round(time)));
  $('time').value = state.time;
  $('time-text').textContent = `frame ${state.time}`;
  serial(refresh);
}

// --- the panel ----------------------------------------------------------------

const numericKinds = new Set(['double', 'integer', 'speed integer']);

function controlLabel(control) { return control.label || control.parameter || ''; }

function buildControl(control, controls) {
  const kind = control.kind;
  if (kind === 'group') {
    const fieldset = document.createElement('fieldset');
    fieldset.className = 'group';
    const legend = document.createElement('legend');
    legend.textContent = control.label;
    fieldset.append(legend);
    for (const child of control.children) {
      // The alignment group and its pop-up share an id: the pop-up is the control.
      const element = buildControl(controls[child], controls);
      if (element) fieldset.append(element);
    }
    return withAvailability(fieldset, control);
  }
  if (kind === 'list item') return null;
  const row = document.createElement('div');
  row.className = 'control';
  row.dataset.parameter = control.parameter || '';
  const name = document.createElement('span');
  name.className = 'name';
  name.textContent = controlLabel(control);
  name.title = control.description || control.parameter || '';
  row.append(name);
  const parameter = control.parameter;
  if (kind === 'pop-up list') {
    const select = document.createElement('select');
    select.setAttribute('aria-label', controlLabel(control));
    for (const child of control.children) {
      const item = controls[child];
      const option = document.createElement('option');
      option.textContent = item.label;
      option.value = item.value === null ? 0 : item.value;  // the effect reads 0 for an item without a value
      select.append(option);
    }
    select.addEventListener('change', () => change(parameter, Number(select.value)));
    row.append(select, document.createElement('span'));
  } else if (kind === 'slider') {
    const range = document.createElement('input');
    range.type = 'range';
    range.min = control.minimum ?? 0;
    range.max = control.maximum ?? 100;
    range.step = control.step ?? 1;
    range.setAttribute('aria-label', controlLabel(control));
    const number = document.createElement('input');
    number.type = 'number';
    number.min = range.min; number.max = range.max; number.step = range.step;
    const cell = document.createElement('div');
    cell.className = 'row';
    cell.append(range, number);
    range.addEventListener('input', () => { number.value = range.value; change(parameter, Number(range.value)); });
    number.addEventListener('change', () => change(parameter, Number(number.value)));
    row.append(cell, keyButtons(parameter));
  } else if (kind === 'check box') {
    const box = document.createElement('input');
    box.type = 'checkbox';
    box.setAttribute('aria-label', controlLabel(control));
    box.addEventListener('change', () => change(parameter, box.checked ? 1 : 0));
    row.append(box, document.createElement('span'));
  } else if (kind === 'text field') {
    const text = document.createElement('input');
    text.type = 'text';
    text.setAttribute('aria-label', controlLabel(control));
    text.addEventListener('change', () => change(parameter, text.value));
    row.append(text, document.createElement('span'));
  } else if (kind === 'colour control') {
    const colour = document.createElement('input');
    colour.type = 'color';
    colour.dataset.channels = JSON.stringify(control.channels || []);
    colour.setAttribute('aria-label', controlLabel(control));
    colour.addEventListener('input', () => {
      const hex = colour.value;
      change(parameter, hex.toUpperCase());
    });
    row.append(colour, document.createElement('span'));
    const wrapper = document.createElement('div');
    wrapper.append(withAvailability(row, control));
    for (const child of control.children) wrapper.append(buildControl(controls[child], controls));
    return wrapper;
  } else {
    row.append(document.createElement('span'), document.createElement('span'));
  }
  return withAvailability(row, control);
}

function withAvailability(element, control) {
  element.dataset.control = control.index;
  return element;
}

function keyButtons(parameter) {
  const keys = document.createElement('div');
  keys.className = 'keys';
  const button = (text, title, action) => {
    const b = document.createElement('button');
    b.textContent = text;
    b.title = title;
    b.addEventListener('click', action);
    keys.append(b);
  };
  button('\u25C0', 'previous keyframe', () => jumpKey(parameter, -1));
  button('\u25C6', 'set a keyframe here', () => {
    const value = state.values[parameter].value;
    serial(async () => { await api('/api/parameters', { name: parameter, value, time: state.time, keyframe: true }); await refresh(); });
  });
  button('\u2715', 'remove the keyframe here', () =>
    serial(async () => { await api('/api/keyframes/remove', { name: parameter, time: state.time }); await refresh(); }));
  button('\u25B6', 'next keyframe', () => jumpKey(parameter, 1));
  return keys;
}

function jumpKey(parameter, direction) {
  const keys = state.values[parameter].keyframes;
  const candidates = direction > 0 ? keys.filter((k) => k > state.time) : keys.filter((k) => k < state.time).reverse();
  if (candidates.length) setTime(candidates[0]);
  else say(`${parameter} has no keyframe ${direction > 0 ? 'after' : 'before'} frame ${state.time}`);
}

let changePending = null;
function change(parameter, value) {
  // While a slider moves, only its latest value is sent.
  const first = changePending === null;
  changePending = { parameter, value };
  if (!first) return;
  serial(async () => {
    const latest = changePending;
    changePending = null;
    await api('/api/parameters', { name: latest.parameter, value: latest.value, time: state.time });
    say('');
    await refresh();
  });
}

function hex(n) { return Math.max(0, Math.min(255, Math.round(n))).toString(16).padStart(2, '0'); }

function showValues() {
  const panel = state.panel;
  for (const element of document.querySelectorAll('[data-control]')) {
    const control = panel.controls[Number(element.dataset.control)];
    element.classList.toggle('unavailable', !control.available);
    element.querySelectorAll(':scope > select, :scope > input, :scope > .row > input').forEach((input) => {
      input.disabled = !control.available;
    });
    const parameter = control.parameter && state.values[control.parameter];
    if (control.kind === 'colour control') {
      const channels = control.channels.map((name) => state.values[name].value);
      element.querySelector('input[type=color]').value = '#' + channels.map(hex).join('');
      continue;
    }
    if (!parameter) continue;
    element.querySelectorAll('input, select').forEach((input) => {
      if (input.type === 'checkbox') input.checked = parameter.value !== 0;
      else if (input.type === 'number') input.value = Math.round(parameter.value * 1000) / 1000;
      else input.value = parameter.value;
    });
    element.classList.toggle('animated', parameter.keyframes.length > 0);
    element.classList.toggle('keyed', parameter.keyframes.includes(state.time));
  }
}

async function refresh() {
  const [panel, values] = await Promise.all([api('/api/panel'), api(`/api/parameters?time=${state.time}`)]);
  state.panel.controls.forEach((control, i) => { control.available = panel.controls[i].available; });
  state.values = values.parameters;
  showValues();
  await showViewer();
}

// --- the font command ------------------------------------------------------------

async function chooseFont() {
  const [fonts, record] = await Promise.all([api('/api/fonts'), api('/api/font')]);
  const select = $('font-face');
  select.replaceChildren(...fonts.families.map((family) => new Option(family, family)));
  select.value = record.face || 'DejaVu Sans';
  $('font-height').value = Math.abs(record.height) || 32;
  $('font-bold').checked = record.weight >= 700;
  $('font-italic').checked = record.italic;
  $('font-underline').checked = record.underline;
  $('font-strikeout').checked = record.strikeout;
  $('font-dialog').showModal();
}

function answerFont(confirmed) {
  const answer = confirmed
    ? { face: $('font-face').value, height: Number($('font-height').value), bold: $('font-bold').checked,
        italic: $('font-italic').checked, underline: $('font-underline').checked, strikeout: $('font-strikeout').checked }
    : { cancel: true };
  serial(async () => {
    const record = await api('/api/font', answer);
    say(confirmed ? `font: ${record.face}, height ${record.height}, weight ${record.weight}` : 'font unchanged');
    await refresh();
  });
}

// --- clip, project, command line, render -------------------------------------------

function showClip(clip) {
  state.clip = clip;
  $('input-source').value = clip.input.source;
  $('input-size').value = clip.input.size;
  $('input-rate').value = clip.input.frameRate;
  $('input-aspect').value = clip.input.pixelAspect;
  $('input-fields').value = clip.input.fields;
  $('input-format').value = clip.input.format;
  $('output-start').value = clip.output.start;
  $('output-frames').value = clip.output.frames;
  $('output-path').value = clip.output.path;
  $('time').min = clip.output.start;
  $('time').max = clip.output.start + clip.output.frames - 1;
  state.time = Math.min(Math.max(state.time, clip.output.start), clip.output.start + clip.output.frames - 1);
  $('time').value = state.time;
  $('time-text').textContent = `frame ${state.time}`;
}

function applyClip() {
  serial(async () => {
    showClip(await api('/api/clip', {
      input: { source: $('input-source').value, size: $('input-size').value, frameRate: $('input-rate').value,
               pixelAspect: $('input-aspect').value, fields: $('input-fields').value, format: $('input-format').value },
      output: { start: Number($('output-start').value), frames: Number($('output-frames').value), path: $('output-path').value },
    }));
    say('');
    await refresh();
  });
}

async function saveProject() {
  const project = await api('/api/project');
  const link = document.createElement('a');
  link.href = URL.createObjectURL(new Blob([JSON.stringify(project, null, 2)], { type: 'application/json' }));
  link.download = 'clock.horaz.json';
  link.click();
  say('project saved as clock.horaz.json');
}

function loadProject(file) {
  serial(async () => {
    await api('/api/project', await file.text(), 'PUT');
    showClip(await api('/api/clip'));
    await refresh();
    say(`loaded ${file.name}`);
  });
}

async function copyCommand() {
  const command = await api('/api/command-line');
  $('command-line').value = command.text;
  try {
    await navigator.clipboard.writeText(command.text);
    say('command line copied');
  } catch {
    $('command-line').select();
    say('select the command line below and copy it');
  }
}

function clockText(seconds) {
  const s = Math.round(seconds);
  return `${Math.floor(s / 60)}:${String(s % 60).padStart(2, '0')}`;
}

function showRender(status) {
  $('render-progress').max = Math.max(1, status.total);
  $('render-progress').value = status.done;
  let text = status.state === 'running' ? `${status.done}/${status.total} frames` : status.message;
  if (status.state === 'running' && status.secondsLeft !== null) text += `, ${clockText(status.secondsLeft)} left`;
  $('render-text').textContent = text;
  $('render-text').dataset.state = status.state;
  $('render-start').disabled = status.state === 'running';
  $('render-cancel').disabled = status.state !== 'running';
}

async function followRender() {
  const status = await api('/api/render');
  showRender(status);
  if (status.state === 'running') setTimeout(() => followRender().catch((e) => say(e.message)), 250);
}

function startRender() {
  serial(async () => {
    showRender(await api('/api/render', { path: $('output-path').value, frames: Number($('output-frames').value) }));
    followRender();
  });
}

// --- start ---------------------------------------------------------------------

async function start() {
  setUpViewer();
  $('save-project').addEventListener('click', () => saveProject().catch((e) => say(e.message)));
  $('load-project').addEventListener('change', (event) => { if (event.target.files[0]) loadProject(event.target.files[0]); event.target.value = ''; });
  $('copy-command').addEventListener('click', () => copyCommand().catch((e) => say(e.message)));
  $('apply-clip').addEventListener('click', applyClip);
  $('render-start').addEventListener('click', startRender);
  $('render-cancel').addEventListener('click', () => api('/api/render/cancel', {}).then(showRender).catch((e) => say(e.message)));
  $('font-ok').addEventListener('click', () => answerFont(true));
  $('font-cancel').addEventListener('click', () => answerFont(false));
  try {
    state.panel = await api('/api/panel');
    showClip(await api('/api/clip'));
    const panel = $('panel');
    for (const control of state.panel.controls) if (control.depth === 0) panel.append(buildControl(control, state.panel.controls));
    for (const command of state.panel.commands) {
      const button = document.createElement('button');
      button.id = `command-${command.id}`;
      button.textContent = command.label;
      button.addEventListener('click', () => chooseFont().catch((e) => say(e.message)));
      panel.append(button);
    }
    $('mode').value = String((await api('/api/viewer/settings')).mode);
    await refresh();
    await followRender();
    document.body.dataset.ready = 'true';
  } catch (error) {
    say(error.message);
  }
}

start();
