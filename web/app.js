// Reference tracker page: its own interface around the client module.
// Plain browser JavaScript, no build step.
import { connect, LAUNCH_URL } from "./vantrel.js";

const LOG_LIMIT = 200;
const STATUS_TEXT = {
  connecting: "connecting",
  connected: "connected",
  asking: "waiting for your browser",
  blocked: "blocked by your browser",
  "not-running": "not reachable",
  launching: "starting Vantrel…",
  "not-installed": "not installed",
  refused: "origin not allowed",
  incompatible: "incompatible version",
  closed: "closed",
};

const $ = (id) => document.getElementById(id);
const chests = { pad: 0, key: 0 };

function log(text, kind) {
  const item = document.createElement("li");
  item.textContent = `${new Date().toLocaleTimeString()}  ${text}`;
  if (kind) item.className = kind;
  const list = $("log");
  list.prepend(item);
  while (list.children.length > LOG_LIMIT) list.lastChild.remove();
}

function binding() {
  return { button: Number($("button").value), key: $("key").value.trim(), hold: Number($("hold").value) };
}

// For tests: ?launch-wait=MS shortens the wait after the launch link.
const launchWait = Number(new URLSearchParams(location.search).get("launch-wait")) || undefined;

const vantrel = connect(
  binding(),
  {
    onStatus(status) {
      const online = status === "connected";
      document.body.dataset.status = status; // shows that status's hint
      $("status").textContent = STATUS_TEXT[status];
      $("status").className = "pill " + (online ? "online" : "offline");
    },
    onHello(version) {
      $("version").textContent = version;
    },
    onController(connected) {
      $("controller").textContent = connected ? "connected" : "not connected";
      $("controller").className = "pill " + (connected ? "online" : "offline");
    },
    onDown: ({ source }) => log(`${source} down`),
    onUp: ({ source, ms, game }) => log(`${source} up after ${ms} ms${game ? "" : " (game not in front)"}`),
    onChest({ source }) {
      chests[source] += 1;
      $("chest-" + source).textContent = chests[source];
      log(`${source} chest`, "chest");
    },
  },
  { launchWaitMs: launchWait },
);

$("launch").href = LAUNCH_URL;
$("launch").addEventListener("click", () => vantrel.launched());

$("binding").addEventListener("submit", (event) => {
  event.preventDefault();
  log(`watching button ${$("button").selectedOptions[0].text}, key ${$("key").value.toUpperCase()}, hold ${$("hold").value} ms`);
  vantrel.rebind(binding());
});
