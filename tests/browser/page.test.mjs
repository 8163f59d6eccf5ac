// The reference tracker page, and so the client module, in Chromium and
// Firefox against the real vantrel.exe under Wine: on the development origin
// http://localhost:3000, and on the players' own path, https://zendry.gg in
// the public address space, where the browser asks the player before a page
// may reach 127.0.0.1. Run under an X display (xvfb-run) with VANTREL_BUILD set.
import { test } from "node:test";
import assert from "node:assert/strict";
import fs from "node:fs";
import path from "node:path";
import { ARTIFACTS, BUILD, CAN_TAKE_443, ENGINES, SITE, serveSite, serveWeb, sleep, startDesktop, waitFor } from "./harness.mjs";

const VERSION = fs.readFileSync(path.join(BUILD, "generated", "version.h"), "utf8").match(/VANTREL_VERSION "([^"]+)"/)[1];
const LAUNCH_WAIT_MS = 3000; // shortened from 15 s for the give-up rows

// Through the page's own script, the same in both engines.
const text = (page, selector) => page.evaluate((s) => document.querySelector(s).textContent, selector);
const logLines = (page) => page.evaluate(() => [...document.querySelectorAll("#log li")].map((l) => l.textContent));
const padDowns = async (page) => (await logLines(page)).filter((line) => line.endsWith("pad down")).length;
const status = (page) => page.evaluate(() => document.body.dataset.status);
// The link followed, the browser kept off the scheme; the page's own handler still runs.
const followLaunchLink = (page) => page.evaluate(() => {
  const link = document.getElementById("launch");
  link.addEventListener("click", (event) => event.preventDefault());
  link.click();
});
// When the page next shows `wanted`, by the page's own clock (which is the system's, as Node's is).
const nextStatusAt = (page, wanted) => page.evaluate((wanted) => new Promise((resolve) => {
  new MutationObserver(() => document.body.dataset.status === wanted && resolve(performance.timeOrigin + performance.now()))
    .observe(document.body, { attributes: true });
}), wanted);

// The players' path, per engine: how the browser starts and the steps of the
// row. A step is a status the page must come to, or: "goto" the tracker;
// "allow"/"deny" the permission, as the player would; "launch": the launch
// link followed, and the launch wait let run out; "press": a controller
// press past the hold, logged and counted as a chest; "relaunch": Vantrel
// ends and is started through the link, measured to the page's `connected`;
// "hide": another tab in front past the throttling grace period; "restart":
// Vantrel ends and starts again, and the page must be back within the
// stream's retry: plus a second.
const PLAYERS = {
  chromium: [
    ["granted", {}, ["allow", "goto", "connected", "press", "relaunch"]],
    ["denied (the headless browser dismisses its prompt), allowed later", {},
      ["goto", "blocked", "launch", "blocked", "allow", "connected"]],
    ["prompt pending, allowed later", { headless: false }, ["goto", "asking", "allow", "connected"]],
    ["hidden behind the game", { headless: false, args: ["--enable-features=IntensiveWakeUpThrottling:grace_period_seconds/10"] },
      ["allow", "goto", "connected", "hide", "press", "restart"]],
  ],
  firefox: [
    ["local-network rules off", { rules: false }, ["goto", "connected"]],
    ["prompt waiting", {}, ["goto", "asking"]],
    ["the site skipped by the rules, standing in for allowed", { prefs: { "network.lna.skip-domains": "zendry.gg" } },
      ["goto", "connected", "press", "relaunch"]],
    ["denied, allowed later", {}, ["deny", "goto", "blocked", "launch", "blocked", "allow", "connected"]],
  ],
};

async function playersPath(t, engine, row, desktop, site) {
  const [name, how, steps] = row;
  const { launch, players, permit } = ENGINES[engine];
  const taken = players(site, how);
  const browser = await launch({ headless: how.headless, args: [...(taken.args ?? []), ...(how.args ?? [])], prefs: taken.prefs });
  try {
    const page = await browser.newPage();
    for (const step of steps) {
      if (step === "goto") await page.goto(`${SITE}/?launch-wait=${LAUNCH_WAIT_MS}`);
      else if (step === "allow" || step === "deny") await permit(browser, page, step === "allow" ? "granted" : "denied");
      else if (step === "launch") {
        await followLaunchLink(page);
        await sleep(LAUNCH_WAIT_MS + 1000);
      } else if (step === "press") {
        desktop.setPad(`0 ${0x4000}`); // X, the page's default button
        await waitFor(async () => (await padDowns(page)) === 1, 5000, "the pad press");
        await sleep(700); // past the 400 ms hold
        desktop.setPad("0 0");
        await waitFor(async () => (await text(page, "#chest-pad")) === "1", 5000, "the pad chest");
      } else if (step === "relaunch" || step === "restart") {
        desktop.closeProgram();
        await waitFor(async () => (await status(page)) === "not-running", 15000, "the page to see Vantrel gone");
        if (step === "relaunch") await followLaunchLink(page);
        else await sleep(12000); // hidden and failing all the while
        const connected = nextStatusAt(page, "connected");
        const answered = await desktop.startProgram();
        const late = (await connected) - answered;
        t.diagnostic(`${engine}, ${name}: connected ${Math.round(late)} ms after Vantrel's first answer (${step})`);
        if (step === "restart") assert.ok(late < 2000 + 1000, `reconnected ${late} ms after the restart`);
      } else if (step === "hide") {
        await (await browser.newPage()).bringToFront();
        await waitFor(async () => (await page.evaluate(() => document.visibilityState)) === "hidden", 5000, "the page hidden");
        await sleep(12000);
      } else {
        await waitFor(async () => (await status(page)) === step, 10000, `${step}, in ${name}`);
        const slug = name.replace(/\W+/g, "-").slice(0, 24);
        await page.screenshot({ path: path.join(ARTIFACTS, `players-${engine}-${slug}-${step}.png`) });
      }
    }
  } finally {
    await browser.close();
  }
}

// A deadline of its own, so a hang fails this test with a message instead of
// being killed from outside with Wine processes left behind.
const deadline = { timeout: 540000 };

for (const [engine, { launch }] of Object.entries(ENGINES)) test(`reference page in ${engine}: helper, controller, chests, rebind, restart, launch give-up, other origins, the players' path`, deadline, async (t) => {
  const desktop = await startDesktop(t);
  const servers = [await serveWeb(3000), await serveWeb(3001)];
  const site = await serveSite(desktop.dir);
  servers.push(site.server);
  let browser;
  t.after(async () => {
    await browser?.close();
    for (const server of servers) server.close();
  });

  browser = await launch();
  const page = await browser.newPage();
  await page.setViewport({ width: 600, height: 900 });
  await page.goto(`http://localhost:3000/?launch-wait=${LAUNCH_WAIT_MS}`);

  await waitFor(async () => (await text(page, "#status")) === "connected", 15000, "the page to connect");
  await waitFor(async () => (await text(page, "#version")) === VERSION, 5000, "the helper version");
  await waitFor(async () => (await text(page, "#controller")) === "connected", 5000, "the controller state");

  await desktop.gameSays("down 45");
  await sleep(1500); // far past the 400 ms threshold, whatever Wine's key delays
  await desktop.gameSays("up 45");
  await waitFor(async () => (await text(page, "#chest-key")) === "1", 10000, "the key chest");
  const keyLog = await logLines(page);
  assert.ok(keyLog.some((line) => line.endsWith("key down")), keyLog.join("\n"));
  assert.ok(keyLog.some((line) => line.endsWith("key chest")), keyLog.join("\n"));
  assert.ok(keyLog.some((line) => /key up after \d+ ms$/.test(line)), keyLog.join("\n"));

  desktop.setPad(`0 ${0x4000}`); // X, the page's default button
  await waitFor(async () => (await padDowns(page)) === 1, 10000, "the pad press");
  desktop.setPad("0 0");
  await waitFor(async () => (await logLines(page)).some((l) => /pad up after/.test(l)), 10000, "the pad release");
  await page.screenshot({ path: path.join(ARTIFACTS, `tracker-page-${engine}.png`) });

  // A rebind closes the stream and opens another at once, which may bring no
  // "pad" message: the page keeps what it knew, and the new binding works.
  await page.evaluate(() => {
    document.getElementById("hold").value = "300";
    document.querySelector("#binding button[type=submit]").click();
  });
  desktop.setPad(`0 ${0x4000}`);
  await waitFor(async () => (await padDowns(page)) === 2, 10000, "the pad press on the new stream");
  desktop.setPad("0 0");
  assert.equal(await text(page, "#controller"), "connected");

  // The program ends; the launch link's wait gives up; the program starts
  // again and the page reconnects by itself.
  desktop.closeProgram();
  await waitFor(async () => (await text(page, "#status")) === "not reachable", 15000, "the page to see the program gone");
  await followLaunchLink(page);
  assert.equal(await text(page, "#status"), "starting Vantrel…");
  await waitFor(async () => (await text(page, "#status")) === "not installed", 10000, "the launch give-up");
  await desktop.startProgram();
  await waitFor(async () => (await text(page, "#status")) === "connected", 15000, "the page to reconnect");
  desktop.setPad(`0 ${0x4000}`);
  await waitFor(async () => (await padDowns(page)) === 3, 10000, "the pad press after the restart");
  desktop.setPad("0 0");

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
  await waitFor(async () => (await text(foreign, "#status")) === "origin not allowed", 10000, "the refusal");
  assert.equal(await text(foreign, "#version"), "–");
  assert.deepEqual(await logLines(foreign), []);
  await foreign.screenshot({ path: path.join(ARTIFACTS, `foreign-origin-${engine}.png`) });
  await browser.close();
  browser = null;

  if (engine === "firefox" && !CAN_TAKE_443) {
    t.diagnostic("Firefox's players' path skipped: it needs port 443 of 127.0.0.1, which only root may take");
    return;
  }
  for (const row of PLAYERS[engine]) await t.test(row[0], () => playersPath(t, engine, row, desktop, site));
});
