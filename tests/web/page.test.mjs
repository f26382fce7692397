// The page loads cleanly, ?demo starts the picture at once, it needs no
// network once loaded, and a browser without WebAssembly or Web Audio is
// told plainly what is missing.
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';
import { browserFixture, canvasPixels } from './support.mjs';

const fixture = browserFixture();
before(fixture.start);
after(fixture.stop);

test('?demo plays the demo at once, with no console error', async () => {
  const page = await fixture.open('?demo');
  await page.waitForFunction(() => window.velmoPage && window.velmoPage.display === 'running');
  await page.waitForTimeout(1000);
  const { pixels } = await canvasPixels(page);
  const lit = pixels.filter((p) => p !== 0).length;
  assert.ok(lit > pixels.length / 4, `the backdrop covers most of the picture (${lit} lit pixels)`);
  assert.equal(await page.textContent('#caption'), '1. Velmo - Demo - Winamp');
  assert.equal(await page.evaluate(() => window.velmoPage.transport), 'playing');
  assert.deepEqual(page.errors, []);
});

test('without ?demo the page waits for the user; once loaded it needs no network', async () => {
  const context = await fixture.browser.newContext();
  const page = await fixture.open('', context);
  await page.waitForFunction(() => window.velmoPage);
  assert.equal(await page.evaluate(() => window.velmoPage.display), 'closed');
  await context.setOffline(true);
  await page.click('#demo');
  await page.waitForFunction(() => window.velmoPage.display === 'running');
  await page.click('#settings');
  await page.waitForSelector('.velmo-dialog');
  assert.deepEqual(page.errors, []);
});

test('a browser without WebAssembly or Web Audio is told what the page needs', async () => {
  const context = await fixture.browser.newContext();
  // As a browser that has neither.
  await context.addInitScript(() => {
    delete window.WebAssembly;
    delete window.AudioContext;
    delete window.webkitAudioContext;
  });
  const page = await fixture.open('?demo', context);
  await page.waitForSelector('#needs:not([hidden])');
  const text = await page.textContent('#needs');
  assert.match(text, /needs WebAssembly .* and the Web Audio API/);
  assert.equal(await page.isDisabled('#demo'), true);
  assert.deepEqual(page.errors, []);
});
