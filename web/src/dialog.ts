// Modal dialogs: the host's question dialog, and asking for a file name.

function modal(build: (dialog: HTMLDialogElement, close: (v: string) => void) => void): Promise<string> {
  return new Promise((resolve) => {
    const dialog = document.createElement("dialog");
    dialog.className = "modal";
    let done = false;
    const close = (v: string) => {
      if (done) return;
      done = true;
      dialog.close();
      dialog.remove();
      resolve(v);
    };
    dialog.addEventListener("cancel", (ev) => {
      ev.preventDefault();
      close("");
    });
    build(dialog, close);
    document.body.append(dialog);
    dialog.showModal();
    (dialog.querySelector("[autofocus]") as HTMLElement | null)?.focus();
  });
}

function buttons(dialog: HTMLElement, list: [string, () => void, boolean?][]): void {
  const row = document.createElement("div");
  row.className = "modal-buttons";
  for (const [text, action, primary] of list) {
    const b = document.createElement("button");
    b.type = "button";
    b.textContent = text;
    if (primary) {
      b.classList.add("primary");
      b.autofocus = true;
    }
    b.addEventListener("click", action);
    row.append(b);
  }
  dialog.append(row);
}

/** A yes/no question; Escape answers no. */
export async function ask(question: string, yes = "Yes", no = "No", title = "Question"): Promise<boolean> {
  const answer = await modal((dialog, close) => {
    dialog.setAttribute("aria-label", title);
    const h = document.createElement("h2");
    h.textContent = title;
    const p = document.createElement("p");
    p.textContent = question;
    dialog.append(h, p);
    buttons(dialog, [
      [no, () => close("")],
      [yes, () => close("yes"), true],
    ]);
  });
  return answer === "yes";
}

/** Asks for a line of text; null when cancelled. */
export async function askText(title: string, label: string, initial: string, ok = "OK"): Promise<string | null> {
  let input!: HTMLInputElement;
  const answer = await modal((dialog, close) => {
    dialog.setAttribute("aria-label", title);
    const form = document.createElement("form");
    form.method = "dialog";
    const h = document.createElement("h2");
    h.textContent = title;
    const l = document.createElement("label");
    l.textContent = label;
    input = document.createElement("input");
    input.type = "text";
    input.value = initial;
    input.autofocus = true;
    input.spellcheck = false;
    input.id = "modal-input";
    l.htmlFor = input.id;
    form.append(h, l, input);
    form.addEventListener("submit", (ev) => {
      ev.preventDefault();
      close("ok");
    });
    dialog.append(form);
    buttons(dialog, [
      ["Cancel", () => close("")],
      [ok, () => close("ok")],
    ]);
  });
  return answer === "ok" ? input.value : null;
}
