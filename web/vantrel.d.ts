// Types of vantrel.js, for editors and TypeScript pages.

/** What the stream watches; each member falls back to Vantrel's default. */
export interface Binding {
  /** 0 A/Cross, 1 B/Circle, 2 X/Square (default), 3 Y/Triangle, 4 LB/L1, 5 RB/R1. */
  button?: 0 | 1 | 2 | 3 | 4 | 5;
  /** One letter (either case) or digit; default "e". */
  key?: string;
  /** Milliseconds a press must last for a chest, 50 to 10000; default 400. */
  hold?: number;
}

/**
 * - `connecting`: the first attempt, or a reconnect after the stream ended.
 * - `connected`: a hello of this major version arrived.
 * - `not-running`: nothing answers: Vantrel is not running, or the browser
 *   blocked local network access. Offer the launch link and the permission hint.
 * - `not-installed`: nothing answered for 15 s after `launched()`. Retries go on quietly.
 * - `refused`: Vantrel runs but does not accept this page's origin.
 * - `incompatible`: Vantrel speaks another major version; the client has stopped.
 * - `closed`: after `close()`.
 */
export type Status = "connecting" | "connected" | "not-running" | "not-installed" | "refused" | "incompatible" | "closed";

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

export interface Handlers {
  onStatus?(status: Status): void;
  /** Each new stream's hello: the program's version, "major.minor.patch". */
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
}

export interface Connection {
  readonly status: Status | null;
  /** The last hello's version, or null before the first. */
  readonly version: string | null;
  /** null until Vantrel has said; then the last known state. */
  readonly controller: boolean | null;
  /** A new stream with another binding, at once; the controller state is kept. */
  rebind(binding: Binding): void;
  /** Call when the user followed the launch link: retries every 1.5 s, then `not-installed`. */
  launched(): void;
  close(): void;
}

export const HELPER: "http://127.0.0.1:47321";
export const MAJOR: number;
export const LAUNCH_URL: "zendry-chests://open";

export function connect(binding: Binding, handlers?: Handlers, options?: Options): Connection;
