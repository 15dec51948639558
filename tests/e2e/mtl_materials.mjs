// Prints the materials three.js's MTL loader reads from an .mtl file, as JSON:
// for each, the file of its normal map and of its bump (height) map.
// Usage: node mtl_materials.mjs FILE.mtl
import fs from 'fs';
import { MTLLoader } from 'three/examples/jsm/loaders/MTLLoader.js';

const creator = new MTLLoader().parse(fs.readFileSync(process.argv[2], 'utf8'), '');
const maps = {};
for (const [name, info] of Object.entries(creator.materialsInfo)) {
  // The keys the loader's material maker reads a normal and a bump map from.
  maps[name] = { normalMap: info.norm ?? null, bumpMap: info.map_bump ?? info.bump ?? null };
}
console.log(JSON.stringify(maps));
