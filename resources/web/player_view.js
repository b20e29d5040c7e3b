// Painting the player into its canvas: the title image and facts before the
// film, the pictures (scaled into the chosen variant's frame, centred above
// the panel) with a position bar and the time, the end image after it, and
// the button panel.

const BAR_HEIGHT = 3;
/** How far above the picture's foot a click still lands on the position bar. */
const BAR_REACH = 10;

class PlayerView {
  constructor(canvas, parameters) {
    this.canvas = canvas;
    this.g = canvas.getContext('2d');
    this.p = parameters;
    this.strip = new ButtonStrip(null, parameters.panelButtonsWidths);
    this.frame = null;        // {width, height} of the chosen variant
    this.title = null;
    this.end = null;
    this.picture = null;      // an offscreen canvas holding the latest picture
    this.pictureContext = null;
    this.lines = ['Loading...'];
    this.phase = 'title';     // title, film, end
    this.position = 0;
    this.duration = 0;
    this.pressed = [];
  }

  get panelHeight() {
    return this.p.panelEnable ? this.strip.rowHeight : 0;
  }

  panelLeft() {
    return Math.max(0, (this.canvas.width - this.strip.width) >> 1);
  }

  area() {
    const w = this.canvas.width;
    const h = this.canvas.height - this.panelHeight;
    const pw = this.frame ? Math.min(w, this.frame.width) : w;
    const ph = this.frame ? Math.min(h, this.frame.height) : h;
    return { x: (w - pw) >> 1, y: (h - ph) >> 1, width: pw, height: ph };
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
  }

  render(pressedNow, clock) {
    const g = this.g;
    const w = this.canvas.width;
    const h = this.canvas.height;
    g.fillStyle = this.p.backgroundColor;
    g.fillRect(0, 0, w, h);
    const a = this.area();
    g.fillStyle = '#000';
    g.fillRect(a.x, a.y, a.width, a.height);
    g.imageSmoothingEnabled = true;
    if (this.phase === 'film' && this.picture) {
      g.drawImage(this.picture, a.x, a.y, a.width, a.height);
    } else if (this.phase === 'end' && this.end) {
      this.drawFitted(this.end, a);
    } else if (this.phase === 'end' && this.picture) {
      g.drawImage(this.picture, a.x, a.y, a.width, a.height);
    } else if (this.phase === 'title' && this.title) {
      this.drawFitted(this.title, a);
    }
    this.drawText(a, this.lines);
    if (this.phase !== 'title') this.drawPosition(a, clock);
    if (this.p.panelEnable) this.strip.paint(g, this.panelLeft(), h - this.panelHeight, pressedNow);
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

  drawPosition(a, clock) {
    const g = this.g;
    const alpha = this.p.videoAlphaValue / 255;
    g.fillStyle = `rgba(255,255,255,${alpha / 3})`;
    g.fillRect(a.x, a.y + a.height - BAR_HEIGHT, a.width, BAR_HEIGHT);
    if (this.duration > 0) {
      const done = Math.min(a.width, Math.round((a.width * Math.min(this.position, this.duration)) / this.duration));
      g.fillStyle = `rgba(255,200,0,${alpha})`;
      g.fillRect(a.x, a.y + a.height - BAR_HEIGHT, done, BAR_HEIGHT);
    }
    const time = clockText(this.position) + (this.duration > 0 ? ' / ' + clockText(this.duration) : '');
    g.font = '10px sans-serif';
    g.textBaseline = 'alphabetic';
    const tw = g.measureText(time).width;
    const right = this.panelLeft() + this.strip.width + 4;
    if (this.p.panelEnable && right + tw <= this.canvas.width) {
      const c = parseInt(this.p.backgroundColor.slice(1), 16);
      const light = ((c >> 16) & 255) + ((c >> 8) & 255) + (c & 255) > 384;
      g.fillStyle = light ? '#000' : '#FFF';
      g.fillText(time, right, this.canvas.height - this.panelHeight + ((this.panelHeight + 8) >> 1) - 1);
    } else {
      g.fillStyle = `rgba(0,0,0,${alpha})`;
      g.fillRect(a.x, a.y, tw + 6, 13);
      g.fillStyle = '#FFF';
      g.fillText(time, a.x + 3, a.y + 10);
    }
    void clock;
  }

  drawText(a, text) {
    if (text.length === 0) return;
    const g = this.g;
    g.font = '10px sans-serif';
    const lines = [];
    for (const paragraph of text) wrapText(g, paragraph, a.width - 8, lines);
    const lineHeight = 12;
    const boxHeight = Math.min(a.height, lines.length * lineHeight + 6);
    const top = a.y + a.height - boxHeight;
    g.fillStyle = `rgba(0,0,0,${this.p.videoAlphaValue / 255})`;
    g.fillRect(a.x, top, a.width, boxHeight);
    g.fillStyle = '#FFF';
    g.save();
    g.beginPath();
    g.rect(a.x, top, a.width, boxHeight);
    g.clip();
    lines.forEach((line, i) => g.fillText(line, a.x + 4, top + 3 + (i + 1) * lineHeight - 3));
    g.restore();
  }

  /** What a click at (x, y) of the canvas lands on: {button} or {seek: fraction} or null. */
  hit(x, y) {
    if (this.p.panelEnable && y >= this.canvas.height - this.panelHeight) {
      const piece = this.strip.pieceAt(x - this.panelLeft());
      return this.strip.isButton(piece) ? { button: piece } : null;
    }
    const a = this.area();
    if (this.phase !== 'title' && x >= a.x && x < a.x + a.width && y >= a.y + a.height - BAR_REACH
        && y < a.y + a.height) {
      return { seek: (x - a.x) / a.width };
    }
    return null;
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
