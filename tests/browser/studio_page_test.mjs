// The studio's page in a real headless Chromium: each step as a user takes
// it, with a screenshot after each into SCREENSHOTS.
//   STUDIO_URL=http://127.0.0.1:PORT/?token=... OUTPUT_DIR=... SCREENSHOTS=... node studio_page_test.mjs
import { chromium } from 'playwright-core';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

const url = process.env.STUDIO_URL;
const outputDir = process.env.OUTPUT_DIR;
const shots = process.env.SCREENSHOTS;
fs.mkdirSync(shots, { recursive: true });

const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'horaz-chromium-'));
const browser = await chromium.launchPersistentContext(profile, {
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  headless: true,
  acceptDownloads: true,
  viewport: { width: 1400, height: 900 },
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
         '--disable-component-update', '--disable-sync'],
});
const page = browser.pages()[0] || await browser.newPage();
const problems = [];
page.on('pageerror', (error) => problems.push(error.message));

let failures = 0;
async function step(name, body) {
  try {
    await body();
    console.log(`ok    ${name}`);
  } catch (error) {
    failures += 1;
    console.log(`FAIL  ${name}\n      ${error.message.split('\n').join('\n      ')}`);
  }
  await page.screenshot({ path: path.join(shots, `${name}.png`) });
}

const row = (parameter) => page.locator(`.control[data-parameter="${parameter}"]`);
const numberOf = async (parameter) => Number(await row(parameter).locator('input[type=number]').inputValue());
const statusText = () => page.locator('#status').textContent();

await step('01-open', async () => {
  await page.goto(url);
  await page.waitForSelector('body[data-ready=true]', { timeout: 20000 });
  assert.equal(await page.locator('.control').count() > 30, true, 'the panel shows its controls');
  assert.equal(await page.locator('#viewer').evaluate((image) => image.naturalWidth > 0), true, 'the viewer shows a picture');
});

await step('02-style-greys-controls', async () => {
  await row('Style List').locator('select').selectOption({ label: 'TC hh:mm:ss:ff' });
  await page.waitForFunction(() =>
    !document.querySelector('.control[data-parameter="Start Time Frame"]').classList.contains('unavailable'));
  for (const greyed of ['Start Time Millsecond', 'Stop Time Hour', 'Start Time Year', 'Start Time'])
    assert.ok(await row(greyed).evaluate((e) => e.classList.contains('unavailable')), `${greyed} is greyed`);
  assert.ok(await row('Start Time Millsecond').locator('input[type=number]').isDisabled(), 'greyed controls cannot be edited');
  await row('Style List').locator('select').selectOption({ label: 'Free Format' });
  await page.waitForFunction(() =>
    !document.querySelector('.control[data-parameter="Start Time"]').classList.contains('unavailable'));
  assert.ok(await row('Start Time Frame').evaluate((e) => e.classList.contains('unavailable')), 'Start Time Frame is greyed');
});

await step('03-drag-the-clock', async () => {
  const viewer = page.locator('#viewer');
  const before = await viewer.screenshot();
  const box = await viewer.boundingBox();
  await page.mouse.move(box.x + box.width * 0.5, box.y + box.height * 0.5);
  await page.mouse.down();
  await page.mouse.move(box.x + box.width * 0.35, box.y + box.height * 0.6, { steps: 4 });
  await page.mouse.move(box.x + box.width * 0.25, box.y + box.height * 0.75, { steps: 4 });
  await page.mouse.up();
  await page.waitForFunction(() => Math.abs(Number(document.querySelector('.control[data-parameter="X"] input[type=number]').value) - 25) < 1);
  assert.ok(Math.abs(await numberOf('Y') - 75) < 1, `Y follows the mouse (${await numberOf('Y')})`);
  await page.waitForTimeout(300);
  assert.notDeepEqual(await viewer.screenshot(), before, 'the picture shows the moved clock');
});

await step('04-pick-a-font', async () => {
  await row('the List value').locator('select').selectOption({ label: 'Digital Clock' });
  await page.locator('#command-font').click();
  await page.locator('#font-dialog[open]').waitFor();
  await page.locator('#font-face').selectOption('DejaVu Serif');
  await page.locator('#font-bold').check();
  await page.locator('#font-height').fill('48');
  await page.screenshot({ path: path.join(shots, '04-font-dialog.png') });
  await page.locator('#font-ok').click();
  await page.waitForFunction(() => document.querySelector('#status').textContent.includes('DejaVu Serif'));
  assert.match(await statusText(), /weight 700/);
});

await step('05-save-and-load-the-project', async () => {
  const [download] = await Promise.all([page.waitForEvent('download'), page.locator('#save-project').click()]);
  const saved = path.join(profile, 'saved.horaz.json');
  await download.saveAs(saved);
  const project = JSON.parse(fs.readFileSync(saved, 'utf8'));
  assert.equal(project.font.face, 'DejaVu Serif');
  const savedX = project.parameters.X.value;
  await row('X').locator('input[type=number]').fill('80');
  await row('X').locator('input[type=number]').press('Enter');
  await page.waitForFunction(() => document.querySelector('.control[data-parameter="X"] input[type=number]').value === '80');
  await page.locator('#load-project').setInputFiles(saved);
  await page.waitForFunction(() => document.querySelector('#status').textContent.startsWith('loaded'));
  assert.ok(Math.abs(await numberOf('X') - savedX) < 0.001, `the loaded project puts X back (${await numberOf('X')})`);
  await page.locator('#copy-command').click();
  await page.waitForFunction(() => document.querySelector('#command-line').value.startsWith('horaz render'));
  assert.match(await page.locator('#command-line').inputValue(), /--font 'DejaVu Serif:bold:48'/);
});

await step('06-render-a-short-clip', async () => {
  await page.locator('#output-path').fill('browser-clip.y4m');
  await page.locator('#input-size').fill('640x360');
  await page.locator('#output-frames').fill('40');
  await page.locator('#apply-clip').click();
  await page.waitForTimeout(500);
  await page.locator('#render-start').click();
  await page.waitForFunction(() => document.querySelector('#render-text').dataset.state === 'running', null, { timeout: 10000 });
  await page.screenshot({ path: path.join(shots, '06-render-running.png') });
  await page.waitForFunction(() => document.querySelector('#render-text').dataset.state === 'done', null, { timeout: 120000 });
  assert.equal(await page.locator('#render-progress').evaluate((p) => p.value === p.max), true, 'the progress bar is full');
  assert.ok(fs.existsSync(path.join(outputDir, 'browser-clip.y4m')), 'the file is there');
});

await step('07-cancel-a-render', async () => {
  await page.locator('#output-path').fill('cancelled.y4m');
  await page.locator('#output-frames').fill('5000');
  await page.locator('#render-start').click();
  await page.waitForFunction(() => document.querySelector('#render-text').dataset.state === 'running', null, { timeout: 10000 });
  await page.locator('#render-cancel').click();
  await page.waitForFunction(() => document.querySelector('#render-text').dataset.state === 'cancelled', null, { timeout: 20000 });
  assert.deepEqual(fs.readdirSync(outputDir), ['browser-clip.y4m'], 'nothing of the cancelled render is left');
});

await browser.close();
fs.rmSync(profile, { recursive: true, force: true });
if (problems.length) {
  console.log(`FAIL  the page reported errors:\n      ${problems.join('\n      ')}`);
  failures += 1;
}
console.log(failures ? `${failures} step(s) failed; screenshots in ${shots}` : `all steps passed; screenshots in ${shots}`);
process.exit(failures ? 1 : 0);
