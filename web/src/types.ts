// Shapes of the studio server's answers (docs/studio-api.md).

export type Levels = number[];

export interface ElementRef {
  id: number;
  name: string;
  type: number;
  typeName: string;
  pulsor?: boolean;
}

export interface SceneObject extends ElementRef {
  children: SceneObject[];
  tags: ElementRef[];
}

export interface UndoState {
  undo: boolean;
  redo: boolean;
}

export interface State {
  revision: number;
  file: string;
  fps: number;
  from: number;
  to: number;
  frame: number;
  undo: UndoState;
  objects: SceneObject[];
  materials: ElementRef[];
}

export type NumberValue = number | "NaN" | "Infinity" | "-Infinity";
export interface TimeValue {
  seconds: NumberValue;
}
export interface SplineKnot {
  x: number;
  y: number;
  left: [number, number];
  right: [number, number];
  flags: number;
}
export interface SplineValue {
  knots: SplineKnot[];
  points: [number, number][];
}
export interface LinkValue {
  link: number | null;
  name: string;
}
export type Value =
  | NumberValue
  | boolean
  | string
  | TimeValue
  | NumberValue[]
  | SplineValue
  | LinkValue;

export interface Entry {
  id: Levels;
  parent?: Levels;
  dtype: number;
  name?: string;
  shortName?: string;
  gui?: number;
  unit?: string;
  min?: number | TimeValue;
  max?: number | TimeValue;
  step?: number | TimeValue;
  minSlider?: number;
  maxSlider?: number;
  cycle?: [number, string][];
  columns?: number;
  open?: boolean;
  hidden?: boolean;
  scaleH?: boolean;
  editable?: boolean;
  enabled?: boolean;
  value?: Value;
}

export interface Page {
  id: number;
  name: string;
  revision: number;
  entries: Entry[];
}

export interface FrameAnswer {
  revision: number;
  frame: number;
  values: Record<string, NumberValue>;
  page?: Page;
  objects?: ViewObject[];
}

export interface Graph {
  frames: number[];
  series: { tag: number; name: string; values: NumberValue[] }[];
}

export interface EditAnswer {
  revision: number;
  open?: string;
  question?: string;
  id?: number;
  accept?: boolean;
  accepted?: boolean;
  undo?: UndoState;
  file?: string;
  /** A curve the server stored clamped: what it changed. */
  clamped?: string;
}

/** An object as the 3D view shows it at a frame. */
export interface ViewObject {
  id: number;
  kind: string;
  position: [number, number, number];
  rotation: [number, number, number];
  scale?: [number, number, number];
  size?: [number, number, number];
  color?: [number, number, number];
  visible?: boolean;
}

/** Keys of one linked track: the frames that carry a key, and their values where known. */
export interface KeyTrack {
  name: string;
  frames: number[];
  values?: number[];
}
