// The object list: objects with their tags, then the materials. A scene may
// hold thousands of objects, so the list is flat rows of one height and only
// the rows in sight (and a few around them) exist in the page.
import type { ElementRef, SceneObject, State } from "./types";

export interface ObjectActions {
  select(id: number): void;
  iconUrl(id: number): string;
  /** Lets a Pulsor tag's entry take parameter drops. */
  makeDropTarget(node: HTMLElement, tag: number): void;
}

export interface Row {
  element: ElementRef | null;
  heading?: string;
  depth: number;
  kind: string;
}

export const ROW_HEIGHT = 24;
const OVERSCAN = 8;

/** The list's rows in order: a heading, each object then its tags and children, then the materials. */
export function flatten(state: Pick<State, "objects" | "materials">): Row[] {
  const rows: Row[] = [{ element: null, heading: "Objects", depth: 0, kind: "heading" }];
  const walk = (o: SceneObject, depth: number) => {
    rows.push({ element: o, depth, kind: "object" });
    for (const t of o.tags) rows.push({ element: t, depth: depth + 1, kind: t.pulsor ? "tag pulsor" : "tag" });
    for (const c of o.children ?? []) walk(c, depth + 1);
  };
  for (const o of state.objects) walk(o, 0);
  if (state.materials.length) {
    rows.push({ element: null, heading: "Materials", depth: 0, kind: "heading" });
    for (const m of state.materials) rows.push({ element: m, depth: 0, kind: "material" });
  }
  return rows;
}

/** The rows to build for a scroll position: those in sight and OVERSCAN on each side. */
export function window_(count: number, scrollTop: number, height: number): { first: number; last: number } {
  const first = Math.max(0, Math.floor(scrollTop / ROW_HEIGHT) - OVERSCAN);
  const last = Math.min(count, Math.ceil((scrollTop + height) / ROW_HEIGHT) + OVERSCAN);
  return { first, last };
}

export class ObjectsView {
  readonly root = document.createElement("nav");
  private list = document.createElement("ul");
  private rows: Row[] = [];
  private selected: number | null = null;
  private built = "";
  private shown = "";

  constructor(private actions: ObjectActions) {
    this.root.className = "objects";
    this.root.setAttribute("aria-label", "Objects");
    this.list.className = "tree virtual";
    this.root.append(this.list);
    this.root.addEventListener("scroll", () => this.build());
    new ResizeObserver(() => this.build()).observe(this.root);
  }

  /** How many rows the list has (most of them exist only while in sight). */
  get rowCount(): number {
    return this.rows.length;
  }

  /**
   * `iconVersion` changes when an edit may have changed icons (a link, undo,
   * redo); most edits leave the list as it is, and rebuilding it would reload
   * every icon.
   */
  render(state: State, selected: number | null, iconVersion = 0): void {
    const shape = JSON.stringify([state.objects, state.materials, selected, iconVersion]);
    if (shape === this.shown) return;
    this.shown = shape;
    this.rows = flatten(state);
    this.selected = selected;
    this.built = "";
    this.list.style.height = `${this.rows.length * ROW_HEIGHT}px`;
    this.build();
  }

  /** Scrolls an element's row into sight. */
  reveal(id: number): void {
    const i = this.rows.findIndex((r) => r.element?.id === id);
    if (i < 0) return;
    const top = i * ROW_HEIGHT;
    if (top < this.root.scrollTop || top + ROW_HEIGHT > this.root.scrollTop + this.root.clientHeight)
      this.root.scrollTop = Math.max(0, top - this.root.clientHeight / 2);
    this.build();
  }

  private build(): void {
    const { first, last } = window_(this.rows.length, this.root.scrollTop, this.root.clientHeight || 600);
    const key = `${first}:${last}`;
    if (key === this.built) return;
    this.built = key;
    const focused = (document.activeElement as HTMLElement | null)?.dataset?.element;
    const nodes: HTMLElement[] = [];
    for (let i = first; i < last; i++) nodes.push(this.row(this.rows[i], i));
    this.list.replaceChildren(...nodes);
    if (focused) (this.list.querySelector(`[data-element="${focused}"]`) as HTMLElement | null)?.focus();
  }

  private row(r: Row, index: number): HTMLLIElement {
    const li = document.createElement("li");
    li.style.top = `${index * ROW_HEIGHT}px`;
    if (!r.element) {
      li.className = "tree-heading";
      li.textContent = r.heading ?? "";
      return li;
    }
    const e = r.element;
    const b = document.createElement("button");
    b.type = "button";
    b.className = `item ${r.kind}`;
    b.dataset.element = String(e.id);
    b.style.setProperty("--depth", String(r.depth));
    b.setAttribute("aria-pressed", String(e.id === this.selected));
    b.setAttribute("aria-label", `${e.name} (${e.typeName})`);
    b.title = `${e.name} (${e.typeName})`;
    const icon = document.createElement("img");
    icon.className = "icon";
    icon.alt = "";
    icon.loading = "lazy";
    icon.src = this.actions.iconUrl(e.id);
    icon.addEventListener("error", () => icon.classList.add("missing"));
    const name = document.createElement("span");
    name.className = "name";
    name.textContent = e.name;
    const type = document.createElement("span");
    type.className = "type";
    type.textContent = e.typeName;
    b.append(icon, name, type);
    b.addEventListener("click", () => this.actions.select(e.id));
    if (e.pulsor) this.actions.makeDropTarget(b, e.id);
    li.append(b);
    return li;
  }
}
