// Serves a folder over HTTP on the loopback address, with the types browsers
// insist on (application/wasm for streaming compilation) and gzip for those
// that ask. Used by scripts/web.sh and by the browser tests.
//   node web/serve.mjs FOLDER [PORT]
//
// Any page open in the user's browser can send it requests, so: only regular
// files whose real path lies inside the folder are served (a link out of it
// is not); files are streamed, not read whole for each request; text and
// WebAssembly are compressed once per version of a file, off the main
// thread, and kept for the requests after; a request that makes no sense is
// answered 400, and no request stops the server.
import { createServer, STATUS_CODES } from 'node:http';
import { constants } from 'node:fs';
import { open, realpath } from 'node:fs/promises';
import { extname, join, normalize, resolve, sep } from 'node:path';
import { pipeline } from 'node:stream/promises';
import { fileURLToPath } from 'node:url';
import { createGzip } from 'node:zlib';

const types = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript; charset=utf-8',
  '.mjs': 'text/javascript; charset=utf-8', '.wasm': 'application/wasm', '.css': 'text/css',
  '.png': 'image/png', '.json': 'application/json', '.ico': 'image/x-icon',
};
const compressible = new Set(['.html', '.js', '.mjs', '.wasm', '.css', '.json']);  // images are already
const largestCompressed = 64 << 20;  // a larger file goes as it is
const compressedKept = 128 << 20;  // bytes of compressed files kept over all files

class Refusal extends Error {
  constructor(status) {
    super(STATUS_CODES[status]);
    this.status = status;
  }
}

// The requested name and the real path of the file it names inside the root.
async function fileFor(url, root, realRoot) {
  const raw = url.split(/[?#]/)[0];
  if (!raw.startsWith('/')) throw new Refusal(400);
  let path;
  try {
    path = decodeURIComponent(raw);
  } catch {
    throw new Refusal(400);  // a malformed escape such as %E0%A4%A
  }
  if (path.includes('\0')) throw new Refusal(400);
  const file = normalize(join(root, path.endsWith('/') ? path + 'index.html' : path));
  if (!file.startsWith(root + sep)) throw new Refusal(403);
  let real;
  try {
    real = await realpath(file);
  } catch {
    throw new Refusal(404);
  }
  if (!real.startsWith(realRoot + sep)) throw new Refusal(403);  // a link out of the folder
  return { file, real };
}

// The gzip of each file, by real path, for the version of it last compressed;
// requests that arrive while it is made wait for the same one.
const compressed = new Map();
let compressedBytes = 0;

function forget(real) {
  const entry = compressed.get(real);
  if (entry) compressedBytes -= entry.size;
  compressed.delete(real);
}

function compressOnce(real, stat, handle) {
  const version = `${stat.dev}:${stat.ino}:${stat.size}:${stat.mtimeNs}`;
  const known = compressed.get(real);
  if (known && known.version === version) return known.body;
  forget(real);
  const chunks = [];
  const entry = { version, size: 0 };
  entry.body = pipeline(handle.createReadStream({ autoClose: false }), createGzip({ level: 9 }),
                        async (gzipped) => { for await (const chunk of gzipped) chunks.push(chunk); })
    .then(() => Buffer.concat(chunks));
  compressed.set(real, entry);
  entry.body.then((body) => {
    if (compressed.get(real) !== entry) return;
    entry.size = body.length;
    compressedBytes += body.length;
    for (const [path, older] of compressed) {  // the oldest first
      if (compressedBytes <= compressedKept) break;
      if (older !== entry) forget(path);
    }
  }, () => { if (compressed.get(real) === entry) compressed.delete(real); });
  return entry.body;
}

async function answer(request, response, root, realRoot) {
  if (request.method !== 'GET' && request.method !== 'HEAD') throw new Refusal(405);
  const { file, real } = await fileFor(request.url, root, realRoot);
  let handle;
  try {
    handle = await open(real, constants.O_RDONLY | constants.O_NONBLOCK);  // a pipe must not wait
  } catch {
    throw new Refusal(404);
  }
  let streaming = false;
  try {
    const stat = await handle.stat({ bigint: true });
    if (!stat.isFile()) throw new Refusal(404);
    const headers = { 'Content-Type': types[extname(file)] || 'application/octet-stream', Vary: 'Accept-Encoding' };
    const size = Number(stat.size);
    if (/\bgzip\b/.test(request.headers['accept-encoding'] || '') && compressible.has(extname(file)) &&
        size <= largestCompressed) {
      const body = await compressOnce(real, stat, handle);
      headers['Content-Encoding'] = 'gzip';
      headers['Content-Length'] = body.length;
      response.writeHead(200, headers).end(request.method === 'HEAD' ? undefined : body);
      return;
    }
    headers['Content-Length'] = size;
    response.writeHead(200, headers);
    if (request.method === 'HEAD' || size === 0) {
      response.end();
      return;
    }
    streaming = true;
    // The length announced is the length sent, should the file grow meanwhile.
    pipeline(handle.createReadStream({ end: size - 1 }), response).catch(() => response.destroy());
  } finally {
    if (!streaming) await handle.close();
  }
}

// Starts serving `folder`; resolves to the server once it listens (port 0: any free port).
export async function serveFolder(folder, port = 0, host = '127.0.0.1') {
  const root = resolve(folder);
  const realRoot = await realpath(root);
  const server = createServer((request, response) => {
    answer(request, response, root, realRoot).catch((error) => {
      const status = error instanceof Refusal ? error.status : 500;
      if (status === 500) console.error(`serve.mjs: ${request.url}: ${error.message}`);
      if (response.headersSent) {
        response.destroy();
      } else {
        response.writeHead(status, { 'Content-Type': 'text/plain' }).end(`${STATUS_CODES[status]}\n`);
      }
    });
  });
  return new Promise((done, fail) => {
    server.once('error', fail);
    server.listen(port, host, () => done(server));
  });
}

if (process.argv[1] && resolve(process.argv[1]) === fileURLToPath(import.meta.url)) {
  const [folder, port = '8080'] = process.argv.slice(2);
  if (!folder) {
    console.error('usage: node web/serve.mjs FOLDER [PORT]');
    process.exit(2);
  }
  serveFolder(folder, Number(port)).then(
    (server) => console.log(`Serving ${folder} on http://127.0.0.1:${server.address().port}/ (Ctrl+C stops)`),
    (error) => { console.error(`cannot serve ${folder} on port ${port}: ${error.message}`); process.exit(1); });
}
