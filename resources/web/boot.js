// Where the script starts: in a worker it is the picture decoder; in a page
// it turns every canvas with a data-meta-url into a player (the canvas
// carries it as `player`; the first one is also globalThis.zqmPlayer); under
// Node.js (the headless decode and the tests) it does nothing by itself.

if (typeof WorkerGlobalScope !== 'undefined' && self instanceof WorkerGlobalScope) {
  const source = new VideoSource((m, transfer) => self.postMessage(m, transfer || []));
  self.onmessage = (e) => source.receive(e.data);
} else if (typeof document !== 'undefined') {
  const scriptUrl = document.currentScript ? document.currentScript.src : new URL('zqmPlayer.js', document.baseURI).href;
  const startPlayers = () => {
    const players = [];
    for (const canvas of document.querySelectorAll('canvas[data-meta-url]')) {
      const player = new WebPlayer(canvas, scriptUrl);
      players.push(player);
      player.load();
    }
    if (players.length > 0) globalThis.zqmPlayer = players[0].api;
  };
  if (document.readyState === 'loading') document.addEventListener('DOMContentLoaded', startPlayers);
  else startPlayers();
}
