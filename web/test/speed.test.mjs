// Measures (and prints, never asserts) an edit's round trip, playback at the
// document's frame rate and a 16-tab page; writes the screenshot the README
// shows. What is asserted is that each thing worked at all.
import { test, before, after } from "node:test";
import assert from "node:assert/strict";
import path from "node:path";
import { startStudio, startBrowser, openStudio, selectElement, showTab, typeInto, tabNames, api, idle, sourceDir } from "./harness.mjs";

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

const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];
const ms = (x) => `${x.toFixed(1)} ms`;

test("an edit's round trip: value set → page and graph drawn again (goal 50 ms)", async () => {
  await selectElement(page, "Bounce");
  const times = [];
  for (let i = 0; i < 12; i++) {
    await typeInto(page, "Strength", String(40 + (i % 2) * 20));
    times.push(await page.evaluate(() => window.studio.metrics.editMs));
  }
  assert.equal(times.length, 12);
  console.log(`measure: edit round trip median ${ms(median(times))}, max ${ms(Math.max(...times))} over ${times.length} edits`);
});

test("playback over 3 s at the document's frame rate counts dropped frames", async () => {
  await selectElement(page, "Bounce");
  const master = page.locator('.tab-panel [role=meter]').first();
  await page.getByRole("button", { name: "Play" }).click();
  await page.waitForTimeout(3000);
  await page.getByRole("button", { name: "Pause" }).click();
  await idle(page);
  const stats = await page.evaluate(() => window.studio.timeline.stats);
  assert.ok(stats.shown > 1, "frames were shown");
  assert.ok(await master.count(), "the page's live displays were there to update");
  assert.ok(await page.getByRole("button", { name: "Play" }).isVisible(), "paused");
  const expected = 3 * (await api(studio, "GET", "/api/state")).fps;
  console.log(`measure: playback 3 s: ${stats.shown} frames shown, ${stats.dropped} dropped (about ${expected} due)`);
});

test("a 16-tab page renders (goal 200 ms)", async () => {
  const state = await api(studio, "GET", "/api/state");
  const bounce = state.objects.flatMap((o) => o.tags).find((t) => t.name === "Bounce");
  const ADD_MODIFIERS = 2001;
  // The Bounce tag has one modifier tab: 13 more, with Base and Output, make 16.
  for (let i = 0; i < 13; i++) await api(studio, "POST", `/api/elements/${bounce.id}/set`, { id: [ADD_MODIFIERS], value: (i % 8) + 1 });
  await selectElement(page, "Ball");
  const timing = await page.evaluate(async (id) => {
    const t0 = performance.now();
    await window.studio.select(id);
    return { total: performance.now() - t0, render: window.studio.page.lastRenderMs };
  }, bounce.id);
  const tabs = (await tabNames(page)).filter((t) => t !== "Basic");
  assert.equal(tabs.length, 16, `tabs: ${tabs}`);
  const tabBar = await page.locator(".tabs").evaluate((t) => ({ scroll: t.scrollWidth, client: t.clientWidth, height: t.clientHeight }));
  assert.ok(tabBar.scroll <= tabBar.client, "the tabs wrap rather than overflow");
  console.log(`measure: 16-tab page: fetched and shown in ${ms(timing.total)}, of which rendering ${ms(timing.render)}`);
});

test("the graph over 10,000 frames draws and reads out under the cursor", async () => {
  await selectElement(page, "Sway");
  const result = await page.evaluate(async () => {
    const graph = await window.studio.api.graph(0, 10000);
    const t0 = performance.now();
    window.studio.graph.setData(graph);
    await new Promise(requestAnimationFrame);
    return { frames: graph.frames.length, ms: performance.now() - t0 };
  });
  assert.equal(result.frames, 10001);
  const over = await page.locator(".graph .u-over").boundingBox();
  await page.mouse.move(over.x + over.width * 0.75, over.y + over.height / 2);
  const readout = await page.locator(".graph .u-legend .u-series").first().textContent();
  assert.match(readout, /Frame\s*7\d{3}/, "the read-out names a frame near three quarters of 10,000");
  console.log(`measure: graph of ${result.frames} frames drawn in ${ms(result.ms)}`);
  await page.evaluate(() => window.studio.refresh());
});

test("the README's screenshot", async () => {
  // A fresh studio, so that the picture is the same whatever ran before.
  await studio.stop();
  studio = await startStudio("demo.json");
  page = await openStudio(browser, studio);
  await selectElement(page, "Sway");
  await showTab(page, "Base");
  await page.evaluate(() => window.studio.timeline.go(27));
  await idle(page);
  const graph = page.locator(".graph .u-over");
  const box = await graph.boundingBox();
  await page.mouse.move(box.x + box.width * 0.42, box.y + box.height * 0.5);
  const file = path.join(sourceDir, "docs", "studio.png");
  await page.screenshot({ path: file });
  console.log(`wrote ${file}`);
});
