// Grovewright's levels of detail in Babylon.js: loads every level of an
// `export --lod` file and shows the one whose screen coverage the tree reaches.
//
// Babylon's own MSFT_lod loader streams the levels in and keeps only the full
// one; this replaces it. Load this script after babylon.js and the glTF loader,
// then load trees as usual (BABYLON.SceneLoader.ImportMeshAsync / AppendAsync).
//
// The coverage is the tree's bounding sphere projected onto the view: the
// area of its disc over the view's area (as the file's extras define it, and as
// Babylon measures mesh.useLODScreenCoverage). A level is shown from its value
// up to the value of the level before it; below the last, nothing.
(function () {
  const NAME = "MSFT_lod";

  class GrovewrightLevels {
    constructor(loader) {
      this.name = NAME;
      this.enabled = true;
      this._loader = loader;
    }

    dispose() {
      this._loader = null;
    }

    loadNodeAsync(context, node, assign) {
      const loader = this._loader;
      return BABYLON.GLTF2.GLTFLoader.LoadExtensionAsync(context, node, NAME, async (extensionContext, lod) => {
        const nodes = [node, ...lod.ids.map((id) => loader.gltf.nodes[id])];
        const levels = await Promise.all(nodes.map((level, k) =>
          loader.loadNodeAsync(k === 0 ? context : `/nodes/${level.index}`, level, k === 0 ? assign : () => {})));
        // The other levels stand beside the first, under its parent.
        for (const level of levels.slice(1)) level.parent = levels[0].parent;
        const coverages = (node.extras && node.extras.MSFT_screencoverage) || [];
        const scene = levels[0].getScene();
        const switcher = scene.onBeforeRenderObservable.add(() => {
          const camera = scene.activeCamera;
          if (!camera) return;
          const { min, max } = levels[0].getHierarchyBoundingVectors(true);
          const centre = min.add(max).scale(0.5);
          const radius = max.subtract(min).length() / 2;
          const distance = Math.max(BABYLON.Vector3.Distance(camera.globalPosition, centre), 1e-6);
          const halfHeight = Math.tan(camera.fov / 2);
          const aspect = scene.getEngine().getAspectRatio(camera);
          const coverage = (Math.PI * radius * radius) / (4 * distance * distance * halfHeight * halfHeight * aspect);
          let shown = coverages.findIndex((least) => coverage >= least);
          if (shown < 0 && coverages.length < levels.length) shown = coverages.length;  // no value: always
          levels.forEach((level, k) => level.setEnabled(k === shown));
        });
        levels[0].onDisposeObservable.add(() => {
          scene.onBeforeRenderObservable.remove(switcher);
          for (const level of levels.slice(1)) level.dispose();
        });
        return levels[0];
      });
    }
  }

  BABYLON.GLTF2.unregisterGLTFExtension(NAME);
  BABYLON.GLTF2.registerGLTFExtension(NAME, true, (loader) => new GrovewrightLevels(loader));
})();
