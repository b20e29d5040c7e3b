// The button panel, cut from one strip image: the buttons side by side, each
// as wide as PanelButtonsWidths says, in two rows, the top at rest and the
// bottom pressed. With the default widths: play, pause, stop, a gap, volume
// down, a divider, volume up and mute; the gap and the divider are not
// buttons. Without a strip the pieces are drawn as plain boxes.

const BUTTON = { PLAY: 0, PAUSE: 1, STOP: 2, GAP: 3, VOLUME_DOWN: 4, DIVIDER: 5, VOLUME_UP: 6, MUTE: 7 };

class ButtonStrip {
  constructor(image, pageWidths) {
    this.image = image;  // null: plain boxes
    const limit = image ? image.naturalWidth : Infinity;
    this.lefts = [];
    this.widths = [];
    let x = 0;
    for (const w of pageWidths) {
      this.lefts.push(x);
      const clipped = Math.max(0, Math.min(w, limit - x));
      this.widths.push(clipped);
      x += clipped;
    }
  }

  get width() {
    const n = this.widths.length;
    return n === 0 ? 0 : this.lefts[n - 1] + this.widths[n - 1];
  }

  get rowHeight() {
    return this.image ? this.image.naturalHeight >> 1 : 16;
  }

  isButton(i) {
    return i >= 0 && i < this.widths.length && this.widths[i] > 0 && i !== BUTTON.GAP && i !== BUTTON.DIVIDER;
  }

  pieceAt(x) {
    for (let i = 0; i < this.widths.length; i++) {
      if (x >= this.lefts[i] && x < this.lefts[i] + this.widths[i]) return i;
    }
    return -1;
  }

  paint(g, x, y, pressed) {
    const row = this.rowHeight;
    for (let i = 0; i < this.widths.length; i++) {
      const w = this.widths[i];
      if (w === 0) continue;
      const down = !!pressed[i];
      const dx = x + this.lefts[i];
      if (this.image) {
        g.drawImage(this.image, this.lefts[i], down ? row : 0, w, row, dx, y, w, row);
      } else {
        g.fillStyle = down ? '#404040' : '#C0C0C0';
        g.fillRect(dx, y, w, row);
      }
    }
  }
}
