// The page's side of the web platform (web_bridge.h): the desktop, its windows as elements, their
// canvases, text boxes, outlines, timers, labels for assistive technology, the move of a window
// by its background, the end of the program. Browser events enter the program through the
// functions web_main.cpp exports; none of them blocks.
mergeInto(LibraryManager.library, {
  $AMX: {
    windows: {},  // number: {el, canvas, ctx, caption, edits: [], timers: {}, tools: {}, labels}
    edits: {},    // number: <input>
    pictures: {},  // id: {file, img}; each fetched when first drawn, the rest after a first paint
    lacking: null,  // while a paint runs: what it found missing (promises that settle when in)
    top: 0,
    scale: 1,
    press: null,  // {window, pointerId, x, y}: the button down that a move may start from
    moving: null,
    ended: false,
    // For the benchmark: when each timer ticked, and when each window's first paint was done (in
    // the frame that shows it), in milliseconds since navigation.
    stats: {ticks: [], painted: []},
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
    // Client pixels of a browser event on window w.
    at: function(w, e) {
      var r = w.el.getBoundingClientRect();
      return [Math.floor((e.clientX - r.left) / AMX.scale),
              Math.floor((e.clientY - r.top) / AMX.scale)];
    },
    keys: function(e) { return (e.shiftKey ? 1 : 0) | (e.ctrlKey ? 2 : 0) | (e.altKey ? 4 : 0); },
    activate: function(w) {
      w.el.style.zIndex = ++AMX.top;
      document.title = w.caption;
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
    mouse: function(n, kind, e) {
      var w = AMX.windows[n];
      var p = AMX.at(w, e);
      _amorix_mouse(n, kind, p[0], p[1], e.button < 0 ? 0 : e.button, AMX.keys(e));
    },
    tooltip: function(w, x, y) {
      var text = '';
      for (var id in w.tools) {
        var t = w.tools[id];
        if (x >= t[0] && x < t[2] && y >= t[1] && y < t[3]) { text = t[4]; break; }
      }
      if (w.el.title !== text) w.el.title = text;
    },
    listen: function(n, w) {
      var el = w.el;
      var own = function(e) { return e.target.tagName !== 'INPUT'; };
      el.addEventListener('mousedown', function(e) { if (own(e)) e.preventDefault(); });
      el.addEventListener('contextmenu', function(e) { e.preventDefault(); });
      el.addEventListener('pointerdown', function(e) {
        if (AMX.ended || AMX.moving || !AMX.windows[n]) return;
        AMX.activate(w);
        if (!own(e)) return;
        e.preventDefault();
        el.setPointerCapture(e.pointerId);
        AMX.press = {window: n, pointerId: e.pointerId, x: e.clientX, y: e.clientY};
        AMX.mouse(n, 1, e);
      });
      el.addEventListener('pointermove', function(e) {
        var m = AMX.moving;
        if (m && m.window === n) {
          w.moved = true;
          w.el.style.left = (m.left + (e.clientX - m.x) / AMX.scale) + 'px';
          w.el.style.top = (m.top + (e.clientY - m.y) / AMX.scale) + 'px';
          return;
        }
        // A finger does not hover: it presses, drags and lifts.
        if (AMX.ended || e.pointerType === 'touch' || !own(e)) return;
        var p = AMX.at(w, e);
        AMX.tooltip(w, p[0], p[1]);
        AMX.mouse(n, 0, e);
      });
      var up = function(e) {
        if (AMX.press && AMX.press.pointerId === e.pointerId) AMX.press = null;
        if (AMX.moving && AMX.moving.window === n) {  // the move takes the release
          AMX.moving = null;
          return;
        }
        if (!AMX.ended && own(e) && e.type === 'pointerup') AMX.mouse(n, 2, e);
      };
      el.addEventListener('pointerup', up);
      el.addEventListener('pointercancel', up);
      // Tab and Shift+Tab go round the window's visible text boxes in creation order.
      el.addEventListener('keydown', function(e) {
        if (e.key !== 'Tab') return;
        e.preventDefault();
        var order = w.edits.filter(function(i) { return i.style.display !== 'none'; });
        if (!order.length) return;
        var at = order.indexOf(document.activeElement);
        var next = at < 0 ? 0 : (at + (e.shiftKey ? order.length - 1 : 1)) % order.length;
        order[next].focus();
        order[next].select();
      });
    },
    picture: function(id) {
      var p = AMX.pictures[id];
      if (p && !p.img) {
        p.img = new Image();
        p.img.src = p.file;
      }
      return p && p.img;
    },
    // The picture if it is in; if not, asked for, and the paint that wanted it told so.
    arrived: function(id) {
      var img = AMX.picture(id);
      if (img && !img.complete && AMX.lacking) AMX.lacking.push(img.decode());
      return img && img.complete ? img : null;
    },
    // Once a window is on the screen, what the others will need comes in while the user looks,
    // and every file of the build is kept for use offline (sw.js); where that cannot be, the
    // program runs online. The page names its manifest only then: the browser fetches the
    // manifest's icons as soon as it is named, and they would share the link with the first window.
    fetchRest: function() {
      if (AMX.fetched) return;
      AMX.fetched = true;
      var manifest = document.createElement('link');
      manifest.rel = 'manifest';
      manifest.href = 'amorix.webmanifest';
      document.head.append(manifest);
      if ('serviceWorker' in navigator) {
        navigator.serviceWorker.register('sw.js').catch(function(e) {
          console.warn('Amorix will not work offline:', e);
        });
      }
      for (var id in AMX.pictures) AMX.picture(id);
      document.fonts.forEach(function(f) { f.load().catch(function() {}); });
    },
    // A paint that found a picture or a face not yet in is made again when they are; a window
    // stays transparent until its first whole paint (twice lacking, it shows what it has).
    painted: function(n, w, lacking) {
      if (lacking.length && w.lacking < 2) {
        w.lacking++;
        Promise.allSettled(lacking).then(function() {
          if (AMX.windows[n] === w) AMX.paintSoon(n, w, 0, 0, parseFloat(w.el.style.width), parseFloat(w.el.style.height));
        });
        return;
      }
      w.lacking = 0;
      if (w.painted) return;
      AMX.stats.painted.push([w.caption, performance.now()]);
      w.painted = true;
      w.el.style.opacity = '';
      for (var t in w.held) AMX.startTimer(n, w, +t, w.held[t]);
      w.held = {};
      AMX.fetchRest();
    },
    // A window's timers count from when it is first on the screen, as they do where its picture
    // and faces are at hand when it is made.
    startTimer: function(n, w, timer, ms) {
      w.timers[timer] = setInterval(function() {
        AMX.stats.ticks.push(performance.now());
        if (!AMX.ended && AMX.windows[n] === w) _amorix_timer(n, timer);
      }, Math.max(ms, 10));
    },
    paintSoon: function(n, w, l, t, r, b) {
      var d = w.dirty;
      w.dirty = d ? [Math.min(d[0], l), Math.min(d[1], t), Math.max(d[2], r), Math.max(d[3], b)]
                  : [l, t, r, b];
      if (w.frame) return;
      w.frame = requestAnimationFrame(function() {
        w.frame = 0;
        var d = w.dirty;
        w.dirty = null;
        if (AMX.windows[n] !== w || AMX.ended) return;
        var lacking = AMX.lacking = [];
        _amorix_paint(n, d[0], d[1], d[2], d[3]);
        AMX.lacking = null;
        AMX.painted(n, w, lacking);
      });
    },
    describeSoon: function(n, w) {
      if (w.describing) return;
      w.describing = true;
      setTimeout(function() {
        w.describing = false;
        if (AMX.windows[n] === w && !AMX.ended) _amorix_describe_labels(n);
      }, 0);
    },
    stop: function() {
      AMX.ended = true;
      for (var n in AMX.windows) {
        var w = AMX.windows[n];
        for (var id in w.timers) clearInterval(w.timers[id]);
        w.el.remove();
      }
      AMX.windows = {};
      AMX.edits = {};
    },
    showEnded: function(status) {
      window.amorixExitStatus = status;
      document.title = 'Quillon Amorix';
      document.getElementById('amx-ended').hidden = false;
      document.getElementById('amx-restart').focus();
    },
  },

  amx_picture_file__deps: ['$AMX'],
  amx_picture_file: function(id, file) {
    AMX.pictures[id] = {file: UTF8ToString(file), img: null};
  },

  amx_boot__deps: ['$AMX'],
  amx_boot: function() {
    // What the page preloads for the first window is decoded before that window first paints.
    document.querySelectorAll('link[rel=preload][as=image]').forEach(function(link) {
      for (var id in AMX.pictures) {
        if (AMX.pictures[id].file === link.getAttribute('href')) AMX.picture(id);
      }
    });
    AMX.fit();
    window.addEventListener('resize', AMX.fit);
    window.addEventListener('orientationchange', AMX.fit);
    if (window.visualViewport) window.visualViewport.addEventListener('resize', AMX.fit);
    document.getElementById('amx-restart').addEventListener('click', function() {
      location.reload();
    });
    window.amorixStats = AMX.stats;
    Promise.resolve().then(function() { _amorix_start(); });
  },

  amx_window_create__deps: ['$AMX'],
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
             renamed: [], lacking: 0, held: {}};
    el.style.opacity = '0';
    el.dataset.caption = w.caption;
    el.dataset.window = n;
    el.setAttribute('role', 'dialog');
    el.setAttribute('aria-label', w.caption);
    AMX.windows[n] = w;
    AMX.place(w);
    AMX.listen(n, w);
    AMX.desktop().append(el);
    AMX.paintSoon(n, w, 0, 0, width, height);
  },

  amx_window_show__deps: ['$AMX'],
  amx_window_show: function(n, visible) {
    var w = AMX.windows[n];
    if (!w) return;
    w.el.style.display = visible ? '' : 'none';
    if (!visible) return AMX.retitle();
    AMX.activate(w);
    if (w.edits.indexOf(document.activeElement) < 0) {
      var first = w.edits.filter(function(i) { return i.style.display !== 'none'; })[0];
      if (first) first.focus();
    }
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

  amx_invalidate__deps: ['$AMX'],
  amx_invalidate: function(n, l, t, r, b) {
    var w = AMX.windows[n];
    if (w) AMX.paintSoon(n, w, l, t, r, b);
  },

  amx_set_wait_cursor__deps: ['$AMX'],
  amx_set_wait_cursor: function(n, wait) {
    var w = AMX.windows[n];
    if (w) w.el.style.cursor = wait ? 'wait' : '';
  },

  amx_set_tooltip__deps: ['$AMX'],
  amx_set_tooltip: function(n, tool, l, t, r, b, text) {
    var w = AMX.windows[n];
    if (!w) return;
    var s = UTF16ToString(text);
    if (s) w.tools[tool] = [l, t, r, b, s]; else delete w.tools[tool];
  },

  amx_labels_begin__deps: ['$AMX'],
  amx_labels_begin: function(n) {
    var w = AMX.windows[n];
    if (w) w.labels.replaceChildren();
  },

  amx_label__deps: ['$AMX'],
  amx_label: function(n, label, role, l, t, r, b, shown, name) {
    var w = AMX.windows[n];
    if (!w) return;
    var text = UTF16ToString(name);
    var el = document.createElement(role ? 'div' : 'span');
    el.className = 'amx-label';
    el.dataset.label = label;
    el.style.left = l + 'px';
    el.style.top = t + 'px';
    el.style.width = (r - l) + 'px';
    el.style.height = (b - t) + 'px';
    if (!shown) el.style.display = 'none';
    if (role) {
      el.setAttribute('role', role === 2 ? 'link' : 'button');
      el.setAttribute('aria-label', text);
      el.tabIndex = -1;
      var act = function() { if (!AMX.ended && AMX.windows[n] === w) _amorix_label_action(n, label); };
      el.addEventListener('click', act);
      el.addEventListener('keydown', function(e) {
        if (e.key === 'Enter' || e.key === ' ') { e.preventDefault(); act(); }
      });
    } else {
      el.textContent = text;
    }
    w.labels.append(el);
    if (w.renamed.indexOf(label) >= 0 && shown) {
      document.getElementById('amx-live').textContent = text;
    }
  },

  amx_labels_end__deps: ['$AMX'],
  amx_labels_end: function(n) {
    var w = AMX.windows[n];
    if (w) w.renamed = [];
  },

  amx_labels_changed__deps: ['$AMX'],
  amx_labels_changed: function(n, label, renamed) {
    var w = AMX.windows[n];
    if (!w) return;
    if (renamed) w.renamed.push(label);
    AMX.describeSoon(n, w);
  },

  amx_edit_create__deps: ['$AMX'],
  amx_edit_create: function(n, edit, l, t, r, b, face, px, bold, italic, rgb, background, center,
                            maxLength, visible, name) {
    var w = AMX.windows[n];
    if (!w) return;
    var i = document.createElement('input');
    i.type = 'text';
    i.className = 'amx-edit';
    i.dataset.edit = edit;
    i.autocomplete = 'off';
    i.spellcheck = false;
    i.style.left = l + 'px';
    i.style.top = t + 'px';
    i.style.width = (r - l) + 'px';
    i.style.height = (b - t) + 'px';
    i.style.font = AMX.font(UTF16ToString(face), px, bold, italic);
    i.style.color = AMX.color(rgb);
    i.style.background = AMX.color(background);
    i.style.textAlign = center ? 'center' : 'left';
    if (maxLength > 0) i.maxLength = maxLength;  // counted in UTF-16 units, as Windows counts
    if (!visible) i.style.display = 'none';
    var label = UTF16ToString(name);
    if (label) i.setAttribute('aria-label', label);
    i.addEventListener('input', function() {
      if (!AMX.ended && AMX.windows[n] === w) _amorix_edit_changed(n, edit);
    });
    w.edits.push(i);
    AMX.edits[edit] = i;
    w.el.insertBefore(i, w.labels);
  },

  amx_edit_length__deps: ['$AMX'],
  amx_edit_length: function(edit) {
    var i = AMX.edits[edit];
    return i ? i.value.length : 0;
  },

  amx_edit_text__deps: ['$AMX'],
  amx_edit_text: function(edit, out, units) {
    var i = AMX.edits[edit];
    stringToUTF16(i ? i.value : '', out, (units + 1) * 2);
  },

  amx_edit_set_text__deps: ['$AMX'],
  amx_edit_set_text: function(edit, text) {
    var i = AMX.edits[edit];
    if (!i) return;
    var n = +i.closest('.amx-form').dataset.window;
    i.value = UTF16ToString(text);
    // As a Windows edit reports a change of its text however it came about.
    if (AMX.windows[n]) _amorix_edit_changed(n, edit);
  },

  amx_edit_visible__deps: ['$AMX'],
  amx_edit_visible: function(edit, visible) {
    var i = AMX.edits[edit];
    if (i) i.style.display = visible ? '' : 'none';
  },

  amx_edit_focus__deps: ['$AMX'],
  amx_edit_focus: function(edit) {
    var i = AMX.edits[edit];
    if (i) i.focus();
  },

  amx_timer_start__deps: ['$AMX'],
  amx_timer_start: function(n, timer, ms) {
    var w = AMX.windows[n];
    if (!w) return;
    clearInterval(w.timers[timer]);
    if (w.painted) AMX.startTimer(n, w, timer, ms); else w.held[timer] = ms;
  },

  amx_timer_stop__deps: ['$AMX'],
  amx_timer_stop: function(n, timer) {
    var w = AMX.windows[n];
    if (!w) return;
    clearInterval(w.timers[timer]);
    delete w.timers[timer];
    delete w.held[timer];
  },

  amx_begin_move__deps: ['$AMX'],
  amx_begin_move: function(n) {
    var w = AMX.windows[n], p = AMX.press;
    if (!w || !p || p.window !== n) return 0;
    AMX.moving = {window: n, x: p.x, y: p.y, left: parseFloat(w.el.style.left),
                  top: parseFloat(w.el.style.top)};
    return 1;
  },

  amx_open: function(address) {
    window.open(UTF8ToString(address), '_blank', 'noopener');
  },

  amx_end__deps: ['$AMX'],
  amx_end: function(status) {
    // Once the event that ended the program is over.
    setTimeout(function() { AMX.stop(); AMX.showEnded(status); }, 0);
    AMX.ended = true;
  },

  amx_fatal__deps: ['$AMX'],
  amx_fatal: function(message) {
    AMX.ended = true;
    var text = UTF16ToString(message);
    setTimeout(function() {
      var dialog = document.getElementById('amx-fatal');
      dialog.querySelector('p').textContent = text;
      dialog.addEventListener('close', function() { AMX.stop(); AMX.showEnded(1); }, {once: true});
      dialog.showModal();
    }, 0);
  },

  amx_paint_begin__deps: ['$AMX'],
  amx_paint_begin: function(n, l, t, r, b) {
    var w = AMX.windows[n];
    if (!w) return;
    var c = w.ctx;
    c.save();
    c.setTransform(w.ratio, 0, 0, w.ratio, 0, 0);
    c.beginPath();
    c.rect(l, t, r - l, b - t);
    c.clip();
  },

  amx_fill__deps: ['$AMX'],
  amx_fill: function(n, l, t, r, b, rgb) {
    var w = AMX.windows[n];
    if (!w) return;
    w.ctx.fillStyle = AMX.color(rgb);
    w.ctx.fillRect(l, t, r - l, b - t);
  },

  amx_picture_width__deps: ['$AMX'],
  amx_picture_width: function(id) {
    var img = AMX.arrived(id);
    return img ? img.naturalWidth : 0;
  },

  amx_picture_height__deps: ['$AMX'],
  amx_picture_height: function(id) {
    var img = AMX.arrived(id);
    return img ? img.naturalHeight : 0;
  },

  // Stretched over the rectangle, smoothly, when the canvas's pixels are finer than the page's.
  amx_picture__deps: ['$AMX'],
  amx_picture: function(n, id, l, t, r, b) {
    var w = AMX.windows[n], img = AMX.arrived(id);
    if (!w || !img || !img.naturalWidth) return;
    w.ctx.imageSmoothingQuality = 'high';
    w.ctx.drawImage(img, l, t, r - l, b - t);
  },

  // Word-wrapped as the system's DrawText wraps: at spaces, a word too long for a line kept whole
  // and clipped; the first baseline the font's ascent below the top.
  amx_text__deps: ['$AMX'],
  amx_text: function(n, l, t, r, b, text, face, px, bold, italic, underline, rgb, center) {
    var w = AMX.windows[n];
    if (!w) return;
    var c = w.ctx, width = r - l;
    c.save();
    c.beginPath();
    c.rect(l, t, width, b - t);
    c.clip();
    var s = UTF16ToString(text);
    c.font = AMX.font(UTF16ToString(face), px, bold, italic);
    if (!document.fonts.check(c.font, s)) AMX.lacking.push(document.fonts.load(c.font, s));
    c.fillStyle = AMX.color(rgb);
    c.textBaseline = 'alphabetic';
    var m = c.measureText('Hg');
    var ascent = Math.round(m.fontBoundingBoxAscent), height = ascent + Math.round(m.fontBoundingBoxDescent);
    var lines = [];
    s.split(/\r\n|\r|\n/).forEach(function(paragraph) {
      var line = '';
      paragraph.split(' ').forEach(function(word, i) {
        var tried = i ? line + ' ' + word : word;
        if (i && line && c.measureText(tried).width > width) { lines.push(line); line = word; }
        else line = tried;
      });
      lines.push(line);
    });
    lines.forEach(function(line, i) {
      var lw = c.measureText(line).width;
      var x = center ? l + (width - lw) / 2 : l, y = t + ascent + i * height;
      c.fillText(line, x, y);
      if (underline) c.fillRect(x, y + Math.max(1, Math.round(px / 10)), lw, Math.max(1, Math.round(px / 16)));
    });
    c.restore();
  },

  amx_paint_end__deps: ['$AMX'],
  amx_paint_end: function(n) {
    var w = AMX.windows[n];
    if (w) w.ctx.restore();
  },
});
