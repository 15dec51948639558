// Validates glTF files (.glb, or .gltf with the files beside it) with the Khronos
// glTF validator. Prints one line per file, then every error and warning;
// exits 1 when any file has an error or a warning.
// Usage: node validate_gltf.js FILE...
const fs = require('fs');
const path = require('path');
const validator = require('gltf-validator');

(async () => {
  let failed = false;
  for (const file of process.argv.slice(2)) {
    const report = await validator.validateBytes(new Uint8Array(fs.readFileSync(file)), {
      uri: file,
      externalResourceFunction: (uri) => new Promise((resolve, reject) => {
        try {
          resolve(new Uint8Array(fs.readFileSync(path.join(path.dirname(file), decodeURIComponent(uri)))));
        } catch (e) {
          reject(e.toString());
        }
      }),
    });
    const issues = report.issues;
    console.log(`${file}: ${issues.numErrors} errors, ${issues.numWarnings} warnings`);
    for (const m of issues.messages) if (m.severity <= 1) console.log(`  ${m.code} ${m.pointer || ''} ${m.message}`);
    failed = failed || issues.numErrors > 0 || issues.numWarnings > 0;
  }
  process.exit(failed ? 1 : 0);
})();
