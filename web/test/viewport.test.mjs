// The 3D view: WebGL runs in headless Chromium (SwiftShader), the bouncing
// ball moves between frames and under an orbit (told by the pixels of
// screenshots), a click selects as the object list does, a colour a tag
// writes shows, and an object hidden in the editor hides.
import { test, before, after } from "node:test";
import assert from "node:assert/strict";
import { startStudio, startBrowser, openStudio, item, idle, api } from "./harness.mjs";

let browser;
before(async () => {
  browser = await startBrowser();
});
after(async () => {
  await browser?.close();
});

/** How many pixels differ clearly between two screenshots, decoded in the page. */
async function pixelDifference(page, a, b) {
  return page.evaluate(
    async ([a, b]) => {
      const decode = async (b64) => {
        const img = new Image();
        img.src = `data:image/png;base64,${b64}`;
        await img.decode();
        const c = new OffscreenCanvas(img.width, img.height);
        const ctx = c.getContext("2d");
        ctx.drawImage(img, 0, 0);
        return ctx.getImageData(0, 0, img.width, img.height).data;
      };
      const [x, y] = await Promise.all([decode(a), decode(b)]);
      let differ = 0;
      for (let i = 0; i < x.length; i += 4) if (Math.abs(x[i] - y[i]) + Math.abs(x[i + 1] - y[i + 1]) + Math.abs(x[i + 2] - y[i + 2]) > 48) differ++;
      return differ;
    },
    [a.toString("base64"), b.toString("base64")],
  );
}

const canvas = (page) => page.locator(".viewport canvas");
const shot = async (page) => {
  await idle(page);
  // Two animation frames: the draw asked for has happened.
  await page.evaluate(() => new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r))));
  return canvas(page).screenshot();
};
const go = async (page, frame) => {
  await page.evaluate((f) => window.studio.timeline.go(f), frame);
  await idle(page);
};
const shown = (page) => page.evaluate(() => window.studio.viewport.describe());

test("the demo scene: WebGL draws, the ball moves between frames and when the view orbits, a click selects it", async () => {
  const studio = await startStudio("demo.json");
  const page = await openStudio(browser, studio);
  try {
    assert.equal(await page.evaluate(() => window.studio.viewport.hasWebGL), true, "a WebGL context under headless Chromium");
    const gl = await canvas(page).evaluate((c) => !!(c.getContext("webgl2") || c.getContext("webgl")));
    assert.ok(gl, "the canvas holds a WebGL context");
    const objects = await shown(page);
    assert.equal(objects.length, 1, JSON.stringify(objects));
    assert.equal(objects[0].kind, "cube");

    await go(page, 0);
    const low = await shot(page);
    const y0 = (await shown(page))[0].position[1];
    await go(page, 15);
    const high = await shot(page);
    const y15 = (await shown(page))[0].position[1];
    assert.ok(y15 > y0 + 50, `the ball bounced up: ${y0} → ${y15}`);
    const moved = await pixelDifference(page, low, high);
    assert.ok(moved > 200, `the ball moved on screen (${moved} pixels changed)`);

    // Orbit: a drag turns the camera, so the same frame looks different.
    const box = await canvas(page).boundingBox();
    await page.mouse.move(box.x + box.width / 2, box.y + box.height / 2);
    await page.mouse.down();
    await page.mouse.move(box.x + box.width / 2 + 120, box.y + box.height / 2 + 30, { steps: 6 });
    await page.mouse.up();
    const orbited = await shot(page);
    assert.ok((await pixelDifference(page, high, orbited)) > 500, "orbiting changed the view");
    await go(page, 0);
    const orbitedLow = await shot(page);
    assert.ok((await pixelDifference(page, orbited, orbitedLow)) > 200, "after the orbit the ball still moves between frames");

    // A click on the ball selects it in the object list, and the list's selection shows in the view.
    await page.evaluate(() => window.studio.viewport.frameAll());
    await shot(page);
    const hit = await page.evaluate(() => window.studio.viewport.screenPoint(window.studio.viewport.describe()[0].id));
    await page.mouse.click(box.x + hit.x, box.y + hit.y);
    await idle(page);
    assert.equal(await item(page, "Ball").getAttribute("aria-pressed"), "true");
    await item(page, "Bounce").click();
    await idle(page);
    const ballId = await page.evaluate(() => window.studio.viewport.describe()[0].id);
    assert.equal(await page.evaluate(() => window.studio.viewport.selectedId), ballId, "a tag's object is selected in the view");
    assert.deepEqual(page.errors, []);
  } finally {
    await page.close();
    await studio.stop();
  }
});

test("a colour a tag writes and an object hidden in the editor show in the view", async () => {
  const scene = {
    fps: 30,
    from: 0,
    to: 30,
    objects: [
      {
        type: "cube",
        name: "Lamp",
        parameters: { display_color: [1, 0, 0] },
        tags: [{ type: "pulsor", name: "Glow", link: "display_color", add: ["Sin"], set: [{ id: 22211, frames: 30 }] }],
      },
      { type: "cube", name: "Ghost", parameters: { position: [400, 0, 0] }, tags: [] },
    ],
  };
  const studio = await startStudio(scene);
  const page = await openStudio(browser, studio);
  try {
    const at = async (frame) => {
      await go(page, frame);
      return Object.fromEntries((await shown(page)).map((o) => [o.id, o]));
    };
    const states = [await at(0), await at(8), await at(23)];
    const ids = Object.keys(states[0]);
    assert.equal(ids.length, 2);
    const colours = new Set(states.map((s) => s[ids[0]].colour));
    assert.ok(colours.size > 1, `the lamp's colour changes: ${[...colours]}`);
    assert.equal(states[0][ids[1]].visible, true);
    // Hidden in the editor (1 of on 0, off 1, default 2): the view hides it; undo shows it again.
    await api(studio, "POST", `/api/elements/${ids[1]}/set`, { id: [901], value: 1 });
    await page.evaluate(() => window.studio.refresh());
    assert.equal((await at(8))[ids[1]].visible, false, "hidden");
    await page.getByRole("button", { name: "Undo" }).click();
    await idle(page);
    assert.equal((await shown(page)).find((o) => String(o.id) === ids[1]).visible, true, "shown again");
    assert.deepEqual(page.errors, []);
  } finally {
    await page.close();
    await studio.stop();
  }
});
