// The rules of the curve editor, the object list's rows and the keyboard,
// compiled here with the project's TypeScript and run without a browser.
import { test } from "node:test";
import assert from "node:assert/strict";
import { readFileSync, writeFileSync, mkdtempSync, rmSync } from "node:fs";
import path from "node:path";
import { fileURLToPath } from "node:url";
import ts from "typescript";

const src = path.join(path.dirname(fileURLToPath(import.meta.url)), "../src");
// Inside node_modules, so that the view's import of three resolves.
const dir = mkdtempSync(path.join(src, "../node_modules/.pulsor-logic-"));
async function load(name) {
  const out = ts.transpileModule(readFileSync(path.join(src, `${name}.ts`), "utf8"), {
    compilerOptions: { module: ts.ModuleKind.ESNext, target: ts.ScriptTarget.ES2022 },
  }).outputText;
  writeFileSync(path.join(dir, `${name}.mjs`), out);
  return import(path.join(dir, `${name}.mjs`));
}
const curve = await load("curve");
const objects = await load("objects");
const keys = await load("shortcuts");
const view = await load("viewport");
rmSync(dir, { recursive: true, force: true });

const knot = (x, y, left = [-0.1, 0], right = [0.1, 0]) => ({ x, y, left, right, flags: 0 });

test("a curve that cannot be stored is named, one that can passes", () => {
  assert.equal(curve.checkKnots([knot(0, 0), knot(0.5, 1), knot(1, 0.5)]), null);
  assert.equal(curve.checkKnots([knot(0.5, 0.5), knot(0.5, 0.2)]), null, "knots may share an x, as the host keeps them");
  assert.match(curve.checkKnots([]), /at least one knot/);
  assert.equal(curve.checkKnots([knot(0.5, 0.5)]), null);
  assert.equal(curve.checkKnots(Array.from({ length: 1000 }, (_, i) => knot(i / 999, 0.5, [0, 0], [0, 0]))), null);
  assert.match(curve.checkKnots(Array.from({ length: 1001 }, (_, i) => knot(i / 1000, 0.5, [0, 0], [0, 0]))), /at most 1000/);
  const end = knot(1, 1);
  assert.match(curve.checkKnots([knot(0, 0), knot(1.2, 0)]), /knot 2: x and y must lie between 0 and 1/);
  assert.match(curve.checkKnots([knot(0, -0.01), end]), /between 0 and 1/);
  assert.match(curve.checkKnots([knot(0.6, 0), knot(0.4, 1)]), /knot 2 would cross knot 1/);
  assert.match(curve.checkKnots([knot(NaN, 0), end]), /finite/);
  assert.match(curve.checkKnots([knot(0.5, 0.5, [-0.1, 0], [0.1, Infinity]), end]), /finite/);
  assert.match(curve.checkKnots([knot(0.5, 0.5, [0.1, 0]), end]), /tangent points back/);
  assert.match(curve.checkKnots([knot(0.5, "0.5"), end]), /finite/, "a number typed as text is no number");
});

test("a dragged knot stays inside the square and between its neighbours", () => {
  const knots = [knot(0, 0), knot(0.5, 0.5), knot(1, 1)];
  assert.deepEqual(curve.placeKnot(knots, 1, 0.3, 0.7), { x: 0.3, y: 0.7 });
  assert.deepEqual(curve.placeKnot(knots, 1, 1.5, 2), { x: 1, y: 1 }, "past the next knot: held at its x");
  assert.deepEqual(curve.placeKnot(knots, 1, -3, -1), { x: 0, y: 0 });
  assert.deepEqual(curve.placeKnot([knot(0.2, 0), knot(0.4, 0)], 0, -1, 0.5), { x: 0, y: 0.5 }, "the first knot reaches the left edge");
  assert.deepEqual(curve.placeKnot([knot(0.2, 0), knot(0.4, 0)], 0, 0.9, 0.5), { x: 0.4, y: 0.5 }, "and stops at its neighbour");
  // Whatever the pointer does, the result can be stored.
  for (const [x, y] of [[-5, 9], [0.51, 0.5], [NaN, 0.5].map((v) => (Number.isNaN(v) ? 0.7 : v)), [2, -2]]) {
    const moved = knots.map((k) => ({ ...k }));
    Object.assign(moved[1], curve.placeKnot(moved, 1, x, y));
    assert.equal(curve.checkKnots(moved), null, `pointer at ${x}, ${y}`);
  }
});

test("tangents stay on their side; snapping lands on the grid", () => {
  assert.deepEqual(curve.placeTangent("left", 0.2, 0.3), [0, 0.3]);
  assert.deepEqual(curve.placeTangent("left", -0.2, 0.3), [-0.2, 0.3]);
  assert.deepEqual(curve.placeTangent("right", -0.2, -0.1), [0, -0.1]);
  assert.equal(curve.snap(0.349), 0.3);
  assert.equal(curve.snap(0.351), 0.4);
  assert.equal(curve.snap(0.72), 0.7);
  assert.equal(curve.snap(0.3), 0.3, "a grid value is stored as typed");
});

test("a knot added by double-click goes in order, with tangents that fit between its neighbours", () => {
  const { knots, index } = curve.insertKnot([knot(0, 0), knot(1, 1)], 0.25, 0.8);
  assert.equal(index, 1);
  assert.deepEqual(knots.map((k) => [k.x, k.y]), [[0, 0], [0.25, 0.8], [1, 1]]);
  assert.equal(curve.checkKnots(knots), null);
  assert.ok(knots[1].right[0] > 0 && knots[1].left[0] < 0 && knots[1].right[0] <= 0.25 / 3);
  const edge = curve.insertKnot([knot(0, 0.5), knot(0.5, 0.5)], 1.3, -0.2);
  assert.deepEqual([edge.index, edge.knots[2].x, edge.knots[2].y], [2, 1, 0], "outside the square: clamped to its edge");
  assert.equal(curve.checkKnots(edge.knots), null);
});

test("the preview is the host's cubic between knots, held flat beyond the ends", () => {
  const d = curve.previewPath([knot(0.2, 0.5, [-0.1, 0], [0.1, 0.2]), knot(0.8, 1, [-0.1, 0], [0.1, 0])]);
  assert.match(d, /^M0\.00,50\.00 L40\.00,50\.00 C60\.00,30\.00 140\.00,0\.00 160\.00,0\.00 L200\.00,0\.00$/);
  assert.equal(curve.previewPath([]), "");
});

test("the object list's rows: objects, their tags and children, then the materials", () => {
  const state = {
    objects: [
      { id: 1, name: "A", typeName: "Cube", tags: [{ id: 2, name: "T", typeName: "Pulsor", pulsor: true }], children: [{ id: 3, name: "B", typeName: "Null", tags: [], children: [] }] },
    ],
    materials: [{ id: 9, name: "Red", typeName: "Material" }],
  };
  const rows = objects.flatten(state);
  assert.deepEqual(
    rows.map((r) => [r.heading ?? r.element.name, r.depth, r.kind]),
    [["Objects", 0, "heading"], ["A", 0, "object"], ["T", 1, "tag pulsor"], ["B", 1, "object"], ["Materials", 0, "heading"], ["Red", 0, "material"]],
  );
  assert.equal(objects.flatten({ objects: [], materials: [] }).length, 1, "no materials heading without materials");
});

test("only the rows in sight are built, whatever the list's length", () => {
  const h = objects.ROW_HEIGHT;
  assert.deepEqual(objects.window_(3000, 0, 20 * h), { first: 0, last: 28 });
  assert.deepEqual(objects.window_(3000, 1000 * h, 20 * h), { first: 992, last: 1028 });
  assert.deepEqual(objects.window_(3000, 2990 * h, 20 * h), { first: 2982, last: 3000 }, "never past the end");
  assert.deepEqual(objects.window_(5, 0, 20 * h), { first: 0, last: 5 });
});

test("keys act on the studio unless what has the focus needs them", () => {
  const at = (selector) => ({ closest: (s) => (s.split(",").some((p) => selector.includes(p.trim())) ? {} : null) });
  const body = at("body");
  assert.equal(keys.shortcutFor(" ", body), "play");
  assert.equal(keys.shortcutFor("ArrowRight", body), "next");
  assert.equal(keys.shortcutFor("Home", body), "first");
  assert.equal(keys.shortcutFor("End", null), "last");
  assert.equal(keys.shortcutFor("Delete", body), "delete-tab");
  assert.equal(keys.shortcutFor("?", body), "help");
  assert.equal(keys.shortcutFor("x", body), null);
  assert.equal(keys.shortcutFor(" ", at("input")), null, "typing a space");
  assert.equal(keys.shortcutFor("Delete", at("input")), null, "deleting text");
  assert.equal(keys.shortcutFor("ArrowLeft", at("select")), null);
  assert.equal(keys.shortcutFor(" ", at("button")), null, "Space presses the button");
  assert.equal(keys.shortcutFor("ArrowLeft", at("[role=tablist]")), null, "arrows move between tabs");
  assert.equal(keys.shortcutFor("Delete", at(".curve-editor")), null, "Delete removes the curve's knot, not the tab");
  // Every key the overlay names as a plain key acts.
  assert.ok(keys.HELP.some(([k]) => k === "Space") && keys.HELP.some(([k]) => k.includes("Home")));
});

test("the document's frame turns into three.js's: z and the turns about x and y change sense", () => {
  assert.deepEqual(view.placement({ position: [1, 2, 3], rotation: [0.1, 0.2, 0.3] }), { position: [1, 2, -3], euler: [-0.2, -0.1, 0.3] });
  assert.deepEqual(view.placement({ position: [0, 0, 0], rotation: [0, 0, 0] }).position.map(Math.abs), [0, 0, 0]);
});

test("a colour outside 0..1 is held at its ends; a missing or broken one is grey", () => {
  assert.deepEqual(view.colourOf([0.2, 1.5, -1]), [0.2, 1, 0]);
  assert.deepEqual(view.colourOf(undefined), [0.6, 0.6, 0.6]);
  assert.deepEqual(view.colourOf([0.1, NaN, 0.3]), [0.6, 0.6, 0.6]);
  assert.deepEqual(view.colourOf([1, 1]), [0.6, 0.6, 0.6]);
});
