// Reference tracker page: subscribes to Vantrel's event stream and shows
// what arrives. Plain browser JavaScript, no build step.
"use strict";

const HELPER = "http://127.0.0.1:47321";
const RETRY_MS = 5000; // after the browser gave up (CORS refusal or a denied prompt)
const LOG_LIMIT = 200;

const $ = (id) => document.getElementById(id);
const chests = { pad: 0, key: 0 };
let source = null;
let retryTimer = null;

function setReachable(reachable) {
  document.body.classList.toggle("online", reachable);
  $("status").textContent = reachable ? "connected" : "not reachable";
  $("status").className = "pill " + (reachable ? "online" : "offline");
}

// Shown until the first "pad" message. A new stream gets one only when no
// other stream was open on Vantrel's last tick, so after a rebind or a
// reconnect the last known state stays.
function setController(connected) {
  const el = $("controller");
  el.textContent = connected === null ? "unknown" : connected ? "connected" : "not connected";
  el.className = "pill " + (connected === null ? "unknown" : connected ? "online" : "offline");
}

function log(text, kind) {
  const item = document.createElement("li");
  item.textContent = `${new Date().toLocaleTimeString()}  ${text}`;
  if (kind) item.className = kind;
  const list = $("log");
  list.prepend(item);
  while (list.children.length > LOG_LIMIT) list.lastChild.remove();
}

function handle(message) {
  switch (message.type) {
    case "hello":
      $("version").textContent = message.version;
      break;
    case "pad":
      setController(message.connected);
      break;
    case "down":
      log(`${message.source} down`);
      break;
    case "up":
      log(`${message.source} up after ${message.ms} ms${message.game ? "" : " (game not in front)"}`);
      break;
    case "chest":
      chests[message.source] += 1;
      $("chest-" + message.source).textContent = chests[message.source];
      log(`${message.source} chest`, "chest");
      break;
  }
}

function subscribe() {
  clearTimeout(retryTimer);
  if (source) source.close();
  const query = new URLSearchParams({
    button: $("button").value,
    key: $("key").value.trim().toLowerCase(),
    hold: $("hold").value,
  });
  source = new EventSource(`${HELPER}/events?${query}`);
  source.onopen = () => setReachable(true);
  source.onmessage = (event) => handle(JSON.parse(event.data));
  source.onerror = () => {
    setReachable(false);
    // EventSource reconnects by itself after a dropped stream; when it has
    // given up for good, try again on our own.
    if (source.readyState === EventSource.CLOSED) retryTimer = setTimeout(subscribe, RETRY_MS);
  };
}

$("binding").addEventListener("submit", (event) => {
  event.preventDefault();
  log(`watching button ${$("button").selectedOptions[0].text}, key ${$("key").value.toUpperCase()}, hold ${$("hold").value} ms`);
  subscribe();
});

subscribe();
