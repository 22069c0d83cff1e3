// How typed numbers are read and shown: units, frames, refusals. The module
// is compiled here with the project's TypeScript, so no browser is needed.
import { test } from "node:test";
import assert from "node:assert/strict";
import { readFileSync, writeFileSync, mkdtempSync, rmSync } from "node:fs";
import { tmpdir } from "node:os";
import path from "node:path";
import { fileURLToPath } from "node:url";
import ts from "typescript";

const source = readFileSync(path.join(path.dirname(fileURLToPath(import.meta.url)), "../src/units.ts"), "utf8");
const dir = mkdtempSync(path.join(tmpdir(), "pulsor-units-"));
writeFileSync(path.join(dir, "units.mjs"), ts.transpileModule(source, { compilerOptions: { module: ts.ModuleKind.ESNext, target: ts.ScriptTarget.ES2022 } }).outputText);
const { parseNumber, formatNumber, unitScale, clamp, toNumber, toWire } = await import(path.join(dir, "units.mjs"));
rmSync(dir, { recursive: true, force: true });

const percent = unitScale("fpct", false, 30);
const degrees = unitScale("fdgr", false, 30);
const frames = unitScale("ffrm", true, 25);
const plain = unitScale("frea", false, 30);

test("typed text becomes the stored value of its unit", () => {
  assert.equal(parseNumber("50", percent, false), 0.5);
  assert.equal(parseNumber(" 50 % ", percent, false), 0.5, "the unit may be typed");
  assert.equal(parseNumber("90°", degrees, false), Math.PI / 2);
  assert.equal(parseNumber("50F", frames, true), 2, "frames at 25 fps are seconds × 25");
  assert.equal(parseNumber("10", frames, true), 0.4, "a frame that is no whole second stays itself");
  assert.equal(parseNumber("10.4", frames, true), 0.4, "frames round to whole frames");
  assert.equal(parseNumber("1,5", plain, false), 1.5, "a decimal comma");
  assert.equal(parseNumber("-.25e1", plain, false), -2.5);
  assert.equal(parseNumber("2.6", unitScale("flng", false, 30), true), 3, "integers round");
});

test("text that is no number is refused, never read as 0", () => {
  for (const text of ["", "  ", "-", "abc", "1.2.3", "0x10", "5 apples", "%", "NaN", "Infinity"])
    assert.equal(typeof parseNumber(text, percent, false), "string", `"${text}"`);
  assert.match(parseNumber("1e400", plain, false), /out of range/);
});

test("stored values read back as they were typed", () => {
  assert.equal(formatNumber(0.5 * percent.factor), "50");
  assert.equal(formatNumber(1 / 3), "0.333333");
  assert.equal(formatNumber(-0.0000001), "0", "no negative zero");
  assert.equal(formatNumber(2.5, true), "3");
  assert.equal(formatNumber(NaN), "NaN");
  for (const typed of ["12.5", "-3", "0.001"]) assert.equal(formatNumber(parseNumber(typed, degrees, false) * degrees.factor), typed);
});

test("limits and the server's spelling of non-finite numbers", () => {
  assert.equal(clamp(5, 0, 1), 1);
  assert.equal(clamp(-5, 0, undefined), 0);
  assert.equal(clamp(0.5, undefined, undefined), 0.5);
  assert.equal(toNumber("-Infinity"), -Infinity);
  assert.equal(toNumber({ seconds: 1.5 }), 1.5);
  assert.ok(Number.isNaN(toNumber(null)));
  assert.equal(toWire(Infinity), "Infinity");
  assert.equal(toWire(2), 2);
});
