// A file chosen by the user plays, its title is the caption the plug-in
// reads, and the spectrum of a known tone peaks in the bin (so the band) the
// native player gives it: i * 44100 / 1152 Hz for bin i. The microphone
// (Chromium's stand-in device) drives the picture as live input.
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';
import { browserFixture, launchBrowser } from './support.mjs';

const fixture = browserFixture();
before(fixture.start);
after(fixture.stop);

// Three seconds of a 1 kHz sine, 16-bit stereo at 44.1 kHz.
function toneWav(hz = 1000, seconds = 3, rate = 44100) {
  const frames = seconds * rate;
  const wav = Buffer.alloc(44 + frames * 4);
  wav.write('RIFF', 0); wav.writeUInt32LE(36 + frames * 4, 4); wav.write('WAVEfmt ', 8);
  wav.writeUInt32LE(16, 16); wav.writeUInt16LE(1, 20); wav.writeUInt16LE(2, 22);
  wav.writeUInt32LE(rate, 24); wav.writeUInt32LE(rate * 4, 28); wav.writeUInt16LE(4, 32);
  wav.writeUInt16LE(16, 34); wav.write('data', 36); wav.writeUInt32LE(frames * 4, 40);
  for (let i = 0; i < frames; i++) {
    const sample = Math.round(0.3 * 32767 * Math.sin((2 * Math.PI * hz * i) / rate));
    wav.writeInt16LE(sample, 44 + 4 * i);
    wav.writeInt16LE(sample, 46 + 4 * i);
  }
  return wav;
}

const peakBin = (bins) => bins.indexOf(Math.max(...bins));

test('a chosen file plays under its name, and a 1 kHz tone peaks in bin 26', async () => {
  const page = await fixture.open('');
  await page.waitForFunction(() => window.velmoPage);
  await page.setInputFiles('#file', { name: 'Test Tone.wav', mimeType: 'audio/wav', buffer: toneWav() });
  await page.waitForFunction(() => window.velmoPage.display === 'running');
  assert.equal(await page.textContent('#caption'), '1. Test Tone - Winamp');
  assert.equal(await page.evaluate(() => window.velmoPage.transport), 'playing');
  await page.waitForTimeout(500);
  const spectrum = await page.evaluate(() => window.velmoPage.spectrum());
  const expected = Math.round((1000 * 1152) / 44100);  // 26.1
  assert.equal(peakBin(spectrum.slice(0, 576)), expected);
  assert.equal(peakBin(spectrum.slice(576)), expected);
  assert.ok(spectrum[expected] > 100, `the tone is loud in its bin (${spectrum[expected]})`);
  assert.deepEqual(page.errors, []);
});

test('files dropped on the page make a playlist the player keys walk through', async () => {
  const page = await fixture.open('');
  await page.waitForFunction(() => window.velmoPage);
  // Long enough that the first is still playing when a busy machine first
  // looks; at 11025 Hz (the page resamples) to keep the files small.
  const files = [['First.wav', 440], ['Second.wav', 880]].map(([name, hz]) => ({
    name, bytes: Array.from(toneWav(hz, 30, 11025)) }));
  await page.evaluate((files) => {
    const transfer = new DataTransfer();
    for (const { name, bytes } of files) transfer.items.add(new File([new Uint8Array(bytes)], name, { type: 'audio/wav' }));
    document.body.dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true }));
  }, files);
  await page.waitForFunction(() => window.velmoPage.display === 'running');
  assert.equal(await page.textContent('#caption'), '1. First - Winamp');
  await page.focus('#picture');
  await page.keyboard.press('b');  // next
  await page.waitForFunction(() => window.velmoPage.caption === '2. Second - Winamp');
  await page.keyboard.press('v');  // stop
  await page.waitForFunction(() => window.velmoPage.transport === 'stopped');
  await page.keyboard.press('z');  // previous
  await page.waitForFunction(() => window.velmoPage.caption === '1. First - Winamp');
  assert.equal(await page.evaluate(() => window.velmoPage.transport), 'stopped', 'stopped stays stopped');
  assert.deepEqual(page.errors, []);
});

test('the microphone drives the picture as live input', async () => {
  const browser = await launchBrowser(['--use-fake-device-for-media-stream', '--use-fake-ui-for-media-stream']);
  try {
    const page = await browser.newPage();
    await page.goto(fixture.server.url);
    await page.waitForFunction(() => window.velmoPage);
    await page.click('#microphone');
    await page.waitForFunction(() => window.velmoPage.display === 'running');
    assert.equal(await page.textContent('#caption'), '1. Live input - Winamp');
    // The stand-in device beeps: the newest window is never all silence for long.
    await page.waitForFunction(() => window.velmoPage.spectrum().some((level) => level > 0), null,
                               { timeout: 10000 });
  } finally {
    await browser.close();
  }
});
