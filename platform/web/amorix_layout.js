// The page's side of the web platform (web_bridge.h), in files by concern; this one holds what
// they share and the layout: the desktop, scaled down on a narrow viewport, and the windows as
// elements on it, each with its canvas (amorix_paint.js), its text boxes and pointer
// (amorix_input.js) and its labels for assistive technology (amorix_labels.js). The pictures
// come in by amorix_fetch.js, the build is kept for use offline by amorix_offline.js, and
// amorix_end.js ends the program. Browser events enter the program through the functions
// web_main.cpp exports; none of them blocks.
mergeInto(LibraryManager.library, {
  $AMX: {
    windows: {},  // number: {el, canvas, ctx, caption, edits: [], timers: {}, tools: {}, labels}
    edits: {},    // number: <input>
    top: 0,
    scale: 1,
    press: null,  // {window, pointerId, x, y}: the button down that a move may start from
    moving: null,
    started: false,
    ended: false,
    minWidth: 640,  // the narrowest desktop the windows were made for; narrower ones scale down

    desktop: function() { return document.getElementById('amx-desktop'); },
    color: function(rgb) { return '#' + (rgb >>> 0).toString(16).padStart(6, '0'); },
    font: function(face, px, bold, italic) {
      return (italic ? 'italic ' : '') + (bold ? 'bold ' : '') + px + 'px "' + face + '"';
    },
    // The desktop fills the viewport, scaled down on a narrow one; on every change of the
    // viewport (a rotation, a resized browser) each window stays whole in view, and those the
    // user has not moved are centred again.
    fit: function() {
      var d = AMX.desktop();
      AMX.scale = Math.min(1, window.innerWidth / AMX.minWidth);
      d.style.transform = AMX.scale < 1 ? 'scale(' + AMX.scale + ')' : '';
      d.style.width = (window.innerWidth / AMX.scale) + 'px';
      d.style.height = (window.innerHeight / AMX.scale) + 'px';
      for (var n in AMX.windows) AMX.place(AMX.windows[n]);
    },
    place: function(w) {
      var d = AMX.desktop(), el = w.el;
      var room = [parseFloat(d.style.width) - parseFloat(el.style.width),
                  parseFloat(d.style.height) - parseFloat(el.style.height)];
      var at = w.moved ? [parseFloat(el.style.left), parseFloat(el.style.top)]
                       : [Math.round(room[0] / 2), Math.round(room[1] / 2)];
      el.style.left = Math.max(0, Math.min(at[0], Math.floor(room[0]))) + 'px';
      el.style.top = Math.max(0, Math.min(at[1], Math.floor(room[1]))) + 'px';
    },
    // The window comes to the top and takes the keyboard, as an activated window does: into the
    // box that last had it, else its first visible box, else the window itself, so that keys
    // never go on into a window behind it.
    activate: function(w) {
      AMX.remember();
      w.el.style.zIndex = ++AMX.top;
      document.title = w.caption;
      if (w.el.contains(document.activeElement)) return;
      var shown = w.edits.filter(function(i) { return i.style.display !== 'none'; });
      var to = shown.indexOf(w.focus) >= 0 ? w.focus : shown[0] || w.el;
      to.focus({preventScroll: true});
    },
    // The box with the keyboard focus is noted in its window, for the window to give it back when
    // it is activated again (focus events do not come in a page whose browser window is inactive).
    remember: function() {
      var a = document.activeElement;
      for (var n in AMX.windows) {
        if (AMX.windows[n].edits.indexOf(a) >= 0) AMX.windows[n].focus = a;
      }
    },
    // The active window is the topmost shown one.
    retitle: function() {
      var best = null;
      for (var n in AMX.windows) {
        var w = AMX.windows[n];
        if (w.el.style.display !== 'none' && (!best || +w.el.style.zIndex > +best.el.style.zIndex)) best = w;
      }
      document.title = best ? best.caption : 'Quillon Amorix';
    },
  },

  amx_boot__deps: ['$AMX', '$AMXFetch', '$AMXPaint'],
  amx_boot: function() {
    AMXFetch.preloaded();
    AMX.fit();
    window.addEventListener('resize', AMX.fit);
    window.addEventListener('orientationchange', AMX.fit);
    if (window.visualViewport) window.visualViewport.addEventListener('resize', AMX.fit);
    window.amorixStats = AMXPaint.stats;
    Promise.resolve().then(function() { _amorix_start(); AMX.started = true; });
  },

  amx_window_create__deps: ['$AMX', '$AMXInput', '$AMXPaint'],
  amx_window_create: function(n, caption, width, height, icon) {
    var el = document.createElement('div');
    el.className = 'amx-form';
    el.style.width = width + 'px';
    el.style.height = height + 'px';
    el.style.display = 'none';
    var canvas = document.createElement('canvas');
    var ratio = window.devicePixelRatio || 1;
    canvas.width = Math.round(width * ratio);
    canvas.height = Math.round(height * ratio);
    canvas.style.width = width + 'px';
    canvas.style.height = height + 'px';
    canvas.setAttribute('aria-hidden', 'true');
    var labels = document.createElement('div');
    labels.className = 'amx-labels';
    el.append(canvas, labels);
    var w = {el: el, canvas: canvas, ctx: canvas.getContext('2d'), ratio: ratio,
             caption: UTF16ToString(caption), edits: [], timers: {}, tools: {}, labels: labels,
             renamed: [], held: {}};
    el.style.opacity = '0';
    el.dataset.caption = w.caption;
    el.dataset.window = n;
    el.setAttribute('role', 'dialog');
    el.tabIndex = -1;
    el.setAttribute('aria-label', w.caption);
    AMX.windows[n] = w;
    AMX.place(w);
    AMXInput.listen(n, w);
    AMX.desktop().append(el);
    AMXPaint.soon(n, w, 0, 0, width, height);
    setTimeout(function() { w.late = true; AMXPaint.whole(n, w); }, AMXPaint.WAIT);
  },

  amx_window_show__deps: ['$AMX'],
  amx_window_show: function(n, visible) {
    var w = AMX.windows[n];
    if (!w) return;
    // A window shown is activated, and one already shown is left where it stands, as on Windows.
    var was = w.el.style.display !== 'none';
    AMX.remember();
    w.el.style.display = visible ? '' : 'none';
    if (!visible) return AMX.retitle();
    if (!was) AMX.activate(w);
  },

  amx_window_destroy__deps: ['$AMX'],
  amx_window_destroy: function(n) {
    var w = AMX.windows[n];
    if (!w) return;
    for (var id in w.timers) clearInterval(w.timers[id]);
    if (w.frame) cancelAnimationFrame(w.frame);
    if (AMX.moving && AMX.moving.window === n) AMX.moving = null;
    w.edits.forEach(function(i) { delete AMX.edits[i.dataset.edit]; });
    delete AMX.windows[n];
    w.el.remove();
    AMX.retitle();
  },

  amx_window_shape__deps: ['$AMX'],
  amx_window_shape: function(n, rects, count) {
    var w = AMX.windows[n];
    if (!w) return;
    if (count < 0) { w.el.style.clipPath = ''; return; }
    var path = '';
    for (var i = 0; i < count; i++) {
      var p = (rects >> 2) + i * 4;
      var l = HEAP32[p], t = HEAP32[p + 1], r = HEAP32[p + 2], b = HEAP32[p + 3];
      path += 'M' + l + ' ' + t + 'H' + r + 'V' + b + 'H' + l + 'Z';
    }
    w.el.style.clipPath = 'path("' + (path || 'M0 0Z') + '")';
  },

  amx_begin_move__deps: ['$AMX'],
  amx_begin_move: function(n) {
    var w = AMX.windows[n], p = AMX.press;
    if (!w || !p || p.window !== n) return 0;
    AMX.moving = {window: n, x: p.x, y: p.y};
    return 1;
  },

  amx_set_wait_cursor__deps: ['$AMX'],
  amx_set_wait_cursor: function(n, wait) {
    var w = AMX.windows[n];
    if (w) w.el.style.cursor = wait ? 'wait' : '';
  },
});
