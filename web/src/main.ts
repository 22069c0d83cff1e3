// The studio's page: object list, attribute page, timeline and graph, wired
// to the server. Every edit is one request; afterwards the state, the page
// and the graph are fetched again, so the page always shows what the module
// decided.
import "./style.css";
import { Api, ApiError } from "./api";
import { ask, askText } from "./dialog";
import { beginDrag, dropTarget, endDrag, type DragPayload } from "./dnd";
import { GraphView } from "./graph";
import { ObjectsView } from "./objects";
import { PageView } from "./page";
import { PresetsPanel } from "./presets";
import { showHelp, shortcutFor } from "./shortcuts";
import { Timeline } from "./timeline";
import type { EditAnswer, ElementRef, Levels, Page, SceneObject, State, TimeValue } from "./types";
import { toNumber } from "./units";
import { Viewport } from "./viewport";

const isMac = /Mac|iPhone|iPad/.test(navigator.platform);

function el<K extends keyof HTMLElementTagNameMap>(tag: K, cls?: string, text?: string): HTMLElementTagNameMap[K] {
  const node = document.createElement(tag);
  if (cls) node.className = cls;
  if (text !== undefined) node.textContent = text;
  return node;
}

function toolButton(text: string, label: string, hint?: string): HTMLButtonElement {
  const b = el("button", "btn", text);
  b.type = "button";
  b.title = hint ? `${label} (${hint})` : label;
  if (text !== label) b.setAttribute("aria-label", label);
  return b;
}

interface Found {
  element: ElementRef;
  object: SceneObject | null;
  path: string;
}

/** Every element of the state by id, with the object that carries it. */
function index(state: State): Map<number, Found> {
  const all = new Map<number, Found>();
  const walk = (o: SceneObject, prefix: string) => {
    const path = `${prefix}/${o.name}`;
    all.set(o.id, { element: o, object: o, path });
    for (const t of o.tags) all.set(t.id, { element: t, object: o, path: `${path}#${t.name}` });
    for (const c of o.children ?? []) walk(c, path);
  };
  for (const o of state.objects) walk(o, "");
  for (const m of state.materials) all.set(m.id, { element: m, object: null, path: `@${m.name}` });
  return all;
}

const KEY_SEQUENCE = 2356;
const KEY_FROM = 2357;
const KEY_TO = 2358;

/** The frames "Keyframe Sequence" bakes, while it is on. */
export function sequenceOf(page: Page, fps: number): { from: number; to: number } | null {
  const value = (id: number) => page.entries.find((e) => e.id.length === 1 && e.id[0] === id)?.value;
  if (value(KEY_SEQUENCE) !== true) return null;
  const frames = (v: unknown) => Math.round(toNumber((v as TimeValue | undefined)?.seconds ?? NaN) * fps);
  const from = frames(value(KEY_FROM));
  const to = frames(value(KEY_TO));
  return Number.isFinite(from) && Number.isFinite(to) ? { from, to } : null;
}

export interface Metrics {
  editMs: number;
  renderMs: number;
  graphMs: number;
  edits: number;
}

class Studio {
  readonly api: Api;
  state: State | null = null;
  selected: number | null = null;
  private elements = new Map<number, Found>();
  private pending = 0;
  private idleWaiters: (() => void)[] = [];
  private generation = 0;
  private iconVersion = 0;
  metrics: Metrics = { editMs: 0, renderMs: 0, graphMs: 0, edits: 0 };

  private status = el("div", "status");
  private fileName = el("span", "file-name");
  private undoButton = toolButton("↶ Undo", "Undo", isMac ? "⌘Z" : "Ctrl+Z");
  private redoButton = toolButton("↷ Redo", "Redo", isMac ? "⇧⌘Z" : "Ctrl+Shift+Z");
  private addTagButton = toolButton("+ Pulsor tag", "Add a Pulsor tag to the selected object");
  private renameButton = toolButton("Rename", "Rename the selected tag");
  private deleteButton = toolButton("Delete", "Delete the selected tag");
  private pageTitle = el("h2", "page-title");
  private pageIcon = el("img", "icon");
  private attributes = el("section", "attributes");
  readonly objects: ObjectsView;
  readonly page: PageView;
  readonly timeline: Timeline;
  readonly graph = new GraphView();
  readonly viewport = new Viewport({ select: (id) => void this.select(id) });
  readonly presets = new PresetsPanel({
    read: () => {
      const tag = this.selectedPulsorTag();
      return tag === null ? Promise.resolve(null) : this.api.presets(tag);
    },
    refresh: () => this.presetEdit("refresh"),
    load: (index) => this.presetEdit("load", { index }),
    save: (name) => this.presetEdit("save", { name }),
    folders: (path) => this.api.folders(path),
    choose: (path) => this.presetEdit("folder", { path }),
    refuse: (message) => this.say(message, true),
  });

  constructor(token: string) {
    this.api = new Api(token);
    this.objects = new ObjectsView({
      select: (id) => void this.select(id),
      iconUrl: (id) => this.api.imageUrl(`/api/elements/${id}/icon?v=${this.iconVersion}`),
      makeDropTarget: (node, tag) => dropTarget(node, () => tag, this.dropHandlers),
    });
    this.page = new PageView(
      {
        set: (param, value) => void this.edit(() => this.api.set(this.selected!, param, value)),
        command: (param) => void this.edit(() => this.command(param)),
        press: (param) => void this.edit(() => this.api.press(this.selected!, param)),
        dragStart: (param, label) => beginDrag({ source: this.selected!, param, label }),
        dragEnd: endDrag,
        bitmapUrl: (param) => this.api.imageUrl(`/api/elements/${this.selected}/bitmap?id=${param.join(",")}`),
        refuse: (message) => this.say(message, true),
      },
      () => this.state?.fps ?? 30,
    );
    this.timeline = new Timeline({ seek: (f) => this.seek(f), paused: () => this.catchUp() });
    this.layout();
  }

  private dropHandlers = {
    check: async (tag: number, p: DragPayload) => (await this.api.link(tag, p.source, p.param, false)).accept === true,
    drop: (tag: number, p: DragPayload) =>
      this.edit(async () => {
        const answer = await this.api.link(tag, p.source, p.param, true);
        this.iconVersion++;
        this.say(answer.accepted ? `Linked "${p.label}".` : `The tag did not take "${p.label}".`, !answer.accepted);
        return answer;
      }),
  };

  // ---- layout -------------------------------------------------------------

  private layout(): void {
    const app = document.getElementById("app")!;
    const header = el("header", "toolbar");
    const brand = el("h1", "brand", "Pulsor Studio");
    const openButton = toolButton("Open…", "Open a scene");
    const saveButton = toolButton("Save…", "Save the scene", isMac ? "⌘S" : "Ctrl+S");
    openButton.addEventListener("click", () => void this.openScene());
    saveButton.addEventListener("click", () => void this.saveScene());
    this.undoButton.addEventListener("click", () => void this.undo(false));
    this.redoButton.addEventListener("click", () => void this.undo(true));
    this.status.setAttribute("role", "status");
    this.status.setAttribute("aria-live", "polite");
    const helpButton = toolButton("?", "Keyboard shortcuts", "?");
    helpButton.addEventListener("click", () => showHelp());
    header.append(brand, this.fileName, openButton, saveButton, this.undoButton, this.redoButton, this.status, helpButton);

    const side = el("aside", "side");
    const sideTools = el("div", "side-tools");
    this.addTagButton.textContent = "+ Pulsor tag";
    this.addTagButton.addEventListener("click", () => void this.addTag());
    this.renameButton.addEventListener("click", () => void this.renameTag());
    this.deleteButton.addEventListener("click", () => void this.deleteTag());
    sideTools.append(this.addTagButton, this.renameButton, this.deleteButton);
    side.append(sideTools, this.objects.root);

    this.attributes.setAttribute("aria-label", "Attributes");
    const head = el("div", "page-head");
    this.pageIcon.alt = "";
    head.append(this.pageIcon, this.pageTitle);
    this.attributes.append(head, this.page.root);
    dropTarget(this.page.root, () => this.selectedPulsorTag(), this.dropHandlers);

    const bottom = el("section", "sequence");
    bottom.setAttribute("aria-label", "Timeline and graph");
    bottom.append(this.timeline.root, this.graph.root);

    const view = el("aside", "view");
    view.append(this.viewport.root, this.presets.root);

    app.append(header, side, this.attributes, view, bottom);
    document.addEventListener("keydown", (ev) => this.keys(ev));
  }

  private keys(ev: KeyboardEvent): void {
    const mod = isMac ? ev.metaKey : ev.ctrlKey;
    if (!mod) return this.plainKeys(ev);
    const key = ev.key.toLowerCase();
    // A modal's question comes first; a field keeps its own undo while
    // something is typed in it that is not sent yet.
    if (document.querySelector("dialog[open]")) return;
    const target = ev.target as HTMLElement;
    const typing = target.matches?.("input, textarea") && target.dataset?.dirty === "1";
    if (key === "z" && !typing) {
      ev.preventDefault();
      void this.undo(ev.shiftKey);
    } else if (key === "y" && !isMac && !typing) {
      ev.preventDefault();
      void this.undo(true);
    } else if (key === "s") {
      ev.preventDefault();
      void this.saveScene();
    }
  }

  /** Keys without a modifier: playback, stepping, deleting a tab, help. */
  private plainKeys(ev: KeyboardEvent): void {
    if (ev.altKey || document.querySelector("dialog[open]")) return;
    const action = shortcutFor(ev.key, ev.target as Element | null);
    if (!action) return;
    ev.preventDefault();
    const t = this.timeline;
    switch (action) {
      case "play":
        return t.isPlaying ? t.pause() : t.play();
      case "previous":
        return void t.go(t.current - 1);
      case "next":
        return void t.go(t.current + 1);
      case "first":
        return void t.go(t.first);
      case "last":
        return void t.go(t.last);
      case "delete-tab":
        return this.deleteShownTab();
      case "help":
        return showHelp();
    }
  }

  /** Delete on the page removes the tab shown, through the tab's own "Delete" button, as a click would. */
  private deleteShownTab(): void {
    const button = [...this.page.root.querySelectorAll<HTMLButtonElement>(".tab-panel:not([hidden]) button.btn")].find(
      (b) => b.textContent === "Delete",
    );
    if (!button) return this.say("The tab shown cannot be deleted.", true);
    if (button.disabled) return this.say("This tab cannot be deleted now.", true);
    button.click();
  }

  // ---- status and busy tracking ------------------------------------------

  say(message: string, error = false): void {
    this.status.textContent = message;
    this.status.classList.toggle("error", error);
    this.status.title = message;
  }

  private async busy<T>(work: () => Promise<T>): Promise<T> {
    this.pending++;
    document.body.dataset.busy = String(this.pending);
    try {
      return await work();
    } finally {
      this.pending--;
      document.body.dataset.busy = String(this.pending);
      if (this.pending === 0) {
        for (const w of this.idleWaiters.splice(0)) w();
        queueMicrotask(() => this.catchUp());
      }
    }
  }

  /** Resolves when no request of the page is on its way (for tests and scripts). */
  idle(): Promise<void> {
    return this.pending === 0 ? Promise.resolve() : new Promise((r) => this.idleWaiters.push(r));
  }

  // ---- loading -------------------------------------------------------------

  async start(): Promise<void> {
    this.listen();
    await this.busy(async () => {
      try {
        await this.refresh();
        const first = [...this.elements.values()].find((f) => f.element.pulsor);
        if (first) await this.select(first.element.id);
        // Evaluate the document once, so outputs and displays show values.
        if (this.state) await this.timeline.go(this.state.frame);
        this.say("Ready.");
      } catch (e) {
        this.say(this.reason(e), true);
      }
    });
  }

  /**
   * Fetches state, page and graph at once (one round trip after an edit); a
   * later refresh wins over an earlier one. The graph asks for the range as
   * last known: an edit that moves the range is drawn again once more.
   */
  async refresh(): Promise<void> {
    const generation = ++this.generation;
    const wanted = this.selected;
    const known = this.state ? { from: this.state.from, to: this.state.to } : null;
    const noKeys = (e: unknown) => {
      if (e instanceof ApiError && e.status === 404) return null;
      throw e;
    };
    const noPage = (e: unknown) => {
      if (e instanceof ApiError && e.status === 404) return null;
      throw e;
    };
    const [state, fetchedPage, fetchedGraph, keys] = await Promise.all([
      this.api.state(),
      wanted !== null ? this.api.page(wanted).catch(noPage) : Promise.resolve(null),
      known ? this.api.graph(known.from, known.to) : Promise.resolve(null),
      this.api.keys().then((k) => k.tracks, noKeys),
      this.presets.update(),
    ]);
    const graph = known && known.from === state.from && known.to === state.to ? fetchedGraph! : await this.api.graph(state.from, state.to);
    if (generation !== this.generation) return;
    const selected = wanted !== null && index(state).has(wanted) ? wanted : null;
    const page = selected !== null ? fetchedPage : null;
    this.applyState(state, selected);
    if (page) {
      this.showPage(page);
      this.metrics.renderMs = this.page.lastRenderMs;
    } else this.page.clear(this.state?.objects.length ? "Select an object, tag or material." : "The scene is empty.");
    this.graph.setData(graph);
    this.graph.setFrame(state.frame);
    this.graph.setKeys(keys ?? []);
    this.timeline.setKeys((keys ?? []).flatMap((t) => t.frames));
    this.metrics.graphMs = this.graph.lastDrawMs;
    // Revisions left out: a window's own frame request moves them and nothing else.
    this.shownFingerprint = JSON.stringify([state, page, graph, keys], (k, v) => (k === "revision" ? undefined : v));
  }

  // ---- other windows ------------------------------------------------------

  /** What the last refresh showed, but for the revision: a refresh that changes it shows news. */
  private shownFingerprint = "";
  private announced = 0;
  private catchingUp = false;

  /** Listens for the server's changes, made by this window or another; the token goes in the query (EventSource sends no headers). */
  private listen(): void {
    if (typeof EventSource === "undefined") return;
    const events = new EventSource(this.api.imageUrl("/api/events"));
    events.addEventListener("revision", (ev) => {
      const data = (ev as MessageEvent<string>).data;
      let revision = Number(data);
      if (!Number.isFinite(revision)) {
        try {
          revision = Number(JSON.parse(data).revision);
        } catch {
          return;
        }
      }
      if (!Number.isFinite(revision)) return;
      this.announced = Math.max(this.announced, revision);
      this.catchUp();
    });
    events.addEventListener("open", () => document.body.classList.remove("offline"));
    events.addEventListener("error", () => document.body.classList.add("offline"));
  }

  /**
   * Shows a change the server announced that this window has not seen. It
   * waits while this window works or plays (its own answers carry their
   * revisions). It asks for the frame's objects only when the refresh showed
   * something new: that request is a change too, and answering it in every
   * window would never end.
   */
  private catchUp(): void {
    if (this.catchingUp || this.pending > 0 || this.timeline.isPlaying || !this.state) return;
    if (this.announced <= this.state.revision) return;
    this.catchingUp = true;
    void this.busy(async () => {
      try {
        const before = this.shownFingerprint;
        const seeks = this.seeks;
        await this.refresh();
        // A frame asked for meanwhile brings the objects itself; asking for the older one would undo it.
        if (this.shownFingerprint !== before && this.state && seeks === this.seeks && !this.seeking) await this.showFrame(this.state.frame);
      } catch (e) {
        this.say(this.reason(e), true);
      } finally {
        this.catchingUp = false;
      }
    });
  }

  private applyState(state: State, selected: number | null): void {
    this.state = state;
    this.elements = index(state);
    this.selected = selected;
    this.fileName.textContent = state.file || "(unsaved)";
    this.fileName.title = state.file;
    this.undoButton.disabled = !state.undo.undo;
    this.redoButton.disabled = !state.undo.redo;
    this.timeline.setRange(state.from, state.to, state.fps);
    // A frame this window asked for and has not shown yet wins over the one the server held.
    if (!this.seeking) this.timeline.showFrame(state.frame);
    this.objects.render(state, selected, this.iconVersion);
    const found = selected !== null ? this.elements.get(selected) : undefined;
    this.addTagButton.disabled = !found?.object || found.object !== found.element;
    this.renameButton.disabled = !found || found.object === found.element || !found.object;
    this.deleteButton.disabled = this.renameButton.disabled;
    this.pageTitle.textContent = found ? `${found.element.name} · ${found.element.typeName}` : "Attributes";
    this.pageIcon.hidden = !found;
    if (found) this.pageIcon.src = this.api.imageUrl(`/api/elements/${found.element.id}/icon?v=${this.iconVersion}`);
    this.attributes.classList.toggle("pulsor", !!found?.element.pulsor);
    document.body.dataset.revision = String(state.revision);
  }

  /** The page, and what the timeline shows of it: a keyframe sequence's range. */
  private showPage(page: Page): void {
    this.page.render(page);
    const found = this.elements.get(page.id);
    this.timeline.setSequence(found?.element.pulsor ? sequenceOf(page, this.state?.fps ?? 30) : null);
  }

  /** A preset command on the selected tag: an edit like any other, its refusal shown. */
  private async presetEdit(what: "refresh" | "load" | "save" | "folder", body: Record<string, unknown> = {}): Promise<void> {
    const tag = this.selectedPulsorTag();
    if (tag === null) return this.say("Select a Pulsor tag first.", true);
    await this.edit(async () => {
      const answer = await this.api.presetCommand(tag, what, body);
      if (what === "save") this.say(`Saved the preset "${String(body.name)}".`);
      if (what === "load") this.say("Loaded the preset.");
      return answer;
    });
  }

  private selectedPulsorTag(): number | null {
    const found = this.selected !== null ? this.elements.get(this.selected) : undefined;
    return found?.element.pulsor ? found.element.id : null;
  }

  async select(id: number): Promise<void> {
    if (!this.state) return;
    this.objects.reveal(id);
    this.viewport.setSelected(this.elements.get(id)?.object?.id ?? null);
    await this.busy(async () => {
      this.selected = id;
      try {
        const page = await this.api.page(id);
        this.applyState(this.state!, id);
        this.showPage(page);
        await this.presets.update();
      } catch (e) {
        this.say(this.reason(e), true);
        await this.refresh().catch(() => undefined);
      }
    });
  }

  // ---- edits ---------------------------------------------------------------

  private reason(e: unknown): string {
    if (e instanceof ApiError) return e.message;
    return e instanceof Error ? e.message : String(e);
  }

  /** One edit: the request, the help page it may open, then everything fetched again. */
  edit(run: () => Promise<EditAnswer | null>): Promise<void> {
    return this.busy(async () => {
      const t0 = performance.now();
      let changed = false;
      try {
        const answer = await run();
        changed = true;
        if (answer?.open) this.openHelp(answer.open);
        if (answer?.clamped) this.say(answer.clamped, true);
      } catch (e) {
        this.say(this.reason(e), true);
      }
      try {
        await this.refresh();
        // The view shows the objects as the edit left them (a refusal left them as they were).
        if (changed && this.state) await this.showFrame(this.state.frame);
      } catch (e) {
        this.say(this.reason(e), true);
      }
      this.metrics.editMs = performance.now() - t0;
      this.metrics.edits++;
    });
  }

  private async command(param: Levels): Promise<EditAnswer> {
    const id = this.selected!;
    const first = await this.api.command(id, param);
    if (first.question === undefined) return first;
    const yes = await ask(first.question);
    return this.api.command(id, param, yes);
  }

  private openHelp(path: string): void {
    // "noopener" would make window.open answer null even when it opened the
    // window; cutting the opener afterwards keeps the answer meaningful.
    const w = window.open(path, "_blank");
    if (w) w.opener = null;
    else this.say(`Help: ${path} (the browser blocked the new window)`, true);
  }

  private async undo(redo: boolean): Promise<void> {
    if (redo ? this.redoButton.disabled : this.undoButton.disabled) return;
    this.iconVersion++;
    await this.edit(() => (redo ? this.api.redo() : this.api.undo()));
  }

  private async addTag(): Promise<void> {
    const found = this.selected !== null ? this.elements.get(this.selected) : undefined;
    if (!found?.object || found.object !== found.element) return this.say("Select an object first.", true);
    let added: number | undefined;
    await this.edit(async () => {
      const answer = await this.api.addTag(found.object!.id);
      added = answer.id;
      return answer;
    });
    if (added !== undefined) await this.select(added);
  }

  private async renameTag(): Promise<void> {
    const found = this.selected !== null ? this.elements.get(this.selected) : undefined;
    if (!found) return;
    const name = await askText("Rename", "New name", found.element.name, "Rename");
    if (name === null || name === found.element.name) return;
    if (!name.trim()) return this.say("A name cannot be empty.", true);
    await this.edit(() => this.api.rename(found.element.id, name));
  }

  private async deleteTag(): Promise<void> {
    const found = this.selected !== null ? this.elements.get(this.selected) : undefined;
    if (!found || found.object === found.element) return;
    const id = found.element.id;
    await this.edit(async () => {
      const answer = await this.api.remove(id);
      this.selected = found.object?.id ?? null;
      this.say(`Deleted "${found.element.name}"; undo brings it back.`);
      return answer;
    });
  }

  // ---- frames ----------------------------------------------------------------

  /** Frames asked for by this window: started, and still on their way. */
  private seeks = 0;
  private seeking = 0;

  private seek(frame: number): Promise<void> {
    this.seeks++;
    this.seeking++;
    return this.busy(() => this.showFrame(frame)).finally(() => this.seeking--);
  }

  private async showFrame(frame: number): Promise<void> {
    try {
      const answer = await this.api.frame(frame, this.selected ?? undefined, this.viewport.hasWebGL ? undefined : false);
      if (this.state) {
        this.state.frame = answer.frame;
        this.state.revision = answer.revision;
        document.body.dataset.revision = String(answer.revision);
      }
      this.graph.setFrame(answer.frame);
      if (answer.page && answer.page.id === this.selected) this.showPage(answer.page);
      if (answer.objects) this.viewport.update(answer.objects);
      this.timeline.showValues(answer.values);
    } catch (e) {
      this.timeline.pause();
      this.say(this.reason(e), true);
    }
  }

  // ---- files -----------------------------------------------------------------

  private selectedPath(): string | null {
    return this.selected !== null ? (this.elements.get(this.selected)?.path ?? null) : null;
  }

  private async saveScene(): Promise<void> {
    // The host's format goes beside the scene it came from.
    const current = this.state?.file ?? "";
    const suggestion = current ? current.replace(/\.json$/i, ".c4d") : "scene.c4d";
    const path = await askText("Save scene", "File", suggestion, "Save");
    if (path === null) return;
    if (!path.trim()) return this.say("Name a file to save to.", true);
    await this.busy(async () => {
      try {
        let answer: EditAnswer;
        try {
          answer = await this.api.save(path, false);
        } catch (e) {
          if (!(e instanceof ApiError && e.status === 409 && e.body.exists)) throw e;
          if (!(await ask(`${path} exists. Replace it?`, "Replace", "Cancel", "Save scene"))) return this.say("Not saved.");
          answer = await this.api.save(path, true);
        }
        this.say(`Saved ${answer.file ?? path}.`);
        await this.refresh();
      } catch (e) {
        this.say(this.reason(e), true);
      }
    });
  }

  private async openScene(): Promise<void> {
    const path = await askText("Open scene", "File", this.state?.file ?? "", "Open");
    if (path === null) return;
    if (!path.trim()) return this.say("Name a file to open.", true);
    const keep = this.selectedPath();
    await this.busy(async () => {
      try {
        const answer = await this.api.open(path);
        this.timeline.pause();
        // Ids are new after an open: find the same element by its place.
        this.selected = null;
        await this.refresh();
        const again = keep ? [...this.elements.values()].find((f) => f.path === keep) : undefined;
        if (again) await this.select(again.element.id);
        this.say(`Opened ${answer.file ?? path}.`);
      } catch (e) {
        this.say(this.reason(e), true);
      }
    });
  }
}

declare global {
  interface Window {
    studio?: Studio;
  }
}

const token = new URLSearchParams(location.search).get("token") ?? "";
if (!token) {
  document.getElementById("app")!.textContent = "Open the studio with the address that pulsorhost printed (it carries the token).";
} else {
  const studio = new Studio(token);
  window.studio = studio;
  void studio.start();
}
