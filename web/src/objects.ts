// The object list: objects with their tags, then the materials.
import type { ElementRef, SceneObject, State } from "./types";

export interface ObjectActions {
  select(id: number): void;
  iconUrl(id: number): string;
  /** Lets a Pulsor tag's entry take parameter drops. */
  makeDropTarget(node: HTMLElement, tag: number): void;
}

export class ObjectsView {
  readonly root = document.createElement("nav");
  private list = document.createElement("ul");

  constructor(private actions: ObjectActions) {
    this.root.className = "objects";
    this.root.setAttribute("aria-label", "Objects");
    this.list.className = "tree";
    this.root.append(this.list);
  }

  private shown = "";

  /**
   * `iconVersion` changes when an edit may have changed icons (a link, undo,
   * redo); most edits leave the list as it is, and rebuilding it would reload
   * every icon.
   */
  render(state: State, selected: number | null, iconVersion = 0): void {
    const shape = JSON.stringify([state.objects, state.materials, selected, iconVersion]);
    if (shape === this.shown) return;
    this.shown = shape;
    const focused = (document.activeElement as HTMLElement | null)?.dataset?.element;
    this.list.replaceChildren();
    const heading = (text: string) => {
      const li = document.createElement("li");
      li.className = "tree-heading";
      li.textContent = text;
      return li;
    };
    this.list.append(heading("Objects"));
    for (const o of state.objects) this.list.append(this.object(o, selected, 0));
    if (state.materials.length) {
      this.list.append(heading("Materials"));
      for (const m of state.materials) this.list.append(this.item(m, selected, 0, "material"));
    }
    if (focused) (this.list.querySelector(`[data-element="${focused}"]`) as HTMLElement | null)?.focus();
  }

  private object(o: SceneObject, selected: number | null, depth: number): HTMLElement {
    const li = this.item(o, selected, depth, "object");
    const sub = document.createElement("ul");
    for (const t of o.tags) sub.append(this.item(t, selected, depth + 1, t.pulsor ? "tag pulsor" : "tag"));
    for (const c of o.children ?? []) sub.append(this.object(c, selected, depth + 1));
    if (sub.childElementCount) li.append(sub);
    return li;
  }

  private item(e: ElementRef, selected: number | null, depth: number, kind: string): HTMLLIElement {
    const li = document.createElement("li");
    const b = document.createElement("button");
    b.type = "button";
    b.className = `item ${kind}`;
    b.dataset.element = String(e.id);
    b.style.setProperty("--depth", String(depth));
    b.setAttribute("aria-pressed", String(e.id === selected));
    b.setAttribute("aria-label", `${e.name} (${e.typeName})`);
    b.title = `${e.name} (${e.typeName})`;
    const icon = document.createElement("img");
    icon.className = "icon";
    icon.alt = "";
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
