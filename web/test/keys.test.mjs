// The keyboard: playback, stepping, the ends of the range, deleting the tab
// shown, and the overlay that lists them; keys typed into a field stay there.
import { test } from "node:test";
import assert from "node:assert/strict";
import { sharedStudio, showTab, field, tabNames, idle } from "./harness.mjs";

let studio, page;
sharedStudio("demo.json", (shared) => ({ studio, page } = shared));

const frame = () => page.evaluate(() => window.studio.timeline.current);
const serverFrame = () => page.evaluate(() => window.studio.state.frame);
const press = async (key) => {
  await page.locator(".page-title").click();
  await page.keyboard.press(key);
  await idle(page);
};

test("arrows step, Home and End go to the range's ends, and the server follows", async () => {
  await press("End");
  assert.equal(await frame(), 90);
  assert.equal(await serverFrame(), 90);
  await press("ArrowLeft");
  assert.equal(await serverFrame(), 89);
  await press("Home");
  assert.equal(await serverFrame(), 0);
  await press("ArrowLeft");
  assert.equal(await serverFrame(), 0, "the range holds");
  await press("ArrowRight");
  await press("ArrowRight");
  assert.equal(await serverFrame(), 2);
});

test("Space plays and pauses", async () => {
  await press(" ");
  assert.equal(await page.evaluate(() => window.studio.timeline.isPlaying), true);
  await page.waitForFunction(() => window.studio.timeline.stats.shown >= 3);
  await press(" ");
  assert.equal(await page.evaluate(() => window.studio.timeline.isPlaying), false);
  assert.equal(await page.getByRole("button", { name: "Play" }).count(), 1);
});

test("keys typed into a field stay in the field", async () => {
  await showTab(page, "Bounce");
  const name = field(page, "Bounce: Name");
  const before = await serverFrame();
  await name.click();
  await name.press("End");
  await name.press("ArrowLeft");
  await name.press("Delete");
  await name.press("Home");
  assert.equal(await serverFrame(), before);
  assert.equal(await page.evaluate(() => window.studio.timeline.isPlaying), false);
  assert.deepEqual(await tabNames(page), ["Basic", "Base", "Bounce", "Output"], "Delete in a field deletes no tab");
  // The letter Delete took goes back, so the field holds what it held and sends nothing.
  await name.press("End");
  await name.pressSequentially("e");
  assert.equal(await name.inputValue(), "Bounce");
});

test("Delete removes the tab shown, as its button does, and undo brings it back", async () => {
  await showTab(page, "Bounce");
  await press("Delete");
  assert.deepEqual(await tabNames(page), ["Basic", "Base", "Output"]);
  await page.keyboard.press("Control+z");
  await idle(page);
  assert.deepEqual(await tabNames(page), ["Basic", "Base", "Bounce", "Output"]);
  // A tab of the tag's own settings has no Delete: the key says so.
  await showTab(page, "Base");
  await press("Delete");
  assert.match(await page.locator(".status").textContent(), /cannot be deleted/);
  assert.deepEqual(await tabNames(page), ["Basic", "Base", "Bounce", "Output"]);
});

test("? opens the overlay listing every shortcut; Escape closes it and keys wait while it shows", async () => {
  await press("?");
  const overlay = page.getByRole("dialog", { name: "Keyboard shortcuts" });
  assert.equal(await overlay.isVisible(), true);
  const listed = await overlay.locator("dt").allTextContents();
  for (const key of ["Space", "← / →", "Home / End", "Delete", "Ctrl+Z"]) assert.ok(listed.includes(key), `${key} in ${listed}`);
  const before = await serverFrame();
  await page.keyboard.press("End");
  await idle(page);
  assert.equal(await serverFrame(), before, "End does nothing behind the overlay");
  await page.keyboard.press("Escape");
  assert.equal(await overlay.isVisible(), false);
  await page.getByRole("button", { name: "Keyboard shortcuts" }).click();
  assert.equal(await overlay.isVisible(), true, "the toolbar's button opens it too");
  await overlay.getByRole("button", { name: "Close" }).click();
  assert.equal(await overlay.isVisible(), false);
});
