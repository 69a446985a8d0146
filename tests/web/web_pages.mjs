// The web build in a real browser: Debian's chromium, headless, with WebGL 2 on SwiftShader,
// driven through puppeteer-core. The pages come from a static server of our own over build-web/.
//
//   node web_pages.mjs WEB_BUILD chooser
//   node web_pages.mjs WEB_BUILD fingerprint NATIVE_FINGERPRINT_BIN
//   node web_pages.mjs WEB_BUILD frames VALE_TOOL WxH [MAX_MEAN_DIFFERENCE]
//   node web_pages.mjs WEB_BUILD timing
// Exits 0 when the check holds, 1 when it does not (saying why), 77 when no browser is installed.
import { execFileSync } from "node:child_process";
import fs from "node:fs";
import http from "node:http";
import os from "node:os";
import path from "node:path";
import zlib from "node:zlib";

const CHROMIUM = process.env.VALE_CHROMIUM || "/usr/bin/chromium";
const [webBuild, check, ...rest] = process.argv.slice(2);

if (!fs.existsSync(path.join(webBuild, "vale.js"))) {
  console.log(`no web build in ${webBuild} (make web)`);
  process.exit(77);
}
let puppeteer;
try {
  puppeteer = (await import("puppeteer-core")).default;
} catch {
  console.log("puppeteer-core is not installed (scripts/install-deps.sh --web)");
  process.exit(77);
}
if (!fs.existsSync(CHROMIUM)) {
  console.log(`no browser at ${CHROMIUM} (scripts/install-deps.sh --web)`);
  process.exit(77);
}

const TYPES = { ".html": "text/html", ".js": "text/javascript", ".wasm": "application/wasm" };

function serve(root) {
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, "http://x").pathname);
    const file = path.join(path.resolve(root), name === "/" ? "index.html" : name);
    if (!file.startsWith(path.resolve(root)) || !fs.existsSync(file) || fs.statSync(file).isDirectory()) {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, { "Content-Type": TYPES[path.extname(file)] || "application/octet-stream" });
    fs.createReadStream(file).pipe(response);
  });
  return new Promise((resolve) => server.listen(0, "127.0.0.1", () => resolve(server)));
}

async function launch() {
  return puppeteer.launch({
    executablePath: CHROMIUM,
    headless: true,
    args: ["--headless=new", "--use-angle=swiftshader", "--enable-unsafe-swiftshader", "--no-sandbox",
           "--autoplay-policy=no-user-gesture-required", "--window-size=1100,900"],
  });
}

// Waits for the page's title to say it is done; "error: ..." ends the wait as a failure.
async function waitReady(page, timeout) {
  await page.waitForFunction(() => document.title == "ready" || document.title.startsWith("error"), { timeout });
  const title = await page.title();
  if (title != "ready") throw new Error(`the page says ${title}`);
}

// The canvas as RGB rows, top first, read through a 2D canvas (the study pages keep their drawing).
async function canvasRgb(page) {
  const { width, height, data } = await page.evaluate(() => {
    const canvas = document.getElementById("canvas");
    const copy = document.createElement("canvas");
    copy.width = canvas.width;
    copy.height = canvas.height;
    const context = copy.getContext("2d");
    context.drawImage(canvas, 0, 0);
    const rgba = context.getImageData(0, 0, copy.width, copy.height).data;
    let text = "";
    for (let i = 0; i < rgba.length; i += 4) text += String.fromCharCode(rgba[i], rgba[i + 1], rgba[i + 2]);
    return { width: copy.width, height: copy.height, data: btoa(text) };
  });
  return { width, height, rgb: Buffer.from(data, "base64") };
}

// An 8-bit RGB or RGBA PNG without interlacing (what vale-tool writes), decoded to RGB.
function readPng(file) {
  const bytes = fs.readFileSync(file);
  let at = 8, width = 0, height = 0, channels = 3;
  const idat = [];
  while (at < bytes.length) {
    const length = bytes.readUInt32BE(at);
    const type = bytes.toString("latin1", at + 4, at + 8);
    const body = bytes.subarray(at + 8, at + 8 + length);
    if (type == "IHDR") {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      if (body[8] != 8 || body[12] != 0 || (body[9] != 2 && body[9] != 6)) throw new Error(`${file}: not 8-bit RGB`);
      channels = body[9] == 6 ? 4 : 3;
    } else if (type == "IDAT") idat.push(body);
    at += 12 + length;
  }
  const raw = zlib.inflateSync(Buffer.concat(idat));
  const stride = width * channels;
  const out = Buffer.alloc(width * height * 3);
  let previous = Buffer.alloc(stride), row = Buffer.alloc(stride);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let x = 0; x < stride; ++x) {
      const a = x >= channels ? row[x - channels] : 0, b = previous[x], c = x >= channels ? previous[x - channels] : 0;
      let predictor = 0;
      if (filter == 1) predictor = a;
      else if (filter == 2) predictor = b;
      else if (filter == 3) predictor = (a + b) >> 1;
      else if (filter == 4) {
        const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
        predictor = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      }
      row[x] = (line[x] + predictor) & 255;
    }
    for (let x = 0; x < width; ++x) row.copy(out, (y * width + x) * 3, x * channels, x * channels + 3);
    [previous, row] = [row, previous];
  }
  return { width, height, rgb: out };
}

function meanDifference(a, b) {
  let sum = 0;
  for (let i = 0; i < a.length; ++i) sum += Math.abs(a[i] - b[i]);
  return sum / a.length;
}

// Fraction of pixels that are not black, and whether two pictures differ at all.
function litFraction(rgb) {
  let lit = 0;
  for (let i = 0; i < rgb.length; i += 3) if (rgb[i] + rgb[i + 1] + rgb[i + 2] > 24) ++lit;
  return lit / (rgb.length / 3);
}

const server = await serve(webBuild);
const base = `http://127.0.0.1:${server.address().port}/index.html`;
const browser = await launch();
let failed = false;
const fail = (text) => {
  console.log(`FAIL: ${text}`);
  failed = true;
};

try {
  if (check == "fingerprint") {
    const page = await browser.newPage();
    await page.goto(`${base}?fingerprint`);
    await waitReady(page, 600000);
    const web = (await page.$eval("#fingerprint", (pre) => pre.textContent)).trimEnd().split("\n");
    const native = execFileSync(rest[0], { encoding: "utf8", maxBuffer: 1 << 24 }).trimEnd().split("\n");
    console.log(`fingerprint: ${web.length} lines in the page, ${native.length} from ${path.basename(rest[0])}`);
    for (let i = 0; i < Math.max(web.length, native.length); ++i)
      if (web[i] !== native[i]) fail(`line ${i + 1}: page "${web[i]}", native "${native[i]}"`);
  } else if (check == "frames") {
    const [tool, size, limitText] = rest;
    const limit = Number(limitText || 4);
    const [width, height] = size.split("x").map(Number);
    const page = await browser.newPage();
    await page.goto(`${base}?spans`);
    await waitReady(page, 60000);
    const spans = (await page.$eval("#spans", (pre) => pre.textContent)).trim().split("\n").map((l) => l.split(" "));
    const directory = fs.mkdtempSync(path.join(os.tmpdir(), "vale-web-frames-"));
    // One row in the middle of every span: the first row of a span can fall on a frame of the
    // span before it, rows being shorter than frames nowhere but the rounding allows it.
    const toRow = (p) => { const [o, r] = p.split(".").map(Number); return o * 64 + r; };
    for (const [first, last] of spans) {
      const middle = Math.floor((toRow(first) + toRow(last)) / 2);
      const at = `${Math.floor(middle / 64)}.${String(middle % 64).padStart(3, "0")}`;
      const png = path.join(directory, `${at}.png`);
      execFileSync(tool, ["frame", png, "--at", at, "--size", size], { stdio: "ignore" });
      const native = readPng(png);
      const framePage = await browser.newPage();
      await framePage.goto(`${base}?at=${at}&size=${size}`);
      await waitReady(framePage, 300000);
      const web = await canvasRgb(framePage);
      await framePage.close();
      if (web.width != width || web.height != height) {
        fail(`${at}: canvas ${web.width}x${web.height}`);
        continue;
      }
      const difference = meanDifference(web.rgb, native.rgb);
      console.log(`frame ${at} (span ${first}..${last}): mean absolute difference ${difference.toFixed(3)}`);
      if (!(difference <= limit)) fail(`${at}: ${difference.toFixed(3)} levels over ${limit}`);
    }
    fs.rmSync(directory, { recursive: true, force: true });
  } else if (check == "chooser" || check == "timing") {
    const page = await browser.newPage();
    const errors = [];
    page.on("pageerror", (error) => errors.push(String(error)));
    await page.goto(base);
    await page.waitForSelector("#chooser-lines label", { visible: true, timeout: 60000 });
    const labels = await page.$$eval("#chooser-lines label", (lines) => lines.map((l) => l.textContent));
    console.log(`chooser: ${labels.join(" | ")}`);
    if (labels.length != 8 || labels[7] != "windowed") fail(`chooser lines ${JSON.stringify(labels)}`);
    await page.click("#chooser-lines label:nth-child(8) input");
    await page.click("#start");
    await page.waitForFunction(() => (Module.valeFrameTimes || []).length >= 2, { timeout: 300000 });
    const size = await page.$eval("#canvas", (c) => [c.width, c.height, getComputedStyle(c).display]);
    if (size[0] != 800 || size[1] != 600 || size[2] == "none") fail(`windowed canvas ${size.join(" ")}`);
    // The canvas is read as the page shows it: a screenshot of the element, twice, a second apart.
    const shot = async () => {
      const png = path.join(os.tmpdir(), `vale-web-shot-${process.pid}.png`);
      await (await page.$("#canvas")).screenshot({ path: png });
      const picture = readPng(png);
      fs.rmSync(png, { force: true });
      return picture.rgb;
    };
    const first = await shot();
    await new Promise((resolve) => setTimeout(resolve, 1500));
    const second = await shot();
    const lit = litFraction(second);
    const change = meanDifference(first, second);
    console.log(`running: ${(lit * 100).toFixed(1)}% of the canvas lit, ${change.toFixed(2)} levels of change in the interval`);
    if (lit < 0.05) fail("the canvas is not lit");
    if (change <= 0) fail("the canvas does not change");
    if (check == "timing") {
      // The whole presentation, then the frame intervals of each scene.
      // The page starts afresh at the chooser when the run is over: what it kept is read every
      // second until then (the last second's frames are left out).
      let kept = null;
      for (const until = Date.now() + 900000; Date.now() < until; ) {
        await new Promise((resolve) => setTimeout(resolve, 1000));
        const now = await page.evaluate(() => {
          const audio = Module.valeAudioContext;
          return {
            click: Module.valeStartClick, times: Module.valeFrameTimes, scenes: Module.valeFrameScenes,
            audio: audio ? `${audio.state} at ${audio.sampleRate} Hz, played to ${audio.currentTime.toFixed(1)} s, ` +
                           `output latency ${audio.outputLatency} s, base latency ${audio.baseLatency} s` : "none",
          };
        }).catch(() => null);
        if (!now || !now.times) break;
        kept = now;
      }
      const { click, times, scenes, audio } = kept;
      console.log(`audio context: ${audio}`);
      console.log(`start click to first frame: ${(times[0] - click).toFixed(0)} ms; ${times.length} frames`);
      const byScene = new Map();
      for (let i = 1; i < times.length; ++i) {
        if (!byScene.has(scenes[i])) byScene.set(scenes[i], []);
        byScene.get(scenes[i]).push(times[i] - times[i - 1]);
      }
      for (const [scene, intervals] of byScene) {
        intervals.sort((a, b) => a - b);
        const at = (q) => intervals[Math.min(intervals.length - 1, Math.floor(q * intervals.length))].toFixed(1);
        console.log(`${scene}: ${intervals.length} frames, interval median ${at(0.5)} ms, ` +
                    `90th percentile ${at(0.9)} ms, worst ${at(1)} ms`);
      }
    } else {
      await page.keyboard.press("Escape");
      await page.waitForSelector("#chooser-lines label", { visible: true, timeout: 60000 });
      console.log("Escape: back at the chooser");
    }
    if (errors.length) fail(`page errors: ${errors.join("; ")}`);
  } else {
    console.log(`unknown check ${check}`);
    failed = true;
  }
} catch (error) {
  fail(String(error));
} finally {
  await browser.close();
  server.close();
}
process.exit(failed ? 1 : 0);
