// One stream file downloaded as a stream of bytes: the body is read as it
// arrives (every piece counted by the link meter), from any byte on with a
// Range request (a server that ignores Range and sends the whole file is
// read from the start and the bytes before are skipped), resumed where it
// broke after a failure (three tries, waiting longer each time), and paused
// by the reader when it has enough, so that memory stays bounded.

const DOWNLOAD_TRIES = 3;
const RETRY_WAIT_MS = [500, 1500, 4000];

class DownloadError extends Error {
  constructor(message, missing) {
    super(message);
    this.missing = missing;  // the file is not there (404, 410): retrying is pointless
  }
}

class StreamDownload {
  /**
   * `name` the file's name (shown in messages), `url` its address, `meter`
   * a LinkMeter (or null), `onBytes(piece, offset)` given each piece with its
   * offset in the file, `wanted()` saying whether more bytes are wanted now.
   */
  constructor(url, name, meter, onBytes, wanted = () => true) {
    this.url = url;
    this.name = name;
    this.meter = meter;
    this.onBytes = onBytes;
    this.wanted = wanted;
    this.offset = 0;           // next byte of the file to arrive
    this.size = -1;            // the file's length once known
    this.done = false;
    this.failure = null;       // a DownloadError once given up
    this.retries = 0;
    this.controller = null;
    this.cancelled = false;
    this.wake = null;
    this.rangeHonoured = null; // null until a ranged request has been answered
  }

  /** Downloads from byte `from` to the end; resolves when done, cancelled or given up. */
  async run(from = 0) {
    this.offset = from;
    for (let attempt = 0; !this.cancelled; attempt++) {
      try {
        await this.once();
        this.done = true;
        return;
      } catch (e) {
        if (this.cancelled) return;
        const missing = e instanceof DownloadError && e.missing;
        if (missing || attempt + 1 >= DOWNLOAD_TRIES) {
          this.failure = e instanceof DownloadError ? e : new DownloadError(this.name + ': ' + (e.message || e), false);
          return;
        }
        this.retries++;
        await new Promise((r) => setTimeout(r, RETRY_WAIT_MS[attempt]));
      }
    }
  }

  async once() {
    this.controller = new AbortController();
    const from = this.offset;
    const headers = from > 0 ? { Range: 'bytes=' + from + '-' } : {};
    if (this.meter) this.meter.setActive(true);
    try {
      const response = await fetch(this.url, { headers, signal: this.controller.signal, cache: 'no-store' });
      if (response.status === 416 && this.size >= 0 && from >= this.size) return;
      if (!response.ok) {
        throw new DownloadError(this.name + ': ' + response.status + ' ' + response.statusText,
          response.status === 404 || response.status === 410);
      }
      let skip = 0;
      if (from > 0) {
        this.rangeHonoured = response.status === 206;
        if (!this.rangeHonoured) skip = from;  // the whole file again: skip what is already here
      }
      const length = Number(response.headers.get('Content-Length'));
      if (Number.isFinite(length) && length > 0) this.size = (response.status === 206 ? from : 0) + length;
      const reader = response.body.getReader();
      let resumed = false;
      for (;;) {
        if (!this.wanted()) {
          await this.pause();
          resumed = true;
        }
        if (this.cancelled) {
          reader.cancel().catch(() => {});
          return;
        }
        const { done, value } = await reader.read();
        if (done) break;
        // What piled up in the browser's buffers during a pause arrives at once: not the link's pace.
        if (this.meter && !resumed) this.meter.arrived(value.length);
        resumed = false;
        let piece = value;
        if (skip > 0) {
          const dropped = Math.min(skip, piece.length);
          skip -= dropped;
          piece = piece.subarray(dropped);
          if (piece.length === 0) continue;
        }
        const at = this.offset;
        this.offset += piece.length;
        this.onBytes(piece, at);
      }
      if (this.size >= 0 && this.offset < this.size) throw new Error('the download broke off');
    } finally {
      if (this.meter) this.meter.setActive(false);
    }
  }

  /** Waits, not counted as download time, until `resume()`. */
  async pause() {
    if (this.meter) this.meter.setActive(false);
    await new Promise((r) => {
      this.wake = r;
    });
    this.wake = null;
    if (this.meter) this.meter.setActive(true);
  }

  /** Lets a paused download go on (call when `wanted()` may have turned true). */
  resume() {
    if (this.wake) this.wake();
  }

  cancel() {
    this.cancelled = true;
    if (this.controller) this.controller.abort();
    this.resume();
  }
}
