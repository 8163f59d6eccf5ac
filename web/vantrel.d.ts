// Types of vantrel.js, for editors and TypeScript pages.

/**
 * What the stream watches. A member left out is not sent, and Vantrel uses
 * its own default; a value Vantrel cannot read counts as left out.
 */
export interface Binding {
  /** A whole number: 0 A/Cross, 1 B/Circle, 2 X/Square (Vantrel's default), 3 Y/Triangle, 4 LB/L1, 5 RB/R1. */
  button?: number;
  /** One letter (either case) or digit; Vantrel's default "e". */
  key?: string;
  /** A whole number of milliseconds a press must last for a chest, 50 to 10000 (clamped); Vantrel's default 400. */
  hold?: number;
}

/**
 * What the player should be told. After each, what brings the page back.
 * - `connecting`: the first attempt, or a reconnect after the stream ended.
 * - `connected`: a hello of this major version arrived.
 * - `asking`: the browser is asking the player whether this site may reach
 *   apps on this device; the request waits for the answer. Point at the
 *   browser's prompt and say to allow it.
 * - `blocked`: the browser refuses this site access to apps on this device
 *   (the player once chose Block). Installing or starting Vantrel changes
 *   nothing. Chrome and Edge: "View site information" left of the address,
 *   then switch on "Apps on device"; the page reconnects by itself. Firefox:
 *   "View site information", then the × beside "Access this device"
 *   (Blocked), then reload.
 * - `not-running`: nothing answers. Offer the launch link.
 * - `launching`: after `launched()`, waiting for Vantrel to answer; tries
 *   every 0.4 s for 15 s.
 * - `not-installed`: nothing answered for 15 s after `launched()`. Offer the
 *   download; retries go on quietly every 2 s.
 * - `refused`: Vantrel runs but does not accept this page's origin, a
 *   deployment mistake; asks again every 30 s.
 * - `incompatible`: Vantrel speaks another major version; the client has stopped.
 * - `closed`: after `close()`.
 */
export type Status =
  | "connecting"
  | "connected"
  | "asking"
  | "blocked"
  | "not-running"
  | "launching"
  | "not-installed"
  | "refused"
  | "incompatible"
  | "closed";

export type Source = "pad" | "key";

export interface Down {
  type: "down";
  source: Source;
}

export interface Up {
  type: "up";
  source: Source;
  /** How long it was held, in whole milliseconds. */
  ms: number;
  /** Whether the game was in front at the release. */
  game: boolean;
}

export interface Chest {
  type: "chest";
  source: Source;
}

/** Called only after `connect()` has returned; an exception thrown by one is reported, and the stream goes on. */
export interface Handlers {
  onStatus?(status: Status): void;
  /** Each new stream's hello, "major.minor.patch"; for another major, after `onStatus("incompatible")`. */
  onHello?(version: string): void;
  /** Whether a controller is connected; kept across rebinds and reconnects. */
  onController?(connected: boolean): void;
  onDown?(event: Down): void;
  onUp?(event: Up): void;
  onChest?(event: Chest): void;
}

export interface Options {
  /** How long after `launched()` the client waits before `not-installed`; 15000 ms. */
  launchWaitMs?: number;
  /** Where Vantrel listens; `HELPER`. For tests against a stand-in. */
  helper?: string;
  /** A stream silent this long is taken for dead and opened again; 35000 ms. */
  silenceLimitMs?: number;
}

export interface Connection {
  readonly status: Status | null;
  /** The last hello's version, or null before the first. */
  readonly version: string | null;
  /** null until Vantrel has said; then the last known state. */
  readonly controller: boolean | null;
  /**
   * A new stream at once; the controller state is kept. Members left out
   * keep their earlier values; one set to `undefined` goes back to Vantrel's default.
   */
  rebind(binding: Binding): void;
  /** Call when the player followed the launch link: `launching`, then `not-installed` after 15 s. */
  launched(): void;
  close(): void;
}

/** One step of the stream reader; `state` is the last step's (null at first). */
export function readEvents(
  state: ReaderState | null,
  text: string,
): { events: string[]; retry: number | null; state: ReaderState };
export interface ReaderState {
  readonly rest: string;
  readonly data: string | null;
}

export const HELPER: "http://127.0.0.1:47321";
export const MAJOR: number;
export const LAUNCH_URL: "zendry-chests://open";

export function connect(binding: Binding, handlers?: Handlers, options?: Options): Connection;
