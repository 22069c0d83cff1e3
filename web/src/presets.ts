// The presets panel of the selected Pulsor tag: the folder the module reads,
// the presets it lists there, loading one, saving under a name, and a folder
// picker for the module's "..." (the server shows folders only). The module
// decides everything; the panel shows its answers and its refusals.

export interface PresetsView {
  folder: string;
  name: string;
  presets: string[];
  choice: number;
}

export interface FolderListing {
  path: string;
  parent: string | null;
  folders: string[];
}

export interface PresetActions {
  /** The module's list for the selected tag, or null when no Pulsor tag is selected. */
  read(): Promise<PresetsView | null>;
  refresh(): Promise<void>;
  load(index: number): Promise<void>;
  save(name: string): Promise<void>;
  folders(path: string): Promise<FolderListing>;
  /** The folder chosen in the picker goes to the module as its folder dialog's answer. */
  choose(path: string): Promise<void>;
  refuse(message: string): void;
}

function el<K extends keyof HTMLElementTagNameMap>(tag: K, cls?: string, text?: string): HTMLElementTagNameMap[K] {
  const node = document.createElement(tag);
  if (cls) node.className = cls;
  if (text !== undefined) node.textContent = text;
  return node;
}

function button(text: string, label = text): HTMLButtonElement {
  const b = el("button", "btn", text);
  b.type = "button";
  if (label !== text) b.setAttribute("aria-label", label);
  b.title = label;
  return b;
}

export class PresetsPanel {
  readonly root = el("section", "presets");
  private folder = el("output", "preset-folder");
  private list = el("select", "preset-list");
  private name = el("input", "text");
  private loadButton = button("Load");
  private saveButton = button("Save");
  private refreshButton = button("⟳", "Refresh the list");
  private browseButton = button("…", "Choose the preset folder");
  private note = el("p", "empty");
  private body = el("div", "preset-body");
  private view: PresetsView | null = null;

  constructor(private actions: PresetActions) {
    this.root.setAttribute("aria-label", "Presets");
    const head = el("h3", "panel-title", "Presets");
    this.folder.setAttribute("aria-label", "Preset folder");
    const folderRow = el("div", "preset-row");
    folderRow.append(this.folder, this.browseButton, this.refreshButton);
    this.list.setAttribute("aria-label", "Preset");
    this.list.size = 4;
    this.list.addEventListener("dblclick", () => void this.load());
    const loadRow = el("div", "preset-row");
    loadRow.append(this.list, this.loadButton);
    this.name.type = "text";
    this.name.placeholder = "Preset name";
    this.name.setAttribute("aria-label", "Preset name");
    this.name.addEventListener("keydown", (ev) => {
      if (ev.key === "Enter") void this.save();
    });
    const saveRow = el("div", "preset-row");
    saveRow.append(this.name, this.saveButton);
    this.body.append(folderRow, loadRow, saveRow);
    this.root.append(head, this.body, this.note);
    this.loadButton.addEventListener("click", () => void this.load());
    this.saveButton.addEventListener("click", () => void this.save());
    this.refreshButton.addEventListener("click", () => void this.run(() => this.actions.refresh()));
    this.browseButton.addEventListener("click", () => void this.browse());
    this.show(null);
  }

  /** Reads the module's list again (after a selection or any change). */
  async update(): Promise<void> {
    try {
      this.show(await this.actions.read());
    } catch (e) {
      this.show(null, e instanceof Error ? e.message : String(e));
    }
  }

  private show(view: PresetsView | null, why = "Select a Pulsor tag to use its presets."): void {
    this.view = view;
    this.body.hidden = !view;
    this.note.hidden = !!view;
    this.note.textContent = why;
    if (!view) return;
    this.folder.textContent = view.folder || "(no folder)";
    this.folder.title = view.folder;
    const keep = this.list.value;
    this.list.replaceChildren(...view.presets.map((p, i) => Object.assign(el("option", undefined, p), { value: String(i) })));
    if (view.presets[view.choice]) this.list.value = String(view.choice);
    else if (keep && Number(keep) < view.presets.length) this.list.value = keep;
    if (document.activeElement !== this.name && !this.name.value) this.name.value = view.name;
    this.loadButton.disabled = !view.presets.length;
  }

  private async run(work: () => Promise<void>): Promise<void> {
    await work();
    await this.update();
  }

  private async load(): Promise<void> {
    const index = this.list.selectedIndex;
    if (!this.view || index < 0) return this.actions.refuse("Choose a preset to load.");
    await this.run(() => this.actions.load(index));
  }

  private async save(): Promise<void> {
    const name = this.name.value.trim();
    if (!name) return this.actions.refuse("Name the preset to save.");
    await this.run(() => this.actions.save(name));
  }

  private async browse(): Promise<void> {
    const chosen = await pickFolder(this.view?.folder ?? "", this.actions);
    if (chosen === null) return;
    await this.run(() => this.actions.choose(chosen));
  }
}

/** The server's folder picker: folders only, one level at a time; resolves to the folder chosen, or null. */
export function pickFolder(start: string, actions: Pick<PresetActions, "folders" | "refuse">): Promise<string | null> {
  return new Promise((resolve) => {
    const dialog = el("dialog", "modal folder-picker");
    dialog.setAttribute("aria-label", "Choose a folder");
    const title = el("h2", undefined, "Choose a folder");
    const where = el("input", "picker-path");
    where.type = "text";
    where.setAttribute("aria-label", "Folder");
    where.title = "Type a folder and press Enter to go there";
    where.addEventListener("keydown", (ev) => {
      if (ev.key !== "Enter") return;
      ev.preventDefault();
      void go(where.value);
    });
    const list = el("ul", "picker-list");
    list.setAttribute("role", "listbox");
    list.setAttribute("aria-label", "Folders");
    const message = el("p", "picker-error");
    const buttons = el("div", "modal-buttons");
    const cancel = el("button", undefined, "Cancel");
    const choose = el("button", "primary", "Choose this folder");
    cancel.type = choose.type = "button";
    buttons.append(cancel, choose);
    dialog.append(title, where, list, message, buttons);
    document.body.append(dialog);
    let current = "";
    const finish = (value: string | null) => {
      dialog.close();
      dialog.remove();
      resolve(value);
    };
    const go = async (path: string) => {
      try {
        const listing = await actions.folders(path);
        current = listing.path;
        where.value = listing.path;
        message.textContent = "";
        const rows: HTMLElement[] = [];
        const row = (text: string, target: string) => {
          const li = el("li");
          const b = el("button", "picker-item", text);
          b.type = "button";
          b.setAttribute("role", "option");
          b.addEventListener("click", () => void go(target));
          li.append(b);
          rows.push(li);
        };
        if (listing.parent !== null) row("⬑ ..", listing.parent);
        for (const f of listing.folders) row(`📁 ${f}`, joinPath(listing.path, f));
        if (!listing.folders.length) rows.push(el("li", "empty", "No folders inside."));
        list.replaceChildren(...rows);
      } catch (e) {
        message.textContent = e instanceof Error ? e.message : String(e);
      }
    };
    cancel.addEventListener("click", () => finish(null));
    choose.addEventListener("click", () => finish(current || null));
    dialog.addEventListener("cancel", (ev) => {
      ev.preventDefault();
      finish(null);
    });
    dialog.showModal();
    void go(start);
  });
}

/** A folder inside `base`, with the separator `base` already uses. */
export function joinPath(base: string, name: string): string {
  const sep = base.includes("\\") && !base.includes("/") ? "\\" : "/";
  return base.endsWith(sep) ? base + name : `${base}${sep}${name}`;
}
