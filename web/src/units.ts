// How the page shows numbers: the host's units, times in frames, and the
// three non-finite values the server spells as strings.
import type { NumberValue, TimeValue } from "./types";

export const UNIT_PERCENT = "fpct";
export const UNIT_DEGREE = "fdgr";
export const UNIT_METER = "fmet";

/** The number a JSON value stands for; NaN for anything that is none. */
export function toNumber(v: unknown): number {
  if (typeof v === "number") return v;
  if (v === "Infinity") return Infinity;
  if (v === "-Infinity") return -Infinity;
  if (v && typeof v === "object" && "seconds" in v) return toNumber((v as TimeValue).seconds);
  return NaN;
}

/** A number as the server takes it: non-finite ones as their names. */
export function toWire(n: number): NumberValue {
  if (Number.isNaN(n)) return "NaN";
  if (n === Infinity) return "Infinity";
  if (n === -Infinity) return "-Infinity";
  return n;
}

export interface Scale {
  factor: number;
  suffix: string;
}

/** Stored value × factor is what the user reads and types. */
export function unitScale(unit: string | undefined, isTime: boolean, fps: number): Scale {
  if (isTime) return { factor: fps, suffix: "F" };
  switch (unit) {
    case UNIT_PERCENT:
      return { factor: 100, suffix: "%" };
    case UNIT_DEGREE:
      return { factor: 180 / Math.PI, suffix: "°" };
    case UNIT_METER:
      return { factor: 1, suffix: "cm" };
    default:
      return { factor: 1, suffix: "" };
  }
}

/** Shortest readable text: at most 6 decimals, no trailing zeros. */
export function formatNumber(n: number, integer = false): string {
  if (Number.isNaN(n)) return "NaN";
  if (!Number.isFinite(n)) return n > 0 ? "Infinity" : "-Infinity";
  if (integer) return String(Math.round(n));
  const fixed = n.toFixed(6).replace(/\.?0+$/, "");
  return fixed === "-0" ? "0" : fixed;
}

/**
 * What the user typed, as a stored value, or an error text. Typing the unit
 * ("50%", "90°", "12F") is allowed; an empty or non-numeric text is refused
 * rather than read as 0.
 */
export function parseNumber(text: string, scale: Scale, integer: boolean): number | string {
  let t = text.trim();
  if (scale.suffix && t.toLowerCase().endsWith(scale.suffix.toLowerCase())) t = t.slice(0, -scale.suffix.length).trim();
  t = t.replace(",", ".");
  if (t === "") return "Enter a number";
  if (!/^[+-]?(\d+\.?\d*|\.\d+)(e[+-]?\d+)?$/i.test(t)) return `"${text}" is not a number`;
  // Whole numbers are whole in what the user reads: frames, not the seconds they are stored as.
  const typed = integer ? Math.round(Number(t)) : Number(t);
  const n = typed / scale.factor;
  if (!Number.isFinite(n)) return `"${text}" is out of range`;
  return n;
}

/** Keeps a value within the entry's limits (either may be absent). */
export function clamp(n: number, min: number | undefined, max: number | undefined): number {
  if (min !== undefined && Number.isFinite(min) && n < min) return min;
  if (max !== undefined && Number.isFinite(max) && n > max) return max;
  return n;
}
