// The 3D view: the document's objects as the server evaluated them at the
// frame shown. Cubes are boxes of their size, nulls are axes; each takes its
// display colour (or its material's, as the server decides) and hides when
// invisible. Orbit with the left button, pan with the right, zoom with the
// wheel; a click selects, as in the object list. It draws only when
// something changed, so a still studio costs nothing.
import * as THREE from "three";
import { OrbitControls } from "three/examples/jsm/controls/OrbitControls.js";
import type { ViewObject } from "./types";

/** Up to this many objects, boxes get outlines; beyond, a draw call each is saved. */
const OUTLINED = 200;

export interface ViewportActions {
  select(id: number): void;
}

/**
 * The document's frame is left-handed with y up, three.js's right-handed:
 * z turns round, and with it the sense of the turns about x and y. The
 * document turns heading (y), then pitch (x), then bank (z).
 */
export function placement(o: Pick<ViewObject, "position" | "rotation">): { position: [number, number, number]; euler: [number, number, number] } {
  const [x, y, z] = o.position;
  const [h, p, b] = o.rotation;
  return { position: [x, y, -z], euler: [-p, -h, b] };
}

/** A colour of the document (components 0..1) as three.js takes it; out-of-range or missing components become grey. */
export function colourOf(c: readonly number[] | undefined): [number, number, number] {
  if (!c || c.length !== 3 || !c.every((v) => Number.isFinite(v))) return [0.6, 0.6, 0.6];
  return c.map((v) => Math.min(1, Math.max(0, v))) as [number, number, number];
}

interface Shown {
  node: THREE.Object3D;
  kind: string;
  material?: THREE.MeshStandardMaterial;
}

export class Viewport {
  readonly root = document.createElement("section");
  private canvasHost = document.createElement("div");
  private note = document.createElement("p");
  private renderer: THREE.WebGLRenderer | null = null;
  private scene = new THREE.Scene();
  private camera = new THREE.PerspectiveCamera(45, 1, 1, 100000);
  private controls: OrbitControls | null = null;
  private shown = new Map<number, Shown>();
  private selection = new THREE.BoxHelper(new THREE.Object3D(), 0xf5c542);
  private selected: number | null = null;
  private framed = false;
  private queued = false;
  private unitBox = new THREE.BoxGeometry(1, 1, 1);
  private unitEdges = new THREE.EdgesGeometry(this.unitBox);
  private edgeMaterial = new THREE.LineBasicMaterial({ color: 0x0d0f12, transparent: true, opacity: 0.35 });
  /** Frames drawn since the page opened (for tests and the frame-rate readout). */
  draws = 0;

  constructor(private actions: ViewportActions) {
    this.root.className = "viewport";
    this.root.setAttribute("aria-label", "Viewport");
    this.canvasHost.className = "viewport-canvas";
    this.note.className = "viewport-note";
    const frameButton = document.createElement("button");
    frameButton.type = "button";
    frameButton.className = "btn viewport-frame";
    frameButton.textContent = "Frame all";
    frameButton.title = "Frame all objects";
    frameButton.addEventListener("click", () => this.frameAll());
    this.root.append(this.canvasHost, this.note, frameButton);
    try {
      this.renderer = new THREE.WebGLRenderer({ antialias: true, preserveDrawingBuffer: true });
    } catch (e) {
      this.note.textContent = `No 3D view: this browser offers no WebGL (${e instanceof Error ? e.message : e}).`;
      return;
    }
    this.renderer.setPixelRatio(Math.min(2, window.devicePixelRatio || 1));
    this.renderer.setClearColor(0x1a1e24);
    this.canvasHost.append(this.renderer.domElement);
    this.renderer.domElement.setAttribute("aria-label", "3D view: drag to orbit, right-drag to pan, wheel to zoom, click to select");
    this.renderer.domElement.tabIndex = 0;

    // A key light from above right, a dimmer fill from the left: the faces of a box read apart.
    this.scene.add(new THREE.HemisphereLight(0xe8eef5, 0x202328, 0.9));
    const key = new THREE.DirectionalLight(0xffffff, 2.2);
    key.position.set(400, 800, 300);
    const fill = new THREE.DirectionalLight(0xbfd4ff, 0.6);
    fill.position.set(-600, 200, -200);
    this.scene.add(key, fill);
    const grid = new THREE.GridHelper(1000, 20, 0x4a525d, 0x333941);
    this.scene.add(grid);
    this.selection.visible = false;
    this.scene.add(this.selection);

    this.camera.position.set(500, 400, 700);
    this.controls = new OrbitControls(this.camera, this.renderer.domElement);
    this.controls.addEventListener("change", () => this.draw());
    this.pick();
    new ResizeObserver(() => this.resize()).observe(this.canvasHost);
  }

  get hasWebGL(): boolean {
    return this.renderer !== null;
  }

  /** Objects of the frame shown; ones no longer sent are removed. */
  update(objects: ViewObject[]): void {
    if (!this.renderer) return;
    const seen = new Set<number>();
    for (const o of objects) {
      seen.add(o.id);
      let s = this.shown.get(o.id);
      // Only cubes have a shape here; nulls and every other kind are axes.
      const kind = o.kind === "cube" ? "cube" : "null";
      if (s && s.kind !== kind) {
        this.scene.remove(s.node);
        s = undefined;
      }
      if (!s) {
        s = this.make(kind, objects.length <= OUTLINED);
        s.node.userData.id = o.id;
        this.scene.add(s.node);
        this.shown.set(o.id, s);
      }
      const { position, euler } = placement(o);
      s.node.position.set(...position);
      s.node.rotation.set(euler[0], euler[1], euler[2], "YXZ");
      const scale = o.scale ?? [1, 1, 1];
      const size = kind === "null" ? [100, 100, 100] : (o.size ?? [200, 200, 200]);
      s.node.scale.set(size[0] * scale[0] || 1e-6, size[1] * scale[1] || 1e-6, size[2] * scale[2] || 1e-6);
      s.node.visible = o.visible !== false;
      s.material?.color.setRGB(...colourOf(o.color), THREE.SRGBColorSpace);
    }
    for (const [id, s] of this.shown)
      if (!seen.has(id)) {
        this.scene.remove(s.node);
        this.shown.delete(id);
      }
    if (!this.framed && objects.length) {
      this.frameAll();
      this.framed = true;
    }
    this.showSelection();
    this.draw();
  }

  /** What is shown, by object (for tests and scripts). */
  describe(): { id: number; kind: string; visible: boolean; colour: string | null; position: number[]; scale: number[] }[] {
    return [...this.shown].map(([id, s]) => ({
      id,
      kind: s.kind,
      visible: s.node.visible,
      colour: s.material ? `#${s.material.color.getHexString(THREE.SRGBColorSpace)}` : null,
      position: s.node.position.toArray(),
      scale: s.node.scale.toArray(),
    }));
  }

  /** Where an object's centre is drawn, in CSS pixels of the canvas (for tests and scripts). */
  screenPoint(id: number): { x: number; y: number } | null {
    const s = this.shown.get(id);
    if (!s || !this.renderer) return null;
    const p = s.node.getWorldPosition(new THREE.Vector3()).project(this.camera);
    const r = this.renderer.domElement.getBoundingClientRect();
    return { x: ((p.x + 1) / 2) * r.width, y: ((1 - p.y) / 2) * r.height };
  }

  get selectedId(): number | null {
    return this.selected;
  }

  setSelected(id: number | null): void {
    this.selected = id;
    this.showSelection();
    this.draw();
  }

  /** Looks at every object from a little above. */
  frameAll(): void {
    if (!this.controls) return;
    const box = new THREE.Box3();
    for (const s of this.shown.values()) if (s.node.visible) box.expandByObject(s.node);
    if (box.isEmpty()) box.set(new THREE.Vector3(-200, 0, -200), new THREE.Vector3(200, 200, 200));
    // Room for the objects' travel: a bounce leaves its first place.
    box.expandByScalar(80);
    const centre = box.getCenter(new THREE.Vector3());
    const radius = box.getSize(new THREE.Vector3()).length() / 2;
    const distance = radius / Math.sin((this.camera.fov * Math.PI) / 360);
    this.controls.target.copy(centre);
    this.camera.position.copy(centre).add(new THREE.Vector3(0.55, 0.45, 0.7).normalize().multiplyScalar(distance));
    this.camera.near = Math.max(0.1, distance / 1000);
    this.camera.far = distance * 100;
    this.camera.updateProjectionMatrix();
    this.controls.update();
    this.draw();
  }

  private make(kind: string, outlined: boolean): Shown {
    if (kind === "null") {
      const axes = new THREE.AxesHelper(1);
      return { node: axes, kind };
    }
    const material = new THREE.MeshStandardMaterial({ roughness: 0.55, metalness: 0.05 });
    const mesh = new THREE.Mesh(this.unitBox, material);
    if (outlined) mesh.add(new THREE.LineSegments(this.unitEdges, this.edgeMaterial));
    return { node: mesh, kind, material };
  }

  private showSelection(): void {
    const s = this.selected !== null ? this.shown.get(this.selected) : undefined;
    this.selection.visible = !!s && s.node.visible;
    if (s) this.selection.setFromObject(s.node);
  }

  /** A click (not a drag) selects the object under the pointer. */
  private pick(): void {
    const canvas = this.renderer!.domElement;
    let down: { x: number; y: number } | null = null;
    canvas.addEventListener("pointerdown", (ev) => (down = { x: ev.clientX, y: ev.clientY }));
    canvas.addEventListener("pointerup", (ev) => {
      if (!down || Math.hypot(ev.clientX - down.x, ev.clientY - down.y) > 4 || ev.button !== 0) return;
      const r = canvas.getBoundingClientRect();
      const ray = new THREE.Raycaster();
      ray.setFromCamera(new THREE.Vector2(((ev.clientX - r.left) / r.width) * 2 - 1, -((ev.clientY - r.top) / r.height) * 2 + 1), this.camera);
      const nodes = [...this.shown.values()].filter((s) => s.node.visible).map((s) => s.node);
      const hit = ray.intersectObjects(nodes, true).find((h) => h.object.type === "Mesh" || h.object.parent?.userData.id !== undefined);
      let node: THREE.Object3D | null = hit?.object ?? null;
      while (node && node.userData.id === undefined) node = node.parent;
      if (node) this.actions.select(node.userData.id as number);
    });
  }

  private resize(): void {
    if (!this.renderer) return;
    const { clientWidth: w, clientHeight: h } = this.canvasHost;
    if (!w || !h) return;
    this.renderer.setSize(w, h, true);
    this.camera.aspect = w / h;
    this.camera.updateProjectionMatrix();
    this.draw();
  }

  /** Draws on the next animation frame; many changes in one frame draw once. */
  draw(): void {
    if (!this.renderer || this.queued) return;
    this.queued = true;
    requestAnimationFrame(() => {
      this.queued = false;
      this.renderer!.render(this.scene, this.camera);
      this.draws++;
    });
  }
}
