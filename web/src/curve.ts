// The curve editor of a spline entry: knots and tangent handles dragged,
// a knot added by double-click and deleted with Delete, Shift snaps to the
// grid, the selected knot's values typed. The line drawn is the server's
// evaluation of the stored curve (its `points`); while dragging, a dashed
// preview follows the pointer and nothing is sent until the release, so a
// drag is one edit and one undo step.
import type { SplineKnot, SplineValue } from "./types";

export const GRID = 0.1;
/** What the server stores: a curve of 1 to 1000 knots. */
export const MIN_KNOTS = 1;
export const MAX_KNOTS = 1000;
const NS = "http://www.w3.org/2000/svg";
/** Room around the unit square, in the square's units, for knots on its edge. */
const PAD = 0.04;

export type Knot = SplineKnot;

const clamp01 = (v: number) => Math.min(1, Math.max(0, v));
/** The grid point nearest v, divided out so that 0.3 is 0.3, not 0.30000000000000004. */
export function snap(v: number, step = GRID): number {
  const perUnit = Math.round(1 / step);
  return Math.round(v * perUnit) / perUnit;
}

/**
 * Why a curve cannot be stored, or null when it can: every knot inside the
 * unit square, in order of x (knots never cross), numbers finite, tangents
 * pointing away from their knot so the curve stays a function of x.
 */
export function checkKnots(knots: Knot[]): string | null {
  if (knots.length < MIN_KNOTS) return "a curve keeps at least one knot";
  if (knots.length > MAX_KNOTS) return `a curve holds at most ${MAX_KNOTS} knots`;
  for (let i = 0; i < knots.length; i++) {
    const k = knots[i];
    const numbers = [k.x, k.y, ...k.left, ...k.right];
    if (!numbers.every((n) => typeof n === "number" && Number.isFinite(n))) return `knot ${i + 1}: every value must be a finite number`;
    if (k.x < 0 || k.x > 1 || k.y < 0 || k.y > 1) return `knot ${i + 1}: x and y must lie between 0 and 1`;
    if (i > 0 && k.x < knots[i - 1].x) return `knot ${i + 1} would cross knot ${i}`;
    if (k.left[0] > 0 || k.right[0] < 0) return `knot ${i + 1}: a tangent points back across its knot`;
  }
  return null;
}

/** Where knot `index` may go: inside the square and between its neighbours. */
export function placeKnot(knots: Knot[], index: number, x: number, y: number): { x: number; y: number } {
  const lo = index > 0 ? knots[index - 1].x : 0;
  const hi = index < knots.length - 1 ? knots[index + 1].x : 1;
  return { x: Math.min(hi, Math.max(lo, clamp01(x))), y: clamp01(y) };
}

/** A tangent held on its own side of the knot (left points left, right points right). */
export function placeTangent(side: "left" | "right", dx: number, dy: number): [number, number] {
  return side === "left" ? [Math.min(0, dx), dy] : [Math.max(0, dx), dy];
}

/** A new knot at (x, y), with flat tangents a third of the way to its neighbours; the knots stay in order. */
export function insertKnot(knots: Knot[], x: number, y: number): { knots: Knot[]; index: number } {
  const px = clamp01(x);
  const py = clamp01(y);
  let index = knots.findIndex((k) => k.x > px);
  if (index < 0) index = knots.length;
  const lo = index > 0 ? knots[index - 1].x : 0;
  const hi = index < knots.length ? knots[index].x : 1;
  const reach = Math.min(px - lo, hi - px, 0.2) / 3;
  const knot: Knot = { x: px, y: py, left: [-reach, 0], right: [reach, 0], flags: 0 };
  return { knots: [...knots.slice(0, index), knot, ...knots.slice(index)], index };
}

/** The cubic of each segment as the host evaluates it, for the preview while dragging. */
export function previewPath(knots: Knot[]): string {
  if (!knots.length) return "";
  const p = (x: number, y: number) => `${toView(x).toFixed(2)},${toViewY(y).toFixed(2)}`;
  let d = `M${p(0, knots[0].y)} L${p(knots[0].x, knots[0].y)}`;
  for (let i = 1; i < knots.length; i++) {
    const a = knots[i - 1];
    const b = knots[i];
    d += ` C${p(a.x + a.right[0], a.y + a.right[1])} ${p(b.x + b.left[0], b.y + b.left[1])} ${p(b.x, b.y)}`;
  }
  const last = knots[knots.length - 1];
  return `${d} L${p(1, last.y)}`;
}

// The unit square drawn at 0..W × 0..100 in the view box, y up; the view
// keeps the same proportion (CSS), so knots stay round.
const W = 200;
const toView = (x: number) => x * W;
const toViewY = (y: number) => 100 - y * 100;

const copy = (knots: Knot[]): Knot[] => knots.map((k) => ({ ...k, left: [...k.left] as [number, number], right: [...k.right] as [number, number] }));

function svg<K extends keyof SVGElementTagNameMap>(tag: K, cls: string, attrs: Record<string, string | number> = {}): SVGElementTagNameMap[K] {
  const node = document.createElementNS(NS, tag);
  node.setAttribute("class", cls);
  for (const [k, v] of Object.entries(attrs)) node.setAttribute(k, String(v));
  return node;
}

export interface CurveActions {
  /** Stores the curve (one edit, one undo step). */
  store(knots: Knot[]): void;
  refuse(message: string): void;
}

type Drag = { kind: "knot" | "left" | "right"; index: number; pointer: number; moved: boolean };

export class CurveEditor {
  readonly root = document.createElement("div");
  private view = svg("svg", "spline curve-edit");
  private curve = svg("polyline", "spline-line");
  private preview = svg("path", "spline-preview");
  private handles = svg("g", "curve-handles");
  private xField = document.createElement("input");
  private yField = document.createElement("input");
  private deleteButton = document.createElement("button");
  private knots: Knot[] = [];
  private stored: Knot[] = [];
  private selected = -1;
  private drag: Drag | null = null;
  private disabled = false;

  constructor(
    private name: string,
    private actions: CurveActions,
  ) {
    this.root.className = "curve-editor";
    this.root.dataset.curve = name;
    const v = this.view;
    v.setAttribute("viewBox", `${-PAD * W} ${-PAD * 100} ${W * (1 + 2 * PAD)} ${100 * (1 + 2 * PAD)}`);
    v.setAttribute("preserveAspectRatio", "none");
    v.setAttribute("role", "application");
    v.setAttribute("tabindex", "0");
    v.setAttribute("aria-label", `${name} curve`);
    const grid = svg("g", "curve-grid");
    for (let i = 1; i < 1 / GRID; i++) {
      const at = i * GRID;
      grid.append(
        svg("line", "grid-line", { x1: toView(at), y1: 0, x2: toView(at), y2: 100 }),
        svg("line", "grid-line", { x1: 0, y1: toViewY(at), x2: W, y2: toViewY(at) }),
      );
    }
    v.append(svg("rect", "spline-frame", { x: 0, y: 0, width: W, height: 100 }), grid, this.curve, this.preview, this.handles);
    v.addEventListener("pointerdown", (ev) => this.down(ev));
    v.addEventListener("pointermove", (ev) => this.move(ev));
    v.addEventListener("pointerup", (ev) => this.up(ev));
    v.addEventListener("pointercancel", () => this.cancel());
    v.addEventListener("dblclick", (ev) => this.add(ev));
    v.addEventListener("keydown", (ev) => this.key(ev));

    const fields = document.createElement("div");
    fields.className = "curve-fields";
    for (const [field, label] of [[this.xField, "X"], [this.yField, "Y"]] as const) {
      field.type = "text";
      field.inputMode = "decimal";
      field.className = "num";
      field.setAttribute("aria-label", `${name} knot ${label}`);
      field.addEventListener("input", () => (field.dataset.dirty = "1"));
      field.addEventListener("change", () => {
        delete field.dataset.dirty;
        this.typed();
      });
      const tag = document.createElement("span");
      tag.className = "component-label";
      tag.textContent = label;
      fields.append(tag, field);
    }
    this.deleteButton.type = "button";
    this.deleteButton.className = "btn";
    this.deleteButton.textContent = "Delete knot";
    this.deleteButton.addEventListener("click", () => this.removeSelected());
    fields.append(this.deleteButton);
    this.root.append(v, fields);
  }

  /** The stored curve, as the server answers it. A drag in progress keeps its own knots. */
  show(value: SplineValue | undefined, enabled: boolean): void {
    this.disabled = !enabled;
    this.root.classList.toggle("disabled", this.disabled);
    const points = value?.points ?? [];
    this.curve.setAttribute(
      "points",
      points
        .filter(([x, y]) => Number.isFinite(x) && Number.isFinite(y))
        .map(([x, y]) => `${toView(x).toFixed(2)},${toViewY(y).toFixed(2)}`)
        .join(" "),
    );
    if (this.drag) return;
    this.stored = copy(value?.knots ?? []);
    this.knots = copy(this.stored);
    if (this.selected >= this.knots.length) this.selected = this.knots.length - 1;
    this.preview.setAttribute("d", "");
    this.draw();
  }

  get knotCount(): number {
    return this.knots.length;
  }

  private draw(): void {
    this.handles.replaceChildren();
    this.knots.forEach((k, i) => {
      const x = toView(k.x);
      const y = toViewY(k.y);
      if (i === this.selected) {
        for (const side of ["left", "right"] as const) {
          const t = k[side];
          const hx = toView(k.x + t[0]);
          const hy = toViewY(k.y + t[1]);
          this.handles.append(svg("line", "tangent-line", { x1: x, y1: y, x2: hx, y2: hy }));
          const h = svg("circle", `tangent ${side}`, { cx: hx, cy: hy, r: 2.2 });
          h.dataset.index = String(i);
          h.dataset.part = side;
          this.handles.append(h);
        }
      }
      const c = svg("circle", i === this.selected ? "knot selected" : "knot", { cx: x, cy: y, r: 3 });
      c.dataset.index = String(i);
      c.dataset.part = "knot";
      this.handles.append(c);
    });
    const k = this.knots[this.selected];
    for (const [field, v] of [[this.xField, k?.x], [this.yField, k?.y]] as const) {
      field.disabled = this.disabled || !k;
      if (document.activeElement !== field || !field.dataset.dirty) field.value = k ? String(Math.round(v! * 10000) / 10000) : "";
    }
    this.deleteButton.disabled = this.disabled || !k || this.knots.length <= MIN_KNOTS;
  }

  /** The pointer's place in the unit square (y up). */
  private at(ev: MouseEvent): { x: number; y: number } {
    const r = this.view.getBoundingClientRect();
    const span = 1 + 2 * PAD;
    return { x: ((ev.clientX - r.left) / r.width) * span - PAD, y: 1 - (((ev.clientY - r.top) / r.height) * span - PAD) };
  }

  private down(ev: PointerEvent): void {
    if (this.disabled || ev.button !== 0) return;
    this.view.focus();
    const target = ev.target as SVGElement;
    const index = Number(target.dataset?.index);
    const part = target.dataset?.part as Drag["kind"] | undefined;
    if (!part || !Number.isInteger(index)) return;
    ev.preventDefault();
    this.selected = index;
    this.drag = { kind: part, index, pointer: ev.pointerId, moved: false };
    this.view.setPointerCapture(ev.pointerId);
    this.draw();
  }

  private move(ev: PointerEvent): void {
    const d = this.drag;
    if (!d || ev.pointerId !== d.pointer) return;
    let { x, y } = this.at(ev);
    if (ev.shiftKey) {
      x = snap(x);
      y = snap(y);
    }
    const k = this.knots[d.index];
    if (d.kind === "knot") Object.assign(k, placeKnot(this.knots, d.index, x, y));
    else {
      k[d.kind] = placeTangent(d.kind, x - k.x, y - k.y);
      // The opposite tangent turns with it, keeping its length: a smooth knot stays smooth.
      const other = d.kind === "left" ? "right" : "left";
      const [dx, dy] = k[d.kind];
      const len = Math.hypot(dx, dy);
      const otherLen = Math.hypot(...k[other]);
      if (len > 1e-9 && !ev.altKey) k[other] = placeTangent(other, (-dx / len) * otherLen, (-dy / len) * otherLen);
    }
    d.moved = true;
    this.preview.setAttribute("d", previewPath(this.knots));
    this.draw();
  }

  private up(ev: PointerEvent): void {
    const d = this.drag;
    if (!d || ev.pointerId !== d.pointer) return;
    this.drag = null;
    if (d.moved) this.send(this.knots);
  }

  private cancel(): void {
    this.drag = null;
  }

  private add(ev: MouseEvent): void {
    if (this.disabled || (ev.target as SVGElement).dataset?.part) return;
    let { x, y } = this.at(ev);
    if (ev.shiftKey) {
      x = snap(x);
      y = snap(y);
    }
    if (x < 0 || x > 1 || y < 0 || y > 1) return this.actions.refuse(`${this.name}: double-click inside the curve's square to add a knot`);
    const added = insertKnot(this.knots, x, y);
    this.selected = added.index;
    this.send(added.knots);
  }

  private key(ev: KeyboardEvent): void {
    if (ev.key !== "Delete" && ev.key !== "Backspace") return;
    ev.preventDefault();
    ev.stopPropagation();
    this.removeSelected();
  }

  private removeSelected(): void {
    if (this.disabled || this.selected < 0) return;
    if (this.knots.length <= MIN_KNOTS) return this.actions.refuse(`${this.name}: a curve keeps at least one knot`);
    const knots = this.knots.filter((_, i) => i !== this.selected);
    this.selected = Math.min(this.selected, knots.length - 1);
    this.send(knots);
  }

  private typed(): void {
    const i = this.selected;
    const k = this.knots[i];
    if (!k) return;
    const read = (f: HTMLInputElement) => (f.value.trim() === "" ? NaN : Number(f.value.trim().replace(",", ".")));
    const x = read(this.xField);
    const y = read(this.yField);
    const knots = copy(this.knots);
    knots[i] = { ...knots[i], x, y };
    const why = checkKnots(knots);
    if (why) {
      this.actions.refuse(`${this.name}: ${why}`);
      this.draw();
      return;
    }
    this.send(knots);
  }

  private send(knots: Knot[]): void {
    const why = checkKnots(knots);
    if (why) {
      // Nothing is sent; the stored curve shows again.
      this.actions.refuse(`${this.name}: ${why}`);
      this.knots = copy(this.stored);
      this.preview.setAttribute("d", "");
      this.draw();
      return;
    }
    this.knots = copy(knots);
    this.draw();
    this.actions.store(copy(knots));
  }
}
