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

// MACE packets of `seconds` at 22050 Hz, mono: 3 (MACE 3:1, two bytes a packet) or 6
// (MACE 6:1, one byte). The bytes come from a fixed sequence, so the sound is a loud noise
// that is the same on every run.
function macePackets(kind, seconds) {
  const packets = Math.round(22050 * seconds / 6);
  const bytes = Buffer.alloc(packets * (kind === 3 ? 2 : 1));
  let state = 12345;
  for (let i = 0; i < bytes.length; ++i) {
    state = (Math.imul(state, 1103515245) + 12345) >>> 0;
    bytes[i] = state >>> 24;
  }
  return {packets, bytes};
}

// The 80-bit extended form of a whole number.
function extended80(value) {
  const out = Buffer.alloc(10);
  let shift = 0;
  while (!(value & (0x80000000 >>> shift))) ++shift;
  out.writeUInt16BE(16383 + 31 - shift, 0);
  out.writeUInt32BE((value << shift) >>> 0, 2);
  return out;
}

// A stored 'Snd ' resource (format 2, no commands) of MACE packets: the compressed header
// names 'MAC3' or 'MAC6' and its compression id (3 or 4).
export function maceSnd(kind, seconds) {
  const {packets, bytes} = macePackets(kind, seconds);
  const header = Buffer.alloc(64);
  header.writeUInt32BE(1, 4);              // channels
  header.writeUInt32BE(22050 * 65536, 8);  // rate, 16.16
  header[20] = 0xFE;                       // compressed
  header[21] = 60;
  header.writeUInt32BE(packets, 22);
  extended80(22050).copy(header, 26);
  header.write(kind === 3 ? 'MAC3' : 'MAC6', 40, 'latin1');
  header.writeInt16BE(kind === 3 ? 3 : 4, 56);
  header.writeUInt16BE(8, 62);
  return Buffer.concat([Buffer.from([0, 2, 0, 0, 0, 0]), header, bytes]);
}

// An AIFC file of MACE packets.
export function maceAifc(kind, seconds) {
  const {packets, bytes} = macePackets(kind, seconds);
  const chunk = (id, body) => {
    const head = Buffer.alloc(8);
    head.write(id, 0, 'latin1');
    head.writeUInt32BE(body.length, 4);
    return Buffer.concat([head, body, Buffer.alloc(body.length & 1)]);
  };
  const name = kind === 3 ? 'MACE 3-to-1' : 'MACE 6-to-1';
  const comm = Buffer.alloc(18 + 4 + 1 + name.length);
  comm.writeUInt16BE(1, 0);
  comm.writeUInt32BE(packets, 2);
  comm.writeUInt16BE(8, 6);
  extended80(22050).copy(comm, 8);
  comm.write(kind === 3 ? 'MAC3' : 'MAC6', 18, 'latin1');
  comm[22] = name.length;
  comm.write(name, 23, 'latin1');
  const fver = Buffer.alloc(4);
  fver.writeUInt32BE(0xA2805140, 0);
  const body = Buffer.concat([Buffer.from('AIFC', 'latin1'), chunk('FVER', fver), chunk('COMM', comm),
                              chunk('SSND', Buffer.concat([Buffer.alloc(8), bytes]))]);
  return chunk('FORM', body);
}

// The MACE stack: buttons for a MACE 3:1 and a MACE 6:1 sound the stack keeps, and one
// for a MACE 3:1 AIFC file beside it.
export const maceStack = {
  stack: {width: 512, height: 342, depth: 8},
  cards: [{
    id: 2, name: 'Mace',
    objects: [
      {type: 'button', id: 1, rect: [20, 20, 160, 60], style: 0, name: 'Three',
       actions: [{kind: 'stackSound', id: 9}]},
      {type: 'button', id: 2, rect: [180, 20, 320, 60], style: 0, name: 'Six',
       actions: [{kind: 'stackSound', id: 10}]},
      {type: 'button', id: 3, rect: [340, 20, 480, 60], style: 0, name: 'File',
       actions: [{kind: 'sound', path: 'Disk:mace.aif'}]},
    ],
  }],
  resources: [{type: 'Snd ', id: 9, name: 'Three', file: 'mace3.snd'},
              {type: 'Snd ', id: 10, name: 'Six', file: 'mace6.snd'}],
};
