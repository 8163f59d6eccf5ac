// The reference tracker page, served on http://localhost:3000, in headless
// Chromium against the real vantrel.exe under Wine, with the test game and
// test controller. Run under an X display (xvfb-run) with VANTREL_BUILD set.
import { test } from "node:test";
import assert from "node:assert/strict";
import { spawn, execFileSync } from "node:child_process";
import fs from "node:fs";
import http from "node:http";
import net from "node:net";
import os from "node:os";
import path from "node:path";
import { fileURLToPath } from "node:url";
import { chromium } from "playwright-core";

const here = path.dirname(fileURLToPath(import.meta.url));
const WEB = path.resolve(here, "../../web");
const BUILD = process.env.VANTREL_BUILD;
const ARTIFACTS = path.join(BUILD, "artifacts");
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
const TYPES = { ".html": "text/html", ".css": "text/css", ".js": "text/javascript" };

function serveWeb(port) {
  const server = http.createServer((request, response) => {
    const name = new URL(request.url, "http://x").pathname.replace(/^\/$/, "/index.html");
    const file = path.join(WEB, path.normalize(name));
    if (!file.startsWith(WEB) || !fs.existsSync(file)) {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, { "Content-Type": TYPES[path.extname(file)] ?? "application/octet-stream" });
    fs.createReadStream(file).pipe(response);
  });
  return new Promise((resolve) => server.listen(port, "127.0.0.1", () => resolve(server)));
}

function answering() {
  return new Promise((resolve) => {
    const socket = net.connect(47321, "127.0.0.1", () => {
      socket.end("GET / HTTP/1.1\r\n\r\n");
    });
    let data = "";
    socket.on("data", (chunk) => (data += chunk));
    socket.on("close", () => resolve(data.endsWith("Vantrel is running.\n")));
    socket.on("error", () => resolve(false));
  });
}

async function waitFor(check, timeoutMs, what) {
  const deadline = Date.now() + timeoutMs;
  while (Date.now() < deadline) {
    if (await check()) return;
    await sleep(100);
  }
  assert.fail(`timed out waiting for ${what}`);
}

// A deadline of its own, so a hang fails this test with a message instead of
// being killed from outside with Wine processes left behind.
const deadline = { timeout: 240000 };

test("reference page shows the helper, controller and chests, and other origins get nothing", deadline, async (t) => {
  const prefix = process.env.WINEPREFIX ?? path.join(BUILD, "wineprefix");
  const env = { ...process.env, WINEPREFIX: prefix, WINEDEBUG: "-all", WINEDLLOVERRIDES: "xinput1_4=n,b" };
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), "vantrel browser "));
  const exe = path.join(dir, "vantrel.exe");
  fs.copyFileSync(path.join(BUILD, "vantrel.exe"), exe);
  // The program loads its controller library from the system folder only.
  const system = path.join(prefix, "drive_c", "windows", "system32");
  fs.copyFileSync(path.join(BUILD, "tests", "xinput1_4.dll"), path.join(system, "xinput1_4.dll"));
  const setPad = (state) => {
    fs.writeFileSync(path.join(system, "pad.new"), state);
    fs.renameSync(path.join(system, "pad.new"), path.join(system, "pad.txt")); // never read half written
  };
  setPad("0 0");
  fs.mkdirSync(ARTIFACTS, { recursive: true });

  const children = [];
  const servers = [await serveWeb(3000), await serveWeb(3001)];
  let browser;
  t.after(async () => {
    await browser?.close();
    for (const child of children) child.kill("SIGKILL");
    for (const server of servers) server.close();
    try {
      execFileSync("wineserver", ["-k"], { env, stdio: "ignore", timeout: 30000 });
    } catch {
      // No server left to kill.
    }
    fs.rmSync(dir, { recursive: true, force: true });
    for (const name of ["xinput1_4.dll", "pad.txt"]) fs.rmSync(path.join(system, name), { force: true });
  });

  // Started as through the page's link, so it opens no browser of its own.
  children.push(spawn("wine", [exe, "zendry-chests://open"], { env, stdio: "ignore" }));
  await waitFor(answering, 60000, "vantrel.exe to answer");

  const game = spawn("wine", [path.join(BUILD, "tests", "desktop_double.exe"), "game", "UnrealWindow", "Game"], {
    env,
    stdio: ["pipe", "pipe", "ignore"],
  });
  children.push(game);
  const gameLines = [];
  game.stdout.on("data", (chunk) => gameLines.push(...chunk.toString().split("\n").filter(Boolean)));
  const gameSays = async (line) => {
    const before = gameLines.length;
    if (line) game.stdin.write(line + "\n");
    await waitFor(() => gameLines.length > before, 30000, `the game to answer ${line}`);
  };
  await gameSays(null); // "ready"

  browser = await chromium.launch({
    executablePath: "/usr/bin/chromium",
    headless: true,
    args: ["--no-sandbox", "--disable-gpu", "--no-first-run", "--disable-background-networking",
      "--disable-component-update", "--disable-sync"],
  });
  const page = await browser.newPage({ viewport: { width: 600, height: 900 } });
  await page.goto("http://localhost:3000/");
  const text = (selector) => page.locator(selector).textContent();

  await waitFor(async () => (await text("#status")) === "connected", 15000, "the page to connect");
  await waitFor(async () => (await text("#version")) === "1.1.0", 5000, "the helper version");
  await waitFor(async () => (await text("#controller")) === "connected", 5000, "the controller state");

  await gameSays("down 45");
  await sleep(1500); // far past the 400 ms threshold, whatever Wine's key delays
  await gameSays("up 45");
  await waitFor(async () => (await text("#chest-key")) === "1", 10000, "the key chest");
  const keyLog = await page.locator("#log li").allTextContents();
  assert.ok(keyLog.some((line) => line.endsWith("key down")), keyLog.join("\n"));
  assert.ok(keyLog.some((line) => line.endsWith("key chest")), keyLog.join("\n"));
  assert.ok(keyLog.some((line) => /key up after \d+ ms$/.test(line)), keyLog.join("\n"));

  setPad(`0 ${0x4000}`); // X, the page's default button
  await waitFor(async () => (await page.locator("#log li").allTextContents()).some((l) => l.endsWith("pad down")),
    10000, "the pad press");
  setPad("0 0");
  await waitFor(async () => (await page.locator("#log li").allTextContents()).some((l) => /pad up after/.test(l)),
    10000, "the pad release");
  await page.screenshot({ path: path.join(ARTIFACTS, "tracker-page.png") });

  // A rebind closes the stream and opens another at once, which may bring no
  // "pad" message: the page keeps what it knew, and the new binding works.
  await page.fill("#hold", "300");
  await page.click("#binding button[type=submit]");
  setPad(`0 ${0x4000}`);
  await waitFor(async () => (await page.locator("#log li").allTextContents()).filter((l) => l.endsWith("pad down")).length === 2,
    10000, "the pad press on the new stream");
  setPad("0 0");
  assert.equal(await text("#controller"), "connected");

  const foreign = await browser.newPage();
  await foreign.goto("http://127.0.0.1:3001/");
  const outcome = await foreign.evaluate(
    () => new Promise((resolve) => {
      const source = new EventSource("http://127.0.0.1:47321/events");
      source.onmessage = () => resolve("message");
      source.onerror = () => setTimeout(() => resolve(source.readyState), 500);
    }),
  );
  assert.equal(outcome, 2); // CLOSED: refused without a single message
  await sleep(2000);
  assert.equal(await foreign.locator("#status").textContent(), "not reachable");
  assert.equal(await foreign.locator("#version").textContent(), "–");
  assert.equal(await foreign.locator("#log li").count(), 0);
  await foreign.screenshot({ path: path.join(ARTIFACTS, "foreign-origin.png") });
});
