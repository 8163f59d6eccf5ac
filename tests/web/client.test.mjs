// The client module in Node against a stand-in for Vantrel on an ephemeral
// port: what a browser test cannot make happen on demand.
import { test } from "node:test";
import assert from "node:assert/strict";
import http from "node:http";
import { MAJOR, connect, readEvents } from "../../web/vantrel.js";

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
const VERSION = `${MAJOR}.0.0`; // the stand-in's: any version of the module's major
const HELLO = `data: {"type":"hello","version":"${VERSION}"}\n\n`;

test("the stream reader: line endings, joined data lines, comments, retry, chunk edges", () => {
  const rows = [
    [["data: a\n\n"], ["a"], null],
    [["data: a\r\n\r\n"], ["a"], null],
    [["data: a\r", "\n\r", "\n"], ["a"], null],
    [["data: one\ndata:two\ndata:  three\n\n"], ["one\ntwo\n three"], null],
    [[": ping\n\n", "retry: 300\n\ndata", ": x\n", "\n"], ["x"], 300],
    [["retry: 3s\ndata\n\nevent: y\n\n"], [""], null],
  ];
  for (const [chunks, events, retry] of rows) {
    let state = null;
    const seen = [];
    let last = null;
    for (const chunk of chunks) {
      const read = readEvents(state, chunk);
      seen.push(...read.events);
      last = read.retry ?? last;
      state = read.state;
    }
    assert.deepEqual([seen, last], [events, retry], JSON.stringify(chunks));
  }
});

// A stand-in that answers its n-th stream request with `streams[n]` (the
// last one again after that): the text, whether the stream ends after it,
// and how long the answer is held first. Any other request gets an empty 200.
async function standIn(streams) {
  const seen = [];
  const server = http.createServer((request, response) => {
    seen.push(request.url);
    if (!request.url.startsWith("/events")) return response.writeHead(200).end();
    const count = seen.filter((url) => url.startsWith("/events")).length;
    const { text, end = false, hold = 0 } = streams[Math.min(count, streams.length) - 1];
    setTimeout(() => {
      response.writeHead(200, { "Content-Type": "text/event-stream" });
      if (end) response.end(text);
      else response.write(text);
    }, hold);
  });
  await new Promise((resolve) => server.listen(0, "127.0.0.1", resolve));
  const stop = () => (server.closeAllConnections(), server.close());
  return { helper: `http://127.0.0.1:${server.address().port}`, seen, stop };
}

function client(helper, binding, extra, options) {
  const calls = [];
  const record = (name) => (value) => calls.push([name, value?.type ?? value]);
  const handlers = { onStatus: record("status"), onHello: record("hello"), onUp: record("up"), ...extra };
  return { calls, vantrel: connect(binding, handlers, { helper, ...options }) };
}

const DOWN_UP = 'data: {"type":"down","source":"pad"}\n\ndata: {"type":"up","source":"pad","ms":41,"game":true}\n\n';

test("streams: handler faults, rebinding, silence, retry, another major, a replaced attempt", async (t) => {
  // name, the stand-in's answers, extra handlers, what to do and read, what it must read, binding, options
  const rows = [
    ["no handler runs before connect() returns; a throwing one ends nothing", [{ text: HELLO + DOWN_UP }],
      (c) => ({ onStatus: () => c.calls.push(["read", c.vantrel.status]), onDown: () => { throw new Error("page"); } }),
      async (c) => (await sleep(300), [c.calls, c.stand.seen, c.reported.map(String)]),
      [[["read", "connecting"], ["read", "connected"], ["hello", VERSION], ["up", "up"]], ["/events"], ["Error: page"]]],
    ["only the members the page set are sent; a rebind keeps the rest", [{ text: HELLO }], () => ({}),
      async (c) => {
        await sleep(200);
        c.vantrel.rebind({ hold: 300 });
        await sleep(200);
        c.vantrel.rebind({ key: undefined });
        return (await sleep(200), c.stand.seen);
      },
      ["/events?key=f", "/events?key=f&hold=300", "/events?hold=300"], { key: "f" }],
    ["a silent stream is opened again", [{ text: "retry: 50\n\n" + HELLO }], () => ({}),
      async (c) => (await sleep(1500), c.stand.seen.length >= 2), true, {}, { silenceLimitMs: 250 }],
    ["the stream's retry: is the reconnect delay", [{ text: "retry: 60000\n\n" + HELLO, end: true }], () => ({}),
      async (c) => (await sleep(3000), [c.stand.seen, c.vantrel.status]), [["/events"], "connecting"]],
    ["another major: its hello, then the client stops", [{ text: `data: {"type":"hello","version":"${MAJOR + 1}.0.0"}\n\n`, end: true }],
      () => ({}), async (c) => (await sleep(2500), [c.calls, c.stand.seen]),
      [[["status", "connecting"], ["status", "incompatible"], ["hello", `${MAJOR + 1}.0.0`]], ["/events"]]],
    ["a late answer of a replaced attempt opens nothing", [{ text: HELLO, hold: 400 }, { text: HELLO }], () => ({}),
      async (c) => {
        await sleep(100);
        c.vantrel.rebind({});
        return (await sleep(2600), [c.stand.seen, c.vantrel.status]);
      },
      [["/events", "/events"], "connected"]],
  ];
  for (const [name, streams, extra, run, expected, binding = {}, options = {}] of rows) {
    await t.test(name, async () => {
      const c = { stand: await standIn(streams), reported: [] };
      const error = console.error;
      console.error = (e) => c.reported.push(e); // where a handler's exception goes outside a browser
      Object.assign(c, client(c.stand.helper, binding, extra(c), options));
      try {
        assert.deepEqual(await run(c), expected);
      } finally {
        console.error = error;
        c.vantrel.close();
        c.stand.stop();
      }
    });
  }
});

test("the browser's permission: blocked, whatever the launch wait; asking while a request waits; connected once allowed", async () => {
  const permission = Object.assign(new EventTarget(), { state: "denied" });
  const query = async ({ name }) => (name === "loopback-network" ? permission : Promise.reject(new TypeError()));
  globalThis.navigator = { permissions: { query } };
  const held = [];
  const server = http.createServer((request, response) => {
    held.push(response); // never answered while the browser asks
    if (permission.state === "granted") response.writeHead(200).write(HELLO);
  });
  await new Promise((resolve) => server.listen(0, "127.0.0.1", resolve));
  const helper = `http://127.0.0.1:${server.address().port}`;
  const statuses = (calls) => calls.filter(([name]) => name === "status").map(([, status]) => status);
  try {
    const closed = http.createServer(); // a port nothing listens on
    await new Promise((resolve) => closed.listen(0, "127.0.0.1", resolve));
    const port = closed.address().port;
    await new Promise((resolve) => closed.close(resolve));
    const blocked = client(`http://127.0.0.1:${port}`, {}, {}, { launchWaitMs: 100 });
    await sleep(300);
    blocked.vantrel.launched();
    await sleep(300);
    blocked.vantrel.close();
    assert.deepEqual(statuses(blocked.calls), ["connecting", "blocked", "closed"]);

    permission.state = "prompt";
    const asking = client(helper, {}, {}, {});
    await sleep(1300);
    permission.state = "granted";
    permission.dispatchEvent(new Event("change"));
    await sleep(300);
    asking.vantrel.close();
    assert.deepEqual(statuses(asking.calls), ["connecting", "asking", "connected", "closed"]);
  } finally {
    for (const response of held) response.destroy();
    server.close();
    delete globalThis.navigator;
  }
});
