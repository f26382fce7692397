// Keys typed into the picture reach the plug-in as Win32 key messages: F and
// G move the platform (three of each bring it back exactly), Escape closes
// the display and Enter opens it again; keys the plug-in does not use reach
// the player (C pauses).
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';
import { browserFixture, canvasPixels, compareImages, openStill, pressKey, stepStill } from './support.mjs';

const fixture = browserFixture();
before(fixture.start);
after(fixture.stop);

// Frame 61 of the demo after the keys given were pressed at frame 60.
async function frameAfter(keys) {
  const page = await openStill(fixture, 60);
  for (const key of keys) await pressKey(page, key);
  await stepStill(page);
  return canvasPixels(page);
}

test('F moves the platform away; three F and three G bring it back exactly', async () => {
  const plain = await frameAfter([]);
  const away = await frameAfter(['f', 'f', 'f']);
  const back = await frameAfter(['f', 'f', 'f', 'g', 'g', 'g']);
  assert.equal(compareImages(back, plain, 0).largest, 0);
  const moved = compareImages(away, plain, 0);
  assert.ok(moved.pixelsOver > 1000, `F changes the picture (${moved.pixelsOver} pixels)`);
  // Only the platform moves: the upper half, above it, stays as it was.
  const upper = (image) => ({ ...image, pixels: image.pixels.slice(0, (image.pixels.length * 2) / 5) });
  assert.equal(compareImages(upper(away), upper(plain), 0).largest, 0);
});

test('Escape closes the display, Enter opens it again', async () => {
  const page = await fixture.open('?demo');
  await page.waitForFunction(() => window.velmoPage && window.velmoPage.display === 'running');
  await pressKey(page, 'Escape');
  await page.waitForFunction(() => window.velmoPage.display === 'closed');
  const { pixels } = await canvasPixels(page);
  assert.equal(pixels.filter((p) => p !== 0).length, 0, 'the picture is gone');
  assert.equal(await page.evaluate(() => window.velmoPage.transport), 'playing', 'the music goes on');
  await pressKey(page, 'Enter');
  await page.waitForFunction(() => window.velmoPage.display === 'running');
  assert.deepEqual(page.errors, []);
});

test('a key the plug-in passes on reaches the player: C pauses, X plays', async () => {
  const page = await fixture.open('?demo');
  await page.waitForFunction(() => window.velmoPage && window.velmoPage.display === 'running');
  await pressKey(page, 'c');
  await page.waitForFunction(() => window.velmoPage.transport === 'paused');
  await pressKey(page, 'x');
  await page.waitForFunction(() => window.velmoPage.transport === 'playing');
  assert.deepEqual(page.errors, []);
});
