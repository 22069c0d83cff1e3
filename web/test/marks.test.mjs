// Keys on the timeline and the graph: a keyframe sequence's range, the keys
// a bake writes, and how undo, redo and "Clear Keyframes" take them away and
// bring them back.
import { test } from "node:test";
import assert from "node:assert/strict";
import { sharedStudio, selectElement, showTab, field, typeInto, idle } from "./harness.mjs";

let studio, page;
sharedStudio("demo.json", (shared) => ({ studio, page } = shared));

const panel = () => page.locator(".tab-panel:not([hidden])");
const marks = () => page.locator(".timeline .key-mark").evaluateAll((m) => m.map((n) => Number(n.dataset.frame)));
const graphKeys = () => page.evaluate(() => window.studio.graph.keyPoints());
const range = () =>
  page.locator(".timeline .sequence-range").evaluate((r) => (r.hidden ? null : { from: Number(r.dataset.from), to: Number(r.dataset.to), width: r.getBoundingClientRect().width }));
const click = async (name) => {
  await page.getByRole("button", { name, exact: true }).click();
  await idle(page);
};

test("the keyframe sequence's range shows on the timeline while it is on", async () => {
  await selectElement(page, "Bounce");
  await showTab(page, "Output");
  await panel().locator("summary", { hasText: /^Keyframe$/ }).click();
  assert.equal(await range(), null);
  await field(page, "Keyframe Sequence").check();
  await idle(page);
  await typeInto(page, "From", "10");
  await typeInto(page, "To", "40");
  const shown = await range();
  assert.deepEqual({ from: shown.from, to: shown.to }, { from: 10, to: 40 });
  const track = await page.locator(".timeline .scrub").boundingBox();
  assert.ok(Math.abs(shown.width - ((track.width - 16) * 30) / 90) < 3, `a third of the track: ${shown.width} of ${track.width}`);
});

test("a bake's keys show as marks and graph points; undo, redo and Clear Keyframes take them and bring them back", async () => {
  assert.deepEqual(await marks(), [], "no keys before the bake");
  await panel().getByRole("button", { name: "Convert To Keyframes" }).click();
  // The module asks first only for a long bake.
  const dialog = page.getByRole("dialog");
  if ((await Promise.race([dialog.waitFor().then(() => "asked"), idle(page).then(() => "done")])) === "asked")
    await dialog.getByRole("button", { name: "Yes" }).click();
  await idle(page);
  const baked = await marks();
  assert.ok(baked.length >= 2, `keys were marked: ${baked}`);
  assert.ok(baked.every((f) => f >= 10 && f <= 40), `within the sequence: ${baked}`);
  const points = await graphKeys();
  const series = Object.keys(points).find((n) => n.startsWith("Bounce"));
  assert.ok(series, `points on the bounce's line: ${JSON.stringify(points)}`);
  assert.deepEqual(points[series], baked);

  await click("Undo");
  assert.deepEqual(await marks(), [], "undo of the bake removes the marks");
  assert.deepEqual(await graphKeys(), {});
  await click("Redo");
  assert.deepEqual(await marks(), baked, "redo brings them back");

  await panel().getByRole("button", { name: "Clear Keyframes" }).click();
  await idle(page);
  assert.deepEqual(await marks(), []);
  await click("Undo");
  assert.deepEqual(await marks(), baked, "undo of the clear brings them back");
});
