// Editing as an artist does: a value and the graph, adding and deleting
// modifier tabs with undo, linking by drag and drop, and baking with the
// host's question.
import { test, before, after, beforeEach, afterEach } from "node:test";
import assert from "node:assert/strict";
import { startStudio, startBrowser, openStudio, selectElement, showTab, field, typeInto, tabNames, graphSeries, item, idle } from "./harness.mjs";

let browser, studio, page;
before(async () => {
  browser = await startBrowser();
});
after(async () => {
  await browser?.close();
});
// Every test edits the scene, so each starts from a fresh copy.
beforeEach(async () => {
  studio = await startStudio("demo.json");
  page = await openStudio(browser, studio);
});
afterEach(async () => {
  assert.deepEqual(page.errors, []);
  await page.close();
  await studio.stop();
});

const panel = () => page.locator(".tab-panel:not([hidden])");

test("changing a tab's Strength changes the graph", async () => {
  await selectElement(page, "Bounce");
  await showTab(page, "Bounce");
  const before = await graphSeries(page);
  const name = Object.keys(before.series).find((n) => /position\.y$/.test(n));
  assert.ok(name, `a series for the bounce: ${Object.keys(before.series)}`);
  assert.equal(before.frames.length, 91, "frames 0 to 90");
  const peak = Math.max(...before.series[name]);
  assert.ok(peak > 0);

  await typeInto(page, "Strength", "50");
  assert.equal(await field(page, "Strength").inputValue(), "50 %");
  const after = await graphSeries(page);
  assert.notDeepEqual(after.series[name], before.series[name], "the graph was drawn again");
  assert.ok(Math.max(...after.series[name]) < peak, "half the strength bounces lower");

  // One edit is one undo step, and the field, not typing, takes Ctrl+Z.
  await field(page, "Strength").focus();
  await page.keyboard.press("Control+z");
  await idle(page);
  assert.equal(await field(page, "Strength").inputValue(), "100 %");
  assert.deepEqual((await graphSeries(page)).series[name], before.series[name]);
  assert.equal(await page.getByRole("button", { name: "Undo" }).isDisabled(), true, "nothing left to undo");
});

test('"Add Modifiers" adds a tab, which "Delete" removes and undo brings back', async () => {
  await selectElement(page, "Bounce");
  const before = await tabNames(page);
  await field(page, "Add Modifiers").selectOption({ label: "Sin" });
  await idle(page);
  const added = await tabNames(page);
  assert.equal(added.length, before.length + 1);
  const sin = added.find((t) => !before.includes(t));
  assert.match(sin, /Sin/);
  assert.equal(added.at(-1), "Output", "modifier tabs come before Output");
  assert.equal(await field(page, "Add Modifiers").inputValue(), "0", "the cycle is back at ...");

  await showTab(page, sin);
  await panel().getByRole("button", { name: "Delete", exact: true }).click();
  await idle(page);
  assert.deepEqual(await tabNames(page), before, "the tab is gone");

  await page.getByRole("button", { name: "Undo" }).click();
  await idle(page);
  assert.deepEqual(await tabNames(page), added, "undo brings it back");

  // The shortcuts do the same from anywhere but a text field.
  await page.getByRole("button", { name: "Redo" }).focus();
  await page.keyboard.press("Control+z");
  await idle(page);
  assert.deepEqual(await tabNames(page), before, "Ctrl+Z undid adding the tab");
  await page.keyboard.press("Control+Shift+z");
  await idle(page);
  assert.deepEqual(await tabNames(page), added, "Ctrl+Shift+Z redid it");
});

test("a new tag links a cube's Position . Y dropped on it", async () => {
  await selectElement(page, "Ball");
  const tagsBefore = await page.locator(".objects .item.pulsor").count();
  await page.getByRole("button", { name: "Add a Pulsor tag to the selected object" }).click();
  await idle(page);
  assert.equal(await page.locator(".objects .item.pulsor").count(), tagsBefore + 1);
  const newTag = page.locator('.objects .item.pulsor[aria-pressed="true"]');
  const id = await newTag.getAttribute("data-element");
  const nameBefore = await newTag.locator(".name").textContent();
  assert.match(await panel().locator(".caption-text").first().textContent(), /No Paramenter Linked/);

  await selectElement(page, "Ball");
  const label = panel().locator(".component-label[title*='Position . Y']").first();
  const target = page.locator(`.objects .item[data-element="${id}"]`);
  // Drag by hand so the check while hovering can be seen before the drop.
  await label.hover();
  await page.mouse.down();
  await target.hover({ position: { x: 20, y: 5 } });
  await target.hover({ position: { x: 30, y: 6 } });
  await page.waitForFunction((i) => document.querySelector(`.objects .item[data-element="${i}"]`)?.classList.contains("drop-accept"), id);
  await page.mouse.up();
  await idle(page);
  assert.match(await page.locator(".status").textContent(), /Linked "Position \. Y"/);

  const linked = page.locator(`.objects .item[data-element="${id}"]`);
  assert.notEqual(await linked.locator(".name").textContent(), nameBefore, "the tag renamed itself after what it links");
  assert.ok(await linked.locator("img").evaluate((img) => img.complete && img.naturalWidth > 0), "its icon loads");
  await linked.click();
  await idle(page);
  const caption = await panel().locator(".caption-text").first().textContent();
  assert.doesNotMatch(caption, /No Paramenter Linked/);
  assert.match(caption, /Ball - .*Y/, "the caption names the linked component");

  // A text parameter is not a type the tag animates: refused while hovering,
  // and a release there sends nothing.
  await selectElement(page, "Ball");
  const revision = await page.evaluate(() => document.body.dataset.revision);
  await panel().locator(".param-label", { hasText: /^Name$/ }).hover();
  await page.mouse.down();
  const bounce = item(page, "Bounce");
  await bounce.hover({ position: { x: 20, y: 5 } });
  await bounce.hover({ position: { x: 30, y: 6 } });
  await page.waitForFunction(() => document.querySelector(".objects .drop-refuse") !== null);
  await page.mouse.up();
  await idle(page);
  assert.equal(await page.evaluate(() => document.body.dataset.revision), revision, "nothing changed");
});

test("Convert To Keyframes asks first, then greys out everything but Clear Keyframes", async () => {
  await selectElement(page, "Bounce");
  await showTab(page, "Output");
  await panel().locator("summary", { hasText: /^Keyframe$/ }).click();
  assert.ok(await panel().locator("details.group[open] > summary", { hasText: /^Keyframe$/ }).count(), "opened");
  await field(page, "Keyframe Sequence").check();
  await idle(page);
  await typeInto(page, "To", "1200");
  assert.equal(await field(page, "To").inputValue(), "1200 F");

  const convert = panel().getByRole("button", { name: "Convert To Keyframes" });
  await convert.click();
  const dialog = page.getByRole("dialog");
  await dialog.waitFor();
  assert.match(await dialog.textContent(), /Are you sure you want to key frame 1200 frames\?/);
  await dialog.getByRole("button", { name: "No" }).click();
  await idle(page);
  assert.equal(await convert.isEnabled(), true, "answering no bakes nothing");

  await convert.click();
  await dialog.getByRole("button", { name: "Yes" }).click();
  await idle(page);
  const enabled = await page.evaluate(() =>
    [...document.querySelectorAll(".tab-panel button, .tab-panel input, .tab-panel select")].filter((c) => !c.disabled).map((c) => c.getAttribute("aria-label") || c.textContent),
  );
  assert.deepEqual(enabled, ["Clear Keyframes"]);

  await panel().getByRole("button", { name: "Clear Keyframes" }).click();
  await idle(page);
  assert.equal(await convert.isEnabled(), true, "cleared: the page is live again");
  assert.equal(await field(page, "Volume").isEnabled(), true);
});

test("renaming and deleting a tag from the object list", async () => {
  await selectElement(page, "Sway");
  await page.getByRole("button", { name: "Rename the selected tag" }).click();
  const dialog = page.getByRole("dialog");
  await dialog.getByLabel("New name").fill("Swing");
  await dialog.getByRole("button", { name: "Rename" }).click();
  await idle(page);
  assert.equal(await item(page, "Swing").count(), 1);
  assert.equal(await item(page, "Sway").count(), 0);

  // An empty name is refused before anything is sent.
  await page.getByRole("button", { name: "Rename the selected tag" }).click();
  await dialog.getByLabel("New name").fill("  ");
  await dialog.getByRole("button", { name: "Rename" }).click();
  await idle(page);
  assert.match(await page.locator(".status.error").textContent(), /cannot be empty/);
  assert.equal(await item(page, "Swing").count(), 1);

  await page.getByRole("button", { name: "Delete the selected tag" }).click();
  await idle(page);
  assert.equal(await item(page, "Swing").count(), 0);
  await page.getByRole("button", { name: "Undo" }).click();
  await idle(page);
  assert.equal(await item(page, "Swing").count(), 1, "undo brings the tag back");
});
