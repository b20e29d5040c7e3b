// Painting the film into its canvas: the canvas is scaled to the width of
// its box (the page's width and height being the default size, the film's
// shape kept), its pixels match the screen's (crisp on HiDPI screens), and
// it shows the title image before the film, the pictures, the end image
// after it, and lines of text (facts, "Buffering...", errors, notes).

class PlayerView {
  constructor(canvas, parameters) {
    this.canvas = canvas;
    this.g = canvas.getContext('2d');
    this.p = parameters;
    this.frame = null;        // {width, height} of the film
    this.title = null;
    this.end = null;
    this.picture = null;      // an offscreen canvas holding the latest picture
    this.pictureContext = null;
    this.lines = ['Loading...'];
    this.phase = 'title';     // title, film, end
    this.dirty = true;
  }

  /** Matches the canvas's pixels to its size on screen. */
  fitToScreen() {
    const box = this.canvas.getBoundingClientRect();
    const ratio = globalThis.devicePixelRatio || 1;
    const w = Math.max(1, Math.round(box.width * ratio));
    const h = Math.max(1, Math.round(box.height * ratio));
    if (this.canvas.width !== w || this.canvas.height !== h) {
      this.canvas.width = w;
      this.canvas.height = h;
      this.dirty = true;
    }
  }

  /** Copies a decoded picture's pixels; painting scales them into the frame. */
  setPicture(width, height, rgba) {
    if (!this.picture || this.picture.width !== width || this.picture.height !== height) {
      this.picture = document.createElement('canvas');
      this.picture.width = width;
      this.picture.height = height;
      this.pictureContext = this.picture.getContext('2d');
    }
    this.pictureContext.putImageData(new ImageData(new Uint8ClampedArray(rgba), width, height), 0, 0);
    this.dirty = true;
  }

  setLines(lines) {
    if (lines.length !== this.lines.length || lines.some((l, i) => l !== this.lines[i])) {
      this.lines = lines;
      this.dirty = true;
    }
  }

  /** The largest area of the film's shape that fits the canvas, centred. */
  area() {
    const w = this.canvas.width;
    const h = this.canvas.height;
    if (!this.frame) return { x: 0, y: 0, width: w, height: h };
    const scale = Math.min(w / this.frame.width, h / this.frame.height);
    const pw = Math.round(this.frame.width * scale);
    const ph = Math.round(this.frame.height * scale);
    return { x: (w - pw) >> 1, y: (h - ph) >> 1, width: pw, height: ph };
  }

  render() {
    if (!this.dirty) return;
    this.dirty = false;
    const g = this.g;
    g.fillStyle = this.p.backgroundColor;
    g.fillRect(0, 0, this.canvas.width, this.canvas.height);
    const a = this.area();
    g.fillStyle = '#000';
    g.fillRect(a.x, a.y, a.width, a.height);
    g.imageSmoothingEnabled = true;
    if ((this.phase === 'film' || (this.phase === 'end' && !this.end)) && this.picture) {
      g.drawImage(this.picture, a.x, a.y, a.width, a.height);
    } else if (this.phase === 'end' && this.end) {
      this.drawFitted(this.end, a);
    } else if (this.phase === 'title' && this.title) {
      this.drawFitted(this.title, a);
    }
    this.drawText(a, this.lines);
  }

  drawFitted(image, a) {
    const iw = image.naturalWidth;
    const ih = image.naturalHeight;
    if (!iw || !ih) return;
    const scale = Math.min(a.width / iw, a.height / ih);
    const dw = Math.round(iw * scale);
    const dh = Math.round(ih * scale);
    this.g.drawImage(image, a.x + ((a.width - dw) >> 1), a.y + ((a.height - dh) >> 1), dw, dh);
  }

  drawText(a, text) {
    if (text.length === 0) return;
    const g = this.g;
    const ratio = globalThis.devicePixelRatio || 1;
    const size = Math.round(12 * ratio);
    g.font = size + 'px sans-serif';
    const lines = [];
    for (const paragraph of text) wrapText(g, paragraph, a.width - 8 * ratio, lines);
    const lineHeight = Math.round(size * 1.25);
    const boxHeight = Math.min(a.height, lines.length * lineHeight + 6 * ratio);
    const top = a.y;
    g.fillStyle = `rgba(0,0,0,${Math.max(0.5, this.p.videoAlphaValue / 255)})`;
    g.fillRect(a.x, top, a.width, boxHeight);
    g.fillStyle = '#FFF';
    g.save();
    g.beginPath();
    g.rect(a.x, top, a.width, boxHeight);
    g.clip();
    lines.forEach((line, i) => g.fillText(line, a.x + 4 * ratio, top + (i + 1) * lineHeight));
    g.restore();
  }
}

function clockText(seconds) {
  const s = Math.floor(Math.max(0, seconds));
  return Math.floor(s / 60) + ':' + (s % 60 < 10 ? '0' : '') + (s % 60);
}

function wrapText(g, paragraph, width, lines) {
  let line = '';
  for (const word of paragraph.split(' ')) {
    const tried = line ? line + ' ' + word : word;
    if (line && g.measureText(tried).width > width) {
      lines.push(line);
      line = word;
    } else {
      line = tried;
    }
  }
  if (line) lines.push(line);
}
