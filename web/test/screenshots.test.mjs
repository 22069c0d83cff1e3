// The README's pictures of the curve editor and the 3D view, each from a
// fresh studio on the demo scene, so they are the same whatever ran before.
import { test, before, after } from "node:test";
import assert from "node:assert/strict";
import path from "node:path";
import { startStudio, startBrowser, openStudio, showTab, idle, api, sourceDir } from "./harness.mjs";

let browser;
before(async () => {
  browser = await startBrowser();
});
after(async () => {
  await browser?.close();
});

const settle = (page) => page.evaluate(() => new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r))));

test("docs/curve-editor.png: a strength curve shaped by hand, one knot selected", async () => {
  const studio = await startStudio("demo.json");
  const page = await openStudio(browser, studio);
  try {
    await showTab(page, "Bounce");
    await page.locator(".tab-panel:not([hidden]) summary", { hasText: "Advanced" }).click();
    const editor = page.locator(".tab-panel:not([hidden]) .curve-editor").first();
    const key = await editor.evaluate((n) => n.closest("[data-entry]").dataset.entry);
    const tag = await page.evaluate(() => window.studio.selected);
    const knots = [
      { x: 0, y: 0, left: [-0.1, 0], right: [0.12, 0.02], flags: 0 },
      { x: 0.3, y: 0.85, left: [-0.1, -0.05], right: [0.1, 0.05], flags: 0 },
      { x: 0.65, y: 0.45, left: [-0.1, 0.1], right: [0.1, -0.1], flags: 0 },
      { x: 1, y: 1, left: [-0.12, -0.05], right: [0.1, 0], flags: 0 },
    ];
    await api(studio, "POST", `/api/elements/${tag}/set`, { id: key.split(".").map(Number), value: { knots } });
    await page.evaluate(() => window.studio.refresh());
    await idle(page);
    await editor.locator(".knot").nth(1).click();
    await idle(page);
    assert.equal(await editor.locator(".knot").count(), 4);
    assert.equal(await editor.locator(".tangent").count(), 2, "the selected knot shows its handles");
    // The group shows "Strength Mode" too, which the curve's edit switched to "Custom".
    const group = editor.locator("xpath=ancestor::details[1]");
    await page.evaluate(() => document.activeElement.blur());
    await settle(page);
    const file = path.join(sourceDir, "docs", "curve-editor.png");
    await group.screenshot({ path: file });
    console.log(`wrote ${file}`);
  } finally {
    await page.close();
    await studio.stop();
  }
});

test("docs/viewport.png: the demo scene's ball in the 3D view, mid-bounce", async () => {
  const studio = await startStudio("demo.json");
  const page = await openStudio(browser, studio);
  try {
    // A wider view column than the default layout gives it, for the picture alone.
    await page.setViewportSize({ width: 1600, height: 1000 });
    await page.addStyleTag({ content: "#app { grid-template-columns: 240px minmax(0, 1fr) 720px !important; }" });
    // The ball in a colour of its own: the view draws an object's display colour.
    const state = await api(studio, "GET", "/api/state");
    const ball = state.objects.find((o) => o.name === "Ball");
    await api(studio, "POST", `/api/elements/${ball.id}/set`, { id: [908], value: [0.95, 0.45, 0.15] });
    await page.evaluate(() => window.studio.refresh());
    await page.evaluate(() => window.studio.timeline.go(12));
    await idle(page);
    await page.evaluate(() => window.studio.viewport.frameAll());
    await settle(page);
    assert.equal(await page.evaluate(() => window.studio.viewport.describe().length), 1);
    const file = path.join(sourceDir, "docs", "viewport.png");
    await page.locator(".viewport").screenshot({ path: file });
    console.log(`wrote ${file}`);
  } finally {
    await page.close();
    await studio.stop();
  }
});
