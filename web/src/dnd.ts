// Linking by drag and drop, as the host does it: while a parameter label
// hovers over a Pulsor tag the tag is asked whether it would take it, and the
// drop on release links it. The payload lives here because a browser hides
// the drag data until the drop.
import type { Levels } from "./types";

export interface DragPayload {
  source: number;
  param: Levels;
  label: string;
}

let current: DragPayload | null = null;
const answers = new Map<string, Promise<boolean>>();

export function beginDrag(payload: DragPayload): void {
  current = payload;
  answers.clear();
  document.body.classList.add("dragging");
}

export function endDrag(): void {
  current = null;
  document.body.classList.remove("dragging");
  for (const node of document.querySelectorAll(".drop-accept, .drop-refuse, .drop-pending")) node.classList.remove("drop-accept", "drop-refuse", "drop-pending");
}

export interface DropHandlers {
  check(tag: number, payload: DragPayload): Promise<boolean>;
  drop(tag: number, payload: DragPayload): Promise<void>;
}

/** Makes `node` a drop target for the Pulsor tag that `tag()` names (null: none). */
export function dropTarget(node: HTMLElement, tag: () => number | null, handlers: DropHandlers): void {
  let depth = 0;
  const keyFor = (t: number, p: DragPayload) => `${t}|${p.source}|${p.param.join(".")}`;
  const mark = (state: "drop-accept" | "drop-refuse" | "drop-pending" | null) => {
    node.classList.remove("drop-accept", "drop-refuse", "drop-pending");
    if (state) node.classList.add(state);
  };
  node.addEventListener("dragenter", (ev) => {
    const t = tag();
    if (!current || t === null) return;
    ev.preventDefault();
    if (depth++ > 0) return;
    const payload = current;
    const k = keyFor(t, payload);
    if (!answers.has(k)) answers.set(k, handlers.check(t, payload).catch(() => false));
    mark("drop-pending");
    void answers.get(k)!.then((ok) => {
      if (depth > 0 && current === payload) mark(ok ? "drop-accept" : "drop-refuse");
    });
  });
  node.addEventListener("dragover", (ev) => {
    const t = tag();
    if (!current || t === null) return;
    // While the answer is pending the drop is allowed; the drop itself is
    // checked again by the tag, so an optimistic cursor refuses nothing wrongly.
    if (node.classList.contains("drop-refuse")) {
      if (ev.dataTransfer) ev.dataTransfer.dropEffect = "none";
      return;
    }
    ev.preventDefault();
    if (ev.dataTransfer) ev.dataTransfer.dropEffect = "link";
  });
  node.addEventListener("dragleave", () => {
    if (depth > 0 && --depth === 0) mark(null);
  });
  node.addEventListener("drop", (ev) => {
    const t = tag();
    depth = 0;
    mark(null);
    if (!current || t === null) return;
    ev.preventDefault();
    ev.stopPropagation();
    const payload = current;
    endDrag();
    void handlers.drop(t, payload);
  });
}
