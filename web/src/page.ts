// The attribute page: every entry of an element's description rendered by its
// data type and control kind, tabs from the top-level groups, greyed out as
// the page says. A page whose layout is unchanged (a frame, an edit that
// only moved values) is updated in place, so focus and typing survive.
import type { Entry, Levels, Page, SplineValue, TimeValue, Value } from "./types";
import { CurveEditor } from "./curve";
import { clamp, formatNumber, parseNumber, toNumber, toWire, unitScale, type Scale } from "./units";

export const DTYPE_GROUP = 1;
export const DTYPE_COLOR = 3;
export const DTYPE_BUTTON = 8;
export const DTYPE_SEPARATOR = 11;
export const DTYPE_STATICTEXT = 12;
export const DTYPE_LONG = 15;
export const DTYPE_REAL = 19;
export const DTYPE_TIME = 22;
export const DTYPE_VECTOR = 23;
export const DTYPE_MATRIX = 25;
export const DTYPE_STRING = 130;
export const DTYPE_FILENAME = 131;
export const DTYPE_BASELISTLINK = 133;
export const DTYPE_BOOL = 400006001;
export const DTYPE_SPLINE = 1009060;
export const DTYPE_PRIORITY = 1009369;

export const GUI_BITMAPBUTTON = 1000479;
export const GUI_REALSLIDER = 1000489;
export const GUI_REALSLIDERONLY = 200000006;

/** The tag type's own level: top-level groups of a tag's page hang from it. */
const TAG_TYPE_PARENT = "1031805";
const COMPONENTS = ["X", "Y", "Z"];
/** Labels for entries the page leaves unnamed (a tab's name field, a curve), so every control has one. */
const FALLBACK_LABELS: Record<number, string> = { [DTYPE_STRING]: "Name", [DTYPE_SPLINE]: "Curve", [DTYPE_LONG]: "Choice" };
const PRIORITY_MODES: [number, string][] = [[1000, "Initial"], [2000, "Animation"], [3000, "Expression"], [4000, "Dynamics"], [5000, "Generator"]];
const COMPONENT_LEVEL = 1000;

export const keyOf = (levels: Levels): string => levels.join(".");

/** What the page asks of the application around it. */
export interface PageActions {
  set(param: Levels, value: Value): void;
  command(param: Levels, label: string): void;
  press(param: Levels): void;
  dragStart(param: Levels, label: string): void;
  dragEnd(): void;
  bitmapUrl(param: Levels): string;
  refuse(message: string): void;
}

type Updater = (e: Entry) => void;

let uniqueId = 0;
const nextDomId = () => `f${++uniqueId}`;

function el<K extends keyof HTMLElementTagNameMap>(tag: K, cls?: string, text?: string): HTMLElementTagNameMap[K] {
  const node = document.createElement(tag);
  if (cls) node.className = cls;
  if (text !== undefined) node.textContent = text;
  return node;
}

/** A layout fingerprint: everything but values. Equal fingerprints update in place. */
function layoutOf(page: Page): string {
  return JSON.stringify([page.id, page.entries.map((e) => [e.id, e.parent, e.dtype, e.name, e.gui, e.cycle, e.enabled, e.hidden, e.open, e.columns, e.unit, e.min, e.max])]);
}

export class PageView {
  readonly root = el("section", "page");
  private tabBar = el("div", "tabs");
  private body = el("div", "page-body");
  private updaters = new Map<string, Updater>();
  private layout = "";
  private selectedTab = "";
  private userOpen = new Map<string, boolean>();
  private page: Page | null = null;
  private shownId = -1;
  lastRenderMs = 0;

  constructor(
    private actions: PageActions,
    private fps: () => number,
  ) {
    this.tabBar.setAttribute("role", "tablist");
    this.tabBar.setAttribute("aria-label", "Pages");
    this.body.setAttribute("role", "tabpanel");
    this.root.append(this.tabBar, this.body);
  }

  get current(): Page | null {
    return this.page;
  }

  clear(message: string): void {
    this.page = null;
    this.layout = "";
    this.tabBar.replaceChildren();
    this.body.replaceChildren(el("p", "empty", message));
  }

  render(page: Page): void {
    const t0 = performance.now();
    const layout = layoutOf(page);
    const previous = this.page;
    this.page = page;
    if (layout === this.layout) {
      for (const e of page.entries) this.updaters.get(keyOf(e.id))?.(e);
    } else {
      if (previous?.id !== page.id) this.userOpen.clear();
      this.rebuild(page);
      this.layout = layout;
    }
    this.lastRenderMs = performance.now() - t0;
  }

  private rebuild(page: Page): void {
    const focusKey = (document.activeElement as HTMLElement | null)?.dataset?.key;
    const scroll = this.body.scrollTop;
    this.updaters.clear();

    const present = new Set(page.entries.map((e) => keyOf(e.id)));
    const children = new Map<string, Entry[]>();
    const roots: Entry[] = [];
    for (const e of page.entries) {
      if (e.hidden) continue;
      const parent = e.parent ? keyOf(e.parent) : "";
      if (!parent || parent === TAG_TYPE_PARENT || !present.has(parent)) roots.push(e);
      else {
        const list = children.get(parent);
        if (list) list.push(e);
        else children.set(parent, [e]);
      }
    }
    const isGroup = (e: Entry) => e.dtype === DTYPE_GROUP || children.has(keyOf(e.id));

    // Tabs: the top-level groups; loose top-level entries share one tab.
    const tabs: { key: string; name: string; entries: Entry[] }[] = [];
    const loose: Entry[] = [];
    for (const e of roots) {
      if (isGroup(e)) tabs.push({ key: keyOf(e.id), name: e.name || e.shortName || "Group", entries: children.get(keyOf(e.id)) ?? [] });
      else loose.push(e);
    }
    // The host shows an element's own parameters (name, priority) on its
    // "Basic" tab; a tag's page opens on its first own tab.
    const firstGroup = tabs[0];
    if (loose.length) tabs.unshift({ key: "", name: tabs.length ? "Basic" : page.name || "Parameters", entries: loose });

    if (!tabs.some((t) => t.key === this.selectedTab) || this.page?.id !== this.shownId) {
      const sameName = tabs.find((t) => t.name === this.selectedTabName);
      this.selectedTab = (this.page?.id === this.shownId ? sameName : undefined)?.key ?? (firstGroup ?? tabs[0])?.key ?? "";
    }
    this.shownId = page.id;
    this.tabBar.replaceChildren();
    const panels: HTMLElement[] = [];
    for (const tab of tabs) {
      const button = el("button", "tab", tab.name);
      button.type = "button";
      button.setAttribute("role", "tab");
      button.dataset.tab = tab.key;
      const selected = tab.key === this.selectedTab;
      button.setAttribute("aria-selected", String(selected));
      button.addEventListener("click", () => this.selectTab(tab.key));
      button.addEventListener("keydown", (ev) => this.tabKeys(ev));
      this.tabBar.append(button);
      // Every tab is built (values of hidden tabs still update); only one shows.
      const panel = el("div", "tab-panel");
      panel.dataset.tab = tab.key;
      panel.hidden = !selected;
      panel.setAttribute("aria-label", tab.name);
      panel.append(this.renderChildren(tab.entries, children, isGroup, 1, tab.name));
      panels.push(panel);
    }
    if (!tabs.length) panels.push(el("p", "empty", "This element has no parameters."));
    this.body.replaceChildren(...panels);
    this.body.scrollTop = scroll;
    if (focusKey) (this.body.querySelector(`[data-key="${CSS.escape(focusKey)}"]`) as HTMLElement | null)?.focus();
  }

  private get selectedTabName(): string {
    return (this.tabBar.querySelector(`[data-tab="${CSS.escape(this.selectedTab)}"]`)?.textContent ?? "");
  }

  selectTab(key: string): void {
    this.selectedTab = key;
    for (const b of this.tabBar.querySelectorAll<HTMLElement>("[role=tab]")) b.setAttribute("aria-selected", String(b.dataset.tab === key));
    for (const p of this.body.querySelectorAll<HTMLElement>(".tab-panel")) p.hidden = p.dataset.tab !== key;
  }

  private tabKeys(ev: KeyboardEvent): void {
    if (ev.key !== "ArrowRight" && ev.key !== "ArrowLeft") return;
    const tabs = [...this.tabBar.querySelectorAll<HTMLElement>("[role=tab]")];
    const i = tabs.indexOf(ev.target as HTMLElement);
    const next = tabs[(i + (ev.key === "ArrowRight" ? 1 : tabs.length - 1)) % tabs.length];
    this.selectTab(next.dataset.tab ?? "");
    next.focus();
    ev.preventDefault();
  }

  private renderChildren(entries: Entry[], children: Map<string, Entry[]>, isGroup: (e: Entry) => boolean, columns: number, context: string): HTMLElement {
    const grid = el("div", "grid");
    grid.style.setProperty("--cols", String(Math.max(1, columns)));
    for (const e of entries) {
      const node = isGroup(e) ? this.renderGroup(e, children, isGroup, context) : this.renderEntry(e, context);
      if (node) grid.append(node);
    }
    return grid;
  }

  private renderGroup(e: Entry, children: Map<string, Entry[]>, isGroup: (e: Entry) => boolean, context: string): HTMLElement {
    const key = keyOf(e.id);
    const inner = this.renderChildren(children.get(key) ?? [], children, isGroup, e.columns ?? 1, e.name || context);
    const named = !!e.name;
    // A named group can be folded, starting open or closed as the page says;
    // the user's choice holds until another element is shown. An unnamed
    // group has no title to fold it by, so the host always shows its content.
    if (named) {
      const details = el("details", "group");
      details.dataset.key = key;
      details.open = this.userOpen.get(key) ?? e.open ?? true;
      const summary = el("summary", undefined, e.name);
      details.addEventListener("toggle", () => this.userOpen.set(key, details.open));
      details.append(summary, inner);
      if (e.enabled === false) details.classList.add("disabled");
      return details;
    }
    const box = el("div", "group plain");
    box.dataset.key = key;
    if (named) box.append(el("div", "group-title", e.name));
    box.append(inner);
    return box;
  }

  private renderEntry(e: Entry, context: string): HTMLElement | null {
    const key = keyOf(e.id);
    const disabled = e.enabled === false;
    let node: HTMLElement;
    switch (e.dtype) {
      case DTYPE_SEPARATOR:
        node = el("div", "sep");
        if (e.name && e.name !== "N/A") node.append(el("span", "sep-label", e.name));
        node.append(el("hr"));
        node.setAttribute("role", "separator");
        break;
      case DTYPE_STATICTEXT: {
        node = el("div", "caption");
        const text = el("span", "caption-text", e.name ?? "");
        node.append(text);
        const value = el("span", "caption-value");
        node.append(value);
        this.updaters.set(key, (u) => {
          text.textContent = u.name ?? "";
          value.textContent = typeof u.value === "string" && u.value !== u.name ? u.value : "";
        });
        this.updaters.get(key)!(e);
        break;
      }
      case DTYPE_BUTTON:
        node = this.button(e, context);
        break;
      default:
        node = this.parameter(e, context);
    }
    node.dataset.entry = key;
    if (disabled) node.classList.add("disabled");
    if (e.scaleH) node.classList.add("stretch");
    return node;
  }

  private button(e: Entry, context: string): HTMLElement {
    const button = el("button", "btn");
    button.type = "button";
    button.dataset.key = keyOf(e.id);
    button.disabled = e.enabled === false;
    if (e.gui === GUI_BITMAPBUTTON) {
      const label = e.name || `Help: ${context}`;
      button.classList.add("bitmap");
      button.setAttribute("aria-label", label);
      button.title = label;
      const img = el("img");
      img.alt = "";
      img.src = this.actions.bitmapUrl(e.id);
      img.addEventListener("error", () => img.replaceWith(document.createTextNode("?")));
      button.append(img);
      button.addEventListener("click", () => this.actions.press(e.id));
    } else {
      button.textContent = e.name || "…";
      button.addEventListener("click", () => this.actions.command(e.id, e.name ?? ""));
    }
    const wrap = el("div", "cell button-cell");
    wrap.append(button);
    return wrap;
  }

  /** A row: a draggable label and the control for the entry's type. */
  private parameter(e: Entry, context: string): HTMLElement {
    const row = el("div", "row");
    const name = e.name || e.shortName || `${context}: ${FALLBACK_LABELS[e.dtype] ?? "Value"}`;
    const label = el("label", "param-label", name);
    this.draggable(label, e.id, name);
    const control = this.control(e, name);
    const target = control.matches("input, select, output") ? control : control.querySelector("input:not([type=range]), select, output");
    if (target?.id) label.htmlFor = target.id;
    row.append(label, control);
    return row;
  }

  private draggable(label: HTMLElement, param: Levels, name: string): void {
    label.draggable = true;
    label.title = `Drag "${name}" onto a Pulsor tag to link it`;
    label.addEventListener("dragstart", (ev) => {
      ev.dataTransfer?.setData("text/plain", name);
      if (ev.dataTransfer) ev.dataTransfer.effectAllowed = "link";
      this.actions.dragStart(param, name);
    });
    label.addEventListener("dragend", () => this.actions.dragEnd());
  }

  private control(e: Entry, name: string): HTMLElement {
    const key = keyOf(e.id);
    const disabled = e.enabled === false;
    const editable = e.editable !== false && !disabled;
    switch (e.dtype) {
      case DTYPE_BOOL: {
        const box = el("input");
        box.type = "checkbox";
        box.id = nextDomId();
        box.dataset.key = key;
        box.disabled = disabled;
        box.setAttribute("aria-label", name);
        box.addEventListener("change", () => this.actions.set(e.id, box.checked));
        this.updaters.set(key, (u) => (box.checked = u.value === true));
        box.checked = e.value === true;
        return box;
      }
      case DTYPE_LONG:
        if (e.cycle) return this.cycle(e, name);
        return this.numberField(e, name, false);
      case DTYPE_REAL:
        if (e.gui === GUI_REALSLIDERONLY || (e.editable === false && e.gui !== GUI_REALSLIDER)) return this.display(e, name);
        if (e.gui === GUI_REALSLIDER) return this.slider(e, name);
        return this.numberField(e, name, true);
      case DTYPE_TIME:
        return this.numberField(e, name, true);
      case DTYPE_VECTOR:
      case DTYPE_COLOR:
        return this.vector(e, name);
      case DTYPE_STRING:
      case DTYPE_FILENAME: {
        const input = el("input", "text");
        input.type = "text";
        input.id = nextDomId();
        input.dataset.key = key;
        input.disabled = disabled;
        input.readOnly = !editable;
        input.setAttribute("aria-label", name);
        input.value = typeof e.value === "string" ? e.value : "";
        input.addEventListener("input", () => (input.dataset.dirty = "1"));
        input.addEventListener("change", () => {
          delete input.dataset.dirty;
          this.actions.set(e.id, input.value);
        });
        this.updaters.set(key, (u) => {
          if (document.activeElement !== input || !input.dataset.dirty) input.value = typeof u.value === "string" ? u.value : "";
        });
        return input;
      }
      case DTYPE_SPLINE:
        return this.spline(e, name);
      case DTYPE_PRIORITY:
        return this.priority(e, name);
      case DTYPE_BASELISTLINK: {
        const out = el("output", "link-box");
        out.id = nextDomId();
        out.setAttribute("aria-label", name);
        const show = (u: Entry) => {
          const v = u.value as { link?: number | null; name?: string } | undefined;
          out.textContent = v?.link != null ? v.name || `#${v.link}` : "None";
        };
        show(e);
        this.updaters.set(key, show);
        return out;
      }
      default: {
        const out = el("output", "generic");
        out.id = nextDomId();
        out.setAttribute("aria-label", name);
        const show = (u: Entry) => (out.textContent = u.value === undefined ? "" : JSON.stringify(u.value));
        show(e);
        this.updaters.set(key, show);
        return out;
      }
    }
  }

  private scaleOf(e: Entry): Scale {
    return unitScale(e.unit, e.dtype === DTYPE_TIME, this.fps());
  }

  /** A typed number with its unit, limits and arrow-key steps. */
  private numberField(e: Entry, name: string, real: boolean, component?: number): HTMLInputElement {
    const key = keyOf(e.id) + (component === undefined ? "" : `#${component}`);
    const scale = this.scaleOf(e);
    const isTime = e.dtype === DTYPE_TIME;
    const integer = !real || isTime;
    const input = el("input", "num");
    input.type = "text";
    input.inputMode = "decimal";
    input.id = nextDomId();
    input.dataset.key = key;
    input.disabled = e.enabled === false;
    input.readOnly = e.editable === false;
    input.setAttribute("aria-label", component === undefined ? name : `${name} . ${COMPONENTS[component]}`);
    input.spellcheck = false;
    const read = (u: Entry) => (component === undefined ? toNumber(u.value) : toNumber((u.value as unknown[] | undefined)?.[component]));
    let stored = read(e);
    // An output the tag has not written yet has no value: shown empty, not as NaN.
    let hasValue = e.value !== undefined;
    const show = () => {
      input.value = Number.isNaN(stored) && !hasValue ? "" : formatNumber(stored * scale.factor, integer) + (scale.suffix ? ` ${scale.suffix}` : "");
      delete input.dataset.dirty;
    };
    show();
    const min = e.min === undefined ? undefined : toNumber(e.min);
    const max = e.max === undefined ? undefined : toNumber(e.max);
    const commit = (n: number) => {
      const v = clamp(n, min, max);
      if (component === undefined) this.actions.set(e.id, isTime ? { seconds: toWire(v) } as TimeValue : toWire(v));
      else {
        const vec = [0, 1, 2].map((i) => toWire(i === component ? v : toNumber((this.currentValue(e.id) as unknown[] | undefined)?.[i])));
        this.actions.set(e.id, vec);
      }
    };
    // After a commit the field shows the stored value again even while it
    // keeps the focus, so "50%" reads back as the page formats it.
    let committed = false;
    input.addEventListener("change", () => {
      const n = parseNumber(input.value, scale, integer);
      if (typeof n === "string") {
        this.actions.refuse(`${name}: ${n}`);
        show();
        return;
      }
      committed = true;
      commit(n);
    });
    input.addEventListener("input", () => (input.dataset.dirty = "1"));
    // Enter commits through the browser's own change event.
    input.addEventListener("keydown", (ev) => {
      if (ev.key !== "ArrowUp" && ev.key !== "ArrowDown") return;
      ev.preventDefault();
      const step = isTime ? 1 / this.fps() : toNumber(e.step ?? (integer ? 1 : 0.1)) || (integer ? 1 : 0.1);
      const base = Number.isFinite(stored) ? stored : 0;
      commit(base + (ev.key === "ArrowUp" ? step : -step) * (ev.shiftKey ? 10 : 1));
    });
    this.updaters.set(key, (u) => {
      stored = read(u);
      hasValue = u.value !== undefined;
      // A field follows the page unless the user is typing in it.
      if (!input.dataset.dirty || committed) show();
      committed = false;
    });
    if (component !== undefined) {
      const whole = this.updaters.get(keyOf(e.id));
      const mine = this.updaters.get(key)!;
      this.updaters.set(keyOf(e.id), (u) => {
        whole?.(u);
        mine(u);
      });
    }
    return input;
  }

  private currentValue(levels: Levels): Value | undefined {
    const k = keyOf(levels);
    return this.page?.entries.find((x) => keyOf(x.id) === k)?.value;
  }

  private slider(e: Entry, name: string): HTMLElement {
    const wrap = el("div", "slider");
    const scale = this.scaleOf(e);
    const field = this.numberField(e, name, true);
    const range = el("input");
    range.type = "range";
    range.dataset.key = keyOf(e.id) + "#slider";
    range.setAttribute("aria-label", `${name} slider`);
    range.disabled = e.enabled === false;
    const lo = e.minSlider ?? toNumber(e.min ?? 0);
    const hi = e.maxSlider ?? toNumber(e.max ?? 1);
    range.min = String(lo * scale.factor);
    range.max = String(hi * scale.factor);
    range.step = String((toNumber(e.step ?? 0.01) || 0.01) * scale.factor);
    const show = (u: Entry) => {
      if (document.activeElement !== range) range.value = String(toNumber(u.value) * scale.factor);
    };
    show(e);
    range.addEventListener("input", () => (field.value = `${formatNumber(Number(range.value))}${scale.suffix ? ` ${scale.suffix}` : ""}`));
    range.addEventListener("change", () => this.actions.set(e.id, toWire(Number(range.value) / scale.factor)));
    const fieldUpdate = this.updaters.get(keyOf(e.id));
    this.updaters.set(keyOf(e.id), (u) => {
      fieldUpdate?.(u);
      show(u);
    });
    wrap.append(range, field);
    return wrap;
  }

  /** A live display: a bar from its minimum to its maximum, zero-centred when both signs occur. */
  private display(e: Entry, name: string): HTMLElement {
    const wrap = el("div", "meter");
    wrap.setAttribute("role", "meter");
    wrap.setAttribute("aria-label", name);
    wrap.dataset.key = keyOf(e.id);
    const lo = toNumber(e.min ?? e.minSlider ?? 0);
    const hi = toNumber(e.max ?? e.maxSlider ?? 1);
    const scale = this.scaleOf(e);
    wrap.setAttribute("aria-valuemin", String(lo));
    wrap.setAttribute("aria-valuemax", String(hi));
    const fill = el("div", "meter-fill");
    const text = el("span", "meter-text");
    const track = el("div", "meter-track");
    track.append(fill);
    wrap.append(track, text);
    const show = (u: Entry) => {
      const v = u.value === undefined ? NaN : toNumber(u.value);
      const span = hi - lo || 1;
      const zero = lo < 0 && hi > 0 ? (0 - lo) / span : 0;
      const at = Number.isFinite(v) ? Math.min(1, Math.max(0, (v - lo) / span)) : zero;
      fill.style.left = `${Math.min(zero, at) * 100}%`;
      fill.style.width = `${Math.abs(at - zero) * 100}%`;
      text.textContent = u.value === undefined ? "–" : formatNumber(v * scale.factor) + (scale.suffix ? ` ${scale.suffix}` : "");
      wrap.setAttribute("aria-valuenow", Number.isFinite(v) ? String(v) : "0");
      wrap.dataset.value = String(v);
    };
    show(e);
    this.updaters.set(keyOf(e.id), show);
    return wrap;
  }

  private cycle(e: Entry, name: string): HTMLSelectElement {
    const select = el("select");
    select.id = nextDomId();
    select.dataset.key = keyOf(e.id);
    select.disabled = e.enabled === false;
    select.setAttribute("aria-label", name);
    for (const [value, label] of e.cycle ?? []) {
      const option = el("option", undefined, label);
      option.value = String(value);
      select.append(option);
    }
    const show = (u: Entry) => {
      select.value = String(toNumber(u.value));
    };
    show(e);
    select.addEventListener("change", () => this.actions.set(e.id, Number(select.value)));
    this.updaters.set(keyOf(e.id), show);
    return select;
  }

  private vector(e: Entry, name: string): HTMLElement {
    const wrap = el("div", "vector");
    this.updaters.set(keyOf(e.id), () => undefined);
    for (let i = 0; i < 3; i++) {
      const part = el("div", "component");
      const small = el("label", "component-label", COMPONENTS[i]);
      const field = this.numberField(e, name, true, i);
      small.htmlFor = field.id;
      this.draggable(small, [...e.id, COMPONENT_LEVEL + i], `${name} . ${COMPONENTS[i]}`);
      part.append(small, field);
      wrap.append(part);
    }
    if (e.dtype === DTYPE_COLOR) {
      const swatch = el("input", "swatch");
      swatch.type = "color";
      swatch.setAttribute("aria-label", `${name} colour`);
      swatch.disabled = e.enabled === false;
      const hex = (u: Entry) =>
        "#" + [0, 1, 2].map((i) => Math.round(Math.min(1, Math.max(0, toNumber((u.value as unknown[] | undefined)?.[i]) || 0)) * 255).toString(16).padStart(2, "0")).join("");
      swatch.value = hex(e);
      swatch.addEventListener("change", () => {
        const v = swatch.value;
        this.actions.set(e.id, [1, 3, 5].map((i) => parseInt(v.slice(i, i + 2), 16) / 255));
      });
      const before = this.updaters.get(keyOf(e.id));
      this.updaters.set(keyOf(e.id), (u) => {
        before?.(u);
        swatch.value = hex(u);
      });
      wrap.append(swatch);
    }
    return wrap;
  }

  /** The expression priority: its pass, a number within it, and camera dependence. */
  private priority(e: Entry, name: string): HTMLElement {
    type Priority = { mode: number; priority: number; cameraDependent: boolean };
    const wrap = el("div", "priority");
    const mode = el("select");
    mode.id = nextDomId();
    mode.setAttribute("aria-label", `${name} pass`);
    for (const [value, label] of PRIORITY_MODES) {
      const o = el("option", undefined, label);
      o.value = String(value);
      mode.append(o);
    }
    const number = el("input", "num");
    number.type = "number";
    number.step = "1";
    number.setAttribute("aria-label", `${name} value`);
    const camera = el("input");
    camera.type = "checkbox";
    camera.id = nextDomId();
    const cameraLabel = el("label", "inline", "Camera");
    cameraLabel.htmlFor = camera.id;
    for (const c of [mode, number, camera]) c.disabled = e.enabled === false;
    let current = e.value as Priority | undefined;
    const show = (u: Entry) => {
      current = u.value as Priority | undefined;
      if (!current) return;
      mode.value = String(current.mode);
      if (!number.dataset.dirty) number.value = String(current.priority);
      camera.checked = current.cameraDependent;
    };
    show(e);
    const send = () => {
      const priority = Math.round(Number(number.value));
      if (number.value.trim() === "" || !Number.isFinite(priority)) {
        this.actions.refuse(`${name}: enter a whole number`);
        show({ ...e, value: current as unknown as Value });
        return;
      }
      this.actions.set(e.id, { mode: Number(mode.value), priority, cameraDependent: camera.checked } as unknown as Value);
    };
    number.addEventListener("input", () => (number.dataset.dirty = "1"));
    for (const c of [mode, number, camera])
      c.addEventListener("change", () => {
        delete number.dataset.dirty;
        send();
      });
    this.updaters.set(keyOf(e.id), show);
    wrap.append(mode, number, camera, cameraLabel);
    return wrap;
  }

  /** The curve editor; what it draws is the host's evaluation of the stored curve. */
  private spline(e: Entry, name: string): HTMLElement {
    const editor = new CurveEditor(name, {
      store: (knots) => this.actions.set(e.id, { knots } as unknown as Value),
      refuse: (message) => this.actions.refuse(message),
    });
    const show = (u: Entry) => editor.show(u.value as SplineValue | undefined, u.enabled !== false);
    show(e);
    this.updaters.set(keyOf(e.id), show);
    return editor.root;
  }
}
