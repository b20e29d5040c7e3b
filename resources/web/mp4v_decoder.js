// Decodes an MPEG-4 video elementary stream one unit at a time (as
// Mp4vStreamSplitter cuts it): configuration headers, then I- and
// P-pictures. Whatever it cannot decode it conceals with a copy of the
// previous picture, so a damaged stream still yields one picture per picture
// header.

class Mp4vDecoder {
  constructor() {
    this.bits = new Mp4vBits();
    this.quant = new Mp4vQuant();
    this.vop = new Mp4vVopHeader();
    this.vol = null;
    this.volDamaged = false;
    this.objectVerid = 1;
    this.macroblock = null;
    this.mbWidth = 0;
    this.mbHeight = 0;
    this.cur = null;
    this.ref = null;
    this.haveRef = false;
    this.timeBaseSeconds = 0;
    this.lastTime = 0;
    this.damaged = 0;
    this.damageReason = null;
  }

  get width() {
    return this.vol ? this.vol.width : 0;
  }

  get height() {
    return this.vol ? this.vol.height : 0;
  }

  /**
   * Decodes one unit (a Uint8Array: headers and/or one picture). Returns the
   * picture it completes, or null when it holds none. Never throws.
   */
  decode(unit) {
    try {
      if (!(unit instanceof Uint8Array)) return null;
      this.bits.reset(unit, 0, unit.length);
      let result = null;
      for (let code = this.bits.nextStartCode(); code >= 0; code = this.bits.nextStartCode()) {
        const p = this.startCode(code);
        if (p !== null) result = p;
      }
      return result;
    } catch (e) {
      try {
        return this.conceal('undecodable data (' + (e && e.name ? e.name : 'error') + ')');
      } catch (ignored) {
        return null;
      }
    }
  }

  startCode(code) {
    if (code >= 0x20 && code <= 0x2f) {
      this.videoLayer();
    } else if (code === 0xb5) {
      this.visualObject();
    } else if (code === 0xb3) {
      this.groupOfVops();
    } else if (code === 0xb6) {
      return this.picture();
    }
    return null;  // video object, sequence, user data and other headers carry nothing needed
  }

  videoLayer() {
    let layer;
    try {
      layer = parseVideoLayer(this.bits, this.objectVerid);
    } catch (e) {
      if (e !== MP4V_DAMAGE) throw e;
      this.volDamaged = true;
      return;
    }
    this.volDamaged = false;
    if (layer.mpegQuant) this.quant.useMpeg(layer.intraMatrix, layer.interMatrix);
    else this.quant.useH263();
    const mbw = (layer.width + 15) >> 4;
    const mbh = (layer.height + 15) >> 4;
    if (this.macroblock === null || this.mbWidth !== mbw || this.mbHeight !== mbh) {
      this.mbWidth = mbw;
      this.mbHeight = mbh;
      this.macroblock = new Mp4vMacroblock(new Mp4vMbMap(mbw, mbh), this.quant);
      this.cur = new Mp4vFrame(mbw, mbh);
      this.ref = new Mp4vFrame(mbw, mbh);
      this.haveRef = false;
    }
    this.vol = layer;
  }

  visualObject() {
    if (this.bits.bit() !== 0) {
      this.objectVerid = this.bits.read(4);
      this.bits.skip(3);
    } else {
      this.objectVerid = 1;
    }
  }

  groupOfVops() {
    const hours = this.bits.read(5);
    const minutes = this.bits.read(6);
    this.bits.marker();
    const seconds = this.bits.read(6);
    this.timeBaseSeconds = hours * 3600 + minutes * 60 + seconds;
  }

  picture() {
    const vol = this.vol;
    if (vol === null || this.volDamaged) {
      return this.haveRef ? this.conceal('picture without a valid layer header') : null;
    }
    const vop = this.vop;
    try {
      vop.parse(this.bits, vol);
    } catch (e) {
      return this.conceal('damaged picture header');
    }
    if (vop.type !== VOP_B) {
      this.timeBaseSeconds += vop.moduloTimeBase;
      this.lastTime = this.timeBaseSeconds * vol.timeResolution + vop.timeIncrement;
    }
    if (vol.unsupported !== null) return this.conceal('not supported: ' + vol.unsupported);
    // A picture marked not coded repeats the previous one, which simply stays
    // on screen: like FFmpeg's decoder, this hands out no picture for it.
    if (!vop.coded) return null;
    if (vop.type === VOP_B || vop.type === VOP_S) {
      return this.conceal(vop.type === VOP_B ? 'not supported: B-pictures' : 'not supported: sprite pictures');
    }
    const noReference = vop.type === VOP_P && !this.haveRef;
    if (noReference) this.ref.fillGrey();
    try {
      this.decodePicture();
    } catch (e) {
      return this.conceal('damaged picture data');
    }
    const done = this.cur;
    this.cur = this.ref;
    this.ref = done;
    this.haveRef = true;
    if (noReference) return this.conceal('predicted picture without a picture to predict from');
    return done.crop(vol.width, vol.height, vop.type === VOP_I, false, this.lastTime, vol.timeResolution);
  }

  /** The macroblocks in raster order, following the video packets that resync markers start. */
  decodePicture() {
    const bits = this.bits;
    const vol = this.vol;
    const vop = this.vop;
    const mb = this.macroblock;
    mb.startPicture(bits, this.cur, this.ref, vop);
    const mbWidth = this.mbWidth;
    const count = mbWidth * this.mbHeight;
    const packets = !vol.resyncMarkerDisable;
    const zeros = vop.resyncZeros();
    const intra = vop.type === VOP_I;
    for (let i = 0; i < count; i++) {
      if (packets && i > 0 && bits.atResyncMarker(zeros)) {
        if (vop.parsePacket(bits, vol, count) !== i) throw MP4V_DAMAGE;
        mb.qp = vop.quant;
        mb.packet++;
      }
      const mbx = i % mbWidth;
      const mby = (i / mbWidth) | 0;
      if (intra) mb.decodeIntraPicture(mbx, mby);
      else mb.decodePredictedPicture(mbx, mby);
      bits.checkOverrun();
    }
  }

  conceal(reason) {
    if (this.ref === null || this.vol === null) return null;
    this.damaged++;
    this.damageReason = reason;
    if (!this.haveRef) {
      this.ref.fillGrey();
      this.haveRef = true;
    }
    return this.ref.crop(this.vol.width, this.vol.height, false, true, this.lastTime, this.vol.timeResolution);
  }
}
