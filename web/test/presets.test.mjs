// The presets panel: the shipped presets load, a preset saved in a folder
// chosen with the folder picker is listed and loads back, and the module's
// refusals (a bad name, an unreadable file) are shown with nothing changed.
import { test } from "node:test";
import assert from "node:assert/strict";
import { mkdirSync, writeFileSync, readdirSync } from "node:fs";
import path from "node:path";
import { sharedStudio, selectElement, idle, api } from "./harness.mjs";

let studio, page;
sharedStudio("demo.json", (shared) => ({ studio, page } = shared));

const panel = () => page.getByRole("region", { name: "Presets" });
const listed = () => panel().getByLabel("Preset", { exact: true }).locator("option").allTextContents();
const status = () => page.locator(".status").textContent();
const undoState = async () => (await api(studio, "GET", "/api/state")).undo;
async function load(name) {
  await panel().getByLabel("Preset", { exact: true }).selectOption({ label: name });
  await panel().getByRole("button", { name: "Load" }).click();
  await idle(page);
}
async function save(name) {
  await panel().getByLabel("Preset name").fill(name);
  await panel().getByRole("button", { name: "Save" }).click();
  await idle(page);
}

/** The tag's page as the server holds it: every entry and value. */
const tagPage = () => page.evaluate(() => JSON.stringify(window.studio.page.current.entries));

test("the shipped presets are listed and one loads as one undo step", async () => {
  await selectElement(page, "Bounce");
  const names = await listed();
  for (const shipped of ["Heartbeat", "Flicker", "Gentle Wobble", "Colour Drift"]) assert.ok(names.includes(shipped), `${shipped} in ${names}`);
  const before = await tagPage();
  await load("Heartbeat");
  assert.notEqual(await tagPage(), before, "the preset's settings replaced the tag's");
  await page.getByRole("button", { name: "Undo" }).click();
  await idle(page);
  assert.equal(await tagPage(), before, "one undo takes the whole preset back");
  assert.equal(await page.getByRole("button", { name: "Undo" }).isDisabled(), true);
});

test("the folder picker shows folders only; a preset saved there is listed and loads back", async () => {
  mkdirSync(path.join(studio.dir, "mine", "deeper"), { recursive: true });
  writeFileSync(path.join(studio.dir, "mine", "not a folder.txt"), "x");
  await panel().getByRole("button", { name: "Choose the preset folder" }).click();
  const picker = page.getByRole("dialog", { name: "Choose a folder" });
  await picker.waitFor();
  await picker.getByLabel("Folder", { exact: true }).fill(studio.dir);
  await picker.getByLabel("Folder", { exact: true }).press("Enter");
  await picker.getByRole("option", { name: /mine$/ }).click();
  await picker.getByRole("option", { name: /deeper$/ }).waitFor();
  const entries = await picker.getByRole("option").allTextContents();
  assert.ok(!entries.some((e) => e.includes("not a folder")), `files are not listed: ${entries}`);
  await picker.getByRole("button", { name: "Choose this folder" }).click();
  await idle(page);
  assert.match(await panel().getByLabel("Preset folder", { exact: true }).textContent(), /mine$/);
  assert.deepEqual(await listed(), [], "a new folder holds no presets");

  const strength = () => page.evaluate(() => window.studio.page.current.entries.find((e) => e.id.length === 1 && e.id[0] === 2004).value);
  const saved = await strength();
  await save("My Bounce");
  const files = readdirSync(path.join(studio.dir, "mine"));
  assert.ok(files.some((f) => f.startsWith("My Bounce")), `the file was written there: ${files}`);
  assert.deepEqual(await listed(), ["My Bounce"]);
  // Another strength, then the preset: the strength is as it was saved.
  const tag = await page.evaluate(() => window.studio.selected);
  await api(studio, "POST", `/api/elements/${tag}/set`, { id: [2004], value: 0.25 });
  await page.evaluate(() => window.studio.refresh());
  assert.equal(await strength(), 0.25);
  await load("My Bounce");
  assert.equal(await strength(), saved);
});

test("the module's refusals show, and change nothing", async () => {
  const undo = await undoState();
  const files = readdirSync(path.join(studio.dir, "mine")).sort();
  await save("../escape");
  assert.match(await status(), /name|refus|invalid/i);
  await save("   ");
  assert.match(await status(), /Name the preset/);
  assert.deepEqual(await undoState(), undo, "no undo step");
  assert.deepEqual(readdirSync(path.join(studio.dir, "mine")).sort(), files, "no file written");
  assert.ok(readdirSync(studio.dir).every((f) => !f.startsWith("escape")), "nothing written outside the folder");

  // A file named as the module names its presets, holding no preset.
  const suffix = readdirSync(path.join(studio.dir, "mine")).find((f) => f.startsWith("My Bounce")).slice("My Bounce".length);
  writeFileSync(path.join(studio.dir, "mine", `Broken${suffix}`), "not a preset");
  await panel().getByRole("button", { name: "Refresh the list" }).click();
  await idle(page);
  assert.ok((await listed()).includes("Broken"), `listed: ${await listed()}`);
  const tag = await tagPage();
  await load("Broken");
  assert.match(await status(), /read|preset|Broken/i);
  assert.equal(await tagPage(), tag, "the tag is as it was");
  assert.deepEqual(await undoState(), undo);
});
