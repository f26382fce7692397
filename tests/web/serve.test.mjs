// The page's server as scripts/web.sh runs it: a process of its own on
// 127.0.0.1, ended by `timeout` should this test die first. Needs no browser.
import assert from 'node:assert/strict';
import { execFileSync, spawn } from 'node:child_process';
import { randomBytes } from 'node:crypto';
import { mkdirSync, mkdtempSync, readFileSync, rmSync, symlinkSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, test } from 'node:test';
import { gzipSync } from 'node:zlib';
import { sourceDir } from './support.mjs';

const folder = mkdtempSync(join(tmpdir(), 'velmo-serve-'));
const root = join(folder, 'root');
mkdirSync(join(root, 'sub'), { recursive: true });
writeFileSync(join(root, 'index.html'), 'hello');
writeFileSync(join(folder, 'secret.txt'), 'secret');
symlinkSync('../secret.txt', join(root, 'out.txt'));
symlinkSync(folder, join(root, 'outside'));
symlinkSync('index.html', join(root, 'in.html'));
execFileSync('mkfifo', [join(root, 'pipe')]);
const server = spawn('timeout', ['120', process.execPath, join(sourceDir, 'web/serve.mjs'), root, '0'],
                     { stdio: ['ignore', 'pipe', 'inherit'] });
const port = await new Promise((done, fail) => {
  server.stdout.once('data', (line) => done(/127\.0\.0\.1:(\d+)\//.exec(line)[1]));
  server.once('exit', () => fail(new Error('the server did not start')));
});
after(() => { server.kill(); rmSync(folder, { recursive: true, force: true }); });

// fetch sends the path as written and undoes the gzip; each answer within 20 s.
const get = (path, { gzip = false, method = 'GET' } = {}) =>
  fetch(`http://127.0.0.1:${port}${path}`, { method, headers: { 'Accept-Encoding': gzip ? 'gzip' : 'identity' },
                                              signal: AbortSignal.timeout(20000) })
    .then(async (answer) => ({ status: answer.status, headers: answer.headers, body: Buffer.from(await answer.arrayBuffer()) }));

test('each odd request gets its answer, nothing outside the folder is served, and the server stays up', async () => {
  const cases = [['/%E0%A4%A', 400], ['/index.html%00.png', 400], ['/out.txt', 403], ['/outside/secret.txt', 403],
                 ['/pipe', 404], ['/sub', 404], ['/', 405, 'POST'], ['/in.html', 200], ['/', 200]];
  for (const [path, status, method] of cases) {
    const answer = await get(path, { method });
    assert.equal(answer.status, status, path);
    if (status === 200) assert.equal(String(answer.body), 'hello', path);
  }
});

// Twelve requests of an 8 MB file at once, eight asking for gzip: none may
// cost a copy of the file (twelve would be 96 MB) or a compression of its own
// (eight times the work of one); a changed file is compressed anew.
test('a large file asked for many times at once is streamed and compressed once', async () => {
  const pid = readFileSync(`/proc/${server.pid}/task/${server.pid}/children`, 'utf8').trim();
  const peakMemory = () => Number(/VmHWM:\s+(\d+)/.exec(readFileSync(`/proc/${pid}/status`, 'utf8'))[1]) / 1024;  // MB
  const cpuSeconds = () => {  // user and system time, fields 14 and 15, in 1/100 s
    const fields = readFileSync(`/proc/${pid}/stat`, 'utf8').split(') ')[1].split(' ');
    return (Number(fields[11]) + Number(fields[12])) / 100;
  };
  for (const version of [1, 2]) {
    const bytes = randomBytes(8 << 20).map((byte) => 97 + (byte & 15));  // text-like: compression has work
    writeFileSync(join(root, 'big.wasm'), bytes);
    const usage = process.cpuUsage();
    gzipSync(bytes, { level: 9 });
    const spent = process.cpuUsage(usage);
    const once = (spent.user + spent.system) / 1e6;
    const [memoryBefore, cpuBefore] = [peakMemory(), cpuSeconds()];
    const answers = await Promise.all(Array.from({ length: 12 }, (_, i) => get('/big.wasm', { gzip: i % 3 > 0 })));
    for (const [i, answer] of answers.entries()) {
      assert.equal(answer.headers.get('content-type'), 'application/wasm');
      assert.equal(answer.headers.get('content-encoding'), i % 3 ? 'gzip' : null);
      assert.ok(answer.body.equals(bytes), `version ${version}, request ${i}`);
    }
    const [grown, busy] = [peakMemory() - memoryBefore, cpuSeconds() - cpuBefore];
    assert.ok(grown < 64, `the server grew by ${grown.toFixed(0)} MB`);
    assert.ok(busy < 4 * once, `the server worked ${busy} s; compressing the file once takes ${once} s`);
  }
});
