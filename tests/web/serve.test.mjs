// The page's server as scripts/web.sh runs it, a process of its own on
// 127.0.0.1 (ended by `timeout` should this test die first): requests that
// stopped it or reached outside its folder, and a large file asked for many
// times at once. Needs no browser.
import assert from 'node:assert/strict';
import { execFileSync, spawn } from 'node:child_process';
import { createHash, randomBytes } from 'node:crypto';
import { mkdirSync, mkdtempSync, readFileSync, rmSync, symlinkSync, writeFileSync } from 'node:fs';
import { request } from 'node:http';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, test } from 'node:test';
import { createGunzip, gzipSync } from 'node:zlib';
import { sourceDir } from './support.mjs';

const folder = mkdtempSync(join(tmpdir(), 'velmo-serve-'));
const root = join(folder, 'root');
const sha = (bytes) => createHash('sha256').update(bytes).digest('hex');
let timer, port;

before(async () => {
  mkdirSync(join(root, 'sub'), { recursive: true });
  writeFileSync(join(root, 'index.html'), 'hello');
  writeFileSync(join(folder, 'secret.txt'), 'secret');
  symlinkSync('../secret.txt', join(root, 'out.txt'));
  symlinkSync(folder, join(root, 'outside'));
  symlinkSync('index.html', join(root, 'in.html'));
  execFileSync('mkfifo', [join(root, 'pipe')]);
  timer = spawn('timeout', ['120', process.execPath, join(sourceDir, 'web/serve.mjs'), root, '0'],
                { stdio: ['ignore', 'pipe', 'inherit'] });
  const line = await new Promise((done, fail) => {
    timer.stdout.once('data', (data) => done(String(data)));
    timer.once('exit', (status) => fail(new Error(`the server ended at once, status ${status}`)));
  });
  port = Number(/127\.0\.0\.1:(\d+)\//.exec(line)[1]);
});
after(() => {
  timer.kill();
  rmSync(folder, { recursive: true, force: true });
});

// One request, its path sent as written; the status, headers and the body's
// length and SHA-256 (after gunzip), within 20 s.
function get(path, { method = 'GET', headers = {} } = {}) {
  return new Promise((done, fail) => {
    const asked = request({ host: '127.0.0.1', port, path, method, headers, timeout: 20000 }, (response) => {
      const hash = createHash('sha256');
      let length = 0;
      const body = response.headers['content-encoding'] === 'gzip' ? response.pipe(createGunzip()) : response;
      body.on('data', (chunk) => { hash.update(chunk); length += chunk.length; });
      body.on('end', () => done({ status: response.statusCode, headers: response.headers, length, sha: hash.digest('hex') }));
      body.on('error', fail);
    });
    asked.on('timeout', () => asked.destroy(new Error(`${path}: no answer in 20 s`)));
    asked.on('error', fail);
    asked.end();
  });
}

test('each odd request gets its answer, nothing outside the folder is served, and the server stays up', async () => {
  const cases = [
    ['a malformed escape', '/%E0%A4%A', 400],
    ['a NUL byte', '/index.html%00.png', 400],
    ['an escaped ..', '/%2e%2e/secret.txt', 403],
    ['a link to a file outside', '/out.txt', 403],
    ['a file through a link to a folder outside', '/outside/secret.txt', 403],
    ['a pipe (nobody writes it)', '/pipe', 404],
    ['a folder', '/sub', 404],
    ['a POST', '/', 405, 'POST'],
    ['a link to a file inside', '/in.html', 200],
    ['the page, after all the above', '/', 200],
  ];
  for (const [name, path, status, method] of cases) {
    const answer = await get(path, { method });
    assert.equal(answer.status, status, name);
    if (status === 200) assert.equal(answer.sha, sha('hello'), name);
  }
});

// Twelve requests of an 8 MB file, eight asking for gzip: each gets the
// whole file, and the server neither holds a copy per request (twelve would
// be 96 MB) nor compresses it for each (eight times the work of compressing
// it once); a changed file is compressed anew.
test('a large file asked for many times at once is streamed and compressed once', async () => {
  const pid = readFileSync(`/proc/${timer.pid}/task/${timer.pid}/children`, 'utf8').trim();
  const peakMemory = () => Number(/VmHWM:\s+(\d+)/.exec(readFileSync(`/proc/${pid}/status`, 'utf8'))[1]) * 1024;
  const cpuSeconds = () => {  // user and system time, fields 14 and 15 of stat, in ticks of 1/100 s
    const fields = readFileSync(`/proc/${pid}/stat`, 'utf8').split(') ')[1].split(' ');
    return (Number(fields[11]) + Number(fields[12])) / 100;
  };
  for (const version of [1, 2]) {
    const bytes = randomBytes(8 << 20).map((byte) => 97 + (byte & 15));  // text-like: compression has work
    writeFileSync(join(root, 'big.wasm'), bytes);
    const usage = process.cpuUsage();
    gzipSync(bytes, { level: 9 });
    const compressing = process.cpuUsage(usage);
    const onceSeconds = (compressing.user + compressing.system) / 1e6;
    const [memoryBefore, cpuBefore] = [peakMemory(), cpuSeconds()];
    const answers = await Promise.all(Array.from({ length: 12 }, (_, i) =>
      get('/big.wasm', { headers: i % 3 ? { 'Accept-Encoding': 'gzip' } : {} })));
    for (const [i, answer] of answers.entries()) {
      assert.equal(answer.headers['content-type'], 'application/wasm');
      assert.equal(answer.headers['content-encoding'], i % 3 ? 'gzip' : undefined);
      assert.equal(answer.length, bytes.length, `version ${version}`);
      assert.equal(answer.sha, sha(bytes), `version ${version}`);
    }
    const grown = (peakMemory() - memoryBefore) / (1 << 20);
    const busy = cpuSeconds() - cpuBefore;
    assert.ok(grown < 64, `the server grew by ${grown.toFixed(0)} MB`);
    assert.ok(busy < 4 * onceSeconds, `the server worked ${busy} s; compressing the file once takes ${onceSeconds} s`);
  }
});
