// Serves a folder over HTTP on the loopback address, with the types browsers
// insist on (application/wasm for streaming compilation) and gzip for those
// that ask. Used by scripts/web.sh and by the browser tests.
//   node web/serve.mjs FOLDER [PORT]
import { createServer } from 'node:http';
import { readFile } from 'node:fs/promises';
import { extname, join, normalize, resolve, sep } from 'node:path';
import { gzipSync } from 'node:zlib';
import { fileURLToPath } from 'node:url';

const types = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript; charset=utf-8',
  '.mjs': 'text/javascript; charset=utf-8', '.wasm': 'application/wasm', '.css': 'text/css',
  '.png': 'image/png', '.json': 'application/json', '.ico': 'image/x-icon',
};

// Starts serving `folder`; resolves to the server once it listens (port 0: any free port).
export function serveFolder(folder, port = 0, host = '127.0.0.1') {
  const root = resolve(folder);
  const server = createServer(async (request, response) => {
    const path = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
    const file = normalize(join(root, path.endsWith('/') ? path + 'index.html' : path));
    if (file !== root && !file.startsWith(root + sep)) {
      response.writeHead(403).end();
      return;
    }
    let body;
    try {
      body = await readFile(file);
    } catch {
      response.writeHead(404, { 'Content-Type': 'text/plain' }).end('not found\n');
      return;
    }
    const headers = { 'Content-Type': types[extname(file)] || 'application/octet-stream' };
    if (/\bgzip\b/.test(request.headers['accept-encoding'] || '')) {
      body = gzipSync(body, { level: 9 });
      headers['Content-Encoding'] = 'gzip';
    }
    headers['Content-Length'] = body.length;
    response.writeHead(200, headers).end(request.method === 'HEAD' ? undefined : body);
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
    (error) => { console.error(`cannot serve on port ${port}: ${error.message}`); process.exit(1); });
}
