// Grovewright's levels of detail in three.js: every level of an `export --lod`
// file as one THREE.LOD, switched by the camera's distance as the screen
// coverages in the file say.
//
//   const gltf = await new GLTFLoader().loadAsync('tree.glb');
//   scene.add(await treeLevels(gltf, camera));
//
// three.js does not read MSFT_lod: its scene holds the full tree alone, and the
// other levels are loaded here by their node numbers. The coverage is the tree's
// bounding sphere projected onto the view, the area of its disc over the view's
// area; at distance d that is PI r^2 / (4 d^2 tan^2(fov / 2) aspect), so each
// coverage gives the distance from which its level's successor is shown. The
// distances are for the camera's field of view and aspect when this runs.
import * as THREE from 'three';

export async function treeLevels(gltf, camera) {
  const { parser } = gltf;
  const first = parser.json.nodes.findIndex((node) => node.extensions && node.extensions.MSFT_lod);
  if (first < 0) return gltf.scene;  // a file without levels
  const ids = [first, ...parser.json.nodes[first].extensions.MSFT_lod.ids];
  const coverages = parser.json.nodes[first].extras.MSFT_screencoverage;
  const levels = await Promise.all(ids.map((id) => parser.getDependency('node', id)));
  const sphere = new THREE.Box3().setFromObject(levels[0]).getBoundingSphere(new THREE.Sphere());
  const tan = Math.tan(THREE.MathUtils.degToRad(camera.fov) / 2);
  const distanceFor = (coverage) =>
    sphere.radius * Math.sqrt(Math.PI / (4 * tan * tan * camera.aspect * coverage));
  // The distance is measured to the sphere's centre, as the coverage is.
  const lod = new THREE.LOD();
  lod.position.copy(sphere.center);
  levels.forEach((level, k) => {
    level.position.sub(sphere.center);
    lod.addLevel(level, k === 0 ? 0 : distanceFor(coverages[k - 1]));
  });
  lod.addLevel(new THREE.Object3D(), distanceFor(coverages[coverages.length - 1]));  // beyond: nothing
  return lod;
}
