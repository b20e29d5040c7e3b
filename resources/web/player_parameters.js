// Every parameter the page gives the player, as data attributes of its
// canvas (data-auto-play for AutoPlay and so on), with the applet's defaults
// for those left out. A value that does not parse falls back to the default
// and is noted in `problems`: a page would rather show a player than nothing.

const DEFAULT_BUTTON_WIDTHS = [15, 15, 15, 7, 6, 1, 6, 15];

function readPlayerParameters(element) {
  const problems = [];
  const text = (name, fallback) => {
    const v = element.getAttribute('data-' + name);
    return v === null || v.trim() === '' ? fallback : v.trim();
  };
  const bool = (name, fallback) => {
    const v = text(name, null);
    if (v === null) return fallback;
    if (/^true$/i.test(v)) return true;
    if (/^false$/i.test(v)) return false;
    problems.push(name + ': "' + v + '" is neither true nor false; using ' + fallback);
    return fallback;
  };
  const colour = () => {
    const v = text('background-color', null);
    if (v === null) return '#FFFFFF';
    const digits = v.startsWith('#') ? v.slice(1) : v;
    if (/^[0-9A-Fa-f]{6}$/.test(digits)) return '#' + digits.toUpperCase();
    problems.push('background-color: "' + v + '" is not a RRGGBB colour; using FFFFFF');
    return '#FFFFFF';
  };
  const widths = () => {
    const v = text('panel-buttons-widths', null);
    if (v === null) return DEFAULT_BUTTON_WIDTHS.slice();
    const parts = v.split(',').map((p) => p.trim());
    if (parts.every((p) => /^[0-9]{1,4}$/.test(p) && Number(p) > 0)) return parts.map(Number);
    problems.push('panel-buttons-widths: "' + v + '" is not a list of positive widths; using the default');
    return DEFAULT_BUTTON_WIDTHS.slice();
  };
  const alpha = () => {
    const v = text('video-alpha-value', null);
    if (v === null) return 192;
    if (/^[0-9]{1,3}$/.test(v) && Number(v) <= 255) return Number(v);
    problems.push('video-alpha-value: "' + v + '" is not a number from 0 to 255; using 192');
    return 192;
  };
  return {
    autoPlay: bool('auto-play', false),
    repeatForever: bool('repeat-forever', false),
    urlBase: text('url-base', 'codebase'),
    panelEnable: bool('panel-enable', true),
    panelImagesUrl: text('panel-images-url', 'buttons.gif'),
    metaUrl: text('meta-url', null),
    videoEndImageUrl: text('video-end-image-url', null),
    videoTitleImageUrl: text('video-title-image-url', null),
    backgroundColor: colour(),
    panelButtonsWidths: widths(),
    muteAudio: bool('mute-audio', false),
    videoAlphaValue: alpha(),
    problems,
  };
}

/**
 * The folder relative file names are taken from: "codebase" is where the
 * script came from, "documentbase" the page's folder, anything else names
 * that folder itself.
 */
function playerBaseUrl(urlBase, scriptUrl, pageUrl) {
  if (/^codebase$/i.test(urlBase)) return new URL('.', scriptUrl).href;
  if (/^documentbase$/i.test(urlBase)) return new URL('.', pageUrl).href;
  return new URL(urlBase.endsWith('/') ? urlBase : urlBase + '/', pageUrl).href;
}
