// One variant's video stream in the page: downloaded as it arrives (a
// StreamDownload), cut into decode units ({data, type, index}: type 0 a key
// frame, index the picture number), so that the player knows how many
// seconds are here, where its key frames are, and what to hand the decoder.
// The stream files carry no index, so a stream is read from its start; its
// units are kept (compressed) so that seeking back costs no download.

/** Seconds of pictures downloaded ahead of the play position before the download pauses. */
const VIDEO_DOWNLOAD_AHEAD_SECONDS = 60;

class VideoTrack {
  constructor(url, name, pair, meter, onChange) {
    this.url = url;
    this.name = name;
    this.pair = pair;
    this.meter = meter;
    this.onChange = onChange;
    this.header = null;
    this.head = new Uint8Array(0);
    this.units = [];
    this.pictureCount = 0;
    this.splitter = new Mp4vStreamSplitter();
    this.download = null;
    this.failure = null;
    this.playTime = 0;         // where playing is: the download pauses far enough ahead of it
  }

  get fps() {
    return this.header && this.header.frameRateX1e6 ? this.header.frameRateX1e6 / 1e6 : 25;
  }

  get done() {
    return this.download !== null && this.download.done;
  }

  /** Seconds of pictures here. */
  get seconds() {
    return this.pictureCount / this.fps;
  }

  /** Starts the download, or goes on where a cancelled one stopped (nothing is fetched twice). */
  start() {
    if (this.download && !this.download.cancelled && !this.download.failure) return;
    const from = this.download ? this.download.offset : 0;
    const d = new StreamDownload(this.url, this.name, this.meter, (piece, at) => this.take(piece, at),
      () => this.seconds - this.playTime < VIDEO_DOWNLOAD_AHEAD_SECONDS);
    this.download = d;
    d.run(from).then(() => {
      if (d !== this.download || d.cancelled) return;
      if (d.failure) this.failure = d.failure;
      else this.finish();
      this.onChange();
    });
  }

  cancel() {
    if (this.download) this.download.cancel();
  }

  /** Tells the track where playing is, so that its download goes on when it may. */
  setPlayTime(t) {
    this.playTime = t;
    if (this.download && this.seconds - t < VIDEO_DOWNLOAD_AHEAD_SECONDS) this.download.resume();
  }

  take(piece, at) {
    if (this.header === null) {
      const joined = new Uint8Array(this.head.length + piece.length);
      joined.set(this.head, 0);
      joined.set(piece, this.head.length);
      this.head = joined;
      if (joined.length < VIDEO_HEADER_BYTES) return;
      this.header = parseVideoHeader(joined, this.name);
      piece = joined.subarray(VIDEO_HEADER_BYTES);
      at = VIDEO_HEADER_BYTES;
      this.head = null;
    }
    // Bytes after the stream the header describes are not part of it.
    const payloadAt = at - VIDEO_HEADER_BYTES;
    const use = Math.max(0, Math.min(piece.length, this.header.dataSize - payloadAt));
    this.splitter.feed(piece.subarray(0, use));
    for (let unit = this.splitter.next(); unit !== null; unit = this.splitter.next()) this.add(unit);
    this.onChange();
  }

  finish() {
    if (this.header === null) {
      this.failure = new DownloadError(this.name + " is shorter than a video stream's headers", false);
      return;
    }
    const last = this.splitter.finish();
    if (last !== null) this.add(last);
  }

  add(data) {
    const type = unitCodingType(data);
    this.units.push({ data, type, index: this.pictureCount });
    if (type !== -1) this.pictureCount++;
  }

  /** The unit of the last key frame at or before picture `index`, else 0. */
  keyUnitAtOrBefore(index) {
    let k = 0;
    for (let i = 0; i < this.units.length && this.units[i].index <= index; i++) {
      if (this.units[i].type === 0) k = i;
    }
    return k;
  }

  /** The unit of the first key frame at or after picture `index`, or -1 when not downloaded yet. */
  keyUnitAtOrAfter(index) {
    for (let i = 0; i < this.units.length; i++) {
      const u = this.units[i];
      if (u.type === 0 && u.index >= index) return i;
    }
    return -1;
  }

  /** The unit holding picture `index`, or -1. */
  unitOfPicture(index) {
    for (let i = 0; i < this.units.length; i++) if (this.units[i].index === index && this.units[i].type !== -1) return i;
    return -1;
  }
}
