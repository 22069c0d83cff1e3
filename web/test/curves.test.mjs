// The curve editor as an artist uses it: drag a knot, add one by
// double-click, type one, delete one; each is one undo step, and the line
// drawn is the host's evaluation of what it stored.
import { test, before, after, beforeEach, afterEach } from "node:test";
import assert from "node:assert/strict";
import { startStudio, startBrowser, openStudio, showTab, field, graphSeries, idle } from "./harness.mjs";

let browser, studio, page;
before(async () => {
  browser = await startBrowser();
});
after(async () => {
  await browser?.close();
});
beforeEach(async () => {
  studio = await startStudio("demo.json");
  page = await openStudio(browser, studio);
  await showTab(page, "Bounce");
  await page.locator(".tab-panel:not([hidden]) summary", { hasText: "Advanced" }).click();
});
afterEach(async () => {
  assert.deepEqual(page.errors, []);
  await page.close();
  await studio.stop();
});

const editor = () => page.locator(".tab-panel:not([hidden]) .curve-editor").first();
const knots = () => editor().locator(".knot");
const bounceSeries = async () => {
  const g = await graphSeries(page);
  return g.series[Object.keys(g.series).find((n) => n.startsWith("Bounce"))];
};
/** The knots the server holds for the curve shown. */
const storedKnots = async () => {
  const key = await editor().evaluate((n) => n.closest("[data-entry]").dataset.entry);
  return page.evaluate((key) => {
    const entry = window.studio.page.current.entries.find((e) => e.id.join(".") === key);
    return entry.value.knots.map((k) => [k.x, k.y]);
  }, key);
};
const curveLine = () => editor().locator(".spline-line").getAttribute("points");
const status = () => page.locator(".status");

test("dragging a knot of the strength curve is one edit: graph, Strength Mode and curve follow, undo takes it back", async () => {
  const before = await bounceSeries();
  const line = await curveLine();
  assert.equal(await knots().count(), 2);
  const box = await knots().nth(1).boundingBox();
  await page.mouse.move(box.x + box.width / 2, box.y + box.height / 2);
  await page.mouse.down();
  // Several moves, one request: the drag is sent on release.
  for (let i = 1; i <= 5; i++) await page.mouse.move(box.x + box.width / 2, box.y + box.height / 2 + i * 12);
  await page.mouse.up();
  await idle(page);

  const stored = await storedKnots();
  assert.ok(stored[1][1] < 0.9, `the end knot went down: ${JSON.stringify(stored)}`);
  assert.notEqual(await curveLine(), line, "the line is the server's new evaluation");
  assert.notDeepEqual(await bounceSeries(), before, "the graph changed");
  assert.equal(await field(page, "Strength Mode").evaluate((s) => s.selectedOptions[0].textContent), "Custom");

  await page.getByRole("button", { name: "Undo" }).click();
  await idle(page);
  assert.deepEqual(await bounceSeries(), before);
  assert.equal(await curveLine(), line);
  assert.equal(await page.getByRole("button", { name: "Undo" }).isDisabled(), true, "the drag was one undo step");
});

test("Shift snaps a dragged knot to the grid, and a knot never leaves the square", async () => {
  const box = await knots().nth(1).boundingBox();
  const frame = await editor().locator(".spline-frame").boundingBox();
  await page.mouse.move(box.x + box.width / 2, box.y + box.height / 2);
  await page.mouse.down();
  await page.keyboard.down("Shift");
  await page.mouse.move(frame.x + frame.width * 0.93, frame.y + frame.height * 0.62);
  await page.mouse.up();
  await page.keyboard.up("Shift");
  await idle(page);
  assert.deepEqual((await storedKnots())[1], [0.9, 0.4]);

  // Dragged far below and right of the square: held on its edge.
  const again = await knots().nth(1).boundingBox();
  await page.mouse.move(again.x + again.width / 2, again.y + again.height / 2);
  await page.mouse.down();
  await page.mouse.move(frame.x + frame.width * 3, frame.y + frame.height * 4);
  await page.mouse.up();
  await idle(page);
  assert.deepEqual((await storedKnots())[1], [1, 0]);
});

test("double-click adds a knot, typed values move it, bad values are refused and Delete removes it", async () => {
  const frame = await editor().locator(".spline-frame").boundingBox();
  await page.mouse.dblclick(frame.x + frame.width * 0.5, frame.y + frame.height * 0.25);
  await idle(page);
  let stored = await storedKnots();
  assert.equal(stored.length, 3);
  assert.ok(Math.abs(stored[1][0] - 0.5) < 0.03 && Math.abs(stored[1][1] - 0.75) < 0.03, JSON.stringify(stored));

  const x = editor().getByLabel(/knot X$/);
  const y = editor().getByLabel(/knot Y$/);
  await y.fill("0.25");
  await y.press("Enter");
  await idle(page);
  assert.equal((await storedKnots())[1][1], 0.25);

  // Past its neighbour, outside the square, not a number: refused, nothing sent.
  const revision = await page.evaluate(() => document.body.dataset.revision);
  for (const [input, text, why] of [[x, "1.5", /between 0 and 1/], [y, "-1", /between 0 and 1/], [y, "abc", /finite/]]) {
    await input.fill(text);
    await input.press("Enter");
    await idle(page);
    assert.match(await status().textContent(), why);
  }
  assert.equal(await page.evaluate(() => document.body.dataset.revision), revision, "refusals change nothing");
  stored = await storedKnots();
  assert.equal(stored[1][1], 0.25);

  await knots().nth(1).click();
  await page.keyboard.press("Delete");
  await idle(page);
  assert.equal((await storedKnots()).length, 2);
  assert.equal(await page.getByRole("tab", { name: "Bounce", exact: true }).count(), 1, "Delete on a curve removes the knot, not the tab");

  await page.getByRole("button", { name: "Undo" }).click();
  await idle(page);
  assert.equal((await storedKnots()).length, 3, "the deleted knot comes back");
});

test("the last knot cannot be deleted, and the server's refusal of a broken curve sent past the editor is shown", async () => {
  await knots().nth(1).click();
  await page.keyboard.press("Delete");
  await idle(page);
  assert.equal((await storedKnots()).length, 1);
  const revision = await page.evaluate(() => document.body.dataset.revision);
  const stored = await storedKnots();
  await knots().nth(0).click();
  await page.keyboard.press("Delete");
  await idle(page);
  assert.deepEqual(await storedKnots(), stored);
  assert.match(await status().textContent(), /at least one knot/);
  assert.equal(await editor().getByRole("button", { name: "Delete knot" }).isDisabled(), true);
  assert.equal(await page.evaluate(() => document.body.dataset.revision), revision, "nothing was sent");

  // Sent as a script would, crossing knots reach the server, which refuses them; the page says why.
  const key = await editor().evaluate((n) => n.closest("[data-entry]").dataset.entry);
  await page.evaluate((key) => {
    const crossing = [
      { x: 0.8, y: 0, left: [0, 0], right: [0, 0], flags: 0 },
      { x: 0.2, y: 1, left: [0, 0], right: [0, 0], flags: 0 },
    ];
    return window.studio.edit(() => window.studio.api.set(window.studio.selected, key.split(".").map(Number), { knots: crossing }));
  }, key);
  await idle(page);
  assert.match(await status().textContent(), /cross/i);
  assert.deepEqual(await storedKnots(), stored, "the curve is as it was");
});
