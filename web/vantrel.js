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
// While a launch may be under way: connected within half a second of
// Vantrel's first answer, at one failed request (one console error) a try.
const LAUNCH_RETRY_MS = 400;
const SLOW_RETRY_MS = 30000; // refused or blocked: nothing the page can mend by asking often
const SILENCE_LIMIT_MS = 35000; // keep-alives come a little over 15 s apart
const LAUNCH_WAIT_MS = 15000;
// A request to loopback that is still pending this long waits on the
// browser's permission prompt: Vantrel answers in milliseconds, and a
// connection nobody accepts fails at once.
const ASKING_AFTER_MS = 1000;
// The permission that covers 127.0.0.1 from a public page: its own name in
// current browsers, the older combined one before.
const PERMISSION_NAMES = ["loopback-network", "local-network-access"];

/**
 * One step of reading an event stream: give it what the last step returned
 * (`null` at first) and the text that arrived. Returns the `data` of each
 * event the text completed, the last `retry:` value in it (or null), and the
 * state for the next step. Lines end in "\n" or "\r\n"; "data:" lines of one
 * event are joined with "\n"; a line starting with ":" is a comment.
 */
export function readEvents(state, text) {
  let rest = (state?.rest ?? "") + text;
  let data = state?.data ?? null;
  const events = [];
  let retry = null;
  let end;
  while ((end = rest.indexOf("\n")) >= 0) {
    const line = rest.slice(0, end).replace(/\r$/, "");
    rest = rest.slice(end + 1);
    if (line === "") {
      if (data !== null) events.push(data);
      data = null;
      continue;
    }
    const colon = line.indexOf(":");
    const field = colon < 0 ? line : line.slice(0, colon);
    const value = colon < 0 ? "" : line.slice(colon + 1).replace(/^ /, "");
    if (field === "data") data = data === null ? value : data + "\n" + value;
    else if (field === "retry" && /^\d+$/.test(value)) retry = Number(value);
  }
  return { events, retry, state: { rest, data } };
}

async function permission() {
  for (const name of PERMISSION_NAMES) {
    try {
      return await navigator.permissions.query({ name });
    } catch {
      // Not a name this browser knows, or no Permissions API at all.
    }
  }
  return null;
}

/** Opens the stream for `binding` and keeps it open until `close()`. */
export function connect(binding, handlers = {}, options = {}) {
  const helper = options.helper ?? HELPER;
  const launchWaitMs = options.launchWaitMs ?? LAUNCH_WAIT_MS;
  const silenceLimitMs = options.silenceLimitMs ?? SILENCE_LIMIT_MS;
  let current = { ...binding };
  let status = null;
  let version = null;
  let controller = null; // unknown until a "pad" message; kept across streams
  let retryMs = RETRY_MS;
  let launchedAt = null; // while the launch wait runs
  let notInstalled = false; // the launch wait ran out with no answer
  let attempt = null; // the AbortController of the latest attempt; an older one is stale
  let timer = null;
  let closed = false;
  let watched = null; // the permission's status object, once known

  // A handler's exception is the page's own fault: reported, never taken
  // for the stream's end.
  const call = (name, ...args) => {
    try {
      handlers[name]?.(...args);
    } catch (error) {
      if (typeof reportError === "function") reportError(error);
      else console.error(error);
    }
  };
  const setStatus = (next) => {
    if (next === status) return;
    status = next;
    call("onStatus", next);
  };
  const stale = (mine) => closed || attempt !== mine;
  // Asked afresh each time: a denial can be decided before its change event.
  const permissionState = async () => (await permission())?.state ?? null;

  function schedule(ms, knockFirst) {
    clearTimeout(timer);
    timer = closed ? null : setTimeout(() => tryToReach(knockFirst), ms);
  }

  // A fetch to Vantrel; while it is pending the browser may be asking the user.
  async function request(mine, path, init) {
    let pending = true;
    const asking = setTimeout(async () => {
      const state = await permissionState();
      if (pending && !stale(mine) && state !== "granted" && state !== "denied") setStatus("asking");
    }, ASKING_AFTER_MS);
    try {
      return await fetch(helper + path, { cache: "no-store", ...init, signal: mine.signal });
    } finally {
      pending = false;
      clearTimeout(asking);
    }
  }

  // Whether anything answers: a no-cors request gets an (opaque) answer
  // only when Vantrel runs, whatever it thinks of this page's origin.
  async function knock(mine) {
    try {
      await request(mine, "/", { mode: "no-cors" });
      return true;
    } catch {
      return false;
    }
  }

  function handle(mine, message) {
    switch (message.type) {
      case "hello": {
        version = message.version;
        const compatible = Number.parseInt(String(version), 10) === MAJOR;
        if (compatible) {
          launchedAt = null;
          notInstalled = false;
        }
        setStatus(compatible ? "connected" : "incompatible");
        call("onHello", version);
        if (!compatible) {
          closed = true; // a page written for another major cannot read it
          mine.abort();
        }
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

  // True once Vantrel answered with the stream, however it ended after.
  async function readStream(mine) {
    let silence = null;
    const alive = () => {
      clearTimeout(silence);
      silence = setTimeout(() => mine.abort(), silenceLimitMs);
    };
    const query = new URLSearchParams();
    for (const name of ["button", "key", "hold"]) if (current[name] !== undefined) query.set(name, String(current[name]));
    const search = query.size ? `?${query}` : "";
    let response;
    try {
      response = await request(mine, `/events${search}`, {});
    } catch {
      return false;
    }
    if (!response.ok || !response.body) return false;
    try {
      alive();
      const reader = response.body.pipeThrough(new TextDecoderStream()).getReader();
      let state = null;
      for (;;) {
        const { done, value } = await reader.read();
        if (done || stale(mine)) break;
        alive();
        const read = readEvents(state, value);
        state = read.state;
        if (read.retry !== null) retryMs = read.retry;
        for (const data of read.events) {
          let message = null;
          try {
            message = JSON.parse(data);
          } catch {
            // Not ours to read.
          }
          if (message && typeof message === "object") handle(mine, message);
          if (stale(mine)) break;
        }
      }
      reader.cancel().catch(() => {});
    } catch {
      // Ended, aborted or went silent.
    } finally {
      clearTimeout(silence);
    }
    return true;
  }

  // Nothing answers: tell the player why, and when to try again.
  async function unanswered(mine) {
    const state = await permissionState();
    if (stale(mine)) return;
    if (state === "denied") {
      // The wait is for Vantrel to start; it runs again once the page may see it.
      if (launchedAt !== null) launchedAt = Date.now();
      setStatus("blocked");
      schedule(SLOW_RETRY_MS, true);
      return;
    }
    if (launchedAt !== null && Date.now() - launchedAt >= launchWaitMs) {
      launchedAt = null;
      notInstalled = true;
    }
    setStatus(launchedAt !== null ? "launching" : notInstalled ? "not-installed" : "not-running");
    schedule(launchedAt !== null ? LAUNCH_RETRY_MS : retryMs, true);
  }

  // One try. `knockFirst`: nothing answered last time, so a plain request
  // goes first, and the stream only once something answers.
  async function tryToReach(knockFirst) {
    clearTimeout(timer);
    if (closed) return;
    attempt?.abort();
    const mine = new AbortController();
    attempt = mine;
    if (status === null) setStatus("connecting");
    if (knockFirst && !(await knock(mine))) {
      if (!stale(mine)) await unanswered(mine);
      return;
    }
    if (stale(mine)) return;
    const reached = await readStream(mine);
    if (stale(mine)) return; // replaced by a rebind, or closed
    if (reached) {
      // Ended after it opened (Vantrel quit, dropped us, or went silent):
      // reconnect as the stream asked, with a new hello.
      setStatus("connecting");
      schedule(retryMs, false);
    } else if (knockFirst) {
      // It answered a moment ago, so the stream was refused to this origin.
      setStatus("refused");
      schedule(SLOW_RETRY_MS, true);
    } else if (await knock(mine)) {
      // Something answers now; the stream may have failed on a prompt that
      // has since been answered: only a knock and a stream in a row tell.
      if (!stale(mine)) tryToReach(true);
    } else if (!stale(mine)) {
      await unanswered(mine);
    }
  }

  // A pending request is not let go when the user allows it later: start
  // again at once whenever the permission changes.
  function permissionChanged() {
    if (!closed && status !== "connected") tryToReach(false);
  }

  // No handler runs before connect() has returned.
  queueMicrotask(() => {
    tryToReach(false);
    permission().then((found) => {
      watched = found;
      if (!closed) watched?.addEventListener("change", permissionChanged);
    });
  });

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
      current = { ...current, ...binding };
      tryToReach(false);
    },
    launched() {
      if (closed || status === "connected" || status === "incompatible") return;
      launchedAt = Date.now();
      notInstalled = false;
      // Blocked, asking or refused: a start of Vantrel changes nothing the page sees.
      if (status !== "connecting" && status !== "not-running" && status !== "not-installed") return;
      setStatus("launching");
      schedule(0, true);
    },
    close() {
      closed = true;
      clearTimeout(timer);
      attempt?.abort();
      watched?.removeEventListener("change", permissionChanged);
      setStatus("closed");
    },
  };
}
