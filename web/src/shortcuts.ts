// The studio's keyboard shortcuts: one table, read both by the key handler
// and by the help overlay, so the overlay lists exactly what the keys do.

export type Shortcut = "play" | "previous" | "next" | "first" | "last" | "delete-tab" | "help";

const isMac = typeof navigator !== "undefined" && /Mac|iPhone|iPad/.test(navigator.platform);
const mod = isMac ? "⌘" : "Ctrl+";

/** Keys without a modifier, by KeyboardEvent.key. */
const PLAIN: Record<string, Shortcut> = {
  " ": "play",
  ArrowLeft: "previous",
  ArrowRight: "next",
  Home: "first",
  End: "last",
  Delete: "delete-tab",
  "?": "help",
  F1: "help",
};

/** What the overlay lists, in order. */
export const HELP: [string, string][] = [
  ["Space", "Play / pause"],
  ["← / →", "Previous / next frame"],
  ["Home / End", "First / last frame"],
  ["Delete", "Delete the modifier tab shown"],
  [`${mod}Z`, "Undo"],
  [isMac ? "⇧⌘Z" : "Ctrl+Shift+Z / Ctrl+Y", "Redo"],
  [`${mod}S`, "Save the scene"],
  ["Shift + drag", "Snap a curve's knot to the grid"],
  ["Double-click a curve", "Add a knot"],
  ["Delete on a curve", "Delete its selected knot"],
  ["? or F1", "This help"],
];

/**
 * The action of a plain key pressed on `target`, or null when the key
 * belongs to what has the focus: a field being typed in, a list, a slider,
 * a button (Space presses it), a tab bar (arrows move between tabs), a curve.
 */
export function shortcutFor(key: string, target: Element | null): Shortcut | null {
  const action = PLAIN[key];
  if (!action) return null;
  if (target?.closest?.("input, textarea, select, [contenteditable=true], dialog")) return null;
  if (action === "help") return action;
  if (target?.closest?.(".curve-editor, [role=tablist]") && action !== "play" && action !== "first" && action !== "last") return null;
  if (key === " " && target?.closest?.("button, summary, a")) return null;
  return action;
}

let overlay: HTMLDialogElement | null = null;

/** The overlay listing the shortcuts; Escape or its button closes it. */
export function showHelp(): void {
  if (!overlay) {
    overlay = document.createElement("dialog");
    overlay.className = "modal help-overlay";
    overlay.setAttribute("aria-label", "Keyboard shortcuts");
    const title = document.createElement("h2");
    title.textContent = "Keyboard shortcuts";
    const list = document.createElement("dl");
    list.className = "shortcuts";
    for (const [keys, what] of HELP) {
      const dt = document.createElement("dt");
      for (const part of keys.split(" / ")) {
        if (dt.childElementCount) dt.append(" / ");
        const k = document.createElement("kbd");
        k.textContent = part;
        dt.append(k);
      }
      const dd = document.createElement("dd");
      dd.textContent = what;
      list.append(dt, dd);
    }
    const buttons = document.createElement("div");
    buttons.className = "modal-buttons";
    const close = document.createElement("button");
    close.type = "button";
    close.className = "primary";
    close.textContent = "Close";
    close.addEventListener("click", () => overlay!.close());
    buttons.append(close);
    overlay.append(title, list, buttons);
    document.body.append(overlay);
  }
  if (!overlay.open) overlay.showModal();
}
