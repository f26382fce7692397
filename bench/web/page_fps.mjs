// Frames per second of the web page's whole frame (spectrum, plug-in, our
// Glide in WebAssembly, the canvas) in headless Chromium, at 1x: the demo's
// first N frames drawn back to back (index.html?demo&still=N&bench).
//   node bench/web/page_fps.mjs [FRAMES]     (after bash scripts/web.sh --build-only)
import { launchBrowser, serveWebPage } from '../../tests/web/support.mjs';

const frames = Number(process.argv[2] || 1500);
const server = await serveWebPage();
const browser = await launchBrowser();
try {
  const page = await browser.newPage();
  await page.goto(`${server.url}?demo&still=${frames - 1}&bench`);
  await page.waitForFunction(() => document.body.dataset.fps, null, { timeout: 600000, polling: 500 });
  const fps = await page.evaluate(() => Number(document.body.dataset.fps));
  console.log(`web page, headless Chromium, 1x: ${frames} whole frames, ${fps.toFixed(1)} frames/s ` +
              `(${(1000 / fps).toFixed(2)} ms a frame; the plug-in needs 75)`);
} finally {
  await browser.close();
  server.close();
}
