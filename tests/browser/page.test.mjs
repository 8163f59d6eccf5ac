// The reference tracker page, and so the client module, served on
// http://localhost:3000, in headless Chromium and Firefox against the real
// vantrel.exe under Wine, with the test game and test controller. Run under
// an X display (xvfb-run) with VANTREL_BUILD set.
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
import puppeteer from "puppeteer-core";

const here = path.dirname(fileURLToPath(import.meta.url));
const WEB = path.resolve(here, "../../web");
const BUILD = process.env.VANTREL_BUILD;
const ARTIFACTS = path.join(BUILD, "artifacts");
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
const TYPES = { ".html": "text/html", ".css": "text/css", ".js": "text/javascript" };
const VERSION = fs.readFileSync(path.join(here, "../../CMakeLists.txt"), "utf8").match(/VERSION (\d+\.\d+\.\d+)/)[1];
const ENGINES = {
  // Debian's Chromium through playwright, Debian's Firefox ESR over WebDriver BiDi.
  chromium: () => chromium.launch({
    executablePath: "/usr/bin/chromium",
    headless: true,
    args: ["--no-sandbox", "--disable-gpu", "--no-first-run", "--disable-background-networking",
      "--disable-component-update", "--disable-sync"],
  }),
  firefox: () => puppeteer.launch({ browser: "firefox", executablePath: "/usr/bin/firefox-esr", headless: true }),
};

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

for (const [engine, launch] of Object.entries(ENGINES)) test(`reference page in ${engine}: helper, controller, chests, rebind, restart, launch give-up, other origins`, deadline, async (t) => {
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
  const startProgram = async () => {
    children.push(spawn("wine", [exe, "zendry-chests://open"], { env, stdio: "ignore" }));
    await waitFor(answering, 60000, "vantrel.exe to answer");
  };
  await startProgram();

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

  browser = await launch();
  const page = await browser.newPage();
  await (page.setViewportSize?.({ width: 600, height: 900 }) ?? page.setViewport({ width: 600, height: 900 }));
  // The launch wait shortened from 15 s for the give-up row.
  await page.goto("http://localhost:3000/?launch-wait=3000");
  // Through the page's own script, the same in both drivers.
  const text = (selector, on = page) => on.evaluate((s) => document.querySelector(s).textContent, selector);
  const logLines = (on = page) => on.evaluate(() => [...document.querySelectorAll("#log li")].map((l) => l.textContent));
  const padDowns = async () => (await logLines()).filter((line) => line.endsWith("pad down")).length;

  await waitFor(async () => (await text("#status")) === "connected", 15000, "the page to connect");
  await waitFor(async () => (await text("#version")) === VERSION, 5000, "the helper version");
  await waitFor(async () => (await text("#controller")) === "connected", 5000, "the controller state");

  await gameSays("down 45");
  await sleep(1500); // far past the 400 ms threshold, whatever Wine's key delays
  await gameSays("up 45");
  await waitFor(async () => (await text("#chest-key")) === "1", 10000, "the key chest");
  const keyLog = await logLines();
  assert.ok(keyLog.some((line) => line.endsWith("key down")), keyLog.join("\n"));
  assert.ok(keyLog.some((line) => line.endsWith("key chest")), keyLog.join("\n"));
  assert.ok(keyLog.some((line) => /key up after \d+ ms$/.test(line)), keyLog.join("\n"));

  setPad(`0 ${0x4000}`); // X, the page's default button
  await waitFor(async () => (await padDowns()) === 1, 10000, "the pad press");
  setPad("0 0");
  await waitFor(async () => (await logLines()).some((l) => /pad up after/.test(l)), 10000, "the pad release");
  await page.screenshot({ path: path.join(ARTIFACTS, `tracker-page-${engine}.png`) });

  // A rebind closes the stream and opens another at once, which may bring no
  // "pad" message: the page keeps what it knew, and the new binding works.
  await page.evaluate(() => {
    document.getElementById("hold").value = "300";
    document.querySelector("#binding button[type=submit]").click();
  });
  setPad(`0 ${0x4000}`);
  await waitFor(async () => (await padDowns()) === 2, 10000, "the pad press on the new stream");
  setPad("0 0");
  assert.equal(await text("#controller"), "connected");

  // The program ends; the launch link's wait gives up; the program starts
  // again and the page reconnects by itself. The test keeps the browser off
  // the unregistered scheme; the page's own click handler still runs.
  execFileSync("wine", [path.join(BUILD, "tests", "desktop_double.exe"), "close"], { env, timeout: 60000 });
  await waitFor(async () => (await text("#status")) === "not reachable", 15000, "the page to see the program gone");
  await page.evaluate(() => {
    const link = document.getElementById("launch");
    link.addEventListener("click", (event) => event.preventDefault());
    link.click();
  });
  await waitFor(async () => (await text("#status")) === "not installed", 10000, "the launch give-up");
  await startProgram();
  await waitFor(async () => (await text("#status")) === "connected", 15000, "the page to reconnect");
  setPad(`0 ${0x4000}`);
  await waitFor(async () => (await padDowns()) === 3, 10000, "the pad press after the restart");
  setPad("0 0");

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
  await waitFor(async () => (await text("#status", foreign)) === "origin not allowed", 10000, "the refusal");
  assert.equal(await text("#version", foreign), "–");
  assert.deepEqual(await logLines(foreign), []);
  await foreign.screenshot({ path: path.join(ARTIFACTS, `foreign-origin-${engine}.png`) });
});
