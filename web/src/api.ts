import type { EditAnswer, FrameAnswer, Graph, KeyTrack, Levels, Page, State, Value } from "./types";
import type { FolderListing, PresetsView } from "./presets";

/** A refusal of the server: its status and its one-line reason. */
export class ApiError extends Error {
  constructor(
    readonly status: number,
    message: string,
    readonly body: Record<string, unknown> = {},
  ) {
    super(message);
  }
}

/** The studio's HTTP API, with the per-run token the page was opened with. */
export class Api {
  constructor(readonly token: string) {}

  private async request<T>(method: string, path: string, body?: unknown): Promise<T> {
    const headers: Record<string, string> = { "X-Pulsor-Token": this.token };
    if (body !== undefined) headers["Content-Type"] = "application/json";
    let response: Response;
    try {
      response = await fetch(path, {
        method,
        headers,
        body: body === undefined ? undefined : JSON.stringify(body),
        cache: "no-store",
      });
    } catch {
      throw new ApiError(0, "The studio server does not answer; is pulsorhost still running?");
    }
    const text = await response.text();
    let json: Record<string, unknown> = {};
    try {
      json = text ? JSON.parse(text) : {};
    } catch {
      if (response.ok) throw new ApiError(response.status, `${path}: the answer is not JSON`);
    }
    if (!response.ok) {
      const reason = typeof json.error === "string" ? json.error : `${response.status} ${response.statusText}`;
      throw new ApiError(response.status, reason, json);
    }
    return json as T;
  }

  /** A URL for <img src>, which cannot send the header. */
  imageUrl(path: string): string {
    const sep = path.includes("?") ? "&" : "?";
    return `${path}${sep}token=${encodeURIComponent(this.token)}`;
  }

  state = () => this.request<State>("GET", "/api/state");
  page = (id: number) => this.request<Page>("GET", `/api/elements/${id}/page`);
  graph = (from: number, to: number) => this.request<Graph>("GET", `/api/graph?from=${from}&to=${to}`);
  set = (id: number, param: Levels, value: Value) =>
    this.request<EditAnswer>("POST", `/api/elements/${id}/set`, { id: param, value });
  /** A click on a bitmap button: the host sets it to the value it holds. */
  press = (id: number, param: Levels) => this.request<EditAnswer>("POST", `/api/elements/${id}/set`, { id: param });
  command = (id: number, param: Levels, answer?: boolean) =>
    this.request<EditAnswer>("POST", `/api/elements/${id}/command`, answer === undefined ? { id: param } : { id: param, answer });
  addTag = (objectId: number) => this.request<EditAnswer>("POST", `/api/objects/${objectId}/tags`, {});
  remove = (id: number) => this.request<EditAnswer>("DELETE", `/api/elements/${id}`);
  rename = (id: number, name: string) => this.request<EditAnswer>("POST", `/api/elements/${id}/name`, { name });
  link = (tag: number, source: number, param: Levels, drop: boolean) =>
    this.request<EditAnswer>("POST", "/api/link", { tag, source, param, drop });
  undo = () => this.request<EditAnswer>("POST", "/api/undo");
  redo = () => this.request<EditAnswer>("POST", "/api/redo");
  /** `objects: false` asks for no objects (a page without a 3D view). */
  frame = (frame: number, element?: number, objects?: false) =>
    this.request<FrameAnswer>("POST", "/api/frame", { frame, ...(element === undefined ? {} : { element }), ...(objects === false ? { objects } : {}) });
  save = (path: string, overwrite: boolean) => this.request<EditAnswer>("POST", "/api/save", { path, overwrite });
  open = (path: string) => this.request<EditAnswer>("POST", "/api/open", { path });
  keys = () => this.request<{ tracks: KeyTrack[] }>("GET", "/api/keys");
  presets = (id: number) => this.request<PresetsView>("GET", `/api/elements/${id}/presets`);
  presetCommand = (id: number, what: "refresh" | "load" | "save" | "folder", body: Record<string, unknown> = {}) =>
    this.request<EditAnswer>("POST", `/api/elements/${id}/presets/${what}`, body);
  folders = (path: string) => this.request<FolderListing>("GET", `/api/folders?path=${encodeURIComponent(path)}`);
}
