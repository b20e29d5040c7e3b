// The controls a viewer expects, in HTML around the film's canvas: Play and
// Pause, a position slider that can be dragged and shows what is downloaded,
// the time, Mute and a volume slider, the quality menu (Auto or a variant)
// and Full screen; each with its role and name for assistive technology, a
// visible focus ring, buttons of at least 44 px on touch screens, and keys
// (Space, arrows, M, F). The canvas keeps its place and id in the page.

const CONTROLS_STYLE = `
.zqm-player { position: relative; max-width: 100%; box-sizing: border-box; font: 14px sans-serif; }
.zqm-player .zqm-stage { position: relative; width: 100%; }
.zqm-player canvas { display: block; width: 100%; height: 100%; touch-action: manipulation; }
.zqm-player canvas:focus-visible, .zqm-player button:focus-visible, .zqm-player input:focus-visible,
.zqm-player select:focus-visible { outline: 3px solid #1a73e8; outline-offset: -3px; }
.zqm-controls { display: flex; align-items: center; gap: 4px; padding: 2px 4px; background: #222; color: #fff; }
.zqm-controls button { min-width: 32px; min-height: 32px; background: #444; color: #fff; border: 0; border-radius: 4px;
  font-size: 16px; cursor: pointer; }
.zqm-controls button[aria-pressed="true"] { background: #a60; }
.zqm-controls .zqm-position { flex: 1; min-width: 40px; }
.zqm-controls .zqm-volume { width: 60px; }
.zqm-controls .zqm-time { white-space: nowrap; font-variant-numeric: tabular-nums; }
.zqm-controls select { min-height: 32px; max-width: 110px; }
.zqm-controls input[type=range] { height: 24px; }
@media (pointer: coarse) {
  .zqm-controls button, .zqm-controls select { min-width: 44px; min-height: 44px; }
  .zqm-controls input[type=range] { height: 44px; }
}
@media (max-width: 600px) { .zqm-player { width: 100% !important; } .zqm-controls .zqm-volume { display: none; } }
.zqm-player:fullscreen { width: 100% !important; height: 100%; display: flex; flex-direction: column; background: #000; }
.zqm-player:fullscreen .zqm-stage { flex: 1; aspect-ratio: auto !important; }
`;

function addControlsStyle() {
  if (document.getElementById('zqm-player-style')) return;
  const style = document.createElement('style');
  style.id = 'zqm-player-style';
  style.textContent = CONTROLS_STYLE;
  document.head.appendChild(style);
}

function element(tag, attributes, text) {
  const e = document.createElement(tag);
  for (const [k, v] of Object.entries(attributes)) e.setAttribute(k, v);
  if (text !== undefined) e.textContent = text;
  return e;
}

class PlayerControls {
  /**
   * Wraps `canvas` (width and height its default size) in the player's box;
   * `on` holds the actions: toggle(), seek(seconds), seekBy(seconds),
   * volume(v), toggleMute(), fullScreen(), quality(index), and
   * user() (any viewer gesture, when the sound may be allowed).
   */
  constructor(canvas, showControls, on) {
    addControlsStyle();
    this.on = on;
    const width = Number(canvas.getAttribute('width')) || canvas.width;
    const height = Number(canvas.getAttribute('height')) || canvas.height;
    this.box = element('div', { class: 'zqm-player' });
    this.box.style.width = width + 'px';
    this.stage = element('div', { class: 'zqm-stage' });
    this.stage.style.aspectRatio = width + ' / ' + height;
    canvas.parentNode.insertBefore(this.box, canvas);
    this.stage.appendChild(canvas);
    this.box.appendChild(this.stage);
    if (!canvas.hasAttribute('tabindex')) canvas.setAttribute('tabindex', '0');
    canvas.setAttribute('role', 'img');
    canvas.setAttribute('aria-label', 'Film');

    const bar = element('div', { class: 'zqm-controls', role: 'group', 'aria-label': 'Player controls' });
    this.play = element('button', { type: 'button', class: 'zqm-play', 'aria-label': 'Play' }, '\u25B6');
    this.position = element('input', { type: 'range', class: 'zqm-position', 'aria-label': 'Position', min: '0',
      max: '0', step: 'any', value: '0' });
    this.time = element('span', { class: 'zqm-time' }, '0:00 / 0:00');
    this.mute = element('button', { type: 'button', class: 'zqm-mute', 'aria-label': 'Mute', 'aria-pressed': 'false' },
      '\uD83D\uDD0A');
    this.volume = element('input', { type: 'range', class: 'zqm-volume', 'aria-label': 'Volume', min: '0', max: '1',
      step: '0.05', value: '1' });
    this.quality = element('select', { class: 'zqm-quality', 'aria-label': 'Quality' });
    this.quality.appendChild(element('option', { value: '-1' }, 'Auto'));
    this.full = element('button', { type: 'button', class: 'zqm-full', 'aria-label': 'Full screen' }, '\u26F6');
    for (const e of [this.play, this.position, this.time, this.mute, this.volume, this.quality, this.full]) {
      bar.appendChild(e);
    }
    if (showControls) this.box.appendChild(bar);
    this.dragging = false;
    this.listen(canvas);
  }

  listen(canvas) {
    const act = (f) => (e) => {
      this.on.user();
      f(e);
    };
    this.play.addEventListener('click', act(() => this.on.toggle()));
    this.mute.addEventListener('click', act(() => this.on.toggleMute()));
    this.full.addEventListener('click', act(() => this.on.fullScreen()));
    this.volume.addEventListener('input', act(() => this.on.volume(Number(this.volume.value))));
    this.quality.addEventListener('change', act(() => this.on.quality(Number(this.quality.value))));
    this.position.addEventListener('pointerdown', () => { this.dragging = true; });
    this.position.addEventListener('input', () => { this.dragging = true; });
    this.position.addEventListener('change', act(() => {
      this.dragging = false;
      this.on.seek(Number(this.position.value));
    }));
    canvas.addEventListener('click', act(() => this.on.toggle()));
    this.box.addEventListener('keydown', (e) => {
      const t = e.target;
      const own = t.tagName === 'BUTTON' || t.tagName === 'SELECT' || (t.tagName === 'INPUT' && e.key.startsWith('Arrow'));
      const keys = {
        ' ': () => this.on.toggle(),
        ArrowLeft: () => this.on.seekBy(-5),
        ArrowRight: () => this.on.seekBy(5),
        ArrowUp: () => this.on.volumeBy(0.1),
        ArrowDown: () => this.on.volumeBy(-0.1),
        m: () => this.on.toggleMute(),
        M: () => this.on.toggleMute(),
        f: () => this.on.fullScreen(),
        F: () => this.on.fullScreen(),
      };
      if (!keys[e.key] || (own && (e.key === ' ' || e.key.startsWith('Arrow')))) return;
      e.preventDefault();
      this.on.user();
      keys[e.key]();
    });
  }

  /** The film's shape, once known: the box keeps it as it scales. */
  setShape(width, height) {
    this.stage.style.aspectRatio = width + ' / ' + height;
  }

  setVariants(variants) {
    for (let i = 0; i < variants.length; i++) {
      const v = variants[i];
      const label = (v.height ? v.height + 'p ' : 'sound ') + Math.round((v.videoBps + v.audioBps) / 1000) + ' kbps';
      this.quality.appendChild(element('option', { value: String(i) }, label));
    }
  }

  /** Shows the player's state: s = {paused, time, duration, downloaded, volume, muted, variant}. */
  update(s) {
    const label = s.paused ? 'Play' : 'Pause';
    if (this.play.getAttribute('aria-label') !== label) {
      this.play.setAttribute('aria-label', label);
      this.play.textContent = s.paused ? '\u25B6' : '\u23F8';
    }
    this.mute.setAttribute('aria-pressed', s.muted ? 'true' : 'false');
    this.mute.textContent = s.muted ? '\uD83D\uDD07' : '\uD83D\uDD0A';
    if (document.activeElement !== this.volume) this.volume.value = String(s.volume);
    const duration = Number.isFinite(s.duration) ? s.duration : 0;
    this.position.max = String(duration);
    if (!this.dragging) this.position.value = String(Math.min(s.time, duration));
    this.position.setAttribute('aria-valuetext', clockText(s.time) + ' of ' + clockText(duration));
    const played = duration > 0 ? (100 * Math.min(s.time, duration)) / duration : 0;
    const loaded = duration > 0 ? Math.max(played, (100 * Math.min(s.downloaded, duration)) / duration) : 0;
    this.position.style.background = `linear-gradient(to right, #e8a000 ${played}%, #888 ${played}% ${loaded}%, `
      + `#444 ${loaded}%)`;
    this.time.textContent = clockText(s.time) + ' / ' + clockText(duration);
    if (this.quality.value !== String(s.pinned)) this.quality.value = String(s.pinned);
  }
}
