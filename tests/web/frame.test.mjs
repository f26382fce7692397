// Frame 300 of the demo in the page is the native player's frame 300 of the
// same demo (velmo snapshot), within the reference frames' tolerance.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { existsSync, mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, test } from 'node:test';
import { browserFixture, canvasPixels, compareImages, openStill, skipUnless } from './support.mjs';

// As tests/scene/frames_test.cpp.
const kChannelThreshold = 6, kMaxPixelsOverShare = 0.002, kMaxMeanDifference = 0.25;
const native = process.env.VELMO_NATIVE_VELMO || '';
skipUnless(existsSync(native), `no native velmo at "${native}" to compare with (cmake --build --preset native)`);

const fixture = browserFixture();
before(fixture.start);
after(fixture.stop);

test('frame 300 of the demo is the native frame 300', async () => {
  const folder = mkdtempSync(join(tmpdir(), 'velmo-web-'));
  try {
    const png = join(folder, 'frame300.png');
    execFileSync(native, ['snapshot', '--at', '4', '-o', png]);  // 4 s at 75 frames/s
    const page = await openStill(fixture, 300);
    const web = await canvasPixels(page);
    const reference = await page.evaluate(async (data) => {
      const image = new Image();
      image.src = 'data:image/png;base64,' + data;
      await image.decode();
      const canvas = new OffscreenCanvas(image.width, image.height);
      canvas.getContext('2d').drawImage(image, 0, 0);
      const rgba = canvas.getContext('2d').getImageData(0, 0, image.width, image.height).data;
      const pixels = [];
      for (let i = 0; i < rgba.length; i += 4) pixels.push((rgba[i] << 16) | (rgba[i + 1] << 8) | rgba[i + 2]);
      return { width: image.width, height: image.height, pixels };
    }, readFileSync(png).toString('base64'));
    const d = compareImages(web, reference, kChannelThreshold);
    assert.ok(d.pixelsOver <= kMaxPixelsOverShare * web.pixels.length && d.meanAbsolute < kMaxMeanDifference,
              `${d.pixelsOver} pixels differ by more than ${kChannelThreshold}, mean ${d.meanAbsolute}, largest ${d.largest}`);
    assert.deepEqual(page.errors, []);
  } finally {
    rmSync(folder, { recursive: true, force: true });
  }
});
