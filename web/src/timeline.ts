// The timeline: range, current frame, scrubbing, stepping and playback.
// Playback runs at the document's frame rate with at most one frame request
// in flight: when the server is slower than real time, frames are skipped
// (and counted) instead of queued.

export interface TimelineActions {
  /** Shows `frame`; resolves once the server answered and the page shows it. */
  seek(frame: number): Promise<void>;
  /** Playback stopped (by the user or at the range's end). */
  paused?(): void;
}

export interface PlaybackStats {
  shown: number;
  dropped: number;
}

function button(text: string, label: string, keyHint?: string): HTMLButtonElement {
  const b = document.createElement("button");
  b.type = "button";
  b.className = "btn icon-btn";
  b.textContent = text;
  b.setAttribute("aria-label", label);
  b.title = keyHint ? `${label} (${keyHint})` : label;
  return b;
}

export class Timeline {
  readonly root = document.createElement("div");
  private scrub = document.createElement("input");
  private frameField = document.createElement("input");
  private rangeText = document.createElement("span");
  private readout = document.createElement("output");
  private marks = document.createElement("div");
  private range = document.createElement("div");
  private shownKeys: number[] = [];
  private playButton = button("▶", "Play");
  private loopBox = document.createElement("input");
  private from = 0;
  private to = 0;
  private fps = 30;
  private frame = 0;
  private playing = false;
  private inFlight: Promise<void> | null = null;
  private wanted: number | null = null;
  private timer = 0;
  stats: PlaybackStats = { shown: 0, dropped: 0 };

  constructor(private actions: TimelineActions) {
    this.root.className = "timeline";
    this.root.setAttribute("role", "group");
    this.root.setAttribute("aria-label", "Timeline");
    const first = button("⇤", "First frame");
    const prev = button("‹", "Previous frame");
    const next = button("›", "Next frame");
    const last = button("⇥", "Last frame");
    first.addEventListener("click", () => this.go(this.from));
    prev.addEventListener("click", () => this.go(this.frame - 1));
    next.addEventListener("click", () => this.go(this.frame + 1));
    last.addEventListener("click", () => this.go(this.to));
    this.playButton.setAttribute("aria-pressed", "false");
    this.playButton.addEventListener("click", () => (this.playing ? this.pause() : this.play()));

    this.loopBox.type = "checkbox";
    this.loopBox.id = "loop";
    this.loopBox.checked = true;
    const loopLabel = document.createElement("label");
    loopLabel.htmlFor = "loop";
    loopLabel.className = "loop";
    loopLabel.append(this.loopBox, " Loop");

    this.scrub.type = "range";
    this.scrub.className = "scrub";
    this.scrub.setAttribute("aria-label", "Current frame");
    this.scrub.step = "1";
    this.scrub.addEventListener("input", () => this.go(Number(this.scrub.value)));

    this.frameField.type = "number";
    this.frameField.className = "frame-field";
    this.frameField.setAttribute("aria-label", "Frame");
    this.frameField.step = "1";
    this.frameField.addEventListener("change", () => {
      const f = Number(this.frameField.value);
      if (Number.isFinite(f) && this.frameField.value.trim() !== "") void this.go(f);
      // A frame outside the range lands on its end; the field shows where.
      this.frameField.value = String(this.frame);
    });
    this.rangeText.className = "range-text";
    this.readout.className = "readout";
    this.readout.setAttribute("aria-label", "Linked values");

    const controls = document.createElement("div");
    controls.className = "transport";
    controls.append(first, prev, this.playButton, next, last, loopLabel, this.frameField, this.rangeText);
    this.marks.className = "key-marks";
    this.marks.setAttribute("aria-label", "Keys");
    this.range.className = "sequence-range";
    this.range.hidden = true;
    const track = document.createElement("div");
    track.className = "scrub-track";
    track.append(this.range, this.marks, this.scrub);
    this.root.append(controls, track, this.readout);
  }

  /** The linked values the document holds at the frame shown. */
  showValues(values: Record<string, unknown>): void {
    const parts = Object.entries(values).map(([name, v]) => `${name} ${typeof v === "number" ? v.toFixed(2) : String(v)}`);
    this.readout.textContent = parts.join("   ");
    this.readout.title = parts.join("\n");
  }

  get isPlaying(): boolean {
    return this.playing;
  }

  get current(): number {
    return this.frame;
  }

  get first(): number {
    return this.from;
  }

  get last(): number {
    return this.to;
  }

  setRange(from: number, to: number, fps: number): void {
    this.from = from;
    this.to = Math.max(from, to);
    this.fps = fps > 0 ? fps : 30;
    this.scrub.min = String(this.from);
    this.scrub.max = String(this.to);
    this.frameField.min = String(this.from);
    this.frameField.max = String(this.to);
    this.rangeText.textContent = `${this.from}–${this.to} @ ${this.fps} fps`;
    this.placeMarks();
  }

  /** Marks the frames that carry keys. */
  setKeys(frames: number[]): void {
    const unique = [...new Set(frames)].sort((a, b) => a - b);
    if (JSON.stringify(unique) === JSON.stringify(this.shownKeys)) return;
    this.shownKeys = unique;
    this.placeMarks();
  }

  get keyFrames(): number[] {
    return [...this.shownKeys];
  }

  /** The frames a keyframe sequence covers, or null when there is none. */
  setSequence(range: { from: number; to: number } | null): void {
    this.range.hidden = !range;
    if (!range) return;
    const a = this.place(Math.min(range.from, range.to));
    const b = this.place(Math.max(range.from, range.to));
    this.range.style.left = `calc(8px + ${a} * (100% - 16px))`;
    this.range.style.width = `calc(${Math.max(0, b - a)} * (100% - 16px))`;
    this.range.title = `Keyframe Sequence: ${range.from}–${range.to}`;
    this.range.dataset.from = String(range.from);
    this.range.dataset.to = String(range.to);
  }

  /** Where a frame sits along the track, 0..1. */
  private place(frame: number): number {
    return Math.min(1, Math.max(0, (frame - this.from) / Math.max(1, this.to - this.from)));
  }

  private placeMarks(): void {
    this.marks.replaceChildren(
      ...this.shownKeys.map((f) => {
        const m = document.createElement("span");
        m.className = "key-mark";
        m.style.left = `${this.place(f) * 100}%`;
        m.dataset.frame = String(f);
        m.title = `Key at frame ${f}`;
        return m;
      }),
    );
  }

  /** Shows a frame the server reports (after an answer, undo or open). */
  showFrame(frame: number): void {
    this.frame = frame;
    this.scrub.value = String(frame);
    if (document.activeElement !== this.frameField) this.frameField.value = String(frame);
    this.root.style.setProperty("--progress", String((frame - this.from) / Math.max(1, this.to - this.from)));
  }

  /** Goes to a frame; a request already on its way is followed by the latest wish only. */
  go(frame: number): Promise<void> {
    const f = Math.min(this.to, Math.max(this.from, Math.round(frame)));
    this.showFrame(f);
    this.wanted = f;
    return this.pump();
  }

  private pump(): Promise<void> {
    if (this.inFlight) return this.inFlight;
    if (this.wanted === null) return Promise.resolve();
    const f = this.wanted;
    this.wanted = null;
    this.inFlight = this.actions.seek(f).finally(() => {
      this.inFlight = null;
    });
    return this.inFlight.then(() => this.pump());
  }

  play(): void {
    if (this.playing) return;
    this.playing = true;
    this.stats = { shown: 0, dropped: 0 };
    this.playButton.textContent = "❚❚";
    this.playButton.setAttribute("aria-label", "Pause");
    this.playButton.setAttribute("aria-pressed", "true");
    const length = this.to - this.from + 1;
    const startOffset = this.frame >= this.to && !this.loopBox.checked ? 0 : this.frame - this.from;
    const start = performance.now();
    let lastIndex = 0;
    const tick = () => {
      if (!this.playing) return;
      const index = Math.floor(((performance.now() - start) / 1000) * this.fps);
      if (!this.loopBox.checked && startOffset + index >= length - 1 && !this.inFlight) {
        const finalIndex = length - 1 - startOffset;
        if (finalIndex > lastIndex) this.showIndex(finalIndex, lastIndex, startOffset, length);
        this.pause();
        return;
      }
      if (!this.inFlight && index > lastIndex) {
        this.showIndex(index, lastIndex, startOffset, length);
        lastIndex = index;
      }
      const due = start + ((lastIndex + 1) * 1000) / this.fps;
      this.timer = window.setTimeout(tick, Math.max(0, due - performance.now()));
    };
    this.showIndex(0, -1, startOffset, length);
    this.timer = window.setTimeout(tick, 1000 / this.fps);
  }

  private showIndex(index: number, lastIndex: number, startOffset: number, length: number): void {
    this.stats.dropped += Math.max(0, index - lastIndex - 1);
    this.stats.shown += 1;
    const f = this.from + ((startOffset + index) % length);
    this.showFrame(f);
    this.inFlight = this.actions.seek(f).finally(() => {
      this.inFlight = null;
    });
  }

  pause(): void {
    const was = this.playing;
    this.playing = false;
    window.clearTimeout(this.timer);
    this.playButton.textContent = "▶";
    this.playButton.setAttribute("aria-label", "Play");
    this.playButton.setAttribute("aria-pressed", "false");
    if (was) this.actions.paused?.();
  }
}
