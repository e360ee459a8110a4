// Two pictures of the same size compared as rasterisers may differ and what is drawn may not:
// the mean absolute difference per channel (0..255) and the worst 32x32 block's mean.
//
//   node image_compare.mjs A.png B.png [MEAN_MAX BLOCK_MAX]
//
// Prints "mean M, worst block B at (x, y)"; exits 1 when M > MEAN_MAX or B > BLOCK_MAX (3 and 16
// by default). Decodes through ffmpeg.
import { execFileSync } from 'node:child_process';
import { existsSync } from 'node:fs';

const [a, b, meanMax = '3', blockMax = '16'] = process.argv.slice(2);
const BLOCK = 32;

function rgb(path) {
  const probe = execFileSync('ffprobe', ['-v', 'error', '-select_streams', 'v:0', '-show_entries',
    'stream=width,height', '-of', 'csv=p=0', path]).toString().trim().split(',').map(Number);
  const pixels = execFileSync('ffmpeg', ['-v', 'error', '-i', path, '-f', 'rawvideo', '-pix_fmt',
    'rgb24', '-'], { maxBuffer: 1 << 28 });
  return { w: probe[0], h: probe[1], pixels };
}

for (const path of [a, b])
  if (!existsSync(path)) {
    console.log(`no picture ${path}`);
    process.exit(1);
  }
const A = rgb(a), B = rgb(b);
if (A.w !== B.w || A.h !== B.h) {
  console.log(`sizes differ: ${A.w}x${A.h} and ${B.w}x${B.h}`);
  process.exit(1);
}
let total = 0;
let worst = { mean: 0, x: 0, y: 0 };
for (let by = 0; by < A.h; by += BLOCK)
  for (let bx = 0; bx < A.w; bx += BLOCK) {
    let sum = 0, n = 0;
    for (let y = by; y < Math.min(by + BLOCK, A.h); y++)
      for (let x = bx; x < Math.min(bx + BLOCK, A.w); x++)
        for (let c = 0; c < 3; c++, n++) {
          const i = (y * A.w + x) * 3 + c;
          sum += Math.abs(A.pixels[i] - B.pixels[i]);
        }
    total += sum;
    if (sum / n > worst.mean)
      worst = { mean: sum / n, x: bx, y: by };
  }
const mean = total / (A.w * A.h * 3);
console.log(`mean ${mean.toFixed(2)}, worst block ${worst.mean.toFixed(1)} at (${worst.x}, ${worst.y})`);
process.exit(mean > Number(meanMax) || worst.mean > Number(blockMax) ? 1 : 0);
