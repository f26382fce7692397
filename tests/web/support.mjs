// What the browser tests share: the page served from its build folder,
// Debian's Chromium started headless through playwright-core, a skip with
// its reason when either is missing, and image comparison.
import { existsSync } from 'node:fs';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';

const here = dirname(fileURLToPath(import.meta.url));
export const sourceDir = resolve(here, '../..');
export const pageDir = process.env.VELMO_WEB_DIR || join(sourceDir, 'build/web');
export const chromiumPath = process.env.VELMO_CHROMIUM || '/usr/bin/chromium';
const skipStatus = 77;  // ctest's SKIP_RETURN_CODE for these tests

// Ends the test program as skipped, saying why, when a need is not met.
export function skipUnless(condition, reason) {
  if (condition) return;
  console.log(`SKIPPED: ${reason}`);
  process.exit(skipStatus);
}

export async function requireBrowser() {
  skipUnless(existsSync(chromiumPath), `no Chromium at ${chromiumPath} (scripts/setup.sh installs Debian's chromium)`);
  skipUnless(existsSync(join(pageDir, 'velmo.wasm')), `the page is not built in ${pageDir} (bash scripts/web.sh --build-only)`);
  try {
    await import('playwright-core');
  } catch {
    skipUnless(false, 'playwright-core is not installed (scripts/setup.sh runs npm ci in tests/web)');
  }
}

// The flags Chromium needs on these machines: no sandbox as root, no network
// of its own, no GPU; sound may start without a click.
export async function launchBrowser(extraArgs = []) {
  const { chromium } = await import('playwright-core');
  return chromium.launch({
    executablePath: chromiumPath,
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync',
           '--autoplay-policy=no-user-gesture-required', ...extraArgs],
  });
}

export async function serveWebPage() {
  const { serveFolder } = await import(join(sourceDir, 'web/serve.mjs'));
  const server = await serveFolder(pageDir);
  return { url: `http://127.0.0.1:${server.address().port}/`, close: () => server.close() };
}

// A page that records every console error and uncaught exception.
export async function openPage(context, url) {
  const page = await context.newPage();
  page.errors = [];
  page.on('console', (message) => { if (message.type() === 'error') page.errors.push(message.text()); });
  page.on('pageerror', (error) => page.errors.push(String(error)));
  await page.goto(url);
  return page;
}

export async function frameOf(page, n) {
  await page.waitForFunction((n) => document.body.dataset.frame === String(n), n, { timeout: 120000 });
}

// The canvas as RGB numbers (0xRRGGBB), top row first.
export async function canvasPixels(page) {
  return page.evaluate(() => {
    const canvas = document.getElementById('picture');
    const data = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
    const pixels = new Array(data.length / 4);
    for (let i = 0; i < pixels.length; i++) pixels[i] = (data[4 * i] << 16) | (data[4 * i + 1] << 8) | data[4 * i + 2];
    return { width: canvas.width, height: canvas.height, pixels };
  });
}

// As tests/scene/png_image.cpp compares frames: per pixel the largest channel
// difference, the pixels above the threshold, and the mean over all channels.
export function compareImages(a, b, threshold) {
  if (a.width !== b.width || a.height !== b.height) return { pixelsOver: Infinity, meanAbsolute: 255, largest: 255 };
  let total = 0, pixelsOver = 0, largest = 0;
  for (let i = 0; i < a.pixels.length; i++) {
    let worst = 0;
    for (let shift = 0; shift <= 16; shift += 8) {
      const diff = Math.abs(((a.pixels[i] >> shift) & 0xff) - ((b.pixels[i] >> shift) & 0xff));
      total += diff;
      worst = Math.max(worst, diff);
    }
    largest = Math.max(largest, worst);
    if (worst > threshold) pixelsOver++;
  }
  return { pixelsOver, meanAbsolute: total / (3 * a.pixels.length), largest };
}

// One browser and server for a test program: `before(start)`, `after(stop)`.
export function browserFixture(extraArgs = []) {
  const fixture = {
    async start() {
      await requireBrowser();
      fixture.server = await serveWebPage();
      fixture.browser = await launchBrowser(extraArgs);
    },
    async stop() {
      if (fixture.browser) await fixture.browser.close();
      if (fixture.server) fixture.server.close();
    },
    // A fresh profile (own storage) unless a context is given.
    async open(query = '', context = null) {
      const owner = context || (await fixture.browser.newContext());
      return openPage(owner, fixture.server.url + query);
    },
  };
  return fixture;
}

// A key typed into the picture: down and up, as a person presses it.
export async function pressKey(page, key) {
  await page.focus('#picture');
  await page.keyboard.press(key);
}

// The still of the demo (?demo&still=N) held at frame N.
export async function openStill(fixture, frame, context = null) {
  const page = await fixture.open(`?demo&still=${frame}`, context);
  await frameOf(page, frame);
  return page;
}

export async function stepStill(page, frames = 1) {
  const target = await page.evaluate((frames) => {
    window.velmoPage.step(frames);
    return Number(document.body.dataset.frame) + frames;
  }, frames);
  await frameOf(page, target);
}
