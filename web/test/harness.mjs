// Starts `pulsorhost studio` on a fresh copy of a scene and a headless
// Chromium (Debian's, through playwright-core) on a fresh profile, and offers
// the few steps the tests take as a user would.
import { spawn } from "node:child_process";
import { mkdtempSync, copyFileSync, rmSync, existsSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import path from "node:path";
import { fileURLToPath } from "node:url";
import { createInterface } from "node:readline";
import { before, after } from "node:test";
import assert from "node:assert/strict";
import { chromium } from "playwright-core";

const here = path.dirname(fileURLToPath(import.meta.url));
export const sourceDir = process.env.PULSOR_SOURCE_DIR ?? path.resolve(here, "../..");
const host = process.env.PULSORHOST ?? path.join(sourceDir, "build/host/cli/pulsorhost");
const webDist = process.env.PULSOR_WEB_DIST ?? path.join(sourceDir, "build/web/dist");
const chromiumPath = process.env.PULSOR_CHROMIUM ?? "/usr/bin/chromium";

const CHROMIUM_FLAGS = [
  "--headless",
  "--no-sandbox",
  "--disable-gpu",
  "--disable-quic",
  "--no-first-run",
  "--disable-background-networking",
  "--disable-component-update",
  "--disable-sync",
];

/**
 * Starts the studio on a copy of `scene` (a file of scenes/, or a scene
 * given as an object, written as scene.json) in a folder of its own.
 */
export async function startStudio(scene = "demo.json") {
  for (const [what, file] of [["pulsorhost", host], ["the built front end", path.join(webDist, "index.html")]])
    if (!existsSync(file)) throw new Error(`${what} is missing: ${file} (build first)`);
  const dir = mkdtempSync(path.join(tmpdir(), "pulsor-studio-"));
  if (typeof scene === "object") {
    writeFileSync(path.join(dir, "scene.json"), JSON.stringify(scene));
    scene = "scene.json";
  } else copyFileSync(path.join(sourceDir, "scenes", scene), path.join(dir, scene));
  const child = spawn(host, ["studio", scene, "--port", "0", "--web", webDist], { cwd: dir, stdio: ["ignore", "pipe", "pipe"] });
  let stderr = "";
  child.stderr.on("data", (d) => (stderr += d));
  const url = await new Promise((resolve, reject) => {
    const timer = setTimeout(() => reject(new Error(`pulsorhost printed no address within 30 s: ${stderr}`)), 30000);
    const lines = createInterface({ input: child.stdout });
    lines.once("line", (line) => {
      clearTimeout(timer);
      resolve(line.trim());
    });
    child.once("exit", (code) => {
      clearTimeout(timer);
      reject(new Error(`pulsorhost exited with ${code}: ${stderr}`));
    });
  });
  if (!/^http:\/\/127\.0\.0\.1:\d+\/\?token=[0-9a-f]{32}$/.test(url)) throw new Error(`unexpected address line: ${url}`);
  const token = new URL(url).searchParams.get("token");
  return {
    url,
    origin: new URL(url).origin,
    token,
    dir,
    async stop() {
      if (child.exitCode === null) {
        const exited = new Promise((r) => child.once("exit", r));
        child.kill("SIGTERM");
        await exited;
      }
      rmSync(dir, { recursive: true, force: true });
    },
  };
}

/** A headless Chromium on a fresh profile; `close()` removes the profile. */
export async function startBrowser() {
  const profile = mkdtempSync(path.join(tmpdir(), "pulsor-chromium-"));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: chromiumPath,
    headless: true,
    args: CHROMIUM_FLAGS,
    viewport: { width: 1280, height: 800 },
  });
  return {
    context,
    async close() {
      await context.close();
      rmSync(profile, { recursive: true, force: true });
    },
  };
}

/**
 * The before and after of a file whose tests share one studio on scene and
 * one page of it, which must log no errors; use receives { browser, studio,
 * page } once they are up.
 */
export function sharedStudio(scene, use) {
  let shared = {};
  before(async () => {
    const browser = await startBrowser();
    shared = { browser };
    shared.studio = await startStudio(scene);
    shared.page = await openStudio(browser, shared.studio);
    use(shared);
  });
  after(async () => {
    assert.deepEqual(shared.page?.errors ?? [], []);
    await shared.page?.close();
    await shared.studio?.stop();
    await shared.browser?.close();
  });
}

/** Opens the studio in a new tab and waits until it has loaded the scene. */
export async function openStudio(browser, studio) {
  const page = await browser.context.newPage();
  page.setDefaultTimeout(10000);
  const errors = [];
  page.on("pageerror", (e) => errors.push(String(e)));
  // A loaded machine may take long to start three.js and WebGL; the page then works as usual.
  await page.goto(studio.url, { timeout: 30000 });
  await page.waitForFunction(() => window.studio && window.studio.state !== null);
  await idle(page);
  page.errors = errors;
  return page;
}

/** Waits until the page has no request on its way (and fails, not hangs, when that never comes). */
export async function idle(page, seconds = 20) {
  await page.evaluate(
    (s) => Promise.race([window.studio.idle(), new Promise((_, fail) => setTimeout(() => fail(new Error(`the page is still busy after ${s} s`)), s * 1000))]),
    seconds,
  );
}

/** The object list's entry of an element, by its name. */
export function item(page, name) {
  return page.locator(".objects .item", { has: page.locator(".name", { hasText: new RegExp(`^${escape(name)}$`) }) }).first();
}

export async function selectElement(page, name) {
  await item(page, name).click();
  await idle(page);
}

export async function showTab(page, name) {
  await page.getByRole("tab", { name, exact: true }).click();
}

/** The visible control labelled `label` in the attribute page. */
export function field(page, label) {
  return page.locator(".tab-panel:not([hidden])").getByLabel(label, { exact: true }).first();
}

/** Types into a field as a user does: select all, type, Enter. */
export async function typeInto(page, label, text) {
  const f = field(page, label);
  await f.click();
  await f.press("Control+A");
  await f.pressSequentially(text);
  await f.press("Enter");
  await idle(page);
}

/** Names of the page's tabs, in order. */
export async function tabNames(page) {
  return page.getByRole("tab").allTextContents();
}

/** A series of the graph as it is drawn. */
export async function graphSeries(page) {
  return page.evaluate(() => window.studio.graph.snapshot());
}

/** Calls the API as the page does (for set-up and for checks of what the server holds). */
export async function api(studio, method, route, body) {
  const response = await fetch(studio.origin + route, {
    method,
    headers: { "X-Pulsor-Token": studio.token, ...(body ? { "Content-Type": "application/json" } : {}) },
    body: body ? JSON.stringify(body) : undefined,
  });
  const json = await response.json();
  if (!response.ok) throw new Error(`${method} ${route}: ${response.status} ${json.error}`);
  return json;
}

function escape(text) {
  return text.replace(/[.*+?^${}()|[\]\\]/g, "\\$&");
}
