// Plays one SWF file in Ruffle inside Debian's chromium and reports what a test asked for.
//
//   node play.mjs JOB.json      prints one JSON object on stdout
//
// JOB: { "swf": path, "width": px, "height": px, "steps": [step, ...] } with steps
//   { "wait": ms }                                   let the movie run
//   { "waitFor": "command", "timeout": ms }          until the movie sends that FSCommand
//   { "pixels": name, "points": [[x, y], ...] }      colours at stage pixels -> pixels[name]
//   { "screenshot": path }                           PNG of the stage
//   { "move": [x, y] } / { "click": [x, y] }         the mouse at stage pixels
//   { "key": "a" }                                   a key press (down and up)
// Result: { "pixels": {name: [[r, g, b, a], ...]}, "fscommands": [[command, args], ...],
//           "errors": [text, ...] }
import { readFileSync, mkdtempSync, rmSync, createReadStream, statSync } from "node:fs";
import { createServer } from "node:http";
import { tmpdir } from "node:os";
import { join, dirname, extname } from "node:path";
import { fileURLToPath } from "node:url";
import { chromium } from "playwright-core";

const here = dirname(fileURLToPath(import.meta.url));
const ruffleDir = join(here, "node_modules", "@ruffle-rs", "ruffle");
const job = JSON.parse(readFileSync(process.argv[2], "utf8"));
const types = { ".js": "text/javascript", ".wasm": "application/wasm", ".html": "text/html", ".swf": "application/x-shockwave-flash", ".map": "application/json" };

const page = `<!doctype html><html><head><meta charset="utf-8"></head>
<body style="margin:0;overflow:hidden;background:#808080">
<div id="stage"></div>
<script>
  window.RufflePlayer = window.RufflePlayer || {};
  // Networking stays allowed: the player counts FSCommand as networking.
  window.RufflePlayer.config = { autoplay: "on", unmuteOverlay: "hidden", splashScreen: false,
    letterbox: "off", contextMenu: "off", warnOnUnsupportedContent: false, allowScriptAccess: true,
    openUrlMode: "deny", polyfills: false, logLevel: "warn",
    // The plain WebGL renderer: the default one takes a software adapter as a reason to cover the
    // stage with a hint about hardware acceleration at the first mouse-over.
    preferredRenderer: "webgl" };
  window.fscommands = [];
  window.addEventListener("DOMContentLoaded", () => {
    const player = window.RufflePlayer.newest().createPlayer();
    player.id = "player";
    player.style.width = "${job.width}px";
    player.style.height = "${job.height}px";
    player.style.display = "block";
    document.getElementById("stage").appendChild(player);
    player.ruffle().addFSCommandHandler((command, args) => { window.fscommands.push([command, args]); });
    player.ruffle().load({ url: "/movie.swf", allowScriptAccess: true });
  });
</script>
<script src="/ruffle/ruffle.js"></script>
</body></html>`;

function serve(req, res) {
  const url = new URL(req.url, "http://127.0.0.1");
  let file = null;
  if (url.pathname === "/") {
    res.writeHead(200, { "content-type": "text/html" });
    res.end(page);
    return;
  }
  if (url.pathname === "/favicon.ico") {
    res.writeHead(204);
    res.end();
    return;
  }
  if (url.pathname === "/movie.swf") file = job.swf;
  else if (url.pathname.startsWith("/ruffle/") && !url.pathname.includes("..")) file = join(ruffleDir, url.pathname.slice(8));
  try {
    if (!file || !statSync(file).isFile()) throw new Error("missing");
  } catch {
    res.writeHead(404);
    res.end();
    return;
  }
  res.writeHead(200, { "content-type": types[extname(file)] || "application/octet-stream" });
  createReadStream(file).pipe(res);
}

const server = createServer(serve);
await new Promise((ok) => server.listen(0, "127.0.0.1", ok));
const port = server.address().port;
const profile = mkdtempSync(join(tmpdir(), "tavlo-e2e-"));
const result = { pixels: {}, fscommands: [], errors: [] };
let context;
try {
  context = await chromium.launchPersistentContext(profile, {
    executablePath: "/usr/bin/chromium",
    headless: true,
    args: ["--no-sandbox", "--disable-gpu", "--disable-background-networking", "--disable-component-update",
      "--disable-sync", "--no-first-run", "--autoplay-policy=no-user-gesture-required"],
    viewport: { width: job.width, height: job.height },
    deviceScaleFactor: 1,
  });
  const tab = context.pages()[0] || (await context.newPage());
  tab.on("pageerror", (e) => result.errors.push(String(e)));
  result.console = [];
  tab.on("console", (m) => {
    if (m.type() === "error") result.errors.push(m.text());
    else result.console.push(m.type() + ": " + m.text());
  });
  tab.on("requestfailed", (r) => result.errors.push("request failed: " + r.url()));
  tab.on("response", (r) => { if (r.status() >= 400 && !r.url().endsWith("/favicon.ico")) result.errors.push(r.status() + " " + r.url()); });
  await tab.goto(`http://127.0.0.1:${port}/`);
  // Ready once the movie has loaded and its first frame has been drawn.
  await tab.waitForFunction(() => {
    const p = document.getElementById("player");
    return p && p.ruffle && p.ruffle().readyState === 2;
  }, null, { timeout: 20000 });
  await tab.waitForTimeout(300);

  const stagePixels = async (points) => {
    const png = await tab.screenshot({ clip: { x: 0, y: 0, width: job.width, height: job.height } });
    return tab.evaluate(async ({ data, points }) => {
      const bytes = Uint8Array.from(atob(data), (c) => c.charCodeAt(0));
      const bitmap = await createImageBitmap(new Blob([bytes], { type: "image/png" }));
      const canvas = new OffscreenCanvas(bitmap.width, bitmap.height);
      const g = canvas.getContext("2d");
      g.drawImage(bitmap, 0, 0);
      return points.map(([x, y]) => Array.from(g.getImageData(x, y, 1, 1).data));
    }, { data: png.toString("base64"), points });
  };

  for (const step of job.steps) {
    if (step.wait !== undefined) await tab.waitForTimeout(step.wait);
    else if (step.waitFor !== undefined)
      await tab.waitForFunction((c) => window.fscommands.some(([command]) => command === c), step.waitFor,
        { timeout: step.timeout || 10000 });
    else if (step.pixels !== undefined) result.pixels[step.pixels] = await stagePixels(step.points);
    else if (step.screenshot !== undefined)
      await tab.screenshot({ path: step.screenshot, clip: { x: 0, y: 0, width: job.width, height: job.height } });
    else if (step.move !== undefined) await tab.mouse.move(step.move[0], step.move[1]);
    else if (step.click !== undefined) {
      await tab.mouse.move(step.click[0], step.click[1]);
      await tab.waitForTimeout(100);
      await tab.mouse.down();
      await tab.waitForTimeout(100);
      await tab.mouse.up();
    } else if (step.key !== undefined) await tab.keyboard.press(step.key);
  }
  result.fscommands = await tab.evaluate(() => window.fscommands);
} catch (e) {
  result.errors.push(String(e && e.message ? e.message : e));
} finally {
  if (context) await context.close();
  server.close();
  rmSync(profile, { recursive: true, force: true });
}
process.stdout.write(JSON.stringify(result) + "\n");
