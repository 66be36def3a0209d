// Media files for the browser tests, written byte by byte so that no encoder is needed:
// a GIF and an uncompressed RGB TIFF picture of the same pattern, a µ-law AU sound, and
// the stack that shows the pictures (with a JPEG the browser encodes) and plays the sound.

// The pattern: RGB bytes of a w x h picture with bands, a diagonal and a frame, so that a
// picture drawn shifted, flipped or with its colours swapped does not match.
export function pattern(w, h) {
  const rgb = new Uint8Array(w * h * 3);
  for (let y = 0; y < h; ++y) {
    for (let x = 0; x < w; ++x) {
      const edge = x === 0 || y === 0 || x === w - 1 || y === h - 1;
      const diagonal = Math.abs(x - y) < 2;
      const colour = edge ? [0, 0, 0] : diagonal ? [255, 255, 255]
        : [[220, 30, 30], [30, 160, 40], [20, 40, 200], [250, 200, 0]][Math.floor(x * 4 / w)];
      rgb.set(colour, (y * w + x) * 3);
    }
  }
  return rgb;
}

// A GIF of the pattern: its colours as the palette, the indices packed with nine-bit codes
// and a clear code often enough that the code width never grows.
export function gif(w, h) {
  const rgb = pattern(w, h);
  const palette = [];
  const indices = new Uint8Array(w * h);
  for (let i = 0; i < w * h; ++i) {
    const key = rgb[i * 3] << 16 | rgb[i * 3 + 1] << 8 | rgb[i * 3 + 2];
    let at = palette.indexOf(key);
    if (at < 0) at = palette.push(key) - 1;
    indices[i] = at;
  }
  const bytes = [...Buffer.from('GIF89a'), w & 255, w >> 8, h & 255, h >> 8, 0xF7, 0, 0];
  for (let i = 0; i < 256; ++i) {
    const c = palette[i] || 0;
    bytes.push(c >> 16, (c >> 8) & 255, c & 255);
  }
  bytes.push(0x2C, 0, 0, 0, 0, w & 255, w >> 8, h & 255, h >> 8, 0, 8);
  const packed = [];
  let bits = 0, held = 0;
  const put = (code) => {
    held |= code << bits;
    bits += 9;
    while (bits >= 8) {
      packed.push(held & 255);
      held >>= 8;
      bits -= 8;
    }
  };
  for (let i = 0; i < indices.length; ++i) {
    if (i % 200 === 0) put(256);
    put(indices[i]);
  }
  put(257);
  if (bits) packed.push(held & 255);
  for (let i = 0; i < packed.length; i += 255) {
    const block = packed.slice(i, i + 255);
    bytes.push(block.length, ...block);
  }
  bytes.push(0, 0x3B);
  return Buffer.from(bytes);
}

// An uncompressed RGB TIFF of the pattern, little-endian, one strip.
export function tiff(w, h) {
  const rgb = pattern(w, h);
  const tags = [[256, 3, 1, w], [257, 3, 1, h], [258, 3, 3, 0], [259, 3, 1, 1], [262, 3, 1, 2],
                [273, 4, 1, 0], [277, 3, 1, 3], [278, 3, 1, h], [279, 4, 1, rgb.length]];
  const ifd = 8, bitsAt = ifd + 2 + tags.length * 12 + 4, dataAt = bitsAt + 6;
  tags[2][3] = bitsAt;
  tags[5][3] = dataAt;
  const out = Buffer.alloc(dataAt + rgb.length);
  out.write('II', 0, 'latin1');
  out.writeUInt16LE(42, 2);
  out.writeUInt32LE(ifd, 4);
  out.writeUInt16LE(tags.length, ifd);
  tags.forEach(([tag, type, count, value], i) => {
    const at = ifd + 2 + i * 12;
    out.writeUInt16LE(tag, at);
    out.writeUInt16LE(type, at + 2);
    out.writeUInt32LE(count, at + 4);
    if (type === 3 && count === 1) out.writeUInt16LE(value, at + 8);
    else out.writeUInt32LE(value, at + 8);
  });
  for (let i = 0; i < 3; ++i) out.writeUInt16LE(8, bitsAt + i * 2);
  out.set(rgb, dataAt);
  return out;
}

// G.711 µ-law of a 16-bit sample.
function muLaw(sample) {
  const sign = sample < 0 ? 0x80 : 0;
  let magnitude = Math.min(Math.abs(sample), 32635) + 132;
  let exponent = 7;
  for (let mask = 0x4000; (magnitude & mask) === 0 && exponent > 0; mask >>= 1) --exponent;
  const mantissa = (magnitude >> (exponent + 3)) & 15;
  return ~(sign | exponent << 4 | mantissa) & 255;
}

// An AU file of µ-law samples: a 440 Hz tone of `seconds` at 8 kHz, near full level.
export function muLawAu(seconds) {
  const rate = 8000, count = Math.round(rate * seconds);
  const out = Buffer.alloc(24 + count);
  out.write('.snd', 0, 'latin1');
  out.writeUInt32BE(24, 4);
  out.writeUInt32BE(count, 8);
  out.writeUInt32BE(1, 12);  // 8-bit µ-law
  out.writeUInt32BE(rate, 16);
  out.writeUInt32BE(1, 20);
  for (let i = 0; i < count; ++i) out[24 + i] = muLaw(Math.round(24000 * Math.sin(2 * Math.PI * 440 * i / rate)));
  return out;
}

// The media stack: one card with the three pictures beside it and a button that plays
// the sound file beside it.
export const mediaStack = {
  stack: {width: 512, height: 342, depth: 8},
  cards: [{
    id: 2, kind: 'shared', name: 'Media',
    objects: [
      {type: 'graphic', id: 1, rect: [24, 40, 120, 104], name: 'Gif', path: 'beside.gif'},
      {type: 'graphic', id: 2, rect: [144, 40, 240, 104], name: 'Jpeg', path: 'beside.jpg'},
      {type: 'graphic', id: 3, rect: [264, 40, 360, 104], name: 'Tiff', path: 'beside.tif'},
      {type: 'button', id: 4, rect: [150, 276, 280, 332], style: 0, name: 'Hum',
       actions: [{kind: 'sound', path: 'Disk:hum.au'}]},
    ],
  }],
};
