// Controller change to the tracker page's onDown, on the players' path: the
// reference page at https://zendry.gg in the public address space, with the
// site allowed to reach this device, against the real exe under Wine. Each
// change is a press of the test controller at a random phase; the page's
// log line for its `down` is timestamped as it appears. Prints p50, p99 and
// max in ms per engine.
//
//     VANTREL_BUILD=build/win xvfb-run -a node bench/page_latency.mjs [changes]
import { test } from "node:test";
import { ENGINES, SITE, serveSite, sleep, startDesktop, waitFor } from "../tests/browser/harness.mjs";

const CHANGES = Number(process.argv.at(-1)) || 200;
const now = () => performance.timeOrigin + performance.now(); // the page's clock reads the same
const percentile = (sorted, p) => sorted[Math.min(sorted.length - 1, Math.floor((p / 100) * sorted.length))];

for (const [engine, { launch, players, permit }] of Object.entries(ENGINES)) test(`${engine}: ${CHANGES} presses`, { timeout: 600000 }, async (t) => {
  const desktop = await startDesktop(t);
  const site = await serveSite(desktop.dir);
  const taken = players(site);
  const browser = await launch({ args: taken.args, prefs: taken.prefs });
  t.after(async () => (await browser.close(), site.server.close()));
  const page = await browser.newPage();
  await permit(browser, page, "granted");
  await page.goto(`${SITE}/`);
  await waitFor(async () => (await page.evaluate(() => document.body.dataset.status)) === "connected", 15000, "connected");
  await page.evaluate(() => {
    window.downs = [];
    // Called right after the handler's own change to the log, in the same task.
    new MutationObserver((records) => {
      for (const node of records.flatMap((record) => [...record.addedNodes]))
        if (node.textContent.endsWith("pad down")) window.downs.push(performance.timeOrigin + performance.now());
    }).observe(document.getElementById("log"), { childList: true });
  });
  const late = [];
  for (let i = 0; i < CHANGES; i++) {
    await sleep(40 + Math.random() * 60);
    desktop.setPad(`0 ${0x4000}`);
    const changed = now();
    await waitFor(async () => (await page.evaluate(() => window.downs.length)) > i, 5000, "the down", 2);
    late.push((await page.evaluate((i) => window.downs[i], i)) - changed);
    await sleep(40 + Math.random() * 60);
    desktop.setPad("0 0");
    await sleep(60); // three ticks: the release is seen before the next press
  }
  late.sort((a, b) => a - b);
  const ms = (v) => v.toFixed(1);
  console.log(`${engine}: ${CHANGES} presses, change to onDown p50 ${ms(percentile(late, 50))} ms, p99 ${ms(percentile(late, 99))} ms, max ${ms(late.at(-1))} ms`);
});
