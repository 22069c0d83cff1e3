// Reading pages: a tag's Base page, another element's parameters, help
// pages, refusals of bad input, keyboard reachability and the layout at
// 1280×800.
import { test, before, after } from "node:test";
import assert from "node:assert/strict";
import { startStudio, startBrowser, openStudio, selectElement, showTab, field, typeInto, tabNames, graphSeries, api, idle } from "./harness.mjs";

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

test("a tag's Base page shows its groups, units, cycles, caption, curve and help button", async () => {
  await selectElement(page, "Bounce");
  const tabs = await tabNames(page);
  assert.deepEqual(tabs.slice(0, 2), ["Basic", "Base"], "the tag's name and priority, then its own first tab");
  assert.ok(tabs.includes("Output"), `tabs: ${tabs}`);
  assert.ok(tabs.length >= 3, "the Bounce tag has a modifier tab");
  assert.equal(await page.getByRole("tab", { name: "Base" }).getAttribute("aria-selected"), "true");

  assert.equal(await field(page, "Strength").inputValue(), "100 %");
  const add = field(page, "Add Modifiers");
  assert.deepEqual((await add.locator("option").allTextContents()).slice(0, 3), ["...", "Noise", "Sin"]);
  assert.equal(await field(page, "Playback").locator("option:checked").textContent(), "Once");
  assert.match(await field(page, "End Time").inputValue(), /^90 F$/, "3 s at 30 fps shown in frames");

  const caption = await page.locator(".tab-panel:not([hidden]) .caption-text").first().textContent();
  assert.match(caption, /^Ball - /, "the caption names the linked element and parameter");
  assert.doesNotMatch(caption, /No Paramenter Linked/);

  const points = await page.locator(".tab-panel:not([hidden]) .spline-line").first().getAttribute("points");
  assert.equal(points.trim().split(/\s+/).length, 101, "the Time curve is drawn from the host's 101 samples");

  const help = page.getByRole("button", { name: "Help: Base" });
  await help.waitFor();
  assert.ok(await help.locator("img").evaluate((img) => img.complete && img.naturalWidth > 0), "the help bitmap loads");
  const icon = page.locator('.objects .item.pulsor img').first();
  assert.ok(await icon.evaluate((img) => img.complete && img.naturalWidth > 0), "the tag's icon loads");
  assert.deepEqual(page.errors, []);
});

test("closable groups start as the page says and greyed-out entries are disabled", async () => {
  await selectElement(page, "Bounce");
  await showTab(page, "Output");
  const keyframe = page.locator(".tab-panel:not([hidden]) details.group", { has: page.locator("summary", { hasText: /^Keyframe$/ }) });
  assert.equal(await keyframe.evaluate((d) => d.open), false, "the Keyframe group starts closed");
  await keyframe.locator(":scope > summary").click();
  assert.equal(await keyframe.evaluate((d) => d.open), true);
  // "From" and "To" follow "Keyframe Sequence", which is off.
  assert.equal(await field(page, "Keyframe Sequence").isChecked(), false);
  assert.equal(await field(page, "From").isDisabled(), true);
  await field(page, "Keyframe Sequence").check();
  await idle(page);
  assert.equal(await field(page, "From").isDisabled(), false, "enabled after the switch, as the tag decides");
  assert.equal(await keyframe.evaluate((d) => d.open), true, "the user's open group stays open after the edit");
});

test("an object's page edits its parameters, components included", async () => {
  await selectElement(page, "Ball");
  const z = field(page, "Position . Z");
  await z.waitFor();
  await typeInto(page, "Position . Z", "25");
  const state = await api(studio, "GET", "/api/state");
  const ball = state.objects.find((o) => o.name === "Ball");
  const entries = (await api(studio, "GET", `/api/elements/${ball.id}/page`)).entries;
  const position = entries.find((e) => e.id.length === 1 && e.id[0] === 903);
  assert.equal(position.value[2], 25);
  assert.match(await field(page, "Position . Z").inputValue(), /^25\b/);
});

test("rotations are typed in degrees and stored in radians", async () => {
  await selectElement(page, "Ball");
  await typeInto(page, "Rotation . Y", "90");
  assert.equal(await field(page, "Rotation . Y").inputValue(), "90 °");
  const state = await api(studio, "GET", "/api/state");
  const ball = state.objects.find((o) => o.name === "Ball");
  const rotation = (await api(studio, "GET", `/api/elements/${ball.id}/page`)).entries.find((e) => e.id[0] === 904);
  assert.ok(Math.abs(rotation.value[1] - Math.PI / 2) < 1e-9, `stored ${rotation.value[1]}`);
});

test("materials, colour links and a scene's own frame rate", async () => {
  const flicker = await startStudio("colour_flicker.json");
  const other = await openStudio(browser, flicker);
  try {
    assert.ok(await other.locator(".tree-heading", { hasText: "Materials" }).isVisible());
    assert.equal(await other.locator(".range-text").textContent(), "0–50 @ 25 fps");
    await selectElement(other, "Lamp");
    // The tag animates the colour, so read what it holds now.
    const red = await field(other, "Color . X").inputValue();
    assert.match(red, /^\d+(\.\d+)? %$/, "a colour's components in the host's percent");
    const swatch = await other.locator(".tab-panel:not([hidden]) input[type=color]").first().inputValue();
    assert.equal(parseInt(swatch.slice(1, 3), 16), Math.round((parseFloat(red) / 100) * 255), `swatch ${swatch} shows ${red}`);

    await selectElement(other, "Flicker");
    await showTab(other, "Output");
    const meters = await other.locator(".tab-panel:not([hidden]) [role=meter]").evaluateAll((ms) => ms.map((m) => m.getAttribute("aria-label")));
    assert.deepEqual(meters.slice(0, 3), ["Master X", "Master Y", "Master Z"], "three components, three displays");
    const series = Object.keys((await graphSeries(other)).series);
    assert.deepEqual(series.sort(), ["Flicker.color.x", "Flicker.color.y", "Flicker.color.z"].sort());
    assert.deepEqual(other.errors, []);
  } finally {
    await other.close();
    await flicker.stop();
  }
});

test("a tag's Basic tab: its name and expression priority", async () => {
  await selectElement(page, "Bounce");
  await showTab(page, "Basic");
  await field(page, "Priority pass").selectOption({ label: "Generator" });
  await idle(page);
  await field(page, "Priority value").fill("7");
  await field(page, "Priority value").press("Enter");
  await idle(page);
  const state = await api(studio, "GET", "/api/state");
  const bounce = state.objects[0].tags.find((t) => t.name === "Bounce");
  const priority = (await api(studio, "GET", `/api/elements/${bounce.id}/page`)).entries.find((e) => e.id[0] === 1000998);
  assert.deepEqual(priority.value, { mode: 5000, priority: 7, cameraDependent: false });
  assert.equal(await field(page, "Priority pass").locator("option:checked").textContent(), "Generator");
  await showTab(page, "Base");
});

test("bad input is refused with a reason and changes nothing", async () => {
  await selectElement(page, "Bounce");
  await showTab(page, "Base");
  const before = (await api(studio, "GET", "/api/state")).revision;
  await typeInto(page, "Strength", "lots");
  assert.match(await page.locator(".status").textContent(), /Strength: "lots" is not a number/);
  assert.ok(await page.locator(".status.error").isVisible());
  assert.equal(await field(page, "Strength").inputValue(), "100 %", "the field shows the stored value again");
  assert.equal((await api(studio, "GET", "/api/state")).revision, before, "nothing was sent");

  await typeInto(page, "Strength", "50%");
  assert.equal(await field(page, "Strength").inputValue(), "50 %", "the unit may be typed");
});

test("a help icon opens the help page in a new window", async () => {
  await selectElement(page, "Bounce");
  await showTab(page, "Base");
  const [help] = await Promise.all([
    browser.context.waitForEvent("page"),
    page.getByRole("button", { name: "Help: Base" }).click(),
  ]);
  await help.waitForLoadState();
  assert.match(help.url(), /\/training\/pulsor\/base(\.html|\/)?$/);
  assert.ok((await help.locator("body").textContent()).length > 100, "the help page has content");
  await help.close();

  // A modifier tab's help is the page of its type.
  await showTab(page, "Bounce");
  const [tabHelp] = await Promise.all([
    browser.context.waitForEvent("page"),
    page.getByRole("button", { name: "Help: Bounce" }).click(),
  ]);
  await tabHelp.waitForLoadState();
  assert.match(tabHelp.url(), /\/training\/pulsor\/bounce(\.html|\/)?$/);
  await tabHelp.close();
});

test("every control is labelled and reachable by keyboard", async () => {
  await selectElement(page, "Sway");
  for (const tab of await tabNames(page)) {
    await showTab(page, tab);
    const unlabelled = await page.evaluate(() =>
      [...document.querySelectorAll("button, input, select, [role=meter]")]
        .filter((c) => c.offsetParent !== null)
        .filter((c) => {
          const name = c.getAttribute("aria-label") || [...(c.labels ?? [])].map((l) => l.textContent).join("") || c.textContent;
          return !name.trim();
        })
        .map((c) => c.outerHTML.slice(0, 80)),
    );
    assert.deepEqual(unlabelled, [], `tab ${tab}`);
  }
  await showTab(page, "Base");
  // Tab through the whole page: every enabled, visible control must be reached.
  const reached = new Set();
  await page.locator("body").click({ position: { x: 1, y: 1 } });
  for (let i = 0; i < 400; i++) {
    await page.keyboard.press("Tab");
    const key = await page.evaluate(() => {
      const a = document.activeElement;
      if (!a || a === document.body) return null;
      if (!a.dataset.reach) a.dataset.reach = String(Math.random());
      return a.dataset.reach;
    });
    if (key === null || reached.has(key)) {
      if (reached.size) break;
      continue;
    }
    reached.add(key);
  }
  const missed = await page.evaluate(() =>
    [...document.querySelectorAll("button, input, select, summary")]
      .filter((c) => c.offsetParent !== null && !c.disabled && !c.dataset.reach)
      .map((c) => c.getAttribute("aria-label") || c.textContent),
  );
  assert.deepEqual(missed, [], "controls the Tab key never reached");
});

test("nothing overflows at 1280×800 on any tab", async () => {
  await page.setViewportSize({ width: 1280, height: 800 });
  for (const name of ["Sway", "Bounce", "Ball"]) {
    await selectElement(page, name);
    for (const tab of await tabNames(page)) {
      await showTab(page, tab);
      const overflow = await page.evaluate(() => {
        const bad = [];
        const root = document.scrollingElement;
        if (root.scrollWidth > innerWidth || root.scrollHeight > innerHeight) bad.push(`document ${root.scrollWidth}×${root.scrollHeight}`);
        for (const panel of document.querySelectorAll(".toolbar, .side, .attributes, .page-body, .sequence, .timeline, .tabs"))
          if (panel.scrollWidth > panel.clientWidth + 1) bad.push(`${panel.className} ${panel.scrollWidth} > ${panel.clientWidth}`);
        for (const c of document.querySelectorAll(".tab-panel:not([hidden]) .row, .tab-panel:not([hidden]) .btn")) {
          const r = c.getBoundingClientRect();
          if (r.width && (r.right > innerWidth || r.left < 0)) bad.push(`${c.textContent.slice(0, 30)} at ${r.left}..${r.right}`);
        }
        return bad;
      });
      assert.deepEqual(overflow, [], `${name} / ${tab}`);
    }
  }
});

test("the timeline steps and scrubs; displays, frame field and graph marker follow", async () => {
  await selectElement(page, "Sway");
  await showTab(page, "Output");
  const frameField = page.getByLabel("Frame", { exact: true });
  const master = page.locator(".tab-panel:not([hidden]) [role=meter]").first();
  const marker = page.locator(".frame-marker");
  await page.getByRole("button", { name: "First frame" }).click();
  await idle(page);
  assert.equal(await frameField.inputValue(), "0");
  const atStart = [await master.getAttribute("data-value"), await marker.evaluate((m) => m.style.transform)];

  await page.getByRole("button", { name: "Next frame" }).click();
  await idle(page);
  assert.equal(await frameField.inputValue(), "1");
  assert.equal((await api(studio, "GET", "/api/state")).frame, 1, "the document is at the frame shown");

  assert.match(await page.getByLabel("Linked values", { exact: true }).textContent(), /Sway\.position\.x -?\d/, "the values at the frame");
  const scrub = page.getByLabel("Current frame", { exact: true });
  await scrub.focus();
  await page.keyboard.press("End");
  await idle(page);
  assert.equal(await frameField.inputValue(), "90");
  assert.equal((await api(studio, "GET", "/api/state")).frame, 90);
  assert.notEqual(await master.getAttribute("data-value"), atStart[0], "the Master display moved");
  assert.notEqual(await marker.evaluate((m) => m.style.transform), atStart[1], "the graph's marker moved");

  // A frame typed outside the range lands on its end.
  await frameField.fill("500");
  await frameField.press("Enter");
  await idle(page);
  assert.equal(await frameField.inputValue(), "90");
});
