// What the browser test and the page benchmark share: the reference page's
// servers, Debian's Chromium and Firefox ESR through puppeteer-core, and the
// real vantrel.exe under Wine with the test game and test controller. Run
// under an X display (xvfb-run) with VANTREL_BUILD set.
import assert from "node:assert/strict";
import { spawn, execFileSync } from "node:child_process";
import crypto from "node:crypto";
import fs from "node:fs";
import http from "node:http";
import https from "node:https";
import net from "node:net";
import os from "node:os";
import path from "node:path";
import { fileURLToPath } from "node:url";
import puppeteer from "puppeteer-core";

const here = path.dirname(fileURLToPath(import.meta.url));
const WEB = path.resolve(here, "../../web");
export const BUILD = process.env.VANTREL_BUILD;
export const ARTIFACTS = path.join(BUILD, "artifacts");
export const SITE = "https://zendry.gg"; // where players open the tracker
export const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
const TYPES = { ".html": "text/html", ".css": "text/css", ".js": "text/javascript" };
// Firefox maps the name alone, so its players' path needs port 443, which only root may take.
export const CAN_TAKE_443 = process.getuid?.() === 0;

// The reference page and its files, over http, or over https with `tls`.
export function serveWeb(port, tls) {
  const server = (tls ? https.createServer.bind(null, tls) : http.createServer)((request, response) => {
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

// The site as players reach it: https under its own name, with a
// certificate made for this run that only the test's browsers accept.
export async function serveSite(dir) {
  const [key, cert] = [path.join(dir, "site.key"), path.join(dir, "site.crt")];
  execFileSync("openssl", ["req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1", "-subj", "/CN=zendry.gg",
    "-addext", "subjectAltName=DNS:zendry.gg", "-keyout", key, "-out", cert], { stdio: "ignore" });
  const tls = { key: fs.readFileSync(key), cert: fs.readFileSync(cert) };
  const server = await serveWeb(CAN_TAKE_443 ? 443 : 0, tls);
  const der = crypto.createPublicKey(tls.cert).export({ type: "spki", format: "der" });
  return { server, port: server.address().port, spki: crypto.createHash("sha256").update(der).digest("base64") };
}

const CHROMIUM_ARGS = ["--no-sandbox", "--disable-gpu", "--no-first-run", "--disable-background-networking",
  "--disable-component-update", "--disable-sync"];
// The rules players' Firefox has, and the page's address put in the public space.
const FIREFOX_LOCAL_NETWORK_RULES = { "network.lna.enabled": true, "network.lna.blocking": true,
  "network.lna.address_space.public.override": "127.0.0.1:443" };

// Each engine: how it starts, how it takes the players' path to `site`
// (`rules: false`: Firefox without its local-network rules), and how a test
// sets the site's permission to reach apps on this device.
export const ENGINES = {
  chromium: {
    launch: ({ headless = true, args = [] } = {}) => puppeteer.launch({ browser: "chrome",
      executablePath: "/usr/bin/chromium", headless, args: [...CHROMIUM_ARGS, ...args] }),
    players: (site) => ({ args: [`--host-resolver-rules=MAP zendry.gg:443 127.0.0.1:${site.port}`,
      `--ignore-certificate-errors-spki-list=${site.spki}`, `--ip-address-space-overrides=127.0.0.1:${site.port}=public`] }),
    // The page's own setPermission with the web name does not take; the protocol's name does.
    permit: async (browser, page, state) => {
      assert.equal(state, "granted");
      await (await browser.target().createCDPSession()).send("Browser.grantPermissions",
        { origin: SITE, permissions: ["loopbackNetwork"] });
    },
  },
  firefox: {
    launch: ({ headless = true, prefs = {} } = {}) => puppeteer.launch({ browser: "firefox",
      executablePath: "/usr/bin/firefox-esr", headless, acceptInsecureCerts: true, extraPrefsFirefox: prefs }),
    players: (site, { rules = true, prefs = {} } = {}) => ({ prefs: { "network.dns.localDomains": "zendry.gg",
      ...(rules ? FIREFOX_LOCAL_NETWORK_RULES : {}), ...prefs } }),
    permit: (browser, page, state) => page.browserContext().setPermission(SITE,
      { permission: { name: "loopback-network" }, state }),
  },
};

export function answering() {
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

export async function waitFor(check, timeoutMs, what, stepMs = 100) {
  const deadline = Date.now() + timeoutMs;
  while (Date.now() < deadline) {
    if (await check()) return;
    await sleep(stepMs);
  }
  assert.fail(`timed out waiting for ${what}`);
}

// The real exe in a fresh folder, the test controller in the prefix's system
// folder (the program loads it from there only) and the test game in front.
// Everything goes when the test `t` ends.
export async function startDesktop(t) {
  const prefix = process.env.WINEPREFIX ?? path.join(BUILD, "wineprefix");
  const env = { ...process.env, WINEPREFIX: prefix, WINEDEBUG: "-all", WINEDLLOVERRIDES: "xinput1_4=n,b" };
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), "vantrel browser "));
  const exe = path.join(dir, "vantrel.exe");
  fs.copyFileSync(path.join(BUILD, "vantrel.exe"), exe);
  const system = path.join(prefix, "drive_c", "windows", "system32");
  fs.copyFileSync(path.join(BUILD, "tests", "xinput1_4.dll"), path.join(system, "xinput1_4.dll"));
  const setPad = (state) => {
    fs.writeFileSync(path.join(system, "pad.new"), state);
    fs.renameSync(path.join(system, "pad.new"), path.join(system, "pad.txt")); // never read half written
  };
  setPad("0 0");
  fs.mkdirSync(ARTIFACTS, { recursive: true });
  const children = [];
  t.after(() => {
    for (const child of children) child.kill("SIGKILL");
    try {
      execFileSync("wineserver", ["-k"], { env, stdio: "ignore", timeout: 30000 });
    } catch {
      // No server left to kill.
    }
    fs.rmSync(dir, { recursive: true, force: true });
    for (const name of ["xinput1_4.dll", "pad.txt"]) fs.rmSync(path.join(system, name), { force: true });
  });

  const desktop = {
    dir,
    setPad,
    // Started as through the page's link, so it opens no browser of its own.
    // Returns when it first answered, on the system's clock.
    startProgram: async () => {
      children.push(spawn("wine", [exe, "zendry-chests://open"], { env, stdio: "ignore" }));
      await waitFor(answering, 60000, "vantrel.exe to answer", 20);
      return performance.timeOrigin + performance.now();
    },
    closeProgram: () => execFileSync("wine", [path.join(BUILD, "tests", "desktop_double.exe"), "close"], { env, timeout: 60000 }),
  };
  await desktop.startProgram();
  const game = spawn("wine", [path.join(BUILD, "tests", "desktop_double.exe"), "game", "UnrealWindow", "Game"], {
    env,
    stdio: ["pipe", "pipe", "ignore"],
  });
  children.push(game);
  const gameLines = [];
  game.stdout.on("data", (chunk) => gameLines.push(...chunk.toString().split("\n").filter(Boolean)));
  desktop.gameSays = async (line) => {
    const before = gameLines.length;
    if (line) game.stdin.write(line + "\n");
    await waitFor(() => gameLines.length > before, 30000, `the game to answer ${line}`);
  };
  await desktop.gameSays(null); // "ready"
  return desktop;
}
