// The video object layer header (picture size, time resolution, coding
// tools) and the header of one video object plane (picture) and of the video
// packets inside it.

/** Largest picture accepted, in macroblocks (4096 x 2304). */
const MAX_MACROBLOCKS = 256 * 144;

const VOP_I = 0;
const VOP_P = 1;
const VOP_B = 2;
const VOP_S = 3;

/** Bits needed for the values 0..count-1, at least 1. */
function bitsFor(count) {
  return Math.max(1, 32 - Math.clz32(count - 1));
}

/**
 * Parses the header after a video object layer start code; objectVerid is
 * the version of the enclosing visual object header. `unsupported` names the
 * first tool this decoder does not implement (its pictures are then
 * concealed), or is null.
 */
function parseVideoLayer(bits, objectVerid) {
  const vol = {
    width: 0, height: 0, timeResolution: 0, timeIncrementBits: 1, interlaced: false, spriteEnable: 0,
    mpegQuant: false, intraMatrix: null, interMatrix: null, resyncMarkerDisable: false,
    reducedResolutionEnable: false, unsupported: null,
  };
  const unsupported = (what) => {
    if (vol.unsupported === null) vol.unsupported = what;
    return vol;
  };
  bits.skip(1);  // random_accessible_vol
  const objectType = bits.read(8);
  let verid = objectVerid;
  if (bits.bit() !== 0) {
    verid = bits.read(4);
    bits.skip(3);  // priority
  }
  if (bits.read(4) === 15) bits.skip(16);  // pixel aspect ratio width and height
  if (bits.bit() !== 0) {  // vol_control_parameters
    if (bits.read(2) !== 1) vol.unsupported = 'chroma format other than 4:2:0';
    bits.skip(1);  // low_delay
    if (bits.bit() !== 0) skipVbvParameters(bits);
  }
  if (bits.read(2) !== 0) return unsupported('shaped video objects');
  bits.marker();
  vol.timeResolution = bits.read(16);
  bits.marker();
  if (vol.timeResolution === 0) throw MP4V_DAMAGE;
  vol.timeIncrementBits = bitsFor(vol.timeResolution);
  if (bits.bit() !== 0) bits.skip(vol.timeIncrementBits);  // fixed_vop_time_increment
  bits.marker();
  vol.width = bits.read(13);
  bits.marker();
  vol.height = bits.read(13);
  bits.marker();
  if (vol.width === 0 || vol.height === 0
      || ((vol.width + 15) >> 4) * ((vol.height + 15) >> 4) > MAX_MACROBLOCKS) {
    throw MP4V_DAMAGE;
  }
  vol.interlaced = bits.bit() !== 0;
  bits.skip(1);  // obmc_disable
  vol.spriteEnable = verid === 1 ? bits.bit() : bits.read(2);
  if (vol.spriteEnable !== 0) return unsupported('sprites and global motion');
  if (bits.bit() !== 0) {  // not_8_bit
    const quantPrecision = bits.read(4);
    const bitsPerPixel = bits.read(4);
    if (quantPrecision !== 5 || bitsPerPixel !== 8) return unsupported('samples other than 8 bits');
  }
  vol.mpegQuant = bits.bit() !== 0;
  if (vol.mpegQuant) {
    if (bits.bit() !== 0) vol.intraMatrix = readMatrix(bits);
    if (bits.bit() !== 0) vol.interMatrix = readMatrix(bits);
  }
  if (verid !== 1 && bits.bit() !== 0) return unsupported('quarter-pel motion');
  if (bits.bit() === 0) return unsupported('complexity estimation headers');
  vol.resyncMarkerDisable = bits.bit() !== 0;
  if (bits.bit() !== 0) return unsupported('data partitioning');
  if (verid !== 1) {
    if (bits.bit() !== 0) return unsupported('NEWPRED');
    vol.reducedResolutionEnable = bits.bit() !== 0;
  }
  if (bits.bit() !== 0) return unsupported('scalability');
  if (objectType === 0x12) return unsupported('fine granularity scalability');
  if (vol.interlaced) return unsupported('interlaced video');
  return vol;
}

function skipVbvParameters(bits) {
  bits.skip(15);
  bits.marker();
  bits.skip(15);
  bits.marker();
  bits.skip(15);
  bits.marker();
  bits.skip(3 + 11);
  bits.marker();
  bits.skip(15);
  bits.marker();
}

/** A matrix in zigzag order; a 0 ends it early, the last value then fills the rest. */
function readMatrix(bits) {
  const m = new Int32Array(64);
  let last = 0;
  let i = 0;
  for (; i < 64; i++) {
    const v = bits.read(8);
    if (v === 0) break;
    last = v;
    m[Mp4vTables.ZIGZAG[i]] = v;
  }
  if (last === 0) throw MP4V_DAMAGE;
  for (; i < 64; i++) m[Mp4vTables.ZIGZAG[i]] = last;
  return m;
}

class Mp4vVopHeader {
  constructor() {
    this.type = VOP_I;
    this.moduloTimeBase = 0;
    this.timeIncrement = 0;
    this.coded = false;
    this.rounding = 0;
    this.intraDcThreshold = 0;
    this.quant = 1;
    this.fcode = 1;
  }

  /** Parses the header after a VOP start code, up to the first macroblock. */
  parse(bits, vol) {
    this.type = bits.read(2);
    this.moduloTimeBase = readModuloTimeBase(bits);
    bits.marker();
    this.timeIncrement = bits.read(vol.timeIncrementBits);
    bits.marker();
    this.coded = bits.bit() !== 0;
    if (!this.coded) return;
    const type = this.type;
    this.rounding = type === VOP_P ? bits.bit() : 0;
    if (vol.reducedResolutionEnable && (type === VOP_P || type === VOP_I) && bits.bit() !== 0) {
      throw MP4V_DAMAGE;  // reduced resolution pictures are not decoded
    }
    this.intraDcThreshold = bits.read(3);
    this.quant = bits.read(5);
    if (this.quant === 0) throw MP4V_DAMAGE;
    if (type !== VOP_I) {
      this.fcode = bits.read(3);
      if (this.fcode === 0) throw MP4V_DAMAGE;
    }
    if (type === VOP_B) bits.skip(3);
  }

  /** Zero bits before the final 1 of this picture's resync marker. */
  resyncZeros() {
    return this.type === VOP_I ? 16 : 15 + this.fcode;
  }

  /**
   * Parses a video packet header after its resync marker (the reader stands
   * on the marker) and returns the number of its first macroblock; sets quant
   * to the packet's quantiser.
   */
  parsePacket(bits, vol, mbCount) {
    bits.skipStuffing();
    bits.skip(this.resyncZeros() + 1);
    const first = bits.read(bitsFor(mbCount));
    if (first >= mbCount) throw MP4V_DAMAGE;
    this.quant = bits.read(5);
    if (this.quant === 0) throw MP4V_DAMAGE;
    if (bits.bit() !== 0) {  // header extension: a copy of the picture's header fields
      readModuloTimeBase(bits);
      bits.marker();
      bits.skip(vol.timeIncrementBits);
      bits.marker();
      if (bits.read(2) !== this.type) throw MP4V_DAMAGE;
      bits.skip(3);  // intra_dc_vlc_thr
      if (this.type !== VOP_I) bits.skip(3);
      if (this.type === VOP_B) bits.skip(3);
    }
    return first;
  }
}

function readModuloTimeBase(bits) {
  let n = 0;
  while (bits.bit() !== 0) {
    if (++n > 3600) throw MP4V_DAMAGE;
  }
  return n;
}
