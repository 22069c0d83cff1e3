import { defineConfig } from "vite";

// The server looks for the built files beside its binary (build/web/dist);
// CMake passes --outDir, so this default only serves a hand-run `npm run build`.
export default defineConfig({
  base: "./",
  build: {
    outDir: "../build/web/dist",
    emptyOutDir: true,
    target: "es2022",
    chunkSizeWarningLimit: 1024,
  },
});
