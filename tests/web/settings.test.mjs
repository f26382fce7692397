// The settings dialog, an HTML form laid out from the plug-in's own dialog
// template: OK keeps a changed option in the browser's storage across a
// reload; Cancel and Escape keep nothing; the disabled boxes do not change.
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';
import { browserFixture } from './support.mjs';

const fixture = browserFixture();
before(fixture.start);
after(fixture.stop);

async function openDialog(page) {
  await page.waitForFunction(() => window.velmoPage);
  await page.click('#settings');
  await page.waitForSelector('.velmo-dialog');
  return page.locator('.velmo-dialog');
}

const box = (dialog, text) => dialog.locator('label.velmo-check', { hasText: text }).locator('input');

test('the dialog shows the template: caption, 23 controls, the options checked', async () => {
  const page = await fixture.open('');
  const dialog = await openDialog(page);
  assert.equal(await dialog.getAttribute('aria-label'), "Velmo's Spectrum Setup");
  assert.equal(await dialog.locator('.velmo-body > *').count(), 23);
  assert.equal(await box(dialog, 'Display Time').isChecked(), true);
  assert.equal(await box(dialog, 'Rotate X').isDisabled(), true);
  assert.equal(await dialog.locator('.velmo-text', { hasText: /^12$/ }).count(), 1);
  await dialog.locator('button', { hasText: 'Cancel' }).click();
  await page.waitForSelector('.velmo-dialog', { state: 'detached' });
  assert.deepEqual(page.errors, []);
});

test('OK keeps a changed option across a reload; Cancel and Escape do not', async () => {
  const context = await fixture.browser.newContext();
  const page = await fixture.open('', context);
  let dialog = await openDialog(page);
  await box(dialog, 'Display Time').click();
  await dialog.locator('button', { hasText: 'OK' }).click();
  await page.waitForSelector('.velmo-dialog', { state: 'detached' });
  const stored = await page.evaluate(() => localStorage.getItem('velmo-file:/plugins/plugin.ini'));
  assert.match(stored, /\[Velmo's 3DFX Spectrum Analyzer\]\r\n/);
  assert.match(stored, /DisplayTime=0\r\n/);

  await page.reload();
  dialog = await openDialog(page);
  assert.equal(await box(dialog, 'Display Time').isChecked(), false, 'OK was kept');
  await box(dialog, 'Display Song Name').click();
  await dialog.locator('button', { hasText: 'Cancel' }).click();
  await page.waitForSelector('.velmo-dialog', { state: 'detached' });

  await page.reload();
  dialog = await openDialog(page);
  assert.equal(await box(dialog, 'Display Song Name').isChecked(), true, 'Cancel kept nothing');
  await box(dialog, 'Spin to Beat').click();
  await page.keyboard.press('Escape');
  await page.waitForSelector('.velmo-dialog', { state: 'detached' });

  await page.reload();
  dialog = await openDialog(page);
  assert.equal(await box(dialog, 'Spin to Beat').isChecked(), true, 'Escape kept nothing');
  assert.equal(await box(dialog, 'Display Time').isChecked(), false);
  assert.deepEqual(page.errors, []);
});
