// Saving and opening scenes: nothing lost on the way, overwriting only after
// asking, and a bad file refused with the open scene kept.
import { test, before, after } from "node:test";
import assert from "node:assert/strict";
import { existsSync, readFileSync } from "node:fs";
import path from "node:path";
import { startStudio, startBrowser, openStudio, selectElement, field, typeInto, api, idle } from "./harness.mjs";

let browser, studio, page;
before(async () => {
  browser = await startBrowser();
  studio = await startStudio("demo.json");
  page = await openStudio(browser, studio);
});
after(async () => {
  await browser?.close();
  await studio?.stop();
});

/** Every tag's page values by object and tag name, as the server shows them. */
async function snapshot() {
  const state = await api(studio, "GET", "/api/state");
  const result = {};
  for (const o of state.objects)
    for (const t of o.tags) {
      const p = await api(studio, "GET", `/api/elements/${t.id}/page`);
      result[`${o.name}/${t.name}`] = p.entries.filter((e) => "value" in e).map((e) => [e.id.join("."), e.name, e.value]);
    }
  return result;
}

/** Answers the open dialog; `settle` false when another dialog is to follow. */
async function dialogAnswer(button, text, settle = true) {
  const dialog = page.getByRole("dialog");
  await dialog.waitFor();
  if (text !== undefined) await dialog.getByLabel("File").fill(text);
  await dialog.getByRole("button", { name: button }).click();
  if (settle) await idle(page);
}

test("save and open again: every tag, value and tab is still there", async () => {
  await selectElement(page, "Sway");
  await typeInto(page, "Strength", "40");
  await field(page, "Add Modifiers").selectOption({ label: "Triangle" });
  await idle(page);
  const before = await snapshot();

  await page.getByRole("button", { name: "Save the scene" }).click();
  await dialogAnswer("Save", "saved.c4d");
  assert.match(await page.locator(".status").textContent(), /Saved/);
  const file = path.join(studio.dir, "saved.c4d");
  assert.ok(existsSync(file));

  await page.getByRole("button", { name: "Open a scene" }).click();
  await dialogAnswer("Open", "saved.c4d");
  assert.match(await page.locator(".status").textContent(), /Opened/);
  assert.deepEqual(await snapshot(), before);
  assert.equal(await page.locator('.objects .item[aria-pressed="true"] .name').textContent(), "Sway", "the same tag is shown");
  assert.equal(await field(page, "Strength").inputValue(), "40 %");
  assert.equal(await page.getByRole("button", { name: "Undo" }).isDisabled(), true, "a fresh history");

  // Saving over the file asks; cancelling leaves it alone.
  const saved = readFileSync(file);
  await typeInto(page, "Strength", "30");
  await page.getByRole("button", { name: "Save the scene" }).click();
  await dialogAnswer("Save", "saved.c4d", false);
  const question = page.getByRole("dialog");
  await question.waitFor();
  assert.match(await question.textContent(), /saved\.c4d exists\. Replace it\?/);
  await question.getByRole("button", { name: "Cancel" }).click();
  await idle(page);
  assert.deepEqual(readFileSync(file), saved, "not replaced");
  await page.getByRole("button", { name: "Save the scene" }).click();
  await dialogAnswer("Save", "saved.c4d", false);
  await page.getByRole("dialog").getByRole("button", { name: "Replace" }).click();
  await idle(page);
  assert.notDeepEqual(readFileSync(file), saved, "replaced after the user agreed");
});

test("a file that cannot be opened is refused and the scene stays", async () => {
  const before = await snapshot();
  for (const name of ["missing.json", "", "."]) {
    await page.getByRole("button", { name: "Open a scene" }).click();
    await dialogAnswer("Open", name);
    assert.ok(await page.locator(".status.error").isVisible(), `refused: "${name}"`);
    assert.deepEqual(await snapshot(), before);
  }
  assert.ok(await page.locator(".objects .item", { hasText: "Bounce" }).isVisible());
});
