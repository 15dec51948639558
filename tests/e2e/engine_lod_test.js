// End to end: an `export --lod` file in Babylon.js and three.js, in headless
// Chromium. Babylon's own loader must load it (the MSFT_lod layout it expects:
// no level reached twice), and with docs/engines/babylon-lod.js and
// docs/engines/three-lod.js the level shown must follow the camera's distance as
// the coverages in the file say: the full tree near, the impostor far, nothing
// beyond the last coverage.
//
// Usage: node engine_lod_test.js TREE.glb PATH/TO/docs/engines [PICTURES_FOLDER]
// With a pictures folder, writes each engine's pictures of the switch there.
const fs = require('fs');
const http = require('http');
const path = require('path');
const { chromium } = require('playwright-core');

const [glb, engines, pictures] = process.argv.slice(2);
const modules = path.join(__dirname, 'node_modules');
const files = {
  '/babylon.js': path.join(modules, 'babylonjs', 'babylon.js'),
  '/loaders.js': path.join(modules, 'babylonjs-loaders', 'babylonjs.loaders.js'),
  '/babylon-lod.js': path.join(engines, 'babylon-lod.js'),
  '/three-lod.js': path.join(engines, 'three-lod.js'),
  '/tree.glb': glb,
};
const threePage = `<!DOCTYPE html><html><body style="margin:0">
<script type="importmap">{"imports": {"three": "/three/build/three.module.js", "three/addons/": "/three/examples/jsm/"}}
</script>
<script type="module">
import * as THREE from 'three';
import { GLTFLoader } from 'three/addons/loaders/GLTFLoader.js';
import { treeLevels } from '/three-lod.js';
window.showAt = async (distances) => {
  const renderer = new THREE.WebGLRenderer({ preserveDrawingBuffer: true });
  renderer.setSize(480, 360);
  document.body.appendChild(renderer.domElement);
  const scene = new THREE.Scene();
  scene.background = new THREE.Color().setRGB(0.53, 0.75, 0.92, THREE.SRGBColorSpace);
  scene.add(new THREE.HemisphereLight(0xffffff, 0x445533, 2.5));
  const camera = new THREE.PerspectiveCamera(45, 480 / 360, 0.1, 1000);
  const lod = await treeLevels(await new GLTFLoader().loadAsync('/tree.glb'), camera);
  scene.add(lod);
  scene.updateMatrixWorld(true);
  const sphere = new THREE.Box3().setFromObject(lod.levels[0].object).getBoundingSphere(new THREE.Sphere());
  const shots = [];
  for (const distance of distances) {
    camera.position.set(sphere.center.x, sphere.center.y, sphere.center.z + distance);
    camera.lookAt(sphere.center);
    camera.updateMatrixWorld();
    renderer.render(scene, camera);
    const tan = Math.tan(THREE.MathUtils.degToRad(camera.fov) / 2);
    const level = lod.getCurrentLevel();
    shots.push({ distance, coverage: Math.PI * sphere.radius ** 2 / (4 * distance ** 2 * tan * tan * camera.aspect),
                 enabled: level < lod.levels.length - 1 ? ['Tree_LOD' + level] : [],
                 picture: renderer.domElement.toDataURL('image/png') });
  }
  return { shots, levels: lod.levels.slice(0, 4).map((level) => !!level.object.name) };
};
window.ready = true;
</script></body></html>`;
const page = (withLevels) => `<!DOCTYPE html><html><body style="margin:0">
<canvas id="view" width="480" height="360"></canvas>
<script src="/babylon.js"></script><script src="/loaders.js"></script>
${withLevels ? '<script src="/babylon-lod.js"></script>' : ''}
</body></html>`;

const server = http.createServer((request, response) => {
  const url = request.url.split('?')[0];
  if (url === '/three.html') {
    response.writeHead(200, { 'Content-Type': 'text/html' });
    response.end(threePage);
  } else if (url.startsWith('/three/') && !url.includes('..')) {
    response.writeHead(200, { 'Content-Type': 'text/javascript' });
    response.end(fs.readFileSync(path.join(modules, url)));
  } else if (url === '/plain.html' || url === '/levels.html') {
    response.writeHead(200, { 'Content-Type': 'text/html' });
    response.end(page(url === '/levels.html'));
  } else if (files[url]) {
    response.writeHead(200, { 'Content-Type': url.endsWith('.js') ? 'text/javascript' : 'model/gltf-binary' });
    response.end(fs.readFileSync(files[url]));
  } else {
    response.writeHead(404);
    response.end();
  }
});

// In a Babylon page: loads the tree, then for each camera distance draws a frame
// and reports the levels enabled and the coverage.
async function showAt(browserPage, distances) {
  return browserPage.evaluate(async (distances) => {
    const engine = new BABYLON.Engine(document.getElementById('view'), true, { preserveDrawingBuffer: true });
    const scene = new BABYLON.Scene(engine);
    scene.clearColor = new BABYLON.Color4(0.53, 0.75, 0.92, 1);
    new BABYLON.HemisphericLight('sky', new BABYLON.Vector3(0.3, 1, 0.2), scene);
    const camera =
      new BABYLON.ArcRotateCamera('camera', -Math.PI / 2, Math.PI / 2.1, 10, BABYLON.Vector3.Zero(), scene);
    try {
      // Loaders stream levels in after the first: wait for the whole file.
      const complete = new Promise((resolve) => BABYLON.SceneLoader.OnPluginActivatedObservable.addOnce(
        (loader) => loader.onCompleteObservable.addOnce(resolve)));
      await BABYLON.SceneLoader.AppendAsync('/', 'tree.glb', scene);
      await complete;
    } catch (error) {
      return { error: String(error && error.message || error) };
    }
    const tree = scene.getTransformNodeByName('Tree') || scene.getNodeByName('Tree');
    const { min, max } = tree.getHierarchyBoundingVectors(true);
    camera.target = min.add(max).scale(0.5);
    const radius = max.subtract(min).length() / 2;
    const shots = [];
    for (const distance of distances) {
      camera.radius = distance;
      scene.render();  // picks the level
      await scene.whenReadyAsync();  // its materials compiled
      scene.render();
      const enabled = scene.transformNodes.concat(scene.meshes)
        .filter((node) => /^Tree_LOD\d$/.test(node.name) && node.isEnabled())
        .map((node) => node.name);
      const halfHeight = Math.tan(camera.fov / 2);
      const coverage = Math.PI * radius * radius /
        (4 * distance * distance * halfHeight * halfHeight * engine.getAspectRatio(camera));
      shots.push({ distance, enabled, coverage,
                   picture: document.getElementById('view').toDataURL('image/png') });
    }
    const level = (name) => scene.getNodeByName(name);
    return { radius, shots, levels: [0, 1, 2, 3].map((k) => !!level('Tree_LOD' + k)) };
  }, distances);
}

(async () => {
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const base = `http://127.0.0.1:${server.address().port}`;
  const browser = await chromium.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    args: ['--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--ignore-gpu-blocklist'],
  });
  let failed = false;
  const check = (ok, what) => {
    console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}`);
    failed = failed || !ok;
  };
  try {
    const coverages = [0.5, 0.25, 0.1, 0.02];
    // Babylon's own loader: the file loads, and the full tree stays.
    const plain = await browser.newPage();
    plain.on('pageerror', (error) => check(false, `page error: ${error.message}`));
    await plain.goto(`${base}/plain.html`);
    const loaded = await showAt(plain, [20]);
    check(!loaded.error, `Babylon's own loader loads the file${loaded.error ? ': ' + loaded.error : ''}`);
    if (!loaded.error)
      check(JSON.stringify(loaded.shots[0].enabled) === '["Tree_LOD0"]',
            `it shows the full tree alone: ${JSON.stringify(loaded.shots[0].enabled)}`);

    // With the levels scripts: the level follows the coverage in both engines.
    for (const engine of ['babylon', 'three']) {
      const levels = await browser.newPage();
      levels.on('pageerror', (error) => check(false, `${engine}: page error: ${error.message}`));
      const open = async () => {
        await levels.goto(`${base}/${engine === 'babylon' ? 'levels' : 'three'}.html`);
        if (engine === 'three') await levels.waitForFunction(() => window.ready);
      };
      const show = (distances) => engine === 'babylon' ? showAt(levels, distances)
                                                       : levels.evaluate((d) => window.showAt(d), distances);
      // Distances at which the coverage lies inside each level's band, and beyond the last.
      await open();
      const probe = await show([10]);
      if (probe.error) throw new Error(probe.error);
      const unit = probe.shots[0].coverage * 100;  // the coverage at a distance of 1
      const within = [0.7, 0.35, 0.15, 0.04, 0.01].map((coverage) => Math.sqrt(unit / coverage));
      await open();
      const result = await show(within);
      check(result.levels.every(Boolean), `${engine}: every level is loaded`);
      result.shots.forEach((shot, k) => {
        const expected = k < 4 ? ['Tree_LOD' + k] : [];
        check(JSON.stringify(shot.enabled) === JSON.stringify(expected),
              `${engine} at ${shot.distance.toFixed(1)} m (coverage ${shot.coverage.toFixed(3)}, the level from ` +
              `${coverages.findIndex((c) => shot.coverage >= c)}): shown ${JSON.stringify(shot.enabled)}`);
      });
      if (pictures) {
        fs.mkdirSync(pictures, { recursive: true });
        result.shots.forEach((shot, k) => fs.writeFileSync(path.join(pictures, `${engine}-${k}.png`),
                                                           Buffer.from(shot.picture.split(',')[1], 'base64')));
      }
    }
  } catch (error) {
    check(false, String(error && error.stack || error));
  } finally {
    await browser.close();
    server.close();
  }
  process.exit(failed ? 1 : 0);
})();
