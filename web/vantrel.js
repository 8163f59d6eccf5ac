// The tracker page's client for Vantrel: one stream, kept open, and what it
// says turned into handler calls. An ES module with no dependencies; the
// types are in vantrel.d.ts beside it.
//
// The stream is read with fetch, not EventSource: EventSource hides the
// keep-alive comments, so a page could not tell a quiet stream from a dead
// one, and it reports every failure alike.

/** Where Vantrel listens; `localhost` would also try `::1`, which it does not serve. */
export const HELPER = "http://127.0.0.1:47321";
/** The protocol's major version this client speaks; it moves with Vantrel's. */
export const MAJOR = 1;
/** The link that starts Vantrel (the browser asks the user first). */
export const LAUNCH_URL = "zendry-chests://open";

const RETRY_MS = 2000; // until the stream's own "retry:" says otherwise
const RETRY_LAUNCHING_MS = 1500; // the documented 1 to 2 s while a launch may be under way
const REFUSED_RETRY_MS = 30000; // a refused origin is a deployment mistake: ask seldom
const SILENCE_LIMIT_MS = 35000; // keep-alives come a little over 15 s apart
const LAUNCH_WAIT_MS = 15000;

/** Opens the stream for `binding` and keeps it open until `close()`. */
export function connect(binding, handlers = {}, options = {}) {
  const launchWaitMs = options.launchWaitMs ?? LAUNCH_WAIT_MS;
  let current = binding;
  let status = null;
  let version = null;
  let controller = null; // unknown until a "pad" message; kept across streams
  let retryMs = RETRY_MS;
  let launchedAt = null; // while the launch wait runs
  let notInstalled = false; // the launch wait ran out with no answer
  let stream = null; // the AbortController of the latest attempt; an older one is stale
  let timer = null;
  let closed = false;

  const call = (name, ...args) => handlers[name]?.(...args);
  const setStatus = (next) => {
    if (next === status) return;
    status = next;
    call("onStatus", next);
  };

  function schedule(ms) {
    clearTimeout(timer);
    timer = closed ? null : setTimeout(open, ms);
  }

  function handle(message) {
    switch (message.type) {
      case "hello": {
        version = message.version;
        if (Number.parseInt(String(version), 10) !== MAJOR) {
          setStatus("incompatible");
          stream?.abort();
          closed = true; // a page written for another major cannot read it
          return;
        }
        launchedAt = null;
        notInstalled = false;
        setStatus("connected");
        call("onHello", version);
        break;
      }
      case "pad":
        controller = message.connected === true;
        call("onController", controller);
        break;
      case "down":
        call("onDown", message);
        break;
      case "up":
        call("onUp", message);
        break;
      case "chest":
        call("onChest", message);
        break;
      // Later versions may add types: ignored.
    }
  }

  // Server-Sent Events, as the stream writes them: lines ending in "\n",
  // "data:" lines joined, a blank line ending the event, ":" a comment.
  function feed(state, text) {
    state.rest += text;
    let end;
    while ((end = state.rest.indexOf("\n")) >= 0) {
      const line = state.rest.slice(0, end).replace(/\r$/, "");
      state.rest = state.rest.slice(end + 1);
      if (line === "") {
        if (state.data !== null) {
          let message = null;
          try {
            message = JSON.parse(state.data);
          } catch {
            // Not ours to read.
          }
          if (message && typeof message === "object") handle(message);
        }
        state.data = null;
        if (closed) return;
        continue;
      }
      const colon = line.indexOf(":");
      const field = colon < 0 ? line : line.slice(0, colon);
      const value = colon < 0 ? "" : line.slice(colon + 1).replace(/^ /, "");
      if (field === "data") state.data = state.data === null ? value : state.data + "\n" + value;
      else if (field === "retry" && /^\d+$/.test(value)) retryMs = Number(value);
    }
  }

  // Why the stream could not be opened: a no-cors request gets an (opaque)
  // answer only when Vantrel runs, so then it refused this page's origin.
  async function failed(mine) {
    let answered = false;
    try {
      await fetch(HELPER + "/", { mode: "no-cors", cache: "no-store" });
      answered = true;
    } catch {
      // Not running, or the browser blocked local network access.
    }
    if (closed || stream !== mine) return;
    if (answered) {
      setStatus("refused");
      schedule(REFUSED_RETRY_MS);
      return;
    }
    if (launchedAt !== null && Date.now() - launchedAt >= launchWaitMs) {
      launchedAt = null;
      notInstalled = true;
    }
    setStatus(notInstalled ? "not-installed" : "not-running");
    schedule(launchedAt !== null ? RETRY_LAUNCHING_MS : retryMs);
  }

  async function open() {
    clearTimeout(timer);
    if (closed) return;
    if (status === null) setStatus("connecting");
    stream?.abort();
    const mine = new AbortController();
    stream = mine;
    let silence = null;
    const alive = () => {
      clearTimeout(silence);
      silence = setTimeout(() => mine.abort(), SILENCE_LIMIT_MS);
    };
    const query = new URLSearchParams({
      button: String(current.button ?? 2),
      key: String(current.key ?? "e"),
      hold: String(current.hold ?? 400),
    });
    let reached = false;
    try {
      alive();
      const response = await fetch(`${HELPER}/events?${query}`, { cache: "no-store", signal: mine.signal });
      if (!response.ok || !response.body) throw new Error(`status ${response.status}`);
      reached = true;
      const reader = response.body.pipeThrough(new TextDecoderStream()).getReader();
      const state = { rest: "", data: null };
      for (;;) {
        const { done, value } = await reader.read();
        if (done || closed || stream !== mine) break;
        alive();
        feed(state, value);
      }
      reader.cancel().catch(() => {});
    } catch {
      // Ended, aborted or never opened: decided below.
    } finally {
      clearTimeout(silence);
    }
    if (stream !== mine || closed) return; // replaced by a rebind, or closed
    if (reached) {
      // Ended after it opened (Vantrel quit, dropped us, or went silent):
      // reconnect as the stream asked, with a new hello.
      setStatus("connecting");
      schedule(retryMs);
    } else {
      await failed(mine);
    }
  }

  open();

  return {
    get status() {
      return status;
    },
    get version() {
      return version;
    },
    get controller() {
      return controller;
    },
    rebind(binding) {
      current = binding;
      open();
    },
    launched() {
      if (closed || status === "connected") return;
      launchedAt = Date.now();
      notInstalled = false;
      schedule(0);
    },
    close() {
      closed = true;
      clearTimeout(timer);
      stream?.abort();
      setStatus("closed");
    },
  };
}
