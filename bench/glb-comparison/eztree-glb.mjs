// Grows an ez-tree tree headless in node and writes it with three.js' own GLB
// exporter: the other side of the GLB export comparison. The default options
// give about 1.9 million triangles. ez-tree stores its indices as 16-bit
// numbers, which wrap above 65,535 vertices: such meshes are given 32-bit
// indices from the tree's own index lists, so that the file is a correct mesh.
// Usage: node eztree-glb.mjs OUTPUT.glb [BRANCH-OPTIONS-JSON]
// Prints the triangle count and the milliseconds of growing and of exporting.

// Just enough of a browser for the library to load: its bark and leaf images
// never load here, so the geometry is exported with plain materials.
const fakeElement = () => ({ addEventListener() {}, removeEventListener() {}, setAttribute() {}, style: {} });
globalThis.document = { createElementNS: fakeElement, createElement: fakeElement };
globalThis.self = globalThis;
globalThis.FileReader = class {
  readAsArrayBuffer(blob) {
    blob.arrayBuffer().then((bytes) => { this.result = bytes; this.onloadend?.(); });
  }
};

const THREE = await import('three');
const { Tree } = await import('@dgreenheck/ez-tree');
const { GLTFExporter } = await import('three/addons/exporters/GLTFExporter.js');
const fs = await import('fs');

const branch = process.argv[3] ? JSON.parse(process.argv[3]) : {
  children: { 0: 18, 1: 16, 2: 12 },
  sections: { 0: 32, 1: 28, 2: 24, 3: 16 },
  segments: { 0: 24, 1: 16, 2: 12, 3: 12 },
};
const tree = new Tree();
tree.options.seed = 12345;
Object.assign(tree.options.branch, branch);
const start = performance.now();
tree.generate();
for (const [mesh, lists] of [[tree.branchesMesh, tree.branches], [tree.leavesMesh, tree.leaves]]) {
  if (lists.verts.length / 3 > 65535) mesh.geometry.setIndex(new THREE.BufferAttribute(new Uint32Array(lists.indices), 1));
}
const grown = performance.now();
tree.traverse((o) => {
  if (o.material) for (const key of ['map', 'aoMap', 'normalMap', 'roughnessMap', 'alphaMap']) o.material[key] = null;
});
let triangles = 0;
tree.traverse((o) => {
  if (o.geometry) triangles += (o.geometry.index ? o.geometry.index.count : o.geometry.attributes.position.count) / 3;
});
const glb = await new GLTFExporter().parseAsync(tree, { binary: true });
fs.writeFileSync(process.argv[2], Buffer.from(glb));
const done = performance.now();
console.log(JSON.stringify({ triangles, growMs: grown - start, exportMs: done - grown }));
