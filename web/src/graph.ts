// The graph: every linked value over the document's range, a line per
// component, with the current frame as a marker and uPlot's legend as the
// read-out under the cursor.
import uPlot from "uplot";
import "uplot/dist/uPlot.min.css";
import type { Graph, KeyTrack } from "./types";
import { toNumber } from "./units";

const COLOURS = ["#4fc3f7", "#ffb74d", "#81c784", "#e57373", "#ba68c8", "#fff176", "#4db6ac", "#f06292", "#90a4ae", "#aed581"];

export class GraphView {
  readonly root = document.createElement("figure");
  private plot: uPlot | null = null;
  private marker = document.createElement("div");
  private empty = document.createElement("p");
  private frame = 0;
  private shape = "";
  seriesNames: string[] = [];
  lastDrawMs = 0;
  /** Keys of the linked tracks, drawn as points on their series' lines. */
  private keys: KeyTrack[] = [];

  constructor() {
    this.root.className = "graph";
    this.root.setAttribute("aria-label", "Graph of the linked values");
    this.marker.className = "frame-marker";
    this.empty.className = "empty";
    this.empty.textContent = "No linked values to plot.";
    new ResizeObserver(() => this.fit()).observe(this.root);
  }

  private size(): { width: number; height: number } {
    const legend = this.root.querySelector(".u-legend") as HTMLElement | null;
    return {
      width: Math.max(100, this.root.clientWidth - 8),
      height: Math.max(60, this.root.clientHeight - (legend?.offsetHeight ?? 24) - 8),
    };
  }

  private fit(): void {
    if (!this.plot) return;
    this.plot.setSize(this.size());
    this.placeMarker();
  }

  setData(graph: Graph): void {
    const t0 = performance.now();
    const series = graph.series;
    this.seriesNames = series.map((s) => s.name);
    if (!series.length || !graph.frames.length) {
      this.plot?.destroy();
      this.plot = null;
      this.shape = "";
      this.root.replaceChildren(this.empty);
      this.lastDrawMs = performance.now() - t0;
      return;
    }
    const data: uPlot.AlignedData = [
      Float64Array.from(graph.frames),
      ...series.map((s) => s.values.map((v) => {
        const n = toNumber(v);
        return Number.isFinite(n) ? n : null;
      })),
    ];
    const shape = JSON.stringify(this.seriesNames);
    if (this.plot && shape === this.shape) {
      this.plot.setData(data);
    } else {
      this.plot?.destroy();
      this.root.replaceChildren();
      this.shape = shape;
      const opts: uPlot.Options = {
        ...this.size(),
        scales: { x: { time: false } },
        legend: { live: true },
        cursor: { drag: { x: true, y: false }, points: { size: 6 } },
        series: [
          { label: "Frame", value: (_u, v) => (v == null ? "–" : String(Math.round(v))) },
          ...series.map((s, i) => ({
            label: s.name,
            stroke: COLOURS[i % COLOURS.length],
            width: 1.5,
            points: { show: false },
            value: (_u: uPlot, v: number | null) => (v == null ? "–" : v.toFixed(3)),
          })),
        ],
        axes: [
          { stroke: "#9aa4b1", grid: { stroke: "#2a3038" }, ticks: { stroke: "#2a3038" } },
          { stroke: "#9aa4b1", grid: { stroke: "#2a3038" }, ticks: { stroke: "#2a3038" }, size: 56 },
        ],
        hooks: { setScale: [() => this.placeMarker()], setSize: [() => this.placeMarker()], draw: [(u) => this.drawKeys(u)] },
      };
      this.plot = new uPlot(opts, data, this.root);
      this.plot.over.append(this.marker);
      this.fit();
    }
    this.placeMarker();
    this.lastDrawMs = performance.now() - t0;
  }

  /** What is drawn: each series' name and values (for tests and scripts). */
  snapshot(): { frames: number[]; series: Record<string, (number | null)[]> } {
    if (!this.plot) return { frames: [], series: {} };
    const data = this.plot.data;
    const series: Record<string, (number | null)[]> = {};
    this.seriesNames.forEach((name, i) => (series[name] = Array.from(data[i + 1] as ArrayLike<number | null>)));
    return { frames: Array.from(data[0] as ArrayLike<number>), series };
  }

  /** Shows keys as points; a track whose series is not drawn is left out. */
  setKeys(keys: KeyTrack[]): void {
    const shape = JSON.stringify(keys);
    if (shape === JSON.stringify(this.keys)) return;
    this.keys = keys;
    this.plot?.redraw(false, false);
  }

  /** The key points drawn, by series (for tests and scripts). */
  keyPoints(): Record<string, number[]> {
    const out: Record<string, number[]> = {};
    for (const k of this.keys) if (this.seriesNames.includes(k.name)) out[k.name] = [...k.frames];
    return out;
  }

  private drawKeys(u: uPlot): void {
    const ctx = u.ctx;
    const r = 4 * devicePixelRatio;
    ctx.save();
    for (const track of this.keys) {
      const i = this.seriesNames.indexOf(track.name);
      if (i < 0) continue;
      const frames = u.data[0] as ArrayLike<number>;
      const line = u.data[i + 1] as ArrayLike<number | null>;
      ctx.fillStyle = "#f5c542";
      ctx.strokeStyle = "#1d2127";
      ctx.lineWidth = 1.5 * devicePixelRatio;
      track.frames.forEach((f, j) => {
        const at = track.values?.[j] ?? line[f - frames[0]];
        if (at == null || !Number.isFinite(at)) return;
        const x = u.valToPos(f, "x", true);
        const y = u.valToPos(at, "y", true);
        ctx.beginPath();
        // A diamond, as keys are drawn on a timeline.
        ctx.moveTo(x, y - r);
        ctx.lineTo(x + r, y);
        ctx.lineTo(x, y + r);
        ctx.lineTo(x - r, y);
        ctx.closePath();
        ctx.fill();
        ctx.stroke();
      });
    }
    ctx.restore();
  }

  setFrame(frame: number): void {
    this.frame = frame;
    this.placeMarker();
  }

  private placeMarker(): void {
    if (!this.plot) return;
    const x = this.plot.valToPos(this.frame, "x");
    this.marker.style.transform = `translateX(${x}px)`;
    this.marker.hidden = !Number.isFinite(x);
  }
}
